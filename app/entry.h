// The installer's own work from process start to process end.
#pragma once

// Restricts DLL loading, starts COM, loads the script, runs the welcome window and ends the process.
[[noreturn]] void RunSetup();
