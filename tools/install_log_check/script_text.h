// How the checker shows the bytes of a script to a person: script texts are Windows-1252, the
// checker's output is UTF-8, and every byte a reader could not see is written as its hex value.
#pragma once
#include <string>

// The text in UTF-8, in double quotation marks. Bytes below 20, 7F, the no-break space A0 and
// the five bytes Windows-1252 leaves undefined are shown as <XX>, so blanks, tabs and lone line
// feeds stand out.
std::string QuoteScriptText(const std::string& bytes);
// The same without the quotation marks.
std::string ShowScriptText(const std::string& bytes);
// One Windows-1252 character in UTF-8, or <XX> as above.
std::string ShowScriptChar(unsigned char byte);
// "C3 A4": the bytes in hex, two digits each, separated by blanks.
std::string HexBytes(const std::string& bytes);
std::string HexByte(unsigned char byte);
// The name of an invisible byte, for the plain-words reasons: "a line feed (0A)", "a tab (09)".
std::string NameByte(unsigned char byte);
// The UTF-8 form of one Windows-1252 character; empty for the five undefined bytes.
std::string Utf8OfWindows1252(unsigned char byte);
// A-Z and the Windows-1252 capitals folded to lower case, as Windows compares file names.
std::string FoldNameCase(const std::string& bytes);
std::string FoldAsciiCase(const std::string& bytes);
// The Windows-1252 form of a UTF-8 text; false when it is no valid UTF-8 or holds a character
// the code page lacks.
bool Windows1252OfUtf8(const std::string& utf8, std::string* bytes);
// The text with every byte that is no part of valid UTF-8 replaced by U+FFFD.
std::string ValidUtf8(const std::string& text);
