#pragma once

#include <string>
#include <vector>

namespace platform::wine {

/// The folders where a wineserver of the prefix keeps its lock and socket, most likely first:
/// Debian's Wine uses $TMPDIR (else /tmp) + the folder name stored in the prefix's "wineserver" file,
/// upstream Wine /tmp/.wine-<uid>; both add "server-<device>-<inode>" of the prefix folder, in hex.
/// Empty when the prefix folder does not exist.
std::vector<std::string> ServerFolders(const std::string& prefix);

/// The wineservers of this user that serve the prefix, wherever their server folder is (a TMPDIR of their
/// own, a sandbox's /tmp): a wineserver works in its server folder, so /proc shows it as its working folder,
/// named for the prefix folder's device and inode however the prefix was spelled.
std::vector<long> RunningServers(const std::string& prefix);

/// Holds the lock that a running wineserver holds for its whole life (an fcntl write lock on byte 0 of
/// "lock" in its server folder), so that no wineserver loads the registry while we rewrite it: one that
/// starts meanwhile finds the lock taken and leaves, and its client tries again later.
class TServerLock {
public:
    explicit TServerLock(const std::string& prefix);
    ~TServerLock();
    TServerLock(const TServerLock&) = delete;
    TServerLock& operator=(const TServerLock&) = delete;

    /// Whether the lock is ours. When it is not, Failure() says why, for the user.
    bool Held() const { return FFailure.empty(); }
    const std::string& Failure() const { return FFailure; }

private:
    struct THeld {
        int Fd = -1;
        std::string Folder;
        bool Created = false; // the server folder was made by us, and goes again with the lock
    };
    void Release();

    std::vector<THeld> FHeld;
    std::string FFailure;
};

} // namespace platform::wine
