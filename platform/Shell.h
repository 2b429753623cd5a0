#pragma once

#include <cstdint>
#include <string>

namespace platform {

/// Asks the system's shell to open `address` with its default action (for a web address, the default
/// browser), on behalf of the native window `owner` (a QWidget's winId(), or 0). The outcome is not
/// examined: whatever goes wrong is the shell's to report. Returns false where the system has no such
/// shell (Linux), so that the caller opens the address its own way.
bool ShellOpen(std::uintptr_t owner, const std::string& address);

} // namespace platform
