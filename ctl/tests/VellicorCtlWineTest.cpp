// What vellicorctl exports, Wine's own reg and regedit import: the lists come back exactly as vellicorctl
// listed them. A Wine prefix is made once (wineboot, shared with the platform's Wine tests) and each test
// works in light copies of it.
#include "ctl/VellicorCtl.h"

#include "JsonReader.h"
#include "outlook/ExtensionsFile.h"
#include "platform/WinePrefixes.h"

#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

// Runs a program, its output to `log`; the exit code, or -1 when it had to be killed after `seconds`.
int RunProgram(const std::vector<std::string>& args, const fs::path& log, int seconds = 120) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct TWineEnvironment {
    testsupport::TScopedEnv Debug{"WINEDEBUG", "-all"};
    testsupport::TScopedEnv NoMonoNoGecko{"WINEDLLOVERRIDES", "mscoree,mshtml="};
    testsupport::TScopedEnv Locale{"LC_ALL", "C.UTF-8"};
    testsupport::TScopedEnv NoDisplay{"DISPLAY", ""};
};

// The prefix wineboot makes once, under a file lock so that test programs side by side make it only once.
fs::path BasePrefix() {
    const char* configured = std::getenv("VELLICOR_WINE_BASE");
    const fs::path base = configured != nullptr && *configured != '\0'
                              ? fs::path(configured)
                              : fs::temp_directory_path() / "vellicor-wine-base";
    fs::create_directories(base.parent_path());
    const int lock = open((base.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    flock(lock, LOCK_EX);
    if (!fs::exists(base / ".vellicor-ready")) {
        std::error_code ec;
        fs::remove_all(base, ec);
        TWineEnvironment environment;
        testsupport::TScopedEnv prefix("WINEPREFIX", base.string());
        const fs::path log = base.string() + ".log";
        RunProgram({"wineboot", "-i"}, log, 300);
        RunProgram({"wineserver", "-w"}, log, 120);
        if (fs::exists(base / "user.reg") && fs::exists(base / "system.reg")) {
            testsupport::WriteFileBytes(base / ".vellicor-ready", "");
        }
    }
    flock(lock, LOCK_UN);
    close(lock);
    return base;
}

// One test's prefix: its own registry files, the shared prefix's drive C. Wine commands run with WINEPREFIX
// set to it; vellicorctl is given it with --prefix.
class TWinePrefix {
public:
    TWinePrefix() : FBase(BasePrefix()) {
        if (!fs::exists(FBase / ".vellicor-ready")) {
            throw std::runtime_error("wineboot could not make a prefix; see " + FBase.string() + ".log");
        }
        for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
            fs::copy_file(FBase / file, FFolder / file);
        }
        fs::create_directory(FFolder / "dosdevices");
        fs::create_directory_symlink(FBase / "drive_c", FFolder / "drive_c");
        fs::create_directory_symlink("../drive_c", FFolder / "dosdevices" / "c:");
        fs::create_directory_symlink("/", FFolder / "dosdevices" / "z:");
    }
    ~TWinePrefix() {
        Stop();
        std::string name = testsupport::ReadFileBytes(FFolder / "wineserver");
        name.erase(name.find_last_not_of("\r\n ") + 1);
        if (!name.empty() && name.find('/') == std::string::npos && name != "." && name != "..") {
            const char* tmp = std::getenv("TMPDIR");
            std::error_code ec;
            fs::remove_all(fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / name, ec);
        }
    }
    TWinePrefix(const TWinePrefix&) = delete;
    TWinePrefix& operator=(const TWinePrefix&) = delete;

    std::string Folder() const { return FFolder.Path().string(); }
    std::string LogText() const { return testsupport::ReadFileBytes(FFolder / "wine.log"); }

    int Wine(const std::vector<std::string>& args) {
        testsupport::TScopedEnv prefix("WINEPREFIX", Folder());
        std::vector<std::string> command{"wine"};
        command.insert(command.end(), args.begin(), args.end());
        return RunProgram(command, FFolder / "wine.log");
    }
    // Stops the prefix's wineserver, which saves the registry it holds to user.reg first.
    void Stop() {
        testsupport::TScopedEnv prefix("WINEPREFIX", Folder());
        RunProgram({"wineserver", "-k"}, FFolder / "wine.log");
        RunProgram({"wineserver", "-w"}, FFolder / "wine.log");
    }

private:
    TWineEnvironment FEnvironment;
    fs::path FBase;
    testsupport::TTempDir FFolder;
};

struct TRun {
    int Code = -1;
    std::string Out;
    std::string Err;
};

TRun Ctl(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    TRun run;
    run.Code = RunVellicorCtl(args, {out, err, {}});
    platform::RestoreWinePrefix();
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

class VellicorCtlWine : public testing::Test {
protected:
    void SetUp() override {
        if (!OnPath("wine") || !OnPath("wineserver") || !OnPath("wineboot")) {
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
    FillLists(source.Folder());
    const TRun listed = Ctl({"list", "--json", "--prefix", source.Folder()});
    ASSERT_EQ(listed.Code, 0) << listed.Err;
    const jsontest::TValue expected = jsontest::Parse(listed.Out);
    ASSERT_EQ(expected["blocked"].Array.size(), 7u) << listed.Out;

    testsupport::TTempDir files;
    const std::string file = (files / "lists.reg").string();
    ASSERT_EQ(Ctl({"export", "--format", "reg", "--prefix", source.Folder(), "-o", file}).Code, 0);

    for (const std::vector<std::string>& import :
         std::vector<std::vector<std::string>>{{"reg", "import", file}, {"regedit", "/s", file}}) {
        SCOPED_TRACE(import.front());
        TWinePrefix target;
        ASSERT_EQ(target.Wine(import), 0) << target.LogText();
        target.Stop();
        const TRun got = Ctl({"list", "--json", "--prefix", target.Folder()});
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
    ASSERT_EQ(Ctl({"allow", "--prefix", source.Folder(), ".zip", ".py"}).Code, 0);
    ASSERT_EQ(Ctl({"block", "--prefix", source.Folder(), ".url"}).Code, 0);
    testsupport::TTempDir files;
    const std::string file = (files / "policy.reg").string();
    ASSERT_EQ(Ctl({"export", "--format", "policy-reg", "--prefix", source.Folder(), "-o", file}).Code, 0);

    TWinePrefix target;
    ASSERT_EQ(target.Wine({"reg", "add", "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook", "/f"}), 0)
        << target.LogText();
    ASSERT_EQ(target.Wine({"reg", "import", file}), 0) << target.LogText();
    const fs::path query = files / "query.txt";
    {
        testsupport::TScopedEnv prefix("WINEPREFIX", target.Folder());
        ASSERT_EQ(
            RunProgram({"wine", "reg", "query", "HKCU\\Software\\Policies\\Microsoft\\Office\\16.0\\Outlook\\Security"},
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
    const TRun status = Ctl({"status", "--json", "--prefix", target.Folder(), ".url", "script.py"});
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
