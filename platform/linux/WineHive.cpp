#include "platform/linux/WineHive.h"

#include "platform/Registry.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <type_traits>

namespace platform::wine {

namespace {

constexpr std::string_view HeaderLine = "WINE REGISTRY Version 2";
constexpr TTicks TicksPerSecond = 10'000'000;
constexpr TTicks TicksFrom1601To1970 = 116'444'736'000'000'000ULL;
constexpr std::size_t NoPosition = std::string_view::npos;
constexpr const char* NoHeaderProblem = "it does not start with the line \"WINE REGISTRY Version 2\"";
constexpr const char* TooLargeProblem = "the file is too large";
constexpr const char* UnreadableDataProblem = "a value whose data cannot be read";

// How the data of a value is written in the file.
enum EForm { FormMalformed = 0, FormString = 1, FormHex = 2, FormDword = 3 };

// The white space of C's isspace in the "C" locale, which Wine's loader skips.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned HexValue(char c) {
    if (IsDigit(c)) {
        return static_cast<unsigned>(c - '0');
    }
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}
bool IsStringType(std::uint32_t type) {
    return type == reg::TypeSz || type == reg::TypeExpandSz || type == reg::TypeMultiSz;
}

// Decodes the well-formed UTF-8 sequence at `pos`; returns its length, or 0 when there is none.
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() - pos < length || byte(pos + 1) < low || byte(pos + 1) > high) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) {
            return 0;
        }
        cp = (cp << 6) | (byte(pos + i) & 0x3Fu);
    }
    return length;
}

void AppendUnits(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// ANSI text to UTF-16 as MultiByteToWideChar does for UTF-8: a byte that is no character becomes U+FFFD.
std::u16string AnsiToUnits(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            units.push_back(u'\xFFFD');
            ++pos;
        } else {
            AppendUnits(units, cp);
            pos += length;
        }
    }
    return units;
}

// UTF-16 to ANSI text; a lone surrogate becomes U+FFFD, as WideCharToMultiByte makes it.
std::string UnitsToAnsi(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(text, cp);
    }
    return text;
}

constexpr char16_t FoldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
}

// Upper case for matching names, as the registry compares them. Covers the scripts whose case pairs
// sit at a fixed distance (Latin-1, Greek, Cyrillic); other characters compare as they are.
char16_t FoldUnit(char16_t c) {
    if (c < 0x80) [[likely]] {
        return FoldAscii(c);
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    return c;
}

std::u16string Fold(std::u16string_view text) {
    std::u16string folded(text);
    for (auto& c : folded) {
        c = FoldUnit(c);
    }
    return folded;
}

// A sink for ParseEscaped that only the end of the string matters to.
struct TNoUnits {
    void operator()(char16_t) const {}
};

// Wine's parse_strW: reads an escaped string up to `endChar`, feeding each UTF-16 unit to `put`.
// Returns the position after `endChar`, or NoPosition when the line ends first.
template <class TSink> std::size_t ParseEscaped(std::string_view s, std::size_t p, char endChar, TSink&& put) {
    if constexpr (std::is_same_v<std::decay_t<TSink>, TNoUnits>) {
        // Where the string ends, found without decoding it: an escape's own bytes are never a quote, a bracket
        // or a backslash (its hex or octal digits, or the one character it stands for), nor is any byte of a
        // UTF-8 sequence, so the end is the first `endChar` that no backslash escapes.
        for (const char* at = s.data() + p; at < s.data() + s.size(); ++at) {
            if (*at == endChar) {
                return std::size_t(at - s.data()) + 1;
            }
            if (*at == '\\' && ++at == s.data() + s.size()) {
                return NoPosition;
            }
        }
        return NoPosition;
    }
    while (p < s.size() && s[p] != endChar) {
        if (s[p] == '\\') {
            ++p;
            if (p >= s.size()) {
                return NoPosition;
            }
            const char c = s[p];
            char16_t letter = 0;
            switch (c) {
            case 'a':
                letter = 7;
                break;
            case 'b':
                letter = 8;
                break;
            case 'e':
                letter = 27;
                break;
            case 'f':
                letter = 12;
                break;
            case 'n':
                letter = 10;
                break;
            case 'r':
                letter = 13;
                break;
            case 't':
                letter = 9;
                break;
            case 'v':
                letter = 11;
                break;
            default:
                break;
            }
            if (letter != 0) {
                put(letter);
                ++p;
                continue;
            }
            if (c == 'x') {
                ++p;
                if (p >= s.size() || !IsHexDigit(s[p])) {
                    put(u'x');
                    continue;
                }
                unsigned unit = 0;
                for (int n = 0; n < 4 && p < s.size() && IsHexDigit(s[p]); ++n, ++p) {
                    unit = unit * 16 + HexValue(s[p]);
                }
                put(static_cast<char16_t>(unit));
                continue;
            }
            if (c >= '0' && c <= '7') {
                unsigned unit = 0;
                for (int n = 0; n < 3 && p < s.size() && s[p] >= '0' && s[p] <= '7'; ++n, ++p) {
                    unit = unit * 8 + static_cast<unsigned>(s[p] - '0');
                }
                put(static_cast<char16_t>(unit));
                continue;
            }
            // Any other escaped character stands for itself.
        }
        if (static_cast<unsigned char>(s[p]) >= 0x80) {
            char32_t cp = 0;
            const std::size_t length = DecodeUtf8(s, p, cp);
            if (length == 0) {
                ++p; // Wine drops a byte that is not UTF-8
                continue;
            }
            if (cp < 0x10000) {
                put(static_cast<char16_t>(cp));
            } else {
                put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
                put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
            }
            p += length;
            continue;
        }
        put(static_cast<char16_t>(s[p]));
        ++p;
    }
    return p < s.size() ? p + 1 : NoPosition;
}

// Path elements, as wineserver splits a path: runs of backslashes separate, empty elements vanish.
std::vector<std::u16string> SplitPath(std::u16string_view path) {
    std::vector<std::u16string> elements;
    std::size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && path[pos] == u'\\') {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < path.size() && path[pos] != u'\\') {
            ++pos;
        }
        if (pos > start) {
            elements.emplace_back(path.substr(start, pos - start));
        }
    }
    return elements;
}

// JoinPath(SplitPath(path)) in place, without a vector of elements.
void NormalizePath(std::u16string& path) {
    std::size_t out = 0;
    for (std::size_t pos = 0; pos < path.size(); ++pos) {
        if (path[pos] == u'\\' && (out == 0 || path[out - 1] == u'\\')) {
            continue;
        }
        path[out++] = path[pos];
    }
    if (out > 0 && path[out - 1] == u'\\') {
        --out;
    }
    path.resize(out);
}

std::u16string JoinPath(const std::vector<std::u16string>& elements, std::size_t count) {
    std::u16string path;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            path.push_back(u'\\');
        }
        path += elements[i];
    }
    return path;
}

template <class TChar> bool IsSameOrBelow(std::basic_string_view<TChar> folded, std::basic_string_view<TChar> key) {
    if (key.empty()) {
        return true;
    }
    return folded.size() >= key.size() && folded.compare(0, key.size(), key) == 0 &&
           (folded.size() == key.size() || folded[key.size()] == TChar('\\'));
}

// Folded paths as THiveIndex keeps them: AppendUtf8 of each unit, a lone surrogate too, so that most key
// names, which are ASCII, take half the memory of the units. Every unit has bytes of its own and a backslash
// is one byte that no other unit's bytes contain, so paths and their elements compare as the units do.
// Written through a pointer into room for the most bytes: AppendUtf8's push of a byte at a time made indexing
// a quarter slower.
void AppendUnitBytes(std::string& out, std::u16string_view units) {
    const std::size_t begin = out.size();
    out.resize(begin + 3 * units.size());
    char* const first = out.data() + begin;
    char* p = first;
    for (const char16_t unit : units) {
        if (unit < 0x80) {
            *p++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *p++ = static_cast<char>(0xC0 | (unit >> 6));
            *p++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            *p++ = static_cast<char>(0xE0 | (unit >> 12));
            *p++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    out.resize(begin + std::size_t(p - first));
}

std::string FoldedPathBytes(std::string_view path) {
    const auto elements = SplitPath(AnsiToUnits(path));
    std::string bytes;
    AppendUnitBytes(bytes, Fold(JoinPath(elements, elements.size())));
    return bytes;
}

// Whether the folded `path` is one of `keys` or below one; a key without elements (the root) holds every path.
bool InScope(const std::vector<std::string>& keys, std::string_view path) {
    return std::any_of(keys.begin(), keys.end(), [path](const std::string& key) {
        return path.starts_with(key) && (key.empty() || path.size() == key.size() || path[key.size()] == '\\');
    });
}

// Seven bits a byte, low first, the top bit set on every byte but the last.
void AppendVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

std::uint64_t ReadVarint(const char*& p) {
    std::uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        value |= std::uint64_t(byte & 0x7F) << shift;
        if (byte < 0x80) {
            return value;
        }
    }
}

struct THexNumber {
    std::uint64_t Value = 0;
    std::size_t End = 0; // where reading stopped; the start when there were no digits
};

// strtoul(s + p, &end, 16) as the C library reads it.
THexNumber ParseHexNumber(std::string_view s, std::size_t p) {
    THexNumber number{0, p};
    std::size_t q = p;
    while (q < s.size() && IsSpace(s[q])) {
        ++q;
    }
    bool negative = false;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) {
        negative = s[q] == '-';
        ++q;
    }
    if (q + 2 < s.size() && s[q] == '0' && (s[q + 1] | 0x20) == 'x' && IsHexDigit(s[q + 2])) {
        q += 2;
    }
    if (q >= s.size() || !IsHexDigit(s[q])) {
        return number;
    }
    bool overflow = false;
    std::uint64_t value = 0;
    for (; q < s.size() && IsHexDigit(s[q]); ++q) {
        if (value > (UINT64_MAX >> 4)) {
            overflow = true;
        }
        value = (value << 4) | HexValue(s[q]);
    }
    number.Value = overflow ? UINT64_MAX : (negative ? (~value + 1) : value);
    number.End = q;
    return number;
}

// Wine's parse_hex over one line: pairs of hex digits, each optionally followed by a comma.
// The value of each hex digit, 16 for any other byte: hex data is much of a large hive.
constexpr auto HexDigits = [] {
    std::array<std::uint8_t, 256> table{};
    table.fill(16);
    for (int c = 0; c < 10; ++c) {
        table[std::size_t('0' + c)] = std::uint8_t(c);
    }
    for (int c = 0; c < 6; ++c) {
        table[std::size_t('a' + c)] = table[std::size_t('A' + c)] = std::uint8_t(10 + c);
    }
    return table;
}();

std::size_t ParseHexBytes(std::string_view s, std::size_t p, std::string* out) {
    while (p < s.size() && HexDigits[static_cast<unsigned char>(s[p])] < 16) {
        unsigned value = HexDigits[static_cast<unsigned char>(s[p])];
        if (const unsigned low = p + 1 < s.size() ? HexDigits[static_cast<unsigned char>(s[p + 1])] : 16u; low < 16) {
            value = value * 16 + low;
        }
        if (out != nullptr) {
            out->push_back(static_cast<char>(value));
        }
        p += std::min<std::size_t>(2, s.size() - p);
        if (p < s.size() && s[p] == ',') {
            ++p;
        }
    }
    return p;
}

// Where ParseHexBytes stops, without the bytes: a byte and its comma at a time while the data is written as Wine
// writes it ("0a,1b,"), as most of a large hive's hex data is.
std::size_t SkipHexBytes(std::string_view s, std::size_t p) {
    while (p + 3 <= s.size() && HexDigits[static_cast<unsigned char>(s[p])] < 16 &&
           HexDigits[static_cast<unsigned char>(s[p + 1])] < 16 && s[p + 2] == ',') {
        p += 3;
    }
    return ParseHexBytes(s, p, nullptr);
}

std::size_t SkipSpaces(std::string_view s, std::size_t p) {
    while (p < s.size() && IsSpace(s[p])) {
        ++p;
    }
    return p;
}

// Most key names are plain ASCII whose only escapes are doubled backslashes: the start of a name (its '[' at `pos`)
// up to the first other escape, byte beyond ASCII or its closing bracket, folded and with its backslashes as
// NormalizePath leaves them, written a byte at a time from `first`. Returns the end of what was written; `stop` is
// where it stopped.
template <class TChar>
TChar* PutPlainKeyPath(TChar* const first, std::string_view content, std::size_t pos, std::size_t& stop) {
    TChar* out = first;
    std::size_t p = pos + 1;
    for (; p < content.size(); ++p) {
        const char c = content[p];
        if (c == ']' || static_cast<unsigned char>(c) >= 0x80) {
            break;
        }
        if (c == '\\') {
            if (p + 1 >= content.size() || content[p + 1] != '\\') {
                break;
            }
            ++p;
        }
        if (c != '\\' || (out != first && out[-1] != TChar('\\'))) {
            *out++ = static_cast<TChar>(FoldAscii(static_cast<char16_t>(c)));
        }
    }
    stop = p;
    return out;
}

// A section header's key path (the line's '[' at `pos`), unescaped, folded and with its backslashes as
// NormalizePath leaves them, appended to `names` in one pass: no name has more units than bytes. Returns the
// position after the closing bracket, or NoPosition, leaving `names` as it was, when there is none.
std::size_t AppendKeyPath(std::u16string& names, std::string_view content, std::size_t pos) {
    const std::size_t pathBegin = names.size();
    names.resize(pathBegin + (content.size() - pos));
    char16_t* const first = names.data() + pathBegin;
    std::size_t p = pos;
    // The plain start a byte at a time, the rest of a name on the general way.
    char16_t* out = PutPlainKeyPath(first, content, pos, p);
    const std::size_t end = ParseEscaped(content, p, ']', [&](char16_t unit) {
        if (unit != u'\\' || (out != first && out[-1] != u'\\')) {
            *out++ = FoldUnit(unit);
        }
    });
    if (end == NoPosition) {
        names.resize(pathBegin);
        return NoPosition;
    }
    if (out != first && out[-1] == u'\\') {
        --out;
    }
    names.resize(pathBegin + std::size_t(out - first));
    return end;
}

// The rare names that are not plain, on the general way, out of line: the loop that reads a hive seldom takes it.
[[gnu::noinline]] bool AppendEscapedKeyPathBytes(std::string& bytes, std::u16string& units, std::string_view content,
                                                 std::size_t pos) {
    units.clear();
    if (AppendKeyPath(units, content, pos) == NoPosition) {
        return false;
    }
    bytes.clear();
    AppendUnitBytes(bytes, units);
    return true;
}

// The path AppendKeyPath finds, as AppendUnitBytes writes it, in `bytes`: written straight for a plain name, as
// nearly every name is, else through `units`. False when the line has no closing bracket.
bool AppendKeyPathBytes(std::string& bytes, std::u16string& units, std::string_view content, std::size_t pos) {
    // Written through a pointer into room for the most bytes, as AppendUnitBytes does.
    bytes.resize(content.size() - pos);
    char* const first = bytes.data();
    std::size_t p = pos;
    if (char* out = PutPlainKeyPath(first, content, pos, p); p < content.size() && content[p] == ']') {
        if (out != first && out[-1] == '\\') {
            --out;
        }
        bytes.resize(std::size_t(out - first));
        return true;
    }
    return AppendEscapedKeyPathBytes(bytes, units, content, pos);
}

// The start of a value line (its '@' or quote at `pos`): the name, fed unit by unit to `putName`, and the tag
// that says how its data is written.
struct TValueHead {
    std::size_t NameEnd = NoPosition; // after the name; NoPosition when its closing quote is missing
    std::size_t DataBegin = 0;        // where the data starts, after its tag
    std::uint32_t Type = 0;
    EForm Form = FormMalformed;
};

template <class TSink> TValueHead ReadValueHead(std::string_view content, std::size_t pos, TSink&& putName) {
    TValueHead head;
    std::size_t p = pos + 1;
    if (content[pos] == '"') {
        p = ParseEscaped(content, pos + 1, '"', putName);
        if (p == NoPosition) {
            return head;
        }
    }
    head.NameEnd = p;
    p = SkipSpaces(content, p);
    if (p >= content.size() || content[p] != '=') {
        return head;
    }
    p = SkipSpaces(content, p + 1);
    const std::string_view data = content.substr(p);
    struct TTag {
        std::string_view Text;
        std::uint32_t Type;
        EForm Form;
    };
    static constexpr TTag Tags[] = {
        {"\"", reg::TypeSz, FormString},
        {"str:\"", reg::TypeSz, FormString},
        {"str(2):\"", reg::TypeExpandSz, FormString},
        {"str(7):\"", reg::TypeMultiSz, FormString},
        {"hex:", reg::TypeBinary, FormHex},
        {"dword:", reg::TypeDword, FormDword},
    };
    for (const TTag& tag : Tags) {
        // The first byte first: a comparison call for every tag of every value adds up in a large hive.
        if (!data.empty() && data[0] == tag.Text[0] && data.substr(0, tag.Text.size()) == tag.Text) {
            head.Type = tag.Type;
            head.Form = tag.Form;
            head.DataBegin = p + tag.Text.size();
            return head;
        }
    }
    if (data.substr(0, 4) == "hex(") {
        const THexNumber type = ParseHexNumber(content, p + 4);
        if (content.substr(type.End, 2) == "):") {
            head.Type = static_cast<std::uint32_t>(type.Value);
            head.Form = FormHex;
            head.DataBegin = type.End + 2;
        }
    }
    return head;
}

// Wine's dump_strW: the escaped form of a string as wineserver writes it. String data carries its
// terminating zero, which the closing quote implies; a name has none, and keeps a zero it ends in.
void DumpUnits(std::string& out, std::u16string_view str, char escape1, char escape2, bool impliedZero = false) {
    static constexpr std::string_view Escapes = ".......abtnvfr.............e....";
    char buffer[16];
    for (std::size_t i = 0; i < str.size(); ++i) {
        const char16_t c = str[i];
        const std::size_t left = str.size() - i;
        const bool nextIsHex = left > 1 && str[i + 1] < 128 && IsHexDigit(static_cast<char>(str[i + 1]));
        if (c > 127) {
            std::snprintf(buffer, sizeof buffer, nextIsHex ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
            out += buffer;
            continue;
        }
        if (c < 32) {
            if (c == 0 && left == 1 && impliedZero) {
                continue;
            }
            if (Escapes[c] != '.') {
                out += '\\';
                out += Escapes[c];
            } else {
                const bool nextIsOctal = left > 1 && str[i + 1] >= u'0' && str[i + 1] <= u'7';
                std::snprintf(buffer, sizeof buffer, nextIsOctal ? "\\%03o" : "\\%o", static_cast<unsigned>(c));
                out += buffer;
            }
            continue;
        }
        if (c == u'\\' || c == static_cast<char16_t>(escape1) || c == static_cast<char16_t>(escape2)) {
            out += '\\';
        }
        out += static_cast<char>(c);
    }
}

// The data part of a value line, after "=", as wineserver's dump_value writes it. `count` is the width
// of what precedes it on the line; long hex data is wrapped the way Wine wraps it.
std::string FormatData(const TValueData& value, std::size_t count, std::string_view eol) {
    char buffer[32];
    std::string bytes;
    if (IsStringType(value.Type)) {
        const std::u16string units = AnsiToUnits(value.Data);
        if (!units.empty() && units.back() == 0) {
            std::string text;
            if (value.Type != reg::TypeSz) {
                std::snprintf(buffer, sizeof buffer, "str(%x):", static_cast<unsigned>(value.Type));
                text = buffer;
            }
            text += '"';
            DumpUnits(text, units, '"', '"', true);
            text += '"';
            return text;
        }
        for (char16_t unit : units) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
    } else if (value.Type == reg::TypeDword && value.Data.size() == 4) {
        std::uint32_t dword = 0;
        for (int i = 3; i >= 0; --i) {
            dword = (dword << 8) | static_cast<unsigned char>(value.Data[static_cast<std::size_t>(i)]);
        }
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(dword));
        return buffer;
    } else {
        bytes = value.Data;
    }
    if (value.Type == reg::TypeBinary) {
        std::snprintf(buffer, sizeof buffer, "hex:");
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.Type));
    }
    std::string text = buffer;
    count += text.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
        text += buffer;
        count += 2;
        if (i + 1 < bytes.size()) {
            text += ',';
            if (++count > 76) {
                text += '\\';
                text += eol;
                text += "  ";
                count = 2;
            }
        }
    }
    return text;
}

std::string DumpPath(const std::vector<std::u16string>& elements) {
    std::string text;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (i > 0) {
            text += "\\\\";
        }
        DumpUnits(text, elements[i], '[', ']');
    }
    return text;
}

std::string SecondsText(TTicks now) {
    const auto seconds = static_cast<unsigned>((now - std::min(now, TicksFrom1601To1970)) / TicksPerSecond);
    return std::to_string(seconds);
}

std::string TimeText(TTicks now) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%x%08x", static_cast<unsigned>(now >> 32),
                  static_cast<unsigned>(now & 0xFFFFFFFFu));
    return buffer;
}

} // namespace

TTicks NowTicks() {
    const auto since1970 =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    return TicksFrom1601To1970 + static_cast<TTicks>(since1970 / 100);
}

THiveFile::THiveFile(std::string bytes) : FBytes(std::move(bytes)) {
    Parse();
}

std::string_view THiveFile::Content(std::size_t lineIndex) const {
    const TLine& line = FLines[lineIndex];
    return std::string_view(FBytes).substr(line.Begin, line.End - line.Begin);
}

std::string_view THiveFile::Eol(std::size_t lineIndex) const {
    const TLine& line = FLines[lineIndex];
    return std::string_view(FBytes).substr(line.EolBegin, line.EolEnd - line.EolBegin);
}

std::string_view THiveFile::DefaultEol() const {
    // New lines follow the header's line end, so that a CRLF file stays CRLF.
    if (!FLines.empty() && Eol(0) == "\r\n") {
        return "\r\n";
    }
    return "\n";
}

void THiveFile::SetProblem(std::size_t lineIndex, const char* what) {
    if (FProblem.empty()) {
        FProblem = "line " + std::to_string(lineIndex + 1) + ": " + what;
    }
}

void THiveFile::Parse() {
    if (FBytes.size() >= std::numeric_limits<TPos>::max()) {
        FProblem = TooLargeProblem;
        return;
    }
    const char* const data = FBytes.data();
    // The lines counted first, and the values nearly (a value's line starts with its name), so that their
    // tables are made once at their size.
    std::size_t lineCount = 1;
    std::size_t valueCount = 0;
    const char* const end = data + FBytes.size();
    for (const char* at = data;
         (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at)))) != nullptr;) {
        ++lineCount;
        if (++at < end && (*at == '"' || *at == '@')) {
            ++valueCount;
        }
    }
    FLines.reserve(lineCount);
    FValues.reserve(valueCount);
    for (std::size_t pos = 0; pos < FBytes.size();) {
        TLine line;
        line.Begin = pos;
        const void* newline = std::memchr(data + pos, '\n', FBytes.size() - pos);
        if (newline != nullptr) {
            line.EolBegin = static_cast<std::size_t>(static_cast<const char*>(newline) - data);
            line.EolEnd = line.EolBegin + 1;
            if (line.EolBegin > pos && data[line.EolBegin - 1] == '\r') {
                --line.EolBegin;
            }
        } else {
            line.EolBegin = line.EolEnd = FBytes.size();
        }
        // Wine reads lines as C strings: a zero byte ends what it sees of the line.
        const void* zero = std::memchr(data + pos, 0, line.EolBegin - pos);
        line.End = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : line.EolBegin;
        FLines.push_back(line);
        pos = line.EolEnd;
    }

    if (FLines.empty() || Content(0) != HeaderLine) {
        FProblem = NoHeaderProblem;
        return;
    }
    FHasHeader = true;

    bool inKey = false; // false before the first key and after a key that could not be read
    for (std::size_t i = 1; i < FLines.size(); ++i) {
        const std::string_view content = Content(i);
        std::size_t p = 0;
        while (p < content.size() && IsSpace(content[p])) {
            ++p;
        }
        if (p < content.size()) {
            switch (content[p]) {
            case '[':
                ParseKeyHeader(i, p);
                inKey = !FSections.empty() && FSections.back().HeaderLine == i;
                break;
            case '@':
            case '"':
                if (inKey) {
                    ParseValue(i, p);
                } else {
                    SetProblem(i, "a value that belongs to no key");
                }
                break;
            case '#':
                if (inKey) {
                    TSection& section = FSections.back();
                    section.LastOptionLine = i;
                    if (content.substr(p, 6) == "#time=") {
                        std::size_t end = p + 6;
                        while (end < content.size() && IsHexDigit(content[end])) {
                            ++end;
                        }
                        const std::size_t begin = FLines[i].Begin;
                        FTimes.emplace_back(begin + p + 6, begin + end);
                        section.TimesEnd = FTimes.size();
                    }
                }
                break;
            default:
                break; // comments, and lines Wine skips as well
            }
        }
        if (inKey) {
            FSections.back().LastLine = i;
        }
    }
}

void THiveFile::ParseKeyHeader(std::size_t lineIndex, std::size_t pos) {
    const std::string_view content = Content(lineIndex);
    const std::size_t pathBegin = FNames.size();
    const std::size_t end = AppendKeyPath(FNames, content, pos);
    if (end == NoPosition) {
        SetProblem(lineIndex, "a key name without its closing bracket");
        return;
    }
    TSection section;
    section.PathBegin = pathBegin;
    section.PathLength = FNames.size() - pathBegin;
    section.TimesBegin = section.TimesEnd = FTimes.size();
    section.ValuesBegin = section.ValuesEnd = FValues.size();
    section.HeaderLine = section.LastOptionLine = section.LastLine = lineIndex;
    // The seconds after the name, as sscanf(" %u") finds them.
    std::size_t q = end;
    while (q < content.size() && IsSpace(content[q])) {
        ++q;
    }
    const std::size_t begin = q;
    if (q < content.size() && (content[q] == '+' || content[q] == '-')) {
        ++q;
    }
    std::size_t digitsEnd = q;
    while (digitsEnd < content.size() && IsDigit(content[digitsEnd])) {
        ++digitsEnd;
    }
    if (digitsEnd > q) {
        section.ModifBegin = FLines[lineIndex].Begin + begin;
        section.ModifEnd = FLines[lineIndex].Begin + digitsEnd;
    }
    FSections.push_back(std::move(section));
}

void THiveFile::ParseValue(std::size_t& lineIndex, std::size_t pos) {
    const std::string_view content = Content(lineIndex);
    const std::size_t lineBegin = FLines[lineIndex].Begin;
    TValueEntry value;
    value.Line = value.LastLine = lineIndex;
    // The name goes straight into FNames, folded; no name has more units than bytes.
    const std::size_t nameBegin = FNames.size();
    if (content[pos] == '"') {
        FNames.resize(nameBegin + (content.size() - pos));
    }
    char16_t* out = FNames.data() + nameBegin;
    const TValueHead head = ReadValueHead(content, pos, [&](char16_t unit) { *out++ = FoldUnit(unit); });
    if (head.NameEnd == NoPosition) {
        FNames.resize(nameBegin);
        SetProblem(lineIndex, "a value name without its closing quote");
        return;
    }
    FNames.resize(std::size_t(out - FNames.data()));
    value.NameEnd = lineBegin + head.NameEnd;
    value.NameBegin = nameBegin;
    value.NameLength = FNames.size() - nameBegin;

    const auto finish = [&](EForm form) {
        value.Form = form;
        value.LastLine = lineIndex;
        if (form == FormMalformed) {
            value.Type = reg::TypeNone;
            SetProblem(lineIndex, UnreadableDataProblem);
        }
        FValues.push_back(value);
        FSections.back().ValuesEnd = FValues.size();
    };
    value.Type = head.Type;
    value.DataBegin = lineBegin + head.DataBegin;
    std::size_t p = head.DataBegin;
    switch (head.Form) {
    case FormString:
        if (ParseEscaped(content, p, '"', TNoUnits{}) == NoPosition) {
            return finish(FormMalformed);
        }
        return finish(FormString);
    case FormDword:
        return finish(FormDword);
    case FormHex:
        // Hex data goes on over the next line after a trailing backslash.
        for (std::string_view line = content;;) {
            p = SkipSpaces(line, SkipHexBytes(line, p));
            if (p >= line.size()) {
                return finish(FormHex);
            }
            if (line[p] != '\\' || lineIndex + 1 >= FLines.size()) {
                return finish(FormMalformed);
            }
            line = Content(++lineIndex);
            p = SkipSpaces(line, 0);
        }
    default:
        return finish(FormMalformed);
    }
}

TValueData THiveFile::DecodeValue(const TValueEntry& value) const {
    TValueData result;
    result.Type = value.Type;
    std::size_t lineIndex = value.Line;
    std::string_view content = Content(lineIndex);
    std::size_t p = value.DataBegin - FLines[lineIndex].Begin;
    switch (value.Form) {
    case FormString: {
        std::u16string units;
        // No more units than bytes, and the terminating zero.
        units.reserve((p < content.size() ? content.size() - p : 0) + 1);
        ParseEscaped(content, p, '"', [&](char16_t unit) { units.push_back(unit); });
        units.push_back(0); // Wine stores the terminating zero with the string
        result.Data = UnitsToAnsi(units);
        break;
    }
    case FormDword: {
        const auto dword = static_cast<std::uint32_t>(ParseHexNumber(content, p).Value);
        for (int i = 0; i < 4; ++i) {
            result.Data.push_back(static_cast<char>((dword >> (8 * i)) & 0xFF));
        }
        break;
    }
    case FormHex: {
        std::string bytes;
        for (;;) {
            p = ParseHexBytes(content, p, &bytes);
            while (p < content.size() && IsSpace(content[p])) {
                ++p;
            }
            if (p >= content.size() || lineIndex >= value.LastLine) {
                break;
            }
            content = Content(++lineIndex);
            p = 0;
            while (p < content.size() && IsSpace(content[p])) {
                ++p;
            }
        }
        if (IsStringType(value.Type)) {
            std::u16string units;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      (static_cast<unsigned char>(bytes[i + 1]) << 8)));
            }
            result.Data = UnitsToAnsi(units);
        } else {
            result.Data = std::move(bytes);
        }
        break;
    }
    default:
        result.Type = reg::TypeNone;
        break;
    }
    return result;
}

bool THiveFile::KeyExists(std::string_view path) const {
    if (!FHasHeader) {
        return false;
    }
    const auto elements = SplitPath(AnsiToUnits(path));
    const std::u16string key = Fold(JoinPath(elements, elements.size()));
    return key.empty() || std::any_of(FSections.begin(), FSections.end(), [&](const TSection& section) {
               return IsSameOrBelow(FoldedPath(section), std::u16string_view(key));
           });
}

std::optional<TValueData> THiveFile::Value(std::string_view path, std::string_view name) const {
    const auto elements = SplitPath(AnsiToUnits(path));
    const std::u16string key = Fold(JoinPath(elements, elements.size()));
    const std::u16string folded = Fold(AnsiToUnits(name));
    const TValueEntry* found = nullptr;
    for (const TSection& section : FSections) {
        if (FoldedPath(section) != key) {
            continue;
        }
        for (std::size_t v = section.ValuesBegin; v < section.ValuesEnd; ++v) {
            if (FoldedName(FValues[v]) == folded) {
                found = &FValues[v];
            }
        }
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    return DecodeValue(*found);
}

std::u16string_view THiveFile::FoldedPath(const TSection& section) const {
    return std::u16string_view(FNames).substr(section.PathBegin, section.PathLength);
}

std::u16string_view THiveFile::FoldedName(const TValueEntry& value) const {
    return std::u16string_view(FNames).substr(value.NameBegin, value.NameLength);
}

// The path as its section header writes it, read again from the header, which parsed once already.
std::u16string THiveFile::WrittenPath(const TSection& section) const {
    const std::string_view content = Content(section.HeaderLine);
    std::u16string path;
    ParseEscaped(content, content.find('[') + 1, ']', [&](char16_t unit) { path.push_back(unit); });
    NormalizePath(path);
    return path;
}

std::u16string THiveFile::SpelledPath(const std::vector<std::u16string>& elements) const {
    // Keys that exist keep the spelling they were created with, as in Wine.
    for (std::size_t count = elements.size(); count > 0; --count) {
        const std::u16string key = Fold(JoinPath(elements, count));
        for (const TSection& section : FSections) {
            if (IsSameOrBelow(FoldedPath(section), std::u16string_view(key))) {
                std::vector<std::u16string> spelled = SplitPath(WrittenPath(section));
                spelled.resize(count);
                spelled.insert(spelled.end(), elements.begin() + static_cast<std::ptrdiff_t>(count), elements.end());
                return JoinPath(spelled, spelled.size());
            }
        }
    }
    return JoinPath(elements, elements.size());
}

std::string THiveFile::NewSection(const std::vector<std::u16string>& elements, const std::string* valueLine,
                                  TTicks now) const {
    const std::string_view eol = DefaultEol();
    std::string text;
    if (!FBytes.empty() && FBytes.back() != '\n') {
        text += eol;
    }
    text += eol; // Wine puts an empty line before every key
    text += '[';
    text += DumpPath(SplitPath(SpelledPath(elements)));
    text += "] ";
    text += SecondsText(now);
    text += eol;
    text += "#time=";
    text += TimeText(now);
    text += eol;
    if (valueLine != nullptr) {
        text += *valueLine;
        text += eol;
    }
    return text;
}

std::string THiveFile::WithKey(std::string_view path, TTicks now) const {
    if (KeyExists(path)) {
        return FBytes;
    }
    return FBytes + NewSection(SplitPath(AnsiToUnits(path)), nullptr, now);
}

std::string THiveFile::WithValue(std::string_view path, std::string_view name, const TValueData& value,
                                 TTicks now) const {
    const auto elements = SplitPath(AnsiToUnits(path));
    const std::u16string key = Fold(JoinPath(elements, elements.size()));
    const std::u16string nameUnits = AnsiToUnits(name);
    const std::u16string folded = Fold(nameUnits);

    struct TEdit {
        std::size_t Begin;
        std::size_t End;
        std::string Text;
    };
    std::vector<TEdit> edits;
    std::vector<const TSection*> touched;
    const TSection* lastSection = nullptr;
    for (const TSection& section : FSections) {
        if (FoldedPath(section) != key) {
            continue;
        }
        lastSection = &section;
        for (std::size_t v = section.ValuesBegin; v < section.ValuesEnd; ++v) {
            const TValueEntry& entry = FValues[v];
            if (FoldedName(entry) != folded) {
                continue;
            }
            // The name stays exactly as written; the data after it is written anew.
            const TLine& first = FLines[entry.Line];
            const TLine& last = FLines[entry.LastLine];
            std::string text = FBytes.substr(first.Begin, entry.NameEnd - first.Begin);
            text += '=';
            const std::string_view eol = last.EolEnd > last.EolBegin ? Eol(entry.LastLine) : DefaultEol();
            text += FormatData(value, text.size(), eol);
            text += Eol(entry.LastLine);
            edits.push_back({first.Begin, last.EolEnd, std::move(text)});
            if (touched.empty() || touched.back() != &section) {
                touched.push_back(&section);
            }
        }
    }

    std::string newLine;
    if (edits.empty()) {
        if (nameUnits.empty()) {
            newLine = "@=";
        } else {
            newLine = "\"";
            DumpUnits(newLine, nameUnits, '"', '"');
            newLine += "\"=";
        }
        newLine += FormatData(value, newLine.size(), DefaultEol());
    }
    if (edits.empty() && lastSection != nullptr) {
        // A new value goes among the values of the key's last section, in name order where they are in order.
        const auto valuesBegin = FValues.begin() + static_cast<std::ptrdiff_t>(lastSection->ValuesBegin);
        const auto valuesEnd = FValues.begin() + static_cast<std::ptrdiff_t>(lastSection->ValuesEnd);
        const auto next = std::find_if(valuesBegin, valuesEnd, [&](const TValueEntry& entry) {
            return FoldedName(entry) > std::u16string_view(folded);
        });
        if (next != valuesEnd) {
            const std::string_view eol = Eol(next->Line).empty() ? DefaultEol() : Eol(next->Line);
            edits.push_back({FLines[next->Line].Begin, FLines[next->Line].Begin, newLine + std::string(eol)});
        } else {
            const std::size_t after =
                valuesBegin == valuesEnd ? lastSection->LastOptionLine : std::prev(valuesEnd)->LastLine;
            const std::size_t at = FLines[after].EolEnd;
            if (Eol(after).empty()) {
                edits.push_back({at, at, std::string(DefaultEol()) + newLine});
            } else {
                edits.push_back({at, at, newLine + std::string(Eol(after))});
            }
        }
        touched.push_back(lastSection);
    }
    if (edits.empty()) {
        edits.push_back({FBytes.size(), FBytes.size(), NewSection(elements, &newLine, now)});
    }

    // Timestamps go first: where one ends a line that a new value follows, both edits start at the same place.
    std::vector<TEdit> timestamps;
    for (const TSection* section : touched) {
        if (section->ModifEnd > section->ModifBegin) {
            timestamps.push_back({section->ModifBegin, section->ModifEnd, SecondsText(now)});
        }
        for (std::size_t t = section->TimesBegin; t < section->TimesEnd; ++t) {
            const auto& [begin, end] = FTimes[t];
            timestamps.push_back({begin, end, TimeText(now)});
        }
    }
    edits.insert(edits.begin(), timestamps.begin(), timestamps.end());
    std::stable_sort(edits.begin(), edits.end(), [](const TEdit& a, const TEdit& b) { return a.Begin < b.Begin; });
    std::string result;
    std::size_t extra = 0;
    for (const TEdit& edit : edits) {
        extra += edit.Text.size();
    }
    result.reserve(FBytes.size() + extra);
    std::size_t pos = 0;
    for (const TEdit& edit : edits) {
        result.append(FBytes, pos, edit.Begin - pos);
        result += edit.Text;
        pos = edit.End;
    }
    result.append(FBytes, pos, std::string::npos);
    return result;
}

void THiveIndex::Feed(std::string_view bytes) {
    // Zero bytes are looked for once per block rather than in every line: they are rare.
    const bool zeros = bytes.find('\0') != std::string_view::npos;
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        if (newline == std::string_view::npos) {
            FCarry.append(bytes);
            FCarryZeros = FCarryZeros || zeros;
            return;
        }
        if (FCarry.empty()) {
            Line(FLineBegin, bytes.substr(0, newline), true, zeros);
            FLineBegin += newline + 1;
        } else {
            FCarry.append(bytes.substr(0, newline));
            Line(FLineBegin, FCarry, true, FCarryZeros || zeros);
            FLineBegin += FCarry.size() + 1;
            FCarry.clear();
            FCarryZeros = false;
        }
        bytes.remove_prefix(newline + 1);
    }
}

THiveIndex::THiveIndex(bool checkLines, const std::vector<std::string>& scope) : FCheckLines(checkLines) {
    for (const std::string& key : scope) {
        FScope.push_back(FoldedPathBytes(key));
    }
}

bool THiveIndex::Covers(std::string_view path) const {
    return FScope.empty() || InScope(FScope, FoldedPathBytes(path));
}

void THiveIndex::ExpectFileSize(std::uint64_t size) {
    if (!FScope.empty()) {
        return; // the keys of a scope take little room
    }
    // A section takes a few bytes of numbers and the part of its path that it does not share with the last
    // one: seldom an eighth of its text. Room that is never written costs no memory, while growing a step at
    // a time would leave every smaller copy behind, freed but still held by the heap of the reading thread.
    FEntries.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(size / 8, std::uint64_t(1) << 26)));
}

void THiveIndex::Finish() {
    if (!FCarry.empty()) {
        Line(FLineBegin, FCarry, false, FCarryZeros);
        FLineBegin += FCarry.size();
        FCarry.clear();
    }
    if (FInKey) {
        CloseSection(FLineBegin);
        FInKey = false;
    }
    if (FGoesOn) {
        SetProblem(UnreadableDataProblem); // hex data that goes on past the end of the file
        FGoesOn = false;
    }
    if (FLineCount == 0 && FCheckLines) {
        FProblem = NoHeaderProblem; // an empty file
    }
}

void THiveIndex::SetProblem(const char* what) {
    if (FCheckLines && FProblem.empty()) {
        FProblem = "line " + std::to_string(FLineCount) + ": " + what;
    }
}

// One line as THiveFile::Parse reads it: what decides where sections begin and end, and, when checking, what
// it finds it cannot read.
void THiveIndex::Line(std::uint64_t begin, std::string_view line, bool ended, bool zeros) {
    if (ended && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (const std::size_t zero = zeros ? line.find('\0') : std::string_view::npos; zero != std::string_view::npos) {
        line = line.substr(0, zero); // Wine reads lines as C strings
    }
    if (FLineCount++ == 0) {
        FHasHeader = line == HeaderLine;
        if (!FHasHeader && FCheckLines) {
            FProblem = NoHeaderProblem;
        }
        return;
    }
    if (!FHasHeader) {
        return; // Wine reads no keys from such a file
    }
    if (FGoesOn) {
        const std::size_t end = SkipSpaces(line, SkipHexBytes(line, SkipSpaces(line, 0)));
        FGoesOn = end < line.size() && line[end] == '\\';
        if (end < line.size() && !FGoesOn) {
            SetProblem(UnreadableDataProblem);
        }
        return;
    }
    const std::size_t p = SkipSpaces(line, 0);
    if (p >= line.size()) {
        return;
    }
    switch (line[p]) {
    case '[': {
        if (FInKey) {
            CloseSection(begin);
        }
        FInKey = AppendKeyPathBytes(FPathBytes, FPath, line, p);
        FKept = FInKey && (FScope.empty() || InScope(FScope, FPathBytes));
        if (FKept) {
            const std::size_t shared = static_cast<std::size_t>(
                std::mismatch(FPathBytes.begin(), FPathBytes.end(), FLastPath.begin(), FLastPath.end()).first -
                FPathBytes.begin());
            AppendVarint(FEntries, shared);
            AppendVarint(FEntries, FPathBytes.size() - shared);
            FEntries.append(FPathBytes, shared);
            std::swap(FLastPath, FPathBytes);
            FOpenBegin = begin;
        } else if (!FInKey) {
            SetProblem("a key name without its closing bracket");
        }
        break;
    }
    case '@':
    case '"':
        if (!FInKey) {
            SetProblem("a value that belongs to no key");
        } else if (FCheckLines || line.find('\\', p) != std::string_view::npos) {
            ValueLine(line, p); // only hex data goes on over the next line, and only after a backslash
        }
        break;
    default:
        break;
    }
}

void THiveIndex::ValueLine(std::string_view line, std::size_t pos) {
    const TValueHead head = ReadValueHead(line, pos, TNoUnits{});
    if (head.NameEnd == NoPosition) {
        return SetProblem("a value name without its closing quote");
    }
    switch (head.Form) {
    case FormString:
        if (FCheckLines && ParseEscaped(line, head.DataBegin, '"', TNoUnits{}) == NoPosition) {
            SetProblem(UnreadableDataProblem);
        }
        break;
    case FormDword:
        break;
    case FormHex: {
        const std::size_t end = SkipSpaces(line, SkipHexBytes(line, head.DataBegin));
        FGoesOn = end < line.size() && line[end] == '\\';
        if (end < line.size() && !FGoesOn) {
            SetProblem(UnreadableDataProblem);
        }
        break;
    }
    default:
        SetProblem(UnreadableDataProblem);
        break;
    }
}

void THiveIndex::CloseSection(std::uint64_t end) {
    if (!FKept) {
        return;
    }
    AppendVarint(FEntries, FOpenBegin - FLastEnd);
    AppendVarint(FEntries, end - FOpenBegin);
    FLastEnd = end;
}

template <class TVisit> void THiveIndex::Walk(std::string_view key, TVisit visit) const {
    const char* p = FEntries.data();
    const char* const end = p + FEntries.size();
    std::size_t matched = 0; // how many bytes the path shares with the key
    int after = -1;          // with the whole key matched: the path's next byte, or -1 where it ends
    std::uint64_t lastEnd = 0;
    while (p < end) {
        const std::size_t shared = ReadVarint(p);
        const std::size_t length = ReadVarint(p);
        const char* const rest = p;
        p += length;
        TRange range;
        range.Begin = lastEnd + ReadVarint(p);
        range.End = range.Begin + ReadVarint(p);
        lastEnd = range.End;
        // Sharing more than the last path matched, the path differs from the key where that one did (or goes on
        // past the key with the same byte): only a path that shares no more is compared again.
        if (shared <= matched) {
            matched = shared;
            std::size_t i = 0;
            while (i < length && matched < key.size() && rest[i] == key[matched]) {
                ++i;
                ++matched;
            }
            after = i < length ? static_cast<unsigned char>(rest[i]) : -1;
        }
        EMatch match = EMatch::Other;
        if (matched == key.size()) {
            match = after < 0 ? EMatch::Same : after == '\\' ? EMatch::Below : EMatch::Other;
        }
        if (!visit(match, range)) {
            return;
        }
    }
}

bool THiveIndex::KeyExists(std::string_view path) const {
    if (!FHasHeader) {
        return false;
    }
    const std::string key = FoldedPathBytes(path);
    if (key.empty()) {
        return true;
    }
    bool found = false;
    Walk(key, [&found](EMatch match, const TRange&) {
        found = match != EMatch::Other;
        return !found;
    });
    return found;
}

std::vector<THiveIndex::TRange> THiveIndex::Sections(std::string_view path) const {
    std::vector<TRange> ranges;
    Walk(FoldedPathBytes(path), [&ranges](EMatch match, const TRange& range) {
        if (match == EMatch::Same) {
            ranges.push_back(range);
        }
        return true;
    });
    return ranges;
}

std::string TSplice::Applied(std::string_view bytes) const {
    std::string result;
    result.reserve(bytes.size() - (End - Begin) + Text.size());
    result.append(bytes.substr(0, Begin)).append(Text).append(bytes.substr(End));
    return result;
}

namespace {

std::shared_ptr<const THiveIndex> CheckedIndex(std::string_view bytes) {
    auto index = std::make_shared<THiveIndex>(true);
    index->Feed(bytes);
    index->Finish();
    return index;
}

} // namespace

THiveEdit::THiveEdit(std::string bytes) : THiveEdit(std::move(bytes), nullptr) {}

THiveEdit::THiveEdit(std::string bytes, std::shared_ptr<const THiveIndex> checked)
    : FBytes(std::move(bytes)), FIndex(std::move(checked)) {
    if (!FIndex || !FIndex->ChecksLines() || !FIndex->Covers({}) || FIndex->Size() != FBytes.size()) {
        FIndex = CheckedIndex(FBytes);
    }
    if (FBytes.size() >= std::numeric_limits<std::uint32_t>::max()) {
        FTooLarge = TooLargeProblem;
    }
}

std::optional<TValueData> THiveEdit::Value(std::string_view path, std::string_view name) const {
    std::vector<std::string> sections;
    for (const THiveIndex::TRange& range : FIndex->Sections(path)) {
        sections.emplace_back(FBytes, range.Begin, range.End - range.Begin);
    }
    return ValueInSections(path, name, sections);
}

std::string THiveEdit::WithKey(std::string_view path, TTicks now) const {
    return KeyExists(path) ? FBytes : THiveFile(FBytes).WithKey(path, now);
}

TSplice THiveEdit::ValueChange(std::string_view path, std::string_view name, const TValueData& value,
                               TTicks now) const {
    const auto ranges = FIndex->Sections(path);
    if (ranges.size() != 1) {
        // A new key, or one split over sections.
        return {0, FBytes.size(), THiveFile(FBytes).WithValue(path, name, value, now)};
    }
    // The key's one section as a file of its own, after the file's own first line, so that new lines end as
    // the file's do: THiveFile changes it as it would in the whole file, and the rest stays as it is.
    const std::size_t begin = ranges[0].Begin;
    const std::size_t end = ranges[0].End;
    const std::size_t headerEnd = FBytes.find('\n') + 1;
    std::string section = FBytes.substr(0, headerEnd);
    section.append(FBytes, begin, end - begin);
    const std::string edited = THiveFile(std::move(section)).WithValue(path, name, value, now);
    return {begin, end, edited.substr(headerEnd)};
}

std::optional<TValueData> ValueInSections(std::string_view path, std::string_view name,
                                          const std::vector<std::string>& sections) {
    // Each section read as a file of its own: the same lines, so the same values, and the last one counts.
    std::optional<TValueData> found;
    for (const std::string& section : sections) {
        std::string text;
        text.reserve(HeaderLine.size() + 1 + section.size());
        text.append(HeaderLine).append("\n").append(section);
        if (auto value = THiveFile(std::move(text)).Value(path, name)) {
            found = std::move(value);
        }
    }
    return found;
}

} // namespace platform::wine
