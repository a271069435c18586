// The ship folder on disk: where its script is, and whether the files the script lists are
// there. Windows looks names up without regard to case; on other systems the checker does the
// same, and also takes a Windows-1252 name to match its UTF-8 spelling there.
#pragma once
#include <string>
#include <vector>

#include "check.h"

enum class PathKind { kFile, kFolder, kMissing };

PathKind KindOfPath(const std::string& path);
// The path of the folder's install script; false when it has none. `others` receives the
// further names that match it in other case (only possible where names are case-sensitive).
bool FindScriptInFolder(const std::string& folder, std::string* scriptPath, std::vector<std::string>* others);
// A file name from the script, relative to the folder, as the installer joins them.
ListedFile LookUpInFolder(const std::string& folder, const std::string& fileName);
// The whole file; false with a reason when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);
