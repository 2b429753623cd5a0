#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace themes {

/// A theme package carried in the program: one zlib stream, as vellicor_skinpack deflated it.
struct TThemePackage {
    const char* FileName; ///< the stored file name, such as "Office2007.skn"
    const unsigned char* Data;
    std::size_t Size;
};

/// Every carried package, in menu order.
const std::vector<TThemePackage>& Packages();
/// The package stored under `fileName` (exact), or nullptr.
const TThemePackage* FindPackage(std::string_view fileName);

} // namespace themes
