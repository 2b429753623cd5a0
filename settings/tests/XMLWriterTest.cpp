#include "EveryKind.h"
#include "SerializerTestSupport.h"
#include "TempDir.h"
#include "TestData.h"
#include "settings/uSettings.h"

#include <gtest/gtest.h>

using testsupport::SerializerMessage;
using testsupport::ThrownMessage;
using testsupport::Write;

namespace {

const char* const SettingsHeader = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// The serializer as the settings store sets it up.
void ConfigureAsSettings(TXMLSerializer& serializer) {
    serializer.ExcludeEmptyValues = true;
    serializer.ReplaceReservedSymbols = true;
    serializer.HeaderText = SettingsHeader;
}

// Properties for the exclusion rules: with and without declared defaults.
class TDefaults : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::int32_t WithDefault = 5;
    std::int32_t WithoutDefault = TPropInfo::NoDefault;
    char Letter = 'x';
    TColor Color = TColor::Red;
    std::uint32_t Colors = 0;
    std::string Name;
};

// clang-format off
const TClassInfo& TDefaults::StaticClassInfo() {
    static const TClassInfo info = TPublished<TDefaults>("TDefaults", TPersistent::StaticClassInfo())
        .Integer("WithDefault", &TDefaults::WithDefault).Default(5)
        .Integer("WithoutDefault", &TDefaults::WithoutDefault)
        .Char("Letter", &TDefaults::Letter).Default('x')
        .Enumeration("Color", ColorType(), &TDefaults::Color).Default(0)
        .Set("Colors", ColorType(), &TDefaults::Colors).Default(0)
        .LString("Name", &TDefaults::Name);
    return info;
}
// clang-format on

// A node that may reference another, so that objects can form a cycle.
class TNode : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::int32_t Id = 0;
    TNode* Next = nullptr;
};

const TClassInfo& TNode::StaticClassInfo() {
    static const TClassInfo info = TPublished<TNode>("TNode", TPersistent::StaticClassInfo())
                                       .Integer("Id", &TNode::Id)
                                       .Class("Next", &TNode::Next);
    return info;
}

} // namespace

TEST(XMLWriter, writesTheSettingsDocumentByteForByte) {
    struct Case {
        const char* name;
        std::string skinName;
        bool formatted;
        std::string expected;
    };
    const std::string fixture = testsupport::ReadFileBytes(testsupport::DataFile("settings/tests/data/Settings.xml"));
    ASSERT_EQ(fixture.size(), 107u);
    const Case cases[] = {
        {"default theme", "actThemeOffice2007", true, fixture},
        {"empty name: no element", "", true, std::string(SettingsHeader) + "\r\n<TSettings>\r\n</TSettings>"},
        {"unformatted", "actThemeOffice2007", false,
         std::string(SettingsHeader) + "<TSettings><SkinName>actThemeOffice2007</SkinName></TSettings>"},
        {"reserved symbols escaped", "a<b>&c", true,
         std::string(SettingsHeader) + "\r\n<TSettings>\r\n\t<SkinName>a&lt;b&gt;&c</SkinName>\r\n</TSettings>"},
        {"an entity is not escaped again", "&lt;", false,
         std::string(SettingsHeader) + "<TSettings><SkinName>&lt;</SkinName></TSettings>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSettings settings;
        settings.SetSkinName(c.skinName);
        TXMLSerializer serializer;
        ConfigureAsSettings(serializer);
        serializer.GenerateFormattedXML = c.formatted;
        EXPECT_EQ(Write(serializer, settings), c.expected);
    }
    TSettings settings;
    TXMLSerializer serializer;
    ConfigureAsSettings(serializer);
    EXPECT_EQ(Write(serializer, settings).size(), 107u);
    serializer.GenerateFormattedXML = false;
    EXPECT_EQ(Write(serializer, settings).size(), 100u);
}

TEST(XMLWriter, headerComesFromTheEventThenHeaderText) {
    TPersistent empty; // a class without published properties
    TXMLSerializer serializer;
    EXPECT_EQ(Write(serializer, empty), "\r\n<TPersistent>\r\n</TPersistent>");

    serializer.HeaderText = "<?xml?>";
    EXPECT_EQ(Write(serializer, empty), "<?xml?>\r\n<TPersistent>\r\n</TPersistent>");

    TXMLSerializer* sender = nullptr;
    serializer.OnGetXMLHeader = [&](TXMLSerializer* s, std::string& value) {
        sender = s;
        EXPECT_EQ(value, "");
    };
    EXPECT_EQ(Write(serializer, empty), "<?xml?>\r\n<TPersistent>\r\n</TPersistent>")
        << "an empty value keeps HeaderText";
    EXPECT_EQ(sender, &serializer);

    serializer.OnGetXMLHeader = [](TXMLSerializer*, std::string& value) { value = "<!-- mine -->"; };
    EXPECT_EQ(Write(serializer, empty), "<!-- mine -->\r\n<TPersistent>\r\n</TPersistent>");
}

TEST(XMLWriter, exclusionRulesSkipOnlyWhatTheyName) {
    struct Case {
        const char* name;
        bool excludeEmpty;
        bool excludeDefault;
        std::string expected;
    };
    const std::string all = "<TDefaults><WithDefault>5</WithDefault><WithoutDefault>-2147483648</WithoutDefault>"
                            "<Letter>120</Letter><Color>Red</Color><Colors></Colors><Name></Name></TDefaults>";
    const Case cases[] = {
        {"no exclusion", false, false, all},
        {"empty values", true, false,
         "<TDefaults><WithDefault>5</WithDefault><WithoutDefault>-2147483648</WithoutDefault>"
         "<Letter>120</Letter><Color>Red</Color></TDefaults>"},
        {"default values: integers and chars only", false, true,
         "<TDefaults><Color>Red</Color><Colors></Colors><Name></Name></TDefaults>"},
        {"both", true, true, "<TDefaults><Color>Red</Color></TDefaults>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDefaults object;
        TXMLSerializer serializer;
        serializer.GenerateFormattedXML = false;
        serializer.ExcludeEmptyValues = c.excludeEmpty;
        serializer.ExcludeDefaultValues = c.excludeDefault;
        EXPECT_EQ(Write(serializer, object), c.expected);
    }
}

TEST(XMLWriter, writesEveryKindAsTheFixtureShows) {
    TEveryKind object;
    object.Fill();
    TXMLSerializer serializer;
    serializer.HeaderText = "<?xml version=\"1.0\"?>";
    EXPECT_EQ(Write(serializer, object),
              testsupport::ReadFileBytes(testsupport::DataFile("settings/tests/data/EveryKind.xml")));
}

// A count the fuzzer read from a document: the computed property doubles it without overflowing.
TEST(XMLWriter, computedPropertyOfALargeCountWrapsAround) {
    TEveryKind object;
    object.StoreLetters = false;
    object.Count = 1591642052;
    TXMLSerializer serializer;
    const std::string document = Write(serializer, object);
    EXPECT_NE(document.find("<Computed>-1111683192</Computed>"), std::string::npos) << document;
}

TEST(XMLWriter, emptyAndSingleEmptyStringLists) {
    TEveryKind object;
    object.StoreLetters = false;
    TXMLSerializer serializer;
    const std::string empty = Write(serializer, object);
    EXPECT_NE(empty.find("\r\n\t<Lines>\r\n\t</Lines>\r\n"), std::string::npos) << empty;
    object.Lines->Add("");
    const std::string single = Write(serializer, object);
    EXPECT_NE(single.find("\r\n\t<Lines>\"\"\r\n\t</Lines>\r\n"), std::string::npos) << single;
}

TEST(XMLWriter, unwrappedCollectionItemsStandAmongTheOwnersElements) {
    TEveryKind object;
    object.Fill();
    object.StoreLetters = false;
    TXMLSerializer serializer;
    serializer.WrapCollections = false;
    const std::string document = Write(serializer, object);
    EXPECT_EQ(document.find("<Things>"), std::string::npos);
    EXPECT_NE(document.find("</Lines>\r\n"
                            "\t<Caption>two things</Caption>\r\n"
                            "\t<TThing>\r\n\t\t<Name>first</Name>\r\n\t\t<Size>1</Size>\r\n\t</TThing>\r\n"
                            "\t<TThing>\r\n\t\t<Name>second</Name>\r\n\t\t<Size>2</Size>\r\n\t</TThing>\r\n"
                            "\t<Origin>"),
              std::string::npos)
        << document;
}

TEST(XMLWriter, floatTextUsesTheDecimalSeparatorAndGeneralFormat) {
    struct Case {
        double value;
        const char* point;
        const char* comma;
    };
    const Case cases[] = {
        {0.5, "0.5", "0,5"},
        {-2.5, "-2.5", "-2,5"},
        {100, "100", "100"},
        {1.0 / 3, "0.333333333333333", "0,333333333333333"},
        {123456789012345.0, "123456789012345", "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15", "1,23456789012346E15"},
        {1e20, "1E20", "1E20"},
        {0.0001, "0.0001", "0,0001"},
        {1.5e-7, "1.5E-7", "1,5E-7"},
        {0, "0", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.point);
        TEveryKind object;
        object.Ratio = c.value;
        TXMLSerializer serializer;
        for (const char separator : {'.', ','}) {
            testsupport::TScopedDecimalSeparator scoped(separator);
            const std::string document = Write(serializer, object);
            const std::string expected = std::string("<Ratio>") + (separator == '.' ? c.point : c.comma) + "</Ratio>";
            EXPECT_NE(document.find(expected), std::string::npos) << document;
        }
    }
}

TEST(XMLWriter, refusesACycleOfObjects) {
    TNode first;
    first.Id = 1;
    TNode second;
    second.Id = 2;
    first.Next = &second;
    second.Next = &first;
    TXMLSerializer serializer;
    EXPECT_EQ(ThrownMessage([&] { Write(serializer, first); }), SerializerMessage("Circular reference: Next"));
    EXPECT_THROW(Write(serializer, first), EXMLCircularReferenceException);

    first.Next = &first;
    EXPECT_THROW(Write(serializer, first), EXMLCircularReferenceException);

    // The same object twice side by side is no cycle.
    TNode leaf;
    first.Next = &leaf;
    EXPECT_EQ(Write(serializer, first),
              "\r\n<TNode>\r\n\t<Id>1</Id>\r\n\t<Next>\r\n\t\t<Id>0</Id>\r\n\t</Next>\r\n</TNode>");
}

TEST(XMLWriter, aFailingStreamLeavesTheDocumentCutShort) {
    TSettings settings;
    TXMLSerializer serializer;
    ConfigureAsSettings(serializer);
    testsupport::TFailingStream stream(std::make_unique<TMemoryStream>(), 50);
    EXPECT_EQ(ThrownMessage([&] { serializer.SaveObjectToStream(settings, stream); }), "Stream write error");
    const auto& written = static_cast<TMemoryStream&>(stream.Target()).Bytes();
    EXPECT_EQ(written, Write(serializer, settings).substr(0, 50));
}

TEST(XMLWriter, writesAtTheStreamsPositionWithoutTruncating) {
    TSettings settings;
    TXMLSerializer serializer;
    serializer.GenerateFormattedXML = false;
    TMemoryStream stream;
    stream.WriteBuffer(std::string_view("prefix|"));
    serializer.SaveObjectToStream(settings, stream);
    EXPECT_EQ(stream.Bytes(), "prefix|<TSettings><SkinName>actThemeOffice2007</SkinName></TSettings>");
}

TEST(XMLWriter, variantTextByItsContent) {
    struct Case {
        TVariant value;
        const char* text;
    };
    const Case cases[] = {
        {TVariant(), ""},
        {TVariant(true), "True"},
        {TVariant(std::int64_t{-12}), "-12"},
        {TVariant(2.5), "2,5"},
        {TVariant(std::string("a<b")), "a&lt;b"},
    };
    testsupport::TScopedDecimalSeparator separator(',');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TEveryKind object;
        object.Any = c.value;
        TXMLSerializer serializer;
        serializer.ReplaceReservedSymbols = true;
        const std::string document = Write(serializer, object);
        EXPECT_NE(document.find(std::string("<Any>") + c.text + "</Any>"), std::string::npos) << document;
    }
}
