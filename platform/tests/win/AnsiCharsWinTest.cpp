// Stepping through text of the system's ANSI code page, as the Windows character functions do.
#include "platform/AnsiChars.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

TEST(AnsiCharsWin, stepsAsCharNextAForEveryPairOfBytes) {
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const char bytes[3] = {static_cast<char>(first), static_cast<char>(second), '\0'};
            const std::string text(bytes, second == 0 ? 1 : 2);
            const auto expected = static_cast<std::size_t>(CharNextA(bytes) - bytes);
            ASSERT_EQ(platform::AnsiCharLength(text, 0), expected) << "bytes " << first << " " << second;
        }
    }
}

TEST(AnsiCharsWin, keepsTheTrailByteOfADoubleByteCharacterWithItsLeadByte) {
    struct TCase {
        unsigned CodePage;
        const char* Name;
        std::string Text;
        std::size_t Pos;
        std::size_t Length;
    };
    const TCase cases[] = {
        {1252, "every byte is a character", "\xe9;", 0, 1},
        {1252, "0x81 is no lead byte", "\x81;", 0, 1},
        {932, "kanji", "\x93\xfa;", 0, 2},
        {932, "kanji in the middle", "a\x93\xfa", 1, 2},
        {932, "a trail byte that looks like a letter", "\x83\x41", 0, 2},
        {932, "half-width katakana is one byte", "\xb1;", 0, 1},
        {932, "lead byte at the end", "a\x93", 1, 1},
        {932, "lead byte before a zero byte", std::string("\x93\0a", 3), 0, 1},
    };
    const unsigned codePage = GetACP();
    bool tried = false;
    for (const TCase& c : cases) {
        if (c.CodePage == codePage) {
            SCOPED_TRACE(c.Name);
            EXPECT_EQ(platform::AnsiCharLength(c.Text, c.Pos), c.Length);
            tried = true;
        }
    }
    if (!tried) {
        GTEST_SKIP() << "no case is written for code page " << codePage;
    }
}
