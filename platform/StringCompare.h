#pragma once

#include <string>

namespace platform {

/// Compares two ANSI strings the way the user's locale orders them, letter case counting
/// (Windows: lstrcmpA; Linux: strcoll under the user's LC_COLLATE). Negative, zero or positive.
int CompareStringLocale(const std::string& a, const std::string& b);

} // namespace platform
