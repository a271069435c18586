// Small routines over zero-terminated texts in fixed buffers. Each one keeps within the
// buffer's size and always leaves it terminated, so no text is ever written past its end.
#pragma once
#include <stdint.h>

unsigned TextLength(const char* text);
bool TextsEqual(const char* a, const char* b);
// Copies or appends as much as fits; false when the text had to be cut.
bool CopyText(char* to, unsigned size, const char* from);
bool AppendText(char* to, unsigned size, const char* from);
bool AppendChar(char* to, unsigned size, char c);
// Eight hexadecimal digits, leading zeros kept, A to F in capitals.
bool AppendHex8(char* to, unsigned size, uint32_t value);
bool AppendDecimal(char* to, unsigned size, uint32_t value);
// A non-empty text whose last character is not a backslash gets one; an empty text stays empty.
bool EnsureTrailingBackslash(char* folder, unsigned size);
// Everything up to and including the last backslash or colon; empty when there is neither.
void CopyFolderPart(char* to, unsigned size, const char* path);
bool ContainsChar(const char* text, char c);
void CopyBytes(void* to, const void* from, unsigned count);
void FillBytes(void* to, unsigned char value, unsigned count);
