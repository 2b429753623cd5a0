#pragma once

#include <string>

namespace platform::wine {

/// The steps of replacing user.reg, in order. A process that dies after any of them leaves the file whole:
/// either the old bytes or the new ones, never a mix.
enum class EReplaceStep {
    StaleRemoved,     // what an earlier, interrupted replacement left behind is gone
    TemporaryWritten, // the new bytes are on disk in a temporary file beside the file
    BackupLinked,     // the file has a second name, the backup's temporary name
    BackupMade,       // the backup is the file as it was
    Replaced,         // the temporary file has taken the file's name
    FolderSynced,     // the renames are on disk
};

/// Crash tests stop a replacement between two steps through this; production never sets it.
using TReplaceStepHook = void (*)(EReplaceStep);
void SetReplaceStepHook(TReplaceStepHook hook);

/// The name of the one backup of `path`: the file as it was before the last replacement.
std::string BackupOf(const std::string& path);

/// Removes what an interrupted replacement of `path` may have left in its folder: temporary copies of a new
/// version, and the backup's temporary name. Only for a caller that holds the wineserver lock, so that no
/// other replacement of the same file is under way.
void RemoveStaleFiles(const std::string& path);

/// The outcome of a replacement: on failure, what could not be done and the error number.
struct TReplaceFailure {
    std::string What; // empty: the file was replaced
    int Error = 0;
    bool Failed() const { return !What.empty(); }
};

/// Replaces the file `path` (links already resolved) with `bytes`, keeping its mode and, where allowed, its
/// owner. The file is never written in place: the new bytes go to a temporary file that is synced and then
/// renamed over it, so that it is all old or all new whenever the process dies. The old file stays as the
/// backup; `oldBytes` (its content) is written there when the file system cannot give it a second name.
TReplaceFailure ReplaceHiveFile(const std::string& path, const std::string& oldBytes, const std::string& bytes);

} // namespace platform::wine
