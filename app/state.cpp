#include "state.h"

// Zeroed at process start, as every field must be.
InstallerState installer;
