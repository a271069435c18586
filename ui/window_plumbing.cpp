#include "window_plumbing.h"

#include "fatal.h"
#include "state.h"
#include "texts.h"

void RegisterWindowClass(WNDPROC windowProcedure, const char* className, const char* menuName, HBRUSH background) {
    WNDCLASSA windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = installer.moduleInstance;
    windowClass.hIcon = LoadIconA(installer.moduleInstance, TEXT_ICON_NAME);  // a missing icon is no failure
    windowClass.hCursor = LoadCursorA(0, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszMenuName = menuName;
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) != 0) return;
    // Without its class no window can exist; the process ends before any window is shown.
    MessageBoxA(0, TEXT_CANNOT_REGISTER_CLASS, 0, MB_TASKMODAL | MB_ICONERROR);
    PostQuitMessage(0);
    EndProcess(0);
}

// Every control keeps the identifier 0, so window procedures tell controls apart by handle.
HWND CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle, int x, int y, int width,
                 int height, HWND parent) {
    HWND child = CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, 0,
                                 installer.moduleInstance, 0);
    ShowWindow(child, SW_SHOWNORMAL);
    UpdateWindow(child);
    return child;
}

// No dialog-style keyboard handling: Tab and Enter reach the focused control unchanged.
void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, 0, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ConfirmQuit() {
    int answer = MessageBoxA(installer.welcomeWindow, TEXT_CONFIRM_QUIT, TEXT_CONFIRM_QUIT_CAPTION,
                             MB_YESNO | MB_ICONQUESTION);
    if (answer == IDYES) PostQuitMessage(0);
}
