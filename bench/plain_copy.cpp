// The benchmark's yardstick: copies the files an install script lists, the plain way, with one
// 2048-byte buffer and one ReadFile and one WriteFile a block (the installer's own block size).
//
//   plain_copy.exe <source folder> <destination folder> [--status] [--cursor] [--identity]
//
// The file names are the script entries of <source folder>\Install.log. The destination folder
// is created (one level). The options add, one by one, what the installer does for each file
// besides the copy, so that the cost of each step can be told apart:
//   --status    a window with a status line like the installer's gets one text a file;
//   --cursor    the wait cursor before the file and the arrow after it (LoadCursorA, SetCursor);
//   --identity  before the destination is created, it is opened for its attributes alone and
//               compared with the source (GetFileInformationByHandle), as the same-file guard does.
// Prints "copy_ms=<milliseconds>" (QueryPerformanceCounter, the copies alone) and exits with 0;
// any failed file operation prints "error=..." and exits with 1.
//
//   plain_copy.exe --steps <folder>
//
// Times each of those steps alone, 1000 times over, and prints "<step>_us=<microseconds>" for
// one of them: the installer's cost per file beside the copy, without the noise of a whole run.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kBlockSize = 2048;

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Lines end at CR, an LF after it belongs to the line end (as the installer reads its script).
std::vector<std::string> ScriptEntries(const std::string &path) {
    std::vector<std::string> names;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return names;
    std::vector<std::string> lines;
    std::string line;
    int c;
    while ((c = std::fgetc(file)) != EOF && c != 26) {
        if (c == '\r') {
            lines.push_back(line);
            line.clear();
            int next = std::fgetc(file);
            if (next != '\n' && next != EOF) std::ungetc(next, file);
        } else {
            line += static_cast<char>(c);
        }
    }
    std::fclose(file);
    if (lines.size() < 7) return names;
    unsigned long count = std::strtoul(lines[6].c_str(), nullptr, 10);
    for (unsigned long i = 0; i < count && 7 + 2 * i < lines.size(); ++i) names.push_back(lines[7 + 2 * i]);
    return names;
}

struct Steps {
    HWND status = nullptr;
    bool cursor = false;
    bool identity = false;
};

// The same-file guard's work: the other path opened with no access, both identities read.
bool SameFile(HANDLE open, const std::string &otherPath) {
    HANDLE other = CreateFileA(otherPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (other == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION first, second;
    bool same = GetFileInformationByHandle(open, &first) && GetFileInformationByHandle(other, &second) &&
                first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
                first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
    CloseHandle(other);
    return same;
}

bool CopyBlocks(const std::string &source, const std::string &destination, const Steps &steps) {
    if (steps.cursor) SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    HANDLE in = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return false;
    if (steps.identity && SameFile(in, destination)) {
        CloseHandle(in);
        return false;
    }
    HANDLE out = CreateFileA(destination.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        return false;
    }
    static char block[kBlockSize];
    bool ok = true;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(in, block, kBlockSize, &got, nullptr)) ok = false;
        if (!WriteFile(out, block, got, &put, nullptr) || put < got) ok = false;
        if (!ok || got == 0) break;
    }
    if (!CloseHandle(in)) ok = false;
    if (!CloseHandle(out)) ok = false;
    if (steps.cursor) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return ok;
}

LRESULT CALLBACK StatusWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of the installer's size with a white, sunken, centred status line in the same font.
HWND MakeStatusLine() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = StatusWndProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "PlainCopyStatus";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "PlainCopyStatus", "plain copy", WS_CAPTION | WS_SYSMENU, 252, 204, 520, 360,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    RECT client;
    GetClientRect(window, &client);
    HWND status = CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 70,
                                  client.right - 20, 200, window, nullptr, windowClass.hInstance, nullptr);
    HFONT font = CreateFontA(8, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
    SendMessageA(status, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return status;
}

}  // namespace

// Each step of the installer's per-file work, timed on its own; the status texts alternate
// between two paths of the product's length, as consecutive files do.
int TimeSteps(const std::string &folder) {
    const int kRepeats = 1000;
    HWND status = MakeStatusLine();
    std::string texts[2] = {"Kopiere " + folder + "\\gross001.bin\r nach \r" + folder + "\\out\\gross001.bin...",
                            "Kopiere " + folder + "\\klein001.bin\r nach \r" + folder + "\\out\\klein001.bin..."};
    double start = Now();
    for (int i = 0; i < kRepeats; ++i)
        SendMessageA(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texts[i & 1].c_str()));
    std::printf("status_text_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);

    start = Now();
    for (int i = 0; i < kRepeats; ++i) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
    std::printf("cursor_pair_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);
    start = Now();
    for (int i = 0; i < kRepeats; ++i) {
        LoadCursorA(nullptr, IDC_WAIT);
        LoadCursorA(nullptr, IDC_ARROW);
    }
    std::printf("cursor_loads_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT), arrow = LoadCursorA(nullptr, IDC_ARROW);
    start = Now();
    for (int i = 0; i < kRepeats; ++i) {
        SetCursor(wait);
        SetCursor(arrow);
    }
    std::printf("cursor_sets_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);

    std::string probe = folder + "\\Install.log";
    HANDLE open = CreateFileA(probe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string missing = folder + "\\no such file.bin";
    start = Now();
    for (int i = 0; i < kRepeats; ++i) SameFile(open, missing);
    std::printf("identity_missing_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);
    start = Now();
    for (int i = 0; i < kRepeats; ++i) SameFile(open, probe);
    std::printf("identity_existing_us=%.1f\n", (Now() - start) * 1000.0 / kRepeats);
    CloseHandle(open);
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "--steps") == 0) return TimeSteps(argv[2]);
    Steps steps;
    bool withStatus = false;
    bool known = argc >= 3;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--status") == 0) withStatus = true;
        else if (std::strcmp(argv[i], "--cursor") == 0) steps.cursor = true;
        else if (std::strcmp(argv[i], "--identity") == 0) steps.identity = true;
        else known = false;
    }
    if (!known) {
        std::fprintf(stderr, "usage: plain_copy.exe <source folder> <destination folder> [--status] [--cursor]"
                             " [--identity]\n");
        return 2;
    }
    std::string source = std::string(argv[1]) + "\\";
    std::string destination = std::string(argv[2]) + "\\";
    std::vector<std::string> names = ScriptEntries(source + "Install.log");
    if (names.empty()) {
        std::printf("error=no entries in %sInstall.log\n", source.c_str());
        return 1;
    }
    steps.status = withStatus ? MakeStatusLine() : nullptr;
    HWND status = steps.status;
    double start = Now();
    CreateDirectoryA(argv[2], nullptr);
    for (const std::string &name : names) {
        std::string from = source + name;
        std::string to = destination + name;
        if (status != nullptr) {
            std::string text = "Kopiere " + from + "\r nach \r" + to + "...";
            SendMessageA(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        if (!CopyBlocks(from, to, steps)) {
            std::printf("error=cannot copy %s, error %lu\n", from.c_str(), GetLastError());
            return 1;
        }
    }
    std::printf("copy_ms=%.1f\nfiles=%u\n", Now() - start, static_cast<unsigned>(names.size()));
    return 0;
}
