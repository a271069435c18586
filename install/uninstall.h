// Enters the product in the machine's list of installed programs.
#pragma once

void RegisterUninstall(const char* fileName, const char* destinationFolder);
