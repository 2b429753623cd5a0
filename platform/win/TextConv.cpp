#include "platform/TextConv.h"

#include <windows.h>

namespace platform {

char UserDecimalSeparator() {
    char buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) < 2 || buffer[1] != '\0') {
        return '.';
    }
    return buffer[0];
}

std::string WideToAnsi(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_ACP, 0, source, length, out.data(), size, nullptr, nullptr);
    }
    return out;
}

std::u16string AnsiToWide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(out.data()), size);
    }
    return out;
}

} // namespace platform
