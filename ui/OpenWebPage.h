#pragma once

#include <string>

class QWidget;

/// Opens a web address in the user's default browser on behalf of `owner`. The outcome is not
/// examined: whatever goes wrong is for the desktop to report.
void OpenWebPage(QWidget* owner, const std::string& address);
