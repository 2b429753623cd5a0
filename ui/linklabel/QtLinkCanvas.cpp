#include "ui/linklabel/QtLinkCanvas.h"

#include "linklabel/LinkLabelColors.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>

namespace linklabel {

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if (color == clDefault) {
        color = clWindowText;
    }
    if (IsSystemColor(color)) {
        switch (color) {
        case clWindowText:
        case clCaptionText:
        case clMenuText:
            return palette.color(QPalette::WindowText);
        case clBtnFace:
        case clMenu:
        case clMenuBar:
            return palette.color(QPalette::Window);
        case clWindow:
            return palette.color(QPalette::Base);
        case clBtnText:
            return palette.color(QPalette::ButtonText);
        case clHighlight:
        case clMenuHighlight:
            return palette.color(QPalette::Highlight);
        case clHighlightText:
            return palette.color(QPalette::HighlightedText);
        case clBtnShadow:
            return palette.color(QPalette::Dark);
        case clBtnHighlight:
            return palette.color(QPalette::Light);
        case cl3DDkShadow:
            return palette.color(QPalette::Shadow);
        case cl3DLight:
            return palette.color(QPalette::Midlight);
        case clGrayText:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case clInfoText:
            return palette.color(QPalette::ToolTipText);
        case clInfoBk:
            return palette.color(QPalette::ToolTipBase);
        case clHotLight:
            return palette.color(QPalette::Link);
        default:
            break;
        }
    }
    return QColor::fromRgb(ColorToRGB(color) | 0xFF000000u);
}

TFontStyles FontStylesOf(const QFont& font) {
    TFontStyles styles = 0;
    if (font.bold()) {
        styles |= fsBold;
    }
    if (font.italic()) {
        styles |= fsItalic;
    }
    if (font.underline()) {
        styles |= fsUnderline;
    }
    if (font.strikeOut()) {
        styles |= fsStrikeOut;
    }
    return styles;
}

TQtLinkCanvas::TQtLinkCanvas(QPainter& painter, const QFont& font, const QPalette& palette)
    : FPainter(painter), FFont(font), FPalette(palette) {
    FPainter.setFont(FFont);
}

void TQtLinkCanvas::SetFont(TFontStyles styles, TColor color) {
    QFont font = FFont;
    font.setBold((styles & fsBold) != 0);
    font.setItalic((styles & fsItalic) != 0);
    font.setUnderline((styles & fsUnderline) != 0);
    font.setStrikeOut((styles & fsStrikeOut) != 0);
    FPainter.setFont(font);
    FPainter.setPen(ColorToQColor(color, FPalette));
}

int TQtLinkCanvas::TextWidth(const std::string& text) {
    return FPainter.fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

int TQtLinkCanvas::TextHeight(const std::string&) {
    return FPainter.fontMetrics().height();
}

void TQtLinkCanvas::TextOut(int x, int y, const std::string& text) {
    FPainter.drawText(x, y + FPainter.fontMetrics().ascent(), QString::fromStdString(text));
}

} // namespace linklabel
