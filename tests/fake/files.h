// The file area of the fake layer: kernel32's files, folders, module paths and code-page calls.
//
// Drive paths live as real files in a temporary folder made once per test run and emptied by
// fake::Reset(): "C:\Product\Install.log" is <temporary folder>/c/product/install.log. Every
// path is folded to lower case (Windows-1252 letters included) so that, as on Windows, two
// spellings of one path name one file. Like Windows, the mapping takes "/" for "\", collapses
// doubled separators, resolves "." and ".." (never above the drive root) and drops trailing dots
// and blanks of each name; a path without a drive is taken from the current folder.
//
// After a reset the tree holds the folders C:\, C:\WINDOWS and C:\Product; the Windows directory
// is "C:\WINDOWS", the program path "C:\Product\Setup.exe" and the current folder "C:\Product".
//
// Each fake call is recorded (fake::Record): its arguments in the order of the signature, then
// its outcome as the last argument ("0x104" for a handle, "ok", "error 2", or a count). ReadFile
// and WriteFile record the handle, the bytes asked for, and the bytes delivered or written.
// Every call first honours fake::TakeInjectedFailure and then fails with that error, touching
// nothing.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "win32.h"

namespace fake {

// The host path of a drive path, for areas that keep files of their own (a saved shortcut).
std::string HostPath(const std::string& path);

// Test set-up and inspection. Writing a file makes its missing folders.
void WriteHostFile(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadHostFile(const std::string& path);  // nothing for a missing file
bool HostFileExists(const std::string& path);    // a file, not a folder
bool HostFolderExists(const std::string& path);
void MakeHostFolder(const std::string& path);    // with every missing level
std::vector<std::string> HostFolderNames(const std::string& path);  // sorted, folded names
void SetReadOnly(const std::string& path, bool readOnly = true);

// Holds the file open as another process would, sharing only what shareMode allows, until
// UnlockFile or the next reset. False when the file does not exist.
bool LockFile(const std::string& path, DWORD shareMode = 0);
void UnlockFile(const std::string& path);

// Handles the product holds open right now (locks of LockFile not counted).
int OpenHandleCount();

// The nth ReadFile (1-based) delivers at most `most` bytes, the nth WriteFile writes at most
// `most` bytes; both still report success, as a short read or a full disk would.
void LimitNthRead(int nth, DWORD most);
void LimitNthWrite(int nth, DWORD most);

// Scripted answers.
void SetWindowsDirectory(const std::string& path);  // its folder is made
void SetProgramPath(const std::string& path);       // its folder is made
void SetCurrentFolder(const std::string& path);
void SetProcAddress(const std::string& name, FARPROC function);
void SetSystemMessage(DWORD messageId, const std::string& text);  // for FormatMessageA

}  // namespace fake
