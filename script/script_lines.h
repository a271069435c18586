// The install script split into lines, over any source of bytes. Knows no Windows header, so
// the vendor's checking tool reads scripts with exactly the installer's own line rules.
//
// A line ends at a carriage return; a line feed right after it belongs to the line end, and
// any other line feed is an ordinary character. Ctrl-Z ends the file. Past the end every line
// is empty and reading it does not fail. A line of any length is read whole; the caller's buffer
// keeps as much of it as fits.
#pragma once

// Fills buffer with up to size bytes of the script: the number delivered, 0 at the end of the
// bytes, or a negative number for a read error.
typedef int (*ReadScriptBytes)(void* source, unsigned char* buffer, unsigned size);

const unsigned char kCtrlZ = 26;
const unsigned kScriptBlockSize = 512;

// How the line last read came to its end.
enum LineEnd {
    kEndCarriageReturn,  // a CR alone
    kEndCrLf,            // a CR and the LF right after it
    kEndOfBytes,         // the bytes ran out inside the line
    kEndCtrlZ,           // a Ctrl-Z
    kEndPastEnd,         // the file was over before the line began: an empty line
};

struct ScriptLines {
    ReadScriptBytes read;
    void* source;
    char* line;            // the caller's buffer, zero-terminated
    unsigned lineSize;
    unsigned keptLength;   // characters kept in line
    unsigned fullLength;   // characters of the whole line, counted up to 0xFFFFFFFF
    LineEnd end;
    unsigned number;       // 1-based number of the line last read
    bool readFailed;       // a read error: that line and every later one fail
    bool finished;         // the bytes ran out or a Ctrl-Z came: nothing more is read
    bool bytesEnded;       // the source said it has no more bytes
    unsigned char block[kScriptBlockSize];
    unsigned blockLength, blockAt;
};

void StartScriptLines(ScriptLines* lines, ReadScriptBytes read, void* source, char* line, unsigned lineSize);
// Reads the next line into the buffer; false on a read error.
bool ReadScriptLine(ScriptLines* lines);
// The end-of-file test: looks at the next character without taking it. False when there is
// none or it is Ctrl-Z, and when the look fails (readFailed then tells a read error).
bool HasMoreScript(ScriptLines* lines);
// True when the line last read had more characters than the buffer kept.
bool IsLineOverlong(const ScriptLines* lines);
