// Windows draws its own desktop: test programs there run on the platform as it is.
#include "DesktopSession.h"

namespace testsupport {

class TDesktopSession::TWatchdog {};

TDesktopSession::TDesktopSession(const QString& windowManager)
    : FFailure("a desktop session with " + windowManager.toStdString() + " exists only on X11") {}

TDesktopSession::~TDesktopSession() = default;

QString WindowProperty(unsigned long, const QString&) {
    return {};
}

const char* DefaultTestPlatform() {
    return nullptr;
}

void WaitForOtherThreadsToEnd() {}

} // namespace testsupport
