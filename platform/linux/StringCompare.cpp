#include "platform/StringCompare.h"

#include <clocale>
#include <cstring>
#include <mutex>

namespace platform {

int CompareStringLocale(const std::string& a, const std::string& b) {
    // The user's collation, as lstrcmpA takes the user's locale on Windows. Qt sets LC_ALL from the
    // environment at start-up; without Qt (tests, tools) take it from the environment here.
    static std::once_flag once;
    std::call_once(once, [] {
        if (const char* current = std::setlocale(LC_COLLATE, nullptr);
            current == nullptr || std::strcmp(current, "C") == 0) {
            std::setlocale(LC_COLLATE, "");
        }
    });
    const int result = std::strcoll(a.c_str(), b.c_str());
    if (result != 0) {
        return result;
    }
    // Strings that collate equal but differ (or hold a NUL) still need one order.
    return a.compare(b);
}

} // namespace platform
