#include "skin/SkinTheme.h"

#include "skin/SkinErrors.h"
#include "skin/SkinIni.h"
#include "skin/SkinPackage.h"

#include <QBuffer>
#include <QImageReader>
#include <QStringList>

namespace {

struct TPartSpec {
    const char* Name;
    int States;
};

struct TTypeSpec {
    TSkinObjectType Type;
    const char* Name;
    std::vector<TPartSpec> Parts;
};

// The parts each type of object must describe and how many states each part has; the order of
// the states is documented in skin/README.md.
const std::vector<TTypeSpec>& TypeSpecs() {
    static const std::vector<TTypeSpec> specs = {
        {TSkinObjectType::Form, "form", {{"Caption", 2}, {"Border", 2}, {"Minimize", 4}, {"Close", 4}}},
        {TSkinObjectType::MenuBar, "menubar", {{"", 1}, {"Item", 2}}},
        {TSkinObjectType::PopupMenu, "popupmenu", {{"", 1}, {"Item", 1}, {"Check", 2}, {"Separator", 1}}},
        {TSkinObjectType::Panel, "panel", {{"", 1}}},
        {TSkinObjectType::Tab, "tab", {{"", 5}, {"Pane", 1}}},
        {TSkinObjectType::Button, "button", {{"", 6}}},
        {TSkinObjectType::ListBox, "listbox", {{"", 3}, {"Item", 2}}},
        {TSkinObjectType::Label, "label", {}},
        {TSkinObjectType::ComboBox, "combobox", {{"", 4}, {"Button", 4}, {"Arrow", 2}}},
        {TSkinObjectType::RadioBox, "radiobox", {{"", 8}}},
        {TSkinObjectType::ListView, "listview", {{"", 3}, {"Item", 2}, {"Check", 6}}},
        {TSkinObjectType::HeaderButton, "resizebutton", {{"", 3}}},
        {TSkinObjectType::ScrollBar,
         "scrollbar",
         {{"", 2}, {"Thumb", 3}, {"Button", 4}, {"UpArrow", 2}, {"DownArrow", 2}}},
        {TSkinObjectType::Edit, "edit", {{"", 4}}},
        {TSkinObjectType::Bevel, "bevel", {{"", 1}}},
    };
    return specs;
}

const TTypeSpec* FindType(const QString& name) {
    for (const TTypeSpec& spec : TypeSpecs()) {
        if (name.compare(QLatin1String(spec.Name), Qt::CaseInsensitive) == 0) {
            return &spec;
        }
    }
    return nullptr;
}

const TTypeSpec& SpecOf(TSkinObjectType type) {
    for (const TTypeSpec& spec : TypeSpecs()) {
        if (spec.Type == type) {
            return spec;
        }
    }
    return TypeSpecs().front();
}

// Pictures stay small in memory but a picture's size is not: a damaged or forged package could ask
// for gigabytes by naming a large picture many times or cutting it into many objects. The themes
// need about 0.1 M pixels; these bounds leave them far more room than that.
constexpr qint64 MaxPicturePixels = 4 * 1024 * 1024;
constexpr qint64 MaxPartPixels = 4 * 1024 * 1024;

[[noreturn]] void Fail(const QString& message) {
    throw ESkinError(message.toStdString());
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::vector<int>> ParseInts(const QString& text, int count) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != count) {
        return std::nullopt;
    }
    std::vector<int> values;
    for (const QString& field : fields) {
        bool ok = false;
        const int value = field.trimmed().toInt(&ok);
        if (!ok || value < 0 || value > 100000) {
            return std::nullopt;
        }
        values.push_back(value);
    }
    return values;
}

// Names and font families end up in the windows' style sheet: a character that ends a string,
// a declaration or a block there would make the whole sheet unreadable.
bool SheetSafe(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char(' ') || QStringLiteral("\"'\\;{}[]()").contains(c)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<QColor> ParseSkinColor(const QString& text) {
    const QString value = text.trimmed();
    if (!value.startsWith(QLatin1Char('#')) || (value.size() != 7 && value.size() != 9)) {
        return std::nullopt;
    }
    bool ok = false;
    const uint rgb = value.mid(1).toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    // "#rrggbbaa": the alpha comes last, as in CSS.
    return value.size() == 7 ? QColor::fromRgb(rgb | 0xFF000000u) : QColor::fromRgba((rgb >> 8) | (rgb << 24));
}

std::optional<QFont> ParseSkinFont(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 2) {
        return std::nullopt;
    }
    // "Tahoma|Liberation Sans": the first family the system has is taken.
    QStringList families;
    for (const QString& family : fields.front().split(QLatin1Char('|'))) {
        if (family.trimmed().isEmpty() || !SheetSafe(family)) {
            return std::nullopt;
        }
        families << family.trimmed();
    }
    bool ok = false;
    const double points = fields.at(1).trimmed().toDouble(&ok);
    if (!ok || points < 4 || points > 72) {
        return std::nullopt;
    }
    QFont font(families.front());
    font.setFamilies(families);
    font.setPointSizeF(points);
    for (qsizetype i = 2; i < fields.size(); ++i) {
        const QString style = fields.at(i).trimmed().toLower();
        if (style == QLatin1String("bold")) {
            font.setBold(true);
        } else if (style == QLatin1String("italic")) {
            font.setItalic(true);
        } else if (style != QLatin1String("normal")) {
            return std::nullopt;
        }
    }
    return font;
}

QImage TSkinPart::State(int index) const {
    return Picture.copy(Rect.translated(0, index * Rect.height()));
}

const TSkinPart* TSkinObject::Part(const QString& part) const {
    const auto found = FParts.find(part.toLower());
    return found == FParts.end() ? nullptr : &found->second;
}

QRect TSkinObject::PictureRect() const {
    const TSkinPart* main = Part();
    return main == nullptr ? QRect() : main->Rect;
}

QString TSkinObject::Value(const QString& key) const {
    const auto found = FValues.find(key.toLower());
    return found == FValues.end() ? QString() : found->second;
}

QColor TSkinObject::Color(const QString& key, const QColor& fallback) const {
    return ParseSkinColor(Value(key)).value_or(fallback);
}

int TSkinObject::Int(const QString& key, int fallback) const {
    bool ok = false;
    const int value = Value(key).toInt(&ok);
    return ok ? value : fallback;
}

std::optional<QFont> TSkinObject::Font(const QString& key) const {
    return ParseSkinFont(Value(key));
}

const std::vector<std::pair<QString, TSkinObjectType>>& TSkinTheme::RequiredObjects() {
    static const std::vector<std::pair<QString, TSkinObjectType>> objects = {
        {QStringLiteral("form"), TSkinObjectType::Form},
        {QStringLiteral("mainmenubar"), TSkinObjectType::MenuBar},
        {QStringLiteral("popupmenu"), TSkinObjectType::PopupMenu},
        {QStringLiteral("panel"), TSkinObjectType::Panel},
        {QStringLiteral("tab"), TSkinObjectType::Tab},
        {QStringLiteral("button"), TSkinObjectType::Button},
        {QStringLiteral("listbox"), TSkinObjectType::ListBox},
        {QStringLiteral("stdlabel"), TSkinObjectType::Label},
        {QStringLiteral("combobox"), TSkinObjectType::ComboBox},
        {QStringLiteral("radiobox"), TSkinObjectType::RadioBox},
        {QStringLiteral("listview"), TSkinObjectType::ListView},
        {QStringLiteral("resizebutton"), TSkinObjectType::HeaderButton},
        {QStringLiteral("vscrollbar"), TSkinObjectType::ScrollBar},
        {QStringLiteral("edit"), TSkinObjectType::Edit},
        {QStringLiteral("bevel"), TSkinObjectType::Bevel},
    };
    return objects;
}

QString TSkinTheme::TypeName(TSkinObjectType type) {
    return QLatin1String(SpecOf(type).Name);
}

int TSkinTheme::PartStates(const QString& typeName, const QString& part) {
    if (const TTypeSpec* spec = FindType(typeName)) {
        for (const TPartSpec& partSpec : spec->Parts) {
            if (part.compare(QLatin1String(partSpec.Name), Qt::CaseInsensitive) == 0) {
                return partSpec.States;
            }
        }
    }
    return 0;
}

QStringList TSkinTheme::PartNames(const QString& typeName) {
    QStringList names;
    if (const TTypeSpec* spec = FindType(typeName)) {
        for (const TPartSpec& partSpec : spec->Parts) {
            names << QLatin1String(partSpec.Name);
        }
    }
    return names;
}

const TSkinObject* TSkinTheme::Object(const QString& name) const {
    const auto found = FObjects.find(name.toLower());
    return found == FObjects.end() ? nullptr : found->second.get();
}

QColor TSkinTheme::Color(const QString& role, const QColor& fallback) const {
    const auto found = FColors.find(role.toLower());
    return found == FColors.end() ? fallback : found->second;
}

std::shared_ptr<const TSkinTheme> TSkinTheme::Parse(const TSkinPackage& package) {
    const TSkinIni ini = TSkinIni::Parse(package.Ini);
    auto theme = std::make_shared<TSkinTheme>();

    const std::string* name = ini.Find("Theme", "Name");
    if (name == nullptr || name->empty()) {
        Fail(QStringLiteral("The theme description has no [Theme] Name"));
    }
    theme->FName = FromUtf8(*name);

    // Colours and the palette every themed window starts from.
    if (const TSkinIni::TSection* colors = ini.FindSection("Colors")) {
        for (const TSkinIni::TEntry& entry : colors->Entries) {
            const auto color = ParseSkinColor(FromUtf8(entry.Value));
            if (!color) {
                Fail(QStringLiteral("The theme's colour %1 is not a colour: %2")
                         .arg(FromUtf8(entry.Key), FromUtf8(entry.Value)));
            }
            theme->FColors[FromUtf8(entry.Key).toLower()] = *color;
        }
    }
    static const std::pair<const char*, QPalette::ColorRole> roles[] = {
        {"Window", QPalette::Window},       {"WindowText", QPalette::WindowText},
        {"Base", QPalette::Base},           {"Text", QPalette::Text},
        {"Button", QPalette::Button},       {"ButtonText", QPalette::ButtonText},
        {"Highlight", QPalette::Highlight}, {"HighlightedText", QPalette::HighlightedText},
    };
    QPalette& palette = theme->FPalette;
    for (const auto& [role, paletteRole] : roles) {
        const QColor color = theme->Color(QLatin1String(role));
        if (!color.isValid()) {
            Fail(QStringLiteral("The theme does not give the colour %1").arg(QLatin1String(role)));
        }
        palette.setColor(paletteRole, color);
    }
    const QColor button = palette.color(QPalette::Button);
    palette.setColor(QPalette::AlternateBase, theme->Color("AlternateBase", palette.color(QPalette::Base)));
    palette.setColor(QPalette::Light, theme->Color("Light", button.lighter(150)));
    palette.setColor(QPalette::Midlight, theme->Color("Midlight", button.lighter(115)));
    palette.setColor(QPalette::Mid, theme->Color("Mid", button.darker(130)));
    palette.setColor(QPalette::Dark, theme->Color("Dark", button.darker(160)));
    palette.setColor(QPalette::Shadow, theme->Color("Shadow", button.darker(300)));
    palette.setColor(QPalette::Link, theme->Color("Link", palette.color(QPalette::Highlight)));
    palette.setColor(QPalette::LinkVisited, theme->Color("LinkVisited", palette.color(QPalette::Link)));
    palette.setColor(QPalette::ToolTipBase, theme->Color("ToolTipBase", palette.color(QPalette::Base)));
    palette.setColor(QPalette::ToolTipText, theme->Color("ToolTipText", palette.color(QPalette::Text)));
    palette.setColor(QPalette::PlaceholderText, theme->Color("PlaceholderText", palette.color(QPalette::Mid)));
    palette.setColor(QPalette::BrightText, theme->Color("BrightText", palette.color(QPalette::HighlightedText)));
    const QColor disabled = theme->Color("DisabledText", palette.color(QPalette::Mid));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }

    theme->FDefaultFont = QFont(QStringLiteral("Sans Serif"), 8);
    if (const std::string* font = ini.Find("Fonts", "Default")) {
        const auto parsed = ParseSkinFont(FromUtf8(*font));
        if (!parsed) {
            Fail(QStringLiteral("The theme's default font is not a font: %1").arg(FromUtf8(*font)));
        }
        theme->FDefaultFont = *parsed;
    }
    if (const TSkinIni::TSection* strings = ini.FindSection("Strings")) {
        for (const TSkinIni::TEntry& entry : strings->Entries) {
            theme->FStrings[FromUtf8(entry.Key)] = FromUtf8(entry.Value);
        }
    }

    // Pictures: [Pictures] maps each name the objects use to a picture of the package.
    std::map<QString, QImage> pictures;
    qint64 picturePixels = 0;
    if (const TSkinIni::TSection* section = ini.FindSection("Pictures")) {
        for (const TSkinIni::TEntry& entry : section->Entries) {
            const TSkinPicture* stored = nullptr;
            for (const TSkinPicture& picture : package.Pictures) {
                if (picture.Name == entry.Value) {
                    stored = &picture;
                }
            }
            if (stored == nullptr) {
                Fail(QStringLiteral("The theme package lacks the picture %1").arg(FromUtf8(entry.Value)));
            }
            QByteArray data = QByteArray::fromRawData(stored->Data.data(), static_cast<qsizetype>(stored->Data.size()));
            QBuffer buffer(&data);
            QImageReader reader(&buffer, "PNG");
            // Qt reads PNG itself; guessing would load every image plugin of the system to ask it first.
            reader.setAutoDetectImageFormat(false);
            // The size is read from the header: a picture too large is refused before it is decoded.
            const QSize size = reader.size();
            picturePixels += size.isValid() ? qint64(size.width()) * size.height() : 0;
            if (picturePixels > MaxPicturePixels) {
                Fail(QStringLiteral("The theme's pictures are too large"));
            }
            QImage image;
            if (!size.isValid() || !reader.read(&image)) {
                Fail(QStringLiteral("The theme's picture %1 is damaged").arg(FromUtf8(entry.Value)));
            }
            pictures[FromUtf8(entry.Key).toLower()] = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }

    // Skin objects: the package's list names them, the description describes each.
    qint64 partPixels = 0;
    for (const std::string& storedName : package.ObjectNames) {
        const QString objectName = FromUtf8(storedName);
        if (objectName.isEmpty() || theme->FObjects.count(objectName.toLower()) != 0) {
            Fail(QStringLiteral("The theme package lists the skin object \"%1\" twice or without a name")
                     .arg(objectName));
        }
        if (!SheetSafe(objectName) || objectName.contains(QLatin1Char('/'))) {
            Fail(QStringLiteral("The theme package lists the skin object \"%1\" under a name no control can give")
                     .arg(objectName));
        }
        const TSkinIni::TSection* section = ini.FindSection(storedName);
        if (section == nullptr) {
            Fail(QStringLiteral("The theme does not describe its skin object \"%1\"").arg(objectName));
        }
        const std::string* typeName = TSkinIni::Find(*section, "Type");
        const TTypeSpec* spec = typeName == nullptr ? nullptr : FindType(FromUtf8(*typeName));
        if (spec == nullptr) {
            Fail(QStringLiteral("The skin object \"%1\" has no known Type").arg(objectName));
        }
        auto object = std::make_unique<TSkinObject>();
        object->FName = objectName;
        object->FType = spec->Type;
        for (const TSkinIni::TEntry& entry : section->Entries) {
            const QString key = FromUtf8(entry.Key).toLower();
            const QString value = FromUtf8(entry.Value);
            if (key.endsWith(QLatin1String("color")) && !ParseSkinColor(value)) {
                Fail(QStringLiteral("The skin object \"%1\" has a %2 that is not a colour: %3")
                         .arg(objectName, FromUtf8(entry.Key), value));
            }
            if (key == QLatin1String("padding") && !ParseInts(value, 4)) {
                Fail(QStringLiteral("The skin object \"%1\" has a %2 that is not four numbers: %3")
                         .arg(objectName, FromUtf8(entry.Key), value));
            }
            if (key.endsWith(QLatin1String("font")) && !ParseSkinFont(value)) {
                Fail(QStringLiteral("The skin object \"%1\" has a %2 that is not a font: %3")
                         .arg(objectName, FromUtf8(entry.Key), value));
            }
            object->FValues[key] = value;
        }
        for (const TPartSpec& partSpec : spec->Parts) {
            const QString partName = QLatin1String(partSpec.Name);
            const QString partLabel = partName.isEmpty() ? QStringLiteral("picture") : partName;
            const QString pictureName = object->Value(partName + QLatin1String("Picture")).toLower();
            const auto picture = pictures.find(pictureName);
            if (pictureName.isEmpty() || picture == pictures.end()) {
                Fail(QStringLiteral("The skin object \"%1\" lacks its %2").arg(objectName, partLabel));
            }
            const auto rect = ParseInts(object->Value(partName + QLatin1String("Rect")), 4);
            const QString marginsText = object->Value(partName + QLatin1String("Margins"));
            const auto margins = marginsText.isEmpty() ? std::vector<int>{0, 0, 0, 0} : ParseInts(marginsText, 4);
            if (!rect || (*rect)[2] == 0 || (*rect)[3] == 0 || !margins) {
                Fail(QStringLiteral("The skin object \"%1\" has a malformed %2 rectangle").arg(objectName, partLabel));
            }
            TSkinPart part;
            part.Picture = picture->second;
            part.Rect = QRect((*rect)[0], (*rect)[1], (*rect)[2], (*rect)[3]);
            part.Margins = QMargins((*margins)[0], (*margins)[1], (*margins)[2], (*margins)[3]);
            part.States = partSpec.States;
            const QRect all(part.Rect.topLeft(), QSize(part.Rect.width(), part.Rect.height() * part.States));
            if (!part.Picture.rect().contains(all) || part.Margins.left() + part.Margins.right() > part.Rect.width() ||
                part.Margins.top() + part.Margins.bottom() > part.Rect.height()) {
                Fail(
                    QStringLiteral("The skin object \"%1\" has its %2 outside its picture").arg(objectName, partLabel));
            }
            // Every state of every part is cut into a picture of its own when the theme is loaded.
            partPixels += qint64(all.width()) * all.height();
            if (partPixels > MaxPartPixels) {
                Fail(QStringLiteral("The theme's pictures are too large"));
            }
            object->FParts[partName.toLower()] = std::move(part);
        }
        theme->FOrder.push_back(object.get());
        theme->FObjects[objectName.toLower()] = std::move(object);
    }

    for (const auto& [required, type] : RequiredObjects()) {
        const TSkinObject* object = theme->Object(required);
        if (object == nullptr) {
            Fail(QStringLiteral("The theme does not define the skin object \"%1\"").arg(required));
        }
        if (object->Type() != type) {
            Fail(QStringLiteral("The theme's skin object \"%1\" is not of type %2").arg(required, TypeName(type)));
        }
    }
    return theme;
}
