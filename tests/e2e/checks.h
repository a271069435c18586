// What an installation leaves behind, read back from inside the prefix: files, registry values and
// shortcut files (through the shell link object, as any program would read them).
#pragma once

#include <windows.h>

#include <string>

// Files. ReadWholeFile throws when the file cannot be read.
bool FileExists(const std::string &path);    // a file, not a folder
bool FolderExists(const std::string &path);
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &bytes);

// Registry. Root names: HKLM, HKCU. A missing key or value gives found = false.
struct RegistryValue {
    bool found = false;
    DWORD type = 0;
    std::string data;  // raw bytes as stored (texts with their terminating zero)
};
HKEY RootKey(const std::string &name);
RegistryValue ReadRegistryValue(HKEY root, const std::string &key, const std::string &value);
bool RegistryKeyExists(HKEY root, const std::string &key);
// The whole tree below a key, sub-keys and values, as one comparable text.
std::string SnapshotRegistryKey(HKEY root, const std::string &key);

// Shortcut files.
struct ShortcutFacts {
    std::string target;
    std::string arguments;
    std::string workingDirectory;
};
ShortcutFacts ReadShortcut(const std::string &path);
