#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

/// Length in bytes of the character that starts at `pos` of text in the system's ANSI code page:
/// at least 1, and never reaching past the end of `text`. `pos` must be inside `text`.
/// Stepping by it keeps the trail byte of a multi-byte character from being taken for a separator.
/// Windows: a lead byte of the ANSI code page (IsDBCSLeadByte) takes its trail byte with it, as CharNextA does.
/// Linux: the ANSI code page is UTF-8; a byte that does not start a complete, valid sequence counts alone.
std::size_t AnsiCharLength(std::string_view text, std::size_t pos);

} // namespace platform
