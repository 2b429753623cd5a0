// Draws the product's pictures: the About dialog's logo and the main window's logo column.
// Run by hand (target make_product_art) when the artwork changes; the PNGs are kept in the repository.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

// A padlock whose circular body carries a tick, fitted into `box` (width : height = 100 : 128).
void DrawPadlock(QPainter& p, const QRectF& box) {
    const qreal s = box.width() / 100.0;
    auto at = [&](qreal x, qreal y) { return QPointF(box.left() + x * s, box.top() + y * s); };

    // Shackle.
    QPen shackle(QColor(0x4a, 0x86, 0xc8), 11 * s, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(at(27, 62));
    arc.lineTo(at(27, 36));
    arc.arcTo(QRectF(at(27, 11), QSizeF(46 * s, 46 * s)), 180, -180);
    arc.lineTo(at(73, 62));
    p.drawPath(arc);
    QPen shine(QColor(0xa9, 0xcf, 0xf2), 3 * s, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shine);
    QPainterPath arcShine;
    arcShine.moveTo(at(24.5, 58));
    arcShine.lineTo(at(24.5, 36));
    arcShine.arcTo(QRectF(at(24.5, 8.5), QSizeF(51 * s, 51 * s)), 180, -70);
    p.drawPath(arcShine);

    // Round body.
    const QRectF body(at(6, 40), QSizeF(88 * s, 88 * s));
    QRadialGradient fill(at(38, 66), 60 * s);
    fill.setColorAt(0.0, QColor(0xd8, 0xec, 0xff));
    fill.setColorAt(0.55, QColor(0x8c, 0xc4, 0xf2));
    fill.setColorAt(1.0, QColor(0x4f, 0x93, 0xd6));
    p.setPen(QPen(QColor(0x2f, 0x6f, 0xb3), 2.5 * s));
    p.setBrush(fill);
    p.drawEllipse(body.adjusted(1.5 * s, 1.5 * s, -1.5 * s, -1.5 * s));

    // Tick.
    QPen tick(QColor(0x1f, 0x8a, 0x3c), 10 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    QPainterPath mark;
    mark.moveTo(at(29, 85));
    mark.lineTo(at(44, 100));
    mark.lineTo(at(72, 70));
    p.drawPath(mark);
    QPen tickLight(QColor(0x6f, 0xd0, 0x86), 3.5 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tickLight);
    p.drawPath(mark.translated(-1.2 * s, -1.8 * s));
}

QImage Logo() {
    // Drawn on white; white pixels become transparent, as the dialog shows it.
    QImage image(100, 128, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawPadlock(p, QRectF(0, 0, 100, 128));
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0x00ffffff) == 0x00ffffff) {
                line[x] = 0;
            }
        }
    }
    return image;
}

QImage Icon() {
    QImage image(128, 128, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawPadlock(p, QRectF(14, 0, 100, 128));
    return image;
}

QImage Panel() {
    // Transparent around the drawing, so that the logo column takes each theme's own panel colour.
    QImage image(241, 300, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // An envelope behind the padlock: the attachment being let through.
    const QRectF envelope(14, 40, 116, 78);
    p.setPen(QPen(QColor(0x6b, 0x8f, 0xb8), 2));
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawRoundedRect(envelope, 4, 4);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft() + QPointF(2, 2));
    flap.lineTo(envelope.center() + QPointF(0, 6));
    flap.lineTo(envelope.topRight() + QPointF(-2, 2));
    p.drawPath(flap);
    // Paper clip.
    p.setPen(QPen(QColor(0x8a, 0x95, 0xa3), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(98, 24, 14, 44), 7, 7);
    p.drawRoundedRect(QRectF(102, 32, 6, 28), 3, 3);

    DrawPadlock(p, QRectF(30, 110, 84, 107.5));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const bool ok = Logo().save(folder + QStringLiteral("/logo.png")) &&
                    Panel().save(folder + QStringLiteral("/panel.png")) &&
                    Icon().save(folder + QStringLiteral("/icon.png"));
    if (!ok) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", qPrintable(folder));
        return 1;
    }
    return 0;
}
