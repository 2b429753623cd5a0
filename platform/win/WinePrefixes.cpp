// Windows keeps the current user's hive in its own registry: there are no Wine prefixes to choose.
#include "platform/WinePrefixes.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace platform {

bool UsesWinePrefixes() {
    return false;
}

bool SelectWinePrefix(const std::string&, std::string& error) {
    error = "Wine prefixes exist only on Linux; on Windows the current user's own registry is used.";
    return false;
}

void RestoreWinePrefix() {}

std::string CurrentWinePrefix() {
    return {};
}

std::vector<TWinePrefixPlace> FindWinePrefixes() {
    return {};
}

void UseBinaryStandardOutput() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace platform
