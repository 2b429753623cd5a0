#pragma once

#include "linklabel/NodeTree.h"

#include <cstddef>
#include <memory>
#include <string>

namespace linklabel {

enum TElementKind : int { ekOpeningTag = 0, ekClosingTag = 1, ekText = 2 };

struct TElement {
    TElementKind Kind = ekText;
    std::string Text;
};

/// Reads a prepared caption as a sequence of elements: "<" not followed by "/" opens a tag, "</" closes
/// one (both run to the next ">"; without one, to the end of the text less its last character), and
/// anything else is text up to the next "<".
class TElementEnumerator {
public:
    explicit TElementEnumerator(std::string text) : FText(std::move(text)) {}

    bool HasNext() const { return FPosition < FText.size(); }
    /// The kind of the next element; only when HasNext().
    TElementKind PeekKind() const;
    /// The next element; raises when the text is exhausted.
    TElement GetNextElement();

private:
    std::string FText;
    std::size_t FPosition = 0;
};

/// Removes every carriage-return-plus-line-feed pair; a lone carriage return or line feed stays.
std::string PrepareCaption(const std::string& caption);

/// Asked for the markup of each dynamic tag while a caption is parsed.
class IDynamicNodeHandler {
public:
    virtual ~IDynamicNodeHandler() = default;
    /// `source` comes in empty; markup left in it is parsed and shown in place of the tag.
    virtual void DynamicTagInit(std::string& source, int number) = 0;
};

/// Numbers given to links and dynamic tags in the order the parser meets them. The text of a dynamic tag
/// is parsed with the same counters, so every link of a caption has its own number.
struct TParseCounters {
    int LinkCount = 0;
    int DynamicCount = 0;
};

class IParser {
public:
    virtual ~IParser() = default;
    /// Parses `text` into a new tree.
    virtual std::unique_ptr<TNodeTree> Parse(const std::string& text) = 0;
    /// The handler asked for the markup of dynamic tags; null: they stay empty.
    virtual void SetDynamicNodeHandler(IDynamicNodeHandler* handler) = 0;
};

class TDefaultParser : public IParser {
public:
    /// Scopes nested deeper than this are flattened: their tags are dropped, their content is kept and
    /// their closing tags still close them. Keeps every walk over the tree shallow whatever the caption.
    static constexpr std::size_t kMaxDepth = 128;

    TDefaultParser() : FCounters(FOwnCounters) {}
    /// A parser for the text of a dynamic tag: shares the counters of the caption and starts `depth`
    /// levels down.
    TDefaultParser(TParseCounters& counters, std::size_t depth) : FCounters(counters), FDepth(depth) {}

    std::unique_ptr<TNodeTree> Parse(const std::string& text) override;
    void SetDynamicNodeHandler(IDynamicNodeHandler* handler) override { FHandler = handler; }

    /// Link and dynamic numbers start again at 0 (a new caption).
    void ResetCounters() { FCounters = TParseCounters{}; }
    const TParseCounters& Counters() const { return FCounters; }

private:
    std::unique_ptr<TNode> ParseNode(const TElement& element, std::size_t depth);
    std::unique_ptr<TNode> MakeTagNode(const std::string& tag);

    TParseCounters FOwnCounters;
    TParseCounters& FCounters;
    std::size_t FDepth = 0;
    IDynamicNodeHandler* FHandler = nullptr;
};

/// Index of a tag in the tag table (B, I, U, COLOR=, LINK=, BR, P, DYNAMIC), or -1 for an unknown tag.
int FindTag(const std::string& tag);

} // namespace linklabel
