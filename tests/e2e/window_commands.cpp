// The driver's commands about the program under test: starting it, its windows and controls,
// its message boxes and the folder browser, and its end.
#include <cstdio>

#include "commands.h"
#include "scenario.h"

namespace {

void DoStart(Context &context, const Words &words) {
    NeedWords(words, 2);
    context.target.Start(words[1], "");
}

void DoWindow(Context &context, const Words &words) {
    NeedWords(words, 3);
    context.current = context.target.WaitForWindow(words[1], words[2], context.timeoutMs);
}

void DoExpectRect(Context &context, const Words &words) {
    NeedWords(words, 5);
    RECT rect{};
    GetWindowRect(CurrentWindow(context), &rect);
    std::string expected = words[1] + " " + words[2] + " " + words[3] + " " + words[4];
    std::string actual = std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                         std::to_string(rect.right - rect.left) + " " +
                         std::to_string(rect.bottom - rect.top);
    ExpectBytes("window rectangle (x y width height)", expected, actual);
}

void DoExpectChildren(Context &context, const Words &words) {
    NeedWords(words, 2);
    size_t count = ChildrenOf(CurrentWindow(context)).size();
    if (static_cast<long>(count) != ToNumber(words[1])) {
        throw std::runtime_error("expected " + words[1] + " child windows, found " +
                                 std::to_string(count));
    }
}

void DoExpectChild(Context &context, const Words &words) {
    if (words.size() < 4) throw ScenarioError("expect-child <n> <class> <text> ...");
    HWND child = Child(context, words[1]);
    WindowFacts facts = FactsOf(child);
    std::string name = "child " + words[1];
    if (lstrcmpiA(words[2].c_str(), facts.className.c_str()) != 0) {
        ExpectBytes(name + " class", words[2], facts.className);
    }
    ExpectBytes(name + " text", words[3], facts.text);
    size_t i = 4;
    while (i < words.size()) {
        const std::string &key = words[i];
        if (key == "style" && i + 1 < words.size()) {
            ExpectBytes(name + " style", Hex(ToHex(words[i + 1])), Hex(facts.style));
            i += 2;
        } else if (key == "exstyle" && i + 1 < words.size()) {
            ExpectBytes(name + " extended style", Hex(ToHex(words[i + 1])), Hex(facts.exStyle));
            i += 2;
        } else if (key == "rect" && i + 4 < words.size()) {
            RECT client{};
            GetClientRect(CurrentWindow(context), &client);
            long cw = client.right - client.left;
            std::string expected;
            for (size_t k = 1; k <= 4; ++k) {
                expected += (k > 1 ? " " : "") + std::to_string(LayoutNumber(words[i + k], cw));
            }
            std::string actual = std::to_string(facts.rect.left) + " " +
                                 std::to_string(facts.rect.top) + " " +
                                 std::to_string(facts.rect.right - facts.rect.left) + " " +
                                 std::to_string(facts.rect.bottom - facts.rect.top);
            ExpectBytes(name + " rectangle (x y width height)", expected, actual);
            i += 5;
        } else {
            throw ScenarioError("expect-child: unknown or incomplete part " + key);
        }
    }
}

void DoExpectText(Context &context, const Words &words) {
    NeedWords(words, 3);
    ExpectBytes("text of child " + words[1], words[2], TextOf(Child(context, words[1])));
}

void DoSetText(Context &context, const Words &words) {
    NeedWords(words, 3);
    SetText(Child(context, words[1]), words[2]);
}

void DoClick(Context &context, const Words &words) {
    NeedWords(words, 2);
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && TextOf(child) == words[1]) {
            PressButton(child);
            return;
        }
    }
    throw std::runtime_error("the window has no button " + ShowBytes(words[1]));
}

void DoClose(Context &context, const Words &words) {
    NeedWords(words, 1);
    if (!PostMessageA(CurrentWindow(context), WM_SYSCOMMAND, SC_CLOSE, 0)) {
        throw std::runtime_error("cannot post WM_SYSCOMMAND");
    }
}

std::string ButtonNames(const std::vector<int> &buttons) {
    std::string names;
    for (int id : buttons) {
        if (!names.empty()) names += "-";
        names += id == IDOK ? "ok" : id == IDYES ? "yes" : id == IDNO ? "no"
                 : id == IDCANCEL ? "cancel" : std::to_string(id);
    }
    return names;
}

void DoExpectBox(Context &context, const Words &words) {
    HWND box = context.target.WaitForBox(context.timeoutMs);
    context.box = box;
    std::string text = BoxText(box);
    char caption[512] = "";
    GetWindowTextA(box, caption, sizeof caption);
    bool captionChecked = false;
    size_t i = 1;
    while (i < words.size()) {
        const std::string &key = words[i];
        std::string value = i + 1 < words.size() ? words[i + 1] : "";
        if (key == "caption-any") {
            captionChecked = true;
            i += 1;
            continue;
        }
        if (i + 1 >= words.size()) throw ScenarioError("expect-box: " + key + " needs a value");
        if (key == "owner") {
            HWND owner = GetWindow(box, GW_OWNER);
            ExpectBytes("owner of the box", value, owner == nullptr ? "none" : ClassOf(owner));
        } else if (key == "caption") {
            ExpectBytes("caption of the box", value, caption);
            captionChecked = true;
        } else if (key == "text") {
            ExpectBytes("text of the box", value, text);
        } else if (key == "text-starts") {
            ExpectBytes("start of the box text", value, text.substr(0, value.size()));
        } else if (key == "text-ends") {
            std::string tail = text.size() >= value.size() ? text.substr(text.size() - value.size())
                                                           : text;
            ExpectBytes("end of the box text", value, tail);
        } else if (key == "buttons") {
            ExpectBytes("buttons of the box", value, ButtonNames(BoxButtons(box)));
        } else {
            throw ScenarioError("expect-box: unknown part " + key);
        }
        i += 2;
    }
    if (!captionChecked) throw ScenarioError("expect-box: say caption <text> or caption-any");
    std::printf("        box %s: %s\n", ShowBytes(caption).c_str(), ShowBytes(text).c_str());
}

void DoEnterBox(Context &context, const Words &words) {
    NeedWords(words, 1);
    if (context.box == nullptr) throw ScenarioError("enter-box: use expect-box first");
    context.current = context.box;
}

// Walks a tree view of the current window by item labels, expanding each level so that the
// program fills in its children, and selects the last item as a click on it would.
void DoTreeSelect(Context &context, const Words &words) {
    if (words.size() < 2) throw ScenarioError("tree-select <label>...");
    HWND tree = nullptr;
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        if (ClassOf(child) == "SysTreeView32") tree = child;
    }
    if (tree == nullptr) throw std::runtime_error("the window has no tree view");
    HTREEITEM parent = nullptr;
    for (size_t i = 1; i < words.size(); ++i) {
        HTREEITEM found = nullptr;
        std::string seen;
        DWORD start = GetTickCount();
        // The program may fill a level a little after the expansion.
        while (found == nullptr) {
            seen.clear();
            for (const auto &item : context.target.TreeItems(tree, parent)) {
                if (item.second == words[i]) found = item.first;
                seen += " " + ShowBytes(item.second);
            }
            if (found != nullptr) break;
            if (GetTickCount() - start > context.timeoutMs) {
                throw std::runtime_error("no tree item " + ShowBytes(words[i]) + "; there are:" +
                                         (seen.empty() ? " none" : seen));
            }
            Sleep(100);
        }
        DWORD_PTR result = 0;
        SendMessageTimeoutA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found),
                            SMTO_ABORTIFHUNG, 5000, &result);
        if (i + 1 < words.size()) {
            SendMessageTimeoutA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(found),
                                SMTO_ABORTIFHUNG, 5000, &result);
        }
        parent = found;
    }
}

void DoAnswer(Context &context, const Words &words) {
    NeedWords(words, 2);
    if (context.box == nullptr || !IsWindow(context.box)) {
        throw ScenarioError("answer: no message box (use expect-box first)");
    }
    int id = words[1] == "ok" ? IDOK : words[1] == "yes" ? IDYES : words[1] == "no" ? IDNO
             : words[1] == "cancel" ? IDCANCEL : 0;
    if (id == 0) throw ScenarioError("answer ok, yes, no or cancel");
    HWND button = GetDlgItem(context.box, id);
    if (button == nullptr || !IsWindowVisible(button)) {
        throw std::runtime_error("the box has no button " + words[1]);
    }
    PressButton(button);
    context.target.WaitUntilGone(context.box, context.timeoutMs);
    context.box = nullptr;
}

void DoExpectAlive(Context &context, const Words &words) {
    NeedWords(words, 2);
    DWORD start = GetTickCount();
    DWORD span = static_cast<DWORD>(ToNumber(words[1]));
    do {
        if (!context.target.Running()) throw std::runtime_error("the program ended");
        if (!IsWindowVisible(CurrentWindow(context))) {
            throw std::runtime_error("the current window is gone or hidden");
        }
        for (HWND window : context.target.VisibleWindows()) {
            if (ClassOf(window) == "#32770") {
                throw std::runtime_error("unexpected message box: " + ShowBytes(BoxText(window)));
            }
        }
        Sleep(50);
    } while (GetTickCount() - start < span);
}

void DoExpectNoWindow(Context &context, const Words &words) {
    NeedWords(words, 2);
    for (HWND window : context.target.VisibleWindows()) {
        if (ClassOf(window) == words[1]) {
            throw std::runtime_error("a window of class " + words[1] + " is visible");
        }
    }
}

void DoExpectExit(Context &context, const Words &words) {
    NeedWords(words, 2);
    DWORD code = context.target.WaitForExit(context.timeoutMs);
    ExpectBytes("exit code", words[1], std::to_string(code));
}

void DoDump(Context &context, const Words &words) {
    NeedWords(words, 1);
    int index = 0;
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        WindowFacts facts = FactsOf(child);
        std::printf("        child %d %s %s style %s exstyle %s rect %ld %ld %ld %ld\n",
                    ++index, facts.className.c_str(), ShowBytes(facts.text).c_str(),
                    Hex(facts.style).c_str(), Hex(facts.exStyle).c_str(), facts.rect.left,
                    facts.rect.top, facts.rect.right - facts.rect.left,
                    facts.rect.bottom - facts.rect.top);
    }
}

}  // namespace

void AddWindowCommands(CommandTable &table) {
    table["start"] = DoStart;
    table["window"] = DoWindow;
    table["expect-rect"] = DoExpectRect;
    table["expect-children"] = DoExpectChildren;
    table["expect-child"] = DoExpectChild;
    table["expect-text"] = DoExpectText;
    table["set-text"] = DoSetText;
    table["click"] = DoClick;
    table["close"] = DoClose;
    table["expect-box"] = DoExpectBox;
    table["answer"] = DoAnswer;
    table["enter-box"] = DoEnterBox;
    table["tree-select"] = DoTreeSelect;
    table["expect-alive"] = DoExpectAlive;
    table["expect-no-window"] = DoExpectNoWindow;
    table["expect-exit"] = DoExpectExit;
    table["dump"] = DoDump;
}
