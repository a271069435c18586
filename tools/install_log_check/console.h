// What differs between the checker's console on Windows and elsewhere.
#pragma once
#include <string>

// The checker writes UTF-8; a Windows console is told so.
void PrepareConsole();
// A path from the command line, in UTF-8 for the output.
std::string PathForOutput(const std::string& path);
