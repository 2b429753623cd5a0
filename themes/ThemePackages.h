#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace themes {

/// A theme carried in the program, as Themes.txt lists it, with its package: one zlib stream, as
/// vellicor_skinpack deflated it.
struct TThemePackage {
    const char* Identifier; ///< the theme identifier, such as "actThemeOffice2007"
    const char* Caption;    ///< its menu caption, such as "Office 2007 (default)"
    const char* FileName;   ///< the stored file name, such as "Office2007.skn"
    const unsigned char* Data;
    std::size_t Size;
};

/// Every carried theme, in menu order; the first is the default.
const std::vector<TThemePackage>& Packages();
/// The package stored under `fileName` (exact), or nullptr.
const TThemePackage* FindPackage(std::string_view fileName);

} // namespace themes
