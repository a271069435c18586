// The file layer: every operation leaves a per-operation error code, 0 on success and the
// system's code otherwise, which the caller reads right after it; reading clears it.
// No operation raises an error. A path of more than 259 characters is refused with
// ERROR_FILENAME_EXCED_RANGE and never opened under a shortened name.
#pragma once
#include "win32.h"

const unsigned kLongestPath = 259;

HANDLE OpenForReading(const char* path, DWORD shareMode);  // OPEN_EXISTING, GENERIC_READ
HANDLE CreateForWriting(const char* path);                 // CREATE_ALWAYS, read and write, share 3
DWORD ReadBlock(HANDLE file, void* buffer, DWORD size);    // bytes delivered; 0 on failure
DWORD WriteBlock(HANDLE file, const void* buffer, DWORD size);  // bytes written; 0 on failure
void CloseFile(HANDLE file);
void CreateOneFolder(const char* path);                    // the last level only
// The two questions below leave the per-operation error code as it was.
bool IsExistingFile(const char* path);                     // a file, not a folder
// True when otherPath names the file that is open, whatever its spelling: the volume and file
// index of the two are compared. A missing other file is not the same file.
bool AreSameFile(HANDLE openFile, const char* otherPath);
DWORD TakeFileError();
