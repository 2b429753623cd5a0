#include "outlook/OutlookInteraction.h"

#include "platform/Processes.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

struct TKnownVersion {
    const char* Key;
    const char* DisplayName;
};

// Probed in this order, so that the versions are listed oldest first.
constexpr TKnownVersion KnownVersions[] = {
    {"9.0", "Outlook 2000"},  {"10.0", "Outlook XP"},   {"11.0", "Outlook 2003"},
    {"12.0", "Outlook 2007"}, {"13.0", "Outlook 13.0"}, {"14.0", "Outlook 14.0"},
    {"15.0", "Outlook 15.0"}, {"16.0", "Outlook 16.0"}, // 16.0: Outlook 2016 to 2024 and Microsoft 365
};

constexpr const char* AllowedValue = "Level1Remove";
constexpr const char* BlockedValue = "Level1Add";
constexpr const char* SecurityKey = "Security\\";
constexpr std::string_view OutlookImage = "OUTLOOK.EXE";

// Closes an open key on every way out of a scope.
class TOpenKey {
public:
    explicit TOpenKey(platform::IRegistry& registry) : FRegistry(registry) {}
    ~TOpenKey() {
        if (FKey != 0) {
            FRegistry.CloseKey(FKey);
        }
    }
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;

    platform::TRegKey& Key() { return FKey; }

private:
    platform::IRegistry& FRegistry;
    platform::TRegKey FKey = 0;
};

// The message of a failure, with what the registry can tell about its cause on a line of its own.
std::string WithDetail(std::string message, const platform::IRegistry& registry) {
    const std::string detail = registry.LastFailureDetail();
    if (!detail.empty()) {
        message += '\n';
        message += detail;
    }
    return message;
}

// Letters a to z match A to Z; every other character must be equal, and so must the lengths.
bool IsOutlookImage(std::string_view name) {
    if (name.size() != OutlookImage.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = (name[i] >= 'a' && name[i] <= 'z') ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != OutlookImage[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::string> OutlookRegistryKeys() {
    return {"Software\\Microsoft\\Office", "Software\\Policies\\Microsoft"};
}

TOutlookInteraction::TOutlookInteraction() : TOutlookInteraction(platform::CurrentUserRegistry()) {}

TOutlookInteraction::TOutlookInteraction(platform::IRegistry& registry) : FRegistry(registry) {
    Detect();
}

void TOutlookInteraction::Detect() {
    for (const TKnownVersion& version : KnownVersions) {
        const std::string keyPath = std::string("Software\\Microsoft\\Office\\") + version.Key + "\\Outlook\\";
        TOpenKey key(FRegistry);
        if (FRegistry.OpenKey(keyPath, platform::reg::AccessRead, key.Key()) == platform::reg::Success) {
            FVersions.push_back({version.DisplayName, keyPath});
        } else {
            key.Key() = 0;
        }
    }
}

const TOutlookInfo& TOutlookInteraction::Version(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= FVersions.size()) {
        throw Exception(Format("There is no Outlook version with index %s.", {std::to_string(index)}));
    }
    return FVersions[static_cast<std::size_t>(index)];
}

TExtensionList TOutlookInteraction::GetAllowedExtensions(int index) {
    if (FVersions.empty()) {
        return {};
    }
    return ReadExtensionList(Version(index).KeyPath + SecurityKey, AllowedValue);
}

TExtensionList TOutlookInteraction::GetBlockedExtensions(int index) {
    if (FVersions.empty()) {
        return {};
    }
    return ReadExtensionList(Version(index).KeyPath + SecurityKey, BlockedValue);
}

void TOutlookInteraction::SetAllowedExtensions(int index, const TExtensionList& list) {
    if (FVersions.empty()) {
        throw Exception("No Outlook version is installed for the current user, so there is nowhere to save the "
                        "file types to.");
    }
    WriteExtensionList(Version(index).KeyPath + SecurityKey, AllowedValue, list);
}

void TOutlookInteraction::SetBlockedExtensions(int index, const TExtensionList& list) {
    if (FVersions.empty()) {
        throw Exception("No Outlook version is installed for the current user, so there is nowhere to save the "
                        "file types to.");
    }
    WriteExtensionList(Version(index).KeyPath + SecurityKey, BlockedValue, list);
}

TExtensionList TOutlookInteraction::ReadExtensionList(const std::string& keyPath, const std::string& valueName) {
    TExtensionList list;
    TOpenKey key(FRegistry);
    if (FRegistry.CreateKey(keyPath, platform::reg::AccessRead, key.Key()) != platform::reg::Success) {
        key.Key() = 0;
        throw Exception(WithDetail("Error writing to Registry", FRegistry));
    }
    std::string text;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    if (FRegistry.QueryValue(key.Key(), valueName, &type, nullptr, &size) == platform::reg::Success && size > 0) {
        std::string data(size, '\0');
        if (FRegistry.QueryValue(key.Key(), valueName, &type, reinterpret_cast<unsigned char*>(data.data()), &size) !=
            platform::reg::Success) {
            throw ERegistryException(WithDetail(Format("Failed to get data for '%s'", {valueName}), FRegistry));
        }
        if (type != platform::reg::TypeSz && type != platform::reg::TypeExpandSz) {
            throw ERegistryException(Format("Invalid data type for '%s'", {valueName}));
        }
        data.resize(std::min<std::size_t>(size, data.size()));
        text.assign(data.c_str()); // up to the first zero byte
    }
    if (!text.empty()) {
        list = SplitExtensionList(text);
    }
    return list;
}

void TOutlookInteraction::WriteExtensionList(const std::string& keyPath, const std::string& valueName,
                                             const TExtensionList& list) {
    TOpenKey key(FRegistry);
    if (FRegistry.CreateKey(keyPath, platform::reg::AccessWrite, key.Key()) != platform::reg::Success) {
        key.Key() = 0;
        throw Exception(WithDetail("Error writing to Registry", FRegistry));
    }
    const std::string text = JoinExtensionList(list);
    if (FRegistry.SetValue(key.Key(), valueName, platform::reg::TypeSz,
                           reinterpret_cast<const unsigned char*>(text.c_str()),
                           static_cast<std::uint32_t>(text.size() + 1)) != platform::reg::Success) {
        throw ERegistryException(WithDetail(Format("Failed to set data for '%s'", {valueName}), FRegistry));
    }
}

bool TOutlookInteraction::IsOutlookRunning() {
    bool running = false;
    try {
        platform::EnumProcessNames([&](std::string_view name) {
            running = IsOutlookImage(name);
            return !running;
        });
    } catch (...) {
        // The answer stands as it was when the walk broke off.
    }
    return running;
}
