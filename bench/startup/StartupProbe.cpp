// The program itself, stopped as soon as its main window has been shown: it writes one byte to its
// standard output at that moment, so that the benchmark can time the start-up alone.
#include "app/Program.h"

#include <QCoreApplication>
#include <QTimer>

#include <unistd.h>

int main(int argc, char** argv) {
    return RunProgram(argc, argv, [] {
        QTimer::singleShot(0, [] {
            [[maybe_unused]] const auto written = write(1, "s", 1);
            QCoreApplication::quit();
        });
    });
}
