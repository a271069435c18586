// What the driver's commands share: the scenario's state and the small helpers that read words
// and compare bytes. The commands themselves live in window_commands.cpp (the program and its
// windows) and file_commands.cpp (files, registry, shortcuts).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "target.h"

using Words = std::vector<std::string>;

// A mistake in the scenario itself, as opposed to a failed expectation.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct RegistrySnapshot {
    std::string root;
    std::string key;
    std::string tree;
};

struct Context {
    Target target;
    HWND current = nullptr;   // the window that `window` or `enter-box` chose
    HWND box = nullptr;       // the message box that `expect-box` found
    DWORD timeoutMs = 30000;
    std::map<std::string, std::string> variables;
    std::map<std::string, RegistrySnapshot> snapshots;
};

using Command = std::function<void(Context &, const Words &)>;
using CommandTable = std::map<std::string, Command>;

void AddWindowCommands(CommandTable &table);
void AddFileCommands(CommandTable &table);

long ToNumber(const std::string &word);
DWORD ToHex(const std::string &word);
std::string Hex(DWORD value);
void NeedWords(const Words &words, size_t count);
std::string WithoutTrailingBackslash(std::string text);
// Throws a failed expectation that shows both byte strings.
void ExpectBytes(const std::string &what, const std::string &expected, const std::string &actual);
// A position or size in a control's rectangle: a number, or "cw", "cw+N", "cw-N" with cw the
// client width of the current window, so a scenario states a layout the way it is designed.
long LayoutNumber(const std::string &word, long clientWidth);
HWND CurrentWindow(const Context &context);
// The n-th direct child of the current window, counted from 1 in the order of creation.
HWND Child(const Context &context, const std::string &number);
