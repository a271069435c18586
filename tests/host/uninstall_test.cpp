// RegisterUninstall against the fake registry: the key, its two values and the raised error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com.h"
#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "process_end.h"
#include "registry.h"
#include "state.h"
#include "text.h"
#include "uninstall.h"

namespace {

const std::string kUninstallList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kProductKey = kUninstallList + "\\Quillset Demo";

std::string TextOf(const std::optional<fake::RegistryData>& value) {
    if (!value) return "<missing>";
    return std::string(value->bytes.begin(), value->bytes.end());
}

class UninstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();
        fake::Reset();
        installer = InstallerState{};
        CopyText(installer.defaultFolderName, sizeof installer.defaultFolderName, "Quillset Demo");
        CopyText(installer.windowsFolder, sizeof installer.windowsFolder, "C:\\WINDOWS\\");
        fake::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallList);
    }
    void TearDown() override { DoneComLibrary(); }
};

TEST_F(UninstallTest, WritesDisplayNameThenUninstallStringIntoTheProductsKey) {
    RegisterUninstall("Deinst.exe", "C:\\Programme\\Quillset Demo\\");

    std::vector<fake::Call> creates = fake::CallsTo("RegCreateKeyExA");
    ASSERT_EQ(1u, creates.size());
    EXPECT_EQ((std::vector<std::string>{"HKEY_LOCAL_MACHINE", kProductKey + "", "0", "(null)", "0x0", "0xF003F",
                                        "0x0"}),
              creates[0].args);
    std::vector<fake::Call> sets = fake::CallsTo("RegSetValueExA");
    ASSERT_EQ(2u, sets.size());
    // key, name, type, data, size: both texts with their terminating zero counted in the size
    const std::string key = "HKEY_LOCAL_MACHINE\\" + kProductKey;
    EXPECT_EQ((std::vector<std::string>{key, "DisplayName", "1", std::string("Quillset Demo\0", 14), "14"}),
              sets[0].args);
    const std::string command = "C:\\WINDOWS\\Deinst.exe \"C:\\Programme\\Quillset Demo\\\"";
    EXPECT_EQ((std::vector<std::string>{key, "UninstallString", "1", command + std::string(1, '\0'),
                                        std::to_string(command.size() + 1)}),
              sets[1].args);
    EXPECT_EQ((std::vector<std::string>{"RegCreateKeyExA", "RegSetValueExA", "RegSetValueExA", "RegCloseKey"}),
              fake::CallNames());
    EXPECT_EQ(std::vector<std::string>{key}, fake::CallsTo("RegCloseKey")[0].args);
    EXPECT_EQ(0, fake::OpenKeyCount());

    // what the registry now holds, and nothing else
    EXPECT_EQ((std::vector<std::string>{"DisplayName", "UninstallString"}),
              fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kProductKey));
    std::optional<fake::RegistryData> uninstall =
        fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstallString");
    ASSERT_TRUE(uninstall);
    EXPECT_EQ(REG_SZ, uninstall->type);
    EXPECT_EQ(command + std::string(1, '\0'), TextOf(uninstall));
    EXPECT_TRUE(fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kUninstallList).empty());
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(UninstallTest, UninstallStringJoinsItsFivePiecesWithoutQuotingTheUninstaller) {
    struct Case {
        const char* name;
        const char* windowsFolder;
        const char* fileName;
        const char* destination;
        std::string expected;
    };
    const Case cases[] = {
        {"plain folders", "C:\\WINDOWS\\", "Deinst.exe", "D:\\Quillset\\", "C:\\WINDOWS\\Deinst.exe \"D:\\Quillset\\\""},
        {"blanks in the destination stay inside the quotation marks", "C:\\WINDOWS\\", "Deinst.exe",
         "C:\\Programme\\Mein Produkt\\", "C:\\WINDOWS\\Deinst.exe \"C:\\Programme\\Mein Produkt\\\""},
        {"blanks in the Windows folder stay unquoted", "C:\\Mein Windows\\", "Quill Deinst.exe", "D:\\Q\\",
         "C:\\Mein Windows\\Quill Deinst.exe \"D:\\Q\\\""},
        {"Windows-1252 bytes are kept", "C:\\WINDOWS\\", "L\xF6schen.exe", "C:\\Gr\xFC\xDF" "e\\",
         "C:\\WINDOWS\\L\xF6schen.exe \"C:\\Gr\xFC\xDF" "e\\\""},
    };
    for (const Case& c : cases) {
        fake::Reset();
        CopyText(installer.windowsFolder, sizeof installer.windowsFolder, c.windowsFolder);

        RegisterUninstall(c.fileName, c.destination);

        EXPECT_EQ(c.expected + std::string(1, '\0'),
                  TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstallString")))
            << c.name;
        EXPECT_EQ("Quillset Demo" + std::string(1, '\0'),
                  TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "DisplayName")))
            << c.name << ": the display name is the default folder name";
    }
}

TEST_F(UninstallTest, ExistingKeyIsOpenedAndKeepsItsOtherValues) {
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kProductKey, "DisplayIcon", "C:\\alt.ico");
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kProductKey, "UninstallString", "C:\\alt.exe");
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kProductKey, "DisplayName", "Alter Name");

    RegisterUninstall("Deinst.exe", "D:\\Q\\");

    EXPECT_EQ((std::vector<std::string>{"DisplayIcon", "UninstallString", "DisplayName"}),
              fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_EQ(std::string("C:\\alt.ico\0", 11), TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "DisplayIcon")));
    EXPECT_EQ(std::string("Quillset Demo\0", 14),
              TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "DisplayName")));
    EXPECT_EQ(std::string("C:\\WINDOWS\\Deinst.exe \"D:\\Q\\\"\0", 30),
              TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstallString")));
    EXPECT_EQ(0, fake::OpenKeyCount());
}

TEST_F(UninstallTest, SecondCallWritesTheSameKeyWithTheLaterUninstaller) {
    RegisterUninstall("Erst.exe", "D:\\Q\\");
    RegisterUninstall("Zweit.exe", "D:\\Q\\");

    EXPECT_EQ(std::string("C:\\WINDOWS\\Zweit.exe \"D:\\Q\\\"\0", 29),
              TextOf(fake::RegistryValue(HKEY_LOCAL_MACHINE, kProductKey, "UninstallString")));
    EXPECT_EQ(2u, fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kProductKey).size());
}

TEST_F(UninstallTest, LongestDefaultFolderNameMakesTheWholeKeyPath) {
    const std::string name(255, 'n');
    CopyText(installer.defaultFolderName, sizeof installer.defaultFolderName, name.c_str());

    RegisterUninstall("Deinst.exe", "D:\\Q\\");

    ASSERT_EQ(1u, fake::CallsTo("RegCreateKeyExA").size());
    EXPECT_EQ(kUninstallList + "\\" + name, fake::CallsTo("RegCreateKeyExA")[0].args[1]);
    EXPECT_TRUE(fake::RegistryValue(HKEY_LOCAL_MACHINE, kUninstallList + "\\" + name, "DisplayName"));
}

TEST_F(UninstallTest, EmptyDefaultFolderNameSkipsTheRegistration) {
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, kUninstallList, "Vorher", "bleibt");
    installer.defaultFolderName[0] = 0;

    RegisterUninstall("Deinst.exe", "D:\\Q\\");

    EXPECT_TRUE(fake::Calls().empty());
    EXPECT_EQ(std::vector<std::string>{"Vorher"}, fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kUninstallList));
}

TEST_F(UninstallTest, KeyThatCannotBeOpenedOrCreatedIsSilentlySkipped) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"no right to add a key below the list", [] { fake::DenyRegistryKey(HKEY_LOCAL_MACHINE, kUninstallList); }},
        {"an existing key that denies writing", [] { fake::DenyRegistryKey(HKEY_LOCAL_MACHINE, kProductKey); }},
        {"the registry refuses the call", [] { fake::FailAlways("RegCreateKeyExA", ERROR_ACCESS_DENIED); }},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallList);
        c.arrange();

        std::optional<UINT> exitCode = test::ExitCodeOf([] { RegisterUninstall("Deinst.exe", "D:\\Q\\"); });

        EXPECT_FALSE(exitCode) << c.name;
        EXPECT_EQ(std::vector<std::string>{"RegCreateKeyExA"}, fake::CallNames()) << c.name;
        EXPECT_TRUE(fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kProductKey).empty()) << c.name;
        EXPECT_TRUE(fake::MessageBoxes().empty()) << c.name;
    }
}

TEST_F(UninstallTest, ValueThatCannotBeSetRaisesAfterClosingTheKey) {
    struct Case {
        int failingSet;
        std::string valueName;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {1, "DisplayName", {}},
        {2, "UninstallString", {"DisplayName"}},
    };
    for (const Case& c : cases) {
        DoneComLibrary();
        fake::Reset();
        InitComLibrary();
        fake::FailNth("RegSetValueExA", c.failingSet, ERROR_ACCESS_DENIED);

        std::optional<UINT> exitCode = test::ExitCodeOf([] { RegisterUninstall("Deinst.exe", "D:\\Q\\"); });

        ASSERT_EQ(std::optional<UINT>(1), exitCode) << c.valueName;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.valueName;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ("Exception ERegistryError in Modul Setup.exe bei ########.\nKonnte Daten f\xFCr '" + c.valueName +
                      "' nicht setzen.",
                  test::MaskFailureAddress(box.text))
            << c.valueName;
        EXPECT_EQ("Anwendungsfehler", box.caption);
        EXPECT_EQ(0x2010u, box.flags);
        EXPECT_EQ(static_cast<size_t>(c.failingSet), fake::CallsTo("RegSetValueExA").size())
            << c.valueName << ": nothing is set after the failure";
        EXPECT_EQ(c.written, fake::RegistryValueNames(HKEY_LOCAL_MACHINE, kProductKey)) << c.valueName;
        EXPECT_EQ(0, fake::OpenKeyCount()) << c.valueName;
        EXPECT_LT(fake::IndexOfCall("RegCloseKey"), fake::IndexOfCall("MessageBoxA")) << c.valueName;
        EXPECT_EQ(1, fake::CoUninitializeCount()) << c.valueName;
    }
}

}  // namespace
