#include "platform/AnsiChars.h"

namespace platform {

std::size_t AnsiCharLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        return 1;
    }
    // The allowed range of the first continuation byte rules out overlong forms, surrogates and
    // code points above U+10FFFF, so only well-formed UTF-8 is taken as one character.
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 1;
    }
    if (text.size() - pos < length) {
        return 1;
    }
    if (byte(pos + 1) < low || byte(pos + 1) > high) {
        return 1;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) {
            return 1;
        }
    }
    return length;
}

} // namespace platform
