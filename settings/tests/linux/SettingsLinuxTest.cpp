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
