// Ordering by the user's locale (lstrcmpA), as the predefined file types are listed.
#include "platform/StringCompare.h"

#include <gtest/gtest.h>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

} // namespace

TEST(StringCompareWin, ordersWordsAsTheLocaleDoesNotByByteValue) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {".exe", ".exe", 0},   {".b", ".C", -1}, // alphabetical, whatever the letter case (bytes would put "C" first)
        {".zip", ".ZIP", -1},                    // the same letters: lower case first
        {".doc", ".docx", -1}, {".7z", ".arj", -1}, // digits before letters
        {"", ".a", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " " + c.b);
        EXPECT_EQ(Sign(platform::CompareStringLocale(c.a, c.b)), c.sign);
        EXPECT_EQ(Sign(platform::CompareStringLocale(c.b, c.a)), -c.sign);
    }
}
