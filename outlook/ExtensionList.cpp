#include "outlook/ExtensionList.h"

#include "platform/AnsiChars.h"

namespace {

constexpr char Separator = ';';
constexpr char Quote = '"';

bool IsBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

bool NeedsQuotes(std::string_view item) {
    for (std::size_t pos = 0; pos < item.size(); pos += platform::AnsiCharLength(item, pos)) {
        if (IsBlank(item[pos]) || item[pos] == Quote || item[pos] == Separator) {
            return true;
        }
    }
    return false;
}

} // namespace

TExtensionList SplitExtensionList(std::string_view text) {
    TExtensionList items;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
    };
    skipBlanks();
    while (pos < text.size()) {
        std::string item;
        if (text[pos] == Quote) {
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == Quote) {
                    if (pos + 1 < text.size() && text[pos + 1] == Quote) {
                        item += Quote;
                        pos += 2;
                        continue;
                    }
                    ++pos; // the closing quote
                    break;
                }
                const std::size_t length = platform::AnsiCharLength(text, pos);
                item.append(text.substr(pos, length));
                pos += length;
            }
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != Separator) {
                pos += platform::AnsiCharLength(text, pos);
            }
            item.assign(text.substr(start, pos - start));
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (pos < text.size() && text[pos] == Separator) {
            if (pos + 1 == text.size()) {
                items.emplace_back(); // a separator at the very end closes an empty last item
            }
            ++pos;
            skipBlanks();
        }
    }
    return items;
}

std::string JoinExtensionList(const TExtensionList& items) {
    if (items.size() == 1 && items.front().empty()) {
        return std::string(2, Quote);
    }
    std::string text;
    for (const std::string& item : items) {
        if (NeedsQuotes(item)) {
            text += Quote;
            for (std::size_t pos = 0; pos < item.size();) {
                const std::size_t length = platform::AnsiCharLength(item, pos);
                if (item[pos] == Quote) {
                    text += Quote;
                }
                text.append(item, pos, length);
                pos += length;
            }
            text += Quote;
        } else {
            text += item;
        }
        text += Separator;
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return text;
}
