#include <windows.h>

#include "ship_folder.h"

namespace {

// As the installer joins its source folder and a file name: plainly, with one backslash between.
std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '\\' || last == '/' || last == ':') return folder + name;
    return folder + "\\" + name;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
}

bool FindScriptInFolder(const std::string& folder, std::string* scriptPath, std::vector<std::string>* others) {
    others->clear();
    std::string path = Join(folder, "Install.log");
    if (KindOfPath(path) != PathKind::kFile) return false;
    // the name as the folder spells it
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        path = Join(folder, found.cFileName);
        FindClose(search);
    }
    *scriptPath = path;
    return true;
}

ListedFile LookUpInFolder(const std::string& folder, const std::string& fileName) {
    switch (KindOfPath(Join(folder, fileName))) {
        case PathKind::kFile: return ListedFile::kFile;
        case PathKind::kFolder: return ListedFile::kFolder;
        default: return ListedFile::kMissing;
    }
}
