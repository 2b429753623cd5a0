// Every carried theme: it loads, defines what the program names, and is readable and usable
// from the keyboard. Damaged packages fail clearly and change nothing.
#include "SkinTestSupport.h"

#include "skin/SkinErrors.h"
#include "skin/SkinTheme.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QVBoxLayout>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

using ::testing::HasSubstr;
using namespace skintest;

namespace {

// The paths of the pictures a style sheet names, quoted or bare.
QStringList PicturePaths(const QString& sheet) {
    static const QRegularExpression url(QStringLiteral("url\\(\"?([^\")]*)\"?\\)"));
    QStringList paths;
    for (const QRegularExpressionMatch& match : url.globalMatch(sheet)) {
        paths << match.captured(1);
    }
    return paths;
}

double Luminance(const QColor& color) {
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour under a control's text: the middle of a state picture, laid on the window colour.
QColor Under(const TSkinTheme& theme, const TSkinObject& object, const QString& part, int state) {
    const TSkinPart* found = object.Part(part);
    QImage picture = found->State(state);
    QImage flat(picture.size(), QImage::Format_ARGB32);
    flat.fill(theme.Palette().color(QPalette::Window));
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    painter.end();
    const QRect inner = flat.rect().marginsRemoved(found->Margins);
    const QRect middle = inner.isEmpty() ? flat.rect() : inner;
    double r = 0, g = 0, b = 0;
    int n = 0;
    for (int y = middle.top(); y <= middle.bottom(); ++y) {
        for (int x = middle.left(); x <= middle.right(); ++x) {
            const QColor c = flat.pixelColor(x, y);
            r += c.redF();
            g += c.greenF();
            b += c.blueF();
            ++n;
        }
    }
    return QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n));
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}

class CarriedTheme : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        FStored = Stored(GetParam());
        FSkin.SetCompressedStoredSkin(FStored.get());
        ASSERT_NE(FSkin.Theme(), nullptr);
    }
    const TSkinTheme& Theme() const { return *FSkin.Theme(); }
    const TSkinObject& Object(const char* name) const { return *Theme().Object(QLatin1String(name)); }

    std::unique_ptr<TCompressedStoredSkin> FStored;
    TSkinData FSkin;
};

TEST_P(CarriedTheme, inflatesParsesAndDefinesEverySkinObject) {
    const QByteArray& data = FStored->CompressedData();
    ASSERT_GE(data.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(data[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(data[1]), 0xDA) << "deflated at the best level";
    for (const auto& [name, type] : TSkinTheme::RequiredObjects()) {
        SCOPED_TRACE(name.toStdString());
        const TSkinObject* object = Theme().Object(name);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->Type(), type);
    }
    EXPECT_EQ(Unpacked(GetParam()).ObjectNames.size(), TSkinTheme::RequiredObjects().size());

    ASSERT_TRUE(FSkin.ButtonPictureHeight().has_value());
    EXPECT_EQ(*FSkin.ButtonPictureHeight(), Object("button").PictureRect().height());
    EXPECT_GE(*FSkin.ButtonPictureHeight(), 20);
    EXPECT_LE(*FSkin.ButtonPictureHeight(), 28);
    EXPECT_GE(FSkin.FrameMinWidth(), 120);
    EXPECT_GT(FSkin.FrameMaxWidth(), 800);
}

TEST_P(CarriedTheme, everyPictureTheStyleSheetNamesIsThere) {
    const QStringList paths = PicturePaths(FSkin.StyleSheet());
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(QImage(path).isNull());
    }
    EXPECT_GT(paths.size(), 60);
}

TEST_P(CarriedTheme, textIsReadableOnWhatItIsDrawnOn) {
    const TSkinTheme& theme = Theme();
    const QPalette& palette = theme.Palette();
    struct TPair {
        const char* Where;
        QColor Text;
        QColor Back;
        double Minimum;
    };
    std::vector<TPair> pairs = {
        {"palette window", palette.color(QPalette::WindowText), palette.color(QPalette::Window), 4.5},
        {"palette base", palette.color(QPalette::Text), palette.color(QPalette::Base), 4.5},
        {"palette button", palette.color(QPalette::ButtonText), palette.color(QPalette::Button), 4.5},
        {"palette selection", palette.color(QPalette::HighlightedText), palette.color(QPalette::Highlight), 4.5},
        {"link on the window", palette.color(QPalette::Link), palette.color(QPalette::Window), 4.5},
    };
    const auto text = [&](const char* object, const char* key, QPalette::ColorRole role) {
        return Object(object).Color(QLatin1String(key), palette.color(role));
    };
    const auto add = [&](const char* where, QColor fore, const char* object, const char* part, int state,
                         double minimum = 4.5) {
        pairs.push_back({where, fore, Under(theme, Object(object), QLatin1String(part), state), minimum});
    };
    add("button", text("button", "TextColor", QPalette::ButtonText), "button", "", 0);
    add("hot button", text("button", "HotTextColor", QPalette::ButtonText), "button", "", 1);
    add("pressed button", text("button", "PressedTextColor", QPalette::ButtonText), "button", "", 2);
    add("focused button", text("button", "FocusTextColor", QPalette::ButtonText), "button", "", 4);
    add("default button", text("button", "TextColor", QPalette::ButtonText), "button", "", 5);
    add("tab", text("tab", "TextColor", QPalette::ButtonText), "tab", "", 0);
    add("hot tab", text("tab", "HotTextColor", QPalette::ButtonText), "tab", "", 1);
    add("selected tab", text("tab", "SelectedTextColor", QPalette::ButtonText), "tab", "", 2);
    add("label on a panel", text("stdlabel", "TextColor", QPalette::WindowText), "panel", "", 0);
    add("panel", text("panel", "TextColor", QPalette::WindowText), "panel", "", 0);
    add("radio button on a panel", text("radiobox", "TextColor", QPalette::WindowText), "panel", "", 0);
    add("radio button on a tab page", text("radiobox", "TextColor", QPalette::WindowText), "tab", "Pane", 0);
    add("label on a tab page", text("stdlabel", "TextColor", QPalette::WindowText), "tab", "Pane", 0);
    pairs.push_back({"label on the window", text("stdlabel", "TextColor", QPalette::WindowText),
                     palette.color(QPalette::Window), 4.5});
    for (const char* list : {"listbox", "listview"}) {
        pairs.push_back({list, text(list, "TextColor", QPalette::Text),
                         Object(list).Color("Color", palette.color(QPalette::Base)), 4.5});
        add(list, text(list, "SelectionTextColor", QPalette::HighlightedText), list, "Item", 0);
        add(list, text(list, "InactiveSelectionTextColor", QPalette::Text), list, "Item", 1);
        // The selection of a list without the focus, which Remove still acts on, stands out from the list.
        pairs.push_back({list, Under(theme, Object(list), QStringLiteral("Item"), 1),
                         Object(list).Color("Color", palette.color(QPalette::Base)), 1.45});
    }
    add("edit", text("edit", "TextColor", QPalette::Text), "edit", "", 0);
    add("focused edit", text("edit", "TextColor", QPalette::Text), "edit", "", 2);
    add("combo box", text("combobox", "TextColor", QPalette::Text), "combobox", "", 0);
    add("column header", text("resizebutton", "TextColor", QPalette::ButtonText), "resizebutton", "", 0);
    add("hot column header", text("resizebutton", "HotTextColor", QPalette::ButtonText), "resizebutton", "", 1);
    add("menu bar", text("mainmenubar", "TextColor", QPalette::WindowText), "mainmenubar", "", 0);
    add("hot menu bar item", text("mainmenubar", "HotTextColor", QPalette::WindowText), "mainmenubar", "Item", 0);
    add("open menu bar item", text("mainmenubar", "PressedTextColor", QPalette::WindowText), "mainmenubar", "Item", 1);
    add("popup menu", text("popupmenu", "TextColor", QPalette::WindowText), "popupmenu", "", 0);
    add("hot popup item", text("popupmenu", "HotTextColor", QPalette::HighlightedText), "popupmenu", "Item", 0);
    add("caption", Object("form").Color("TitleColor"), "form", "Caption", 0);
    // An inactive caption is meant to recede; it stays legible.
    add("inactive caption", Object("form").Color("InactiveTitleColor"), "form", "Caption", 1, 3.0);
    for (const TPair& pair : pairs) {
        SCOPED_TRACE(pair.Where);
        EXPECT_GE(Contrast(pair.Text, pair.Back), pair.Minimum)
            << pair.Text.name().toStdString() << " on " << pair.Back.name().toStdString();
    }
}

TEST_P(CarriedTheme, keyboardFocusIsVisibleInEveryControl) {
    const struct {
        const char* Object;
        const char* Part;
        int Unfocused;
        int Focused;
    } states[] = {
        {"button", "", 0, 4},   {"button", "", 5, 4},   {"edit", "", 0, 2},
        {"combobox", "", 0, 2}, {"listbox", "", 0, 1},  {"listview", "", 0, 1},
        {"radiobox", "", 0, 6}, {"radiobox", "", 2, 7}, {"tab", "", 2, 4},
    };
    for (const auto& s : states) {
        SCOPED_TRACE(std::string(s.Object) + " state " + std::to_string(s.Focused));
        const TSkinPart* part = Object(s.Object).Part(QLatin1String(s.Part));
        const int changed = DifferentPixels(part->State(s.Unfocused), part->State(s.Focused));
        EXPECT_GE(changed, std::min(part->Rect.width(), part->Rect.height())) << "the focus must show clearly";
    }
}

// A scroll bar shows its arrows on its buttons and nowhere else: not in the track below the thumb.
TEST_P(CarriedTheme, aScrollBarsTrackShowsNoArrow) {
    const TSkinObject& bar = Object("vscrollbar");
    std::set<QRgb> arrow;
    for (const char* part : {"UpArrow", "DownArrow"}) {
        for (int state : {0, 1}) {
            const QImage picture = bar.Part(QLatin1String(part))->State(state);
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x) {
                    if (qAlpha(picture.pixel(x, y)) == 255) {
                        arrow.insert(picture.pixel(x, y));
                    }
                }
            }
        }
    }
    ASSERT_FALSE(arrow.empty());
    for (Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        SCOPED_TRACE(orientation == Qt::Vertical ? "vertical" : "horizontal");
        QWidget window;
        auto* scroll = new QScrollBar(orientation, &window);
        SetSkinDataName(scroll, QStringLiteral("vscrollbar"));
        scroll->setGeometry(orientation == Qt::Vertical ? QRect(0, 0, 19, 130) : QRect(0, 0, 130, 19));
        scroll->setRange(0, 100);
        scroll->setPageStep(20);
        FSkin.RegisterWindow(&window);
        window.resize(140, 140);
        window.show();
        // The thumb stands at the start: the middle of the bar is the track below it.
        const QRect page = orientation == Qt::Vertical ? QRect(0, 45, 19, 55) : QRect(45, 0, 55, 19);
        const QImage drawn = scroll->grab().toImage();
        int found = 0;
        for (int y = page.top(); y <= page.bottom(); ++y) {
            for (int x = page.left(); x <= page.right(); ++x) {
                found += arrow.count(drawn.pixel(x, y)) != 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(found, 0) << "arrow pixels in the track";
    }
}

INSTANTIATE_TEST_SUITE_P(All, CarriedTheme, ::testing::ValuesIn(CarriedFileNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });

// A live theme that fails to load stays exactly as it was, and so do the windows it draws.
TEST(DamagedTheme, failsClearlyAndLeavesTheLiveThemeAsItWas) {
    const std::string base = "Office2007.skn";
    const auto dropObject = [&](const char* name) {
        TSkinPackage package = Unpacked(base);
        std::erase(package.ObjectNames, std::string(name));
        return Repacked(package);
    };
    const auto withIni = [&](const std::string& from, const std::string& to) {
        TSkinPackage package = Unpacked(base);
        const std::size_t at = package.Ini.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        package.Ini.replace(std::min(at, package.Ini.size()), from.size(), to);
        return Repacked(package);
    };
    TSkinPackage oldVersion = Unpacked(base);
    oldVersion.Version = 2;
    TSkinPackage noPicture = Unpacked(base);
    noPicture.Pictures.pop_back();
    TSkinPackage badPicture = Unpacked(base);
    badPicture.Pictures.front().Data = "not a PNG";
    const auto withObject = [&](const std::string& name) {
        TSkinPackage package = Unpacked(base);
        package.ObjectNames.push_back(name);
        package.Ini += "\n[" + name + "]\nType=panel\nPicture=panel\nRect=0,0,32,32\n";
        return Repacked(package);
    };
    auto truncated = Stored(base);
    truncated->SetCompressedData(truncated->CompressedData().left(truncated->CompressedData().size() - 10));
    // A picture far larger than any theme's, small once compressed: named many times, or cut into
    // many objects, it would make every load ask for gigabytes.
    const auto withLargePicture = [&](int names, int objects) {
        TSkinPackage package = Unpacked(base);
        QImage large(1100, 1100, QImage::Format_RGB32);
        large.fill(Qt::gray);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        large.save(&buffer, "PNG");
        package.Pictures.push_back({"large.png", png.toStdString()});
        std::string pictures;
        for (int i = 0; i < names; ++i) {
            pictures += "large" + std::to_string(i) + "=large.png\n";
        }
        package.Ini.replace(package.Ini.find("[Pictures]\n"), 11, "[Pictures]\n" + pictures);
        for (int i = 0; i < objects; ++i) {
            const std::string name = "largepanel" + std::to_string(i);
            package.ObjectNames.push_back(name);
            package.Ini += "\n[" + name + "]\nType=panel\nPicture=large0\nRect=0,0,1100,1100\n";
        }
        return Repacked(package);
    };

    struct {
        const char* Name;
        std::unique_ptr<TCompressedStoredSkin> Stored;
        const char* Expected;
    } cases[] = {
        {"truncated zlib stream", std::move(truncated), "The theme package is damaged: its compressed data ends early"},
        {"wrong version", Repacked(oldVersion), "The theme package has version 2; this program reads version 3"},
        {"missing object", dropObject("listbox"), "The theme does not define the skin object \"listbox\""},
        {"object without description", withIni("[listview]", "[listview2]"),
         "The theme does not describe its skin object \"listview\""},
        {"object of the wrong type", withIni("Type=button", "Type=panel"),
         "The theme's skin object \"button\" is not of type button"},
        {"missing picture", Repacked(noPicture), "The theme package lacks the picture"},
        {"damaged picture", Repacked(badPicture), "is damaged"},
        {"part outside its picture", withIni("Rect=0,0,75,23", "Rect=0,0,75,230"), "outside its picture"},
        {"malformed colour", withIni("TextColor=#15428b", "TextColor=blue"), "is not a colour"},
        {"malformed description", withIni("[button]", "[button"), "line"},
        // Values that would break out of the style sheet, which the windows would then lose whole.
        {"object name with a quote", withObject("panel\"] QWidget { color: red } QWidget[x=\"2"),
         "The theme package lists the skin object \"panel\"] QWidget"},
        {"font family with a quote", withIni("Default=Segoe UI|", "Default=Segoe UI\"; } QWidget { color: red|"),
         "The theme's default font is not a font"},
        {"padding that is no padding",
         withIni("Type=button\n", "Type=button\nPadding=1,2,3,4; } QWidget { color: red\n"),
         "The skin object \"button\" has a Padding that is not four numbers"},
        {"one large picture under many names", withLargePicture(4, 0), "The theme's pictures are too large"},
        {"one large picture cut into many objects", withLargePicture(1, 4), "The theme's pictures are too large"},
    };

    TSkinData skin;
    auto good = Stored("VistaTM.skn");
    skin.SetCompressedStoredSkin(good.get());
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("OK"), &window);
    SetSkinDataName(button, QStringLiteral("button"));
    skin.RegisterWindow(&window);
    const TSkinTheme* before = skin.Theme();
    const QString sheet = window.styleSheet();
    int changes = 0;
    QObject::connect(&skin, &TSkinData::SkinChanged, [&] { ++changes; });

    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            skin.SetCompressedStoredSkin(c.Stored.get());
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_THAT(e.Message(), HasSubstr(c.Expected));
        }
        EXPECT_EQ(skin.Theme(), before);
        EXPECT_EQ(skin.CompressedStoredSkin(), good.get());
        EXPECT_EQ(window.styleSheet(), sheet);
        EXPECT_FALSE(QImage(PicturePaths(sheet).value(0)).isNull()) << "the live theme's pictures are still there";
    }
    EXPECT_EQ(changes, 0);

    // Far beyond what a theme needs is still loaded; the bound only stops what no theme comes near.
    const auto large = withLargePicture(3, 3);
    EXPECT_NO_THROW(skin.SetCompressedStoredSkin(large.get()));
}

} // namespace
