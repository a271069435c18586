// The program under test as the driver sees it: its process, its top-level windows, their controls
// and its message boxes. Every wait is bounded; a failed expectation throws std::runtime_error.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

// What the driver can read off one window from outside its process.
struct WindowFacts {
    HWND handle = nullptr;
    std::string className;
    std::string text;       // through WM_GETTEXT, byte for byte
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};            // controls: relative to the parent's client area; top-level: screen
    bool visible = false;
};

class Target {
public:
    ~Target();

    // Starts the program with its own folder as the current folder.
    void Start(const std::string &program, const std::string &arguments);
    bool Started() const { return process_ != nullptr; }
    DWORD ProcessId() const { return processId_; }

    // Ends the program at once; used when a scenario fails, so nothing is left waiting.
    void Kill();

    // Waits for the process to end; returns its exit code. Throws on time-out.
    DWORD WaitForExit(DWORD timeoutMs);
    bool Running();

    // Waits for a visible top-level window of the process with this class and title.
    HWND WaitForWindow(const std::string &className, const std::string &title, DWORD timeoutMs);
    // Visible top-level windows of the process (message boxes included).
    std::vector<HWND> VisibleWindows();
    // Waits for a visible message box (dialog class "#32770") of the process.
    HWND WaitForBox(DWORD timeoutMs);
    // Waits until a window is gone or hidden.
    void WaitUntilGone(HWND window, DWORD timeoutMs);

    // Items of a tree view of the program below an item (null: the top level), with their labels.
    // The labels are read through memory in the program's process, as TVM_GETITEM needs.
    std::vector<std::pair<HTREEITEM, std::string>> TreeItems(HWND tree, HTREEITEM parent);

private:
    void ThrowIfEnded(const std::string &waitingFor);

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// Reading windows from outside their process.
std::string ClassOf(HWND window);
std::string TextOf(HWND window);  // WM_GETTEXT through SendMessageTimeout: never hangs
WindowFacts FactsOf(HWND window);
// Direct children in the order the system keeps them (for our windows: the order of creation).
std::vector<HWND> ChildrenOf(HWND window);

// Text of a message box: the static control that is not its icon.
std::string BoxText(HWND box);
// Identifiers of the visible push buttons of a message box, e.g. {IDYES, IDNO}.
std::vector<int> BoxButtons(HWND box);

// Presses a button as a click would: the button itself turns BM_CLICK into its notification.
void PressButton(HWND button);
void SetText(HWND window, const std::string &text);
