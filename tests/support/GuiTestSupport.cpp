#include "GuiTestSupport.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace testsupport {

void RunUntilIdle(int ms) {
    QEventLoop loop;
    bool wentIdle = false;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    auto connection = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] { wentIdle = true; });
    QElapsedTimer clock;
    clock.start();
    while (!wentIdle || clock.elapsed() < ms) {
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
        if (clock.elapsed() > 10000) {
            break;
        }
    }
    QObject::disconnect(connection);
}

void OnNextModal(std::function<void(QWidget*)> action, int timeoutMs) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action = std::move(action), clock, poll, timeoutMs]() {
        if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal->isVisible()) {
            action(modal);
            *poll = nullptr; // break the self-reference
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

void PressKey(QWidget* window, int key) {
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key));
}

} // namespace testsupport
