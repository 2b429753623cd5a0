#include "skin/SkinPaint.h"

#include <QPainter>

void DrawNineSlice(QPainter& painter, const QRect& target, const QImage& source, const QMargins& margins, bool centre) {
    const int l = margins.left();
    const int t = margins.top();
    const int r = margins.right();
    const int b = margins.bottom();
    const int sw = source.width();
    const int sh = source.height();
    const int tw = target.width();
    const int th = target.height();
    const int xs[] = {0, l, sw - r, sw};
    const int ys[] = {0, t, sh - b, sh};
    const int xt[] = {target.left(), target.left() + l, target.left() + tw - r, target.left() + tw};
    const int yt[] = {target.top(), target.top() + t, target.top() + th - b, target.top() + th};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (!centre && row == 1 && col == 1) {
                continue;
            }
            const QRect from(xs[col], ys[row], xs[col + 1] - xs[col], ys[row + 1] - ys[row]);
            const QRect to(xt[col], yt[row], xt[col + 1] - xt[col], yt[row + 1] - yt[row]);
            if (from.isEmpty() || to.isEmpty()) {
                continue;
            }
            painter.drawImage(to, source, from);
        }
    }
}
