// The end-to-end test driver: runs one scenario file against the real installer inside Wine.
//
//   driver.exe <scenario file>
//
// It starts the program, finds its windows and message boxes, reads their controls, presses their
// buttons, waits for the exit code and then reads back the files, registry values and shortcuts
// the program left. Every wait is bounded; on the first failed expectation the program is killed
// and the driver exits with 1. Exit code 2: the scenario itself is wrong.
//
// Commands (words in <> are one word each; see scenario.h for quoting and escapes):
//   set <name> <value>                 define ${name}
//   timeout <ms>                       bound of every later wait (default 30000)
//   write-file <path> <bytes>...       create or replace a file with these pieces, joined
//   delete-file <path> | make-folder <path>
//   run <program> [<argument>...]      run a helper to its end; it must exit with 0
//   start <program>                    start the program under test in its own folder
//   window <class> <title>             wait for its visible top-level window; it becomes current
//   expect-rect <x> <y> <w> <h>        the current window's screen rectangle
//   expect-children <n>                number of direct child windows of the current window
//   expect-child <n> <class> <text> [style <hex>] [exstyle <hex>] [rect <x> <y> <w> <h>]
//                                      the n-th child (1 = first created), rect in client pixels
//                                      (each number may be written cw, cw+N or cw-N, cw being
//                                      the current window's client width);
//                                      class names compare without regard to case, as the system
//                                      treats them (it reports "Static" for a "STATIC" control).
//                                      Fonts are not read: Wine answers WM_GETFONT from another
//                                      process with 0, and font handles are per process.
//   expect-text <n> <text>             the n-th child's text (WM_GETTEXT), byte for byte
//   set-text <n> <text>                WM_SETTEXT to the n-th child
//   click <button text>                press a button of the current window (posted BM_CLICK)
//   close                              the close box: WM_SYSCOMMAND SC_CLOSE
//   expect-box [owner none|<class>] (caption <text> | caption-any)
//              (text <text> | [text-starts <text>] [text-ends <text>]) [buttons ok|yes-no]
//                                      wait for a message box of the program and check it
//   answer ok|yes|no|cancel            press that button of the box; it must go away
//   enter-box                          the box becomes the current window (for dialogs)
//   tree-select <label>...             in the current window's tree view, open each labelled
//                                      item in turn and select the last one
//   expect-alive <ms>                  for that long: still running, current window visible, no box
//   expect-no-window <class>           no visible top-level window of that class right now
//   expect-exit <code>                 wait for the program's end and check its exit code
//   expect-file <path> | expect-no-file <path> | wait-file <path>
//   expect-folder <path> | expect-no-folder <path>
//   expect-file-bytes <path> <bytes>   the file holds exactly these bytes
//   expect-same-file <path> <reference path>
//   expect-reg <HKLM|HKCU> <key> <value> <sz|expand-sz|dword> <data>
//   expect-no-reg-value <HKLM|HKCU> <key> <value> | expect-no-reg-key <HKLM|HKCU> <key>
//   snapshot <name> <HKLM|HKCU> <key>  remember a registry tree ...
//   expect-snapshot <name>             ... and check it is unchanged
//   expect-shortcut <path> target <t> arguments <a> workdir <w>
//   dump                               print the current window's children (to write scenarios)
//
// Variables known without `set`: PRODUCT and TOOLS (from the environment variables E2E_PRODUCT and
// E2E_TOOLS), WINDIR, PROGRAMFILES (HKLM ProgramFilesDir), APPDATA (HKCU Volatile Environment),
// PROGRAMS (HKCU Explorer Shell Folders), each without a trailing backslash.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "checks.h"
#include "commands.h"
#include "scenario.h"

long ToNumber(const std::string &word) {
    char *end = nullptr;
    long value = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0') throw ScenarioError("not a number: " + word);
    return value;
}

DWORD ToHex(const std::string &word) {
    char *end = nullptr;
    unsigned long value = std::strtoul(word.c_str(), &end, 16);
    if (word.empty() || *end != '\0') throw ScenarioError("not a hexadecimal number: " + word);
    return static_cast<DWORD>(value);
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

void NeedWords(const Words &words, size_t count) {
    if (words.size() != count) {
        throw ScenarioError(words[0] + " takes " + std::to_string(count - 1) + " argument(s)");
    }
}

std::string WithoutTrailingBackslash(std::string text) {
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

void ExpectBytes(const std::string &what, const std::string &expected, const std::string &actual) {
    if (expected != actual) {
        throw std::runtime_error(what + ": expected " + ShowBytes(expected) + ", got " +
                                 ShowBytes(actual));
    }
}

long LayoutNumber(const std::string &word, long clientWidth) {
    if (word.compare(0, 2, "cw") != 0) return ToNumber(word);
    if (word.size() == 2) return clientWidth;
    long offset = ToNumber(word.substr(3));
    if (word[2] == '+') return clientWidth + offset;
    if (word[2] == '-') return clientWidth - offset;
    throw ScenarioError("not a layout number: " + word);
}

HWND CurrentWindow(const Context &context) {
    if (context.current == nullptr) throw ScenarioError("no current window: use `window` first");
    return context.current;
}

HWND Child(const Context &context, const std::string &number) {
    std::vector<HWND> children = ChildrenOf(CurrentWindow(context));
    long index = ToNumber(number);
    if (index < 1 || index > static_cast<long>(children.size())) {
        throw std::runtime_error("the window has no child " + number + " (it has " +
                                 std::to_string(children.size()) + ")");
    }
    return children[index - 1];
}

namespace {

std::string RegistryText(HKEY root, const char *key, const char *value) {
    RegistryValue found = ReadRegistryValue(root, key, value);
    if (!found.found) throw std::runtime_error(std::string("no registry value ") + value);
    return WithoutTrailingBackslash(found.data.substr(0, found.data.find('\0')));
}

std::string BuiltInVariable(const std::string &name) {
    if (name == "PRODUCT" || name == "TOOLS") {
        const char *value = std::getenv(("E2E_" + name).c_str());
        if (value == nullptr) throw std::runtime_error("E2E_" + name + " is not set");
        return WithoutTrailingBackslash(value);
    }
    if (name == "WINDIR") {
        char folder[MAX_PATH] = "";
        GetWindowsDirectoryA(folder, sizeof folder);
        return WithoutTrailingBackslash(folder);
    }
    if (name == "PROGRAMFILES") {
        return RegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                            "ProgramFilesDir");
    }
    if (name == "APPDATA") return RegistryText(HKEY_CURRENT_USER, "Volatile Environment", "APPDATA");
    if (name == "PROGRAMS") {
        return RegistryText(HKEY_CURRENT_USER,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            "Programs");
    }
    throw ScenarioError("unknown variable ${" + name + "}");
}

std::string Expand(const Context &context, const std::string &word) {
    std::string out;
    size_t i = 0;
    while (i < word.size()) {
        size_t start = word.find("${", i);
        if (start == std::string::npos) {
            out += word.substr(i);
            break;
        }
        size_t end = word.find('}', start);
        if (end == std::string::npos) throw ScenarioError("unclosed ${ in " + word);
        out += word.substr(i, start - i);
        std::string name = word.substr(start + 2, end - start - 2);
        auto defined = context.variables.find(name);
        out += defined != context.variables.end() ? defined->second : BuiltInVariable(name);
        i = end + 1;
    }
    return out;
}

void DoSet(Context &context, const Words &words) {
    NeedWords(words, 3);
    context.variables[words[1]] = words[2];
}

void DoTimeout(Context &context, const Words &words) {
    NeedWords(words, 2);
    context.timeoutMs = static_cast<DWORD>(ToNumber(words[1]));
}

const CommandTable &Commands() {
    static const CommandTable commands = [] {
        CommandTable table = {
            {"set", DoSet},
            {"timeout", DoTimeout},
        };
        AddWindowCommands(table);
        AddFileCommands(table);
        return table;
    }();
    return commands;
}

std::string Describe(const Words &words) {
    std::string text;
    for (const std::string &word : words) {
        if (!text.empty()) text += ' ';
        text += word.find_first_of(" \"\\\r\n") == std::string::npos && !word.empty()
                    ? word : ShowBytes(word);
    }
    return text.size() > 160 ? text.substr(0, 157) + "..." : text;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: driver.exe <scenario file>\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<ScenarioLine> lines;
    try {
        lines = ReadScenario(argv[1]);
    } catch (const std::exception &problem) {
        std::printf("FAIL %s\n", problem.what());
        return 2;
    }
    Context context;
    for (const ScenarioLine &line : lines) {
        Words words;
        try {
            for (const std::string &word : line.words) words.push_back(Expand(context, word));
            auto command = Commands().find(words[0]);
            if (command == Commands().end()) throw ScenarioError("unknown command " + words[0]);
            command->second(context, words);
            std::printf("  ok  %3d %s\n", line.number, Describe(words).c_str());
        } catch (const ScenarioError &problem) {
            std::printf("FAIL %3d %s\n     scenario error: %s\n", line.number,
                        Describe(words).c_str(), problem.what());
            context.target.Kill();
            return 2;
        } catch (const std::exception &problem) {
            std::printf("FAIL %3d %s\n     %s\n", line.number, Describe(words).c_str(),
                        problem.what());
            context.target.Kill();
            return 1;
        }
    }
    if (context.target.Running()) {
        std::printf("FAIL the program is still running at the end of the scenario\n");
        context.target.Kill();
        return 1;
    }
    std::printf("PASS %s\n", argv[1]);
    return 0;
}
