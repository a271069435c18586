// The registry in the fake layer: an in-memory tree of keys below HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER, each with its values (type and bytes, kept in the order of creation).
//
// Fixed rules of the fake, so that tests can compute what the product sees:
// - After fake::Reset the registry is empty: no key exists below either root. A test lays out
//   the keys and values it needs.
// - Key and value names compare without regard to case (A-Z folded to a-z); a key or value keeps
//   the spelling it was created with. Key paths are split at backslashes; one trailing backslash
//   is ignored, a leading one or an empty level gives ERROR_BAD_PATHNAME (161).
// - A denied key (DenyRegistryKey) opens only for KEY_READ (or less); any wider access, creating
//   a key below it, or writing a value through a handle opened for reading gives
//   ERROR_ACCESS_DENIED. This is how a user without write access to the machine's settings looks.
// - RegOpenKeyExA never creates; a missing key gives ERROR_FILE_NOT_FOUND. RegCreateKeyExA makes
//   every missing level and reports REG_CREATED_NEW_KEY (1) or REG_OPENED_EXISTING_KEY (2).
// - RegQueryValueExA: without a data buffer it reports type and size; with one that is too small
//   it gives ERROR_MORE_DATA and the needed size; a missing value gives ERROR_FILE_NOT_FOUND.
//   The data are the stored bytes exactly: a text stored without its zero is read without one.
// - Key handles count up from 0x00A10004 in steps of 4; the two roots need no opening and
//   closing them does nothing. Every open handle is tracked until RegCloseKey.
// - Every call is recorded. Key arguments appear as "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER"
//   for a root, as the root and the key's path ("HKEY_LOCAL_MACHINE\SOFTWARE\...") for an open
//   handle, and in hex for anything else. Sizes and types are decimal, options and access hex.
//   RegOpenKeyExA:    key, sub-key, options, access
//   RegCreateKeyExA:  key, sub-key, reserved, class, options, access, security ("(null)" or hex)
//   RegQueryValueExA: key, value name, data buffer ("(null)" or "buffer"), size given ("(null)" or n)
//   RegSetValueExA:   key, value name, type, data (exactly `size` bytes), size
//   RegCloseKey:      key
// - Every function honours fake::TakeInjectedFailure under its own name: the call then does
//   nothing and returns the injected error.
#pragma once
#include <optional>
#include <string>
#include <vector>
#include "win32.h"

namespace fake {

struct RegistryData {
    DWORD type;
    std::vector<BYTE> bytes;
};

// Lays out a value, making its key and every missing level above it.
void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<BYTE>& bytes);
// A text value: the text's bytes followed by one zero byte.
void SetRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                     DWORD type = REG_SZ);
void CreateRegistryKey(HKEY root, const std::string& key);
// Removes the key with its values and every key below it.
void DeleteRegistryKey(HKEY root, const std::string& key);
// The key (made if missing) opens from now on only for reading.
void DenyRegistryKey(HKEY root, const std::string& key);

bool RegistryKeyExists(HKEY root, const std::string& key);
std::optional<RegistryData> RegistryValue(HKEY root, const std::string& key, const std::string& name);
// The key's value names in the order they were created (an overwritten value keeps its place).
std::vector<std::string> RegistryValueNames(HKEY root, const std::string& key);

// Handles opened or created and not yet closed; and the most that were open at one time.
int OpenKeyCount();
int MostKeysOpenAtOnce();

}  // namespace fake
