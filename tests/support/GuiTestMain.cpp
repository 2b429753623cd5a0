// main() for GUI test programs: one QApplication for all cases, under the offscreen platform (Windows:
// the windows platform, as Qt's offscreen one hangs under Wine).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
#ifndef _WIN32
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
