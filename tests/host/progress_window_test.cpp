// BuildProgressWindow and ProgressWndProc against the fake window layer.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "process_end.h"
#include "progress_window.h"
#include "state.h"
#include "text.h"
#include "welcome_window.h"
#include "windows.h"
#include "control_table.h"

namespace {

// The fake's frame rule: 3-pixel borders and a 19-pixel caption around the client area.
const int kClientWidth = 520 - 2 * fake::kBorderWidth;

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        CopyText(installer.productTitle, sizeof installer.productTitle, "Velmora Atlas");
        CopyText(installer.destinationText, sizeof installer.destinationText, "C:\\Programme\\Atlas");
        BuildWelcomeWindow();
        start = fake::Calls().size();
    }
    void TearDown() override { DoneComLibrary(); }

    std::vector<std::string> NamesSinceStart() {
        std::vector<std::string> names = fake::CallNames();
        return std::vector<std::string>(names.begin() + start, names.end());
    }
    HWND Child(size_t index) { return fake::ChildWindows(installer.progressWindow).at(index); }

    size_t start = 0;
};

TEST_F(ProgressWindowTest, HidesTheWelcomeWindowFirstAndBuildsInOrder) {
    BuildProgressWindow();

    std::vector<std::string> expected{"ShowWindow", "LoadIconA", "LoadCursorA", "RegisterClassA", "CreateWindowExA",
                                      "GetClientRect"};
    for (int control = 0; control < 6; ++control)
        expected.insert(expected.end(), {"CreateWindowExA", "ShowWindow", "UpdateWindow"});
    expected.insert(expected.end(), 4, "SendMessageA");
    EXPECT_EQ(expected, NamesSinceStart());
    EXPECT_EQ((std::vector<std::string>{fake::Handle(installer.welcomeWindow), "0"}), fake::Calls()[start].args);
    EXPECT_EQ(fake::Handle(installer.progressWindow), fake::CallsTo("GetClientRect").back().args.at(0));
}

TEST_F(ProgressWindowTest, NeitherWindowIsVisibleAfterwards) {
    BuildProgressWindow();
    EXPECT_FALSE(fake::Window(installer.welcomeWindow).visible);
    EXPECT_FALSE(fake::Window(installer.progressWindow).visible);
    for (const fake::Call& call : fake::CallsTo("ShowWindow"))
        EXPECT_NE(fake::Handle(installer.progressWindow), call.args.at(0)) << "the progress window was shown";
}

TEST_F(ProgressWindowTest, RegistersItsClassWithTheFaceBrush) {
    BuildProgressWindow();
    std::optional<fake::ClassRecord> registered = fake::RegisteredClass("QuillsetWndclass");
    ASSERT_TRUE(registered);
    EXPECT_EQ("QuillsetWndclass", registered->className);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(ProgressWndProc), registered->procedure);
    EXPECT_EQ(installer.faceBrush, registered->background);
    EXPECT_EQ(3u, registered->style);
    EXPECT_EQ(fake::IconHandle(), registered->icon);
    EXPECT_FALSE(registered->hasMenuName);
}

TEST_F(ProgressWindowTest, TheTopLevelWindowIsOwnedByTheWelcomeWindow) {
    BuildProgressWindow();
    const fake::WindowRecord& window = fake::Window(installer.progressWindow);
    EXPECT_EQ("QuillsetWndclass", window.className);
    EXPECT_EQ("VELMORA Install", window.text);
    EXPECT_EQ(0u, window.exStyle);
    EXPECT_EQ(fake::Hex(0x00C80000), fake::Hex(window.style));
    EXPECT_EQ(252, window.x);
    EXPECT_EQ(204, window.y);
    EXPECT_EQ(520, window.width);
    EXPECT_EQ(360, window.height);
    EXPECT_EQ(installer.welcomeWindow, window.parent);
    EXPECT_EQ(nullptr, window.menu);
    EXPECT_EQ(fake::ModuleInstance(), window.instance);
    EXPECT_EQ(nullptr, window.creationData);
}

// The progress window takes the welcome window's place, computed from the 16-bit screen size;
// only a desktop beyond 65535 pixels tells the two computations apart.
TEST_F(ProgressWindowTest, SitsWhereTheWelcomeWindowWas) {
    struct Case {
        int width, height;
        int x, y;
    };
    const Case cases[] = {{1024, 768, 252, 204}, {800, 600, 140, 120}, {515, 768, -2, 204}, {519, 359, 0, 0},
                          {70000, 768, ((70000 & 0xFFFF) - 520) / 2, 204}};
    for (const Case& c : cases) {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        fake::SetDesktopSize(c.width, c.height);
        BuildWelcomeWindow();
        BuildProgressWindow();
        const fake::WindowRecord& progress = fake::Window(installer.progressWindow);
        const fake::WindowRecord& welcome = fake::Window(installer.welcomeWindow);
        std::string desktop = std::to_string(c.width) + " x " + std::to_string(c.height);
        EXPECT_EQ(c.x, progress.x) << desktop;
        EXPECT_EQ(c.y, progress.y) << desktop;
        if (c.width < 0x10000) {
            EXPECT_EQ(welcome.x, progress.x) << desktop;
            EXPECT_EQ(welcome.y, progress.y) << desktop;
        }
    }
}

TEST_F(ProgressWindowTest, MakesTheSixControlsAsTheTableGivesThem) {
    BuildProgressWindow();
    const int cw = kClientWidth;
    const std::vector<test::ExpectedControl> controls = {
        {"STATIC", true, "Das Programm wird jetzt installiert, das dauert einige Zeit!", 0x40000001, 0, -1, -1,
         cw + 1, 49, &InstallerState::progressHeader, &InstallerState::headerFont},
        {"STATIC", true, "", 0x40000001, 0x00000200, 10, 70, cw - 20, 200, &InstallerState::statusLine,
         &InstallerState::textFont},
        {"STATIC", false, "", 0x4000000B, 0x00020000, 0, 279, cw, 2, nullptr, nullptr},
        {"STATIC", false, "", 0x4000000B, 0x00020000, 0, 49, cw, 2, nullptr, nullptr},
        {"BUTTON", true, "Weiter >", 0x48000000, 0, cw - 194, 290, 89, 25, &InstallerState::progressNextButton,
         &InstallerState::textFont},
        {"BUTTON", true, "Abbrechen", 0x48000000, 0, cw - 97, 290, 89, 25, &InstallerState::progressCancelButton,
         &InstallerState::textFont},
    };
    test::ExpectControls(installer.progressWindow, controls);
    // the fonts in their order: header, status line, then the two buttons
    std::vector<fake::Call> sent = fake::CallsTo("SendMessageA");
    ASSERT_LE(4u, sent.size());
    std::vector<std::vector<std::string>> fonts;
    for (auto call = sent.end() - 4; call != sent.end(); ++call) fonts.push_back(call->args);
    std::string header = fake::Handle(installer.headerFont), text = fake::Handle(installer.textFont);
    EXPECT_EQ((std::vector<std::vector<std::string>>{
                  {fake::Handle(installer.progressHeader), "0x30", header, "0x0"},
                  {fake::Handle(installer.statusLine), "0x30", text, "0x0"},
                  {fake::Handle(installer.progressNextButton), "0x30", text, "0x0"},
                  {fake::Handle(installer.progressCancelButton), "0x30", text, "0x0"}}),
              fonts);
}

TEST_F(ProgressWindowTest, AFailedClassRegistrationEndsTheProcessBeforeAnyWindow) {
    InitComLibrary();
    fake::FailNth("RegisterClassA", 2, ERROR_NOT_ENOUGH_MEMORY);  // the welcome window's was the first

    EXPECT_EQ(std::optional<UINT>(0), test::ExitCodeOf([] { BuildProgressWindow(); }));

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(std::string("Can not Register Class"), fake::MessageBoxes()[0].text);
    EXPECT_EQ(std::string::npos, fake::IndexOfCall("CreateWindowExA", start));
    EXPECT_EQ(1u, fake::CallsTo("CoUninitialize").size());
}

// --- ProgressWndProc

class ProgressWndProcTest : public ProgressWindowTest {
protected:
    void SetUp() override {
        ProgressWindowTest::SetUp();
        BuildProgressWindow();
        start = fake::Calls().size();
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return ProgressWndProc(installer.progressWindow, message, wParam, lParam);
    }
};

// The header band and the status line are white, the lines have the button face.
TEST_F(ProgressWndProcTest, ColoursTheStatics) {
    HDC dc = reinterpret_cast<HDC>(uintptr_t{0x0D0C0002});
    struct Case {
        const char* name;
        HWND control;
        HGDIOBJ brush;
    };
    const Case cases[] = {
        {"header", installer.progressHeader, fake::StockObject(WHITE_BRUSH)},
        {"status line", installer.statusLine, fake::StockObject(WHITE_BRUSH)},
        {"line at 279", Child(2), installer.faceBrush},
        {"line at 49", Child(3), installer.faceBrush},
        {"the welcome window's header", installer.welcomeHeader, installer.faceBrush},
    };
    for (const Case& c : cases) {
        size_t before = fake::Calls().size();
        LRESULT brush = Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.control));
        EXPECT_EQ(fake::Handle(c.brush), fake::Handle(reinterpret_cast<void*>(brush))) << c.name;
        ASSERT_LT(before, fake::Calls().size()) << c.name;
        EXPECT_EQ("SetBkMode", fake::Calls()[before].function) << c.name;
        EXPECT_EQ((std::vector<std::string>{fake::Handle(dc), "1"}), fake::Calls()[before].args) << c.name;
        EXPECT_EQ(std::string::npos, fake::IndexOfCall("DefWindowProcA", before)) << c.name;
    }
}

TEST_F(ProgressWndProcTest, DestroyPostsTheQuitMessage) {
    EXPECT_EQ(0, Send(WM_DESTROY, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"PostQuitMessage"}), NamesSinceStart());
    EXPECT_EQ(0, fake::QuitCode());
}

// WM_COMMAND is not the progress window's: it goes to the default procedure like every other message.
TEST_F(ProgressWndProcTest, CommandsAndOtherMessagesGoToTheDefaultProcedure) {
    EXPECT_EQ(0, Send(WM_COMMAND, 0, reinterpret_cast<LPARAM>(installer.progressNextButton)));
    EXPECT_EQ(15, Send(WM_GETTEXTLENGTH, 0, 0));
    std::vector<fake::Call> defaults = fake::CallsTo("DefWindowProcA");
    ASSERT_EQ(2u, defaults.size());
    EXPECT_EQ((std::vector<std::string>{fake::Handle(installer.progressWindow), "0x111", "0x0",
                                        fake::Handle(installer.progressNextButton)}),
              defaults[0].args);
    EXPECT_EQ("0xE", defaults[1].args.at(1));
    EXPECT_TRUE(fake::MessageBoxes().empty());
    EXPECT_FALSE(fake::QuitPosted());
}

TEST_F(ProgressWndProcTest, TheCloseBoxDestroysTheWindowAndPostsTheQuitMessage) {
    SendMessageA(installer.progressWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(fake::IsWindowHandle(installer.progressWindow));
    EXPECT_TRUE(fake::QuitPosted());
    EXPECT_TRUE(fake::IsWindowHandle(installer.welcomeWindow)) << "the owner stays";
}

}  // namespace
