#include "platform/AnsiChars.h"

#include <gtest/gtest.h>

// On Linux the ANSI code page is UTF-8.
TEST(AnsiChars, stepsOverWholeUtf8CharactersAndSingleBadBytes) {
    struct TCase {
        const char* Name;
        std::string Text;
        std::size_t Pos;
        std::size_t Length;
    };
    const TCase cases[] = {
        {"ASCII", "a;", 0, 1},
        {"two bytes", "\xc3\xa9;", 0, 2},
        {"three bytes", "\xe2\x82\xac;", 0, 3},
        {"four bytes", "\xf0\x9f\x98\x80;", 0, 4},
        {"in the middle", "a\xc3\xa9", 1, 2},
        {"lead byte at the end", "a\xc3", 1, 1},
        {"lead byte before a separator", "\xc3;", 0, 1},
        {"cut three-byte character", "\xe2\x82", 0, 1},
        {"continuation byte alone", "\xa9;", 0, 1},
        {"overlong form", "\xc0\xbb", 0, 1},
        {"overlong three bytes", "\xe0\x80\xbb", 0, 1},
        {"surrogate", "\xed\xa0\x80", 0, 1},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", 0, 1},
        {"byte FF", "\xff\xff", 0, 1},
        {"zero byte", std::string("\0a", 2), 0, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(platform::AnsiCharLength(c.Text, c.Pos), c.Length);
    }
}
