#include "installation.h"

#include "copier.h"
#include "file_ops.h"
#include "progress_window.h"
#include "registry_text.h"
#include "shortcut.h"
#include "state.h"
#include "text.h"
#include "texts.h"
#include "uninstall.h"

// An option text is a keyword only when it is the keyword exactly: same length, same bytes.
static bool IsOption(const ScriptEntry& entry, const char* keyword) {
    unsigned length = TextLength(keyword);
    if (entry.optionTextLength != length) return false;
    for (unsigned i = 0; i < length; ++i)
        if (entry.optionText[i] != keyword[i]) return false;
    return true;
}

// A cut path is longer than the file layer accepts, so it is refused there, never used shortened.
static void JoinPath(char* path, const char* folder, const char* name) {
    CopyText(path, kPathSize, folder);
    AppendText(path, kPathSize, name);
}

static unsigned EntriesToInstall() {
    return installer.entryCount < kEntryLimit ? installer.entryCount : kEntryLimit;
}

// Nothing stops the user from emptying a field, and an empty folder would install relative to
// wherever the process happens to stand; the welcome window stays as it was so it can be corrected.
static bool FieldsAreFilled() {
    const char* missing = 0;
    if (SendMessageA(installer.sourceEdit, WM_GETTEXTLENGTH, 0, 0) == 0)
        missing = TEXT_EMPTY_SOURCE;
    else if (SendMessageA(installer.destinationEdit, WM_GETTEXTLENGTH, 0, 0) == 0)
        missing = TEXT_EMPTY_DESTINATION;
    if (!missing) return true;
    MessageBoxA(installer.welcomeWindow, missing, TEXT_WINDOW_TITLE, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

static void ReadFolderField(HWND field, char* folder) {
    char text[256];
    text[0] = 0;
    SendMessageA(field, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = 0;
    CopyText(folder, kFolderSize, text);
}

static void CreateDestinationFolder() {
    char folder[kFolderSize];
    CopyText(folder, sizeof folder, installer.destinationFolder);
    unsigned length = TextLength(folder);
    if (length > 0) folder[length - 1] = 0;
    CreateOneFolder(folder);
    TakeFileError();  // an existing folder is the common case; a missing parent shows in the copies
}

// The run dispatches no messages until its first box, so without this the user would see the
// status line alone (it repaints with each text) and no header or buttons during the copies.
static void PaintProgressWindow() {
    RedrawWindow(installer.progressWindow, 0, 0, RDW_ALLCHILDREN | RDW_UPDATENOW);
}

static void CopyEntry(const ScriptEntry& entry) {
    char source[kPathSize];
    char destination[kPathSize];
    JoinPath(source, installer.sourceFolder, entry.fileName);
    if (IsOption(entry, TEXT_OPTION_UNINSTALLER) && !installer.perUserMode) {
        JoinPath(destination, installer.windowsFolder, entry.fileName);
        CopyOneFile(source, destination);
        RegisterUninstall(entry.fileName, installer.destinationFolder);
        return;
    }
    JoinPath(destination, installer.destinationFolder, entry.fileName);
    if (ContainsChar(entry.fileName, '\\')) {
        char folder[kPathSize];
        CopyFolderPart(folder, sizeof folder, destination);
        CreateOneFolder(folder);
        TakeFileError();
    }
    if (IsOption(entry, TEXT_OPTION_IF_NOT_EXIST) && IsExistingFile(destination)) return;
    CopyOneFile(source, destination);
}

// The user's Start menu programs folder, with its trailing backslash unless the value is empty.
// When the user's shell-folder key does not open, the shell itself is asked; false when neither knows it.
static bool FindProgramsFolder(char* folder, unsigned size) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TEXT_KEY_SHELL_FOLDERS, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        ReadRegistryText(key, TEXT_VALUE_PROGRAMS, folder, size);
        EnsureTrailingBackslash(folder, size);
        RegCloseKey(key);
        return true;
    }
    char shellFolder[MAX_PATH + 1];
    shellFolder[0] = 0;
    if (SHGetFolderPathA(0, CSIDL_PROGRAMS, 0, SHGFP_TYPE_CURRENT, shellFolder) != S_OK) return false;
    shellFolder[MAX_PATH] = 0;
    CopyText(folder, size, shellFolder);
    EnsureTrailingBackslash(folder, size);
    return true;
}

static bool MakeProgramGroup(char* groupFolder) {
    char programs[kPathSize];
    programs[0] = 0;
    if (!FindProgramsFolder(programs, sizeof programs)) return false;
    JoinPath(groupFolder, programs, installer.groupName);
    AppendChar(groupFolder, kPathSize, '\\');
    CreateOneFolder(groupFolder);
    TakeFileError();
    return true;
}

static void TellShellAbout(const char* shortcutFile) {
    char folder[kPathSize];
    CopyFolderPart(folder, sizeof folder, shortcutFile);
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHA, shortcutFile, 0);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA | SHCNF_FLUSH, folder, 0);
}

static void WriteEntryShortcut(const ScriptEntry& entry, const char* groupFolder) {
    char shortcutFile[kPathSize];
    if (!IsOption(entry, TEXT_OPTION_NO_SHORTCUT) && !IsOption(entry, TEXT_OPTION_UNINSTALLER) &&
        !IsOption(entry, TEXT_OPTION_IF_NOT_EXIST)) {
        JoinPath(shortcutFile, groupFolder, entry.optionText);
        AppendText(shortcutFile, sizeof shortcutFile, TEXT_SHORTCUT_EXTENSION);
    } else if (installer.perUserMode && IsOption(entry, TEXT_OPTION_UNINSTALLER)) {
        JoinPath(shortcutFile, groupFolder, TEXT_UNINSTALL_SHORTCUT);
    } else {
        return;
    }
    char target[kPathSize];
    JoinPath(target, installer.destinationFolder, entry.fileName);
    WriteShortcut(shortcutFile, "", target, "", installer.destinationFolder, "", 0, SW_SHOW, 0);
    TellShellAbout(shortcutFile);
}

static void OpenEntry(const ScriptEntry& entry) {
    if (!IsOption(entry, TEXT_OPTION_OPEN)) return;
    char file[kPathSize];
    JoinPath(file, installer.destinationFolder, entry.fileName);
    ShellExecuteA(installer.progressWindow, TEXT_VERB_OPEN, file, 0, 0, SW_SHOW);
}

void RunInstallation() {
    if (!FieldsAreFilled()) return;
    BuildProgressWindow();
    ReadFolderField(installer.sourceEdit, installer.sourceFolder);
    ReadFolderField(installer.destinationEdit, installer.destinationFolder);
    EnsureTrailingBackslash(installer.sourceFolder, sizeof installer.sourceFolder);
    EnsureTrailingBackslash(installer.destinationFolder, sizeof installer.destinationFolder);
    CreateDestinationFolder();
    ShowWindow(installer.progressWindow, SW_SHOW);
    PaintProgressWindow();

    unsigned count = EntriesToInstall();
    for (unsigned i = 0; i < count; ++i) CopyEntry(installer.entries[i]);

    char groupFolder[kPathSize];
    if (MakeProgramGroup(groupFolder))
        for (unsigned i = 0; i < count; ++i) WriteEntryShortcut(installer.entries[i], groupFolder);

    for (unsigned i = 0; i < count; ++i) OpenEntry(installer.entries[i]);

    MessageBoxA(installer.progressWindow, TEXT_INSTALL_DONE, TEXT_INSTALL_DONE_CAPTION,
                MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
    UnregisterClassA(TEXT_PROGRESS_CLASS, installer.moduleInstance);
    PostQuitMessage(0);
}
