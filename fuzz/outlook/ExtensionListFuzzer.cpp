// Any text splits without reading out of bounds, and any list joins into a text that splits back into it.
#include "outlook/ExtensionList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const TExtensionList read = SplitExtensionList(text);
    if (SplitExtensionList(JoinExtensionList(read)) != read) {
        __builtin_trap();
    }

    // The same bytes as a list of their own, items cut at each 0xFE byte.
    TExtensionList items(1);
    for (const char c : text) {
        if (static_cast<unsigned char>(c) == 0xFE) {
            items.emplace_back();
        } else {
            items.back() += c;
        }
    }
    if (SplitExtensionList(JoinExtensionList(items)) != items) {
        __builtin_trap();
    }
    return 0;
}
