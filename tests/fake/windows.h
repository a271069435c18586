// Windows, classes, the message queue and drawing objects in the fake layer.
//
// Every window lives in an in-memory store with its class, text, styles, rectangle, parent,
// visibility, font and, for a window of a registered class, the class's window procedure.
// Messages sent to such a window go to that procedure; the system classes STATIC, EDIT and
// BUTTON are plain controls whose text and font the fake keeps itself.
//
// Fixed rules of the fake, so that tests can compute what the product sees:
// - Handles count up from 0x00020010 in steps of 0x10; the desktop window is 0x00010010.
// - The desktop is 1024 x 768 unless a test sets another rectangle.
// - The client rectangle of a top-level window with WS_CAPTION is its outer size less a border
//   of 3 pixels on each side and a caption of 19 pixels (520 x 360 gives 514 x 332). A child
//   loses 2 pixels on each side for WS_EX_CLIENTEDGE and 1 for WS_EX_STATICEDGE.
// - Creating a window sends it no messages (no WM_NCCREATE, WM_CREATE); ShowWindow sends none.
// - WM_SETTEXT on an EDIT control sends its parent WM_COMMAND with EN_CHANGE (0x0300) in the
//   high word of wParam (identifier 0 in the low word) and the control in lParam, as the system
//   does after the text changed.
// - PostQuitMessage sets the quit flag; GetMessageA returns WM_QUIT only once every posted
//   message has been taken, as the system does. A GetMessageA on an empty queue with no quit
//   flag runs the next step a test gave to WhenIdle and looks again; with no step left it throws
//   fake::MessageQueueRanDry, so a test whose script runs out fails instead of hanging.
// - The style keeps the value given at creation; visibility is kept on its own (ShowWindow).
#pragma once
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>
#include "win32.h"

namespace fake {

struct WindowRecord {
    HWND handle;
    std::string className;  // as the creator spelled it
    bool hasText;           // false when the window was created with a null text
    std::string text;       // exact bytes
    DWORD style, exStyle;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
    LPVOID creationData;
    bool visible;
    bool destroyed;
    HFONT font;             // the last WM_SETFONT
    bool fontRedraw;        // its lParam
    WNDPROC procedure;      // null for a plain control
};

struct ClassRecord {
    UINT style;
    WNDPROC procedure;
    int classExtra, windowExtra;
    HINSTANCE instance;
    HICON icon;
    HCURSOR cursor;
    HBRUSH background;
    bool hasMenuName;
    std::string menuName;
    std::string className;
    ATOM atom;
};

struct FontRecord {
    int height, width, escapement, orientation, weight;
    DWORD italic, underline, strikeOut, charSet, outputPrecision, clipPrecision, quality, pitchAndFamily;
    bool hasFaceName;
    std::string faceName;
};

// Thrown by GetMessageA when nothing is queued, no quit message is due and no idle step is left.
struct MessageQueueRanDry : std::runtime_error {
    MessageQueueRanDry() : std::runtime_error("the program waits for input, but the test has no more steps") {}
};

// --- Windows
const WindowRecord& Window(HWND window);  // fails the test (throws std::out_of_range) for an unknown handle
std::string WindowText(HWND window);
bool IsWindowHandle(HWND window);         // known to the store and not destroyed
std::vector<HWND> AllWindows();           // every window ever created, in creation order
std::vector<HWND> ChildWindows(HWND parent);  // children and owned windows, in creation order
// A plain control (or, for a registered class name, a window of that class) made without a log entry.
HWND CreateControl(const char* className, const char* text, HWND parent = nullptr, DWORD style = WS_CHILD);

// --- Classes
std::optional<ClassRecord> RegisteredClass(const std::string& className);  // names compare in any case

// --- Message queue
void PostUserMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A click on a button as the system reports it: WM_COMMAND, BN_CLICKED from identifier 0, to the parent.
void PostClick(HWND button);
// What the user does, one step each time the program waits for input with nothing queued: the
// way to act on windows that the code under test has yet to make (fake::PostClick(installer.cancelButton)).
void WhenIdle(std::vector<std::function<void()>> steps);
size_t QueuedMessageCount();
bool QuitPosted();
int QuitCode();

// --- Screen and system colours
void SetDesktopRect(RECT rect);
void SetDesktopSize(int width, int height);
void SetSysColor(int index, DWORD color);
const int kCaptionHeight = 19;
const int kBorderWidth = 3;

// --- Icons: the module holds the icon group "MAINICON" unless a test removes it
void RemoveIconResource();
HICON IconHandle();  // what LoadIconA returns for "MAINICON"

// --- Drawing objects
std::optional<FontRecord> Font(HFONT font);
std::optional<COLORREF> BrushColor(HBRUSH brush);
HGDIOBJ StockObject(int index);
bool IsLiveGdiObject(HGDIOBJ object);  // created and not yet deleted
int LiveGdiObjectCount();              // stock objects not counted
int BackgroundMode(HDC dc);            // the last SetBkMode, OPAQUE (2) before any

}  // namespace fake
