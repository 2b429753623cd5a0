#include "platform/Shell.h"

namespace platform {

bool ShellOpen(std::uintptr_t, const std::string&) {
    // There is no shell to ask: the desktop's own opener is reached through the toolkit.
    return false;
}

} // namespace platform
