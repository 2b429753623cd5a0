#pragma once

// Builds registry fixtures through the platform's registry layer, so that the same test code runs on the
// Linux hive and, redirected, on the Windows registry.
#include "platform/Registry.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace fixture {

inline platform::IRegistry& Registry() {
    return platform::CurrentUserRegistry();
}

class TKey {
public:
    TKey(const std::string& path, bool create) {
        const long status = create ? Registry().CreateKey(path, platform::reg::AccessWrite, FKey)
                                   : Registry().OpenKey(path, platform::reg::AccessRead, FKey);
        if (status != platform::reg::Success) {
            FKey = 0;
        }
        if (create && FKey == 0) {
            throw std::runtime_error("cannot create the key " + path + ": status " + std::to_string(status) + " " +
                                     Registry().LastFailureDetail());
        }
    }
    ~TKey() {
        if (FKey != 0) {
            Registry().CloseKey(FKey);
        }
    }
    TKey(const TKey&) = delete;
    TKey& operator=(const TKey&) = delete;

    platform::TRegKey Handle() const { return FKey; }

private:
    platform::TRegKey FKey = 0;
};

inline void CreateKey(const std::string& path) {
    TKey key(path, true);
}

inline bool KeyExists(const std::string& path) {
    return TKey(path, false).Handle() != 0;
}

inline void SetValue(const std::string& path, const std::string& name, std::uint32_t type, const std::string& data) {
    TKey key(path, true);
    const long status =
        Registry().SetValue(key.Handle(), name, type, reinterpret_cast<const unsigned char*>(data.data()),
                            static_cast<std::uint32_t>(data.size()));
    if (status != platform::reg::Success) {
        throw std::runtime_error("cannot set " + path + " " + name + ": status " + std::to_string(status) + " " +
                                 Registry().LastFailureDetail());
    }
}

/// A string value, stored as the program stores its own: the text and its zero byte.
inline void SetString(const std::string& path, const std::string& name, const std::string& text,
                      std::uint32_t type = platform::reg::TypeSz) {
    SetValue(path, name, type, text + '\0');
}

inline void SetDword(const std::string& path, const std::string& name, std::uint32_t value) {
    std::string data;
    for (int i = 0; i < 4; ++i) {
        data += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    SetValue(path, name, platform::reg::TypeDword, data);
}

/// Type and data of a value; nothing when the key or the value is missing.
inline std::optional<std::pair<std::uint32_t, std::string>> GetValue(const std::string& path, const std::string& name) {
    TKey key(path, false);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (key.Handle() == 0 ||
        Registry().QueryValue(key.Handle(), name, &type, nullptr, &size) != platform::reg::Success) {
        return std::nullopt;
    }
    std::string data(size, '\0');
    if (Registry().QueryValue(key.Handle(), name, &type, reinterpret_cast<unsigned char*>(data.data()), &size) !=
        platform::reg::Success) {
        return std::nullopt;
    }
    data.resize(size);
    return std::make_pair(type, data);
}

} // namespace fixture
