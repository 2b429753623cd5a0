#include "platform/AppData.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string GetAppDataFolder() {
    std::string folder;
    // The XDG rules: only an absolute $XDG_CONFIG_HOME counts; otherwise ~/.config.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        folder = std::string(home);
        if (folder.back() != '/') {
            folder += '/';
        }
        folder += ".config";
    }
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    ::mkdir(folder.c_str(), 0700); // a fresh account may not have it yet; an existing one is left alone
    return folder;
}

} // namespace platform
