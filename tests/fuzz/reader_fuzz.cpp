// Fuzz target: any bytes as Install.log. The installer's own LoadInstallScript reads them on the
// fake layer (C:\Product\Install.log, a plain machine-mode registry), install-log-check judges
// them in memory, and the two must agree: the same verdict and, for a script that loads, the
// same entries and texts; and the installer closes the script again. The sanitizers watch both
// for reads and writes past a buffer.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "check.h"
#include "fake.h"
#include "files.h"
#include "reader.h"
#include "registry.h"
#include "report_output.h"
#include "script_text.h"
#include "state.h"

static_assert(kCheckedLineSize == kLineSize, "the checker keeps as much of a line as the installer");

namespace {

void Violated(const char* invariant, const std::string& detail = "") {
    fprintf(stderr, "fuzz invariant violated: %s %s\n", invariant, detail.c_str());
    abort();
}

std::string KeptText(const char* text) { return std::string(text); }

// The texts the installer keeps end at their first zero byte and at 255 characters.
std::string AsStateText(const std::string& part) { return part.substr(0, part.find('\0')).substr(0, kTextSize - 1); }

bool InstallerLoads(const std::string& bytes) {
    fake::Reset();
    installer = InstallerState{};
    fake::SetRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                          "C:\\Program Files");
    fake::WriteHostFile("C:\\Product\\Install.log", bytes);
    try {
        bool loaded = LoadInstallScript();
        if (fake::OpenHandleCount() != 0) Violated("LoadInstallScript left the script open");
        return loaded;
    } catch (const fake::ProcessExit& end) {
        Violated("LoadInstallScript ended the process with", std::to_string(end.exitCode));
    }
    return false;
}

void CompareLoaded(const CheckReport& report) {
    if (report.entryCount != installer.entryCount) Violated("entry count differs");
    if (report.entries.size() != report.entryCount) Violated("the checker lost entries");
    for (unsigned i = 0; i < report.entryCount; ++i) {
        const ScriptEntry& entry = installer.entries[i];
        if (report.entries[i].fileName != std::string(entry.fileName, entry.fileNameLength))
            Violated("file name differs in entry", std::to_string(i + 1));
        if (report.entries[i].optionText != std::string(entry.optionText, entry.optionTextLength))
            Violated("option text differs in entry", std::to_string(i + 1));
    }
    if (AsStateText(report.productTitle) != KeptText(installer.productTitle)) Violated("product title differs");
    if (AsStateText(report.defaultFolderName) != KeptText(installer.defaultFolderName))
        Violated("default folder name differs");
    if (AsStateText(report.groupName) != KeptText(installer.groupName)) Violated("group name differs");
}

std::string Summary(const CheckReport& report) {
    std::string summary = report.loaded ? "loaded" : "broken " + std::to_string(report.broken.line) + " " + report.broken.kind;
    for (const CheckWarning& warning : report.warnings) summary += "; " + std::to_string(warning.line) + " " + warning.kind;
    return summary;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bool loads = InstallerLoads(bytes);
    CheckReport report = CheckScript(bytes, CheckOptions{});
    if (report.loaded != loads) Violated("the checker's verdict is not the installer's:", Summary(report));
    if (loads) {
        CompareLoaded(report);
    } else if (report.broken.line == 0 || report.broken.kind.empty() || report.broken.reason.empty()) {
        Violated("a broken script without its line, kind or reason:", Summary(report));
    }

    // The bytes may arrive in blocks of any size; the judgement stays the same. A ship folder,
    // here one that holds a file or folder by the name's length, adds only missing-file warnings.
    CheckOptions small;
    small.blockSize = 1 + (size > 0 ? data[size - 1] % 61 : 0);
    small.lookUp = [](const std::string& name) {
        return name.size() % 3 == 0 ? ListedFile::kFile : name.size() % 3 == 1 ? ListedFile::kFolder : ListedFile::kMissing;
    };
    CheckReport again = CheckScript(bytes, small);
    CheckReport withoutFolder = again;
    withoutFolder.warnings.clear();
    for (const CheckWarning& warning : again.warnings)
        if (warning.kind != "missing-file") withoutFolder.warnings.push_back(warning);
    if (Summary(withoutFolder) != Summary(report))
        Violated("the judgement depends on the block size:", Summary(report) + " / " + Summary(again));

    // Both outputs, and the JSON stays valid UTF-8 without raw control bytes.
    CheckRun run{"Install.log", "", report};
    std::string json = FormatAsJson(run);
    if (ValidUtf8(json) != json) Violated("the JSON is no valid UTF-8");
    for (size_t i = 0; i + 1 < json.size(); ++i)
        if (static_cast<unsigned char>(json[i]) < 0x20) Violated("a raw control byte in the JSON");
    if (ValidUtf8(FormatForPeople(run)) != FormatForPeople(run)) Violated("the output for people is no valid UTF-8");
    return 0;
}
