#include "platform/Shell.h"

// <windows.h> comes before every other Windows header.
#include <windows.h>

#include <shellapi.h>

namespace platform {

bool ShellOpen(std::uintptr_t owner, const std::string& address) {
    // No verb: the shell's default action, which opens a web address in the default browser.
    ShellExecuteA(reinterpret_cast<HWND>(owner), nullptr, address.c_str(), nullptr, nullptr, SW_SHOW);
    return true;
}

} // namespace platform
