#include "script_rules.h"

#include "texts.h"

enum ReadingStep {
    kStepHeaderLine1,
    kStepHeaderLine2,
    kStepProductTitle,
    kStepDefaultFolder,
    kStepGroupName,
    kStepReservedLine,
    kStepCountLine,
    kStepFileName,
    kStepOptionText,
    kStepOver,
};

static unsigned LengthOf(const char* text) {
    unsigned length = 0;
    while (text[length]) ++length;
    return length;
}

bool IsHeaderLine(const char* text, unsigned length, const char* header) {
    if (length != LengthOf(header)) return false;
    for (unsigned i = 0; i < length; ++i)
        if (text[i] != header[i]) return false;
    return true;
}

static int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Leading blanks, then either a signed decimal number of 32 bits or a hexadecimal prefix
// ($, x, X, 0x, 0X) with an unsigned number of 32 bits; nothing may follow the digits.
bool ParseCountLine(const char* text, unsigned length, uint32_t* value) {
    unsigned at = 0;
    while (at < length && text[at] == ' ') ++at;
    if (at == length) return false;
    unsigned digitsAt = at;
    if (text[at] == '$' || text[at] == 'x' || text[at] == 'X') digitsAt = at + 1;
    else if (text[at] == '0' && at + 1 < length && (text[at + 1] == 'x' || text[at + 1] == 'X')) digitsAt = at + 2;
    uint64_t number = 0;
    if (digitsAt != at) {
        if (digitsAt == length) return false;
        for (unsigned i = digitsAt; i < length; ++i) {
            int digit = HexDigitValue(text[i]);
            if (digit < 0) return false;
            number = number * 16 + static_cast<unsigned>(digit);
            if (number > 0xFFFFFFFFu) return false;
        }
        *value = static_cast<uint32_t>(number);
        return true;
    }
    bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') ++at;
    if (at == length) return false;
    for (unsigned i = at; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + static_cast<unsigned>(text[i] - '0');
        if (number > (negative ? 2147483648u : 2147483647u)) return false;
    }
    *value = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(number)) : static_cast<uint32_t>(number);
    return true;
}

unsigned ProgramFilesPrefixLength(const char* text, unsigned length) {
    const char* prefix = TEXT_PROGRAM_FILES_PREFIX;
    if (length < kProgramFilesPrefixLength) return 0;
    for (unsigned i = 0; i < kProgramFilesPrefixLength; ++i) {
        char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != prefix[i]) return 0;
    }
    return kProgramFilesPrefixLength;
}

unsigned CutEntryText(unsigned length) { return length < kEntryTextLongest ? length : kEntryTextLongest; }

void StartScriptReading(ScriptReading* reading, ReadScriptBytes read, void* source, char* line, unsigned lineSize) {
    StartScriptLines(&reading->lines, read, source, line, lineSize);
    reading->verdict.loaded = true;
    reading->verdict.line = 0;
    reading->verdict.fault = kFaultNone;
    reading->part = kPartProductTitle;
    reading->text = line;
    reading->textLength = 0;
    reading->entryNumber = 0;
    reading->entryCount = 0;
    reading->countValue = 0;
    reading->step = kStepHeaderLine1;
}

// Only the first fault is told; an entry that fails later keeps the verdict as it is.
static void NoteFault(ScriptReading* reading, ScriptFault fault) {
    if (reading->verdict.fault != kFaultNone) return;
    reading->verdict.loaded = false;
    reading->verdict.line = reading->lines.number;
    reading->verdict.fault = fault;
}

static bool EndReading(ScriptReading* reading, ScriptFault fault) {
    NoteFault(reading, fault);
    reading->step = kStepOver;
    return false;
}

static bool HandOut(ScriptReading* reading, ScriptPart part, unsigned skipped, unsigned length, int nextStep) {
    reading->part = part;
    reading->text = reading->lines.line + skipped;
    reading->textLength = length;
    reading->step = nextStep;
    return true;
}

static bool ReadHeaderLine(ScriptReading* reading, const char* header, ScriptFault fault, int nextStep) {
    ScriptLines* lines = &reading->lines;
    if (!ReadScriptLine(lines)) return EndReading(reading, kFaultReadError);
    if (IsLineOverlong(lines) || !IsHeaderLine(lines->line, lines->keptLength, header))
        return EndReading(reading, fault);
    reading->step = nextStep;
    return true;
}

static bool ReadTextLine(ScriptReading* reading, ScriptPart part, int nextStep) {
    ScriptLines* lines = &reading->lines;
    if (!ReadScriptLine(lines)) return EndReading(reading, kFaultReadError);
    unsigned skipped = part == kPartDefaultFolder ? ProgramFilesPrefixLength(lines->line, lines->keptLength) : 0;
    return HandOut(reading, part, skipped, lines->keptLength - skipped, nextStep);
}

static bool ReadCountLine(ScriptReading* reading) {
    ScriptLines* lines = &reading->lines;
    if (!ReadScriptLine(lines)) return EndReading(reading, kFaultReadError);
    // a valid count of that length could only be thousands of leading blanks or zeros
    if (IsLineOverlong(lines)) return EndReading(reading, kFaultCountOverlong);
    if (!ParseCountLine(lines->line, lines->keptLength, &reading->countValue))
        return EndReading(reading, kFaultCountSyntax);
    unsigned count = reading->countValue & 0xFFFFu;
    if (count > kScriptEntryLimit) return EndReading(reading, kFaultCountAboveLimit);
    reading->entryCount = count;
    return HandOut(reading, kPartEntryCount, 0, lines->keptLength, count > 0 ? kStepFileName : kStepOver);
}

// An entry line counts only when the file goes on after it. A failed line is not handed out,
// and the entries after it are still read.
static bool ReadEntryLine(ScriptReading* reading, ScriptPart part) {
    ScriptLines* lines = &reading->lines;
    int nextStep = kStepOptionText;
    if (part == kPartFileName) ++reading->entryNumber;
    else nextStep = reading->entryNumber < reading->entryCount ? kStepFileName : kStepOver;
    if (!ReadScriptLine(lines) || !HasMoreScript(lines)) {
        NoteFault(reading, lines->readFailed ? kFaultReadError : kFaultEndAfterLine);
        reading->step = nextStep;
        return false;
    }
    return HandOut(reading, part, 0, CutEntryText(lines->keptLength), nextStep);
}

bool NextScriptPart(ScriptReading* reading) {
    for (;;) {
        switch (reading->step) {
            case kStepHeaderLine1:
                if (!ReadHeaderLine(reading, TEXT_SCRIPT_HEADER_1, kFaultHeaderLine1, kStepHeaderLine2)) return false;
                break;
            case kStepHeaderLine2:
                if (!ReadHeaderLine(reading, TEXT_SCRIPT_HEADER_2, kFaultHeaderLine2, kStepProductTitle)) return false;
                break;
            case kStepProductTitle: return ReadTextLine(reading, kPartProductTitle, kStepDefaultFolder);
            case kStepDefaultFolder: return ReadTextLine(reading, kPartDefaultFolder, kStepGroupName);
            case kStepGroupName: return ReadTextLine(reading, kPartGroupName, kStepReservedLine);
            case kStepReservedLine: return ReadTextLine(reading, kPartReservedLine, kStepCountLine);
            case kStepCountLine: return ReadCountLine(reading);
            case kStepFileName:
                if (ReadEntryLine(reading, kPartFileName)) return true;
                break;
            case kStepOptionText:
                if (ReadEntryLine(reading, kPartOptionText)) return true;
                break;
            default: return false;
        }
    }
}
