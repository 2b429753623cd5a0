#include "outlook/ExtensionList.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Printable(const TExtensionList& items) {
    std::string text = "{";
    for (const auto& item : items) {
        text += " [";
        for (unsigned char c : item) {
            if (c < 32 || c >= 127) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
                text += buffer;
            } else {
                text += static_cast<char>(c);
            }
        }
        text += "]";
    }
    return text + " }";
}

enum EDirection { Both, SplitOnly, JoinOnly };

struct TCase {
    const char* Name;
    std::string Text;
    TExtensionList Items;
    EDirection Direction;
};

} // namespace

TEST(ExtensionList, splitsAndJoinsByTheRegistryRules) {
    const TCase cases[] = {
        {"semicolons", ".exe;.com", {".exe", ".com"}, Both},
        {"blank after semicolon", ".exe; .com", {".exe", ".com"}, SplitOnly},
        {"blank instead of semicolon", ".exe .com", {".exe", ".com"}, SplitOnly},
        {"tab and line breaks are blanks", "\t.exe\r\n.com\n", {".exe", ".com"}, SplitOnly},
        {"blanks before a semicolon", ".exe  ;.com", {".exe", ".com"}, SplitOnly},
        {"leading and trailing blanks", "  .exe  ", {".exe"}, SplitOnly},
        {"two semicolons make an empty item", ".exe;;.com", {".exe", "", ".com"}, Both},
        {"semicolon last makes an empty last item", ".exe;", {".exe", ""}, Both},
        {"semicolon then blank makes none", ".exe; ", {".exe"}, SplitOnly},
        {"lone semicolon is two empty items", ";", {"", ""}, Both},
        {"blanks around a lone semicolon", " ; ", {""}, SplitOnly},
        {"leading semicolon", ";.exe", {"", ".exe"}, Both},
        {"empty text", "", {}, Both},
        {"only blanks", " \t ", {}, SplitOnly},
        {"two quotes are one empty item", "\"\"", {""}, Both},
        {"quoted item with a blank", "\"my file\";.exe", {"my file", ".exe"}, Both},
        {"quoted item with a semicolon", "\"a;b\"", {"a;b"}, Both},
        {"doubled quote inside quotes", "\"a\"\"b\"", {"a\"b"}, Both},
        {"quoted control character", "\"\x01\"", {"\x01"}, Both},
        {"unclosed quote takes the rest", "\".exe; .com", {".exe; .com"}, SplitOnly},
        {"quote inside an item is ordinary", "a\"b;c", {"a\"b", "c"}, SplitOnly},
        {"text after a closing quote is the next item", "\"a\"b", {"a", "b"}, SplitOnly},
        {"letter case and duplicates stay", ".EXE;.exe;.EXE", {".EXE", ".exe", ".EXE"}, Both},
        {"no dot is added", "exe;com", {"exe", "com"}, Both},
        {"non-ASCII characters are ordinary",
         "\xc3\xa9t\xc3\xa9;\xe2\x82\xac",
         {"\xc3\xa9t\xc3\xa9", "\xe2\x82\xac"},
         Both},
        {"a stray lead byte does not swallow the separator", "\xc3;x", {"\xc3", "x"}, Both},
        {"a stray lead byte before a closing quote", "\"a \xe2\x82\"", {"a \xe2\x82"}, Both},
        {"one empty item among several joins to nothing", "", {}, JoinOnly},
        {"two empty items", ";", {"", ""}, JoinOnly},
        {"three empty items", ";;", {"", "", ""}, Both},
        {"quote first in an item", "\"\"\"x\"", {"\"x"}, Both},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Direction != JoinOnly) {
            EXPECT_EQ(Printable(SplitExtensionList(c.Text)), Printable(c.Items));
        }
        if (c.Direction != SplitOnly) {
            EXPECT_EQ(JoinExtensionList(c.Items), c.Text);
        }
    }
}

TEST(ExtensionList, splitGivesBackEveryJoinedList) {
    // Characters that test the rules: blanks, quotes, separators, control and non-ASCII bytes, whole
    // UTF-8 characters and stray parts of them.
    const std::vector<std::string> pieces = {
        ".",
        "e",
        "X",
        "x",
        " ",
        "\t",
        "\n",
        "\x01",
        "\"",
        "\"\"",
        ";",
        ";;",
        "\xc3\xa9",
        "\xe2\x82\xac",
        "\xf0\x9f\x98\x80",
        "\xc3",
        "\xa9",
        "\xff",
        "\x80",
        "\xe2\x82",
        "a b",
        "\x7f",
    };
    std::mt19937 random(20240611);
    for (int round = 0; round < 5000; ++round) {
        TExtensionList items(std::uniform_int_distribution<int>(0, 6)(random));
        for (auto& item : items) {
            const int length = std::uniform_int_distribution<int>(0, 5)(random);
            for (int i = 0; i < length; ++i) {
                item += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
            }
        }
        const std::string text = JoinExtensionList(items);
        ASSERT_EQ(Printable(SplitExtensionList(text)), Printable(items)) << "joined: " << Printable({text});
    }
}
