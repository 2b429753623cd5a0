#include "ui/OpenWebPage.h"

#include <QWidget>

// <windows.h> comes before every other Windows header.
#include <windows.h>

#include <shellapi.h>

void OpenWebPage(QWidget* owner, const std::string& address) {
    // The shell's default verb opens the address in the default browser.
    ShellExecuteA(owner != nullptr ? reinterpret_cast<HWND>(owner->winId()) : nullptr, nullptr, address.c_str(),
                  nullptr, nullptr, SW_SHOW);
}
