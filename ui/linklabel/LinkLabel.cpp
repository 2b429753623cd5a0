#include "ui/linklabel/LinkLabel.h"

#include "ui/linklabel/QtLinkCanvas.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>

#include <algorithm>

namespace linklabel {

namespace {

TPoint PointOf(const QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    return {point.x(), point.y()};
}

} // namespace

TCustomLinkLabel::TCustomLinkLabel(QWidget* parent)
    : QWidget(parent), FParser(std::make_unique<TDefaultParser>()), FRenderer(std::make_unique<TDefaultRenderer>()),
      FTree(std::make_unique<TNodeTree>()) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    resize(160, 17);
    FParser->SetDynamicNodeHandler(this);
    // Until a caption is set the root has no style and the window text colour.
    FTree->Root().Styles = 0;
    FTree->Root().Color = clWindowText;
}

TCustomLinkLabel::~TCustomLinkLabel() = default;

void TCustomLinkLabel::SetCaption(const QString& caption) {
    if (caption == FCaption) {
        return;
    }
    FCaption = caption;
    FText = QStringList{caption};
    FActiveLink = nullptr;
    FTree = std::make_unique<TNodeTree>();
    FParser->ResetCounters();
    FTree = FParser->Parse(caption.toStdString());
    FTree->Root().Styles = FontStylesOf(font());
    FTree->Root().Color = FFontColor;
    Invalidate();
    if (FOnCaptionChanged) {
        FOnCaptionChanged(this);
    }
}

void TCustomLinkLabel::SetText(const QStringList& lines) {
    QString caption;
    for (const QString& line : lines) {
        caption += line + QStringLiteral("\r\n");
    }
    SetCaption(caption);
    FText = lines;
}

void TCustomLinkLabel::SetTransparent(bool transparent) {
    if (transparent != FTransparent) {
        FTransparent = transparent;
        Invalidate();
    }
}

void TCustomLinkLabel::SetLayout(TTextLayout layout) {
    if (layout != FLayout) {
        FLayout = layout;
        Invalidate();
    }
}

void TCustomLinkLabel::SetLinkColor(TColor color) {
    if (color != FRenderer->GetLinkColor()) {
        FRenderer->SetLinkColor(color);
        Invalidate();
    }
}

void TCustomLinkLabel::SetLinkStyle(TFontStyles styles) {
    if (styles != FRenderer->GetLinkStyle()) {
        FRenderer->SetLinkStyle(styles);
        // Link words were measured in the old style (bold is wider): measure them again.
        FTree->DiscardWordInfos();
        Invalidate();
    }
}

void TCustomLinkLabel::SetAutoHeight(bool autoHeight) {
    if (autoHeight != FAutoHeight) {
        FAutoHeight = autoHeight;
        Invalidate();
    }
}

void TCustomLinkLabel::SetMarginWidth(int margin) {
    if (margin != FMarginWidth) {
        FMarginWidth = margin;
        Invalidate();
    }
}

void TCustomLinkLabel::SetMarginHeight(int margin) {
    if (margin != FMarginHeight) {
        FMarginHeight = margin;
        Invalidate();
    }
}

void TCustomLinkLabel::SetColor(TColor color) {
    if (color != FColor) {
        FColor = color;
        Invalidate();
    }
}

void TCustomLinkLabel::SetFontColor(TColor color) {
    if (color != FFontColor) {
        FFontColor = color;
        FTree->Root().Color = color;
        Invalidate();
    }
}

void TCustomLinkLabel::DynamicTagInit(std::string& source, int number) {
    if (FOnDynamicTagInit) {
        QString text;
        FOnDynamicTagInit(this, text, number);
        source = text.toStdString();
    }
}

void TCustomLinkLabel::Invalidate() {
    FPictureValid = false;
    update();
}

TRect TCustomLinkLabel::PictureRect() const {
    return {0, 0, std::max(1, width() - 2 * FMarginWidth + 1), std::max(1, height() - 2 * FMarginHeight + 1)};
}

bool TCustomLinkLabel::RenderPicture() {
    const TRect area = PictureRect();
    const qreal ratio = devicePixelRatioF();
    FPicture = QImage(QSize(area.Width(), area.Height()) * ratio, QImage::Format_ARGB32_Premultiplied);
    FPicture.setDevicePixelRatio(ratio);
    // Points must measure as they would on the widget itself.
    FPicture.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    FPicture.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    FPicture.fill(Qt::transparent);
    TRootNode& root = FTree->Root();
    root.Origin = {0, 0};
    {
        QPainter painter(&FPicture);
        TQtLinkCanvas canvas(painter, font(), palette());
        FRenderer->RenderTree(canvas, area, *FTree);
    }
    FPictureValid = true;

    const int textHeight = FRenderer->GetTextHeight();
    if (FAutoHeight && textHeight + 2 * FMarginHeight != height()) {
        const int before = height();
        resize(width(), textHeight + 2 * FMarginHeight);
        if (height() != before) {
            return false; // the resize paints again
        }
        // Constraints hold the height where it is: no paint follows, so draw in the height there is.
    }
    // The text within the client rectangle less the margins.
    const TRect client{FMarginWidth, FMarginHeight, width() - FMarginWidth, height() - FMarginHeight};
    int top = client.Top;
    if (FLayout == tlCenter) {
        top = std::max(FMarginHeight, client.Top + (client.Height() - textHeight) / 2);
    } else if (FLayout == tlBottom) {
        top = std::max(FMarginHeight, client.Bottom - textHeight);
    }
    root.Origin = {client.Left, top};
    return true;
}

void TCustomLinkLabel::paintEvent(QPaintEvent*) {
    if (!FPictureValid && !RenderPicture()) {
        return;
    }
    QPainter painter(this);
    if (!FTransparent) {
        painter.fillRect(rect(), ColorToQColor(FColor, palette()));
    }
    const TPoint origin = FTree->Root().Origin;
    painter.drawImage(QPoint(origin.X, origin.Y), FPicture);
}

void TCustomLinkLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Invalidate();
}

void TCustomLinkLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FTree->Root().Styles = FontStylesOf(font());
        FTree->DiscardWordInfos();
        Invalidate();
    } else if (event->type() == QEvent::PaletteChange) {
        Invalidate();
    }
}

void TCustomLinkLabel::RedrawLink(TLinkNode& link) {
    if (!FPictureValid) {
        update();
        return;
    }
    TRootNode& root = FTree->Root();
    const TPoint origin = root.Origin;
    QRegion changed;
    {
        QPainter painter(&FPicture);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        TNodeEnumerator strings(link, ntStringNode);
        while (strings.HasNext()) {
            for (const TRect& r : static_cast<TStringNode&>(strings.GetNext()).Rects) {
                painter.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::transparent);
                changed += QRect(r.Left + origin.X, r.Top + origin.Y, r.Width(), r.Height());
            }
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        // Laid out again exactly as in the picture, whose origin is (0, 0).
        root.Origin = {0, 0};
        TQtLinkCanvas canvas(painter, font(), palette());
        FRenderer->RenderNode(canvas, PictureRect(), link);
        root.Origin = origin;
    }
    update(changed);
}

void TCustomLinkLabel::SetLinkState(TLinkNode* link, TLinkState state) {
    if (link == FActiveLink && (link == nullptr || link->State == state)) {
        return;
    }
    if (FActiveLink != nullptr) {
        TLinkNode* previous = FActiveLink;
        FActiveLink = nullptr;
        previous->State = lsNormal;
        RedrawLink(*previous);
    }
    if (link != nullptr) {
        link->State = state;
        FActiveLink = link;
        RedrawLink(*link);
    }
}

void TCustomLinkLabel::SetActiveLinkNormal() {
    SetLinkState(nullptr, lsNormal);
}

void TCustomLinkLabel::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    SetLinkState(FTree->GetLinkNodeAt(PointOf(event)), lsClicked);
}

void TCustomLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    const TPoint point = PointOf(event);
    const bool activeClicked = FActiveLink != nullptr && FActiveLink->State == lsClicked;
    if (FTree->IsOverLink(point)) {
        if (!FShowsLinkCursor) {
            // Whatever cursor the control has been given since it was made comes back off the links.
            FSavedCursor = cursor();
            FHadOwnCursor = testAttribute(Qt::WA_SetCursor);
            FShowsLinkCursor = true;
        }
        setCursor(FLinkCursor);
        if (FHotLinks && !activeClicked) {
            SetLinkState(FTree->GetLinkNodeAt(point), lsHot);
        }
    } else {
        if (FShowsLinkCursor) {
            if (FHadOwnCursor) {
                setCursor(FSavedCursor);
            } else {
                unsetCursor(); // it follows its parent's cursor again
            }
            FShowsLinkCursor = false;
        }
        if (FHotLinks && !activeClicked) {
            SetActiveLinkNormal();
        }
    }
}

void TCustomLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    const TPoint point = PointOf(event);
    if (FTree->IsOverLink(point)) {
        if (TLinkNode* link = FTree->GetLinkNodeAt(point); link != nullptr && FOnLinkClick) {
            const int number = link->LinkNumber();
            const QString text = QString::fromStdString(TNodeTree::LinkText(*link));
            const QString param = QString::fromStdString(link->Param());
            // The handler may set a new caption or even destroy the label.
            QPointer<TCustomLinkLabel> self(this);
            FOnLinkClick(this, number, text, param);
            if (self.isNull()) {
                return;
            }
        }
    }
    SetActiveLinkNormal();
}

void TCustomLinkLabel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (FHotLinks && !(FActiveLink != nullptr && FActiveLink->State == lsClicked)) {
        SetActiveLinkNormal();
    }
}

} // namespace linklabel
