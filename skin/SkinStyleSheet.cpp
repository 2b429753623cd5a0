#include "skin/SkinStyleSheet.h"

#include "skin/SkinTheme.h"

#include "skin/SkinErrors.h"

#include <QTransform>

#include <zlib.h>

namespace {

QString PartKey(const QString& part) {
    return part.isEmpty() ? QStringLiteral("main") : part.toLower();
}

QString FileName(const TSkinObject& object, const QString& part, int state, bool horizontal = false) {
    return QStringLiteral("%1.%2%3.%4.png")
        .arg(object.Name().toLower(), horizontal ? QStringLiteral("h") : QString(), PartKey(part))
        .arg(state);
}

// A list view draws each cell of a row on its own. A selected row is one picture across its cells:
// the first cell takes the picture's left end, the last its right end, the cells between its middle.
enum class TRowPiece { First, Middle, Last };

const std::pair<TRowPiece, const char*> RowPieces[] = {
    {TRowPiece::First, "first"}, {TRowPiece::Middle, "middle"}, {TRowPiece::Last, "last"}};

QString RowPieceFileName(const TSkinObject& object, const char* piece, int state) {
    return QStringLiteral("%1.item%2.%3.png").arg(object.Name().toLower(), QLatin1String(piece)).arg(state);
}

// The margins of a row piece: the sides that meet a neighbouring cell have none.
QMargins RowPieceMargins(const QMargins& m, TRowPiece piece) {
    return QMargins(piece == TRowPiece::First ? m.left() : 0, m.top(), piece == TRowPiece::Last ? m.right() : 0,
                    m.bottom());
}

QImage RowPiece(const QImage& picture, const QMargins& m, TRowPiece piece) {
    const int left = piece == TRowPiece::First ? 0 : m.left();
    const int right = piece == TRowPiece::Last ? picture.width() : picture.width() - m.right();
    return picture.copy(left, 0, std::max(1, right - left), picture.height());
}

// The four sides in CSS's shortest form ("2px" for four equal sides, "3px 1px" when top and bottom, left and
// right are equal): fewer tokens for the style sheet parser, which keeps them all.
QString Box(const QMargins& m, QLatin1String unit) {
    // CSS fills the sides left out: bottom from top, left from right, right from top.
    const int given = m.left() != m.right() ? 4 : m.bottom() != m.top() ? 3 : m.right() != m.top() ? 2 : 1;
    const int sides[] = {m.top(), m.right(), m.bottom(), m.left()};
    QString box;
    for (int i = 0; i < given; ++i) {
        box += (i > 0 ? QStringLiteral(" ") : QString()) + QString::number(sides[i]) + unit;
    }
    return box;
}

QString BorderWidth(const QMargins& m) {
    return QStringLiteral("border-width: ") + Box(m, QLatin1String("px")) + QStringLiteral("; ");
}

// A picture's path as the style sheet names it. Quoted, the whole path is one token for the parser; bare, each
// of its names, slashes and dots is one.
QString Url(const QString& path) {
    const bool quotable = !path.contains(QLatin1Char('"')) && !path.contains(QLatin1Char('\\'));
    return quotable ? QStringLiteral("url(\"%1\")").arg(path) : QStringLiteral("url(%1)").arg(path);
}

// A picture cut in nine by `m` and stretched over the box (stretch is the default of both directions).
QString BorderImage(const QString& path, const QMargins& m) {
    return QStringLiteral("border-image: %1 %2; ").arg(Url(path), Box(m, QLatin1String()));
}

void AppendBigEndian(QByteArray& bytes, quint32 value) {
    const char b[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    bytes.append(b, 4);
}

void AppendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    AppendBigEndian(png, quint32(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    AppendBigEndian(png, quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(png.constData() + start),
                                       uInt(png.size() - start))));
}

// The pictures only live in memory until the style sheet reads them: written with unfiltered rows in
// stored blocks, which is a copy, where Qt's writer still tries every row filter even when it does not
// compress. 8-bit RGBA, or RGB for an opaque picture, as Qt's writer chooses.
QByteArray Png(const QImage& image) {
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(pixels.width()) * (alpha ? 4 : 3);
    QByteArray rows;
    rows.reserve((rowBytes + 1) * pixels.height());
    for (int y = 0; y < pixels.height(); ++y) {
        rows.append('\0'); // filter: none
        rows.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), rowBytes);
    }
    QByteArray deflated(qsizetype(compressBound(uLong(rows.size()))), Qt::Uninitialized);
    uLongf deflatedSize = uLongf(deflated.size());
    if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &deflatedSize,
                  reinterpret_cast<const Bytef*>(rows.constData()), uLong(rows.size()), Z_NO_COMPRESSION) != Z_OK) {
        throw ESkinError("The theme's pictures could not be prepared");
    }
    deflated.truncate(qsizetype(deflatedSize));

    QByteArray header;
    AppendBigEndian(header, quint32(pixels.width()));
    AppendBigEndian(header, quint32(pixels.height()));
    header.append(char(8));             // bits per sample
    header.append(char(alpha ? 6 : 2)); // RGBA or RGB
    header.append(3, '\0');             // deflate, adaptive filtering, no interlace
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(8 + 25 + 12 + deflated.size() + 12);
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", deflated);
    AppendChunk(png, "IEND", QByteArray());
    return png;
}

QString ColorText(const QColor& color) {
    return color.alpha() == 255 ? color.name(QColor::HexRgb)
                                : QStringLiteral("rgba(%1, %2, %3, %4)")
                                      .arg(color.red())
                                      .arg(color.green())
                                      .arg(color.blue())
                                      .arg(color.alpha());
}

QString FontText(const QFont& font) {
    QStringList families;
    for (const QString& family : font.families().isEmpty() ? QStringList{font.family()} : font.families()) {
        families << QLatin1Char('"') + family + QLatin1Char('"');
    }
    return QStringLiteral("font: %1%2%3pt %4; ")
        .arg(font.bold() ? QStringLiteral("bold ") : QString(), font.italic() ? QStringLiteral("italic ") : QString())
        .arg(font.pointSizeF())
        .arg(families.join(QStringLiteral(", ")));
}

// Declarations without the blanks that only set them apart ("color: red; " becomes "color:red;"). Qt's style
// sheet parser keeps every token of the last sheet it read for as long as the window that holds the sheet, a
// blank too, and a theme's sheet has thousands of them. Blanks inside quotes and parentheses stay.
QString CompactDeclarations(const QString& body) {
    static const QString joins = QStringLiteral(":;,");
    QString out;
    out.reserve(body.size());
    QChar quote;
    int depth = 0;
    bool blank = false;
    for (const QChar c : body) {
        if (!quote.isNull()) {
            out += c;
            if (c == quote) {
                quote = QChar();
            }
            continue;
        }
        if (depth == 0 && c.isSpace()) {
            blank = true;
            continue;
        }
        if (blank && !out.isEmpty() && !joins.contains(out.back()) && !joins.contains(c)) {
            out += QLatin1Char(' ');
        }
        blank = false;
        out += c;
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')') && depth > 0) {
            --depth;
        }
    }
    return out;
}

// Writes the rules of one theme; each helper returns the declarations of one state.
class TSheetWriter {
public:
    TSheetWriter(const TSkinTheme& theme, const std::function<QString(const QString&)>& url, bool effects)
        : FTheme(theme), FUrl(url), FEffects(effects) {}

    QString Result() const { return FOut; }

    void Rule(const QString& selector, const QString& body) {
        if (!body.isEmpty()) {
            FOut += selector + QLatin1Char('{') + CompactDeclarations(body) + QStringLiteral("}\n");
        }
    }
    // A hot state only when effects are on.
    void HotRule(const QString& selector, const QString& body) {
        if (FEffects) {
            Rule(selector, body);
        }
    }

    // The picture of one state, cut in nine by the part's margins and stretched over the box.
    QString Image(const TSkinObject& object, const QString& part, int state, bool horizontal = false) const {
        const TSkinPart* found = object.Part(part);
        if (found == nullptr) {
            return {};
        }
        QMargins m = found->Margins;
        if (horizontal) {
            m = QMargins(m.top(), m.right(), m.bottom(), m.left());
        }
        return BorderImage(FUrl(FileName(object, part, state, horizontal)), m) + BorderWidth(m);
    }
    QString Icon(const TSkinObject& object, const QString& part, int state, bool horizontal = false) const {
        return QStringLiteral("image: %1; ").arg(Url(FUrl(FileName(object, part, state, horizontal))));
    }
    QString Color(const TSkinObject& object, const QString& key, QPalette::ColorRole role,
                  QPalette::ColorGroup group = QPalette::Active) const {
        return QStringLiteral("color: %1; ").arg(ColorText(object.Color(key, FTheme.Palette().color(group, role))));
    }
    // The object's own font, else the theme's: a control given a font of its own (the message
    // box's default font) still shows the theme's, as every other control does.
    QString Font(const TSkinObject& object) const { return FontText(object.Font().value_or(FTheme.DefaultFont())); }
    QString Size(const TSkinObject& object, const QString& part) const {
        const TSkinPart* found = object.Part(part);
        return found == nullptr
                   ? QString()
                   : QStringLiteral("width: %1px; height: %2px; ").arg(found->Rect.width()).arg(found->Rect.height());
    }
    QString Selection(const TSkinObject& object) const {
        return QStringLiteral("selection-background-color: %1; selection-color: %2; ")
            .arg(ColorText(object.Color("SelectionColor", FTheme.Palette().color(QPalette::Highlight))),
                 ColorText(object.Color("SelectionTextColor", FTheme.Palette().color(QPalette::HighlightedText))));
    }
    QString Padding(const TSkinObject& object, const QString& fallback) const {
        QString value = object.Value("Padding");
        if (value.isEmpty()) {
            value = fallback;
        }
        const QStringList f = value.split(QLatin1Char(','));
        if (f.size() != 4) {
            return {};
        }
        return QStringLiteral("padding: %1px %2px %3px %4px; ")
            .arg(f[1].trimmed(), f[2].trimmed(), f[3].trimmed(), f[0].trimmed());
    }

    void Button(const TSkinObject& o, const QString& s) {
        Rule(s, Image(o, {}, 0) + Color(o, "TextColor", QPalette::ButtonText) + Font(o) + Padding(o, "6,0,6,0") +
                    QStringLiteral("outline: none; "));
        Rule(s + ":default", Image(o, {}, 5));
        HotRule(s + ":hover", Image(o, {}, 1) + Color(o, "HotTextColor", QPalette::ButtonText));
        Rule(s + ":focus", Image(o, {}, 4) + Color(o, "FocusTextColor", QPalette::ButtonText));
        Rule(s + ":pressed", Image(o, {}, 2) + Color(o, "PressedTextColor", QPalette::ButtonText));
        Rule(s + ":disabled",
             Image(o, {}, 3) + Color(o, "DisabledTextColor", QPalette::ButtonText, QPalette::Disabled));
    }

    void Panel(const TSkinObject& o, const QString& s) {
        Rule(s, Image(o, {}, 0) + Color(o, "TextColor", QPalette::WindowText) + Font(o));
    }

    void Label(const TSkinObject& o, const QString& s) {
        Rule(s, Color(o, "TextColor", QPalette::WindowText) + Font(o) + QStringLiteral("background: transparent; "));
        Rule(s + ":disabled", Color(o, "DisabledTextColor", QPalette::WindowText, QPalette::Disabled));
    }

    void Bevel(const TSkinObject& o, const QString& s) {
        Rule(s, QStringLiteral("border: none; background: transparent; ") + Image(o, {}, 0));
    }

    void Edit(const TSkinObject& o, const QString& s) {
        Rule(s,
             Image(o, {}, 0) + Color(o, "TextColor", QPalette::Text) + Font(o) + Selection(o) + Padding(o, "2,0,2,0"));
        HotRule(s + ":hover", Image(o, {}, 1));
        Rule(s + ":focus", Image(o, {}, 2));
        Rule(s + ":disabled", Image(o, {}, 3) + Color(o, "DisabledTextColor", QPalette::Text, QPalette::Disabled));
    }

    void ItemView(const TSkinObject& o, const QString& s) {
        Rule(s, Image(o, {}, 0) + Color(o, "TextColor", QPalette::Text) + Font(o) + Selection(o) +
                    QStringLiteral("background-color: %1; outline: none; ")
                        .arg(ColorText(o.Color("Color", FTheme.Palette().color(QPalette::Base)))));
        Rule(s + ":focus", Image(o, {}, 1));
        Rule(s + ":disabled", Image(o, {}, 2) + Color(o, "DisabledTextColor", QPalette::Text, QPalette::Disabled));
        // Every item keeps the selection picture's side borders, so that the text stays put when it
        // is selected. The picture is about a row high: it is scaled to the row, not cut in nine upright.
        const QMargins m = ItemMargins(o);
        Rule(s + "::item", Padding(o, "2,1,2,1") + QStringLiteral("border-style: solid; border-color: transparent; ") +
                               BorderWidth(m));
        Rule(s + "::item:selected",
             ItemImage(FileName(o, "Item", 1), m) + Color(o, "InactiveSelectionTextColor", QPalette::Text));
        Rule(s + "::item:selected:active",
             ItemImage(FileName(o, "Item", 0), m) + Color(o, "SelectionTextColor", QPalette::HighlightedText));
    }
    static QMargins ItemMargins(const TSkinObject& o) {
        const QMargins m = o.Part("Item")->Margins;
        return QMargins(m.left(), 0, m.right(), 0);
    }
    QString ItemImage(const QString& file, const QMargins& m) const {
        return BorderImage(FUrl(file), m) + BorderWidth(m);
    }

    // The selected row of a list with columns: one picture across its cells (see RowPiece).
    void RowSelection(const TSkinObject& o, const QString& s) {
        const QMargins m = ItemMargins(o);
        for (const auto& [piece, name] : RowPieces) {
            const QMargins pm = RowPieceMargins(m, piece);
            Rule(s + "::item:" + QLatin1String(name), BorderWidth(pm));
            for (int state : {1, 0}) {
                Rule(s + (state == 0 ? "::item:selected:active:" : "::item:selected:") + QLatin1String(name),
                     ItemImage(RowPieceFileName(o, name, state), pm));
            }
        }
    }

    void ListView(const TSkinObject& o, const QString& s) {
        ItemView(o, s);
        RowSelection(o, s);
        Rule(s + "::indicator", Size(o, "Check"));
        Rule(s + "::indicator:unchecked", Icon(o, "Check", 0));
        Rule(s + "::indicator:checked", Icon(o, "Check", 1));
        HotRule(s + "::indicator:unchecked:hover", Icon(o, "Check", 2));
        HotRule(s + "::indicator:checked:hover", Icon(o, "Check", 3));
        Rule(s + "::indicator:unchecked:disabled", Icon(o, "Check", 4));
        Rule(s + "::indicator:checked:disabled", Icon(o, "Check", 5));
    }

    void Header(const TSkinObject& o, const QString& s) {
        Rule(s, QStringLiteral("background: transparent; border: none; "));
        Rule(s + "::section",
             Image(o, {}, 0) + Color(o, "TextColor", QPalette::ButtonText) + Font(o) + Padding(o, "6,1,6,1"));
        HotRule(s + "::section:hover", Image(o, {}, 1) + Color(o, "HotTextColor", QPalette::ButtonText));
        Rule(s + "::section:pressed", Image(o, {}, 2) + Color(o, "PressedTextColor", QPalette::ButtonText));
    }

    void ScrollBar(const TSkinObject& o, const QString& s) {
        const TSkinPart* track = o.Part();
        const TSkinPart* button = o.Part("Button");
        const int thickness = track->Rect.width();
        const int length = button->Rect.height();
        // A line button's size excludes its picture's borders, as a box's does.
        const int inner = std::max(0, length - button->Margins.top() - button->Margins.bottom());
        for (bool h : {false, true}) {
            const QString orient = h ? QStringLiteral(":horizontal") : QStringLiteral(":vertical");
            const QString t = s + orient;
            Rule(t, Image(o, {}, 0, h) + (h ? QStringLiteral("height: %1px; margin: 0px %2px 0px %2px; ")
                                            : QStringLiteral("width: %1px; margin: %2px 0px %2px 0px; "))
                                             .arg(thickness)
                                             .arg(length));
            Rule(t + ":disabled", Image(o, {}, 1, h));
            Rule(s + "::handle" + orient, Image(o, "Thumb", 0, h) + (h ? QStringLiteral("min-width: 16px; ")
                                                                       : QStringLiteral("min-height: 16px; ")));
            HotRule(s + "::handle" + orient + ":hover", Image(o, "Thumb", 1, h));
            Rule(s + "::handle" + orient + ":pressed", Image(o, "Thumb", 2, h));
            for (const char* line : {"::sub-line", "::add-line"}) {
                const bool first = QLatin1String(line) == QLatin1String("::sub-line");
                const QString l = s + QLatin1String(line) + orient;
                Rule(l, Image(o, "Button", 0, h) + QStringLiteral("subcontrol-origin: margin; ") +
                            QStringLiteral("subcontrol-position: %1; ")
                                .arg(h ? (first ? "left" : "right") : (first ? "top" : "bottom")) +
                            (h ? QStringLiteral("width: %1px; ") : QStringLiteral("height: %1px; ")).arg(inner));
                HotRule(l + ":hover", Image(o, "Button", 1, h));
                Rule(l + ":pressed", Image(o, "Button", 2, h));
                Rule(l + ":disabled", Image(o, "Button", 3, h));
            }
            const QString arrows[] = {QStringLiteral("UpArrow"), QStringLiteral("DownArrow")};
            const QString subs[] = {QLatin1String(h ? "::left-arrow" : "::up-arrow"),
                                    QLatin1String(h ? "::right-arrow" : "::down-arrow")};
            for (int i = 0; i < 2; ++i) {
                const TSkinPart* arrow = o.Part(arrows[i]);
                const QSize size = h ? arrow->Rect.size().transposed() : arrow->Rect.size();
                Rule(s + subs[i] + orient,
                     Icon(o, arrows[i], 0, h) +
                         QStringLiteral("width: %1px; height: %2px; ").arg(size.width()).arg(size.height()));
                // States follow the sub-control: "QScrollBar:disabled::down-arrow" would draw an
                // arrow in the middle of the track.
                Rule(s + subs[i] + orient + ":disabled", Icon(o, arrows[i], 1, h));
            }
            Rule(s + "::add-page" + orient + ", " + s + "::sub-page" + orient, QStringLiteral("background: none; "));
        }
    }

    void ComboBox(const TSkinObject& o, const QString& s) {
        const TSkinPart* button = o.Part("Button");
        Rule(s,
             Image(o, {}, 0) + Color(o, "TextColor", QPalette::Text) + Font(o) + Selection(o) + Padding(o, "3,0,2,0"));
        HotRule(s + ":hover", Image(o, {}, 1));
        Rule(s + ":focus", Image(o, {}, 2));
        Rule(s + ":disabled", Image(o, {}, 3) + Color(o, "DisabledTextColor", QPalette::Text, QPalette::Disabled));
        // The width of the drop-down box excludes its picture's borders: the whole box is as wide as the picture.
        Rule(s + "::drop-down",
             Image(o, "Button", 0) +
                 QStringLiteral("subcontrol-origin: padding; subcontrol-position: top right; "
                                "width: %1px; ")
                     .arg(std::max(0, button->Rect.width() - button->Margins.left() - button->Margins.right())));
        HotRule(s + "::drop-down:hover", Image(o, "Button", 1));
        Rule(s + "::drop-down:on", Image(o, "Button", 2));
        Rule(s + "::drop-down:disabled", Image(o, "Button", 3));
        Rule(s + "::down-arrow", Icon(o, "Arrow", 0) + Size(o, "Arrow"));
        Rule(s + "::down-arrow:disabled", Icon(o, "Arrow", 1));
        Rule(s + " QAbstractItemView",
             QStringLiteral("background: %1; border: 1px solid %2; outline: none; ")
                     .arg(ColorText(o.Color("Color", FTheme.Palette().color(QPalette::Base))),
                          ColorText(o.Color("PopupBorderColor", FTheme.Palette().color(QPalette::Dark)))) +
                 Color(o, "TextColor", QPalette::Text) + Selection(o));
    }

    void RadioBox(const TSkinObject& o, const QString& s) {
        Rule(s, Color(o, "TextColor", QPalette::WindowText) + Font(o) +
                    QStringLiteral("background: transparent; spacing: 5px; outline: none; "));
        Rule(s + ":disabled", Color(o, "DisabledTextColor", QPalette::WindowText, QPalette::Disabled));
        Rule(s + "::indicator", Size(o, {}));
        Rule(s + "::indicator:unchecked", Icon(o, {}, 0));
        HotRule(s + "::indicator:unchecked:hover", Icon(o, {}, 1));
        Rule(s + "::indicator:checked", Icon(o, {}, 2));
        HotRule(s + "::indicator:checked:hover", Icon(o, {}, 3));
        Rule(s + "::indicator:unchecked:focus", Icon(o, {}, 6));
        Rule(s + "::indicator:checked:focus", Icon(o, {}, 7));
        Rule(s + "::indicator:unchecked:disabled", Icon(o, {}, 4));
        Rule(s + "::indicator:checked:disabled", Icon(o, {}, 5));
    }

    // `widget` is empty for a tab bar that stands alone.
    void Tab(const TSkinObject& o, const QString& widget, const QString& bar) {
        if (!widget.isEmpty()) {
            const QMargins m = o.Part("Pane")->Margins;
            Rule(widget + "::pane", Image(o, "Pane", 0) + QStringLiteral("top: -%1px; ").arg(m.top()));
            Rule(widget + "::tab-bar", QStringLiteral("left: %1px; ").arg(o.Int("TabIndent", 4)));
        }
        Rule(bar, QStringLiteral("outline: none; background: transparent; "));
        const QString t = bar + "::tab";
        Rule(t, Image(o, {}, 0) + Color(o, "TextColor", QPalette::ButtonText) + Font(o) + Padding(o, "10,3,10,3") +
                    QStringLiteral("margin-right: %1px; margin-top: 2px; ").arg(o.Int("TabSpacing", 1)));
        HotRule(t + ":hover", Image(o, {}, 1) + Color(o, "HotTextColor", QPalette::ButtonText));
        Rule(t + ":selected", Image(o, {}, 2) + Color(o, "SelectedTextColor", QPalette::ButtonText) +
                                  QStringLiteral("margin-top: 0px; "));
        Rule(t + ":selected:focus", Image(o, {}, 4));
        Rule(t + ":disabled",
             Image(o, {}, 3) + Color(o, "DisabledTextColor", QPalette::ButtonText, QPalette::Disabled));
    }

    void MenuBar(const TSkinObject& o, const QString& s) {
        const QMargins m = o.Part("Item")->Margins;
        const QString border = QStringLiteral("border-style: solid; border-color: transparent; ") + BorderWidth(m);
        Rule(s, Image(o, {}, 0) + Color(o, "TextColor", QPalette::WindowText) + Font(o) +
                    QStringLiteral("spacing: 1px; padding: 1px 2px; "));
        Rule(s + "::item", border + QStringLiteral("background: transparent; ") + Padding(o, "7,2,7,2"));
        Rule(s + "::item:selected", Image(o, "Item", 0) + Color(o, "HotTextColor", QPalette::WindowText));
        Rule(s + "::item:pressed", Image(o, "Item", 1) + Color(o, "PressedTextColor", QPalette::WindowText));
    }

    void PopupMenu(const TSkinObject& o, const QString& s) {
        const QMargins m = o.Part("Item")->Margins;
        const TSkinPart* check = o.Part("Check");
        Rule(s, Image(o, {}, 0) + Color(o, "TextColor", QPalette::WindowText) + Font(o) +
                    QStringLiteral("padding: 2px; "));
        Rule(s + "::item",
             QStringLiteral("border-style: solid; border-color: transparent; ") + BorderWidth(m) +
                 QStringLiteral("background: transparent; padding: 3px 20px 3px %1px; ").arg(check->Rect.width() + 12));
        Rule(s + "::item:selected", Image(o, "Item", 0) + Color(o, "HotTextColor", QPalette::HighlightedText));
        Rule(s + "::item:disabled", Color(o, "DisabledTextColor", QPalette::WindowText, QPalette::Disabled));
        Rule(s + "::indicator", Size(o, "Check") + QStringLiteral("left: 5px; "));
        Rule(s + "::indicator:checked", Icon(o, "Check", 0));
        Rule(s + "::indicator:checked:disabled", Icon(o, "Check", 1));
        Rule(s + "::separator", Image(o, "Separator", 0) + QStringLiteral("height: %1px; margin: 3px 4px 3px %2px; ")
                                                               .arg(o.Part("Separator")->Rect.height())
                                                               .arg(check->Rect.width() + 8));
    }

private:
    const TSkinTheme& FTheme;
    const std::function<QString(const QString&)>& FUrl;
    bool FEffects;
    QString FOut;
};

QString Named(const char* widgetClass, const QString& name) {
    return QStringLiteral("%1[skinDataName=\"%2\"]").arg(QLatin1String(widgetClass), name);
}

} // namespace

std::map<QString, QByteArray> SkinStateFiles(const TSkinTheme& theme) {
    std::map<QString, QByteArray> files;
    QTransform quarterLeft;
    quarterLeft.rotate(-90);
    for (const TSkinObject* object : theme.Objects()) {
        if (object->Type() == TSkinObjectType::Form) {
            continue; // TSkinForm paints the frame from the theme itself
        }
        for (const QString& part : TSkinTheme::PartNames(TSkinTheme::TypeName(object->Type()))) {
            const TSkinPart* found = object->Part(part);
            for (int state = 0; state < found->States; ++state) {
                const QImage image = found->State(state);
                files[FileName(*object, part, state)] = Png(image);
                if (object->Type() == TSkinObjectType::ScrollBar) {
                    files[FileName(*object, part, state, true)] = Png(image.transformed(quarterLeft));
                }
                if (object->Type() == TSkinObjectType::ListView && part == QLatin1String("Item")) {
                    for (const auto& [piece, name] : RowPieces) {
                        files[RowPieceFileName(*object, name, state)] = Png(RowPiece(image, found->Margins, piece));
                    }
                }
            }
        }
    }
    return files;
}

QString SkinStyleSheet(const TSkinTheme& theme, const std::function<QString(const QString&)>& url, bool effects) {
    TSheetWriter w(theme, url, effects);
    // Sub-controls the program never names take the theme's objects of their kind.
    if (const TSkinObject* popup = theme.Object("popupmenu")) {
        w.PopupMenu(*popup, QStringLiteral("QMenu"));
    }
    if (const TSkinObject* scroll = theme.Object("vscrollbar")) {
        w.ScrollBar(*scroll, QStringLiteral("QScrollBar"));
    }
    if (const TSkinObject* header = theme.Object("resizebutton")) {
        w.Header(*header, QStringLiteral("QHeaderView"));
    }
    for (const TSkinObject* object : theme.Objects()) {
        const QString& n = object->Name();
        switch (object->Type()) {
        case TSkinObjectType::Form:
            break; // drawn by TSkinForm
        case TSkinObjectType::MenuBar:
            w.MenuBar(*object, Named("QMenuBar", n));
            break;
        case TSkinObjectType::PopupMenu:
            w.PopupMenu(*object, Named("QMenu", n));
            break;
        case TSkinObjectType::Panel:
            w.Panel(*object, Named("QWidget", n));
            break;
        case TSkinObjectType::Tab:
            w.Tab(*object, Named("QTabWidget", n), Named("QTabWidget", n) + QStringLiteral(" QTabBar"));
            w.Tab(*object, QString(), Named("QTabBar", n));
            break;
        case TSkinObjectType::Button:
            w.Button(*object, Named("QPushButton", n));
            break;
        case TSkinObjectType::ListBox:
            w.ItemView(*object, Named("QListView", n));
            break;
        case TSkinObjectType::Label:
            w.Label(*object, Named("QLabel", n));
            break;
        case TSkinObjectType::ComboBox:
            w.ComboBox(*object, Named("QComboBox", n));
            break;
        case TSkinObjectType::RadioBox:
            w.RadioBox(*object, Named("QRadioButton", n));
            break;
        case TSkinObjectType::ListView:
            w.ListView(*object, Named("QTreeView", n));
            break;
        case TSkinObjectType::HeaderButton:
            w.Header(*object, Named("QHeaderView", n));
            break;
        case TSkinObjectType::ScrollBar:
            w.ScrollBar(*object, Named("QScrollBar", n));
            break;
        case TSkinObjectType::Edit:
            w.Edit(*object, Named("QLineEdit", n));
            break;
        case TSkinObjectType::Bevel:
            w.Bevel(*object, Named("QFrame", n));
            break;
        }
    }
    return w.Result();
}
