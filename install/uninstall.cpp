#include "uninstall.h"

#include "fatal.h"
#include "state.h"
#include "text.h"
#include "texts.h"

// The uninstaller's command line: its own path unquoted, then the destination folder in double
// quotation marks as its one argument, ending with the folder's backslash. Sized for the longest
// Windows folder, file name and destination folder that the installer state can hold.
const unsigned kCommandSize = kFolderSize + kEntryTextSize + 2 + kFolderSize + 1;

// A value that cannot be set ends the process; the key is closed first, as nothing else will.
static void SetTextValue(HKEY key, const char* valueName, const char* text) {
    const BYTE* data = reinterpret_cast<const BYTE*>(text);
    if (RegSetValueExA(key, valueName, 0, REG_SZ, data, TextLength(text) + 1) == ERROR_SUCCESS) return;
    RegCloseKey(key);
    RaiseRegistryError(TEXT_ERROR_WRITE_VALUE_1, valueName, TEXT_ERROR_WRITE_VALUE_2);
}

void RegisterUninstall(const char* fileName, const char* destinationFolder) {
    // Without a folder name the values would land in the Uninstall list's own key.
    if (installer.defaultFolderName[0] == 0) return;

    char keyPath[sizeof TEXT_KEY_UNINSTALL + kTextSize];
    CopyText(keyPath, sizeof keyPath, TEXT_KEY_UNINSTALL);
    AppendText(keyPath, sizeof keyPath, installer.defaultFolderName);
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, 0, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, 0, &key, 0) !=
        ERROR_SUCCESS)
        return;  // no write access below the machine's settings: the product stays unlisted

    SetTextValue(key, TEXT_VALUE_DISPLAY_NAME, installer.defaultFolderName);
    char command[kCommandSize];
    CopyText(command, sizeof command, installer.windowsFolder);
    AppendText(command, sizeof command, fileName);
    AppendText(command, sizeof command, " \"");
    AppendText(command, sizeof command, destinationFolder);
    AppendText(command, sizeof command, "\"");
    SetTextValue(key, TEXT_VALUE_UNINSTALL_STRING, command);
    RegCloseKey(key);
}
