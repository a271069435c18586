#include "file_ops.h"

#include "text.h"

// The code of the last operation, until the caller takes it.
static DWORD fileError;

// A failed call that left no code of its own must still count as a failure.
static const DWORD kUnnamedFailure = 31;  // ERROR_GEN_FAILURE

static void NoteOutcome(bool succeeded) {
    if (succeeded) {
        fileError = 0;
    } else {
        DWORD error = GetLastError();
        fileError = error ? error : kUnnamedFailure;
    }
}

// The file layer never hands a path to the system that the system would have to shorten.
static bool IsTooLong(const char* path) {
    if (TextLength(path) <= kLongestPath) return false;
    fileError = ERROR_FILENAME_EXCED_RANGE;
    return true;
}

static HANDLE Open(const char* path, DWORD access, DWORD shareMode, DWORD creation) {
    if (IsTooLong(path)) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileA(path, access, shareMode, 0, creation, FILE_ATTRIBUTE_NORMAL, 0);
    NoteOutcome(file != INVALID_HANDLE_VALUE);
    return file;
}

HANDLE OpenForReading(const char* path, DWORD shareMode) {
    return Open(path, GENERIC_READ, shareMode, OPEN_EXISTING);
}

HANDLE CreateForWriting(const char* path) {
    return Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
}

DWORD ReadBlock(HANDLE file, void* buffer, DWORD size) {
    DWORD delivered = 0;
    bool succeeded = ReadFile(file, buffer, size, &delivered, 0) != FALSE;
    NoteOutcome(succeeded);
    return succeeded ? delivered : 0;
}

DWORD WriteBlock(HANDLE file, const void* buffer, DWORD size) {
    DWORD written = 0;
    bool succeeded = WriteFile(file, buffer, size, &written, 0) != FALSE;
    NoteOutcome(succeeded);
    return succeeded ? written : 0;
}

void CloseFile(HANDLE file) { NoteOutcome(CloseHandle(file) != FALSE); }

void CreateOneFolder(const char* path) {
    if (IsTooLong(path)) return;
    NoteOutcome(CreateDirectoryA(path, 0) != FALSE);
}

bool IsExistingFile(const char* path) {
    if (TextLength(path) > kLongestPath) return false;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The other file is opened for its attributes alone (access 0): that open meets no sharing
// rule, so even a file another program holds locked can be compared, and nothing is created.
bool AreSameFile(HANDLE openFile, const char* otherPath) {
    if (TextLength(otherPath) > kLongestPath) return false;
    HANDLE other = CreateFileA(otherPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (other == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION first, second;
    bool same = GetFileInformationByHandle(openFile, &first) && GetFileInformationByHandle(other, &second) &&
                first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
    CloseHandle(other);
    return same;
}

DWORD TakeFileError() {
    DWORD error = fileError;
    fileError = 0;
    return error;
}
