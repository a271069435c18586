// The fake registry keeps the rules other tests rely on: sizes and ERROR_MORE_DATA, names in any
// case, denied keys, created levels and the handle count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake.h"
#include "registry.h"

namespace {

class FakeRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { EXPECT_EQ(0, fake::OpenKeyCount()) << "a test left a key open"; }
};

TEST_F(FakeRegistryTest, QueryReportsTheSizeThenReadsOrAsksForMore) {
    fake::SetRegistryText(HKEY_CURRENT_USER, "A\\B", "Name", "abc");
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "a\\b", 0, KEY_READ, &key));

    DWORD type = 99, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "NAME", nullptr, &type, nullptr, &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(4u, size);

    BYTE small[3] = {'#', '#', '#'};
    size = sizeof small;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Name", nullptr, &type, small, &size));
    EXPECT_EQ(4u, size);

    BYTE data[6] = {'#', '#', '#', '#', '#', '#'};
    size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Name", nullptr, &type, data, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(std::string("abc\0##", 6), std::string(reinterpret_cast<char*>(data), sizeof data));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Other", nullptr, &type, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "a key closes once";
}

TEST_F(FakeRegistryTest, OpenNeverCreatesAndDeniedKeysOpenOnlyForReading) {
    HKEY key = reinterpret_cast<HKEY>(uintptr_t{0x1234});
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Missing", 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_FALSE(fake::RegistryKeyExists(HKEY_LOCAL_MACHINE, "Missing"));

    fake::DenyRegistryKey(HKEY_LOCAL_MACHINE, "Locked");
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Locked\\Child", 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_READ, &key));
    const BYTE one[1] = {0};
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(key, "V", 0, REG_SZ, one, 1)) << "a handle opened for reading";
    RegCloseKey(key);
    EXPECT_TRUE(fake::RegistryValueNames(HKEY_LOCAL_MACHINE, "Locked").empty());
}

TEST_F(FakeRegistryTest, CreateMakesEveryLevelAndTellsNewFromExisting) {
    HKEY key;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "One\\Two\\Three", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, &disposition));
    EXPECT_EQ(1u, disposition);
    EXPECT_TRUE(fake::RegistryKeyExists(HKEY_LOCAL_MACHINE, "one\\two"));
    const BYTE text[] = "x";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "B", 0, REG_SZ, text, 2));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "A", 0, REG_EXPAND_SZ, text, 2));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "b", 0, REG_DWORD, text, 1));
    RegCloseKey(key);

    HKEY again, third;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "ONE\\TWO\\THREE\\", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &again, &disposition));
    EXPECT_EQ(2u, disposition) << "a trailing backslash names the same key";
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(again, nullptr, 0, KEY_READ, &third));
    EXPECT_EQ(2, fake::OpenKeyCount());
    EXPECT_EQ(2, fake::MostKeysOpenAtOnce());
    RegCloseKey(third);
    RegCloseKey(again);

    EXPECT_EQ((std::vector<std::string>{"B", "A"}), fake::RegistryValueNames(HKEY_LOCAL_MACHINE, "One\\Two\\Three"));
    std::optional<fake::RegistryData> b = fake::RegistryValue(HKEY_LOCAL_MACHINE, "one\\two\\three", "B");
    ASSERT_TRUE(b);
    EXPECT_EQ(REG_DWORD, b->type) << "an overwritten value keeps its place and takes the new type";
    EXPECT_EQ(std::vector<BYTE>{'x'}, b->bytes);

    EXPECT_EQ(161, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "One\\\\Two", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                   nullptr))
        << "an empty level is a bad path";
    fake::DeleteRegistryKey(HKEY_LOCAL_MACHINE, "One\\Two");
    EXPECT_FALSE(fake::RegistryKeyExists(HKEY_LOCAL_MACHINE, "One\\Two\\Three"));
    EXPECT_TRUE(fake::RegistryKeyExists(HKEY_LOCAL_MACHINE, "One"));
}

TEST_F(FakeRegistryTest, InjectedFailureChangesNothing) {
    fake::FailNth("RegSetValueExA", 1, ERROR_DISK_FULL);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const BYTE text[] = "x";
    EXPECT_EQ(ERROR_DISK_FULL, RegSetValueExA(key, "V", 0, REG_SZ, text, 2));
    EXPECT_FALSE(fake::RegistryValue(HKEY_CURRENT_USER, "K", "V"));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "V", 0, REG_SZ, text, 2));
    EXPECT_TRUE(fake::RegistryValue(HKEY_CURRENT_USER, "K", "V"));
    RegCloseKey(key);
}

}  // namespace
