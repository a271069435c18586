// Where the product goes by default, and whether the installer works per user.
#pragma once

// Writes the destination root into root (ends with a backslash unless empty) and sets per-user
// mode. A registry value of the wrong type, or one that cannot be read, ends the process.
void ResolveDestinationRoot(char* root, unsigned size);
