// The install script's rules over a byte source in memory: line splitting, the count syntax,
// the prefix strip, and the verdict with the line that broke the script. The same bytes must
// give the same verdict however the source hands them out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake.h"
#include "script_lines.h"
#include "script_rules.h"
#include "state.h"

namespace {

const std::string kHeader1 = "VELMORA Quillset 2.0 - Install.log";
const std::string kHeader2 = "Nicht ver\xE4ndern, nicht l\xF6schen!";
const std::string kHead = kHeader1 + "\r\n" + kHeader2 + "\r\n";
const std::string kBody = kHead + "Title\r\nC:\\PROGRAMME\\Tools\r\nGroup\r\nReserved\r\n";

// Hands out the bytes at most `chunk` at a time; the call numbered failAt fails.
struct MemorySource {
    std::string bytes;
    unsigned chunk;
    int failAt;
    size_t at = 0;
    int calls = 0;
};

int ReadMemory(void* source, unsigned char* buffer, unsigned size) {
    MemorySource* memory = static_cast<MemorySource*>(source);
    if (++memory->calls == memory->failAt) return -1;
    size_t count = std::min<size_t>({size, memory->chunk, memory->bytes.size() - memory->at});
    std::memcpy(buffer, memory->bytes.data() + memory->at, count);
    memory->at += count;
    return static_cast<int>(count);
}

struct Part {
    ScriptPart part;
    unsigned entry;
    std::string text;
    bool operator==(const Part& other) const {
        return part == other.part && entry == other.entry && text == other.text;
    }
};

std::ostream& operator<<(std::ostream& out, const Part& part) {
    return out << "{part " << part.part << ", entry " << part.entry << ", \"" << part.text << "\"}";
}

struct Judgement {
    ScriptVerdict verdict;
    std::vector<Part> parts;
    unsigned entryCount;
    int reads;
};

Judgement Judge(const std::string& bytes, unsigned chunk = 100000, int failAt = 0) {
    static char line[kLineSize];
    MemorySource source{bytes, chunk, failAt};
    ScriptReading reading;
    StartScriptReading(&reading, ReadMemory, &source, line, sizeof line);
    Judgement judgement{};
    while (NextScriptPart(&reading))
        judgement.parts.push_back(
            Part{reading.part, reading.entryNumber, std::string(reading.text, reading.textLength)});
    judgement.verdict = reading.verdict;
    judgement.entryCount = reading.entryCount;
    judgement.reads = source.calls;
    return judgement;
}

class ScriptRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        installer = InstallerState{};
    }
};

// ---- line splitting

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::pair<std::string, LineEnd>> lines;  // the lines in order, then one past the end
};

std::string Show(const std::string& bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, (c < 32 || c > 126) ? "<%02X>" : "%c", c);
        shown += hex;
    }
    return shown;
}

TEST_F(ScriptRulesTest, LinesEndAtCarriageReturnsAndTheFileAtCtrlZ) {
    const LineCase cases[] = {
        {"CR, CR LF and a lone LF", "a\rb\r\nc\nd\re",
         {{"a", kEndCarriageReturn}, {"b", kEndCrLf}, {"c\nd", kEndCarriageReturn}, {"e", kEndOfBytes},
          {"", kEndPastEnd}}},
        {"LF before CR belongs to the line", "\n\r\n", {{"\n", kEndCrLf}, {"", kEndPastEnd}}},
        {"CR CR LF is an empty line between", "a\r\r\nb\r\n",
         {{"a", kEndCarriageReturn}, {"", kEndCrLf}, {"b", kEndCrLf}, {"", kEndPastEnd}}},
        {"Ctrl-Z ends the file mid-line", "ab\x1A" "cd\r\nef\r\n", {{"ab", kEndCtrlZ}, {"", kEndPastEnd}}},
        {"Ctrl-Z after a line end", "ab\r\n\x1A\r\n", {{"ab", kEndCrLf}, {"", kEndCtrlZ}, {"", kEndPastEnd}}},
        {"CR then Ctrl-Z", "ab\r\x1A", {{"ab", kEndCarriageReturn}, {"", kEndCtrlZ}, {"", kEndPastEnd}}},
        {"empty file", "", {{"", kEndPastEnd}, {"", kEndPastEnd}}},
        {"zero bytes are characters", std::string("a\0b\r", 4), {{std::string("a\0b", 3), kEndCarriageReturn}}},
        {"a byte of every other value is kept", "\x01\x7F\x80\xFF\x0A\x09 \r",
         {{"\x01\x7F\x80\xFF\x0A\x09 ", kEndCarriageReturn}, {"", kEndPastEnd}}},
    };
    for (const LineCase& test : cases) {
        for (unsigned chunk : {1u, 2u, 3u, 512u}) {
            char line[64];
            MemorySource source{test.bytes, chunk, 0};
            ScriptLines lines;
            StartScriptLines(&lines, ReadMemory, &source, line, sizeof line);
            for (size_t i = 0; i < test.lines.size(); ++i) {
                ASSERT_TRUE(ReadScriptLine(&lines)) << test.name << ", line " << i + 1;
                EXPECT_EQ(Show(std::string(line, lines.keptLength)), Show(test.lines[i].first))
                    << test.name << ", chunk " << chunk << ", line " << i + 1;
                EXPECT_EQ(lines.end, test.lines[i].second) << test.name << ", chunk " << chunk << ", line " << i + 1;
                EXPECT_EQ(lines.number, i + 1) << test.name;
            }
        }
    }
}

TEST_F(ScriptRulesTest, LongLineIsReadWholeAndItsStartKept) {
    std::string longLine(5000, 'x');
    longLine[0] = 'a';
    char line[8];
    std::fill(std::begin(line), std::end(line), '#');
    MemorySource source{longLine + "\r\nnext\r\n", 1000, 0};
    ScriptLines lines;
    StartScriptLines(&lines, ReadMemory, &source, line, sizeof line);
    ASSERT_TRUE(ReadScriptLine(&lines));
    EXPECT_EQ(std::string(line), "axxxxxx");  // seven characters and the zero
    EXPECT_EQ(lines.fullLength, 5000u);
    EXPECT_TRUE(IsLineOverlong(&lines));
    ASSERT_TRUE(ReadScriptLine(&lines));
    EXPECT_EQ(std::string(line), "next");
    EXPECT_FALSE(IsLineOverlong(&lines));
}

// The end-of-file test looks without taking: a line read after it still gets its first byte.
TEST_F(ScriptRulesTest, EndTestLooksAheadWithoutTakingTheCharacter) {
    struct EndCase {
        const char* name;
        std::string bytes;
        bool more;
    } cases[] = {
        {"nothing after the line end", "a\r\n", false},
        {"Ctrl-Z after the line end", "a\r\n\x1A", false},
        {"an empty line after it", "a\r\n\r\n", true},
        {"a lone LF after it", "a\r\n\n", true},
        {"a blank after it", "a\r\n ", true},
        {"no line end at all", "a", false},
    };
    for (const EndCase& test : cases) {
        for (unsigned chunk : {1u, 2u, 512u}) {
            char line[16];
            MemorySource source{test.bytes, chunk, 0};
            ScriptLines lines;
            StartScriptLines(&lines, ReadMemory, &source, line, sizeof line);
            ASSERT_TRUE(ReadScriptLine(&lines));
            EXPECT_EQ(HasMoreScript(&lines), test.more) << test.name << ", chunk " << chunk;
            EXPECT_EQ(HasMoreScript(&lines), test.more) << test.name << ", asked twice";
            if (test.more) {
                ASSERT_TRUE(ReadScriptLine(&lines));
                std::string next = test.bytes.substr(3);
                if (next == "\r\n") next = "";
                EXPECT_EQ(Show(line), Show(next)) << test.name << ": the looked-at character was taken";
            }
        }
    }
}

TEST_F(ScriptRulesTest, ReadErrorFailsThatLineAndEveryLaterOneWithoutReadingAgain) {
    char line[16];
    MemorySource source{"ab\r\ncd\r\nef\r\n", 1, 5};  // the fifth read is the "c"
    ScriptLines lines;
    StartScriptLines(&lines, ReadMemory, &source, line, sizeof line);
    EXPECT_TRUE(ReadScriptLine(&lines));
    EXPECT_FALSE(ReadScriptLine(&lines));
    EXPECT_TRUE(lines.readFailed);
    EXPECT_FALSE(ReadScriptLine(&lines));
    EXPECT_FALSE(HasMoreScript(&lines));
    EXPECT_EQ(source.calls, 5);
}

// ---- the count syntax

TEST_F(ScriptRulesTest, CountLineFollowsTheNumberSyntax) {
    struct CountCase {
        std::string line;
        bool valid;
        uint32_t value;
    } cases[] = {
        // the forms and their values
        {"12", true, 12}, {"  12", true, 12}, {"+12", true, 12}, {"012", true, 12}, {"$0C", true, 12},
        {"x0c", true, 12}, {"X0C", true, 12}, {"0x0C", true, 12}, {"0X0c", true, 12}, {"0", true, 0},
        {"-0", true, 0}, {"00", true, 0}, {"-1", true, 0xFFFFFFFFu}, {"-65535", true, 0xFFFF0001u},
        {"$abcdef", true, 0xABCDEF}, {"$0000000001", true, 1},
        // the bounds of both forms
        {"2147483647", true, 2147483647u}, {"-2147483648", true, 0x80000000u}, {"2147483648", false, 0},
        {"-2147483649", false, 0}, {"99999999999999999999", false, 0}, {"00000000000000000000012", true, 12},
        {"$FFFFFFFF", true, 0xFFFFFFFFu}, {"0xFFFFFFFF", true, 0xFFFFFFFFu}, {"$100000000", false, 0},
        // nothing may stand where it does not belong
        {"12 ", false, 0}, {"1 2", false, 0}, {"\t12", false, 0}, {"12\t", false, 0}, {"", false, 0},
        {"   ", false, 0}, {"+", false, 0}, {"-", false, 0}, {"- 1", false, 0}, {"-0x0C", false, 0},
        {"+$0C", false, 0}, {"0x", false, 0}, {"$", false, 0}, {"x", false, 0}, {"$ 1", false, 0},
        {"x-1", false, 0}, {"0x0x1", false, 0}, {"abc", false, 0}, {"1e2", false, 0}, {"12h", false, 0},
        {"0b1", false, 0}, {std::string("12\0", 3), false, 0}, {"\xEF\xBB\xBF" "12", false, 0},
    };
    for (const CountCase& test : cases) {
        uint32_t value = 0xDEADBEEF;
        bool valid = ParseCountLine(test.line.data(), static_cast<unsigned>(test.line.size()), &value);
        EXPECT_EQ(valid, test.valid) << "count line \"" << Show(test.line) << "\"";
        if (test.valid) EXPECT_EQ(value, test.value) << "count line \"" << Show(test.line) << "\"";
    }
}

// ---- the prefix of line 4

TEST_F(ScriptRulesTest, ProgramFilesPrefixIsFoundInAnyCaseOfAToZOnly) {
    struct PrefixCase {
        std::string line;
        unsigned stripped;
    } cases[] = {
        {"C:\\PROGRAMME\\Tools", 13}, {"c:\\programme\\Tools\\Editor", 13}, {"C:\\ProGramMe\\x", 13},
        {"C:\\PROGRAMME\\", 13},      {"C:\\PROGRAMME", 0},                {"C:\\Programme", 0},
        {"D:\\Tools\\Editor", 0},     {"C:/PROGRAMME/Tools", 0},           {" C:\\PROGRAMME\\x", 0},
        {"C:\\PROGRAMMEx\\y", 0},     {"C:\\PROGRAMM\xC9\\x", 0},          {"", 0},
    };
    for (const PrefixCase& test : cases)
        EXPECT_EQ(ProgramFilesPrefixLength(test.line.data(), static_cast<unsigned>(test.line.size())), test.stripped)
            << "line 4 \"" << test.line << "\"";
}

// ---- verdicts

struct VerdictCase {
    const char* name;
    std::string bytes;
    bool loaded;
    unsigned line;
    ScriptFault fault;
};

const std::string kTwoEntries = kBody + "2\r\nA.exe\r\nEXEC!\r\nB.txt\r\nNEIN!\r\n";

const VerdictCase kVerdictCases[] = {
    // header bytes
    {"good script", kTwoEntries + "\r\n", true, 0, kFaultNone},
    {"empty file", "", false, 1, kFaultHeaderLine1},
    {"one line only", kHeader1 + "\r\n", false, 2, kFaultHeaderLine2},
    {"byte-order mark", "\xEF\xBB\xBF" + kTwoEntries + "\r\n", false, 1, kFaultHeaderLine1},
    {"trailing blank in line 1", kHeader1 + " \r\n" + kHeader2 + "\r\n", false, 1, kFaultHeaderLine1},
    {"line 1 in other case", "velmora Quillset 2.0 - Install.log\r\n", false, 1, kFaultHeaderLine1},
    {"zero byte after line 1", kHeader1 + std::string("\0\r\n", 3), false, 1, kFaultHeaderLine1},
    {"line 2 in UTF-8", kHeader1 + "\r\nNicht ver\xC3\xA4ndern, nicht l\xC3\xB6schen!\r\n", false, 2,
     kFaultHeaderLine2},
    {"line 2 without its mark", kHeader1 + "\r\nNicht ver\xE4ndern, nicht l\xF6schen\r\n", false, 2,
     kFaultHeaderLine2},
    {"header longer than the line buffer", kHeader1 + std::string(5000, ' ') + "\r\n", false, 1,
     kFaultHeaderLine1},
    // line ends
    {"LF-only line ends", kHeader1 + "\n" + kHeader2 + "\n", false, 1, kFaultHeaderLine1},
    {"CR-only line ends", kBody + "1\rA\rB\r\r", true, 0, kFaultNone},
    {"CR and CR LF mixed", kHead + "T\rF\r\nG\rR\r\n1\rA\r\nB\r\r\n", true, 0, kFaultNone},
    {"lone LF after the last entry", kBody + "1\r\nA\r\nB\r\n\n", true, 0, kFaultNone},
    // the end of the file after entry lines
    {"no line after the last entry", kTwoEntries, false, 11, kFaultEndAfterLine},
    {"end right after a file name", kBody + "1\r\nA.exe\r\n", false, 8, kFaultEndAfterLine},
    {"end inside a file name", kBody + "1\r\nA.e", false, 8, kFaultEndAfterLine},
    {"end right after the first option", kBody + "2\r\nA\r\nB\r\n", false, 9, kFaultEndAfterLine},
    {"end right after the second name", kBody + "2\r\nA\r\nB\r\nC\r\n", false, 10, kFaultEndAfterLine},
    {"Ctrl-Z after the last entry", kTwoEntries + "\x1A\r\n", false, 11, kFaultEndAfterLine},
    {"Ctrl-Z after an empty line", kTwoEntries + "\r\n\x1A", true, 0, kFaultNone},
    {"CR then Ctrl-Z after the last entry", kBody + "1\r\nA\r\nB\r\x1A", false, 9, kFaultEndAfterLine},
    {"Ctrl-Z right after the count", kBody + "1\r\n\x1A", false, 8, kFaultEndAfterLine},
    {"Ctrl-Z inside line 3", kHead + "Ti\x1Atle\r\nD\r\nG\r\nR\r\n0\r\n", false, 7, kFaultCountSyntax},
    {"count 0 without a line end", kHead + "\r\n\r\n\r\n\r\n0", true, 0, kFaultNone},
    {"count 0 then Ctrl-Z", kBody + "0\r\n\x1A", true, 0, kFaultNone},
    {"more entries than counted", kBody + "1\r\nA\r\nB\r\nC\r\nD", true, 0, kFaultNone},
    // the count line
    {"script ends before line 7", kHead + "T\r\nD\r\n", false, 7, kFaultCountSyntax},
    {"count with a trailing blank", kBody + "1 \r\nA\r\nB\r\n\r\n", false, 7, kFaultCountSyntax},
    {"count 200", kBody + "200\r\n", false, 8, kFaultEndAfterLine},
    {"count 201", kBody + "201\r\n", false, 7, kFaultCountAboveLimit},
    {"count -1", kBody + "-1\r\n", false, 7, kFaultCountAboveLimit},
    {"count $FFFF", kBody + "$FFFF\r\n", false, 7, kFaultCountAboveLimit},
    {"count 65536 is 0", kBody + "65536\r\n", true, 0, kFaultNone},
    {"count $10000 is 0", kBody + "$10000", true, 0, kFaultNone},
    {"count 65537 is 1", kBody + "65537\r\nA\r\nB\r\n\r\n", true, 0, kFaultNone},
    {"count line past the line buffer", kBody + std::string(5000, ' ') + "1\r\nA\r\nB\r\n\r\n", false, 7,
     kFaultCountOverlong},
    // only the first fault is told
    {"two faults", kBody + "3\r\nA\r\nB\r\n", false, 9, kFaultEndAfterLine},
};

TEST_F(ScriptRulesTest, VerdictNamesTheFirstLineThatBrokeTheScript) {
    for (const VerdictCase& test : kVerdictCases) {
        Judgement judgement = Judge(test.bytes);
        EXPECT_EQ(judgement.verdict.loaded, test.loaded) << test.name;
        EXPECT_EQ(judgement.verdict.line, test.line) << test.name;
        EXPECT_EQ(judgement.verdict.fault, test.fault) << test.name;
    }
}

TEST_F(ScriptRulesTest, VerdictAndPartsDoNotDependOnHowTheBytesArrive) {
    for (const VerdictCase& test : kVerdictCases) {
        Judgement whole = Judge(test.bytes);
        for (unsigned chunk : {1u, 2u, 3u, 7u, 511u, 512u, 513u}) {
            Judgement pieces = Judge(test.bytes, chunk);
            EXPECT_EQ(pieces.verdict.loaded, whole.verdict.loaded) << test.name << ", chunk " << chunk;
            EXPECT_EQ(pieces.verdict.line, whole.verdict.line) << test.name << ", chunk " << chunk;
            EXPECT_EQ(pieces.parts, whole.parts) << test.name << ", chunk " << chunk;
        }
    }
}

TEST_F(ScriptRulesTest, PartsComeInScriptOrderWithTheirEntryNumbers) {
    Judgement judgement = Judge(kTwoEntries + "\r\n");
    std::vector<Part> expected = {
        {kPartProductTitle, 0, "Title"},  {kPartDefaultFolder, 0, "Tools"}, {kPartGroupName, 0, "Group"},
        {kPartReservedLine, 0, "Reserved"}, {kPartEntryCount, 0, "2"},      {kPartFileName, 1, "A.exe"},
        {kPartOptionText, 1, "EXEC!"},    {kPartFileName, 2, "B.txt"},     {kPartOptionText, 2, "NEIN!"},
    };
    EXPECT_EQ(judgement.parts, expected);
    EXPECT_EQ(judgement.entryCount, 2u);
}

// A failed entry line is not handed out; the entries after it still are looked at.
TEST_F(ScriptRulesTest, FailedEntryLineIsNotHandedOut) {
    Judgement judgement = Judge(kBody + "2\r\nA\r\nB\r\nC\r\n");
    ASSERT_FALSE(judgement.parts.empty());
    std::vector<Part> entries(judgement.parts.begin() + 5, judgement.parts.end());
    std::vector<Part> expected = {{kPartFileName, 1, "A"}, {kPartOptionText, 1, "B"}};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(judgement.verdict.line, 10u);
}

TEST_F(ScriptRulesTest, EntryLinesAreCutTo99Characters) {
    std::string name120(120, 'n'), option99(99, 'o'), option100(100, 'p');
    name120[98] = 'L';  // the last character kept
    Judgement judgement =
        Judge(kBody + "2\r\n" + name120 + "\r\n" + option99 + "\r\n" + std::string(6000, 'q') + "\r\n" + option100 +
              "\r\n\r\n");
    ASSERT_TRUE(judgement.verdict.loaded);
    ASSERT_EQ(judgement.parts.size(), 9u);
    EXPECT_EQ(judgement.parts[5].text, name120.substr(0, 99));
    EXPECT_EQ(judgement.parts[6].text, option99);
    EXPECT_EQ(judgement.parts[7].text, std::string(99, 'q'));
    EXPECT_EQ(judgement.parts[8].text, option100.substr(0, 99));
}

// Line 4 is handed out only when lines 1 to 4 were read; the title is handed out before it.
TEST_F(ScriptRulesTest, ReadErrorStopsTheReadingAtItsLine) {
    // one byte a read: the first byte of line 4 is read by call number len(head) + len("T\r\n") + 1
    std::string bytes = kHead + "T\r\nD\r\nG\r\nR\r\n0\r\n";
    int lineFourStart = static_cast<int>(kHead.size() + 3) + 1;
    Judgement judgement = Judge(bytes, 1, lineFourStart);
    EXPECT_FALSE(judgement.verdict.loaded);
    EXPECT_EQ(judgement.verdict.line, 4u);
    EXPECT_EQ(judgement.verdict.fault, kFaultReadError);
    std::vector<Part> expected = {{kPartProductTitle, 0, "T"}};
    EXPECT_EQ(judgement.parts, expected);
    EXPECT_EQ(judgement.reads, lineFourStart);

    Judgement first = Judge(bytes, 512, 1);
    EXPECT_EQ(first.verdict.line, 1u);
    EXPECT_EQ(first.verdict.fault, kFaultReadError);
}

// A read error while looking past an entry line is a read error of that line.
TEST_F(ScriptRulesTest, ReadErrorInTheEndTestIsTheLinesReadError) {
    std::string bytes = kBody + "1\r\nA\r\nB\r\n\r\n";
    int lookAfterName = static_cast<int>(kBody.size() + 3 + 3) + 1;
    Judgement judgement = Judge(bytes, 1, lookAfterName);
    EXPECT_EQ(judgement.verdict.line, 8u);
    EXPECT_EQ(judgement.verdict.fault, kFaultReadError);
}

}  // namespace
