// install-log-check's judgement: the breaking line and its reason for broken scripts, the
// warnings for scripts that load, and that its verdict is always the installer's own: every
// script of the tables is also loaded by LoadInstallScript on the fake layer.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"
#include "com_library.h"
#include "fake.h"
#include "files.h"
#include "reader.h"
#include "registry.h"
#include "report_output.h"
#include "ship_folder.h"
#include "state.h"

static_assert(kCheckedLineSize == kLineSize, "the checker keeps as much of a line as the installer");

namespace {

const std::string kHeader1 = "VELMORA Quillset 2.0 - Install.log";
const std::string kHeader2 = "Nicht ver\xE4ndern, nicht l\xF6schen!";

std::string Lines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

// A script with the given head and entry lines, every line ended with CR LF, then `tail`.
std::string Script(const std::string& count, const std::vector<std::string>& entryLines,
                   const std::string& tail = "\r\n", const std::string& title = "Quillset Demo",
                   const std::string& folder = "C:\\PROGRAMME\\Quillset", const std::string& group = "Quillset") {
    std::vector<std::string> lines = {kHeader1, kHeader2, title, folder, group, "", count};
    lines.insert(lines.end(), entryLines.begin(), entryLines.end());
    return Lines(lines) + tail;
}

std::string Head() { return Lines({kHeader1, kHeader2, "Quillset Demo", "C:\\PROGRAMME\\Quillset", "Quillset", ""}); }

std::string Show(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes.substr(0, 120)) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "<%02X>", c);
            shown += hex;
        }
    }
    return bytes.size() > 120 ? shown + "..." : shown;
}

std::string Kinds(const std::vector<CheckWarning>& warnings) {
    std::string kinds;
    for (const CheckWarning& warning : warnings) kinds += std::to_string(warning.line) + " " + warning.kind + "; ";
    return kinds;
}

class CheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneComLibrary();
        fake::Reset();
        installer = InstallerState{};
    }
    void TearDown() override { DoneComLibrary(); }

    // LoadInstallScript on the same bytes, in a plain machine-mode set-up.
    bool InstallerLoads(const std::string& bytes) {
        fake::Reset();
        installer = InstallerState{};
        fake::SetRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                              "C:\\Program Files");
        fake::WriteHostFile("C:\\Product\\Install.log", bytes);
        return LoadInstallScript();
    }

    // The checker's verdict and entries must be the installer's, whatever the block size.
    void ExpectSameAsInstaller(const std::string& name, const std::string& bytes, const CheckReport& report) {
        bool loads = InstallerLoads(bytes);
        ASSERT_EQ(report.loaded, loads) << name << ": checker and installer disagree on " << Show(bytes);
        if (loads) {
            ASSERT_EQ(report.entryCount, installer.entryCount) << name;
            for (unsigned i = 0; i < report.entryCount; ++i) {
                const ScriptEntry& entry = installer.entries[i];
                EXPECT_EQ(report.entries[i].fileName, std::string(entry.fileName, entry.fileNameLength)) << name;
                EXPECT_EQ(report.entries[i].optionText, std::string(entry.optionText, entry.optionTextLength)) << name;
            }
            EXPECT_EQ(report.productTitle.substr(0, report.productTitle.find('\0')).substr(0, 255),
                      std::string(installer.productTitle)) << name;
        }
        for (unsigned blockSize : {1u, 7u, 4096u}) {
            CheckOptions options;
            options.blockSize = blockSize;
            CheckReport again = CheckScript(bytes, options);
            EXPECT_EQ(again.loaded, report.loaded) << name << ", block size " << blockSize;
            EXPECT_EQ(again.broken.line, report.broken.line) << name << ", block size " << blockSize;
            EXPECT_EQ(again.broken.kind, report.broken.kind) << name << ", block size " << blockSize;
            EXPECT_EQ(Kinds(again.warnings), Kinds(report.warnings)) << name << ", block size " << blockSize;
        }
    }
};

struct BrokenCase {
    const char* name;
    std::string bytes;
    unsigned line;
    const char* kind;
    unsigned column;          // 0: not checked
    std::string found;        // checked when column is not 0
    std::string expected;
    const char* reasonHas;    // a phrase the plain-words reason must hold
};

TEST_F(CheckerTest, BrokenScriptsNameTheirFirstBreakingLineAndWhy) {
    const std::string utf8Header2 = "Nicht ver\xC3\xA4ndern, nicht l\xC3\xB6schen!";
    const std::string dosHeader2 = "Nicht ver\x84ndern, nicht l\x94schen!";
    const BrokenCase cases[] = {
        // The header lines: the invisible causes first
        {"empty file", "", 1, "file-ends", 0, "", "", "the file is empty"},
        {"only a Ctrl-Z", "\x1A" + Script("0", {}), 1, "ctrl-z", 1, "\x1A", "", "Ctrl-Z (1A)"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + Script("0", {}), 1, "byte-order-mark", 1, "\xEF\xBB\xBF", "", "EF BB BF"},
        {"UTF-16 byte-order mark", std::string("\xFF\xFEV\0E\0", 6), 1, "utf-16", 1, "\xFF\xFE", "", "UTF-16"},
        {"LF-only line ends", kHeader1 + "\n" + kHeader2 + "\nTitel\n", 1, "lf-line-ends", 35, "\n", "\r\n",
         "LF-only"},
        {"trailing blank on line 1", kHeader1 + " \r\n" + kHeader2 + "\r\n", 1, "trailing-blank", 35, " ", "",
         "1 trailing blank (20)"},
        {"two trailing blanks and a tab on line 2", kHeader1 + "\r\n" + kHeader2 + "  \t\r\n", 2, "trailing-blank", 32,
         "  \t", "", "3 trailing blanks"},
        {"leading blank", " " + kHeader1 + "\r\n", 1, "leading-blank", 1, " ", "V", "begins with a blank (20)"},
        {"lower-case header", "velmora Quillset 2.0 - Install.log\r\n", 1, "letter-case", 1, "v", "V", "case"},
        {"second header in UTF-8", kHeader1 + "\r\n" + utf8Header2 + "\r\n", 2, "utf-8", 10, "\xC3\xA4", "\xE4",
         "C3 A4, the UTF-8 form of \xC3\xA4, where the byte E4"},
        {"second header in a DOS code page", kHeader1 + "\r\n" + dosHeader2 + "\r\n", 2, "dos-code-page", 10, "\x84",
         "\xE4", "DOS code page"},
        {"second header without its umlaut", kHeader1 + "\r\nNicht verandern, nicht loschen!\r\n", 2,
         "wrong-character", 10, "a", "\xE4", "61 (a) where E4 (\xC3\xA4)"},
        {"second header in UTF-16", kHeader1 + "\r\n" + std::string("N\0i\0", 4), 2, "utf-16", 2, std::string("\0i", 2),
         "i", "UTF-16"},
        {"text after the header", kHeader1 + " - Kopie\r\n", 1, "extra-text", 35, " - Kopie", "", "goes on after"},
        {"header cut short by the line end", "VELMORA Quillset\r\n2.0 - Install.log\r\n", 1, "line-too-short", 17, "",
         " 2.0 - Install.l", "stops after character 16"},
        {"header cut short by a Ctrl-Z", "VELMORA\x1AQuillset", 1, "ctrl-z", 8, "\x1A", " Quillset 2.0 - ",
         "ends the file inside"},
        {"file ends inside the header", "VELMORA Quill", 1, "file-ends", 14, "", "set 2.0 - Instal", "ends after character 13"},
        {"file ends after line 1", kHeader1 + "\r\n", 2, "file-ends", 0, "", "", "ends after line 1"},
        {"Ctrl-Z after line 1", kHeader1 + "\x1A" + kHeader2 + "\r\n", 2, "file-ends", 0, "", "",
         "where a Ctrl-Z (1A) ends it"},

        // The count line
        {"file ends before the count line", Head(), 7, "file-ends", 0, "", "", "ends before the count line"},
        {"empty count line", Head() + "\r\n1\r\n", 7, "count-empty", 0, "", "", "is empty"},
        {"count line of blanks", Head() + "   \r\n", 7, "count-empty", 0, "", "", "only blanks"},
        {"trailing blank after the count", Script("2 ", {"a", "NEIN!", "b", "NEIN!"}), 7, "trailing-blank", 2, " ", "",
         "1 trailing blank (20) after the number"},
        {"trailing tab after the count", Script("2\t", {}), 7, "trailing-blank", 2, "\t", "", "trailing blank or tab"},
        {"blank inside the count", Script("1 2", {}), 7, "count-syntax", 2, " ", "", "splits the number"},
        {"sign before a hexadecimal count", Script("-0x0C", {}), 7, "count-syntax", 3, "x", "", "takes no sign"},
        {"sign before a dollar count", Script("+$0C", {}), 7, "count-syntax", 1, "+", "", "takes no sign"},
        {"0x alone", Script("0x", {}), 7, "count-syntax", 2, "x", "", "prefix \"0x\" with no digits"},
        {"dollar alone", Script("$", {}), 7, "count-syntax", 1, "$", "", "prefix \"$\" with no digits"},
        {"no hexadecimal digit", Script("$1G", {}), 7, "count-syntax", 3, "G", "", "cannot follow the number"},
        {"sign alone", Script("-", {}), 7, "count-syntax", 1, "-", "", "sign with no digits"},
        {"word instead of a count", Script("abc", {}), 7, "count-syntax", 1, "a", "", "does not begin with a number"},
        {"tab before the count", Script("\t12", {}), 7, "count-syntax", 1, "\t", "", "only blanks (20) may stand"},
        {"decimal count too large", Script("2147483648", {}), 7, "count-too-large", 10, "8", "", "too large"},
        {"hexadecimal count too large", Script("$100000000", {}), 7, "count-too-large", 10, "0", "", "too large"},
        {"letter after the count", Script("12a", {}), 7, "count-syntax", 3, "a", "", "cannot follow the number"},
        {"more entries than the table", Script("201", {}), 7, "too-many-entries", 0, "", "", "gives 201 entries"},
        {"minus one wraps to 65535", Script("-1", {}), 7, "too-many-entries", 0, "", "", "low 16 bits of 4294967295"},
        {"count longer than the line buffer", Script(std::string(5000, ' ') + "1", {"a", "NEIN!"}), 7,
         "count-overlong", 0, "", "", "5001 characters"},

        // The end-of-file test after the entry lines
        {"no empty line after the last entry", Script("1", {"Editor.exe", "EXEC!"}, ""), 9, "no-line-after-last-entry",
         0, "", "", "ends right after line 9 (the option text of the last entry, entry 1)"},
        {"last entry without a line end", Head() + "1\r\nEditor.exe\r\nEXEC!", 9, "no-line-after-last-entry", 0, "", "",
         "has no line end"},
        {"last entry ends in a lone LF", Head() + "1\r\nEditor.exe\r\nEXEC!\n", 9, "no-line-after-last-entry", 6, "\n",
         "\r\n", "lone line feed (0A)"},
        {"Ctrl-Z right after the last entry", Script("1", {"Editor.exe", "EXEC!"}, "\x1A\r\n"), 9, "ctrl-z", 0, "", "",
         "right after line 9"},
        {"Ctrl-Z ends the last option text", Head() + "1\r\nEditor.exe\r\nEXEC!\x1A\r\n", 9, "ctrl-z", 6, "\x1A", "",
         "ends line 9"},
        {"Ctrl-Z right after the count", Head() + "1\r\n\x1A", 8, "ctrl-z", 1, "\x1A", "", "ends line 8"},
        {"count larger than the entries", Script("2", {"Editor.exe", "EXEC!"}), 10, "file-ends-early", 0, "", "",
         "count line says 2 entries, but the file ends right after line 10 (the file name of entry 2)"},
        {"count but no entries", Head() + "3\r\n", 8, "file-ends-early", 0, "", "", "ends before line 8"},
    };
    for (const BrokenCase& c : cases) {
        CheckReport report = CheckScript(c.bytes, CheckOptions{});
        EXPECT_FALSE(report.loaded) << c.name << ": " << Show(c.bytes);
        EXPECT_EQ(report.broken.line, c.line) << c.name << ": " << report.broken.reason;
        EXPECT_EQ(report.broken.kind, c.kind) << c.name << ": " << report.broken.reason;
        if (c.column != 0) {
            EXPECT_EQ(report.broken.column, c.column) << c.name << ": " << report.broken.reason;
            EXPECT_EQ(Show(report.broken.found), Show(c.found)) << c.name;
            EXPECT_EQ(Show(report.broken.expected), Show(c.expected)) << c.name;
        }
        EXPECT_NE(report.broken.reason.find(c.reasonHas), std::string::npos)
            << c.name << ": the reason is \"" << report.broken.reason << "\"";
        EXPECT_FALSE(report.broken.hint.empty()) << c.name;
        ExpectSameAsInstaller(c.name, c.bytes, report);
    }
}

TEST_F(CheckerTest, BrokenLineIsShownAsTheInstallerReadIt) {
    std::string bytes = kHeader1 + "\r\nNicht ver\xC3\xA4ndern, nicht l\xC3\xB6schen!\r\n";
    CheckReport report = CheckScript(bytes, CheckOptions{});
    EXPECT_EQ(report.broken.lineText, "Nicht ver\xC3\xA4ndern, nicht l\xC3\xB6schen!");
    // An LF-only script: the first line runs on to the end, lone line feeds and all.
    report = CheckScript(kHeader1 + "\n" + kHeader2 + "\n", CheckOptions{});
    EXPECT_EQ(Show(report.broken.lineText), Show(kHeader1 + "\n" + kHeader2 + "\n"));
}

struct LoadedCase {
    const char* name;
    std::string bytes;
    unsigned entryCount;
    const char* warnings;   // "line kind; " for each warning, in line order
};

TEST_F(CheckerTest, ScriptsThatLoadWarnOfWhatTheirAuthorProbablyDidNotMean) {
    const std::string name99(99, 'n');
    const std::string title214(214, 't');
    const LoadedCase cases[] = {
        // Clean scripts: every option keyword, sub-folders the entries create in turn, CR-only line ends
        {"clean script",
         Script("5", {"Editor.exe", "EXEC!", "Hilfe\\Liesmich.txt", "Liesmich", "Hilfe\\Bilder\\a.png", "NEIN!",
                      "Editor.ini", "NEINIFNOTEXIST!", "Deinst.exe", "DEINST!"}),
         5, ""},
        {"CR-only line ends", Head() + "1\rEditor.exe\rEditor\r\r", 1, ""},
        {"count 0 and no line end", Head() + "0", 0, ""},
        {"file name of 99 characters kept whole", Script("1", {name99, "NEIN!"}), 1, ""},
        {"title of 214 characters", Script("0", {}, "\r\n", title214), 0, ""},
        {"empty lines after the entries", Script("1", {"a.exe", "NEIN!"}, "\r\n\r\n  \r\n\x1A" "anything"), 1, ""},

        // The header part
        {"empty head lines", Lines({kHeader1, kHeader2, "", "", "", "", "0"}), 0,
         "4 empty-default-folder; 5 empty-group; "},
        {"only the Program Files prefix", Script("0", {}, "\r\n", "T", "c:\\programme\\"), 0, "4 empty-default-folder; "},
        {"prefix without its backslash", Script("0", {}, "\r\n", "T", "C:\\Programme"), 0, "4 default-folder-path; "},
        {"another drive", Script("0", {}, "\r\n", "T", "D:\\Tools"), 0, "4 default-folder-path; "},
        {"two-level default folder", Script("0", {}, "\r\n", "T", "c:\\programme\\Tools\\Editor"), 0,
         "4 folder-not-created; "},
        {"title of 215 characters", Script("0", {}, "\r\n", title214 + "t"), 0, "3 title-cut; "},
        {"title of 300 characters", Script("0", {}, "\r\n", std::string(300, 't')), 0, "3 title-cut; "},
        {"group with a backslash", Script("0", {}, "\r\n", "T", "C:\\PROGRAMME\\Q", "Werkzeuge\\Quillset"), 0,
         "5 group-backslash; "},
        {"group of 256 characters", Script("0", {}, "\r\n", "T", "C:\\PROGRAMME\\Q", std::string(256, 'g')), 0,
         "5 text-cut; "},
        {"count 65537 wraps to 1", Script("65537", {"a.exe", "NEIN!"}), 1, "7 count-wraps; "},
        {"count 65536 wraps to 0", Script("65536", {}), 0, "7 count-wraps; "},

        // Option texts that are keywords but for case or blanks
        {"keyword lookalikes",
         Script("5", {"a.exe", " EXEC!", "b.exe", "exec!", "c.exe", "NEIN !", "d.exe", "Deinst!", "e.exe",
                      "NEINIFNOTEXIST! "}),
         5, "9 keyword-lookalike; 11 keyword-lookalike; 13 keyword-lookalike; 15 keyword-lookalike; "
            "17 keyword-lookalike; "},

        // Shortcuts: the same file twice, names with folders or characters Windows refuses
        {"same shortcut in other case", Script("2", {"a.exe", "Editor", "b.exe", "EDITOR"}), 2, "11 duplicate-shortcut; "},
        {"two EXEC! entries", Script("2", {"a.exe", "EXEC!", "b.exe", "EXEC!"}), 2, "11 duplicate-shortcut; "},
        {"a shortcut named like the uninstaller's", Script("2", {"Deinst.exe", "DEINST!", "b.exe", "uninstall"}), 2,
         "11 duplicate-shortcut; "},
        {"option text with a backslash", Script("1", {"a.exe", "Extras\\Editor"}), 1, "9 option-backslash; "},
        {"option text with a question mark", Script("1", {"a.exe", "Editor?"}), 1, "9 name-character; "},
        {"empty option text", Script("1", {"a.exe", ""}), 1, "9 empty-option-text; "},

        // Entry lines cut at 99 characters, zero bytes and lone line feeds inside them
        {"file name of 100 characters", Script("1", {name99 + "x", "NEIN!"}), 1, "8 file-name-cut; "},
        {"option text of 100 characters", Script("1", {"a.exe", name99 + "x"}), 1, "9 option-text-cut; "},
        {"zero byte in a file name", Script("1", {std::string("a\0b.exe", 7), "NEIN!"}), 1, "8 control-character; "},
        {"lone LF in an option text", Script("1", {"a.exe", "Edi\ntor"}), 1, "9 control-character; "},
        {"empty file name", Script("1", {"", "NEIN!"}), 1, "8 empty-file-name; "},

        // Uninstallers and folders the installer does not create
        {"two uninstallers", Script("2", {"a.exe", "DEINST!", "b.exe", "DEINST!"}), 2, "11 second-uninstaller; "},
        {"uninstaller in a sub-folder", Script("1", {"Bin\\Deinst.exe", "DEINST!"}), 1, "8 uninstaller-in-subfolder; "},
        {"two levels at once", Script("1", {"Hilfe\\Bilder\\a.png", "NEIN!"}), 1, "8 folder-not-created; "},
        {"slash instead of backslash", Script("1", {"Hilfe/a.txt", "NEIN!"}), 1, "8 folder-not-created; "},
        {"level made by an earlier entry in other case",
         Script("2", {"HILFE\\a.txt", "NEIN!", "hilfe\\Bilder\\b.png", "NEIN!"}), 2, ""},

        // Lines the installer never reads
        {"entries beyond the count", Script("1", {"a.exe", "NEIN!", "b.exe", "NEIN!"}), 1, "10 extra-lines; "},
        {"entries after count 0", Script("0", {"a.exe", "NEIN!"}), 0, "8 extra-lines; "},
    };
    for (const LoadedCase& c : cases) {
        CheckReport report = CheckScript(c.bytes, CheckOptions{});
        ASSERT_TRUE(report.loaded) << c.name << ": " << report.broken.reason << " in " << Show(c.bytes);
        EXPECT_EQ(report.entryCount, c.entryCount) << c.name;
        EXPECT_EQ(Kinds(report.warnings), c.warnings) << c.name;
        for (const CheckWarning& warning : report.warnings) EXPECT_FALSE(warning.message.empty()) << c.name;
        ExpectSameAsInstaller(c.name, c.bytes, report);
    }
}

TEST_F(CheckerTest, WarningsSayWhatTheInstallerWillDoInstead) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* messageHas;
    } cases[] = {
        {"lookalike names its shortcut and what is lost", Script("1", {"a.exe", " EXEC!"}),
         "\" EXEC!.lnk\", and the file is not opened after the installation"},
        {"lookalike of DEINST!", Script("1", {"a.exe", "deinst!"}), "not registered for removal"},
        {"duplicate names the first line", Script("2", {"a.exe", "Editor", "b.exe", "editor"}), "first by line 9"},
        {"cut file name shows what is kept", Script("1", {std::string(120, 'f'), "NEIN!"}),
         "has 120 characters; the installer keeps only the first 99"},
        {"zero byte shows where the text ends", Script("1", {std::string("ab\0c", 4), "NEIN!"}),
         "zero byte (00) at character 3; the installer's text ends there, at \"ab\""},
        {"lone LF shown as a byte", Script("1", {"a.exe", "Edi\ntor"}), "line feed (0A) at character 4"},
        {"extra lines quote the first", Script("1", {"a.exe", "NEIN!", "b.exe"}),
         "after the 1 counted entry with \"b.exe\""},
        {"two-level default folder names the level that must exist", Script("0", {}, "\r\n", "T", "c:\\programme\\A\\B"),
         "so \"A\" must exist"},
        {"texts in Windows-1252 are shown in UTF-8", Script("1", {"\xDC" "bersicht.txt", "\xDC" "bersicht?"}),
         "\"\xC3\x9C" "bersicht?\""},
    };
    for (const Case& c : cases) {
        CheckReport report = CheckScript(c.bytes, CheckOptions{});
        ASSERT_TRUE(report.loaded) << c.name;
        ASSERT_FALSE(report.warnings.empty()) << c.name;
        bool found = false;
        for (const CheckWarning& warning : report.warnings) found = found || warning.message.find(c.messageHas) != std::string::npos;
        EXPECT_TRUE(found) << c.name << ": no message holds \"" << c.messageHas << "\"; got " << report.warnings[0].message;
    }
}

TEST_F(CheckerTest, ListedFilesAreLookedUpOnlyWhenAFolderIsKnown) {
    std::string bytes = Script("4", {"Editor.exe", "EXEC!", "Hilfe\\Liesmich.txt", "NEIN!", "Hilfe", "NEIN!",
                                     std::string(120, 'x'), "NEIN!"});
    std::vector<std::string> asked;
    CheckOptions options;
    options.lookUp = [&asked](const std::string& name) {
        asked.push_back(name);
        if (name == "Editor.exe") return ListedFile::kFile;
        if (name == "Hilfe") return ListedFile::kFolder;
        return ListedFile::kMissing;
    };
    CheckReport report = CheckScript(bytes, options);
    EXPECT_EQ(Kinds(report.warnings), "10 missing-file; 12 missing-file; 14 file-name-cut; 14 missing-file; ");
    // the cut name is what the installer would copy
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[3], std::string(99, 'x'));
    EXPECT_NE(report.warnings[1].message.find("is a folder"), std::string::npos) << report.warnings[1].message;

    EXPECT_EQ(Kinds(CheckScript(bytes, CheckOptions{}).warnings), "14 file-name-cut; ");
}

// A real folder on disk: names in other case and in UTF-8 spelling are found as Windows would.
class ShipFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "checker-ship-XXXXXX").string();
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    void Write(const std::string& relative) {
        std::ofstream(folder_ + "/" + relative, std::ios::binary) << "x";
    }
    void MakeFolder(const std::string& relative) { ASSERT_EQ(mkdir((folder_ + "/" + relative).c_str(), 0755), 0); }
    std::string folder_;
};

TEST_F(ShipFolderTest, ListedFilesAreFoundInAnyCaseAndInUtf8Spelling) {
    MakeFolder("hilfe");
    Write("hilfe/LIESMICH.TXT");
    Write("\xC3\x9C" "bersicht.txt");   // Übersicht.txt as Linux names it
    MakeFolder("Bilder");
    struct Case {
        const char* name;
        ListedFile expected;
    } cases[] = {
        {"Hilfe\\Liesmich.txt", ListedFile::kFile},
        {"HILFE/liesmich.txt", ListedFile::kFile},
        {"hilfe\\\\LIESMICH.TXT", ListedFile::kFile},
        {".\\hilfe\\liesmich.txt", ListedFile::kFile},
        {"\xDC" "bersicht.txt", ListedFile::kFile},        // Windows-1252 Ü
        {"\xFC" "bersicht.txt", ListedFile::kFile},        // ü: Windows folds it to Ü
        {"Bilder", ListedFile::kFolder},
        {"Hilfe\\Fehlt.txt", ListedFile::kMissing},
        {"Hilfe\\Liesmich.txt\\x", ListedFile::kMissing},
        {"Ubersicht.txt", ListedFile::kMissing},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<int>(LookUpInFolder(folder_, c.name)), static_cast<int>(c.expected)) << c.name;
}

TEST_F(ShipFolderTest, ScriptIsFoundInAnyCaseAndTwinsAreTold) {
    std::string path;
    std::vector<std::string> others;
    EXPECT_FALSE(FindScriptInFolder(folder_, &path, &others));
    MakeFolder("Install.log.d");
    Write("INSTALL.LOG");
    ASSERT_TRUE(FindScriptInFolder(folder_, &path, &others));
    EXPECT_EQ(path, folder_ + "/INSTALL.LOG");
    EXPECT_TRUE(others.empty());
    Write("Install.log");
    ASSERT_TRUE(FindScriptInFolder(folder_, &path, &others));
    EXPECT_EQ(path, folder_ + "/Install.log");
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0], folder_ + "/INSTALL.LOG");
}

// The JSON shape is a promise to build pipelines: these are compared whole.
TEST_F(CheckerTest, JsonHasItsDocumentedShape) {
    CheckRun broken{"ship/Install.log", "ship", CheckScript(kHeader1 + "\r\n" + "Nicht ver\xC3\xA4ndern\r\n", {})};
    EXPECT_EQ(FormatAsJson(broken),
              "{\"format\": 1, \"script\": \"ship/Install.log\", \"folder\": \"ship\", \"verdict\": \"broken\", "
              "\"exitCode\": 2, \"entryCount\": null, \"broken\": {\"line\": 2, \"kind\": \"utf-8\", \"column\": 10, "
              "\"found\": \"C3 A4\", \"expected\": \"E4\", \"reason\": \"at character 10 of line 2 the file has C3 A4, "
              "the UTF-8 form of \xC3\xA4, where the byte E4 (\xC3\xA4 in Windows-1252) was expected: the file is saved "
              "as UTF-8\", \"hint\": \"save the file in the Windows-1252 (ANSI) code page, not UTF-8\", \"text\": "
              "\"Nicht ver\xC3\x83\xC2\xA4ndern\"}, \"warnings\": [], \"error\": null}\n");

    CheckRun loaded{"a \"b\".log", "", CheckScript(Script("1", {"a.exe", "exec!"}), {})};
    EXPECT_EQ(FormatAsJson(loaded),
              "{\"format\": 1, \"script\": \"a \\\"b\\\".log\", \"folder\": null, \"verdict\": \"loaded\", "
              "\"exitCode\": 1, \"entryCount\": 1, \"broken\": null, \"warnings\": [{\"line\": 9, \"kind\": "
              "\"keyword-lookalike\", \"message\": \"the option text \\\"exec!\\\" is the keyword \\\"EXEC!\\\" but "
              "for case or blanks, and a keyword counts only when written exactly: the installer takes it as the name "
              "of a shortcut, \\\"exec!.lnk\\\", and the file is not opened after the installation\"}], "
              "\"error\": null}\n");

    EXPECT_EQ(FormatErrorAsJson("x.log", "no such file or folder: x.log"),
              "{\"format\": 1, \"script\": \"x.log\", \"folder\": null, \"verdict\": \"error\", \"exitCode\": 3, "
              "\"entryCount\": null, \"broken\": null, \"warnings\": [], \"error\": \"no such file or folder: x.log\"}\n");
}

TEST_F(CheckerTest, JsonStaysValidUtf8WithControlBytesEscaped) {
    // a broken line full of bytes that are no UTF-8 and control bytes
    CheckRun run{"p\xFF.log", "", CheckScript(std::string("\x01\x02\x80\x81\xFF\"\\", 7), {})};
    std::string json = FormatAsJson(run);
    EXPECT_NE(json.find("\"script\": \"p\xEF\xBF\xBD.log\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"text\": \"<01><02>\xE2\x82\xAC<81>\xC3\xBF\\\"\\\\\""), std::string::npos) << json;
    for (unsigned char c : json) EXPECT_TRUE(c >= 0x20 || c == '\n') << "raw control byte in " << json;
}

TEST_F(CheckerTest, OutputForPeopleShowsVerdictLineBytesAndFix) {
    CheckRun broken{"Install.log", "", CheckScript(Script("2 ", {"a", "NEIN!"}), {})};
    EXPECT_EQ(FormatForPeople(broken),
              "Install.log: broken at line 7 (trailing-blank)\n"
              "  the count line (line 7) ends with 1 trailing blank (20) after the number; nothing may follow the digits\n"
              "  bytes at character 2: 20\n"
              "  line 7 as read: \"2 \"\n"
              "  to fix: remove the blanks after the number\n"
              "The installer would refuse this script with its broken-script message.\n");
    CheckRun clean{"ship/Install.log", "ship", CheckScript(Script("1", {"a.exe", "NEIN!"}), {})};
    EXPECT_EQ(FormatForPeople(clean), "ship/Install.log: loaded, 1 entry, no warnings\n");
    CheckRun noFolder{"x.log", "", CheckScript(Script("2", {"a.exe", "Editor", "b.exe", "editor"}), {})};
    std::string text = FormatForPeople(noFolder);
    EXPECT_EQ(text.substr(0, text.find('\n')), "x.log: loaded, 2 entries, 1 warning");
    EXPECT_NE(text.find("\n  line 11: warning (duplicate-shortcut): "), std::string::npos) << text;
    EXPECT_NE(text.find("not looked for (use --folder)"), std::string::npos) << text;
}

TEST_F(CheckerTest, ExitCodesFollowTheVerdict) {
    EXPECT_EQ(ExitCodeOf(CheckScript(Script("1", {"a.exe", "NEIN!"}), {})), 0);
    EXPECT_EQ(ExitCodeOf(CheckScript(Script("1", {"a.exe", "nein!"}), {})), 1);
    EXPECT_EQ(ExitCodeOf(CheckScript(Script("1", {"a.exe", "NEIN!"}, ""), {})), 2);
}

// The committed test scripts, each with the verdict, line and kind listed in expected.txt; the
// fuzz run starts from them, and what it finds is added there.
TEST_F(CheckerTest, CommittedScriptsGiveTheirListedVerdicts) {
    std::string folder = std::string(CHECKER_TEST_DATA) + "/scripts/";
    std::ifstream list(folder + "expected.txt");
    ASSERT_TRUE(list.good()) << "no " << folder << "expected.txt";
    std::string row;
    int scripts = 0;
    while (std::getline(list, row)) {
        if (row.empty() || row[0] == '#') continue;
        std::istringstream fields(row);
        std::string file, verdict, kind;
        unsigned line = 0;
        fields >> file >> verdict >> line >> kind;
        std::ifstream script(folder + file, std::ios::binary);
        ASSERT_TRUE(script.good()) << file;
        std::string bytes((std::istreambuf_iterator<char>(script)), std::istreambuf_iterator<char>());
        CheckReport report = CheckScript(bytes, CheckOptions{});
        EXPECT_EQ(report.loaded ? "loaded" : "broken", verdict) << file << ": " << report.broken.reason;
        if (report.loaded) {
            std::string first = report.warnings.empty() ? "0 -" : std::to_string(report.warnings[0].line) + " " +
                                                                    report.warnings[0].kind;
            EXPECT_EQ(first, std::to_string(line) + " " + kind) << file << ": " << Kinds(report.warnings);
        } else {
            EXPECT_EQ(std::to_string(report.broken.line) + " " + report.broken.kind, std::to_string(line) + " " + kind)
                << file << ": " << report.broken.reason;
        }
        ExpectSameAsInstaller(file, bytes, report);
        ++scripts;
    }
    EXPECT_GT(scripts, 0);
}

}  // namespace
