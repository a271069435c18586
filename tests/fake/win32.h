// Our own declarations of just the Win32 types, constants and functions that the installer
// uses, so that the product sources compile natively against the fake layer. Widths follow
// 32-bit Windows where the code can tell: DWORD, UINT and LONG are 32 bits, BOOL is int,
// WPARAM, LPARAM and LRESULT are pointer-sized. Handles are distinct pointer types.
#pragma once
#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define STDMETHODCALLTYPE

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef int32_t HRESULT;
typedef int BOOL;
typedef char CHAR;
typedef char16_t WCHAR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uintptr_t UINT_PTR;
typedef WORD ATOM;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* LPCOLESTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;
typedef void* HANDLE;
typedef LONG LSTATUS;
typedef DWORD COLORREF;
typedef intptr_t (*FARPROC)();

#define FAKE_HANDLE_TYPE(name) struct name##__ { int unused; }; typedef struct name##__* name
FAKE_HANDLE_TYPE(HWND);
FAKE_HANDLE_TYPE(HINSTANCE);
FAKE_HANDLE_TYPE(HBRUSH);
FAKE_HANDLE_TYPE(HFONT);
FAKE_HANDLE_TYPE(HDC);
FAKE_HANDLE_TYPE(HICON);
FAKE_HANDLE_TYPE(HMENU);
FAKE_HANDLE_TYPE(HKEY);
#undef FAKE_HANDLE_TYPE
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void* HGDIOBJ;
typedef HKEY* PHKEY;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define MAKEINTRESOURCEA(id) ((LPSTR)(uintptr_t)(WORD)(id))

struct RECT { LONG left, top, right, bottom; };
struct POINT { LONG x, y; };
struct FILETIME { DWORD dwLowDateTime, dwHighDateTime; };
struct MSG { HWND hwnd; UINT message; WPARAM wParam; LPARAM lParam; DWORD time; POINT pt; };
typedef MSG* LPMSG;
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

struct GUID { uint32_t Data1; uint16_t Data2; uint16_t Data3; uint8_t Data4[8]; };
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFIID;
typedef const GUID& REFCLSID;

// ---- kernel32
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_SHARING_VIOLATION 32L
#define ERROR_HANDLE_EOF 38L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_MORE_DATA 234L
#define ERROR_CLASS_ALREADY_EXISTS 1410L

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1u
#define FILE_SHARE_WRITE 0x2u
#define FILE_SHARE_DELETE 0x4u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_READONLY 0x1u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define CP_ACP 0u
#define HEAP_ZERO_MEMORY 0x8u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x200u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x1000u
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x800u

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
    DWORD dwVolumeSerialNumber, nFileSizeHigh, nFileSizeLow, nNumberOfLinks;
    DWORD nFileIndexHigh, nFileIndexLow;
};

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD error);
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD creation, DWORD attributes, HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
BOOL WINAPI CloseHandle(HANDLE object);
BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
DWORD WINAPI GetFileAttributesA(LPCSTR path);
BOOL WINAPI GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideLength);
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                            DWORD size, void* arguments);
HANDLE WINAPI GetProcessHeap();
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, size_t bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);

// ---- user32
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

#define CS_VREDRAW 0x1u
#define CS_HREDRAW 0x2u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_TABSTOP 0x00010000u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_CONTROLPARENT 0x00010000u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define SS_CENTER 0x1u
#define SS_SIMPLE 0xBu
#define ES_AUTOHSCROLL 0x80u
#define BS_DEFPUSHBUTTON 0x1u
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define WM_DESTROY 0x0002u
#define WM_CLOSE 0x0010u
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_QUIT 0x0012u
#define WM_SETFONT 0x0030u
#define WM_COMMAND 0x0111u
#define WM_CTLCOLORSTATIC 0x0138u
#define BN_CLICKED 0
#define MB_OK 0x0u
#define MB_YESNO 0x4u
#define MB_ICONERROR 0x10u
#define MB_ICONQUESTION 0x20u
#define MB_ICONEXCLAMATION 0x30u
#define MB_ICONINFORMATION 0x40u
#define MB_TASKMODAL 0x2000u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define COLOR_BTNFACE 15
#define TRANSPARENT 1

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI UpdateWindow(HWND window);
#define RDW_INVALIDATE 0x1u
#define RDW_ERASE 0x4u
#define RDW_ALLCHILDREN 0x80u
#define RDW_UPDATENOW 0x100u
BOOL WINAPI RedrawWindow(HWND window, const RECT* area, HANDLE region, UINT flags);
BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT first, UINT last);
BOOL WINAPI TranslateMessage(const MSG* message);
LRESULT WINAPI DispatchMessageA(const MSG* message);
void WINAPI PostQuitMessage(int exitCode);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR WINAPI SetCursor(HCURSOR cursor);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND WINAPI GetDesktopWindow();
BOOL WINAPI GetWindowRect(HWND window, RECT* rect);
BOOL WINAPI GetClientRect(HWND window, RECT* rect);
DWORD WINAPI GetSysColor(int index);

// ---- gdi32
#define WHITE_BRUSH 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define VARIABLE_PITCH 2
#define FF_SWISS 0x20

HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                         DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
HGDIOBJ WINAPI GetStockObject(int object);
int WINAPI SetBkMode(HDC dc, int mode);
BOOL WINAPI DeleteObject(HGDIOBJ object);

// ---- advapi32
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)
#define KEY_ALL_ACCESS 0xF003Fu
#define KEY_READ 0x20019u
#define REG_OPTION_NON_VOLATILE 0u
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
typedef DWORD REGSAM;

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                               REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size);
LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS WINAPI RegCloseKey(HKEY key);

// ---- shell32
struct ITEMIDLIST { WORD size; BYTE data[1]; };
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);
struct BROWSEINFOA {
    HWND hwndOwner;
    LPCITEMIDLIST pidlRoot;
    LPSTR pszDisplayName;
    LPCSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
#define BIF_RETURNONLYFSDIRS 0x1u
#define SHCNE_CREATE 0x2L
#define SHCNE_UPDATEDIR 0x1000L
#define SHCNF_PATHA 0x1u
#define SHCNF_FLUSH 0x1000u
#define CSIDL_PROGRAMS 0x2
#define SHGFP_TYPE_CURRENT 0

LPITEMIDLIST WINAPI SHBrowseForFolderA(BROWSEINFOA* info);
BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
void WINAPI SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               int showCommand);
HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);

// ---- ole32 and the shell link object
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_FAIL ((HRESULT)0x80004005u)
#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_LOCAL_SERVER 0x4u

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
struct IShellLinkA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR arguments) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHotkey(WORD hotkey) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetShowCmd(int showCommand) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR iconPath, int icon) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file) = 0;
};
struct IPersistFile : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) = 0;
};

HRESULT WINAPI CoInitialize(LPVOID reserved);
void WINAPI CoUninitialize();
HRESULT WINAPI CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object);
void WINAPI CoTaskMemFree(LPVOID memory);
