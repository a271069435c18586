#include "check.h"

#include <algorithm>

#include "explain.h"
#include "script_rules.h"
#include "script_source.h"
#include "warnings.h"

namespace {

bool AllBlanks(const char* text, unsigned length) {
    for (unsigned i = 0; i < length; ++i)
        if (text[i] != ' ' && text[i] != '\t') return false;
    return true;
}

// The lines the installer never reads, after the counted entries, up to the end of the file or
// its first Ctrl-Z; read with the same line rules.
TrailingLines ReadTrailingLines(ScriptLines* lines) {
    TrailingLines trailing;
    while (!lines->finished) {
        if (!ReadScriptLine(lines)) break;
        if (AllBlanks(lines->line, lines->keptLength) && !IsLineOverlong(lines)) continue;
        if (trailing.count++ == 0) {
            trailing.firstLine = lines->number;
            trailing.firstText.assign(lines->line, lines->keptLength);
        }
    }
    return trailing;
}

void FillLoaded(CheckReport& report, const LoadedScript& script) {
    report.entryCount = script.entryCount;
    for (const HandedPart& part : script.parts) {
        switch (part.part) {
            case kPartProductTitle: report.productTitle = part.text; break;
            case kPartDefaultFolder: report.defaultFolderName = part.text; break;
            case kPartGroupName: report.groupName = part.text; break;
            case kPartFileName: report.entries.push_back({part.text, "", part.line}); break;
            case kPartOptionText: report.entries.back().optionText = part.text; break;
            default: break;
        }
    }
}

}  // namespace

CheckReport CheckScript(const std::string& bytes, const CheckOptions& options) {
    MemoryScript source;
    StartMemoryScript(&source, bytes, options.blockSize);
    std::vector<char> buffer(kCheckedLineSize);
    ScriptReading reading;
    StartScriptReading(&reading, ReadMemoryScript, &source, buffer.data(), kCheckedLineSize);

    LoadedScript script;
    while (NextScriptPart(&reading))
        script.parts.push_back({reading.part, std::string(reading.text, reading.textLength), reading.lines.number,
                                reading.lines.fullLength});
    script.countValue = reading.countValue;
    script.entryCount = reading.entryCount;

    CheckReport report;
    report.loaded = reading.verdict.loaded;
    if (!report.loaded) {
        report.broken = ExplainBrokenScript(bytes, {reading.verdict, reading.entryCount, reading.countValue});
        return report;
    }
    script.trailing = ReadTrailingLines(&reading.lines);
    FillLoaded(report, script);
    report.warnings = FindWarnings(script, options.lookUp);
    std::stable_sort(report.warnings.begin(), report.warnings.end(),
                     [](const CheckWarning& a, const CheckWarning& b) { return a.line < b.line; });
    return report;
}
