#include "EveryKind.h"
#include "settings/ModXMLSerializer.h"

#include <gtest/gtest.h>

namespace {

class TBase : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::int32_t First = 0;
    std::string Second;
    bool Keep = true;
    bool IsThirdStored() const { return Keep; }
    std::uint8_t Third = 0;
};

// clang-format off
const TClassInfo& TBase::StaticClassInfo() {
    static const TClassInfo info = TPublished<TBase>("TBase", TPersistent::StaticClassInfo())
        .Integer("First", &TBase::First)
        .LString("Second", &TBase::Second).Stored(&TBase::Keep)
        .Integer("Third", &TBase::Third).Stored(&TBase::IsThirdStored);
    return info;
}
// clang-format on

class TDerived : public TBase {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    bool Own = false;
    const std::string& GetSecond() const { return Second; }
};

// clang-format off
const TClassInfo& TDerived::StaticClassInfo() {
    static const TClassInfo info = TPublished<TDerived>("TDerived", TBase::StaticClassInfo())
        .Boolean("Own", &TDerived::Own)
        .Redeclare("first").Default(3)
        .LString("Second", &TDerived::GetSecond).Stored(false);
    return info;
}
// clang-format on

std::vector<std::string> Names(const TClassInfo& type) {
    std::vector<std::string> names;
    for (const auto& property : type.Properties()) {
        names.push_back(property.Name);
    }
    return names;
}

} // namespace

TEST(Published, ancestorsComeFirstAndRedeclaredPropertiesKeepTheirPlace) {
    TDerived object;
    const TClassInfo& type = object.ClassType();
    EXPECT_EQ(object.ClassName(), "TDerived");
    EXPECT_TRUE(type.InheritsFrom(TBase::StaticClassInfo()));
    EXPECT_TRUE(type.InheritsFrom(TPersistent::StaticClassInfo()));
    EXPECT_FALSE(TBase::StaticClassInfo().InheritsFrom(type));
    EXPECT_EQ(Names(type), (std::vector<std::string>{"First", "Second", "Third", "Own"}));

    EXPECT_EQ(type.FindProperty("First")->Default, 3);
    EXPECT_EQ(TBase::StaticClassInfo().FindProperty("First")->Default, TPropInfo::NoDefault);
    EXPECT_EQ(TPropInfo::NoDefault, -2147483647 - 1);

    const TPropInfo& second = *type.FindProperty("Second");
    EXPECT_TRUE(second.HasRead);
    EXPECT_FALSE(second.HasWrite) << "redeclared with a getter only";
    EXPECT_FALSE(second.IsStored(object));
    EXPECT_EQ(type.FindProperty("second"), nullptr) << "lookup is exact";
}

TEST(Published, storedPredicatesReadTheObject) {
    TBase object;
    const TClassInfo& type = object.ClassType();
    EXPECT_TRUE(type.FindProperty("First")->IsStored(object));
    EXPECT_TRUE(type.FindProperty("Second")->IsStored(object));
    EXPECT_TRUE(type.FindProperty("Third")->IsStored(object));
    object.Keep = false;
    EXPECT_FALSE(type.FindProperty("Second")->IsStored(object));
    EXPECT_FALSE(type.FindProperty("Third")->IsStored(object));
}

TEST(Published, everyKindHasItsEntry) {
    const TClassInfo& type = TEveryKind::StaticClassInfo();
    using K = TTypeKind;
    const std::vector<std::pair<std::string, TTypeKind>> expected = {
        {"Count", K::Integer},     {"Small", K::Integer},    {"Signed", K::Integer},    {"Unsigned", K::Integer},
        {"Percent", K::Integer},   {"Letter", K::Char},      {"Color", K::Enumeration}, {"Flag", K::Enumeration},
        {"Ratio", K::Float},       {"Single", K::Float},     {"Code", K::ShortString},  {"Colors", K::Set},
        {"Lines", K::Class},       {"Things", K::Class},     {"Origin", K::Class},      {"Target", K::Class},
        {"Opaque", K::Class},      {"OnChange", K::Method},  {"WideLetter", K::WChar},  {"Text", K::LString},
        {"Wide", K::WString},      {"Any", K::Variant},      {"Numbers", K::Array},     {"Bounds", K::Record},
        {"Service", K::Interface}, {"Big", K::Int64},        {"Values", K::DynArray},   {"Hidden", K::LString},
        {"Optional", K::LString},  {"Computed", K::Integer},
    };
    ASSERT_EQ(type.Properties().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(type.Properties()[i].Name, expected[i].first);
        EXPECT_EQ(type.Properties()[i].Kind, expected[i].second);
    }

    struct Range {
        const char* name;
        std::int64_t min;
        std::int64_t max;
    };
    for (const Range& r : {Range{"Count", -2147483648LL, 2147483647}, Range{"Small", 0, 255},
                           Range{"Signed", -128, 127}, Range{"Unsigned", 0, 4294967295LL}, Range{"Percent", 0, 100}}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(type.FindProperty(r.name)->MinValue, r.min);
        EXPECT_EQ(type.FindProperty(r.name)->MaxValue, r.max);
    }
    EXPECT_EQ(type.FindProperty("Flag")->EnumType, &BooleanType());
    EXPECT_EQ(BooleanType().NameOf(0), "False");
    EXPECT_EQ(BooleanType().ValueOf("TRUE"), 1);

    TEveryKind object;
    type.FindProperty("Code")->SetStr(object, "ABCDEFGHIJK");
    EXPECT_EQ(object.Code, "ABCDEFGH") << "a short string keeps its declared length";
    object.Target = nullptr;
    EXPECT_EQ(type.FindProperty("Origin")->GetObject(object), object.Origin.get());
    EXPECT_EQ(type.FindProperty("Lines")->GetObject(object), object.Lines.get());
}

TEST(Published, serializerIsAComponentWithPublishedOptions) {
    TComponent owner;
    auto* serializer = new TXMLSerializer(&owner); // the owner releases it
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(serializer->Owner(), &owner);
    EXPECT_TRUE(serializer->GenerateFormattedXML);
    EXPECT_TRUE(serializer->StrongConformity);
    EXPECT_TRUE(serializer->WrapCollections);
    EXPECT_FALSE(serializer->ExcludeEmptyValues || serializer->ExcludeDefaultValues ||
                 serializer->ReplaceReservedSymbols || serializer->IgnoreUnknownTags);
    EXPECT_EQ(serializer->HeaderText, "");
    EXPECT_FALSE(serializer->OnGetXMLHeader);
    EXPECT_FALSE(serializer->BeforeParsing);
    EXPECT_EQ(Names(serializer->ClassType()),
              (std::vector<std::string>{"Name", "Tag", "GenerateFormattedXML", "ExcludeEmptyValues",
                                        "ExcludeDefaultValues", "ReplaceReservedSymbols", "StrongConformity",
                                        "IgnoreUnknownTags", "WrapCollections", "OnGetXMLHeader", "BeforeParsing"}));
    delete new TXMLSerializer(&owner); // one destroyed early leaves its owner's list
    EXPECT_EQ(owner.ComponentCount(), 1);
}
