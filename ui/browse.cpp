// The shell's folder browser for the destination field.
#include "state.h"
#include "text.h"
#include "texts.h"
#include "welcome_window.h"

// A picked item without a file-system path (a virtual folder) counts as a cancel, and
// pickedFolder keeps the folder picked before. The item-id list is ours to free either way.
bool BrowseForDestination() {
    BROWSEINFOA info;
    info.hwndOwner = installer.welcomeWindow;
    info.pidlRoot = 0;
    info.pszDisplayName = 0;
    info.lpszTitle = TEXT_BROWSE_TITLE;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = 0;
    info.lParam = 0;
    info.iImage = 0;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (!list) return false;
    char path[MAX_PATH];
    path[0] = 0;
    bool found = SHGetPathFromIDListA(list, path) && path[0] != 0;
    CoTaskMemFree(list);
    if (found) CopyText(installer.pickedFolder, sizeof installer.pickedFolder, path);
    return found;
}
