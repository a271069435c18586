#include "report_output.h"

#include "script_text.h"

namespace {

const size_t kShownLine = 200;  // bytes of a broken line shown at most

std::string Number(size_t value) { return std::to_string(value); }

std::string ShownLine(const std::string& line) {
    std::string shown = QuoteScriptText(line.substr(0, kShownLine));
    return line.size() > kShownLine ? shown + "..." : shown;
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : ValidUtf8(text)) {
        switch (c) {
            case '"': json += "\\\""; break;
            case '\\': json += "\\\\"; break;
            case '\n': json += "\\n"; break;
            case '\r': json += "\\r"; break;
            case '\t': json += "\\t"; break;
            default:
                if (c < 0x20) json += "\\u00" + HexByte(c);
                else json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

std::string JsonTextOrNull(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

std::string JsonHexOrNull(const std::string& bytes) { return bytes.empty() ? "null" : JsonString(HexBytes(bytes)); }

std::string Verdict(const CheckReport& report) { return report.loaded ? "loaded" : "broken"; }

std::string BrokenAsJson(const BrokenLine& broken) {
    return "{\"line\": " + Number(broken.line) + ", \"kind\": " + JsonString(broken.kind) +
           ", \"column\": " + Number(broken.column) + ", \"found\": " + JsonHexOrNull(broken.found) +
           ", \"expected\": " + JsonHexOrNull(broken.expected) + ", \"reason\": " + JsonString(broken.reason) +
           ", \"hint\": " + JsonString(broken.hint) + ", \"text\": " +
           JsonString(ShowScriptText(broken.lineText.substr(0, kShownLine))) + "}";
}

}  // namespace

int ExitCodeOf(const CheckReport& report) {
    if (!report.loaded) return kExitBroken;
    return report.warnings.empty() ? kExitLoaded : kExitLoadedWithWarnings;
}

std::string FormatForPeople(const CheckRun& run) {
    const CheckReport& report = run.report;
    std::string text = run.scriptPath + ": ";
    if (!report.loaded) {
        const BrokenLine& broken = report.broken;
        text += "broken at line " + Number(broken.line) + " (" + broken.kind + ")\n";
        text += "  " + broken.reason + "\n";
        if (!broken.found.empty() || !broken.expected.empty()) {
            text += std::string("  bytes") + (broken.column > 0 ? " at character " + Number(broken.column) : "") + ": " +
                    (broken.found.empty() ? "none" : HexBytes(broken.found));
            if (!broken.expected.empty()) text += ", expected " + HexBytes(broken.expected);
            text += "\n";
        }
        if (broken.line > 0) text += "  line " + Number(broken.line) + " as read: " + ShownLine(broken.lineText) + "\n";
        if (!broken.hint.empty()) text += "  to fix: " + broken.hint + "\n";
        text += "The installer would refuse this script with its broken-script message.\n";
        return text;
    }
    size_t count = report.warnings.size();
    text += "loaded, " + Number(report.entryCount) + (report.entryCount == 1 ? " entry" : " entries") + ", " +
            (count == 0 ? "no warnings" : Number(count) + (count == 1 ? " warning" : " warnings")) + "\n";
    for (const CheckWarning& warning : report.warnings)
        text += "  " + (warning.line > 0 ? "line " + Number(warning.line) : std::string("script")) + ": warning (" +
                warning.kind + "): " + warning.message + "\n";
    if (run.folder.empty() && report.entryCount > 0)
        text += "No ship folder given: the listed files were not looked for (use --folder).\n";
    return text;
}

std::string FormatAsJson(const CheckRun& run) {
    const CheckReport& report = run.report;
    std::string json = "{\"format\": 1, \"script\": " + JsonString(run.scriptPath) +
                       ", \"folder\": " + JsonTextOrNull(run.folder) + ", \"verdict\": \"" + Verdict(report) +
                       "\", \"exitCode\": " + Number(ExitCodeOf(report)) +
                       ", \"entryCount\": " + (report.loaded ? Number(report.entryCount) : "null") +
                       ", \"broken\": " + (report.loaded ? "null" : BrokenAsJson(report.broken)) + ", \"warnings\": [";
    for (size_t i = 0; i < report.warnings.size(); ++i) {
        const CheckWarning& warning = report.warnings[i];
        json += std::string(i ? ", " : "") + "{\"line\": " + Number(warning.line) + ", \"kind\": " +
                JsonString(warning.kind) + ", \"message\": " + JsonString(warning.message) + "}";
    }
    return json + "], \"error\": null}\n";
}

std::string FormatErrorAsJson(const std::string& scriptPath, const std::string& message) {
    return "{\"format\": 1, \"script\": " + JsonTextOrNull(scriptPath) +
           ", \"folder\": null, \"verdict\": \"error\", \"exitCode\": " + Number(kExitCannotRun) +
           ", \"entryCount\": null, \"broken\": null, \"warnings\": [], \"error\": " + JsonString(message) + "}\n";
}
