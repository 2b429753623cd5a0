#include "help/viewer/Sitemap.h"

#include <cstddef>
#include <map>
#include <string_view>

namespace {

constexpr std::size_t kMaxDepth = 32;

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return text;
}

std::string DecodeEntities(const std::string& text) {
    static const std::map<std::string, std::string> named = {{"amp", "&"},   {"lt", "<"},   {"gt", ">"},
                                                             {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            // Entities are short: look for their end only a few characters on, or a run of "&" costs a
            // search to the end of the text for every one of them.
            if (const std::size_t length = std::string_view(text).substr(i, 11).find(';');
                length != std::string_view::npos) {
                const std::size_t semicolon = i + length;
                const std::string entity = text.substr(i + 1, semicolon - i - 1);
                if (auto it = named.find(Lower(entity)); it != named.end()) {
                    result += it->second;
                    i = semicolon;
                    continue;
                }
                if (entity.size() > 1 && entity[0] == '#') {
                    unsigned long code = 0;
                    bool valid = true;
                    const bool hex = entity[1] == 'x' || entity[1] == 'X';
                    for (std::size_t k = hex ? 2 : 1; k < entity.size() && valid; ++k) {
                        const char c = entity[k];
                        const int digit = (c >= '0' && c <= '9')          ? c - '0'
                                          : (hex && c >= 'a' && c <= 'f') ? c - 'a' + 10
                                          : (hex && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                                          : -1;
                        valid = digit >= 0 && code < 0x110000;
                        code = code * (hex ? 16 : 10) + unsigned(digit);
                    }
                    if (valid && code > 0 && code < 0x110000) {
                        // UTF-8
                        if (code < 0x80) {
                            result += char(code);
                        } else if (code < 0x800) {
                            result += char(0xC0 | (code >> 6));
                            result += char(0x80 | (code & 0x3F));
                        } else if (code < 0x10000) {
                            result += char(0xE0 | (code >> 12));
                            result += char(0x80 | ((code >> 6) & 0x3F));
                            result += char(0x80 | (code & 0x3F));
                        } else {
                            result += char(0xF0 | (code >> 18));
                            result += char(0x80 | ((code >> 12) & 0x3F));
                            result += char(0x80 | ((code >> 6) & 0x3F));
                            result += char(0x80 | (code & 0x3F));
                        }
                        i = semicolon;
                        continue;
                    }
                }
            }
        }
        result += text[i];
    }
    return result;
}

struct TTag {
    std::string Name; // lower case, "/ul" for a closing tag
    std::map<std::string, std::string> Attributes;
};

// Reads the tag that starts at text[at] == '<'; `at` moves past it.
TTag ReadTag(const std::string& text, std::size_t& at) {
    TTag tag;
    std::size_t i = at + 1;
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (i < text.size() && !isSpace(text[i]) && text[i] != '>') {
        tag.Name += text[i++];
    }
    tag.Name = Lower(tag.Name);
    while (i < text.size() && text[i] != '>') {
        if (isSpace(text[i]) || text[i] == '/') {
            ++i;
            continue;
        }
        std::string name;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=' && text[i] != '>') {
            name += text[i++];
        }
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        std::string value;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && isSpace(text[i])) {
                ++i;
            }
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const char quote = text[i++];
                const std::size_t end = text.find(quote, i);
                const std::size_t stop = end == std::string::npos ? text.size() : end;
                value = text.substr(i, stop - i);
                i = end == std::string::npos ? text.size() : end + 1;
            } else {
                while (i < text.size() && !isSpace(text[i]) && text[i] != '>') {
                    value += text[i++];
                }
            }
        }
        if (!name.empty()) {
            tag.Attributes[Lower(name)] = DecodeEntities(value);
        }
    }
    at = i < text.size() ? i + 1 : text.size();
    return tag;
}

} // namespace

std::vector<TSitemapItem> ParseSitemap(const std::string& text) {
    std::vector<TSitemapItem> top;
    // The lists being filled, innermost last; a nested list belongs to the last entry of the one around it.
    std::vector<std::vector<TSitemapItem>*> lists{&top};
    std::size_t flattened = 0;
    bool sawFirstList = false;
    bool inItem = false;
    TSitemapItem item;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        if (text.compare(at, 4, "<!--") == 0) {
            const std::size_t end = text.find("-->", at + 4);
            at = end == std::string::npos ? text.size() : end + 3;
            continue;
        }
        const TTag tag = ReadTag(text, at);
        if (tag.Name == "ul") {
            if (!sawFirstList) {
                sawFirstList = true; // the outermost list is the top level itself
            } else if (lists.size() < kMaxDepth && !lists.back()->empty()) {
                lists.push_back(&lists.back()->back().Children);
            } else {
                ++flattened;
            }
        } else if (tag.Name == "/ul") {
            if (flattened > 0) {
                --flattened;
            } else if (lists.size() > 1) {
                lists.pop_back();
            }
        } else if (tag.Name == "object") {
            auto type = tag.Attributes.find("type");
            inItem = type != tag.Attributes.end() && Lower(type->second) == "text/sitemap";
            item = TSitemapItem{};
        } else if (tag.Name == "param" && inItem) {
            const std::string name = Lower(tag.Attributes.count("name") ? tag.Attributes.at("name") : "");
            const std::string value = tag.Attributes.count("value") ? tag.Attributes.at("value") : "";
            // An index entry may name several topics: the first one is opened.
            if (name == "name" && item.Name.empty()) {
                item.Name = value;
            } else if (name == "local" && item.Local.empty()) {
                item.Local = value;
            }
        } else if (tag.Name == "/object" && inItem) {
            inItem = false;
            lists.back()->push_back(std::move(item));
            item = TSitemapItem{};
        }
    }
    return top;
}
