#include "platform/StringCompare.h"

#include <windows.h>

namespace platform {

int CompareStringLocale(const std::string& a, const std::string& b) {
    return lstrcmpA(a.c_str(), b.c_str());
}

} // namespace platform
