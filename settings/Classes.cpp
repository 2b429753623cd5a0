#include "settings/Classes.h"

#include <algorithm>

const TClassInfo& TPersistent::StaticClassInfo() {
    static const TClassInfo info = TPublished<TPersistent>("TPersistent");
    return info;
}

const TClassInfo& TStrings::StaticClassInfo() {
    static const TClassInfo info = TPublished<TStrings>("TStrings", TPersistent::StaticClassInfo());
    return info;
}

const TClassInfo& TStringList::StaticClassInfo() {
    static const TClassInfo info = TPublished<TStringList>("TStringList", TStrings::StaticClassInfo());
    return info;
}

std::string TStrings::CommaText() const {
    if (FItems.size() == 1 && FItems[0].empty()) {
        return "\"\"";
    }
    std::string result;
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (i > 0) {
            result += ',';
        }
        const std::string& item = FItems[i];
        const bool quote = std::any_of(item.begin(), item.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return (b >= 1 && b <= 32) || c == '"' || c == ',';
        });
        if (!quote) {
            result += item;
            continue;
        }
        result += '"';
        for (char c : item) {
            result += c;
            if (c == '"') {
                result += '"';
            }
        }
        result += '"';
    }
    return result;
}

void TStrings::SetCommaText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    const auto blank = [&](std::size_t i) {
        const auto b = static_cast<unsigned char>(text[i]);
        return b >= 1 && b <= 32;
    };
    FItems.clear();
    std::size_t p = 0;
    while (p < text.size() && blank(p)) {
        ++p;
    }
    while (p < text.size()) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < text.size()) {
                if (text[p] == '"') {
                    if (p + 1 < text.size() && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < text.size() && static_cast<unsigned char>(text[p]) > 32 && text[p] != ',') {
                ++p;
            }
            item.assign(text.substr(start, p - start));
        }
        FItems.push_back(std::move(item));
        while (p < text.size() && blank(p)) {
            ++p;
        }
        if (p < text.size() && text[p] == ',') {
            if (p + 1 == text.size()) {
                FItems.emplace_back();
            }
            ++p;
            while (p < text.size() && blank(p)) {
                ++p;
            }
        }
    }
}

const TClassInfo& TCollectionItem::StaticClassInfo() {
    static const TClassInfo info = TPublished<TCollectionItem>("TCollectionItem", TPersistent::StaticClassInfo());
    return info;
}

int TCollectionItem::Index() const {
    if (FCollection == nullptr) {
        return -1;
    }
    const auto& items = FCollection->FItems;
    for (std::size_t i = items.size(); i-- > 0;) {
        if (items[i].get() == this) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const TClassInfo& TCollection::StaticClassInfo() {
    static const TClassInfo info = TPublished<TCollection>("TCollection", TPersistent::StaticClassInfo());
    return info;
}

TCollectionItem& TCollection::Add() {
    FItems.push_back(FItemClass.Create());
    FItems.back()->FCollection = this;
    return *FItems.back();
}

void TCollection::Delete(int index) {
    FItems.erase(FItems.begin() + index);
}

// clang-format off
const TClassInfo& TComponent::StaticClassInfo() {
    static const TClassInfo info = TPublished<TComponent>("TComponent", TPersistent::StaticClassInfo())
        .LString("Name", &TComponent::FName).Stored(false)
        .Integer("Tag", &TComponent::FTag).Default(0);
    return info;
}
// clang-format on

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
    if (FOwner != nullptr) {
        FOwner->FComponents.push_back(this);
    }
}

TComponent::~TComponent() {
    // Owned components go first, last made first; each one leaves the list as it goes.
    while (!FComponents.empty()) {
        delete FComponents.back();
    }
    if (FOwner != nullptr) {
        auto& siblings = FOwner->FComponents;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}
