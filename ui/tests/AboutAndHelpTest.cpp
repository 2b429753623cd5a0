#include "HelpWindows.h"
#include "MainFormFixture.h"

#include "GuiTestSupport.h"

#include "help/binding/HTMLHelpViewer.h"
#include "ui/Actions.h"
#include "ui/Application.h"
#include "ui/Product.h"
#include "ui/SkinMessage.h"
#include "ui/linklabel/LinkLabel.h"
#include "ui/uAboutForm.h"
#include "ui/uAddFileType.h"
#include "ui/uCheckFileType.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

using namespace testhelp;

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
        Part<TAction>(*FForm, "actHelpAbout")->trigger();
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
    Part<TAction>(*FForm, "actHelpAbout")->trigger();
    EXPECT_EQ(FOpened, (std::vector<std::string>{kProductWebPage, kProductWebPage}));
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
    Part<TAction>(*FForm, "actHelpAbout")->trigger();
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

class HelpTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        RegisterHtmlHelpViewer();
        WriteHive(VersionKeys("12.0", {}));
    }
    void TearDown() override {
        FinalizeHtmlHelpViewer(); // HH_CLOSE_ALL
        EXPECT_EQ(OpenHelpWindows(), 0u);
        ReleaseHtmlHelpLibrary();
        MainFormTest::TearDown();
    }
};

TEST_F(HelpTest, contentsAndF1OpenTheTopicOfContextOneInOneWindow) {
    TMainForm& form = Open();
    Part<TAction>(form, "actHelpContents")->trigger();
    Idle();
    ASSERT_EQ(OpenHelpWindows(), 1u) << "is the help library, and Help.chm, beside the test program?";
    const void* window = FirstHelpWindow();
    EXPECT_TRUE(ShowsTopic(QStringLiteral("/topics/mainwindow.htm")));
    BrowseElsewhere(); // so that F1 has to bring context 1 back

    // F1 in the main window: the same window, at context 1.
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_F1);
    Idle();
    ASSERT_EQ(OpenHelpWindows(), 1u);
    EXPECT_EQ(FirstHelpWindow(), window);
    EXPECT_TRUE(ShowsTopic(QStringLiteral("/topics/mainwindow.htm")));
}

TEST_F(HelpTest, f1InTheDialogsShowsNoHelp) {
    TMainForm& form = Open();
    TModalScript script;
    auto pressF1 = [](QWidget* dialog) {
        QApplication::setActiveWindow(dialog);
        QTest::keyClick(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, Qt::Key_F1);
        testsupport::RunUntilIdle();
        EXPECT_EQ(OpenHelpWindows(), 0u);
        EXPECT_EQ(QApplication::activeModalWidget(), dialog);
        dialog->close();
    };
    script.Then(pressF1).Then(pressF1);
    Part<TAction>(form, "actHelpAbout")->trigger();
    Part<TAction>(form, "actAllowedAdd")->trigger();
    EXPECT_EQ(script.Seen().size(), 2u);
    EXPECT_EQ(OpenHelpWindows(), 0u);
}

TEST_F(HelpTest, theAddDialogsHelpButtonOpensTheHelpAsContentsDoes) {
    Open();
    TBlockedWidgets blocked;
    TModalScript script;
    script.Then([&blocked](QWidget* dialog) {
        auto* form = qobject_cast<TAddFileTypeForm*>(dialog);
        ASSERT_NE(form, nullptr);
        Part<QPushButton>(*form, "btnHelp")->click();
        testsupport::RunUntilIdle();
        ASSERT_EQ(OpenHelpWindows(), 1u);
        EXPECT_TRUE(form->isVisible()); // it neither closes the dialog
        // ... nor leaves the help window locked behind it: the user reads the help while choosing.
        EXPECT_TRUE(TakesInput(blocked));
        Part<QPushButton>(*form, "btnCancel")->click();
    });
    EXPECT_FALSE(FForm->ExecuteAddFileTypeForm().has_value());
}

TEST_F(HelpTest, thePolicyNoticeAndTheCheckDialogOpenWhyIsAFileTypeStillBlocked) {
    // Microsoft's baseline for Outlook 16.0, so that the notice shows.
    WriteHive(VersionKeys("16.0", {}) + "[Software\\\\Policies\\\\Microsoft\\\\Office\\\\16.0\\\\Outlook] 1733700000\n"
                                        "\"DisallowAttachmentCustomization\"=dword:00000001\n\n");
    TMainForm& form = Open();
    auto* pnlPolicyNotice = Part<QWidget>(form, "pnlPolicyNotice");
    ASSERT_TRUE(pnlPolicyNotice->isVisible());
    auto* why = pnlPolicyNotice->findChild<QPushButton*>(QStringLiteral("btnPolicyHelp"));
    ASSERT_NE(why, nullptr);
    why->click();
    Idle();
    ASSERT_EQ(OpenHelpWindows(), 1u);
    EXPECT_TRUE(ShowsTopic(QStringLiteral("/topics/stillblocked.htm")));
    BrowseElsewhere(); // so that the check dialog's Help has to bring the page back
    TBlockedWidgets blocked;
    TModalScript script;
    script.Then([&](QWidget* dialog) {
        auto* check = qobject_cast<TCheckFileTypeForm*>(dialog);
        ASSERT_NE(check, nullptr);
        Part<QPushButton>(*check, "btnHelp")->click();
        testsupport::RunUntilIdle();
        ASSERT_EQ(OpenHelpWindows(), 1u);
        EXPECT_TRUE(check->isVisible());
        EXPECT_TRUE(ShowsTopic(QStringLiteral("/topics/stillblocked.htm")));
        EXPECT_TRUE(TakesInput(blocked));
        Part<QPushButton>(*check, "btnClose")->click();
    });
    Part<TAction>(form, "actCheckFileType")->trigger();
    EXPECT_EQ(script.Seen().size(), 1u);
}

} // namespace
