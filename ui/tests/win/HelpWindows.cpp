// HTML Help's windows: top-level windows of this process of the class "HH Parent".
#include "../HelpWindows.h"

#include <QApplication>

#include <windows.h>

#include <string>
#include <vector>

namespace testhelp {

namespace {

std::vector<HWND> Open() {
    struct TSearch {
        std::vector<HWND> Found;
    } search;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            char className[64] = {};
            GetClassNameA(window, className, sizeof className);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "HH Parent") {
                reinterpret_cast<TSearch*>(data)->Found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

} // namespace

bool HelpWindowIsQt() {
    return false;
}

std::size_t OpenHelpWindows() {
    return Open().size();
}

const void* FirstHelpWindow() {
    const std::vector<HWND> windows = Open();
    return windows.empty() ? nullptr : windows.front();
}

::testing::AssertionResult ShowsTopic(const QString&) {
    const std::vector<HWND> windows = Open();
    if (windows.empty()) {
        return ::testing::AssertionFailure() << "no help window";
    }
    // HTML Help names its window after the help file's title.
    char text[256] = {};
    GetWindowTextA(windows.front(), text, sizeof text);
    if (std::string(text) != "Vellicor Help") {
        return ::testing::AssertionFailure() << "a window titled " << text;
    }
    return ::testing::AssertionSuccess();
}

void BrowseElsewhere() {}

bool TakesInput(const TBlockedWidgets&) {
    const std::vector<HWND> windows = Open();
    return !windows.empty() && IsWindowEnabled(windows.front());
}

} // namespace testhelp
