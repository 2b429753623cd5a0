#pragma once

#include <functional>

class QWidget;

namespace testsupport {

/// Runs the event loop until it has gone idle at least once (the idle handlers run then),
/// and for at least `ms` milliseconds. QTest::qWait never lets the loop block, so it cannot do this.
void RunUntilIdle(int ms = 20);

/// Arranges for `action` to run on the next modal widget that opens (message box, dialog),
/// from inside its own modal loop. Gives up after `timeoutMs` so that a test never blocks.
void OnNextModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);

/// Presses a key on the widget that has the focus in `window` (or on the window itself).
void PressKey(QWidget* window, int key);

} // namespace testsupport
