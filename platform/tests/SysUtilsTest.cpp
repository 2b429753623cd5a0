#include "platform/SysUtils.h"
#include "platform/ExeFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Format, fillsPlaceholdersInOrder) {
    struct Case {
        const char* format;
        std::initializer_list<std::string_view> args;
        const char* expected;
    };
    const Case cases[] = {
        {"Invalid data type for '%s'", {"Level1Add"}, "Invalid data type for 'Level1Add'"},
        {"Cannot open file \"%s\". %s", {"/x/y", "No such file"}, "Cannot open file \"/x/y\". No such file"},
        {"100%% of %s", {"it"}, "100% of it"},
        {"%s and %s", {"one"}, "one and "},
        {"trailing %", {}, "trailing %"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.args), c.expected);
    }
}

TEST(ExeFolder, holdsThisTestProgram) {
    const std::string folder = platform::GetExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::PathDelimiter());
    const bool found =
        std::filesystem::exists(folder + "platform_tests") || std::filesystem::exists(folder + "platform_tests.exe");
    EXPECT_TRUE(found) << folder;
}
