#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "ui/Actions.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/SkinMessage.h"
#include "ui/help/HTMLHelpViewer.h"
#include "ui/linklabel/LinkLabel.h"
#include "ui/uAboutForm.h"
#include "ui/uAddFileType.h"
#include "ui/uCheckFileType.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTextBrowser>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

class AboutTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        TMainForm::WebPageOpener = [this](QWidget* owner, const std::string& address) {
            FOpened.push_back(address);
            EXPECT_EQ(owner, FForm.get());
        };
        WriteHive(VersionKeys("12.0", {}));
    }
    void TearDown() override {
        TMainForm::WebPageOpener = {};
        MainFormTest::TearDown();
    }
    std::vector<std::string> FOpened;
};

TEST_F(AboutTest, enterEscapeAndOkCloseIt) {
    Open();
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* about) { QTest::keyClick(about->focusWidget(), Qt::Key_Return); },
        [](QWidget* about) { QTest::keyClick(about->focusWidget(), Qt::Key_Escape); },
        [](QWidget* about) { about->findChild<QPushButton*>(QStringLiteral("btnOK"))->click(); },
    };
    for (const auto& way : ways) {
        TModalScript script;
        bool closed = false;
        script.Then([&](QWidget* about) {
            EXPECT_EQ(about->windowTitle(), QStringLiteral("About Vellicor"));
            EXPECT_EQ(about->focusWidget(), about->findChild<QPushButton*>(QStringLiteral("btnOK")));
            way(about);
            closed = !about->isVisible();
        });
        FForm->actHelpAbout->trigger();
        EXPECT_TRUE(closed);
        EXPECT_EQ(script.Seen().size(), 1u);
    }
}

TEST_F(AboutTest, eachLinkClickOpensTheSameWebPageOnceAndTheDialogStaysOpen) {
    Open();
    TModalScript script;
    script.Then([](QWidget* about) {
        auto* link = about->findChild<linklabel::TLinkLabel*>(QStringLiteral("LinkLabel2"));
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->Caption(), QStringLiteral("<link>korvane.example</link>"));
        link->grab(); // links are placed where they were last drawn
        link->grab();
        const auto& root = link->Tree().Root();
        ASSERT_FALSE(root.LinkRects.empty());
        const auto& r = root.LinkRects.front();
        const QPointF onTheLink(root.Origin.X + (r.Left + r.Right) / 2, root.Origin.Y + (r.Top + r.Bottom) / 2);
        for (int click = 0; click < 2; ++click) {
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, onTheLink, link->mapToGlobal(onTheLink), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(link, &event);
            }
        }
        EXPECT_TRUE(about->isVisible());
        about->close();
    });
    FForm->actHelpAbout->trigger();
    EXPECT_EQ(FOpened, (std::vector<std::string>{KProductWebPage, KProductWebPage}));
}

TEST_F(AboutTest, textInAFaceTheSystemLacksIsShownInTheUiFont) {
    // Qt shows a face it cannot find in the first face its font database lists: under Wine without
    // Tahoma and Arial, a serif one.
    Application::InstallFontFallbacks();
    // A new font: the application's own was looked up before the fallbacks existed.
    QFont uiFont(QApplication::font().family());
    uiFont.setFamilies(QApplication::font().families());
    const QString uiFace = QFontInfo(uiFont).family();
    Open();
    TModalScript script;
    QFont nameFont;
    script.Then([&](QWidget* about) {
        nameFont = about->findChild<QLabel*>(QStringLiteral("lblProductName"))->font();
        about->close();
    });
    FForm->actHelpAbout->trigger();
    const TSkinMessage message;
    const struct {
        const char* Name;
        QFont Font;
    } texts[] = {
        {"About's product name", nameFont},
        {"a message box's text", message.DefaultFont},
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text.Name);
        // The face asked for, else the UI font, else a common sans-serif face where the UI font is missing too.
        const QStringList fitting = {text.Font.family(), uiFace, QStringLiteral("Liberation Sans"),
                                     QStringLiteral("DejaVu Sans")};
        const QString shown = QFontInfo(text.Font).family();
        EXPECT_TRUE(fitting.contains(shown)) << shown.toStdString() << " for " << text.Font.family().toStdString();
    }
}

#ifdef _WIN32

/// HTML Help's own windows that this program has open (the system's viewer, not Qt's).
std::vector<HWND> HelpWindows() {
    struct TSearch {
        std::vector<HWND> Found;
    } search;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char className[64] = {};
            GetClassNameA(window, className, sizeof className);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "HH Parent") {
                reinterpret_cast<TSearch*>(data)->Found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

/// HTML Help names its window after the help file's title.
std::string HelpWindowTitle(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

#else

/// Help windows of the Linux help library (objectName "HelpWindow").
std::vector<QWidget*> HelpWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("HelpWindow") && widget->isVisible()) {
            windows.push_back(widget);
        }
    }
    return windows;
}

/// The topic a help window shows.
QString ShownTopic(QWidget* window) {
    auto* browser = window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    return browser == nullptr ? QString() : browser->source().path();
}

#endif

class HelpTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        RegisterHtmlHelpViewer();
        WriteHive(VersionKeys("12.0", {}));
    }
    void TearDown() override {
        FinalizeHtmlHelpViewer(); // HH_CLOSE_ALL
        EXPECT_TRUE(HelpWindows().empty());
        ReleaseHtmlHelpLibrary();
        MainFormTest::TearDown();
    }
};

TEST_F(HelpTest, contentsAndF1OpenTheTopicOfContextOneInOneWindow) {
    TMainForm& form = Open();
    form.actHelpContents->trigger();
    Idle();
    auto windows = HelpWindows();
    ASSERT_EQ(windows.size(), 1u) << "is the help library, and Help.chm, beside the test program?";
#ifdef _WIN32
    // Which topic Wine's viewer shows cannot be read back; help_file_tests check context 1's topic.
    EXPECT_EQ(HelpWindowTitle(windows[0]), "Vellicor Help");
#else
    EXPECT_EQ(ShownTopic(windows[0]), QStringLiteral("/topics/mainwindow.htm"));
    // Move away first, so that F1 has to bring context 1 back.
    auto* browser = windows[0]->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    ASSERT_NE(browser, nullptr);
    emit browser->anchorClicked(QUrl(QStringLiteral("lists.htm")));
#endif

    // F1 in the main window: the same window, at context 1.
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_F1);
    Idle();
    const auto again = HelpWindows();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0], windows[0]);
#ifndef _WIN32
    EXPECT_EQ(ShownTopic(again[0]), QStringLiteral("/topics/mainwindow.htm"));
#endif
}

TEST_F(HelpTest, f1InTheDialogsShowsNoHelp) {
    TMainForm& form = Open();
    TModalScript script;
    auto pressF1 = [](QWidget* dialog) {
        QApplication::setActiveWindow(dialog);
        QTest::keyClick(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, Qt::Key_F1);
        testsupport::RunUntilIdle();
        EXPECT_TRUE(HelpWindows().empty());
        EXPECT_EQ(QApplication::activeModalWidget(), dialog);
        dialog->close();
    };
    script.Then(pressF1).Then(pressF1);
    form.actHelpAbout->trigger();
    form.actAllowedAdd->trigger();
    EXPECT_EQ(script.Seen().size(), 2u);
    EXPECT_TRUE(HelpWindows().empty());
}

/// Records the widgets that a modal window locks (they get WindowBlocked).
class TBlockedWidgets : public QObject {
public:
    TBlockedWidgets() { qApp->installEventFilter(this); }
    bool Seen(const QWidget* widget) const { return FBlocked.contains(widget); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowBlocked) {
            FBlocked.insert(watched);
        } else if (event->type() == QEvent::WindowUnblocked) {
            FBlocked.remove(watched);
        }
        return false;
    }

private:
    QSet<const QObject*> FBlocked;
};

TEST_F(HelpTest, theAddDialogsHelpButtonOpensTheHelpAsContentsDoes) {
    Open();
    TBlockedWidgets blocked;
    TModalScript script;
    script.Then([&blocked](QWidget* dialog) {
        auto* form = qobject_cast<TAddFileTypeForm*>(dialog);
        ASSERT_NE(form, nullptr);
        form->btnHelp->click();
        testsupport::RunUntilIdle();
        ASSERT_EQ(HelpWindows().size(), 1u);
        EXPECT_TRUE(form->isVisible()); // it neither closes the dialog
        // ... nor leaves the help window locked behind it: the user reads the help while choosing.
#ifdef _WIN32
        EXPECT_TRUE(IsWindowEnabled(HelpWindows()[0]));
#else
        EXPECT_FALSE(blocked.Seen(HelpWindows()[0]));
#endif
        form->btnCancel->click();
    });
    EXPECT_FALSE(FForm->ExecuteAddFileTypeForm().has_value());
}

TEST_F(HelpTest, thePolicyNoticeAndTheCheckDialogOpenWhyIsAFileTypeStillBlocked) {
    // Microsoft's baseline for Outlook 16.0, so that the notice shows.
    WriteHive(VersionKeys("16.0", {}) + "[Software\\\\Policies\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1733700000\n"
                                        "\"DisallowAttachmentCustomization\"=dword:00000001\n\n");
    TMainForm& form = Open();
    ASSERT_TRUE(form.pnlPolicyNotice->isVisible());
    auto* why = form.pnlPolicyNotice->findChild<QPushButton*>(QStringLiteral("btnPolicyHelp"));
    ASSERT_NE(why, nullptr);
    why->click();
    Idle();
    ASSERT_EQ(HelpWindows().size(), 1u);
#ifdef _WIN32
    // Which topic Wine's viewer shows cannot be read back; help_file_tests check context 2's topic.
    EXPECT_EQ(HelpWindowTitle(HelpWindows()[0]), "Vellicor Help");
#else
    EXPECT_EQ(ShownTopic(HelpWindows()[0]), QStringLiteral("/topics/stillblocked.htm"));
    // Move away, so that the check dialog's Help has to bring the page back.
    auto* browser = HelpWindows()[0]->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    ASSERT_NE(browser, nullptr);
    emit browser->anchorClicked(QUrl(QStringLiteral("lists.htm")));
#endif
    TBlockedWidgets blocked;
    TModalScript script;
    script.Then([&](QWidget* dialog) {
        auto* check = qobject_cast<TCheckFileTypeForm*>(dialog);
        ASSERT_NE(check, nullptr);
        check->btnHelp->click();
        testsupport::RunUntilIdle();
        ASSERT_EQ(HelpWindows().size(), 1u);
        EXPECT_TRUE(check->isVisible());
#ifdef _WIN32
        EXPECT_TRUE(IsWindowEnabled(HelpWindows()[0]));
#else
        EXPECT_EQ(ShownTopic(HelpWindows()[0]), QStringLiteral("/topics/stillblocked.htm"));
        EXPECT_FALSE(blocked.Seen(HelpWindows()[0]));
#endif
        check->btnClose->click();
    });
    form.actCheckFileType->trigger();
    EXPECT_EQ(script.Seen().size(), 1u);
}

} // namespace
