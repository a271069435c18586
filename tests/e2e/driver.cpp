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
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "checks.h"
#include "scenario.h"
#include "target.h"

namespace {

using Words = std::vector<std::string>;

struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Context {
    Target target;
    HWND current = nullptr;
    HWND box = nullptr;
    DWORD timeoutMs = 30000;
    std::map<std::string, std::string> variables;
    std::map<std::string, std::string> snapshots;
};

// ----- words and numbers

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

void ExpectBytes(const std::string &what, const std::string &expected, const std::string &actual) {
    if (expected != actual) {
        throw std::runtime_error(what + ": expected " + ShowBytes(expected) + ", got " +
                                 ShowBytes(actual));
    }
}

// A position or size in a control's rectangle: a number, or "cw", "cw+N", "cw-N" with cw the
// client width of the current window, so a scenario states a layout the way it is designed.
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

// ----- commands: the program and its windows

void DoStart(Context &context, const Words &words) {
    NeedWords(words, 2);
    context.target.Start(words[1], "");
}

void DoWindow(Context &context, const Words &words) {
    NeedWords(words, 3);
    context.current = context.target.WaitForWindow(words[1], words[2], context.timeoutMs);
}

void DoExpectRect(Context &context, const Words &words) {
    NeedWords(words, 5);
    RECT rect{};
    GetWindowRect(CurrentWindow(context), &rect);
    std::string expected = words[1] + " " + words[2] + " " + words[3] + " " + words[4];
    std::string actual = std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                         std::to_string(rect.right - rect.left) + " " +
                         std::to_string(rect.bottom - rect.top);
    ExpectBytes("window rectangle (x y width height)", expected, actual);
}

void DoExpectChildren(Context &context, const Words &words) {
    NeedWords(words, 2);
    size_t count = ChildrenOf(CurrentWindow(context)).size();
    if (static_cast<long>(count) != ToNumber(words[1])) {
        throw std::runtime_error("expected " + words[1] + " child windows, found " +
                                 std::to_string(count));
    }
}

void DoExpectChild(Context &context, const Words &words) {
    if (words.size() < 4) throw ScenarioError("expect-child <n> <class> <text> ...");
    HWND child = Child(context, words[1]);
    WindowFacts facts = FactsOf(child);
    std::string name = "child " + words[1];
    if (lstrcmpiA(words[2].c_str(), facts.className.c_str()) != 0) {
        ExpectBytes(name + " class", words[2], facts.className);
    }
    ExpectBytes(name + " text", words[3], facts.text);
    size_t i = 4;
    while (i < words.size()) {
        const std::string &key = words[i];
        if (key == "style" && i + 1 < words.size()) {
            ExpectBytes(name + " style", Hex(ToHex(words[i + 1])), Hex(facts.style));
            i += 2;
        } else if (key == "exstyle" && i + 1 < words.size()) {
            ExpectBytes(name + " extended style", Hex(ToHex(words[i + 1])), Hex(facts.exStyle));
            i += 2;
        } else if (key == "rect" && i + 4 < words.size()) {
            RECT client{};
            GetClientRect(CurrentWindow(context), &client);
            long cw = client.right - client.left;
            std::string expected;
            for (size_t k = 1; k <= 4; ++k) {
                expected += (k > 1 ? " " : "") + std::to_string(LayoutNumber(words[i + k], cw));
            }
            std::string actual = std::to_string(facts.rect.left) + " " +
                                 std::to_string(facts.rect.top) + " " +
                                 std::to_string(facts.rect.right - facts.rect.left) + " " +
                                 std::to_string(facts.rect.bottom - facts.rect.top);
            ExpectBytes(name + " rectangle (x y width height)", expected, actual);
            i += 5;
        } else {
            throw ScenarioError("expect-child: unknown or incomplete part " + key);
        }
    }
}

void DoExpectText(Context &context, const Words &words) {
    NeedWords(words, 3);
    ExpectBytes("text of child " + words[1], words[2], TextOf(Child(context, words[1])));
}

void DoSetText(Context &context, const Words &words) {
    NeedWords(words, 3);
    SetText(Child(context, words[1]), words[2]);
}

void DoClick(Context &context, const Words &words) {
    NeedWords(words, 2);
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && TextOf(child) == words[1]) {
            PressButton(child);
            return;
        }
    }
    throw std::runtime_error("the window has no button " + ShowBytes(words[1]));
}

void DoClose(Context &context, const Words &words) {
    NeedWords(words, 1);
    if (!PostMessageA(CurrentWindow(context), WM_SYSCOMMAND, SC_CLOSE, 0)) {
        throw std::runtime_error("cannot post WM_SYSCOMMAND");
    }
}

std::string ButtonNames(const std::vector<int> &buttons) {
    std::string names;
    for (int id : buttons) {
        if (!names.empty()) names += "-";
        names += id == IDOK ? "ok" : id == IDYES ? "yes" : id == IDNO ? "no"
                 : id == IDCANCEL ? "cancel" : std::to_string(id);
    }
    return names;
}

void DoExpectBox(Context &context, const Words &words) {
    HWND box = context.target.WaitForBox(context.timeoutMs);
    context.box = box;
    std::string text = BoxText(box);
    char caption[512] = "";
    GetWindowTextA(box, caption, sizeof caption);
    bool captionChecked = false;
    size_t i = 1;
    while (i < words.size()) {
        const std::string &key = words[i];
        std::string value = i + 1 < words.size() ? words[i + 1] : "";
        if (key == "caption-any") {
            captionChecked = true;
            i += 1;
            continue;
        }
        if (i + 1 >= words.size()) throw ScenarioError("expect-box: " + key + " needs a value");
        if (key == "owner") {
            HWND owner = GetWindow(box, GW_OWNER);
            ExpectBytes("owner of the box", value, owner == nullptr ? "none" : ClassOf(owner));
        } else if (key == "caption") {
            ExpectBytes("caption of the box", value, caption);
            captionChecked = true;
        } else if (key == "text") {
            ExpectBytes("text of the box", value, text);
        } else if (key == "text-starts") {
            ExpectBytes("start of the box text", value, text.substr(0, value.size()));
        } else if (key == "text-ends") {
            std::string tail = text.size() >= value.size() ? text.substr(text.size() - value.size())
                                                           : text;
            ExpectBytes("end of the box text", value, tail);
        } else if (key == "buttons") {
            ExpectBytes("buttons of the box", value, ButtonNames(BoxButtons(box)));
        } else {
            throw ScenarioError("expect-box: unknown part " + key);
        }
        i += 2;
    }
    if (!captionChecked) throw ScenarioError("expect-box: say caption <text> or caption-any");
    std::printf("        box %s: %s\n", ShowBytes(caption).c_str(), ShowBytes(text).c_str());
}

void DoEnterBox(Context &context, const Words &words) {
    NeedWords(words, 1);
    if (context.box == nullptr) throw ScenarioError("enter-box: use expect-box first");
    context.current = context.box;
}

// Walks a tree view of the current window by item labels, expanding each level so that the
// program fills in its children, and selects the last item as a click on it would.
void DoTreeSelect(Context &context, const Words &words) {
    if (words.size() < 2) throw ScenarioError("tree-select <label>...");
    HWND tree = nullptr;
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        if (ClassOf(child) == "SysTreeView32") tree = child;
    }
    if (tree == nullptr) throw std::runtime_error("the window has no tree view");
    HTREEITEM parent = nullptr;
    for (size_t i = 1; i < words.size(); ++i) {
        HTREEITEM found = nullptr;
        std::string seen;
        DWORD start = GetTickCount();
        // The program may fill a level a little after the expansion.
        while (found == nullptr) {
            seen.clear();
            for (const auto &item : context.target.TreeItems(tree, parent)) {
                if (item.second == words[i]) found = item.first;
                seen += " " + ShowBytes(item.second);
            }
            if (found != nullptr) break;
            if (GetTickCount() - start > context.timeoutMs) {
                throw std::runtime_error("no tree item " + ShowBytes(words[i]) + "; there are:" +
                                         (seen.empty() ? " none" : seen));
            }
            Sleep(100);
        }
        DWORD_PTR result = 0;
        SendMessageTimeoutA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found),
                            SMTO_ABORTIFHUNG, 5000, &result);
        if (i + 1 < words.size()) {
            SendMessageTimeoutA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(found),
                                SMTO_ABORTIFHUNG, 5000, &result);
        }
        parent = found;
    }
}

void DoAnswer(Context &context, const Words &words) {
    NeedWords(words, 2);
    if (context.box == nullptr || !IsWindow(context.box)) {
        throw ScenarioError("answer: no message box (use expect-box first)");
    }
    int id = words[1] == "ok" ? IDOK : words[1] == "yes" ? IDYES : words[1] == "no" ? IDNO
             : words[1] == "cancel" ? IDCANCEL : 0;
    if (id == 0) throw ScenarioError("answer ok, yes, no or cancel");
    HWND button = GetDlgItem(context.box, id);
    if (button == nullptr || !IsWindowVisible(button)) {
        throw std::runtime_error("the box has no button " + words[1]);
    }
    PressButton(button);
    context.target.WaitUntilGone(context.box, context.timeoutMs);
    context.box = nullptr;
}

void DoExpectAlive(Context &context, const Words &words) {
    NeedWords(words, 2);
    DWORD start = GetTickCount();
    DWORD span = static_cast<DWORD>(ToNumber(words[1]));
    do {
        if (!context.target.Running()) throw std::runtime_error("the program ended");
        if (!IsWindowVisible(CurrentWindow(context))) {
            throw std::runtime_error("the current window is gone or hidden");
        }
        for (HWND window : context.target.VisibleWindows()) {
            if (ClassOf(window) == "#32770") {
                throw std::runtime_error("unexpected message box: " + ShowBytes(BoxText(window)));
            }
        }
        Sleep(50);
    } while (GetTickCount() - start < span);
}

void DoExpectNoWindow(Context &context, const Words &words) {
    NeedWords(words, 2);
    for (HWND window : context.target.VisibleWindows()) {
        if (ClassOf(window) == words[1]) {
            throw std::runtime_error("a window of class " + words[1] + " is visible");
        }
    }
}

void DoExpectExit(Context &context, const Words &words) {
    NeedWords(words, 2);
    DWORD code = context.target.WaitForExit(context.timeoutMs);
    ExpectBytes("exit code", words[1], std::to_string(code));
}

void DoDump(Context &context, const Words &words) {
    NeedWords(words, 1);
    int index = 0;
    for (HWND child : ChildrenOf(CurrentWindow(context))) {
        WindowFacts facts = FactsOf(child);
        std::printf("        child %d %s %s style %s exstyle %s rect %ld %ld %ld %ld\n",
                    ++index, facts.className.c_str(), ShowBytes(facts.text).c_str(),
                    Hex(facts.style).c_str(), Hex(facts.exStyle).c_str(), facts.rect.left,
                    facts.rect.top, facts.rect.right - facts.rect.left,
                    facts.rect.bottom - facts.rect.top);
    }
}

// ----- commands: files, registry, shortcuts

void DoWriteFile(Context &, const Words &words) {
    if (words.size() < 3) throw ScenarioError("write-file <path> <bytes>...");
    std::string bytes;
    for (size_t i = 2; i < words.size(); ++i) bytes += words[i];
    WriteWholeFile(words[1], bytes);
}

void DoDeleteFile(Context &, const Words &words) {
    NeedWords(words, 2);
    if (!DeleteFileA(words[1].c_str())) {
        throw std::runtime_error("cannot delete " + words[1] + ", error " +
                                 std::to_string(GetLastError()));
    }
}

void DoMakeFolder(Context &, const Words &words) {
    NeedWords(words, 2);
    if (!CreateDirectoryA(words[1].c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        throw std::runtime_error("cannot create " + words[1]);
    }
}

void DoRun(Context &context, const Words &words) {
    if (words.size() < 2) throw ScenarioError("run <program> [<argument>...]");
    std::string commandLine = "\"" + words[1] + "\"";
    for (size_t i = 2; i < words.size(); ++i) commandLine += " \"" + words[i] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        throw std::runtime_error("cannot run " + words[1] + ", error " +
                                 std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    DWORD waited = WaitForSingleObject(info.hProcess, context.timeoutMs);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hProcess);
    if (waited != WAIT_OBJECT_0) throw std::runtime_error(words[1] + " did not end in time");
    if (code != 0) throw std::runtime_error(words[1] + " exited with " + std::to_string(code));
}

void DoExpectFile(Context &, const Words &words) {
    NeedWords(words, 2);
    if (!FileExists(words[1])) throw std::runtime_error("no file " + words[1]);
}

void DoExpectNoFile(Context &, const Words &words) {
    NeedWords(words, 2);
    if (FileExists(words[1])) throw std::runtime_error("unexpected file " + words[1]);
}

void DoExpectFolder(Context &, const Words &words) {
    NeedWords(words, 2);
    if (!FolderExists(words[1])) throw std::runtime_error("no folder " + words[1]);
}

void DoExpectNoFolder(Context &, const Words &words) {
    NeedWords(words, 2);
    if (FolderExists(words[1])) throw std::runtime_error("unexpected folder " + words[1]);
}

void DoWaitFile(Context &context, const Words &words) {
    NeedWords(words, 2);
    DWORD start = GetTickCount();
    while (!FileExists(words[1])) {
        if (GetTickCount() - start > context.timeoutMs) {
            throw std::runtime_error("no file " + words[1] + " within " +
                                     std::to_string(context.timeoutMs) + " ms");
        }
        Sleep(50);
    }
}

void DoExpectFileBytes(Context &, const Words &words) {
    NeedWords(words, 3);
    ExpectBytes("content of " + words[1], words[2], ReadWholeFile(words[1]));
}

void DoExpectSameFile(Context &, const Words &words) {
    NeedWords(words, 3);
    std::string copy = ReadWholeFile(words[1]);
    std::string original = ReadWholeFile(words[2]);
    if (copy != original) {
        throw std::runtime_error(words[1] + " (" + std::to_string(copy.size()) +
                                 " bytes) differs from " + words[2] + " (" +
                                 std::to_string(original.size()) + " bytes)");
    }
}

void DoExpectReg(Context &, const Words &words) {
    NeedWords(words, 6);
    RegistryValue value = ReadRegistryValue(RootKey(words[1]), words[2], words[3]);
    std::string where = words[1] + "\\" + words[2] + " " + words[3];
    if (!value.found) throw std::runtime_error("no registry value " + where);
    DWORD type = 0;
    std::string data;
    if (words[4] == "sz" || words[4] == "expand-sz") {
        type = words[4] == "sz" ? REG_SZ : REG_EXPAND_SZ;
        data = words[5] + std::string(1, '\0');
    } else if (words[4] == "dword") {
        type = REG_DWORD;
        DWORD number = static_cast<DWORD>(ToNumber(words[5]));
        data.assign(reinterpret_cast<const char *>(&number), sizeof number);
    } else {
        throw ScenarioError("registry type sz, expand-sz or dword");
    }
    ExpectBytes("type of " + where, std::to_string(type), std::to_string(value.type));
    ExpectBytes("data of " + where, data, value.data);
}

void DoExpectNoRegValue(Context &, const Words &words) {
    NeedWords(words, 4);
    if (ReadRegistryValue(RootKey(words[1]), words[2], words[3]).found) {
        throw std::runtime_error("unexpected registry value " + words[3]);
    }
}

void DoExpectNoRegKey(Context &, const Words &words) {
    NeedWords(words, 3);
    if (RegistryKeyExists(RootKey(words[1]), words[2])) {
        throw std::runtime_error("unexpected registry key " + words[1] + "\\" + words[2]);
    }
}

void DoSnapshot(Context &context, const Words &words) {
    NeedWords(words, 4);
    context.snapshots[words[1]] = words[2] + "\n" + words[3];
    context.snapshots[words[1] + "\n"] = SnapshotRegistryKey(RootKey(words[2]), words[3]);
}

void DoExpectSnapshot(Context &context, const Words &words) {
    NeedWords(words, 2);
    auto where = context.snapshots.find(words[1]);
    if (where == context.snapshots.end()) throw ScenarioError("no snapshot " + words[1]);
    std::string root = where->second.substr(0, where->second.find('\n'));
    std::string key = where->second.substr(where->second.find('\n') + 1);
    std::string now = SnapshotRegistryKey(RootKey(root), key);
    const std::string &before = context.snapshots[words[1] + "\n"];
    if (now != before) {
        throw std::runtime_error("registry tree " + root + "\\" + key + " changed:\nbefore:\n" +
                                 before + "after:\n" + now);
    }
}

void DoExpectShortcut(Context &, const Words &words) {
    if (words.size() != 8 || words[2] != "target" || words[4] != "arguments" ||
        words[6] != "workdir") {
        throw ScenarioError("expect-shortcut <path> target <t> arguments <a> workdir <w>");
    }
    ShortcutFacts facts = ReadShortcut(words[1]);
    ExpectBytes("target of " + words[1], words[3], facts.target);
    ExpectBytes("arguments of " + words[1], words[5], facts.arguments);
    ExpectBytes("working directory of " + words[1], words[7], facts.workingDirectory);
}

// ----- the scenario itself

void DoSet(Context &context, const Words &words) {
    NeedWords(words, 3);
    context.variables[words[1]] = words[2];
}

void DoTimeout(Context &context, const Words &words) {
    NeedWords(words, 2);
    context.timeoutMs = static_cast<DWORD>(ToNumber(words[1]));
}

using Command = std::function<void(Context &, const Words &)>;

const std::map<std::string, Command> &Commands() {
    static const std::map<std::string, Command> commands = {
        {"set", DoSet},
        {"timeout", DoTimeout},
        {"write-file", DoWriteFile},
        {"delete-file", DoDeleteFile},
        {"make-folder", DoMakeFolder},
        {"run", DoRun},
        {"start", DoStart},
        {"window", DoWindow},
        {"expect-rect", DoExpectRect},
        {"expect-children", DoExpectChildren},
        {"expect-child", DoExpectChild},
        {"expect-text", DoExpectText},
        {"set-text", DoSetText},
        {"click", DoClick},
        {"close", DoClose},
        {"expect-box", DoExpectBox},
        {"answer", DoAnswer},
        {"enter-box", DoEnterBox},
        {"tree-select", DoTreeSelect},
        {"expect-alive", DoExpectAlive},
        {"expect-no-window", DoExpectNoWindow},
        {"expect-exit", DoExpectExit},
        {"expect-file", DoExpectFile},
        {"expect-no-file", DoExpectNoFile},
        {"expect-folder", DoExpectFolder},
        {"expect-no-folder", DoExpectNoFolder},
        {"wait-file", DoWaitFile},
        {"expect-file-bytes", DoExpectFileBytes},
        {"expect-same-file", DoExpectSameFile},
        {"expect-reg", DoExpectReg},
        {"expect-no-reg-value", DoExpectNoRegValue},
        {"expect-no-reg-key", DoExpectNoRegKey},
        {"snapshot", DoSnapshot},
        {"expect-snapshot", DoExpectSnapshot},
        {"expect-shortcut", DoExpectShortcut},
        {"dump", DoDump},
    };
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
