// The script's bytes in memory as a source for the shared line rules, and one line read back
// by its number, with where it lies in the bytes.
#pragma once
#include <stddef.h>

#include <string>

#include "script_lines.h"

struct MemoryScript {
    const std::string* bytes;
    size_t at;             // the next byte to hand out
    unsigned blockSize;    // most bytes per read
};

void StartMemoryScript(MemoryScript* script, const std::string& bytes, unsigned blockSize);
// A ReadScriptBytes over a MemoryScript.
int ReadMemoryScript(void* source, unsigned char* buffer, unsigned size);
// Where the line rules stand in the bytes: the first byte they have not taken.
size_t TakenSoFar(const MemoryScript& script, const ScriptLines& lines);

struct NumberedLine {
    unsigned number = 0;
    std::string kept;         // as the line buffer kept it
    unsigned fullLength = 0;  // characters of the whole line
    LineEnd end = kEndPastEnd;
    size_t start = 0;         // offset of its first byte
    size_t next = 0;          // offset of the first byte after its line end
};

// The line with that number, read with the shared line rules and the checker's line buffer.
NumberedLine ReadNumberedLine(const std::string& bytes, unsigned number);
