// Draws the pictures of one theme from its description: every part that theme.ini names gets
// its picture, one state under the other, at the size the description gives. How each part
// looks comes from the [Paint] section (colours and a few traits: corner radius, gloss,
// brushed-metal noise, stars, glow, flat lines), so a theme is restyled by editing its text.
//
//   vellicor_themegen <theme.ini> <output folder>
#include "skin/SkinErrors.h"
#include "skin/SkinIni.h"
#include "skin/SkinTheme.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <iostream>

namespace {

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor Alpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

/// The [Paint] section with [Colors] behind it.
class TLook {
public:
    explicit TLook(const TSkinIni& ini) : FIni(ini) {}

    std::optional<QColor> Find(const char* key) const {
        for (const char* section : {"Paint", "Colors"}) {
            if (const std::string* value = FIni.Find(section, key)) {
                if (auto color = ParseSkinColor(QString::fromStdString(*value))) {
                    return color;
                }
                throw ESkinError(Format("[%s] %s is not a colour", {section, key}));
            }
        }
        return std::nullopt;
    }
    QColor C(const char* key, const QColor& fallback) const { return Find(key).value_or(fallback); }
    double R(const char* key, double fallback) const {
        const std::string* value = FIni.Find("Paint", key);
        return value == nullptr ? fallback : QString::fromStdString(*value).toDouble();
    }

private:
    const TSkinIni& FIni;
};

/// How a face is filled: vertical gradient, border, an inner highlight line.
struct TFill {
    QColor Top;
    QColor Bottom;
    QColor Border;
    QColor Inner;
};

class TPainter {
public:
    TPainter(const TLook& look, quint32 seed) : L(look), FSeed(seed) {
        Radius = L.R("Radius", 3);
        CaptionRadius = L.R("CaptionRadius", 6);
        Gloss = L.R("Gloss", 0);
        Noise = L.R("Noise", 0);
        Stars = static_cast<int>(L.R("Stars", 0));
        Flat = L.R("Flat", 0) != 0;
        Chamfer = L.R("Chamfer", 0);
        Glow = L.R("Glow", 0);
        GlyphWidth = L.R("GlyphWidth", 1.6);

        Window = L.C("Window", QColor("#f0f0f0"));
        Text = L.C("Text", Qt::black);
        Accent = L.C("Accent", L.C("Highlight", QColor("#3399ff")));
        Focus = L.C("Focus", Accent);
        Face = {L.C("Face", QColor("#fbfbfb")), L.C("FaceBottom", QColor("#dcdcdc")),
                L.C("FaceBorder", QColor("#8e8f8f")), L.C("FaceInner", QColor(255, 255, 255, 150))};
        Hot = {L.C("Hot", QColor("#eaf6fd")), L.C("HotBottom", QColor("#bee6fd")), L.C("HotBorder", QColor("#3c7fb1")),
               L.C("HotInner", Face.Inner)};
        Pressed = {L.C("Pressed", Hot.Bottom.darker(108)), L.C("PressedBottom", Hot.Top.darker(104)),
                   L.C("PressedBorder", Hot.Border.darker(115)), L.C("PressedInner", QColor(0, 0, 0, 30))};
        Disabled = {L.C("DisabledFace", Mix(Face.Top, Window, 0.5)),
                    L.C("DisabledFaceBottom", Mix(Face.Bottom, Window, 0.6)),
                    L.C("DisabledBorder", Mix(Face.Border, Window, 0.55)), QColor(Qt::transparent)};
        Field = L.C("Field", L.C("Base", Qt::white));
        FieldBorder = L.C("FieldBorder", Face.Border);
        FieldHotBorder = L.C("FieldHotBorder", Hot.Border);
        FieldFocusBorder = L.C("FieldFocusBorder", Focus);
        Glyph = L.C("Glyph", L.C("ButtonText", Text));
        DisabledGlyph = L.C("DisabledGlyph", L.C("DisabledText", Mix(Glyph, Window, 0.6)));
        Check = L.C("Check", Glyph);
    }

    const TLook& L;
    double Radius, CaptionRadius, Gloss, Noise, Chamfer, Glow, GlyphWidth;
    int Stars;
    bool Flat;
    QColor Window, Text, Accent, Focus, Field, FieldBorder, FieldHotBorder, FieldFocusBorder, Glyph, DisabledGlyph,
        Check;
    TFill Face, Hot, Pressed, Disabled;

    QPainterPath Shape(const QRectF& r, double radius, bool topOnly = false) const {
        QPainterPath path;
        if (Chamfer > 0 && radius > 0) {
            // Never cut deeper than the corner is round: the cut must stay inside the picture's margins.
            const double c = std::min({Chamfer, radius, r.width() / 3, r.height() / 3});
            path.moveTo(r.left() + c, r.top());
            path.lineTo(r.right() - c, r.top());
            path.lineTo(r.right(), r.top() + c);
            if (topOnly) {
                path.lineTo(r.right(), r.bottom());
                path.lineTo(r.left(), r.bottom());
            } else {
                path.lineTo(r.right(), r.bottom() - c);
                path.lineTo(r.right() - c, r.bottom());
                path.lineTo(r.left() + c, r.bottom());
                path.lineTo(r.left(), r.bottom() - c);
            }
            path.lineTo(r.left(), r.top() + c);
            path.closeSubpath();
            return path;
        }
        radius = std::min({radius, r.width() / 2, r.height() / 2});
        if (radius <= 0) {
            path.addRect(r);
        } else if (topOnly) {
            path.moveTo(r.left(), r.bottom());
            path.lineTo(r.left(), r.top() + radius);
            path.arcTo(QRectF(r.left(), r.top(), 2 * radius, 2 * radius), 180, -90);
            path.lineTo(r.right() - radius, r.top());
            path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, 2 * radius), 90, -90);
            path.lineTo(r.right(), r.bottom());
            path.closeSubpath();
        } else {
            path.addRoundedRect(r, radius, radius);
        }
        return path;
    }

    // Fine horizontal streaks, as on brushed metal; the same for every run.
    void Brush(QPainter& p, const QPainterPath& clip, const QRectF& r, double strength) {
        if (strength <= 0) {
            return;
        }
        QRandomGenerator random(FSeed);
        p.save();
        p.setClipPath(clip);
        for (int y = static_cast<int>(r.top()); y < r.bottom(); ++y) {
            for (int n = 0; n < std::max(1, static_cast<int>(r.width() / 24)); ++n) {
                const double x = r.left() + random.bounded(static_cast<int>(std::max(1.0, r.width())));
                const double len = 8 + random.bounded(40);
                const bool light = random.bounded(2) == 0;
                p.setPen(QPen(light ? QColor(255, 255, 255, static_cast<int>(70 * strength))
                                    : QColor(0, 0, 0, static_cast<int>(28 * strength)),
                              1));
                p.drawLine(QPointF(x, y + 0.5), QPointF(x + len, y + 0.5));
            }
        }
        p.restore();
    }

    void Surface(QPainter& p, const QRectF& r, const TFill& f, double radius, bool gloss = true,
                 bool horizontal = false, bool topOnly = false) {
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath path = Shape(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, topOnly);
        QLinearGradient g(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
        g.setColorAt(0, f.Top);
        g.setColorAt(1, Flat ? f.Top : f.Bottom);
        p.fillPath(path, g);
        Brush(p, path, r, Noise);
        if (Gloss > 0 && gloss && !Flat) {
            // Glass: the upper part lighter, ending in a clean edge a little above the middle.
            QRectF upper = r.adjusted(1, 1, -1, 0);
            if (horizontal) {
                upper.setWidth(r.width() * 0.45);
            } else {
                upper.setHeight(r.height() * 0.45);
            }
            QLinearGradient gg(upper.topLeft(), horizontal ? upper.topRight() : upper.bottomLeft());
            gg.setColorAt(0, QColor(255, 255, 255, static_cast<int>(200 * Gloss)));
            gg.setColorAt(1, QColor(255, 255, 255, static_cast<int>(70 * Gloss)));
            QPainterPath clip;
            clip.addRect(upper);
            p.fillPath(path.intersected(clip), gg);
        }
        if (f.Inner.isValid() && f.Inner.alpha() > 0 && r.width() > 4 && r.height() > 4) {
            p.strokePath(Shape(r.adjusted(1.5, 1.5, -1.5, -1.5), std::max(0.0, radius - 1), topOnly), QPen(f.Inner, 1));
        }
        if (f.Border.isValid()) {
            p.strokePath(path, QPen(f.Border, 1));
        }
    }

    void Ring(QPainter& p, const QRectF& r, const QColor& color, double radius, double inset, double width = 1) {
        p.setRenderHint(QPainter::Antialiasing, true);
        const double half = width / 2;
        p.strokePath(
            Shape(r.adjusted(inset + half, inset + half, -inset - half, -inset - half), std::max(0.0, radius - inset)),
            QPen(color, width));
    }

    // Rings only within the part's margins: what lies further in is stretched when the part is
    // drawn, and a ring there would smear into a broad band.
    void GlowInside(QPainter& p, const QRectF& r, const QColor& color, double radius, int margin) {
        if (Glow <= 0) {
            return;
        }
        for (int i = 1; i <= std::min(3, margin - 1); ++i) {
            Ring(p, r, Alpha(color, static_cast<int>(Glow * 150 / i)), radius, i, 1);
        }
    }

    // Glyphs, drawn centred in `r`.
    void Arrow(QPainter& p, const QRectF& r, bool up, const QColor& c) {
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPointF m = r.center();
        const double w = std::min(r.width(), r.height() * 2) / 2 - 0.5;
        const double h = w / 2 + 0.5;
        QPainterPath path;
        if (up) {
            path.moveTo(m.x() - w, m.y() + h / 2);
            path.lineTo(m.x(), m.y() - h / 2 - 0.5);
            path.lineTo(m.x() + w, m.y() + h / 2);
        } else {
            path.moveTo(m.x() - w, m.y() - h / 2);
            path.lineTo(m.x(), m.y() + h / 2 + 0.5);
            path.lineTo(m.x() + w, m.y() - h / 2);
        }
        path.closeSubpath();
        p.fillPath(path, c);
    }
    void CheckMark(QPainter& p, const QRectF& r, const QColor& c, double width) {
        p.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        const double s = std::min(r.width(), r.height());
        const QPointF o(r.center().x() - s / 2, r.center().y() - s / 2);
        QPolygonF tick(
            {o + QPointF(s * 0.18, s * 0.52), o + QPointF(s * 0.42, s * 0.76), o + QPointF(s * 0.84, s * 0.24)});
        p.drawPolyline(tick);
    }
    void Cross(QPainter& p, const QRectF& r, const QColor& c) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(c, GlyphWidth + 0.3, Qt::SolidLine, Qt::RoundCap));
        const QPointF m = r.center();
        const double s = std::min(r.width(), r.height()) * 0.2;
        p.drawLine(m + QPointF(-s, -s), m + QPointF(s, s));
        p.drawLine(m + QPointF(-s, s), m + QPointF(s, -s));
    }
    void Dash(QPainter& p, const QRectF& r, const QColor& c) {
        p.setRenderHint(QPainter::Antialiasing, false);
        const double s = std::min(r.width(), r.height()) * 0.22;
        const QPointF m = r.center();
        p.fillRect(QRectF(std::round(m.x() - s), std::round(m.y() + s - 1), std::round(2 * s), 2), c);
    }
    void Stars_(QPainter& p, const QRectF& r, int count) {
        QRandomGenerator random(FSeed ^ 0x5a5a);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int i = 0; i < count; ++i) {
            const QPointF at(r.left() + 40 + random.bounded(std::max(1, static_cast<int>(r.width()) - 60)),
                             r.top() + 3 + random.bounded(std::max(1, static_cast<int>(r.height()) - 6)));
            const int bright = 120 + random.bounded(135);
            const double size = random.bounded(10) == 0 ? 1.6 : 0.7;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 248, 220, bright));
            p.drawEllipse(at, size, size);
            if (size > 1) {
                p.setPen(QPen(QColor(255, 248, 220, bright / 2), 0.6));
                p.drawLine(at + QPointF(-3, 0), at + QPointF(3, 0));
                p.drawLine(at + QPointF(0, -3), at + QPointF(0, 3));
            }
        }
    }

private:
    quint32 FSeed;
};

struct TPartJob {
    QString Object;
    QString Type;
    QString Part;
    QString File;
    QRect Rect;
    int States;
    int Margin; // the smallest of the part's margins
};

// Draws state `s` of a part into `r`.
void Draw(TPainter& k, QPainter& p, const TPartJob& job, int s, const QRectF& r) {
    const TLook& L = k.L;
    // Brushed metal only where a picture is drawn near its own size (caption, button faces):
    // stretched over a panel its streaks would smear into blots.
    struct TNoNoise {
        TPainter& K;
        double Saved;
        ~TNoNoise() { K.Noise = Saved; }
    } restore{k, k.Noise};
    if (job.Type != "button" && job.Type != "form") {
        k.Noise = 0;
    }
    const QString& type = job.Type;
    const QString part = job.Part.toLower();
    const double radius = k.Radius;
    const double fieldRadius = L.R("FieldRadius", std::min(radius, 2.0));
    const TFill face[] = {k.Face, k.Hot, k.Pressed, k.Disabled};

    if (type == "button") {
        // normal, hot, pressed, disabled, focused, default
        const TFill& f = s == 4 || s == 5 ? k.Face : face[s];
        TFill fill = f;
        if (s == 5) {
            fill.Border = L.C("DefaultBorder", k.Accent.darker(120));
        }
        if (s == 4) {
            fill.Border = L.C("FocusBorder", k.Focus);
        }
        k.Surface(p, r, fill, radius);
        if (s == 1) {
            k.GlowInside(p, r, k.Accent, radius, job.Margin);
        }
        if (s == 4) {
            k.Ring(p, r, Alpha(k.Focus, 255), radius, 1, 1);
            k.Ring(p, r, Alpha(k.Focus, 110), radius, 2, 1);
            k.GlowInside(p, r, k.Focus, radius, job.Margin);
        }
        if (s == 5) {
            k.Ring(p, r, Alpha(L.C("Default", k.Accent), 150), radius, 1, 1);
        }
    } else if (type == "edit" || ((type == "listbox" || type == "listview") && part.isEmpty()) ||
               (type == "combobox" && part.isEmpty())) {
        // edit, combobox: normal, hot, focused, disabled; lists: normal, focused, disabled
        int state = s;
        if (type == "listbox" || type == "listview") {
            state = s == 0 ? 0 : s + 1;
        }
        TFill f{k.Field, k.Field, k.FieldBorder, L.C("FieldInner", QColor(Qt::transparent))};
        if (type == "combobox") {
            f.Top = L.C("ComboTop", k.Field);
            f.Bottom = L.C("ComboBottom", k.Field);
        }
        if (state == 1) {
            f.Border = k.FieldHotBorder;
        } else if (state == 2) {
            f.Border = k.FieldFocusBorder;
        } else if (state == 3) {
            f.Top = f.Bottom = L.C("FieldDisabled", Mix(k.Field, k.Window, 0.6));
            f.Border = k.Disabled.Border;
        }
        k.Surface(p, r, f, fieldRadius, false);
        if (state == 2) {
            k.Ring(p, r, Alpha(k.Focus, 150), fieldRadius, 1, 1);
            k.GlowInside(p, r, k.Focus, fieldRadius, job.Margin);
        }
    } else if (part == "item" && (type == "listbox" || type == "listview")) {
        const TFill active{L.C("Selection", L.C("Highlight", k.Accent)),
                           L.C("SelectionBottom", L.C("Selection", L.C("Highlight", k.Accent))),
                           L.C("SelectionBorder", QColor(Qt::transparent)),
                           L.C("SelectionInner", QColor(Qt::transparent))};
        const TFill inactive{L.C("InactiveSelection", Mix(active.Top, k.Field, 0.65)),
                             L.C("InactiveSelection", Mix(active.Bottom, k.Field, 0.65)),
                             L.C("InactiveSelectionBorder", QColor(Qt::transparent)), QColor(Qt::transparent)};
        k.Surface(p, r, s == 0 ? active : inactive, L.R("SelectionRadius", fieldRadius), true);
    } else if (part == "check" && type == "listview") {
        // off, on, off hot, on hot, off disabled, on disabled
        const bool on = s % 2 == 1;
        const bool hot = s == 2 || s == 3;
        const bool disabled = s >= 4;
        const QRectF box = QRectF(r.center() - QPointF(6.5, 6.5), QSizeF(13, 13));
        TFill f{L.C("CheckTop", k.Field), L.C("CheckBottom", Mix(k.Field, k.Face.Bottom, 0.5)),
                hot ? k.FieldHotBorder : k.FieldBorder, QColor(Qt::transparent)};
        if (disabled) {
            f = {L.C("FieldDisabled", Mix(k.Field, k.Window, 0.6)), L.C("FieldDisabled", Mix(k.Field, k.Window, 0.6)),
                 k.Disabled.Border, QColor(Qt::transparent)};
        }
        k.Surface(p, box, f, std::min(radius, 2.0), false);
        if (on) {
            k.CheckMark(p, box.adjusted(1, 1, -1, -1), disabled ? k.DisabledGlyph : k.Check, 2.0);
        }
    } else if (type == "radiobox") {
        // off, off hot, on, on hot, off disabled, on disabled, off focused, on focused
        const bool on = s == 2 || s == 3 || s == 5 || s == 7;
        const bool hot = s == 1 || s == 3;
        const bool disabled = s == 4 || s == 5;
        const bool focused = s >= 6;
        p.setRenderHint(QPainter::Antialiasing, true);
        const QRectF circle = r.adjusted(1.5, 1.5, -1.5, -1.5);
        QLinearGradient g(circle.topLeft(), circle.bottomLeft());
        g.setColorAt(0, disabled ? Mix(k.Field, k.Window, 0.6) : L.C("CheckTop", k.Field));
        g.setColorAt(1, disabled ? Mix(k.Field, k.Window, 0.6) : L.C("CheckBottom", Mix(k.Field, k.Face.Bottom, 0.5)));
        p.setBrush(g);
        p.setPen(QPen(disabled ? k.Disabled.Border : hot ? k.FieldHotBorder : k.FieldBorder, 1));
        p.drawEllipse(circle);
        if (on) {
            p.setPen(Qt::NoPen);
            QRadialGradient dot(circle.center() - QPointF(0.8, 0.8), 3.2);
            const QColor c = disabled ? k.DisabledGlyph : L.C("RadioDot", k.Check);
            dot.setColorAt(0, c.lighter(130));
            dot.setColorAt(1, c);
            p.setBrush(dot);
            p.drawEllipse(circle.center(), 2.8, 2.8);
        }
        if (focused) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(k.Focus, 1.2));
            p.drawEllipse(r.adjusted(0.6, 0.6, -0.6, -0.6));
        }
    } else if (type == "combobox" && part == "button") {
        // normal, hot, pressed, disabled
        TFill f = face[s];
        if (L.R("ComboButtonFlat", 0) != 0 && s == 0) {
            f = {QColor(Qt::transparent), QColor(Qt::transparent), QColor(Qt::transparent), QColor(Qt::transparent)};
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(Alpha(k.FieldBorder, 120));
            p.drawLine(QPointF(r.left() + 0.5, r.top() + 2), QPointF(r.left() + 0.5, r.bottom() - 2));
            return;
        }
        k.Surface(p, r, f, std::min(radius, 2.0));
    } else if (part == "arrow" || part == "uparrow" || part == "downarrow") {
        k.Arrow(p, r, part == "uparrow", s == 0 ? k.Glyph : k.DisabledGlyph);
    } else if (type == "scrollbar" && part.isEmpty()) {
        const QColor track = L.C("Track", Mix(k.Window, k.Face.Bottom, 0.5));
        TFill f{s == 0 ? track : Mix(track, k.Window, 0.5), s == 0 ? track.lighter(104) : Mix(track, k.Window, 0.5),
                L.C("TrackBorder", QColor(Qt::transparent)), QColor(Qt::transparent)};
        k.Surface(p, r, f, 0, false, true);
    } else if (type == "scrollbar" && part == "thumb") {
        TFill f = face[s];
        f.Top = L.C(s == 0 ? "Thumb" : s == 1 ? "ThumbHot" : "ThumbPressed", f.Top);
        f.Bottom = L.C(s == 0 ? "ThumbBottom" : s == 1 ? "ThumbHotBottom" : "ThumbPressedBottom", f.Bottom);
        f.Border = L.C(s == 0 ? "ThumbBorder" : "ThumbHotBorder", f.Border);
        k.Surface(p, r.adjusted(1, 0, -1, 0), f, std::min(radius, 3.0), true, true);
    } else if (type == "scrollbar" && part == "button") {
        TFill f = face[s];
        if (L.R("ScrollButtonFlat", 0) != 0 && (s == 0 || s == 3)) {
            return; // only the arrow, on the track
        }
        k.Surface(p, r.adjusted(1, 1, -1, -1), f, std::min(radius, 2.0), true, true);
    } else if (type == "resizebutton") {
        TFill f{L.C("Header", k.Face.Top), L.C("HeaderBottom", k.Face.Bottom), QColor(), QColor()};
        if (s == 1) {
            f.Top = L.C("HeaderHot", k.Hot.Top);
            f.Bottom = L.C("HeaderHotBottom", k.Hot.Bottom);
        } else if (s == 2) {
            f.Top = L.C("HeaderPressed", k.Pressed.Top);
            f.Bottom = L.C("HeaderPressedBottom", k.Pressed.Bottom);
        }
        k.Surface(p, r, f, 0, true);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QColor line = L.C("HeaderBorder", k.Face.Border);
        p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), line);
        p.fillRect(QRectF(r.right() - 1, r.top() + 3, 1, r.height() - 6), Alpha(line, 200));
        p.fillRect(QRectF(r.right() - 2, r.top() + 3, 1, r.height() - 6),
                   L.C("HeaderLight", QColor(255, 255, 255, 90)));
    } else if (type == "tab" && part.isEmpty()) {
        // normal, hot, selected, disabled, focused
        TFill f{L.C("Tab", k.Face.Top), L.C("TabBottom", k.Face.Bottom), L.C("TabBorder", k.Face.Border), k.Face.Inner};
        if (s == 1) {
            f.Top = L.C("TabHot", k.Hot.Top);
            f.Bottom = L.C("TabHotBottom", k.Hot.Bottom);
        } else if (s == 2 || s == 4) {
            f.Top = L.C("TabSelected", L.C("Pane", k.Window));
            f.Bottom = L.C("PaneTop", L.C("Pane", k.Window));
        } else if (s == 3) {
            f.Top = k.Disabled.Top;
            f.Bottom = k.Disabled.Bottom;
        }
        QRectF shape = r.adjusted(0, 0, 0, 1); // the bottom edge falls under the pane's border
        k.Surface(p, shape, f, radius, s != 2 && s != 4, false, true);
        if (s == 2 || s == 4) {
            const QColor accent = L.C("TabAccent", QColor(Qt::transparent));
            if (accent.alpha() > 0) {
                p.setRenderHint(QPainter::Antialiasing, true);
                p.fillPath(k.Shape(QRectF(r.left() + 1, r.top() + 1, r.width() - 2, 3), std::min(radius, 1.5), true),
                           accent);
            }
        }
        if (s == 4) {
            p.setRenderHint(QPainter::Antialiasing, false);
            QPen pen(k.Focus, 1, Qt::DotLine);
            p.setPen(pen);
            p.drawRect(r.adjusted(3.5, 4.5, -4.5, -3.5));
        }
    } else if (type == "tab" && part == "pane") {
        TFill f{L.C("PaneTop", L.C("Pane", k.Window)), L.C("Pane", k.Window), L.C("TabBorder", k.Face.Border),
                L.C("PaneInner", QColor(Qt::transparent))};
        k.Surface(p, r, f, std::min(radius, 2.0), false);
    } else if (type == "panel") {
        TFill f{L.C("Panel", k.Window), L.C("PanelBottom", L.C("Panel", k.Window)),
                L.C("PanelBorder", QColor(Qt::transparent)), L.C("PanelInner", QColor(Qt::transparent))};
        k.Surface(p, r, f, L.R("PanelRadius", std::min(radius, 3.0)), false);
    } else if (type == "bevel" || (type == "popupmenu" && part == "separator")) {
        const bool menu = type == "popupmenu";
        p.fillRect(QRectF(r.left(), r.top(), r.width(), 1), L.C(menu ? "SeparatorDark" : "BevelDark", k.Face.Border));
        p.fillRect(QRectF(r.left(), r.top() + 1, r.width(), r.height() - 1),
                   L.C(menu ? "SeparatorLight" : "BevelLight", QColor(255, 255, 255, 160)));
    } else if (type == "menubar" && part.isEmpty()) {
        TFill f{L.C("MenuBar", k.Window), L.C("MenuBarBottom", L.C("MenuBar", k.Window)), QColor(), QColor()};
        k.Surface(p, r, f, 0, true);
        p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), L.C("MenuBarBorder", QColor(Qt::transparent)));
    } else if ((type == "menubar" || type == "popupmenu") && part == "item") {
        // menu bar: hot, pressed; popup: hot
        TFill f{L.C("MenuHot", k.Hot.Top), L.C("MenuHotBottom", k.Hot.Bottom), L.C("MenuHotBorder", k.Hot.Border),
                L.C("MenuHotInner", k.Hot.Inner)};
        if (s == 1) {
            f = {L.C("MenuPressed", L.C("Popup", k.Field)), L.C("MenuPressed", L.C("Popup", k.Field)),
                 L.C("MenuPressedBorder", L.C("PopupBorder", k.Face.Border)), QColor(Qt::transparent)};
        }
        k.Surface(p, r, f, std::min(radius, 3.0), s == 0);
    } else if (type == "popupmenu" && part.isEmpty()) {
        TFill f{L.C("Popup", k.Field), L.C("PopupBottom", L.C("Popup", k.Field)), L.C("PopupBorder", k.Face.Border),
                L.C("PopupInner", QColor(Qt::transparent))};
        k.Surface(p, r, f, L.R("PopupRadius", 0), false);
    } else if (type == "popupmenu" && part == "check") {
        const QRectF box = r.adjusted(1, 1, -1, -1);
        const QColor back = L.C("MenuCheckBack", QColor(Qt::transparent));
        if (back.alpha() > 0) {
            k.Surface(p, box, {back, back, L.C("MenuCheckBorder", back.darker(130)), QColor()}, 2, false);
        }
        k.CheckMark(p, box.adjusted(2, 2, -2, -2), s == 0 ? L.C("MenuCheck", k.Check) : k.DisabledGlyph, 1.8);
    } else if (type == "form" && part == "caption") {
        const bool active = s == 0;
        const QColor top = L.C("CaptionTop", QColor("#c9dcf5"));
        const QColor bottom = L.C("CaptionBottom", QColor("#9ebfe8"));
        const QColor border = L.C("FrameBorder", QColor("#6f93c4"));
        TFill f{top, bottom, border, L.C("CaptionInner", QColor(255, 255, 255, 110))};
        if (!active) {
            // An inactive caption recedes towards the window's colour unless the theme says otherwise.
            f.Top = L.C("CaptionInactiveTop", Mix(top, k.Window, 0.45));
            f.Bottom = L.C("CaptionInactiveBottom", Mix(bottom, k.Window, 0.45));
            f.Border = L.C("FrameInactiveBorder", Mix(border, k.Window, 0.4));
        }
        const double noise = k.Noise;
        const double gloss = k.Gloss;
        k.Noise = L.R("CaptionNoise", noise);
        k.Gloss = L.R("CaptionGloss", gloss);
        k.Surface(p, r.adjusted(0, 0, 0, 2), f, k.CaptionRadius, true, false, true);
        k.Noise = noise;
        k.Gloss = gloss;
        if (k.Stars > 0 && active) {
            k.Stars_(p, r, k.Stars);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRectF(r.left() + 3, r.bottom(), r.width() - 6, 1), L.C("CaptionLine", QColor(Qt::transparent)));
        // The outer line continues down the sides.
        p.fillRect(QRectF(r.left(), r.bottom() - 2, 1, 3), f.Border);
        p.fillRect(QRectF(r.right(), r.bottom() - 2, 1, 3), f.Border);
    } else if (type == "form" && part == "border") {
        const bool active = s == 0;
        QColor outer = L.C(active ? "FrameBorder" : "FrameInactiveBorder", QColor("#6f93c4"));
        QColor frame = L.C("FrameColor", L.C("CaptionBottom", QColor("#9ebfe8")));
        if (!active && !L.Find("FrameInactiveBorder")) {
            outer = Mix(outer, k.Window, 0.4);
        }
        if (!active) {
            frame = Mix(frame, k.Window, 0.45);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(r, frame);
        p.fillRect(QRectF(r.left() + 3, r.top(), r.width() - 6, r.height() - 3), Qt::transparent);
        p.setPen(outer);
        p.drawLine(QPointF(r.left() + 0.5, r.top()), QPointF(r.left() + 0.5, r.bottom()));
        p.drawLine(QPointF(r.right() - 0.5, r.top()), QPointF(r.right() - 0.5, r.bottom()));
        p.drawLine(QPointF(r.left(), r.bottom() - 0.5), QPointF(r.right(), r.bottom() - 0.5));
        const QColor inner = L.C("FrameInner", QColor(Qt::transparent));
        if (inner.alpha() > 0) {
            p.setPen(inner);
            p.drawLine(QPointF(r.left() + 2.5, r.top()), QPointF(r.left() + 2.5, r.bottom() - 3));
            p.drawLine(QPointF(r.right() - 2.5, r.top()), QPointF(r.right() - 2.5, r.bottom() - 3));
            p.drawLine(QPointF(r.left() + 2.5, r.bottom() - 2.5), QPointF(r.right() - 2.5, r.bottom() - 2.5));
        }
    } else if (type == "form") {
        // caption buttons: normal, hot, pressed, inactive window
        const bool close = part == "close";
        const QColor glyph = L.C("CaptionGlyph", QColor("#15428b"));
        QColor g = glyph;
        const bool framed = L.R("CaptionButtonFrame", 0) != 0;
        TFill f{L.C("CaptionButton", QColor(Qt::transparent)), L.C("CaptionButtonBottom", QColor(Qt::transparent)),
                L.C("CaptionButtonBorder", QColor(Qt::transparent)),
                L.C("CaptionButtonInner", QColor(Qt::transparent))};
        if (s == 1) {
            f = {L.C(close ? "CloseHot" : "CaptionButtonHot", k.Hot.Top),
                 L.C(close ? "CloseHotBottom" : "CaptionButtonHotBottom", k.Hot.Bottom),
                 L.C(close ? "CloseHotBorder" : "CaptionButtonHotBorder", k.Hot.Border), k.Hot.Inner};
            g = L.C(close ? "CloseGlyphHot" : "CaptionGlyphHot", glyph);
        } else if (s == 2) {
            f = {L.C(close ? "ClosePressed" : "CaptionButtonPressed", k.Pressed.Top),
                 L.C(close ? "ClosePressedBottom" : "CaptionButtonPressedBottom", k.Pressed.Bottom),
                 L.C(close ? "CloseHotBorder" : "CaptionButtonHotBorder", k.Pressed.Border), QColor(Qt::transparent)};
            g = L.C(close ? "CloseGlyphHot" : "CaptionGlyphHot", glyph);
        } else if (s == 3) {
            g = L.C("CaptionGlyphInactive", Alpha(glyph, 130));
            if (framed) {
                f.Top = Mix(f.Top, k.Window, 0.5);
                f.Bottom = Mix(f.Bottom, k.Window, 0.5);
                f.Border = Mix(f.Border, k.Window, 0.5);
            }
        } else if (close && L.Find("CloseButton")) {
            f.Top = L.C("CloseButton", f.Top);
            f.Bottom = L.C("CloseButtonBottom", f.Bottom);
            f.Border = L.C("CloseButtonBorder", f.Border);
            g = L.C("CloseGlyph", glyph);
        }
        if (framed || s == 1 || s == 2) {
            k.Surface(p, r, f, L.R("CaptionButtonRadius", std::min(radius, 3.0)));
        }
        if (close) {
            k.Cross(p, r, g);
        } else {
            k.Dash(p, r, g);
        }
    } else {
        throw ESkinError(
            Format("No picture is known for part \"%s\" of a %s object", {job.Part.toStdString(), type.toStdString()}));
    }
}

std::vector<TPartJob> Jobs(const TSkinIni& ini) {
    std::vector<TPartJob> jobs;
    for (const TSkinIni::TSection& section : ini.Sections()) {
        const std::string* type = TSkinIni::Find(section, "Type");
        if (type == nullptr) {
            continue;
        }
        const QString typeName = QString::fromStdString(*type).toLower();
        for (const QString& part : TSkinTheme::PartNames(typeName)) {
            const std::string prefix = part.toStdString();
            const std::string* picture = TSkinIni::Find(section, prefix + "Picture");
            const std::string* rect = TSkinIni::Find(section, prefix + "Rect");
            if (picture == nullptr || rect == nullptr) {
                throw ESkinError(Format("[%s] lacks %sPicture or %sRect", {section.Name, prefix, prefix}));
            }
            const std::string* file = ini.Find("Pictures", *picture);
            if (file == nullptr) {
                throw ESkinError(Format("[Pictures] does not name %s", {*picture}));
            }
            const QStringList f = QString::fromStdString(*rect).split(',');
            if (f.size() != 4 || f[0].trimmed() != "0" || f[1].trimmed() != "0") {
                throw ESkinError(Format("[%s] %sRect must start at 0,0: each part has a picture of its own",
                                        {section.Name, prefix}));
            }
            int margin = 0;
            if (const std::string* margins = TSkinIni::Find(section, prefix + "Margins")) {
                margin = 1000;
                for (const QString& m : QString::fromStdString(*margins).split(',')) {
                    margin = std::min(margin, m.trimmed().toInt());
                }
            }
            jobs.push_back({QString::fromStdString(section.Name), typeName, part, QString::fromStdString(*file),
                            QRect(0, 0, f[2].trimmed().toInt(), f[3].trimmed().toInt()),
                            TSkinTheme::PartStates(typeName, part), margin});
        }
    }
    return jobs;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: vellicor_themegen <theme.ini> <output folder>\n";
        return 2;
    }
    try {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly)) {
            throw Exception(Format("Cannot read %s", {argv[1]}));
        }
        const QByteArray text = file.readAll();
        const TSkinIni ini = TSkinIni::Parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
        const TLook look(ini);
        const std::string* name = ini.Find("Theme", "Name");
        TPainter kit(look, static_cast<quint32>(qHash(QString::fromStdString(name ? *name : std::string()))));
        const QDir out(QString::fromLocal8Bit(argv[2]));
        QDir().mkpath(out.absolutePath());
        for (const TPartJob& job : Jobs(ini)) {
            QImage image(job.Rect.width(), job.Rect.height() * job.States, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            for (int state = 0; state < job.States; ++state) {
                painter.save();
                painter.setClipRect(QRect(0, state * job.Rect.height(), job.Rect.width(), job.Rect.height()));
                Draw(kit, painter, job, state,
                     QRectF(0, state * job.Rect.height(), job.Rect.width(), job.Rect.height()));
                painter.restore();
            }
            painter.end();
            if (!image.save(out.filePath(job.File), "PNG")) {
                throw Exception(Format("Cannot write %s", {out.filePath(job.File).toStdString()}));
            }
        }
    } catch (const Exception& e) {
        std::cerr << "vellicor_themegen: " << argv[1] << ": " << e.Message() << "\n";
        return 1;
    }
    return 0;
}
