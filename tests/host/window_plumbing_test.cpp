// RegisterWindowClass, CreateChild, RunMessageLoop and ConfirmQuit against the fake window layer.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "process_end.h"
#include "state.h"
#include "window_plumbing.h"
#include "windows.h"

namespace {

// A window procedure that notes every message it gets.
std::vector<MSG> seen;
LRESULT CALLBACK NotingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    return 0;
}

class WindowPlumbingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        seen.clear();
    }
    void TearDown() override { DoneComLibrary(); }

    HBRUSH brush = reinterpret_cast<HBRUSH>(uintptr_t{0x0B0F0000});
};

// --- RegisterWindowClass

TEST_F(WindowPlumbingTest, RegistersTheClassRecordFieldByField) {
    RegisterWindowClass(NotingWndProc, "TestClass", nullptr, brush);

    std::optional<fake::ClassRecord> registered = fake::RegisteredClass("TestClass");
    ASSERT_TRUE(registered);
    EXPECT_EQ(3u, registered->style);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(NotingWndProc), registered->procedure);
    EXPECT_EQ(0, registered->classExtra);
    EXPECT_EQ(0, registered->windowExtra);
    EXPECT_EQ(fake::ModuleInstance(), registered->instance);
    EXPECT_EQ(fake::IconHandle(), registered->icon);
    EXPECT_EQ(fake::CursorFor(0x7F00), registered->cursor);
    EXPECT_EQ(brush, registered->background);
    EXPECT_FALSE(registered->hasMenuName);
    EXPECT_EQ("TestClass", registered->className);

    std::vector<fake::Call> icons = fake::CallsTo("LoadIconA");
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ((std::vector<std::string>{fake::Handle(fake::ModuleInstance()), "MAINICON"}), icons[0].args);
    std::vector<fake::Call> cursors = fake::CallsTo("LoadCursorA");
    ASSERT_EQ(1u, cursors.size());
    EXPECT_EQ((std::vector<std::string>{"0x0", "32512"}), cursors[0].args);
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(WindowPlumbingTest, PassesAMenuNameThrough) {
    RegisterWindowClass(NotingWndProc, "MenuClass", "MainMenu", brush);
    std::optional<fake::ClassRecord> registered = fake::RegisteredClass("MenuClass");
    ASSERT_TRUE(registered);
    EXPECT_TRUE(registered->hasMenuName);
    EXPECT_EQ("MainMenu", registered->menuName);
}

TEST_F(WindowPlumbingTest, AMissingIconLeavesTheClassWithoutOne) {
    fake::RemoveIconResource();
    RegisterWindowClass(NotingWndProc, "TestClass", nullptr, brush);
    std::optional<fake::ClassRecord> registered = fake::RegisteredClass("TestClass");
    ASSERT_TRUE(registered);
    EXPECT_EQ(nullptr, registered->icon);
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

// A refused registration (injected, or a name already taken) shows the box, posts the quit
// message, stops COM and ends with exit code 0.
TEST_F(WindowPlumbingTest, AFailedRegistrationEndsTheProcessWithItsBox) {
    struct Case {
        const char* name;
        bool injectFailure;
    };
    const Case cases[] = {{"injected failure", true}, {"name already registered", false}};
    for (const Case& c : cases) {
        SetUp();
        InitComLibrary();
        if (c.injectFailure)
            fake::FailNth("RegisterClassA", 1, ERROR_NOT_ENOUGH_MEMORY);
        else
            RegisterWindowClass(NotingWndProc, "Taken", nullptr, brush);
        size_t start = fake::Calls().size();

        std::optional<UINT> exitCode = test::ExitCodeOf([&] { RegisterWindowClass(NotingWndProc, "Taken", nullptr, brush); });

        ASSERT_TRUE(exitCode) << c.name << ": the routine returned";
        EXPECT_EQ(0u, *exitCode) << c.name;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ(nullptr, box.owner) << c.name;
        EXPECT_EQ(std::string("Can not Register Class"), box.text) << c.name;
        EXPECT_FALSE(box.hasCaption) << c.name << ": the caption must be null";
        EXPECT_EQ(0x2010u, box.flags) << c.name;
        std::vector<std::string> names = fake::CallNames();
        std::vector<std::string> tail(names.begin() + start, names.end());
        EXPECT_EQ((std::vector<std::string>{"LoadIconA", "LoadCursorA", "RegisterClassA", "MessageBoxA",
                                            "PostQuitMessage", "CoUninitialize", "ExitProcess"}),
                  tail)
            << c.name;
        EXPECT_EQ("0", fake::CallsTo("PostQuitMessage").at(0).args.at(0)) << c.name;
    }
}

// --- CreateChild

TEST_F(WindowPlumbingTest, CreateChildMakesShowsAndUpdatesTheControl) {
    HWND parent = fake::CreateControl("STATIC", "parent");
    size_t start = fake::Calls().size();

    HWND child = CreateChild("BUTTON", "Knopf", WS_CHILD | WS_TABSTOP, WS_EX_CLIENTEDGE, -3, 7, 89, 25, parent);

    ASSERT_TRUE(fake::IsWindowHandle(child));
    const std::vector<fake::Call>& calls = fake::Calls();
    ASSERT_EQ(start + 3, calls.size());
    EXPECT_EQ("CreateWindowExA", calls[start].function);
    EXPECT_EQ((std::vector<std::string>{"0x200", "BUTTON", "Knopf", "0x40010000", "-3", "7", "89", "25",
                                        fake::Handle(parent), "0x0", fake::Handle(fake::ModuleInstance()), "0x0"}),
              calls[start].args);
    EXPECT_EQ("ShowWindow", calls[start + 1].function);
    EXPECT_EQ((std::vector<std::string>{fake::Handle(child), "1"}), calls[start + 1].args);
    EXPECT_EQ("UpdateWindow", calls[start + 2].function);
    EXPECT_EQ((std::vector<std::string>{fake::Handle(child)}), calls[start + 2].args);
    EXPECT_TRUE(fake::Window(child).visible);
    EXPECT_EQ(nullptr, fake::Window(child).menu) << "every control has the identifier 0";
}

TEST_F(WindowPlumbingTest, CreateChildPassesANullTextAsNull) {
    HWND parent = fake::CreateControl("STATIC", "parent");
    HWND line = CreateChild("STATIC", nullptr, WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 49, 514, 2, parent);
    EXPECT_FALSE(fake::Window(line).hasText);
}

TEST_F(WindowPlumbingTest, AFailedCreationStillShowsAndUpdatesTheNullHandle) {
    HWND parent = fake::CreateControl("STATIC", "parent");
    fake::FailNth("CreateWindowExA", 1, ERROR_NOT_ENOUGH_MEMORY);

    HWND child = CreateChild("EDIT", "", WS_CHILD, 0, 0, 0, 10, 10, parent);

    EXPECT_EQ(nullptr, child);
    EXPECT_EQ((std::vector<std::string>{"0x0", "1"}), fake::CallsTo("ShowWindow").at(0).args);
    EXPECT_EQ((std::vector<std::string>{"0x0"}), fake::CallsTo("UpdateWindow").at(0).args);
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

// --- RunMessageLoop

TEST_F(WindowPlumbingTest, TheLoopDispatchesEveryMessageInOrderUntilTheQuitMessage) {
    RegisterWindowClass(NotingWndProc, "TestClass", nullptr, brush);
    HWND window = CreateWindowExA(0, "TestClass", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    fake::PostUserMessage(window, 0x0400, 1, 2);
    fake::PostUserMessage(window, WM_COMMAND, 0, 3);
    PostQuitMessage(0);
    size_t start = fake::Calls().size();

    RunMessageLoop();

    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(0x0400u, seen[0].message);
    EXPECT_EQ(1u, seen[0].wParam);
    EXPECT_EQ(WM_COMMAND, seen[1].message);
    EXPECT_EQ(3, seen[1].lParam);
    std::vector<std::string> names = fake::CallNames();
    EXPECT_EQ((std::vector<std::string>{"GetMessageA", "TranslateMessage", "DispatchMessageA", "GetMessageA",
                                        "TranslateMessage", "DispatchMessageA", "GetMessageA"}),
              std::vector<std::string>(names.begin() + start, names.end()));
    for (const fake::Call& call : fake::CallsTo("GetMessageA"))
        EXPECT_EQ((std::vector<std::string>{"0x0", "0x0", "0x0"}), call.args) << "no window filter, no range";
    EXPECT_FALSE(fake::QuitPosted()) << "the quit message was not taken";
}

// A quit posted while a message is handled (as ConfirmQuit does) ends the loop after it.
TEST_F(WindowPlumbingTest, AQuitPostedDuringDispatchEndsTheLoop) {
    RegisterWindowClass([](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
        PostQuitMessage(0);
        return 0;
    }, "QuitClass", nullptr, brush);
    HWND window = CreateWindowExA(0, "QuitClass", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    fake::PostUserMessage(window, WM_COMMAND, 0, 0);

    RunMessageLoop();

    EXPECT_EQ(1u, fake::CallsTo("DispatchMessageA").size());
    EXPECT_EQ(0u, fake::QueuedMessageCount());
}

// --- ConfirmQuit

// The question is always asked owned by the welcome window; only Yes posts the quit message.
TEST_F(WindowPlumbingTest, ConfirmQuitPostsTheQuitMessageOnYesOnly) {
    struct Case {
        int answer;
        bool quits;
    };
    const Case cases[] = {{IDYES, true}, {IDNO, false}, {IDCANCEL, false}, {0, false}};
    for (const Case& c : cases) {
        SetUp();
        installer.welcomeWindow = fake::CreateControl("STATIC", "welcome", nullptr, 0);
        fake::AnswerMessageBoxes({c.answer});

        ConfirmQuit();

        ASSERT_EQ(1u, fake::MessageBoxes().size()) << "answer " << c.answer;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ(installer.welcomeWindow, box.owner) << "answer " << c.answer;
        EXPECT_EQ(std::string("Wollen Sie das Programm wirklich beenden?"), box.text) << "answer " << c.answer;
        EXPECT_EQ(std::string("Programm beenden"), box.caption) << "answer " << c.answer;
        EXPECT_EQ(0x24u, box.flags) << "answer " << c.answer;
        EXPECT_EQ(c.quits, fake::QuitPosted()) << "answer " << c.answer;
        if (c.quits) EXPECT_EQ(0, fake::QuitCode());
        EXPECT_TRUE(fake::IsWindowHandle(installer.welcomeWindow)) << "no window is destroyed";
        EXPECT_EQ(c.quits ? 1u : 0u, fake::CallsTo("PostQuitMessage").size()) << "answer " << c.answer;
    }
}

}  // namespace
