// CopyOneFile against the fake files, windows and dialogs: the bytes, the blocks, the status and
// failure texts byte for byte, the order of cursor, opens, reads, writes, closes and the box.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "copier.h"
#include "dialogs.h"
#include "fake.h"
#include "files.h"
#include "state.h"
#include "windows.h"

namespace {

const std::string kSource = "C:\\Product\\Daten.bin";
const std::string kDestination = "C:\\Ziel\\Daten.bin";

std::string Pattern(size_t size) {
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256 + 3) & 0xFF);
    return bytes;
}

std::string StatusText(const std::string& source, const std::string& destination) {
    return "Kopiere " + source + "\x0D nach \x0D" + destination + "...";
}

std::string FailureText(const std::string& source, const std::string& destination) {
    return "Fehler beim Kopieren der Datei \x0D\x0A" + source + "\x0D\x0A nach \x0D\x0A" + destination + " !";
}

// One argument of every call to the function, in order.
std::vector<std::string> ArgumentOfCalls(const std::string& function, size_t index) {
    std::vector<std::string> values;
    for (const fake::Call& call : fake::CallsTo(function)) values.push_back(call.args.at(index));
    return values;
}

std::vector<std::string> FirstArguments(const fake::Call& call, size_t count) {
    return std::vector<std::string>(call.args.begin(), call.args.begin() + std::min(count, call.args.size()));
}

std::string CursorHandle(uintptr_t id) { return fake::Handle(fake::CursorFor(id)); }

class CopierTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        installer.statusLine = fake::CreateControl("STATIC", "", nullptr, WS_CHILD);
        fake::MakeHostFolder("C:\\Ziel");
    }

    void Copy(const std::string& source = kSource, const std::string& destination = kDestination) {
        CopyOneFile(source.c_str(), destination.c_str());
    }

    void ExpectOneFailureBox(const std::string& source, const std::string& destination, const std::string& name) {
        ASSERT_EQ(fake::MessageBoxes().size(), 1u) << name;
        const fake::MessageBoxRecord& box = fake::MessageBoxes()[0];
        EXPECT_EQ(box.owner, nullptr) << name;
        EXPECT_EQ(box.text, FailureText(source, destination)) << name;
        EXPECT_FALSE(box.hasCaption) << name;
        EXPECT_EQ(box.flags, 0x2040u) << name;
        // the failure text never goes to the status line
        EXPECT_EQ(fake::WindowText(installer.statusLine), StatusText(source, destination)) << name;
    }
};

// Reads ask for 2048 bytes each; every read is followed by a write of what it delivered, the
// last read delivering 0 and its write writing 0.
TEST_F(CopierTest, CopiesEveryByteInBlocksOf2048) {
    for (size_t size : {0u, 1u, 2047u, 2048u, 2049u, 4096u, 5000u}) {
        fake::Reset();
        installer.statusLine = fake::CreateControl("STATIC", "", nullptr, WS_CHILD);
        fake::MakeHostFolder("C:\\Ziel");
        std::string bytes = Pattern(size);
        fake::WriteHostFile(kSource, bytes);
        Copy();
        EXPECT_EQ(fake::ReadHostFile(kDestination), bytes) << size << " bytes";
        std::vector<std::string> blocks;
        for (size_t left = size; left > 0; left -= std::min<size_t>(left, 2048))
            blocks.push_back(std::to_string(std::min<size_t>(left, 2048)));
        blocks.push_back("0");
        EXPECT_EQ(ArgumentOfCalls("ReadFile", 2), blocks) << size << " bytes: delivered";
        EXPECT_EQ(ArgumentOfCalls("ReadFile", 1), std::vector<std::string>(blocks.size(), "2048")) << size;
        EXPECT_EQ(ArgumentOfCalls("WriteFile", 1), blocks) << size << " bytes: given to write";
        EXPECT_TRUE(fake::MessageBoxes().empty()) << size << " bytes";
        EXPECT_EQ(fake::OpenHandleCount(), 0) << size << " bytes";
        EXPECT_EQ(fake::CurrentCursor(), fake::CursorFor(32512)) << size << " bytes";
    }
}

TEST_F(CopierTest, LongerExistingDestinationIsReplacedWhole) {
    fake::WriteHostFile(kSource, "kurz");
    fake::WriteHostFile(kDestination, Pattern(10000));
    Copy();
    EXPECT_EQ(fake::ReadHostFile(kDestination), "kurz");
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

// A read that delivers less than asked, without the end of the file, is written and the loop goes on.
TEST_F(CopierTest, ShortReadInTheMiddleIsWrittenAndTheCopyGoesOn) {
    std::string bytes = Pattern(3000);
    fake::WriteHostFile(kSource, bytes);
    fake::LimitNthRead(1, 100);
    Copy();
    EXPECT_EQ(fake::ReadHostFile(kDestination), bytes);
    EXPECT_EQ(ArgumentOfCalls("ReadFile", 2), (std::vector<std::string>{"100", "2048", "852", "0"}));
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(CopierTest, StatusTextIsSentBeforeAnyFileIsTouched) {
    fake::WriteHostFile(kSource, "x");
    Copy();
    EXPECT_EQ(fake::WindowText(installer.statusLine),
              "Kopiere C:\\Product\\Daten.bin\x0D nach \x0D" "C:\\Ziel\\Daten.bin...");
    std::vector<fake::Call> sends = fake::CallsTo("SendMessageA");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].args,
              (std::vector<std::string>{fake::Handle(installer.statusLine), "0xC", "0x0", StatusText(kSource, kDestination)}));
    EXPECT_LT(fake::IndexOfCall("SendMessageA"), fake::IndexOfCall("LoadCursorA"));
    EXPECT_LT(fake::IndexOfCall("SendMessageA"), fake::IndexOfCall("CreateFileA"));
}

// The order of one copy of 2049 bytes. Before the destination is created the copier looks
// whether it is the source under another name: an open for attributes alone, which fails here.
TEST_F(CopierTest, CallsComeInTheirOrder) {
    fake::WriteHostFile(kSource, Pattern(2049));
    Copy();
    std::vector<std::string> names;
    for (const std::string& name : fake::CallNames())
        if (name != "GetFileInformationByHandle") names.push_back(name);
    std::vector<std::string> expected = {
        "SendMessageA", "LoadCursorA", "SetCursor", "CreateFileA", "CreateFileA", "CreateFileA",
        "ReadFile",     "WriteFile",   "ReadFile",  "WriteFile",   "ReadFile",    "WriteFile",
        "CloseHandle",  "CloseHandle", "LoadCursorA", "SetCursor"};
    EXPECT_EQ(names, expected);
    std::vector<fake::Call> opens = fake::CallsTo("CreateFileA");
    ASSERT_EQ(opens.size(), 3u);
    EXPECT_EQ(FirstArguments(opens[0], 7),
              (std::vector<std::string>{kSource, "0x80000000", "0x3", "0x0", "3", "0x80", "0x0"}));
    EXPECT_EQ(FirstArguments(opens[1], 7),
              (std::vector<std::string>{kDestination, "0x0", "0x7", "0x0", "3", "0x80", "0x0"}));
    EXPECT_EQ(FirstArguments(opens[2], 7),
              (std::vector<std::string>{kDestination, "0xC0000000", "0x3", "0x0", "2", "0x80", "0x0"}));
    std::string source = opens[0].args.back(), destination = opens[2].args.back();
    EXPECT_EQ(ArgumentOfCalls("CloseHandle", 0), (std::vector<std::string>{source, destination}));
    EXPECT_EQ(ArgumentOfCalls("ReadFile", 0), std::vector<std::string>(3, source));
    EXPECT_EQ(ArgumentOfCalls("WriteFile", 0), std::vector<std::string>(3, destination));
    EXPECT_EQ(ArgumentOfCalls("LoadCursorA", 1), (std::vector<std::string>{"32514", "32512"}));
    EXPECT_EQ(ArgumentOfCalls("LoadCursorA", 0), (std::vector<std::string>{"0x0", "0x0"}));
    EXPECT_EQ(ArgumentOfCalls("SetCursor", 0), (std::vector<std::string>{CursorHandle(32514), CursorHandle(32512)}));
}

// Every failure ends in the same box. Where an open failed the wait cursor stays; where both
// files were open the arrow is back before the box.
TEST_F(CopierTest, FailuresShowTheBoxAndLeaveTheFilesAsFarAsTheyGot) {
    const std::string old = "alter Inhalt";
    const std::string full = Pattern(3000);
    struct FailureCase {
        const char* name;
        std::function<void()> arrange;
        std::optional<std::string> destinationAfter;  // nothing: no destination file
        size_t closes;  // an existing destination is opened once to compare it with the source
        bool arrowBeforeBox;
        std::string destination = kDestination;
    } cases[] = {
        {"missing source", [] {}, std::nullopt, 0, false},
        {"missing source, destination kept",
         [&] { fake::WriteHostFile(kDestination, old); }, old, 0, false},
        {"source locked by another program",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::LockFile(kSource, 0);
         },
         std::nullopt, 0, false},
        {"destination folder missing", [&] { fake::WriteHostFile(kSource, full); }, std::nullopt, 1, false,
         "C:\\Fehlt\\Daten.bin"},
        {"read-only destination",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::WriteHostFile(kDestination, old);
             fake::SetReadOnly(kDestination);
         },
         old, 2, false},
        {"destination locked by another program",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::WriteHostFile(kDestination, old);
             fake::LockFile(kDestination, 0);
         },
         old, 2, false},
        {"destination is a folder",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::MakeHostFolder(kDestination);
         },
         std::nullopt, 1, false},
        {"second read fails",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::FailNth("ReadFile", 2, ERROR_ACCESS_DENIED);
         },
         full.substr(0, 2048), 2, true},
        {"first read fails",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::FailNth("ReadFile", 1, ERROR_ACCESS_DENIED);
         },
         std::string(), 2, true},
        {"second write fails",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::FailNth("WriteFile", 2, ERROR_DISK_FULL);
         },
         full.substr(0, 2048), 2, true},
        {"write writes less than was read",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::LimitNthWrite(1, 100);
         },
         full.substr(0, 100), 2, true},
        {"close of the source fails",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::FailNth("CloseHandle", 1, ERROR_INVALID_HANDLE);
         },
         full, 2, true},
        {"close of the destination fails",
         [&] {
             fake::WriteHostFile(kSource, full);
             fake::FailNth("CloseHandle", 2, ERROR_DISK_FULL);
         },
         full, 2, true},
    };
    for (const FailureCase& test : cases) {
        fake::Reset();
        installer.statusLine = fake::CreateControl("STATIC", "", nullptr, WS_CHILD);
        fake::MakeHostFolder("C:\\Ziel");
        const std::string& destination = test.destination;
        test.arrange();
        Copy(kSource, destination);
        ExpectOneFailureBox(kSource, destination, test.name);
        EXPECT_EQ(fake::ReadHostFile(destination), test.destinationAfter) << test.name;
        EXPECT_EQ(fake::CallsTo("CloseHandle").size(), test.closes) << test.name;
        EXPECT_EQ(fake::OpenHandleCount(), 0) << test.name;
        size_t box = fake::IndexOfCall("MessageBoxA");
        size_t arrow = fake::IndexOfCall("LoadCursorA", fake::IndexOfCall("LoadCursorA") + 1);
        if (test.arrowBeforeBox) {
            EXPECT_LT(arrow, box) << test.name;
            EXPECT_EQ(fake::CurrentCursor(), fake::CursorFor(32512)) << test.name;
        } else {
            EXPECT_EQ(arrow, std::string::npos) << test.name;
            EXPECT_EQ(fake::CurrentCursor(), fake::CursorFor(32514)) << test.name;
        }
        // after a failed read or write the loop stops at once
        if (std::string(test.name) == "second write fails" || std::string(test.name) == "write writes less than was read")
            EXPECT_EQ(fake::CallsTo("ReadFile").size(), std::string(test.name) == "second write fails" ? 2u : 1u)
                << test.name;
    }
}

// Two spellings of one file: creating the destination would empty the source, so nothing is
// copied and nothing is reported; the status text is still shown.
TEST_F(CopierTest, SameFileUnderAnotherSpellingIsLeftAlone) {
    const std::string bytes = Pattern(3000);
    for (std::string spelling : {kSource, std::string("c:\\PRODUCT\\daten.BIN"), std::string("C:\\Product\\.\\Daten.bin"),
                                 std::string("C:/Product/Daten.bin"), std::string("C:\\Product\\Unter\\..\\Daten.bin")}) {
        fake::Reset();
        installer.statusLine = fake::CreateControl("STATIC", "", nullptr, WS_CHILD);
        fake::WriteHostFile(kSource, bytes);
        Copy(kSource, spelling);
        EXPECT_EQ(fake::ReadHostFile(kSource), bytes) << spelling;
        EXPECT_TRUE(fake::MessageBoxes().empty()) << spelling;
        EXPECT_EQ(fake::WindowText(installer.statusLine), StatusText(kSource, spelling)) << spelling;
        EXPECT_EQ(ArgumentOfCalls("CreateFileA", 4), (std::vector<std::string>{"3", "3"})) << spelling;
        EXPECT_TRUE(fake::CallsTo("ReadFile").empty()) << spelling;
        EXPECT_EQ(fake::OpenHandleCount(), 0) << spelling;
        EXPECT_EQ(fake::CurrentCursor(), fake::CursorFor(32512)) << spelling;
    }
}

// A path over 259 characters is never opened under a shortened name: the copy fails through
// the normal box, which names the full paths.
TEST_F(CopierTest, PathOver259CharactersFailsWithTheFullPathsInTheBox) {
    std::string longPath = "C:\\Ziel\\" + std::string(292, 'l');  // 300 characters
    ASSERT_EQ(longPath.size(), 300u);
    fake::WriteHostFile(kSource, "x");

    Copy(longPath, kDestination);
    ExpectOneFailureBox(longPath, kDestination, "long source");
    EXPECT_TRUE(fake::CallsTo("CreateFileA").empty());

    fake::Reset();
    installer.statusLine = fake::CreateControl("STATIC", "", nullptr, WS_CHILD);
    fake::WriteHostFile(kSource, "x");
    Copy(kSource, longPath);
    ExpectOneFailureBox(kSource, longPath, "long destination");
    EXPECT_EQ(ArgumentOfCalls("CreateFileA", 0), std::vector<std::string>{kSource});
    EXPECT_EQ(fake::CallsTo("CloseHandle").size(), 1u);
    EXPECT_EQ(fake::OpenHandleCount(), 0);
}

// The texts have storage of their own: paths far longer than the copy buffer come out whole.
TEST_F(CopierTest, TextsHoldPathsLongerThanTheCopyBuffer) {
    std::string source = "C:\\" + std::string(1000, 's');
    std::string destination = "C:\\" + std::string(1017, 'd');
    Copy(source, destination);
    EXPECT_EQ(fake::WindowText(installer.statusLine), StatusText(source, destination));
    ExpectOneFailureBox(source, destination, "paths of 1003 and 1020 characters");
}

}  // namespace
