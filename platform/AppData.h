#pragma once

#include <string>

namespace platform {

/// The current user's (roaming) application-data folder, without a trailing separator.
/// Windows: SHGetSpecialFolderLocation(CSIDL_APPDATA) + SHGetPathFromIDListA; empty when the shell
/// cannot tell. Linux: $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; the folder is
/// created (mode 0700) when it is missing, as the shell's folder always exists on Windows.
std::string GetAppDataFolder();

} // namespace platform
