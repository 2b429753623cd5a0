#include "platform/TextConv.h"
#include "SystemFacts.h"

#include <gtest/gtest.h>

TEST(TextConv, wideAndAnsiTextConvertBothWays) {
    struct Case {
        unsigned codePage; // the ANSI code page the case is for; 0: any
        const char* name;
        std::u16string wide;
        std::string ansi;
    };
    const Case cases[] = {
        {0, "ASCII", u"Office 2007", "Office 2007"},
        {0, "empty", u"", ""},
        {0, "zero inside", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        {65001, "two-byte character", u"caf\u00e9", "caf\xC3\xA9"},
        {65001, "three-byte character", u"\u20AC5",
         "\xE2\x82\xAC"
         "5"},
        {65001, "surrogate pair", u"\U0001F600", "\xF0\x9F\x98\x80"},
        {1252, "Western letter", u"caf\u00e9", "caf\xE9"},
        {1252, "euro sign", u"\u20AC5",
         "\x80"
         "5"},
        {932, "double-byte characters", u"\u65E5\u672C.txt", "\x93\xFA\x96\x7B.txt"},
    };
    const unsigned codePage = testsupport::AnsiCodePage();
    for (const auto& c : cases) {
        if (c.codePage != 0 && c.codePage != codePage) {
            continue;
        }
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::WideToAnsi(c.wide), c.ansi);
        EXPECT_EQ(platform::AnsiToWide(c.ansi), c.wide);
    }
}

TEST(TextConv, programSeparatorIsTheUsersUntilSet) {
    const char users = platform::UserDecimalSeparator();
    EXPECT_EQ(platform::DecimalSeparator(), users);
    platform::SetDecimalSeparator(',');
    EXPECT_EQ(platform::DecimalSeparator(), ',');
    platform::SetDecimalSeparator(users);
}
