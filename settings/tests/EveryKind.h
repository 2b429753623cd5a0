#pragma once

// A class with a published property of every kind, for the serializer's tests and fuzzer.

#include "settings/Classes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TColor { Red, Green, Blue };
const TEnumInfo& ColorType();

/// A nested persistent object.
class TPoint : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::int32_t X = 0;
    std::int32_t Y = 0;
};

/// An item of the collection property.
class TThing : public TCollectionItem {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::string Name;
    std::int32_t Size = 0;
};

/// A collection class with a published property of its own.
class TThingCollection : public TCollection {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    TThingCollection() : TCollection(TCollectionItemClass::Of<TThing>()) {}
    TThing& Thing(int index) const { return static_cast<TThing&>(*Items(index)); }

    std::string Caption;
};

/// Something a class property may hold that is not persistent.
class TOpaque : public TObject {};

/// What an interface property refers to.
struct IService {
    virtual ~IService() = default;
};

struct TBounds {
    int Left = 0;
    int Right = 0;
};

class TEveryKind : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    TEveryKind();

    std::int32_t Count = 0;
    std::uint8_t Small = 0;
    std::int8_t Signed = 0;
    std::uint32_t Unsigned = 0;
    std::int32_t Percent = 0; // 0..100
    char Letter = 'a';
    TColor Color = TColor::Red;
    bool Flag = false;
    double Ratio = 0;
    float Single = 0;
    std::string Code;         // short string of at most 8 bytes
    std::uint32_t Colors = 0; // set of TColor
    std::unique_ptr<TStringList> Lines;
    std::unique_ptr<TThingCollection> Things;
    std::unique_ptr<TPoint> Origin;
    TPoint* Target = nullptr; // null unless a test sets it
    std::unique_ptr<TOpaque> Opaque;
    std::function<void()> OnChange;
    char16_t WideLetter = u'w';
    std::string Text;
    std::u16string Wide;
    TVariant Any;
    std::array<int, 3> Numbers{};
    TBounds Bounds;
    std::shared_ptr<IService> Service;
    std::int64_t Big = 0;
    std::vector<int> Values;
    std::string Hidden;   // never stored
    std::string Optional; // stored when StoreOptional is set
    bool StoreOptional = true;
    /// Chars are written as their codes, which do not read back as chars: a document meant to be read
    /// back leaves them out.
    bool StoreLetters = true;

    /// Wraps around like the 32-bit arithmetic it stands for, instead of overflowing for large counts.
    std::int32_t GetComputed() const { return static_cast<std::int32_t>(static_cast<std::uint32_t>(Count) * 2u); }

    /// Fills every property with a value other than its initial one.
    void Fill();
};
