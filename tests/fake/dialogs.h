// Message boxes and the cursor in the fake layer: boxes are recorded and answered as a test scripts.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "win32.h"

namespace fake {

struct MessageBoxRecord {
    HWND owner;
    bool hasText, hasCaption;  // false for a null pointer
    std::string text, caption;
    UINT flags;
};

// The answers of the next boxes, in order; once they are used up a box answers IDOK for MB_OK
// and IDYES for MB_YESNO.
void AnswerMessageBoxes(std::vector<int> answers);
const std::vector<MessageBoxRecord>& MessageBoxes();
// Runs inside each MessageBoxA before it answers, as a modal loop would dispatch messages.
void WhileMessageBoxIsOpen(std::function<void(const MessageBoxRecord&)> action);

// The cursor last set; LoadCursorA hands out one handle for each system cursor id.
HCURSOR CursorFor(uintptr_t id);
HCURSOR CurrentCursor();

}  // namespace fake
