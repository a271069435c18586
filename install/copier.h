// Copies one file in 2048-byte blocks, with its status text and its own failure box.
#pragma once

void CopyOneFile(const char* sourcePath, const char* destinationPath);
