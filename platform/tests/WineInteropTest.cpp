// Vellicor and Wine on the same user.reg: what one writes, the other reads. A Wine prefix is made once
// (wineboot, several seconds, under the build folder) and each test works in a light copy of it.
#include "outlook/OutlookInteraction.h"
#include "platform/Registry.h"

#include "RealWine.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string OutlookKey = "Software\\Microsoft\\Office\\16.0\\Outlook";
const std::string SecurityKey = "HKCU\\Software\\Microsoft\\Office\\16.0\\Outlook\\Security";

// `wine` with `args`, its output in `output`; its exit status. A query run just after a save, in a prefix whose
// server had just stopped, failed once here with its output lost: a run that fails is shown, then made once more.
// That cannot hide a lost save, which a second query finds lost as well.
int RunWine(std::vector<std::string> args, const fs::path& output) {
    args.insert(args.begin(), "wine");
    int status = testsupport::RunProgram(args, output);
    if (status != 0) {
        std::fprintf(stderr, "wine exited with %d:\n%s\n", status, testsupport::ReadFileBytes(output).c_str());
        fs::remove(output);
        status = testsupport::RunProgram(args, output);
    }
    return status;
}

// A Wine prefix of one test that is also the current user's hive: WINEPREFIX points at it.
class TCurrentWinePrefix : public testsupport::TWinePrefix {
public:
    std::string Export(const std::string& key);

private:
    testsupport::TScopedEnv FCurrent{"WINEPREFIX", Folder().string()};
};

/// What `reg export` writes for a key, as UTF-8 (it writes UTF-16).
std::string TCurrentWinePrefix::Export(const std::string& key) {
    const fs::path file = Folder() / "export.reg";
    fs::remove(file);
    if (Wine({"reg", "export", key, file.string(), "/y"}) != 0) {
        return {};
    }
    const std::string bytes = testsupport::ReadFileBytes(file);
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low =
                static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (cp == 0xFEFF) {
            continue;
        }
        if (cp < 0x80) {
            text += static_cast<char>(cp);
        } else if (cp < 0x800) {
            text += static_cast<char>(0xC0 | (cp >> 6));
            text += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            text += static_cast<char>(0xE0 | (cp >> 12));
            text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (cp >> 18));
            text += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return text;
}

// The data of a REG_SZ value in a `reg export` file, its escapes undone.
std::optional<std::string> ExportedString(const std::string& exported, const std::string& name) {
    const std::string start = "\"" + name + "\"=\"";
    const std::size_t at = exported.find(start);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::string value;
    for (std::size_t i = at + start.size(); i < exported.size(); ++i) {
        if (exported[i] == '\\' && i + 1 < exported.size()) {
            value += exported[++i];
        } else if (exported[i] == '"') {
            return value;
        } else {
            value += exported[i];
        }
    }
    return std::nullopt;
}

// The data that `reg query` shows for a REG_SZ value.
std::optional<std::string> QueriedString(const std::string& output, const std::string& name) {
    const std::string start = "    " + name + "    REG_SZ    ";
    const std::size_t at = output.find(start);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t end = output.find_first_of("\r\n", at);
    return output.substr(at + start.size(), end - at - start.size());
}

void CreateOutlookKey() {
    platform::TRegKey key = 0;
    auto& registry = platform::CurrentUserRegistry();
    ASSERT_EQ(registry.CreateKey(OutlookKey, platform::reg::AccessWrite, key), platform::reg::Success)
        << registry.LastFailureDetail();
    registry.CloseKey(key);
}

class WineInterop : public testing::Test {
protected:
    void SetUp() override {
        if (!testsupport::WineInstalled()) {
            GTEST_SKIP() << "Wine is not installed (scripts/test.sh installs it)";
        }
    }
};

} // namespace

TEST_F(WineInterop, wineReadsWhatVellicorWrote) {
    TCurrentWinePrefix wine;
    CreateOutlookKey();
    const TExtensionList blocked{
        ".exe", "my file.txt", "a;b", "say \"hi\"", "caf\xc3\xa9", "\xe2\x82\xac\xf0\x9f\x98\x80", "back\\slash", ""};
    const TExtensionList allowed{".zip", "two words", "x;y", "q\"t", ".PDF", ".pdf"};
    {
        TOutlookInteraction outlook;
        ASSERT_EQ(outlook.FVersions.size(), 1u);
        outlook.SetBlockedExtensions(0, blocked);
        outlook.SetAllowedExtensions(0, allowed);
    }

    const fs::path output = wine.Folder() / "query.txt";
    ASSERT_EQ(RunWine({"reg", "query", SecurityKey, "/v", "Level1Remove"}, output), 0)
        << testsupport::ReadFileBytes(output) << wine.LogText();
    EXPECT_EQ(QueriedString(testsupport::ReadFileBytes(output), "Level1Remove"), JoinExtensionList(allowed))
        << testsupport::ReadFileBytes(output);
    // `reg query` prints through the console code page; the export file keeps every character.
    const std::string exported = wine.Export(SecurityKey);
    EXPECT_EQ(ExportedString(exported, "Level1Add"), JoinExtensionList(blocked)) << exported;
    EXPECT_EQ(ExportedString(exported, "Level1Remove"), JoinExtensionList(allowed)) << exported;
}

TEST_F(WineInterop, vellicorReadsWhatWineStored) {
    TCurrentWinePrefix wine;
    const std::string blocked = "\".a b\";x\"y;caf\xc3\xa9 \xe2\x82\xac  .zip;;\"q;r\";";
    ASSERT_EQ(wine.Wine({"reg", "add", SecurityKey, "/v", "Level1Add", "/t", "REG_SZ", "/d", blocked, "/f"}), 0)
        << wine.LogText();
    ASSERT_EQ(
        wine.Wine({"reg", "add", SecurityKey, "/v", "Level1Remove", "/t", "REG_EXPAND_SZ", "/d", "%TEMP%;.exe", "/f"}),
        0)
        << wine.LogText();
    wine.Stop();

    TOutlookInteraction outlook;
    ASSERT_EQ(outlook.FVersions.size(), 1u);
    EXPECT_EQ(outlook.FVersions[0].DisplayName, "Outlook 16.0");
    EXPECT_EQ(outlook.GetBlockedExtensions(0),
              (TExtensionList{".a b", "x\"y", "caf\xc3\xa9", "\xe2\x82\xac", ".zip", "", "q;r", ""}));
    EXPECT_EQ(outlook.GetAllowedExtensions(0), (TExtensionList{"%TEMP%", ".exe"}));
}

TEST_F(WineInterop, refusesToSaveWhileWineRunsAndSavesOnceItHasStopped) {
    TCurrentWinePrefix wine;
    CreateOutlookKey();
    const fs::path userReg = wine.Folder() / "user.reg";
    TOutlookInteraction outlook;
    ASSERT_EQ(outlook.FVersions.size(), 1u);

    // A persistent server, as while Outlook runs; it holds its lock by the time the command returns.
    ASSERT_EQ(testsupport::RunProgram({"wineserver", "-p"}, wine.Log()), 0) << wine.LogText();
    const std::string before = testsupport::ReadFileBytes(userReg);
    std::string message;
    try {
        outlook.SetBlockedExtensions(0, {".exe"});
    } catch (const Exception& e) {
        message = e.Message();
    }
    EXPECT_EQ(message.substr(0, message.find('\n')), "Error writing to Registry");
    EXPECT_NE(message.find("Wine is running in the prefix " + wine.Folder().string()), std::string::npos) << message;
    EXPECT_NE(message.find("Close Outlook and every other program of that prefix"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFileBytes(userReg), before);
    // Reading goes on meanwhile, so the lists on screen stay usable.
    EXPECT_NO_THROW(outlook.GetAllowedExtensions(0));

    wine.Stop();
    outlook.SetBlockedExtensions(0, {".vbs", "a b"});
    EXPECT_NE(testsupport::ReadFileBytes(userReg).find("\"Level1Add\"=\".vbs;\\\"a b\\\"\""), std::string::npos)
        << testsupport::ReadFileBytes(userReg);
    const fs::path output = wine.Folder() / "query.txt";
    ASSERT_EQ(RunWine({"reg", "query", SecurityKey, "/v", "Level1Add"}, output), 0)
        << testsupport::ReadFileBytes(output) << wine.LogText();
    EXPECT_EQ(QueriedString(testsupport::ReadFileBytes(output), "Level1Add"), ".vbs;\"a b\"");
}

TEST_F(WineInterop, refusesToSaveWhileAServerOfAnotherTmpdirServesThePrefixThroughALink) {
    TCurrentWinePrefix wine;
    CreateOutlookKey();
    const fs::path userReg = wine.Folder() / "user.reg";
    TOutlookInteraction outlook;
    ASSERT_EQ(outlook.FVersions.size(), 1u);

    // Started from another shell: its own TMPDIR, so its server folder is one Vellicor would not look in,
    // and the prefix spelled through a link.
    testsupport::TTempDir elsewhere;
    const fs::path link = elsewhere / "prefix-link";
    fs::create_directory_symlink(wine.Folder(), link);
    const fs::path otherTmp = elsewhere / "tmp";
    fs::create_directory(otherTmp);
    const auto asTheOtherShell = [&](const std::vector<std::string>& command) {
        testsupport::TScopedEnv tmp("TMPDIR", otherTmp.string());
        testsupport::TScopedEnv prefix("WINEPREFIX", link.string());
        return testsupport::RunProgram(command, wine.Log());
    };
    ASSERT_EQ(asTheOtherShell({"wineserver", "-p"}), 0) << wine.LogText();
    // Its socket is made once it is set up in its folder.
    const auto serving = [&] {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(otherTmp, ec)) {
            if (entry.path().filename() == "socket") {
                return true;
            }
        }
        return false;
    };
    for (int wait = 0; wait < 200 && !serving(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(serving()) << wine.LogText();
    struct TStop {
        std::function<int(const std::vector<std::string>&)> Run;
        ~TStop() {
            Run({"wineserver", "-k"});
            Run({"wineserver", "-w"});
        }
    } stop{asTheOtherShell};

    const std::string before = testsupport::ReadFileBytes(userReg);
    std::string message;
    try {
        outlook.SetBlockedExtensions(0, {".exe"});
    } catch (const Exception& e) {
        message = e.Message();
    }
    EXPECT_NE(message.find("Wine is running in the prefix " + wine.Folder().string()), std::string::npos) << message;
    EXPECT_NE(message.find("wineserver process"), std::string::npos) << message;
    EXPECT_EQ(testsupport::ReadFileBytes(userReg), before);
}
