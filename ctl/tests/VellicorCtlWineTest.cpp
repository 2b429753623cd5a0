// What vellicorctl exports, Wine's own reg and regedit import: the lists come back exactly as vellicorctl
// listed them. A Wine prefix is made once (wineboot, shared with the platform's Wine tests) and each test
// works in light copies of it.
#include "ctl/VellicorCtl.h"

#include "CtlRun.h"

#include "JsonReader.h"
#include "outlook/ExtensionsFile.h"
#include "platform/WinePrefixes.h"

#include "RealWine.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using testsupport::TWinePrefix;

class VellicorCtlWine : public testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::WineInstalled()) {
            GTEST_SKIP() << "Wine is not installed (scripts/test.sh installs it)";
        }
    }
};

// Lists that need every escape a regedit file has: quotes, backslashes, blanks, characters beyond ASCII,
// an empty entry and a line break (written as hex).
void FillLists(const std::string& prefix) {
    ASSERT_EQ(Ctl({"block", "--prefix", prefix, "--exact", ".exe", "say \"hi\"", "back\\slash", "caf\xc3\xa9", "",
                   "two\nlines", ".PY"})
                  .Code,
              0);
    ASSERT_EQ(Ctl({"allow", "--prefix", prefix, ".zip", "pdf", "\xe2\x82\xac"}).Code, 0);
}

TEST_F(VellicorCtlWine, exportedListsImportedByRegAndRegeditComeBackAsListed) {
    TWinePrefix source;
    ASSERT_EQ(source.Wine({"reg", "add", "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook", "/f"}), 0)
        << source.LogText();
    source.Stop();
    FillLists(source.Folder().string());
    const TRun listed = Ctl({"list", "--json", "--prefix", source.Folder().string()});
    ASSERT_EQ(listed.Code, 0) << listed.Err;
    const jsontest::TValue expected = jsontest::Parse(listed.Out);
    ASSERT_EQ(expected["blocked"].Array.size(), 7u) << listed.Out;

    testsupport::TTempDir files;
    const std::string file = (files / "lists.reg").string();
    ASSERT_EQ(Ctl({"export", "--format", "reg", "--prefix", source.Folder().string(), "-o", file}).Code, 0);

    for (const std::vector<std::string>& import :
         std::vector<std::vector<std::string>>{{"reg", "import", file}, {"regedit", "/s", file}}) {
        SCOPED_TRACE(import.front());
        TWinePrefix target;
        ASSERT_EQ(target.Wine(import), 0) << target.LogText();
        target.Stop();
        const TRun got = Ctl({"list", "--json", "--prefix", target.Folder().string()});
        ASSERT_EQ(got.Code, 0) << got.Err;
        const jsontest::TValue json = jsontest::Parse(got.Out);
        EXPECT_EQ(json["version"].String, "16.0");
        EXPECT_EQ(json["allowed"].Strings(), expected["allowed"].Strings());
        EXPECT_EQ(json["blocked"].Strings(), expected["blocked"].Strings());
    }
}

TEST_F(VellicorCtlWine, policyFileImportsAsTheGroupPolicyValues) {
    TWinePrefix source;
    ASSERT_EQ(source.Wine({"reg", "add", "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook", "/f"}), 0)
        << source.LogText();
    source.Stop();
    ASSERT_EQ(Ctl({"allow", "--prefix", source.Folder().string(), ".zip", ".py"}).Code, 0);
    ASSERT_EQ(Ctl({"block", "--prefix", source.Folder().string(), ".url"}).Code, 0);
    testsupport::TTempDir files;
    const std::string file = (files / "policy.reg").string();
    ASSERT_EQ(Ctl({"export", "--format", "policy-reg", "--prefix", source.Folder().string(), "-o", file}).Code, 0);

    TWinePrefix target;
    ASSERT_EQ(target.Wine({"reg", "add", "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook", "/f"}), 0)
        << target.LogText();
    ASSERT_EQ(target.Wine({"reg", "import", file}), 0) << target.LogText();
    const fs::path query = files / "query.txt";
    {
        testsupport::TScopedEnv prefix("WINEPREFIX", target.Folder().string());
        ASSERT_EQ(testsupport::RunProgram(
                      {"wine", "reg", "query", "HKCU\\Software\\Policies\\Microsoft\\Office\\16.0\\Outlook\\Security"},
                      query),
                  0);
    }
    const std::string shown = testsupport::ReadFileBytes(query);
    for (const char* line :
         {"    AdminSecurityMode    REG_DWORD    0x3", "    AllowUsersToLowerAttachments    REG_DWORD    0x1",
          "    FileExtensionsAddLevel1    REG_SZ    .url", "    FileExtensionsRemoveLevel1    REG_SZ    .zip;.py"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }

    // The evaluator finds the policy layer: the types come from policy now, not from the user's own lists.
    target.Stop();
    SetPredefinedFileTypesFolderForTesting((testsupport::SourceDir() / "data").string() + "/");
    const TRun status = Ctl({"status", "--json", "--prefix", target.Folder().string(), ".url", "script.py"});
    SetPredefinedFileTypesFolderForTesting("");
    ASSERT_EQ(status.Code, 0) << status.Err;
    const jsontest::TValue json = jsontest::Parse(status.Out);
    ASSERT_EQ(json["results"].Array.size(), 2u);
    const auto reasons = [&](std::size_t i) {
        std::string text;
        for (const std::string& reason : json["results"].Array[i]["reasons"].Strings()) {
            text += reason + "\n";
        }
        return text;
    };
    EXPECT_EQ(json["results"].Array[0]["verdict"].String, "blocked");
    EXPECT_NE(reasons(0).find("Group Policy adds it to Level 1 (FileExtensionsAddLevel1)"), std::string::npos)
        << reasons(0);
    EXPECT_EQ(json["results"].Array[1]["verdict"].String, "open after saving");
    EXPECT_NE(reasons(1).find("Group Policy removes it from Level 1 (FileExtensionsRemoveLevel1)"), std::string::npos)
        << reasons(1);
}

} // namespace
