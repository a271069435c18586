// The rules of the install script: which line holds what, the number syntax of the count line,
// the cuts, and the verdict with the line that broke the script. Knows no Windows header, so the
// installer and the vendor's checking tool judge every script with this one code.
//
// The rules hand out what a script holds one part at a time (NextScriptPart); the user keeps
// each part where it wants. Line 4 is handed out only when lines 1 to 4 were read without
// failure, and line 5 is read only after the user has dealt with it; so a user that looks up
// something for line 4 does so exactly once, and never for a script broken before it.
#pragma once
#include <stdint.h>

#include "script_lines.h"

const unsigned kScriptEntryLimit = 200;    // rows of the installer's entry table
const unsigned kEntryTextLongest = 99;     // a file name or option text keeps this many characters
const unsigned kProgramFilesPrefixLength = 13;  // "C:\PROGRAMME\"

// Why a script is broken.
enum ScriptFault {
    kFaultNone,
    kFaultMissing,         // the script cannot be opened (decided by the user, line 0)
    kFaultReadError,       // a read failed in the line
    kFaultHeaderLine1,     // line 1 is not the first header line
    kFaultHeaderLine2,     // line 2 is not the second header line
    kFaultCountSyntax,     // the count line is not a number by the count syntax
    kFaultCountOverlong,   // the count line is longer than the line buffer keeps
    kFaultCountAboveLimit, // more entries than the table's 200 rows
    kFaultEndAfterLine,    // the file ends, or a Ctrl-Z follows, right after an entry line
};

struct ScriptVerdict {
    bool loaded;
    unsigned line;      // the first line that broke the script; 0 when loaded or missing
    ScriptFault fault;
};

// The parts of a script, in the order they are handed out.
enum ScriptPart {
    kPartProductTitle,   // line 3, whole as kept
    kPartDefaultFolder,  // line 4 without a leading C:\PROGRAMME\ in any case
    kPartGroupName,      // line 5
    kPartReservedLine,   // line 6
    kPartEntryCount,     // line 7: a count of 0 to 200
    kPartFileName,       // an entry's first line, cut to 99 characters
    kPartOptionText,     // an entry's second line, cut to 99 characters
};

struct ScriptReading {
    ScriptLines lines;
    ScriptVerdict verdict;
    // The part last handed out: its text lies in the line buffer, not always zero-terminated
    // at textLength (a cut entry line) and possibly holding zero bytes of its own.
    ScriptPart part;
    const char* text;
    unsigned textLength;
    unsigned entryNumber;   // the entry being read, 1-based; 0 before the entries
    unsigned entryCount;    // the count once line 7 was read as a number
    uint32_t countValue;    // the count line's full value, as the number syntax gave it
    int step;               // where the reading stands
};

void StartScriptReading(ScriptReading* reading, ReadScriptBytes read, void* source, char* line, unsigned lineSize);
// Reads on to the next part that the script holds; false when the reading is over, and the
// verdict then stands.
bool NextScriptPart(ScriptReading* reading);

// The single rules, for the tool that explains a verdict.
bool IsHeaderLine(const char* text, unsigned length, const char* header);
// True for a valid count line; *value is its value as 32 bits (-1 gives 0xFFFFFFFF).
bool ParseCountLine(const char* text, unsigned length, uint32_t* value);
// 13 when the text begins with C:\PROGRAMME\ once a-z are read as A-Z, else 0.
unsigned ProgramFilesPrefixLength(const char* text, unsigned length);
unsigned CutEntryText(unsigned length);
