#include "platform/ExeFolder.h"

#include <climits>
#include <cstdlib>
#include <memory>

namespace platform {

std::string GetExeFolder() {
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath("/proc/self/exe", nullptr), &std::free);
    if (!resolved) {
        return "./";
    }
    std::string path(resolved.get());
    return path.substr(0, path.rfind('/') + 1);
}

char PathDelimiter() {
    return '/';
}

} // namespace platform
