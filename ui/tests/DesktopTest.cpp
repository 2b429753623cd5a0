// The themed windows under a real window manager (openbox on an X server of the test's own): the
// window manager draws no frame of its own around ours, and the main window still minimises and comes
// back as users do it, from the caption's button.
#include "MainFormFixture.h"

#include "DesktopSession.h"
#include "GuiTestSupport.h"

#include "ui/Actions.h"
#include "ui/uAboutForm.h"
#include "ui/uAddFileType.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

// Counted in time, not in turns: each look at a property runs xprop, which may itself take seconds.
bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms) {
        if (condition()) {
            return true;
        }
        QTest::qWait(20);
    }
    return condition();
}

QString FrameExtents(QWidget* window) {
    return testsupport::WindowProperty(window->winId(), QStringLiteral("_NET_FRAME_EXTENTS"));
}

QString WmState(QWidget* window) {
    return testsupport::WindowProperty(window->winId(), QStringLiteral("WM_STATE"));
}

// What the window manager added around the window, once it manages it.
void ExpectNoWindowManagerFrame(QWidget* window) {
    SCOPED_TRACE(window->objectName().toStdString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(WaitFor([&] { return FrameExtents(window).contains(QLatin1Char('=')); }))
        << FrameExtents(window).toStdString();
    EXPECT_EQ(FrameExtents(window), QStringLiteral("_NET_FRAME_EXTENTS(CARDINAL) = 0, 0, 0, 0"));
}

class DesktopTest : public MainFormTest {};

} // namespace

TEST_F(DesktopTest, everyThemedWindowHasNoFrameOfTheWindowManagerAndTheMainWindowMinimisesAndComesBack) {
    WriteHive(VersionKeys("16.0", {{"Level1Remove", "\".zip\""}}));
    TMainForm& form = Open();
    ExpectNoWindowManagerFrame(&form);

    auto* minimise = form.findChild<QAbstractButton*>(QStringLiteral("SkinMinimizeButton"));
    ASSERT_NE(minimise, nullptr);
    minimise->click();
    EXPECT_TRUE(WaitFor([&] { return WmState(&form).contains(QStringLiteral("Iconic")); }))
        << WmState(&form).toStdString();
    form.showNormal();
    form.activateWindow();
    EXPECT_TRUE(WaitFor([&] { return WmState(&form).contains(QStringLiteral("Normal")); }))
        << WmState(&form).toStdString();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));

    {
        TModalScript script;
        script.Then([](QWidget* modal) {
            ExpectNoWindowManagerFrame(modal);
            Part<QPushButton>(*modal, "btnCancel")->click();
        });
        form.ExecuteAddFileTypeForm();
        EXPECT_EQ(script.Seen().size(), 1u);
    }
    {
        TModalScript script;
        script.Then([](QWidget* modal) {
            ExpectNoWindowManagerFrame(modal);
            Part<QPushButton>(*modal, "btnOK")->click();
        });
        Part<TAction>(form, "actHelpAbout")->trigger();
        EXPECT_EQ(script.Seen().size(), 1u);
    }
    {
        TModalScript script;
        script.Then([](QWidget* modal) {
            ExpectNoWindowManagerFrame(modal);
            modal->findChild<QPushButton*>()->click();
        });
        form.ShowInformation(QStringLiteral("A message"));
        EXPECT_EQ(script.Seen().size(), 1u);
    }
}
