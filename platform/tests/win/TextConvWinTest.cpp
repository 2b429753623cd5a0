// Text conversions through the Windows locale functions: the user's number format and the ANSI code page.
#include "ScopedUserLocaleInfo.h"
#include "SystemFacts.h"
#include "platform/TextConv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// What the user's number format puts between the 1 and the 5 of 1.5.
std::string SeparatorOfTheUsersNumberFormat() {
    char text[64] = {};
    if (GetNumberFormatA(LOCALE_USER_DEFAULT, 0, "1.5", nullptr, text, sizeof text) == 0) {
        return "(GetNumberFormatA failed)";
    }
    const std::string formatted = text;
    const auto five = formatted.find('5');
    return five == std::string::npos ? formatted : formatted.substr(1, five - 1);
}

} // namespace

TEST(TextConvWin, userDecimalSeparatorIsTheOneTheUsersNumbersAreWrittenWith) {
    const std::string users = SeparatorOfTheUsersNumberFormat();
    ASSERT_EQ(users.size(), 1u) << users;
    EXPECT_EQ(platform::UserDecimalSeparator(), users[0]);
}

TEST(TextConvWin, userDecimalSeparatorFollowsTheUsersSettingAtOnce) {
    if (!testsupport::RunningUnderWine()) {
        GTEST_SKIP() << "changes the account's number format: only in the Wine prefix of a test run";
    }
    {
        testsupport::TScopedUserLocaleInfo comma(LOCALE_SDECIMAL, ",");
        ASSERT_TRUE(comma.Set());
        EXPECT_EQ(platform::UserDecimalSeparator(), ',');
        EXPECT_EQ(SeparatorOfTheUsersNumberFormat(), ",");
    }
    {
        // The program writes and reads one character; a longer separator cannot be honoured.
        testsupport::TScopedUserLocaleInfo twoCharacters(LOCALE_SDECIMAL, "::");
        ASSERT_TRUE(twoCharacters.Set());
        EXPECT_EQ(platform::UserDecimalSeparator(), '.');
    }
    EXPECT_EQ(std::string(1, platform::UserDecimalSeparator()), SeparatorOfTheUsersNumberFormat());
}

TEST(TextConvWin, aCharacterTheAnsiCodePageLacksBecomesItsDefaultCharacter) {
    struct Case {
        unsigned codePage;
        std::u16string lacking;
    };
    const Case cases[] = {{1252, u"\u0416"}, {932, u"\u0E01"}}; // Cyrillic Zhe; Thai Ko Kai
    const unsigned codePage = GetACP();
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    const std::string defaultCharacter(1, static_cast<char>(info.DefaultChar[0]));
    bool tried = false;
    for (const Case& c : cases) {
        if (c.codePage == codePage) {
            EXPECT_EQ(platform::WideToAnsi(c.lacking + u".txt"), defaultCharacter + ".txt");
            tried = true;
        }
    }
    if (!tried) {
        GTEST_SKIP() << "no case is written for code page " << codePage;
    }
}
