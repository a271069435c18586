// Warnings for a script that loads: what the installer will do with it that its author
// probably did not mean. Each names the line it is about.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "check.h"
#include "script_rules.h"

// One part as the shared rules handed it out.
struct HandedPart {
    ScriptPart part;
    std::string text;     // as handed out: an entry line cut to 99 characters
    unsigned line;
    unsigned fullLength;  // characters of the whole line
};

// The first line after the counted entries that holds more than blanks.
struct TrailingLines {
    unsigned firstLine = 0;   // 0 when there is none
    std::string firstText;
    unsigned count = 0;       // lines with more than blanks
};

struct LoadedScript {
    std::vector<HandedPart> parts;
    uint32_t countValue;
    unsigned entryCount;
    TrailingLines trailing;
};

std::vector<CheckWarning> FindWarnings(const LoadedScript& script, const LookUpListedFile& lookUp);
