#include "base/Streams.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

TEST(MessageOf, givesTheTextOfAnyException) {
    EXPECT_EQ(MessageOf(Exception("own")), "own");
    EXPECT_EQ(MessageOf(EWriteError()), "Stream write error");
    EXPECT_EQ(MessageOf(std::runtime_error("standard")), "standard");
}

TEST(MemoryStream, growsOnWriteAndReadsFromItsPosition) {
    TMemoryStream s;
    s.WriteBuffer(std::string_view("abc"));
    s.SetPosition(1);
    s.WriteBuffer(std::string_view("XYZ"));
    EXPECT_EQ(s.Bytes(), "aXYZ");
    EXPECT_EQ(s.Position(), 4);
    s.SetPosition(2);
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, 8), 2);
    EXPECT_EQ(std::string(buffer, 2), "YZ");
    EXPECT_EQ(s.Seek(-1, TSeekOrigin::Beginning), -1);
    s.SetSize(1);
    EXPECT_EQ(s.Bytes(), "a");
    EXPECT_EQ(s.Position(), 1);
    EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
    try {
        s.ReadBuffer(buffer, 1);
    } catch (const EReadError& error) {
        EXPECT_EQ(MessageOf(error), "Stream read error");
    }
}
