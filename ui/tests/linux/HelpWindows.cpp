// The Linux help library's windows: Qt windows of this process, named "HelpWindow".
#include "../HelpWindows.h"

#include <QApplication>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace testhelp {

namespace {

QWidget* First() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("HelpWindow") && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

QTextBrowser* Browser() {
    QWidget* window = First();
    return window == nullptr ? nullptr : window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
}

} // namespace

bool HelpWindowIsQt() {
    return true;
}

std::size_t OpenHelpWindows() {
    std::size_t count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("HelpWindow") && widget->isVisible()) {
            ++count;
        }
    }
    return count;
}

const void* FirstHelpWindow() {
    return First();
}

::testing::AssertionResult ShowsTopic(const QString& topic) {
    QTextBrowser* browser = Browser();
    if (browser == nullptr) {
        return ::testing::AssertionFailure() << "no help window with a page";
    }
    const QString shown = browser->source().path();
    if (shown != topic) {
        return ::testing::AssertionFailure() << "shows " << shown.toStdString();
    }
    return ::testing::AssertionSuccess();
}

void BrowseElsewhere() {
    QTextBrowser* browser = Browser();
    ASSERT_NE(browser, nullptr);
    emit browser->anchorClicked(QUrl(QStringLiteral("lists.htm")));
}

bool TakesInput(const TBlockedWidgets& blocked) {
    QWidget* window = First();
    return window != nullptr && !blocked.Seen(window);
}

} // namespace testhelp
