#pragma once

#include "base/SysUtils.h"
#include "outlook/ExtensionList.h"

#include <string>
#include <vector>

namespace platform {
class IRegistry;
}

/// One Outlook version found for the current user.
struct TOutlookInfo {
    /// As the version selector shows it, such as "Outlook 2003".
    std::string DisplayName;
    /// The version's Outlook key relative to HKEY_CURRENT_USER, as it was opened, with a trailing backslash:
    /// Software\Microsoft\Office\11.0\Outlook\ for version 11.0.
    std::string KeyPath;
};

/// The keys of the current user's hive that the program reads, each with the keys below it: Office's own, where
/// the versions and their lists are, and Microsoft's policies, which may override the lists.
std::vector<std::string> OutlookRegistryKeys();

/// A registry value that cannot be read or stored.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

/// What the program knows about Outlook: the versions installed for the current user, the two attachment
/// lists of each (Level1Remove, allowed; Level1Add, blocked) and whether Outlook runs.
class TOutlookInteraction {
public:
    /// Detects the installed versions in the current user's registry.
    TOutlookInteraction();
    /// Detects the installed versions in the given registry, which must outlive the instance.
    explicit TOutlookInteraction(platform::IRegistry& registry);

    /// The detected versions, oldest first; a version index is a position in it.
    std::vector<TOutlookInfo> FVersions;

    /// The allowed file types of a version; empty when no version was detected.
    TExtensionList GetAllowedExtensions(int index);
    /// The blocked file types of a version; empty when no version was detected.
    TExtensionList GetBlockedExtensions(int index);
    /// Stores the allowed file types of a version.
    void SetAllowedExtensions(int index, const TExtensionList& list);
    /// Stores the blocked file types of a version.
    void SetBlockedExtensions(int index, const TExtensionList& list);

    /// Whether a process named OUTLOOK.EXE (letter case ignored) runs now. Raises nothing.
    bool IsOutlookRunning();

protected:
    /// Reads one list from a value of the given Security key, creating the key when it is missing.
    TExtensionList ReadExtensionList(const std::string& keyPath, const std::string& valueName);
    /// Stores one list as a REG_SZ value of the given Security key, creating the key when it is missing.
    void WriteExtensionList(const std::string& keyPath, const std::string& valueName, const TExtensionList& list);

private:
    void Detect();
    const TOutlookInfo& Version(int index) const;

    platform::IRegistry& FRegistry;
};
