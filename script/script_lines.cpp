#include "script_lines.h"

static const int kNoByte = -1;     // the bytes ended or a Ctrl-Z was taken before
static const int kReadError = -2;

void StartScriptLines(ScriptLines* lines, ReadScriptBytes read, void* source, char* line, unsigned lineSize) {
    lines->read = read;
    lines->source = source;
    lines->line = line;
    lines->lineSize = lineSize;
    lines->keptLength = 0;
    lines->fullLength = 0;
    lines->end = kEndPastEnd;
    lines->number = 0;
    lines->readFailed = false;
    lines->finished = false;
    lines->bytesEnded = false;
    lines->blockLength = 0;
    lines->blockAt = 0;
    if (lineSize > 0) line[0] = 0;
}

// The next byte without taking it; a block is read when the last one is used up. A source
// that once said it has no more bytes is not asked again.
static int PeekByte(ScriptLines* lines) {
    if (lines->blockAt == lines->blockLength) {
        if (lines->bytesEnded) return kNoByte;
        int delivered = lines->read(lines->source, lines->block, kScriptBlockSize);
        if (delivered < 0) return kReadError;
        if (delivered == 0) {
            lines->bytesEnded = true;
            return kNoByte;
        }
        lines->blockLength = delivered > static_cast<int>(kScriptBlockSize) ? kScriptBlockSize : delivered;
        lines->blockAt = 0;
    }
    return lines->block[lines->blockAt];
}

static void KeepChar(ScriptLines* lines, int c) {
    if (lines->keptLength + 1 < lines->lineSize) lines->line[lines->keptLength++] = static_cast<char>(c);
    if (lines->fullLength != 0xFFFFFFFFu) ++lines->fullLength;
}

static bool FailLine(ScriptLines* lines) {
    lines->readFailed = true;
    lines->finished = true;
    return false;
}

bool ReadScriptLine(ScriptLines* lines) {
    ++lines->number;
    lines->keptLength = 0;
    lines->fullLength = 0;
    lines->end = kEndPastEnd;
    bool kept = false;
    for (;;) {
        if (lines->readFailed) break;
        if (lines->finished) {
            kept = true;
            break;
        }
        int c = PeekByte(lines);
        if (c == kReadError) {
            FailLine(lines);
            break;
        }
        if (c == kNoByte) {
            lines->finished = true;
            if (lines->fullLength > 0) lines->end = kEndOfBytes;
            kept = true;
            break;
        }
        ++lines->blockAt;
        if (c == kCtrlZ) {
            lines->finished = true;
            lines->end = kEndCtrlZ;
            kept = true;
            break;
        }
        if (c == '\r') {
            int next = PeekByte(lines);
            if (next == kReadError) {
                FailLine(lines);
                break;
            }
            lines->end = kEndCarriageReturn;
            if (next == '\n') {
                ++lines->blockAt;
                lines->end = kEndCrLf;
            }
            kept = true;
            break;
        }
        KeepChar(lines, c);
    }
    if (lines->lineSize > 0) lines->line[lines->keptLength] = 0;
    return kept;
}

bool HasMoreScript(ScriptLines* lines) {
    if (lines->finished) return false;
    int c = PeekByte(lines);
    if (c == kReadError) return FailLine(lines);
    return c != kNoByte && c != kCtrlZ;
}

bool IsLineOverlong(const ScriptLines* lines) { return lines->fullLength > lines->keptLength; }
