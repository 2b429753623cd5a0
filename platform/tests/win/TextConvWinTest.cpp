// Text conversions through the Windows locale functions: the user's number format and the ANSI code page.
#include "SystemFacts.h"
#include "platform/TextConv.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Changes one of the user's locale settings for the life of the object. It is the whole account's
// setting, so only the throwaway Wine prefix of a test run may be changed.
class TScopedUserLocaleInfo {
public:
    TScopedUserLocaleInfo(LCTYPE type, const char* value) : FType(type) {
        char old[80] = {};
        FHadOld = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, old, sizeof old) > 0;
        FOld = old;
        FSet = SetLocaleInfoA(LOCALE_USER_DEFAULT, type, value) != FALSE;
    }
    ~TScopedUserLocaleInfo() {
        if (FSet && FHadOld) {
            SetLocaleInfoA(LOCALE_USER_DEFAULT, FType, FOld.c_str());
        }
    }
    TScopedUserLocaleInfo(const TScopedUserLocaleInfo&) = delete;
    TScopedUserLocaleInfo& operator=(const TScopedUserLocaleInfo&) = delete;

    bool Set() const { return FSet; }

private:
    LCTYPE FType;
    std::string FOld;
    bool FHadOld = false;
    bool FSet = false;
};

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
        TScopedUserLocaleInfo comma(LOCALE_SDECIMAL, ",");
        ASSERT_TRUE(comma.Set());
        EXPECT_EQ(platform::UserDecimalSeparator(), ',');
        EXPECT_EQ(SeparatorOfTheUsersNumberFormat(), ",");
    }
    {
        // The program writes and reads one character; a longer separator cannot be honoured.
        TScopedUserLocaleInfo twoCharacters(LOCALE_SDECIMAL, "::");
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
