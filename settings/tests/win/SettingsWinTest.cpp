// The Windows side of the settings store and the serializer: the shell's folder, files other programs hold
// open, and text in the user's number format and the ANSI code page.
#include "EveryKind.h"
#include "ScopedUserLocaleInfo.h"
#include "SerializerTestSupport.h"
#include "SettingsStoreFixture.h"
#include "SystemFacts.h"
#include "TempDir.h"
#include "platform/FileStream.h"
#include "platform/Files.h"
#include "platform/TextConv.h"
#include "settings/uSettings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

TEST_F(SettingsStore, aFileAnotherProgramHoldsIsNeitherReadNorReplaced) {
    WriteFileBytes(File(), "<TSettings><SkinName>actThemeVista</SkinName></TSettings>");
    const std::string sharingViolation = platform::SysErrorMessage(ERROR_SHARING_VIOLATION);
    {
        TFileStream holder(File().string(), fmOpenReadWrite | fmShareExclusive);
        Settings->Load();
        Settings->SetSkinName("actThemeOffice2003");
        Settings->Save();
    }
    EXPECT_EQ(Messages,
              (std::vector<std::string>{
                  LoadPrefix + "Cannot open file \"" + File().string() + "\". " + sharingViolation + LoadSuffix,
                  SavePrefix + "Cannot create file \"" + File().string() + "\". " + sharingViolation}));
    EXPECT_EQ(ReadFileBytes(File()), "<TSettings><SkinName>actThemeVista</SkinName></TSettings>");
    EXPECT_FALSE(fs::exists(File().string() + ".tmp"));
}

TEST(SettingsStoreWin, livesInTheShellsRoamingFolderAndReadsBackWhatItSaved) {
    if (!testsupport::RunningUnderWine()) {
        GTEST_SKIP() << "works in the account's own application-data folder: only in the Wine prefix of a test run";
    }
    const char* roaming = std::getenv("APPDATA");
    ASSERT_NE(roaming, nullptr);
    const fs::path folder = fs::path(roaming) / "Korvane Vellicor";
    fs::remove_all(folder); // from an earlier run in the same prefix
    std::vector<std::string> messages;
    SetSettingsReporter([&](const std::string& text) { messages.push_back(text); });

    InitializeSettingsUnit();
    EXPECT_EQ(SettingsDir, std::string(roaming) + "\\Korvane Vellicor\\");
    EXPECT_EQ(SettingsFileName, std::string(roaming) + "\\Korvane Vellicor\\Settings.xml");
    EXPECT_TRUE(fs::is_directory(folder));
    Settings = new TSettings;
    Settings->SetSkinName("actThemeVista");
    Settings->Save();
    EXPECT_EQ(fs::file_size(folder / "Settings.xml"), 107u - 5u) << "five letters fewer than actThemeOffice2007";
    FinalizeSettingsUnit();

    InitializeSettingsUnit();
    Settings = new TSettings;
    Settings->Load();
    EXPECT_EQ(Settings->SkinName(), "actThemeVista");
    FinalizeSettingsUnit();

    EXPECT_TRUE(messages.empty());
    SetSettingsReporter(nullptr);
    fs::remove_all(folder);
}

TEST(SerializerWin, floatTextTakesTheUsersDecimalSeparator) {
    if (!testsupport::RunningUnderWine()) {
        GTEST_SKIP() << "changes the account's number format: only in the Wine prefix of a test run";
    }
    testsupport::TScopedUserLocaleInfo comma(LOCALE_SDECIMAL, ",");
    ASSERT_TRUE(comma.Set());
    // As the program does at first use: the separator of the user's format, asked from the system.
    testsupport::TScopedDecimalSeparator separator(platform::UserDecimalSeparator());
    TEveryKind written;
    written.StoreLetters = false; // chars are written as codes, which do not read back
    written.Ratio = 2.5;
    TXMLSerializer serializer;
    const std::string document = testsupport::Write(serializer, written);
    EXPECT_NE(document.find("<Ratio>2,5</Ratio>"), std::string::npos) << document;
    TEveryKind read;
    read.Ratio = 0;
    testsupport::Read(serializer, read, document);
    EXPECT_EQ(read.Ratio, 2.5);
}

TEST(SerializerWin, wideTextIsWrittenInTheAnsiCodePageAndReadBack) {
    struct Case {
        unsigned codePage;
        std::u16string wide;
        std::string written;
    };
    const Case cases[] = {
        {1252, u"caf\u00e9 \u20ac", "caf\xE9 \x80"},
        {932, u"\u65E5\u672C", "\x93\xFA\x96\x7B"},
    };
    bool tried = false;
    for (const Case& c : cases) {
        if (c.codePage != GetACP()) {
            continue;
        }
        tried = true;
        TEveryKind written;
        written.StoreLetters = false;
        written.Wide = c.wide;
        TXMLSerializer serializer;
        const std::string document = testsupport::Write(serializer, written);
        EXPECT_NE(document.find("<Wide>" + c.written + "</Wide>"), std::string::npos) << document;
        TEveryKind read;
        testsupport::Read(serializer, read, document);
        EXPECT_EQ(read.Wide, c.wide);
    }
    if (!tried) {
        GTEST_SKIP() << "no case is written for code page " << GetACP();
    }
}
