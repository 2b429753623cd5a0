#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

/// vellicorctl's exit codes, which scripts rely on.
namespace ctlexit {
inline constexpr int Done = 0;
inline constexpr int Usage = 1;            // the command line is wrong
inline constexpr int Failed = 2;           // refused (Wine running, unreadable value) or failed
inline constexpr int NothingInstalled = 3; // no Outlook version (or not the one named)
} // namespace ctlexit

/// Where vellicorctl writes: results to Out, messages to Err. OutAsBytes is called before a file is written
/// to Out, so that its bytes reach it unchanged.
struct TCtlStreams {
    std::ostream& Out;
    std::ostream& Err;
    std::function<void()> OutAsBytes;
};

/// Runs vellicorctl with its arguments (the program name left out) and returns its exit code. The registry is
/// the current user's (Linux: the Wine prefix's user.reg; --prefix selects it for the rest of the process).
int RunVellicorCtl(const std::vector<std::string>& args, const TCtlStreams& streams);

/// The text of --help.
std::string VellicorCtlUsage();
