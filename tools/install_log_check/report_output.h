// The checker's two outputs: plain lines for people, and one JSON object for build pipelines.
//
// The JSON shape (format 1) is stable; fields are only ever added:
//   {"format": 1, "script": path or null, "folder": path or null,
//    "verdict": "loaded" | "broken" | "error", "exitCode": 0 to 3,
//    "entryCount": number or null (set when loaded),
//    "broken": null or {"line", "kind", "column" (0: none), "found", "expected" (hex bytes such as
//              "C3 A4", or null), "reason", "hint", "text" (the line as read, at most 200 bytes,
//              invisible bytes as <XX>)},
//    "warnings": [{"line" (0: the script as a whole), "kind", "message"}],
//    "error": null or the reason the tool could not run}
#pragma once
#include <string>
#include <vector>

#include "check.h"

// Exit codes, also told by --help.
const int kExitLoaded = 0;
const int kExitLoadedWithWarnings = 1;
const int kExitBroken = 2;
const int kExitCannotRun = 3;

struct CheckRun {
    std::string scriptPath;   // for output: UTF-8
    std::string folder;       // for output: UTF-8; empty when none is known
    CheckReport report;
};

int ExitCodeOf(const CheckReport& report);
std::string FormatForPeople(const CheckRun& run);
std::string FormatAsJson(const CheckRun& run);
std::string FormatErrorAsJson(const std::string& scriptPath, const std::string& message);
