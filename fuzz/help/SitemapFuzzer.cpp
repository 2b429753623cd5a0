// Any text as a contents (.hhc) or index (.hhk) page: parsed without reading out of bounds, in bounded depth.
#include "help/viewer/Sitemap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Walks the tree without recursion and checks that its depth stays within the parser's limit.
void Walk(const std::vector<TSitemapItem>& items) {
    std::vector<std::pair<const TSitemapItem*, std::size_t>> pending;
    for (const TSitemapItem& item : items) {
        pending.emplace_back(&item, 1);
    }
    while (!pending.empty()) {
        const auto [item, depth] = pending.back();
        pending.pop_back();
        if (depth > 64) {
            __builtin_trap();
        }
        for (const TSitemapItem& child : item->Children) {
            pending.emplace_back(&child, depth + 1);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Walk(ParseSitemap(std::string(reinterpret_cast<const char*>(data), size)));
    return 0;
}
