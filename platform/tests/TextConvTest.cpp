#include "platform/TextConv.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(TextConv, wideAndAnsiTextConvertBothWays) {
    struct Case {
        const char* name;
        std::u16string wide;
        std::string ansi;
    };
    const Case cases[] = {
        {"ASCII", u"Office 2007", "Office 2007"},
        {"empty", u"", ""},
        {"two-byte character", u"caf\u00e9", "caf\xC3\xA9"},
        {"three-byte character", u"\u20AC5",
         "\xE2\x82\xAC"
         "5"},
        {"surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"zero inside", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::WideToAnsi(c.wide), c.ansi);
        EXPECT_EQ(platform::AnsiToWide(c.ansi), c.wide);
    }
}

TEST(TextConv, malformedTextBecomesReplacementCharacters) {
    EXPECT_EQ(platform::AnsiToWide("a\xFF"
                                   "b"),
              u"a\uFFFDb");
    EXPECT_EQ(platform::AnsiToWide("\xC3"), u"\uFFFD");                                   // cut short at the end
    EXPECT_EQ(platform::AnsiToWide("\xC0\xAF"), u"\uFFFD\uFFFD");                         // overlong form of "/"
    EXPECT_EQ(platform::AnsiToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");               // an encoded surrogate
    EXPECT_EQ(platform::WideToAnsi(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD"); // lone surrogate
}

TEST(TextConv, programSeparatorIsTheUsersUntilSet) {
    const char users = platform::UserDecimalSeparator();
    EXPECT_EQ(platform::DecimalSeparator(), users);
    platform::SetDecimalSeparator(',');
    EXPECT_EQ(platform::DecimalSeparator(), ',');
    platform::SetDecimalSeparator(users);
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
