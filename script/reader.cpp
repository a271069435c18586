// The installer's side of the install script: where the script lies, how its bytes are read,
// and where each part is kept. The rules themselves are in script_rules and script_lines.
#include "reader.h"

#include "destination_root.h"
#include "file_ops.h"
#include "script_rules.h"
#include "state.h"
#include "text.h"
#include "texts.h"

static_assert(kScriptEntryLimit == kEntryLimit, "the rules and the entry table agree on its rows");
static_assert(kEntryTextLongest + 1 == kEntryTextSize, "an entry text and its zero fill its field");

const unsigned kModulePathRoom = 261;

// The folder of the installer's own program file, with its closing backslash. False when the
// path cannot be had whole: a folder part of a cut path would name some other folder.
static bool FindSourceFolder() {
    char path[kModulePathRoom + 1];
    FillBytes(path, 0, sizeof path);
    DWORD length = GetModuleFileNameA(0, path, kModulePathRoom);
    if (length == 0 || length >= kModulePathRoom) return false;
    CopyFolderPart(installer.sourceFolder, sizeof installer.sourceFolder, path);
    EnsureTrailingBackslash(installer.sourceFolder, sizeof installer.sourceFolder);
    return true;
}

static int ReadScriptBlock(void* source, unsigned char* buffer, unsigned size) {
    DWORD delivered = ReadBlock(static_cast<HANDLE>(source), buffer, size);
    if (TakeFileError() != 0) return -1;
    return static_cast<int>(delivered);
}

// The destination root is looked up here, between lines 4 and 5, and only for a script whose
// first four lines were read.
static void KeepDefaultFolder(const char* name) {
    CopyText(installer.defaultFolderName, sizeof installer.defaultFolderName, name);
    char root[kTextSize];
    ResolveDestinationRoot(root, sizeof root);
    CopyText(installer.destinationText, sizeof installer.destinationText, root);
    AppendText(installer.destinationText, sizeof installer.destinationText, installer.defaultFolderName);
}

static void KeepEntryText(char* field, unsigned char* fieldLength, const ScriptReading& reading) {
    CopyBytes(field, reading.text, reading.textLength);
    field[reading.textLength] = 0;
    *fieldLength = static_cast<unsigned char>(reading.textLength);
}

// Texts from the script may hold zero bytes of their own; the texts of the state end at the first.
static void KeepScriptPart(const ScriptReading& reading) {
    char text[kTextSize];
    unsigned length = reading.textLength < kTextSize ? reading.textLength : kTextSize - 1;
    CopyBytes(text, reading.text, length);
    text[length] = 0;
    ScriptEntry& entry = installer.entries[reading.entryNumber > 0 ? reading.entryNumber - 1 : 0];
    switch (reading.part) {
        case kPartProductTitle: CopyText(installer.productTitle, sizeof installer.productTitle, text); break;
        case kPartDefaultFolder: KeepDefaultFolder(text); break;
        case kPartGroupName: CopyText(installer.groupName, sizeof installer.groupName, text); break;
        case kPartReservedLine: CopyText(installer.reservedLine, sizeof installer.reservedLine, text); break;
        case kPartEntryCount: installer.entryCount = static_cast<unsigned short>(reading.entryCount); break;
        case kPartFileName: KeepEntryText(entry.fileName, &entry.fileNameLength, reading); break;
        case kPartOptionText: KeepEntryText(entry.optionText, &entry.optionTextLength, reading); break;
    }
}

bool LoadInstallScript() {
    if (!FindSourceFolder()) return false;
    char path[kPathSize];
    CopyText(path, sizeof path, installer.sourceFolder);
    AppendText(path, sizeof path, TEXT_SCRIPT_NAME);
    HANDLE script = OpenForReading(path, FILE_SHARE_READ);
    if (TakeFileError() != 0) return false;

    ScriptReading reading;
    StartScriptReading(&reading, ReadScriptBlock, script, installer.currentLine, sizeof installer.currentLine);
    for (;;) {
        bool more = NextScriptPart(&reading);
        installer.currentLineLength = reading.lines.keptLength;
        installer.currentLineOverlong = IsLineOverlong(&reading.lines);
        installer.entryIndex = static_cast<int>(reading.entryNumber);
        if (!more) break;
        KeepScriptPart(reading);
    }
    CloseFile(script);
    TakeFileError();
    return reading.verdict.loaded;
}
