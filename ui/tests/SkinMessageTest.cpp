#include "ModalScript.h"

#include "base/SysUtils.h"
#include "ui/Application.h"
#include "ui/SkinMessage.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SkinMessageTest : public ::testing::Test {
protected:
    void SetUp() override { Application::SetTitle(QStringLiteral("Vellicor test title")); }

    TModalResult Show(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext = 0) {
        TSkinMessage box;
        return box.ShowModalMessage(text, kind, buttons, helpContext);
    }
};

TEST_F(SkinMessageTest, buttonSetsShowTheirCaptionsInBitOrderAndAnswerEnterAndEscape) {
    struct Case {
        const char* name;
        TMsgDlgButtons buttons;
        QStringList captions;
        TModalResult enter;
        TModalResult escape; // mrNone: Escape does nothing, the box is then closed by its frame
    };
    const Case cases[] = {
        {"exit question", ButtonSet({mbYes, mbNo, mbCancel}), {"&Yes", "&No", "Cancel"}, mrYes, mrCancel},
        {"yes/no", ButtonSet({mbYes, mbNo}), {"&Yes", "&No"}, mrYes, mrNo},
        {"ok", ButtonSet({mbOK}), {"OK"}, mrOk, mrOk},
        {"ok/cancel", ButtonSet({mbOK, mbCancel}), {"OK", "Cancel"}, mrOk, mrCancel},
        {"abort/retry/ignore",
         ButtonSet({mbAbort, mbRetry, mbIgnore}),
         {"&Abort", "&Retry", "&Ignore"},
         mrRetry,
         mrNone},
        {"to-all set",
         ButtonSet({mbYesToAll, mbNoToAll, mbAll, mbNo, mbYes}),
         {"&Yes", "&No", "&All", "N&oToAll", "&YesToAll"},
         mrYes,
         mrNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            TModalScript script;
            script.Key(Qt::Key_Return);
            EXPECT_EQ(Show("Question", mtConfirmation, c.buttons), c.enter);
            ASSERT_EQ(script.Seen().size(), 1u);
            EXPECT_EQ(script.Seen()[0].Buttons, c.captions);
        }
        {
            TModalScript script;
            bool stayedOpen = false;
            script.Then([&stayedOpen](QWidget* modal) {
                QWidget* target = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
                QTest::keyClick(target, Qt::Key_Escape);
                stayedOpen = modal->isVisible();
                if (stayedOpen) {
                    modal->close(); // Escape had nothing to press; the frame closes it
                }
            });
            const TModalResult result = Show("Question", mtConfirmation, c.buttons);
            EXPECT_EQ(stayedOpen, c.escape == mrNone);
            EXPECT_EQ(result, c.escape == mrNone ? mrCancel : c.escape);
        }
    }
}

TEST_F(SkinMessageTest, aPlainLetterAnswersAsItsAccessKeyDoes) {
    struct Case {
        const char* name;
        TMsgDlgButtons buttons;
        Qt::Key key;
        TModalResult result; // mrNone: the letter presses nothing, and the box stays open
    };
    const Case cases[] = {
        {"Y on a yes/no question", ButtonSet({mbYes, mbNo}), Qt::Key_Y, mrYes},
        {"N on a yes/no question", ButtonSet({mbYes, mbNo}), Qt::Key_N, mrNo},
        {"N on the exit question", ButtonSet({mbYes, mbNo, mbCancel}), Qt::Key_N, mrNo},
        {"Y where there is no Yes", ButtonSet({mbOK}), Qt::Key_Y, mrNone},
        {"C: Cancel has no access key", ButtonSet({mbYes, mbNo, mbCancel}), Qt::Key_C, mrNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TModalScript script;
        bool stayedOpen = false;
        script.Then([&](QWidget* modal) {
            QTest::keyClick(modal->focusWidget() != nullptr ? modal->focusWidget() : modal, c.key);
            stayedOpen = modal->isVisible();
            if (stayedOpen) {
                modal->close();
            }
        });
        const TModalResult result = Show("Question", mtConfirmation, c.buttons);
        EXPECT_EQ(stayedOpen, c.result == mrNone);
        EXPECT_EQ(result, c.result == mrNone ? mrCancel : c.result);
    }
}

TEST_F(SkinMessageTest, everyKindOfLineBreakEndsOneLineAndNoLineStartsWithItsOtherHalf) {
    struct Case {
        const char* message;
        const char* lines;
    };
    const Case cases[] = {
        {"one\n\rtwo", "one\ntwo"},   {"one\r\ntwo", "one\ntwo"},       {"one\ntwo", "one\ntwo"},
        {"one\rtwo", "one\ntwo"},     {"one\n\r\n\rtwo", "one\n\ntwo"}, {"one\r\n\r\ntwo", "one\n\ntwo"},
        {"one\n\ntwo", "one\n\ntwo"}, {"last\n\r", "last\n"},           {"plain", "plain"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(MessageLines(QString::fromLatin1(c.message)), QString::fromLatin1(c.lines));
    }
    // The box shows the lines; each starts at the label's left edge.
    TModalScript script;
    script.Click("OK");
    Show("Changes saved. \n\rPlease, restart.\n\rSometimes", mtInformation, ButtonSet({mbOK}));
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].Text, QStringLiteral("Changes saved. \nPlease, restart.\nSometimes"));
}

TEST_F(SkinMessageTest, closingWithoutAButtonGivesCancelWhateverTheButtons) {
    for (TMsgDlgButtons buttons : {ButtonSet({mbYes, mbNo}), ButtonSet({mbOK}), ButtonSet({mbYes, mbNo, mbCancel})}) {
        TModalScript script;
        script.CloseWindow();
        EXPECT_EQ(Show("Closed by the system", mtConfirmation, buttons), mrCancel);
    }
}

TEST_F(SkinMessageTest, eachKindHasItsCaptionAndIcon) {
    struct Case {
        TMsgDlgType kind;
        const char* caption;
        bool icon;
    };
    const Case cases[] = {
        {mtWarning, "Warning", true},
        {mtError, "Error", true},
        {mtInformation, "Information", true},
        {mtConfirmation, "Confirm", true},
        {mtCustom, "Vellicor test title", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        TModalScript script;
        script.Click("OK");
        EXPECT_EQ(Show("Text", c.kind, ButtonSet({mbOK})), mrOk);
        ASSERT_EQ(script.Seen().size(), 1u);
        EXPECT_EQ(script.Seen()[0].Caption, QString::fromLatin1(c.caption));
        EXPECT_EQ(script.Seen()[0].HasIcon, c.icon);
        EXPECT_EQ(script.Seen()[0].Text, QStringLiteral("Text"));
    }
}

TEST_F(SkinMessageTest, layoutFollowsTheLabelAndTheButtonRow) {
    struct Case {
        const char* name;
        QString text;
        TMsgDlgButtons buttons;
    };
    const Case cases[] = {
        {"short text, wide row", QStringLiteral("Hi"), ButtonSet({mbYes, mbNo, mbCancel})},
        {"long text",
         QString(QStringLiteral("A long message that is much wider than the row of buttons; ")).repeated(3),
         ButtonSet({mbOK})},
        {"several lines", QStringLiteral("one\ntwo\nthree\nfour\nfive\nsix"), ButtonSet({mbYes, mbNo})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TModalScript script;
        struct {
            QRect label, image;
            QSize client;
            std::vector<QRect> buttons;
        } seen;
        script.Then([&seen](QWidget* modal) {
            auto* client = modal->findChild<QWidget*>(QStringLiteral("ClientArea"));
            seen.client = client->size();
            seen.label = modal->findChild<QLabel*>(QStringLiteral("Message"))->geometry();
            seen.image = modal->findChild<QLabel*>(QStringLiteral("Image"))->geometry();
            for (int bit = 0; bit < mbButtonCount; ++bit) {
                if (auto* b = client->findChild<QPushButton*>(MessageButtonName(TMsgDlgBtn(bit)))) {
                    seen.buttons.push_back(b->geometry());
                }
            }
            modal->close();
        });
        Show(c.text, mtInformation, c.buttons);
        const int n = int(seen.buttons.size());
        const int row = n * 70 + (n - 1) * 10;
        EXPECT_EQ(seen.label.topLeft(), QPoint(50, 15));
        EXPECT_EQ(seen.client.width(), std::max(row, 50 + seen.label.width()) + 40);
        EXPECT_EQ(seen.client.height(), 25 + seen.label.height() + 50);
        EXPECT_EQ(seen.image, QRect(5, std::max(10, 15 + seen.label.height() / 2 - 16), 32, 32));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(seen.buttons[std::size_t(i)],
                      QRect((seen.client.width() - row) / 2 + 80 * i, seen.client.height() - 25 - 10, 70, 25));
        }
    }
}

TEST_F(SkinMessageTest, helpButtonShowsTheContextAndLeavesTheBoxOpen) {
    std::vector<int> contexts;
    TSkinMessage::HelpHandler = [&contexts](int context) { contexts.push_back(context); };
    TModalScript script;
    script.Then([](QWidget* modal) {
        modal->findChild<QPushButton*>(QStringLiteral("Help"))->click();
        EXPECT_TRUE(modal->isVisible());
        modal->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    EXPECT_EQ(Show("With help", mtInformation, ButtonSet({mbOK, mbHelp}), 42), mrOk);
    EXPECT_EQ(contexts, std::vector<int>{42});
    TSkinMessage::HelpHandler = nullptr;
}

TEST(ApplicationErrorBox, appendsAFullStopOnlyAfterCharactersAboveIt) {
    struct Case {
        const char* message;
        const char* shown;
    };
    const Case cases[] = {
        {"Error writing to Registry", "Error writing to Registry."},
        {"Already ends.", "Already ends."},
        {"Ends with a comma,", "Ends with a comma,"}, // ',' is below '.'
        {"Ends with a slash/", "Ends with a slash/."},
        {"", ""},
        {"Question?", "Question?."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(Application::ErrorBoxText(QString::fromLatin1(c.message)), QString::fromLatin1(c.shown));
    }
}

TEST(ApplicationErrorBox, dispatchShowsWhatAHandlerLetsOutWithTheTitleAsCaption) {
    Application::SetTitle(QStringLiteral("Vellicor test title"));
    TModalScript script;
    script.Click("OK");
    const bool ok = Application::Dispatch([] { throw Exception("Error writing to Registry"); });
    EXPECT_FALSE(ok);
    ASSERT_EQ(script.Seen().size(), 1u);
    EXPECT_EQ(script.Seen()[0].Text, QStringLiteral("Error writing to Registry."));
    EXPECT_EQ(script.Seen()[0].Caption, QStringLiteral("Vellicor test title"));
    EXPECT_TRUE(script.Seen()[0].HasIcon);
    EXPECT_EQ(script.Seen()[0].Buttons, QStringList{QStringLiteral("OK")});
}

} // namespace
