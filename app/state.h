// The installer state: the one process-wide record that every routine works on.
// Every field starts zeroed and is filled phase by phase: script, welcome, installation.
#pragma once
#include "win32.h"

const unsigned kTextSize = 256;      // a 255-character text and its zero
const unsigned kFolderSize = 264;    // a folder: 261 characters of module path, a backslash, a zero
const unsigned kPathSize = 1024;     // a built path; longer than the 259 the file layer accepts, so
                                     // an overlong path is refused there instead of cut here
const unsigned kLineSize = 4096;     // the part of a script line the reader keeps
const unsigned kEntryTextSize = 100; // a file name or option text: 99 characters and a zero
const unsigned kEntryLimit = 200;    // rows of the entry table

struct ScriptEntry {
    unsigned char fileNameLength;
    char fileName[kEntryTextSize];
    unsigned char optionTextLength;
    char optionText[kEntryTextSize];
};

struct InstallerState {
    // Texts and table from the install script
    char productTitle[kTextSize];       // line 3, at most 255 characters
    char defaultFolderName[kTextSize];  // line 4 without a leading C:\PROGRAMME\ in any case
    char destinationText[kTextSize];    // destination root followed by the default folder name
    char groupName[kTextSize];          // line 5: the Start menu program group
    char reservedLine[kTextSize];       // line 6: kept, used nowhere
    char currentLine[kLineSize];        // the script line last read
    unsigned currentLineLength;         // its length as kept
    bool currentLineOverlong;           // the line had more than kLineSize - 1 characters
    unsigned short entryCount;          // number of script entries, at most kEntryLimit once loaded
    int entryIndex;                     // the entry the reader fills next (1-based)
    ScriptEntry entries[kEntryLimit];   // entries[0] is entry 1

    // Folders and mode
    char sourceFolder[kFolderSize];      // installer's own folder; after "Weiter >" the source field
    char destinationFolder[kFolderSize]; // empty until the run; then the destination field
    char windowsFolder[kFolderSize];     // the Windows directory with its trailing backslash
    char windowsFolderBuffer[257];       // receives GetWindowsDirectoryA
    unsigned char perUserMode;           // 1: the machine-wide key did not open with full access

    // Welcome window and its controls
    HWND welcomeWindow;
    HWND welcomeHeader;
    HWND destinationLabel;
    HWND uninstallNote;
    HWND sourceEdit;
    HWND destinationEdit;
    HWND browseButton;
    HWND nextButton;
    HWND cancelButton;

    // Progress window and its controls
    HWND progressWindow;
    HWND progressHeader;
    HWND statusLine;
    HWND progressNextButton;
    HWND progressCancelButton;

    // Drawing objects, geometry and buffers of the windows
    HBRUSH faceBrush;                // COLOR_BTNFACE; deleted by the entry point
    HFONT headerFont;                // bold 18; deleted by the entry point
    HFONT textFont;                  // normal 8; deleted by the entry point
    RECT desktopRect;
    unsigned short screenWidth;      // low 16 bits of desktopRect.right
    unsigned short screenHeight;     // low 16 bits of desktopRect.bottom
    RECT welcomeClientRect;
    char pickedFolder[MAX_PATH];     // the folder last picked in the folder browser

    HINSTANCE moduleInstance;        // the installer's own module
};

extern InstallerState installer;
