// The Linux stand-ins: UTF-8 as the ANSI code page, the decimal separator of the user's LC_NUMERIC.
#include "TempDir.h"
#include "platform/TextConv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(TextConv, malformedTextBecomesReplacementCharacters) {
    EXPECT_EQ(platform::AnsiToWide("a\xFF"
                                   "b"),
              u"a\uFFFDb");
    EXPECT_EQ(platform::AnsiToWide("\xC3"), u"\uFFFD");                                   // cut short at the end
    EXPECT_EQ(platform::AnsiToWide("\xC0\xAF"), u"\uFFFD\uFFFD");                         // overlong form of "/"
    EXPECT_EQ(platform::AnsiToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");               // an encoded surrogate
    EXPECT_EQ(platform::WideToAnsi(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD"); // lone surrogate
}

// The user's LC_NUMERIC decides, read from the environment as the user set it.
TEST(TextConv, userDecimalSeparatorFollowsLcNumeric) {
    testsupport::TTempDir locales;
    const std::string command = "localedef -i de_DE -f UTF-8 " + (locales / "de_DE.UTF-8").string() + " 2>/dev/null";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(locales / "de_DE.UTF-8")) {
        GTEST_SKIP() << "localedef cannot build de_DE here";
    }
    testsupport::TScopedEnv path("LOCPATH", locales.Path().string());
    testsupport::TScopedEnv all("LC_ALL", "");
    {
        testsupport::TScopedEnv numeric("LC_NUMERIC", "de_DE.UTF-8");
        EXPECT_EQ(platform::UserDecimalSeparator(), ',');
    }
    {
        testsupport::TScopedEnv numeric("LC_NUMERIC", "C");
        EXPECT_EQ(platform::UserDecimalSeparator(), '.');
    }
    {
        testsupport::TScopedEnv numeric("LC_NUMERIC", "xx_NOWHERE");
        EXPECT_EQ(platform::UserDecimalSeparator(), '.') << "an unknown locale falls back to the point";
    }
}
