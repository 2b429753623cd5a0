#include "linklabel/LinkLabelColors.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace linklabel {

namespace {

struct TColorName {
    std::string_view Name;
    TColor Value;
};

constexpr std::array<TColorName, 54> kColorNames{{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clLtGray", clLtGray},
    {"clDkGray", clDkGray},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder},
    {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
    {"clHotLight", clHotLight},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clMenuHighlight", clMenuHighlight},
    {"clMenuBar", clMenuBar},
}};

// Classic defaults of the system colours (0xRRGGBB) by index, for drawing without a palette.
constexpr std::array<std::uint32_t, 31> kSystemColorDefaults{{
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
    0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969,
    0xE3E3E3, 0x000000, 0xFFFFE1, 0xB5B5B5, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
}};

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// An integer as the toolkit's integer conversion reads it: an optional sign, then decimal digits or "$"
// and hexadecimal digits. Decimal must fit 32 bits signed; hexadecimal may use all 32 bits.
std::optional<TColor> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (value > limit) {
        return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(negative ? (0 - value) : value);
    return static_cast<TColor>(bits);
}

} // namespace

std::optional<TColor> IdentToColor(std::string_view name) {
    for (const auto& entry : kColorNames) {
        if (SameTextAscii(entry.Name, name)) {
            return entry.Value;
        }
    }
    return std::nullopt;
}

TColor ColorFromString(std::string_view text) {
    if (auto named = IdentToColor(text)) {
        return *named;
    }
    return ParseInteger(text).value_or(0);
}

std::uint32_t ColorToRGB(TColor color) {
    if (color == clDefault) {
        color = clWindowText;
    }
    const auto bits = static_cast<std::uint32_t>(color);
    if (IsSystemColor(color)) {
        const std::uint32_t index = bits & 0xFF;
        return index < kSystemColorDefaults.size() ? kSystemColorDefaults[index] : 0;
    }
    return ((bits & 0xFF) << 16) | (bits & 0xFF00) | ((bits >> 16) & 0xFF);
}

} // namespace linklabel
