#pragma once

// The published-property model: what a class tells about the properties it saves. A class lists its
// published properties in a table built with TPublished, one line per property; the XML serializer works
// from that table alone.

#include "base/SysUtils.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

class TObject;
class TPersistent;

/// Kinds of published properties.
enum class TTypeKind {
    Unknown,
    Integer,     ///< ordinal of at most 32 bits, with its type's range
    Char,        ///< one byte character
    Enumeration, ///< named ordinal values; Boolean is one
    Float,
    ShortString, ///< string of at most 255 bytes
    Set,         ///< set of an enumeration of at most 32 members, a bit per member
    Class,       ///< reference to an object, possibly null
    Method,      ///< event handler
    WChar,       ///< UTF-16 code unit
    LString,     ///< byte string of any length
    WString,     ///< UTF-16 string
    Variant,
    Array,
    Record,
    Interface,
    Int64,
    DynArray,
};

/// An enumeration type: its name and the identifiers of its values, in order.
class TEnumInfo {
public:
    TEnumInfo(std::string name, std::vector<std::string> names) : FName(std::move(name)), FNames(std::move(names)) {}

    const std::string& Name() const { return FName; }
    int Count() const { return static_cast<int>(FNames.size()); }
    /// The identifier of a value; empty for a value outside the type.
    std::string NameOf(std::int64_t value) const;
    /// The value whose identifier equals `name`, the case of letters ignored; -1 when none does.
    int ValueOf(std::string_view name) const;

private:
    std::string FName;
    std::vector<std::string> FNames;
};

/// The enumeration False, True.
const TEnumInfo& BooleanType();

/// Value of a variant property: unassigned, a Boolean, an integer, a float or a string.
using TVariant = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

/// A property value as it passes through the table: ordinal kinds as int64, float as double, strings,
/// wide strings, variants and object references; monostate for kinds that carry nothing the table reads.
using TPropValue = std::variant<std::monostate, std::int64_t, double, std::string, std::u16string, TVariant, TObject*>;

/// One published property of a class.
struct TPropInfo {
    /// The declared default of a property whose declaration gives none.
    static constexpr std::int32_t NoDefault = std::numeric_limits<std::int32_t>::min();

    std::string Name;
    TTypeKind Kind = TTypeKind::Unknown;
    std::int64_t MinValue = 0; ///< integer kind: the range of its type
    std::int64_t MaxValue = 0;
    const TEnumInfo* EnumType = nullptr; ///< enumeration: its type; set: the type of its members
    std::size_t MaxLength = 255;         ///< short string: longer texts are cut to this
    std::int32_t Default = NoDefault;
    bool HasRead = false;
    bool HasWrite = false;
    std::function<TPropValue(const TPersistent&)> Getter;
    std::function<void(TPersistent&, const TPropValue&)> Setter;
    bool StoredConstant = true;
    std::function<bool(const TPersistent&)> StoredPredicate; ///< when set, decides instead of StoredConstant

    bool IsStored(const TPersistent& object) const {
        return StoredPredicate ? StoredPredicate(object) : StoredConstant;
    }

    std::int64_t GetOrd(const TPersistent& object) const { return std::get<std::int64_t>(Getter(object)); }
    double GetFloat(const TPersistent& object) const { return std::get<double>(Getter(object)); }
    std::string GetStr(const TPersistent& object) const { return std::get<std::string>(Getter(object)); }
    std::u16string GetWideStr(const TPersistent& object) const { return std::get<std::u16string>(Getter(object)); }
    TVariant GetVariant(const TPersistent& object) const { return std::get<TVariant>(Getter(object)); }
    TObject* GetObject(const TPersistent& object) const { return std::get<TObject*>(Getter(object)); }

    void SetOrd(TPersistent& object, std::int64_t value) const { Setter(object, value); }
    void SetFloat(TPersistent& object, double value) const { Setter(object, value); }
    /// Short strings keep at most MaxLength bytes.
    void SetStr(TPersistent& object, std::string value) const;
    void SetWideStr(TPersistent& object, std::u16string value) const { Setter(object, std::move(value)); }
    void SetVariant(TPersistent& object, TVariant value) const { Setter(object, std::move(value)); }
};

/// The run-time class of a persistent object: its name, its ancestor and its published properties
/// (the ancestors' first, each class's own after them in declaration order).
class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> properties)
        : FName(std::move(name)), FParent(parent), FProperties(std::move(properties)) {}

    const std::string& Name() const { return FName; }
    const TClassInfo* Parent() const { return FParent; }
    const std::vector<TPropInfo>& Properties() const { return FProperties; }
    /// The first property, in table order, whose name equals `name` exactly; null when none does.
    const TPropInfo* FindProperty(std::string_view name) const;
    bool InheritsFrom(const TClassInfo& ancestor) const;

private:
    std::string FName;
    const TClassInfo* FParent;
    std::vector<TPropInfo> FProperties;
};

/// A text assigned to an ordinal property lies outside the range of its type.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
};

/// A text that is not a number of the kind asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A text that names no member of an enumeration: "Invalid property element: %s".
class EPropertyConvertError : public Exception {
public:
    using Exception::Exception;
};

/// Default access argument of TPublished: write through the data member given for reading, if it is one.
struct TAutoWrite {};

namespace published_detail {

bool SameName(std::string_view a, std::string_view b);

template <class C, class M> decltype(auto) ReadMember(const C& object, M member) {
    if constexpr (std::is_member_object_pointer_v<M>) {
        return (object.*member);
    } else {
        return (object.*member)();
    }
}

template <class C, class M, class V> void WriteMember(C& object, M member, V&& value) {
    if constexpr (std::is_member_object_pointer_v<M>) {
        object.*member = std::forward<V>(value);
    } else {
        (object.*member)(std::forward<V>(value));
    }
}

template <class C, class M>
using MemberType = std::remove_cvref_t<decltype(ReadMember(std::declval<const C&>(), std::declval<M>()))>;

template <class T> TObject* AsObject(const T& value) {
    if constexpr (std::is_pointer_v<T>) {
        return value;
    } else {
        return value.get(); // a smart pointer
    }
}

} // namespace published_detail

/// Builds the published-property table of class C, one call per property, ancestors' properties first:
///
///     static const TClassInfo info = TPublished<TSettings>("TSettings", TPersistent::StaticClassInfo())
///         .LString("SkinName", &TSettings::FSkinName);
///
/// Access is a data member (read and write), a getter (read only), or a getter and a setter. The modifiers
/// (Default, Stored, Range, MaxLength) apply to the property declared last. Declaring a name the ancestor
/// already has replaces its entry in the ancestor's place.
template <class C> class TPublished {
public:
    explicit TPublished(std::string className) : FName(std::move(className)) {}
    TPublished(std::string className, const TClassInfo& parent)
        : FName(std::move(className)), FParent(&parent), FProperties(parent.Properties()) {}

    operator TClassInfo() { return TClassInfo(std::move(FName), FParent, std::move(FProperties)); }

    template <class G, class S = TAutoWrite> TPublished& Integer(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool> && sizeof(V) <= 4,
                      "an integer property has an integer type of at most 32 bits");
        Add(
            std::move(name), TTypeKind::Integer, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(v)); },
            [](const TPropValue& v) { return static_cast<V>(std::get<std::int64_t>(v)); });
        return Range(std::numeric_limits<V>::min(), std::numeric_limits<V>::max());
    }

    template <class G, class S = TAutoWrite> TPublished& Char(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(sizeof(V) == 1, "a char property holds one byte");
        return Add(
            std::move(name), TTypeKind::Char, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(static_cast<unsigned char>(v))); },
            [](const TPropValue& v) { return static_cast<V>(static_cast<unsigned char>(std::get<std::int64_t>(v))); });
    }

    template <class G, class S = TAutoWrite> TPublished& WChar(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(sizeof(V) == 2, "a wide char property holds one UTF-16 code unit");
        return Add(
            std::move(name), TTypeKind::WChar, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(static_cast<char16_t>(v))); },
            [](const TPropValue& v) { return static_cast<V>(static_cast<char16_t>(std::get<std::int64_t>(v))); });
    }

    template <class G, class S = TAutoWrite>
    TPublished& Enumeration(std::string name, const TEnumInfo& type, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        Add(
            std::move(name), TTypeKind::Enumeration, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(v)); },
            [](const TPropValue& v) { return static_cast<V>(std::get<std::int64_t>(v)); });
        FProperties[FLast].EnumType = &type;
        return *this;
    }

    template <class G, class S = TAutoWrite> TPublished& Boolean(std::string name, G get, S set = {}) {
        return Enumeration(std::move(name), BooleanType(), get, set);
    }

    template <class G, class S = TAutoWrite> TPublished& Float(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(std::is_floating_point_v<V>, "a float property has a floating-point type");
        return Add(
            std::move(name), TTypeKind::Float, get, set, [](const V& v) { return TPropValue(static_cast<double>(v)); },
            [](const TPropValue& v) { return static_cast<V>(std::get<double>(v)); });
    }

    template <class G, class S = TAutoWrite> TPublished& ShortString(std::string name, G get, S set = {}) {
        return StringKind(std::move(name), TTypeKind::ShortString, get, set);
    }

    template <class G, class S = TAutoWrite> TPublished& LString(std::string name, G get, S set = {}) {
        return StringKind(std::move(name), TTypeKind::LString, get, set);
    }

    template <class G, class S = TAutoWrite> TPublished& WString(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        return Add(
            std::move(name), TTypeKind::WString, get, set, [](const V& v) { return TPropValue(std::u16string(v)); },
            [](const TPropValue& v) -> const std::u16string& { return std::get<std::u16string>(v); });
    }

    /// A set of members of `type` (at most 32), one bit per member value.
    template <class G, class S = TAutoWrite>
    TPublished& Set(std::string name, const TEnumInfo& type, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(std::is_integral_v<V> && std::is_unsigned_v<V> && sizeof(V) <= 4, "a set is a bit mask");
        Add(
            std::move(name), TTypeKind::Set, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(v)); },
            [](const TPropValue& v) { return static_cast<V>(std::get<std::int64_t>(v)); });
        FProperties[FLast].EnumType = &type;
        return *this;
    }

    template <class G, class S = TAutoWrite> TPublished& Variant(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        return Add(
            std::move(name), TTypeKind::Variant, get, set, [](const V& v) { return TPropValue(v); },
            [](const TPropValue& v) -> const TVariant& { return std::get<TVariant>(v); });
    }

    /// An object reference: a pointer or smart pointer member, or a getter returning a pointer. The
    /// serializer never replaces the object, so a setter is optional (a raw pointer member is written).
    template <class G, class S = std::nullptr_t> TPublished& Class(std::string name, G get, S set = nullptr) {
        using V = published_detail::MemberType<C, G>;
        TPropInfo info;
        info.Kind = TTypeKind::Class;
        info.HasRead = true;
        info.Getter = [get](const TPersistent& object) -> TPropValue {
            return published_detail::AsObject(published_detail::ReadMember(static_cast<const C&>(object), get));
        };
        if constexpr (!std::is_null_pointer_v<S>) {
            info.HasWrite = true;
            info.Setter = [set](TPersistent& object, const TPropValue& value) {
                using Target = std::remove_cvref_t<decltype(published_detail::ReadMember(std::declval<const C&>(),
                                                                                         std::declval<G>()))>;
                published_detail::WriteMember(static_cast<C&>(object), set,
                                              dynamic_cast<Target>(std::get<TObject*>(value)));
            };
        } else if constexpr (std::is_member_object_pointer_v<G> && std::is_pointer_v<V>) {
            info.HasWrite = true;
            info.Setter = [get](TPersistent& object, const TPropValue& value) {
                static_cast<C&>(object).*get = dynamic_cast<V>(std::get<TObject*>(value));
            };
        }
        return Put(std::move(name), std::move(info));
    }

    /// A 64-bit integer: the model holds it, the serializer passes over it.
    template <class G, class S = TAutoWrite> TPublished& Int64(std::string name, G get, S set = {}) {
        using V = published_detail::MemberType<C, G>;
        static_assert(std::is_integral_v<V> && sizeof(V) == 8, "an Int64 property has a 64-bit integer type");
        return Add(
            std::move(name), TTypeKind::Int64, get, set,
            [](const V& v) { return TPropValue(static_cast<std::int64_t>(v)); },
            [](const TPropValue& v) { return static_cast<V>(std::get<std::int64_t>(v)); });
    }

    /// Kinds the table only names (event handlers, arrays, records, interfaces, dynamic arrays): their
    /// values are none of the serializer's business. `member` says where the value lives.
    template <class M> TPublished& Method(std::string name, M member) {
        return Opaque(std::move(name), TTypeKind::Method, member);
    }
    template <class M> TPublished& Array(std::string name, M member) {
        return Opaque(std::move(name), TTypeKind::Array, member);
    }
    template <class M> TPublished& Record(std::string name, M member) {
        return Opaque(std::move(name), TTypeKind::Record, member);
    }
    template <class M> TPublished& Interface(std::string name, M member) {
        return Opaque(std::move(name), TTypeKind::Interface, member);
    }
    template <class M> TPublished& DynArray(std::string name, M member) {
        return Opaque(std::move(name), TTypeKind::DynArray, member);
    }

    /// Makes an ancestor's property the one the next modifiers change, keeping its place.
    TPublished& Redeclare(std::string_view name) {
        for (std::size_t i = 0; i < FProperties.size(); ++i) {
            if (published_detail::SameName(FProperties[i].Name, name)) {
                FLast = i;
                return *this;
            }
        }
        throw std::logic_error("no inherited property " + std::string(name) + " to redeclare in " + FName);
    }

    TPublished& Default(std::int32_t value) {
        FProperties[FLast].Default = value;
        return *this;
    }
    TPublished& Stored(bool stored) {
        FProperties[FLast].StoredConstant = stored;
        FProperties[FLast].StoredPredicate = nullptr;
        return *this;
    }
    /// Stored when a Boolean field, or a function of the object, says so.
    template <class M>
    requires std::is_member_pointer_v<M> TPublished& Stored(M predicate) {
        FProperties[FLast].StoredPredicate = [predicate](const TPersistent& object) {
            return static_cast<bool>(published_detail::ReadMember(static_cast<const C&>(object), predicate));
        };
        return *this;
    }
    /// Narrows an integer property to a subrange of its type.
    TPublished& Range(std::int64_t minValue, std::int64_t maxValue) {
        FProperties[FLast].MinValue = minValue;
        FProperties[FLast].MaxValue = maxValue;
        return *this;
    }
    TPublished& MaxLength(std::size_t length) {
        FProperties[FLast].MaxLength = length;
        return *this;
    }

private:
    template <class G, class S, class ToValue, class FromValue>
    TPublished& Add(std::string name, TTypeKind kind, G get, S set, ToValue toValue, FromValue fromValue) {
        TPropInfo info;
        info.Kind = kind;
        info.HasRead = true;
        info.Getter = [get, toValue](const TPersistent& object) -> TPropValue {
            return toValue(published_detail::ReadMember(static_cast<const C&>(object), get));
        };
        if constexpr (std::is_same_v<S, TAutoWrite>) {
            // Given alone, a data member is also written through; a getter makes a read-only property.
            if constexpr (std::is_member_object_pointer_v<G>) {
                return Add(std::move(name), kind, get, get, toValue, fromValue);
            }
        } else if constexpr (!std::is_null_pointer_v<S>) {
            info.HasWrite = true;
            info.Setter = [set, fromValue](TPersistent& object, const TPropValue& value) {
                published_detail::WriteMember(static_cast<C&>(object), set, fromValue(value));
            };
        }
        return Put(std::move(name), std::move(info));
    }

    template <class G, class S> TPublished& StringKind(std::string name, TTypeKind kind, G get, S set) {
        using V = published_detail::MemberType<C, G>;
        return Add(
            std::move(name), kind, get, set, [](const V& v) { return TPropValue(std::string(v)); },
            [](const TPropValue& v) -> const std::string& { return std::get<std::string>(v); });
    }

    template <class M> TPublished& Opaque(std::string name, TTypeKind kind, M) {
        TPropInfo info;
        info.Kind = kind;
        info.HasRead = true;
        info.HasWrite = std::is_member_object_pointer_v<M>;
        info.Getter = [](const TPersistent&) { return TPropValue(); };
        return Put(std::move(name), std::move(info));
    }

    TPublished& Put(std::string name, TPropInfo info) {
        info.Name = std::move(name);
        for (std::size_t i = 0; i < FProperties.size(); ++i) {
            if (published_detail::SameName(FProperties[i].Name, info.Name)) {
                FProperties[i] = std::move(info); // redeclared: the ancestor's place
                FLast = i;
                return *this;
            }
        }
        FProperties.push_back(std::move(info));
        FLast = FProperties.size() - 1;
        return *this;
    }

    std::string FName;
    const TClassInfo* FParent = nullptr;
    std::vector<TPropInfo> FProperties;
    std::size_t FLast = 0;
};
