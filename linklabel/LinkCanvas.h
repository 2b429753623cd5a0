#pragma once

#include "linklabel/LinkLabelTypes.h"

#include <string>

namespace linklabel {

/// What the renderer and the text handler need to measure and draw text. The control puts a QPainter
/// behind it; tests put a fake behind it that measures with fixed widths.
class ILinkCanvas {
public:
    virtual ~ILinkCanvas() = default;
    /// The font for what follows: the control's font with exactly these styles, drawn in this colour.
    virtual void SetFont(TFontStyles styles, TColor color) = 0;
    /// Width of `text` (UTF-8) in the current font, in pixels.
    virtual int TextWidth(const std::string& text) = 0;
    /// Height of a line of `text` in the current font, in pixels.
    virtual int TextHeight(const std::string& text) = 0;
    /// Draws `text` with the top-left corner of its line at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
};

} // namespace linklabel
