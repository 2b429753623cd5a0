// The Linux stand-in for the current user's hive: a Wine prefix's user.reg, read as wineserver reads it
// and rewritten so that nothing else in it changes, never while Wine runs, never half way.
#include "platform/linux/WineHive.h"
#include "platform/Registry.h"

#include "FakeWineServer.h"
#include "ScratchHive.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <linux/fs.h>
#include <memory>
#include <regex>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::wine::THiveFile;
using platform::wine::TValueData;
namespace reg = platform::reg;

namespace {

const std::string Security = "Software\\Microsoft\\Office\\16.0\\Outlook\\Security";
// 2024-01-02 03:04:05 UTC, as Wine writes it: seconds since 1970 and ticks since 1601 in hex.
constexpr platform::wine::TTicks Now = 133486382450000000ULL;
const std::string NowSeconds = "1704164645";
const std::string NowTime = "1da3d285848c080";

std::string Fixture() {
    return testsupport::ReadFileBytes(testsupport::DataFile("platform/tests/data/user.reg"));
}

std::string Header() {
    return testsupport::EmptyUserReg();
}

std::string Printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\n') {
            text += "\\n\n";
        } else if (c < 32 || c >= 127) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            text += buffer;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// Handles on the current hive (the prefix in WINEPREFIX), closed by the destructor.
class TKey {
public:
    TKey(std::string_view path, std::uint32_t access, bool create) {
        FStatus = create ? platform::CurrentUserRegistry().CreateKey(path, access, FKey)
                         : platform::CurrentUserRegistry().OpenKey(path, access, FKey);
        FDetail = platform::CurrentUserRegistry().LastFailureDetail();
    }
    ~TKey() {
        if (FStatus == reg::Success) {
            platform::CurrentUserRegistry().CloseKey(FKey);
        }
    }
    long Status() const { return FStatus; }
    const std::string& Detail() const { return FDetail; }
    platform::TRegKey Handle() const { return FKey; }

    long Set(std::string_view name, const std::string& data, std::uint32_t type = reg::TypeSz) {
        const long status = platform::CurrentUserRegistry().SetValue(
            FKey, name, type, reinterpret_cast<const unsigned char*>(data.data()),
            static_cast<std::uint32_t>(data.size()));
        FDetail = platform::CurrentUserRegistry().LastFailureDetail();
        return status;
    }
    std::optional<TValueData> Get(std::string_view name) {
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        auto& registry = platform::CurrentUserRegistry();
        if (registry.QueryValue(FKey, name, &type, nullptr, &size) != reg::Success) {
            return std::nullopt;
        }
        std::string data(size, '\0');
        if (registry.QueryValue(FKey, name, &type, reinterpret_cast<unsigned char*>(data.data()), &size) !=
            reg::Success) {
            return std::nullopt;
        }
        return TValueData{type, data};
    }

private:
    platform::TRegKey FKey = 0;
    long FStatus = 0;
    std::string FDetail;
};

// A Wine prefix of the test's own holding the given user.reg; WINEPREFIX points at it.
class TPrefix {
public:
    explicit TPrefix(const std::string& userReg) : FEnv("WINEPREFIX", FFolder.Path().string()) {
        testsupport::WriteFileBytes(UserReg(), userReg);
    }
    fs::path Folder() const { return FFolder.Path(); }
    fs::path UserReg() const { return FFolder / "user.reg"; }
    std::string Bytes() const { return testsupport::ReadFileBytes(UserReg()); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FFolder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    testsupport::TTempDir FFolder;
    testsupport::TScopedEnv FEnv;
};

} // namespace

TEST(WineHive, readsEveryFormWineWrites) {
    const THiveFile hive(Fixture());
    ASSERT_TRUE(hive.HasHeader());
    EXPECT_EQ(hive.Problem(), "");
    struct TCase {
        const char* Key;
        const char* Name;
        std::uint32_t Type;
        std::string Data;
    };
    using namespace std::string_literals;
    const TCase cases[] = {
        {"Control Panel\\Desktop", "Escapes", reg::TypeSz,
         "back\\slash \"quoted\" tab\there \xe2\x82\xac\xc3\xa9 octalA bell\a\0"s},
        {"Control Panel\\Desktop", "Raw UTF-8", reg::TypeSz, "caf\xc3\xa9\0"s},
        {"Control Panel\\Desktop", "Plain", reg::TypeSz, "plain str\0"s},
        {"Control Panel\\Desktop", "Expand", reg::TypeExpandSz, "%USERPROFILE%\\x\0"s},
        {"Control Panel\\Desktop", "Multi", reg::TypeMultiSz, "one\0two\0\0"s},
        {"Control Panel\\Desktop", "Dword", reg::TypeDword, "\x2a\0\0\0"s},
        {"Control Panel\\Desktop", "Binary", reg::TypeBinary, "\x01\x02\xff"s},
        {"Control Panel\\Desktop", "Wrapped", reg::TypeBinary,
         "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a"s},
        {"Control Panel\\Desktop", "Qword", 0xb, "\x01\0\0\0\0\0\0\0"s},
        {"Control Panel\\Desktop", "Utf16", reg::TypeSz, "AB\0"s},
        {"Control Panel\\Desktop", "NoneType", reg::TypeNone, ""s},
        {"Control Panel\\Desktop", "", reg::TypeSz, "default\0"s},
        {"control panel\\DESKTOP\\", "plain", reg::TypeSz, "plain str\0"s},
        {"Software\\Microsoft\\Office\\16.0\\Outlook\\Security", "Level1Add", reg::TypeSz, ".exe;.com\0"s},
        {"Software\\Microsoft\\Office\\16.0\\Outlook\\Security", "Level1Remove", reg::TypeSz, "\0"s},
        {"SOFTWARE\\VELLICOR\\case", "twice", reg::TypeSz, "second\0"s},
        {"Software\\Vellicor\\Case", "Merged", reg::TypeSz, "from the second section\0"s},
        {"Software\\Vellicor\\Brackets[x]", "Name with \"quotes\"", reg::TypeSz, "v\0"s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + " " + c.Name);
        const auto value = hive.Value(c.Key, c.Name);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->Type, c.Type);
        EXPECT_EQ(Printable(value->Data), Printable(c.Data));
    }
    EXPECT_FALSE(hive.Value("Control Panel\\Desktop", "Missing"));
    EXPECT_FALSE(hive.Value("Control Panel", "Plain"));

    for (const char* key : {"", "Software", "software\\microsoft", "Control Panel\\Desktop\\", "Software\\Vellicor"}) {
        EXPECT_TRUE(hive.KeyExists(key)) << key;
    }
    for (const char* key : {"Software\\Micro", "Control Panel\\Desktop\\Sub", "Security"}) {
        EXPECT_FALSE(hive.KeyExists(key)) << key;
    }
}

TEST(WineHive, writesValuesThatReadBackTheSame) {
    using namespace std::string_literals;
    struct TCase {
        const char* Name;
        TValueData Value;
        std::string Line; // as written after the name; empty: not checked
        std::string ReadBack;
    };
    const TCase cases[] = {
        {"text", {reg::TypeSz, ".exe;.com\0"s}, "\".exe;.com\"", ".exe;.com\0"s},
        {"empty text", {reg::TypeSz, "\0"s}, "\"\"", "\0"s},
        {"escapes",
         {reg::TypeSz, "a\\b\"c\tn\n\x01"
                       "7\x1f\0"s},
         "\"a\\\\b\\\"c\\tn\\n\\0017\\37\"",
         ""},
        {"non-ASCII",
         {reg::TypeSz, "\xc3\xa9"
                       "a\xe2\x82\xac"
                       "1\xf0\x9f\x98\x80\0"s},
         "\"\\x00e9a\\x20ac1\\xd83d\\xde00\"",
         ""},
        {"zero inside", {reg::TypeSz, "a\0b\0"s}, "\"a\\0b\"", ""},
        {"bytes that are no UTF-8", {reg::TypeSz, "\xff\0"s}, "\"\\xfffd\"", "\xef\xbf\xbd\0"s},
        {"text without its zero", {reg::TypeSz, "AB"s}, "hex(1):41,00,42,00", ""},
        {"expandable", {reg::TypeExpandSz, "%TEMP%\0"s}, "str(2):\"%TEMP%\"", ""},
        {"multi", {reg::TypeMultiSz, "a\0b\0\0"s}, "str(7):\"a\\0b\\0\"", ""},
        {"dword", {reg::TypeDword, "\x78\x56\x34\x12"s}, "dword:12345678", ""},
        {"short dword", {reg::TypeDword, "\x01\x02"s}, "hex(4):01,02", ""},
        {"binary", {reg::TypeBinary, "\x00\xff"s}, "hex:00,ff", ""},
        {"empty binary", {reg::TypeBinary, ""s}, "hex:", ""},
        {"long binary", {reg::TypeBinary, std::string(100, '\x5a')}, "", ""},
        {"other type", {0x12345, "\x01"s}, "hex(12345):01", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const THiveFile written(THiveFile(Header()).WithValue("Software\\Test", "Value", c.Value, Now));
        EXPECT_EQ(written.Problem(), "");
        const std::string expectedStart =
            Header() + "\n[Software\\\\Test] " + NowSeconds + "\n#time=" + NowTime + "\n\"Value\"=";
        ASSERT_EQ(written.Bytes().substr(0, expectedStart.size()), expectedStart);
        if (!c.Line.empty()) {
            EXPECT_EQ(written.Bytes().substr(expectedStart.size()), c.Line + "\n");
        }
        const auto value = written.Value("Software\\Test", "Value");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->Type, c.Value.Type);
        EXPECT_EQ(Printable(value->Data), Printable(c.ReadBack.empty() ? c.Value.Data : c.ReadBack));
    }
}

TEST(WineHive, editsOnlyTheLinesOfTheValueAndItsKeyTimestamps) {
    using namespace std::string_literals;
    const std::string h = Header();
    const std::string stamp = " " + NowSeconds;
    const std::string time = "#time=" + NowTime;
    struct TCase {
        const char* Name;
        std::string Before;
        std::string Key;
        std::string Value;
        std::string After;
    };
    const TCase cases[] = {
        {"existing value", h + "\n[A] 1\n#time=1\n\"v\"=\"old\"\n\"w\"=\"keep\"\n", "A", "v",
         h + "\n[A]" + stamp + "\n" + time + "\n\"v\"=\"new\"\n\"w\"=\"keep\"\n"},
        {"spelling and indent of the name stay", h + "\n[A] 1\n  \"LEVEL1add\" = \"old\" ; note\n", "a", "Level1Add",
         h + "\n[A]" + stamp + "\n  \"LEVEL1add\"=\"new\"\n"},
        {"new value goes among the others in name order", h + "\n[A] 1\n#time=1\n\"a\"=\"1\"\n\"x\"=\"3\"\n", "A", "v",
         h + "\n[A]" + stamp + "\n" + time + "\n\"a\"=\"1\"\n\"v\"=\"new\"\n\"x\"=\"3\"\n"},
        {"new value in a key without values", h + "\n[A] 1\n#time=1\n#class=\"c\"\n\n[B] 2\n", "A", "v",
         h + "\n[A]" + stamp + "\n" + time + "\n#class=\"c\"\n\"v\"=\"new\"\n\n[B] 2\n"},
        {"new key at the end, spelled as the keys above it", h + "\n[Software\\\\Wine] 1\n", "SOFTWARE\\wine\\New\\Key",
         "v",
         h + "\n[Software\\\\Wine] 1\n\n[Software\\\\Wine\\\\New\\\\Key]" + stamp + "\n" + time + "\n\"v\"=\"new\"\n"},
        {"file without a last line end", h + "\n[A] 1\n\"a\"=\"1\"", "A", "v",
         h + "\n[A]" + stamp + "\n\"a\"=\"1\"\n\"v\"=\"new\""},
        {"CRLF section stays CRLF", h + "\n[A] 1\r\n#time=1\r\n\"v\"=\"old\"\r\n", "A", "v",
         h + "\n[A]" + stamp + "\r\n" + time + "\r\n\"v\"=\"new\"\r\n"},
        {"CRLF file gets a CRLF key", "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n", "B", "v",
         "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\r\n[B]" + stamp + "\r\n" + time + "\r\n\"v\"=\"new\"\r\n"},
        {"hex data over several lines becomes one line", h + "\n[A] 1\n\"v\"=hex:01,\\\n  02\n\"w\"=\"keep\"\n", "A",
         "v", h + "\n[A]" + stamp + "\n\"v\"=\"new\"\n\"w\"=\"keep\"\n"},
        {"every occurrence, in every section of the key",
         h + "\n[A] 1\n\"v\"=\"1\"\n\n[B] 2\n\"v\"=\"other\"\n\n[a] 3\n\"V\"=\"2\"\n", "A", "v",
         h + "\n[A]" + stamp + "\n\"v\"=\"new\"\n\n[B] 2\n\"v\"=\"other\"\n\n[a]" + stamp + "\n\"V\"=\"new\"\n"},
        {"new value in the last section of the key", h + "\n[A] 1\n\"a\"=\"1\"\n\n[a] 3\n\"b\"=\"2\"\n", "A", "v",
         h + "\n[A] 1\n\"a\"=\"1\"\n\n[a]" + stamp + "\n\"b\"=\"2\"\n\"v\"=\"new\"\n"},
        {"a key header without seconds is left alone", h + "\n[A]\n\"v\"=\"old\"\n", "A", "v",
         h + "\n[A]\n\"v\"=\"new\"\n"},
        {"an empty #time line that ends the file", h + "\n[A]x1\n#time=", "A", "v",
         h + "\n[A]x1\n" + time + "\n\"v\"=\"new\""},
        {"the default value", h + "\n[A] 1\n", "A", "", h + "\n[A]" + stamp + "\n@=\"new\"\n"},
        {"comments and unknown lines stay", h + "; comment\n\n[A] 1\n; inside\nnonsense here\n\"v\"=\"old\"\n", "A",
         "v", h + "; comment\n\n[A]" + stamp + "\n; inside\nnonsense here\n\"v\"=\"new\"\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const THiveFile before(c.Before);
        ASSERT_EQ(before.Problem(), "");
        const std::string after = before.WithValue(c.Key, c.Value, {reg::TypeSz, "new\0"s}, Now);
        EXPECT_EQ(Printable(after), Printable(c.After));
        EXPECT_EQ(THiveFile(after).Value(c.Key, c.Value), (TValueData{reg::TypeSz, "new\0"s}));
    }
}

TEST(WineHive, addsAMissingKeyAsASectionAtTheEndAndNothingForOneThatExists) {
    const std::string h = Header();
    const THiveFile hive(h + "\n[Software\\\\Wine\\\\Sub] 1\n");
    EXPECT_EQ(hive.WithKey("software\\wine", Now), hive.Bytes()); // exists through its subkey
    EXPECT_EQ(hive.WithKey("Software\\Wine\\Sub\\", Now), hive.Bytes());
    EXPECT_EQ(hive.WithKey("Software\\Wine\\Other\\Deep", Now),
              hive.Bytes() + "\n[Software\\\\Wine\\\\Other\\\\Deep] " + NowSeconds + "\n#time=" + NowTime + "\n");
    EXPECT_EQ(hive.WithKey("Brackets[1]", Now),
              hive.Bytes() + "\n[Brackets\\[1\\]] " + NowSeconds + "\n#time=" + NowTime + "\n");
}

TEST(WineHive, findsWhatItCannotReadAndIgnoresAFileWithoutTheHeader) {
    const std::string h = Header();
    struct TCase {
        const char* Name;
        std::string Bytes;
        bool HasHeader;
        std::string Problem;
    };
    const TCase cases[] = {
        {"older version", "WINE REGISTRY Version 1\n\n[A] 1\n\"v\"=\"1\"\n", false, "it does not start"},
        {"byte order mark", "\xef\xbb\xbfWINE REGISTRY Version 2\n[A] 1\n", false, "it does not start"},
        {"empty file", "", false, "it does not start"},
        {"value name without its quote", h + "\n[A] 1\n\"v=1\n", true, "line 7: a value name"},
        {"value data without its quote", h + "\n[A] 1\n\"v\"=\"1\n", true, "line 7: a value whose data"},
        {"unknown type", h + "\n[A] 1\n\"v\"=qword:1\n", true, "line 7: a value whose data"},
        {"no equals sign", h + "\n[A] 1\n\"v\" \"1\"\n", true, "line 7: a value whose data"},
        {"key without its bracket", h + "\n[A 1\n\"v\"=\"1\"\n", true, "line 6: a key name"},
        {"value before any key", h + "\"v\"=\"1\"\n", true, "line 5: a value that belongs"},
        {"hex going on past the end", h + "\n[A] 1\n\"v\"=hex:01,\\", true, "line 7: a value whose data"},
        {"hex followed by text", h + "\n[A] 1\n\"v\"=hex:01,zz\n", true, "line 7: a value whose data"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const THiveFile hive(c.Bytes);
        EXPECT_EQ(hive.HasHeader(), c.HasHeader);
        EXPECT_EQ(hive.Problem().substr(0, c.Problem.size()), c.Problem) << hive.Problem();
        if (!c.HasHeader) {
            EXPECT_FALSE(hive.KeyExists("A"));
            EXPECT_FALSE(hive.KeyExists(""));
        }
    }
    // As in Wine, a value whose data cannot be read is an empty REG_NONE, and the others are read.
    const THiveFile hive(h + "\n[A] 1\n\"bad\"=\"1\n\"good\"=\"2\"\n");
    EXPECT_EQ(hive.Value("A", "bad"), (TValueData{reg::TypeNone, ""}));
    EXPECT_EQ(hive.Value("A", "good"), (TValueData{reg::TypeSz, std::string("2\0", 2)}));
}

// The index keeps each path as the part it shares with the path before it and the rest. A key's sections are
// its own alone, whether a neighbour shares more, less or as much of the path as the last one matched, or goes
// on past the key without a backslash; values cannot show this, as a section of another key has none of its own.
TEST(WineHiveIndex, findsEachKeysOwnSectionsAmongNeighbours) {
    const std::string bytes = Header() + "\n[A\\\\B\\\\C] 1\n[A\\\\B] 2\n[A\\\\BC] 3\n[A\\\\BCD] 4\n[A] 5\n[AB] 6\n"
                                         "[a\\\\b\\\\c] 7\n[A\\\\B\\\\D] 8\n[B\\\\A] 9\n";
    platform::wine::THiveIndex index;
    index.Feed(bytes);
    index.Finish();
    const std::tuple<const char*, bool, std::vector<std::string>> cases[] = {
        {"a\\b", true, {"[A\\\\B] 2"}},
        {"A\\B\\C", true, {"[A\\\\B\\\\C] 1", "[a\\\\b\\\\c] 7"}},
        {"A\\BC", true, {"[A\\\\BC] 3"}},
        {"A\\BCD", true, {"[A\\\\BCD] 4"}},
        {"A\\B\\D", true, {"[A\\\\B\\\\D] 8"}},
        {"A", true, {"[A] 5"}},
        {"AB", true, {"[AB] 6"}},
        {"B", true, {}},
        {"A\\B\\C\\D", false, {}},
        {"A\\BCDE", false, {}},
    };
    for (const auto& [key, exists, headers] : cases) {
        std::vector<std::string> found;
        for (const auto& range : index.Sections(key)) {
            const std::string section = bytes.substr(range.Begin, range.End - range.Begin);
            found.push_back(section.substr(0, section.find('\n')));
        }
        EXPECT_EQ(found, headers) << key;
        EXPECT_EQ(index.KeyExists(key), exists) << key;
    }
}

// An index made for some keys keeps the sections of those keys and of the keys below them, as an index of every
// key finds them, and answers for no other key: not for one above them, nor for a neighbour whose name only
// begins the same.
TEST(WineHiveIndex, keepsTheKeysOfItsScopeAsAnIndexOfEveryKeyDoes) {
    const std::string bytes = Header() + "\n[A\\\\B] 1\n\"v\"=\"1\"\n[A\\\\BC] 2\n[a\\\\b\\\\C] 3\n[A] 4\n[D\\\\E] 5\n"
                                         "[X] 6\n[A\\\\B] 7\n\"w\"=hex:01,\\\n  02\n[D\\\\E\\\\F] 8\n";
    platform::wine::THiveIndex every;
    platform::wine::THiveIndex scoped(false, {"a\\b", "\\D\\\\E\\"});
    for (auto* index : {&every, &scoped}) {
        index->Feed(bytes);
        index->Finish();
    }
    const std::pair<const char*, bool> cases[] = {
        {"A\\B", true}, {"a\\B\\c", true}, {"A\\B\\Y", true}, {"d\\e", true}, {"D\\E\\F", true},
        {"A", false},   {"A\\BC", false},  {"", false},       {"D", false},   {"X", false},
    };
    const auto headers = [&bytes](const platform::wine::THiveIndex& index, const char* key) {
        std::vector<std::string> found;
        for (const auto& range : index.Sections(key)) {
            found.push_back(bytes.substr(range.Begin, bytes.find('\n', range.Begin) - range.Begin));
        }
        return found;
    };
    for (const auto& [key, covered] : cases) {
        EXPECT_EQ(scoped.Covers(key), covered) << key;
        EXPECT_TRUE(every.Covers(key)) << key;
        if (covered) {
            EXPECT_EQ(scoped.KeyExists(key), every.KeyExists(key)) << key;
            EXPECT_EQ(headers(scoped, key), headers(every, key)) << key;
        }
    }
    EXPECT_EQ(headers(scoped, "A\\B"), (std::vector<std::string>{"[A\\\\B] 1", "[A\\\\B] 7"}));
}

// Reading goes through the index of a hive's keys and the bytes of one key's sections, and writing edits the
// key's section alone: each must find and change what the whole parse does in every file, however the file's
// bytes arrive, including where a line's first character misleads (hex data that goes on over a line starting
// with a bracket, a key that cannot be read), and refuse the same files for the same first problem.
TEST(WineHiveIndex, findsAndChangesWhatTheWholeParseDoes) {
    using namespace std::string_literals;
    const std::string h = Header();
    const std::pair<const char*, std::string> files[] = {
        {"every form Wine writes", Fixture()},
        {"hex data going on over a bracket line", h + "\n[A] 1\n\"v\"=hex:01,\\\n[B] 2\n\"w\"=\"x\"\n"},
        {"hex data going on after a backslash and text", h + "\n[A] 1\n@=hex(7):41,00,\\ x\n  [B] 2\n\"w\"=\"x\"\n"},
        {"hex data going on twice", h + "\n[A] 1\n\"v\"=hex:01,\\\n 02,\\\n[B]\n[C]\n\"w\"=\"x\"\n"},
        {"string ending in a backslash", h + "\n[A] 1\n\"v\"=\"C:\\\\\"\n[B] 2\n\"w\"=\"x\"\n"},
        {"unreadable string ending in a backslash", h + "\n[A] 1\n\"v\"=\"C:\\\n[B] 2\n\"w\"=\"x\"\n"},
        {"unreadable name then a key", h + "\n[A] 1\n\"v\\\"=hex:01,\\\n[B] 2\n"},
        {"key that cannot be read", h + "\n[A] 1\n\"v\"=\"1\"\n[B 2\n\"w\"=\"2\"\n[a] 3\n\"V\"=\"3\"\n"},
        {"key split over sections", h + "\n[A\\\\B] 1\n\"v\"=\"1\"\n[C]\n[a\\\\b]\n\"w\"=\"2\"\n\"v\"=dword:2\n"},
        {"line ends CRLF", "WINE REGISTRY Version 2\r\n\r\n[A] 1\r\n\"v\"=hex:01,\\\r\n  02\r\n\"w\"=\"x\"\r\n"},
        {"zero bytes", h + "\n[A] 1\n\"v\"=\"1\"\0\\\n[B\\\\\0C]\n\"w\"=\"2\"\n[C]\n\"v\"=\"3\"\0junk\n"s},
        {"no line end at the end", h + "\n[A] 1\n\"v\"=hex:01,\\"},
        {"indented lines", h + "\n  [A] 1\n\t\"v\"=\"1\"\n \"w\"=hex:02\n"},
        {"value before any key", h + "\"v\"=hex:01,\\\n[A]\n\"v\"=\"1\"\n"},
        {"no header", "WINE REGISTRY Version 1\n[A] 1\n\"v\"=\"1\"\n"},
        {"empty", ""},
        {"unreadable hex data after a bracket line", h + "\n[A] 1\n\"v\"=hex:01,\\\n[B] 2\n\"w\"=hex:zz\n"},
        {"unreadable data in a later section", h + "\n[A] 1\n\"v\"=\"1\"\n[B] 2\n\"w\"=qword:1\n"},
        {"hex data going on past the end", h + "\n[A] 1\n\"v\"=hex:01,\\\n 02,\\\n"},
        {"value name without its quote", h + "\n[A] 1\n\"v=1\n\"w\"=\"x\"\n"},
        {"new value and a line end missing", h + "\n[A] 1\n#time=1\n\"x\"=\"1\""},
        {"values among others", h + "\n[C]\n[A] 1\n#time=1\n\"a\"=\"1\"\n\"V\"=dword:1\n\"z\"=\"2\"\n\n[D]\n"},
        {"key names with empty elements", h + "\n[\\\\A\\\\\\\\B\\\\] 1\n\"v\"=\"1\"\n[B\\\\\\\\] 2\n\"w\"=\"2\"\n"},
        {"neighbours sharing parts of their paths",
         h + "\n[A\\\\B\\\\C] 1\n\"v\"=\"1\"\n[A\\\\B] 2\n\"v\"=\"2\"\n[A\\\\BC] 3\n\"v\"=\"3\"\n[A\\\\BCD] "
             "4\n\"v\"=\"4\"\n"
             "[A] 5\n\"w\"=\"5\"\n[AB] 6\n\"v\"=\"6\"\n[a\\\\b\\\\c] 7\n\"w\"=\"7\"\n[A\\\\B\\\\D] "
             "8\n\"v\"=\"8\"\n[B\\\\A] 9\n"
             "\"v\"=\"9\"\n"},
        // Folding beyond ASCII, characters of two, three and four bytes, and a pair of surrogates escaped.
        {"keys beyond ASCII", h + "\n[CAF\xc3\x89\\\\\xd0\x94\\\\x] 1\n\"v\"=\"1\"\n[\\xd83d\\xde00] 2\n\"w\"=\"2\"\n"
                                  "[\xe2\x82\xac\\\\\xf0\x9f\x98\x80] 3\n\"v\"=\"3\"\n[caf\xc3\xa9] 4\n\"w\"=\"4\"\n"},
    };
    const char* const keys[] = {"",
                                "A",
                                "a\\B",
                                "B",
                                "C",
                                "Control Panel\\Desktop",
                                "Software\\Vellicor\\Case",
                                "Software\\Microsoft\\Office\\16.0\\Outlook\\Security",
                                "Caf\xc3\xa9",
                                "caf\xc3\xa9\\\xd0\xb4",
                                "Caf",
                                "A\\B\\C",
                                "A\\BC",
                                "AB",
                                "A\\B\\C\\D",
                                "A\\B\\D",
                                "\xf0\x9f\x98\x80",
                                "\xe2\x82\xac"};
    const char* const names[] = {"v", "w", "", "Plain", "Wrapped", "Level1Add", "twice", "Merged"};
    const TValueData value{reg::TypeSz, std::string("new\0", 4)};
    for (const auto& [what, bytes] : files) {
        const THiveFile whole(bytes);
        const platform::wine::THiveEdit edit(bytes);
        SCOPED_TRACE(what);
        EXPECT_EQ(edit.HasHeader(), whole.HasHeader());
        EXPECT_EQ(edit.Problem(), whole.Problem());
        for (const char* key : keys) {
            EXPECT_EQ(edit.KeyExists(key), whole.KeyExists(key)) << key;
            EXPECT_EQ(edit.WithKey(std::string(key) + "\\New", Now), whole.WithKey(std::string(key) + "\\New", Now));
            for (const char* name : names) {
                EXPECT_EQ(edit.Value(key, name), whole.Value(key, name)) << key << " " << name;
                EXPECT_EQ(Printable(edit.WithValue(key, name, value, Now)),
                          Printable(whole.WithValue(key, name, value, Now)))
                    << key << " " << name;
            }
        }
        for (const std::size_t block : {std::size_t(1), std::size_t(3), std::size_t(64), bytes.size() + 1}) {
            SCOPED_TRACE("read " + std::to_string(block) + " bytes at a time");
            platform::wine::THiveIndex index;
            auto checked = std::make_shared<platform::wine::THiveIndex>(true);
            for (std::size_t at = 0; at < bytes.size(); at += block) {
                index.Feed(std::string_view(bytes).substr(at, block));
                checked->Feed(std::string_view(bytes).substr(at, block));
            }
            index.Finish();
            checked->Finish();
            EXPECT_EQ(index.HasHeader(), whole.HasHeader());
            EXPECT_EQ(index.Problem(), "") << "checked without being asked to";
            // A write takes the index that reading made, checked, instead of reading the lines again.
            const platform::wine::THiveEdit reused(bytes, checked);
            EXPECT_EQ(reused.Problem(), whole.Problem());
            // One that did not check, or was made of other bytes, is not taken.
            EXPECT_EQ(platform::wine::THiveEdit(bytes, std::make_shared<platform::wine::THiveIndex>(index)).Problem(),
                      whole.Problem());
            // Nor one that keeps some keys alone: an edit needs the sections of every key.
            auto scoped = std::make_shared<platform::wine::THiveIndex>(true, std::vector<std::string>{"Z"});
            scoped->Feed(bytes);
            scoped->Finish();
            const platform::wine::THiveEdit passedOver(bytes, scoped);
            EXPECT_EQ(passedOver.KeyExists("A"), whole.KeyExists("A"));
            EXPECT_EQ(passedOver.Value("A", "v"), whole.Value("A", "v"));
            const std::string longer = bytes + "\n[";
            EXPECT_EQ(platform::wine::THiveEdit(longer, checked).Problem(), THiveFile(longer).Problem());
            for (const char* key : {"A", "B", "Software\\Microsoft\\Office\\16.0\\Outlook\\Security"}) {
                EXPECT_EQ(Printable(reused.WithValue(key, "v", value, Now)),
                          Printable(whole.WithValue(key, "v", value, Now)))
                    << key;
            }
            for (const char* key : keys) {
                EXPECT_EQ(index.KeyExists(key), whole.KeyExists(key)) << key;
                std::vector<std::string> sections;
                for (const auto& range : index.Sections(key)) {
                    ASSERT_LE(range.Begin, range.End);
                    ASSERT_LE(range.End, bytes.size());
                    sections.push_back(bytes.substr(range.Begin, range.End - range.Begin));
                }
                for (const char* name : names) {
                    EXPECT_EQ(platform::wine::ValueInSections(key, name, sections), whole.Value(key, name))
                        << key << " " << name;
                }
            }
        }
    }
}

TEST(WineHiveFile, changesNothingWhenNothingIsWritten) {
    const std::string original = Fixture();
    TPrefix prefix(original);
    {
        TKey security(Security, reg::AccessRead, true);
        ASSERT_EQ(security.Status(), reg::Success);
        EXPECT_EQ(security.Get("Level1Add"), (TValueData{reg::TypeSz, std::string(".exe;.com\0", 10)}));
        EXPECT_EQ(security.Get("Level1Remove"), (TValueData{reg::TypeSz, std::string("\0", 1)}));
        EXPECT_FALSE(security.Get("Missing"));
        TKey forWriting(Security, reg::AccessWrite, true);
        EXPECT_EQ(forWriting.Status(), reg::Success);
        TKey parent("Software\\Microsoft", reg::AccessRead, false);
        EXPECT_EQ(parent.Status(), reg::Success);
        TKey missing("Software\\Nothing", reg::AccessRead, false);
        EXPECT_EQ(missing.Status(), reg::FileNotFound);
    }
    EXPECT_EQ(prefix.Bytes(), original);
    EXPECT_EQ(prefix.Files(), std::vector<std::string>{"user.reg"});
}

// Settled, so that the file is trusted as read: its times are older than the file system's tick.
void SetTimesADayAgo(const fs::path& file) {
    const timespec dayAgo[2] = {{time(nullptr) - 86400, 0}, {time(nullptr) - 86400, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), dayAgo, 0), 0);
}

// Also when the file was read before, settled, so that the write takes what reading found.
TEST(WineHiveFile, oneWriteChangesOnlyTheLinesItShould) {
    for (const bool readFirst : {false, true}) {
        SCOPED_TRACE(readFirst ? "read first" : "written at once");
        const std::string original = Fixture();
        TPrefix prefix(original);
        const std::string value(".vbs;\"my file\"\0", 15);
        {
            if (readFirst) {
                SetTimesADayAgo(prefix.UserReg());
                TKey reading(Security, reg::AccessRead, true);
                ASSERT_EQ(reading.Get("Level1Add"), (TValueData{reg::TypeSz, std::string(".exe;.com\0", 10)}));
            }
            TKey security(Security, reg::AccessWrite, true);
            ASSERT_EQ(security.Set("Level1Add", value), reg::Success) << security.Detail();
            EXPECT_EQ(security.Get("Level1Add"), (TValueData{reg::TypeSz, value}));
        }
        const std::string written = prefix.Bytes();
        std::smatch match;
        ASSERT_TRUE(std::regex_search(written, match, std::regex(R"(Security\] (\d+)\r\n#time=([0-9a-f]+)\r\n)")));
        const std::string seconds = match[1];
        const std::string ticks = match[2];
        std::string expected = original;
        const auto replace = [&](const std::string& from, const std::string& to) {
            const auto at = expected.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            expected.replace(at, from.size(), to);
        };
        replace("Security] 1700000001\r\n", "Security] " + seconds + "\r\n");
        replace("#time=1da1b2c3d4e5f61\r\n", "#time=" + ticks + "\r\n");
        replace("\"Level1Add\"=\".exe;.com\"\r\n", "\"Level1Add\"=\".vbs;\\\"my file\\\"\"\r\n");
        EXPECT_EQ(Printable(written), Printable(expected));

        // Both timestamps tell the moment of the write, in Wine's two units.
        const auto now = static_cast<long long>(std::time(nullptr));
        EXPECT_NEAR(std::stoll(seconds), now, 60);
        EXPECT_NEAR(static_cast<double>(std::stoull(ticks, nullptr, 16) / 10000000ULL - 11644473600ULL),
                    static_cast<double>(now), 60);
        // The file as it was stays beside it as the one backup.
        EXPECT_EQ(testsupport::ReadFileBytes(prefix.Folder() / "user.reg.vellicor-backup"), original);
    }
}

TEST(WineHiveFile, refusesToRewriteAFileItCannotReadAndLeavesItAsItWas) {
    using namespace std::string_literals;
    const std::string h = Header();
    const std::string security = "\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook\\\\Security] 1\n";
    struct TCase {
        std::string Bytes;
        std::optional<TValueData> Read; // what reading Level1Add gives, as Wine would read it
    };
    const TCase cases[] = {
        {"WINE REGISTRY Version 1\n" + security + "\"Level1Add\"=\".exe\"\n", std::nullopt},
        {h + "\n[A] 1\n\"v\"=\"unterminated\n", std::nullopt},
        {h + security + "\"Level1Add\"=hex:01,\\", TValueData{reg::TypeNone, ""}},
        {h + security + "\"Level1Add\"=\".exe\"\n\n[A 1\n", TValueData{reg::TypeSz, ".exe\0"s}},
    };
    for (const TCase& c : cases) {
        // Read first, settled, the write takes what reading found.
        for (const bool settled : {false, true}) {
            SCOPED_TRACE(c.Bytes + (settled ? " (settled)" : ""));
            TPrefix prefix(c.Bytes);
            if (settled) {
                SetTimesADayAgo(prefix.UserReg());
            }
            TKey reading(Security, reg::AccessRead, true);
            ASSERT_EQ(reading.Status(), reg::Success);
            EXPECT_EQ(reading.Get("Level1Add"), c.Read);
            TKey created("A\\New", reg::AccessWrite, true);
            EXPECT_EQ(created.Status(), reg::BadDatabase);
            EXPECT_NE(created.Detail().find("cannot be understood (" + THiveFile(c.Bytes).Problem() + ")"),
                      std::string::npos)
                << created.Detail();
            TKey existing(Security, reg::AccessWrite, true);
            EXPECT_NE(existing.Status(), reg::Success);
            EXPECT_EQ(prefix.Bytes(), c.Bytes);
            EXPECT_EQ(prefix.Files(), std::vector<std::string>{"user.reg"});
        }
    }
}

TEST(WineHiveFile, aMissingPrefixIsAnEmptyHiveThatNothingIsCreatedIn) {
    testsupport::TTempDir folder;
    const fs::path prefix = folder / "no-such-prefix";
    testsupport::TScopedEnv env("WINEPREFIX", prefix.string() + "/");
    EXPECT_EQ(TKey("Software", reg::AccessRead, false).Status(), reg::FileNotFound);
    EXPECT_EQ(TKey("", reg::AccessRead, false).Status(), reg::FileNotFound);
    TKey forWriting(Security, reg::AccessWrite, true);
    EXPECT_EQ(forWriting.Status(), reg::FileNotFound);
    EXPECT_NE(forWriting.Detail().find(prefix.string()), std::string::npos) << forWriting.Detail();
    TKey forReading(Security, reg::AccessRead, true);
    ASSERT_EQ(forReading.Status(), reg::Success);
    EXPECT_FALSE(forReading.Get("Level1Add"));
    EXPECT_EQ(forReading.Set("Level1Add", std::string("x\0", 2)), reg::AccessDenied);
    EXPECT_FALSE(fs::exists(prefix));
}

TEST(WineHiveFile, usesHomeDotWineWithoutWinePrefix) {
    testsupport::TTempDir home;
    testsupport::WriteFileBytes(home / ".wine/user.reg", Header() + "\n[Software\\\\Home] 1\n");
    testsupport::TScopedEnv homeEnv("HOME", home.Path().string());
    testsupport::TScopedEnv prefixEnv("WINEPREFIX", "");
    EXPECT_EQ(TKey("Software\\Home", reg::AccessRead, false).Status(), reg::Success);
}

TEST(WineHiveFile, replacesTheFileKeepingItsModeAndLinks) {
    using namespace std::string_literals;
    {
        SCOPED_TRACE("mode");
        TPrefix prefix(Header());
        fs::permissions(prefix.UserReg(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        ASSERT_EQ(TKey("A", reg::AccessWrite, true).Set("v", "1\0"s), reg::Success);
        EXPECT_EQ(fs::status(prefix.UserReg()).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_NE(prefix.Bytes().find("\"v\"=\"1\""), std::string::npos);
    }
    {
        SCOPED_TRACE("symbolic link");
        TPrefix prefix(Header());
        const fs::path real = prefix.Folder() / "elsewhere" / "real.reg";
        testsupport::WriteFileBytes(real, Header());
        fs::remove(prefix.UserReg());
        fs::create_symlink(real, prefix.UserReg());
        ASSERT_EQ(TKey("A", reg::AccessWrite, true).Set("v", "1\0"s), reg::Success);
        EXPECT_TRUE(fs::is_symlink(prefix.UserReg()));
        EXPECT_NE(testsupport::ReadFileBytes(real).find("\"v\"=\"1\""), std::string::npos);
    }
    {
        // A file with other names is still replaced, never written in place: a write in place that is cut
        // short tears the file. The other names keep the file as it was, like the backup.
        SCOPED_TRACE("hard link");
        TPrefix prefix(Header());
        const fs::path other = prefix.Folder() / "other-name.reg";
        fs::create_hard_link(prefix.UserReg(), other);
        ASSERT_EQ(TKey("A", reg::AccessWrite, true).Set("v", "1\0"s), reg::Success);
        EXPECT_EQ(fs::hard_link_count(prefix.UserReg()), 1u);
        EXPECT_NE(prefix.Bytes().find("\"v\"=\"1\""), std::string::npos);
        EXPECT_EQ(testsupport::ReadFileBytes(other), Header());
        EXPECT_EQ(prefix.Files(), (std::vector<std::string>{"other-name.reg", "user.reg", "user.reg.vellicor-backup"}));
    }
}

TEST(WineHiveFile, refusesToWriteWhileWineHoldsThePrefixButStillReads) {
    using namespace std::string_literals;
    testsupport::TScopedEnv tmp("TMPDIR", "/tmp");
    for (const bool debian : {false, true}) {
        SCOPED_TRACE(debian ? "Debian's server folder" : "upstream server folder");
        const std::string original =
            Header() + "\n[Software\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1\n\"Other\"=\"1\"\n";
        TPrefix prefix(original);
        testsupport::TFakeServerFolder server(prefix.Folder(), debian);
        const std::string withNameFile = prefix.Bytes();
        {
            testsupport::TLockHolder wine(server.Lock());
            TKey security(Security, reg::AccessWrite, true);
            EXPECT_EQ(security.Status(), reg::LockViolation);
            EXPECT_NE(security.Detail().find("Wine is running in the prefix " + prefix.Folder().string()),
                      std::string::npos)
                << security.Detail();
            EXPECT_NE(security.Detail().find("process " + std::to_string(wine.Pid())), std::string::npos);
            EXPECT_NE(security.Detail().find("Close Outlook"), std::string::npos);

            // Reading a key that is missing opens it empty instead of failing.
            TKey reading(Security, reg::AccessRead, true);
            ASSERT_EQ(reading.Status(), reg::Success);
            EXPECT_FALSE(reading.Get("Level1Add"));
            EXPECT_EQ(TKey("Software\\Microsoft\\Office\\16.0\\Outlook", reg::AccessRead, true).Get("Other"),
                      (TValueData{reg::TypeSz, "1\0"s}));

            EXPECT_EQ(prefix.Bytes(), withNameFile);
        }
        // Once Wine has stopped, the same write goes through; the server folder stays Wine's.
        TKey security(Security, reg::AccessWrite, true);
        ASSERT_EQ(security.Status(), reg::Success) << security.Detail();
        EXPECT_EQ(security.Set("Level1Add", ".exe\0"s), reg::Success) << security.Detail();
        EXPECT_TRUE(fs::exists(server.Lock()));
    }
}

TEST(WineHiveFile, aWriteThatFailsLeavesTheOldFileIntact) {
    using namespace std::string_literals;
    enum EHow { ReadOnlyFolder, FileSizeLimit };
    for (const EHow how : {ReadOnlyFolder, FileSizeLimit}) {
        SCOPED_TRACE(how == ReadOnlyFolder ? "no temporary file can be made" : "the temporary file cannot be filled");
        const std::string original = Fixture();
        TPrefix prefix(original);
        const std::string folder = prefix.Folder().string();
        const bool asRoot = geteuid() == 0;
        if (how == ReadOnlyFolder && !asRoot) {
            fs::permissions(prefix.Folder(), fs::perms::owner_read | fs::perms::owner_exec);
        }
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const pid_t child = fork();
        if (child == 0) {
            // The write runs in a child, which alone gets the read-only folder or the file size limit.
            close(report[0]);
            if (how == ReadOnlyFolder && asRoot) {
                // Permission bits do not stop root: make the folder read-only by a mount of the child's own.
                if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                    mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
                    mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
                    _exit(77);
                }
            }
            if (how == FileSizeLimit) {
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{100, 100};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            TKey security(Security, reg::AccessWrite, true);
            const long status =
                security.Status() == reg::Success ? security.Set("Level1Add", ".exe\0"s) : security.Status();
            const std::string message = std::to_string(status) + " " + security.Detail();
            [[maybe_unused]] const auto written = write(report[1], message.data(), message.size());
            _exit(0);
        }
        close(report[1]);
        std::string message;
        char buffer[512];
        for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) {
            message.append(buffer, static_cast<std::size_t>(got));
        }
        close(report[0]);
        int status = 0;
        waitpid(child, &status, 0);
        fs::permissions(prefix.Folder(), fs::perms::owner_all);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) {
            GTEST_SKIP() << "running as root without the right to make a private read-only mount";
        }
        EXPECT_EQ(message.substr(0, message.find(' ')), std::to_string(reg::WriteFault)) << message;
        EXPECT_NE(message.find("was left as it was"), std::string::npos) << message;
        EXPECT_EQ(prefix.Bytes(), original);
        EXPECT_EQ(prefix.Files(), std::vector<std::string>{"user.reg"});
    }
}

// Sets or clears the immutable mark of a file; false where the file system or the user cannot.
bool SetImmutable(const fs::path& file, bool on) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return done;
}

TEST(WineHiveFile, aFileThatCannotOrMustNotBeReplacedIsRefusedNamingWhatWasFound) {
    using namespace std::string_literals;
    struct TCase {
        const char* Name;
        std::function<bool(const fs::path&)> Make; // false: cannot be made here
        std::function<void(const fs::path&)> Undo;
        long Status;
        std::string Says;
    };
    const TCase cases[] = {
        {"read-only",
         [](const fs::path& file) {
             fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
             return true;
         },
         [](const fs::path& file) { fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write); },
         reg::AccessDenied, "is read-only, so it was left as it is"},
        {"immutable", [](const fs::path& file) { return SetImmutable(file, true); },
         [](const fs::path& file) { SetImmutable(file, false); }, reg::WriteFault, "marked immutable"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string original = Fixture();
        TPrefix prefix(original);
        if (!c.Make(prefix.UserReg())) {
            std::cout << "[ SKIPPED  ] " << c.Name << ": cannot be made on this file system\n";
            continue;
        }
        long status = reg::Success;
        std::string detail;
        {
            TKey security(Security, reg::AccessWrite, true);
            status = security.Status() == reg::Success ? security.Set("Level1Add", ".exe\0"s) : security.Status();
            detail = status == reg::Success ? std::string() : security.Detail();
        }
        c.Undo(prefix.UserReg());
        EXPECT_EQ(status, c.Status) << detail;
        EXPECT_NE(detail.find(c.Says), std::string::npos) << detail;
        EXPECT_EQ(detail.find("disk has room"), std::string::npos) << detail;
        EXPECT_EQ(prefix.Bytes(), original);
        // No temporary file stays; a backup made before the refusal is the file as it still is.
        for (const std::string& name : prefix.Files()) {
            EXPECT_TRUE(name == "user.reg" || name == "user.reg.vellicor-backup") << name;
        }
        if (fs::exists(prefix.Folder() / "user.reg.vellicor-backup")) {
            EXPECT_EQ(testsupport::ReadFileBytes(prefix.Folder() / "user.reg.vellicor-backup"), original);
        }
    }
}

// Reading ahead on a thread of its own changes nothing that the operations after it find or do, whatever happens
// to the file in between, and whether it kept every key, the key read or only others.
TEST(WineHiveFile, readingAheadChangesNothingThatReadingAndWritingFind) {
    using namespace std::string_literals;
    struct TCase {
        const char* Name;
        std::function<void(TPrefix&)> Between; // what happens after reading ahead started
        std::optional<TValueData> Read;
    };
    const TValueData fixtureValue{reg::TypeSz, ".exe;.com\0"s};
    const auto replaced = [](TPrefix& prefix) {
        std::string changed = prefix.Bytes();
        changed.replace(changed.find(".exe;.com"), 9, ".exe;.cxm");
        testsupport::WriteFileBytes(prefix.UserReg().string() + ".new", changed);
        fs::rename(prefix.UserReg().string() + ".new", prefix.UserReg());
        SetTimesADayAgo(prefix.UserReg());
    };
    const TCase cases[] = {
        {"nothing", [](TPrefix&) {}, fixtureValue},
        {"replaced by another writer", replaced, TValueData{reg::TypeSz, ".exe;.cxm\0"s}},
        {"removed", [](TPrefix& prefix) { fs::remove(prefix.UserReg()); }, std::nullopt},
    };
    const std::vector<std::string> scopes[] = {{}, {"Software\\Microsoft\\Office"}, {"Software\\Microsoft\\Off"}};
    for (const auto& scope : scopes) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(c.Name + (scope.empty() ? std::string() : " keeping " + scope.front()));
            TPrefix prefix(Fixture());
            SetTimesADayAgo(prefix.UserReg());
            usleep(100'000); // settled, so that what is read ahead is taken
            platform::ReadCurrentUserHiveAhead(scope);
            c.Between(prefix);
            TKey reading(Security, reg::AccessRead, false);
            EXPECT_EQ(reading.Get("Level1Add"), c.Read);
            if (c.Read) {
                TKey writing(Security, reg::AccessWrite, true);
                ASSERT_EQ(writing.Set("Level1Remove", ".txt\0"s), reg::Success) << writing.Detail();
                const THiveFile written(prefix.Bytes());
                EXPECT_EQ(written.Problem(), "");
                EXPECT_EQ(written.Value(Security, "Level1Add"), c.Read);
                EXPECT_EQ(written.Value(Security, "Level1Remove"), (TValueData{reg::TypeSz, ".txt\0"s}));
            }
        }
    }
}

// A hive read once is taken again without reading only while it is the same file as then: another writer's
// change is seen even when it keeps the size and sets the modification time back.
TEST(WineHiveFile, seesAnotherWritersChangeThatKeepsSizeAndTime) {
    using namespace std::string_literals;
    struct TCase {
        const char* Name;
        bool OwnWriteFirst; // the file read last is the one we wrote
        std::function<void(const fs::path&, const std::string&)> Change;
    };
    const auto inPlace = [](const fs::path& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out) << bytes;
    };
    const auto replaced = [](const fs::path& file, const std::string& bytes) {
        testsupport::WriteFileBytes(file.string() + ".new", bytes);
        fs::rename(file.string() + ".new", file);
    };
    const TCase cases[] = {
        {"rewritten in place", false, inPlace},
        {"replaced by a new file", false, replaced},
        {"rewritten in place after our own write", true, inPlace},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrefix prefix(Fixture());
        TKey security(Security, reg::AccessWrite, true);
        ASSERT_EQ(security.Status(), reg::Success);
        if (c.OwnWriteFirst) {
            ASSERT_EQ(security.Set("Level1Add", ".exe;.com\0"s), reg::Success);
        }
        SetTimesADayAgo(prefix.UserReg());
        usleep(100'000);
        ASSERT_EQ(security.Get("Level1Add"), (TValueData{reg::TypeSz, std::string(".exe;.com\0", 10)}));

        std::string changed = prefix.Bytes();
        const std::size_t at = changed.find(".exe;.com");
        ASSERT_NE(at, std::string::npos);
        changed.replace(at, 9, ".exe;.cxm");
        c.Change(prefix.UserReg(), changed);
        SetTimesADayAgo(prefix.UserReg());
        EXPECT_EQ(fs::file_size(prefix.UserReg()), changed.size());
        EXPECT_EQ(security.Get("Level1Add"), (TValueData{reg::TypeSz, std::string(".exe;.cxm\0", 10)}));
    }
}
