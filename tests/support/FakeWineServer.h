#pragma once

#include <filesystem>

#include <sys/types.h>

namespace testsupport {

/// Another process that holds the wineserver's lock on a file, as a running wineserver does
/// (fcntl locks held by the test's own process are invisible to it).
class TLockHolder {
public:
    explicit TLockHolder(const std::filesystem::path& lockFile);
    ~TLockHolder();
    TLockHolder(const TLockHolder&) = delete;
    TLockHolder& operator=(const TLockHolder&) = delete;
    pid_t Pid() const { return FPid; }

private:
    pid_t FPid = -1;
};

/// The folder where a wineserver of `prefix` keeps its lock: upstream Wine's, or Debian's, whose name the
/// prefix's "wineserver" file holds. Made for the test and removed after it.
class TFakeServerFolder {
public:
    TFakeServerFolder(const std::filesystem::path& prefix, bool debian);
    ~TFakeServerFolder();
    TFakeServerFolder(const TFakeServerFolder&) = delete;
    TFakeServerFolder& operator=(const TFakeServerFolder&) = delete;
    std::filesystem::path Lock() const { return FFolder / "lock"; }

private:
    std::filesystem::path FTop;
    std::filesystem::path FFolder;
    bool FDebian = false;
};

/// Wine running in `prefix`, as far as a writer of its user.reg can tell.
class TFakeRunningWine {
public:
    explicit TFakeRunningWine(const std::filesystem::path& prefix) : FFolder(prefix, false), FLock(FFolder.Lock()) {}

private:
    TFakeServerFolder FFolder;
    TLockHolder FLock;
};

} // namespace testsupport
