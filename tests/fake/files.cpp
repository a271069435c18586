// kernel32's files and folders over real files in a temporary folder, plus the module paths,
// the Windows directory and the code-page calls the installer makes.
#include "files.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "fake.h"

namespace fake {
namespace {

// Windows error codes the installer itself never names.
const DWORD kErrorFileExists = 80;
const DWORD kErrorInvalidParameter = 87;
const DWORD kErrorInvalidName = 123;
const DWORD kErrorModuleNotFound = 126;
const DWORD kErrorProcNotFound = 127;
const DWORD kErrorMessageNotFound = 317;
const DWORD kErrorInvalidUserBuffer = 1784;

const DWORD kCreateNew = 1;
const DWORD kOpenAlways = 4;
const DWORD kTruncateExisting = 5;
const DWORD kGenericAll = 0x10000000u;
const DWORD kFileReadData = 0x1u;
const DWORD kFileWriteData = 0x2u;
const DWORD kFileAppendData = 0x4u;
const DWORD kAttributeArchive = 0x20u;
const DWORD kFormatAllocateBuffer = 0x100u;
const unsigned kLongestPath = 259;        // MAX_PATH less the terminating zero
const unsigned kLongestFolderPath = 248;  // CreateDirectoryA leaves room for an 8.3 name
const unsigned kLongestName = 255;

const uintptr_t kFirstHandle = 0x100;
const uintptr_t kFirstLockHandle = 0x40000;
const uintptr_t kSystemModule = 0x7C800000;  // what the core's GetModuleHandleA gives for a name

struct OpenFile {
    int descriptor;
    DWORD access;
    DWORD share;
    dev_t device;
    ino_t inode;
    std::string hostPath;
    bool heldElsewhere;  // a LockFile lock: another process's handle, not the product's
};

std::map<uintptr_t, OpenFile> openFiles;
uintptr_t nextHandle = kFirstHandle;
uintptr_t nextLockHandle = kFirstLockHandle;
int readCalls, writeCalls;
std::map<int, DWORD> readLimits, writeLimits;
std::string windowsDirectory, programPath, currentFolder;
std::map<std::string, FARPROC> procedures;
std::map<DWORD, std::string> systemMessages;

// ---- the temporary folder

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

void RemoveTree(const std::string& path) {
    if (!path.empty()) nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

struct TemporaryFolder {
    std::string path;
    ~TemporaryFolder() { RemoveTree(path); }
};
TemporaryFolder temporary;

void LayOutDefaults();

const std::string& Root() {
    if (temporary.path.empty()) {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/fake-drives-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back(0);
        if (!mkdtemp(name.data())) {
            std::perror("fake files: cannot make the temporary folder");
            std::abort();
        }
        temporary.path = name.data();
        LayOutDefaults();
    }
    return temporary.path;
}

// ---- drive paths to host paths

unsigned char FoldLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // À to Þ, not the multiplication sign
    switch (c) {
        case 0x8A: return 0x9A;  // Š
        case 0x8C: return 0x9C;  // Œ
        case 0x8E: return 0x9E;  // Ž
        case 0x9F: return 0xFF;  // Ÿ
        default: return c;
    }
}

struct MappedPath {
    DWORD error = 0;           // a name Windows refuses: 123, or 206 for a name over 255
    std::string host;
    bool endsWithSeparator = false;
    bool isDriveRoot = false;
};

// Splits the part after the drive into folded names, resolving "." and "..".
void AddNames(const std::string& rest, std::vector<std::string>* names, MappedPath* mapped) {
    size_t at = 0;
    while (at <= rest.size()) {
        size_t end = rest.find('\\', at);
        if (end == std::string::npos) end = rest.size();
        std::string name = rest.substr(at, end - at);
        at = end + 1;
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!names->empty()) names->pop_back();
            continue;
        }
        for (unsigned char c : name)
            if (c < 32 || std::strchr("<>:\"|?*", c)) mapped->error = kErrorInvalidName;
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (name.empty()) continue;
        if (name.size() > kLongestName && !mapped->error) mapped->error = ERROR_FILENAME_EXCED_RANGE;
        for (char& c : name) c = static_cast<char>(FoldLetter(static_cast<unsigned char>(c)));
        names->push_back(name);
    }
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && ((path[0] | 32) >= 'a' && (path[0] | 32) <= 'z');
}

MappedPath Map(const std::string& given) {
    std::string path = given;
    for (char& c : path)
        if (c == '/') c = '\\';
    MappedPath mapped;
    if (path.empty()) {
        mapped.error = ERROR_PATH_NOT_FOUND;
        return mapped;
    }
    std::string top;
    std::vector<std::string> names;
    std::string rest;
    std::string current = HasDrive(currentFolder) ? currentFolder : "C:\\";
    for (char& c : current)
        if (c == '/') c = '\\';
    if (HasDrive(path)) {
        top = std::string(1, static_cast<char>(path[0] | 32));
        rest = path.substr(2);
        bool sameDrive = HasDrive(current) && (current[0] | 32) == top[0];
        if ((rest.empty() || rest[0] != '\\') && sameDrive) AddNames(current.substr(2), &names, &mapped);
    } else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        top = "unc";
        rest = path.substr(2);
    } else {
        top = std::string(1, static_cast<char>(current[0] | 32));
        rest = path;
        if (path[0] != '\\') AddNames(current.substr(2), &names, &mapped);
    }
    AddNames(rest, &names, &mapped);
    mapped.endsWithSeparator = !names.empty() && path.back() == '\\';
    mapped.isDriveRoot = names.empty();
    mapped.host = Root() + "/" + top;
    for (const std::string& name : names) mapped.host += "/" + name;
    return mapped;
}

std::string ParentOf(const std::string& host) { return host.substr(0, host.rfind('/')); }

bool IsFolder(const std::string& host) {
    struct stat info;
    return stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Windows' answer for a path that names nothing: 2 when its folder exists, else 3.
DWORD MissingError(const std::string& host) {
    return IsFolder(ParentOf(host)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD ErrorOf(int hostError) {
    switch (hostError) {
        case ENOENT:
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case ENOSPC: return ERROR_DISK_FULL;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        default: return ERROR_ACCESS_DENIED;
    }
}

void MakeFolders(const std::string& host) {
    for (size_t at = Root().size() + 1; at <= host.size(); ++at)
        if (at == host.size() || host[at] == '/') mkdir(host.substr(0, at).c_str(), 0777);
}

void LayOutDefaults() {
    windowsDirectory = "C:\\WINDOWS";
    programPath = "C:\\Product\\Setup.exe";
    currentFolder = "C:\\Product";
    MakeFolders(Map("C:\\").host);
    MakeFolders(Map(windowsDirectory).host);
    MakeFolders(Map(currentFolder).host);
}

// ---- open files and sharing

bool Reads(DWORD access) { return access & (GENERIC_READ | kGenericAll | kFileReadData); }
bool Writes(DWORD access) { return access & (GENERIC_WRITE | kGenericAll | kFileWriteData | kFileAppendData); }

// Windows checks sharing only between opens that touch the data; an open for attributes alone
// (access 0) neither meets nor sets any sharing rule.
bool SharingConflicts(const OpenFile& other, DWORD access, DWORD share) {
    bool touchesData = Reads(access) || Writes(access);
    bool otherTouchesData = Reads(other.access) || Writes(other.access);
    if (!touchesData || !otherTouchesData) return false;
    return (Reads(access) && !(other.share & FILE_SHARE_READ)) ||
           (Writes(access) && !(other.share & FILE_SHARE_WRITE)) ||
           (Reads(other.access) && !(share & FILE_SHARE_READ)) ||
           (Writes(other.access) && !(share & FILE_SHARE_WRITE));
}

bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }

OpenFile* FindProductFile(HANDLE handle) {
    auto found = openFiles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == openFiles.end() || found->second.heldElsewhere) return nullptr;
    return &found->second;
}

void CloseAll() {
    for (auto& entry : openFiles) close(entry.second.descriptor);
    openFiles.clear();
}

std::string ErrorText(DWORD error) { return "error " + std::to_string(error); }

// Opens as CreateFileA does; the Windows error code, or 0 with the new entry in *opened.
DWORD OpenHostFile(const std::string& path, DWORD access, DWORD share, DWORD creation, DWORD attributes,
                   bool heldElsewhere, uintptr_t* opened, bool* existed) {
    if (path.size() > kLongestPath) return ERROR_FILENAME_EXCED_RANGE;
    MappedPath mapped = Map(path);
    if (mapped.error) return mapped.error;
    if (creation < kCreateNew || creation > kTruncateExisting) return kErrorInvalidParameter;
    struct stat info;
    bool exists = stat(mapped.host.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    if (!IsFolder(ParentOf(mapped.host))) return ERROR_PATH_NOT_FOUND;
    if (mapped.endsWithSeparator) return kErrorInvalidName;
    bool empties = creation == CREATE_ALWAYS || creation == kTruncateExisting;
    if (!exists && (creation == OPEN_EXISTING || creation == kTruncateExisting)) return ERROR_FILE_NOT_FOUND;
    if (exists && creation == kCreateNew) return kErrorFileExists;
    if (exists && IsReadOnly(info) && (Writes(access) || empties)) return ERROR_ACCESS_DENIED;
    if (exists)
        for (const auto& entry : openFiles)
            if (entry.second.device == info.st_dev && entry.second.inode == info.st_ino &&
                SharingConflicts(entry.second, access, share))
                return ERROR_SHARING_VIOLATION;
    int flags = (Writes(access) || empties) ? O_RDWR : O_RDONLY;
    if (!exists) flags |= O_CREAT;
    if (exists && empties) flags |= O_TRUNC;
    int descriptor = open(mapped.host.c_str(), flags, 0666);
    if (descriptor < 0) return ErrorOf(errno);
    if (!exists && (attributes & FILE_ATTRIBUTE_READONLY)) fchmod(descriptor, 0444);
    fstat(descriptor, &info);
    uintptr_t handle = heldElsewhere ? (nextLockHandle += 4) : (nextHandle += 4);
    openFiles[handle] = OpenFile{descriptor, access, share, info.st_dev, info.st_ino, mapped.host, heldElsewhere};
    *opened = handle;
    *existed = exists;
    return 0;
}

// The limit of the nth call, or no limit.
DWORD LimitOf(const std::map<int, DWORD>& limits, int call) {
    auto found = limits.find(call);
    return found == limits.end() ? 0xFFFFFFFFu : found->second;
}

std::string BytesText(LPCSTR text, int length) {
    if (!text) return "(null)";
    return length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
}

const bool registered = (OnReset([] {
                             CloseAll();
                             RemoveTree(Root());
                             mkdir(Root().c_str(), 0700);
                             nextHandle = kFirstHandle;
                             nextLockHandle = kFirstLockHandle;
                             readCalls = writeCalls = 0;
                             readLimits.clear();
                             writeLimits.clear();
                             procedures.clear();
                             systemMessages.clear();
                             LayOutDefaults();
                         }),
                         true);

}  // namespace

// ---- test API

std::string HostPath(const std::string& path) { return Map(path).host; }

void WriteHostFile(const std::string& path, const std::string& bytes) {
    std::string host = HostPath(path);
    MakeFolders(ParentOf(host));
    struct stat info;
    bool readOnly = stat(host.c_str(), &info) == 0 && IsReadOnly(info);
    if (readOnly) chmod(host.c_str(), 0644);
    FILE* file = std::fopen(host.c_str(), "wb");
    if (!file) {
        std::perror(("fake files: cannot write " + host).c_str());
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (readOnly) chmod(host.c_str(), 0444);
}

std::optional<std::string> ReadHostFile(const std::string& path) {
    std::string host = HostPath(path);
    if (IsFolder(host)) return std::nullopt;
    FILE* file = std::fopen(host.c_str(), "rb");
    if (!file) return std::nullopt;
    std::string bytes;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
    std::fclose(file);
    return bytes;
}

bool HostFileExists(const std::string& path) {
    struct stat info;
    return stat(HostPath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HostFolderExists(const std::string& path) { return IsFolder(HostPath(path)); }

void MakeHostFolder(const std::string& path) { MakeFolders(HostPath(path)); }

std::vector<std::string> HostFolderNames(const std::string& path) {
    std::vector<std::string> names;
    std::string host = HostPath(path);
    if (DIR* folder = opendir(host.c_str())) {
        while (dirent* entry = readdir(folder)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void SetReadOnly(const std::string& path, bool readOnly) {
    chmod(HostPath(path).c_str(), readOnly ? 0444 : 0644);
}

bool LockFile(const std::string& path, DWORD shareMode) {
    uintptr_t handle;
    bool existed;
    return OpenHostFile(path, GENERIC_READ | GENERIC_WRITE, shareMode, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, true,
                        &handle, &existed) == 0;
}

void UnlockFile(const std::string& path) {
    std::string host = HostPath(path);
    for (auto entry = openFiles.begin(); entry != openFiles.end();) {
        if (entry->second.heldElsewhere && entry->second.hostPath == host) {
            close(entry->second.descriptor);
            entry = openFiles.erase(entry);
        } else {
            ++entry;
        }
    }
}

int OpenHandleCount() {
    int count = 0;
    for (const auto& entry : openFiles)
        if (!entry.second.heldElsewhere) ++count;
    return count;
}

void LimitNthRead(int nth, DWORD most) { readLimits[nth] = most; }
void LimitNthWrite(int nth, DWORD most) { writeLimits[nth] = most; }

void SetWindowsDirectory(const std::string& path) {
    windowsDirectory = path;
    MakeFolders(HostPath(path));
}

void SetProgramPath(const std::string& path) {
    programPath = path;
    MakeFolders(ParentOf(HostPath(path)));
}

void SetCurrentFolder(const std::string& path) { currentFolder = path; }

void SetProcAddress(const std::string& name, FARPROC function) { procedures[name] = function; }

void SetSystemMessage(DWORD messageId, const std::string& text) { systemMessages[messageId] = text; }

}  // namespace fake

// ---- kernel32

using fake::ErrorText;

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
                          DWORD attributes, HANDLE templateFile) {
    std::vector<std::string> args{fake::Text(path),       fake::Hex(access),     fake::Hex(share),
                                  fake::Handle(security), std::to_string(creation), fake::Hex(attributes),
                                  fake::Handle(templateFile)};
    DWORD error;
    uintptr_t handle = 0;
    bool existed = false;
    if (!fake::TakeInjectedFailure("CreateFileA", &error))
        error = path ? fake::OpenHostFile(path, access, share, creation, attributes, false, &handle, &existed)
                     : fake::kErrorInvalidParameter;
    if (error) {
        args.push_back(ErrorText(error));
        fake::Record("CreateFileA", args);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    args.push_back(fake::Hex(handle));
    fake::Record("CreateFileA", args);
    // as on Windows, a success over an existing file still leaves a code behind
    SetLastError(existed && (creation == CREATE_ALWAYS || creation == fake::kOpenAlways) ? ERROR_ALREADY_EXISTS : 0);
    return reinterpret_cast<HANDLE>(handle);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) {
    int call = ++fake::readCalls;
    if (read) *read = 0;
    DWORD error = 0;
    DWORD delivered = 0;
    fake::OpenFile* open = nullptr;
    if (fake::TakeInjectedFailure("ReadFile", &error)) {
    } else if (!(open = fake::FindProductFile(file))) {
        error = ERROR_INVALID_HANDLE;
    } else if (overlapped) {
        error = fake::kErrorInvalidParameter;
    } else if (!read) {
        error = fake::kErrorInvalidUserBuffer;
    } else if (!fake::Reads(open->access)) {
        error = ERROR_ACCESS_DENIED;
    } else {
        DWORD wanted = std::min(size, fake::LimitOf(fake::readLimits, call));
        while (delivered < wanted) {
            ssize_t got = ::read(open->descriptor, static_cast<char*>(buffer) + delivered, wanted - delivered);
            if (got < 0) error = fake::ErrorOf(errno);
            if (got <= 0) break;
            delivered += static_cast<DWORD>(got);
        }
    }
    fake::Record("ReadFile", {fake::Handle(file), std::to_string(size), error ? ErrorText(error) : std::to_string(delivered)});
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    *read = delivered;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    int call = ++fake::writeCalls;
    if (written) *written = 0;
    DWORD error = 0;
    DWORD done = 0;
    fake::OpenFile* open = nullptr;
    if (fake::TakeInjectedFailure("WriteFile", &error)) {
    } else if (!(open = fake::FindProductFile(file))) {
        error = ERROR_INVALID_HANDLE;
    } else if (overlapped) {
        error = fake::kErrorInvalidParameter;
    } else if (!written) {
        error = fake::kErrorInvalidUserBuffer;
    } else if (!fake::Writes(open->access)) {
        error = ERROR_ACCESS_DENIED;
    } else {
        DWORD wanted = std::min(size, fake::LimitOf(fake::writeLimits, call));
        while (done < wanted) {
            ssize_t put = ::write(open->descriptor, static_cast<const char*>(buffer) + done, wanted - done);
            if (put < 0) error = fake::ErrorOf(errno);
            if (put <= 0) break;
            done += static_cast<DWORD>(put);
        }
    }
    fake::Record("WriteFile", {fake::Handle(file), std::to_string(size), error ? ErrorText(error) : std::to_string(done)});
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    *written = done;
    return TRUE;
}

// An injected failure still closes the handle, as a close whose last flush fails does.
BOOL WINAPI CloseHandle(HANDLE object) {
    DWORD error = 0;
    bool injected = fake::TakeInjectedFailure("CloseHandle", &error);
    fake::OpenFile* open = fake::FindProductFile(object);
    if (open) {
        close(open->descriptor);
        fake::openFiles.erase(reinterpret_cast<uintptr_t>(object));
    } else if (!injected) {
        error = ERROR_INVALID_HANDLE;
    }
    fake::Record("CloseHandle", {fake::Handle(object), error ? ErrorText(error) : "ok"});
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    DWORD error = 0;
    if (fake::TakeInjectedFailure("CreateDirectoryA", &error)) {
    } else if (!path) {
        error = fake::kErrorInvalidParameter;
    } else if (std::strlen(path) > fake::kLongestFolderPath) {
        error = ERROR_FILENAME_EXCED_RANGE;
    } else {
        fake::MappedPath mapped = fake::Map(path);
        struct stat info;
        if (mapped.error) error = mapped.error;
        else if (mapped.isDriveRoot) error = ERROR_ACCESS_DENIED;
        else if (stat(mapped.host.c_str(), &info) == 0) error = ERROR_ALREADY_EXISTS;
        else if (!fake::IsFolder(fake::ParentOf(mapped.host))) error = ERROR_PATH_NOT_FOUND;
        else if (mkdir(mapped.host.c_str(), 0777) != 0) error = fake::ErrorOf(errno);
    }
    fake::Record("CreateDirectoryA", {fake::Text(path), fake::Handle(security), error ? ErrorText(error) : "ok"});
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR path) {
    DWORD error = 0;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (fake::TakeInjectedFailure("GetFileAttributesA", &error)) {
    } else if (!path) {
        error = fake::kErrorInvalidParameter;
    } else if (std::strlen(path) > fake::kLongestPath) {
        error = ERROR_FILENAME_EXCED_RANGE;
    } else {
        fake::MappedPath mapped = fake::Map(path);
        struct stat info;
        if (mapped.error) error = mapped.error;
        else if (stat(mapped.host.c_str(), &info) != 0) error = fake::MissingError(mapped.host);
        else if (S_ISDIR(info.st_mode)) attributes = FILE_ATTRIBUTE_DIRECTORY;
        else if (mapped.endsWithSeparator) error = fake::kErrorInvalidName;
        else attributes = fake::kAttributeArchive | (fake::IsReadOnly(info) ? FILE_ATTRIBUTE_READONLY : 0);
    }
    fake::Record("GetFileAttributesA", {fake::Text(path), error ? ErrorText(error) : fake::Hex(attributes)});
    if (error) SetLastError(error);
    return attributes;
}

static FILETIME FileTimeOf(const timespec& time) {
    // 100-nanosecond steps since 1601-01-01
    uint64_t steps = (static_cast<uint64_t>(time.tv_sec) + 11644473600ull) * 10000000ull + time.tv_nsec / 100;
    return FILETIME{static_cast<DWORD>(steps), static_cast<DWORD>(steps >> 32)};
}

BOOL WINAPI GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
    DWORD error = 0;
    fake::OpenFile* open = nullptr;
    struct stat info;
    if (fake::TakeInjectedFailure("GetFileInformationByHandle", &error)) {
    } else if (!(open = fake::FindProductFile(file))) {
        error = ERROR_INVALID_HANDLE;
    } else if (!information) {
        error = fake::kErrorInvalidUserBuffer;
    } else if (fstat(open->descriptor, &info) != 0) {
        error = fake::ErrorOf(errno);
    }
    fake::Record("GetFileInformationByHandle", {fake::Handle(file), error ? ErrorText(error) : "ok"});
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    uint64_t index = static_cast<uint64_t>(info.st_ino);
    uint64_t size = static_cast<uint64_t>(info.st_size);
    information->dwFileAttributes = fake::kAttributeArchive | (fake::IsReadOnly(info) ? FILE_ATTRIBUTE_READONLY : 0);
    information->ftCreationTime = FileTimeOf(info.st_ctim);
    information->ftLastAccessTime = FileTimeOf(info.st_atim);
    information->ftLastWriteTime = FileTimeOf(info.st_mtim);
    information->dwVolumeSerialNumber = static_cast<DWORD>(info.st_dev);
    information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(size);
    information->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
    information->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    information->nFileIndexLow = static_cast<DWORD>(index);
    return TRUE;
}

// Too small a buffer is left untouched and the size needed, zero included, comes back.
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    DWORD error = 0;
    UINT result = 0;
    const std::string& folder = fake::windowsDirectory;
    if (fake::TakeInjectedFailure("GetWindowsDirectoryA", &error)) {
    } else if (!buffer || size <= folder.size()) {
        result = static_cast<UINT>(folder.size() + 1);
    } else {
        std::memcpy(buffer, folder.c_str(), folder.size() + 1);
        result = static_cast<UINT>(folder.size());
    }
    fake::Record("GetWindowsDirectoryA", {std::to_string(size), error ? ErrorText(error) : std::to_string(result)});
    if (error) SetLastError(error);
    return result;
}

// As Windows does since Vista: too small a buffer gets the path cut and terminated, the result
// is the buffer size, and ERROR_INSUFFICIENT_BUFFER is left.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    DWORD error = 0;
    DWORD result = 0;
    uintptr_t which = reinterpret_cast<uintptr_t>(module);
    std::string path;
    if (fake::TakeInjectedFailure("GetModuleFileNameA", &error)) {
    } else if (which == 0 || module == fake::ModuleInstance()) {
        path = fake::programPath;
    } else if (which == fake::kSystemModule) {
        path = fake::windowsDirectory + "\\system32\\kernel32.dll";
    } else {
        error = fake::kErrorModuleNotFound;
    }
    if (!error) {
        if (size == 0 || !buffer) {
            error = ERROR_INSUFFICIENT_BUFFER;
        } else if (path.size() + 1 > size) {
            std::memcpy(buffer, path.data(), size - 1);
            buffer[size - 1] = 0;
            result = size;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        } else {
            std::memcpy(buffer, path.c_str(), path.size() + 1);
            result = static_cast<DWORD>(path.size());
        }
    }
    fake::Record("GetModuleFileNameA",
                 {fake::Handle(module), std::to_string(size), error ? ErrorText(error) : std::to_string(result)});
    if (error) SetLastError(error);
    return result;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    uintptr_t ordinal = reinterpret_cast<uintptr_t>(name);
    std::string nameText = ordinal < 0x10000 ? "#" + std::to_string(ordinal) : std::string(name);
    DWORD error = 0;
    FARPROC function = nullptr;
    if (!fake::TakeInjectedFailure("GetProcAddress", &error)) {
        auto found = fake::procedures.find(nameText);
        if (found != fake::procedures.end()) function = found->second;
        else error = fake::kErrorProcNotFound;
    }
    fake::Record("GetProcAddress", {fake::Handle(module), nameText, error ? ErrorText(error) : "found"});
    if (error) SetLastError(error);
    return function;
}

// Windows-1252 to UTF-16: Latin-1 but for the row 0x80 to 0x9F; its five unused bytes stay as they are.
static char16_t WideOf(unsigned char c) {
    static const char16_t row80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return (c >= 0x80 && c <= 0x9F) ? row80[c - 0x80] : static_cast<char16_t>(c);
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int wideLength) {
    DWORD error = 0;
    int result = 0;
    int count = text ? (length == -1 ? static_cast<int>(std::strlen(text)) + 1 : length) : 0;
    if (fake::TakeInjectedFailure("MultiByteToWideChar", &error)) {
    } else if (!text || length == 0 || length < -1 || wideLength < 0 || (wideLength > 0 && !wide) ||
               (codePage != CP_ACP && codePage != 1252)) {
        error = fake::kErrorInvalidParameter;
    } else if (wideLength == 0) {
        result = count;
    } else if (wideLength < count) {
        error = ERROR_INSUFFICIENT_BUFFER;
    } else {
        for (int i = 0; i < count; ++i) wide[i] = WideOf(static_cast<unsigned char>(text[i]));
        result = count;
    }
    fake::Record("MultiByteToWideChar",
                 {std::to_string(codePage), fake::Hex(flags), fake::BytesText(text, length), std::to_string(length),
                  std::to_string(wideLength), error ? ErrorText(error) : std::to_string(result)});
    if (error) SetLastError(error);
    return result;
}

// Only texts a test has scripted exist; the buffer is the caller's (no allocation).
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                            void*) {
    DWORD error = 0;
    DWORD result = 0;
    if (fake::TakeInjectedFailure("FormatMessageA", &error)) {
    } else if ((flags & fake::kFormatAllocateBuffer) || !(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) {
        error = fake::kErrorInvalidParameter;
    } else {
        auto found = fake::systemMessages.find(messageId);
        if (found == fake::systemMessages.end()) {
            error = fake::kErrorMessageNotFound;
        } else if (found->second.size() + 1 > size) {
            error = ERROR_INSUFFICIENT_BUFFER;
        } else {
            std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
            result = static_cast<DWORD>(found->second.size());
        }
    }
    fake::Record("FormatMessageA", {fake::Hex(flags), std::to_string(messageId), fake::Hex(languageId),
                                    std::to_string(size), error ? ErrorText(error) : std::to_string(result)});
    if (error) SetLastError(error);
    return result;
}
