// Replacing user.reg so that a process killed at any instant leaves it whole. The sequence, each step
// safe to be the last:
//   1. stale temporary files of an interrupted replacement are removed (they were never the file);
//   2. the new bytes go to user.reg.vellicor-XXXXXX, which is synced: user.reg is untouched;
//   3. the backup: user.reg gets a second name, user.reg.vellicor-backup.tmp, renamed over the backup. If a
//      kill left the backup as a second name of user.reg already, it is that file and stays as it is;
//   4. the temporary file is renamed over user.reg: one rename, so user.reg is the old file or the new one;
//   5. the folder is synced, so that the renames survive a power cut too.
// No step ever writes into a file that is or was user.reg, so neither the file nor its backup can tear.
#include "platform/linux/HiveReplace.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::wine {

namespace {

TReplaceStepHook& StepHook() {
    static TReplaceStepHook hook = nullptr;
    return hook;
}

void Reached(EReplaceStep step) {
    if (StepHook() != nullptr) {
        StepHook()(step);
    }
}

const char TemporaryMark[] = ".vellicor-";
constexpr std::size_t RandomLength = 6; // mkostemp's XXXXXX

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupTemporaryOf(const std::string& path) {
    return BackupOf(path) + ".tmp";
}

// A name that mkostemp made from "<file>.vellicor-XXXXXX", which is never the backup's.
bool IsTemporaryName(const std::string& name, const std::string& fileName) {
    const std::string start = fileName + TemporaryMark;
    if (name.size() != start.size() + RandomLength || name.compare(0, start.size(), start) != 0) {
        return false;
    }
    const std::string random = name.substr(start.size());
    if (random == "backup") {
        return false;
    }
    for (const char c : random) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes `bytes` to the new file `fd` with the mode and owner of `like`, syncs and closes it; false with
// errno set when any of that fails (the file is closed either way).
bool FillNewFile(int fd, const struct stat& like, const std::string& bytes) {
    fchmod(fd, like.st_mode & 07777);
    if (like.st_uid != geteuid() || like.st_gid != getegid()) {
        [[maybe_unused]] const int ignored = fchown(fd, like.st_uid, like.st_gid); // possible only for root
    }
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
    }
    return close(fd) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Makes the backup the file as it is now. A backup is a convenience: when it cannot be made, the
// replacement goes on without it.
void MakeBackup(const std::string& path, const struct stat& current, const std::string& oldBytes) {
    const std::string backup = BackupOf(path);
    struct stat existing {};
    if (lstat(backup.c_str(), &existing) == 0 && SameFile(existing, current)) {
        return; // an interrupted replacement made it already, and the file has not changed since
    }
    const std::string temporary = BackupTemporaryOf(path);
    if (link(path.c_str(), temporary.c_str()) != 0) {
        // No second names on this file system: a copy, written as carefully as the new file.
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || !FillNewFile(fd, current, oldBytes)) {
            unlink(temporary.c_str());
            return;
        }
    }
    Reached(EReplaceStep::BackupLinked);
    if (rename(temporary.c_str(), backup.c_str()) != 0) {
        unlink(temporary.c_str());
    }
}

} // namespace

void SetReplaceStepHook(TReplaceStepHook hook) {
    StepHook() = hook;
}

std::string BackupOf(const std::string& path) {
    return path + ".vellicor-backup";
}

void RemoveStaleFiles(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string fileName = NameOf(path);
    const std::string backupTemporary = NameOf(BackupTemporaryOf(path));
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == backupTemporary || IsTemporaryName(name, fileName)) {
            unlinkat(dirfd(dir), name.c_str(), 0);
        }
    }
    closedir(dir);
}

TReplaceFailure ReplaceHiveFile(const std::string& path, const std::string& oldBytes, const std::string& bytes) {
    RemoveStaleFiles(path);
    Reached(EReplaceStep::StaleRemoved);

    struct stat current {};
    if (stat(path.c_str(), &current) != 0) {
        return {"examine " + path, errno};
    }
    const std::string folder = FolderOf(path);
    std::string temporary = path + TemporaryMark + std::string(RandomLength, 'X');
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return {"create a temporary file in " + folder, errno};
    }
    if (!FillNewFile(fd, current, bytes)) {
        const int error = errno;
        unlink(temporary.c_str());
        return {"write " + temporary, error};
    }
    Reached(EReplaceStep::TemporaryWritten);

    MakeBackup(path, current, oldBytes);
    Reached(EReplaceStep::BackupMade);

    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return {"replace " + path, error};
    }
    Reached(EReplaceStep::Replaced);

    if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    Reached(EReplaceStep::FolderSynced);
    return {};
}

} // namespace platform::wine
