#include "copier.h"

#include "file_ops.h"
#include "state.h"
#include "text.h"
#include "texts.h"

const unsigned kCopyBlockSize = 2048;
// The status and failure texts have storage of their own, so that no path can overflow the
// copy buffer; this room holds two paths of any length the installer builds.
const unsigned kCopyTextSize = 2 * kPathSize + 64;

// Both texts are the two paths set between three fixed pieces.
static void ComposeAroundPaths(char* text, const char* first, const char* sourcePath, const char* middle,
                               const char* destinationPath, const char* last) {
    CopyText(text, kCopyTextSize, first);
    AppendText(text, kCopyTextSize, sourcePath);
    AppendText(text, kCopyTextSize, middle);
    AppendText(text, kCopyTextSize, destinationPath);
    AppendText(text, kCopyTextSize, last);
}

static void ShowStatus(const char* sourcePath, const char* destinationPath) {
    char status[kCopyTextSize];
    ComposeAroundPaths(status, TEXT_STATUS_1, sourcePath, TEXT_STATUS_2, destinationPath, TEXT_STATUS_3);
    // sent, not posted: the status line keeps its own copy before this storage goes
    SendMessageA(installer.statusLine, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(status));
}

static void ShowCopyFailure(const char* sourcePath, const char* destinationPath) {
    char failure[kCopyTextSize];
    ComposeAroundPaths(failure, TEXT_COPY_FAILED_1, sourcePath, TEXT_COPY_FAILED_2, destinationPath,
                       TEXT_COPY_FAILED_3);
    MessageBoxA(0, failure, 0, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

static void SetSystemCursor(LPCSTR cursor) { SetCursor(LoadCursorA(0, cursor)); }

// One read and one write a block, through the one buffer. The loop ends at the end of the
// source, after a failed read, or after a write that wrote less than the read delivered.
// False when anything failed.
static bool CopyBlocks(HANDLE source, HANDLE destination) {
    char block[kCopyBlockSize];
    bool failed = false;
    for (;;) {
        DWORD delivered = ReadBlock(source, block, sizeof block);
        if (TakeFileError() != 0) failed = true;
        DWORD written = WriteBlock(destination, block, delivered);
        if (TakeFileError() != 0) failed = true;
        // a write that took less than it was given (a full disk) leaves the file incomplete,
        // which the user is told as for any failed write
        if (written < delivered) return false;
        if (delivered == 0) return !failed;
    }
}

// Both are closed whatever happens to the first.
static bool CloseBoth(HANDLE source, HANDLE destination) {
    CloseFile(source);
    bool failed = TakeFileError() != 0;
    CloseFile(destination);
    if (TakeFileError() != 0) failed = true;
    return !failed;
}

// Copies the bytes of one file. A source that is the destination under another spelling is
// left alone: creating the destination would empty it.
void CopyOneFile(const char* sourcePath, const char* destinationPath) {
    ShowStatus(sourcePath, destinationPath);
    bool failed = false;
    SetSystemCursor(IDC_WAIT);
    HANDLE source = OpenForReading(sourcePath, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (TakeFileError() != 0) {
        failed = true;  // the wait cursor stays while the box is up
    } else if (AreSameFile(source, destinationPath)) {
        CloseFile(source);
        failed = TakeFileError() != 0;
        SetSystemCursor(IDC_ARROW);
    } else {
        HANDLE destination = CreateForWriting(destinationPath);
        if (TakeFileError() != 0) {
            failed = true;
            CloseFile(source);
            TakeFileError();
        } else {
            failed = !CopyBlocks(source, destination);
            if (!CloseBoth(source, destination)) failed = true;
            SetSystemCursor(IDC_ARROW);
        }
    }
    if (failed) ShowCopyFailure(sourcePath, destinationPath);
}
