// The window store, classes, message queue and drawing objects of the fake layer (rules in windows.h).
#include "windows.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <stdexcept>

#include "fake.h"

namespace fake {
namespace {

const DWORD kErrorInvalidWindowHandle = 1400;
const DWORD kErrorCannotFindClass = 1407;
const DWORD kErrorClassDoesNotExist = 1411;
const DWORD kErrorClassHasWindows = 1412;
const DWORD kErrorResourceNameNotFound = 1814;
const DWORD kErrorInvalidParameter = 87;
const UINT kEditChanged = 0x0300;
const int kOpaque = 2;

const uintptr_t kDesktopHandle = 0x00010010;
const uintptr_t kFirstWindowHandle = 0x00020010;
const uintptr_t kFirstGdiHandle = 0x0B000100;
const uintptr_t kFirstStockHandle = 0x0B800000;
const uintptr_t kIconHandleValue = 0x00070001;

struct GdiObject {
    enum Kind { Brush, Font } kind;
    COLORREF color;
    FontRecord font;
    bool live;
};

std::deque<WindowRecord> windows;  // index = (handle - kFirstWindowHandle) / 0x10; a deque keeps references valid
std::vector<ClassRecord> classes;
std::deque<MSG> queue;
std::deque<std::function<void()>> idleSteps;
bool quitPosted;
int quitCode;
RECT desktop;
std::map<int, DWORD> sysColors;
bool iconPresent;
std::map<uintptr_t, GdiObject> gdiObjects;
uintptr_t nextGdiHandle;
std::map<uintptr_t, int> backgroundModes;
ATOM nextAtom;

void ResetWindows() {
    windows.clear();
    classes.clear();
    queue.clear();
    idleSteps.clear();
    quitPosted = false;
    quitCode = 0;
    desktop = RECT{0, 0, 1024, 768};
    sysColors.clear();
    iconPresent = true;
    gdiObjects.clear();
    nextGdiHandle = kFirstGdiHandle;
    backgroundModes.clear();
    nextAtom = 0xC100;
}

const bool registered = (OnReset(ResetWindows), ResetWindows(), true);

std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

WindowRecord* Find(HWND window) {
    uintptr_t value = reinterpret_cast<uintptr_t>(window);
    if (value < kFirstWindowHandle || (value - kFirstWindowHandle) % 0x10 != 0) return nullptr;
    size_t index = (value - kFirstWindowHandle) / 0x10;
    return index < windows.size() ? &windows[index] : nullptr;
}

WindowRecord* FindLive(HWND window) {
    WindowRecord* record = Find(window);
    return record && !record->destroyed ? record : nullptr;
}

ClassRecord* FindClass(const std::string& name) {
    std::string folded = Folded(name);
    for (ClassRecord& entry : classes)
        if (Folded(entry.className) == folded) return &entry;
    return nullptr;
}

bool IsSystemClass(const std::string& name) {
    std::string folded = Folded(name);
    return folded == "STATIC" || folded == "EDIT" || folded == "BUTTON";
}

HWND AddWindow(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
               int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID creationData, WNDPROC procedure) {
    HWND handle = reinterpret_cast<HWND>(kFirstWindowHandle + 0x10 * windows.size());
    windows.push_back(WindowRecord{handle, className, text != nullptr, text ? text : "", style, exStyle, x, y,
                                   width, height, parent, menu, instance, creationData, false, false, nullptr,
                                   false, procedure});
    return handle;
}

RECT ClientRectOf(const WindowRecord& record) {
    int width = record.width, height = record.height;
    if (!(record.style & WS_CHILD) && (record.style & WS_CAPTION) == WS_CAPTION) {
        width -= 2 * kBorderWidth;
        height -= kCaptionHeight + 2 * kBorderWidth;
    } else {
        int edge = 0;
        if (record.exStyle & WS_EX_CLIENTEDGE) edge += 2;
        if (record.exStyle & WS_EX_STATICEDGE) edge += 1;
        width -= 2 * edge;
        height -= 2 * edge;
    }
    return RECT{0, 0, std::max(width, 0), std::max(height, 0)};
}

// Where the client area of a window starts on the screen.
POINT ClientOrigin(const WindowRecord& record);

RECT ScreenRectOf(const WindowRecord& record) {
    POINT origin{0, 0};
    if (const WindowRecord* parent = Find(record.parent); parent && (record.style & WS_CHILD))
        origin = ClientOrigin(*parent);
    return RECT{origin.x + record.x, origin.y + record.y, origin.x + record.x + record.width,
                origin.y + record.y + record.height};
}

POINT ClientOrigin(const WindowRecord& record) {
    RECT outer = ScreenRectOf(record);
    RECT client = ClientRectOf(record);
    LONG frameX = (record.width - client.right) / 2;
    LONG frameY = record.height - client.bottom - frameX;
    return POINT{outer.left + frameX, outer.top + frameY};
}

// Marks the window and its children destroyed; WM_DESTROY goes to the window before its children.
void Destroy(HWND window) {
    WindowRecord* record = FindLive(window);
    if (!record) return;
    record->destroyed = true;
    record->visible = false;
    WNDPROC procedure = record->procedure;
    if (procedure) procedure(window, WM_DESTROY, 0, 0);
    for (HWND child : ChildWindows(window)) Destroy(child);
}

LRESULT HandleControlMessage(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        record.hasText = true;
        record.text = text ? text : "";
        if (Folded(record.className) == "EDIT") {
            HWND control = record.handle;
            WindowRecord* parent = FindLive(record.parent);
            if (parent && parent->procedure)
                parent->procedure(parent->handle, WM_COMMAND, static_cast<WPARAM>(kEditChanged) << 16,
                                  reinterpret_cast<LPARAM>(control));
        }
        return TRUE;
    }
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0) return 0;
        char* buffer = reinterpret_cast<char*>(lParam);
        size_t count = std::min<size_t>(record.text.size(), wParam - 1);
        std::copy(record.text.begin(), record.text.begin() + count, buffer);
        buffer[count] = 0;
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(record.text.size());
    case WM_SETFONT:
        record.font = reinterpret_cast<HFONT>(wParam);
        record.fontRedraw = lParam != 0;
        return 0;
    default:
        return 0;
    }
}

std::string Resource(LPCSTR name) {
    uintptr_t value = reinterpret_cast<uintptr_t>(name);
    if (value <= 0xFFFF) return "#" + std::to_string(value);
    return name;
}

HGDIOBJ AddGdiObject(GdiObject object) {
    uintptr_t handle = nextGdiHandle;
    nextGdiHandle += 0x10;
    gdiObjects[handle] = object;
    return reinterpret_cast<HGDIOBJ>(handle);
}

}  // namespace

const WindowRecord& Window(HWND window) {
    const WindowRecord* record = Find(window);
    if (!record) throw std::out_of_range("fake::Window: unknown window handle " + Handle(window));
    return *record;
}

std::string WindowText(HWND window) { return Window(window).text; }

bool IsWindowHandle(HWND window) { return FindLive(window) != nullptr; }

std::vector<HWND> AllWindows() {
    std::vector<HWND> handles;
    for (const WindowRecord& record : windows) handles.push_back(record.handle);
    return handles;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> handles;
    for (const WindowRecord& record : windows)
        if (record.parent == parent && parent != nullptr) handles.push_back(record.handle);
    return handles;
}

HWND CreateControl(const char* className, const char* text, HWND parent, DWORD style) {
    const ClassRecord* registeredClass = FindClass(className);
    return AddWindow(0, className, text, style, 0, 0, 100, 20, parent, nullptr, ModuleInstance(), nullptr,
                     registeredClass ? registeredClass->procedure : nullptr);
}

std::optional<ClassRecord> RegisteredClass(const std::string& className) {
    const ClassRecord* found = FindClass(className);
    if (!found) return std::nullopt;
    return *found;
}

void PostUserMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    queue.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
}

void PostClick(HWND button) {
    PostUserMessage(Window(button).parent, WM_COMMAND, BN_CLICKED, reinterpret_cast<LPARAM>(button));
}

void WhenIdle(std::vector<std::function<void()>> steps) { idleSteps.assign(steps.begin(), steps.end()); }

size_t QueuedMessageCount() { return queue.size(); }
bool QuitPosted() { return quitPosted; }
int QuitCode() { return quitCode; }

void SetDesktopRect(RECT rect) { desktop = rect; }
void SetDesktopSize(int width, int height) { desktop = RECT{0, 0, width, height}; }
void SetSysColor(int index, DWORD color) { sysColors[index] = color; }

void RemoveIconResource() { iconPresent = false; }
HICON IconHandle() { return reinterpret_cast<HICON>(kIconHandleValue); }

std::optional<FontRecord> Font(HFONT font) {
    auto found = gdiObjects.find(reinterpret_cast<uintptr_t>(font));
    if (found == gdiObjects.end() || found->second.kind != GdiObject::Font) return std::nullopt;
    return found->second.font;
}

std::optional<COLORREF> BrushColor(HBRUSH brush) {
    auto found = gdiObjects.find(reinterpret_cast<uintptr_t>(brush));
    if (found == gdiObjects.end() || found->second.kind != GdiObject::Brush) return std::nullopt;
    return found->second.color;
}

HGDIOBJ StockObject(int index) { return reinterpret_cast<HGDIOBJ>(kFirstStockHandle + 0x10 * index); }

bool IsLiveGdiObject(HGDIOBJ object) {
    auto found = gdiObjects.find(reinterpret_cast<uintptr_t>(object));
    return found != gdiObjects.end() && found->second.live;
}

int LiveGdiObjectCount() {
    return static_cast<int>(
        std::count_if(gdiObjects.begin(), gdiObjects.end(), [](const auto& entry) { return entry.second.live; }));
}

int BackgroundMode(HDC dc) {
    auto found = backgroundModes.find(reinterpret_cast<uintptr_t>(dc));
    return found == backgroundModes.end() ? kOpaque : found->second;
}

}  // namespace fake

using fake::Handle;
using fake::Hex;
using fake::Record;
using fake::Text;

// ---- user32: classes

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    Record("RegisterClassA",
           windowClass ? std::vector<std::string>{Hex(windowClass->style),
                                                  Handle(reinterpret_cast<void*>(windowClass->lpfnWndProc)),
                                                  std::to_string(windowClass->cbClsExtra),
                                                  std::to_string(windowClass->cbWndExtra),
                                                  Handle(windowClass->hInstance), Handle(windowClass->hIcon),
                                                  Handle(windowClass->hCursor), Handle(windowClass->hbrBackground),
                                                  Text(windowClass->lpszMenuName), Text(windowClass->lpszClassName)}
                       : std::vector<std::string>{"(null)"});
    DWORD error;
    if (fake::TakeInjectedFailure("RegisterClassA", &error)) {
        SetLastError(error);
        return 0;
    }
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) {
        SetLastError(fake::kErrorInvalidParameter);
        return 0;
    }
    if (fake::FindClass(windowClass->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ATOM atom = fake::nextAtom++;
    fake::classes.push_back(fake::ClassRecord{
        windowClass->style, windowClass->lpfnWndProc, windowClass->cbClsExtra, windowClass->cbWndExtra,
        windowClass->hInstance, windowClass->hIcon, windowClass->hCursor, windowClass->hbrBackground,
        windowClass->lpszMenuName != nullptr, Text(windowClass->lpszMenuName), windowClass->lpszClassName, atom});
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    Record("UnregisterClassA", {Text(className), Handle(instance)});
    DWORD error;
    if (fake::TakeInjectedFailure("UnregisterClassA", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (!className || !fake::FindClass(className)) {
        SetLastError(fake::kErrorClassDoesNotExist);
        return FALSE;
    }
    std::string folded = fake::Folded(className);
    for (const fake::WindowRecord& record : fake::windows) {
        if (!record.destroyed && fake::Folded(record.className) == folded) {
            SetLastError(fake::kErrorClassHasWindows);
            return FALSE;
        }
    }
    fake::classes.erase(std::remove_if(fake::classes.begin(), fake::classes.end(),
                                       [&](const fake::ClassRecord& entry) {
                                           return fake::Folded(entry.className) == folded;
                                       }),
                        fake::classes.end());
    return TRUE;
}

// ---- user32: windows

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    Record("CreateWindowExA", {Hex(exStyle), Text(className), Text(windowName), Hex(style), std::to_string(x),
                               std::to_string(y), std::to_string(width), std::to_string(height), Handle(parent),
                               Handle(menu), Handle(instance), Handle(param)});
    DWORD error;
    if (fake::TakeInjectedFailure("CreateWindowExA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    if (!className) {
        SetLastError(fake::kErrorCannotFindClass);
        return nullptr;
    }
    WNDPROC procedure = nullptr;
    if (const fake::ClassRecord* found = fake::FindClass(className)) {
        procedure = found->procedure;
    } else if (!fake::IsSystemClass(className)) {
        SetLastError(fake::kErrorCannotFindClass);
        return nullptr;
    }
    if ((style & WS_CHILD) && !fake::FindLive(parent)) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return nullptr;
    }
    HWND window = fake::AddWindow(exStyle, className, windowName, style, x, y, width, height, parent, menu,
                                  instance, param, procedure);
    fake::windows.back().visible = (style & WS_VISIBLE) != 0;
    return window;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    Record("ShowWindow", {Handle(window), std::to_string(command)});
    DWORD error;
    if (fake::TakeInjectedFailure("ShowWindow", &error)) {
        SetLastError(error);
        return FALSE;
    }
    fake::WindowRecord* record = fake::FindLive(window);
    if (!record) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return FALSE;
    }
    BOOL wasVisible = record->visible ? TRUE : FALSE;
    record->visible = command != SW_HIDE;
    return wasVisible;
}

BOOL WINAPI RedrawWindow(HWND window, const RECT* area, HANDLE region, UINT flags) {
    Record("RedrawWindow", {Handle(window), area ? "rect" : "(null)", Handle(region), Hex(flags)});
    DWORD error;
    if (fake::TakeInjectedFailure("RedrawWindow", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (!fake::FindLive(window)) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    Record("UpdateWindow", {Handle(window)});
    DWORD error;
    if (fake::TakeInjectedFailure("UpdateWindow", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (!fake::FindLive(window)) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return FALSE;
    }
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::vector<std::string> args{Handle(window), Hex(message), Hex(wParam)};
    // A text travels as the text itself, so a test can read what was set.
    args.push_back(message == WM_SETTEXT ? Text(reinterpret_cast<const char*>(lParam)) : Hex(lParam));
    Record("SendMessageA", args);
    DWORD error;
    if (fake::TakeInjectedFailure("SendMessageA", &error)) {
        SetLastError(error);
        return 0;
    }
    fake::WindowRecord* record = fake::FindLive(window);
    if (!record) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return 0;
    }
    if (record->procedure) return record->procedure(window, message, wParam, lParam);
    return fake::HandleControlMessage(*record, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("DefWindowProcA", {Handle(window), Hex(message), Hex(wParam), Hex(lParam)});
    DWORD error;
    if (fake::TakeInjectedFailure("DefWindowProcA", &error)) return 0;
    fake::WindowRecord* record = fake::FindLive(window);
    if (!record) return 0;
    switch (message) {
    case WM_CLOSE:
        fake::Destroy(window);
        return 0;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETFONT:
        return fake::HandleControlMessage(*record, message, wParam, lParam);
    default:
        return 0;
    }
}

HWND WINAPI GetDesktopWindow() {
    Record("GetDesktopWindow");
    DWORD error;
    if (fake::TakeInjectedFailure("GetDesktopWindow", &error)) return nullptr;
    return reinterpret_cast<HWND>(fake::kDesktopHandle);
}

BOOL WINAPI GetWindowRect(HWND window, RECT* rect) {
    Record("GetWindowRect", {Handle(window)});
    DWORD error;
    if (fake::TakeInjectedFailure("GetWindowRect", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (reinterpret_cast<uintptr_t>(window) == fake::kDesktopHandle) {
        *rect = fake::desktop;
        return TRUE;
    }
    const fake::WindowRecord* record = fake::FindLive(window);
    if (!record) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return FALSE;
    }
    *rect = fake::ScreenRectOf(*record);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, RECT* rect) {
    Record("GetClientRect", {Handle(window)});
    DWORD error;
    if (fake::TakeInjectedFailure("GetClientRect", &error)) {
        SetLastError(error);
        return FALSE;
    }
    if (reinterpret_cast<uintptr_t>(window) == fake::kDesktopHandle) {
        *rect = RECT{0, 0, fake::desktop.right - fake::desktop.left, fake::desktop.bottom - fake::desktop.top};
        return TRUE;
    }
    const fake::WindowRecord* record = fake::FindLive(window);
    if (!record) {
        SetLastError(fake::kErrorInvalidWindowHandle);
        return FALSE;
    }
    *rect = fake::ClientRectOf(*record);
    return TRUE;
}

DWORD WINAPI GetSysColor(int index) {
    Record("GetSysColor", {std::to_string(index)});
    DWORD error;
    if (fake::TakeInjectedFailure("GetSysColor", &error)) return 0;
    auto found = fake::sysColors.find(index);
    if (found != fake::sysColors.end()) return found->second;
    // the classic scheme's button face, 212 208 200, as COLORREF 0x00BBGGRR
    return index == COLOR_BTNFACE ? 0x00C8D0D4u : 0x00FFFFFFu;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    Record("LoadIconA", {Handle(instance), fake::Resource(name)});
    DWORD error;
    if (fake::TakeInjectedFailure("LoadIconA", &error)) {
        SetLastError(error);
        return nullptr;
    }
    bool ownIcon = instance == fake::ModuleInstance() && reinterpret_cast<uintptr_t>(name) > 0xFFFF &&
                   fake::Folded(name) == "MAINICON";
    if (!ownIcon || !fake::iconPresent) {
        SetLastError(fake::kErrorResourceNameNotFound);
        return nullptr;
    }
    return fake::IconHandle();
}

// ---- user32: the message queue

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
    Record("GetMessageA", {Handle(window), Hex(first), Hex(last)});
    DWORD error;
    if (fake::TakeInjectedFailure("GetMessageA", &error)) {
        SetLastError(error);
        return -1;
    }
    for (;;) {
        if (!fake::queue.empty()) {
            *message = fake::queue.front();
            fake::queue.pop_front();
            return message->message == WM_QUIT ? FALSE : TRUE;
        }
        if (fake::quitPosted) {
            fake::quitPosted = false;
            *message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(fake::quitCode), 0, 0, POINT{0, 0}};
            return FALSE;
        }
        if (fake::idleSteps.empty()) throw fake::MessageQueueRanDry{};
        std::function<void()> step = std::move(fake::idleSteps.front());
        fake::idleSteps.pop_front();
        step();
    }
}

BOOL WINAPI TranslateMessage(const MSG* message) {
    Record("TranslateMessage", {Handle(message->hwnd), Hex(message->message)});
    DWORD error;
    fake::TakeInjectedFailure("TranslateMessage", &error);  // translates nothing either way
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    Record("DispatchMessageA",
           {Handle(message->hwnd), Hex(message->message), Hex(message->wParam), Hex(message->lParam)});
    DWORD error;
    if (fake::TakeInjectedFailure("DispatchMessageA", &error)) return 0;  // the message is lost
    fake::WindowRecord* record = fake::FindLive(message->hwnd);
    if (!record) return 0;
    if (record->procedure) return record->procedure(message->hwnd, message->message, message->wParam, message->lParam);
    return fake::HandleControlMessage(*record, message->message, message->wParam, message->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    Record("PostQuitMessage", {std::to_string(exitCode)});
    DWORD error;
    if (fake::TakeInjectedFailure("PostQuitMessage", &error)) return;  // the quit message is lost
    fake::quitPosted = true;
    fake::quitCode = exitCode;
}

// ---- gdi32

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    Record("CreateSolidBrush", {Hex(color)});
    DWORD error;
    if (fake::TakeInjectedFailure("CreateSolidBrush", &error)) return nullptr;
    fake::GdiObject brush{fake::GdiObject::Brush, color, {}, true};
    return static_cast<HBRUSH>(fake::AddGdiObject(brush));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    Record("CreateFontA",
           {std::to_string(height), std::to_string(width), std::to_string(escapement), std::to_string(orientation),
            std::to_string(weight), std::to_string(italic), std::to_string(underline), std::to_string(strikeOut),
            std::to_string(charSet), std::to_string(outputPrecision), std::to_string(clipPrecision),
            std::to_string(quality), std::to_string(pitchAndFamily), Text(faceName)});
    DWORD error;
    if (fake::TakeInjectedFailure("CreateFontA", &error)) return nullptr;
    fake::FontRecord font{height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                          outputPrecision, clipPrecision, quality, pitchAndFamily, faceName != nullptr,
                          Text(faceName)};
    return static_cast<HFONT>(fake::AddGdiObject(fake::GdiObject{fake::GdiObject::Font, 0, font, true}));
}

HGDIOBJ WINAPI GetStockObject(int object) {
    Record("GetStockObject", {std::to_string(object)});
    DWORD error;
    if (fake::TakeInjectedFailure("GetStockObject", &error)) return nullptr;
    return fake::StockObject(object);
}

int WINAPI SetBkMode(HDC dc, int mode) {
    Record("SetBkMode", {Handle(dc), std::to_string(mode)});
    DWORD error;
    if (fake::TakeInjectedFailure("SetBkMode", &error) || !dc) return 0;
    int previous = fake::BackgroundMode(dc);
    fake::backgroundModes[reinterpret_cast<uintptr_t>(dc)] = mode;
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    Record("DeleteObject", {Handle(object)});
    DWORD error;
    if (fake::TakeInjectedFailure("DeleteObject", &error)) return FALSE;
    uintptr_t value = reinterpret_cast<uintptr_t>(object);
    if (value >= fake::kFirstStockHandle && value < fake::kFirstStockHandle + 0x1000) return TRUE;
    auto found = fake::gdiObjects.find(value);
    if (found == fake::gdiObjects.end() || !found->second.live) return FALSE;
    found->second.live = false;
    return TRUE;
}
