// The checker's judgement of one install script: the verdict that the installer's own reading
// rules give, the first line that breaks the script with the reason in plain words, and the
// warnings for a script that loads but will not do what its author probably meant.
//
// The verdict comes from the shared rules in script/script_rules.h, driven exactly as the
// installer drives them; this code only explains what they decided.
#pragma once
#include <functional>
#include <string>
#include <vector>

// The line buffer the checker reads with. It equals the installer's own (kLineSize), because the
// length of the line kept decides whether an overlong count line still counts.
const unsigned kCheckedLineSize = 4096;

// What a listed file is in the ship folder.
enum class ListedFile { kFile, kFolder, kMissing };
// Looks up a file name of the script (a path relative to the ship folder, as written).
using LookUpListedFile = std::function<ListedFile(const std::string& fileName)>;

struct CheckOptions {
    unsigned blockSize = 512;   // bytes handed to the rules per read, as the installer reads them
    LookUpListedFile lookUp;    // empty when no ship folder is known: no file is looked up
};

struct CheckWarning {
    unsigned line;        // 0 for a warning about the script as a whole
    std::string kind;     // a stable name, e.g. "missing-file"
    std::string message;  // plain words, UTF-8
};

// Why a broken script is broken, at its first breaking line.
struct BrokenLine {
    unsigned line = 0;
    std::string kind;       // a stable name, e.g. "utf-8", "lf-line-ends", "trailing-blank"
    unsigned column = 0;    // 1-based character of the offending bytes; 0 when none applies
    std::string found;      // the offending bytes as they are in the file (raw)
    std::string expected;   // the bytes that belong there (raw); empty when none applies
    std::string reason;     // plain words, UTF-8
    std::string hint;       // what to change, plain words, UTF-8
    std::string lineText;   // the line as read (raw bytes, at most what the line buffer kept)
};

// One entry as the installer's table keeps it: the first 99 characters of each line.
struct CheckedEntry {
    std::string fileName;
    std::string optionText;
    unsigned fileNameLine;
};

struct CheckReport {
    bool loaded = false;
    BrokenLine broken;                   // when not loaded
    unsigned entryCount = 0;             // when loaded
    std::vector<CheckedEntry> entries;   // when loaded: entries 1 to entryCount
    std::string productTitle;            // raw bytes as handed out by the rules (line 3)
    std::string defaultFolderName;       // line 4 without the C:\PROGRAMME\ prefix
    std::string groupName;               // line 5
    std::vector<CheckWarning> warnings;  // when loaded, in line order
};

CheckReport CheckScript(const std::string& bytes, const CheckOptions& options);
