#pragma once

#include <functional>
#include <string_view>

namespace platform {

/// Calls `visit` with the executable file name of each running process, at the moment of the call, until
/// `visit` returns false or the processes run out. Processes that cannot be listed are left out; nothing
/// is raised.
/// Windows: a ToolHelp snapshot, szExeFile of each entry. Linux: for each /proc/<pid>, its `comm` and the
/// last element of argv[0] split at '/' or '\' (Wine shows a Windows program there under its exe name,
/// while `comm` is cut to 15 characters); a process may so be visited under two names.
void EnumProcessNames(const std::function<bool(std::string_view)>& visit);

} // namespace platform
