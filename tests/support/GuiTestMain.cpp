// main() for GUI test programs: one QApplication for all cases, under the offscreen platform (Windows: the
// windows platform, as Qt's offscreen one hangs under Wine), or, with VELLICOR_TEST_DESKTOP=openbox, on an
// X server of their own (Xvfb) with a real window manager, where frames, focus and minimising are the
// window manager's business as on a user's desktop.
#include "DesktopSession.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<testsupport::TDesktopSession> desktop;
    const bool listing = ::testing::GTEST_FLAG(list_tests);
    if (!qEnvironmentVariableIsEmpty("VELLICOR_TEST_DESKTOP") && !listing) {
        desktop = std::make_unique<testsupport::TDesktopSession>(qEnvironmentVariable("VELLICOR_TEST_DESKTOP"));
        if (!desktop->Running()) {
            std::fprintf(stderr, "No desktop session: %s\n", desktop->Failure().c_str());
            return 1;
        }
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && testsupport::DefaultTestPlatform() != nullptr) {
        qputenv("QT_QPA_PLATFORM", testsupport::DefaultTestPlatform());
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    desktop.reset(); // its watchdog is a thread too
    testsupport::WaitForOtherThreadsToEnd();
    return result;
}
