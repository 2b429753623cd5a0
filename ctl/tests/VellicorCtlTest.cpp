// vellicorctl's commands run as a function on a hive of the test's own: the same source on the Linux hive and,
// redirected, on the Windows registry.
#include "ctl/VellicorCtl.h"

#include "CtlRun.h"

#include "JsonReader.h"
#include "outlook/ExtensionsFile.h"
#include "outlook/OutlookInteraction.h"
#include "outlook/tests/RegistryFixture.h"

#include "ScratchHive.h"
#include "SystemFacts.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

namespace {

const std::string Outlook12 = "Software\\Microsoft\\Office\\12.0\\Outlook";
const std::string Outlook16 = "Software\\Microsoft\\Office\\16.0\\Outlook";
const std::string Security12 = Outlook12 + "\\Security";
const std::string Security16 = Outlook16 + "\\Security";

// Both lists of a version as the program reads them.
struct TLists {
    TExtensionList Allowed;
    TExtensionList Blocked;
};

TLists Lists(const std::string& version) {
    TOutlookInteraction outlook;
    for (std::size_t i = 0; i < outlook.FVersions.size(); ++i) {
        if (outlook.FVersions[i].KeyPath.find("\\" + version + "\\") != std::string::npos) {
            const int index = static_cast<int>(i);
            return {outlook.GetAllowedExtensions(index), outlook.GetBlockedExtensions(index)};
        }
    }
    throw std::runtime_error("no Outlook " + version);
}

std::string Utf16ToAscii(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

class VellicorCtl : public testing::Test {
protected:
    // Outlook 2007 and Outlook 16.0, whose lists hold what a hand or another tool may have left there: a blank
    // after a semicolon, an entry without a dot, an empty entry, a quoted one, two spellings of one type.
    void SetUp() override {
        fixture::CreateKey(Security12);
        fixture::SetString(Security12, "Level1Remove", ".mdb");
        fixture::CreateKey(Outlook16);
        fixture::SetString(Security16, "Level1Remove", ".PDF; .exe;weird;;\"two words\";.Zip");
        fixture::SetString(Security16, "Level1Add", ".url;.PY");
    }

    testsupport::TScratchHive FHive;
};

const TExtensionList Allowed16{".PDF", ".exe", "weird", "", "two words", ".Zip"};
const TExtensionList Blocked16{".url", ".PY"};

struct TEditCase {
    const char* Name;
    std::vector<std::string> Args;
    TExtensionList Allowed; // of 16.0, after the command
    TExtensionList Blocked;
    std::string Says; // on standard error
    bool Writes;
};

TEST_F(VellicorCtl, editsMergeIntoTheListsKeepingEveryEntryItsCaseAndOrder) {
    const auto with = [](TExtensionList list, std::initializer_list<const char*> more) {
        list.insert(list.end(), more.begin(), more.end());
        return list;
    };
    const std::vector<TEditCase> cases = {
        {"allow appends", {"allow", ".py"}, with(Allowed16, {".py"}), Blocked16, "Added .py", true},
        {"allow adds a missing dot",
         {"allow", "py"},
         with(Allowed16, {".py"}),
         Blocked16,
         "\"py\" taken as \".py\"",
         true},
        {"allow turns *.py into .py", {"allow", "*.py"}, with(Allowed16, {".py"}), Blocked16, "taken as", true},
        {"allow --exact stores as given",
         {"allow", "--exact", "py"},
         with(Allowed16, {"py"}),
         Blocked16,
         "Added py",
         true},
        {"allow of a type there in another case", {"allow", ".zip"}, Allowed16, Blocked16, "(as .Zip)", false},
        {"allow --exact of another case adds it",
         {"allow", "--exact", ".zip"},
         with(Allowed16, {".zip"}),
         Blocked16,
         "Added .zip",
         true},
        {"allow of several, one twice",
         {"allow", ".a", ".b", ".A"},
         with(Allowed16, {".a", ".b"}),
         Blocked16,
         ".A is already on",
         true},
        {"allow of a blocked type warns",
         {"allow", ".py"},
         with(Allowed16, {".py"}),
         Blocked16,
         "also on the blocked list",
         true},
        {"unallow takes every spelling off",
         {"unallow", ".pdf", "exe"},
         {"weird", "", "two words", ".Zip"},
         Blocked16,
         "Removed .pdf",
         true},
        {"unallow --exact matches the case",
         {"unallow", "--exact", ".pdf", ".Zip"},
         {".PDF", ".exe", "weird", "", "two words"},
         Blocked16,
         ".pdf is not on",
         true},
        {"unallow of a type not there",
         {"unallow", ".doc"},
         Allowed16,
         Blocked16,
         ".doc is not on the allowed list (Level1Remove) of Outlook 16.0; nothing changed",
         false},
        {"unallow of an entry stored without its dot",
         {"unallow", "weird"},
         Allowed16,
         Blocked16,
         "The list holds \"weird\" as it is: \"vellicorctl unallow --exact weird\" takes it off",
         false},
        {"unallow --exact of the empty entry",
         {"unallow", "--exact", ""},
         {".PDF", ".exe", "weird", "two words", ".Zip"},
         Blocked16,
         "Removed ",
         true},
        {"block appends", {"block", ".js"}, Allowed16, {".url", ".PY", ".js"}, "Added .js", true},
        {"unblock", {"unblock", ".py"}, Allowed16, {".url"}, "Removed .py", true},
        {"unblock of a type not there", {"unblock", ".exe"}, Allowed16, Blocked16, "nothing changed", false},
        {"another version", {"allow", "--version", "12.0", ".py"}, Allowed16, Blocked16, "Outlook 2007", true},
    };
    for (const TEditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        const std::string before = FHive.Snapshot();
        const TRun run = Ctl(c.Args);
        EXPECT_EQ(run.Code, 0) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_EQ(Lists("16.0").Allowed, c.Allowed);
        EXPECT_EQ(Lists("16.0").Blocked, c.Blocked);
        if (c.Writes) {
            EXPECT_NE(FHive.Snapshot(), before);
        } else {
            EXPECT_EQ(FHive.Snapshot(), before) << "nothing to change, yet the hive was written";
            EXPECT_NE(run.Err.find("Nothing to save"), std::string::npos) << run.Err;
        }
    }
    // The case that chose 12.0 added there only.
    EXPECT_EQ(Lists("12.0").Allowed, (TExtensionList{".mdb", ".py"}));
}

TEST_F(VellicorCtl, storesAListItCreatesWhereNoneWas) {
    const TRun run = Ctl({"block", "--version", "12", ".js", ".vbs"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(Lists("12.0").Blocked, (TExtensionList{".js", ".vbs"}));
    EXPECT_EQ(fixture::GetValue(Security12, "Level1Add"),
              std::make_pair(platform::reg::TypeSz, std::string(".js;.vbs") + '\0'));
}

struct TRefusal {
    const char* Name;
    std::vector<std::string> Args;
    int Code;
    std::string Says;
};

TEST_F(VellicorCtl, refusesWrongCommandLinesAndUnknownVersionsWithoutWriting) {
    const std::vector<TRefusal> cases = {
        {"no command", {}, 1, "Usage: vellicorctl"},
        {"unknown command", {"frobnicate"}, 1, "Unknown command \"frobnicate\""},
        {"unknown option", {"list", "--colour"}, 1, "Unknown option --colour"},
        {"option without its value", {"list", "--version"}, 1, "needs a value"},
        {"edit without a type", {"allow"}, 1, "needs at least one file type"},
        {"--json on an edit", {"allow", "--json", ".py"}, 1, "--json goes with"},
        {"--exact on a read", {"list", "--exact"}, 1, "--exact goes with"},
        {"types given to list", {"list", ".py"}, 1, "takes no file types"},
        {"status without a name", {"status", "--json"}, 1, "needs at least one file type"},
        {"export without a format", {"export"}, 1, "needs --format"},
        {"export in an unknown format", {"export", "--format", "csv"}, 1, "Unknown export format"},
        {"a type holding a separator", {"allow", ".a;.b"}, 1, "argument of its own"},
        {"a type holding a blank", {"allow", ".py", "a b"}, 1, "argument of its own"},
        {"an empty type", {"block", " "}, 1, "is not a file type"},
        {"a version not installed", {"allow", "--version", "14.0", ".py"}, 3, "Outlook 14.0 is not installed"},
        {"a version not installed, read", {"list", "--version", "Outlook 2003"}, 3, "12.0, 16.0"},
    };
    for (const TRefusal& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string before = FHive.Snapshot();
        const TRun run = Ctl(c.Args);
        EXPECT_EQ(run.Code, c.Code) << run.Err;
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_EQ(FHive.Snapshot(), before);
    }
}

TEST_F(VellicorCtl, listReadsWithoutCreatingTheSecurityKeyAndNamesVersions) {
    fixture::CreateKey("Software\\Microsoft\\Office\\11.0\\Outlook");
    const std::string before = FHive.Snapshot();

    TRun run = Ctl({"list", "--version", "Outlook 2003"});
    EXPECT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    run = Ctl({"list", "--version", "12"});
    EXPECT_EQ(run.Out, "allowed\t.mdb\n");
    run = Ctl({"versions"});
    EXPECT_EQ(run.Out, "11.0\tOutlook 2003\n12.0\tOutlook 2007\n16.0\tOutlook 16.0\n");
    EXPECT_EQ(FHive.Snapshot(), before);
    EXPECT_FALSE(fixture::KeyExists("Software\\Microsoft\\Office\\11.0\\Outlook\\Security"));

    // The newest when no version is named.
    run = Ctl({"list"});
    EXPECT_EQ(run.Out, "allowed\t.PDF\nallowed\t.exe\nallowed\tweird\nallowed\t\nallowed\ttwo words\nallowed\t.Zip\n"
                       "blocked\t.url\nblocked\t.PY\n");
}

TEST_F(VellicorCtl, jsonOfEveryReadingCommandParsesBackToWhatTheProgramReads) {
    // Characters that need escaping in JSON, in an entry the list keeps.
    fixture::SetString(Security16, "Level1Add", ".url;\"back\\slash \"\"q\"\" tab\t end\";.PY");
    const TLists lists = Lists("16.0");
    ASSERT_EQ(lists.Blocked, (TExtensionList{".url", "back\\slash \"q\" tab\t end", ".PY"}));

    TRun run = Ctl({"list", "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    jsontest::TValue json = jsontest::Parse(run.Out);
    EXPECT_EQ(json["version"].String, "16.0");
    EXPECT_EQ(json["name"].String, "Outlook 16.0");
    EXPECT_EQ(json["allowed"].Strings(), lists.Allowed);
    EXPECT_EQ(json["blocked"].Strings(), lists.Blocked);
    EXPECT_EQ(json["prefix"].Kind == jsontest::TValue::EKind::Null, FHive.Prefix().empty());

    run = Ctl({"versions", "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    json = jsontest::Parse(run.Out);
    ASSERT_EQ(json["versions"].Array.size(), 2u);
    EXPECT_EQ(json["versions"].Array[0]["version"].String, "12.0");
    EXPECT_EQ(json["versions"].Array[0]["name"].String, "Outlook 2007");
    EXPECT_EQ(json["versions"].Array[1]["version"].String, "16.0");

    // Prefixes are looked for in a home of the test's own, never the user's.
    testsupport::TTempDir home;
    testsupport::TScopedEnv homeVariable("HOME", home.Path().string());
    run = Ctl({"prefixes", "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(jsontest::Parse(run.Out).Kind, jsontest::TValue::EKind::Array);
}

TEST(VellicorCtlNothingInstalled, everyCommandSaysSoWithExitCodeThreeAndWritesNothing) {
    testsupport::TScratchHive hive;
    const std::string before = hive.Snapshot();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"versions"}, {"list"}, {"allow", ".py"}, {"unblock", ".exe"}, {"export", "--format", "reg"}}) {
        SCOPED_TRACE(args.front());
        const TRun run = Ctl(args);
        EXPECT_EQ(run.Code, 3);
        EXPECT_NE(run.Err.find("No Outlook version is installed"), std::string::npos) << run.Err;
        EXPECT_EQ(hive.Snapshot(), before);
    }
    const TRun json = Ctl({"versions", "--json"});
    EXPECT_EQ(json.Code, 3);
    EXPECT_TRUE(jsontest::Parse(json.Out)["versions"].Array.empty());
}

TEST_F(VellicorCtl, refusesToEditAListThatIsNotText) {
    fixture::SetDword(Security16, "Level1Remove", 7);
    const std::string before = FHive.Snapshot();
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"allow", ".py"}, {"unallow", ".pdf"}, {"list"}}) {
        SCOPED_TRACE(args.front());
        const TRun run = Ctl(args);
        EXPECT_EQ(run.Code, 2);
        EXPECT_NE(run.Err.find("Level1Remove of Outlook 16.0 is not a text value"), std::string::npos) << run.Err;
        EXPECT_EQ(FHive.Snapshot(), before);
    }
}

TEST_F(VellicorCtl, anExportThatCannotBeWrittenFailsAndLeavesTheFileAsItWas) {
    struct Case {
        const char* name;
        std::function<std::filesystem::path(const testsupport::TTempDir&)> target;
        std::string says;
        bool rootUnderWineWrites; // Wine lets write whom the Linux kernel lets
    };
    const Case cases[] = {
        {"a missing folder", [](const testsupport::TTempDir& folder) { return folder / "missing" / "lists.reg"; },
         testsupport::PathNotFoundError().Text, false},
        {"a read-only file",
         [](const testsupport::TTempDir& folder) {
             const std::filesystem::path file = folder / "lists.reg";
             testsupport::WriteFileBytes(file, "kept");
             std::filesystem::permissions(file, std::filesystem::perms::owner_read);
             return file;
         },
         testsupport::AccessDeniedError().Text, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootUnderWineWrites && testsupport::RunningUnderWine() && testsupport::RunningAsRoot()) {
            continue;
        }
        testsupport::TTempDir folder;
        const std::filesystem::path target = c.target(folder);
        const std::string before = testsupport::ReadFileBytes(target);
        const TRun run = Ctl({"export", "--format", "reg", "-o", target.string()});
        EXPECT_EQ(run.Code, 2);
        EXPECT_NE(run.Err.find(c.says), std::string::npos) << run.Err;
        EXPECT_EQ(testsupport::ReadFileBytes(target), before);
    }
}

TEST_F(VellicorCtl, exportsRegeditFilesOfTheListsAndOfThePolicyValues) {
    testsupport::TTempDir folder;
    fixture::SetString(Security16, "Level1Add", ".url;\"say \"\"hi\"\"\";back\\slash");
    const TRun run = Ctl({"export", "--format", "reg", "-o", (folder / "lists.reg").string()});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    const std::string bytes = testsupport::ReadFileBytes(folder / "lists.reg");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "regedit's files start with a UTF-16LE byte order mark";
    const std::string text = Utf16ToAscii(bytes.substr(2));
    EXPECT_EQ(text.substr(0, 40), "Windows Registry Editor Version 5.00\r\n\r\n");
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ASSERT_EQ(text[at - 1], '\r') << "a bare line feed at " << at;
    }
    EXPECT_NE(text.find("\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Security]\r\n"
                        "\"Level1Add\"=\".url;\\\"say \\\"\\\"hi\\\"\\\"\\\";back\\\\slash\"\r\n"
                        "\"Level1Remove\"=\".PDF;.exe;weird;;\\\"two words\\\";.Zip\"\r\n\r\n"),
              std::string::npos)
        << text;

    const TRun policy = Ctl({"export", "--format", "policy-reg", "--version", "12.0"});
    ASSERT_EQ(policy.Code, 0) << policy.Err;
    const std::string policyText = Utf16ToAscii(policy.Out.substr(2));
    EXPECT_NE(policyText.find("\r\n[HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Office\\12.0\\Outlook\\Security]"
                              "\r\n\"AdminSecurityMode\"=dword:00000003\r\n"
                              "\"AllowUsersToLowerAttachments\"=dword:00000001\r\n"
                              "\"FileExtensionsAddLevel1\"=\"\"\r\n"
                              "\"FileExtensionsRemoveLevel1\"=\".mdb\"\r\n"),
              std::string::npos)
        << policyText;
    EXPECT_NE(policyText.find("\r\n; AdminSecurityMode 3 puts every Outlook security setting under policy"),
              std::string::npos);
}

TEST_F(VellicorCtl, exportWritesAControlCharacterAsHexSoThatRegeditReadsIt) {
    fixture::SetString(Security16, "Level1Add", "\"a\nb\"");
    ASSERT_EQ(Lists("16.0").Blocked, (TExtensionList{"a\nb"}));
    const TRun run = Ctl({"export", "--format", "reg"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    // "a\nb" quoted: " a LF b " and the terminating zero, as UTF-16LE.
    EXPECT_NE(Utf16ToAscii(run.Out).find("\"Level1Add\"=hex(1):22,00,61,00,0a,00,62,00,22,00,00,00\r\n"),
              std::string::npos)
        << Utf16ToAscii(run.Out);
}

struct TStatusCase {
    const char* Name;
    std::string Verdict;
    std::string Reason; // found among the reasons
};

// Outlook's default list from the source tree's Extensions.txt, as the program reads it beside itself.
class VellicorCtlStatus : public VellicorCtl {
protected:
    VellicorCtlStatus() { SetPredefinedFileTypesFolderForTesting((testsupport::SourceDir() / "data").string() + "/"); }
    ~VellicorCtlStatus() override { SetPredefinedFileTypesFolderForTesting(""); }

    void Expect(const std::vector<TStatusCase>& cases) {
        std::vector<std::string> args{"status", "--json"};
        for (const TStatusCase& c : cases) {
            args.push_back(c.Name);
        }
        const TRun run = Ctl(args);
        ASSERT_EQ(run.Code, 0) << run.Err;
        const jsontest::TValue json = jsontest::Parse(run.Out);
        ASSERT_EQ(json["results"].Array.size(), cases.size());
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].Name);
            const jsontest::TValue& result = json["results"].Array[i];
            EXPECT_EQ(result["name"].String, cases[i].Name);
            EXPECT_EQ(result["verdict"].String, cases[i].Verdict);
            std::string reasons;
            for (const std::string& reason : result["reasons"].Strings()) {
                reasons += reason + "\n";
            }
            EXPECT_NE(reasons.find(cases[i].Reason), std::string::npos) << reasons;
        }
    }
};

TEST_F(VellicorCtlStatus, saysWhatOutlookDoesAndWhyWithAndWithoutPolicy) {
    // The user's lists of the fixture: .exe allowed, .PY blocked.
    Expect({{"report.pdf.exe", "open after saving", "Level1Remove"},
            {".py", "blocked", "Level1Add"},
            {"notes.txt", "not blocked by Outlook", ""}});

    // Microsoft's baseline: security mode 3, demoting forbidden. The user's Level1Remove no longer counts.
    const std::string policy = "Software\\Policies\\Microsoft\\Office\\16.0\\Outlook\\Security";
    fixture::SetDword(policy, "AdminSecurityMode", 3);
    fixture::SetString(policy, "FileExtensionsAddLevel1", ".zip");
    const std::string before = FHive.Snapshot();
    Expect({{"report.pdf.exe", "blocked", "Group Policy"}, {"archive.ZIP", "blocked", "Group Policy"}});
    EXPECT_EQ(FHive.Snapshot(), before) << "status only reads";

    // The text form: the verdict, then each reason indented.
    const TRun text = Ctl({"status", ".exe"});
    EXPECT_EQ(text.Out.rfind(".exe: blocked\n  ", 0), 0u) << text.Out;
}

TEST(VellicorCtlHelp, helpGoesToStandardOutputAndExitsZero) {
    const TRun run = Ctl({"--help"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Out.rfind("Usage: vellicorctl", 0), 0u);
    EXPECT_EQ(run.Err, "");
}

} // namespace
