// The progress window that replaces the welcome window during the installation.
#pragma once
#include "win32.h"

// Hides the welcome window and builds the progress window, still hidden.
void BuildProgressWindow();
LRESULT CALLBACK ProgressWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
