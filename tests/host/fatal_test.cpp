// The fatal ends of the process: the unhandled-error box, the run-time failure box, and the
// COM lifetime around them.
#include <gtest/gtest.h>

#include <string>

#include "com.h"
#include "com_library.h"
#include "dialogs.h"
#include "fake.h"
#include "fatal.h"
#include "files.h"
#include "process_end.h"
#include "state.h"

namespace {

class FatalTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();  // forgets a COM start left by an earlier test
        fake::Reset();
        installer = InstallerState{};
    }
    void TearDown() override { DoneComLibrary(); }
};

// --- The unhandled-error box

TEST_F(FatalTest, UnhandledErrorBoxShowsKindModuleAddressAndTextWithOneClosingStop) {
    struct Case {
        const char* name;
        const char* kind;
        const char* text;
        std::string expected;
    };
    const std::string head = "Exception EGeneralError in Modul Setup.exe bei ########.\n";
    const Case cases[] = {
        // a closing full stop is added only when the text lacks one
        {"plain text", "EGeneralError", "Etwas ging schief", head + "Etwas ging schief."},
        {"text ending in a stop", "EGeneralError", "Etwas ging schief.", head + "Etwas ging schief."},
        {"text ending in an exclamation mark", "EGeneralError", "Halt!", head + "Halt!."},
        {"empty text", "EGeneralError", "", head + "."},
        {"stop inside the text only", "EGeneralError", "Datei a.b fehlt", head + "Datei a.b fehlt."},
        // the kind name and the text's bytes are taken as they are
        {"other kind, Windows-1252 text", "EOleError", "Schnittstelle nicht unterst\xFCtzt",
         "Exception EOleError in Modul Setup.exe bei ########.\nSchnittstelle nicht unterst\xFC" "tzt."},
    };
    for (const Case& c : cases) {
        fake::Reset();
        std::optional<UINT> exitCode = test::ExitCodeOf([&] { RaiseError(c.kind, c.text); });
        ASSERT_EQ(std::optional<UINT>(1), exitCode) << c.name;
        ASSERT_EQ(1u, fake::MessageBoxes().size()) << c.name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ(c.expected, test::MaskFailureAddress(box.text)) << c.name << ": text '" << c.text << "'";
        EXPECT_EQ(nullptr, box.owner) << c.name;
        EXPECT_EQ("Anwendungsfehler", box.caption) << c.name;
        EXPECT_EQ(0x2010u, box.flags) << c.name;
    }
}

TEST_F(FatalTest, UnhandledErrorBoxNamesTheRunningProgramByItsFileName) {
    fake::SetProgramPath("D:\\Vertrieb\\CD 1\\INSTALL.EXE");

    test::ExitCodeOf([] { RaiseError("EGeneralError", "x"); });

    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ("Exception EGeneralError in Modul INSTALL.EXE bei ########.\nx.",
              test::MaskFailureAddress(fake::MessageBoxes()[0].text));
}

TEST_F(FatalTest, RegistryErrorPutsTheValueNameBetweenItsPieces) {
    std::optional<UINT> exitCode =
        test::ExitCodeOf([] { RaiseRegistryError("Konnte Daten f\xFCr '", "DisplayName", "' nicht setzen"); });

    EXPECT_EQ(std::optional<UINT>(1), exitCode);
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    EXPECT_EQ("Exception ERegistryError in Modul Setup.exe bei ########.\n"
              "Konnte Daten f\xFCr 'DisplayName' nicht setzen.",
              test::MaskFailureAddress(fake::MessageBoxes()[0].text));
}

TEST_F(FatalTest, UnhandledErrorStopsComAfterTheBoxWhenItWasStarted) {
    InitComLibrary();

    test::ExitCodeOf([] { RaiseError("EGeneralError", "x"); });

    EXPECT_EQ(1, fake::CoUninitializeCount());
    size_t box = fake::IndexOfCall("MessageBoxA");
    size_t stop = fake::IndexOfCall("CoUninitialize");
    size_t exit = fake::IndexOfCall("ExitProcess");
    ASSERT_NE(std::string::npos, stop);
    EXPECT_LT(box, stop);
    EXPECT_LT(stop, exit);
    EXPECT_FALSE(fake::IsComStarted());
}

TEST_F(FatalTest, UnhandledErrorBeforeComStartedStopsNothing) {
    std::optional<UINT> exitCode = test::ExitCodeOf([] { RaiseError("EGeneralError", "x"); });

    EXPECT_EQ(std::optional<UINT>(1), exitCode);
    EXPECT_EQ(0, fake::CoUninitializeCount());
}

// --- The run-time failure box

TEST_F(FatalTest, RuntimeErrorBoxCountsTheAddressFromTheImageStart) {
    const void* place = reinterpret_cast<const void*>(uintptr_t{0x0040123A});

    std::optional<UINT> exitCode = test::ExitCodeOf([&] { EndWithRuntimeError(217, place); });

    EXPECT_EQ(std::optional<UINT>(217), exitCode);
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
    EXPECT_EQ("Runtime error 217 at 0000123A", box.text);
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ(0u, box.flags);
    EXPECT_EQ(nullptr, box.owner);
}

// --- COM lifetime

TEST_F(FatalTest, FailedComStartEndsWithRuntimeError217AndStopsNothing) {
    fake::SetCoInitializeResult(static_cast<HRESULT>(0x80010106u));  // another threading model on the thread

    std::optional<UINT> exitCode = test::ExitCodeOf([] { InitComLibrary(); });

    EXPECT_EQ(std::optional<UINT>(217), exitCode);
    ASSERT_EQ(1u, fake::MessageBoxes().size());
    const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
    const std::string prefix = "Runtime error 217 at ";
    ASSERT_EQ(prefix.size() + 8, box.text.size()) << box.text;
    EXPECT_EQ(prefix, box.text.substr(0, prefix.size()));
    EXPECT_EQ(std::string::npos, box.text.find_first_not_of("0123456789ABCDEF", prefix.size())) << box.text;
    EXPECT_EQ("Error", box.caption);
    EXPECT_EQ(0u, box.flags);
    EXPECT_EQ(0, fake::CoUninitializeCount());

    DoneComLibrary();  // COM does not count as started
    EXPECT_EQ(0, fake::CoUninitializeCount());
}

TEST_F(FatalTest, ComStartedOrAlreadyStartedIsStoppedExactlyOnce) {
    for (HRESULT result : {S_OK, S_FALSE}) {
        fake::Reset();
        fake::SetCoInitializeResult(result);

        InitComLibrary();
        DoneComLibrary();
        DoneComLibrary();

        ASSERT_EQ(1u, fake::CallsTo("CoInitialize").size()) << "result " << result;
        EXPECT_EQ(std::vector<std::string>{"0x0"}, fake::CallsTo("CoInitialize")[0].args) << "result " << result;
        EXPECT_EQ(1, fake::CoUninitializeCount()) << "result " << result;
        EXPECT_TRUE(fake::MessageBoxes().empty()) << "result " << result;
    }
}

TEST_F(FatalTest, OrderlyEndStopsComThenExitsWithTheCode) {
    InitComLibrary();

    std::optional<UINT> exitCode = test::ExitCodeOf([] { EndProcess(0); });

    EXPECT_EQ(std::optional<UINT>(0), exitCode);
    EXPECT_EQ((std::vector<std::string>{"CoInitialize", "CoUninitialize", "ExitProcess"}), fake::CallNames());
}

}  // namespace
