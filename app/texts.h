// Every fixed text of the installer, byte for byte in the Windows-1252 code page.
// The readable form stands in the comment above each escaped one.
#pragma once

// --- Install script
#define TEXT_SCRIPT_NAME "Install.log"
#define TEXT_SCRIPT_HEADER_1 "VELMORA Quillset 2.0 - Install.log"
// Nicht verändern, nicht löschen!
#define TEXT_SCRIPT_HEADER_2 "Nicht ver\xE4ndern, nicht l\xF6schen!"
#define TEXT_PROGRAM_FILES_PREFIX "C:\\PROGRAMME\\"  // compared after folding a-z to A-Z
#define TEXT_DEFAULT_ROOT "c:\\programme\\"

// --- Option keywords
#define TEXT_OPTION_UNINSTALLER "DEINST!"
#define TEXT_OPTION_IF_NOT_EXIST "NEINIFNOTEXIST!"
#define TEXT_OPTION_NO_SHORTCUT "NEIN!"
#define TEXT_OPTION_OPEN "EXEC!"

// --- Registry names
#define TEXT_KEY_CURRENT_VERSION "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
#define TEXT_VALUE_PROGRAM_FILES "ProgramFilesDir"
#define TEXT_KEY_VOLATILE_ENVIRONMENT "Volatile Environment"
#define TEXT_VALUE_APPDATA "APPDATA"
#define TEXT_KEY_SHELL_FOLDERS "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
#define TEXT_VALUE_PROGRAMS "Programs"
#define TEXT_KEY_UNINSTALL "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
#define TEXT_VALUE_DISPLAY_NAME "DisplayName"
#define TEXT_VALUE_UNINSTALL_STRING "UninstallString"

// --- Raised errors: each text has the value's name between its two pieces
// Konnte Daten für '%s' nicht holen
#define TEXT_ERROR_READ_VALUE_1 "Konnte Daten f\xFCr '"
#define TEXT_ERROR_READ_VALUE_2 "' nicht holen"
// Ungültiger Datentyp für '%s'
#define TEXT_ERROR_VALUE_TYPE_1 "Ung\xFCltiger Datentyp f\xFCr '"
#define TEXT_ERROR_VALUE_TYPE_2 "'"
// Konnte Daten für '%s' nicht setzen
#define TEXT_ERROR_WRITE_VALUE_1 "Konnte Daten f\xFCr '"
#define TEXT_ERROR_WRITE_VALUE_2 "' nicht setzen"
#define TEXT_ERROR_OLE "OLE-Fehler "  // followed by the HRESULT in eight hex digits
// Schnittstelle nicht unterstützt
#define TEXT_ERROR_INTERFACE "Schnittstelle nicht unterst\xFCtzt"

// Names of the kinds of raised error, shown in the unhandled-error box
#define TEXT_KIND_REGISTRY "ERegistryError"
#define TEXT_KIND_OLE "EOleError"
#define TEXT_KIND_INTERFACE "EInterfaceError"
#define TEXT_KIND_GENERAL "EGeneralError"

// --- Unhandled-error box: "Exception %s in Modul %s bei %p." LF "%s%s"
#define TEXT_UNHANDLED_CAPTION "Anwendungsfehler"
#define TEXT_UNHANDLED_1 "Exception "
#define TEXT_UNHANDLED_2 " in Modul "
#define TEXT_UNHANDLED_3 " bei "
#define TEXT_UNHANDLED_4 ".\n"

// --- Run-time failure box: "Runtime error 217 at 0040123A"
#define TEXT_RUNTIME_CAPTION "Error"
#define TEXT_RUNTIME_1 "Runtime error "
#define TEXT_RUNTIME_2 " at "

// --- Start-up boxes
// Die Datei Install.log ist defekt! Die Installation muß abgebrochen werden!
#define TEXT_BROKEN_SCRIPT "Die Datei Install.log ist defekt! Die Installation mu\xDF abgebrochen werden!"
#define TEXT_BROKEN_SCRIPT_CAPTION "Installation abbgebrochen!"
#define TEXT_CANNOT_REGISTER_CLASS "Can not Register Class"
#define TEXT_CANNOT_CREATE_WINDOW "Das Fenster konnte nicht erstellt werden!"

// --- Quit question
#define TEXT_CONFIRM_QUIT "Wollen Sie das Programm wirklich beenden?"
#define TEXT_CONFIRM_QUIT_CAPTION "Programm beenden"

// --- Windows and controls
#define TEXT_ICON_NAME "MAINICON"
#define TEXT_WELCOME_CLASS "VelmoraClass"
#define TEXT_PROGRESS_CLASS "QuillsetWndclass"
#define TEXT_WINDOW_TITLE "VELMORA Install"
#define TEXT_CLASS_STATIC "STATIC"
#define TEXT_CLASS_EDIT "EDIT"
#define TEXT_CLASS_BUTTON "BUTTON"
#define TEXT_FONT_FACE "MS Sans Serif"
#define TEXT_WELCOME_GREETING "Willkommen im Installationsprogramm von "  // 40 characters
#define TEXT_WELCOME_GREETING_END "!"
#define TEXT_SOURCE_LABEL "Quellverzeichnis:"
#define TEXT_DESTINATION_LABEL "Zielverzeichnis:"
// Dieses Programm verfügt über ein eigenes Deinstallationsprogramm!
#define TEXT_UNINSTALL_NOTE "Dieses Programm verf\xFCgt \xFC" "ber ein eigenes Deinstallationsprogramm!"
#define TEXT_BROWSE_BUTTON "Durchsuchen..."
#define TEXT_NEXT_BUTTON "Weiter >"
#define TEXT_CANCEL_BUTTON "Abbrechen"
#define TEXT_BROWSE_TITLE "Zielverzeichnis aussuchen"
#define TEXT_PROGRESS_HEADER "Das Programm wird jetzt installiert, das dauert einige Zeit!"

// Empty edit fields after "Weiter >": the user may correct them in the welcome window
#define TEXT_EMPTY_SOURCE "Bitte geben Sie das Quellverzeichnis an!"
#define TEXT_EMPTY_DESTINATION "Bitte geben Sie das Zielverzeichnis an!"

// --- Installation run
#define TEXT_SHORTCUT_EXTENSION ".lnk"
#define TEXT_UNINSTALL_SHORTCUT "Uninstall.lnk"
#define TEXT_VERB_OPEN "open"
#define TEXT_INSTALL_DONE "Die Installation wurde abgeschlossen!"
#define TEXT_INSTALL_DONE_CAPTION "Installation beendet"

// --- File copier: status "Kopiere <src> CR " nach " CR <dst>..."
#define TEXT_STATUS_1 "Kopiere "
#define TEXT_STATUS_2 "\r nach \r"
#define TEXT_STATUS_3 "..."
// failure "Fehler beim Kopieren der Datei " CR LF <src> CR LF " nach " CR LF <dst> " !"
#define TEXT_COPY_FAILED_1 "Fehler beim Kopieren der Datei \r\n"
#define TEXT_COPY_FAILED_2 "\r\n nach \r\n"
#define TEXT_COPY_FAILED_3 " !"
