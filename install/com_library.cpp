#include "com_library.h"

#include "fatal.h"
#include "win32.h"

static bool comStarted;  // S_FALSE (already started on this thread) counts as started too

// A failed start is caught by no handler of the installer: the run-time failure box shows only
// the error number and the place, never the HRESULT, so no error text is made for it.
__attribute__((noinline)) static void RaiseComStartFailure() {
    EndWithRuntimeError(217, __builtin_return_address(0));
}

void InitComLibrary() {
    HRESULT result = CoInitialize(0);
    if (result < 0) RaiseComStartFailure();
    comStarted = true;
}

void DoneComLibrary() {
    if (!comStarted) return;
    comStarted = false;
    CoUninitialize();
}
