// Writes one shortcut file through the system's shell link object.
#pragma once
#include "win32.h"

// True when the file was saved. A shell link object that cannot be made, or that lacks one of
// its two interfaces, is a raised error that ends the process.
bool WriteShortcut(const char* shortcutFile, const char* description, const char* target, const char* arguments,
                   const char* workingDirectory, const char* iconFile, int iconIndex, int showCommand, WORD hotKey);
