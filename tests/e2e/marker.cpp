// A tiny stand-in program for the sample product and the tests: started, it leaves a trace file
// beside itself (its own path with ".ran" in place of ".exe", holding its command line) and ends.
// It serves as the product's program, as the file that the installer opens after the
// installation, and as the uninstaller stand-in.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    char *dot = path + length;
    while (dot > path && *dot != '.' && *dot != '\\') --dot;
    if (*dot != '.') dot = path + length;
    lstrcpyA(dot, ".ran");
    HANDLE trace = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (trace == INVALID_HANDLE_VALUE) return 2;
    const char *commandLine = GetCommandLineA();
    DWORD written = 0;
    WriteFile(trace, commandLine, lstrlenA(commandLine), &written, nullptr);
    CloseHandle(trace);
    return 0;
}
