// BuildWelcomeWindow, WelcomeWndProc and the folder browser against the fake window and shell layers.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "process_end.h"
#include "shell.h"
#include "state.h"
#include "text.h"
#include "welcome_window.h"
#include "window_plumbing.h"
#include "windows.h"
#include "control_table.h"

namespace {

const std::string kGreeting = "Willkommen im Installationsprogramm von ";
// The fake's frame rule: 3-pixel borders and a 19-pixel caption around the client area.
const int kClientWidth = 520 - 2 * fake::kBorderWidth;

class WelcomeWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.moduleInstance = fake::ModuleInstance();
        CopyText(installer.productTitle, sizeof installer.productTitle, "Velmora Atlas");
        CopyText(installer.defaultFolderName, sizeof installer.defaultFolderName, "Atlas");
        CopyText(installer.destinationText, sizeof installer.destinationText, "C:\\Programme\\Atlas");
        CopyText(installer.sourceFolder, sizeof installer.sourceFolder, "E:\\Setup\\");
    }
    void TearDown() override { DoneComLibrary(); }

    HWND Child(size_t index) { return fake::ChildWindows(installer.welcomeWindow).at(index); }

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return WelcomeWndProc(installer.welcomeWindow, message, wParam, lParam);
    }
    void Click(HWND button) { Send(WM_COMMAND, BN_CLICKED, reinterpret_cast<LPARAM>(button)); }
};

// --- Building the window

TEST_F(WelcomeWindowTest, BuildsInTheOrderOfItsSteps) {
    BuildWelcomeWindow();

    std::vector<std::string> expected{"GetDesktopWindow", "GetWindowRect", "GetSysColor", "CreateSolidBrush",
                                      "LoadIconA", "LoadCursorA", "RegisterClassA", "CreateWindowExA",
                                      "GetClientRect"};
    for (int control = 0; control < 11; ++control)
        expected.insert(expected.end(), {"CreateWindowExA", "ShowWindow", "UpdateWindow"});
    expected.insert(expected.end(), {"CreateFontA", "CreateFontA"});
    expected.insert(expected.end(), 9, "SendMessageA");
    expected.push_back("ShowWindow");
    EXPECT_EQ(expected, fake::CallNames());
    EXPECT_EQ((std::vector<std::string>{fake::Handle(installer.welcomeWindow), "5"}),
              fake::CallsTo("ShowWindow").back().args);
    EXPECT_EQ((std::vector<std::string>{"15"}), fake::CallsTo("GetSysColor").at(0).args);
}

TEST_F(WelcomeWindowTest, RegistersItsClassWithTheButtonFaceBrush) {
    fake::SetSysColor(COLOR_BTNFACE, 0x00123456);
    BuildWelcomeWindow();

    EXPECT_EQ(std::optional<COLORREF>(0x00123456), fake::BrushColor(installer.faceBrush));
    std::optional<fake::ClassRecord> registered = fake::RegisteredClass("VelmoraClass");
    ASSERT_TRUE(registered);
    EXPECT_EQ("VelmoraClass", registered->className);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(WelcomeWndProc), registered->procedure);
    EXPECT_EQ(installer.faceBrush, registered->background);
    EXPECT_FALSE(registered->hasMenuName);
}

TEST_F(WelcomeWindowTest, TheTopLevelWindowIsAHiddenPopupUntilTheEnd) {
    BuildWelcomeWindow();

    const fake::WindowRecord& window = fake::Window(installer.welcomeWindow);
    EXPECT_EQ("VelmoraClass", window.className);
    EXPECT_EQ("VELMORA Install", window.text);
    EXPECT_EQ(0x00050000u, window.exStyle);
    EXPECT_EQ(0x80C90000u, window.style);
    EXPECT_EQ(520, window.width);
    EXPECT_EQ(360, window.height);
    EXPECT_EQ(nullptr, window.parent);
    EXPECT_EQ(nullptr, window.menu);
    EXPECT_EQ(fake::ModuleInstance(), window.instance);
    EXPECT_EQ(nullptr, window.creationData);
    EXPECT_TRUE(window.visible);
    // hidden while the controls were made: its one ShowWindow is the last call
    EXPECT_EQ(fake::Handle(installer.welcomeWindow), fake::Calls().back().args.at(0));
    EXPECT_EQ(RECT{}.left, installer.welcomeClientRect.left);
    EXPECT_EQ(kClientWidth, installer.welcomeClientRect.right);
}

// The eleven controls in the order of creation, with the handle field that keeps each.
TEST_F(WelcomeWindowTest, MakesTheElevenControlsAsTheTableGivesThem) {
    BuildWelcomeWindow();

    const int cw = kClientWidth;
    const std::vector<test::ExpectedControl> controls = {
        {"STATIC", true, kGreeting + "Velmora Atlas!", 0x40000001, 0x00020000, -1, -1, cw + 1, 49,
         &InstallerState::welcomeHeader, &InstallerState::headerFont},
        {"STATIC", true, "Quellverzeichnis:", 0x40000000, 0, 8, 64, 150, 21, nullptr, &InstallerState::textFont},
        {"STATIC", true, "Zielverzeichnis:", 0x40000000, 0, 8, 88, 150, 21, &InstallerState::destinationLabel,
         &InstallerState::textFont},
        {"STATIC", true, "Dieses Programm verf\xFCgt \xFC" "ber ein eigenes Deinstallationsprogramm!", 0x40000000, 0,
         8, 224, 503, 21, &InstallerState::uninstallNote, &InstallerState::textFont},
        {"EDIT", true, "E:\\Setup\\", 0x40000080, 0x00010200, 160, 64, 347, 21, &InstallerState::sourceEdit,
         &InstallerState::textFont},
        {"EDIT", true, "C:\\Programme\\Atlas", 0x40000080, 0x00010200, 160, 88, 347, 21,
         &InstallerState::destinationEdit, &InstallerState::textFont},
        {"BUTTON", true, "Durchsuchen...", 0x40010000, 0, 160, 115, 89, 25, &InstallerState::browseButton,
         &InstallerState::textFont},
        {"STATIC", false, "", 0x4000000B, 0x00020000, 0, 279, cw, 2, nullptr, nullptr},
        {"STATIC", false, "", 0x4000000B, 0x00020000, 0, 49, cw, 2, nullptr, nullptr},
        {"BUTTON", true, "Weiter >", 0x40010001, 0, cw - 194, 290, 89, 25, &InstallerState::nextButton,
         &InstallerState::textFont},
        {"BUTTON", true, "Abbrechen", 0x40010000, 0, cw - 97, 290, 89, 25, &InstallerState::cancelButton,
         &InstallerState::textFont},
    };
    test::ExpectControls(installer.welcomeWindow, controls);
}

TEST_F(WelcomeWindowTest, CreatesBothFontsAndSetsThemInTheGivenOrder) {
    BuildWelcomeWindow();

    std::vector<fake::Call> fonts = fake::CallsTo("CreateFontA");
    ASSERT_EQ(2u, fonts.size());
    EXPECT_EQ((std::vector<std::string>{"18", "0", "0", "0", "700", "0", "0", "0", "0", "0", "0", "0", "34",
                                        "MS Sans Serif"}),
              fonts[0].args);
    EXPECT_EQ((std::vector<std::string>{"8", "0", "0", "0", "400", "0", "0", "0", "0", "0", "0", "0", "34",
                                        "MS Sans Serif"}),
              fonts[1].args);
    EXPECT_EQ(18, fake::Font(installer.headerFont)->height);
    EXPECT_EQ(8, fake::Font(installer.textFont)->height);

    std::string header = fake::Handle(installer.headerFont), text = fake::Handle(installer.textFont);
    std::vector<std::vector<std::string>> expected;
    for (auto [control, font] : std::vector<std::pair<HWND, std::string>>{
             {installer.nextButton, text}, {installer.cancelButton, text}, {installer.browseButton, text},
             {installer.welcomeHeader, header}, {installer.sourceEdit, text}, {installer.destinationEdit, text},
             {Child(1), text}, {installer.destinationLabel, text}, {installer.uninstallNote, text}})
        expected.push_back({fake::Handle(control), "0x30", font, "0x0"});
    std::vector<std::vector<std::string>> sent;
    for (const fake::Call& call : fake::CallsTo("SendMessageA")) sent.push_back(call.args);
    EXPECT_EQ(expected, sent);
}

// Centred with a signed division that truncates toward zero; the screen size keeps the low 16 bits.
TEST_F(WelcomeWindowTest, CentresOnTheDesktop) {
    struct Case {
        RECT desktop;
        int x, y;
        unsigned short screenWidth, screenHeight;
    };
    const Case cases[] = {
        {{0, 0, 1024, 768}, 252, 204, 1024, 768},
        {{0, 0, 800, 600}, 140, 120, 800, 600},
        {{0, 0, 515, 768}, -2, 204, 515, 768},   // (515 - 520) / 2 = -2, not -3
        {{0, 0, 519, 359}, 0, 0, 519, 359},      // -1 / 2 truncates to 0
        {{0, 0, 70000, 768}, 34740, 204, 70000 & 0xFFFF, 768},
        {{100, 50, 1124, 818}, 252, 204, 1124, 818},  // the width is right minus left
    };
    for (const Case& c : cases) {
        SetUp();
        fake::SetDesktopRect(c.desktop);
        BuildWelcomeWindow();
        std::string desktop = std::to_string(c.desktop.left) + "," + std::to_string(c.desktop.top) + "-" +
                              std::to_string(c.desktop.right) + "," + std::to_string(c.desktop.bottom);
        const fake::WindowRecord& window = fake::Window(installer.welcomeWindow);
        EXPECT_EQ(c.x, window.x) << "desktop " << desktop;
        EXPECT_EQ(c.y, window.y) << "desktop " << desktop;
        EXPECT_EQ(c.screenWidth, installer.screenWidth) << "desktop " << desktop;
        EXPECT_EQ(c.screenHeight, installer.screenHeight) << "desktop " << desktop;
        EXPECT_EQ(c.desktop.right, installer.desktopRect.right) << "desktop " << desktop;
    }
}

// The header: greeting, at most 214 characters of the title, "!"; never more than 255 characters.
TEST_F(WelcomeWindowTest, HeaderTextKeepsWithinItsBuffer) {
    struct Case {
        size_t titleLength;
        size_t shownLength;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {213, 213}, {214, 214}, {215, 214}, {255, 214}};
    for (const Case& c : cases) {
        SetUp();
        std::string title;
        for (size_t i = 0; i < c.titleLength; ++i) title += static_cast<char>('A' + i % 26);
        CopyText(installer.productTitle, sizeof installer.productTitle, title.c_str());
        BuildWelcomeWindow();
        std::string header = fake::WindowText(installer.welcomeHeader);
        EXPECT_EQ(kGreeting + title.substr(0, c.shownLength) + "!", header) << "title of " << c.titleLength;
        EXPECT_EQ(41 + c.shownLength, header.size()) << "title of " << c.titleLength;
    }
}

TEST_F(WelcomeWindowTest, AHighBitTitleIsKeptByteForByte) {
    CopyText(installer.productTitle, sizeof installer.productTitle, "B\xFCro \xC4rger \xDF");
    BuildWelcomeWindow();
    EXPECT_EQ(kGreeting + "B\xFCro \xC4rger \xDF!", fake::WindowText(installer.welcomeHeader));
}

// A refused class registration ends the process before any window exists.
TEST_F(WelcomeWindowTest, AFailedClassRegistrationMakesNoWindow) {
    InitComLibrary();
    fake::FailNth("RegisterClassA", 1, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(std::optional<UINT>(0), test::ExitCodeOf([] { BuildWelcomeWindow(); }));

    EXPECT_EQ(fake::IndexOfCall("CreateWindowExA"), std::string::npos);
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(std::string("Can not Register Class"), fake::MessageBoxes()[0].text);
    EXPECT_EQ(1u, fake::CallsTo("CoUninitialize").size());
}

// Without a window nothing could ever end the message loop, so the process ends with a box.
TEST_F(WelcomeWindowTest, AWindowThatCannotBeCreatedEndsTheProcess) {
    InitComLibrary();
    fake::FailNth("CreateWindowExA", 1, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_EQ(std::optional<UINT>(0), test::ExitCodeOf([] { BuildWelcomeWindow(); }));

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(std::string("Das Fenster konnte nicht erstellt werden!"), box.text);
    EXPECT_FALSE(box.hasCaption);
    EXPECT_EQ(0x2010u, box.flags);
    std::vector<std::string> names = fake::CallNames();
    size_t box_at = fake::IndexOfCall("MessageBoxA");
    EXPECT_EQ((std::vector<std::string>{"MessageBoxA", "PostQuitMessage", "CoUninitialize", "ExitProcess"}),
              std::vector<std::string>(names.begin() + box_at, names.end()));
    EXPECT_EQ(1u, fake::CallsTo("CreateWindowExA").size()) << "no control is made";
}

// --- WelcomeWndProc

TEST_F(WelcomeWindowTest, DestroyPostsTheQuitMessage) {
    BuildWelcomeWindow();
    size_t start = fake::Calls().size();
    EXPECT_EQ(0, Send(WM_DESTROY, 0, 0));
    EXPECT_TRUE(fake::QuitPosted());
    EXPECT_EQ(0, fake::QuitCode());
    EXPECT_EQ(start + 1, fake::Calls().size()) << "only PostQuitMessage: the default procedure is not called";
}

// Notifications with a non-zero code (typing in a field) are ignored and not defaulted,
// whatever control sent them.
TEST_F(WelcomeWindowTest, CommandsWithANonZeroCodeDoNothing) {
    BuildWelcomeWindow();
    struct Case {
        const char* name;
        WPARAM wParam;
        HWND control;
    };
    const Case cases[] = {
        {"EN_CHANGE from the destination field", WPARAM{0x0300} << 16, installer.destinationEdit},
        {"EN_UPDATE from the source field", WPARAM{0x0400} << 16, installer.sourceEdit},
        {"identifier 1 from the next button", 1, installer.nextButton},
        {"BN_DOUBLECLICKED from the cancel button", WPARAM{5} << 16, installer.cancelButton},
        {"menu command 1 without a control", 1, nullptr},
    };
    for (const Case& c : cases) {
        size_t start = fake::Calls().size();
        EXPECT_EQ(0, Send(WM_COMMAND, c.wParam, reinterpret_cast<LPARAM>(c.control))) << c.name;
        EXPECT_EQ(start, fake::Calls().size()) << c.name << ": made a call, first "
                                               << (fake::Calls().size() > start ? fake::Calls()[start].function : "");
    }
    EXPECT_TRUE(fake::MessageBoxes().empty());
    EXPECT_FALSE(fake::QuitPosted());
}

TEST_F(WelcomeWindowTest, AClickOnAnotherControlDoesNothing) {
    BuildWelcomeWindow();
    size_t start = fake::Calls().size();
    for (HWND control : {installer.welcomeHeader, installer.sourceEdit, installer.destinationEdit, HWND{}})
        EXPECT_EQ(0, Send(WM_COMMAND, 0, reinterpret_cast<LPARAM>(control)));
    EXPECT_EQ(start, fake::Calls().size());
}

// The header is white, every other static has the button face; all are drawn transparently.
TEST_F(WelcomeWindowTest, ColoursTheStatics) {
    BuildWelcomeWindow();
    HDC dc = reinterpret_cast<HDC>(uintptr_t{0x0D0C0001});
    struct Case {
        const char* name;
        HWND control;
        HGDIOBJ brush;
    };
    const Case cases[] = {
        {"header", installer.welcomeHeader, fake::StockObject(WHITE_BRUSH)},
        {"source label", Child(1), installer.faceBrush},
        {"destination label", installer.destinationLabel, installer.faceBrush},
        {"uninstaller note", installer.uninstallNote, installer.faceBrush},
        {"line at 279", Child(7), installer.faceBrush},
        {"line at 49", Child(8), installer.faceBrush},
    };
    for (const Case& c : cases) {
        size_t start = fake::Calls().size();
        LRESULT brush = Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.control));
        EXPECT_EQ(fake::Handle(c.brush), fake::Handle(reinterpret_cast<void*>(brush))) << c.name;
        ASSERT_LT(start, fake::Calls().size()) << c.name;
        EXPECT_EQ("SetBkMode", fake::Calls()[start].function) << c.name;
        EXPECT_EQ((std::vector<std::string>{fake::Handle(dc), "1"}), fake::Calls()[start].args) << c.name;
        EXPECT_EQ(fake::IndexOfCall("DefWindowProcA", start), std::string::npos) << c.name;
    }
}

TEST_F(WelcomeWindowTest, OtherMessagesGoToTheDefaultProcedure) {
    BuildWelcomeWindow();
    size_t start = fake::Calls().size();
    // the default procedure answers WM_GETTEXTLENGTH with the title's length: the result is passed on
    EXPECT_EQ(15, Send(WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(0, Send(0x0401, 7, 9));
    std::vector<fake::Call> defaults = fake::CallsTo("DefWindowProcA");
    ASSERT_EQ(2u, defaults.size());
    EXPECT_EQ((std::vector<std::string>{fake::Handle(installer.welcomeWindow), "0xE", "0x0", "0x0"}),
              defaults[0].args);
    EXPECT_EQ((std::vector<std::string>{fake::Handle(installer.welcomeWindow), "0x401", "0x7", "0x9"}),
              defaults[1].args);
    EXPECT_EQ(start + 2, fake::Calls().size());
}

// The close box: WM_CLOSE is defaulted, which destroys the window; WM_DESTROY posts the quit.
TEST_F(WelcomeWindowTest, TheCloseBoxEndsTheLoopWithoutAQuestion) {
    BuildWelcomeWindow();
    fake::PostUserMessage(installer.welcomeWindow, WM_CLOSE, 0, 0);

    RunMessageLoop();

    EXPECT_FALSE(fake::IsWindowHandle(installer.welcomeWindow));
    EXPECT_TRUE(fake::MessageBoxes().empty());
    EXPECT_EQ(1u, fake::CallsTo("PostQuitMessage").size());
}

// "Abbrechen": No keeps the window as it was, Yes ends the loop.
TEST_F(WelcomeWindowTest, CancelAsksAndQuitsOnlyOnYes) {
    BuildWelcomeWindow();
    fake::AnswerMessageBoxes({IDNO, IDYES});
    fake::PostClick(installer.cancelButton);
    fake::PostClick(installer.cancelButton);

    RunMessageLoop();

    ASSERT_EQ(2u, fake::MessageBoxes().size());
    EXPECT_EQ(installer.welcomeWindow, fake::MessageBoxes()[0].owner);
    EXPECT_EQ(std::string("Wollen Sie das Programm wirklich beenden?"), fake::MessageBoxes()[1].text);
    EXPECT_EQ(1u, fake::CallsTo("PostQuitMessage").size());
    EXPECT_TRUE(fake::Window(installer.welcomeWindow).visible);
    EXPECT_EQ("C:\\Programme\\Atlas", fake::WindowText(installer.destinationEdit));
}

// "Weiter >" hands over to the installation run; with an emptied source field the run refuses
// before it builds anything, which shows that the click reached it.
TEST_F(WelcomeWindowTest, NextStartsTheInstallationRun) {
    BuildWelcomeWindow();
    SendMessageA(installer.sourceEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    size_t start = fake::Calls().size();

    Click(installer.nextButton);

    EXPECT_NE(fake::IndexOfCall("SendMessageA", start), std::string::npos) << "the run did not read the fields";
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ(installer.welcomeWindow, fake::MessageBoxes()[0].owner);
    EXPECT_TRUE(fake::Window(installer.welcomeWindow).visible);
}

// --- The folder browser

class BrowseTest : public WelcomeWindowTest {
protected:
    void SetUp() override {
        WelcomeWindowTest::SetUp();
        BuildWelcomeWindow();
        // the user had edited the field before browsing
        SendMessageA(installer.destinationEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("X:\\Edited"));
    }
};

// What the destination field shows after one run of the browser.
TEST_F(BrowseTest, PutsThePickedFolderAndTheDefaultNameIntoTheField) {
    struct Case {
        const char* name;
        fake::BrowseAnswer answer;
        const char* defaultFolderName;
        std::string field;
        bool picked;
    };
    const std::string long259 = "C:\\" + std::string(256, 'p');
    const std::string long255(255, 'n');
    const Case cases[] = {
        {"a folder gets one backslash", fake::PickFolder("D:\\Tools"), "Atlas", "D:\\Tools\\Atlas", true},
        {"a drive root keeps its one backslash", fake::PickFolder("D:\\"), "Atlas", "D:\\Atlas", true},
        {"no default name: the folder and a backslash", fake::PickFolder("D:\\Tools"), "", "D:\\Tools\\", true},
        {"a drive root and no default name", fake::PickFolder("D:\\"), "", "D:\\", true},
        {"high-bit bytes", fake::PickFolder("D:\\B\xFCro"), "\xC4rger", "D:\\B\xFCro\\\xC4rger", true},
        {"259 + 1 + 255 characters fit", fake::PickFolder(long259), long255.c_str(), long259 + "\\" + long255,
         true},
        {"cancelled: the edited text stays", fake::CancelBrowse(), "Atlas", "X:\\Edited", false},
        {"a folder without a file-system path counts as a cancel", fake::PickVirtualFolder(), "Atlas",
         "X:\\Edited", false},
        {"an empty path counts as a cancel", fake::PickFolder(""), "Atlas", "X:\\Edited", false},
    };
    for (const Case& c : cases) {
        SetUp();
        CopyText(installer.defaultFolderName, sizeof installer.defaultFolderName, c.defaultFolderName);
        fake::AnswerFolderBrowser({c.answer});
        size_t start = fake::Calls().size();

        Click(installer.browseButton);

        EXPECT_EQ(c.field, fake::WindowText(installer.destinationEdit)) << c.name;
        EXPECT_EQ(0, fake::LiveItemIdLists()) << c.name << ": the item-id list was not freed";
        EXPECT_EQ(0, fake::ForeignFrees()) << c.name;
        EXPECT_EQ(fake::IndexOfCall("DefWindowProcA", start), std::string::npos)
            << c.name << ": the field's change notification reached the default procedure";
        bool picked = c.picked;
        EXPECT_EQ(picked ? c.answer.path : "", std::string(installer.pickedFolder)) << c.name;
        size_t setTexts = 0;
        for (size_t i = start; i < fake::Calls().size(); ++i)
            if (fake::Calls()[i].function == "SendMessageA" && fake::Calls()[i].args.at(1) == "0xC") ++setTexts;
        EXPECT_EQ(picked ? 1u : 0u, setTexts) << c.name << ": WM_SETTEXT count";
    }
}

TEST_F(BrowseTest, OpensTheBrowserWithItsRecord) {
    fake::AnswerFolderBrowser({fake::PickFolder("D:\\Tools")});
    Click(installer.browseButton);

    ASSERT_EQ(1u, fake::FolderBrowserRuns().size());
    const fake::BrowseRecord& run = fake::FolderBrowserRuns()[0];
    EXPECT_EQ(installer.welcomeWindow, run.owner);
    EXPECT_EQ(nullptr, run.root);
    EXPECT_FALSE(run.hasDisplayNameBuffer);
    EXPECT_TRUE(run.hasTitle);
    EXPECT_EQ("Zielverzeichnis aussuchen", run.title);
    EXPECT_EQ(1u, run.flags);
    EXPECT_FALSE(run.hasCallback);
    EXPECT_EQ(0, run.callbackData);
    EXPECT_EQ(0, run.image);
    std::vector<std::string> names = fake::CallNames();
    size_t browse = fake::IndexOfCall("SHBrowseForFolderA");
    ASSERT_NE(std::string::npos, browse);
    EXPECT_EQ((std::vector<std::string>{"SHBrowseForFolderA", "SHGetPathFromIDListA", "CoTaskMemFree", "SendMessageA"}),
              std::vector<std::string>(names.begin() + browse, names.end()));
    // the list that was asked for its path is the one that was freed
    EXPECT_EQ(fake::CallsTo("SHGetPathFromIDListA")[0].args[0], fake::CallsTo("CoTaskMemFree")[0].args[0]);
}

TEST_F(BrowseTest, AFailedPathLookupCountsAsACancelAndFreesTheList) {
    fake::AnswerFolderBrowser({fake::PickFolder("D:\\Tools"), fake::PickFolder("D:\\Other")});
    Click(installer.browseButton);
    fake::FailNth("SHGetPathFromIDListA", 2, ERROR_ACCESS_DENIED);

    Click(installer.browseButton);

    EXPECT_EQ("D:\\Tools\\Atlas", fake::WindowText(installer.destinationEdit));
    EXPECT_EQ(std::string("D:\\Tools"), installer.pickedFolder) << "the earlier pick is kept";
    EXPECT_EQ(0, fake::LiveItemIdLists());
    EXPECT_EQ(2u, fake::CallsTo("CoTaskMemFree").size());
}

TEST_F(BrowseTest, ASecondBrowseOpensTheBrowserAgainAndTakesTheNewerFolder) {
    fake::AnswerFolderBrowser({fake::PickFolder("D:\\First"), fake::PickFolder("E:\\Second"), fake::CancelBrowse()});

    Click(installer.browseButton);
    Click(installer.browseButton);
    EXPECT_EQ("E:\\Second\\Atlas", fake::WindowText(installer.destinationEdit));
    EXPECT_EQ(std::string("E:\\Second"), installer.pickedFolder);

    Click(installer.browseButton);
    EXPECT_EQ(3u, fake::FolderBrowserRuns().size());
    EXPECT_EQ("E:\\Second\\Atlas", fake::WindowText(installer.destinationEdit));
    EXPECT_EQ(0, fake::LiveItemIdLists());
}

TEST_F(BrowseTest, TheBrowseRoutineAloneSaysWhetherAFolderWasPicked) {
    struct Case {
        const char* name;
        fake::BrowseAnswer answer;
        bool picked;
    };
    const Case cases[] = {{"folder", fake::PickFolder("F:\\Games"), true},
                          {"cancel", fake::CancelBrowse(), false},
                          {"virtual folder", fake::PickVirtualFolder(), false}};
    for (const Case& c : cases) {
        SetUp();
        FillBytes(installer.pickedFolder, '#', sizeof installer.pickedFolder - 1);
        fake::AnswerFolderBrowser({c.answer});
        EXPECT_EQ(c.picked, BrowseForDestination()) << c.name;
        std::string sentinel(MAX_PATH - 1, '#');
        EXPECT_EQ(c.picked ? c.answer.path : sentinel, std::string(installer.pickedFolder)) << c.name;
        EXPECT_EQ(0, fake::LiveItemIdLists()) << c.name;
    }
}

}  // namespace
