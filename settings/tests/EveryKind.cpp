#include "EveryKind.h"

const TEnumInfo& ColorType() {
    static const TEnumInfo type("TColor", {"Red", "Green", "Blue"});
    return type;
}

const TClassInfo& TPoint::StaticClassInfo() {
    static const TClassInfo info =
        TPublished<TPoint>("TPoint", TPersistent::StaticClassInfo()).Integer("X", &TPoint::X).Integer("Y", &TPoint::Y);
    return info;
}

const TClassInfo& TThing::StaticClassInfo() {
    static const TClassInfo info = TPublished<TThing>("TThing", TCollectionItem::StaticClassInfo())
                                       .LString("Name", &TThing::Name)
                                       .Integer("Size", &TThing::Size);
    return info;
}

const TClassInfo& TThingCollection::StaticClassInfo() {
    static const TClassInfo info = TPublished<TThingCollection>("TThingCollection", TCollection::StaticClassInfo())
                                       .LString("Caption", &TThingCollection::Caption);
    return info;
}

// Property tables keep one line per property.
// clang-format off
const TClassInfo& TEveryKind::StaticClassInfo() {
    static const TClassInfo info = TPublished<TEveryKind>("TEveryKind", TPersistent::StaticClassInfo())
        .Integer("Count", &TEveryKind::Count).Default(7)
        .Integer("Small", &TEveryKind::Small)
        .Integer("Signed", &TEveryKind::Signed)
        .Integer("Unsigned", &TEveryKind::Unsigned)
        .Integer("Percent", &TEveryKind::Percent).Range(0, 100)
        .Char("Letter", &TEveryKind::Letter).Default('a').Stored(&TEveryKind::StoreLetters)
        .Enumeration("Color", ColorType(), &TEveryKind::Color).Default(0)
        .Boolean("Flag", &TEveryKind::Flag)
        .Float("Ratio", &TEveryKind::Ratio)
        .Float("Single", &TEveryKind::Single)
        .ShortString("Code", &TEveryKind::Code).MaxLength(8)
        .Set("Colors", ColorType(), &TEveryKind::Colors).Default(0)
        .Class("Lines", &TEveryKind::Lines)
        .Class("Things", &TEveryKind::Things)
        .Class("Origin", &TEveryKind::Origin)
        .Class("Target", &TEveryKind::Target)
        .Class("Opaque", &TEveryKind::Opaque)
        .Method("OnChange", &TEveryKind::OnChange)
        .WChar("WideLetter", &TEveryKind::WideLetter).Stored(&TEveryKind::StoreLetters)
        .LString("Text", &TEveryKind::Text)
        .WString("Wide", &TEveryKind::Wide)
        .Variant("Any", &TEveryKind::Any)
        .Array("Numbers", &TEveryKind::Numbers)
        .Record("Bounds", &TEveryKind::Bounds)
        .Interface("Service", &TEveryKind::Service)
        .Int64("Big", &TEveryKind::Big)
        .DynArray("Values", &TEveryKind::Values)
        .LString("Hidden", &TEveryKind::Hidden).Stored(false)
        .LString("Optional", &TEveryKind::Optional).Stored(&TEveryKind::StoreOptional)
        .Integer("Computed", &TEveryKind::GetComputed);
    return info;
}
// clang-format on

TEveryKind::TEveryKind()
    : Lines(std::make_unique<TStringList>()), Things(std::make_unique<TThingCollection>()),
      Origin(std::make_unique<TPoint>()), Opaque(std::make_unique<TOpaque>()) {}

void TEveryKind::Fill() {
    Count = -42;
    Small = 200;
    Signed = -100;
    Unsigned = 4000000000U;
    Percent = 55;
    Letter = 'Z';
    Color = TColor::Blue;
    Flag = true;
    Ratio = 0.5;
    Single = 2.25F;
    Code = "ABC";
    Colors = (1U << 0) | (1U << 2);
    Lines->Add("plain");
    Lines->Add("with space");
    Lines->Add("say \"hi\"");
    Lines->Add("a,b");
    Things->Caption = "two things";
    auto& first = static_cast<TThing&>(Things->Add());
    first.Name = "first";
    first.Size = 1;
    auto& second = static_cast<TThing&>(Things->Add());
    second.Name = "second";
    second.Size = 2;
    Origin->X = 10;
    Origin->Y = -20;
    WideLetter = u'\x00e9';
    Text = "a<b>&c";
    Wide = u"wide text";
    Any = std::string("anything");
    Big = 1234567890123LL;
    Hidden = "secret";
    Optional = "maybe";
}
