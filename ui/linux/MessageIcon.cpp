#include "ui/MessageIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Draws one kind's icon at the size asked for: a round badge (a triangle for a warning) with its sign,
// outlined so that it stands out on light and dark themes alike.
class TMessageIconEngine : public QIconEngine {
public:
    explicit TMessageIconEngine(QStyle::StandardPixmap kind) : FKind(kind) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 32.0, rect.height() / 32.0);
        const QPen outline(QColor(0, 0, 0, 90), 1.2);
        QColor fill;
        QString sign;
        switch (FKind) {
        case QStyle::SP_MessageBoxWarning:
            fill = QColor(0xf2, 0xb1, 0x1b);
            sign = QStringLiteral("!");
            break;
        case QStyle::SP_MessageBoxCritical:
            fill = QColor(0xd3, 0x2f, 0x2f);
            sign = QStringLiteral("\u00d7");
            break;
        case QStyle::SP_MessageBoxQuestion:
            fill = QColor(0x2f, 0x6f, 0xc4);
            sign = QStringLiteral("?");
            break;
        default:
            fill = QColor(0x2f, 0x6f, 0xc4);
            sign = QStringLiteral("i");
            break;
        }
        QPainterPath badge;
        if (FKind == QStyle::SP_MessageBoxWarning) {
            badge.moveTo(16, 2.5);
            badge.lineTo(30, 28.5);
            badge.lineTo(2, 28.5);
            badge.closeSubpath();
        } else {
            badge.addEllipse(QRectF(2, 2, 28, 28));
        }
        painter->setPen(outline);
        painter->setBrush(fill);
        painter->drawPath(badge);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(FKind == QStyle::SP_MessageBoxCritical ? 24 : 19);
        painter->setFont(font);
        painter->setPen(FKind == QStyle::SP_MessageBoxWarning ? QColor(0x20, 0x18, 0x00) : Qt::white);
        const QRectF signArea = FKind == QStyle::SP_MessageBoxWarning ? QRectF(2, 9, 28, 20) : QRectF(2, 2, 28, 28);
        painter->drawText(signArea, Qt::AlignCenter, sign);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new TMessageIconEngine(FKind); }

private:
    QStyle::StandardPixmap FKind;
};

} // namespace

QIcon MessageKindIcon(QStyle::StandardPixmap kind) {
    return QIcon(new TMessageIconEngine(kind));
}
