#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPalette>
#include <QRect>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

struct TSkinPackage;

/// What a skin object draws; fixes the parts and states the object must describe.
enum class TSkinObjectType {
    Form,
    MenuBar,
    PopupMenu,
    Panel,
    Tab,
    Button,
    ListBox,
    Label,
    ComboBox,
    RadioBox,
    ListView,
    HeaderButton,
    ScrollBar,
    Edit,
    Bevel,
};

/// A rectangle of a picture, cut in nine for stretching, with its states stacked downwards:
/// state i is `Rect` moved down by i × its height.
struct TSkinPart {
    QImage Picture;
    QRect Rect;
    QMargins Margins;
    int States = 1;

    /// The picture of one state (0 = the first).
    QImage State(int index) const;
};

/// One skin object of a theme: its type, its parts and its other values (colours, fonts, sizes).
class TSkinObject {
public:
    const QString& Name() const { return FName; }
    TSkinObjectType Type() const { return FType; }

    /// The part named `part` ("" is the object's main picture), or nullptr.
    const TSkinPart* Part(const QString& part = {}) const;
    /// The rectangle of the main picture's first state; empty for objects without a picture.
    QRect PictureRect() const;

    /// A raw value of the object's description, or an empty string.
    QString Value(const QString& key) const;
    QColor Color(const QString& key, const QColor& fallback = {}) const;
    int Int(const QString& key, int fallback) const;
    std::optional<QFont> Font(const QString& key = QStringLiteral("Font")) const;

private:
    friend class TSkinTheme;
    QString FName;
    TSkinObjectType FType = TSkinObjectType::Panel;
    std::map<QString, TSkinPart> FParts;
    std::map<QString, QString> FValues; // keys in lower case
};

/// A theme understood and checked: every skin object the program names is there, of the right
/// type, with every part inside its picture. Immutable once parsed, so it can be shared.
class TSkinTheme {
public:
    /// Parses and checks `package`; throws ESkinError saying what is wrong.
    static std::shared_ptr<const TSkinTheme> Parse(const TSkinPackage& package);

    /// The names of the skin objects every theme must define, with their types.
    static const std::vector<std::pair<QString, TSkinObjectType>>& RequiredObjects();
    static QString TypeName(TSkinObjectType type);
    /// How many states the part `part` ("" = main picture) of an object of type `typeName` has;
    /// 0 when that type has no such part or the type is unknown.
    static int PartStates(const QString& typeName, const QString& part);
    /// The parts an object of type `typeName` describes ("" = main picture).
    static QStringList PartNames(const QString& typeName);

    const QString& Name() const { return FName; }
    const TSkinObject* Object(const QString& name) const;
    const std::vector<const TSkinObject*>& Objects() const { return FOrder; }
    const QPalette& Palette() const { return FPalette; }
    const QFont& DefaultFont() const { return FDefaultFont; }
    /// A colour of the [Colors] section, or `fallback`.
    QColor Color(const QString& role, const QColor& fallback = {}) const;
    /// The string table of the theme's [Strings] section, keys as written.
    const std::map<QString, QString>& Strings() const { return FStrings; }

private:
    QString FName;
    QPalette FPalette;
    QFont FDefaultFont;
    std::map<QString, QColor> FColors; // keys in lower case
    std::map<QString, QString> FStrings;
    std::map<QString, std::unique_ptr<TSkinObject>> FObjects; // keys in lower case
    std::vector<const TSkinObject*> FOrder;
};

/// Parses "#rrggbb" or "#rrggbbaa" (alpha last, as in CSS); nullopt for anything else.
std::optional<QColor> ParseSkinColor(const QString& text);
/// Parses "Family[|Fallback...],size[,bold][,italic]" (size in points); nullopt when malformed.
std::optional<QFont> ParseSkinFont(const QString& text);
