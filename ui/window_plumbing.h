// The small routines every window of the installer is built from.
#pragma once
#include "win32.h"

// Registers the class or ends the process with the "Can not Register Class" box.
void RegisterWindowClass(WNDPROC windowProcedure, const char* className, const char* menuName, HBRUSH background);
// Creates a control with identifier 0, shows and updates it; the handle comes back unchecked.
HWND CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle, int x, int y, int width,
                 int height, HWND parent);
// The process's one message loop; returns when the quit message has been taken.
void RunMessageLoop();
// Asks whether to end the program; Yes posts the quit message.
void ConfirmQuit();
