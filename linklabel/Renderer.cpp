#include "linklabel/Renderer.h"

#include "linklabel/TextHandler.h"

namespace linklabel {

namespace {

bool IsLinkPlaceholder(TColor color) {
    return color == clLinkNormal || color == clLinkClicked || color == clLinkHot;
}

} // namespace

TColor TDefaultRenderer::ResolveColor(TColor color) const {
    switch (color) {
    case clLinkNormal:
        return FLinkColor;
    case clLinkClicked:
        return FLinkColorClicked;
    case clLinkHot:
        return FLinkColorHot;
    default:
        return color;
    }
}

int TDefaultRenderer::LineHeight(ILinkCanvas& canvas, TColor color) {
    canvas.SetFont(0, color);
    return canvas.TextHeight("Yy");
}

void TDefaultRenderer::RenderTree(ILinkCanvas& canvas, const TRect& rect, TNodeTree& tree) {
    TRootNode& root = tree.Root();
    const int lineHeight = LineHeight(canvas, ResolveColor(root.Color));
    TTextHandler handler(canvas, rect, root.Origin, lineHeight);
    const TPoint start = handler.Pen();
    RenderArea(root, root.Styles, root.Color, handler);
    handler.EmptyBuffer();
    FTextHeight = handler.Pen().Y - start.Y + lineHeight;
    tree.RebuildLinkRects();
}

void TDefaultRenderer::RenderNode(ILinkCanvas& canvas, const TRect& rect, TNode& node) {
    auto* area = dynamic_cast<TAreaNode*>(&node);
    if (area == nullptr || area->Root() == nullptr) {
        return;
    }
    TColor color = area->Color;
    // A link shows its current state; text inside a link follows the state of the innermost link.
    if (auto* link = dynamic_cast<TLinkNode*>(area)) {
        color = clLinkNormal + link->State;
    } else if (IsLinkPlaceholder(color)) {
        for (TNode* up = area->Parent(); up != nullptr; up = up->Parent()) {
            if (auto* outer = dynamic_cast<TLinkNode*>(up)) {
                color = clLinkNormal + outer->State;
                break;
            }
        }
    }
    TTextHandler handler(canvas, rect, area->Root()->Origin, LineHeight(canvas, ResolveColor(area->Root()->Color)));
    handler.SetPen(area->StartingPoint);
    TNodeEnumerator strings(*area, ntStringNode);
    if (strings.HasNext()) {
        handler.SetFirstTextContinues(static_cast<TStringNode&>(strings.GetNext()).ContinuesWord);
    }
    RenderArea(*area, area->Styles, color, handler);
    handler.EmptyBuffer();
}

void TDefaultRenderer::RenderArea(TAreaNode& area, TFontStyles styles, TColor color, TTextHandler& handler) {
    area.Styles = styles;
    area.Color = color;
    handler.StartArea(area);
    for (const auto& child : area.Children()) {
        TFontStyles childStyles = styles;
        TColor childColor = color;
        switch (child->GetNodeType()) {
        case ntStyleNode:
            childStyles |= static_cast<TStyleNode&>(*child).Style();
            break;
        case ntColorNode:
            childColor = static_cast<TColorNode&>(*child).NodeColor();
            break;
        case ntLinkNode:
            childStyles |= FLinkStyle;
            childColor = clLinkNormal + static_cast<TLinkNode&>(*child).State;
            break;
        case ntStringNode:
            handler.AddString(static_cast<TStringNode&>(*child), styles, ResolveColor(color));
            break;
        case ntActionNode:
            if (static_cast<TActionNode&>(*child).Action() == atParagraph) {
                handler.ParagraphBreak();
            } else {
                handler.LineBreak();
            }
            break;
        default:
            break; // unknown tags draw nothing
        }
        if (auto* childArea = dynamic_cast<TAreaNode*>(child.get())) {
            RenderArea(*childArea, childStyles, childColor, handler);
        }
    }
    handler.EndArea(area);
}

} // namespace linklabel
