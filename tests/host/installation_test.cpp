// The installation run after "Weiter >": its three passes over the entry table, the program
// group, the two modes, the final box and the ends that a raised error or an empty field make.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "com.h"
#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "files.h"
#include "installation.h"
#include "process_end.h"
#include "registry.h"
#include "shell.h"
#include "state.h"
#include "windows.h"

namespace {

const char* const kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora\\Editor";
const std::string kStartMenu = "C:\\Startmen\xFC\\Programme";
const std::string kGroup = kStartMenu + "\\Velmora Editor\\";
const std::string kSource = "C:\\Product\\";
const std::string kDestination = "C:\\Programme\\Velmora\\Editor\\";

struct EntryText {
    std::string fileName, optionText;
};

class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        std::strcpy(installer.windowsFolder, "C:\\WINDOWS\\");
        std::strcpy(installer.defaultFolderName, "Velmora\\Editor");
        std::strcpy(installer.groupName, "Velmora Editor");
        installer.welcomeWindow = fake::CreateControl("VelmoraTestWindow", "VELMORA Install", nullptr, WS_POPUP);
        installer.sourceEdit = fake::CreateControl("EDIT", "C:\\Product", installer.welcomeWindow);
        installer.destinationEdit = fake::CreateControl("EDIT", "C:\\Programme\\Velmora\\Editor", installer.welcomeWindow);
        fake::MakeHostFolder("C:\\Programme\\Velmora");
        fake::MakeHostFolder(kStartMenu);
        fake::SetRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", kStartMenu);
    }

    void TearDown() override { DoneComLibrary(); }

    void SetEntries(const std::vector<EntryText>& entries) {
        installer.entryCount = static_cast<unsigned short>(entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            ScriptEntry& entry = installer.entries[i];
            std::strcpy(entry.fileName, entries[i].fileName.c_str());
            entry.fileNameLength = static_cast<unsigned char>(entries[i].fileName.size());
            std::strcpy(entry.optionText, entries[i].optionText.c_str());
            entry.optionTextLength = static_cast<unsigned char>(entries[i].optionText.size());
        }
    }

    // Runs the installation with COM started, as the process has it by then.
    std::optional<UINT> Install() {
        InitComLibrary();
        return test::ExitCodeOf([] { RunInstallation(); });
    }

    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& box : fake::MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
};

// What each option text does in the copy, shortcut and open passes, in machine mode.
TEST_F(InstallationTest, MachineModeCopiesLinksAndOpensByOptionText) {
    fake::WriteHostFile(kSource + "uninst.exe", "uninstaller");
    fake::WriteHostFile(kSource + "keep.ini", "new settings");
    fake::WriteHostFile(kDestination + "keep.ini", "old settings");
    fake::WriteHostFile(kSource + "fresh.ini", "fresh settings");
    fake::WriteHostFile(kSource + "readme.txt", "read me");
    fake::WriteHostFile(kSource + "editor.exe", "editor");
    fake::WriteHostFile(kSource + "tool.exe", "tool");
    fake::WriteHostFile(kSource + "lower.exe", "lower");
    fake::WriteHostFile(kSource + "blank.exe", "blank");
    fake::WriteHostFile(kSource + "nameless.exe", "nameless");
    fake::WriteHostFile(kSource + "docs\\manual.txt", "manual");
    SetEntries({{"uninst.exe", "DEINST!"},
                {"keep.ini", "NEINIFNOTEXIST!"},
                {"fresh.ini", "NEINIFNOTEXIST!"},
                {"readme.txt", "NEIN!"},
                {"editor.exe", "EXEC!"},
                {"tool.exe", "Mein Werkzeug"},
                {"lower.exe", "exec!"},
                {"blank.exe", "EXEC! "},
                {"nameless.exe", ""},
                {"docs\\manual.txt", "NEIN!"}});

    EXPECT_EQ(Install(), std::nullopt);

    // copy pass: the uninstaller goes to the Windows folder, an existing NEINIFNOTEXIST! file stays
    EXPECT_EQ(fake::ReadHostFile("C:\\WINDOWS\\uninst.exe"), "uninstaller");
    EXPECT_FALSE(fake::HostFileExists(kDestination + "uninst.exe"));
    EXPECT_EQ(fake::ReadHostFile(kDestination + "keep.ini"), "old settings");
    struct Copied {
        const char* name;
        const char* content;
    } copied[] = {{"fresh.ini", "fresh settings"}, {"readme.txt", "read me"}, {"editor.exe", "editor"},
                  {"tool.exe", "tool"},            {"lower.exe", "lower"},    {"blank.exe", "blank"},
                  {"nameless.exe", "nameless"},    {"docs\\manual.txt", "manual"}};
    for (const Copied& file : copied)
        EXPECT_EQ(fake::ReadHostFile(kDestination + file.name), file.content) << file.name;

    // the uninstall entry below HKEY_LOCAL_MACHINE
    auto uninstall = fake::RegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(uninstall.has_value());
    std::string expected = "C:\\WINDOWS\\uninst.exe \"" + kDestination + "\"";
    EXPECT_EQ(std::string(uninstall->bytes.begin(), uninstall->bytes.end()), expected + std::string(1, '\0'));

    // shortcut pass: every text but the three keywords names a shortcut, keywords in other case included
    EXPECT_EQ(fake::HostFolderNames(kGroup),
              (std::vector<std::string>{".lnk", "exec! .lnk", "exec!.lnk", "mein werkzeug.lnk"}));
    struct Linked {
        std::string shortcut, target;
    } linked[] = {{"Mein Werkzeug.lnk", "tool.exe"},
                  {"EXEC! .lnk", "blank.exe"},
                  {".lnk", "nameless.exe"}};
    for (const Linked& link : linked) {
        auto fields = fake::ReadShortcutFile(kGroup + link.shortcut);
        ASSERT_TRUE(fields.has_value()) << link.shortcut;
        EXPECT_EQ(fields->path, kDestination + link.target) << link.shortcut;
        EXPECT_EQ(fields->arguments, "") << link.shortcut;
        EXPECT_EQ(fields->workingDirectory, kDestination) << link.shortcut;
        EXPECT_EQ(fields->showCommand, SW_SHOW) << link.shortcut;
    }
    // "exec!" in lower case is no keyword: a shortcut of its own, written after EXEC!'s on a
    // case-insensitive file system, so the two share one file and the later target wins
    EXPECT_EQ(fake::ReadShortcutFile(kGroup + "exec!.lnk")->path, kDestination + "lower.exe");
    std::vector<std::string> targets;
    for (const auto& call : fake::CallsTo("IShellLinkA::SetPath")) targets.push_back(call.args.at(0));
    EXPECT_EQ(targets, (std::vector<std::string>{kDestination + "editor.exe", kDestination + "tool.exe",
                                                 kDestination + "lower.exe", kDestination + "blank.exe",
                                                 kDestination + "nameless.exe"}));

    // each shortcut is followed by its two change notifications
    const auto& notes = fake::ChangeNotifications();
    ASSERT_EQ(notes.size(), 10u);
    const char* order[] = {"EXEC!.lnk", "Mein Werkzeug.lnk", "exec!.lnk", "EXEC! .lnk", ".lnk"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(notes[2 * i].eventId, SHCNE_CREATE);
        EXPECT_EQ(notes[2 * i].flags, SHCNF_PATHA);
        EXPECT_EQ(notes[2 * i].item1, kGroup + order[i]);
        EXPECT_EQ(notes[2 * i].item2, "(null)");
        EXPECT_EQ(notes[2 * i + 1].eventId, SHCNE_UPDATEDIR);
        EXPECT_EQ(notes[2 * i + 1].flags, SHCNF_PATHA | SHCNF_FLUSH);
        EXPECT_EQ(notes[2 * i + 1].item1, kGroup);
    }

    // open pass: only the exact keyword is opened
    ASSERT_EQ(fake::ShellExecutions().size(), 1u);
    const auto& opened = fake::ShellExecutions()[0];
    EXPECT_EQ(opened.owner, installer.progressWindow);
    EXPECT_EQ(opened.verb, "open");
    EXPECT_EQ(opened.file, kDestination + "editor.exe");
    EXPECT_EQ(opened.parameters, "(null)");
    EXPECT_EQ(opened.directory, "(null)");
    EXPECT_EQ(opened.showCommand, SW_SHOW);

    // the final box, then the class goes and the quit message is posted
    ASSERT_EQ(fake::MessageBoxes().size(), 1u);
    const auto& done = fake::MessageBoxes()[0];
    EXPECT_EQ(done.owner, installer.progressWindow);
    EXPECT_EQ(done.text, "Die Installation wurde abgeschlossen!");
    EXPECT_EQ(done.caption, "Installation beendet");
    EXPECT_EQ(done.flags, 0x2040u);
    size_t box = fake::IndexOfCall("MessageBoxA");
    size_t unregister = fake::IndexOfCall("UnregisterClassA");
    ASSERT_NE(unregister, std::string::npos);
    EXPECT_GT(unregister, box);
    EXPECT_EQ(fake::CallsTo("UnregisterClassA")[0].args[0], "QuillsetWndclass");
    EXPECT_TRUE(fake::QuitPosted());
    EXPECT_EQ(fake::QuitCode(), 0);
    EXPECT_FALSE(fake::Window(installer.welcomeWindow).visible);
    EXPECT_TRUE(fake::Window(installer.progressWindow).visible);
    EXPECT_FALSE(fake::Window(installer.progressWindow).destroyed);
    EXPECT_EQ(fake::OpenHandleCount(), 0);
    EXPECT_EQ(fake::OpenKeyCount(), 0);
    EXPECT_EQ(fake::LiveShellLinks(), 0);
}

// The two fields are read after the progress window is built, get their backslash, and the
// destination's last level is made before the progress window shows.
TEST_F(InstallationTest, FieldsBecomeTheFoldersAndTheDestinationIsMadeBeforeShowing) {
    SetEntries({});
    EXPECT_EQ(Install(), std::nullopt);
    EXPECT_STREQ(installer.sourceFolder, "C:\\Product\\");
    EXPECT_STREQ(installer.destinationFolder, "C:\\Programme\\Velmora\\Editor\\");
    EXPECT_TRUE(fake::HostFolderExists(kDestination));
    EXPECT_TRUE(fake::HostFolderExists(kGroup));

    size_t hide = fake::IndexOfCall("ShowWindow");
    size_t makeFolder = fake::IndexOfCall("CreateDirectoryA");
    ASSERT_NE(makeFolder, std::string::npos);
    EXPECT_EQ(fake::CallsTo("CreateDirectoryA")[0].args[0], "C:\\Programme\\Velmora\\Editor");
    EXPECT_LT(hide, makeFolder);
    size_t show = std::string::npos;
    for (size_t i = 0; i < fake::Calls().size(); ++i)
        if (fake::Calls()[i].function == "ShowWindow" && fake::Calls()[i].args.size() > 1 &&
            fake::Calls()[i].args[1] == "5" && fake::Calls()[i].args[0] == fake::Handle(installer.progressWindow))
            show = i;
    ASSERT_NE(show, std::string::npos);
    EXPECT_GT(show, makeFolder);
    // painted at once with all its controls, since no message is dispatched before the first box
    size_t paint = fake::IndexOfCall("RedrawWindow");
    ASSERT_NE(paint, std::string::npos);
    EXPECT_GT(paint, show);
    EXPECT_EQ(fake::Calls()[paint].args,
              (std::vector<std::string>{fake::Handle(installer.progressWindow), "(null)", "0x0", "0x180"}));
    // an empty table: nothing copied, linked or opened, the final box all the same
    EXPECT_TRUE(fake::CallsTo("ReadFile").empty());
    EXPECT_TRUE(fake::ChangeNotifications().empty());
    EXPECT_TRUE(fake::ShellExecutions().empty());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Die Installation wurde abgeschlossen!"});
}

TEST_F(InstallationTest, PerUserModeKeepsTheUninstallerBesideTheProductWithAShortcut) {
    installer.perUserMode = 1;
    fake::WriteHostFile(kSource + "tools\\uninst.exe", "uninstaller");
    fake::MakeHostFolder("C:\\Programme\\Velmora\\Editor");
    SetEntries({{"tools\\uninst.exe", "DEINST!"}});

    EXPECT_EQ(Install(), std::nullopt);

    EXPECT_EQ(fake::ReadHostFile(kDestination + "tools\\uninst.exe"), "uninstaller");
    EXPECT_FALSE(fake::HostFileExists("C:\\WINDOWS\\tools\\uninst.exe"));
    EXPECT_TRUE(fake::CallsTo("RegCreateKeyExA").empty());
    EXPECT_TRUE(fake::CallsTo("RegSetValueExA").empty());
    auto fields = fake::ReadShortcutFile(kGroup + "Uninstall.lnk");
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->path, kDestination + "tools\\uninst.exe");
    EXPECT_EQ(fields->arguments, "");
    EXPECT_EQ(fields->workingDirectory, kDestination);
}

// A file that cannot be copied gets the copier's box and the run goes on to the end.
TEST_F(InstallationTest, FailedCopiesDoNotStopTheRun) {
    fake::WriteHostFile(kSource + "b.txt", "b");
    fake::WriteHostFile(kSource + "deep\\er\\c.txt", "c");
    fake::MakeHostFolder(kDestination + "folder.ini");
    fake::WriteHostFile(kSource + "folder.ini", "settings");
    SetEntries({{"missing.txt", "NEIN!"},
                {"b.txt", "NEIN!"},
                {"deep\\er\\c.txt", "NEIN!"},       // only the last level is made: deep\ is missing
                {"folder.ini", "NEINIFNOTEXIST!"}});  // a folder in the way is no file: copy attempted

    EXPECT_EQ(Install(), std::nullopt);

    EXPECT_EQ(fake::ReadHostFile(kDestination + "b.txt"), "b");
    EXPECT_FALSE(fake::HostFolderExists(kDestination + "deep"));
    std::vector<std::string> expected = {
        "Fehler beim Kopieren der Datei \r\nC:\\Product\\missing.txt\r\n nach \r\nC:\\Programme\\Velmora\\Editor\\missing.txt !",
        "Fehler beim Kopieren der Datei \r\nC:\\Product\\deep\\er\\c.txt\r\n nach \r\nC:\\Programme\\Velmora\\Editor\\deep\\er\\c.txt !",
        "Fehler beim Kopieren der Datei \r\nC:\\Product\\folder.ini\r\n nach \r\nC:\\Programme\\Velmora\\Editor\\folder.ini !",
        "Die Installation wurde abgeschlossen!"};
    EXPECT_EQ(BoxTexts(), expected);
    // the status line keeps the text of the last copy
    EXPECT_EQ(fake::WindowText(installer.statusLine),
              "Kopiere C:\\Product\\folder.ini\r nach \rC:\\Programme\\Velmora\\Editor\\folder.ini...");
}

// Where the program group goes when the user's Start menu folder is missing or unknown.
TEST_F(InstallationTest, ProgramGroupBase) {
    struct Case {
        const char* name;
        int programsSetup;  // 0 empty value, 1 missing value, 2 key missing, 3 key and shell fail
        std::string expectedShortcut;  // empty: no shortcut is written
    } cases[] = {
        {"empty value: relative to the current folder", 0, "Velmora Editor\\Start.lnk"},
        {"missing value: relative to the current folder", 1, "Velmora Editor\\Start.lnk"},
        {"no key: the shell's own programs folder", 2, "C:\\Shell\\Programs\\Velmora Editor\\Start.lnk"},
        {"no key and no shell folder: no group", 3, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        fake::DeleteRegistryKey(HKEY_CURRENT_USER, kShellFolders);
        if (c.programsSetup == 0) fake::SetRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs", "");
        if (c.programsSetup == 1) fake::CreateRegistryKey(HKEY_CURRENT_USER, kShellFolders);
        fake::MakeHostFolder("C:\\Shell\\Programs");
        fake::SetFolderPath(CSIDL_PROGRAMS, "C:\\Shell\\Programs");
        if (c.programsSetup == 3) fake::FailFolderPath(CSIDL_PROGRAMS, E_FAIL);
        fake::WriteHostFile(kSource + "start.exe", "start");
        SetEntries({{"start.exe", "Start"}});

        EXPECT_EQ(Install(), std::nullopt) << c.name;
        auto saved = fake::LastSavedShortcutFile();
        if (c.expectedShortcut.empty()) {
            EXPECT_FALSE(saved.has_value()) << c.name;
            EXPECT_TRUE(fake::ChangeNotifications().empty()) << c.name;
        } else {
            EXPECT_EQ(saved.value_or("(none)"), c.expectedShortcut) << c.name;
        }
        EXPECT_EQ(BoxTexts().back(), "Die Installation wurde abgeschlossen!") << c.name;
        DoneComLibrary();
    }
}

// A group of two levels whose first is missing: nothing can be saved, nothing is reported.
TEST_F(InstallationTest, GroupWhoseParentIsMissingWritesNoShortcutSilently) {
    std::strcpy(installer.groupName, "Velmora\\Editor");
    fake::WriteHostFile(kSource + "start.exe", "start");
    SetEntries({{"start.exe", "Start"}});
    EXPECT_EQ(Install(), std::nullopt);
    EXPECT_FALSE(fake::HostFolderExists(kStartMenu + "\\Velmora"));
    EXPECT_EQ(fake::ChangeNotifications().size(), 2u);  // told about all the same
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Die Installation wurde abgeschlossen!"});
}

// A "Programs" value that is not a text ends the run and the process through the unhandled-error box.
TEST_F(InstallationTest, ProgramsValueOfWrongTypeEndsTheProcess) {
    fake::SetRegistryValue(HKEY_CURRENT_USER, kShellFolders, "Programs", REG_DWORD, {1, 0, 0, 0});
    fake::WriteHostFile(kSource + "start.exe", "start");
    SetEntries({{"start.exe", "EXEC!"}});
    EXPECT_EQ(Install(), 1u);
    ASSERT_EQ(fake::MessageBoxes().size(), 1u);
    EXPECT_EQ(test::MaskFailureAddress(fake::MessageBoxes()[0].text),
              "Exception ERegistryError in Modul Setup.exe bei ########.\nUng\xFCltiger Datentyp f\xFCr 'Programs'.");
    EXPECT_TRUE(fake::ShellExecutions().empty());
    EXPECT_EQ(fake::CoUninitializeCount(), 1);
}

// An emptied field is refused before anything happens; the welcome window stays for a correction.
TEST_F(InstallationTest, EmptyFieldIsRefusedAndTheWelcomeWindowStays) {
    struct Case {
        const char* source;
        const char* destination;
        const char* expectedText;
    } cases[] = {
        {"", "C:\\Ziel", "Bitte geben Sie das Quellverzeichnis an!"},
        {"C:\\Product", "", "Bitte geben Sie das Zielverzeichnis an!"},
    };
    for (const Case& c : cases) {
        SetUp();
        SendMessageA(installer.sourceEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.source));
        SendMessageA(installer.destinationEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.destination));
        ShowWindow(installer.welcomeWindow, SW_SHOW);
        SetEntries({{"a.txt", "NEIN!"}});
        EXPECT_EQ(Install(), std::nullopt) << c.expectedText;
        ASSERT_EQ(fake::MessageBoxes().size(), 1u) << c.expectedText;
        EXPECT_EQ(fake::MessageBoxes()[0].text, c.expectedText);
        EXPECT_EQ(fake::MessageBoxes()[0].caption, "VELMORA Install");
        EXPECT_EQ(fake::MessageBoxes()[0].owner, installer.welcomeWindow);
        EXPECT_EQ(fake::MessageBoxes()[0].flags, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_TRUE(fake::Window(installer.welcomeWindow).visible) << c.expectedText;
        EXPECT_EQ(installer.progressWindow, nullptr) << c.expectedText;
        EXPECT_TRUE(fake::CallsTo("CreateDirectoryA").empty()) << c.expectedText;
        EXPECT_FALSE(fake::QuitPosted()) << c.expectedText;
        DoneComLibrary();
    }
}

// Two DEINST! entries in machine mode write one uninstall entry; the later one's values remain.
TEST_F(InstallationTest, TwoUninstallersShareOneEntry) {
    fake::WriteHostFile(kSource + "first.exe", "1");
    fake::WriteHostFile(kSource + "second.exe", "2");
    SetEntries({{"first.exe", "DEINST!"}, {"second.exe", "DEINST!"}});
    EXPECT_EQ(Install(), std::nullopt);
    EXPECT_EQ(fake::ReadHostFile("C:\\WINDOWS\\first.exe"), "1");
    EXPECT_EQ(fake::ReadHostFile("C:\\WINDOWS\\second.exe"), "2");
    auto uninstall = fake::RegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_TRUE(uninstall.has_value());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(uninstall->bytes.data())),
              "C:\\WINDOWS\\second.exe \"" + kDestination + "\"");
    EXPECT_EQ(fake::CallsTo("RegCreateKeyExA").size(), 2u);
    EXPECT_TRUE(fake::ChangeNotifications().empty());
}

}  // namespace
