#pragma once

#include "TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

/// Whether Wine's programs (wine, wineserver, wineboot) are on PATH.
bool WineInstalled();

/// Runs a program with the current environment, its output appended to `log`; the exit code, or -1 when it
/// could not start or had to be killed after `seconds`.
int RunProgram(const std::vector<std::string>& args, const std::filesystem::path& log, int seconds = 120);

/// A real Wine prefix of one test: its own registry files, and drive C of a prefix that wineboot makes once
/// (several seconds, at $VELLICOR_WINE_BASE, under a file lock so that test programs side by side make it
/// only once). Wine runs quietly, without a display. The prefix's wineserver is stopped when it goes.
class TWinePrefix {
public:
    TWinePrefix();
    ~TWinePrefix();
    TWinePrefix(const TWinePrefix&) = delete;
    TWinePrefix& operator=(const TWinePrefix&) = delete;

    std::filesystem::path Folder() const { return FFolder.Path(); }
    std::filesystem::path Log() const { return FFolder / "wine.log"; }
    std::string LogText() const { return ReadFileBytes(Log()); }

    /// Runs `command` with WINEPREFIX set to this prefix; its output goes to the log.
    int Run(const std::vector<std::string>& command, int seconds = 120);
    /// Runs `wine` with these arguments in this prefix.
    int Wine(const std::vector<std::string>& args);
    /// Stops the prefix's wineserver, which saves the registry it holds to user.reg first.
    void Stop();

private:
    TScopedEnv FDebug{"WINEDEBUG", "-all"};
    TScopedEnv FNoMonoNoGecko{"WINEDLLOVERRIDES", "mscoree,mshtml="};
    TScopedEnv FLocale{"LC_ALL", "C.UTF-8"};
    TScopedEnv FNoDisplay{"DISPLAY", ""};
    std::filesystem::path FBase;
    TTempDir FFolder;
};

} // namespace testsupport
