// The smallest window that shows text under a menu bar, measured the same way as the program: what every such
// window pays on top of an empty one, for the fonts and the menu bar, before it does anything of its own.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <unistd.h>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* menuBar = new QMenuBar(&window);
    menuBar->addMenu(QStringLiteral("File"));
    layout->setMenuBar(menuBar);
    layout->addWidget(new QLabel(QStringLiteral("Installed Outlook version:"), &window));
    window.resize(595, 376);
    window.show();
    QTimer::singleShot(0, [] {
        [[maybe_unused]] const auto written = write(1, "s", 1);
        QCoreApplication::quit();
    });
    return application.exec();
}
