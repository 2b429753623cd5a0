#include "platform/AnsiChars.h"

#include <windows.h>

namespace platform {

std::size_t AnsiCharLength(std::string_view text, std::size_t pos) {
    // As CharNextA: a lead byte takes the next byte with it unless that is the end of the text.
    if (IsDBCSLeadByte(static_cast<BYTE>(text[pos])) && pos + 1 < text.size() && text[pos + 1] != '\0') {
        return 2;
    }
    return 1;
}

} // namespace platform
