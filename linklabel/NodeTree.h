#pragma once

#include "linklabel/LinkLabelColors.h"
#include "linklabel/LinkLabelTypes.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace linklabel {

/// Kinds of node, numbered as the node classes are.
enum TNodeType : int {
    ntNode = 0,
    ntParentNode = 1,
    ntAreaNode = 2,
    ntStyleNode = 3,
    ntColorNode = 4,
    ntLinkNode = 5,
    ntDynamicNode = 6,
    ntRootNode = 7,
    ntStringNode = 8,
    ntActionNode = 9,
    ntUnknownNode = 10,
};

class TParentNode;
class TRootNode;

/// Base of every node: knows its parent and the root of its tree.
class TNode {
public:
    TNode() = default;
    virtual ~TNode() = default;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    TParentNode* Parent() const { return FParent; }
    TRootNode* Root() const { return FRoot; }
    /// The kind of this node by its exact class; a class the tree does not know raises.
    TNodeType GetNodeType() const;

private:
    friend class TParentNode;
    friend class TRootNode;
    TParentNode* FParent = nullptr;
    TRootNode* FRoot = nullptr;
};

/// A node with an ordered list of children, which it owns.
class TParentNode : public TNode {
public:
    /// Appends `child` as the last child and returns it.
    TNode* AddChild(std::unique_ptr<TNode> child);
    /// Takes every child away (they no longer know a parent or root), for moving them under another node.
    std::vector<std::unique_ptr<TNode>> TakeChildren();

    std::size_t ChildCount() const { return FChildren.size(); }
    TNode* Child(std::size_t index) const { return FChildren.at(index).get(); }
    const std::vector<std::unique_ptr<TNode>>& Children() const { return FChildren; }

protected:
    TParentNode() = default;

private:
    std::vector<std::unique_ptr<TNode>> FChildren;
};

/// A parent node whose text is drawn somewhere: where its first text starts (relative to the tree's
/// origin), and the style and colour it was last drawn with.
class TAreaNode : public TParentNode {
public:
    TPoint StartingPoint;
    TFontStyles Styles = 0;
    TColor Color = clWindowText;

protected:
    TAreaNode() = default;
};

class TStyleNode : public TAreaNode {
public:
    explicit TStyleNode(TFontStyle style) : FStyle(style) {}
    TFontStyle Style() const { return FStyle; }

private:
    TFontStyle FStyle;
};

class TColorNode : public TAreaNode {
public:
    explicit TColorNode(TColor color) : FNodeColor(color) {}
    /// The colour of the tag (not the colour the node was drawn with, which is TAreaNode::Color).
    TColor NodeColor() const { return FNodeColor; }

private:
    TColor FNodeColor;
};

enum TLinkState : int { lsNormal = 0, lsClicked = 1, lsHot = 2 };

class TLinkNode : public TAreaNode {
public:
    TLinkNode(int number, std::string param) : FLinkNumber(number), FParam(std::move(param)) {}
    int LinkNumber() const { return FLinkNumber; }
    const std::string& Param() const { return FParam; }
    TLinkState State = lsNormal;

private:
    int FLinkNumber;
    std::string FParam;
};

class TDynamicNode : public TAreaNode {
public:
    explicit TDynamicNode(int number) : FNumber(number) {}
    int Number() const { return FNumber; }

private:
    int FNumber;
};

class TRootNode : public TAreaNode {
public:
    TRootNode();
    /// Where the tree is drawn in the control; every recorded rectangle is relative to it.
    TPoint Origin;
    /// Drawn rectangles of the string nodes inside every outermost link, rebuilt by each rendering.
    std::vector<TRect> LinkRects;
};

/// One word of a string node as the last layout measured it.
struct TWordInfo {
    int Width = 0;              ///< width for the wrap decision: the word and the pieces that continue it
    bool EndsWithSpace = false; ///< the word's own last character is a space
    int SpaceWidth = 0;         ///< width of one space in the word's style
    int TextWidth = 0;          ///< width of the word's own text, as it is drawn
};

class TStringNode : public TNode {
public:
    explicit TStringNode(std::string text) : FText(std::move(text)) {}
    const std::string& Text() const { return FText; }

    std::vector<TRect> Rects; ///< where the text was last drawn, relative to the tree's origin

    std::size_t WordInfoCount() const { return FWordInfos.size(); }
    bool HasWordInfo(std::size_t index) const { return index < FWordInfos.size(); }
    const TWordInfo& GetWordInfo(std::size_t index) const;
    void AddWordInfo(const TWordInfo& info) { FWordInfos.push_back(info); }
    void ClearWordInfos() { FWordInfos.clear(); }

    /// The last layout handed this text on as the continuation of a word begun by the text before it.
    bool ContinuesWord = false;

private:
    std::string FText;
    std::vector<TWordInfo> FWordInfos;
};

enum TActionType : int { atLineBreak = 0, atParagraph = 1 };

class TActionNode : public TNode {
public:
    explicit TActionNode(TActionType action) : FAction(action) {}
    TActionType Action() const { return FAction; }

private:
    TActionType FAction;
};

/// A tag the parser does not know; keeps its text and draws nothing.
class TUnknownNode : public TNode {
public:
    explicit TUnknownNode(std::string text) : FText(std::move(text)) {}
    const std::string& Text() const { return FText; }

private:
    std::string FText;
};

/// Walks a subtree depth first, parents before their children, optionally only nodes of one kind.
class TNodeEnumerator {
public:
    explicit TNodeEnumerator(const TNode& start, bool includeStart = true);
    TNodeEnumerator(const TNode& start, TNodeType only, bool includeStart = true);

    bool HasNext();
    /// The next node; raises when there is none.
    TNode& GetNext();

private:
    void Advance();

    std::vector<const TNode*> FStack;
    const TNode* FNext = nullptr;
    bool FFiltered = false;
    TNodeType FOnly = ntNode;
};

/// Steps through a list of records (rectangles, word measurements).
template <class T> class TRecordEnumerator {
public:
    explicit TRecordEnumerator(const std::vector<T>& records) : FRecords(records) {}
    bool HasNext() const { return FIndex < FRecords.size(); }
    /// The next record; raises when there is none.
    const T& GetNext();

private:
    const std::vector<T>& FRecords;
    std::size_t FIndex = 0;
};

[[noreturn]] void RaiseNoMoreRecords();

template <class T> const T& TRecordEnumerator<T>::GetNext() {
    if (!HasNext()) {
        RaiseNoMoreRecords();
    }
    return FRecords[FIndex++];
}

/// The tree made from one caption. Owns its root.
class TNodeTree {
public:
    TNodeTree();
    TRootNode& Root() const { return *FRoot; }

    /// True when `point` (in the control) lies, after subtracting the root's origin, in one of the root's
    /// link rectangles, edges included.
    bool IsOverLink(TPoint point) const;
    /// The link under `point` (in the control): found by descending from the root through the area nodes
    /// whose drawn text contains the point until a link is reached; null when there is none.
    TLinkNode* GetLinkNodeAt(TPoint point) const;
    /// The visible text of a link: the texts of its string nodes, joined.
    static std::string LinkText(const TLinkNode& link);
    /// Forgets every string node's word measurements (the font changed).
    void DiscardWordInfos();
    /// Rebuilds the root's link rectangles from the drawn rectangles of the string nodes inside every
    /// outermost link.
    void RebuildLinkRects();

private:
    std::unique_ptr<TRootNode> FRoot;
};

} // namespace linklabel
