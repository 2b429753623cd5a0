#include "ctl/RegFile.h"

#include "platform/TextConv.h"

#include <cstdio>

namespace {

std::u16string Ascii(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

bool HasControlCharacter(const std::u16string& text) {
    for (const char16_t unit : text) {
        if (unit < 0x20 || unit == 0x7F) {
            return true;
        }
    }
    return false;
}

std::u16string Quoted(const std::u16string& text) {
    std::u16string out = u"\"";
    for (const char16_t unit : text) {
        if (unit == u'\\' || unit == u'"') {
            out += u'\\';
        }
        out += unit;
    }
    out += u'"';
    return out;
}

// hex(1): the string's UTF-16LE bytes with the terminating zero, wrapped as regedit wraps long data.
std::u16string HexString(const std::u16string& prefix, const std::u16string& text) {
    std::u16string line = prefix + u"hex(1):";
    std::u16string out;
    std::u16string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char16_t>(unit & 0xFF);
        bytes += static_cast<char16_t>(unit >> 8);
    }
    bytes += u'\0';
    bytes += u'\0';
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned>(bytes[i]) & 0xFFu); // one byte each
        line += Ascii(hex);
        if (i + 1 < bytes.size()) {
            line += u',';
            if (line.size() > 76) {
                out += line + u"\\\r\n";
                line = u"  ";
            }
        }
    }
    return out + line;
}

} // namespace

std::string RegeditFile(const std::vector<std::string>& comments, const std::vector<TRegFileKey>& keys) {
    std::u16string text = u"\xFEFF"
                          u"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const std::string& comment : comments) {
        text += u"; " + platform::AnsiToWide(comment) + u"\r\n";
    }
    if (!comments.empty()) {
        text += u"\r\n";
    }
    for (const TRegFileKey& key : keys) {
        text += u"[" + platform::AnsiToWide(key.Path) + u"]\r\n";
        for (const TRegFileValue& value : key.Values) {
            const std::u16string name = Quoted(platform::AnsiToWide(value.Name)) + u"=";
            if (value.IsDword) {
                char hex[9];
                std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(value.Dword));
                text += name + u"dword:" + Ascii(hex);
            } else if (const std::u16string data = platform::AnsiToWide(value.Text); HasControlCharacter(data)) {
                text += HexString(name, data);
            } else {
                text += name + Quoted(data);
            }
            text += u"\r\n";
        }
        text += u"\r\n";
    }
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}
