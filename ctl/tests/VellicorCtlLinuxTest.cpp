// vellicorctl on real user.reg files: --prefix, the wineserver lock, the prefixes found in the usual places,
// and the program itself run as a script runs it.
#include "ctl/VellicorCtl.h"

#include "CtlRun.h"

#include "JsonReader.h"
#include "platform/WinePrefixes.h"

#include "FakeWineServer.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// The built program, its output captured.
TRun Program(const std::vector<std::string>& args, const fs::path& folder) {
    std::vector<std::string> all{VELLICORCTL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const fs::path out = folder / "stdout";
    const fs::path err = folder / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    TRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.Out = testsupport::ReadFileBytes(out);
    run.Err = testsupport::ReadFileBytes(err);
    return run;
}

std::string Fixture() {
    return testsupport::ReadFileBytes(testsupport::DataFile("ctl/tests/data/user.reg"));
}

// The lines of a hive that are not the keys' time stamps, which every write renews.
std::vector<std::string> LinesWithoutTimes(const std::string& hive) {
    std::vector<std::string> lines;
    std::istringstream in(hive);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#time=", 0) == 0) {
            continue;
        }
        if (line.rfind('[', 0) == 0) {
            line = line.substr(0, line.find("] ") + 1);
        }
        lines.push_back(line);
    }
    return lines;
}

class VellicorCtlPrefix : public testing::Test {
protected:
    void SetUp() override { testsupport::WriteFileBytes(UserReg(), Fixture()); }
    fs::path UserReg() const { return FPrefix / "user.reg"; }
    std::string Prefix() const { return FPrefix.Path().string(); }

    testsupport::TTempDir FPrefix;
    // The user's own prefix stays out of reach whatever a test does.
    testsupport::TScopedEnv FNoPrefix{"WINEPREFIX", "/nonexistent-vellicor-prefix"};
};

struct TFileCase {
    const char* Name;
    std::vector<std::string> Args;
    std::string Line;    // the value's line in user.reg afterwards
    std::string OldLine; // the line it replaced
};

TEST_F(VellicorCtlPrefix, anEditChangesOnlyItsValueLineInTheFile) {
    const std::string allowedLine = "\"Level1Remove\"=\".PDF; .exe;weird;;\\\"two words\\\";.Zip;caf\\x00e9\"";
    const std::string blockedLine = "\"Level1Add\"=\".url;.PY\"";
    const std::vector<TFileCase> cases = {
        {"allow",
         {"allow", ".py", "--prefix", Prefix()},
         "\"Level1Remove\"=\".PDF;.exe;weird;;\\\"two words\\\";.Zip;caf\\xe9;.py\"",
         allowedLine},
        {"unallow",
         {"--prefix", Prefix(), "unallow", "--exact", "weird"},
         "\"Level1Remove\"=\".PDF;.exe;;\\\"two words\\\";.Zip;caf\\xe9\"",
         allowedLine},
        {"block", {"--prefix=" + Prefix(), "block", "js"}, "\"Level1Add\"=\".url;.PY;.js\"", blockedLine},
        {"unblock", {"--prefix", Prefix() + "/", "unblock", ".url"}, "\"Level1Add\"=\".PY\"", blockedLine},
    };
    for (const TFileCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        const TRun run = Ctl(c.Args);
        ASSERT_EQ(run.Code, 0) << run.Err;
        std::vector<std::string> expected = LinesWithoutTimes(Fixture());
        std::replace(expected.begin(), expected.end(), c.OldLine, c.Line);
        EXPECT_EQ(LinesWithoutTimes(testsupport::ReadFileBytes(UserReg())), expected);
    }
}

TEST_F(VellicorCtlPrefix, refusesEveryEditWhileWineRunsAndLeavesTheFileByteIdentical) {
    const testsupport::TFakeRunningWine wine(FPrefix.Path());
    const std::string before = testsupport::ReadFileBytes(UserReg());
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"allow", ".py"},
                                               {"unallow", ".pdf"},
                                               {"block", ".js"},
                                               {"unblock", ".url"},
                                               {"block", "--version", "12.0", ".a"}}) {
        SCOPED_TRACE(args.front());
        std::vector<std::string> withPrefix{"--prefix", Prefix()};
        withPrefix.insert(withPrefix.end(), args.begin(), args.end());
        const TRun run = Ctl(withPrefix);
        EXPECT_EQ(run.Code, 2);
        EXPECT_NE(run.Err.find("Wine is running in the prefix " + Prefix()), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("Nothing was changed."), std::string::npos) << run.Err;
        EXPECT_EQ(testsupport::ReadFileBytes(UserReg()), before);
    }
    // Reading goes on meanwhile.
    const TRun list = Ctl({"list", "--prefix", Prefix()});
    EXPECT_EQ(list.Code, 0) << list.Err;
    EXPECT_NE(list.Out.find("blocked\t.PY\n"), std::string::npos);
}

TEST_F(VellicorCtlPrefix, jsonKeepsCharactersBeyondAscii) {
    const TRun run = Ctl({"list", "--json", "--prefix", Prefix()});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Out.find_first_of("\x80\xff"), std::string::npos) << "the JSON is pure ASCII";
    const jsontest::TValue json = jsontest::Parse(run.Out);
    EXPECT_EQ(json["prefix"].String, Prefix());
    EXPECT_EQ(json["allowed"].Strings(),
              (std::vector<std::string>{".PDF", ".exe", "weird", "", "two words", ".Zip", "caf\xc3\xa9"}));
}

TEST_F(VellicorCtlPrefix, aPrefixThatIsNoPrefixIsRefused) {
    testsupport::TTempDir empty;
    struct TCase {
        std::string Folder;
        std::string Says;
    };
    for (const TCase& c :
         {TCase{(empty / "missing").string(), "does not exist"}, TCase{empty.Path().string(), "holds no user.reg"}}) {
        SCOPED_TRACE(c.Folder);
        const TRun run = Ctl({"versions", "--prefix", c.Folder});
        EXPECT_EQ(run.Code, 2);
        EXPECT_NE(run.Err.find(c.Says), std::string::npos) << run.Err;
        EXPECT_FALSE(fs::exists(empty / "missing"));
        EXPECT_FALSE(fs::exists(empty / "user.reg"));
    }
}

TEST(VellicorCtlPrefixes, findsThePrefixesOfTheUsualToolsAndWhichHoldOutlook) {
    testsupport::TTempDir home;
    const std::string withOutlook = Fixture();
    const std::string withoutOutlook = "WINE REGISTRY Version 2\n\n#arch=win64\n";
    const std::vector<std::pair<std::string, const std::string*>> hives = {
        {".wine", &withoutOutlook},
        {".wine-office", &withOutlook},
        {".cxoffice/Office 2016", &withOutlook},
        {".local/share/bottles/bottles/Work", &withoutOutlook},
        {"Games/some-game", &withoutOutlook},
        {"Games/other-game/prefix", &withOutlook},
    };
    for (const auto& [folder, hive] : hives) {
        testsupport::WriteFileBytes(home / (folder + "/user.reg"), *hive);
    }
    fs::create_directories(home / ".cxoffice/not-a-bottle");
    fs::create_directory_symlink(home / ".wine-office", home / ".wine-same");
    testsupport::TScopedEnv homeVariable("HOME", home.Path().string());
    testsupport::TScopedEnv prefix("WINEPREFIX", "");

    TRun run = Ctl({"prefixes"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const std::string h = home.Path().string();
    EXPECT_EQ(run.Out, h + "/.wine\tWine\tno Outlook\n" + h + "/.wine-office\tWine\tOutlook 12.0, 16.0\n" + h +
                           "/.cxoffice/Office 2016\tCrossOver\tOutlook 12.0, 16.0\n" + h +
                           "/.local/share/bottles/bottles/Work\tBottles\tno Outlook\n" + h +
                           "/Games/other-game/prefix\tLutris\tOutlook 12.0, 16.0\n" + h +
                           "/Games/some-game\tLutris\tno Outlook\n");

    run = Ctl({"prefixes", "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    const jsontest::TValue json = jsontest::Parse(run.Out);
    ASSERT_EQ(json.Array.size(), 6u);
    EXPECT_EQ(json.Array[2]["folder"].String, h + "/.cxoffice/Office 2016");
    EXPECT_EQ(json.Array[2]["kind"].String, "CrossOver");
    EXPECT_EQ(json.Array[2]["outlook"].Strings(), (std::vector<std::string>{"12.0", "16.0"}));
    EXPECT_TRUE(json.Array[0]["outlook"].Array.empty());
    // Looking into every prefix leaves the one chosen by the environment as it was.
    EXPECT_STREQ(std::getenv("WINEPREFIX"), "");
}

TEST_F(VellicorCtlPrefix, theProgramRunsAsScriptsRunIt) {
    testsupport::TTempDir folder;
    struct TCase {
        const char* Name;
        std::vector<std::string> Args;
        int Code;
        std::string Out; // the start of standard output
        std::string Err; // found in standard error
    };
    const std::vector<TCase> cases = {
        {"help", {"--help"}, 0, "Usage: vellicorctl", ""},
        {"no command", {}, 1, "", "Usage: vellicorctl"},
        {"versions", {"versions", "--prefix", Prefix()}, 0, "12.0\tOutlook 2007\n16.0\tOutlook 16.0\n", ""},
        {"json",
         {"list", "--json", "--prefix", Prefix(), "--version", "12.0"},
         0,
         "{\"prefix\":\"" + Prefix() +
             "\",\"version\":\"12.0\",\"name\":\"Outlook 2007\",\"allowed\":[\".mdb\"],"
             "\"blocked\":[]}\n",
         ""},
        {"allow", {"allow", "--prefix", Prefix(), "py"}, 0, "", "\"py\" taken as \".py\""},
        {"export to standard output", {"export", "--format", "reg", "--prefix", Prefix()}, 0, "\xff\xfeW", ""},
        {"nothing installed", {"versions"}, 3, "", "No Outlook version is installed in the Wine prefix"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = Program(c.Args, folder.Path());
        EXPECT_EQ(run.Code, c.Code) << run.Err;
        EXPECT_EQ(run.Out.substr(0, c.Out.size()), c.Out);
        EXPECT_NE(run.Err.find(c.Err), std::string::npos) << run.Err;
    }
    const std::string before = testsupport::ReadFileBytes(UserReg());
    const testsupport::TFakeRunningWine wine(FPrefix.Path());
    const TRun refused = Program({"block", ".js", "--prefix", Prefix()}, folder.Path());
    EXPECT_EQ(refused.Code, 2);
    EXPECT_EQ(testsupport::ReadFileBytes(UserReg()), before);
}

} // namespace
