#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QSet>
#include <QString>
#include <gtest/gtest.h>

#include <cstddef>

/// The help windows the program has open, as the platform shows them: on Linux the Qt windows of the
/// program's own help library, on Windows HTML Help's. CMake builds one of linux/HelpWindows.cpp and
/// win/HelpWindows.cpp.
namespace testhelp {

/// Records the windows that a modal dialog locks (they get WindowBlocked).
class TBlockedWidgets : public QObject {
public:
    TBlockedWidgets() { QCoreApplication::instance()->installEventFilter(this); }
    bool Seen(const QObject* widget) const { return FBlocked.contains(widget); }

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

/// Whether the help window is one of the program's own Qt windows, which a test can read and drive; on
/// Windows it is HTML Help's, drawn and made accessible by the system.
bool HelpWindowIsQt();

/// How many help windows of this program are open and visible.
std::size_t OpenHelpWindows();

/// The first open help window, to tell whether a later request reused it; nullptr when none is open.
const void* FirstHelpWindow();

/// Whether the first help window shows `topic` (a path in Help.chm, such as "/topics/mainwindow.htm").
/// Which topic HTML Help shows cannot be read back under Wine: there the window's caption, the help
/// file's title, is checked instead; help_file_tests check each context's topic in the file.
::testing::AssertionResult ShowsTopic(const QString& topic);

/// Moves the first help window to another page, so that the next request has to bring its topic back;
/// nothing where the viewer cannot be driven (HTML Help).
void BrowseElsewhere();

/// Whether the user can use the first help window while a dialog is open; `blocked` has watched what
/// the dialog locks.
bool TakesInput(const TBlockedWidgets& blocked);

} // namespace testhelp
