#include "platform/linux/WineServerLock.h"
#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::wine {

namespace {

std::string ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[256];
    const ssize_t length = read(fd, buffer, sizeof buffer);
    close(fd);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// A folder of ours: a real folder (not a link) owned by this user, as wineserver requires of its own.
bool IsOwnFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

// "server-<device>-<inode>" of the prefix folder, in hex as Wine writes it; empty when it does not exist.
std::string ServerFolderName(const std::string& prefix) {
    struct stat info {};
    if (stat(prefix.c_str(), &info) != 0) {
        return {};
    }
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    return name;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::vector<long> RunningServers(const std::string& prefix) {
    const std::string folderName = ServerFolderName(prefix);
    std::vector<long> servers;
    struct stat prefixInfo {};
    DIR* proc = folderName.empty() || stat(prefix.c_str(), &prefixInfo) != 0 ? nullptr : opendir("/proc");
    if (proc == nullptr) {
        return servers;
    }
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0') {
            continue;
        }
        const std::string process = std::string("/proc/") + entry->d_name;
        struct stat owner {};
        // wineserver, wineserver64, or a packager's variant of the name.
        if (stat(process.c_str(), &owner) != 0 || owner.st_uid != getuid() ||
            !StartsWith(ReadSmallFile(process + "/comm"), "wineserver")) {
            continue;
        }
        char target[4096];
        const ssize_t length = readlink((process + "/cwd").c_str(), target, sizeof target - 1);
        if (length <= 0) {
            continue;
        }
        std::string cwd(target, static_cast<std::size_t>(length));
        if (EndsWith(cwd, " (deleted)")) {
            cwd.resize(cwd.size() - 10); // its folder was cleaned away under it; it still runs
        }
        // A server that is starting works in the prefix folder itself until it has made its own.
        struct stat where {};
        const bool inPrefix = stat((process + "/cwd").c_str(), &where) == 0 && where.st_dev == prefixInfo.st_dev &&
                              where.st_ino == prefixInfo.st_ino;
        if (inPrefix || EndsWith(cwd, "/" + folderName)) {
            servers.push_back(pid);
        }
    }
    closedir(proc);
    return servers;
}

std::vector<std::string> ServerFolders(const std::string& prefix) {
    const std::string serverFolder = ServerFolderName(prefix);
    if (serverFolder.empty()) {
        return {};
    }
    const std::string name = "/" + serverFolder;
    std::vector<std::string> folders;
    std::string stored = ReadSmallFile(prefix + "/wineserver");
    while (!stored.empty() && (stored.back() == '\n' || stored.back() == '\r' || stored.back() == ' ')) {
        stored.pop_back();
    }
    if (!stored.empty() && stored != "." && stored != ".." && stored.find_first_of("/\n") == std::string::npos) {
        const char* tmp = std::getenv("TMPDIR");
        if (tmp != nullptr && *tmp != '\0') {
            folders.push_back(std::string(tmp) + "/" + stored + name);
        }
        folders.push_back("/tmp/" + stored + name);
    }
    folders.push_back("/tmp/.wine-" + std::to_string(getuid()) + name);
    std::vector<std::string> unique;
    for (const auto& folder : folders) {
        if (std::find(unique.begin(), unique.end(), folder) == unique.end()) {
            unique.push_back(folder);
        }
    }
    return unique;
}

TServerLock::TServerLock(const std::string& prefix) {
    // A server whose folder is none of ours (another TMPDIR) cannot see our lock, so it is looked for first.
    if (const std::vector<long> servers = RunningServers(prefix); !servers.empty()) {
        FFailure = "Wine is running in the prefix " + prefix + " (wineserver process " + std::to_string(servers[0]) +
                   "), and it would overwrite the change when it next saves the registry.";
        return;
    }
    for (const std::string& folder : ServerFolders(prefix)) {
        THeld held;
        held.Folder = folder;
        if (access(folder.c_str(), F_OK) != 0) {
            // No server has used this folder since /tmp was last cleaned. Make it as wineserver would,
            // so that one that starts now finds our lock.
            const std::string parent = folder.substr(0, folder.rfind('/'));
            if (mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
                continue; // no server can use it either
            }
            if (!IsOwnFolder(parent)) {
                continue;
            }
            if (mkdir(folder.c_str(), 0700) == 0) {
                held.Created = true;
            } else if (errno != EEXIST) {
                continue;
            }
        }
        if (!IsOwnFolder(folder)) {
            continue; // wineserver refuses a folder it does not own, so no server of ours runs there
        }
        const std::string lockFile = folder + "/lock";
        if (access(lockFile.c_str(), F_OK) != 0 && access((folder + "/socket").c_str(), F_OK) == 0) {
            FFailure = "Wine may be running in the prefix " + prefix + " (its server folder " + folder +
                       " has a socket but no lock), and it would overwrite the change when it next saves the registry.";
            break;
        }
        held.Fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (held.Fd < 0) {
            FFailure = "Cannot open the wineserver lock " + lockFile + ": " + SysErrorMessage(errno) + ".";
            if (held.Created) {
                rmdir(folder.c_str());
            }
            break;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 1;
        if (fcntl(held.Fd, F_SETLK, &lock) != 0) {
            const int error = errno;
            if (error == EAGAIN || error == EACCES) {
                struct flock owner = lock;
                std::string process;
                if (fcntl(held.Fd, F_GETLK, &owner) == 0 && owner.l_type != F_UNLCK && owner.l_pid > 0) {
                    process = " (wineserver process " + std::to_string(owner.l_pid) + ")";
                }
                FFailure = "Wine is running in the prefix " + prefix + process +
                           ", and it would overwrite the change when it next saves the registry.";
            } else {
                FFailure = "Cannot take the wineserver lock " + lockFile + ": " + SysErrorMessage(error) + ".";
            }
            held.Created = false; // whoever holds the lock uses the folder now
            FHeld.push_back(held);
            break;
        }
        FHeld.push_back(held);
    }
    if (!FFailure.empty()) {
        Release();
    }
}

TServerLock::~TServerLock() {
    Release();
}

void TServerLock::Release() {
    for (THeld& held : FHeld) {
        if (held.Created) {
            // Removed while still locked, so that no server starts on the lock file as it goes.
            unlink((held.Folder + "/lock").c_str());
            rmdir(held.Folder.c_str());
        }
        if (held.Fd >= 0) {
            close(held.Fd);
        }
    }
    FHeld.clear();
}

} // namespace platform::wine
