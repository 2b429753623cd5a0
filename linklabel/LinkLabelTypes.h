#pragma once

#include <cstdint>

namespace linklabel {

/// A colour as the program stores it: blue-green-red in the low three bytes (0x0000FF is red).
/// A value whose high byte is 0xFF names a system colour by its index; see LinkLabelColors.h.
using TColor = std::int32_t;

/// One font style; a set of them is a bit mask (TFontStyles).
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// A rectangle by its edges. Contains() includes the right and bottom edges: a point is over a link
/// when it lies on the border of one of the link's rectangles too.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X <= Right && p.Y >= Top && p.Y <= Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace linklabel
