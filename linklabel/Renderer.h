#pragma once

#include "linklabel/LinkCanvas.h"
#include "linklabel/LinkLabelColors.h"
#include "linklabel/NodeTree.h"

namespace linklabel {

class TTextHandler;

class IRenderer {
public:
    virtual ~IRenderer() = default;

    virtual TColor GetLinkColor() const = 0;
    virtual void SetLinkColor(TColor color) = 0;
    virtual TColor GetLinkColorClicked() const = 0;
    virtual void SetLinkColorClicked(TColor color) = 0;
    virtual TColor GetLinkColorHot() const = 0;
    virtual void SetLinkColorHot(TColor color) = 0;
    virtual TFontStyles GetLinkStyle() const = 0;
    virtual void SetLinkStyle(TFontStyles styles) = 0;

    /// Lays out and draws a whole tree within `rect`, its root's origin taken as the tree's origin.
    virtual void RenderTree(ILinkCanvas& canvas, const TRect& rect, TNodeTree& tree) = 0;
    /// Draws one area node again from its starting point, in its current state (a link whose state changed).
    /// The tree must have been rendered with the same rectangle and origin before.
    virtual void RenderNode(ILinkCanvas& canvas, const TRect& rect, TNode& node) = 0;
    /// Height of the text last rendered by RenderTree.
    virtual int GetTextHeight() const = 0;
};

class TDefaultRenderer : public IRenderer {
public:
    TColor GetLinkColor() const override { return FLinkColor; }
    void SetLinkColor(TColor color) override { FLinkColor = color; }
    TColor GetLinkColorClicked() const override { return FLinkColorClicked; }
    void SetLinkColorClicked(TColor color) override { FLinkColorClicked = color; }
    TColor GetLinkColorHot() const override { return FLinkColorHot; }
    void SetLinkColorHot(TColor color) override { FLinkColorHot = color; }
    TFontStyles GetLinkStyle() const override { return FLinkStyle; }
    void SetLinkStyle(TFontStyles styles) override { FLinkStyle = styles; }

    void RenderTree(ILinkCanvas& canvas, const TRect& rect, TNodeTree& tree) override;
    void RenderNode(ILinkCanvas& canvas, const TRect& rect, TNode& node) override;
    int GetTextHeight() const override { return FTextHeight; }

    /// The colour a link placeholder stands for; any other colour unchanged.
    TColor ResolveColor(TColor color) const;

private:
    void RenderArea(TAreaNode& area, TFontStyles styles, TColor color, TTextHandler& handler);
    static int LineHeight(ILinkCanvas& canvas, TColor color);

    TColor FLinkColor = clBlue;
    TColor FLinkColorClicked = clRed;
    TColor FLinkColorHot = clPurple;
    TFontStyles FLinkStyle = fsUnderline;
    int FTextHeight = 0;
};

} // namespace linklabel
