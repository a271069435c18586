#include "warnings.h"

#include <map>
#include <set>

#include "script_text.h"
#include "texts.h"

namespace {

const size_t kHeaderShows = 214;       // characters of the product title the welcome header shows
const size_t kStateTextLongest = 255;  // a text of the installer state keeps this many
const char* kNameForbidden = "<>:\"|?*";  // besides control bytes, Windows allows these in no file name

std::string Number(size_t value) { return std::to_string(value); }

// The text as the installer keeps it: its texts end at their first zero byte.
std::string UpToZero(const std::string& text) { return text.substr(0, text.find('\0')); }

bool Contains(const std::string& text, char c) { return text.find(c) != std::string::npos; }

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> levels;
    std::string level;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!level.empty()) levels.push_back(level);
            level.clear();
        } else {
            level += c;
        }
    }
    if (!level.empty()) levels.push_back(level);
    return levels;
}

std::string JoinLevels(const std::vector<std::string>& levels, size_t count) {
    std::string path;
    for (size_t i = 0; i < count; ++i) path += (i ? "\\" : "") + levels[i];
    return path;
}

bool IsKeyword(const std::string& text, const char* keyword) { return text == keyword; }

bool GetsNoShortcut(const std::string& option) {
    return IsKeyword(option, TEXT_OPTION_NO_SHORTCUT) || IsKeyword(option, TEXT_OPTION_UNINSTALLER) ||
           IsKeyword(option, TEXT_OPTION_IF_NOT_EXIST);
}

struct Warnings {
    std::vector<CheckWarning> list;
    void Add(unsigned line, const char* kind, const std::string& message) { list.push_back({line, kind, message}); }
};

struct Entry {
    const HandedPart* file;
    const HandedPart* option;
};

// The first byte below 20 in a text line: a zero byte ends the installer's text there, and a
// lone line feed is part of the text, not a line end.
void CheckControlBytes(Warnings& warnings, const HandedPart& part, const std::string& what) {
    for (size_t i = 0; i < part.text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(part.text[i]);
        if (byte >= 0x20) continue;
        std::string message = what + " holds " + NameByte(byte) + " at character " + Number(i + 1);
        if (byte == 0) message += "; the installer's text ends there, at " + QuoteScriptText(part.text.substr(0, i));
        else if (byte == '\n') message += "; a line ends only at a carriage return, so the line feed is part of the text";
        else message += ", which Windows allows in no file name";
        warnings.Add(part.line, "control-character", message);
        return;
    }
}

void CheckStateTextCut(Warnings& warnings, const HandedPart& part, const std::string& what) {
    std::string text = UpToZero(part.text);
    if (text.size() <= kStateTextLongest) return;
    size_t length = text.size() < part.text.size() ? text.size() : part.fullLength;
    warnings.Add(part.line, "text-cut", what + " has " + Number(length) + " characters; the installer keeps "
                                            "only the first 255: " + QuoteScriptText(text.substr(0, kStateTextLongest)));
}

void CheckForbiddenNameChars(Warnings& warnings, const HandedPart& part, const std::string& name, const std::string& what) {
    size_t at = name.find_first_of(kNameForbidden);
    if (at == std::string::npos) return;
    warnings.Add(part.line, "name-character",
                 what + " " + QuoteScriptText(name) + " holds " + QuoteScriptText(name.substr(at, 1)) +
                     ", which Windows allows in no file name: the installer cannot write a file of that name");
}

void CheckTitle(Warnings& warnings, const HandedPart& part) {
    std::string title = UpToZero(part.text).substr(0, kStateTextLongest);
    CheckControlBytes(warnings, part, "the product title");
    if (title.size() <= kHeaderShows) return;
    std::string kept = UpToZero(part.text).size() > kStateTextLongest ? " (the installer keeps only its first 255)" : "";
    warnings.Add(part.line, "title-cut",
                 "the product title has " + Number(UpToZero(part.text).size()) + " characters" + kept +
                     "; the welcome window's header shows only the first 214, ending in " +
                     QuoteScriptText(title.substr(kHeaderShows - 20, 20)));
}

void CheckDefaultFolder(Warnings& warnings, const HandedPart& part) {
    std::string name = UpToZero(part.text).substr(0, kStateTextLongest);
    CheckControlBytes(warnings, part, "the default folder name");
    CheckStateTextCut(warnings, part, "the default folder name");
    if (name.empty()) {
        warnings.Add(part.line, "empty-default-folder",
                     "the default folder name is empty (line 4 less a leading C:\\PROGRAMME\\): the product's files "
                     "go straight into the destination root, such as C:\\Program Files\\, and in machine mode the "
                     "product gets no entry in the list of installed programs");
        return;
    }
    if (Contains(name, ':')) {
        warnings.Add(part.line, "default-folder-path",
                     "the default folder name " + QuoteScriptText(name) + " is put after the destination root as it "
                     "is, giving a folder such as C:\\Program Files\\" + QuoteScriptText(name).substr(1) +
                     " with a colon inside, which Windows cannot create; the installer removes only a leading "
                     "C:\\PROGRAMME\\ with its backslash");
        return;
    }
    std::vector<std::string> levels = SplitPath(name);
    if (levels.size() >= 2)
        warnings.Add(part.line, "folder-not-created",
                     "the default folder name " + QuoteScriptText(name) + " has " + Number(levels.size()) +
                         " levels; the installer creates only the last one, so " +
                         QuoteScriptText(JoinLevels(levels, levels.size() - 1)) +
                         " must exist in the destination root already (such as C:\\Program Files\\), or every copy fails");
}

void CheckGroupName(Warnings& warnings, const HandedPart& part) {
    std::string name = UpToZero(part.text).substr(0, kStateTextLongest);
    CheckControlBytes(warnings, part, "the group name");
    CheckStateTextCut(warnings, part, "the group name");
    if (name.empty()) {
        warnings.Add(part.line, "empty-group",
                     "the group name is empty: the shortcuts go straight into the Start menu's programs folder");
        return;
    }
    if (Contains(name, '\\') || Contains(name, '/')) {
        std::vector<std::string> levels = SplitPath(name);
        std::string parent = levels.size() >= 2 ? JoinLevels(levels, levels.size() - 1) : name;
        warnings.Add(part.line, "group-backslash",
                     "the group name " + QuoteScriptText(name) + " holds a " + (Contains(name, '\\') ? "backslash" : "slash") +
                         ": the installer creates only the last folder level, so " + QuoteScriptText(parent) +
                         " must exist in the Start menu's programs folder already, or no shortcut is written");
    }
    CheckForbiddenNameChars(warnings, part, name, "the group name");
}

void CheckCount(Warnings& warnings, const HandedPart& part, uint32_t value, unsigned count) {
    if (value == count) return;
    std::string hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += "0123456789ABCDEF"[(value >> shift) & 15];
    warnings.Add(part.line, "count-wraps",
                 "the count line " + QuoteScriptText(part.text) + " gives " + Number(count) + (count == 1 ? " entry" : " entries") +
                     ": the installer keeps only the low 16 bits of its value (" + hex + " in hexadecimal)");
}

// What a keyword written with other case or blanks does instead of what it says.
std::string LookalikeOutcome(const char* keyword) {
    std::string k = keyword;
    if (k == TEXT_OPTION_UNINSTALLER) return "the file is not installed as the uninstaller and not registered for removal";
    if (k == TEXT_OPTION_IF_NOT_EXIST) return "the file is copied over an existing one";
    if (k == TEXT_OPTION_OPEN) return "the file is not opened after the installation";
    return "the file gets the shortcut it was meant not to get";
}

void CheckLookalike(Warnings& warnings, const HandedPart& part) {
    std::string squeezed;
    for (char c : part.text)
        if (c != ' ' && c != '\t') squeezed += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    for (const char* keyword : {TEXT_OPTION_UNINSTALLER, TEXT_OPTION_IF_NOT_EXIST, TEXT_OPTION_NO_SHORTCUT, TEXT_OPTION_OPEN}) {
        if (squeezed != keyword || part.text == keyword) continue;
        warnings.Add(part.line, "keyword-lookalike",
                     "the option text " + QuoteScriptText(part.text) + " is the keyword " + QuoteScriptText(keyword) +
                         " but for case or blanks, and a keyword counts only when written exactly: the installer takes "
                         "it as the name of a shortcut, " + QuoteScriptText(UpToZero(part.text) + ".lnk") + ", and " +
                         LookalikeOutcome(keyword));
        return;
    }
}

void CheckShortcutName(Warnings& warnings, const HandedPart& part) {
    std::string name = UpToZero(part.text);
    CheckLookalike(warnings, part);
    CheckControlBytes(warnings, part, "the option text");
    if (name.empty()) {
        warnings.Add(part.line, "empty-option-text",
                     "the option text is empty: the file gets a shortcut named \".lnk\" in the program group");
        return;
    }
    if (Contains(name, '\\') || Contains(name, '/')) {
        std::vector<std::string> levels = SplitPath(name);
        std::string folder = levels.size() >= 2 ? JoinLevels(levels, levels.size() - 1) : name;
        warnings.Add(part.line, "option-backslash",
                     "the option text " + QuoteScriptText(name) + " holds a " + (Contains(name, '\\') ? "backslash" : "slash") +
                         ": its shortcut goes into a folder " + QuoteScriptText(folder) +
                         " below the program group, which the installer does not create; unless it exists, no shortcut "
                         "is written");
    }
    CheckForbiddenNameChars(warnings, part, name, "the shortcut name");
}

void CheckFileName(Warnings& warnings, const HandedPart& part, const LookUpListedFile& lookUp) {
    std::string name = UpToZero(part.text);
    if (part.fullLength > kEntryTextLongest)
        warnings.Add(part.line, "file-name-cut",
                     "the file name has " + Number(part.fullLength) + " characters; the installer keeps only the "
                     "first 99: " + QuoteScriptText(part.text));
    CheckControlBytes(warnings, part, "the file name");
    if (name.empty()) {
        warnings.Add(part.line, "empty-file-name", "the file name is empty: the copy of this entry fails");
        return;
    }
    if (!lookUp) return;
    ListedFile found = lookUp(name);
    if (found == ListedFile::kMissing)
        warnings.Add(part.line, "missing-file", "the file " + QuoteScriptText(name) + " is not in the ship folder");
    else if (found == ListedFile::kFolder)
        warnings.Add(part.line, "missing-file",
                     "the file " + QuoteScriptText(name) + " is a folder in the ship folder, not a file");
}

// Folders of the destination: each entry whose file name holds a backslash creates the folder
// part before its last backslash, one level only, so the level above must exist by then.
class FolderTracker {
public:
    void CheckEntry(Warnings& warnings, const HandedPart& part, const std::string& fileName) {
        std::vector<std::string> needed = SplitPath(fileName);
        if (needed.size() < 2 || Contains(fileName, ':')) return;
        needed.pop_back();
        size_t lastBackslash = fileName.rfind('\\');
        if (lastBackslash != std::string::npos) {
            std::vector<std::string> made = SplitPath(fileName.substr(0, lastBackslash));
            if (!made.empty() && Exists(made, made.size() - 1)) Add(made);
        }
        if (Exists(needed, needed.size())) return;
        std::string folder = JoinLevels(needed, needed.size());
        std::string message = "the file name " + QuoteScriptText(fileName) + " needs the folder " + QuoteScriptText(folder);
        if (Contains(fileName, '/'))
            message += ", but the installer creates folders only for backslashes, not for a slash (/)";
        else
            message += ", but the installer creates only its last level, and no earlier entry creates " +
                       QuoteScriptText(JoinLevels(needed, needed.size() - 1));
        warnings.Add(part.line, "folder-not-created", message + "; the copy fails unless it exists already");
    }

private:
    std::set<std::string> folders_;  // names folded as Windows compares them, levels joined by backslashes

    bool Exists(const std::vector<std::string>& levels, size_t count) const {
        return count == 0 || folders_.count(FoldNameCase(JoinLevels(levels, count))) > 0;
    }
    void Add(const std::vector<std::string>& levels) {
        for (size_t count = 1; count <= levels.size(); ++count) folders_.insert(FoldNameCase(JoinLevels(levels, count)));
    }
};

void CheckEntries(Warnings& warnings, const std::vector<Entry>& entries, const LookUpListedFile& lookUp) {
    FolderTracker folders;
    std::map<std::string, unsigned> shortcuts;  // folded shortcut name and the line that writes it first
    unsigned firstUninstaller = 0;
    std::vector<const HandedPart*> uninstallNamed;
    for (const Entry& entry : entries) {
        const HandedPart& file = *entry.file;
        const HandedPart& option = *entry.option;
        std::string fileName = UpToZero(file.text);
        CheckFileName(warnings, file, lookUp);
        if (option.fullLength > kEntryTextLongest)
            warnings.Add(option.line, "option-text-cut",
                         "the option text has " + Number(option.fullLength) + " characters; the installer keeps only "
                         "the first 99: " + QuoteScriptText(option.text));

        if (IsKeyword(option.text, TEXT_OPTION_UNINSTALLER)) {
            if (firstUninstaller != 0)
                warnings.Add(option.line, "second-uninstaller",
                             "a second \"DEINST!\" entry (the first is on line " + Number(firstUninstaller) +
                                 "): in machine mode both files go to the Windows folder and are registered under the "
                                 "same uninstall entry, where the later one wins");
            else
                firstUninstaller = option.line;
            if (Contains(fileName, '\\') || Contains(fileName, '/'))
                warnings.Add(file.line, "uninstaller-in-subfolder",
                             "in machine mode the uninstaller " + QuoteScriptText(fileName) + " is copied to the Windows "
                             "folder followed by that path, and the installer creates no folder there: the copy fails "
                             "unless that folder exists");
            continue;
        }
        folders.CheckEntry(warnings, file, fileName);
        if (GetsNoShortcut(option.text)) continue;
        CheckShortcutName(warnings, option);
        std::string key = FoldNameCase(UpToZero(option.text));
        if (key == "uninstall") uninstallNamed.push_back(&option);
        auto earlier = shortcuts.find(key);
        if (earlier == shortcuts.end()) {
            shortcuts[key] = option.line;
        } else {
            warnings.Add(option.line, "duplicate-shortcut",
                         "the shortcut " + QuoteScriptText(UpToZero(option.text) + ".lnk") +
                             " is written a second time (first by line " + Number(earlier->second) +
                             "; Windows does not tell upper from lower case in file names): the later one replaces the "
                             "earlier");
        }
    }
    if (firstUninstaller == 0) return;
    for (const HandedPart* option : uninstallNamed)
        warnings.Add(option->line, "duplicate-shortcut",
                     "the shortcut " + QuoteScriptText(UpToZero(option->text) + ".lnk") + " has the name of the "
                     "uninstaller's shortcut \"Uninstall.lnk\", which the installer writes in per-user mode for the "
                     "\"DEINST!\" entry on line " + Number(firstUninstaller));
}

void CheckTrailingLines(Warnings& warnings, const TrailingLines& trailing, unsigned count) {
    if (trailing.count == 0) return;
    warnings.Add(trailing.firstLine, "extra-lines",
                 "the file goes on after the " + Number(count) + (count == 1 ? " counted entry" : " counted entries") +
                     " with " + QuoteScriptText(trailing.firstText.substr(0, 60)) +
                     (trailing.count > 1 ? " and " + Number(trailing.count - 1) + " more lines" : "") +
                     ", which the installer does not read; is the count on line 7 right?");
}

}  // namespace

std::vector<CheckWarning> FindWarnings(const LoadedScript& script, const LookUpListedFile& lookUp) {
    Warnings warnings;
    std::vector<Entry> entries;
    for (const HandedPart& part : script.parts) {
        switch (part.part) {
            case kPartProductTitle: CheckTitle(warnings, part); break;
            case kPartDefaultFolder: CheckDefaultFolder(warnings, part); break;
            case kPartGroupName: CheckGroupName(warnings, part); break;
            case kPartEntryCount: CheckCount(warnings, part, script.countValue, script.entryCount); break;
            case kPartFileName: entries.push_back({&part, nullptr}); break;
            case kPartOptionText: entries.back().option = &part; break;
            default: break;
        }
    }
    CheckEntries(warnings, entries, lookUp);
    CheckTrailingLines(warnings, script.trailing, script.entryCount);
    return warnings.list;
}
