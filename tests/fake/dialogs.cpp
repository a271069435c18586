#include "dialogs.h"

#include <deque>

#include "fake.h"

namespace fake {
namespace {

std::deque<int> answers;
std::vector<MessageBoxRecord> boxes;
std::function<void(const MessageBoxRecord&)> whileOpen;
HCURSOR cursor;

const bool registered = (OnReset([] {
                             answers.clear();
                             boxes.clear();
                             whileOpen = nullptr;
                             cursor = nullptr;
                         }),
                         true);

}  // namespace

void AnswerMessageBoxes(std::vector<int> next) { answers.assign(next.begin(), next.end()); }
const std::vector<MessageBoxRecord>& MessageBoxes() { return boxes; }
void WhileMessageBoxIsOpen(std::function<void(const MessageBoxRecord&)> action) { whileOpen = std::move(action); }

HCURSOR CursorFor(uintptr_t id) { return reinterpret_cast<HCURSOR>(0x60000 + id); }
HCURSOR CurrentCursor() { return cursor; }

}  // namespace fake

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    fake::MessageBoxRecord box{owner, text != nullptr, caption != nullptr, fake::Text(text), fake::Text(caption), type};
    fake::Record("MessageBoxA", {fake::Handle(owner), box.text, box.caption, fake::Hex(type)});
    fake::boxes.push_back(box);
    if (fake::whileOpen) fake::whileOpen(box);
    if (!fake::answers.empty()) {
        int answer = fake::answers.front();
        fake::answers.pop_front();
        return answer;
    }
    return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    fake::Record("LoadCursorA", {fake::Handle(instance), std::to_string(id)});
    return fake::CursorFor(id);
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    fake::Record("SetCursor", {fake::Handle(cursor)});
    HCURSOR previous = fake::cursor;
    fake::cursor = cursor;
    return previous;
}
