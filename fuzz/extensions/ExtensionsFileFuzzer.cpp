// Any bytes split into rows without reading out of bounds: one row per line of the text up to its first NUL
// (CR LF, CR and LF each end a line; a break at the very end starts none), cut at the line's first space.
#include "outlook/ExtensionsFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string Expected(std::string_view content) {
    content = content.substr(0, content.find('\0'));
    std::string lines;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r') {
            lines += '\n';
            if (i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += content[i];
        }
    }
    if (!lines.empty() && lines.back() == '\n') {
        lines.pop_back();
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::vector<TPredefinedFileType> rows = ParsePredefinedFileTypes(content);
    const std::string lines = Expected(content);
    if (content.substr(0, content.find('\0')).empty()) {
        if (!rows.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    // One row per line: the text before its first space, and the rest.
    std::size_t start = 0;
    for (const TPredefinedFileType& row : rows) {
        if (start > lines.size()) {
            __builtin_trap(); // more rows than lines
        }
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        const std::string_view line = std::string_view(lines).substr(start, end - start);
        const std::size_t space = line.find(' ');
        const bool same = space == std::string_view::npos
                              ? row.Extension.empty() && row.Description == line
                              : row.Extension == line.substr(0, space) && row.Description == line.substr(space + 1);
        if (!same) {
            __builtin_trap();
        }
        start = end + 1;
    }
    if (start != lines.size() + 1) {
        __builtin_trap(); // fewer rows than lines
    }
    return 0;
}
