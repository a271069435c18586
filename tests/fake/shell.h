// The shell in the fake layer: the folder browser, item-id lists, change notifications,
// ShellExecuteA and the special-folder lookup. Every call is recorded and open to fault injection.
#pragma once
#include <optional>
#include <string>
#include <vector>
#include "win32.h"

namespace fake {

// What the product handed the folder browser, field by field.
struct BrowseRecord {
    HWND owner;
    LPCITEMIDLIST root;
    bool hasDisplayNameBuffer;
    bool hasTitle;
    std::string title;
    UINT flags;
    bool hasCallback;
    LPARAM callbackData;
    int image;
};

// One answer of the folder browser: cancelled, or a folder. A folder without a file-system
// path (a virtual folder) makes SHGetPathFromIDListA fail for its list.
struct BrowseAnswer {
    bool cancelled;
    std::string path;
    bool hasFileSystemPath;
};
BrowseAnswer CancelBrowse();
BrowseAnswer PickFolder(const std::string& path);
BrowseAnswer PickVirtualFolder();

// The answers of the next browser runs, in order; once they are used up the browser is cancelled.
void AnswerFolderBrowser(std::vector<BrowseAnswer> answers);
const std::vector<BrowseRecord>& FolderBrowserRuns();
// Item-id lists the browser handed out that CoTaskMemFree has not freed yet.
int LiveItemIdLists();
// CoTaskMemFree calls with a pointer the fake never handed out (or one freed already).
int ForeignFrees();

struct ChangeNotification {
    LONG eventId;
    UINT flags;
    std::string item1, item2;  // as text for SHCNF_PATHA; "(null)" for a null pointer
};
const std::vector<ChangeNotification>& ChangeNotifications();

struct ShellExecution {
    HWND owner;
    std::string verb, file, parameters, directory;  // "(null)" for a null pointer
    int showCommand;
};
const std::vector<ShellExecution>& ShellExecutions();
void SetShellExecuteResult(uintptr_t result);  // 42 unless set; 32 and below mean failure

// The path SHGetFolderPathA gives for a folder id, or its failure.
void SetFolderPath(int folder, const std::string& path);
void FailFolderPath(int folder, HRESULT result);
std::string DefaultProgramsFolder();  // CSIDL_PROGRAMS before a test sets another

}  // namespace fake
