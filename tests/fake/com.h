// COM in the fake layer: the thread's COM start and stop, and the shell link object.
//
// Fixed rules of the fake, so that tests can compute what the product sees:
// - CoInitialize answers S_OK unless a test scripts another result; every successful start
//   (S_FALSE included) must be matched by one CoUninitialize, as on Windows. While COM is not
//   started on the thread, CoCreateInstance fails with CO_E_NOTINITIALIZED (0x800401F0).
// - CoCreateInstance knows one class, CLSID_ShellLink, for CLSCTX_INPROC_SERVER or
//   CLSCTX_LOCAL_SERVER; any other class gives REGDB_E_CLASSNOTREG (0x80040154), an outer object
//   CLASS_E_NOAGGREGATION (0x80040110), an interface the object lacks E_NOINTERFACE.
// - The shell link object offers IUnknown, IShellLinkA and IPersistFile, each as its own
//   interface pointer, with one reference count for the object. QueryInterface adds a reference.
// - Every method call is recorded under "<interface>::<method>", the interface being the one
//   the method belongs to; IUnknown's methods name in their first argument the interface they
//   were called through:
//     IUnknown::QueryInterface  through, asked interface ("IShellLinkA" or the GUID in braces)
//     IUnknown::AddRef          through, references after the call
//     IUnknown::Release         through, references after the call (below 0: released too often)
//     IShellLinkA::SetPath, SetArguments, SetWorkingDirectory, SetDescription   the text
//     IShellLinkA::SetIconLocation  file, index;  SetShowCmd  the command;  SetHotkey  hex
//     IPersistFile::Save        the path converted back to Windows-1252, fRemember as 0 or 1
//   CoInitialize records its reserved pointer, CoCreateInstance the class GUID in braces, the
//   outer object, the context (hex) and the asked interface.
// - Each method honours fake::TakeInjectedFailure under its logged name (e.g.
//   "IShellLinkA::SetDescription"): it then changes nothing and returns the error as an HRESULT
//   (an error below 0x80000000 becomes 0x8007xxxx, as HRESULT_FROM_WIN32 makes it). A setter
//   given a null pointer returns E_INVALIDARG (0x80070057) and changes nothing.
// - Save writes the object's fields as a small text file at the path, through the fake file
//   area, over any file that is there. It fails with 0x80070003 when the path's folder does not
//   exist and with 0x80070005 when the path is a folder; otherwise it answers the scripted
//   result (S_OK by default), and a scripted failure writes nothing.
#pragma once
#include <optional>
#include <string>
#include "win32.h"

namespace fake {

// The fields of a shell link object; what a fresh object holds is the default here.
struct ShortcutFields {
    std::string path, arguments, workingDirectory, description, iconFile;
    int iconIndex = 0;
    int showCommand = SW_SHOWNORMAL;
    WORD hotKey = 0;
};

void SetCoInitializeResult(HRESULT result);
int CoUninitializeCount();
bool IsComStarted();  // more successful starts than stops

// Every CoCreateInstance from now on fails with the result.
void SetCoCreateInstanceResult(HRESULT result);
// Shell link objects made from now on lack the interface ("IShellLinkA" or "IPersistFile").
void LackInterface(const std::string& interfaceName);
// What Save answers once the file is written; a failure code writes nothing.
void SetSaveResult(HRESULT result);

// Shell link objects made since the reset, and those with references left.
int ShellLinksMade();
int LiveShellLinks();
// The path and fields of the last successful Save; nothing when none was saved.
std::optional<std::string> LastSavedShortcutFile();
std::optional<ShortcutFields> LastSavedShortcut();
// Reads back a shortcut file that Save wrote; nothing when the file is missing or not one.
std::optional<ShortcutFields> ReadShortcutFile(const std::string& path);

}  // namespace fake
