// The shell area of the fake layer (see shell.h).
#include "shell.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>

#include "fake.h"

namespace fake {
namespace {

const HRESULT kInvalidArgument = static_cast<HRESULT>(0x80070057u);

// An item-id list as the fake hands it out: the list header first, so the pointer is a real
// ITEMIDLIST, then what the browser answered.
struct FakeItemList {
    ITEMIDLIST list;
    char path[MAX_PATH];
    bool hasFileSystemPath;
};

std::deque<BrowseAnswer> answers;
std::vector<BrowseRecord> runs;
std::set<void*> liveLists;
int foreignFrees;
std::vector<ChangeNotification> notifications;
std::vector<ShellExecution> executions;
uintptr_t executeResult;
struct FolderAnswer {
    HRESULT result;
    std::string path;
};
std::map<int, FolderAnswer> folders;

void FreeLists() {
    for (void* list : liveLists) std::free(list);
    liveLists.clear();
}

void ResetShell() {
    answers.clear();
    runs.clear();
    FreeLists();
    foreignFrees = 0;
    notifications.clear();
    executions.clear();
    executeResult = 42;
    folders.clear();
    folders[CSIDL_PROGRAMS] = FolderAnswer{S_OK, DefaultProgramsFolder()};
}

const bool registered = (OnReset(ResetShell), ResetShell(), true);

std::string ItemText(UINT flags, LPCVOID item) {
    if (!item) return "(null)";
    if ((flags & 0xFF) == SHCNF_PATHA) return static_cast<const char*>(item);
    return Handle(item);
}

}  // namespace

BrowseAnswer CancelBrowse() { return BrowseAnswer{true, "", false}; }
BrowseAnswer PickFolder(const std::string& path) { return BrowseAnswer{false, path, true}; }
BrowseAnswer PickVirtualFolder() { return BrowseAnswer{false, "", false}; }

void AnswerFolderBrowser(std::vector<BrowseAnswer> next) { answers.assign(next.begin(), next.end()); }
const std::vector<BrowseRecord>& FolderBrowserRuns() { return runs; }
int LiveItemIdLists() { return static_cast<int>(liveLists.size()); }
int ForeignFrees() { return foreignFrees; }

const std::vector<ChangeNotification>& ChangeNotifications() { return notifications; }
const std::vector<ShellExecution>& ShellExecutions() { return executions; }
void SetShellExecuteResult(uintptr_t result) { executeResult = result; }

void SetFolderPath(int folder, const std::string& path) { folders[folder] = FolderAnswer{S_OK, path}; }
void FailFolderPath(int folder, HRESULT result) { folders[folder] = FolderAnswer{result, ""}; }
std::string DefaultProgramsFolder() {
    // Startmenü
    return "C:\\Dokumente und Einstellungen\\Benutzer\\Startmen\xFC\\Programme";
}

}  // namespace fake

using fake::Handle;
using fake::Hex;
using fake::Record;
using fake::Text;

LPITEMIDLIST WINAPI SHBrowseForFolderA(BROWSEINFOA* info) {
    Record("SHBrowseForFolderA",
           {Handle(info->hwndOwner), Handle(info->pidlRoot), Handle(info->pszDisplayName), Text(info->lpszTitle),
            Hex(info->ulFlags), Handle(reinterpret_cast<void*>(info->lpfn)), Hex(info->lParam),
            std::to_string(info->iImage)});
    fake::runs.push_back(fake::BrowseRecord{info->hwndOwner, info->pidlRoot, info->pszDisplayName != nullptr,
                                            info->lpszTitle != nullptr, Text(info->lpszTitle), info->ulFlags,
                                            info->lpfn != nullptr, info->lParam, info->iImage});
    DWORD error;
    if (fake::TakeInjectedFailure("SHBrowseForFolderA", &error)) return nullptr;
    if (fake::answers.empty()) return nullptr;
    fake::BrowseAnswer answer = fake::answers.front();
    fake::answers.pop_front();
    if (answer.cancelled) return nullptr;
    auto* item = static_cast<fake::FakeItemList*>(std::calloc(1, sizeof(fake::FakeItemList)));
    item->list.size = sizeof(fake::FakeItemList);
    std::strncpy(item->path, answer.path.c_str(), MAX_PATH - 1);
    item->hasFileSystemPath = answer.hasFileSystemPath;
    fake::liveLists.insert(item);
    if (info->pszDisplayName) {
        // the display name is the last part of the path; the buffer is MAX_PATH bytes by contract
        const char* name = std::strrchr(item->path, '\\');
        std::strncpy(info->pszDisplayName, name && name[1] ? name + 1 : item->path, MAX_PATH - 1);
        info->pszDisplayName[MAX_PATH - 1] = 0;
    }
    return &item->list;
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    Record("SHGetPathFromIDListA", {Handle(list), Handle(path)});
    DWORD error;
    if (fake::TakeInjectedFailure("SHGetPathFromIDListA", &error)) return FALSE;
    void* item = const_cast<ITEMIDLIST*>(list);
    if (!list || !path || !fake::liveLists.count(item)) return FALSE;
    const auto* answer = static_cast<const fake::FakeItemList*>(item);
    if (!answer->hasFileSystemPath) return FALSE;
    std::strncpy(path, answer->path, MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    return TRUE;
}

void WINAPI CoTaskMemFree(LPVOID memory) {
    Record("CoTaskMemFree", {Handle(memory)});
    // no fault injection: the call cannot fail, and a list kept alive would only blur the leak count
    if (!memory) return;
    if (!fake::liveLists.erase(memory)) {
        ++fake::foreignFrees;
        return;
    }
    std::free(memory);
}

void WINAPI SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2) {
    fake::ChangeNotification notification{eventId, flags, fake::ItemText(flags, item1), fake::ItemText(flags, item2)};
    Record("SHChangeNotify", {Hex(static_cast<uint32_t>(eventId)), Hex(flags), notification.item1, notification.item2});
    DWORD error;
    if (fake::TakeInjectedFailure("SHChangeNotify", &error)) return;  // lost: the shell never hears of it
    fake::notifications.push_back(notification);
}

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               int showCommand) {
    Record("ShellExecuteA", {Handle(owner), Text(verb), Text(file), Text(parameters), Text(directory),
                             std::to_string(showCommand)});
    fake::executions.push_back(
        fake::ShellExecution{owner, Text(verb), Text(file), Text(parameters), Text(directory), showCommand});
    DWORD error;
    if (fake::TakeInjectedFailure("ShellExecuteA", &error)) return reinterpret_cast<HINSTANCE>(uintptr_t{2});
    return reinterpret_cast<HINSTANCE>(fake::executeResult);
}

HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) {
    Record("SHGetFolderPathA", {Handle(owner), Hex(static_cast<uint32_t>(folder)), Handle(token), Hex(flags)});
    DWORD error;
    if (fake::TakeInjectedFailure("SHGetFolderPathA", &error)) return E_FAIL;
    auto found = fake::folders.find(folder);
    if (found == fake::folders.end()) return fake::kInvalidArgument;
    if (found->second.result < 0) return found->second.result;
    std::strncpy(path, found->second.path.c_str(), MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    return S_OK;
}
