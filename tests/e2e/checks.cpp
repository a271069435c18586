#include "checks.h"

#include <objbase.h>
#include <shlobj.h>

#include <stdexcept>
#include <vector>

namespace {

std::runtime_error Failure(const std::string &what, DWORD error) {
    return std::runtime_error(what + ", error " + std::to_string(error));
}

std::string HexOf(const std::string &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

void AppendKeyTree(HKEY key, const std::string &name, std::string &out) {
    out += "[" + name + "]\n";
    for (DWORD index = 0;; ++index) {
        char valueName[16384];
        DWORD nameSize = sizeof valueName;
        DWORD type = 0;
        DWORD dataSize = 0;
        LONG status = RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type, nullptr,
                                    &dataSize);
        if (status != ERROR_SUCCESS) break;
        std::string data(dataSize, '\0');
        nameSize = sizeof valueName;
        RegEnumValueA(key, index, valueName, &nameSize, nullptr, &type,
                      reinterpret_cast<BYTE *>(&data[0]), &dataSize);
        data.resize(dataSize);
        out += std::string(valueName) + " " + std::to_string(type) + " " + HexOf(data) + "\n";
    }
    for (DWORD index = 0;; ++index) {
        char subName[512];
        DWORD nameSize = sizeof subName;
        if (RegEnumKeyExA(key, index, subName, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, subName, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            AppendKeyTree(sub, name + "\\" + subName, out);
            RegCloseKey(sub);
        } else {
            out += "[" + name + "\\" + subName + "] unreadable\n";
        }
    }
}

std::wstring Wide(const std::string &text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

}  // namespace

bool FileExists(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ReadWholeFile(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Failure("cannot open " + path, GetLastError());
    std::string bytes;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string &path, const std::string &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw Failure("cannot create " + path, GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw Failure("cannot write " + path, GetLastError());
}

HKEY RootKey(const std::string &name) {
    if (name == "HKLM") return HKEY_LOCAL_MACHINE;
    if (name == "HKCU") return HKEY_CURRENT_USER;
    throw std::runtime_error("unknown registry root " + name + " (HKLM or HKCU)");
}

RegistryValue ReadRegistryValue(HKEY root, const std::string &key, const std::string &value) {
    RegistryValue result;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return result;
    DWORD size = 0;
    if (RegQueryValueExA(opened, value.c_str(), nullptr, &result.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        result.data.assign(size, '\0');
        if (RegQueryValueExA(opened, value.c_str(), nullptr, &result.type,
                             reinterpret_cast<BYTE *>(&result.data[0]), &size) == ERROR_SUCCESS) {
            result.found = true;
            result.data.resize(size);
        }
    }
    RegCloseKey(opened);
    return result;
}

bool RegistryKeyExists(HKEY root, const std::string &key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

std::string SnapshotRegistryKey(HKEY root, const std::string &key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return "[" + key + "] missing\n";
    }
    std::string out;
    AppendKeyTree(opened, key, out);
    RegCloseKey(opened);
    return out;
}

ShortcutFacts ReadShortcut(const std::string &path) {
    if (!FileExists(path)) throw std::runtime_error("no shortcut file " + path);
    HRESULT init = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    IPersistFile *persist = nullptr;
    ShortcutFacts facts;
    std::string problem;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void **>(&link));
    if (FAILED(result)) {
        problem = "cannot create the shell link object";
    } else if (FAILED(link->QueryInterface(IID_IPersistFile,
                                           reinterpret_cast<void **>(&persist)))) {
        problem = "the shell link object has no IPersistFile";
    } else if (FAILED(result = persist->Load(Wide(path).c_str(), STGM_READ))) {
        problem = "cannot load the shortcut " + path;
    } else {
        char text[MAX_PATH * 4] = "";
        // SLGP_RAWPATH: the target as stored, not resolved against what exists on disk.
        link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        facts.target = text;
        text[0] = '\0';
        link->GetArguments(text, sizeof text);
        facts.arguments = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, sizeof text);
        facts.workingDirectory = text;
    }
    if (persist != nullptr) persist->Release();
    if (link != nullptr) link->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    if (!problem.empty()) throw Failure(problem, static_cast<DWORD>(result));
    return facts;
}
