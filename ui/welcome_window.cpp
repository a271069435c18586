#include "welcome_window.h"

#include "fatal.h"
#include "installation.h"
#include "state.h"
#include "text.h"
#include "texts.h"
#include "window_plumbing.h"

const int kWindowWidth = 520;
const int kWindowHeight = 360;
const unsigned kTitleShown = 214;  // 40 characters of greeting, the title, "!" and a zero fill 256 bytes

static void MeasureDesktop() {
    GetWindowRect(GetDesktopWindow(), &installer.desktopRect);
    installer.screenWidth = static_cast<unsigned short>(installer.desktopRect.right & 0xFFFF);
    installer.screenHeight = static_cast<unsigned short>(installer.desktopRect.bottom & 0xFFFF);
}

// Without its window the program would wait for input that can never come, so it ends as a
// failed class registration does.
static void EndWithoutWindow() {
    MessageBoxA(0, TEXT_CANNOT_CREATE_WINDOW, 0, MB_TASKMODAL | MB_ICONERROR);
    PostQuitMessage(0);
    EndProcess(0);
}

// Centred on the desktop; a desktop smaller than the window gives a negative position.
static void CreateWelcomeFrame() {
    int desktopWidth = installer.desktopRect.right - installer.desktopRect.left;
    int desktopHeight = installer.desktopRect.bottom - installer.desktopRect.top;
    installer.welcomeWindow = CreateWindowExA(
        WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, TEXT_WELCOME_CLASS, TEXT_WINDOW_TITLE,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, (desktopWidth - kWindowWidth) / 2,
        (desktopHeight - kWindowHeight) / 2, kWindowWidth, kWindowHeight, 0, 0, installer.moduleInstance, 0);
    if (!installer.welcomeWindow) EndWithoutWindow();
}

// A longer title is cut so that the greeting and its "!" still fit the 256-byte header.
static void BuildHeaderText(char* header, unsigned size) {
    char title[kTitleShown + 1];
    CopyText(title, sizeof title, installer.productTitle);
    CopyText(header, size, TEXT_WELCOME_GREETING);
    AppendText(header, size, title);
    AppendText(header, size, TEXT_WELCOME_GREETING_END);
}

static HFONT CreateSwissFont(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, TEXT_FONT_FACE);
}

static void SetFont(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);  // no redraw: still hidden
}

void BuildWelcomeWindow() {
    MeasureDesktop();
    installer.faceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    RegisterWindowClass(WelcomeWndProc, TEXT_WELCOME_CLASS, 0, installer.faceBrush);
    CreateWelcomeFrame();
    char header[kTextSize];
    BuildHeaderText(header, sizeof header);
    GetClientRect(installer.welcomeWindow, &installer.welcomeClientRect);
    int cw = installer.welcomeClientRect.right - installer.welcomeClientRect.left;
    HWND window = installer.welcomeWindow;

    installer.welcomeHeader = CreateChild(TEXT_CLASS_STATIC, header, WS_CHILD | SS_CENTER, WS_EX_STATICEDGE, -1,
                                          -1, cw + 1, 49, window);
    HWND sourceLabel = CreateChild(TEXT_CLASS_STATIC, TEXT_SOURCE_LABEL, WS_CHILD, 0, 8, 64, 150, 21, window);
    installer.destinationLabel =
        CreateChild(TEXT_CLASS_STATIC, TEXT_DESTINATION_LABEL, WS_CHILD, 0, 8, 88, 150, 21, window);
    installer.uninstallNote =
        CreateChild(TEXT_CLASS_STATIC, TEXT_UNINSTALL_NOTE, WS_CHILD, 0, 8, 224, 503, 21, window);
    installer.sourceEdit = CreateChild(TEXT_CLASS_EDIT, installer.sourceFolder, WS_CHILD | ES_AUTOHSCROLL,
                                       WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, 160, 64, 347, 21, window);
    installer.destinationEdit = CreateChild(TEXT_CLASS_EDIT, installer.destinationText, WS_CHILD | ES_AUTOHSCROLL,
                                            WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE, 160, 88, 347, 21, window);
    installer.browseButton =
        CreateChild(TEXT_CLASS_BUTTON, TEXT_BROWSE_BUTTON, WS_CHILD | WS_TABSTOP, 0, 160, 115, 89, 25, window);
    CreateChild(TEXT_CLASS_STATIC, 0, WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 279, cw, 2, window);
    CreateChild(TEXT_CLASS_STATIC, 0, WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 49, cw, 2, window);
    installer.nextButton = CreateChild(TEXT_CLASS_BUTTON, TEXT_NEXT_BUTTON, WS_CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                       0, cw - 194, 290, 89, 25, window);
    installer.cancelButton =
        CreateChild(TEXT_CLASS_BUTTON, TEXT_CANCEL_BUTTON, WS_CHILD | WS_TABSTOP, 0, cw - 97, 290, 89, 25, window);

    installer.headerFont = CreateSwissFont(18, FW_BOLD);
    installer.textFont = CreateSwissFont(8, FW_NORMAL);
    SetFont(installer.nextButton, installer.textFont);
    SetFont(installer.cancelButton, installer.textFont);
    SetFont(installer.browseButton, installer.textFont);
    SetFont(installer.welcomeHeader, installer.headerFont);
    SetFont(installer.sourceEdit, installer.textFont);
    SetFont(installer.destinationEdit, installer.textFont);
    SetFont(sourceLabel, installer.textFont);
    SetFont(installer.destinationLabel, installer.textFont);
    SetFont(installer.uninstallNote, installer.textFont);

    // Shown only now, so the controls appear all at once with their final fonts.
    ShowWindow(installer.welcomeWindow, SW_SHOW);
}

// The picked folder, one backslash, then the default folder name: 259 + 1 + 255 characters at most.
static void OnBrowseClicked() {
    if (!BrowseForDestination()) return;
    char destination[MAX_PATH + kTextSize];
    CopyText(destination, sizeof destination, installer.pickedFolder);
    EnsureTrailingBackslash(destination, sizeof destination);
    AppendText(destination, sizeof destination, installer.defaultFolderName);
    SendMessageA(installer.destinationEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(destination));
}

// Every control has the identifier 0, so a wParam of 0 is BN_CLICKED from one of the buttons;
// the edit fields' notifications carry a non-zero code and are ignored.
static void OnCommand(WPARAM wParam, LPARAM lParam) {
    if (wParam != 0) return;
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control == installer.browseButton)
        OnBrowseClicked();
    else if (control == installer.nextButton)
        RunInstallation();
    else if (control == installer.cancelButton)
        ConfirmQuit();
}

// The header band is white, every other static has the button face; text is drawn transparently.
static LRESULT OnColorStatic(WPARAM wParam, LPARAM lParam) {
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    if (reinterpret_cast<HWND>(lParam) == installer.welcomeHeader)
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return reinterpret_cast<LRESULT>(installer.faceBrush);
}

LRESULT CALLBACK WelcomeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnColorStatic(wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
