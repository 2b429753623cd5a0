// The package format, its zlib wrapping and the description's INI syntax.
#include "skin/SkinPackage.h"
#include "skin/SkinErrors.h"
#include "skin/SkinIni.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

TSkinPackage SamplePackage() {
    TSkinPackage package;
    package.Pictures = {{"a.png", std::string("\x89PNG\0\1", 6)}, {"b.png", "bytes"}};
    package.ObjectNames = {"button", "listbox"};
    package.Ini = "[Theme]\nName=Sample\n";
    return package;
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ESkinError& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST(SkinPackage, writesAndReadsBackEveryPart) {
    const TSkinPackage package = SamplePackage();
    const std::string bytes = WriteSkinPackage(package);
    ASSERT_EQ(bytes.substr(0, 4), std::string("\3\0\0\0", 4)) << "starts with version 3, little-endian";
    const TSkinPackage read = ReadSkinPackage(bytes);
    EXPECT_EQ(read.Version, 3u);
    ASSERT_EQ(read.Pictures.size(), 2u);
    EXPECT_EQ(read.Pictures[0].Name, "a.png");
    EXPECT_EQ(read.Pictures[0].Data, package.Pictures[0].Data);
    EXPECT_EQ(read.ObjectNames, package.ObjectNames);
    EXPECT_EQ(read.Ini, package.Ini);
}

TEST(SkinPackage, everyTruncationIsReportedAsDamage) {
    const std::string bytes = WriteSkinPackage(SamplePackage());
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_THAT(ErrorOf([&] { ReadSkinPackage(std::string_view(bytes).substr(0, length)); }), HasSubstr("damaged"));
    }
}

TEST(SkinPackage, rejectsOtherVersionsTrailingBytesAndAbsurdCounts) {
    TSkinPackage old = SamplePackage();
    old.Version = 2;
    EXPECT_EQ(ErrorOf([&] { ReadSkinPackage(WriteSkinPackage(old)); }),
              "The theme package has version 2; this program reads version 3");

    EXPECT_THAT(ErrorOf([&] { ReadSkinPackage(WriteSkinPackage(SamplePackage()) + "x"); }),
                HasSubstr("other bytes follow"));

    // A count far beyond any theme, with nothing behind it: refused before any allocation.
    const std::string huge = std::string("\3\0\0\0", 4) + std::string("\xFF\xFF\xFF\x7F", 4);
    EXPECT_THAT(ErrorOf([&] { ReadSkinPackage(huge); }), HasSubstr("too many pictures"));
    // A picture length beyond the end.
    const std::string longPicture =
        std::string("\3\0\0\0\1\0\0\0\1\0\0\0", 12) + "a" + std::string("\xFF\xFF\xFF\xFF", 4);
    EXPECT_THAT(ErrorOf([&] { ReadSkinPackage(longPicture); }), HasSubstr("ends inside a picture"));
}

TEST(SkinData, deflatesOneZlibStreamAtTheBestLevelAndInflatesItBack) {
    const std::string raw = WriteSkinPackage(SamplePackage()) + std::string(5000, 'x');
    const std::string compressed = DeflateSkinData(raw);
    ASSERT_GE(compressed.size(), 2u);
    // RFC 1950 header: deflate with a 32 KiB window, FLEVEL 3 (best compression).
    EXPECT_EQ(static_cast<unsigned char>(compressed[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(compressed[1]), 0xDA);
    EXPECT_EQ(InflateSkinData(compressed), raw);
}

TEST(SkinData, damagedStreamsFailWithAClearMessage) {
    const std::string compressed = DeflateSkinData(std::string(20000, 'v') + "theme");
    const struct {
        const char* Name;
        std::string Data;
        const char* Expected;
    } cases[] = {
        {"empty", "", "holds no compressed data"},
        {"truncated", compressed.substr(0, compressed.size() / 2), "ends early"},
        {"last byte missing", compressed.substr(0, compressed.size() - 1), "ends early"},
        {"not zlib", "this is not a zlib stream", "damaged"},
        {"bytes after the stream", compressed + "tail", "other bytes follow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_THAT(ErrorOf([&] { InflateSkinData(c.Data); }), HasSubstr(c.Expected));
    }
    // A stream inflating beyond the limit is stopped, not followed.
    EXPECT_THAT(ErrorOf([&] { InflateSkinData(compressed, 1000); }), HasSubstr("beyond"));
}

TEST(SkinIni, readsSectionsAndKeysWithoutRegardToCase) {
    const TSkinIni ini = TSkinIni::Parse("\xEF\xBB\xBF; comment\r\n[Theme]\r\nName = Office 2007 \r\n# other\n\n"
                                         "[button]\nType=button\nRect=0,0,32,23\n");
    ASSERT_EQ(ini.Sections().size(), 2u);
    ASSERT_NE(ini.Find("theme", "NAME"), nullptr);
    EXPECT_EQ(*ini.Find("theme", "NAME"), "Office 2007");
    EXPECT_EQ(*ini.Find("BUTTON", "rect"), "0,0,32,23");
    EXPECT_EQ(ini.Find("button", "Picture"), nullptr);
    EXPECT_EQ(ini.Find("edit", "Type"), nullptr);
}

TEST(SkinIni, malformedLinesNameTheirLine) {
    const struct {
        const char* Text;
        const char* Expected;
    } cases[] = {
        {"[Theme\nName=x", "line 1: a section name lacks its closing bracket"},
        {"[Theme]\n[ ]", "line 2: a section has no name"},
        {"Name=x", "line 1: a value stands before the first section"},
        {"[Theme]\nName", "line 2: expected [section] or key=value"},
        {"[Theme]\n=x", "line 2: a value has no key"},
        {"[Theme]\n[theme]", "line 2: the section [theme] appears twice"},
        {"[Theme]\nName=a\nname=b", "line 3: the key name appears twice in [Theme]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_THAT(ErrorOf([&] { TSkinIni::Parse(c.Text); }), HasSubstr(c.Expected));
    }
}
