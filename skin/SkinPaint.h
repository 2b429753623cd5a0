#pragma once

#include <QImage>
#include <QMargins>
#include <QRect>

class QPainter;

/// Draws `source` over `target` cut in nine by `margins`: corners as they are, edges stretched
/// along, the centre stretched both ways (or left out, for a frame around a client area).
void DrawNineSlice(QPainter& painter, const QRect& target, const QImage& source, const QMargins& margins,
                   bool centre = true);
