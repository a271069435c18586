#include "text.h"

unsigned TextLength(const char* text) {
    unsigned length = 0;
    while (text[length]) ++length;
    return length;
}

bool TextsEqual(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

bool CopyText(char* to, unsigned size, const char* from) {
    if (size == 0) return false;
    to[0] = 0;
    return AppendText(to, size, from);
}

bool AppendText(char* to, unsigned size, const char* from) {
    if (size == 0) return false;
    unsigned at = TextLength(to);
    while (*from && at + 1 < size) to[at++] = *from++;
    to[at] = 0;
    return *from == 0;
}

bool AppendChar(char* to, unsigned size, char c) {
    char text[2] = {c, 0};
    return AppendText(to, size, text);
}

bool AppendHex8(char* to, unsigned size, uint32_t value) {
    char digits[9];
    for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = "0123456789ABCDEF"[value & 0xF];
    digits[8] = 0;
    return AppendText(to, size, digits);
}

bool AppendDecimal(char* to, unsigned size, uint32_t value) {
    char digits[11];
    int at = 10;
    digits[at] = 0;
    do digits[--at] = static_cast<char>('0' + value % 10); while (value /= 10);
    return AppendText(to, size, digits + at);
}

bool EnsureTrailingBackslash(char* folder, unsigned size) {
    unsigned length = TextLength(folder);
    if (length == 0 || folder[length - 1] == '\\') return true;
    return AppendChar(folder, size, '\\');
}

void CopyFolderPart(char* to, unsigned size, const char* path) {
    unsigned end = 0;
    for (unsigned i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == ':') end = i + 1;
    if (size == 0) return;
    unsigned kept = end < size ? end : size - 1;
    CopyBytes(to, path, kept);
    to[kept] = 0;
}

bool ContainsChar(const char* text, char c) {
    for (; *text; ++text)
        if (*text == c) return true;
    return false;
}

void CopyBytes(void* to, const void* from, unsigned count) {
    unsigned char* out = static_cast<unsigned char*>(to);
    const unsigned char* in = static_cast<const unsigned char*>(from);
    while (count--) *out++ = *in++;
}

void FillBytes(void* to, unsigned char value, unsigned count) {
    unsigned char* out = static_cast<unsigned char*>(to);
    while (count--) *out++ = value;
}
