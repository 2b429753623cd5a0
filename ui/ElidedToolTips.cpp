#include "ui/ElidedToolTips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace {

class TElidedToolTips : public QObject {
public:
    explicit TElidedToolTips(QAbstractItemView* view) : QObject(view), FView(view) {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || watched != FView->viewport()) {
            return false;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = FView->indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!index.isValid() || text.isEmpty()) {
            return false;
        }
        // The room the text has: the cell less the check box, icon and margins the style puts before it.
        QStyleOptionViewItem option;
        option.initFrom(FView);
        option.rect = FView->visualRect(index);
        option.features |= QStyleOptionViewItem::HasDisplay;
        option.text = text;
        if (index.data(Qt::CheckStateRole).isValid()) {
            option.features |= QStyleOptionViewItem::HasCheckIndicator;
        }
        if (index.data(Qt::DecorationRole).isValid()) {
            option.features |= QStyleOptionViewItem::HasDecoration;
            option.decorationSize = FView->iconSize().isValid() ? FView->iconSize() : QSize(16, 16);
        }
        const QRect room = FView->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, FView);
        const int margin = FView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, FView) + 1;
        // With an icon the style sizes the text's rectangle to the text itself, and a list's cell may reach past
        // what shows: the room runs from where the text starts to the visible end of the cell.
        const int end = std::min(option.rect.right(), FView->viewport()->rect().right()) + 1;
        if (FView->fontMetrics().horizontalAdvance(text) + 2 * margin <= end - room.left()) {
            return false;
        }
        // An entry's own tooltip (a hint on it) goes on under the whole text rather than being lost.
        const QString own = index.data(Qt::ToolTipRole).toString();
        QString tip = text;
        if (!own.isEmpty()) {
            tip =
                QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>") +
                (Qt::mightBeRichText(own) ? own : QStringLiteral("<p>") + own.toHtmlEscaped() + QStringLiteral("</p>"));
        }
        QToolTip::showText(help->globalPos(), tip, FView->viewport(), option.rect);
        return true;
    }

private:
    QAbstractItemView* FView;
};

} // namespace

void ShowElidedTextAsToolTip(QAbstractItemView* view) {
    new TElidedToolTips(view);
}
