#pragma once

#include <string>
#include <vector>

namespace platform {

/// A folder holding a Wine prefix (a user.reg), and the tool that keeps prefixes there.
struct TWinePrefixPlace {
    std::string Folder;
    /// "Wine", "CrossOver", "Bottles", "Lutris" or "Proton".
    std::string Kind;
};

/// Whether the current user's hive lives in a Wine prefix (Linux) rather than in a registry of the
/// system's own (Windows).
bool UsesWinePrefixes();

/// Makes `folder` the prefix whose user.reg CurrentUserRegistry() works on from now on, for this process.
/// False, with `error` in words for the user, when the folder holds no user.reg or prefixes do not apply.
bool SelectWinePrefix(const std::string& folder, std::string& error);

/// Goes back to the prefix chosen by the environment the process started with, after SelectWinePrefix.
void RestoreWinePrefix();

/// The prefix CurrentUserRegistry() works on: $WINEPREFIX (absolute, no trailing slash), else ~/.wine.
/// Empty where prefixes do not apply.
std::string CurrentWinePrefix();

/// The prefixes found in the usual places: $WINEPREFIX, ~/.wine and ~/.wine*, CrossOver bottles, Bottles
/// (native and Flatpak), Lutris games under ~/Games, Steam's Proton prefixes. Each folder holds a user.reg
/// and is listed once, however it is reached. Empty where prefixes do not apply.
std::vector<TWinePrefixPlace> FindWinePrefixes();

/// Switches standard output to bytes as written, for a file written there (Windows would turn LF into
/// CR LF). Nothing to do elsewhere.
void UseBinaryStandardOutput();

} // namespace platform
