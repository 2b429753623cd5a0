#pragma once

#include "linklabel/LinkCanvas.h"
#include "linklabel/LinkLabelTypes.h"

#include <QColor>
#include <QFont>
#include <QPalette>

class QPainter;

namespace linklabel {

/// The colour a program colour stands for on screen: system colours come from the widget's palette where
/// Qt has a matching role (so they follow the theme), else from the classic defaults.
QColor ColorToQColor(TColor color, const QPalette& palette);

/// The font styles a QFont carries.
TFontStyles FontStylesOf(const QFont& font);

/// Draws through a QPainter, with the control's font as the base of every style.
class TQtLinkCanvas : public ILinkCanvas {
public:
    TQtLinkCanvas(QPainter& painter, const QFont& font, const QPalette& palette);

    void SetFont(TFontStyles styles, TColor color) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void TextOut(int x, int y, const std::string& text) override;

private:
    QPainter& FPainter;
    QFont FFont;
    QPalette FPalette;
};

} // namespace linklabel
