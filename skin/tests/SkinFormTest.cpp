// Themed frames: caption buttons by kind, the frame's size contract, dragging, minimising,
// closing, and the platform's frame whenever no themed frame can be drawn.
#include "SkinTestSupport.h"
#include "SyntheticPointer.h"

#include "GuiTestSupport.h"
#include "platform/WindowFrame.h"
#include "skin/SkinForm.h"
#include "skin/SkinTheme.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <optional>

using namespace skintest;

namespace {

// A form as the program builds one: a zero-margin layout holding one client widget.
template <typename TForm = QWidget> struct TFramedForm {
    TForm Form;
    QWidget* Client;
    TSkinForm* Frame;

    TFramedForm(TSkinData* skin, TSkinFormKind kind, QSize client = QSize(376, 161)) {
        Form.setWindowTitle(QStringLiteral("About Vellicor"));
        auto* layout = new QVBoxLayout(&Form);
        layout->setContentsMargins(0, 0, 0, 0);
        Client = new QWidget;
        layout->addWidget(Client);
        Form.resize(client);
        Frame = new TSkinForm(&Form, skin, kind);
    }
    QAbstractButton* CaptionButton(const char* name) { return Form.template findChild<QAbstractButton*>(name); }
    QWidget* Caption() { return Form.template findChild<QWidget*>(QStringLiteral("SkinCaption")); }
};

class SkinFormTest : public ::testing::Test {
protected:
    void SetUp() override { FSkin.SetCompressedStoredSkin(FStored.get()); }

    std::unique_ptr<TCompressedStoredSkin> FStored = Stored("Office2007.skn");
    TSkinData FSkin;
};

} // namespace

TEST_F(SkinFormTest, eachKindShowsItsCaptionButtons) {
    const struct {
        const char* Name;
        TSkinFormKind Kind;
        bool Minimize, Close;
    } kinds[] = {
        {"main window", TSkinFormKind::MainWindow, true, true},
        {"dialog", TSkinFormKind::Dialog, false, true},
        {"message box", TSkinFormKind::MessageBox, false, false},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.Name);
        TFramedForm form(&FSkin, k.Kind);
        form.Form.show();
        EXPECT_EQ(form.Caption()->findChildren<QAbstractButton*>().size(), int(k.Minimize) + int(k.Close));
        EXPECT_EQ(form.CaptionButton("SkinMinimizeButton") != nullptr, k.Minimize);
        EXPECT_EQ(form.CaptionButton("SkinCloseButton") != nullptr, k.Close);
        for (QAbstractButton* button : form.Caption()->findChildren<QAbstractButton*>()) {
            EXPECT_TRUE(button->isVisible());
            EXPECT_GE(button->x(), form.Form.width() / 2) << "caption buttons stand on the right";
        }
        EXPECT_EQ(form.Form.findChildren<QAction*>(QStringLiteral("SkinMinimizeItem")).size(),
                  k.Kind == TSkinFormKind::MainWindow ? 1 : 0);
    }
}

TEST_F(SkinFormTest, theFrameSurroundsTheClientAtItsDesignedSize) {
    TFramedForm form(&FSkin, TSkinFormKind::Dialog);
    form.Form.show();
    form.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Form));
    EXPECT_TRUE(form.Frame->FrameActive());
    EXPECT_TRUE(form.Form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form.Form.contentsMargins(), QMargins(3, 27, 3, 3));
    EXPECT_EQ(form.Client->size(), QSize(376, 161));
    EXPECT_EQ(form.Form.size(), QSize(382, 191));
    EXPECT_EQ(form.Client->pos(), QPoint(3, 27));

    AdjustClientSize(&form.Form);
    EXPECT_EQ(form.Form.size(), QSize(382, 191));
    EXPECT_EQ(form.Client->size(), QSize(376, 161));

    // The frame is drawn from the theme: the caption's middle and a side border carry its pictures.
    const QImage shot = form.Form.grab().toImage();
    const TSkinObject* frame = FSkin.Theme()->Object(QStringLiteral("form"));
    const QImage caption = frame->Part(QStringLiteral("Caption"))->State(0);
    const QColor window = FSkin.Theme()->Palette().color(QPalette::Window);
    EXPECT_NE(shot.pixelColor(30, 20), window);
    EXPECT_EQ(shot.pixelColor(0, 100), frame->Part(QStringLiteral("Border"))->State(0).pixelColor(0, 8));
    EXPECT_EQ(shot.pixelColor(100, 190), frame->Part(QStringLiteral("Border"))->State(0).pixelColor(8, 15));
    EXPECT_EQ(shot.pixelColor(5, 13), caption.pixelColor(5, 13));
}

TEST_F(SkinFormTest, withoutAThemedFrameThePlatformFrameStaysAndNothingIsResized) {
    TSkinData empty;
    TFramedForm plain(&empty, TSkinFormKind::Dialog);
    plain.Form.show();
    EXPECT_FALSE(plain.Frame->FrameActive());
    EXPECT_FALSE(plain.Form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(plain.Form.contentsMargins(), QMargins());
    EXPECT_FALSE(plain.Caption()->isVisible());
    AdjustClientSize(&plain.Form);
    EXPECT_EQ(plain.Form.size(), QSize(376, 161));

    // No frame attached at all.
    QWidget bare;
    bare.resize(200, 100);
    AdjustClientSize(&bare);
    EXPECT_EQ(bare.size(), QSize(200, 100));

    // Loading a theme later attaches the frame; SkinnableForm off takes it away again.
    auto stored = Stored("Andromeda.skn");
    empty.SetCompressedStoredSkin(stored.get());
    EXPECT_TRUE(plain.Frame->FrameActive());
    EXPECT_EQ(plain.Client->size(), QSize(376, 161));
    empty.SetSkinnableForm(false);
    EXPECT_FALSE(plain.Frame->FrameActive());
    EXPECT_EQ(plain.Form.size(), QSize(376, 161));
    EXPECT_FALSE(plain.Form.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(SkinFormTest, aThemedWindowAsksTheWindowManagerForNoFrameAndGetsItsOwnFlagsBackWithout) {
    // The button hints of a window we frame would make an X11 window manager draw its own title bar above
    // ours; the caption's buttons and the system menu do their work without them.
    // The Windows platform keeps the hints (there they give the taskbar's minimise and the system menu): the
    // next test reads back what Windows made of them.
    if (QGuiApplication::platformName() == QLatin1String("windows")) {
        GTEST_SKIP() << "the Windows platform keeps the button hints of a framed window";
    }
    const Qt::WindowFlags own = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    TSkinData skin;
    TFramedForm form(&skin, TSkinFormKind::MainWindow);
    form.Form.setWindowFlags(own);
    auto stored = Stored("Andromeda.skn");
    skin.SetCompressedStoredSkin(stored.get());
    ASSERT_TRUE(form.Frame->FrameActive());
    EXPECT_EQ(form.Form.windowFlags(), Qt::Window | Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    form.Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form.Form));
    form.CaptionButton("SkinMinimizeButton")->click();
    EXPECT_TRUE(form.Form.isMinimized());
    form.Form.showNormal();

    skin.SetSkinnableForm(false);
    EXPECT_EQ(form.Form.windowFlags(), own);
}

TEST_F(SkinFormTest, aThemedWindowGetsNoSystemCaptionButKeepsTheTaskbarsMinimiseAndTheSystemMenu) {
    // Qt drops the frameless hint of a window that asks for caption buttons in a customised frame; the system
    // then draws its own caption and sizing border above ours. What the system made of the window is read
    // back from the window itself where the platform can tell.
    const struct {
        const char* Name;
        TSkinFormKind Kind;
        Qt::WindowFlags Own;
        bool Minimises;
    } cases[] = {
        {"main window", TSkinFormKind::MainWindow,
         Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint,
         true},
        {"dialog", TSkinFormKind::Dialog,
         Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TSkinData skin;
        TFramedForm form(&skin, c.Kind);
        form.Form.setWindowFlags(c.Own);
        const Qt::WindowFlags platformFlags = form.Form.windowFlags(); // as Qt made them consistent
        // Shown with the system's frame first, as the program's main window is before its theme is loaded.
        form.Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form.Form));
        auto stored = Stored("Orion.skn");
        skin.SetCompressedStoredSkin(stored.get());
        ASSERT_TRUE(form.Frame->FrameActive());
        EXPECT_TRUE(form.Form.windowFlags().testFlag(Qt::FramelessWindowHint));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form.Form));

        const std::optional<platform::TSystemFrame> frame = platform::SystemFrame(form.Form.winId());
        if (frame) {
            EXPECT_FALSE(frame->Caption);
            EXPECT_FALSE(frame->SizingBorder);
            if (c.Minimises) {
                EXPECT_TRUE(frame->SystemMenu);
                EXPECT_TRUE(frame->MinimizeBox);
                EXPECT_TRUE(frame->InTaskbar);
            }
        }

        // Without the themed frame the system's caption comes back.
        skin.SetSkinnableForm(false);
        EXPECT_EQ(form.Form.windowFlags(), platformFlags);
        form.Form.show();
        const std::optional<platform::TSystemFrame> plain = platform::SystemFrame(form.Form.winId());
        if (plain) {
            EXPECT_TRUE(plain->Caption);
        }
    }
}

TEST_F(SkinFormTest, aFixedSizeFormGrowsByTheFrame) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* client = new QLabel(QStringLiteral("client"));
    layout->addWidget(client);
    dialog.setFixedSize(300, 120);
    new TSkinForm(&dialog, &FSkin, TSkinFormKind::Dialog);
    dialog.show();
    EXPECT_EQ(dialog.size(), QSize(306, 150));
    EXPECT_EQ(client->size(), QSize(300, 120));
}

TEST_F(SkinFormTest, draggingTheCaptionMovesTheWindow) {
    if (!SyntheticPointerActsAsReal()) {
        GTEST_SKIP() << "the system moves the window itself (startSystemMove) in a loop that follows the real "
                        "pointer, which synthetic mouse events do not drive";
    }
    TFramedForm form(&FSkin, TSkinFormKind::MainWindow);
    form.Form.move(100, 100);
    form.Form.show();
    testsupport::RunUntilIdle();
    const QPoint start = form.Form.pos();
    QWidget* caption = form.Caption();
    QTest::mousePress(caption, Qt::LeftButton, Qt::NoModifier, QPoint(60, 12));
    // Positions are the caption's own: it moves with the window.
    QTest::mouseMove(caption, QPoint(100, 52));
    EXPECT_EQ(form.Form.pos(), start + QPoint(40, 40));
    QTest::mouseMove(caption, QPoint(50, 22));
    QTest::mouseRelease(caption, Qt::LeftButton, Qt::NoModifier, QPoint(50, 22));
    EXPECT_EQ(form.Form.pos(), start + QPoint(30, 50));
    QTest::mouseMove(caption, QPoint(10, 10));
    EXPECT_EQ(form.Form.pos(), start + QPoint(30, 50)) << "released: the window stays";
}

TEST_F(SkinFormTest, minimiseButtonAndSystemMenuMinimise) {
    TFramedForm form(&FSkin, TSkinFormKind::MainWindow);
    form.Form.show();
    QTest::mouseClick(form.CaptionButton("SkinMinimizeButton"), Qt::LeftButton);
    EXPECT_TRUE(form.Form.isMinimized());

    // The system menu opens from a right click on the caption and from Alt+Space.
    QMenu* menu = form.Frame->SystemMenu();
    form.Form.showNormal();
    EXPECT_FALSE(form.Form.isMinimized());
    QTest::mouseClick(form.Caption(), Qt::RightButton, Qt::NoModifier, QPoint(60, 12));
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    form.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form.Form));
    QTest::keyClick(&form.Form, Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(menu->isVisible());
    QAction* minimize = form.Form.findChild<QAction*>(QStringLiteral("SkinMinimizeItem"));
    ASSERT_NE(minimize, nullptr);
    minimize->trigger();
    menu->hide();
    EXPECT_TRUE(form.Form.isMinimized());
}

// A window that refuses to close while it holds edits, as the main window may.
class TGuardedWindow : public QWidget {
public:
    bool MayClose = false;
    int Asked = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++Asked;
        event->setAccepted(MayClose);
    }
};

TEST_F(SkinFormTest, theMainWindowsCloseButtonAsksTheWindowToClose) {
    TFramedForm<TGuardedWindow> framed(&FSkin, TSkinFormKind::MainWindow);
    TGuardedWindow& form = framed.Form;
    form.show();
    QAbstractButton* close = framed.CaptionButton("SkinCloseButton");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(form.Asked, 1);
    EXPECT_TRUE(form.isVisible()) << "the window said no";
    form.MayClose = true;
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(form.Asked, 2);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SkinFormTest, theCloseButtonClosesAndADialogTakesItAsCancel) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("client")));
    dialog.resize(300, 120);
    new TSkinForm(&dialog, &FSkin, TSkinFormKind::Dialog);
    bool closed = false;
    testsupport::OnNextModal([&](QWidget* modal) {
        closed = modal == &dialog;
        QTest::mouseClick(modal->findChild<QAbstractButton*>(QStringLiteral("SkinCloseButton")), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(dialog.isVisible());

    // The system menu's Close does the same for a message box, which has no caption buttons.
    TFramedForm<QDialog> box(&FSkin, TSkinFormKind::MessageBox);
    testsupport::OnNextModal(
        [&](QWidget*) { box.Form.findChild<QAction*>(QStringLiteral("SkinCloseItem"))->trigger(); });
    EXPECT_EQ(box.Form.exec(), QDialog::Rejected);
}

TEST_F(SkinFormTest, theMenuBarIsDrawnFromMainmenubar) {
    TFramedForm form(&FSkin, TSkinFormKind::MainWindow);
    auto* bar = new QMenuBar(form.Client);
    form.Frame->SetMainMenuBar(bar);
    EXPECT_EQ(form.Frame->MainMenuBar(), bar);
    EXPECT_EQ(SkinDataName(bar), QStringLiteral("mainmenubar"));
    EXPECT_EQ(TSkinForm::Of(&form.Form), form.Frame);
}

// The main window owns its live theme and slot: both go with it, in whatever order Qt deletes them.
TEST(SkinFormOwnership, aWindowOwningItsLiveThemeIsDestroyedCleanly) {
    auto* form = new QWidget;
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(QStringLiteral("OK"));
    SetSkinDataName(button, QStringLiteral("button"));
    layout->addWidget(button);
    auto* slot = new TCompressedStoredSkin(form);
    slot->Assign(*Stored("Orion.skn"));
    auto* skin = new TSkinData(form);
    skin->SetCompressedStoredSkin(slot);
    new TSkinForm(form, skin, TSkinFormKind::MainWindow);
    form->show();
    testsupport::RunUntilIdle();
    delete form;
}
