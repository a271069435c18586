#include "progress_window.h"

#include "state.h"
#include "texts.h"
#include "window_plumbing.h"

const int kWindowWidth = 520;
const int kWindowHeight = 360;

// The same place as the welcome window: both are centred on the same desktop, which starts at 0, 0.
static void CreateProgressFrame() {
    int screenWidth = installer.screenWidth;
    int screenHeight = installer.screenHeight;
    installer.progressWindow = CreateWindowExA(0, TEXT_PROGRESS_CLASS, TEXT_WINDOW_TITLE, WS_CAPTION | WS_SYSMENU,
                                               (screenWidth - kWindowWidth) / 2, (screenHeight - kWindowHeight) / 2,
                                               kWindowWidth, kWindowHeight, installer.welcomeWindow, 0,
                                               installer.moduleInstance, 0);
}

static void SetFont(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
}

// Left hidden: the installation run shows it once it has read the welcome window's fields.
void BuildProgressWindow() {
    ShowWindow(installer.welcomeWindow, SW_HIDE);
    RegisterWindowClass(ProgressWndProc, TEXT_PROGRESS_CLASS, 0, installer.faceBrush);
    CreateProgressFrame();
    RECT client;
    GetClientRect(installer.progressWindow, &client);
    int cw = client.right - client.left;
    HWND window = installer.progressWindow;

    installer.progressHeader =
        CreateChild(TEXT_CLASS_STATIC, TEXT_PROGRESS_HEADER, WS_CHILD | SS_CENTER, 0, -1, -1, cw + 1, 49, window);
    installer.statusLine =
        CreateChild(TEXT_CLASS_STATIC, "", WS_CHILD | SS_CENTER, WS_EX_CLIENTEDGE, 10, 70, cw - 20, 200, window);
    CreateChild(TEXT_CLASS_STATIC, 0, WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 279, cw, 2, window);
    CreateChild(TEXT_CLASS_STATIC, 0, WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 49, cw, 2, window);
    // Disabled for the whole run: there is no way back and no cancelling once it has begun.
    installer.progressNextButton =
        CreateChild(TEXT_CLASS_BUTTON, TEXT_NEXT_BUTTON, WS_CHILD | WS_DISABLED, 0, cw - 194, 290, 89, 25, window);
    installer.progressCancelButton =
        CreateChild(TEXT_CLASS_BUTTON, TEXT_CANCEL_BUTTON, WS_CHILD | WS_DISABLED, 0, cw - 97, 290, 89, 25, window);

    SetFont(installer.progressHeader, installer.headerFont);
    SetFont(installer.statusLine, installer.textFont);
    SetFont(installer.progressNextButton, installer.textFont);
    SetFont(installer.progressCancelButton, installer.textFont);
}

// The header band and the status line are white, the two lines have the button face.
static LRESULT OnColorStatic(WPARAM wParam, LPARAM lParam) {
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control == installer.progressHeader || control == installer.statusLine)
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return reinterpret_cast<LRESULT>(installer.faceBrush);
}

LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnColorStatic(wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
