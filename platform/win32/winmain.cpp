// The real entry glue: the module instance is known here, then the installer's own entry point runs.
#include "entry.h"
#include "state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    installer.moduleInstance = instance;
    RunSetup();
}
