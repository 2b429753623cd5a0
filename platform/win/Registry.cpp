#include "platform/Registry.h"

#include <windows.h>

namespace platform {

namespace {

HKEY ToHandle(TRegKey key) {
    return reinterpret_cast<HKEY>(key);
}

class TWin32Registry final : public IRegistry {
public:
    long OpenKey(std::string_view path, std::uint32_t access, TRegKey& key) override {
        const std::string text(path);
        HKEY handle = nullptr;
        const LSTATUS status = RegOpenKeyExA(HKEY_CURRENT_USER, text.c_str(), 0, access, &handle);
        key = status == ERROR_SUCCESS ? reinterpret_cast<TRegKey>(handle) : 0;
        return status;
    }

    long CreateKey(std::string_view path, std::uint32_t access, TRegKey& key) override {
        const std::string text(path);
        HKEY handle = nullptr;
        const LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, text.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                               access, nullptr, &handle, nullptr);
        key = status == ERROR_SUCCESS ? reinterpret_cast<TRegKey>(handle) : 0;
        return status;
    }

    long QueryValue(TRegKey key, std::string_view name, std::uint32_t* type, unsigned char* data,
                    std::uint32_t* size) override {
        const std::string text(name);
        DWORD valueType = 0;
        DWORD dataSize = size != nullptr ? *size : 0;
        const LSTATUS status = RegQueryValueExA(ToHandle(key), text.c_str(), nullptr, &valueType, data,
                                                size != nullptr ? &dataSize : nullptr);
        if (type != nullptr) {
            *type = valueType;
        }
        if (size != nullptr) {
            *size = dataSize;
        }
        return status;
    }

    long SetValue(TRegKey key, std::string_view name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override {
        const std::string text(name);
        return RegSetValueExA(ToHandle(key), text.c_str(), 0, type, data, size);
    }

    long CloseKey(TRegKey key) override { return RegCloseKey(ToHandle(key)); }

    std::string LastFailureDetail() const override { return {}; }
};

} // namespace

IRegistry& CurrentUserRegistry() {
    static TWin32Registry registry;
    return registry;
}

void ReadCurrentUserHiveAhead(std::vector<std::string>) {}

} // namespace platform
