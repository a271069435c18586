// The window fake's own rules that the window tests lean on: text cuts, class lookup, the queue.
#include <gtest/gtest.h>

#include <cstring>

#include "fake.h"
#include "windows.h"

namespace {

class FakeWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
};

TEST_F(FakeWindowsTest, GetTextCutsToTheBufferAndKeepsTheRestOfItUntouched) {
    HWND edit = fake::CreateControl("EDIT", "abcdef");
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(3, SendMessageA(edit, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ(std::string("abc"), std::string(buffer));
    EXPECT_EQ('#', buffer[4]) << "byte after the terminator was written";
    EXPECT_EQ(0, SendMessageA(edit, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)));
    EXPECT_EQ('a', buffer[0]) << "a zero-sized buffer was written";
}

TEST_F(FakeWindowsTest, ClassNamesAreUniqueInAnyCaseAndUnknownClassesMakeNoWindow) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "OneClass";
    EXPECT_NE(0, RegisterClassA(&windowClass));
    windowClass.lpszClassName = "ONECLASS";
    EXPECT_EQ(0, RegisterClassA(&windowClass));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(nullptr, CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(FakeWindowsTest, QuitComesAfterEveryPostedMessageAndAnEmptyQueueEndsTheTest) {
    HWND window = fake::CreateControl("STATIC", "x");
    PostQuitMessage(3);
    fake::PostUserMessage(window, WM_COMMAND, 0, 0);
    MSG message{};
    EXPECT_EQ(TRUE, GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(WM_COMMAND, message.message);
    EXPECT_EQ(FALSE, GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(WM_QUIT, message.message);
    EXPECT_EQ(3u, message.wParam);
    EXPECT_THROW(GetMessageA(&message, nullptr, 0, 0), fake::MessageQueueRanDry);
}

}  // namespace
