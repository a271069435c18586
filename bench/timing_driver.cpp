// The benchmark's driver: starts a program inside Wine and times it with QueryPerformanceCounter.
//
//   timing_driver.exe install <Setup.exe> <destination folder>
//       start-up: from CreateProcess to the visible welcome window; then it types the destination
//       into the second edit field, presses "Weiter >" and times from the press to the visible
//       final box; it answers the box and checks the exit code 0.
//   timing_driver.exe window <program> <window class>
//       start-up: from CreateProcess to a visible top-level window of that class; then WM_CLOSE.
//   timing_driver.exe profile <Setup.exe> <destination folder>
//       as install, and on the way the moments, from the press, when the progress window became
//       visible, when the status line got its first text and its last one, and the final box;
//       the status line is read from the server's copy of its text (GetWindowTextA of a window of
//       another process sends no message), so the busy installer is never asked anything.
//   timing_driver.exe run <program> [<argument>...]
//       from CreateProcess to the end of the process; the exit code must be 0.
//
// Prints "name=milliseconds" lines for the benchmark script and exits with 0; on anything
// unexpected (another box, a time-out, a wrong exit code) it prints "error=..." and exits with 1.
// It polls every millisecond: the end-to-end driver's 50 ms steps would swamp a start-up figure.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "target.h"

namespace {

const DWORD kTimeoutMs = 600000;
const char kFinalText[] = "Die Installation wurde abgeschlossen!";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Report(const char *name, double milliseconds) { std::printf("%s=%.1f\n", name, milliseconds); }

// Polls until fn() yields a window; Sleep(1) keeps the poll from taking a core from the program.
template <typename Find>
HWND PollFor(Target &target, const std::string &what, Find fn) {
    double start = Now();
    while (true) {
        if (!target.Running()) {
            DWORD code = target.WaitForExit(0);
            throw std::runtime_error("the program ended with exit code " + std::to_string(code) +
                                     " while waiting for " + what);
        }
        if (HWND found = fn()) return found;
        if (Now() - start > kTimeoutMs) throw std::runtime_error("no " + what + " in time");
        Sleep(1);
    }
}

HWND VisibleWindowOfClass(Target &target, const std::string &className) {
    for (HWND window : target.VisibleWindows())
        if (ClassOf(window) == className) return window;
    return nullptr;
}

HWND ChildOfClass(HWND parent, const char *className, int which) {
    for (HWND child : ChildrenOf(parent)) {
        if (lstrcmpiA(ClassOf(child).c_str(), className) == 0 && --which == 0) return child;
    }
    throw std::runtime_error(std::string("the window lacks its ") + className + " control");
}

HWND ButtonWithText(HWND parent, const std::string &text) {
    for (HWND child : ChildrenOf(parent))
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && TextOf(child) == text) return child;
    throw std::runtime_error("the window has no button " + text);
}

std::string ServerText(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Milestones of one installation, polled every millisecond; the last status text is the one
// that stood when the box came.
HWND ProfileRun(Target &target, double pressed) {
    HWND progress = PollFor(target, "progress window", [&] { return VisibleWindowOfClass(target, "QuillsetWndclass"); });
    Report("progress_visible_ms", Now() - pressed);
    HWND status = ChildrenOf(progress).at(1);
    std::string last;
    double lastChange = 0;
    unsigned changes = 0;
    HWND box = PollFor(target, "message box", [&]() -> HWND {
        std::string text = ServerText(status);
        if (text != last) {
            last = text;
            lastChange = Now() - pressed;
            if (++changes == 1) Report("first_status_ms", lastChange);
        }
        return VisibleWindowOfClass(target, "#32770");
    });
    Report("last_status_ms", lastChange);
    Report("status_texts_seen", changes);
    return box;
}

void TimeInstall(Target &target, const std::string &setup, const std::string &destination, bool profile) {
    double started = Now();
    target.Start(setup, "");
    HWND welcome = PollFor(target, "welcome window", [&] { return VisibleWindowOfClass(target, "VelmoraClass"); });
    Report("startup_ms", Now() - started);

    SetText(ChildOfClass(welcome, "Edit", 2), destination);
    HWND next = ButtonWithText(welcome, "Weiter >");
    double pressed = Now();
    PressButton(next);
    HWND box = profile ? ProfileRun(target, pressed)
                       : PollFor(target, "message box", [&] { return VisibleWindowOfClass(target, "#32770"); });
    double boxed = Now();
    std::string text = BoxText(box);
    if (text != kFinalText) {
        throw std::runtime_error("a box other than the final one: " + text);
    }
    Report("install_ms", boxed - pressed);
    PressButton(GetDlgItem(box, IDOK));
    DWORD code = target.WaitForExit(30000);
    if (code != 0) throw std::runtime_error("Setup.exe ended with exit code " + std::to_string(code));
}

void TimeWindow(Target &target, const std::string &program, const std::string &className) {
    double started = Now();
    target.Start(program, "");
    HWND window = PollFor(target, "window " + className, [&] { return VisibleWindowOfClass(target, className); });
    Report("startup_ms", Now() - started);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = target.WaitForExit(30000);
    if (code != 0) throw std::runtime_error(program + " ended with exit code " + std::to_string(code));
}

void TimeRun(Target &target, const std::string &program, const std::string &arguments) {
    double started = Now();
    target.Start(program, arguments);
    DWORD code = target.WaitForExit(kTimeoutMs);
    Report("run_ms", Now() - started);
    if (code != 0) throw std::runtime_error(program + " ended with exit code " + std::to_string(code));
}

}  // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string mode = argc > 1 ? argv[1] : "";
    Target target;
    try {
        if ((mode == "install" || mode == "profile") && argc == 4) {
            TimeInstall(target, argv[2], argv[3], mode == "profile");
        } else if (mode == "window" && argc == 4) {
            TimeWindow(target, argv[2], argv[3]);
        } else if (mode == "run" && argc >= 3) {
            std::string arguments;
            for (int i = 3; i < argc; ++i) arguments += (i > 3 ? " \"" : "\"") + std::string(argv[i]) + "\"";
            TimeRun(target, argv[2], arguments);
        } else {
            std::fprintf(stderr,
                         "usage: timing_driver.exe install|profile <Setup.exe> <destination>\n"
                         "       timing_driver.exe window <program> <class>\n"
                         "       timing_driver.exe run <program> [<argument>...]\n");
            return 2;
        }
    } catch (const std::exception &problem) {
        std::printf("error=%s\n", problem.what());
        target.Kill();  // nothing is left waiting for an answer
        return 1;
    }
    return 0;
}
