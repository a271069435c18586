// The Windows build sees the system's own headers; the host tests put a fake of
// the same name on the include path instead.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
