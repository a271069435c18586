// The install script "Install.log": its reading rules and the installer's loading of it.
#pragma once

// Reads the script beside the installer into the installer state; false when it is broken.
bool LoadInstallScript();
