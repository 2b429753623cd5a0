#include "platform/AppData.h"
#include "platform/Files.h"

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

} // namespace

TEST(AppDataWin, isTheUsersRoamingApplicationDataFolder) {
    const std::string folder = platform::GetAppDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(platform::DirectoryExists(folder));
    EXPECT_NE(folder.back(), '\\');

    // The system names the same folder to every program of the session in APPDATA.
    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(Lower(folder), Lower(appData));
    EXPECT_NE(Lower(folder), Lower(ShellFolder(CSIDL_LOCAL_APPDATA))) << "not the local, machine-bound folder";
    EXPECT_NE(Lower(folder), Lower(ShellFolder(CSIDL_COMMON_APPDATA))) << "not the folder of all users";
}
