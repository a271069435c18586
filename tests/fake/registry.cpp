// The in-memory registry of the fake layer; its rules are listed in registry.h.
#include "registry.h"

#include <algorithm>
#include <map>
#include <memory>

#include "fake.h"

namespace fake {
namespace {

const LSTATUS kInvalidParameter = 87;
const LSTATUS kBadPathName = 161;
const LSTATUS kKeyDeleted = 1018;
const DWORD kCreatedNewKey = 1;
const DWORD kOpenedExistingKey = 2;
const REGSAM kSetValue = 0x2;
const REGSAM kCreateSubKey = 0x4;

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

struct Value {
    std::string name;
    RegistryData data;
};

struct Key {
    std::string name;  // as created
    bool denied = false;
    std::vector<Value> values;
    std::map<std::string, std::unique_ptr<Key>> children;  // by folded name

    Key* Child(const std::string& childName) {
        auto found = children.find(Folded(childName));
        return found == children.end() ? nullptr : found->second.get();
    }
    Value* FindValue(const std::string& valueName) {
        for (Value& value : values)
            if (Folded(value.name) == Folded(valueName)) return &value;
        return nullptr;
    }
};

Key NamedKey(const std::string& name) {
    Key key;
    key.name = name;
    return key;
}

Key machineRoot = NamedKey("HKEY_LOCAL_MACHINE");
Key userRoot = NamedKey("HKEY_CURRENT_USER");

struct OpenKey {
    HKEY root;
    std::vector<std::string> path;  // the levels below the root, as stored
    REGSAM access;
};
std::map<uintptr_t, OpenKey> openKeys;
uintptr_t nextHandle;
int mostOpen;

void ResetRegistry() {
    machineRoot = NamedKey("HKEY_LOCAL_MACHINE");
    userRoot = NamedKey("HKEY_CURRENT_USER");
    openKeys.clear();
    nextHandle = 0x00A10004;
    mostOpen = 0;
}

const bool registered = (OnReset(ResetRegistry), ResetRegistry(), true);

Key* RootKey(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return &machineRoot;
    if (root == HKEY_CURRENT_USER) return &userRoot;
    return nullptr;
}

// Splits a sub-key path into its levels; false for a leading backslash or an empty level.
bool SplitPath(const char* subKey, std::vector<std::string>* levels) {
    levels->clear();
    std::string path = subKey ? subKey : "";
    if (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('\\', start);
        std::string level = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (level.empty()) return false;
        levels->push_back(level);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

Key* Walk(Key* from, const std::vector<std::string>& levels) {
    for (const std::string& level : levels) {
        if (!from) return nullptr;
        from = from->Child(level);
    }
    return from;
}

// Where a key argument points: a root and the levels below it. False for an unknown handle.
bool Locate(HKEY key, HKEY* root, std::vector<std::string>* levels, REGSAM* access) {
    if (RootKey(key)) {
        *root = key;
        levels->clear();
        *access = KEY_ALL_ACCESS;
        return true;
    }
    auto found = openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (found == openKeys.end()) return false;
    *root = found->second.root;
    *levels = found->second.path;
    *access = found->second.access;
    return true;
}

std::string KeyName(HKEY key) {
    if (Key* root = RootKey(key)) return root->name;
    auto found = openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (found == openKeys.end()) return Hex(reinterpret_cast<uintptr_t>(key));
    std::string name = RootKey(found->second.root)->name;
    for (const std::string& level : found->second.path) name += "\\" + level;
    return name;
}

bool Refuses(const Key* key, REGSAM access) { return key->denied && (access & ~static_cast<REGSAM>(KEY_READ)) != 0; }

HKEY OpenHandle(HKEY root, const std::vector<std::string>& baseLevels, const std::vector<std::string>& levels,
                REGSAM access) {
    OpenKey open{root, {}, access};
    Key* at = RootKey(root);
    for (const std::string& level : baseLevels) {
        at = at->Child(level);
        open.path.push_back(at->name);
    }
    for (const std::string& level : levels) {
        at = at->Child(level);
        open.path.push_back(at->name);
    }
    uintptr_t handle = nextHandle;
    nextHandle += 4;
    openKeys[handle] = open;
    mostOpen = std::max(mostOpen, static_cast<int>(openKeys.size()));
    return reinterpret_cast<HKEY>(handle);
}

std::string SizeText(const DWORD* size) { return size ? std::to_string(*size) : std::string("(null)"); }

// The key a test names, made with every missing level.
Key* MakeKey(HKEY root, const std::string& path) {
    std::vector<std::string> levels;
    SplitPath(path.c_str(), &levels);
    Key* at = RootKey(root);
    for (const std::string& level : levels) {
        Key* child = at->Child(level);
        if (!child) {
            auto made = std::make_unique<Key>();
            made->name = level;
            child = made.get();
            at->children[Folded(level)] = std::move(made);
        }
        at = child;
    }
    return at;
}

Key* FindKey(HKEY root, const std::string& path) {
    std::vector<std::string> levels;
    if (!RootKey(root) || !SplitPath(path.c_str(), &levels)) return nullptr;
    return Walk(RootKey(root), levels);
}

}  // namespace

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<BYTE>& bytes) {
    Key* at = MakeKey(root, key);
    if (Value* value = at->FindValue(name)) {
        value->data = RegistryData{type, bytes};
        return;
    }
    at->values.push_back(Value{name, RegistryData{type, bytes}});
}

void SetRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                     DWORD type) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetRegistryValue(root, key, name, type, bytes);
}

void CreateRegistryKey(HKEY root, const std::string& key) { MakeKey(root, key); }

void DeleteRegistryKey(HKEY root, const std::string& key) {
    std::vector<std::string> levels;
    SplitPath(key.c_str(), &levels);
    if (levels.empty()) return;
    std::string last = levels.back();
    levels.pop_back();
    if (Key* parent = Walk(RootKey(root), levels)) parent->children.erase(Folded(last));
}

void DenyRegistryKey(HKEY root, const std::string& key) { MakeKey(root, key)->denied = true; }

bool RegistryKeyExists(HKEY root, const std::string& key) { return FindKey(root, key) != nullptr; }

std::optional<RegistryData> RegistryValue(HKEY root, const std::string& key, const std::string& name) {
    Key* at = FindKey(root, key);
    if (!at) return std::nullopt;
    Value* value = at->FindValue(name);
    if (!value) return std::nullopt;
    return value->data;
}

std::vector<std::string> RegistryValueNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    if (Key* at = FindKey(root, key))
        for (const Value& value : at->values) names.push_back(value.name);
    return names;
}

// Where a call on a key handle and a sub-key lands: the root, the handle's own path, the
// sub-key's levels and the key the handle names; a registry error for a bad handle or path.
LSTATUS FindBaseKey(HKEY key, LPCSTR subKey, HKEY* root, std::vector<std::string>* base,
                    std::vector<std::string>* levels, Key** baseKey) {
    REGSAM baseAccess;
    if (!Locate(key, root, base, &baseAccess)) return ERROR_INVALID_HANDLE;
    if (!SplitPath(subKey, levels)) return kBadPathName;
    *baseKey = Walk(RootKey(*root), *base);
    return *baseKey ? ERROR_SUCCESS : kKeyDeleted;
}

int OpenKeyCount() { return static_cast<int>(openKeys.size()); }
int MostKeysOpenAtOnce() { return mostOpen; }

}  // namespace fake

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    fake::Record("RegOpenKeyExA", {fake::KeyName(key), fake::Text(subKey), fake::Hex(options), fake::Hex(access)});
    DWORD injected;
    if (fake::TakeInjectedFailure("RegOpenKeyExA", &injected)) return static_cast<LSTATUS>(injected);
    if (!result) return fake::kInvalidParameter;
    *result = nullptr;
    HKEY root;
    std::vector<std::string> base, levels;
    fake::Key* baseKey;
    if (LSTATUS status = fake::FindBaseKey(key, subKey, &root, &base, &levels, &baseKey)) return status;
    fake::Key* target = fake::Walk(baseKey, levels);
    if (!target) return ERROR_FILE_NOT_FOUND;
    if (fake::Refuses(target, access)) return ERROR_ACCESS_DENIED;
    *result = fake::OpenHandle(root, base, levels, access);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                               REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    fake::Record("RegCreateKeyExA", {fake::KeyName(key), fake::Text(subKey), std::to_string(reserved),
                                     fake::Text(keyClass), fake::Hex(options), fake::Hex(access),
                                     fake::Handle(security)});
    DWORD injected;
    if (fake::TakeInjectedFailure("RegCreateKeyExA", &injected)) return static_cast<LSTATUS>(injected);
    if (!result) return fake::kInvalidParameter;
    *result = nullptr;
    HKEY root;
    std::vector<std::string> base, levels;
    fake::Key* at;
    if (LSTATUS status = fake::FindBaseKey(key, subKey, &root, &base, &levels, &at)) return status;
    // Find the first missing level; making it needs the right to add keys below its parent.
    size_t existing = 0;
    while (existing < levels.size() && at->Child(levels[existing])) at = at->Child(levels[existing++]);
    if (existing == levels.size()) {
        if (fake::Refuses(at, access)) return ERROR_ACCESS_DENIED;
    } else if (fake::Refuses(at, fake::kCreateSubKey)) {
        return ERROR_ACCESS_DENIED;
    }
    for (size_t i = existing; i < levels.size(); ++i) {
        auto made = std::make_unique<fake::Key>();
        made->name = levels[i];
        fake::Key* child = made.get();
        at->children[fake::Folded(levels[i])] = std::move(made);
        at = child;
    }
    if (disposition) *disposition = existing == levels.size() ? fake::kOpenedExistingKey : fake::kCreatedNewKey;
    *result = fake::OpenHandle(root, base, levels, access);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size) {
    (void)reserved;
    fake::Record("RegQueryValueExA", {fake::KeyName(key), fake::Text(name), data ? "buffer" : "(null)",
                                      fake::SizeText(size)});
    DWORD injected;
    if (fake::TakeInjectedFailure("RegQueryValueExA", &injected)) return static_cast<LSTATUS>(injected);
    HKEY root;
    std::vector<std::string> levels;
    REGSAM access;
    if (!fake::Locate(key, &root, &levels, &access)) return ERROR_INVALID_HANDLE;
    fake::Key* at = fake::Walk(fake::RootKey(root), levels);
    if (!at) return fake::kKeyDeleted;
    if (data && !size) return fake::kInvalidParameter;
    fake::Value* value = at->FindValue(name ? name : "");
    if (!value) return ERROR_FILE_NOT_FOUND;
    const std::vector<BYTE>& bytes = value->data.bytes;
    DWORD needed = static_cast<DWORD>(bytes.size());
    if (type) *type = value->data.type;
    if (!data) {
        if (size) *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    *size = needed;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    (void)reserved;
    std::string bytes = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string("(null)");
    fake::Record("RegSetValueExA", {fake::KeyName(key), fake::Text(name), std::to_string(type), bytes,
                                    std::to_string(size)});
    DWORD injected;
    if (fake::TakeInjectedFailure("RegSetValueExA", &injected)) return static_cast<LSTATUS>(injected);
    HKEY root;
    std::vector<std::string> levels;
    REGSAM access;
    if (!fake::Locate(key, &root, &levels, &access)) return ERROR_INVALID_HANDLE;
    fake::Key* at = fake::Walk(fake::RootKey(root), levels);
    if (!at) return fake::kKeyDeleted;
    if (!(access & fake::kSetValue) || fake::Refuses(at, fake::kSetValue)) return ERROR_ACCESS_DENIED;
    if (!data && size) return fake::kInvalidParameter;
    std::vector<BYTE> stored = data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
    std::string valueName = name ? name : "";
    if (fake::Value* value = at->FindValue(valueName))
        value->data = fake::RegistryData{type, stored};
    else
        at->values.push_back(fake::Value{valueName, fake::RegistryData{type, stored}});
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    fake::Record("RegCloseKey", {fake::KeyName(key)});
    DWORD injected;
    if (fake::TakeInjectedFailure("RegCloseKey", &injected)) return static_cast<LSTATUS>(injected);
    if (fake::RootKey(key)) return ERROR_SUCCESS;
    if (fake::openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}
