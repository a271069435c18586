#include "script_text.h"

// Unicode code points of the bytes 80 to 9F in Windows-1252; 0 where the code page has none.
static const unsigned kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

static unsigned CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

static void AppendUtf8(std::string& to, unsigned codePoint) {
    if (codePoint < 0x80) {
        to += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        to += static_cast<char>(0xC0 | (codePoint >> 6));
        to += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        to += static_cast<char>(0xE0 | (codePoint >> 12));
        to += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        to += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string Utf8OfWindows1252(unsigned char byte) {
    std::string text;
    unsigned codePoint = CodePointOf(byte);
    if (codePoint != 0 || byte == 0) AppendUtf8(text, codePoint);
    return text;
}

std::string HexByte(unsigned char byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
    return text;
}

std::string HexBytes(const std::string& bytes) {
    std::string text;
    for (unsigned char byte : bytes) {
        if (!text.empty()) text += ' ';
        text += HexByte(byte);
    }
    return text;
}

static bool IsInvisible(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == 0xA0 || CodePointOf(byte) == 0;
}

std::string ShowScriptChar(unsigned char byte) {
    if (IsInvisible(byte)) return "<" + HexByte(byte) + ">";
    return Utf8OfWindows1252(byte);
}

std::string ShowScriptText(const std::string& bytes) {
    std::string text;
    for (unsigned char byte : bytes) text += ShowScriptChar(byte);
    return text;
}

std::string QuoteScriptText(const std::string& bytes) { return "\"" + ShowScriptText(bytes) + "\""; }

std::string NameByte(unsigned char byte) {
    switch (byte) {
        case 0x00: return "a zero byte (00)";
        case 0x09: return "a tab (09)";
        case 0x0A: return "a line feed (0A)";
        case 0x0D: return "a carriage return (0D)";
        case 0x1A: return "a Ctrl-Z (1A)";
        case 0x20: return "a blank (20)";
        case 0xA0: return "a no-break space (A0)";
        default: break;
    }
    if (IsInvisible(byte)) return "the control byte " + HexByte(byte);
    return HexByte(byte) + " (" + Utf8OfWindows1252(byte) + ")";
}

std::string FoldAsciiCase(const std::string& bytes) {
    std::string folded = bytes;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string FoldNameCase(const std::string& bytes) {
    std::string folded = FoldAsciiCase(bytes);
    for (char& c : folded) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) byte = static_cast<unsigned char>(byte + 0x20);
        else if (byte == 0x8A || byte == 0x8C || byte == 0x8E) byte = static_cast<unsigned char>(byte + 0x10);
        else if (byte == 0x9F) byte = 0xFF;
        c = static_cast<char>(byte);
    }
    return folded;
}

// The code point of the UTF-8 sequence at `at` and its length; 0 for an invalid sequence.
static unsigned DecodeUtf8(const std::string& text, size_t at, unsigned* codePoint) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    unsigned length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    unsigned value = length == 1 ? lead : lead & (0x7F >> length);
    for (unsigned i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        value = value << 6 | (next & 0x3F);
    }
    static const unsigned kShortest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return length;
}

bool Windows1252OfUtf8(const std::string& utf8, std::string* bytes) {
    bytes->clear();
    for (size_t at = 0; at < utf8.size();) {
        unsigned codePoint = 0;
        unsigned length = DecodeUtf8(utf8, at, &codePoint);
        if (length == 0) return false;
        at += length;
        if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
            *bytes += static_cast<char>(codePoint);
            continue;
        }
        bool mapped = false;
        for (unsigned i = 0; i < 32 && !mapped; ++i)
            if (kHighControls[i] == codePoint) {
                *bytes += static_cast<char>(0x80 + i);
                mapped = true;
            }
        if (!mapped) return false;
    }
    return true;
}

std::string ValidUtf8(const std::string& text) {
    std::string valid;
    for (size_t at = 0; at < text.size();) {
        unsigned codePoint = 0;
        unsigned length = DecodeUtf8(text, at, &codePoint);
        if (length == 0) {
            valid += "\xEF\xBF\xBD";
            ++at;
        } else {
            valid.append(text, at, length);
            at += length;
        }
    }
    return valid;
}
