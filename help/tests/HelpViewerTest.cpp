// The program's help request, through THTMLHelpViewer and the platform's library loader, against the real
// Linux help library and the built Help.chm beside this test program.
#include "help/binding/HTMLHelpViewer.h"
#include "help/binding/HtmlHelpLibrary.h"

#include "GuiTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<QWidget*> HelpWindows() {
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "HelpWindow") {
            windows.push_back(widget);
        }
    }
    return windows;
}

QString ShownTopic(QWidget* window) {
    return window->findChild<QTextBrowser*>("HelpBrowser")->source().path();
}

TEST(HelpViewerTest, OpensHelpAtTheTopicOfContextOneInOneWindowAndClosesItAtTheEnd) {
    THtmlHelpLibrary library;
    THTMLHelpViewer viewer(library);
    viewer.DisplayHelpContext(kContentsHelpContext, kHelpFileName);
    ASSERT_TRUE(library.IsLoaded()) << "libvellicor_hhctrl.so is not beside the test program";
    testsupport::RunUntilIdle();

    auto windows = HelpWindows();
    ASSERT_EQ(windows.size(), 1u);
    QWidget* window = windows[0];
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->parentWidget(), nullptr); // no owner: the user may keep it open while working
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(window->windowTitle(), "Vellicor Help");
    EXPECT_EQ(ShownTopic(window), "/topics/mainwindow.htm");
    auto* browser = window->findChild<QTextBrowser*>("HelpBrowser");
    EXPECT_TRUE(browser->toPlainText().contains("Installed Outlook version"));
    // Pictures and style sheets come out of the help file as well.
    EXPECT_FALSE(
        browser->loadResource(QTextDocument::ImageResource, browser->source().resolved(QUrl("../images/tabs.png")))
            .toByteArray()
            .isEmpty());
    EXPECT_FALSE(browser->document()->resource(QTextDocument::ImageResource, QUrl("../images/tabs.png")).isNull());
    // Below the picture comes the next heading, with no gap of line spacing in between.
    auto* layout = browser->document()->documentLayout();
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text() == QString(QChar::ObjectReplacementCharacter) && block.next().isValid()) {
            const QRectF picture = layout->blockBoundingRect(block);
            EXPECT_LT(layout->blockBoundingRect(block.next()).top() - picture.bottom(), 40);
        }
    }

    // An internal link and the contents tree lead to other pages of the file.
    emit browser->anchorClicked(QUrl("lists.htm"));
    EXPECT_EQ(ShownTopic(window), "/topics/lists.htm");
    auto* contents = window->findChild<QTreeWidget*>("tvContents");
    ASSERT_EQ(contents->topLevelItemCount(), 5);
    EXPECT_EQ(contents->currentItem()->text(0), "Allowed and blocked file types");
    QTreeWidgetItem* wine = contents->topLevelItem(2);
    emit contents->itemClicked(wine, 0);
    EXPECT_EQ(ShownTopic(window), "/topics/wine.htm");

    // A second request reuses the window and moves it back to the topic of context 1.
    viewer.DisplayHelpContext(kContentsHelpContext, kHelpFileName);
    testsupport::RunUntilIdle();
    windows = HelpWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0], window);
    EXPECT_EQ(ShownTopic(window), "/topics/mainwindow.htm");

    // Escape closes it, as it closes a dialog.
    QApplication::setActiveWindow(window);
    QTest::keyClick(window->focusWidget() != nullptr ? window->focusWidget() : window, Qt::Key_Escape);
    testsupport::RunUntilIdle();
    EXPECT_TRUE(HelpWindows().empty());

    viewer.ShutDown(); // HH_CLOSE_ALL
    EXPECT_TRUE(HelpWindows().empty());
    library.Release();
    EXPECT_FALSE(library.IsLoaded());
}

TEST(HelpViewerTest, aLinkReachedWithTabIsShownSelectedAndReadAsTheSelection) {
    THtmlHelpLibrary library;
    THTMLHelpViewer viewer(library);
    viewer.DisplayHelpContext(kContentsHelpContext, kHelpFileName);
    testsupport::RunUntilIdle();
    const auto windows = HelpWindows();
    ASSERT_EQ(windows.size(), 1u);
    QWidget* window = windows[0];
    auto* browser = window->findChild<QTextBrowser*>("HelpBrowser");
    QApplication::setActiveWindow(window);
    browser->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(browser->hasFocus());
    EXPECT_TRUE(browser->extraSelections().isEmpty());

    QTest::keyClick(browser, Qt::Key_Tab);
    ASSERT_TRUE(browser->hasFocus());
    const QTextCursor link = browser->textCursor();
    ASSERT_TRUE(link.hasSelection());
    EXPECT_TRUE(link.charFormat().isAnchor());
    // Drawn in the selection's colours, over the whole link.
    ASSERT_EQ(browser->extraSelections().size(), 1);
    EXPECT_EQ(browser->extraSelections()[0].cursor, link);
    const QColor highlight = browser->palette().color(QPalette::Active, QPalette::Highlight);
    QTextCursor start = link;
    start.setPosition(link.selectionStart());
    const QRect caret = browser->cursorRect(start);
    const QImage page = browser->viewport()->grab().toImage();
    int highlighted = 0;
    for (int y = caret.top(); y <= caret.bottom(); ++y) {
        highlighted += page.pixelColor(caret.center().x() + 2, y) == highlight ? 1 : 0;
    }
    EXPECT_GT(highlighted, 0) << "the focused link is drawn as selected";
    // A screen reader reads the link as the page's selected text.
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(browser)->textInterface();
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->selectionCount(), 1);
    int from = 0;
    int to = 0;
    text->selection(0, &from, &to);
    EXPECT_EQ(text->text(from, to), link.selectedText());

    // The next link takes the mark; leaving the page or following a link drops it.
    QTest::keyClick(browser, Qt::Key_Tab);
    ASSERT_TRUE(browser->hasFocus());
    EXPECT_NE(browser->textCursor(), link);
    ASSERT_EQ(browser->extraSelections().size(), 1);
    EXPECT_EQ(browser->extraSelections()[0].cursor, browser->textCursor());
    const QString page1 = browser->source().path();
    QTest::keyClick(browser, Qt::Key_Return);
    testsupport::RunUntilIdle();
    EXPECT_NE(browser->source().path(), page1);
    EXPECT_TRUE(browser->extraSelections().isEmpty());
    QTest::keyClick(browser, Qt::Key_Tab);
    ASSERT_EQ(browser->extraSelections().size(), 1);
    browser->clearFocus();
    EXPECT_TRUE(browser->extraSelections().isEmpty());

    window->close();
    viewer.ShutDown();
    library.Release();
}

TEST(HelpViewerTest, ShowsWhyAHelpFileCannotBeOpened) {
    THtmlHelpLibrary library;
    auto* display = library.HtmlHelp(nullptr, "Missing.chm", HH_DISPLAY_TOPIC, 0);
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(HelpWindows().size(), 1u);
    EXPECT_TRUE(HelpWindows()[0]->findChild<QTextBrowser*>("HelpBrowser")->toPlainText().contains("cannot be opened"));
    EXPECT_EQ(library.HtmlHelp(nullptr, "Missing.chm", HH_HELP_CONTEXT, 1), nullptr);
    EXPECT_EQ(HelpWindows().size(), 1u);
    // A damaged file, one that crashed chmlib, says the same in a window of its own.
    const std::string damaged = VELLICOR_DAMAGED_HELP_FOLDER "/section-that-does-not-exist.chm";
    ASSERT_NE(library.HtmlHelp(nullptr, damaged.c_str(), HH_DISPLAY_TOPIC, 0), nullptr);
    ASSERT_EQ(HelpWindows().size(), 2u);
    for (QWidget* window : HelpWindows()) {
        EXPECT_TRUE(window->findChild<QTextBrowser*>("HelpBrowser")->toPlainText().contains("cannot be opened"));
    }
    library.HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    EXPECT_TRUE(HelpWindows().empty());
    library.Release();
}

TEST(HelpViewerTest, ClosesTheHelpWindowWhenTheProgramEndsEvenIfHelpWasNeverShown) {
    THtmlHelpLibrary library;
    THTMLHelpViewer viewer(library);
    viewer.ShutDown();
    EXPECT_TRUE(library.IsLoaded());
    EXPECT_TRUE(HelpWindows().empty());
    library.Release();
}

} // namespace
