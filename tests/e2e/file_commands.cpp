// The driver's commands about what lies around the program: files it reads or leaves, helper
// programs run before it, registry values and trees, and shortcut files.
#include "checks.h"
#include "commands.h"
#include "scenario.h"

namespace {

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
    context.snapshots[words[1]] = {words[2], words[3],
                                   SnapshotRegistryKey(RootKey(words[2]), words[3])};
}

void DoExpectSnapshot(Context &context, const Words &words) {
    NeedWords(words, 2);
    auto found = context.snapshots.find(words[1]);
    if (found == context.snapshots.end()) throw ScenarioError("no snapshot " + words[1]);
    const RegistrySnapshot &before = found->second;
    std::string now = SnapshotRegistryKey(RootKey(before.root), before.key);
    if (now != before.tree) {
        throw std::runtime_error("registry tree " + before.root + "\\" + before.key +
                                 " changed:\nbefore:\n" + before.tree + "after:\n" + now);
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

}  // namespace

void AddFileCommands(CommandTable &table) {
    table["write-file"] = DoWriteFile;
    table["delete-file"] = DoDeleteFile;
    table["make-folder"] = DoMakeFolder;
    table["run"] = DoRun;
    table["expect-file"] = DoExpectFile;
    table["expect-no-file"] = DoExpectNoFile;
    table["expect-folder"] = DoExpectFolder;
    table["expect-no-folder"] = DoExpectNoFolder;
    table["wait-file"] = DoWaitFile;
    table["expect-file-bytes"] = DoExpectFileBytes;
    table["expect-same-file"] = DoExpectSameFile;
    table["expect-reg"] = DoExpectReg;
    table["expect-no-reg-value"] = DoExpectNoRegValue;
    table["expect-no-reg-key"] = DoExpectNoRegKey;
    table["snapshot"] = DoSnapshot;
    table["expect-snapshot"] = DoExpectSnapshot;
    table["expect-shortcut"] = DoExpectShortcut;
}
