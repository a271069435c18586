#include "fatal.h"

#include "com_library.h"
#include "text.h"
#include "texts.h"

void EndProcess(UINT exitCode) {
    DoneComLibrary();
    ExitProcess(exitCode);
}

// The name part of the running program's path, as the unhandled-error box shows it.
static void CopyProgramName(char* name, unsigned size) {
    char path[MAX_PATH + 1];
    FillBytes(path, 0, sizeof path);
    GetModuleFileNameA(0, path, MAX_PATH);
    const char* start = path;
    for (const char* at = path; *at; ++at)
        if (*at == '\\' || *at == ':') start = at + 1;
    CopyText(name, size, start);
}

static void ShowUnhandledError(const char* kindName, const char* text, const void* address) {
    char program[MAX_PATH + 1];
    CopyProgramName(program, sizeof program);
    char box[1024];
    CopyText(box, sizeof box, TEXT_UNHANDLED_1);
    AppendText(box, sizeof box, kindName);
    AppendText(box, sizeof box, TEXT_UNHANDLED_2);
    AppendText(box, sizeof box, program);
    AppendText(box, sizeof box, TEXT_UNHANDLED_3);
    AppendHex8(box, sizeof box, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address)));
    AppendText(box, sizeof box, TEXT_UNHANDLED_4);
    AppendText(box, sizeof box, text);
    unsigned length = TextLength(text);
    if (length == 0 || text[length - 1] != '.') AppendText(box, sizeof box, ".");
    MessageBoxA(0, box, TEXT_UNHANDLED_CAPTION, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// Kept out of line so that the return address is the place that raised the error.
__attribute__((noinline)) void RaiseError(const char* kindName, const char* text) {
    ShowUnhandledError(kindName, text, __builtin_return_address(0));
    EndProcess(1);
}

__attribute__((noinline)) void RaiseRegistryError(const char* before, const char* valueName, const char* after) {
    char text[512];
    CopyText(text, sizeof text, before);
    AppendText(text, sizeof text, valueName);
    AppendText(text, sizeof text, after);
    ShowUnhandledError(TEXT_KIND_REGISTRY, text, __builtin_return_address(0));
    EndProcess(1);
}

void EndWithRuntimeError(UINT errorNumber, const void* codeAddress) {
    uintptr_t imageStart = reinterpret_cast<uintptr_t>(GetModuleHandleA(0));
    uintptr_t offset = reinterpret_cast<uintptr_t>(codeAddress) - imageStart;
    char box[64];
    CopyText(box, sizeof box, TEXT_RUNTIME_1);
    AppendDecimal(box, sizeof box, errorNumber);
    AppendText(box, sizeof box, TEXT_RUNTIME_2);
    AppendHex8(box, sizeof box, static_cast<uint32_t>(offset));
    MessageBoxA(0, box, TEXT_RUNTIME_CAPTION, MB_OK);
    ExitProcess(errorNumber);
}
