// ResolveDestinationRoot and the registry text rule it reads with, against the fake registry.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "com.h"
#include "com_library.h"
#include "destination_root.h"
#include "dialogs.h"
#include "fake.h"
#include "process_end.h"
#include "registry.h"
#include "registry_text.h"
#include "state.h"

namespace {

const std::string kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kVolatile = "Volatile Environment";
const std::string kMachineKeyName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kUserKeyName = "HKEY_CURRENT_USER\\Volatile Environment";

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

void ProgramFiles(const std::string& text, DWORD type = REG_SZ) {
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", text, type);
}
void AppData(const std::string& text, DWORD type = REG_SZ) {
    fake::SetRegistryText(HKEY_CURRENT_USER, kVolatile, "APPDATA", text, type);
}
void DenyMachineKey() { fake::DenyRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersion); }

class DestinationRootTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();
        fake::Reset();
        installer = InstallerState{};
    }
    void TearDown() override { DoneComLibrary(); }

    // The root as the routine leaves it, in a buffer filled with a sentinel first, so that a
    // text left without its zero shows.
    std::string Resolve() {
        FillSentinel();
        ResolveDestinationRoot(root, sizeof root);
        return std::string(root, strnlen(root, sizeof root));
    }
    void FillSentinel() { std::fill(std::begin(root), std::end(root), '#'); }

    char root[256];
};

TEST_F(DestinationRootTest, RootAndModeFollowTheFirstKeyThatOpensWithFullAccess) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        unsigned char modeBefore;  // a sentinel where the routine must write the mode
        std::string root;
        unsigned char mode;
    };
    const Case cases[] = {
        // the machine-wide key opens: Program Files, machine mode
        {"Program Files gets one backslash", [] { ProgramFiles("C:\\Program Files"); }, 1, "C:\\Program Files\\", 0},
        {"a trailing backslash stays single", [] { ProgramFiles("C:\\Programme\\"); }, 1, "C:\\Programme\\", 0},
        {"a drive root", [] { ProgramFiles("D:\\"); }, 1, "D:\\", 0},
        {"REG_EXPAND_SZ taken unexpanded", [] { ProgramFiles("%SystemDrive%\\Programme", REG_EXPAND_SZ); }, 1,
         "%SystemDrive%\\Programme\\", 0},
        {"data end at the first zero byte",
         [] {
             fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ,
                                    Bytes(std::string("C:\\Apps\0D:\\Alt\0", 15)));
         },
         1, "C:\\Apps\\", 0},
        {"data without a terminating zero",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ, Bytes("C:\\Apps")); },
         1, "C:\\Apps\\", 0},
        {"the machine key wins when both open",
         [] {
             ProgramFiles("C:\\Program Files");
             AppData("C:\\Users\\Anna\\AppData\\Roaming");
         },
         1, "C:\\Program Files\\", 0},
        // a missing or empty value gives the empty root, in the mode of the key that opened
        {"ProgramFilesDir missing", [] { fake::CreateRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersion); }, 1, "", 0},
        {"ProgramFilesDir an empty text", [] { ProgramFiles(""); }, 1, "", 0},
        {"ProgramFilesDir without data",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ, {}); }, 1, "", 0},
        {"a REG_DWORD without data is empty, not of the wrong type",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_DWORD, {}); }, 1, "",
         0},
        {"APPDATA missing",
         [] {
             DenyMachineKey();
             fake::CreateRegistryKey(HKEY_CURRENT_USER, kVolatile);
         },
         0, "", 1},
        // the machine-wide key does not open with full access: application data, per-user mode
        {"machine key denied",
         [] {
             ProgramFiles("C:\\Program Files");
             DenyMachineKey();
             AppData("C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten");
         },
         0, "C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten\\", 1},
        {"machine key missing", [] { AppData("C:\\Users\\Anna\\AppData\\Roaming\\"); }, 0,
         "C:\\Users\\Anna\\AppData\\Roaming\\", 1},
        {"APPDATA as REG_EXPAND_SZ, unexpanded",
         [] {
             DenyMachineKey();
             AppData("%USERPROFILE%\\Anwendungsdaten", REG_EXPAND_SZ);
         },
         0, "%USERPROFILE%\\Anwendungsdaten\\", 1},
        // neither key opens: the fixed default in lower case; the mode is not written
        {"empty registry", [] {}, 0, "c:\\programme\\", 0},
        {"both keys denied, mode left as it was",
         [] {
             DenyMachineKey();
             fake::DenyRegistryKey(HKEY_CURRENT_USER, kVolatile);
             AppData("C:\\Users\\Anna");
         },
         1, "c:\\programme\\", 1},
    };
    for (const Case& c : cases) {
        fake::Reset();
        c.arrange();
        installer.perUserMode = c.modeBefore;

        std::string result = Resolve();

        EXPECT_EQ(c.root, result) << c.name;
        EXPECT_EQ(c.mode, installer.perUserMode) << c.name;
        for (const fake::Call& open : fake::CallsTo("RegOpenKeyExA")) {
            EXPECT_EQ("0x0", open.args[2]) << c.name << ": options";
            EXPECT_EQ("0xF003F", open.args[3]) << c.name << ": access";
        }
        EXPECT_TRUE(fake::CallsTo("RegCreateKeyExA").empty()) << c.name << ": keys are never created";
        EXPECT_TRUE(fake::CallsTo("RegSetValueExA").empty()) << c.name;
        EXPECT_EQ(0, fake::OpenKeyCount()) << c.name << ": a key was left open";
        EXPECT_LE(fake::MostKeysOpenAtOnce(), 1) << c.name;
        EXPECT_EQ(0, fake::HeapBlocksInUse()) << c.name << ": the data buffer was not freed";
        EXPECT_TRUE(fake::MessageBoxes().empty()) << c.name;
    }
}

TEST_F(DestinationRootTest, MachineModeReadsSizeThenExactlyThatMuchAndClosesTheKey) {
    ProgramFiles("C:\\Program Files");  // 16 characters and the zero

    Resolve();

    const std::vector<std::vector<std::string>> expected = {
        {"RegOpenKeyExA", "HKEY_LOCAL_MACHINE", kCurrentVersion, "0x0", "0xF003F"},
        {"RegQueryValueExA", kMachineKeyName, "ProgramFilesDir", "(null)", "0"},
        {"RegQueryValueExA", kMachineKeyName, "ProgramFilesDir", "buffer", "17"},
        {"RegCloseKey", kMachineKeyName},
    };
    std::vector<std::vector<std::string>> calls;
    for (const fake::Call& call : fake::Calls()) {
        calls.push_back({call.function});
        calls.back().insert(calls.back().end(), call.args.begin(), call.args.end());
    }
    EXPECT_EQ(expected, calls);
}

TEST_F(DestinationRootTest, PerUserModeTriesTheMachineKeyFirstAndClosesOnlyTheKeyThatOpened) {
    DenyMachineKey();
    AppData("C:\\Users\\Anna\\AppData\\Roaming");

    Resolve();

    EXPECT_EQ((std::vector<std::string>{"RegOpenKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegQueryValueExA",
                                        "RegCloseKey"}),
              fake::CallNames());
    std::vector<fake::Call> opens = fake::CallsTo("RegOpenKeyExA");
    ASSERT_EQ(2u, opens.size());
    EXPECT_EQ("HKEY_LOCAL_MACHINE", opens[0].args[0]);
    EXPECT_EQ("HKEY_CURRENT_USER", opens[1].args[0]);
    EXPECT_EQ(kVolatile, opens[1].args[1]);
    EXPECT_EQ("APPDATA", fake::CallsTo("RegQueryValueExA")[1].args[1]);
    EXPECT_EQ(std::vector<std::string>{kUserKeyName}, fake::CallsTo("RegCloseKey")[0].args);
}

TEST_F(DestinationRootTest, ValueThatCannotBeSizedCountsAsMissing) {
    ProgramFiles("C:\\Program Files");
    fake::FailNth("RegQueryValueExA", 1, ERROR_ACCESS_DENIED);
    installer.perUserMode = 1;

    EXPECT_EQ("", Resolve());
    EXPECT_EQ(0, installer.perUserMode);
    EXPECT_EQ(1u, fake::CallsTo("RegQueryValueExA").size());
    EXPECT_EQ(0, fake::OpenKeyCount());
}

// --- The text handed back is cut to the caller's buffer, never written past it

TEST_F(DestinationRootTest, TextIsCutToTheCallersBuffer) {
    struct Case {
        const char* name;
        unsigned size;
        std::string expected;
    };
    const Case cases[] = {
        {"room for 7 characters: cut, no backslash fits", 8, "C:\\Prog"},
        {"room for exactly the text: no backslash fits", 17, "C:\\Program Files"},
        {"room for the text and its backslash", 18, "C:\\Program Files\\"},
        {"room for the zero only", 1, ""},
    };
    for (const Case& c : cases) {
        fake::Reset();
        ProgramFiles("C:\\Program Files");
        FillSentinel();

        ResolveDestinationRoot(root, c.size);

        EXPECT_EQ(c.expected, std::string(root)) << c.name;
        for (size_t i = c.size; i < sizeof root; ++i)
            ASSERT_EQ('#', root[i]) << c.name << ": byte " << i << " written beyond the buffer of " << c.size;
        EXPECT_EQ(0, fake::HeapBlocksInUse()) << c.name;
    }
}

TEST_F(DestinationRootTest, RegistryTextReadsALongValueWholeIntoItsOwnBuffer) {
    const std::string longValue(600, 'p');
    fake::SetRegistryText(HKEY_CURRENT_USER, "Test", "Long", longValue);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Test", 0, KEY_ALL_ACCESS, &key));
    char text[300];
    std::fill(std::begin(text), std::end(text), '#');

    ReadRegistryText(key, "Long", text, 256);

    EXPECT_EQ(std::string(255, 'p'), std::string(text));
    EXPECT_EQ("601", fake::CallsTo("RegQueryValueExA")[1].args[3]) << "the data buffer has the value's size";
    for (size_t i = 256; i < sizeof text; ++i) ASSERT_EQ('#', text[i]) << "byte " << i;
    EXPECT_EQ(0, fake::HeapBlocksInUse());
    RegCloseKey(key);
}

// --- Values that cannot be taken as text end the process through the unhandled-error box

TEST_F(DestinationRootTest, ValueOfAnotherTypeRaisesWithItsName) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string valueName;
    };
    const Case cases[] = {
        {"ProgramFilesDir as REG_DWORD",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_DWORD, {1, 0, 0, 0}); },
         "ProgramFilesDir"},
        {"ProgramFilesDir as REG_BINARY",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_BINARY, Bytes("C:\\")); },
         "ProgramFilesDir"},
        {"ProgramFilesDir as REG_MULTI_SZ",
         [] {
             fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_MULTI_SZ,
                                    Bytes(std::string("C:\\\0\0", 5)));
         },
         "ProgramFilesDir"},
        {"ProgramFilesDir as REG_NONE with data",
         [] { fake::SetRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_NONE, {0}); },
         "ProgramFilesDir"},
        {"APPDATA as REG_DWORD in per-user mode",
         [] {
             DenyMachineKey();
             fake::SetRegistryValue(HKEY_CURRENT_USER, kVolatile, "APPDATA", REG_DWORD, {1, 0, 0, 0});
         },
         "APPDATA"},
    };
    for (const Case& c : cases) {
        DoneComLibrary();
        fake::Reset();
        c.arrange();
        InitComLibrary();

        std::optional<UINT> exitCode = test::ExitCodeOf([&] { Resolve(); });

        ASSERT_EQ(std::optional<UINT>(1), exitCode) << c.name;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ("Exception ERegistryError in Modul Setup.exe bei ########.\nUng\xFCltiger Datentyp f\xFCr '" +
                      c.valueName + "'.",
                  test::MaskFailureAddress(box.text))
            << c.name;
        EXPECT_EQ("Anwendungsfehler", box.caption) << c.name;
        EXPECT_EQ(0x2010u, box.flags) << c.name;
        EXPECT_EQ(nullptr, box.owner) << c.name;
        EXPECT_EQ(1, fake::CoUninitializeCount()) << c.name;
        EXPECT_LT(fake::IndexOfCall("MessageBoxA"), fake::IndexOfCall("CoUninitialize")) << c.name;
        EXPECT_EQ(0, fake::HeapBlocksInUse()) << c.name;
    }
}

TEST_F(DestinationRootTest, DataThatCannotBeReadAfterItsSizeRaises) {
    struct Case {
        const char* name;
        const char* failing;
        int nth;
    };
    const Case cases[] = {
        {"the second query fails", "RegQueryValueExA", 2},
        {"no heap for the data", "HeapAlloc", 1},
    };
    for (const Case& c : cases) {
        fake::Reset();
        ProgramFiles("C:\\Program Files");
        fake::FailNth(c.failing, c.nth, ERROR_NOT_ENOUGH_MEMORY);

        std::optional<UINT> exitCode = test::ExitCodeOf([&] { Resolve(); });

        ASSERT_EQ(std::optional<UINT>(1), exitCode) << c.name;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        EXPECT_EQ("Exception ERegistryError in Modul Setup.exe bei ########.\n"
                  "Konnte Daten f\xFCr 'ProgramFilesDir' nicht holen.",
                  test::MaskFailureAddress(fake::MessageBoxes()[0].text))
            << c.name;
        EXPECT_EQ(0, fake::HeapBlocksInUse()) << c.name;
    }
}

}  // namespace
