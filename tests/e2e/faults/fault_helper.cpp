// Helper of the fault tests: puts a destination file into the state a fault needs, from inside
// Wine, the way another program on the machine would.
//
//   fault_helper.exe lock <path> <name>     another process opens the file without sharing and
//                                           keeps it open; returns once the file is held
//   fault_helper.exe release <name>         that process closes the file and ends
//   fault_helper.exe readonly <path>        sets the read-only attribute
//   fault_helper.exe expect-readonly <path> exit code 0 only if the file is read-only
//
// <name> ties a release to its lock (named events). Exit code 0 on success, 1 otherwise, with a
// line on standard output saying what went wrong.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const DWORD kHoldLimitMs = 600000;  // a holder whose test died lets go on its own

int Fail(const std::string &what) {
    std::printf("fault_helper: %s (error %lu)\n", what.c_str(), GetLastError());
    return 1;
}

std::string EventName(const std::string &name, const char *what) { return "fault_helper_" + name + "_" + what; }

// Runs in the process that holds the file: share mode 0, so every other open fails.
int Hold(const std::string &path, const std::string &name) {
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(name, "held").c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, EventName(name, "release").c_str());
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, EventName(name, "released").c_str());
    if (held == nullptr || release == nullptr || released == nullptr) return Fail("cannot make the events");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail("cannot open " + path);
    SetEvent(held);
    WaitForSingleObject(release, kHoldLimitMs);
    CloseHandle(file);
    SetEvent(released);
    return 0;
}

int Lock(const std::string &path, const std::string &name) {
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, EventName(name, "held").c_str());
    if (held == nullptr) return Fail("cannot make the event");
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string commandLine = "\"" + std::string(self) + "\" hold \"" + path + "\" \"" + name + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return Fail("cannot start the holder");
    CloseHandle(info.hThread);
    HANDLE either[2] = {held, info.hProcess};
    DWORD which = WaitForMultipleObjects(2, either, FALSE, 30000);
    CloseHandle(info.hProcess);
    if (which != WAIT_OBJECT_0) return Fail("the holder did not take " + path);
    return 0;
}

int Release(const std::string &name) {
    HANDLE release = OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(name, "release").c_str());
    HANDLE released = OpenEventA(SYNCHRONIZE, FALSE, EventName(name, "released").c_str());
    if (release == nullptr || released == nullptr) return Fail("no holder " + name);
    SetEvent(release);
    if (WaitForSingleObject(released, 30000) != WAIT_OBJECT_0) return Fail("the holder did not let go");
    return 0;
}

int MakeReadOnly(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail("no file " + path);
    if (!SetFileAttributesA(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY))
        return Fail("cannot make " + path + " read-only");
    return 0;
}

int ExpectReadOnly(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Fail("no file " + path);
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        std::printf("fault_helper: %s is no longer read-only\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "lock" && argc == 4) return Lock(argv[2], argv[3]);
    if (command == "hold" && argc == 4) return Hold(argv[2], argv[3]);
    if (command == "release" && argc == 3) return Release(argv[2]);
    if (command == "readonly" && argc == 3) return MakeReadOnly(argv[2]);
    if (command == "expect-readonly" && argc == 3) return ExpectReadOnly(argv[2]);
    std::fprintf(stderr, "usage: fault_helper.exe lock <path> <name> | release <name> | readonly <path> | "
                         "expect-readonly <path>\n");
    return 2;
}
