#pragma once

#include "linklabel/LinkLabelColors.h"
#include "linklabel/NodeTree.h"
#include "linklabel/Parser.h"
#include "linklabel/Renderer.h"

#include <QCursor>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

namespace linklabel {

/// Vertical placement of the text in the control.
enum TTextLayout : int { tlTop = 0, tlCenter = 1, tlBottom = 2 };

class TCustomLinkLabel;

/// A click on a link: its number (0 for the caption's first link), its visible text and its parameter.
using TLinkClickEvent =
    std::function<void(TCustomLinkLabel* Sender, int LinkNumber, const QString& LinkText, const QString& LinkParam)>;
/// Asked for the markup of dynamic tag `Number` while a caption is parsed; `Source` comes in empty.
using TDynamicTagInitEvent = std::function<void(TCustomLinkLabel* Sender, QString& Source, int Number)>;
using TNotifyEvent = std::function<void(TCustomLinkLabel* Sender)>;

/// A label that shows marked-up text (bold, italic, underline, colours, line and paragraph breaks, links),
/// wraps it into its width and reports clicks on its links. It takes the focus only while its caption
/// holds a link: Tab then steps from link to link, Enter or Space opens the focused one.
///
/// Qt stands in for the ordinary properties of a graphic control: font (ParentFont), enabled, visible,
/// tool tip (ShowHint), context menu (PopupMenu) and geometry are QWidget's own.
class TCustomLinkLabel : public QWidget, private IDynamicNodeHandler {
    Q_OBJECT

public:
    explicit TCustomLinkLabel(QWidget* parent = nullptr);
    ~TCustomLinkLabel() override;

    QString Caption() const { return FCaption; }
    /// Parses the new caption (nothing happens when it equals the old one) and raises OnCaptionChanged.
    void SetCaption(const QString& caption);
    /// The caption as lines.
    QStringList Text() const { return FText; }
    /// Sets the caption to the lines joined, each followed by a carriage return and line feed.
    void SetText(const QStringList& lines);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);
    TColor LinkColor() const { return FRenderer->GetLinkColor(); }
    void SetLinkColor(TColor color);
    TColor LinkColorClicked() const { return FRenderer->GetLinkColorClicked(); }
    void SetLinkColorClicked(TColor color) { FRenderer->SetLinkColorClicked(color); }
    TColor LinkColorHot() const { return FRenderer->GetLinkColorHot(); }
    void SetLinkColorHot(TColor color) { FRenderer->SetLinkColorHot(color); }
    TFontStyles LinkStyle() const { return FRenderer->GetLinkStyle(); }
    void SetLinkStyle(TFontStyles styles);
    QCursor LinkCursor() const { return FLinkCursor; }
    void SetLinkCursor(const QCursor& cursor) { FLinkCursor = cursor; }
    bool HotLinks() const { return FHotLinks; }
    void SetHotLinks(bool hotLinks) { FHotLinks = hotLinks; }
    bool AutoHeight() const { return FAutoHeight; }
    void SetAutoHeight(bool autoHeight);
    int MarginWidth() const { return FMarginWidth; }
    void SetMarginWidth(int margin);
    int MarginHeight() const { return FMarginHeight; }
    void SetMarginHeight(int margin);
    /// Background colour, painted when Transparent is off; clBtnFace follows the palette's window colour.
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    /// Colour of text outside links and colour tags (a QFont has none); clWindowText follows the palette.
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor color);

    const TLinkClickEvent& OnLinkClick() const { return FOnLinkClick; }
    void SetOnLinkClick(TLinkClickEvent handler) { FOnLinkClick = std::move(handler); }
    const TDynamicTagInitEvent& OnDynamicTagInit() const { return FOnDynamicTagInit; }
    void SetOnDynamicTagInit(TDynamicTagInitEvent handler) { FOnDynamicTagInit = std::move(handler); }
    const TNotifyEvent& OnCaptionChanged() const { return FOnCaptionChanged; }
    void SetOnCaptionChanged(TNotifyEvent handler) { FOnCaptionChanged = std::move(handler); }

    /// The tree of the current caption.
    TNodeTree& Tree() const { return *FTree; }
    /// The link shown in a state other than normal, or null.
    TLinkNode* ActiveLink() const { return FActiveLink; }
    /// Height of the text as last laid out.
    int TextHeight() const { return FRenderer->GetTextHeight(); }

    /// The caption's links, in the order of their numbers.
    int LinkCount() const { return int(FLinks.size()); }
    /// The visible text of link `index`.
    QString LinkText(int index) const;
    /// Where link `index` was last drawn, in the control; empty before the first layout.
    QRect LinkRect(int index) const;
    /// The link that has the keyboard focus while the control has it, or -1.
    int FocusedLink() const { return hasFocus() ? FFocusedLink : -1; }
    /// Opens link `index` as a click on it does: raises OnLinkClick.
    void ClickLink(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void DynamicTagInit(std::string& source, int number) override;
    /// Lays the text out off screen; false when AutoHeight changed the height (a new paint follows).
    bool RenderPicture();
    void Invalidate();
    TRect PictureRect() const;
    void SetLinkState(TLinkNode* link, TLinkState state);
    void SetActiveLinkNormal();
    void RedrawLink(TLinkNode& link);
    void CollectLinks();
    void SetFocusedLink(int index);

    QString FCaption;
    QStringList FText;
    std::unique_ptr<TDefaultParser> FParser;
    std::unique_ptr<IRenderer> FRenderer;
    std::unique_ptr<TNodeTree> FTree;
    TLinkNode* FActiveLink = nullptr;
    std::vector<TLinkNode*> FLinks; ///< every link of the tree, by number
    int FFocusedLink = -1;
    QCursor FSavedCursor; ///< the control's own cursor, while the link cursor stands in for it
    bool FHadOwnCursor = false;
    bool FShowsLinkCursor = false;
    QCursor FLinkCursor{Qt::PointingHandCursor};
    bool FTransparent = false;
    TTextLayout FLayout = tlTop;
    bool FHotLinks = false;
    bool FAutoHeight = true;
    int FMarginWidth = 0;
    int FMarginHeight = 0;
    TColor FColor = clBtnFace;
    TColor FFontColor = clWindowText;
    TLinkClickEvent FOnLinkClick;
    TDynamicTagInitEvent FOnDynamicTagInit;
    TNotifyEvent FOnCaptionChanged;
    QImage FPicture; ///< the text laid out off screen, transparent where there is no text
    bool FPictureValid = false;
};

class TLinkLabel : public TCustomLinkLabel {
    Q_OBJECT

public:
    explicit TLinkLabel(QWidget* parent = nullptr) : TCustomLinkLabel(parent) {}
};

} // namespace linklabel
