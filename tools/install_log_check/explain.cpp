#include "explain.h"

#include "script_source.h"
#include "script_text.h"
#include "texts.h"

namespace {

const size_t kShownBytes = 16;   // offending bytes shown at most

std::string Number(size_t value) { return std::to_string(value); }

std::string Plural(size_t count, const std::string& one, const std::string& many) {
    return Number(count) + " " + (count == 1 ? one : many);
}

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

bool AllBlanks(const std::string& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i)
        if (!IsBlankOrTab(text[i])) return false;
    return true;
}

BrokenLine StartBroken(const NumberedLine& line, const std::string& kind) {
    BrokenLine broken;
    broken.line = line.number;
    broken.kind = kind;
    broken.lineText = line.kept;
    return broken;
}

void SetSpot(BrokenLine& broken, size_t at, const std::string& found, const std::string& expected = "") {
    broken.column = static_cast<unsigned>(at + 1);
    broken.found = found.substr(0, kShownBytes);
    broken.expected = expected;
}

// --- Header lines

// The DOS code pages 437 and 850 give the German letters these bytes.
unsigned char DosByteOf(unsigned char windowsByte) {
    switch (windowsByte) {
        case 0xE4: return 0x84;  // ä
        case 0xF6: return 0x94;  // ö
        case 0xFC: return 0x81;  // ü
        case 0xC4: return 0x8E;  // Ä
        case 0xD6: return 0x99;  // Ö
        case 0xDC: return 0x9A;  // Ü
        case 0xDF: return 0xE1;  // ß
        default: return 0;
    }
}

const char* kSaveAsWindows1252 = "save the file in the Windows-1252 (ANSI) code page";

BrokenLine ExplainByteOrderMark(const NumberedLine& line) {
    const std::string& got = line.kept;
    if (got.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        BrokenLine broken = StartBroken(line, "byte-order-mark");
        SetSpot(broken, 0, got.substr(0, 3));
        broken.reason = "the file begins with a byte-order mark (EF BB BF, the mark of UTF-8 text); the installer "
                        "takes it as three characters of the first header line";
        broken.hint = std::string(kSaveAsWindows1252) + ", without a byte-order mark";
        return broken;
    }
    BrokenLine broken = StartBroken(line, "utf-16");
    SetSpot(broken, 0, got.substr(0, 2));
    broken.reason = "the file begins with " + HexBytes(got.substr(0, 2)) +
                    ", the mark of UTF-16 text; the installer reads single bytes in Windows-1252";
    broken.hint = kSaveAsWindows1252;
    return broken;
}

bool BeginsWithByteOrderMark(const std::string& got) {
    return got.compare(0, 3, "\xEF\xBB\xBF") == 0 || got.compare(0, 2, "\xFF\xFE") == 0 ||
           got.compare(0, 2, "\xFE\xFF") == 0;
}

std::string HeaderName(unsigned number) {
    return number == 1 ? "the first header line" : "the second header line";
}

std::string MustRead(const NumberedLine& line, const std::string& header) {
    return "line " + Number(line.number) + " must read " + QuoteScriptText(header) + " exactly";
}

// The file was over before the line, or a Ctrl-Z ended it.
BrokenLine ExplainMissingHeader(const NumberedLine& line, const std::string& bytes) {
    BrokenLine broken = StartBroken(line, "file-ends");
    bool afterCtrlZ = line.start > 0 && line.start <= bytes.size() &&
                      static_cast<unsigned char>(bytes[line.start - 1]) == kCtrlZ;
    if (line.end == kEndCtrlZ) {
        broken.kind = "ctrl-z";
        SetSpot(broken, 0, "\x1A");
        broken.reason = "line " + Number(line.number) + " begins with a Ctrl-Z (1A), which ends the file before " +
                        HeaderName(line.number);
        broken.hint = "remove the Ctrl-Z";
    } else if (line.number == 1) {
        broken.reason = "the file is empty";
        broken.hint = "a script begins with the two header lines";
    } else {
        broken.reason = "the file ends after line " + Number(line.number - 1) +
                        (afterCtrlZ ? ", where a Ctrl-Z (1A) ends it" : "") + "; " + HeaderName(line.number) +
                        " is missing";
        broken.hint = afterCtrlZ ? "remove the Ctrl-Z" : "a script begins with the two header lines";
    }
    return broken;
}

BrokenLine ExplainLineFeed(const NumberedLine& line, size_t at) {
    BrokenLine broken = StartBroken(line, "lf-line-ends");
    SetSpot(broken, at, "\n", "\r\n");
    broken.reason = "line " + Number(line.number) + " holds a line feed (0A) with no carriage return (0D) before it, at "
                    "character " + Number(at + 1) + ": the file has LF-only (Unix) line ends, and the installer "
                    "ends a line only at a carriage return, so it reads on across them";
    broken.hint = "save the file with CR LF (Windows) line ends";
    return broken;
}

BrokenLine ExplainDifferentChar(const NumberedLine& line, const std::string& header, size_t at) {
    const std::string& got = line.kept;
    unsigned char want = static_cast<unsigned char>(header[at]);
    unsigned char have = static_cast<unsigned char>(got[at]);
    std::string wanted = std::string(1, static_cast<char>(want));
    std::string where = "at character " + Number(at + 1) + " of line " + Number(line.number) + " ";
    std::string utf8 = Utf8OfWindows1252(want);
    if (want >= 0x80 && got.compare(at, utf8.size(), utf8) == 0) {
        BrokenLine broken = StartBroken(line, "utf-8");
        SetSpot(broken, at, utf8, wanted);
        broken.reason = where + "the file has " + HexBytes(utf8) + ", the UTF-8 form of " + utf8 + ", where the byte " +
                        HexByte(want) + " (" + utf8 + " in Windows-1252) was expected: the file is saved as UTF-8";
        broken.hint = std::string(kSaveAsWindows1252) + ", not UTF-8";
        return broken;
    }
    if (want >= 0x80 && have == DosByteOf(want)) {
        BrokenLine broken = StartBroken(line, "dos-code-page");
        SetSpot(broken, at, got.substr(at, 1), wanted);
        broken.reason = where + "the file has the byte " + HexByte(have) + ", which is " + utf8 +
                        " in the DOS code page (437 or 850), where " + HexByte(want) + " (" + utf8 +
                        " in Windows-1252) was expected";
        broken.hint = kSaveAsWindows1252;
        return broken;
    }
    if (have == 0 && at + 1 < got.size() && got[at + 1] == header[at]) {
        BrokenLine broken = StartBroken(line, "utf-16");
        SetSpot(broken, at, got.substr(at, 2), wanted);
        broken.reason = where + "the file has a zero byte (00) before the letter: the file is saved as UTF-16";
        broken.hint = kSaveAsWindows1252;
        return broken;
    }
    if (at == 0 && IsBlankOrTab(got[0])) {
        BrokenLine broken = StartBroken(line, "leading-blank");
        SetSpot(broken, 0, got.substr(0, 1), wanted);
        broken.reason = "line " + Number(line.number) + " begins with " + NameByte(have) + "; " + MustRead(line, header);
        broken.hint = "remove the blanks at the start of the line";
        return broken;
    }
    bool sameLetter = FoldAsciiCase(got.substr(at, 1)) == FoldAsciiCase(wanted) && have != want;
    BrokenLine broken = StartBroken(line, sameLetter ? "letter-case" : "wrong-character");
    SetSpot(broken, at, got.substr(at, 1), wanted);
    broken.reason = where + "the file has " + NameByte(have) + " where " + NameByte(want) + " was expected" +
                    (sameLetter ? ": upper and lower case count" : "") + "; " + MustRead(line, header);
    broken.hint = "write " + HeaderName(line.number) + " exactly as given, byte for byte";
    return broken;
}

BrokenLine ExplainHeaderLine(const NumberedLine& line, const std::string& header, const std::string& bytes) {
    const std::string& got = line.kept;
    if (line.number == 1 && BeginsWithByteOrderMark(got)) return ExplainByteOrderMark(line);
    if (got.empty() && (line.end == kEndPastEnd || line.end == kEndCtrlZ)) return ExplainMissingHeader(line, bytes);
    size_t lineFeed = got.find('\n');
    if (lineFeed != std::string::npos) return ExplainLineFeed(line, lineFeed);

    size_t at = 0;
    while (at < got.size() && at < header.size() && got[at] == header[at]) ++at;
    if (at < got.size() && at < header.size()) return ExplainDifferentChar(line, header, at);
    if (at == header.size()) {
        // the whole header is there and more follows
        std::string rest = got.substr(at);
        bool blanks = AllBlanks(got, at);
        BrokenLine broken = StartBroken(line, blanks ? "trailing-blank" : "extra-text");
        SetSpot(broken, at, rest);
        if (blanks) {
            broken.reason = "line " + Number(line.number) + " ends with " +
                            Plural(line.fullLength - at, "trailing blank", "trailing blanks") + " (" +
                            HexBytes(broken.found) + ") after the header text; " + MustRead(line, header);
            broken.hint = "remove the blanks at the end of the line";
        } else {
            broken.reason = "line " + Number(line.number) + " goes on after the header text with " +
                            QuoteScriptText(rest.substr(0, kShownBytes)) + "; " + MustRead(line, header);
            broken.hint = "write " + HeaderName(line.number) + " alone on its line";
        }
        return broken;
    }
    // the line stops inside the header text
    BrokenLine broken = StartBroken(line, "line-too-short");
    SetSpot(broken, at, "", header.substr(at, kShownBytes));
    if (line.end == kEndCtrlZ) {
        broken.kind = "ctrl-z";
        broken.found = "\x1A";
        broken.reason = "a Ctrl-Z (1A) at character " + Number(at + 1) + " of line " + Number(line.number) +
                        " ends the file inside " + HeaderName(line.number);
        broken.hint = "remove the Ctrl-Z";
    } else if (line.end == kEndOfBytes) {
        broken.kind = "file-ends";
        broken.reason = "the file ends after character " + Number(at) + " of line " + Number(line.number) +
                        ", inside " + HeaderName(line.number);
        broken.hint = "write " + HeaderName(line.number) + " whole";
    } else {
        broken.reason = "line " + Number(line.number) + (at == 0 ? " is empty" : " stops after character " + Number(at)) +
                        "; " + MustRead(line, header);
        broken.hint = "write " + HeaderName(line.number) + " whole, on one line";
    }
    return broken;
}

// --- The count line

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsHexPrefixChar(char c) { return c == '$' || c == 'x' || c == 'X'; }

const char* kCountHint = "write the number of entries in decimal (for instance 3, or 0 for none), "
                         "with nothing before or after it";

// The longest start of the line that the shared number rule takes as a count; 0 when none.
size_t LongestValidStart(const std::string& text) {
    uint32_t value;
    for (size_t length = text.size(); length > 0; --length)
        if (ParseCountLine(text.data(), static_cast<unsigned>(length), &value)) return length;
    return 0;
}

// Why the count line's text is no number; the rules only say that it is not.
BrokenLine ExplainCountSyntax(const NumberedLine& line) {
    const std::string& text = line.kept;
    BrokenLine broken = StartBroken(line, "count-syntax");
    broken.hint = kCountHint;
    std::string lineName = "the count line (line " + Number(line.number) + ")";
    if (text.empty() && line.end == kEndPastEnd) {
        broken.kind = "file-ends";
        broken.reason = "the file ends before " + lineName + "; a script has six lines before its count";
        return broken;
    }
    size_t first = 0;
    while (first < text.size() && text[first] == ' ') ++first;
    if (first == text.size()) {
        broken.kind = "count-empty";
        broken.reason = lineName + (text.empty() ? " is empty" : " holds only blanks");
        return broken;
    }
    size_t valid = LongestValidStart(text);
    size_t at = valid > 0 ? valid : first;
    char c = text[at];
    SetSpot(broken, at, text.substr(at, 1));
    std::string where = "character " + Number(at + 1) + " of " + lineName;
    bool hexNumber = IsHexPrefixChar(text[first]) ||
                     (text[first] == '0' && first + 1 < text.size() && (text[first + 1] == 'x' || text[first + 1] == 'X'));
    bool signedNumber = text[first] == '+' || text[first] == '-';

    if (valid > 0 && (hexNumber ? IsHexDigit(c) : IsDecimalDigit(c))) {
        broken.kind = "count-too-large";
        broken.reason = "the number on " + lineName + " is too large: a decimal count goes up to 2147483647 and a "
                        "hexadecimal one up to FFFFFFFF";
    } else if (valid > 0 && AllBlanks(text, at)) {
        broken.kind = "trailing-blank";
        broken.found = text.substr(at, kShownBytes);
        size_t count = text.size() - at;
        bool tabs = text.find('\t', at) != std::string::npos;
        broken.reason = lineName + " ends with " +
                        (tabs ? Plural(count, "trailing blank or tab", "trailing blanks and tabs")
                              : Plural(count, "trailing blank", "trailing blanks")) +
                        " (" + HexBytes(broken.found) + ") after the number; nothing may follow the digits";
        broken.hint = "remove the blanks after the number";
    } else if (valid > 0 && IsBlankOrTab(c)) {
        broken.reason = NameByte(static_cast<unsigned char>(c)) + " at " + where + " splits the number";
    } else if ((valid > 0 && (c == 'x' || c == 'X') && text[at - 1] == '0' &&
                (at - 1 == first || (signedNumber && at - 2 == first))) ||
               (valid == 0 && (c == '$' || c == 'x' || c == 'X' || signedNumber))) {
        // a hexadecimal prefix: after a sign, or with no digit after it
        size_t prefixEnd = at + 1;
        bool afterSign = signedNumber && (valid > 0 || (at + 1 < text.size() && IsHexPrefixChar(text[at + 1])));
        if (afterSign) {
            broken.reason = lineName + " has a sign before a hexadecimal prefix; a hexadecimal number takes no sign";
        } else if (signedNumber && valid == 0) {
            broken.reason = at + 1 < text.size() ? NameByte(static_cast<unsigned char>(text[at + 1])) + " at character " +
                                                       Number(at + 2) + " of " + lineName + " is no digit"
                                                 : lineName + " has a sign with no digits after it";
            if (at + 1 < text.size()) SetSpot(broken, at + 1, text.substr(at + 1, 1));
        } else if (prefixEnd == text.size()) {
            broken.reason = lineName + " has the hexadecimal prefix " + QuoteScriptText(text.substr(first)) +
                            " with no digits after it";
        } else {
            SetSpot(broken, prefixEnd, text.substr(prefixEnd, 1));
            broken.reason = NameByte(static_cast<unsigned char>(text[prefixEnd])) + " at character " +
                            Number(prefixEnd + 1) + " of " + lineName + " is no hexadecimal digit";
        }
    } else if (valid == 0 && c == '\t') {
        broken.reason = lineName + " has a tab (09) at character " + Number(at + 1) +
                        "; only blanks (20) may stand before the number";
        broken.hint = "remove the tab";
    } else if (valid == 0) {
        broken.reason = lineName + " does not begin with a number: " + where + " is " +
                        NameByte(static_cast<unsigned char>(c));
    } else {
        broken.reason = NameByte(static_cast<unsigned char>(c)) + " at " + where +
                        " cannot follow the number; nothing may follow the digits";
    }
    return broken;
}

BrokenLine ExplainCountLine(const NumberedLine& line, const BrokenScript& script) {
    switch (script.verdict.fault) {
        case kFaultCountOverlong: {
            BrokenLine broken = StartBroken(line, "count-overlong");
            broken.reason = "the count line (line " + Number(line.number) + ") has " + Number(line.fullLength) +
                            " characters; the installer keeps " + Number(kCheckedLineSize - 1) +
                            " characters of a line, so a count this long never counts";
            broken.hint = kCountHint;
            return broken;
        }
        case kFaultCountAboveLimit: {
            BrokenLine broken = StartBroken(line, "too-many-entries");
            unsigned count = script.countValue & 0xFFFFu;
            broken.reason = "the count line (line " + Number(line.number) + ") " + QuoteScriptText(line.kept) +
                            " gives " + Number(count) + " entries";
            if (count != script.countValue)
                broken.reason += " (the installer keeps the low 16 bits of " + Number(script.countValue) +
                                 (static_cast<int32_t>(script.countValue) < 0 ? ", the 32-bit form of a negative number"
                                                                              : "") + ")";
            broken.reason += "; the installer lists at most " + Number(kScriptEntryLimit) + " entries";
            broken.hint = "ship at most 200 files with one script, and write their number in decimal";
            return broken;
        }
        default: return ExplainCountSyntax(line);
    }
}

// --- The end-of-file test after an entry line

BrokenLine ExplainEntryEnd(const NumberedLine& line, const std::string& bytes, const BrokenScript& script) {
    bool optionLine = line.number % 2 == 1;
    unsigned entry = optionLine ? (line.number - 7) / 2 : (line.number - 6) / 2;
    bool last = optionLine && entry == script.entryCount;
    std::string what = std::string(optionLine ? "the option text" : "the file name") + " of " +
                       (last ? "the last entry, entry " + Number(entry) : "entry " + Number(entry));
    std::string lineName = "line " + Number(line.number) + " (" + what + ")";
    bool ctrlZAfter = line.next < bytes.size() && static_cast<unsigned char>(bytes[line.next]) == kCtrlZ;
    std::string countSays = "the count line says " + Plural(script.entryCount, "entry", "entries");

    BrokenLine broken = StartBroken(line, last ? "no-line-after-last-entry" : "file-ends-early");
    if (line.end == kEndCtrlZ || ctrlZAfter) {
        broken.kind = "ctrl-z";
        broken.found = "\x1A";
        if (line.end == kEndCtrlZ) broken.column = static_cast<unsigned>(line.kept.size() + 1);
        broken.reason = (line.end == kEndCtrlZ ? "a Ctrl-Z (1A) ends " + lineName + ", and with it the file"
                                               : "a Ctrl-Z (1A) right after " + lineName + " ends the file") +
                        (last ? "; the installer needs at least one more character after the last entry"
                              : "; " + countSays);
        broken.hint = last ? "put an empty line before the Ctrl-Z, or remove the Ctrl-Z and end the file with an empty line"
                           : "remove the Ctrl-Z, or write the number of entries the file lists";
        return broken;
    }
    if (line.end == kEndPastEnd) {
        broken.reason = countSays + ", but the file ends before line " + Number(line.number) + " (" + what + ")";
        broken.hint = "write the number of entries the file lists, and end the file with an empty line";
        return broken;
    }
    bool endsInLineFeed = !line.kept.empty() && line.kept.back() == '\n' && line.end == kEndOfBytes;
    if (last) {
        if (endsInLineFeed) {
            broken.column = static_cast<unsigned>(line.kept.size());
            broken.found = "\n";
            broken.expected = "\r\n";
            broken.reason = lineName + " ends with a lone line feed (0A) and the file ends there; the installer ends "
                            "lines only at a carriage return and needs at least one more character after the last entry";
            broken.hint = "end line " + Number(line.number) + " with CR LF and add an empty line after it";
        } else if (line.end == kEndOfBytes) {
            broken.reason = lineName + " has no line end, and the file ends there; the installer needs at least one "
                            "more character after the last entry";
            broken.hint = "end line " + Number(line.number) + " with CR LF and add an empty line after it";
        } else {
            broken.reason = "the file ends right after " + lineName + "; the installer needs at least one more "
                            "character after the last entry";
            broken.hint = "end the file with an empty line: one more CR LF after line " + Number(line.number);
        }
        return broken;
    }
    broken.reason = countSays + ", but the file ends right after " + lineName;
    broken.hint = "write the number of entries the file lists, and end the file with an empty line";
    return broken;
}

}  // namespace

BrokenLine ExplainBrokenScript(const std::string& bytes, const BrokenScript& script) {
    const ScriptVerdict& verdict = script.verdict;
    NumberedLine line = ReadNumberedLine(bytes, verdict.line);
    switch (verdict.fault) {
        case kFaultHeaderLine1: return ExplainHeaderLine(line, TEXT_SCRIPT_HEADER_1, bytes);
        case kFaultHeaderLine2: return ExplainHeaderLine(line, TEXT_SCRIPT_HEADER_2, bytes);
        case kFaultCountSyntax:
        case kFaultCountOverlong:
        case kFaultCountAboveLimit: return ExplainCountLine(line, script);
        case kFaultEndAfterLine: return ExplainEntryEnd(line, bytes, script);
        default: {
            BrokenLine broken = StartBroken(line, "read-error");
            broken.reason = "the script could not be read";
            return broken;
        }
    }
}
