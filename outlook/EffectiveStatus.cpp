#include "outlook/EffectiveStatus.h"

#include "platform/Registry.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

using platform::IRegistry;
using platform::TRegKey;
namespace reg = platform::reg;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), Lower);
    return result;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32;
}

std::string TypeName(std::uint32_t type) {
    switch (type) {
    case reg::TypeNone:
        return "REG_NONE";
    case reg::TypeSz:
        return "REG_SZ";
    case reg::TypeExpandSz:
        return "REG_EXPAND_SZ";
    case reg::TypeBinary:
        return "REG_BINARY";
    case reg::TypeDword:
        return "REG_DWORD";
    case reg::TypeMultiSz:
        return "REG_MULTI_SZ";
    default:
        return "of type " + std::to_string(type);
    }
}

// How the problem of a key that does not open starts: it is told once for the key, not for each value.
constexpr std::string_view KeyProblemStart = "the key ";

// Closes a key opened for reading on every way out.
class TReadKey {
public:
    TReadKey(IRegistry& registry, const std::string& path) : FRegistry(registry), FPath(path) {
        FStatus = registry.OpenKey(path, reg::AccessRead, FKey);
        if (FStatus != reg::Success) {
            FKey = 0;
        }
    }
    ~TReadKey() {
        if (FKey != 0) {
            FRegistry.CloseKey(FKey);
        }
    }
    TReadKey(const TReadKey&) = delete;
    TReadKey& operator=(const TReadKey&) = delete;

    TRegKey Key() const { return FKey; }
    /// Why the key gives nothing: empty when it opened or simply does not exist.
    std::string Problem() const {
        if (FKey != 0 || FStatus == reg::FileNotFound) {
            return {};
        }
        return std::string(KeyProblemStart) + FPath + " does not open (status " + std::to_string(FStatus) + ")";
    }

private:
    IRegistry& FRegistry;
    std::string FPath;
    TRegKey FKey = 0;
    long FStatus = reg::FileNotFound;
};

struct TRawValue {
    bool Present = false;
    std::uint32_t Type = reg::TypeNone;
    std::string Data;
    std::string Problem;
};

TRawValue ReadRaw(IRegistry& registry, const TReadKey& key, const char* name) {
    TRawValue raw;
    if (key.Key() == 0) {
        raw.Problem = key.Problem();
        return raw;
    }
    std::uint32_t size = 0;
    long status = registry.QueryValue(key.Key(), name, &raw.Type, nullptr, &size);
    if (status == reg::FileNotFound) {
        return raw;
    }
    // The value may grow between the two queries (another program writing it): ask again a few times.
    for (int attempt = 0; status == reg::Success && attempt < 4; ++attempt) {
        raw.Data.assign(size, '\0');
        std::uint32_t got = size;
        status =
            registry.QueryValue(key.Key(), name, &raw.Type, reinterpret_cast<unsigned char*>(raw.Data.data()), &got);
        if (status == reg::Success) {
            raw.Data.resize(std::min<std::size_t>(got, raw.Data.size()));
            raw.Present = true;
            return raw;
        }
        if (status == reg::MoreData) {
            size = got > size ? got : size * 2 + 16;
            status = reg::Success;
        }
    }
    if (status == reg::FileNotFound) {
        return {}; // deleted between the two queries: not set
    }
    raw.Data.clear();
    raw.Problem = "cannot be read (status " + std::to_string(status) + ")";
    return raw;
}

TDwordSetting ReadDword(IRegistry& registry, const TReadKey& key, const char* name) {
    TDwordSetting setting;
    const TRawValue raw = ReadRaw(registry, key, name);
    if (!raw.Present) {
        setting.Problem = raw.Problem;
    } else if (raw.Type != reg::TypeDword) {
        setting.Problem = "is " + TypeName(raw.Type) + ", not REG_DWORD";
    } else if (raw.Data.size() != 4) {
        setting.Problem = "is a REG_DWORD of " + std::to_string(raw.Data.size()) + " bytes, not 4";
    } else {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(raw.Data[std::size_t(i)]);
        }
        setting.Value = value;
    }
    return setting;
}

TListSetting ReadList(IRegistry& registry, const TReadKey& key, const char* name) {
    TListSetting setting;
    const TRawValue raw = ReadRaw(registry, key, name);
    if (!raw.Present) {
        setting.Problem = raw.Problem;
    } else if (raw.Type != reg::TypeSz && raw.Type != reg::TypeExpandSz) {
        setting.Problem = "is " + TypeName(raw.Type) + ", not REG_SZ";
    } else {
        const std::string text(raw.Data.c_str()); // up to the first zero byte
        setting.Items = text.empty() ? TExtensionList{} : SplitExtensionList(text);
    }
    return setting;
}

TPolicyLayer ReadPolicyLayer(IRegistry& registry, const std::string& name, const std::string& outlookKey) {
    TPolicyLayer layer;
    layer.Name = name;
    {
        const TReadKey outlook(registry, outlookKey);
        layer.DisallowAttachmentCustomization = ReadDword(registry, outlook, "DisallowAttachmentCustomization");
    }
    const TReadKey security(registry, outlookKey + "\\Security");
    layer.AdminSecurityMode = ReadDword(registry, security, "AdminSecurityMode");
    layer.AllowUsersToLowerAttachments = ReadDword(registry, security, "AllowUsersToLowerAttachments");
    layer.ShowLevel1Attach = ReadDword(registry, security, "ShowLevel1Attach");
    layer.FileExtensionsAddLevel1 = ReadList(registry, security, "FileExtensionsAddLevel1");
    layer.FileExtensionsRemoveLevel1 = ReadList(registry, security, "FileExtensionsRemoveLevel1");
    layer.Level1Add = ReadList(registry, security, "Level1Add");
    layer.Level1Remove = ReadList(registry, security, "Level1Remove");
    return layer;
}

// The version number and the version's key, from either form of the path.
std::pair<std::string, std::string> SplitVersionKeyPath(std::string path) {
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    auto lastElement = [&path] {
        const auto slash = path.rfind('\\');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    };
    if (LowerCase(lastElement()) == "outlook") {
        path.resize(path.size() - std::string_view("outlook").size());
        while (!path.empty() && path.back() == '\\') {
            path.pop_back();
        }
    }
    return {lastElement(), path};
}

// One value as policy decides it: Cloud Policy's when it sets it, else Group Policy's.
template <class TSetting> struct TDecided {
    const TSetting* Setting = nullptr;
    const TPolicyLayer* Layer = nullptr;
    explicit operator bool() const { return Setting != nullptr; }
};

bool IsSet(const TDwordSetting& setting) {
    return setting.Value.has_value();
}
bool IsSet(const TListSetting& setting) {
    return setting.Items.has_value();
}

template <class TSetting> TDecided<TSetting> Decide(const TSecurityLayers& layers, TSetting TPolicyLayer::*member) {
    if (IsSet(layers.CloudPolicy.*member)) {
        return {&(layers.CloudPolicy.*member), &layers.CloudPolicy};
    }
    if (IsSet(layers.GroupPolicy.*member)) {
        return {&(layers.GroupPolicy.*member), &layers.GroupPolicy};
    }
    return {};
}

bool ModeIsPolicy(const TSecurityLayers& layers) {
    const auto mode = Decide(layers, &TPolicyLayer::AdminSecurityMode);
    return mode && *mode.Setting->Value == 3;
}

bool ListHolds(const TExtensionList& list, const std::string& extension) {
    return !extension.empty() && std::any_of(list.begin(), list.end(), [&](const std::string& entry) {
        return NormalizedEntry(entry) == extension;
    });
}

bool ListHolds(const TListSetting& list, const std::string& extension) {
    return list.Items && ListHolds(*list.Items, extension);
}

template <class TSetting> bool ListHolds(const TDecided<TSetting>& decided, const std::string& extension) {
    return decided && ListHolds(*decided.Setting, extension);
}

// A policy list and whether the security mode lets it apply.
struct TPolicyList {
    const char* Value;
    TListSetting TPolicyLayer::*Member;
    bool NeedsMode3;
};
constexpr TPolicyList PolicyAddLists[] = {
    {"FileExtensionsAddLevel1", &TPolicyLayer::FileExtensionsAddLevel1, true},
    {"Level1Add", &TPolicyLayer::Level1Add, false},
};
constexpr TPolicyList PolicyRemoveLists[] = {
    {"FileExtensionsRemoveLevel1", &TPolicyLayer::FileExtensionsRemoveLevel1, true},
    {"Level1Remove", &TPolicyLayer::Level1Remove, false},
};

std::string Joined(const std::vector<std::string>& items, std::size_t shown) {
    std::string text;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += items[i];
    }
    if (items.size() > shown) {
        text += " and " + std::to_string(items.size() - shown) + " more";
    }
    return text;
}

int MajorVersion(std::string_view versionNumber) {
    int major = 0;
    std::size_t i = 0;
    for (; i < versionNumber.size() && versionNumber[i] >= '0' && versionNumber[i] <= '9' && major < 1000; ++i) {
        major = major * 10 + (versionNumber[i] - '0');
    }
    return i == 0 ? -1 : major;
}

} // namespace

std::string ExtensionOfFileName(std::string_view fileName) {
    if (const auto slash = fileName.find_last_of("\\/"); slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    while (!fileName.empty() && (IsBlank(fileName.back()) || fileName.back() == '.')) {
        fileName.remove_suffix(1);
    }
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return LowerCase(fileName.substr(dot));
}

std::string NormalizedEntry(std::string_view entry) {
    while (!entry.empty() && IsBlank(entry.front())) {
        entry.remove_prefix(1);
    }
    while (!entry.empty() && IsBlank(entry.back())) {
        entry.remove_suffix(1);
    }
    if (entry.empty()) {
        return {};
    }
    std::string result = LowerCase(entry);
    if (result.front() != '.') {
        result.insert(result.begin(), '.');
    }
    return result;
}

TSecurityLayers ReadSecurityLayers(platform::IRegistry& registry, const std::string& versionKeyPath) {
    TSecurityLayers layers = ReadPolicyLayers(registry, versionKeyPath);
    const TReadKey security(registry, SplitVersionKeyPath(versionKeyPath).second + "\\Outlook\\Security");
    layers.UserLevel1Add = ReadList(registry, security, "Level1Add");
    layers.UserLevel1Remove = ReadList(registry, security, "Level1Remove");
    return layers;
}

TSecurityLayers ReadPolicyLayers(platform::IRegistry& registry, const std::string& versionKeyPath) {
    const std::string version = SplitVersionKeyPath(versionKeyPath).first;
    TSecurityLayers layers;
    layers.VersionNumber = version;
    layers.GroupPolicy =
        ReadPolicyLayer(registry, "Group Policy", "Software\\Policies\\Microsoft\\Office\\" + version + "\\Outlook");
    // Cloud Policy serves Microsoft 365 Apps, which are all 16.0.
    if (version == "16.0") {
        layers.CloudPolicy =
            ReadPolicyLayer(registry, "Cloud Policy", "Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Outlook");
    } else {
        layers.CloudPolicy.Name = "Cloud Policy";
    }
    return layers;
}

std::optional<std::string> UserRemoveIgnoredBecause(const TSecurityLayers& layers) {
    if (const auto disallow = Decide(layers, &TPolicyLayer::DisallowAttachmentCustomization);
        disallow && *disallow.Setting->Value != 0) {
        return disallow.Layer->Name +
               " prevents users from customizing attachment security (DisallowAttachmentCustomization)";
    }
    if (ModeIsPolicy(layers)) {
        const auto mode = Decide(layers, &TPolicyLayer::AdminSecurityMode);
        const auto lower = Decide(layers, &TPolicyLayer::AllowUsersToLowerAttachments);
        const std::string modeText = mode.Layer->Name + " puts Outlook's security settings under policy "
                                                        "(AdminSecurityMode 3), and ";
        if (!lower) {
            return modeText + "no policy allows users to demote attachments (AllowUsersToLowerAttachments is not set)";
        }
        if (*lower.Setting->Value != 1) {
            return modeText + lower.Layer->Name +
                   " does not allow users to demote attachments "
                   "(AllowUsersToLowerAttachments is " +
                   std::to_string(*lower.Setting->Value) + ")";
        }
    }
    return std::nullopt;
}

std::optional<std::string> PolicyAddedBy(const TSecurityLayers& layers, const std::string& extension) {
    for (const TPolicyList& list : PolicyAddLists) {
        if (list.NeedsMode3 && !ModeIsPolicy(layers)) {
            continue;
        }
        if (const auto decided = Decide(layers, list.Member); ListHolds(decided, extension)) {
            return decided.Layer->Name + " (" + list.Value + ")";
        }
    }
    return std::nullopt;
}

std::vector<std::string> PolicyOverrides(const TSecurityLayers& layers) {
    std::vector<std::string> lines;
    if (const auto why = UserRemoveIgnoredBecause(layers)) {
        lines.push_back("Your Allow access list has no effect: " + *why + ".");
    }
    for (const TPolicyList& list : PolicyAddLists) {
        if (list.NeedsMode3 && !ModeIsPolicy(layers)) {
            continue;
        }
        const auto decided = Decide(layers, list.Member);
        if (!decided) {
            continue;
        }
        std::vector<std::string> added;
        for (const auto& entry : *decided.Setting->Items) {
            const std::string extension = NormalizedEntry(entry);
            if (!extension.empty() && std::find(added.begin(), added.end(), extension) == added.end()) {
                added.push_back(extension);
            }
        }
        if (!added.empty()) {
            lines.push_back(decided.Layer->Name + " blocks " + Joined(added, 6) + " (" + list.Value +
                            "); no list of yours can unblock " + (added.size() == 1 ? "it." : "them."));
        }
    }
    if (ModeIsPolicy(layers)) {
        if (const auto show = Decide(layers, &TPolicyLayer::ShowLevel1Attach); show && *show.Setting->Value == 1) {
            lines.push_back("Your Block access list blocks nothing outright: " + show.Layer->Name +
                            " lets every Level 1 type be opened after saving (ShowLevel1Attach 1).");
        }
    }
    return lines;
}

std::vector<std::string> LayerProblems(const TSecurityLayers& layers) {
    std::vector<std::string> lines;
    std::set<std::string> keys;
    auto add = [&lines, &keys](const std::string& layer, const char* name, const std::string& problem) {
        if (problem.empty()) {
            return;
        }
        if (problem.starts_with(KeyProblemStart)) {
            if (keys.insert(problem).second) {
                lines.push_back(layer + ": " + problem + "; its values count as not set.");
            }
            return;
        }
        lines.push_back(layer + ": " + name + " " + problem + "; it counts as not set.");
    };
    add("Your settings", "Level1Add", layers.UserLevel1Add.Problem);
    add("Your settings", "Level1Remove", layers.UserLevel1Remove.Problem);
    for (const TPolicyLayer* layer : {&layers.CloudPolicy, &layers.GroupPolicy}) {
        add(layer->Name, "AdminSecurityMode", layer->AdminSecurityMode.Problem);
        add(layer->Name, "AllowUsersToLowerAttachments", layer->AllowUsersToLowerAttachments.Problem);
        add(layer->Name, "DisallowAttachmentCustomization", layer->DisallowAttachmentCustomization.Problem);
        add(layer->Name, "ShowLevel1Attach", layer->ShowLevel1Attach.Problem);
        add(layer->Name, "FileExtensionsAddLevel1", layer->FileExtensionsAddLevel1.Problem);
        add(layer->Name, "FileExtensionsRemoveLevel1", layer->FileExtensionsRemoveLevel1.Problem);
        add(layer->Name, "Level1Add", layer->Level1Add.Problem);
        add(layer->Name, "Level1Remove", layer->Level1Remove.Problem);
    }
    return lines;
}

TVerdict EvaluateAttachment(const TSecurityLayers& layers, std::string_view fileNameOrExtension,
                            const std::vector<std::string>& defaultLevel1, std::string_view versionNumber) {
    TVerdict verdict;
    auto reason = [&verdict](std::string text) { verdict.Reasons.push_back(std::move(text)); };
    const std::string extension = ExtensionOfFileName(fileNameOrExtension);
    verdict.Extension = extension;

    if (extension.empty()) {
        reason("The name has no extension, and Outlook blocks attachments by their extension only.");
    } else {
        const bool inDefault = ListHolds(defaultLevel1, extension);
        reason(inDefault ? "It is on Outlook's default Level 1 list of blocked file types."
                         : "It is not on Outlook's default Level 1 list of blocked file types.");

        // Additions put a type on Level 1 for good; removals only take a default entry off it.
        bool added = false;
        bool removed = false;

        const bool userAdded = ListHolds(layers.UserLevel1Add, extension);
        if (userAdded) {
            reason("You added it to Level 1 (your Level1Add).");
            added = true;
        }
        const std::optional<std::string> policyAdder = PolicyAddedBy(layers, extension);
        if (ListHolds(layers.UserLevel1Remove, extension)) {
            if (const auto ignored = UserRemoveIgnoredBecause(layers)) {
                reason("You removed it from Level 1 (your Level1Remove), but Outlook ignores that list: " + *ignored +
                       ".");
            } else if (userAdded) {
                reason("You also removed it (your Level1Remove), but a type on both of your lists stays blocked.");
            } else if (policyAdder) {
                reason("You removed it from Level 1 (your Level1Remove), but " + *policyAdder +
                       " adds it, and no list of yours can undo that.");
            } else if (!inDefault) {
                reason("You removed it from Level 1 (your Level1Remove); that has no effect, since Outlook does not "
                       "block it by default.");
            } else {
                reason("You removed it from Level 1 (your Level1Remove), and Outlook honours that.");
                removed = true;
            }
        }

        for (const TPolicyList& list : PolicyAddLists) {
            const auto decided = Decide(layers, list.Member);
            if (!ListHolds(decided, extension)) {
                continue;
            }
            if (list.NeedsMode3 && !ModeIsPolicy(layers)) {
                reason(decided.Layer->Name + " lists it in " + list.Value +
                       ", but that list applies only when AdminSecurityMode is 3.");
            } else {
                reason(decided.Layer->Name + " adds it to Level 1 (" + list.Value +
                       "); only an administrator can change that.");
                added = true;
            }
        }
        for (const TPolicyList& list : PolicyRemoveLists) {
            const auto decided = Decide(layers, list.Member);
            if (!ListHolds(decided, extension)) {
                continue;
            }
            const std::string source = decided.Layer->Name + " removes it from Level 1 (" + list.Value + ")";
            if (list.NeedsMode3 && !ModeIsPolicy(layers)) {
                reason(decided.Layer->Name + " lists it in " + list.Value +
                       ", but that list applies only when AdminSecurityMode is 3.");
            } else if (added) {
                reason(source + ", but an addition to Level 1 wins.");
            } else if (!inDefault) {
                reason(source + "; Outlook does not block it by default anyway.");
            } else {
                reason(source + ".");
                removed = true;
            }
        }

        if (added || (inDefault && !removed)) {
            verdict.Verdict = EVerdict::Blocked;
        } else if (inDefault) {
            verdict.Verdict = EVerdict::OpenAfterSaving;
        }

        if (const auto show = Decide(layers, &TPolicyLayer::ShowLevel1Attach);
            show && verdict.Verdict == EVerdict::Blocked) {
            if (!ModeIsPolicy(layers)) {
                reason(show.Layer->Name + " sets ShowLevel1Attach, but it applies only when AdminSecurityMode is 3.");
            } else if (*show.Setting->Value == 1) {
                reason(show.Layer->Name +
                       " shows Level 1 attachments (ShowLevel1Attach 1), so they can be opened after saving.");
                verdict.Verdict = EVerdict::OpenAfterSaving;
            } else if (*show.Setting->Value == 0) {
                reason(show.Layer->Name + " keeps Level 1 attachments hidden (ShowLevel1Attach 0).");
            }
        }
    }

    for (auto& problem : LayerProblems(layers)) {
        reason(std::move(problem));
    }
    if (const int major = MajorVersion(versionNumber); major >= 0 && major < 16) {
        verdict.RestsOnTodaysList = true;
        reason("Outlook " + std::string(versionNumber) +
               " is older than 16.0 and blocked fewer types by default; this verdict rests on today's list.");
    }
    return verdict;
}

std::string VerdictText(EVerdict verdict) {
    switch (verdict) {
    case EVerdict::Blocked:
        return "blocked";
    case EVerdict::OpenAfterSaving:
        return "open after saving";
    case EVerdict::NotBlocked:
        return "not blocked by Outlook";
    }
    return "not blocked by Outlook";
}

namespace {

// The layers without the user's saved lists. Hints are about the lists on screen, which may differ from the
// saved ones; and a copy of lists of thousands of entries is not made for nothing.
TSecurityLayers PolicyLayersOf(const TSecurityLayers& layers) {
    TSecurityLayers policy;
    policy.VersionNumber = layers.VersionNumber;
    policy.GroupPolicy = layers.GroupPolicy;
    policy.CloudPolicy = layers.CloudPolicy;
    return policy;
}

} // namespace

TListHints::TListHints(const TExtensionList& allowList, const TExtensionList& blockList, const TSecurityLayers& layers,
                       const std::vector<std::string>* defaultLevel1)
    : FLayers(PolicyLayersOf(layers)), FDefaultKnown(defaultLevel1 != nullptr) {
    if (defaultLevel1 != nullptr) {
        for (const auto& entry : *defaultLevel1) {
            FDefault.insert(NormalizedEntry(entry));
        }
    }
    FAllow.reserve(allowList.size());
    FBlock.reserve(blockList.size());
    for (const auto& entry : allowList) {
        ++FAllow[NormalizedEntry(entry)];
    }
    for (const auto& entry : blockList) {
        ++FBlock[NormalizedEntry(entry)];
    }
    // What the policy says of a whole side holds for each of its entries: worked out once, not per entry.
    if (const auto ignored = UserRemoveIgnoredBecause(FLayers)) {
        FAllowIgnored = "Outlook ignores this list: " + *ignored + ". Only an administrator can change that.";
    }
    if (ModeIsPolicy(FLayers)) {
        if (const auto show = Decide(FLayers, &TPolicyLayer::ShowLevel1Attach); show && *show.Setting->Value == 1) {
            FBlockOpenable = show.Layer->Name +
                             " lets every Level 1 type be opened after saving (ShowLevel1Attach 1), so this entry "
                             "does not block it outright.";
        }
    }
}

std::vector<std::string> TListHints::For(EListSide side, const std::string& entry) const {
    std::vector<std::string> hints;
    const std::string extension = NormalizedEntry(entry);
    if (extension.empty()) {
        hints.push_back("An empty entry: it names no file type and does nothing.");
        return hints;
    }
    if (entry.find_first_not_of(" \t") != std::string::npos && entry[entry.find_first_not_of(" \t")] != '.') {
        hints.push_back("No leading dot: Microsoft writes extensions with one (\".exe\"); write it so to be sure "
                        "Outlook matches it.");
    }
    const auto& own = side == EListSide::Allow ? FAllow : FBlock;
    const auto& other = side == EListSide::Allow ? FBlock : FAllow;
    if (const auto found = own.find(extension); found != own.end() && found->second > 1) {
        hints.push_back("Listed " + std::to_string(found->second) +
                        " times on this list, letter case aside; Outlook ignores letter case, so one is enough.");
    }
    if (other.count(extension) != 0) {
        hints.push_back(side == EListSide::Allow
                            ? "Also on the Block access list: a type on both lists stays blocked."
                            : "Also on the Allow access list: a type on both lists stays blocked.");
    }
    if (side == EListSide::Allow) {
        const auto policyAdder = PolicyAddedBy(FLayers, extension);
        if (FAllowIgnored) {
            hints.push_back(*FAllowIgnored);
        } else if (policyAdder) {
            hints.push_back(*policyAdder + " blocks this type; only an administrator can unblock it.");
        }
        if (FDefaultKnown && !policyAdder && other.count(extension) == 0 && FDefault.count(extension) == 0) {
            hints.push_back("Outlook does not block this type by default, so allowing it changes nothing.");
        }
    } else if (FBlockOpenable) {
        hints.push_back(*FBlockOpenable);
    }
    return hints;
}
