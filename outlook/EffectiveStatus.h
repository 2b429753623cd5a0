#pragma once

// What Outlook will really do with an attachment type. The user's two lists are only one layer: Group
// Policy and Cloud Policy can add types that no user list unblocks, or make Outlook ignore the user's
// Level1Remove altogether. This reads every layer of a version (never writing anything) and works out the
// verdict for one type with the reasons that lead to it.

#include "outlook/ExtensionList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {
class IRegistry;
}

enum class EVerdict { Blocked, OpenAfterSaving, NotBlocked };

struct TVerdict {
    EVerdict Verdict = EVerdict::NotBlocked;
    /// The extension the verdict is about, lower case with its dot (".exe"); empty when the name has none.
    std::string Extension;
    /// Why, in plain English, in the order Outlook weighs them.
    std::vector<std::string> Reasons;
    /// The version is older than 16.0, which blocked fewer types than today's default list.
    bool RestsOnTodaysList = false;
};

/// A DWORD value of a layer: its number, or not set (missing, or unusable: then Problem says why).
struct TDwordSetting {
    std::optional<std::uint32_t> Value;
    std::string Problem;
};

/// A list value of a layer: its items as the registry's list text splits them, or not set.
struct TListSetting {
    std::optional<TExtensionList> Items;
    std::string Problem;
};

/// The attachment policy values that one policy source (Group Policy or Cloud Policy) sets for a version.
struct TPolicyLayer {
    /// "Group Policy" or "Cloud Policy", as reasons name it.
    std::string Name;
    TDwordSetting AdminSecurityMode;
    TDwordSetting AllowUsersToLowerAttachments;
    TDwordSetting ShowLevel1Attach;
    /// One key higher than the others: ...\Outlook, not ...\Outlook\Security.
    TDwordSetting DisallowAttachmentCustomization;
    TListSetting FileExtensionsAddLevel1;
    TListSetting FileExtensionsRemoveLevel1;
    /// The older policy lists, which apply whatever the security mode.
    TListSetting Level1Add;
    TListSetting Level1Remove;
};

/// The policy and user layers of one version, read once.
struct TSecurityLayers {
    /// "16.0", "11.0"...
    std::string VersionNumber;
    /// The user's own lists (Level1Add blocked, Level1Remove allowed).
    TListSetting UserLevel1Add;
    TListSetting UserLevel1Remove;
    TPolicyLayer GroupPolicy;
    /// Outlook 16.0 only; takes precedence over Group Policy value by value.
    TPolicyLayer CloudPolicy;
};

/// Reads every layer of a version: the user's lists under <version>\Outlook\Security and the policy values
/// under Software\Policies\Microsoft\Office\<version> and ...\Cloud\Office\16.0. `versionKeyPath` names the
/// version as TOutlookInfo::KeyPath does (Software\Microsoft\Office\16.0\Outlook\) or without the Outlook
/// key (Software\Microsoft\Office\16.0). Opens keys for reading only: creates no key and no value. A value of
/// the wrong type, or one that cannot be read, counts as not set and says why; nothing is raised for it.
TSecurityLayers ReadSecurityLayers(platform::IRegistry& registry, const std::string& versionKeyPath);

/// The policy layers alone, read as ReadSecurityLayers reads them; the user's lists are left unread (their
/// Items not set), for a caller that has them at hand already.
TSecurityLayers ReadPolicyLayers(platform::IRegistry& registry, const std::string& versionKeyPath);

/// The verdict for a file name ("report.pdf.exe": its last extension) or an extension (".PY", "py"), letter
/// case ignored. `defaultLevel1` is Outlook's default Level 1 list of today (ReadDefaultLevel1List);
/// `versionNumber` such as "16.0".
TVerdict EvaluateAttachment(const TSecurityLayers& layers, std::string_view fileNameOrExtension,
                            const std::vector<std::string>& defaultLevel1, std::string_view versionNumber);

/// "blocked", "open after saving", "not blocked by Outlook".
std::string VerdictText(EVerdict verdict);

/// The extension Outlook goes by: the last one of a file name, lower case, with its dot; empty when there is
/// none. A folder part is ignored, and so are trailing dots and blanks, which Windows drops on saving.
std::string ExtensionOfFileName(std::string_view fileName);

/// A list entry as Outlook matches it: blanks around it dropped, lower case, a leading dot added when it has
/// none. Empty for an entry that is empty or blank.
std::string NormalizedEntry(std::string_view entry);

/// Why Outlook ignores the user's Level1Remove as a whole, naming the policy; nothing when it honours it.
std::optional<std::string> UserRemoveIgnoredBecause(const TSecurityLayers& layers);

/// Which policy adds an extension (as NormalizedEntry gives it) to Level 1, so that no user list can unblock
/// it, such as "Group Policy (FileExtensionsAddLevel1)"; nothing when no policy does.
std::optional<std::string> PolicyAddedBy(const TSecurityLayers& layers, const std::string& extension);

/// What policy overrides of the user's lists, one plain sentence each, for the main window's notice; empty
/// when nothing is overridden (no policy, or policies that leave the lists their effect).
std::vector<std::string> PolicyOverrides(const TSecurityLayers& layers);

/// Values that were present but could not be used, one sentence each ("Group Policy: AdminSecurityMode is
/// REG_SZ, not REG_DWORD; it counts as not set.").
std::vector<std::string> LayerProblems(const TSecurityLayers& layers);

enum class EListSide { Allow, Block };

/// Hints on the entries of the two lists as they stand on screen: what an entry does not do that its owner
/// may expect, and why. Built once for both lists; the lists are only read.
class TListHints {
public:
    /// `defaultLevel1` may be null when the default list could not be read: no hint then rests on it.
    TListHints(const TExtensionList& allowList, const TExtensionList& blockList, const TSecurityLayers& layers,
               const std::vector<std::string>* defaultLevel1);

    /// One plain sentence per hint for an entry of one side; empty when there is nothing to say.
    std::vector<std::string> For(EListSide side, const std::string& entry) const;

private:
    TSecurityLayers FLayers;                  // the policy layers alone
    std::unordered_set<std::string> FDefault; // normalized
    bool FDefaultKnown;
    // Per side: every normalized entry with the number of times it is written, in any spelling.
    std::unordered_map<std::string, std::size_t> FAllow;
    std::unordered_map<std::string, std::size_t> FBlock;
    std::optional<std::string> FAllowIgnored;  // the hint on every allowed entry when policy ignores the list
    std::optional<std::string> FBlockOpenable; // the hint on every blocked entry when policy lets them open
};
