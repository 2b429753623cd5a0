#include "base/SysUtils.h"

std::string Format(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string result;
    result.reserve(format.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == 's') {
                if (next != args.end()) {
                    result += *next++;
                }
                ++i;
                continue;
            }
            if (format[i + 1] == '%') {
                result += '%';
                ++i;
                continue;
            }
        }
        result += format[i];
    }
    return result;
}

std::string MessageOf(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) {
        return own->Message();
    }
    return error.what();
}
