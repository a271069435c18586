#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "ship_folder.h"

// Scripts are small; anything larger than this is no script and not worth reading whole.
static const long kLargestScript = 256L * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open " + path + ": " + strerror(errno);
        return false;
    }
    bytes->clear();
    char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0) {
        bytes->append(block, got);
        if (bytes->size() > static_cast<size_t>(kLargestScript)) {
            fclose(file);
            *error = path + " is larger than 256 MiB; that is no install script";
            return false;
        }
    }
    bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}
