// The Linux side of the settings store: file permissions and the XDG configuration folder.
#include "SettingsStoreFixture.h"
#include "SystemFacts.h"
#include "TempDir.h"
#include "settings/uSettings.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::WriteFileBytes;

TEST_F(SettingsStore, unreadableFileReportsTheFileLayersText) {
    if (testsupport::RunningAsRoot()) {
        GTEST_SKIP() << "root reads a file without read permission";
    }
    WriteFileBytes(File(), "<TSettings></TSettings>");
    fs::permissions(File(), fs::perms::none);
    Settings->Load();
    EXPECT_EQ(Messages, std::vector<std::string>{LoadPrefix + "Cannot open file \"" + File().string() +
                                                 "\". Permission denied" + LoadSuffix});
}

TEST_F(SettingsStore, saveWritesThroughASymbolicLink) {
    // Configuration files are often links into a folder the user keeps elsewhere.
    const fs::path real = FConfig / "dotfiles" / "vellicor.xml";
    fs::create_directories(real.parent_path());
    WriteFileBytes(real, "previous");
    fs::create_symlink(fs::path("..") / "dotfiles" / "vellicor.xml", File());
    Settings->SetSkinName("actThemeVista");
    Settings->Save();
    EXPECT_TRUE(Messages.empty());
    EXPECT_TRUE(fs::is_symlink(File()));
    EXPECT_NE(testsupport::ReadFileBytes(real).find("<SkinName>actThemeVista</SkinName>"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1);
}

TEST(SettingsUnit, appDataFolderFollowsXdgConfigHome) {
    testsupport::TTempDir home;
    testsupport::TScopedEnv homeEnv("HOME", home.Path().string());
    {
        testsupport::TScopedEnv config("XDG_CONFIG_HOME", (home / "xdg").string());
        EXPECT_EQ(GetAppDataFolder(), (home / "xdg").string());
    }
    {
        // A relative XDG_CONFIG_HOME does not count; ~/.config is made when missing.
        testsupport::TScopedEnv config("XDG_CONFIG_HOME", "relative");
        EXPECT_EQ(GetAppDataFolder(), (home / ".config").string());
        EXPECT_TRUE(fs::is_directory(home / ".config"));
        InitializeSettingsUnit();
        EXPECT_EQ(SettingsFileName, (home / ".config" / "Korvane Vellicor" / "Settings.xml").string());
        EXPECT_TRUE(fs::is_directory(home / ".config" / "Korvane Vellicor"));
        FinalizeSettingsUnit();
        EXPECT_EQ(SettingsDir, "");
    }
}
