#include "target.h"

#include <stdexcept>

namespace {

const DWORD kPollMs = 50;
// A window that does not answer WM_GETTEXT within this time is reported, never waited on.
const UINT kSendTimeoutMs = 5000;

struct WindowList {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM data) {
    WindowList *list = reinterpret_cast<WindowList *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == list->processId && IsWindowVisible(window)) list->windows.push_back(window);
    return TRUE;
}

bool SameText(const std::string &a, const std::string &b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

}  // namespace

Target::~Target() {
    if (process_ != nullptr) CloseHandle(process_);
}

void Target::Start(const std::string &program, const std::string &arguments) {
    if (process_ != nullptr) throw std::runtime_error("the program was started already");
    std::string folder = program.substr(0, program.find_last_of("\\/:") + 1);
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + program + ", error " +
                                 std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
}

void Target::Kill() {
    if (process_ != nullptr && Running()) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
    }
}

bool Target::Running() {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Target::ThrowIfEnded(const std::string &waitingFor) {
    if (process_ == nullptr) throw std::runtime_error("no program was started");
    if (!Running()) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        throw std::runtime_error("the program ended with exit code " + std::to_string(code) +
                                 " while the driver waited for " + waitingFor);
    }
}

DWORD Target::WaitForExit(DWORD timeoutMs) {
    if (process_ == nullptr) throw std::runtime_error("no program was started");
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        throw std::runtime_error("the program did not end within " + std::to_string(timeoutMs) +
                                 " ms");
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::vector<HWND> Target::VisibleWindows() {
    WindowList list{processId_, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&list));
    return list.windows;
}

HWND Target::WaitForWindow(const std::string &className, const std::string &title,
                           DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (true) {
        ThrowIfEnded("the window " + className);
        for (HWND window : VisibleWindows()) {
            char text[512] = "";
            GetWindowTextA(window, text, sizeof text);
            if (ClassOf(window) == className && title == text) return window;
        }
        if (GetTickCount() - start > timeoutMs) {
            std::string seen;
            for (HWND window : VisibleWindows()) seen += " [" + ClassOf(window) + "]";
            throw std::runtime_error("no visible window of class " + className + " with title \"" +
                                     title + "\" within " + std::to_string(timeoutMs) +
                                     " ms; visible:" + (seen.empty() ? " none" : seen));
        }
        Sleep(kPollMs);
    }
}

HWND Target::WaitForBox(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (true) {
        ThrowIfEnded("a message box");
        for (HWND window : VisibleWindows()) {
            if (ClassOf(window) == "#32770") return window;
        }
        if (GetTickCount() - start > timeoutMs) {
            throw std::runtime_error("no message box within " + std::to_string(timeoutMs) + " ms");
        }
        Sleep(kPollMs);
    }
}

void Target::WaitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) {
            throw std::runtime_error("the window " + ClassOf(window) + " stayed for " +
                                     std::to_string(timeoutMs) + " ms");
        }
        Sleep(kPollMs);
    }
}

std::vector<std::pair<HTREEITEM, std::string>> Target::TreeItems(HWND tree, HTREEITEM parent) {
    std::vector<std::pair<HTREEITEM, std::string>> items;
    const SIZE_T textSize = 1024;
    char *remote = static_cast<char *>(VirtualAllocEx(process_, nullptr, sizeof(TVITEMA) + textSize,
                                                      MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) throw std::runtime_error("cannot reach the program's memory");
    DWORD_PTR item = 0;
    SendMessageTimeoutA(tree, TVM_GETNEXTITEM, parent == nullptr ? TVGN_ROOT : TVGN_CHILD,
                        reinterpret_cast<LPARAM>(parent), SMTO_ABORTIFHUNG, kSendTimeoutMs, &item);
    while (item != 0) {
        TVITEMA request{};
        request.mask = TVIF_TEXT | TVIF_HANDLE;
        request.hItem = reinterpret_cast<HTREEITEM>(item);
        request.pszText = remote + sizeof(TVITEMA);
        request.cchTextMax = static_cast<int>(textSize);
        char text[textSize] = "";
        DWORD_PTR done = 0;
        if (WriteProcessMemory(process_, remote, &request, sizeof request, nullptr) &&
            SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, kSendTimeoutMs, &done)) {
            ReadProcessMemory(process_, remote + sizeof(TVITEMA), text, textSize - 1, nullptr);
        }
        items.emplace_back(reinterpret_cast<HTREEITEM>(item), text);
        DWORD_PTR next = 0;
        SendMessageTimeoutA(tree, TVM_GETNEXTITEM, TVGN_NEXT, static_cast<LPARAM>(item),
                            SMTO_ABORTIFHUNG, kSendTimeoutMs, &next);
        item = next;
    }
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    return items;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length)) {
        throw std::runtime_error("the window " + ClassOf(window) + " does not answer WM_GETTEXT");
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

WindowFacts FactsOf(HWND window) {
    WindowFacts facts;
    facts.handle = window;
    facts.className = ClassOf(window);
    facts.text = TextOf(window);
    facts.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    facts.exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    facts.visible = IsWindowVisible(window) != FALSE;
    GetWindowRect(window, &facts.rect);
    HWND parent = GetAncestor(window, GA_PARENT);
    if ((facts.style & WS_CHILD) != 0 && parent != nullptr) {
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT *>(&facts.rect), 2);
    }
    return facts;
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::string BoxText(HWND box) {
    for (HWND child : ChildrenOf(box)) {
        if (!SameText(ClassOf(child), "Static")) continue;
        DWORD type = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)) & SS_TYPEMASK;
        if (type == SS_ICON) continue;
        return TextOf(child);
    }
    throw std::runtime_error("the message box has no text control");
}

std::vector<int> BoxButtons(HWND box) {
    std::vector<int> buttons;
    for (HWND child : ChildrenOf(box)) {
        if (SameText(ClassOf(child), "Button") && IsWindowVisible(child)) {
            buttons.push_back(GetDlgCtrlID(child));
        }
    }
    return buttons;
}

void PressButton(HWND button) {
    // Posted, not sent: the click may open a modal box, whose loop must not hold up the driver.
    if (!PostMessageA(button, BM_CLICK, 0, 0)) {
        throw std::runtime_error("cannot post BM_CLICK, error " + std::to_string(GetLastError()));
    }
}

void SetText(HWND window, const std::string &text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) ||
        result == 0) {
        throw std::runtime_error("the window " + ClassOf(window) + " did not take the text");
    }
}
