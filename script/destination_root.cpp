#include "destination_root.h"

#include "registry_text.h"
#include "state.h"
#include "text.h"
#include "texts.h"

// Full access to the machine's settings means the product goes below Program Files and is
// registered for the machine; without it, the user's own application-data folder is used.
// Only one key is open at a time, and it is closed before the root is handed back.
void ResolveDestinationRoot(char* root, unsigned size) {
    CopyText(root, size, TEXT_DEFAULT_ROOT);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, TEXT_KEY_CURRENT_VERSION, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        ReadRegistryText(key, TEXT_VALUE_PROGRAM_FILES, root, size);
        EnsureTrailingBackslash(root, size);
        installer.perUserMode = 0;
    } else if (RegOpenKeyExA(HKEY_CURRENT_USER, TEXT_KEY_VOLATILE_ENVIRONMENT, 0, KEY_ALL_ACCESS, &key) ==
               ERROR_SUCCESS) {
        ReadRegistryText(key, TEXT_VALUE_APPDATA, root, size);
        EnsureTrailingBackslash(root, size);
        installer.perUserMode = 1;
    } else {
        return;  // the default root; per-user mode keeps its start value
    }
    RegCloseKey(key);
}
