#pragma once

#include "ScratchHive.h"
#include "TempDir.h"

#include <filesystem>
#include <optional>

namespace testsupport {

/// A fresh, empty folder that stands for the user's application-data folder while the object lives.
/// Linux: XDG_CONFIG_HOME names it. Windows: HKEY_CURRENT_USER is redirected to a scratch key (TScratchHive)
/// whose User Shell Folders value AppData names it, which is where the shell looks the folder up.
class TScratchAppData {
public:
    TScratchAppData();
    ~TScratchAppData();
    TScratchAppData(const TScratchAppData&) = delete;
    TScratchAppData& operator=(const TScratchAppData&) = delete;

    /// The folder, without a trailing separator.
    const std::filesystem::path& Path() const { return FPath; }
    /// Whether the system now names this folder as the application-data folder. A Windows whose shell does
    /// not read the redirected key leaves the user's real folder in place: tests must then not go on.
    bool Redirected() const { return FRedirected; }

private:
    TTempDir FTemp;
    std::filesystem::path FPath;
    std::optional<TScratchHive> FHive;
    std::optional<TScopedEnv> FEnv;
    bool FRedirected = false;
};

} // namespace testsupport
