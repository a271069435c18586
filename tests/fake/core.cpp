// Call log, fault injection, reset and the process end of the fake Win32 layer.
#include "fake.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace fake {
namespace {

std::vector<Call> calls;
struct Fault {
    int nth;  // 0: every call
    DWORD error;
};
std::map<std::string, std::vector<Fault>> faults;
std::map<std::string, int> callCounts;
DWORD lastError;
int heapBlocksInUse;

std::vector<std::function<void()>>& ResetAreas() {
    static std::vector<std::function<void()>> areas;
    return areas;
}

}  // namespace

void Reset() {
    calls.clear();
    faults.clear();
    callCounts.clear();
    lastError = 0;
    heapBlocksInUse = 0;
    for (auto& resetArea : ResetAreas()) resetArea();
}

void OnReset(std::function<void()> resetArea) { ResetAreas().push_back(std::move(resetArea)); }

void Record(const char* function, std::vector<std::string> args) {
    calls.push_back(Call{function, std::move(args)});
}

const std::vector<Call>& Calls() { return calls; }

std::vector<Call> CallsTo(const std::string& function) {
    std::vector<Call> found;
    for (const Call& call : calls)
        if (call.function == function) found.push_back(call);
    return found;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const Call& call : calls) names.push_back(call.function);
    return names;
}

size_t IndexOfCall(const std::string& function, size_t from) {
    for (size_t i = from; i < calls.size(); ++i)
        if (calls[i].function == function) return i;
    return std::string::npos;
}

void FailNth(const std::string& function, int nth, DWORD error) { faults[function].push_back(Fault{nth, error}); }

void FailAlways(const std::string& function, DWORD error) { faults[function].push_back(Fault{0, error}); }

bool TakeInjectedFailure(const char* function, DWORD* error) {
    int count = ++callCounts[function];
    auto found = faults.find(function);
    if (found == faults.end()) return false;
    for (const Fault& fault : found->second) {
        if (fault.nth == 0 || fault.nth == count) {
            *error = fault.error;
            return true;
        }
    }
    return false;
}

std::string Hex(uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

std::string Text(const char* text) { return text ? std::string(text) : std::string("(null)"); }

std::string Handle(const void* handle) { return Hex(reinterpret_cast<uintptr_t>(handle)); }

int HeapBlocksInUse() { return heapBlocksInUse; }

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x00400000)); }

}  // namespace fake

DWORD WINAPI GetLastError() { return fake::lastError; }
void WINAPI SetLastError(DWORD error) { fake::lastError = error; }

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    fake::Record("GetModuleHandleA", {fake::Text(name)});
    return name ? reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7C800000)) : fake::ModuleInstance();
}

HANDLE WINAPI GetProcessHeap() { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x00150000)); }

LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, size_t bytes) {
    DWORD error;
    if (fake::TakeInjectedFailure("HeapAlloc", &error)) return nullptr;
    ++fake::heapBlocksInUse;
    return (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID memory) {
    if (memory) --fake::heapBlocksInUse;
    std::free(memory);
    return TRUE;
}

void WINAPI ExitProcess(UINT exitCode) {
    fake::Record("ExitProcess", {std::to_string(exitCode)});
    throw fake::ProcessExit{exitCode};
}
