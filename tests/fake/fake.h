// The test side of the fake Win32 layer: the call log, fault injection and the process end.
// Each area of the fake (files, registry, windows, shell, COM) adds its own header beside this one.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "win32.h"

namespace fake {

// One recorded system call: its name and its arguments as text.
struct Call {
    std::string function;
    std::vector<std::string> args;
};

// Thrown by the fake ExitProcess, so that a test sees the end of the process without dying.
struct ProcessExit {
    UINT exitCode;
};

// Forgets every call, fault, file, key, window and answer; each area registers its own reset.
void Reset();
void OnReset(std::function<void()> resetArea);

void Record(const char* function, std::vector<std::string> args = {});
const std::vector<Call>& Calls();
std::vector<Call> CallsTo(const std::string& function);
std::vector<std::string> CallNames();  // the names alone, in order
size_t IndexOfCall(const std::string& function, size_t from = 0);  // npos when absent

// Fault injection by name and count: the nth call (1-based) of the function fails with the
// error. FailAlways makes every call fail from now on.
void FailNth(const std::string& function, int nth, DWORD error);
void FailAlways(const std::string& function, DWORD error);
// Called by a fake function once per call: true and the error when this call is to fail.
bool TakeInjectedFailure(const char* function, DWORD* error);

// Formatting helpers for the log.
std::string Hex(uintptr_t value);
std::string Text(const char* text);  // "(null)" for a null pointer
std::string Handle(const void* handle);

// Blocks taken with HeapAlloc since the last reset and not yet given back with HeapFree.
int HeapBlocksInUse();

// The module instance and program path the fake reports for the running installer.
HINSTANCE ModuleInstance();

}  // namespace fake
