#include "script_source.h"

#include <string.h>

#include <vector>

#include "check.h"

void StartMemoryScript(MemoryScript* script, const std::string& bytes, unsigned blockSize) {
    script->bytes = &bytes;
    script->at = 0;
    script->blockSize = blockSize == 0 ? kScriptBlockSize : blockSize;
}

int ReadMemoryScript(void* source, unsigned char* buffer, unsigned size) {
    MemoryScript* script = static_cast<MemoryScript*>(source);
    size_t left = script->bytes->size() - script->at;
    size_t count = left < size ? left : size;
    if (count > script->blockSize) count = script->blockSize;
    memcpy(buffer, script->bytes->data() + script->at, count);
    script->at += count;
    return static_cast<int>(count);
}

size_t TakenSoFar(const MemoryScript& script, const ScriptLines& lines) {
    return script.at - (lines.blockLength - lines.blockAt);
}

NumberedLine ReadNumberedLine(const std::string& bytes, unsigned number) {
    MemoryScript script;
    StartMemoryScript(&script, bytes, kScriptBlockSize);
    std::vector<char> buffer(kCheckedLineSize);
    ScriptLines lines;
    StartScriptLines(&lines, ReadMemoryScript, &script, buffer.data(), kCheckedLineSize);
    NumberedLine line;
    while (lines.number < number) {
        line.start = TakenSoFar(script, lines);
        ReadScriptLine(&lines);
    }
    line.number = number;
    line.kept.assign(buffer.data(), lines.keptLength);
    line.fullLength = lines.fullLength;
    line.end = lines.end;
    line.next = TakenSoFar(script, lines);
    return line;
}
