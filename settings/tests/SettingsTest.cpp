#include "SerializerTestSupport.h"
#include "SettingsStoreFixture.h"
#include "SystemFacts.h"
#include "TempDir.h"
#include "TestData.h"
#include "platform/ExeFolder.h"
#include "platform/FileStream.h"
#include "platform/Files.h"
#include "settings/uSettings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

TEST_F(SettingsStore, firstRunCreatesTheFolderAndNoFile) {
    EXPECT_EQ(SettingsDir, (FConfig / "Korvane Vellicor").string() + platform::PathDelimiter());
    EXPECT_EQ(SettingsFileName, File().string());
    EXPECT_TRUE(fs::is_directory(Folder()));

    Settings->Load();
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(Settings->SkinName(), "actThemeOffice2007");
    EXPECT_FALSE(fs::exists(File()));
}

TEST_F(SettingsStore, savedThemeLoadsBackAtTheNextStart) {
    Settings->SetSkinName("actThemeVista");
    Settings->Save();
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(ReadFileBytes(File()), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<TSettings>\r\n"
                                     "\t<SkinName>actThemeVista</SkinName>\r\n</TSettings>");
    EXPECT_FALSE(fs::exists(File().string() + ".tmp"));

    FinalizeSettingsUnit();
    EXPECT_EQ(Settings, nullptr);
    EXPECT_EQ(SettingsFileName, "");
    InitializeSettingsUnit();
    Settings = new TSettings;
    Settings->Load();
    EXPECT_EQ(Settings->SkinName(), "actThemeVista");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(SettingsStore, defaultThemeIsTheFixtureByteForByte) {
    Settings->Save();
    EXPECT_EQ(ReadFileBytes(File()), ReadFileBytes(testsupport::DataFile("settings/tests/data/Settings.xml")));
}

TEST_F(SettingsStore, emptySkinNameIsNotWrittenAndLoadsAsTheDefault) {
    Settings->SetSkinName("");
    Settings->Save();
    EXPECT_EQ(ReadFileBytes(File()).size(), 65u);
    TSettings fresh;
    fresh.Load();
    EXPECT_EQ(fresh.SkinName(), "actThemeOffice2007");
    EXPECT_TRUE(Messages.empty());
}

TEST_F(SettingsStore, loadReportsWhatTheFileHolds) {
    struct Case {
        const char* name;
        std::string content;
        std::string skinName;
        std::string message; // empty: none
    };
    const std::string serializer = "XMLSerializerException\r\n\r\n";
    const Case cases[] = {
        {"zero bytes", "", "actThemeOffice2007",
         LoadPrefix + serializer + "Open tag not found: <TSettings>" + LoadSuffix},
        {"extra element after SkinName", "<TSettings><SkinName>actThemeVista</SkinName><Extra>1</Extra></TSettings>",
         "actThemeVista", LoadPrefix + serializer + "Unknown property: Extra" + LoadSuffix},
        {"escaped symbol", "<TSettings><SkinName>a&lt;b</SkinName></TSettings>", "a<b", ""},
        {"root not closed", "<TSettings><SkinName>x</SkinName>", "actThemeOffice2007",
         LoadPrefix + serializer + "Close tag not found: </TSettings>" + LoadSuffix},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(File(), c.content);
        Messages.clear();
        TSettings settings;
        settings.Load();
        EXPECT_EQ(settings.SkinName(), c.skinName);
        EXPECT_EQ(Messages, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    }
}

TEST_F(SettingsStore, saveReportsWhyTheFileCannotBeCreated) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::string errorText;
    };
    const Case cases[] = {
        {"the file's place is taken by a folder", [&] { fs::create_directory(File()); },
         testsupport::FolderAsFileError().Text},
        {"the settings folder is missing", [&] { fs::remove_all(Folder()); }, testsupport::PathNotFoundError().Text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Folder());
        fs::create_directory(Folder());
        c.prepare();
        Messages.clear();
        Settings->Save();
        EXPECT_EQ(Messages, std::vector<std::string>{SavePrefix + "Cannot create file \"" + File().string() + "\". " +
                                                     c.errorText});
        EXPECT_FALSE(fs::exists(File().string() + ".tmp"));
    }
}

TEST_F(SettingsStore, readOnlyFileIsNotReplaced) {
    if (testsupport::RunningAsRoot()) {
        GTEST_SKIP() << "root writes to a read-only file; the folder and missing-folder cases cover the failure";
    }
    WriteFileBytes(File(), "previous");
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Settings->Save();
    EXPECT_EQ(Messages, std::vector<std::string>{SavePrefix + "Cannot create file \"" + File().string() + "\". " +
                                                 testsupport::AccessDeniedError().Text});
    EXPECT_EQ(ReadFileBytes(File()), "previous");
}

TEST_F(SettingsStore, saveThatFailsPartWayLeavesThePreviousFile) {
    Settings->SetSkinName("actThemeVista");
    Settings->Save();
    const std::string previous = ReadFileBytes(File());
    ASSERT_FALSE(previous.empty());

    for (const std::int64_t limit : {0, 1, 40, 60, 100}) {
        SCOPED_TRACE(limit);
        SetSettingsStreamFactory([limit](std::unique_ptr<TStream> document) -> std::unique_ptr<TStream> {
            return std::make_unique<testsupport::TFailingStream>(std::move(document), limit);
        });
        Messages.clear();
        Settings->SetSkinName("actThemeOffice2003");
        Settings->Save();
        EXPECT_EQ(Messages, std::vector<std::string>{SavePrefix + "Stream write error"});
        EXPECT_EQ(ReadFileBytes(File()), previous);
        EXPECT_FALSE(fs::exists(File().string() + ".tmp"));
    }

    SetSettingsStreamFactory(nullptr);
    Messages.clear();
    Settings->Save();
    EXPECT_TRUE(Messages.empty());
    TSettings fresh;
    fresh.Load();
    EXPECT_EQ(fresh.SkinName(), "actThemeOffice2003");
}

TEST_F(SettingsStore, withoutAReporterMessagesGoToStandardError) {
    SetSettingsReporter(nullptr);
    WriteFileBytes(File(), "");
    testing::internal::CaptureStderr();
    Settings->Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              LoadPrefix + "XMLSerializerException\r\n\r\nOpen tag not found: <TSettings>" + LoadSuffix + "\n");
}
