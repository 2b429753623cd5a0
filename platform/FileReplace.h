#pragma once

#include <span>
#include <string>
#include <string_view>

namespace platform {

/// The steps of replacing a file, in order. A process that dies after any of them leaves the file whole:
/// either the old bytes or the new ones, never a mix.
enum class EReplaceStep {
    StaleRemoved,     // what an earlier, interrupted replacement left behind is gone
    TemporaryWritten, // the new bytes are on disk in a temporary file beside the file
    BackupLinked,     // the backup's temporary name holds the file as it is (only when a backup is kept)
    BackupMade,       // the backup is the file as it was (only when a backup is kept)
    Replaced,         // the temporary file has taken the file's name
    FolderSynced,     // the renames are on disk
};

/// Crash tests stop a replacement between two steps through this; production never sets it.
using TReplaceStepHook = void (*)(EReplaceStep);
void SetReplaceStepHook(TReplaceStepHook hook);

/// Where a replacement stopped; the file is as it was before it either way.
enum class EReplaceStage {
    Done,    // nothing stopped it
    Examine, // the file could not be looked at
    Refused, // the file must not be replaced: read-only, a folder, or held by another program
    Create,  // no temporary file could be made beside it
    Write,   // the temporary file could not be filled and synced
    Replace, // the temporary file could not take the file's name
};

struct TReplaceFailure {
    EReplaceStage Stage = EReplaceStage::Done;
    std::string Path; // what the failed step worked on: the file, its folder or the temporary file
    int Error = 0;    // the system's error code (errno, GetLastError)

    bool Failed() const { return Stage != EReplaceStage::Done; }
    /// What could not be done, in the system's words for the error: "Cannot write <path>: <text>".
    std::string Text() const;
};

/// The file that writing `path` changes: the final target when `path` is a symbolic link, otherwise `path`.
std::string ReplacedFile(const std::string& path);

/// Whether `path` is a file that its owner (or, for a file of someone else, everyone) may not write. Such a
/// file is left alone rather than replaced behind the back of whoever made it read-only.
bool IsReadOnlyFile(const std::string& path);

/// Makes `bytes` the content of the file `path` (a symbolic link is followed to its target, which gets the
/// content). The file is never written in place: the bytes go to a temporary file in the same folder, which is
/// synced and then renamed over the file in one step, so that it is all old or all new whenever the process
/// dies. An existing file keeps its mode (and, where allowed, its owner); a read-only one is refused.
TReplaceFailure ReplaceFileContent(const std::string& path, std::string_view bytes);

/// The same, keeping the file as it was under BackupOf(path). `oldBytes`, its current content, is written there
/// when the file system cannot give the file a second name. A backup that cannot be made does not stop the
/// replacement.
TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes, std::string_view bytes);

/// The same with the new content given as pieces written one after another, so that a small edit of a large
/// file need not be joined into a copy of the whole first.
TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes,
                                         std::span<const std::string_view> pieces);

/// The name of the one backup of `path`: the file as it was before the last replacement that kept one.
std::string BackupOf(const std::string& path);

/// Removes what an interrupted replacement of `path` may have left in its folder: temporary copies of a new
/// version, and the backup's temporary name. Only for a caller that knows no other replacement of the same
/// file is under way (the hive's holds the wineserver lock).
void RemoveStaleFiles(const std::string& path);

} // namespace platform
