// The live theme restyles the windows registered with it; the pictures reach style sheets
// through an in-memory resource folder.
#include "SkinTestSupport.h"
#include "SyntheticPointer.h"

#include "GuiTestSupport.h"

#include "skin/SkinErrors.h"
#include "skin/SkinForm.h"
#include "skin/SkinPaint.h"
#include "skin/SkinResources.h"
#include "skin/SkinTheme.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace skintest;

namespace {

// A window with a themed button, shown so that it paints.
struct TSampleWindow {
    QWidget Window;
    QPushButton* Button;
    QLabel* Label;

    TSampleWindow() {
        auto* layout = new QVBoxLayout(&Window);
        Button = new QPushButton(QStringLiteral("OK"));
        Button->setFixedSize(75, 25);
        Button->setFocusPolicy(Qt::NoFocus); // its normal state, not the focused one
        SetSkinDataName(Button, QStringLiteral("button"));
        Label = new QLabel(QStringLiteral("Text"));
        SetSkinDataName(Label, QStringLiteral("stdlabel"));
        layout->addWidget(Button);
        layout->addWidget(Label);
        Window.resize(200, 100);
    }
    // The colour of the button as drawn, left of its text.
    QColor ButtonFace() {
        Window.show();
        return Button->grab().toImage().pixelColor(10, 12);
    }
};

// The same spot of the theme's normal button picture, stretched to the button's size as the engine does.
QColor PictureFace(const TSkinData& skin, int state = 0) {
    const TSkinPart* face = skin.Theme()->Object(QStringLiteral("button"))->Part();
    QImage drawn(75, 25, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    DrawNineSlice(painter, drawn.rect(), face->State(state), face->Margins);
    painter.end();
    return drawn.pixelColor(10, 12);
}

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
           std::abs(a.blue() - b.blue()) <= 6;
}

} // namespace

TEST(SkinData, loadingRestylesRegisteredWindowsAndLaterOnesTakeTheCurrentTheme) {
    auto office = Stored("Office2007.skn");
    auto orion = Stored("Orion.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(office.get());

    TSampleWindow first;
    skin.RegisterWindow(&first.Window);
    const QColor officeFace = first.ButtonFace();
    EXPECT_TRUE(Near(officeFace, PictureFace(skin)))
        << officeFace.name().toStdString() << " drawn, " << PictureFace(skin).name().toStdString() << " in the theme";
    EXPECT_EQ(first.Window.palette().color(QPalette::Window), skin.Theme()->Palette().color(QPalette::Window));

    skin.SetCompressedStoredSkin(orion.get());
    const QColor orionFace = first.ButtonFace();
    EXPECT_TRUE(Near(orionFace, PictureFace(skin))) << orionFace.name().toStdString();
    EXPECT_FALSE(Near(orionFace, officeFace));
    EXPECT_EQ(first.Window.palette().color(QPalette::Window), skin.Theme()->Palette().color(QPalette::Window));

    TSampleWindow later;
    skin.RegisterWindow(&later.Window);
    EXPECT_TRUE(Near(later.ButtonFace(), orionFace));

    // Loading the same slot again restyles again (the slot's content may have been replaced).
    office->Assign(*orion);
    orion->SetCompressedData(QByteArray());
    skin.SetCompressedStoredSkin(office.get());
    EXPECT_TRUE(Near(first.ButtonFace(), orionFace));
}

// A theme prepared ahead on its own thread loads as it would have, once, and only for the store it was made of; a
// damaged one fails the load that takes it with the same words.
TEST(SkinData, aThemePreparedAheadLoadsAsItWouldHave) {
    std::string damagedWords;
    {
        auto damaged = Stored("Orion.skn");
        damaged->SetCompressedData(damaged->CompressedData().left(100));
        TSkinData skin;
        try {
            skin.SetCompressedStoredSkin(damaged.get());
        } catch (const ESkinError& error) {
            damagedWords = error.what();
        }
        ASSERT_FALSE(damagedWords.empty());
    }
    struct TCase {
        const char* Ahead;
        const char* Loaded;
        bool Damaged;
        quint64 Inflations;
    };
    const TCase cases[] = {
        {"Orion.skn", "Orion.skn", false, 1},
        {"Office2007.skn", "Orion.skn", false, 2}, // made of another store: not taken
        {"Orion.skn", "Orion.skn", true, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Ahead) + (c.Damaged ? ", damaged" : ""));
        auto office = Stored("Office2007.skn");
        auto ahead = Stored(c.Ahead);
        auto loaded = Stored(c.Loaded);
        if (c.Damaged) {
            ahead->SetCompressedData(ahead->CompressedData().left(100));
            loaded->Assign(*ahead);
        }
        auto plainStore = Stored(c.Loaded);
        TSkinData plain;
        if (!c.Damaged) {
            plain.SetCompressedStoredSkin(plainStore.get());
        }
        TSkinData skin;
        skin.SetCompressedStoredSkin(office.get());
        const TSkinTheme* live = skin.Theme();
        const quint64 before = TCompressedStoredSkin::InflationCount();
        skin.PrepareAhead(*ahead);
        if (c.Damaged) {
            try {
                skin.SetCompressedStoredSkin(loaded.get());
                ADD_FAILURE() << "loaded";
            } catch (const ESkinError& error) {
                EXPECT_EQ(error.what(), damagedWords);
            }
            EXPECT_EQ(skin.Theme(), live) << "the live theme stays";
            EXPECT_EQ(skin.CompressedStoredSkin(), office.get());
        } else {
            skin.SetCompressedStoredSkin(loaded.get());
            // The same sheet, but for the folder of pictures each load has of its own.
            const QRegularExpression folder(QStringLiteral("/vellicor-skin/\\d+/"));
            EXPECT_EQ(skin.Theme()->Name(), plain.Theme()->Name());
            EXPECT_EQ(QString(skin.StyleSheet()).replace(folder, QStringLiteral("/")).toStdString(),
                      QString(plain.StyleSheet()).replace(folder, QStringLiteral("/")).toStdString());
        }
        EXPECT_EQ(TCompressedStoredSkin::InflationCount(), before + c.Inflations);
    }
}

TEST(SkinData, aDialogInsideAThemedWindowIsStyledByThatWindowsSheetWithoutParsingItAgain) {
    auto stored = Stored("Orion.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(stored.get());
    TSampleWindow main;
    skin.RegisterWindow(&main.Window);
    const QColor face = main.ButtonFace();

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        QDialog dialog(&main.Window);
        auto* button = new QPushButton(QStringLiteral("OK"), &dialog);
        button->setFixedSize(75, 25);
        button->setFocusPolicy(Qt::NoFocus);
        SetSkinDataName(button, QStringLiteral("button"));
        const quint64 before = TSkinData::StyleSheetsGiven();
        skin.RegisterWindow(&dialog);
        EXPECT_EQ(TSkinData::StyleSheetsGiven(), before) << "no sheet of its own to parse";
        EXPECT_TRUE(dialog.styleSheet().isEmpty());
        dialog.show();
        EXPECT_TRUE(Near(button->grab().toImage().pixelColor(10, 12), face));
        EXPECT_EQ(dialog.palette().color(QPalette::Window), skin.Theme()->Palette().color(QPalette::Window));

        if (opening == 1) {
            // Without the outer window's sheet, the dialog takes one of its own and keeps its look.
            skin.UnregisterWindow(&main.Window);
            EXPECT_EQ(dialog.styleSheet(), skin.StyleSheet());
            EXPECT_TRUE(Near(button->grab().toImage().pixelColor(10, 12), face));
        }
    }
}

TEST(SkinData, namingASkinObjectLaterTakesEffectAndUnregisteringGivesThePlatformLookBack) {
    auto stored = Stored("GameStyle.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(stored.get());
    TSampleWindow window;
    auto* plain = new QPushButton(QStringLiteral("Plain"), &window.Window);
    plain->setFixedSize(75, 25);
    skin.RegisterWindow(&window.Window);
    window.Window.show();
    const QColor unnamed = plain->grab().toImage().pixelColor(10, 12);
    EXPECT_FALSE(Near(unnamed, PictureFace(skin)));
    SetSkinDataName(plain, QStringLiteral("button"));
    EXPECT_EQ(SkinDataName(plain), QStringLiteral("button"));
    EXPECT_TRUE(Near(plain->grab().toImage().pixelColor(10, 12), PictureFace(skin)));

    skin.UnregisterWindow(&window.Window);
    EXPECT_FALSE(skin.IsRegistered(&window.Window));
    EXPECT_TRUE(window.Window.styleSheet().isEmpty());
    EXPECT_FALSE(Near(window.ButtonFace(), PictureFace(skin)));
}

// The palette reaches the controls no rule of the sheet names (a link label takes its link colour
// from it), in a window framed and polished after it was registered, and again after a reload.
TEST(SkinData, thePaletteReachesEveryControlOfARegisteredWindow) {
    auto office = Stored("Office2007.skn");
    auto andromeda = Stored("Andromeda.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(office.get());
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* client = new QWidget;
    layout->addWidget(client);
    auto* plain = new QLabel(QStringLiteral("plain"), client);
    new TSkinForm(&dialog, &skin, TSkinFormKind::Dialog);
    dialog.adjustSize(); // the dialog's first polish
    for (const TCompressedStoredSkin* stored : {office.get(), andromeda.get()}) {
        SCOPED_TRACE(stored->CompressedFileName().toStdString());
        skin.SetCompressedStoredSkin(const_cast<TCompressedStoredSkin*>(stored));
        dialog.show();
        const QPalette& theme = skin.Theme()->Palette();
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Link, QPalette::Base}) {
            SCOPED_TRACE(role);
            EXPECT_EQ(dialog.palette().color(role), theme.color(role));
            EXPECT_EQ(client->palette().color(role), theme.color(role));
            EXPECT_EQ(plain->palette().color(role), theme.color(role));
        }
    }
}

TEST(SkinData, destroyedWindowsLeaveTheRegister) {
    auto stored = Stored("Lagoon.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(stored.get());
    auto* window = new QWidget;
    skin.RegisterWindow(window);
    skin.RegisterWindow(window);
    EXPECT_TRUE(skin.IsRegistered(window));
    delete window;
    EXPECT_FALSE(skin.IsRegistered(window));
    skin.SetCompressedStoredSkin(stored.get()); // nothing left to restyle, nothing dangling
}

TEST(SkinData, messageBoxMetricsComeFromTheTheme) {
    TSkinData skin;
    EXPECT_FALSE(skin.ButtonPictureHeight().has_value()) << "no theme: the message box uses its own 25";
    EXPECT_EQ(skin.FrameMinWidth(), 0);
    EXPECT_EQ(skin.FrameMaxWidth(), QWIDGETSIZE_MAX);
    std::map<int, int> heights;
    for (const std::string& fileName : CarriedFileNames()) {
        SCOPED_TRACE(fileName);
        auto stored = Stored(fileName);
        skin.SetCompressedStoredSkin(stored.get());
        const TSkinObject* button = skin.Theme()->Object(QStringLiteral("button"));
        const TSkinObject* form = skin.Theme()->Object(QStringLiteral("form"));
        ASSERT_TRUE(skin.ButtonPictureHeight().has_value());
        EXPECT_EQ(*skin.ButtonPictureHeight(), button->PictureRect().height());
        EXPECT_EQ(skin.FrameMinWidth(), form->Int(QStringLiteral("MinWidth"), -1));
        EXPECT_EQ(skin.FrameMaxWidth(), form->Int(QStringLiteral("MaxWidth"), -1));
        ++heights[*skin.ButtonPictureHeight()];
    }
    EXPECT_GT(heights.size(), 1u) << "the themes do not all share one button height";
}

TEST(SkinData, theMouseOverAButtonShowsItsHotPictureUnlessEffectsAreOff) {
    if (!SyntheticPointerActsAsReal()) {
        GTEST_SKIP() << "the system tells a window the pointer entered only when the real pointer moves there: "
                        "a synthetic move shows no hover";
    }
    auto stored = Stored("VistaTM.skn");
    TSkinData skin;
    skin.SetCompressedStoredSkin(stored.get());
    TSampleWindow window;
    skin.RegisterWindow(&window.Window);
    const QColor normal = window.ButtonFace();
    const QColor hot = PictureFace(skin, 1);
    ASSERT_FALSE(Near(normal, hot));
    QTest::mouseMove(window.Button, QPoint(10, 12));
    testsupport::RunUntilIdle();
    EXPECT_TRUE(Near(window.ButtonFace(), hot)) << window.ButtonFace().name().toStdString();

    skin.SetEnableSkinEffects(false);
    EXPECT_FALSE(skin.StyleSheet().contains(QLatin1String(":hover")));
    EXPECT_EQ(window.Window.styleSheet(), skin.StyleSheet());
    EXPECT_TRUE(Near(window.ButtonFace(), normal)) << "still under the mouse, drawn as normal";
}

TEST(SkinResources, everyFileIsFoundByItsPathWithItsBytes) {
    // Enough names for hash collisions and a deep binary search.
    std::map<QString, QByteArray> files;
    for (int i = 0; i < 300; ++i) {
        files[QStringLiteral("object%1.main.%2.png").arg(i % 37).arg(i)] = QByteArray(i % 50, static_cast<char>(i));
    }
    files[QStringLiteral("Aa")] = "first";
    files[QStringLiteral("BQ")] = "same hash as Aa";
    TSkinResourceFolder folder(QStringLiteral("/vellicor-skin-test/1"), files);
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        QFile file(folder.Path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes);
    }
    EXPECT_FALSE(QFile::exists(folder.Path(QStringLiteral("missing.png"))));
}

TEST(SkinResources, aFolderIsGoneOnceReleased) {
    QString path;
    {
        TSkinResourceFolder folder(QStringLiteral("/vellicor-skin-test/2"), {{QStringLiteral("a.png"), "x"}});
        path = folder.Path(QStringLiteral("a.png"));
        EXPECT_TRUE(QFile::exists(path));
    }
    EXPECT_FALSE(QFile::exists(path));
}
