// WriteShortcut against the fake shell link object: which fields are set, what Save decides,
// the release order on every way out, and the two raised errors.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com.h"
#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "files.h"
#include "process_end.h"
#include "shortcut.h"
#include "state.h"

namespace {

const std::string kGroup = "C:\\Dokumente und Einstellungen\\Anna\\Startmen\xFC\\Programme\\Quillset";
const std::string kLinkFile = kGroup + "\\Quill.lnk";
const char kTarget[] = "C:\\Programme\\Quillset\\Quill.exe";
const char kFolder[] = "C:\\Programme\\Quillset\\";

const std::vector<std::string> kReleases = {"IUnknown::Release(IPersistFile, 2)", "IUnknown::Release(IShellLinkA, 1)",
                                            "IUnknown::Release(IUnknown, 0)"};

// The COM part of the log, one "Name(arg, arg)" per call, in order.
std::vector<std::string> ComCalls() {
    std::vector<std::string> calls;
    for (const fake::Call& call : fake::Calls()) {
        if (call.function != "CoCreateInstance" && call.function.find("::") == std::string::npos) continue;
        std::string line = call.function + "(";
        for (size_t i = 0; i < call.args.size(); ++i) line += (i ? ", " : "") + call.args[i];
        calls.push_back(line + ")");
    }
    return calls;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> Setters() {
    std::vector<std::string> setters;
    for (const std::string& call : ComCalls())
        if (call.rfind("IShellLinkA::", 0) == 0) setters.push_back(call.substr(13));
    return setters;
}

std::vector<std::string> Releases() {
    std::vector<std::string> releases;
    for (const std::string& call : ComCalls())
        if (call.rfind("IUnknown::Release", 0) == 0) releases.push_back(call);
    return releases;
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();
        fake::Reset();
        installer = InstallerState{};
        fake::MakeHostFolder(kGroup);
        InitComLibrary();
    }
    void TearDown() override { DoneComLibrary(); }

    // The call the installation run makes for a product file.
    bool WriteAsTheRunDoes(const std::string& file = kLinkFile) {
        return WriteShortcut(file.c_str(), "", kTarget, "", kFolder, "", 0, SW_SHOW, 0);
    }
};

TEST_F(ShortcutTest, RunsCallSetsPathArgumentsFolderAndShowCommandAndSaves) {
    EXPECT_TRUE(WriteAsTheRunDoes());

    const std::vector<std::string> expected = Joined(
        {
            "CoCreateInstance({00021401-0000-0000-C000-000000000046}, 0x0, 0x5, IUnknown)",
            "IUnknown::QueryInterface(IUnknown, IShellLinkA)",
            std::string("IShellLinkA::SetPath(") + kTarget + ")",
            "IShellLinkA::SetArguments()",
            std::string("IShellLinkA::SetWorkingDirectory(") + kFolder + ")",
            "IShellLinkA::SetShowCmd(5)",
            "IUnknown::QueryInterface(IUnknown, IPersistFile)",
            "IPersistFile::Save(" + kLinkFile + ", 1)",
        },
        kReleases);
    EXPECT_EQ(expected, ComCalls());

    std::optional<fake::ShortcutFields> saved = fake::ReadShortcutFile(kLinkFile);
    ASSERT_TRUE(saved);
    EXPECT_EQ(kTarget, saved->path);
    EXPECT_EQ("", saved->arguments);
    EXPECT_EQ(kFolder, saved->workingDirectory);
    EXPECT_EQ(SW_SHOW, saved->showCommand);
    EXPECT_EQ("", saved->iconFile);
    EXPECT_EQ(0, fake::LiveShellLinks());
    EXPECT_EQ(0, fake::HeapBlocksInUse()) << "the UTF-16 copy of the path was not freed";
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(ShortcutTest, PathIsSavedUnderItsUtf16FormFromTheAnsiCodePage) {
    const std::string file = kGroup + "\\Lies mich \x80 \xE4\xF6\xFC\xDF.lnk";

    EXPECT_TRUE(WriteAsTheRunDoes(file));

    std::vector<fake::Call> conversions = fake::CallsTo("MultiByteToWideChar");
    ASSERT_FALSE(conversions.empty());
    for (const fake::Call& conversion : conversions) EXPECT_EQ("0", conversion.args[0]) << "code page CP_ACP";
    std::vector<fake::Call> saves = fake::CallsTo("IPersistFile::Save");
    ASSERT_EQ(1u, saves.size());
    EXPECT_EQ(file, saves[0].args[0]);
    EXPECT_TRUE(fake::ReadShortcutFile(file));
}

TEST_F(ShortcutTest, OptionalFieldsAreSetOnlyWhenGivenAndAlwaysInOneOrder) {
    struct Case {
        const char* name;
        const char* description;
        const char* arguments;
        const char* folder;
        const char* iconFile;
        int iconIndex;
        WORD hotKey;
        std::vector<std::string> setters;
    };
    const std::string path = std::string("SetPath(") + kTarget + ")";
    const Case cases[] = {
        // the three fields that are always set
        {"everything empty", "", "", "", "", 0, 0, {path, "SetArguments()", "SetShowCmd(5)"}},
        {"arguments given", "", "/s", "", "", 0, 0, {path, "SetArguments(/s)", "SetShowCmd(5)"}},
        // the icon location needs an icon file; the index alone is not used
        {"icon index without an icon file", "", "", "", "", 3, 0, {path, "SetArguments()", "SetShowCmd(5)"}},
        {"icon file with index 0", "", "", "", "C:\\Q\\q.ico", 0, 0,
         {path, "SetArguments()", "SetIconLocation(C:\\Q\\q.ico, 0)", "SetShowCmd(5)"}},
        {"icon file with index 2", "", "", "", "C:\\Q\\q.dll", 2, 0,
         {path, "SetArguments()", "SetIconLocation(C:\\Q\\q.dll, 2)", "SetShowCmd(5)"}},
        // description and hot key come after the show command
        {"description", "Quill starten", "", "", "", 0, 0,
         {path, "SetArguments()", "SetShowCmd(5)", "SetDescription(Quill starten)"}},
        {"hot key", "", "", "", "", 0, 0x0251, {path, "SetArguments()", "SetShowCmd(5)", "SetHotkey(0x251)"}},
        {"every field", "Quill", "-x", kFolder, "C:\\Q\\q.ico", 1, 0x0651,
         {path, "SetArguments(-x)", std::string("SetWorkingDirectory(") + kFolder + ")", "SetIconLocation(C:\\Q\\q.ico, 1)",
          "SetShowCmd(5)", "SetDescription(Quill)", "SetHotkey(0x651)"}},
    };
    for (const Case& c : cases) {
        DoneComLibrary();
        fake::Reset();
        fake::MakeHostFolder(kGroup);
        InitComLibrary();

        bool saved = WriteShortcut(kLinkFile.c_str(), c.description, kTarget, c.arguments, c.folder, c.iconFile,
                                   c.iconIndex, SW_SHOW, c.hotKey);

        EXPECT_TRUE(saved) << c.name;
        EXPECT_EQ(c.setters, Setters()) << c.name;
        std::optional<fake::ShortcutFields> fields = fake::ReadShortcutFile(kLinkFile);
        ASSERT_TRUE(fields) << c.name;
        EXPECT_EQ(c.description, fields->description) << c.name;
        EXPECT_EQ(c.arguments, fields->arguments) << c.name;
        EXPECT_EQ(c.hotKey, fields->hotKey) << c.name;
        EXPECT_EQ(kReleases, Releases()) << c.name;
    }
}

TEST_F(ShortcutTest, EmptyTargetIsStillSetAsAnEmptyText) {
    EXPECT_TRUE(WriteShortcut(kLinkFile.c_str(), "", "", "", "", "", 0, SW_SHOWNORMAL, 0));

    EXPECT_EQ((std::vector<std::string>{"SetPath()", "SetArguments()", "SetShowCmd(1)"}), Setters());
}

TEST_F(ShortcutTest, FieldTheObjectRefusesIsLeftOutAndTheShortcutStillSaved) {
    fake::FailNth("IShellLinkA::SetWorkingDirectory", 1, static_cast<DWORD>(E_FAIL));

    EXPECT_TRUE(WriteAsTheRunDoes());

    EXPECT_EQ((std::vector<std::string>{std::string("SetPath(") + kTarget + ")", "SetArguments()",
                                        std::string("SetWorkingDirectory(") + kFolder + ")", "SetShowCmd(5)"}),
              Setters());
    std::optional<fake::ShortcutFields> fields = fake::ReadShortcutFile(kLinkFile);
    ASSERT_TRUE(fields);
    EXPECT_EQ("", fields->workingDirectory);
    EXPECT_EQ(SW_SHOW, fields->showCommand);
}

// --- Save alone decides the result; every way out releases the same three references

TEST_F(ShortcutTest, ResultFollowsTheSeverityBitOfSave) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        bool result;
    };
    const Case cases[] = {
        {"S_OK", [] { fake::SetSaveResult(S_OK); }, true},
        {"S_FALSE", [] { fake::SetSaveResult(S_FALSE); }, true},
        {"another success code", [] { fake::SetSaveResult(static_cast<HRESULT>(0x00040001)); }, true},
        {"E_FAIL", [] { fake::SetSaveResult(E_FAIL); }, false},
        {"disk full", [] { fake::FailNth("IPersistFile::Save", 1, ERROR_DISK_FULL); }, false},
        {"the shortcut's folder is missing", [] { fake::MakeHostFolder("C:\\Leer"); }, false},
        {"no heap for the UTF-16 path", [] { fake::FailNth("HeapAlloc", 1, ERROR_NOT_ENOUGH_MEMORY); }, false},
        {"the path cannot be converted",
         [] { fake::FailAlways("MultiByteToWideChar", ERROR_INSUFFICIENT_BUFFER); }, false},
    };
    for (const Case& c : cases) {
        DoneComLibrary();
        fake::Reset();
        fake::MakeHostFolder(kGroup);
        InitComLibrary();
        c.arrange();
        const bool missingFolder = std::string(c.name) == "the shortcut's folder is missing";
        const std::string file = missingFolder ? "C:\\Leer\\Fehlt\\Quill.lnk" : kLinkFile;

        std::optional<UINT> exitCode;
        bool result = !c.result;
        exitCode = test::ExitCodeOf([&] { result = WriteAsTheRunDoes(file); });

        EXPECT_FALSE(exitCode) << c.name << ": a failed save is never raised";
        EXPECT_EQ(c.result, result) << c.name;
        EXPECT_EQ(c.result, fake::HostFileExists(file)) << c.name;
        EXPECT_TRUE(fake::MessageBoxes().empty()) << c.name;
        EXPECT_EQ(kReleases, Releases()) << c.name;
        EXPECT_EQ(0, fake::LiveShellLinks()) << c.name;
        EXPECT_EQ(0, fake::HeapBlocksInUse()) << c.name;
    }
}

TEST_F(ShortcutTest, ExistingShortcutFileIsWrittenOver) {
    fake::WriteHostFile(kLinkFile, "alter Inhalt einer viel l\xE4ngeren Verkn\xFCpfung, die nicht mehr gilt");

    EXPECT_TRUE(WriteAsTheRunDoes());

    std::optional<fake::ShortcutFields> fields = fake::ReadShortcutFile(kLinkFile);
    ASSERT_TRUE(fields);
    EXPECT_EQ(kTarget, fields->path);
}

// --- A shell link object that cannot be had ends the process through the unhandled-error box

TEST_F(ShortcutTest, ObjectOrInterfaceThatCannotBeHadRaisesAfterReleasingWhatIsHeld) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string boxTail;                  // after "Exception "
        std::vector<std::string> setters;
        std::vector<std::string> releases;
    };
    const std::string path = std::string("SetPath(") + kTarget + ")";
    const std::vector<std::string> runSetters = {path, "SetArguments()",
                                                 std::string("SetWorkingDirectory(") + kFolder + ")", "SetShowCmd(5)"};
    const HRESULT notRegistered = static_cast<HRESULT>(0x80040154u);
    const Case cases[] = {
        // the object cannot be made: the system's words for the HRESULT, without their line end
        {"system text",
         [&] {
             fake::SetCoCreateInstanceResult(notRegistered);
             fake::SetSystemMessage(0x80040154u, "Klasse nicht registriert\r\n");
         },
         "EOleError in Modul Setup.exe bei ########.\nKlasse nicht registriert.", {}, {}},
        {"system text ending in a stop",
         [&] {
             fake::SetCoCreateInstanceResult(notRegistered);
             fake::SetSystemMessage(0x80040154u, "Klasse nicht registriert.\r\n");
         },
         "EOleError in Modul Setup.exe bei ########.\nKlasse nicht registriert.", {}, {}},
        {"no system text", [&] { fake::SetCoCreateInstanceResult(notRegistered); },
         "EOleError in Modul Setup.exe bei ########.\nOLE-Fehler 80040154.", {}, {}},
        {"COM not started", [] { DoneComLibrary(); },
         "EOleError in Modul Setup.exe bei ########.\nOLE-Fehler 800401F0.", {}, {}},
        // the object lacks an interface: what was reached is released, in order
        {"no IShellLinkA", [] { fake::LackInterface("IShellLinkA"); },
         "EInterfaceError in Modul Setup.exe bei ########.\nSchnittstelle nicht unterst\xFCtzt.", {},
         {"IUnknown::Release(IUnknown, 0)"}},
        {"no IPersistFile", [] { fake::LackInterface("IPersistFile"); },
         "EInterfaceError in Modul Setup.exe bei ########.\nSchnittstelle nicht unterst\xFCtzt.", runSetters,
         {"IUnknown::Release(IShellLinkA, 1)", "IUnknown::Release(IUnknown, 0)"}},
    };
    for (const Case& c : cases) {
        DoneComLibrary();
        fake::Reset();
        fake::MakeHostFolder(kGroup);
        InitComLibrary();
        c.arrange();

        std::optional<UINT> exitCode = test::ExitCodeOf([&] { WriteAsTheRunDoes(); });

        ASSERT_EQ(std::optional<UINT>(1), exitCode) << c.name;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ("Exception " + c.boxTail, test::MaskFailureAddress(box.text)) << c.name;
        EXPECT_EQ("Anwendungsfehler", box.caption) << c.name;
        EXPECT_EQ(0x2010u, box.flags) << c.name;
        EXPECT_EQ(nullptr, box.owner) << c.name;
        EXPECT_EQ(c.setters, Setters()) << c.name;
        EXPECT_EQ(c.releases, Releases()) << c.name;
        EXPECT_EQ(0, fake::LiveShellLinks()) << c.name;
        EXPECT_TRUE(fake::CallsTo("IPersistFile::Save").empty()) << c.name;
        EXPECT_FALSE(fake::HostFileExists(kLinkFile)) << c.name;
        size_t lastRelease = 0;
        for (size_t i = 0; i < fake::Calls().size(); ++i)
            if (fake::Calls()[i].function == "IUnknown::Release") lastRelease = i;
        EXPECT_LT(lastRelease, fake::IndexOfCall("MessageBoxA")) << c.name << ": released only after the box";
    }
}

TEST_F(ShortcutTest, OleErrorAsksTheSystemForTheMessageOfThatHresult) {
    fake::SetCoCreateInstanceResult(static_cast<HRESULT>(0x80070005u));

    test::ExitCodeOf([&] { WriteAsTheRunDoes(); });

    std::vector<fake::Call> lookups = fake::CallsTo("FormatMessageA");
    ASSERT_EQ(1u, lookups.size());
    EXPECT_EQ("0x1200", lookups[0].args[0]) << "FORMAT_MESSAGE_FROM_SYSTEM with FORMAT_MESSAGE_IGNORE_INSERTS";
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ("Exception EOleError in Modul Setup.exe bei ########.\nOLE-Fehler 80070005.",
              test::MaskFailureAddress(fake::MessageBoxes()[0].text));
    EXPECT_EQ(1, fake::CoUninitializeCount());
}

}  // namespace
