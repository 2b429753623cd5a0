#include "ui/linklabel/LinkLabel.h"

#include "ui/linklabel/QtLinkCanvas.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>

#include <algorithm>

namespace linklabel {

namespace {

/// One link of a label as assistive technology sees it: a focusable link named by its text, whose
/// press action opens it.
class TLinkAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TLinkAccessible(TCustomLinkLabel* label, int index) : FLabel(label), FIndex(index) {}

    bool isValid() const override { return !FLabel.isNull() && FIndex < FLabel->LinkCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return FLabel ? FLabel->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(FLabel.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? FLabel->LinkText(FIndex) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect r = FLabel->LinkRect(FIndex);
        return QRect(FLabel->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.linked = true;
        s.focusable = FLabel->focusPolicy() != Qt::NoFocus;
        s.focused = FLabel->hasFocus() && FLabel->FocusedLink() == FIndex;
        s.invisible = !FLabel->isVisible();
        s.disabled = !FLabel->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }
    void doAction(const QString& name) override {
        if (!isValid() || !FLabel->isEnabled()) {
            return;
        }
        if (name == pressAction()) {
            FLabel->ClickLink(FIndex);
        } else if (name == setFocusAction()) {
            FLabel->setFocus(Qt::OtherFocusReason);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TCustomLinkLabel> FLabel;
    int FIndex;
};

/// The label itself: its visible text as name, its links as children.
class TLinkLabelAccessible : public QAccessibleWidget {
public:
    explicit TLinkLabelAccessible(TCustomLinkLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    ~TLinkLabelAccessible() override {
        for (QAccessible::Id id : FChildren) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && Label()->accessibleName().isEmpty()) {
            QStringList parts;
            for (int i = 0; i < Label()->LinkCount(); ++i) {
                parts << Label()->LinkText(i);
            }
            return parts.join(QLatin1Char(' '));
        }
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return Label()->LinkCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) {
            return nullptr;
        }
        while (int(FChildren.size()) <= index) {
            FChildren.push_back(
                QAccessible::registerAccessibleInterface(new TLinkAccessible(Label(), int(FChildren.size()))));
        }
        return QAccessible::accessibleInterface(FChildren[std::size_t(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < FChildren.size(); ++i) {
            if (QAccessible::accessibleInterface(FChildren[i]) == child) {
                return int(i);
            }
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return Label()->hasFocus() && Label()->FocusedLink() >= 0 ? child(Label()->FocusedLink()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (child(i)->rect().contains(x, y)) {
                return child(i);
            }
        }
        return nullptr;
    }

private:
    TCustomLinkLabel* Label() const { return static_cast<TCustomLinkLabel*>(widget()); }
    mutable std::vector<QAccessible::Id> FChildren;
};

QAccessibleInterface* LinkLabelAccessibleFactory(const QString& key, QObject* object) {
    if (!key.startsWith(QLatin1String("linklabel::T"))) {
        return nullptr;
    }
    auto* label = qobject_cast<TCustomLinkLabel*>(object);
    return label == nullptr ? nullptr : new TLinkLabelAccessible(label);
}

TPoint PointOf(const QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    return {point.x(), point.y()};
}

} // namespace

TCustomLinkLabel::TCustomLinkLabel(QWidget* parent)
    : QWidget(parent), FParser(std::make_unique<TDefaultParser>()), FRenderer(std::make_unique<TDefaultRenderer>()),
      FTree(std::make_unique<TNodeTree>()) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(LinkLabelAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setFocusPolicy(Qt::NoFocus); // until a caption brings a link
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
    CollectLinks();
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
    if (hasFocus() && FFocusedLink >= 0) {
        // A dotted frame round the focused link, drawn by us: styles draw their focus frame only after
        // some keyboard navigation, and a link that got the focus otherwise must show it too.
        painter.setPen(QPen(ColorToQColor(FFontColor, palette()), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(LinkRect(FFocusedLink).adjusted(-1, 0, 0, -1));
    }
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

void TCustomLinkLabel::CollectLinks() {
    FLinks.clear();
    TNodeEnumerator links(FTree->Root(), ntLinkNode);
    while (links.HasNext()) {
        FLinks.push_back(static_cast<TLinkNode*>(&links.GetNext()));
    }
    std::stable_sort(FLinks.begin(), FLinks.end(),
                     [](const TLinkNode* a, const TLinkNode* b) { return a->LinkNumber() < b->LinkNumber(); });
    FFocusedLink = FLinks.empty() ? -1 : std::clamp(FFocusedLink, 0, int(FLinks.size()) - 1);
    // A label without links is no stop for the keyboard.
    setFocusPolicy(FLinks.empty() ? Qt::NoFocus : Qt::StrongFocus);
}

QString TCustomLinkLabel::LinkText(int index) const {
    if (index < 0 || index >= LinkCount()) {
        return {};
    }
    return QString::fromStdString(TNodeTree::LinkText(*FLinks[std::size_t(index)]));
}

QRect TCustomLinkLabel::LinkRect(int index) const {
    QRect result;
    if (index < 0 || index >= LinkCount()) {
        return result;
    }
    const TPoint origin = FTree->Root().Origin;
    TNodeEnumerator strings(*FLinks[std::size_t(index)], ntStringNode);
    while (strings.HasNext()) {
        for (const TRect& r : static_cast<TStringNode&>(strings.GetNext()).Rects) {
            result |= QRect(r.Left + origin.X, r.Top + origin.Y, r.Width(), r.Height());
        }
    }
    return result;
}

void TCustomLinkLabel::ClickLink(int index) {
    if (index < 0 || index >= LinkCount() || !FOnLinkClick) {
        return;
    }
    const TLinkNode& link = *FLinks[std::size_t(index)];
    FOnLinkClick(this, link.LinkNumber(), QString::fromStdString(TNodeTree::LinkText(link)),
                 QString::fromStdString(link.Param()));
}

void TCustomLinkLabel::SetFocusedLink(int index) {
    FFocusedLink = index;
    update();
    if (index >= 0 && QAccessible::isActive()) {
        if (QAccessibleInterface* self = QAccessible::queryAccessibleInterface(this)) {
            if (QAccessibleInterface* link = self->child(index)) {
                QAccessibleEvent focus(link, QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            }
        }
    }
}

void TCustomLinkLabel::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!FLinks.empty()) {
        SetFocusedLink(event->reason() == Qt::BacktabFocusReason ? LinkCount() - 1 : 0);
    }
}

void TCustomLinkLabel::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

bool TCustomLinkLabel::focusNextPrevChild(bool next) {
    // Tab walks the links of the label before it leaves it.
    if (hasFocus() && FFocusedLink >= 0) {
        const int target = FFocusedLink + (next ? 1 : -1);
        if (target >= 0 && target < LinkCount()) {
            SetFocusedLink(target);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void TCustomLinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && FFocusedLink >= 0) {
        // The handler may set a new caption or even destroy the label.
        QPointer<TCustomLinkLabel> self(this);
        ClickLink(FFocusedLink);
        if (self) {
            event->accept();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace linklabel
