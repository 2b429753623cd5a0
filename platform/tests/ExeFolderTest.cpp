#include "platform/ExeFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ExeFolder, holdsThisTestProgram) {
    const std::string folder = platform::GetExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::PathDelimiter());
    const bool found =
        std::filesystem::exists(folder + "platform_tests") || std::filesystem::exists(folder + "platform_tests.exe");
    EXPECT_TRUE(found) << folder;
}
