// COM for the installer's one thread: started once at process start, stopped at every orderly end.
#pragma once

// Starts COM as a single-threaded apartment. When it cannot be started the process ends with
// the run-time failure box and exit code 217, before any script is read or window shown.
void InitComLibrary();
// Stops COM once, if InitComLibrary started it.
void DoneComLibrary();
