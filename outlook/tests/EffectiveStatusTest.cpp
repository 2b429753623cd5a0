// What Outlook makes of the user's lists and of the policy layers, over hives built through the registry layer.
#include "outlook/EffectiveStatus.h"
#include "outlook/ExtensionsFile.h"

#include "RegistryFixture.h"
#include "ScratchHive.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using platform::reg::TypeBinary;
using platform::reg::TypeDword;
using platform::reg::TypeExpandSz;
using platform::reg::TypeMultiSz;
using platform::reg::TypeSz;

std::string UserSecurity(const std::string& version) {
    return "Software\\Microsoft\\Office\\" + version + "\\Outlook\\Security";
}
std::string GroupOutlook(const std::string& version) {
    return "Software\\Policies\\Microsoft\\Office\\" + version + "\\Outlook";
}
std::string GroupSecurity(const std::string& version) {
    return GroupOutlook(version) + "\\Security";
}
const std::string CloudOutlook = "Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Outlook";
const std::string CloudSecurity = CloudOutlook + "\\Security";

const std::vector<std::string>& DefaultList() {
    static const std::vector<std::string> list =
        PredefinedExtensions(ReadPredefinedFileTypes(testsupport::DataFile("data/Extensions.txt").string()));
    return list;
}

std::string VerdictName(EVerdict verdict) {
    return VerdictText(verdict);
}

// Every fragment appears in a reason, in the order given (several fragments may share one reason).
testing::AssertionResult ReasonsInOrder(const std::vector<std::string>& reasons,
                                        const std::vector<std::string>& fragments) {
    std::size_t at = 0;
    for (const auto& fragment : fragments) {
        while (at < reasons.size() && reasons[at].find(fragment) == std::string::npos) {
            ++at;
        }
        if (at == reasons.size()) {
            std::string all;
            for (const auto& reason : reasons) {
                all += "\n  " + reason;
            }
            return testing::AssertionFailure() << "no reason, in order, holds \"" << fragment << "\"; reasons:" << all;
        }
    }
    return testing::AssertionSuccess();
}

struct TProbe {
    const char* Input;
    EVerdict Verdict;
    std::vector<std::string> Fragments;
};

struct TCase {
    const char* Name;
    const char* Version;
    std::function<void()> Build;
    std::vector<TProbe> Probes;
};

void Baseline(const std::string& version) {
    fixture::SetDword(GroupSecurity(version), "AdminSecurityMode", 3);
    fixture::SetDword(GroupSecurity(version), "AllowUsersToLowerAttachments", 0);
    fixture::SetDword(GroupOutlook(version), "DisallowAttachmentCustomization", 1);
}

} // namespace

TEST(EffectiveStatus, findsTheExtensionOutlookGoesBy) {
    const std::pair<const char*, const char*> cases[] = {
        {"report.pdf.exe", ".exe"},
        {".PY", ".py"},
        {"archive.tar.gz", ".gz"},
        {"README", ""},
        {"", ""},
        {"C:\\mail.d\\notes", ""},
        {"/tmp/x.d/Setup.EXE", ".exe"},
        {"evil.exe. .", ".exe"},
        {"trailing.", ""},
        {"  photo.JPG  ", ".jpg"},
    };
    for (const auto& [name, extension] : cases) {
        EXPECT_EQ(ExtensionOfFileName(name), extension) << name;
    }
    const std::pair<const char*, const char*> entries[] = {{".exe", ".exe"}, {" EXE ", ".exe"}, {"", ""}, {"  ", ""}};
    for (const auto& [entry, normalized] : entries) {
        EXPECT_EQ(NormalizedEntry(entry), normalized) << '"' << entry << '"';
    }
}

TEST(EffectiveStatus, theDefaultListIsTheAddDialogsFile) {
    // One list to keep current: the predefined file types are Outlook's default Level 1 list.
    const auto& list = DefaultList();
    EXPECT_GT(list.size(), 100u);
    for (const char* blocked : {".exe", ".py", ".js", ".lnk", ".url", ".iso"}) {
        EXPECT_NE(std::find(list.begin(), list.end(), blocked), list.end()) << blocked;
    }
    EXPECT_EQ(std::find(list.begin(), list.end(), ".txt"), list.end());
    SetPredefinedFileTypesFolderForTesting((testsupport::SourceDir() / "data").string() + "/");
    EXPECT_EQ(ReadDefaultLevel1List(), list);
    SetPredefinedFileTypesFolderForTesting("");
}

TEST(EffectiveStatus, layerCombinationsGiveTheVerdictAndItsReasons) {
    const TCase cases[] = {
        {"no layer at all",
         "16.0",
         [] {},
         {{".exe", EVerdict::Blocked, {"on Outlook's default Level 1 list"}},
          {"report.pdf.exe", EVerdict::Blocked, {"on Outlook's default"}},
          {".PY", EVerdict::Blocked, {"on Outlook's default"}},
          {".txt", EVerdict::NotBlocked, {"not on Outlook's default"}},
          {"archive.tar.gz", EVerdict::NotBlocked, {"not on Outlook's default"}},
          {"README", EVerdict::NotBlocked, {"no extension"}}}},
        {"the user's lists, entries as people type them",
         "16.0",
         [] {
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", "PY; .Exe;.txt");
             fixture::SetString(UserSecurity("16.0"), "Level1Add", ".ZIP;.exe", TypeExpandSz);
         },
         {{".py", EVerdict::OpenAfterSaving, {"on Outlook's default", "removed it", "honours"}},
          {".exe", EVerdict::Blocked, {"on Outlook's default", "added it", "both of your lists stays blocked"}},
          {"notes.zip", EVerdict::Blocked, {"not on Outlook's default", "You added it"}},
          {".txt", EVerdict::NotBlocked, {"not on", "removed it", "no effect"}},
          {".js", EVerdict::Blocked, {"on Outlook's default"}}}},
        {"Microsoft's baseline: mode 3, customizing prevented, demoting forbidden",
         "16.0",
         [] {
             Baseline("16.0");
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py;.exe");
         },
         {{".py", EVerdict::Blocked, {"on Outlook's default", "ignores that list", "DisallowAttachmentCustomization"}},
          {".txt", EVerdict::NotBlocked, {"not on Outlook's default"}}}},
        {"mode 3 without a word on demoting",
         "16.0",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py");
         },
         {{".py", EVerdict::Blocked, {"ignores that list", "AllowUsersToLowerAttachments is not set"}}}},
        {"mode 3 that lets users demote",
         "16.0",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetDword(GroupSecurity("16.0"), "AllowUsersToLowerAttachments", 1);
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py");
         },
         {{".py", EVerdict::OpenAfterSaving, {"removed it", "honours"}}}},
        {"customizing prevented outside mode 3",
         "16.0",
         [] {
             fixture::SetDword(GroupOutlook("16.0"), "DisallowAttachmentCustomization", 1);
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py");
             fixture::SetString(UserSecurity("16.0"), "Level1Add", ".txt");
         },
         {{".py", EVerdict::Blocked, {"ignores that list", "prevents users from customizing"}},
          {".txt", EVerdict::Blocked, {"You added it"}}}},
        {"policy lists in mode 3",
         "16.0",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetDword(GroupSecurity("16.0"), "AllowUsersToLowerAttachments", 1);
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsAddLevel1", ".txt;.PY");
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsRemoveLevel1", ".exe;.txt;.csv");
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".txt;.py");
         },
         {{".txt",
           EVerdict::Blocked,
           {"not on Outlook's default", "Group Policy (FileExtensionsAddLevel1) adds it", "Group Policy adds it",
            "only an administrator", "an addition to Level 1 wins"}},
          {".exe", EVerdict::OpenAfterSaving, {"on Outlook's default", "Group Policy removes it"}},
          {".py", EVerdict::Blocked, {"on Outlook's default", "Group Policy adds it"}},
          {".csv", EVerdict::NotBlocked, {"Group Policy removes it", "does not block it by default anyway"}}}},
        {"policy lists outside mode 3 do not apply; the legacy ones do",
         "16.0",
         [] {
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsAddLevel1", ".txt");
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsRemoveLevel1", ".exe");
             fixture::SetString(GroupSecurity("16.0"), "Level1Add", ".csv");
             fixture::SetString(GroupSecurity("16.0"), "Level1Remove", ".js");
         },
         {{".txt", EVerdict::NotBlocked, {"FileExtensionsAddLevel1, but that list applies only"}},
          {".exe", EVerdict::Blocked, {"on Outlook's default", "applies only when AdminSecurityMode is 3"}},
          {".csv", EVerdict::Blocked, {"Group Policy adds it to Level 1 (Level1Add)"}},
          {".js", EVerdict::OpenAfterSaving, {"Group Policy removes it from Level 1 (Level1Remove)"}}}},
        {"Cloud Policy over Group Policy, value by value",
         "16.0",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetDword(GroupSecurity("16.0"), "AllowUsersToLowerAttachments", 1);
             fixture::SetDword(CloudSecurity, "AllowUsersToLowerAttachments", 0);
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsAddLevel1", ".txt");
             fixture::SetString(CloudSecurity, "FileExtensionsAddLevel1", ".csv");
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py");
         },
         {{".py",
           EVerdict::Blocked,
           {"ignores that list", "Group Policy puts", "Cloud Policy does not allow users to demote"}},
          {".csv", EVerdict::Blocked, {"Cloud Policy adds it"}},
          {".txt", EVerdict::NotBlocked, {"not on Outlook's default"}}}},
        {"Cloud Policy is for 16.0 only; an older version rests on today's list",
         "15.0",
         [] {
             fixture::SetDword(CloudSecurity, "AdminSecurityMode", 3);
             fixture::SetDword(CloudOutlook, "DisallowAttachmentCustomization", 1);
             fixture::SetString(UserSecurity("15.0"), "Level1Remove", ".py");
         },
         {{".py", EVerdict::OpenAfterSaving, {"honours", "rests on today's list"}},
          {".exe", EVerdict::Blocked, {"on Outlook's default", "Outlook 15.0 is older"}}}},
        {"values of the wrong type count as not set, with a reason",
         "16.0",
         [] {
             fixture::SetString(GroupSecurity("16.0"), "AdminSecurityMode", "3");
             fixture::SetValue(GroupOutlook("16.0"), "DisallowAttachmentCustomization", TypeBinary, "\x01");
             fixture::SetValue(CloudSecurity, "AllowUsersToLowerAttachments", TypeDword, std::string("\x01\x00", 2));
             fixture::SetValue(GroupSecurity("16.0"), "FileExtensionsAddLevel1", TypeMultiSz,
                               std::string(".txt\0\0", 6));
             fixture::SetDword(UserSecurity("16.0"), "Level1Add", 1);
             fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py");
         },
         {{".py",
           EVerdict::OpenAfterSaving,
           {"honours", "Cloud Policy: AllowUsersToLowerAttachments is a REG_DWORD of 2 bytes",
            "Group Policy: AdminSecurityMode is REG_SZ, not REG_DWORD; it counts as not set",
            "DisallowAttachmentCustomization is REG_BINARY", "FileExtensionsAddLevel1 is REG_MULTI_SZ"}},
          {".txt", EVerdict::NotBlocked, {"not on", "Your settings: Level1Add is REG_DWORD, not REG_SZ"}}}},
        {"the display policy",
         "16.0",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetDword(GroupSecurity("16.0"), "ShowLevel1Attach", 1);
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsAddLevel1", ".txt");
         },
         {{".exe", EVerdict::OpenAfterSaving, {"on Outlook's default", "ShowLevel1Attach 1"}},
          {".txt", EVerdict::OpenAfterSaving, {"Group Policy adds it", "ShowLevel1Attach 1"}},
          {".csv", EVerdict::NotBlocked, {"not on"}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        testsupport::TScratchHive hive;
        c.Build();
        const TSecurityLayers layers = ReadSecurityLayers(
            fixture::Registry(), std::string("Software\\Microsoft\\Office\\") + c.Version + "\\Outlook\\");
        EXPECT_EQ(layers.VersionNumber, c.Version);
        for (const TProbe& probe : c.Probes) {
            SCOPED_TRACE(probe.Input);
            const TVerdict verdict = EvaluateAttachment(layers, probe.Input, DefaultList(), c.Version);
            EXPECT_EQ(VerdictName(verdict.Verdict), VerdictName(probe.Verdict));
            EXPECT_EQ(verdict.Extension, ExtensionOfFileName(probe.Input));
            EXPECT_EQ(verdict.RestsOnTodaysList, std::string(c.Version) != "16.0");
            EXPECT_TRUE(ReasonsInOrder(verdict.Reasons, probe.Fragments));
        }
    }
}

TEST(EffectiveStatus, theNoticeNamesWhatPolicyOverrides) {
    struct TNoticeCase {
        const char* Name;
        std::function<void()> Build;
        std::vector<std::string> Fragments; // empty: no notice
    };
    const TNoticeCase cases[] = {
        {"no policy", [] { fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py"); }, {}},
        {"policies that leave the lists their effect",
         [] {
             fixture::SetDword(GroupSecurity("16.0"), "AdminSecurityMode", 3);
             fixture::SetDword(GroupSecurity("16.0"), "AllowUsersToLowerAttachments", 1);
             fixture::SetDword(GroupOutlook("16.0"), "DisallowAttachmentCustomization", 0);
             fixture::SetString(GroupSecurity("16.0"), "FileExtensionsRemoveLevel1", ".py");
         },
         {}},
        {"Microsoft's baseline",
         [] { Baseline("16.0"); },
         {"Your Allow access list has no effect", "Group Policy prevents users from customizing"}},
        {"types added by policy",
         [] {
             fixture::SetDword(CloudSecurity, "AdminSecurityMode", 3);
             fixture::SetDword(CloudSecurity, "AllowUsersToLowerAttachments", 1);
             fixture::SetString(CloudSecurity, "FileExtensionsAddLevel1", ".TXT; .csv;.txt");
         },
         {"Cloud Policy blocks .txt, .csv (FileExtensionsAddLevel1); no list of yours can unblock them."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        testsupport::TScratchHive hive;
        c.Build();
        const auto lines =
            PolicyOverrides(ReadSecurityLayers(fixture::Registry(), "Software\\Microsoft\\Office\\16.0"));
        if (c.Fragments.empty()) {
            EXPECT_TRUE(lines.empty()) << lines.front();
        } else {
            EXPECT_TRUE(ReasonsInOrder(lines, c.Fragments));
        }
    }
}

TEST(EffectiveStatus, readingTheLayersChangesNothingAndCreatesNothing) {
    testsupport::TScratchHive hive;
    {
        const std::string empty = hive.Snapshot();
        for (const char* path : {"Software\\Microsoft\\Office\\16.0\\Outlook\\", "Software\\Microsoft\\Office\\12.0"}) {
            const TSecurityLayers layers = ReadSecurityLayers(fixture::Registry(), path);
            EXPECT_FALSE(layers.UserLevel1Remove.Items);
            EXPECT_TRUE(LayerProblems(layers).empty());
        }
        EXPECT_EQ(hive.Snapshot(), empty);
        EXPECT_FALSE(fixture::KeyExists("Software"));
    }
    Baseline("16.0");
    fixture::SetString(GroupSecurity("16.0"), "FileExtensionsAddLevel1", ".txt");
    fixture::SetString(CloudSecurity, "AdminSecurityMode", "3");
    fixture::SetString(UserSecurity("16.0"), "Level1Remove", ".py;.exe");
    fixture::CreateKey("Software\\Microsoft\\Office\\14.0\\Outlook");
    const std::string before = hive.Snapshot();
    const TSecurityLayers full =
        ReadSecurityLayers(fixture::Registry(), "Software\\Microsoft\\Office\\16.0\\Outlook\\");
    const TSecurityLayers bare = ReadSecurityLayers(fixture::Registry(), "Software\\Microsoft\\Office\\16.0");
    const TSecurityLayers policy =
        ReadPolicyLayers(fixture::Registry(), "Software\\Microsoft\\Office\\16.0\\Outlook\\");
    ReadSecurityLayers(fixture::Registry(), "Software\\Microsoft\\Office\\14.0\\Outlook\\");
    EXPECT_EQ(hive.Snapshot(), before);
    EXPECT_FALSE(fixture::KeyExists(UserSecurity("14.0")));
    EXPECT_FALSE(fixture::KeyExists(GroupOutlook("14.0")));
    // Both ways of naming the version read the same layers.
    EXPECT_EQ(full.UserLevel1Remove.Items, bare.UserLevel1Remove.Items);
    EXPECT_EQ(full.UserLevel1Remove.Items, (TExtensionList{".py", ".exe"}));
    EXPECT_EQ(full.GroupPolicy.AdminSecurityMode.Value, bare.GroupPolicy.AdminSecurityMode.Value);
    EXPECT_EQ(full.GroupPolicy.AdminSecurityMode.Value, 3u);
    EXPECT_EQ(full.CloudPolicy.AdminSecurityMode.Problem, bare.CloudPolicy.AdminSecurityMode.Problem);
    EXPECT_FALSE(full.CloudPolicy.AdminSecurityMode.Problem.empty());
    // The policy layers alone are the same policies, and leave the user's lists unread.
    EXPECT_EQ(policy.VersionNumber, "16.0");
    EXPECT_FALSE(policy.UserLevel1Remove.Items);
    EXPECT_EQ(policy.GroupPolicy.FileExtensionsAddLevel1.Items, full.GroupPolicy.FileExtensionsAddLevel1.Items);
    EXPECT_EQ(policy.CloudPolicy.AdminSecurityMode.Problem, full.CloudPolicy.AdminSecurityMode.Problem);
    EXPECT_EQ(PolicyOverrides(policy), PolicyOverrides(full));
}

TEST(EffectiveStatus, hintsSayWhatAnEntryDoesNotDo) {
    const TExtensionList allow = {".BAT", ".txt", "py", "", ".JS", ".bat", ".js", ".Zip", ".csv", ".Bat"};
    const TExtensionList block = {".zip", ".exe", ".CSV"};
    TSecurityLayers none;
    none.GroupPolicy.Name = "Group Policy";
    none.CloudPolicy.Name = "Cloud Policy";
    TSecurityLayers baseline = none;
    baseline.GroupPolicy.DisallowAttachmentCustomization.Value = 1;
    TSecurityLayers added = none;
    added.CloudPolicy.AdminSecurityMode.Value = 3;
    added.CloudPolicy.AllowUsersToLowerAttachments.Value = 1;
    added.CloudPolicy.FileExtensionsAddLevel1.Items = TExtensionList{".JS"};
    added.CloudPolicy.ShowLevel1Attach.Value = 1;

    struct THintCase {
        const char* Name;
        const TSecurityLayers* Layers;
        bool DefaultKnown;
        EListSide Side;
        const char* Entry;
        std::vector<std::string> Fragments; // empty: no hint
    };
    const THintCase cases[] = {
        {"allowing a type that is not blocked", &none, true, EListSide::Allow, ".txt", {"does not block this type"}},
        {"without the default list nothing rests on it", &none, false, EListSide::Allow, ".txt", {}},
        {"an entry without its dot", &none, true, EListSide::Allow, "py", {"No leading dot"}},
        {"an empty entry", &none, true, EListSide::Allow, "", {"empty entry"}},
        {"duplicates differing in letter case", &none, true, EListSide::Allow, ".JS", {"Listed 2 times"}},
        {"three spellings apart from one another", &none, true, EListSide::Allow, ".bat", {"Listed 3 times"}},
        {"on both lists, seen from either side", &none, true, EListSide::Allow, ".Zip", {"Also on the Block access"}},
        {"on both lists, from the Block side", &none, true, EListSide::Block, ".CSV", {"Also on the Allow access"}},
        {"a plain block entry", &none, true, EListSide::Block, ".exe", {}},
        {"the Allow list ignored by policy",
         &baseline,
         true,
         EListSide::Allow,
         ".js",
         {"Listed 2 times", "Outlook ignores this list", "DisallowAttachmentCustomization", "Only an administrator"}},
        {"a type policy adds",
         &added,
         true,
         EListSide::Allow,
         ".js",
         {"Cloud Policy (FileExtensionsAddLevel1) blocks this type"}},
        {"blocking undone by the display policy", &added, true, EListSide::Block, ".exe", {"ShowLevel1Attach 1"}},
    };
    const auto& defaults = DefaultList();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TListHints hints(allow, block, *c.Layers, c.DefaultKnown ? &defaults : nullptr);
        const auto lines = hints.For(c.Side, c.Entry);
        if (c.Fragments.empty()) {
            EXPECT_TRUE(lines.empty()) << lines.front();
        } else {
            EXPECT_TRUE(ReasonsInOrder(lines, c.Fragments));
        }
    }
}

TEST(EffectiveStatus, aHiveThatCannotBeReadGivesLayersNotSetAndSaysSoOncePerKey) {
    testsupport::TScratchHive hive;
    if (hive.Prefix().empty()) {
        GTEST_SKIP() << "the Windows registry has no file to spoil";
    }
    // A folder where user.reg should be: no key opens.
    std::filesystem::remove(hive.Prefix() / "user.reg");
    std::filesystem::create_directory(hive.Prefix() / "user.reg");
    const TSecurityLayers layers =
        ReadSecurityLayers(fixture::Registry(), "Software\\Microsoft\\Office\\16.0\\Outlook\\");
    EXPECT_FALSE(layers.UserLevel1Remove.Items);
    EXPECT_FALSE(layers.GroupPolicy.AdminSecurityMode.Value);
    const auto problems = LayerProblems(layers);
    // The user's Security key, and each policy's Outlook and Security keys.
    EXPECT_EQ(problems.size(), 5u);
    for (const auto& problem : problems) {
        EXPECT_NE(problem.find("does not open"), std::string::npos) << problem;
    }
    const TVerdict verdict = EvaluateAttachment(layers, ".exe", DefaultList(), "16.0");
    EXPECT_EQ(verdict.Verdict, EVerdict::Blocked);
    EXPECT_TRUE(ReasonsInOrder(verdict.Reasons, {"default Level 1", "Your settings: the key"}));
}
