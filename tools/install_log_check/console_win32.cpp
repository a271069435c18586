#include <windows.h>

#include <vector>

#include "console.h"

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

// Command-line paths come in the ANSI code page.
std::string PathForOutput(const std::string& path) {
    if (path.empty()) return path;
    int wide = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (wide <= 0) return path;
    std::vector<wchar_t> text(wide);
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), text.data(), wide);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return path;
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}
