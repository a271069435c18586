// The one rule for reading a registry text value, shared by the destination root and the
// Start menu folder lookup.
#pragma once
#include "win32.h"

// A missing or empty value gives the empty text; REG_SZ and REG_EXPAND_SZ are taken as stored,
// up to their first zero byte and cut to the buffer; any other type, or data that cannot be read
// once its size is known, is a raised registry error that ends the process.
void ReadRegistryText(HKEY key, const char* valueName, char* text, unsigned size);
