#include "settings/TypInfo.h"

#include <algorithm>

std::string TEnumInfo::NameOf(std::int64_t value) const {
    if (value < 0 || value >= static_cast<std::int64_t>(FNames.size())) {
        return {};
    }
    return FNames[static_cast<std::size_t>(value)];
}

int TEnumInfo::ValueOf(std::string_view name) const {
    for (std::size_t i = 0; i < FNames.size(); ++i) {
        if (published_detail::SameName(FNames[i], name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const TEnumInfo& BooleanType() {
    static const TEnumInfo type("Boolean", {"False", "True"});
    return type;
}

void TPropInfo::SetStr(TPersistent& object, std::string value) const {
    if (Kind == TTypeKind::ShortString && value.size() > MaxLength) {
        value.resize(MaxLength);
    }
    Setter(object, std::move(value));
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
    for (const auto& property : FProperties) {
        if (property.Name == name) {
            return &property;
        }
    }
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& ancestor) const {
    for (const TClassInfo* c = this; c != nullptr; c = c->FParent) {
        if (c == &ancestor) {
            return true;
        }
    }
    return false;
}

namespace published_detail {

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace published_detail
