// Saving user.reg from a process that is killed: at random instants while it saves again and again, and
// between every two steps of a save, on a clean prefix and on one that an earlier kill left behind. After
// each kill user.reg is exactly one whole save; the next save works, keeps the file it replaces as the
// backup and leaves no other file in the prefix.
#include "platform/FileReplace.h"
#include "platform/Registry.h"
#include "platform/linux/WineHive.h"
#include "platform/linux/WineServerLock.h"

#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <regex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
namespace reg = platform::reg;
using platform::EReplaceStep;
using platform::wine::THiveFile;
using platform::wine::TValueData;

namespace {

const std::string Security = "Software\\Microsoft\\Office\\16.0\\Outlook\\Security";
const std::string Backup = "user.reg.vellicor-backup";

// The test fixture with enough keys after it (about 200 KB) that a save takes long enough to be killed in.
std::string LargeHive() {
    std::string bytes = testsupport::ReadFileBytes(testsupport::DataFile("platform/tests/data/user.reg"));
    for (int i = 0; i < 1500; ++i) {
        bytes += "\n[Software\\\\Filler\\\\Key" + std::to_string(i) + "] 1700000000\n#time=1da1b2c3d4e5f60\n" +
                 "\"Data\"=\"" + std::string(80, static_cast<char>('a' + i % 26)) + "\"\n";
    }
    return bytes;
}

TValueData Sz(const std::string& text) {
    return {reg::TypeSz, text + '\0'};
}

bool SetLevel1Add(const std::string& text) {
    auto& registry = platform::CurrentUserRegistry();
    platform::TRegKey key = 0;
    if (registry.CreateKey(Security, reg::AccessWrite, key) != reg::Success) {
        return false;
    }
    const TValueData value = Sz(text);
    const long status =
        registry.SetValue(key, "Level1Add", value.Type, reinterpret_cast<const unsigned char*>(value.Data.data()),
                          static_cast<std::uint32_t>(value.Data.size()));
    registry.CloseKey(key);
    return status == reg::Success;
}

// Whether `bytes` is `original` after exactly one whole save of Level1Add: the value the file holds, at
// the time its key says, and every other byte as it was.
testing::AssertionResult IsWholeSave(const std::string& bytes, const std::string& original) {
    if (bytes == original) {
        return testing::AssertionSuccess();
    }
    const THiveFile hive(bytes);
    if (!hive.HasHeader() || !hive.Problem().empty()) {
        return testing::AssertionFailure()
               << "the file cannot be read: " << hive.Problem() << " (" << bytes.size() << " bytes)";
    }
    const auto value = hive.Value(Security, "Level1Add");
    std::smatch time;
    if (!value || !std::regex_search(bytes, time, std::regex(R"(Security\] \d+\r?\n#time=([0-9a-f]+))"))) {
        return testing::AssertionFailure() << "the saved value or its time is missing";
    }
    const auto ticks = static_cast<platform::wine::TTicks>(std::stoull(time[1], nullptr, 16));
    if (bytes != THiveFile(original).WithValue(Security, "Level1Add", *value, ticks)) {
        return testing::AssertionFailure()
               << "the file is not the old one and not one whole save (" << bytes.size() << " bytes)";
    }
    return testing::AssertionSuccess();
}

EReplaceStep KillAt = EReplaceStep::StaleRemoved;

void KillHere(EReplaceStep step) {
    if (step == KillAt) {
        raise(SIGKILL);
    }
}

class HiveCrash : public testing::Test {
protected:
    void SetUp() override {
        FOriginal = LargeHive();
        testsupport::WriteFileBytes(UserReg(), FOriginal);
    }
    void TearDown() override {
        // A killed save leaves the lock folder it made for a wineserver of this prefix; it is of no use now.
        for (const std::string& folder : platform::wine::ServerFolders(FFolder.Path().string())) {
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    }

    fs::path UserReg() const { return FFolder / "user.reg"; }
    std::string Bytes() const { return testsupport::ReadFileBytes(UserReg()); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FFolder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    /// Runs `save` in a child process; kills it after `delay` unless it ends by itself first.
    template <typename TSave>
    void RunChild(TSave save, std::chrono::microseconds delay = std::chrono::microseconds::max()) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            save();
            _exit(0);
        }
        if (delay != std::chrono::microseconds::max()) {
            std::this_thread::sleep_for(delay);
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }

    /// A save in this process after a kill: it works, user.reg is the new file and has one name, the
    /// backup is the file as it was before, and nothing else is left in the prefix.
    void ExpectCleanSave(const std::string& text) {
        const std::string before = Bytes();
        ASSERT_TRUE(SetLevel1Add(text)) << platform::CurrentUserRegistry().LastFailureDetail();
        const std::string after = Bytes();
        EXPECT_TRUE(IsWholeSave(after, FOriginal));
        EXPECT_EQ(THiveFile(after).Value(Security, "Level1Add"), Sz(text));
        EXPECT_TRUE(testsupport::ReadFileBytes(FFolder / Backup) == before) << "the backup is not the file as it was";
        EXPECT_EQ(fs::hard_link_count(UserReg()), 1u);
        EXPECT_EQ(Files(), (std::vector<std::string>{"user.reg", Backup}));
    }

    testsupport::TTempDir FFolder;
    testsupport::TScopedEnv FPrefix{"WINEPREFIX", FFolder.Path().string()};
    std::string FOriginal;
};

} // namespace

TEST_F(HiveCrash, aKillBetweenAnyTwoStepsOfTwoSavesInARowLeavesAWholeFile) {
    const EReplaceStep steps[] = {EReplaceStep::StaleRemoved, EReplaceStep::TemporaryWritten,
                                  EReplaceStep::BackupLinked, EReplaceStep::BackupMade,
                                  EReplaceStep::Replaced,     EReplaceStep::FolderSynced};
    int round = 0;
    for (const EReplaceStep first : steps) {
        for (const EReplaceStep second : steps) {
            SCOPED_TRACE("killed at step " + std::to_string(static_cast<int>(first)) + ", then at step " +
                         std::to_string(static_cast<int>(second)));
            ++round;
            for (const EReplaceStep step : {first, second}) {
                RunChild([&] {
                    KillAt = step;
                    platform::SetReplaceStepHook(&KillHere);
                    SetLevel1Add("killed " + std::to_string(round) + "." + std::to_string(static_cast<int>(step)));
                });
                ASSERT_TRUE(IsWholeSave(Bytes(), FOriginal));
            }
            ExpectCleanSave("after " + std::to_string(round));
        }
    }
}

TEST_F(HiveCrash, aKillAtARandomInstantOfSavesInALoopLeavesAWholeFile) {
    // How long one save takes here, so that the kills fall inside saves rather than between them.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SetLevel1Add("timed"));
    const auto oneSave =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

    std::mt19937 random(20261210);
    std::uniform_int_distribution<long long> instant(0, 3 * oneSave.count());
    constexpr int Kills = 60;
    for (int kill = 1; kill <= Kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        RunChild(
            [&] {
                for (int n = 1;; ++n) {
                    SetLevel1Add("loop " + std::to_string(kill) + "." + std::to_string(n));
                }
            },
            std::chrono::microseconds(instant(random)));
        ASSERT_TRUE(IsWholeSave(Bytes(), FOriginal));
        // Every other kill is followed by another one on what it left, before a save of our own.
        if (kill % 2 == 0) {
            ExpectCleanSave("after kill " + std::to_string(kill));
        }
    }
}
