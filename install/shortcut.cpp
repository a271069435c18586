#include "shortcut.h"

#include "fatal.h"
#include "text.h"
#include "texts.h"

// The shell link object's class and the three interfaces the installer asks it for.
static const GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID kUnknownInterface = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID kShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

const DWORD kLinkServers = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// What one call holds; every way out lets go of all of it, raised errors included.
struct LinkHold {
    IUnknown* object;
    IShellLinkA* link;
    IPersistFile* file;
    WCHAR* widePath;
};

static void ReleaseHold(LinkHold* hold) {
    if (hold->widePath) HeapFree(GetProcessHeap(), 0, hold->widePath);
    if (hold->file) hold->file->Release();
    if (hold->link) hold->link->Release();
    if (hold->object) hold->object->Release();
    FillBytes(hold, 0, sizeof *hold);
}

// The system's own words for the HRESULT, without the line end it puts after them; a result it
// has no message for is named by its number.
static void DescribeResult(HRESULT result, char* text, unsigned size) {
    FillBytes(text, 0, size);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, 0,
                                  static_cast<DWORD>(result), 0, text, size - 1, 0);
    if (length >= size) length = size - 1;
    text[length] = 0;
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n')) text[--length] = 0;
    if (length > 0) return;
    CopyText(text, size, TEXT_ERROR_OLE);
    AppendHex8(text, size, static_cast<uint32_t>(result));
}

[[noreturn]] static void RaiseOleError(LinkHold* hold, HRESULT result) {
    ReleaseHold(hold);
    char text[512];
    DescribeResult(result, text, sizeof text);
    RaiseError(TEXT_KIND_OLE, text);
}

[[noreturn]] static void RaiseInterfaceError(LinkHold* hold) {
    ReleaseHold(hold);
    RaiseError(TEXT_KIND_INTERFACE, TEXT_ERROR_INTERFACE);
}

static void FillLink(IShellLinkA* link, const char* description, const char* target, const char* arguments,
                     const char* workingDirectory, const char* iconFile, int iconIndex, int showCommand,
                     WORD hotKey) {
    // A field the object refuses is simply missing from the shortcut; only saving decides.
    link->SetPath(target);
    link->SetArguments(arguments);
    if (workingDirectory[0]) link->SetWorkingDirectory(workingDirectory);
    if (iconFile[0]) link->SetIconLocation(iconFile, iconIndex);
    link->SetShowCmd(showCommand);
    if (description[0]) link->SetDescription(description);
    if (hotKey != 0) link->SetHotkey(hotKey);
}

// The path in UTF-16 on the heap, as the object saves under; null when it cannot be converted.
static WCHAR* WidenPath(const char* path) {
    int count = MultiByteToWideChar(CP_ACP, 0, path, -1, 0, 0);
    if (count <= 0) return 0;
    WCHAR* wide = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(count) * sizeof(WCHAR)));
    if (!wide) return 0;
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, count) != count) {
        HeapFree(GetProcessHeap(), 0, wide);
        return 0;
    }
    return wide;
}

bool WriteShortcut(const char* shortcutFile, const char* description, const char* target, const char* arguments,
                   const char* workingDirectory, const char* iconFile, int iconIndex, int showCommand, WORD hotKey) {
    LinkHold hold;
    FillBytes(&hold, 0, sizeof hold);
    void* reached = 0;
    HRESULT created = CoCreateInstance(kShellLinkClass, 0, kLinkServers, kUnknownInterface, &reached);
    if (created < 0) RaiseOleError(&hold, created);
    hold.object = static_cast<IUnknown*>(reached);
    if (!hold.object) RaiseInterfaceError(&hold);

    reached = 0;
    if (hold.object->QueryInterface(kShellLinkInterface, &reached) < 0) reached = 0;
    hold.link = static_cast<IShellLinkA*>(reached);
    if (!hold.link) RaiseInterfaceError(&hold);
    FillLink(hold.link, description, target, arguments, workingDirectory, iconFile, iconIndex, showCommand, hotKey);

    reached = 0;
    if (hold.object->QueryInterface(kPersistFileInterface, &reached) < 0) reached = 0;
    hold.file = static_cast<IPersistFile*>(reached);
    if (!hold.file) RaiseInterfaceError(&hold);

    // A path that cannot be converted cannot be saved under: that is a failed save, not an error.
    bool saved = false;
    hold.widePath = WidenPath(shortcutFile);
    if (hold.widePath) saved = hold.file->Save(hold.widePath, TRUE) >= 0;
    ReleaseHold(&hold);
    return saved;
}
