// The one way the program replaces a file: what it leaves in the folder, what it refuses, and in whose words.
#include "platform/FileReplace.h"
#include "SystemFacts.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

namespace fs = std::filesystem;
using platform::EReplaceStage;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(FileReplace, newAndExistingFilesGetTheBytesAndNothingElseStays) {
    testsupport::TTempDir temp;
    const std::string file = (temp / "a.txt").string();
    ASSERT_FALSE(platform::ReplaceFileContent(file, "first").Failed());
    EXPECT_EQ(testsupport::ReadFileBytes(file), "first");
    ASSERT_FALSE(platform::ReplaceFileContent(file, std::string("second\0line", 11)).Failed());
    EXPECT_EQ(testsupport::ReadFileBytes(file), std::string("second\0line", 11));
    ASSERT_FALSE(platform::ReplaceFileContent(file, "").Failed());
    EXPECT_EQ(fs::file_size(file), 0u);
    EXPECT_EQ(Names(temp.Path()), std::vector<std::string>{"a.txt"});
}

TEST(FileReplace, theBackupIsTheFileAsItWasBeforeTheLastReplacement) {
    testsupport::TTempDir temp;
    const std::string file = (temp / "user.reg").string();
    testsupport::WriteFileBytes(file, "one");
    ASSERT_FALSE(platform::ReplaceFileKeepingBackup(file, "one", "two").Failed());
    // A large file's small edit is written as pieces, one after another.
    const std::string_view pieces[] = {"th", "", "ree"};
    ASSERT_FALSE(platform::ReplaceFileKeepingBackup(file, "two", pieces).Failed());
    EXPECT_EQ(testsupport::ReadFileBytes(file), "three");
    EXPECT_EQ(testsupport::ReadFileBytes(platform::BackupOf(file)), "two");
    EXPECT_EQ(Names(temp.Path()), (std::vector<std::string>{"user.reg", "user.reg.vellicor-backup"}));
}

TEST(FileReplace, whatStaleReplacementsLeftIsRemovedAndNothingElse) {
    testsupport::TTempDir temp;
    const std::string file = (temp / "s.xml").string();
    for (const char* name : {"s.xml.vellicor-Ab12Cd", "s.xml.vellicor-backup.tmp", "s.xml.vellicor-toolong1",
                             "t.xml.vellicor-Ab12Cd", "s.xml.vellicor-backup"}) {
        testsupport::WriteFileBytes(temp / name, "left");
    }
    ASSERT_FALSE(platform::ReplaceFileContent(file, "new").Failed());
    EXPECT_EQ(Names(temp.Path()), (std::vector<std::string>{"s.xml", "s.xml.vellicor-backup", "s.xml.vellicor-toolong1",
                                                            "t.xml.vellicor-Ab12Cd"}));
}

TEST(FileReplace, whatCannotBeReplacedIsLeftAsItWasWithTheSystemsReason) {
    struct Case {
        const char* name;
        std::function<void(const fs::path& file)> prepare;
        EReplaceStage stage;
        testsupport::TSystemError error;
        bool rootUnderWineWrites; // Wine lets write whom the Linux kernel lets
    };
    const Case cases[] = {
        {"a folder in the file's place", [](const fs::path& file) { fs::create_directory(file); },
         EReplaceStage::Refused, testsupport::FolderAsFileError(), false},
        {"a read-only file",
         [](const fs::path& file) {
             testsupport::WriteFileBytes(file, "old");
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         },
         EReplaceStage::Refused, testsupport::AccessDeniedError(), true},
        {"a missing folder", [](const fs::path& file) { fs::remove_all(file.parent_path()); }, EReplaceStage::Create,
         testsupport::PathNotFoundError(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootUnderWineWrites && testsupport::RunningUnderWine() && testsupport::RunningAsRoot()) {
            continue;
        }
        testsupport::TTempDir temp;
        const fs::path file = temp / "sub" / "f.txt";
        fs::create_directories(file.parent_path());
        c.prepare(file);
        const auto before = fs::exists(file) && fs::is_regular_file(file) ? testsupport::ReadFileBytes(file) : "";
        const platform::TReplaceFailure failure = platform::ReplaceFileContent(file.string(), "new");
        EXPECT_EQ(failure.Stage, c.stage);
        EXPECT_EQ(failure.Error, c.error.Code);
        EXPECT_NE(failure.Text().find(c.error.Text), std::string::npos) << failure.Text();
        EXPECT_EQ(failure.Text().rfind("Cannot ", 0), 0u) << failure.Text();
        if (fs::is_regular_file(file)) {
            EXPECT_EQ(testsupport::ReadFileBytes(file), before);
            fs::permissions(file, fs::perms::owner_all);
        }
        if (fs::is_directory(file.parent_path())) {
            EXPECT_EQ(Names(file.parent_path()).size(), 1u) << "no temporary file stays";
        }
    }
}
