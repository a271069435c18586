// LoadInstallScript against the fake files and registry: where the script is found, how it is
// opened and closed, what lands in the installer state, and when the destination root is asked.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "files.h"
#include "process_end.h"
#include "reader.h"
#include "registry.h"
#include "state.h"

namespace {

const std::string kHeader1 = "VELMORA Quillset 2.0 - Install.log";
const std::string kHeader2 = "Nicht ver\xE4ndern, nicht l\xF6schen!";
const std::string kScriptPath = "C:\\Product\\Install.log";
const std::string kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The lines joined with CR LF, each line ended.
std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

std::string Script(const std::string& title, const std::string& folder, const std::string& count,
                   const std::vector<std::string>& entryLines, const std::string& tail = "\r\n") {
    std::vector<std::string> lines = {kHeader1, kHeader2, title, folder, "Gruppe", "reserviert", count};
    lines.insert(lines.end(), entryLines.begin(), entryLines.end());
    return Lines(lines) + tail;
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();
        fake::Reset();
        installer = InstallerState{};
        fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    }
    void TearDown() override { DoneComLibrary(); }

    bool Load(const std::string& bytes) {
        fake::WriteHostFile(kScriptPath, bytes);
        return LoadInstallScript();
    }
    // How often the destination root was looked up: each lookup opens the machine key once.
    int RootLookups() const {
        int count = 0;
        for (const fake::Call& call : fake::CallsTo("RegOpenKeyExA"))
            if (call.args.size() > 1 && call.args[1] == kCurrentVersion) ++count;
        return count;
    }
};

TEST_F(ReaderTest, GoodScriptFillsTheInstallerState) {
    ASSERT_TRUE(Load(Script("Quillset Demo", "c:\\programme\\Tools\\Editor", "3",
                            {"Editor.exe", "EXEC!", "Hilfe\\Liesmich.txt", " EXEC!", "Deinst.exe", "DEINST!"})));
    EXPECT_EQ(std::string(installer.sourceFolder), "C:\\Product\\");
    EXPECT_EQ(std::string(installer.productTitle), "Quillset Demo");
    EXPECT_EQ(std::string(installer.defaultFolderName), "Tools\\Editor");
    EXPECT_EQ(std::string(installer.destinationText), "C:\\Program Files\\Tools\\Editor");
    EXPECT_EQ(std::string(installer.groupName), "Gruppe");
    EXPECT_EQ(std::string(installer.reservedLine), "reserviert");
    EXPECT_EQ(installer.entryCount, 3);
    EXPECT_EQ(installer.entryIndex, 3);
    const char* expected[3][2] = {{"Editor.exe", "EXEC!"}, {"Hilfe\\Liesmich.txt", " EXEC!"}, {"Deinst.exe", "DEINST!"}};
    for (int i = 0; i < 3; ++i) {
        const ScriptEntry& entry = installer.entries[i];
        EXPECT_EQ(std::string(entry.fileName), expected[i][0]) << "entry " << i + 1;
        EXPECT_EQ(entry.fileNameLength, std::string(expected[i][0]).size()) << "entry " << i + 1;
        EXPECT_EQ(std::string(entry.optionText), expected[i][1]) << "entry " << i + 1;
        EXPECT_EQ(entry.optionTextLength, std::string(expected[i][1]).size()) << "entry " << i + 1;
    }
    EXPECT_EQ(installer.entries[3].fileNameLength, 0);
    EXPECT_EQ(installer.entries[3].fileName[0], 0);
    EXPECT_EQ(installer.perUserMode, 0);
}

TEST_F(ReaderTest, ScriptIsOpenedForReadingBesideTheProgramAndClosedAgain) {
    fake::SetProgramPath("D:\\Ship\\Setup.exe");
    fake::WriteHostFile("D:\\Ship\\Install.log", Script("T", "F", "0", {}));
    ASSERT_TRUE(LoadInstallScript());
    EXPECT_EQ(std::string(installer.sourceFolder), "D:\\Ship\\");
    std::vector<fake::Call> opens = fake::CallsTo("CreateFileA");
    ASSERT_EQ(opens.size(), 1u);
    std::vector<std::string> expected = {"D:\\Ship\\Install.log", "0x80000000", "0x1", "0x0", "3", "0x80", "0x0"};
    EXPECT_EQ(std::vector<std::string>(opens[0].args.begin(), opens[0].args.begin() + 7), expected);
    std::vector<fake::Call> modules = fake::CallsTo("GetModuleFileNameA");
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].args[1], "261");
    EXPECT_EQ(fake::CallsTo("CloseHandle").size(), 1u);
    EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(ReaderTest, ScriptThatCannotBeOpenedIsBroken) {
    struct OpenCase {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"no script", [] {}},
        {"a folder named Install.log", [] { fake::MakeHostFolder(kScriptPath); }},
        {"held by another program", [] {
             fake::WriteHostFile(kScriptPath, Script("T", "F", "0", {}));
             fake::LockFile(kScriptPath, 0);
         }},
        {"open for writing elsewhere", [] {
             fake::WriteHostFile(kScriptPath, Script("T", "F", "0", {}));
             fake::LockFile(kScriptPath, FILE_SHARE_READ | FILE_SHARE_WRITE);
         }},
    };
    for (const OpenCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        test.arrange();
        EXPECT_FALSE(LoadInstallScript()) << test.name;
        EXPECT_EQ(RootLookups(), 0) << test.name;
        EXPECT_EQ(fake::OpenHandleCount(), 0) << test.name;
        EXPECT_TRUE(fake::CallsTo("CloseHandle").empty()) << test.name;
    }
}

// A program path too long for its 261 characters of room would name another folder once cut.
TEST_F(ReaderTest, ProgramPathThatDoesNotFitIsABrokenScript) {
    std::string folder = "C:\\" + std::string(120, 'a') + "\\" + std::string(120, 'b') + "\\" + std::string(20, 'c');
    fake::SetProgramPath(folder + "\\Setup.exe");
    fake::WriteHostFile(kScriptPath, Script("T", "F", "0", {}));
    EXPECT_FALSE(LoadInstallScript());
    EXPECT_TRUE(fake::CallsTo("CreateFileA").empty());
}

TEST_F(ReaderTest, ReadErrorMakesTheScriptBrokenAndItIsClosed) {
    for (int failing : {1, 2}) {
        fake::Reset();
        installer = InstallerState{};
        fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
        fake::FailNth("ReadFile", failing, ERROR_ACCESS_DENIED);
        // a title longer than a read block, so that the second read falls in line 3
        EXPECT_FALSE(Load(Script(std::string(600, 't'), "F", "0", {}))) << "failing read " << failing;
        EXPECT_EQ(RootLookups(), 0) << "failing read " << failing;
        EXPECT_EQ(fake::OpenHandleCount(), 0) << "failing read " << failing;
    }
}

// The destination root is looked up once, and only when lines 1 to 4 were read.
TEST_F(ReaderTest, DestinationRootIsAskedOnlyForAScriptWhoseHeadWasRead) {
    struct HeadCase {
        const char* name;
        std::string bytes;
        bool loaded;
        int lookups;
    } cases[] = {
        {"good script", Script("T", "F", "0", {}), true, 1},
        {"broken in line 1", "VELMORA\r\n", false, 0},
        {"broken in line 2", kHeader1 + "\r\nNicht\r\n", false, 0},
        {"script of three lines", kHeader1 + "\r\n" + kHeader2 + "\r\nT\r\n", false, 1},
        {"broken in the count", Script("T", "F", "zwei", {}), false, 1},
        {"broken after the entries", Script("T", "F", "1", {"A", "B"}, ""), false, 1},
    };
    for (const HeadCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        EXPECT_EQ(Load(test.bytes), test.loaded) << test.name;
        EXPECT_EQ(RootLookups(), test.lookups) << test.name;
        EXPECT_EQ(fake::OpenHandleCount(), 0) << test.name;
    }
}

// A registry error ends the process while the script is still open; nothing closes it then.
TEST_F(ReaderTest, RegistryErrorWhileLineFourIsReadEndsTheProcess) {
    fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_DWORD, {1, 0, 0, 0});
    fake::WriteHostFile(kScriptPath, Script("T", "F", "0", {}));
    EXPECT_EQ(test::ExitCodeOf([] { LoadInstallScript(); }), 1u);
    EXPECT_EQ(fake::OpenHandleCount(), 1);
    EXPECT_TRUE(fake::CallsTo("CloseHandle").empty());
}

// Line 4 loses a leading C:\PROGRAMME\ in any case; the rest keeps its case as written.
TEST_F(ReaderTest, DefaultFolderLosesTheProgramFilesPrefix) {
    struct FolderCase {
        std::string line;
        std::string name;
    } cases[] = {
        {"c:\\programme\\Tools\\Editor", "Tools\\Editor"},
        {"C:\\PROGRAMME\\Quillset", "Quillset"},
        {"C:\\Programme\\MiXeD", "MiXeD"},
        {"C:\\Programme", "C:\\Programme"},
        {"D:\\Tools\\Editor", "D:\\Tools\\Editor"},
        {"C:\\PROGRAMME\\", ""},
        {"C:\\PROGRAMME\\C:\\PROGRAMME\\x", "C:\\PROGRAMME\\x"},
    };
    for (const FolderCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
        ASSERT_TRUE(Load(Script("T", test.line, "0", {}))) << test.line;
        EXPECT_EQ(std::string(installer.defaultFolderName), test.name) << test.line;
        EXPECT_EQ(std::string(installer.destinationText), "C:\\Program Files\\" + test.name) << test.line;
    }
}

TEST_F(ReaderTest, EmptyLinesAndCountZeroGiveEmptyTextsAndTheBareRoot) {
    ASSERT_TRUE(Load(Lines({kHeader1, kHeader2, "", "", "", ""}) + "0"));
    EXPECT_EQ(std::string(installer.productTitle), "");
    EXPECT_EQ(std::string(installer.defaultFolderName), "");
    EXPECT_EQ(std::string(installer.groupName), "");
    EXPECT_EQ(std::string(installer.reservedLine), "");
    EXPECT_EQ(std::string(installer.destinationText), "C:\\Program Files\\");
    EXPECT_EQ(installer.entryCount, 0);
}

// Texts of the state keep 255 characters; entry texts 99. Nothing is written past a field.
TEST_F(ReaderTest, LongTextsAreCutToTheirFields) {
    std::string title(300, 'T'), folder(300, 'F'), group(5000, 'G'), name(120, 'n'), option(100, 'o');
    title[254] = 'e';
    name[98] = 'e';
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    std::vector<std::string> lines = {kHeader1, kHeader2, title, folder, group, "r", "1", name, option};
    ASSERT_TRUE(Load(Lines(lines) + "\r\n"));
    EXPECT_EQ(std::string(installer.productTitle), title.substr(0, 255));
    EXPECT_EQ(std::string(installer.defaultFolderName), folder.substr(0, 255));
    EXPECT_EQ(std::string(installer.destinationText), ("C:\\Program Files\\" + folder).substr(0, 255));
    EXPECT_EQ(std::string(installer.groupName), group.substr(0, 255));
    EXPECT_EQ(std::string(installer.reservedLine), "r");
    EXPECT_EQ(std::string(installer.entries[0].fileName), name.substr(0, 99));
    EXPECT_EQ(installer.entries[0].fileNameLength, 99);
    EXPECT_EQ(std::string(installer.entries[0].optionText), option.substr(0, 99));
    EXPECT_EQ(installer.entries[0].optionTextLength, 99);
}

// More than the table's 200 rows: broken, and the table and count stay untouched.
TEST_F(ReaderTest, CountAboveTheTableIsABrokenScript) {
    std::vector<std::string> entries;
    for (int i = 0; i < 201; ++i) {
        entries.push_back("f" + std::to_string(i));
        entries.push_back("NEIN!");
    }
    struct CountCase {
        std::string count;
        bool loaded;
        unsigned short entryCount;
    } cases[] = {{"200", true, 200}, {"201", false, 0}, {"-1", false, 0}, {"$FFFF", false, 0}, {"65736", true, 200},
                 {"65536", true, 0}, {"-65535", true, 1}};
    for (const CountCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        EXPECT_EQ(Load(Script("T", "F", test.count, entries)), test.loaded) << "count " << test.count;
        EXPECT_EQ(installer.entryCount, test.entryCount) << "count " << test.count;
        if (!test.loaded) EXPECT_EQ(installer.entries[0].fileNameLength, 0) << "count " << test.count;
    }
}

// A broken entry line is not stored; the entry lines before it are.
TEST_F(ReaderTest, EntryLineBeforeTheEndOfTheFileIsNotStored) {
    EXPECT_FALSE(Load(Script("T", "F", "2", {"erste.exe", "NEIN!", "zweite.exe"}, "")));
    EXPECT_EQ(std::string(installer.entries[0].fileName), "erste.exe");
    EXPECT_EQ(std::string(installer.entries[0].optionText), "NEIN!");
    EXPECT_EQ(installer.entries[1].fileNameLength, 0);
    EXPECT_EQ(std::string(installer.entries[1].fileName), "");
}

TEST_F(ReaderTest, LastEntryNeedsOneMoreCharacterThatIsNotCtrlZ) {
    struct TailCase {
        const char* name;
        std::string tail;
        bool loaded;
    } cases[] = {
        {"nothing", "", false},          {"Ctrl-Z", "\x1A", false},   {"an empty line", "\r\n", true},
        {"a lone LF", "\n", true},       {"a blank", " ", true},      {"an empty line and Ctrl-Z", "\r\n\x1A", true},
    };
    for (const TailCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        EXPECT_EQ(Load(Script("T", "F", "1", {"A", "B"}, test.tail)), test.loaded) << test.name;
    }
}

TEST_F(ReaderTest, LineEndsOtherThanCarriageReturnsBreakTheScript) {
    struct EndCase {
        const char* name;
        std::string separator;
        bool loaded;
    } cases[] = {{"CR LF", "\r\n", true}, {"CR", "\r", true}, {"LF", "\n", false}, {"LF CR", "\n\r", false}};
    for (const EndCase& test : cases) {
        fake::Reset();
        installer = InstallerState{};
        std::string bytes;
        for (std::string line : {kHeader1, kHeader2, std::string("T"), std::string("F"), std::string("G"),
                                 std::string("R"), std::string("1"), std::string("A"), std::string("B"), std::string()})
            bytes += line + test.separator;
        EXPECT_EQ(Load(bytes), test.loaded) << test.name;
        if (test.loaded) EXPECT_EQ(std::string(installer.entries[0].optionText), "B") << test.name;
    }
}

}  // namespace
