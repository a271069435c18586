#include "entry.h"

#include "com_library.h"
#include "fatal.h"
#include "reader.h"
#include "state.h"
#include "text.h"
#include "texts.h"
#include "welcome_window.h"
#include "window_plumbing.h"

// DLLs are to come from the system folder only, never from the folder the vendor ships in.
// Found at run time so that systems without the call still start.
static void RestrictDllSearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A failed call or a directory too long for the buffer leaves the Windows folder empty.
static void FindWindowsFolder() {
    UINT length = GetWindowsDirectoryA(installer.windowsFolderBuffer, 256);
    if (length == 0 || length > 256) installer.windowsFolderBuffer[0] = 0;
    installer.windowsFolderBuffer[256] = 0;
    CopyText(installer.windowsFolder, sizeof installer.windowsFolder, installer.windowsFolderBuffer);
    EnsureTrailingBackslash(installer.windowsFolder, sizeof installer.windowsFolder);
}

void RunSetup() {
    RestrictDllSearch();
    InitComLibrary();
    FindWindowsFolder();
    if (!LoadInstallScript()) {
        MessageBoxA(0, TEXT_BROKEN_SCRIPT, TEXT_BROKEN_SCRIPT_CAPTION, MB_OK | MB_ICONINFORMATION);
        EndProcess(0);
    }
    BuildWelcomeWindow();
    RunMessageLoop();
    DeleteObject(installer.faceBrush);
    DeleteObject(installer.headerFont);
    DeleteObject(installer.textFont);
    EndProcess(0);
}
