// The fake file area itself: what the other areas and the product's tests build on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake.h"
#include "files.h"
#include "state.h"

namespace {

class FakeFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
    }
};

TEST_F(FakeFilesTest, SpellingsOfOnePathNameOneHostFile) {
    const std::string host = fake::HostPath("C:\\Product\\Install.log");
    EXPECT_EQ(host.substr(host.size() - 22), "/c/product/install.log");
    for (std::string spelling : {"c:\\PRODUCT\\install.LOG", "C:/Product/Install.log", "C:\\Product\\\\Install.log",
                                 "C:\\Product\\.\\Install.log", "C:\\X\\..\\Product\\Install.log", "C:\\..\\Product\\Install.log",
                                 "C:\\Product\\Install.log. ", "\\Product\\Install.log", "Install.log", "C:Install.log"})
        EXPECT_EQ(fake::HostPath(spelling), host) << spelling;
    // Windows-1252 capitals fold to their small letters
    EXPECT_EQ(fake::HostPath("C:\\\xC4RGER\\\x8A"), fake::HostPath("C:\\\xE4rger\\\x9A"));
    EXPECT_NE(fake::HostPath("D:\\Product\\Install.log"), host);
}

TEST_F(FakeFilesTest, ResetLeavesOnlyTheDefaultFolders) {
    fake::WriteHostFile("C:\\Product\\Install.log", "x");
    fake::WriteHostFile("D:\\Ship\\a.txt", "x");
    HANDLE file = CreateFileA("C:\\Product\\Install.log", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0x80, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fake::OpenHandleCount(), 1);
    fake::Reset();
    EXPECT_EQ(fake::OpenHandleCount(), 0);
    EXPECT_EQ(fake::HostFolderNames("C:\\"), (std::vector<std::string>{"product", "windows"}));
    EXPECT_TRUE(fake::HostFolderNames("C:\\Product").empty());
    EXPECT_FALSE(fake::HostFolderExists("D:\\"));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FakeFilesTest, CreateAlwaysLeavesAlreadyExistsBehindOnSuccess) {
    fake::WriteHostFile("C:\\a.txt", "alt");
    SetLastError(0);
    HANDLE file = CreateFileA("C:\\a.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0x80, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(fake::ReadHostFile("C:\\a.txt"), "");
}

TEST_F(FakeFilesTest, WindowsDirectoryAndModulePathFollowTheSystemsBufferRules) {
    char buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 10), 11u);  // too small: untouched, size with the zero
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 11), 10u);
    EXPECT_EQ(std::string(buffer), "C:\\WINDOWS");

    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), 20u);
    EXPECT_EQ(std::string(buffer), "C:\\Product\\Setup.exe");
    EXPECT_EQ(GetModuleFileNameA(fake::ModuleInstance(), buffer, 8), 8u);  // cut and terminated
    EXPECT_EQ(std::string(buffer), "C:\\Prod");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    fake::SetWindowsDirectory("D:\\WINNT");
    fake::SetProgramPath("E:\\Ship\\Setup.exe");
    EXPECT_TRUE(fake::HostFolderExists("D:\\WINNT"));
    EXPECT_TRUE(fake::HostFolderExists("E:\\Ship"));
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), 17u);
    EXPECT_EQ(std::string(buffer), "E:\\Ship\\Setup.exe");
}

TEST_F(FakeFilesTest, MultiByteToWideCharConvertsWindows1252) {
    const char* text = "Verkn\xFCpfung \x80\x9F\x81";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 16);
    WCHAR wide[20];
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 15), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 20), 16);
    EXPECT_EQ(std::u16string(wide), u"Verkn\u00FCpfung \u20AC\u0178\u0081");
    EXPECT_EQ(wide[16], u'#');
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, wide, 20), 3);  // a length without the zero
    EXPECT_EQ(std::u16string(wide, 4), u"Ver#");
}

TEST_F(FakeFilesTest, ScriptedAnswersAndInjectedFailures) {
    EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"), nullptr);
    FARPROC function = reinterpret_cast<FARPROC>(+[]() -> intptr_t { return 7; });
    fake::SetProcAddress("SetDefaultDllDirectories", function);
    EXPECT_EQ(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories"), function);

    char text[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, text, sizeof text, nullptr), 0u);
    fake::SetSystemMessage(5, "Zugriff verweigert");
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 5, 0, text, sizeof text, nullptr), 18u);
    EXPECT_EQ(std::string(text), "Zugriff verweigert");

    fake::FailNth("CreateDirectoryA", 1, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(CreateDirectoryA("C:\\Neu", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(fake::HostFolderExists("C:\\Neu"));
    EXPECT_TRUE(CreateDirectoryA("C:\\Neu", nullptr));
    std::vector<fake::Call> calls = fake::CallsTo("CreateDirectoryA");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"C:\\Neu", "0x0", "error 5"}));
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"C:\\Neu", "0x0", "ok"}));
}

}  // namespace
