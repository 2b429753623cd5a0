#pragma once

// The classes the serializer knows by family: persistent objects, string lists, collections and
// components.

#include "settings/TypInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Root of every object a published property may reference.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

/// An object that can be saved: it reports its run-time class and that class's published properties.
/// Each descendant declares StaticClassInfo() and overrides ClassType() to return it.
class TPersistent : public TObject {
public:
    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassType() const { return StaticClassInfo(); }
    const std::string& ClassName() const { return ClassType().Name(); }
};

/// An ordered list of strings.
class TStrings : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Strings(int index) const { return FItems.at(static_cast<std::size_t>(index)); }
    const std::vector<std::string>& Items() const { return FItems; }
    void Add(std::string item) { FItems.push_back(std::move(item)); }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }

    /// The items joined by ","; an item holding a byte from 1 to 32, a double quote or a comma is
    /// quoted with its double quotes doubled. A single empty item gives two double quotes.
    std::string CommaText() const;
    /// Clears the list and fills it from comma text; white space separates items as a comma does.
    /// A zero byte ends the text.
    void SetCommaText(std::string_view text);

private:
    std::vector<std::string> FItems;
};

class TStringList : public TStrings {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }
};

class TCollection;

/// An item of a collection; the collection owns it.
class TCollectionItem : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    TCollection* Collection() const { return FCollection; }
    /// Position in the collection; -1 outside one.
    int Index() const;

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
};

/// The class of a collection's items: its table and how to make a new one.
struct TCollectionItemClass {
    const TClassInfo* Info;
    std::unique_ptr<TCollectionItem> (*Create)();

    template <class T> static TCollectionItemClass Of() {
        return {&T::StaticClassInfo(), []() -> std::unique_ptr<TCollectionItem> { return std::make_unique<T>(); }};
    }
};

/// An ordered list of items of one item class, which it owns.
class TCollection : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    explicit TCollection(TCollectionItemClass itemClass) : FItemClass(itemClass) {}

    const TCollectionItemClass& ItemClass() const { return FItemClass; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int index) const { return FItems.at(static_cast<std::size_t>(index)).get(); }
    /// Makes a new item of the item class at the end.
    TCollectionItem& Add();
    /// Removes and destroys one item.
    void Delete(int index);
    void Clear() { FItems.clear(); }

private:
    friend class TCollectionItem;
    TCollectionItemClass FItemClass;
    std::vector<std::unique_ptr<TCollectionItem>> FItems;
};

/// A persistent object that can be owned: its owner destroys it. Publishes Name (not stored) and Tag.
class TComponent : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(static_cast<std::size_t>(index)); }

    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    std::int32_t Tag() const { return FTag; }
    void SetTag(std::int32_t tag) { FTag = tag; }

private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::string FName;
    std::int32_t FTag = 0;
};
