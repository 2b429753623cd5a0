#pragma once

#include <string>
#include <vector>

/// One entry of a contents (.hhc) or index (.hhk) file: its name, the topic it opens (as written in the
/// file) and the entries nested under it.
struct TSitemapItem {
    std::string Name;
    std::string Local;
    std::vector<TSitemapItem> Children;
};

/// Reads the entries of a sitemap file: <OBJECT type="text/sitemap"> with <param name=".." value="..">,
/// nested by <UL>. Tolerant of what help authoring tools write; never fails. Nesting deeper than a few dozen
/// levels is flattened.
std::vector<TSitemapItem> ParseSitemap(const std::string& text);
