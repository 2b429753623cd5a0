#include "platform/TextConv.h"

#include <optional>

namespace platform {

namespace {
std::optional<char>& CurrentSeparator() {
    static std::optional<char> separator;
    return separator;
}
} // namespace

char DecimalSeparator() {
    auto& separator = CurrentSeparator();
    if (!separator) {
        separator = UserDecimalSeparator();
    }
    return *separator;
}

void SetDecimalSeparator(char separator) {
    CurrentSeparator() = separator;
}

} // namespace platform
