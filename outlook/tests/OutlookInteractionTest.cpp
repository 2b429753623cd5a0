#include "outlook/OutlookInteraction.h"

#include "RegistryFixture.h"
#include "ScratchHive.h"
#include "outlook/EffectiveStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

namespace {

using platform::reg::TypeBinary;
using platform::reg::TypeDword;
using platform::reg::TypeExpandSz;
using platform::reg::TypeMultiSz;
using platform::reg::TypeSz;

const std::string Office = "Software\\Microsoft\\Office\\";

std::string OutlookKey(const std::string& version) {
    return Office + version + "\\Outlook";
}
std::string SecurityKey(const std::string& version) {
    return OutlookKey(version) + "\\Security";
}

std::vector<std::string> DisplayNames(const TOutlookInteraction& outlook) {
    std::vector<std::string> names;
    for (const auto& info : outlook.FVersions) {
        names.push_back(info.DisplayName);
    }
    return names;
}

class OutlookInteraction : public testing::Test {
protected:
    testsupport::TScratchHive FHive;
};

} // namespace

TEST_F(OutlookInteraction, listsVersionsOldestFirstAndWorksUnderTheChosenOne) {
    fixture::CreateKey(OutlookKey("14.0"));
    fixture::CreateKey(OutlookKey("11.0"));
    fixture::SetString(SecurityKey("11.0"), "Level1Add", ".old");

    TOutlookInteraction outlook;
    ASSERT_EQ(outlook.FVersions.size(), 2u);
    EXPECT_EQ(outlook.FVersions[0].DisplayName, "Outlook 2003");
    EXPECT_EQ(outlook.FVersions[0].KeyPath, "Software\\Microsoft\\Office\\11.0\\Outlook\\");
    EXPECT_EQ(outlook.FVersions[1].DisplayName, "Outlook 14.0");
    EXPECT_EQ(outlook.FVersions[1].KeyPath, "Software\\Microsoft\\Office\\14.0\\Outlook\\");

    outlook.SetBlockedExtensions(1, {".exe", ".com"});
    outlook.SetAllowedExtensions(1, {".zip"});
    EXPECT_EQ(fixture::GetValue(SecurityKey("14.0"), "Level1Add"),
              std::make_pair(TypeSz, std::string(".exe;.com\0", 10)));
    EXPECT_EQ(fixture::GetValue(SecurityKey("14.0"), "Level1Remove"), std::make_pair(TypeSz, std::string(".zip\0", 5)));
    EXPECT_EQ(fixture::GetValue(SecurityKey("11.0"), "Level1Add"), std::make_pair(TypeSz, std::string(".old\0", 5)));
    EXPECT_FALSE(fixture::GetValue(SecurityKey("11.0"), "Level1Remove"));

    EXPECT_EQ(outlook.GetBlockedExtensions(1), (TExtensionList{".exe", ".com"}));
    EXPECT_EQ(outlook.GetAllowedExtensions(1), (TExtensionList{".zip"}));
    EXPECT_EQ(outlook.GetBlockedExtensions(0), (TExtensionList{".old"}));
}

TEST_F(OutlookInteraction, detectsExactlyTheVersionsWhoseOutlookKeyExistsAndCreatesNothing) {
    struct TCase {
        const char* Name;
        std::vector<std::string> Keys;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {"nothing installed", {}, {}},
        {"version key without Outlook", {Office + "11.0", Office + "12.0\\Word"}, {}},
        {"13.0, which was never released, like any other", {OutlookKey("13.0")}, {"Outlook 13.0"}},
        {"16.0, Outlook 2016 to 2024 and Microsoft 365", {OutlookKey("16.0")}, {"Outlook 16.0"}},
        {"a key below Outlook makes it exist", {SecurityKey("9.0")}, {"Outlook 2000"}},
        {"letter case of the stored key", {"SOFTWARE\\microsoft\\OFFICE\\12.0\\outlook"}, {"Outlook 2007"}},
        {"a version not in the table", {OutlookKey("8.0"), OutlookKey("17.0")}, {}},
        {"all of them, in table order",
         {OutlookKey("16.0"), OutlookKey("15.0"), OutlookKey("14.0"), OutlookKey("13.0"), OutlookKey("12.0"),
          OutlookKey("11.0"), OutlookKey("10.0"), OutlookKey("9.0")},
         {"Outlook 2000", "Outlook XP", "Outlook 2003", "Outlook 2007", "Outlook 13.0", "Outlook 14.0", "Outlook 15.0",
          "Outlook 16.0"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        testsupport::TScratchHive hive;
        for (const auto& key : c.Keys) {
            fixture::CreateKey(key);
        }
        const std::string before = hive.Snapshot();
        TOutlookInteraction outlook;
        EXPECT_EQ(DisplayNames(outlook), c.Expected);
        EXPECT_EQ(hive.Snapshot(), before);
    }
}

TEST_F(OutlookInteraction, readingAVersionWithoutSecurityGivesEmptyListsAndLeavesAnEmptyKey) {
    fixture::CreateKey(OutlookKey("12.0"));
    TOutlookInteraction outlook;
    ASSERT_EQ(outlook.FVersions.size(), 1u);

    EXPECT_TRUE(outlook.GetAllowedExtensions(0).empty());
    EXPECT_TRUE(outlook.GetBlockedExtensions(0).empty());
    EXPECT_TRUE(fixture::KeyExists(SecurityKey("12.0")));
    EXPECT_FALSE(fixture::GetValue(SecurityKey("12.0"), "Level1Remove"));
    EXPECT_FALSE(fixture::GetValue(SecurityKey("12.0"), "Level1Add"));
}

TEST_F(OutlookInteraction, readsStringValuesAndRefusesOtherTypes) {
    struct TCase {
        const char* Name;
        std::uint32_t Type;
        std::string Data; // as stored, zero bytes included
        TExtensionList Expected;
        const char* Error; // the message when reading must fail
    };
    const TCase cases[] = {
        {"REG_SZ", TypeSz, std::string(".exe;.com\0", 10), {".exe", ".com"}, nullptr},
        {"REG_SZ with quotes, blanks and letter case",
         TypeSz,
         std::string("\"my file\" .EXE;.exe\0", 21),
         {"my file", ".EXE", ".exe"},
         nullptr},
        {"REG_EXPAND_SZ taken raw", TypeExpandSz, std::string("%TEMP%;.exe\0", 12), {"%TEMP%", ".exe"}, nullptr},
        {"text ends at its first zero byte", TypeSz, std::string(".exe\0.com\0", 10), {".exe"}, nullptr},
        {"empty text", TypeSz, std::string("\0", 1), {}, nullptr},
        {"no data at all, whatever the type", TypeBinary, std::string(), {}, nullptr},
        {"REG_DWORD", TypeDword, std::string("\x01\0\0\0", 4), {}, "Invalid data type for 'Level1Add'"},
        {"REG_BINARY", TypeBinary, std::string(".exe"), {}, "Invalid data type for 'Level1Add'"},
        {"REG_MULTI_SZ", TypeMultiSz, std::string(".exe\0\0", 6), {}, "Invalid data type for 'Level1Add'"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        testsupport::TScratchHive hive;
        fixture::SetValue(SecurityKey("16.0"), "Level1Add", c.Type, c.Data);
        TOutlookInteraction outlook;
        EXPECT_TRUE(outlook.GetAllowedExtensions(0).empty());
        if (c.Error == nullptr) {
            EXPECT_EQ(outlook.GetBlockedExtensions(0), c.Expected);
        } else {
            try {
                outlook.GetBlockedExtensions(0);
                ADD_FAILURE() << "no exception";
            } catch (const ERegistryException& e) {
                EXPECT_EQ(e.Message(), c.Error);
            }
        }
    }
}

TEST_F(OutlookInteraction, writesJoinedTextAsStringAndReadsItBack) {
    struct TCase {
        const char* Name;
        TExtensionList List;
        std::string Stored;
    };
    const TCase cases[] = {
        {"two items", {".exe", ".com"}, ".exe;.com"},
        {"empty list keeps the value with empty text", {}, ""},
        {"one empty item", {""}, "\"\""},
        {"item with a blank", {"my file"}, "\"my file\""},
        {"letter case and duplicates stay", {".EXE", ".exe", ".EXE"}, ".EXE;.exe;.EXE"},
        {"non-ASCII", {"\xc3\xa9", ".\xe2\x82\xac"}, "\xc3\xa9;.\xe2\x82\xac"},
    };
    fixture::CreateKey(OutlookKey("15.0"));
    fixture::SetString(SecurityKey("15.0"), "Level1Remove", ".old;.older");
    TOutlookInteraction outlook;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        outlook.SetAllowedExtensions(0, c.List);
        EXPECT_EQ(fixture::GetValue(SecurityKey("15.0"), "Level1Remove"), std::make_pair(TypeSz, c.Stored + '\0'));
        EXPECT_EQ(outlook.GetAllowedExtensions(0), c.List);
    }
    EXPECT_FALSE(fixture::GetValue(SecurityKey("15.0"), "Level1Add"));
}

TEST_F(OutlookInteraction, writingCreatesAMissingSecurityKey) {
    fixture::CreateKey(OutlookKey("10.0"));
    TOutlookInteraction outlook;
    ASSERT_FALSE(fixture::KeyExists(SecurityKey("10.0")));

    outlook.SetBlockedExtensions(0, {".vbs"});
    EXPECT_EQ(fixture::GetValue(SecurityKey("10.0"), "Level1Add"), std::make_pair(TypeSz, std::string(".vbs\0", 5)));
}

TEST_F(OutlookInteraction, withoutAnyVersionReadsNothingAndRefusesToWrite) {
    fixture::CreateKey(Office + "11.0");
    const std::string before = FHive.Snapshot();
    TOutlookInteraction outlook;
    ASSERT_TRUE(outlook.FVersions.empty());

    EXPECT_TRUE(outlook.GetAllowedExtensions(0).empty());
    EXPECT_TRUE(outlook.GetBlockedExtensions(3).empty());
    for (const bool allowed : {true, false}) {
        SCOPED_TRACE(allowed ? "allowed" : "blocked");
        try {
            allowed ? outlook.SetAllowedExtensions(0, {".exe"}) : outlook.SetBlockedExtensions(0, {".exe"});
            ADD_FAILURE() << "no exception";
        } catch (const ERegistryException&) {
            ADD_FAILURE() << "a registry failure, though the registry was not to be touched";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("No Outlook version is installed"), std::string::npos) << e.Message();
        }
    }
    EXPECT_EQ(FHive.Snapshot(), before);
}

TEST_F(OutlookInteraction, refusesAVersionIndexOutsideTheList) {
    fixture::CreateKey(OutlookKey("11.0"));
    TOutlookInteraction outlook;
    const std::string before = FHive.Snapshot();
    EXPECT_THROW(outlook.GetAllowedExtensions(1), Exception);
    EXPECT_THROW(outlook.SetBlockedExtensions(-1, {".exe"}), Exception);
    EXPECT_EQ(FHive.Snapshot(), before);
}

namespace {

// The real registry, with one chosen operation failing as the platform may make it fail, a count of the keys
// left open and the path of every key asked for.
class TFailingRegistry : public platform::IRegistry {
public:
    enum EOperation { None, Create, SecondQuery, Set };

    TFailingRegistry(EOperation failing, std::string detail) : FFailing(failing), FDetail(std::move(detail)) {}

    long OpenKey(std::string_view path, std::uint32_t access, platform::TRegKey& key) override {
        FPaths.emplace_back(path);
        const long status = FReal.OpenKey(path, access, key);
        return Count(status, key);
    }
    long CreateKey(std::string_view path, std::uint32_t access, platform::TRegKey& key) override {
        FPaths.emplace_back(path);
        if (FFailing == Create) {
            key = 0;
            return Fail(platform::reg::AccessDenied);
        }
        const long status = FReal.CreateKey(path, access, key);
        return Count(status, key);
    }
    long QueryValue(platform::TRegKey key, std::string_view name, std::uint32_t* type, unsigned char* data,
                    std::uint32_t* size) override {
        if (FFailing == SecondQuery && data != nullptr) {
            return Fail(platform::reg::MoreData);
        }
        return FReal.QueryValue(key, name, type, data, size);
    }
    long SetValue(platform::TRegKey key, std::string_view name, std::uint32_t type, const unsigned char* data,
                  std::uint32_t size) override {
        if (FFailing == Set) {
            return Fail(platform::reg::WriteFault);
        }
        return FReal.SetValue(key, name, type, data, size);
    }
    long CloseKey(platform::TRegKey key) override {
        FOpen.erase(key);
        FLastDetail.clear();
        return FReal.CloseKey(key);
    }
    std::string LastFailureDetail() const override { return FLastDetail; }

    std::size_t OpenKeys() const { return FOpen.size(); }
    const std::vector<std::string>& Paths() const { return FPaths; }

private:
    long Count(long status, platform::TRegKey key) {
        if (status == platform::reg::Success) {
            FOpen.insert(key);
        }
        return status;
    }
    long Fail(long status) {
        FLastDetail = FDetail;
        return status;
    }

    platform::IRegistry& FReal = platform::CurrentUserRegistry();
    EOperation FFailing;
    std::string FDetail;
    std::string FLastDetail;
    std::set<platform::TRegKey> FOpen;
    std::vector<std::string> FPaths;
};

} // namespace

TEST_F(OutlookInteraction, reportsEachRegistryFailureInItsOwnWordsAndClosesTheKey) {
    using EOperation = TFailingRegistry::EOperation;
    struct TCase {
        const char* Name;
        EOperation Failing;
        bool Writing;
        bool RegistryException;
        std::string Message;
    };
    const TCase cases[] = {
        {"opening Security to read", EOperation::Create, false, false, "Error writing to Registry"},
        {"opening Security to write", EOperation::Create, true, false, "Error writing to Registry"},
        {"reading the data", EOperation::SecondQuery, false, true, "Failed to get data for 'Level1Add'"},
        {"storing the data", EOperation::Set, true, true, "Failed to set data for 'Level1Add'"},
    };
    fixture::SetString(SecurityKey("14.0"), "Level1Add", ".exe");
    for (const TCase& c : cases) {
        for (const std::string detail : {"", "Wine is running in that prefix."}) {
            SCOPED_TRACE(std::string(c.Name) + (detail.empty() ? "" : ", with a detail"));
            const std::string before = FHive.Snapshot();
            TFailingRegistry registry(c.Failing, detail);
            {
                TOutlookInteraction outlook(registry);
                ASSERT_EQ(outlook.FVersions.size(), 1u);
                try {
                    if (c.Writing) {
                        outlook.SetBlockedExtensions(0, {".com"});
                    } else {
                        outlook.GetBlockedExtensions(0);
                    }
                    ADD_FAILURE() << "no exception";
                } catch (const ERegistryException& e) {
                    EXPECT_TRUE(c.RegistryException);
                    EXPECT_EQ(e.Message(), detail.empty() ? c.Message : c.Message + "\n" + detail);
                } catch (const Exception& e) {
                    EXPECT_FALSE(c.RegistryException);
                    EXPECT_EQ(e.Message(), detail.empty() ? c.Message : c.Message + "\n" + detail);
                }
            }
            EXPECT_EQ(registry.OpenKeys(), 0u);
            EXPECT_EQ(FHive.Snapshot(), before);
        }
    }
}

// The hive is read ahead keeping only where OutlookRegistryKeys are: every key that detection, the lists and the
// policies read lies there, or each would read a large hive again.
TEST_F(OutlookInteraction, readsOnlyKeysBelowItsRegistryKeys) {
    fixture::SetString(SecurityKey("16.0"), "Level1Add", ".exe");
    fixture::CreateKey(OutlookKey("11.0"));
    TFailingRegistry registry(TFailingRegistry::None, "");
    {
        TOutlookInteraction outlook(registry);
        ASSERT_EQ(outlook.FVersions.size(), 2u);
        for (int version = 0; version < 2; ++version) {
            outlook.GetAllowedExtensions(version);
            outlook.GetBlockedExtensions(version);
            ReadSecurityLayers(registry, outlook.FVersions[std::size_t(version)].KeyPath);
        }
    }
    const auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    ASSERT_FALSE(registry.Paths().empty());
    for (const std::string& asked : registry.Paths()) {
        const std::string path = lower(asked);
        const auto keys = OutlookRegistryKeys();
        EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
            return path.starts_with(lower(key)) && (path.size() == key.size() || path[key.size()] == '\\');
        })) << asked;
    }
}
