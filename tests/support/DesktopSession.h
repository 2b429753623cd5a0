#pragma once

#include <QString>

#include <memory>
#include <string>

namespace testsupport {

/// An X server of the test program's own (Xvfb, on the first free display) with a window manager on it;
/// DISPLAY and QT_QPA_PLATFORM=xcb point the program at it. Both end with the object. A program still running
/// two minutes after the session started is stuck (its tests take seconds): it then prints the stacks of its
/// threads and whether the server and the window manager still run, and ends, well before ctest's timeout
/// would kill it without a word.
class TDesktopSession {
public:
    explicit TDesktopSession(const QString& windowManager);
    ~TDesktopSession();
    TDesktopSession(const TDesktopSession&) = delete;
    TDesktopSession& operator=(const TDesktopSession&) = delete;

    bool Running() const { return FFailure.empty(); }
    const std::string& Failure() const { return FFailure; }

private:
    class TWatchdog;

    long FServer = -1; // process ids
    long FManager = -1;
    std::string FFailure;
    std::unique_ptr<TWatchdog> FWatchdog;
};

/// The Qt platform GUI tests run on unless told otherwise: "offscreen"; none on Windows, where Qt's
/// offscreen platform hangs under Wine and the windows platform is the one that works.
const char* DefaultTestPlatform();

/// Waits, for a moment at most, until the process runs no thread but the calling one. Qt joins its pool's
/// threads when the application ends, but each still frees its own data a moment after: the leak check at exit
/// must not find them half way. Nothing to wait for on Windows, where no such check runs.
void WaitForOtherThreadsToEnd();

/// What `xprop` says of a property of a window of the session ("" when it cannot be read).
QString WindowProperty(unsigned long window, const QString& property);

} // namespace testsupport
