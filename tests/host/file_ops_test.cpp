// The file layer over the fake files: the per-operation error code, the path limit, the
// same-file test and the rules of the system it relies on (sharing, read-only, folders).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake.h"
#include "file_ops.h"
#include "files.h"
#include "state.h"

namespace {

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
        TakeFileError();
    }
};

// What the layer reports for one operation, and that taking the code clears it.
TEST_F(FileOpsTest, EachOperationLeavesItsOwnCodeAndTakingItClearsIt) {
    fake::WriteHostFile("C:\\Daten\\da.txt", "abc");
    struct OpenCase {
        const char* name;
        std::string path;
        bool create;
        DWORD error;
    } cases[] = {
        {"existing file", "C:\\Daten\\da.txt", false, 0},
        {"missing file", "C:\\Daten\\fehlt.txt", false, ERROR_FILE_NOT_FOUND},
        {"missing folder", "C:\\Fehlt\\da.txt", false, ERROR_PATH_NOT_FOUND},
        {"a file used as a folder", "C:\\Daten\\da.txt\\x", false, ERROR_PATH_NOT_FOUND},
        {"a folder", "C:\\Daten", false, ERROR_ACCESS_DENIED},
        {"missing drive", "Q:\\da.txt", false, ERROR_PATH_NOT_FOUND},
        // a creation over an existing file succeeds though the system leaves 183 behind
        {"created over an existing file", "C:\\Daten\\da.txt", true, 0},
        {"created anew", "C:\\Daten\\neu.txt", true, 0},
        {"created in a missing folder", "C:\\Fehlt\\neu.txt", true, ERROR_PATH_NOT_FOUND},
    };
    for (const OpenCase& test : cases) {
        HANDLE file = test.create ? CreateForWriting(test.path.c_str()) : OpenForReading(test.path.c_str(), FILE_SHARE_READ);
        EXPECT_EQ(TakeFileError(), test.error) << test.name;
        EXPECT_EQ(TakeFileError(), 0u) << test.name << ": taken twice";
        EXPECT_EQ(file == INVALID_HANDLE_VALUE, test.error != 0) << test.name;
        if (file != INVALID_HANDLE_VALUE) {
            CloseFile(file);
            EXPECT_EQ(TakeFileError(), 0u) << test.name << ": close";
        }
    }
    CloseFile(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234)));
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(FileOpsTest, ReadAndWriteCountWhatTheyMovedAndZeroOnFailure) {
    fake::WriteHostFile("C:\\Daten\\da.txt", "abcdef");
    HANDLE source = OpenForReading("C:\\Daten\\da.txt", FILE_SHARE_READ);
    char buffer[4];
    EXPECT_EQ(ReadBlock(source, buffer, sizeof buffer), 4u);
    EXPECT_EQ(ReadBlock(source, buffer, sizeof buffer), 2u);
    EXPECT_EQ(ReadBlock(source, buffer, sizeof buffer), 0u);
    EXPECT_EQ(TakeFileError(), 0u);
    EXPECT_EQ(WriteBlock(source, "xy", 2), 0u);  // opened for reading only
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    fake::FailNth("ReadFile", 4, ERROR_DISK_FULL);
    EXPECT_EQ(ReadBlock(source, buffer, sizeof buffer), 0u);
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_DISK_FULL));
    CloseFile(source);
    TakeFileError();
}

// 259 characters are the most a path may have; a longer one is never handed to the system.
TEST_F(FileOpsTest, PathOver259CharactersIsRefusedWithoutASystemCall) {
    std::string folder = "C:\\" + std::string(200, 'f');
    fake::MakeHostFolder(folder);
    std::string fits = folder + "\\" + std::string(259 - folder.size() - 1, 'n');
    std::string over = fits + "x";
    ASSERT_EQ(fits.size(), 259u);

    HANDLE file = CreateForWriting(fits.c_str());
    EXPECT_EQ(TakeFileError(), 0u);
    CloseFile(file);
    TakeFileError();
    EXPECT_TRUE(fake::HostFileExists(fits));

    size_t callsBefore = fake::Calls().size();
    EXPECT_EQ(CreateForWriting(over.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(OpenForReading(over.c_str(), FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    CreateOneFolder(over.c_str());
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(IsExistingFile(over.c_str()));
    EXPECT_EQ(fake::Calls().size(), callsBefore) << "a system call was made for an overlong path";
    EXPECT_FALSE(fake::HostFileExists(over.substr(0, 259) + "x"));
}

TEST_F(FileOpsTest, FolderCreationMakesOneLevelOnly) {
    CreateOneFolder("C:\\Ziel");
    EXPECT_EQ(TakeFileError(), 0u);
    EXPECT_TRUE(fake::HostFolderExists("C:\\Ziel"));
    CreateOneFolder("C:\\ziel\\");
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CreateOneFolder("C:\\Oben\\Unten");
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(fake::HostFolderExists("C:\\Oben"));
}

TEST_F(FileOpsTest, ExistingFileIsAFileNotAFolderAndTheCodeStays) {
    fake::WriteHostFile("C:\\Daten\\da.txt", "");
    OpenForReading("C:\\fehlt.txt", FILE_SHARE_READ);  // leaves 2 to be taken
    EXPECT_TRUE(IsExistingFile("c:\\DATEN\\DA.TXT"));
    EXPECT_FALSE(IsExistingFile("C:\\Daten"));
    EXPECT_FALSE(IsExistingFile("C:\\Daten\\fehlt.txt"));
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The same file is known by its identity, not its spelling; equal contents are not enough.
TEST_F(FileOpsTest, SameFileIsFoundByIdentity) {
    fake::WriteHostFile("C:\\Daten\\da.txt", "gleich");
    fake::WriteHostFile("C:\\Daten\\kopie.txt", "gleich");
    fake::WriteHostFile("D:\\Daten\\da.txt", "gleich");
    HANDLE open = OpenForReading("C:\\Daten\\da.txt", FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_EQ(TakeFileError(), 0u);
    struct SameCase {
        std::string other;
        bool same;
    } cases[] = {
        {"C:\\Daten\\da.txt", true},   {"c:\\daten\\DA.TXT", true},  {"C:\\Daten\\..\\Daten\\da.txt", true},
        {"C:\\Daten\\da.txt.", true},  {"C:\\Daten\\kopie.txt", false}, {"D:\\Daten\\da.txt", false},
        {"C:\\Daten\\fehlt.txt", false}, {"C:\\Daten", false},
    };
    for (const SameCase& test : cases) {
        EXPECT_EQ(AreSameFile(open, test.other.c_str()), test.same) << test.other;
        EXPECT_EQ(fake::OpenHandleCount(), 1) << test.other << ": the look was not closed";
    }
    // the look opens for attributes alone, which a lock of another program does not stop
    fake::LockFile("C:\\Daten\\kopie.txt", 0);
    HANDLE copy = OpenForReading("C:\\Daten\\kopie.txt", FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(copy, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(AreSameFile(open, "C:\\Daten\\kopie.txt"));
    EXPECT_EQ(fake::CallsTo("GetFileInformationByHandle").size(), 2u * 6 + 2) << "the locked file was not looked at";
    EXPECT_EQ(TakeFileError(), 0u);
    CloseFile(open);
    TakeFileError();
}

// The sharing rules the copier and the reader meet: each open's access against the other's share.
TEST_F(FileOpsTest, SharingFollowsAccessAgainstShareMode) {
    const std::string path = "C:\\Daten\\da.txt";
    fake::WriteHostFile(path, "alt");
    struct ShareCase {
        const char* name;
        DWORD heldShare;
        bool readerOpens;  // OpenForReading with FILE_SHARE_READ, as the script is read
        bool writerOpens;  // CreateForWriting, as a destination is made
    } cases[] = {
        {"held without sharing", 0, false, false},
        {"held sharing reading", FILE_SHARE_READ, false, false},
        {"held sharing both", FILE_SHARE_READ | FILE_SHARE_WRITE, false, true},
    };
    for (const ShareCase& test : cases) {
        fake::UnlockFile(path);
        fake::LockFile(path, test.heldShare);  // held for reading and writing
        HANDLE reader = OpenForReading(path.c_str(), FILE_SHARE_READ);
        EXPECT_EQ(TakeFileError() == 0, test.readerOpens) << test.name << ": reader";
        if (reader != INVALID_HANDLE_VALUE) CloseFile(reader);
        HANDLE writer = CreateForWriting(path.c_str());
        EXPECT_EQ(TakeFileError() == 0, test.writerOpens) << test.name << ": writer";
        if (writer != INVALID_HANDLE_VALUE) CloseFile(writer);
        TakeFileError();
    }
    EXPECT_EQ(fake::ReadHostFile(path), "");  // the one writer that opened emptied it
}

TEST_F(FileOpsTest, ReadOnlyFileOpensForReadingButCannotBeCreatedOver) {
    const std::string path = "C:\\Daten\\schreibgeschuetzt.txt";
    fake::WriteHostFile(path, "fest");
    fake::SetReadOnly(path);
    HANDLE file = OpenForReading(path.c_str(), FILE_SHARE_READ);
    EXPECT_EQ(TakeFileError(), 0u);
    CloseFile(file);
    EXPECT_EQ(CreateForWriting(path.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(TakeFileError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(fake::ReadHostFile(path), "fest");
}

}  // namespace
