// The smallest Qt Widgets program that shows a window, measured the same way as the program.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(595, 376);
    window.show();
    QTimer::singleShot(0, [] {
        [[maybe_unused]] const auto written = write(1, "s", 1);
        QCoreApplication::quit();
    });
    return application.exec();
}
