#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "script_text.h"
#include "ship_folder.h"

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// A name in the folder that Windows would take for `wanted`, a Windows-1252 name.
bool SameNameOnWindows(const std::string& name, const std::string& wanted) {
    if (FoldNameCase(name) == FoldNameCase(wanted)) return true;
    std::string asWindows;
    return Windows1252OfUtf8(name, &asWindows) && FoldNameCase(asWindows) == FoldNameCase(wanted);
}

std::vector<std::string> MatchingNames(const std::string& folder, const std::string& wanted) {
    std::vector<std::string> matches;
    if (KindOfPath(Join(folder, wanted)) != PathKind::kMissing) matches.push_back(wanted);
    for (const std::string& name : NamesIn(folder))
        if (name != wanted && SameNameOnWindows(name, wanted)) matches.push_back(name);
    return matches;
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return PathKind::kMissing;
    return S_ISDIR(info.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

bool FindScriptInFolder(const std::string& folder, std::string* scriptPath, std::vector<std::string>* others) {
    std::vector<std::string> matches;
    for (const std::string& name : MatchingNames(folder, "Install.log"))
        if (KindOfPath(Join(folder, name)) == PathKind::kFile) matches.push_back(Join(folder, name));
    if (matches.empty()) return false;
    *scriptPath = matches.front();
    others->assign(matches.begin() + 1, matches.end());
    return true;
}

ListedFile LookUpInFolder(const std::string& folder, const std::string& fileName) {
    // Windows takes both slashes as separators and passes over doubled ones.
    std::string path = folder;
    std::string level;
    std::vector<std::string> levels;
    for (char c : fileName + "\\") {
        if (c != '\\' && c != '/') {
            level += c;
        } else if (!level.empty()) {
            levels.push_back(level);
            level.clear();
        }
    }
    for (const std::string& name : levels) {
        if (name == "." || name == "..") {
            path = Join(path, name);
            continue;
        }
        std::vector<std::string> matches = MatchingNames(path, name);
        if (matches.empty()) return ListedFile::kMissing;
        path = Join(path, matches.front());
    }
    switch (KindOfPath(path)) {
        case PathKind::kFile: return ListedFile::kFile;
        case PathKind::kFolder: return ListedFile::kFolder;
        default: return ListedFile::kMissing;
    }
}
