// Everything that happens after "Weiter >".
#pragma once

// Copies the product, registers or links the uninstaller, builds the program group, opens the
// "EXEC!" files, shows the final box and posts the quit message.
void RunInstallation();
