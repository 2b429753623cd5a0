#include "help/viewer/ChmFile.h"
#include "help/viewer/Sitemap.h"

#include "TempDir.h"

#include <chm_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kHelpFile = VELLICOR_HELP_FILE;

// A file inside the help file, read with chmlib alone.
std::optional<std::string> ReadRaw(chmFile* file, const std::string& path) {
    chmUnitInfo info{};
    if (chm_resolve_object(file, path.c_str(), &info) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    std::string bytes(info.length, '\0');
    if (chm_retrieve_object(file, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(info.length)) !=
        LONGINT64(info.length)) {
        return std::nullopt;
    }
    return bytes;
}

std::uint32_t Dword(const std::string& bytes, std::size_t at) {
    return std::uint32_t(static_cast<unsigned char>(bytes.at(at))) |
           std::uint32_t(static_cast<unsigned char>(bytes.at(at + 1))) << 8 |
           std::uint32_t(static_cast<unsigned char>(bytes.at(at + 2))) << 16 |
           std::uint32_t(static_cast<unsigned char>(bytes.at(at + 3))) << 24;
}

TEST(HelpFileTest, MapsContextOneToATopicInsideTheFileAsHtmlHelpReadsIt) {
    chmFile* file = chm_open(kHelpFile.c_str());
    ASSERT_NE(file, nullptr) << kHelpFile;
    const auto ivb = ReadRaw(file, "/#IVB");
    const auto strings = ReadRaw(file, "/#STRINGS");
    ASSERT_TRUE(ivb && strings);
    ASSERT_GE(ivb->size(), 12u);
    ASSERT_EQ(Dword(*ivb, 0), ivb->size() - 4);
    std::optional<std::string> topic;
    for (std::size_t at = 4; at + 8 <= ivb->size(); at += 8) {
        if (Dword(*ivb, at) == 1) {
            topic = std::string(strings->c_str() + Dword(*ivb, at + 4));
        }
    }
    ASSERT_TRUE(topic.has_value()) << "context 1 is not mapped";
    // A path inside the file, relative to its root, as Microsoft's compiler writes it; never a path of the
    // machine that built it.
    EXPECT_EQ(*topic, "topics/mainwindow.htm");
    chmUnitInfo info{};
    EXPECT_EQ(chm_resolve_object(file, ("/" + *topic).c_str(), &info), CHM_RESOLVE_SUCCESS);
    chm_close(file);
}

TEST(HelpFileTest, NamesItsTitleContentsIndexAndADefaultTopicThatExist) {
    auto file = TChmFile::Open(kHelpFile);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Title(), "Vellicor Help");
    EXPECT_EQ(file->DefaultTopic(), "/topics/welcome.htm");
    EXPECT_TRUE(file->Exists(file->DefaultTopic()));
    EXPECT_EQ(file->TopicOfContext(1), "/topics/mainwindow.htm");
    EXPECT_EQ(file->TopicOfContext(2), "/topics/stillblocked.htm");
    EXPECT_EQ(file->TopicOfContext(3), std::nullopt);
    ASSERT_TRUE(file->Exists(file->ContentsFile()));
    ASSERT_TRUE(file->Exists(file->IndexFile()));

    const auto contents = ParseSitemap(*file->Read(file->ContentsFile()));
    ASSERT_EQ(contents.size(), 5u);
    EXPECT_EQ(contents[1].Name, "Using Vellicor");
    EXPECT_EQ(contents[1].Children.size(), 5u);
    std::vector<const TSitemapItem*> pending;
    for (const auto& item : contents) {
        pending.push_back(&item);
    }
    for (const auto& item : ParseSitemap(*file->Read(file->IndexFile()))) {
        EXPECT_TRUE(file->Exists(item.Local)) << "index: " << item.Name;
    }
    int topics = 0;
    while (!pending.empty()) {
        const TSitemapItem* item = pending.back();
        pending.pop_back();
        EXPECT_TRUE(file->Exists(item->Local)) << "contents: " << item->Name;
        ++topics;
        for (const auto& child : item->Children) {
            pending.push_back(&child);
        }
    }
    EXPECT_EQ(topics, 10);
}

// Every link and picture of every page leads somewhere inside the file (or to the web).
TEST(HelpFileTest, HasNoBrokenLinksOrPictures) {
    auto file = TChmFile::Open(kHelpFile);
    ASSERT_NE(file, nullptr);
    const std::regex reference(R"re((?:href|src)="([^"]*)")re", std::regex::icase);
    int checked = 0;
    for (const std::string& path : file->List()) {
        if (!path.ends_with(".htm")) {
            continue;
        }
        const std::string page = *file->Read(path);
        const std::string folder = path.substr(0, path.rfind('/') + 1);
        for (std::sregex_iterator it(page.begin(), page.end(), reference), end; it != end; ++it) {
            std::string target = (*it)[1].str();
            if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0) {
                continue;
            }
            target = target.substr(0, target.find('#'));
            std::string resolved = folder + target;
            // Fold "dir/../" away.
            for (std::size_t up; (up = resolved.find("/../")) != std::string::npos;) {
                const std::size_t start = resolved.rfind('/', up - 1);
                resolved.erase(start, up + 3 - start);
            }
            EXPECT_TRUE(file->Exists(resolved)) << path << " -> " << (*it)[1].str();
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

TEST(HelpFileTest, RefusesFilesThatAreNoHelpFiles) {
    testsupport::TTempDir folder;
    const std::string whole = testsupport::ReadFileBytes(kHelpFile);
    ASSERT_FALSE(whole.empty());
    // The help file with one byte of an uncompressed inner file changed.
    const auto damaged = [&](const char* path, std::size_t at, char value) {
        chmFile* file = chm_open(kHelpFile.c_str());
        EXPECT_NE(file, nullptr);
        chmUnitInfo info{};
        EXPECT_EQ(chm_resolve_object(file, path, &info), CHM_RESOLVE_SUCCESS) << path;
        chm_close(file);
        std::string bytes = whole;
        bytes.at(Dword(whole, 0x58) + info.start + at) = value; // 0x58: where the uncompressed section starts
        return bytes;
    };
    // The parameters of the compressed pages, which chmlib trusts: a block length that does not fit 32 bits
    // sent its reads past its buffers; a control data version other than 2 left a window LZX cannot have.
    const char* resetTable =
        "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
    const std::string hugeBlocks = damaged(resetTable, 0x25, '\xA3');
    const std::string tinyWindow = damaged("::DataSpace/Storage/MSCompressed/ControlData", 9, '\xBD');
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"text", "This is no help file at all."},
        {"header only", whole.substr(0, 0x60)},
        {"block length out of range", hugeBlocks},
        {"window LZX cannot have", tinyWindow},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        testsupport::WriteFileBytes(folder / name, bytes);
        EXPECT_EQ(TChmFile::Open((folder / name).string()), nullptr);
    }
    EXPECT_EQ(TChmFile::Open((folder / "missing.chm").string()), nullptr);
}

// Help files that crashed chmlib, sent it into an endless loop or made it ask for gigabytes when it read
// them as the help window does; found by fuzzing the reader and reproduced on a small compiled help file.
// Each is refused as damaged.
TEST(HelpFileTest, RefusesFilesThatWouldLeadChmlibAstray) {
    const struct {
        const char* file;
        const char* fault;
    } cases[] = {
        {"chunk-length-tiny.chm", "directory chunks of 2 bytes: their marker is read past the buffer"},
        {"chunk-length-short-of-header.chm", "directory chunks shorter than their header: read past the buffer"},
        {"chunk-length-huge.chm", "directory chunks of 2 GB: a buffer that large for every lookup"},
        {"entry-past-chunk-end.chm", "an entry whose numbers run on past the end of its chunk"},
        {"listing-chunks-in-a-circle.chm", "a listing chunk whose next chunk is itself: listing never ends"},
        {"index-chunk-leading-to-itself.chm", "an index chunk that leads to itself: a lookup never ends"},
        {"window-of-one-byte.chm", "compression parameters chmlib refuses and then divides by"},
        {"section-that-does-not-exist.chm", "an entry in a third section, read as compressed before chmlib can"},
        {"compressed-block-beyond-its-buffer.chm", "a compressed block longer than chmlib's buffer for it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + ": " + c.fault);
        const std::string path = std::string(VELLICOR_DAMAGED_HELP_FOLDER) + "/" + c.file;
        ASSERT_FALSE(testsupport::ReadFileBytes(path).empty());
        EXPECT_EQ(TChmFile::Open(path), nullptr);
    }
}

// What is read from a sound file is kept and found as chmlib finds it: by any letter case, with or without
// the leading "/"; the file's own records are not among its files.
TEST(HelpFileTest, FindsFilesInsideByAnyLetterCase) {
    auto file = TChmFile::Open(kHelpFile);
    ASSERT_NE(file, nullptr);
    const auto page = file->Read("/topics/welcome.htm");
    ASSERT_TRUE(page.has_value());
    EXPECT_NE(page->find("<html"), std::string::npos);
    EXPECT_EQ(file->Read("TOPICS/Welcome.HTM"), page);
    EXPECT_TRUE(file->Exists("/#SYSTEM"));
    EXPECT_FALSE(file->Exists("/topics/missing.htm"));
    EXPECT_FALSE(file->Exists("::DataSpace/Storage/MSCompressed/ControlData"));
    const std::vector<std::string> listed = file->List();
    EXPECT_NE(std::find(listed.begin(), listed.end(), "/topics/welcome.htm"), listed.end());
    for (const std::string& path : listed) {
        EXPECT_TRUE(path.rfind("/#", 0) != 0 && path.rfind("/$", 0) != 0 && path.back() != '/') << path;
    }
}

TEST(SitemapTest, ReadsNestedEntriesTolerantly) {
    const std::string text = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>
<UL>
 <LI> <OBJECT type="text/sitemap"><param name="Name" value="One &amp; only"><param name="Local" value="a.htm"></OBJECT>
 <UL>
   <LI><object TYPE='text/sitemap'><PARAM NAME=name VALUE=Two><param name="Local" value="b.htm"><param name="Local" value="c.htm"></object>
 </UL>
 <!-- <LI><OBJECT type="text/sitemap"><param name="Name" value="hidden"></OBJECT> -->
 <LI><OBJECT type="text/sitemap"><param name="Name" value="&#51;&#x34;"><param name="Local" value="d.htm"></OBJECT>
</UL></BODY></HTML>)";
    const auto items = ParseSitemap(text);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Name, "One & only");
    EXPECT_EQ(items[0].Local, "a.htm");
    ASSERT_EQ(items[0].Children.size(), 1u);
    EXPECT_EQ(items[0].Children[0].Name, "Two");
    EXPECT_EQ(items[0].Children[0].Local, "b.htm");
    EXPECT_EQ(items[1].Name, "34");

    // A value made of nothing but ampersands is read in one pass, however long it is.
    const std::string ampersands(std::size_t(4) << 20, '&');
    const auto odd = ParseSitemap(R"(<UL><LI><OBJECT type="text/sitemap"><param name="Name" value=")" + ampersands +
                                  R"("><param name="Local" value="e.htm"></OBJECT></UL>)");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].Name, ampersands);
    EXPECT_EQ(odd[0].Local, "e.htm");

    // Unclosed and surplus lists, cut-off tags and deep nesting neither crash nor lose entries.
    std::string deep = "<UL>";
    for (int i = 0; i < 1000; ++i) {
        deep += R"(<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="x"></OBJECT>)";
    }
    deep += "</UL></UL></UL><OBJECT type=\"text/sitemap\"><param name=\"Name";
    std::size_t count = 0;
    std::vector<const TSitemapItem*> pending;
    const auto deepItems = ParseSitemap(deep);
    for (const auto& item : deepItems) {
        pending.push_back(&item);
    }
    while (!pending.empty()) {
        const TSitemapItem* item = pending.back();
        pending.pop_back();
        ++count;
        for (const auto& child : item->Children) {
            pending.push_back(&child);
        }
    }
    EXPECT_EQ(count, 1000u);
}

} // namespace
