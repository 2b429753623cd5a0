#include "EveryKind.h"
#include "SerializerTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using testsupport::Read;
using testsupport::Write;

namespace {

// Every property that a document carries back, compared one by one so that a failure names it.
void ExpectSameValues(const TEveryKind& read, const TEveryKind& written) {
    EXPECT_EQ(read.Count, written.Count);
    EXPECT_EQ(read.Small, written.Small);
    EXPECT_EQ(read.Signed, written.Signed);
    EXPECT_EQ(read.Unsigned, written.Unsigned);
    EXPECT_EQ(read.Percent, written.Percent);
    EXPECT_EQ(read.Color, written.Color);
    EXPECT_EQ(read.Flag, written.Flag);
    EXPECT_EQ(read.Ratio, written.Ratio);
    EXPECT_EQ(read.Single, written.Single);
    EXPECT_EQ(read.Code, written.Code);
    EXPECT_EQ(read.Colors, written.Colors);
    EXPECT_EQ(read.Lines->Items(), written.Lines->Items());
    EXPECT_EQ(read.Things->Caption, written.Things->Caption);
    ASSERT_EQ(read.Things->Count(), written.Things->Count());
    for (int i = 0; i < read.Things->Count(); ++i) {
        EXPECT_EQ(read.Things->Thing(i).Name, written.Things->Thing(i).Name);
        EXPECT_EQ(read.Things->Thing(i).Size, written.Things->Thing(i).Size);
    }
    EXPECT_EQ(read.Origin->X, written.Origin->X);
    EXPECT_EQ(read.Origin->Y, written.Origin->Y);
    EXPECT_EQ(read.Target, nullptr);
    EXPECT_EQ(read.Text, written.Text);
    EXPECT_EQ(read.Wide, written.Wide);
    EXPECT_EQ(read.Optional, written.Optional);
}

// formatted, wrap collections, replace reserved symbols, exclude empty, exclude defaults, strong conformity
using TOptions = std::tuple<bool, bool, bool, bool, bool, bool>;

class RoundTrip : public testing::TestWithParam<TOptions> {
protected:
    void Configure(TXMLSerializer& serializer) const {
        const auto [formatted, wrap, replace, excludeEmpty, excludeDefault, strong] = GetParam();
        serializer.GenerateFormattedXML = formatted;
        serializer.WrapCollections = wrap;
        serializer.ReplaceReservedSymbols = replace;
        serializer.ExcludeEmptyValues = excludeEmpty;
        serializer.ExcludeDefaultValues = excludeDefault;
        serializer.StrongConformity = strong;
    }

    // Writes `source` and reads the document into a new object.
    void Check(TEveryKind& source) const {
        source.StoreLetters = false; // chars are written as codes, which do not read back
        TXMLSerializer serializer;
        Configure(serializer);
        const std::string document = Write(serializer, source);
        TEveryKind read;
        Read(serializer, read, document);
        SCOPED_TRACE(document);
        ExpectSameValues(read, source);
        EXPECT_EQ(read.Hidden, "") << "a property that is not stored is not written";
    }
};

} // namespace

TEST_P(RoundTrip, everyKindReadsBackWhatWasWritten) {
    TEveryKind filled;
    filled.Fill();
    Check(filled);
}

TEST_P(RoundTrip, initialValuesReadBack) {
    TEveryKind initial;
    Check(initial);
}

TEST_P(RoundTrip, nonAsciiTextReadsBack) {
    TEveryKind object;
    object.Text = "gr\xC3\xBC\xC3\x9F"; // single bytes pass as they are, whatever the code page
    object.Wide = u"caf\u00e9";
    object.Lines->Add("\xC3\xA9t\xC3\xA9 \xC3\xA0");
    Check(object);
}

std::string OptionsName(const testing::TestParamInfo<TOptions>& info) {
    const auto [formatted, wrap, replace, excludeEmpty, excludeDefault, strong] = info.param;
    std::string name = formatted ? "Formatted" : "Plain";
    name += wrap ? "_Wrapped" : "_Unwrapped";
    name += replace ? "_Escaped" : "_Raw";
    name += excludeEmpty ? "_NoEmpty" : "";
    name += excludeDefault ? "_NoDefault" : "";
    name += strong ? "_Strong" : "_Lenient";
    return name;
}

INSTANTIATE_TEST_SUITE_P(EachOption, RoundTrip,
                         testing::Combine(testing::Bool(), testing::Bool(), testing::Bool(), testing::Bool(),
                                          testing::Bool(), testing::Bool()),
                         OptionsName);

TEST(RoundTripFloat, floatsReadBackToFifteenDigitsWithEitherSeparator) {
    const double values[] = {0.5, -2.5, 1.0 / 3, 1e20, 1.5e-7, 0.0001, 123456789.123456, -1e-300, 6.02214076e23};
    for (const char separator : {'.', ','}) {
        testsupport::TScopedDecimalSeparator scoped(separator);
        for (const double value : values) {
            SCOPED_TRACE(value);
            TEveryKind object;
            object.Ratio = value;
            object.StoreLetters = false;
            TXMLSerializer serializer;
            TEveryKind read;
            Read(serializer, read, Write(serializer, object));
            EXPECT_NEAR(read.Ratio, value, std::abs(value) * 1e-14);
        }
    }
}
