// Plain words for a broken script: what the shared rules found wrong in the breaking line, and
// the bytes that did it. The verdict and the line are the rules'; this only describes them.
#pragma once
#include <stdint.h>

#include <string>

#include "check.h"
#include "script_rules.h"

struct BrokenScript {
    ScriptVerdict verdict;
    unsigned entryCount;   // the count, when line 7 was read as one
    uint32_t countValue;   // the count line's full value
};

BrokenLine ExplainBrokenScript(const std::string& bytes, const BrokenScript& broken);
