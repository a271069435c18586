// The welcome window: product greeting, source and destination fields, three buttons.
#pragma once
#include "win32.h"

void BuildWelcomeWindow();
LRESULT CALLBACK WelcomeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the shell's folder browser; true when a folder was picked into pickedFolder.
bool BrowseForDestination();
