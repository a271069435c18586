// COM start and stop and the shell link object of the fake layer; the rules are in com.h.
#include "com.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

#include "fake.h"
#include "files.h"

namespace fake {
namespace {

const HRESULT kPointerMissing = static_cast<HRESULT>(0x80004003u);   // E_POINTER
const HRESULT kInvalidArgument = static_cast<HRESULT>(0x80070057u);  // E_INVALIDARG
const HRESULT kNotInitialized = static_cast<HRESULT>(0x800401F0u);   // CO_E_NOTINITIALIZED
const HRESULT kClassNotRegistered = static_cast<HRESULT>(0x80040154u);
const HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110u);
const HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003u);
const HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);

const GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kUnknownId = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkId = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFileId = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

const char kFileHeader[] = "[fake shell link]";

bool SameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

std::string GuidText(const GUID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
                  id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}

std::string InterfaceName(const GUID& id) {
    if (SameGuid(id, kUnknownId)) return "IUnknown";
    if (SameGuid(id, kShellLinkId)) return "IShellLinkA";
    if (SameGuid(id, kPersistFileId)) return "IPersistFile";
    return GuidText(id);
}

HRESULT AsResult(DWORD error) {
    return static_cast<HRESULT>(error >= 0x80000000u ? error : (0x80070000u | (error & 0xFFFFu)));
}

// An injected failure of the method under its logged name, as an HRESULT.
bool Injected(const char* method, HRESULT* result) {
    DWORD error;
    if (!TakeInjectedFailure(method, &error)) return false;
    *result = AsResult(error);
    return true;
}

// The UTF-16 units of the Windows-1252 bytes 0x80 to 0x9F; the five bytes the code page leaves
// unassigned stand for the unit of the same number, as the system converts them.
const char16_t kHighUnits[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string NarrowText(const WCHAR* wide) {
    if (!wide) return "(null)";
    std::string text;
    for (; *wide; ++wide) {
        char16_t unit = static_cast<char16_t>(*wide);
        char byte = '?';
        if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) byte = static_cast<char>(unit);
        for (int i = 0; i < 32; ++i)
            if (kHighUnits[i] == unit) byte = static_cast<char>(0x80 + i);
        text += byte;
    }
    return text;
}

// Line breaks and the escape mark itself are escaped so that every field stays on its line.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += "%25";
        else if (c == '\r') out += "%0D";
        else if (c == '\n') out += "%0A";
        else out += c;
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FileText(const ShortcutFields& fields) {
    std::string text = std::string(kFileHeader) + "\n";
    text += "Path=" + Escaped(fields.path) + "\n";
    text += "Arguments=" + Escaped(fields.arguments) + "\n";
    text += "WorkingDirectory=" + Escaped(fields.workingDirectory) + "\n";
    text += "Description=" + Escaped(fields.description) + "\n";
    text += "IconFile=" + Escaped(fields.iconFile) + "\n";
    text += "IconIndex=" + std::to_string(fields.iconIndex) + "\n";
    text += "ShowCmd=" + std::to_string(fields.showCommand) + "\n";
    text += "Hotkey=" + std::to_string(fields.hotKey) + "\n";
    return text;
}

std::string FolderOf(const std::string& path) {
    size_t end = path.find_last_of("\\/");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

struct ShellLink;

// One interface pointer of the object; all three share the object's count.
struct UnknownPart : IUnknown {
    ShellLink* owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
};

struct LinkPart : IShellLinkA {
    ShellLink* owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetDescription(LPCSTR name) override;
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCSTR folder) override;
    HRESULT STDMETHODCALLTYPE SetArguments(LPCSTR arguments) override;
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD hotkey) override;
    HRESULT STDMETHODCALLTYPE SetShowCmd(int showCommand) override;
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCSTR iconPath, int icon) override;
    HRESULT STDMETHODCALLTYPE SetPath(LPCSTR file) override;
};

struct PersistPart : IPersistFile {
    ShellLink* owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;
};

struct ShellLink {
    long references = 0;
    bool hasLink = true, hasPersist = true;
    UnknownPart unknown;
    LinkPart link;
    PersistPart persist;
    ShortcutFields fields;

    ShellLink() { unknown.owner = link.owner = persist.owner = this; }
    void* Reach(REFIID iid);  // the interface pointer, or null when the object lacks it
    HRESULT Query(const char* through, REFIID iid, void** object);
    ULONG Add(const char* through);
    ULONG Drop(const char* through);
};

// Objects stay allocated until the reset, so a call after the last Release is still safe to log.
std::vector<std::unique_ptr<ShellLink>> links;
HRESULT initializeResult;
int comStarts;
int uninitializeCount;
HRESULT createResult;
bool lackLink, lackPersist;
HRESULT saveResult;
std::optional<std::string> savedFile;
std::optional<ShortcutFields> savedFields;

void ResetCom() {
    links.clear();
    initializeResult = S_OK;
    comStarts = 0;
    uninitializeCount = 0;
    createResult = S_OK;
    lackLink = lackPersist = false;
    saveResult = S_OK;
    savedFile.reset();
    savedFields.reset();
}

const bool registered = (OnReset(ResetCom), ResetCom(), true);

void* ShellLink::Reach(REFIID iid) {
    if (SameGuid(iid, kUnknownId)) return static_cast<IUnknown*>(&unknown);
    if (SameGuid(iid, kShellLinkId) && hasLink) return static_cast<IShellLinkA*>(&link);
    if (SameGuid(iid, kPersistFileId) && hasPersist) return static_cast<IPersistFile*>(&persist);
    return nullptr;
}

HRESULT ShellLink::Query(const char* through, REFIID iid, void** object) {
    Record("IUnknown::QueryInterface", {through, InterfaceName(iid)});
    HRESULT injected;
    if (Injected("IUnknown::QueryInterface", &injected)) return injected;
    if (!object) return kPointerMissing;
    *object = Reach(iid);
    if (!*object) return E_NOINTERFACE;
    ++references;
    return S_OK;
}

ULONG ShellLink::Add(const char* through) {
    ++references;
    Record("IUnknown::AddRef", {through, std::to_string(references)});
    return static_cast<ULONG>(references);
}

ULONG ShellLink::Drop(const char* through) {
    --references;
    Record("IUnknown::Release", {through, std::to_string(references)});
    return static_cast<ULONG>(references < 0 ? 0 : references);
}

HRESULT UnknownPart::QueryInterface(REFIID iid, void** object) { return owner->Query("IUnknown", iid, object); }
ULONG UnknownPart::AddRef() { return owner->Add("IUnknown"); }
ULONG UnknownPart::Release() { return owner->Drop("IUnknown"); }

HRESULT LinkPart::QueryInterface(REFIID iid, void** object) { return owner->Query("IShellLinkA", iid, object); }
ULONG LinkPart::AddRef() { return owner->Add("IShellLinkA"); }
ULONG LinkPart::Release() { return owner->Drop("IShellLinkA"); }

HRESULT PersistPart::QueryInterface(REFIID iid, void** object) { return owner->Query("IPersistFile", iid, object); }
ULONG PersistPart::AddRef() { return owner->Add("IPersistFile"); }
ULONG PersistPart::Release() { return owner->Drop("IPersistFile"); }

// The common shape of the text setters: log, injected failure, null check, store.
HRESULT SetTextField(const char* method, LPCSTR text, std::string* field) {
    Record(method, {Text(text)});
    HRESULT injected;
    if (Injected(method, &injected)) return injected;
    if (!text) return kInvalidArgument;
    *field = text;
    return S_OK;
}

HRESULT LinkPart::SetDescription(LPCSTR name) {
    return SetTextField("IShellLinkA::SetDescription", name, &owner->fields.description);
}
HRESULT LinkPart::SetWorkingDirectory(LPCSTR folder) {
    return SetTextField("IShellLinkA::SetWorkingDirectory", folder, &owner->fields.workingDirectory);
}
HRESULT LinkPart::SetArguments(LPCSTR arguments) {
    return SetTextField("IShellLinkA::SetArguments", arguments, &owner->fields.arguments);
}
HRESULT LinkPart::SetPath(LPCSTR file) { return SetTextField("IShellLinkA::SetPath", file, &owner->fields.path); }

HRESULT LinkPart::SetHotkey(WORD hotkey) {
    Record("IShellLinkA::SetHotkey", {Hex(hotkey)});
    HRESULT injected;
    if (Injected("IShellLinkA::SetHotkey", &injected)) return injected;
    owner->fields.hotKey = hotkey;
    return S_OK;
}

HRESULT LinkPart::SetShowCmd(int showCommand) {
    Record("IShellLinkA::SetShowCmd", {std::to_string(showCommand)});
    HRESULT injected;
    if (Injected("IShellLinkA::SetShowCmd", &injected)) return injected;
    owner->fields.showCommand = showCommand;
    return S_OK;
}

HRESULT LinkPart::SetIconLocation(LPCSTR iconPath, int icon) {
    Record("IShellLinkA::SetIconLocation", {Text(iconPath), std::to_string(icon)});
    HRESULT injected;
    if (Injected("IShellLinkA::SetIconLocation", &injected)) return injected;
    if (!iconPath) return kInvalidArgument;
    owner->fields.iconFile = iconPath;
    owner->fields.iconIndex = icon;
    return S_OK;
}

HRESULT PersistPart::Save(LPCOLESTR fileName, BOOL remember) {
    std::string path = NarrowText(fileName);
    Record("IPersistFile::Save", {path, remember ? "1" : "0"});
    HRESULT injected;
    if (Injected("IPersistFile::Save", &injected)) return injected;
    if (!fileName) return kInvalidArgument;
    if (!HostFolderExists(FolderOf(path))) return kPathNotFound;
    if (HostFolderExists(path)) return kAccessDenied;
    if (saveResult < 0) return saveResult;
    WriteHostFile(path, FileText(owner->fields));
    savedFile = path;
    savedFields = owner->fields;
    return saveResult;
}

}  // namespace

void SetCoInitializeResult(HRESULT result) { initializeResult = result; }
int CoUninitializeCount() { return uninitializeCount; }
bool IsComStarted() { return comStarts > 0; }
void SetCoCreateInstanceResult(HRESULT result) { createResult = result; }

void LackInterface(const std::string& interfaceName) {
    if (interfaceName == "IShellLinkA") lackLink = true;
    if (interfaceName == "IPersistFile") lackPersist = true;
}

void SetSaveResult(HRESULT result) { saveResult = result; }

int ShellLinksMade() { return static_cast<int>(links.size()); }

int LiveShellLinks() {
    int live = 0;
    for (const auto& link : links)
        if (link->references > 0) ++live;
    return live;
}

std::optional<std::string> LastSavedShortcutFile() { return savedFile; }
std::optional<ShortcutFields> LastSavedShortcut() { return savedFields; }

std::optional<ShortcutFields> ReadShortcutFile(const std::string& path) {
    std::optional<std::string> bytes = ReadHostFile(path);
    if (!bytes) return std::nullopt;
    size_t at = 0;
    auto nextLine = [&](std::string* line) {
        if (at >= bytes->size()) return false;
        size_t end = bytes->find('\n', at);
        if (end == std::string::npos) end = bytes->size();
        *line = bytes->substr(at, end - at);
        at = end + 1;
        return true;
    };
    std::string line;
    if (!nextLine(&line) || line != kFileHeader) return std::nullopt;
    ShortcutFields fields;
    while (nextLine(&line)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos) return std::nullopt;
        std::string name = line.substr(0, equals);
        std::string value = Unescaped(line.substr(equals + 1));
        if (name == "Path") fields.path = value;
        else if (name == "Arguments") fields.arguments = value;
        else if (name == "WorkingDirectory") fields.workingDirectory = value;
        else if (name == "Description") fields.description = value;
        else if (name == "IconFile") fields.iconFile = value;
        else if (name == "IconIndex") fields.iconIndex = std::stoi(value);
        else if (name == "ShowCmd") fields.showCommand = std::stoi(value);
        else if (name == "Hotkey") fields.hotKey = static_cast<WORD>(std::stoi(value));
        else return std::nullopt;
    }
    return fields;
}

}  // namespace fake

HRESULT WINAPI CoInitialize(LPVOID reserved) {
    fake::Record("CoInitialize", {fake::Handle(reserved)});
    HRESULT result;
    if (fake::Injected("CoInitialize", &result)) return result;
    if (fake::initializeResult >= 0) ++fake::comStarts;
    return fake::initializeResult;
}

void WINAPI CoUninitialize() {
    fake::Record("CoUninitialize");
    ++fake::uninitializeCount;
    if (fake::comStarts > 0) --fake::comStarts;
}

HRESULT WINAPI CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object) {
    fake::Record("CoCreateInstance", {fake::GuidText(classId), fake::Handle(outer), fake::Hex(context),
                                      fake::InterfaceName(iid)});
    HRESULT result;
    if (fake::Injected("CoCreateInstance", &result)) return result;
    if (!object) return fake::kPointerMissing;
    *object = nullptr;
    if (fake::createResult < 0) return fake::createResult;
    if (fake::comStarts == 0) return fake::kNotInitialized;
    if (!fake::SameGuid(classId, fake::kShellLinkClass) ||
        (context & (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)) == 0)
        return fake::kClassNotRegistered;
    if (outer) return fake::kNoAggregation;
    fake::links.push_back(std::make_unique<fake::ShellLink>());
    fake::ShellLink* link = fake::links.back().get();
    link->hasLink = !fake::lackLink;
    link->hasPersist = !fake::lackPersist;
    // The first reference comes from asking for the interface, which is not logged as a call.
    void* reached = link->Reach(iid);
    if (!reached) return E_NOINTERFACE;
    link->references = 1;
    *object = reached;
    return S_OK;
}
