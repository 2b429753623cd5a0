#include "EveryKind.h"
#include "SerializerTestSupport.h"
#include "settings/uSettings.h"

#include <gtest/gtest.h>

#include <optional>

using testsupport::Read;
using testsupport::SerializerMessage;
using testsupport::ThrownMessage;

namespace {

const std::string Header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

struct TReadOptions {
    bool replace = true; // the settings store's options
    bool ignoreUnknown = false;
    bool strong = true;
};

struct TSettingsCase {
    const char* name;
    std::string document;
    std::string skinName; // after the read, which starts from "unchanged"
    std::string message;  // empty: no error
    TReadOptions options{};
};

} // namespace

TEST(XMLReader, readsSettingsDocumentsAsWritten) {
    const std::string root = "<TSettings>";
    const std::string end = "</TSettings>";
    const TSettingsCase cases[] = {
        {"settings document", Header + "\r\n" + root + "\r\n\t<SkinName>actThemeOffice2007</SkinName>\r\n" + end,
         "actThemeOffice2007", ""},
        {"line feeds only", Header + "\n" + root + "\n\t<SkinName>x</SkinName>\n" + end, "x", ""},
        {"spaces for indentation", Header + "\n" + root + "\n    <SkinName>x</SkinName>\n" + end, "x", ""},
        {"no white space", Header + root + "<SkinName>x</SkinName>" + end, "x", ""},
        {"surrounding spaces kept", root + "<SkinName>  x y  </SkinName>" + end, "  x y  ", ""},
        {"reserved symbols decoded", root + "<SkinName>a&lt;b&gt;c</SkinName>" + end, "a<b>c", ""},
        {"reserved symbols kept with the option off",
         root + "<SkinName>a&lt;b&gt;c</SkinName>" + end,
         "a&lt;b&gt;c",
         "",
         {.replace = false}},
        {"other entities kept", root + "<SkinName>&amp;&quot;&#65;&lt</SkinName>" + end, "&amp;&quot;&#65;&lt", ""},
        {"tag in another case", root + "<skinname>x</skinname>" + end, "unchanged",
         SerializerMessage("Unknown property: skinname")},
        {"attribute", root + "<SkinName a=\"1\">x</SkinName>" + end, "unchanged",
         SerializerMessage("Unknown property: SkinName a=\"1\"")},
        {"comment", root + "<!-- theme -->" + "<SkinName>x</SkinName>" + end, "unchanged",
         SerializerMessage("Unknown property: !-- theme --")},
        {"self-closing tag", root + "<SkinName/>" + end, "unchanged", SerializerMessage("Unknown property: SkinName/")},
        {"text before the root's closing tag", root + "<SkinName>x</SkinName>junk" + end, "x",
         SerializerMessage("Unknown property: /TSettings")},
        {"bytes up to 33 before the closing tag", root + "<SkinName>x</SkinName>\t !!\r\n" + end, "x", ""},
        {"stray text passed over with unknown tags ignored",
         root + "<SkinName>x</SkinName>junk" + end,
         "x",
         "",
         {.ignoreUnknown = true}},
        {"unknown element passed over",
         root + "<Extra>1</Extra><SkinName>x</SkinName>" + end,
         "x",
         "",
         {.ignoreUnknown = true}},
        {"missing root closing tag", root + "<SkinName>x</SkinName>", "unchanged",
         SerializerMessage("Close tag not found: </TSettings>")},
        {"missing property closing tag", root + "<SkinName>x" + end, "unchanged",
         SerializerMessage("Close tag not found: </SkinName>")},
        {"property closing tag beyond the root", root + "<SkinName>x" + end + "</SkinName>", "unchanged",
         SerializerMessage("Close tag not found: </SkinName>")},
        {"self-closing tag ignored has no value end",
         root + "<Other/>" + end,
         "unchanged",
         SerializerMessage("Close tag not found: </Other/>"),
         {.ignoreUnknown = true}},
        {"two roots: the first is read",
         root + "<SkinName>one</SkinName>" + end + root + "<SkinName>two</SkinName>" + end, "one", ""},
        {"repeated property: the later value", root + "<SkinName>one</SkinName><SkinName>two</SkinName>" + end, "two",
         ""},
        {"no header", root + "<SkinName>x</SkinName>" + end, "x", ""},
        {"another header", "<?xml version=\"1.1\" encoding=\"koi8-r\"?>" + root + "<SkinName>x</SkinName>" + end, "x",
         ""},
        {"empty element", root + "<SkinName></SkinName>" + end, "", ""},
        {"zero byte ends the value", root + std::string("<SkinName>ab\0cd</SkinName>", 26) + end, "ab", ""},
        {"empty file", "", "unchanged", SerializerMessage("Open tag not found: <TSettings>")},
        {"empty file without strong conformity", "", "unchanged", "", {.strong = false}},
        {"no root element", Header + "<Settings></Settings>", "unchanged",
         SerializerMessage("Open tag not found: <TSettings>")},
        {"buffer ends with the root's opening tag", root, "unchanged",
         SerializerMessage("Open tag not found: <TSettings>")},
        {"one byte after the root's opening tag", root + "x", "unchanged",
         SerializerMessage("Open tag not found: <TSettings>")},
        {"two bytes after the root's opening tag", root + "xy", "unchanged",
         SerializerMessage("Close tag not found: </TSettings>")},
        {"closing tag ends with the buffer", root + "<SkinName>x</SkinName>" + end, "x", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSettings settings;
        settings.SetSkinName("unchanged");
        TXMLSerializer serializer;
        serializer.ReplaceReservedSymbols = c.options.replace;
        serializer.IgnoreUnknownTags = c.options.ignoreUnknown;
        serializer.StrongConformity = c.options.strong;
        EXPECT_EQ(ThrownMessage([&] { Read(serializer, settings, c.document); }), c.message);
        EXPECT_EQ(settings.SkinName(), c.skinName);
    }
}

TEST(XMLReader, raisesTheSerializersExceptionClasses) {
    TSettings settings;
    TXMLSerializer serializer;
    EXPECT_THROW(Read(serializer, settings, ""), EXMLOpenTagNotFoundException);
    EXPECT_THROW(Read(serializer, settings, "<TSettings>  "), EXMLCloseTagNotFoundException);
    EXPECT_THROW(Read(serializer, settings, "<TSettings><X>1</X></TSettings>"), EXMLUnknownPropertyException);
    EXPECT_THROW(Read(serializer, settings, "<TSettings><X>1</X></TSettings>"), XMLSerializerException);
}

namespace {

struct TValueCase {
    const char* name;
    std::string element; // inside <TEveryKind>
    std::function<bool(const TEveryKind&)> check;
    std::string message;
    char separator = '.';
};

} // namespace

TEST(XMLReader, convertsTextToEachKind) {
    const TValueCase cases[] = {
        {"integer", "<Count>12</Count>", [](const TEveryKind& o) { return o.Count == 12; }, ""},
        {"integer cut to a whole number", "<Count>-3.9</Count>", [](const TEveryKind& o) { return o.Count == -3; }, ""},
        {"integer in exponent notation", "<Count>1E3</Count>", [](const TEveryKind& o) { return o.Count == 1000; }, ""},
        {"integer with the comma separator", "<Count>7,5</Count>", [](const TEveryKind& o) { return o.Count == 7; }, "",
         ','},
        {"integer that is no number", "<Count>12a</Count>", nullptr, "'12a' is not a valid integer value"},
        {"integer beyond 32 bits", "<Count>2147483648</Count>", nullptr, "Range check error"},
        {"byte above its range", "<Small>256</Small>", nullptr, "Range check error"},
        {"byte below its range", "<Small>-1</Small>", nullptr, "Range check error"},
        {"byte at its top", "<Small>255</Small>", [](const TEveryKind& o) { return o.Small == 255; }, ""},
        {"short int above its range", "<Signed>128</Signed>", nullptr, "Range check error"},
        {"cardinal at its top", "<Unsigned>4294967295</Unsigned>",
         [](const TEveryKind& o) { return o.Unsigned == 4294967295U; }, ""},
        {"cardinal above its range", "<Unsigned>4294967296</Unsigned>", nullptr, "Range check error"},
        {"subrange above its top", "<Percent>101</Percent>", nullptr, "Range check error"},
        {"char of one character", "<Letter>Z</Letter>", [](const TEveryKind& o) { return o.Letter == 'Z'; }, ""},
        {"char as its code does not read back", "<Letter>90</Letter>", nullptr, "Range check error"},
        {"empty char", "<Letter></Letter>", nullptr, "Range check error"},
        {"wide char", "<WideLetter>w</WideLetter>", [](const TEveryKind& o) { return o.WideLetter == u'w'; }, ""},
        {"wide char of two characters", "<WideLetter>ab</WideLetter>", nullptr, "Range check error"},
        {"enumeration, case ignored", "<Color>bLUE</Color>",
         [](const TEveryKind& o) { return o.Color == TColor::Blue; }, ""},
        {"unknown enumeration member", "<Color>Purple</Color>", nullptr, "Invalid property element: Purple"},
        {"Boolean", "<Flag>true</Flag>", [](const TEveryKind& o) { return o.Flag; }, ""},
        {"float with a comma in the document", "<Ratio>0,25</Ratio>",
         [](const TEveryKind& o) { return o.Ratio == 0.25; }, ""},
        {"float with a point where the user writes a comma", "<Ratio>0.25</Ratio>",
         [](const TEveryKind& o) { return o.Ratio == 0.25; }, "", ','},
        {"float in exponent notation", "<Ratio>1.5E-7</Ratio>", [](const TEveryKind& o) { return o.Ratio == 1.5e-7; },
         ""},
        {"float that is no number", "<Ratio>half</Ratio>", nullptr, "'half' is not a valid floating point value"},
        {"short string cut to its length", "<Code>ABCDEFGHIJ</Code>",
         [](const TEveryKind& o) { return o.Code == "ABCDEFGH"; }, ""},
        {"set", "<Colors>Blue,Red</Colors>", [](const TEveryKind& o) { return o.Colors == 0b101U; }, ""},
        {"set separated by spaces", "<Colors> green  blue</Colors>",
         [](const TEveryKind& o) { return o.Colors == 0b110U; }, ""},
        {"empty set", "<Colors></Colors>", [](const TEveryKind& o) { return o.Colors == 0U; }, ""},
        {"set with an unknown member", "<Colors>Red,Pink</Colors>", nullptr, "Invalid property element: Pink"},
        {"variant as a string", "<Any>12</Any>",
         [](const TEveryKind& o) { return o.Any == TVariant(std::string("12")); }, ""},
        {"wide string", "<Wide>text</Wide>", [](const TEveryKind& o) { return o.Wide == u"text"; }, ""},
        {"string list with quoted items", "<Lines> a, \"b c\" ,\"d\"\"e\",\r\n\t</Lines>",
         [](const TEveryKind& o) {
             return o.Lines->Items() == std::vector<std::string>{"a", "b c", "d\"e"};
         },
         ""},
        {"string list ending with a comma", "<Lines>a,</Lines>",
         [](const TEveryKind& o) {
             return o.Lines->Items() == std::vector<std::string>{"a", ""};
         },
         ""},
        {"string list of one empty item", "<Lines>\"\"</Lines>",
         [](const TEveryKind& o) { return o.Lines->Items() == std::vector<std::string>{""}; }, ""},
        {"nested object", "<Origin><X>3</X><Y>4</Y></Origin>",
         [](const TEveryKind& o) { return o.Origin->X == 3 && o.Origin->Y == 4; }, ""},
        {"null object stays null", "<Target><X>3</X></Target><Count>1</Count>",
         [](const TEveryKind& o) { return o.Target == nullptr && o.Count == 1; }, ""},
        {"object of no known family", "<Opaque>anything</Opaque>", [](const TEveryKind&) { return true; }, ""},
        {"64-bit integer passed over", "<Big>5</Big><Count>3</Count>",
         [](const TEveryKind& o) { return o.Big == 0 && o.Count == 3; }, ""},
        {"method, array, record, interface, dynamic array passed over",
         "<OnChange>x</OnChange><Numbers>1</Numbers><Bounds>2</Bounds><Service>3</Service><Values>4</Values>",
         [](const TEveryKind&) { return true; }, ""},
        {"read-only property passed over", "<Computed>5</Computed>", [](const TEveryKind& o) { return o.Count == 0; },
         ""},
        {"assigned before an error stays", "<Count>5</Count><Small>300</Small>",
         [](const TEveryKind& o) { return o.Count == 5; }, "Range check error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TScopedDecimalSeparator separator(c.separator);
        TEveryKind object;
        TXMLSerializer serializer;
        EXPECT_EQ(ThrownMessage([&] { Read(serializer, object, "<TEveryKind>" + c.element + "</TEveryKind>"); }),
                  c.message);
        if (c.check) {
            EXPECT_TRUE(c.check(object));
        }
    }
}

TEST(XMLReader, readsEachCollectionItemOnceAndStopsAfterTheLast) {
    struct Case {
        const char* name;
        std::string things; // inside <Things>
        bool strong;
        std::vector<std::string> names;
    };
    const std::string first = "<TThing><Name>a</Name></TThing>";
    const std::string second = "<TThing><Name>b</Name><Size>2</Size></TThing>";
    const Case cases[] = {
        {"two items", first + second, true, {"a", "b"}},
        {"two items without strong conformity", first + second, false, {"a", "b"}},
        {"items without properties", "<TThing></TThing>\r\n<TThing> </TThing>", true, {"", ""}},
        {"items without properties, without strong conformity", "<TThing></TThing><TThing></TThing>", false, {"", ""}},
        {"no items", "", true, {}},
        {"an item that fails is dropped and ends the collection",
         first + "<TThing><Name>x</Name><Size>big</Size></TThing>" + second,
         true,
         {"a"}},
        {"an item not closed inside the collection", first + "<TThing><Name>c</Name>", false, {"a"}},
        {"the collection's own property and other text", "<Caption>c</Caption>junk" + first, true, {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TEveryKind object;
        TXMLSerializer serializer;
        serializer.StrongConformity = c.strong;
        serializer.IgnoreUnknownTags = true;
        // An item element after the collection belongs to no collection.
        Read(serializer, object,
             "<TEveryKind><Things>" + c.things + "</Things><Count>9</Count><Origin><X>1</X></Origin>" + second +
                 "</TEveryKind>");
        std::vector<std::string> names;
        for (int i = 0; i < object.Things->Count(); ++i) {
            names.push_back(object.Things->Thing(i).Name);
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(object.Count, 9) << "the owner's next property is read";
    }
}

TEST(XMLReader, collectionItemsAreAddedAfterExistingOnes) {
    TEveryKind object;
    static_cast<TThing&>(object.Things->Add()).Name = "kept";
    TXMLSerializer serializer;
    Read(serializer, object, "<TEveryKind><Things><TThing><Name>new</Name></TThing></Things></TEveryKind>");
    ASSERT_EQ(object.Things->Count(), 2);
    EXPECT_EQ(object.Things->Thing(0).Name, "kept");
    EXPECT_EQ(object.Things->Thing(1).Name, "new");
}

TEST(XMLReader, beforeParsingSeesTheWholeBufferAndMayChangeIt) {
    const std::string document = "<TSettings><SkinName>abc</SkinName></TSettings>";
    TSettings settings;
    TXMLSerializer serializer;
    std::size_t length = 0;
    int calls = 0;
    serializer.BeforeParsing = [&](TXMLSerializer* sender, char* buffer, std::size_t size) {
        EXPECT_EQ(sender, &serializer);
        EXPECT_EQ(std::string(buffer, size), document);
        buffer[document.find("c<")] = 'X'; // the last letter of the value
        length = size;
        ++calls;
    };
    Read(serializer, settings, document);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(length, document.size());
    EXPECT_EQ(settings.SkinName(), "abX");
}

TEST(XMLReader, readsFromTheStreamsPositionToItsEnd) {
    TMemoryStream stream;
    stream.WriteBuffer(std::string_view("<TSettings><SkinName>skipped</SkinName></TSettings>"));
    const std::int64_t start = stream.Position();
    stream.WriteBuffer(std::string_view("<TSettings><SkinName>read</SkinName></TSettings>"));
    stream.SetPosition(start);
    TSettings settings;
    TXMLSerializer serializer;
    serializer.LoadObjectFromStream(settings, stream);
    EXPECT_EQ(settings.SkinName(), "read");

    // And again: every read starts its own buffer and search.
    stream.SetPosition(0);
    serializer.LoadObjectFromStream(settings, stream);
    EXPECT_EQ(settings.SkinName(), "skipped");
}
