// The ends of the process. Fatal errors never unwind: a raised error shows its box and ends the
// process right where it was raised, so no C++ exception ever crosses a system frame (a window
// procedure, a message box's modal loop). File failures are not raised; they are booleans and boxes.
#pragma once
#include "win32.h"

// Every orderly end: COM is stopped, then the process exits with the code.
[[noreturn]] void EndProcess(UINT exitCode);

// An error raised and handled nowhere: the unhandled-error box, then EndProcess(1).
// kindName names the kind of error; text is its message.
[[noreturn]] void RaiseError(const char* kindName, const char* text);

// A raised registry error whose text has the value's name between two pieces.
[[noreturn]] void RaiseRegistryError(const char* before, const char* valueName, const char* after);

// The run-time failure box "Runtime error N at ADDRESS" with the caption "Error", then the exit
// with code N; COM is not stopped on this road, as it was never started.
[[noreturn]] void EndWithRuntimeError(UINT errorNumber, const void* codeAddress);
