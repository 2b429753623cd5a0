// The message box icons on Linux are drawn, not scaled up: at twice the scale each has twice the pixels,
// and each kind has a look of its own.
#include "ui/MessageIcon.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <set>

TEST(MessageIconLinux, eachKindIsDrawnSharpAtTheScaleItIsShownAt) {
    std::set<QRgb> centres;
    for (const QStyle::StandardPixmap kind : {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxWarning,
                                              QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxQuestion}) {
        SCOPED_TRACE(static_cast<int>(kind));
        for (const qreal scale : {1.0, 2.0}) {
            const QPixmap pixmap = MessageKindIcon(kind).pixmap(QSize(32, 32), scale);
            EXPECT_EQ(pixmap.size(), QSize(32, 32) * scale);
            EXPECT_EQ(pixmap.devicePixelRatio(), scale);
            const QImage image = pixmap.toImage();
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "a transparent corner";
            // The badge's colour, a little off the centre where the sign is drawn.
            if (scale == 2.0) {
                centres.insert(image.pixel(int(12 * scale), int(24 * scale)) & 0xFFFFFF);
            }
        }
    }
    EXPECT_GE(centres.size(), 3u) << "information and question share a colour; the others differ";
}
