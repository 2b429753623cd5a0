#include "linklabel/NodeTree.h"

#include "base/SysUtils.h"
#include "linklabel/LinkLabelErrors.h"

#include <typeinfo>

namespace linklabel {

TNodeType TNode::GetNodeType() const {
    const std::type_info& type = typeid(*this);
    if (type == typeid(TNode)) {
        return ntNode;
    }
    if (type == typeid(TStyleNode)) {
        return ntStyleNode;
    }
    if (type == typeid(TColorNode)) {
        return ntColorNode;
    }
    if (type == typeid(TLinkNode)) {
        return ntLinkNode;
    }
    if (type == typeid(TDynamicNode)) {
        return ntDynamicNode;
    }
    if (type == typeid(TRootNode)) {
        return ntRootNode;
    }
    if (type == typeid(TStringNode)) {
        return ntStringNode;
    }
    if (type == typeid(TActionNode)) {
        return ntActionNode;
    }
    if (type == typeid(TUnknownNode)) {
        return ntUnknownNode;
    }
    // TParentNode and TAreaNode are never made on their own; anything else is a class the tree does not know.
    throw Exception(errors::kUnknownClass);
}

TNode* TParentNode::AddChild(std::unique_ptr<TNode> child) {
    TRootNode* root = Root();
    child->FParent = this;
    // A subtree moved here (the content of a dynamic tag) learns its new root, without recursion.
    std::vector<TNode*> pending{child.get()};
    while (!pending.empty()) {
        TNode* node = pending.back();
        pending.pop_back();
        node->FRoot = root;
        if (auto* parent = dynamic_cast<TParentNode*>(node)) {
            for (const auto& grandChild : parent->FChildren) {
                pending.push_back(grandChild.get());
            }
        }
    }
    FChildren.push_back(std::move(child));
    return FChildren.back().get();
}

std::vector<std::unique_ptr<TNode>> TParentNode::TakeChildren() {
    std::vector<std::unique_ptr<TNode>> taken = std::move(FChildren);
    FChildren.clear();
    for (auto& child : taken) {
        child->FParent = nullptr;
    }
    return taken;
}

TRootNode::TRootNode() {
    FRoot = this;
}

const TWordInfo& TStringNode::GetWordInfo(std::size_t index) const {
    if (index >= FWordInfos.size()) {
        throw Exception(errors::kWordInfoIndex);
    }
    return FWordInfos[index];
}

void RaiseNoMoreRecords() {
    throw Exception(errors::kNoMoreRecords);
}

TNodeEnumerator::TNodeEnumerator(const TNode& start, bool includeStart) {
    if (includeStart) {
        FStack.push_back(&start);
    } else if (auto* parent = dynamic_cast<const TParentNode*>(&start)) {
        for (auto it = parent->Children().rbegin(); it != parent->Children().rend(); ++it) {
            FStack.push_back(it->get());
        }
    }
    Advance();
}

TNodeEnumerator::TNodeEnumerator(const TNode& start, TNodeType only, bool includeStart)
    : TNodeEnumerator(start, includeStart) {
    FFiltered = true;
    FOnly = only;
    if (FNext != nullptr && FNext->GetNodeType() != FOnly) {
        Advance();
    }
}

void TNodeEnumerator::Advance() {
    FNext = nullptr;
    while (!FStack.empty()) {
        const TNode* node = FStack.back();
        FStack.pop_back();
        if (auto* parent = dynamic_cast<const TParentNode*>(node)) {
            for (auto it = parent->Children().rbegin(); it != parent->Children().rend(); ++it) {
                FStack.push_back(it->get());
            }
        }
        if (!FFiltered || node->GetNodeType() == FOnly) {
            FNext = node;
            return;
        }
    }
}

bool TNodeEnumerator::HasNext() {
    return FNext != nullptr;
}

TNode& TNodeEnumerator::GetNext() {
    if (FNext == nullptr) {
        throw Exception(errors::kNoMoreNodes);
    }
    const TNode* current = FNext;
    Advance();
    return const_cast<TNode&>(*current);
}

namespace {

bool AreaContains(const TAreaNode& area, TPoint point) {
    TNodeEnumerator strings(area, ntStringNode);
    while (strings.HasNext()) {
        const auto& text = static_cast<const TStringNode&>(strings.GetNext());
        for (const TRect& rect : text.Rects) {
            if (rect.Contains(point)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TNodeTree::TNodeTree() : FRoot(std::make_unique<TRootNode>()) {}

bool TNodeTree::IsOverLink(TPoint point) const {
    const TPoint local{point.X - FRoot->Origin.X, point.Y - FRoot->Origin.Y};
    for (const TRect& rect : FRoot->LinkRects) {
        if (rect.Contains(local)) {
            return true;
        }
    }
    return false;
}

TLinkNode* TNodeTree::GetLinkNodeAt(TPoint point) const {
    const TPoint local{point.X - FRoot->Origin.X, point.Y - FRoot->Origin.Y};
    const TParentNode* current = FRoot.get();
    for (;;) {
        const TAreaNode* next = nullptr;
        for (const auto& child : current->Children()) {
            auto* area = dynamic_cast<const TAreaNode*>(child.get());
            if (area != nullptr && AreaContains(*area, local)) {
                next = area;
                break;
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        if (next->GetNodeType() == ntLinkNode) {
            return const_cast<TLinkNode*>(static_cast<const TLinkNode*>(next));
        }
        current = next;
    }
}

std::string TNodeTree::LinkText(const TLinkNode& link) {
    std::string text;
    TNodeEnumerator strings(link, ntStringNode);
    while (strings.HasNext()) {
        text += static_cast<TStringNode&>(strings.GetNext()).Text();
    }
    return text;
}

void TNodeTree::DiscardWordInfos() {
    TNodeEnumerator strings(*FRoot, ntStringNode);
    while (strings.HasNext()) {
        static_cast<TStringNode&>(strings.GetNext()).ClearWordInfos();
    }
}

void TNodeTree::RebuildLinkRects() {
    FRoot->LinkRects.clear();
    // Outermost links only: a link inside a link adds nothing its outer link has not added already.
    std::vector<const TNode*> pending{FRoot.get()};
    while (!pending.empty()) {
        const TNode* node = pending.back();
        pending.pop_back();
        if (node->GetNodeType() == ntLinkNode) {
            TNodeEnumerator strings(*node, ntStringNode);
            while (strings.HasNext()) {
                const auto& text = static_cast<const TStringNode&>(strings.GetNext());
                FRoot->LinkRects.insert(FRoot->LinkRects.end(), text.Rects.begin(), text.Rects.end());
            }
            continue;
        }
        if (auto* parent = dynamic_cast<const TParentNode*>(node)) {
            for (auto it = parent->Children().rbegin(); it != parent->Children().rend(); ++it) {
                pending.push_back(it->get());
            }
        }
    }
}

} // namespace linklabel
