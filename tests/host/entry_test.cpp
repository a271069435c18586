// RunSetup from process start to process end against the whole fake layer: the DLL-search
// restriction, the Windows folder, the broken-script box, the welcome window's ends and exit codes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com.h"
#include "com_library.h"
#include "dialogs.h"
#include "entry.h"
#include "fake.h"
#include "files.h"
#include "process_end.h"
#include "registry.h"
#include "state.h"
#include "text.h"
#include "windows.h"

namespace {

const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// A good script: the two header lines, title, folder, group, reserved line, count 0.
std::string GoodScript() {
    return "VELMORA Quillset 2.0 - Install.log\r\n"
           "Nicht ver\xE4ndern, nicht l\xF6schen!\r\n"
           "Velmora Atlas\r\n"
           "C:\\Programme\\Atlas\r\n"
           "Velmora\r\n"
           "\r\n"
           "0\r\n";
}

const std::string kBrokenScriptText = "Die Datei Install.log ist defekt! Die Installation mu\xDF abgebrochen werden!";

DWORD restrictedTo;
int restrictCalls;
BOOL WINAPI NotingSetDefaultDllDirectories(DWORD flags) {
    fake::Record("SetDefaultDllDirectories", {fake::Hex(flags)});
    restrictedTo = flags;
    ++restrictCalls;
    return TRUE;
}

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        restrictedTo = 0;
        restrictCalls = 0;
        fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Programme");
        fake::WriteHostFile("C:\\Product\\Install.log", GoodScript());
    }
    void TearDown() override { DoneComLibrary(); }

    std::optional<UINT> Run() { return test::ExitCodeOf([] { RunSetup(); }); }

    std::vector<std::string> NamesFrom(size_t start) {
        std::vector<std::string> names = fake::CallNames();
        return start == std::string::npos ? std::vector<std::string>{}
                                          : std::vector<std::string>(names.begin() + start, names.end());
    }
};

// --- Before anything else: DLLs come from the system folder only, where the call exists

TEST_F(EntryTest, RestrictsTheDllSearchFirstWhenTheCallExists) {
    fake::SetProcAddress("SetDefaultDllDirectories", reinterpret_cast<FARPROC>(NotingSetDefaultDllDirectories));
    fake::WriteHostFile("C:\\Product\\Install.log", "");  // ends at the broken-script box

    EXPECT_EQ(std::optional<UINT>(0), Run());

    const std::vector<fake::Call>& calls = fake::Calls();
    ASSERT_LE(4u, calls.size());
    EXPECT_EQ("GetModuleHandleA", calls[0].function);
    EXPECT_EQ((std::vector<std::string>{"kernel32.dll"}), calls[0].args);
    EXPECT_EQ("GetProcAddress", calls[1].function);
    EXPECT_EQ("SetDefaultDllDirectories", calls[1].args.at(1));
    EXPECT_EQ("SetDefaultDllDirectories", calls[2].function);
    EXPECT_EQ(0x800u, restrictedTo);
    EXPECT_EQ(1, restrictCalls);
    EXPECT_EQ("CoInitialize", calls[3].function);
}

TEST_F(EntryTest, StartsWithoutTheRestrictionWhereTheCallIsMissing) {
    fake::WriteHostFile("C:\\Product\\Install.log", "");

    EXPECT_EQ(std::optional<UINT>(0), Run());

    std::vector<std::string> names = fake::CallNames();
    ASSERT_LE(3u, names.size());
    EXPECT_EQ((std::vector<std::string>{"GetModuleHandleA", "GetProcAddress", "CoInitialize"}),
              std::vector<std::string>(names.begin(), names.begin() + 3));
    EXPECT_EQ(0, restrictCalls);
}

// --- The Windows folder: one backslash added, a root kept, a failure or too long a folder empty

TEST_F(EntryTest, TakesTheWindowsFolderWithATrailingBackslash) {
    struct Case {
        const char* name;
        std::string directory;
        bool fails;
        std::string folder;
    };
    const std::string deep = "C:\\" + std::string(120, 'w') + "\\" + std::string(131, 'x');  // 255 characters
    const std::string tooDeep = deep + "y";                                                  // 256 characters
    const Case cases[] = {
        {"plain folder", "C:\\WINDOWS", false, "C:\\WINDOWS\\"},
        {"drive root", "D:\\", false, "D:\\"},
        {"high-bit bytes", "C:\\Fen\xEAtres", false, "C:\\Fen\xEAtres\\"},
        {"255 characters", deep, false, deep + "\\"},
        {"256 characters do not fit", tooDeep, false, ""},
        {"the call fails", "C:\\WINDOWS", true, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::SetWindowsDirectory(c.directory);
        if (c.fails) fake::FailNth("GetWindowsDirectoryA", 1, ERROR_ACCESS_DENIED);
        fake::WriteHostFile("C:\\Product\\Install.log", "");
        // a sentinel: what the call did not write must not become the Windows folder
        FillBytes(installer.windowsFolderBuffer, '#', 256);

        EXPECT_EQ(std::optional<UINT>(0), Run()) << c.name;

        EXPECT_EQ(c.folder, std::string(installer.windowsFolder)) << c.name << ": directory " << c.directory;
        std::vector<fake::Call> asked = fake::CallsTo("GetWindowsDirectoryA");
        ASSERT_EQ(1u, asked.size()) << c.name;
        EXPECT_EQ("256", asked[0].args.at(0)) << c.name;
        EXPECT_LT(fake::IndexOfCall("CoInitialize"), fake::IndexOfCall("GetWindowsDirectoryA")) << c.name;
    }
}

// --- A broken or missing script: one box, no window, exit code 0, COM stopped

TEST_F(EntryTest, ABrokenOrMissingScriptShowsItsBoxAndEnds) {
    struct Case {
        const char* name;
        std::optional<std::string> script;
    };
    std::string lfOnly = GoodScript();
    for (size_t at = lfOnly.find("\r\n"); at != std::string::npos; at = lfOnly.find("\r\n", at)) lfOnly.erase(at, 1);
    const Case cases[] = {
        {"missing script", std::nullopt},
        {"empty script", std::string()},
        {"line ends without CR", lfOnly},
        {"count line not a number", GoodScript().substr(0, GoodScript().size() - 3) + "zwei\r\n"},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::SetProcAddress("SetDefaultDllDirectories", reinterpret_cast<FARPROC>(NotingSetDefaultDllDirectories));
        if (c.script)
            fake::WriteHostFile("C:\\Product\\Install.log", *c.script);
        else
            fake::SetProgramPath("C:\\Elsewhere\\Setup.exe");  // a folder without a script

        EXPECT_EQ(std::optional<UINT>(0), Run()) << c.name;

        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ(nullptr, box.owner) << c.name;
        EXPECT_EQ(kBrokenScriptText, box.text) << c.name;
        EXPECT_EQ(std::string("Installation abbgebrochen!"), box.caption) << c.name;
        EXPECT_EQ(0x40u, box.flags) << c.name;
        EXPECT_EQ((std::vector<std::string>{"MessageBoxA", "CoUninitialize", "ExitProcess"}),
                  NamesFrom(fake::IndexOfCall("MessageBoxA")))
            << c.name;
        EXPECT_EQ(std::string::npos, fake::IndexOfCall("RegisterClassA")) << c.name;
        EXPECT_EQ(std::string::npos, fake::IndexOfCall("CreateWindowExA")) << c.name;
        EXPECT_EQ(0, fake::OpenHandleCount()) << c.name << ": the script was left open";
    }
}

// --- The welcome window's ends: the brush and the two fonts go, in this order, then COM

TEST_F(EntryTest, QuittingFromTheWelcomeWindowDeletesTheDrawingObjectsAndEndsWithZero) {
    struct Case {
        const char* name;
        std::vector<int> answers;
        std::vector<std::function<void()>> user;
        size_t boxes;
    };
    const Case cases[] = {
        {"Abbrechen, Yes", {IDYES}, {[] { fake::PostClick(installer.cancelButton); }}, 1},
        {"Abbrechen, No, Abbrechen, Yes",
         {IDNO, IDYES},
         {[] { fake::PostClick(installer.cancelButton); }, [] { fake::PostClick(installer.cancelButton); }},
         2},
        {"the close box", {}, {[] { fake::PostUserMessage(installer.welcomeWindow, WM_CLOSE, 0, 0); }}, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::AnswerMessageBoxes(c.answers);
        fake::WhenIdle(c.user);

        EXPECT_EQ(std::optional<UINT>(0), Run()) << c.name;

        EXPECT_EQ(c.boxes, fake::MessageBoxes().size()) << c.name;
        std::vector<std::string> expected{
            "DeleteObject", "DeleteObject", "DeleteObject", "CoUninitialize", "ExitProcess"};
        EXPECT_EQ(expected, NamesFrom(fake::IndexOfCall("DeleteObject"))) << c.name;
        std::vector<fake::Call> deletes = fake::CallsTo("DeleteObject");
        ASSERT_EQ(3u, deletes.size()) << c.name;
        EXPECT_EQ(fake::Handle(installer.faceBrush), deletes[0].args.at(0)) << c.name;
        EXPECT_EQ(fake::Handle(installer.headerFont), deletes[1].args.at(0)) << c.name;
        EXPECT_EQ(fake::Handle(installer.textFont), deletes[2].args.at(0)) << c.name;
        EXPECT_EQ(0, fake::LiveGdiObjectCount()) << c.name;
        EXPECT_EQ(std::string::npos, fake::IndexOfCall("ShellExecuteA")) << c.name;
        EXPECT_EQ(std::string::npos, fake::IndexOfCall("CreateDirectoryA")) << c.name << ": something was installed";
        EXPECT_FALSE(fake::IsComStarted()) << c.name;
    }
}

// The welcome window shows what the script and the registry gave.
TEST_F(EntryTest, TheWelcomeWindowShowsTheScriptsTexts) {
    fake::WhenIdle({[] {
        EXPECT_EQ("Willkommen im Installationsprogramm von Velmora Atlas!", fake::WindowText(installer.welcomeHeader));
        EXPECT_EQ("C:\\Product\\", fake::WindowText(installer.sourceEdit));
        EXPECT_EQ("C:\\Programme\\Atlas", fake::WindowText(installer.destinationEdit));
        EXPECT_TRUE(fake::Window(installer.welcomeWindow).visible);
        fake::PostUserMessage(installer.welcomeWindow, WM_CLOSE, 0, 0);
    }});
    EXPECT_EQ(std::optional<UINT>(0), Run());
}

// An installation with nothing to copy runs to its final box, and the process ends with 0.
TEST_F(EntryTest, ACompletedInstallationEndsWithZero) {
    fake::WhenIdle({[] { fake::PostClick(installer.nextButton); }});

    EXPECT_EQ(std::optional<UINT>(0), Run());

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(std::string("Die Installation wurde abgeschlossen!"), fake::MessageBoxes()[0].text);
    EXPECT_EQ(std::string("Installation beendet"), fake::MessageBoxes()[0].caption);
    EXPECT_EQ((std::vector<std::string>{"DeleteObject", "DeleteObject", "DeleteObject", "CoUninitialize",
                                        "ExitProcess"}),
              NamesFrom(fake::IndexOfCall("DeleteObject")));
}

// --- The other exit codes

TEST_F(EntryTest, ACOMStartThatFailsEndsWith217BeforeTheScriptIsRead) {
    fake::SetCoInitializeResult(E_FAIL);

    EXPECT_EQ(std::optional<UINT>(217), Run());

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(std::string("Error"), fake::MessageBoxes()[0].caption);
    EXPECT_EQ(0u, fake::MessageBoxes()[0].text.rfind("Runtime error 217 at ", 0)) << fake::MessageBoxes()[0].text;
    EXPECT_EQ(0, fake::CoUninitializeCount());
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("GetWindowsDirectoryA"));
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("CreateFileA"));
}

TEST_F(EntryTest, ARegistryValueOfTheWrongTypeEndsWithOneBeforeAnyWindow) {
    fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_DWORD, {1, 0, 0, 0});

    EXPECT_EQ(std::optional<UINT>(1), Run());

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
    EXPECT_EQ(std::string("Anwendungsfehler"), box.caption);
    EXPECT_EQ(0x2010u, box.flags);
    EXPECT_NE(std::string::npos, box.text.find("Ung\xFCltiger Datentyp f\xFCr 'ProgramFilesDir'")) << box.text;
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("CreateWindowExA"));
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("DeleteObject"));
    EXPECT_EQ(1, fake::CoUninitializeCount());
}

TEST_F(EntryTest, AFailedClassRegistrationEndsWithZeroWithoutTheShutdownSteps) {
    fake::FailNth("RegisterClassA", 1, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(std::optional<UINT>(0), Run());

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(std::string("Can not Register Class"), fake::MessageBoxes()[0].text);
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("GetMessageA"));
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("DeleteObject"));
    EXPECT_EQ(1, fake::CoUninitializeCount());
}

}  // namespace
