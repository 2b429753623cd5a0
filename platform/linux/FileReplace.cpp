// Replacing a file so that a process killed at any instant leaves it whole. The sequence, each step safe to be
// the last:
//   1. stale temporary files of an interrupted replacement are removed (they were never the file);
//   2. the new bytes go to <file>.vellicor-XXXXXX, which is synced: the file is untouched;
//   3. when a backup is kept: the file gets a second name, <file>.vellicor-backup.tmp, renamed over the backup.
//      If a kill left the backup as a second name of the file already, it is that file and stays as it is;
//   4. the temporary file is renamed over the file: one rename, so the file is the old one or the new one;
//   5. the folder is synced, so that the renames survive a power cut too.
// No step ever writes into a file that is or was the file, so neither the file nor its backup can tear.
#include "platform/FileReplace.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

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

// The mode a new file gets from open(..., 0666): the process's umask, read without changing it, since
// another thread may be making a file at the same time.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 0644;
}

bool ReadOnly(const struct stat& info) {
    return info.st_uid == geteuid() ? (info.st_mode & S_IWUSR) == 0 : (info.st_mode & 0222) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
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

bool WriteAll(int fd, std::span<const std::string_view> pieces) {
    return std::all_of(pieces.begin(), pieces.end(), [fd](std::string_view piece) { return WriteAll(fd, piece); });
}

// Writes `bytes` to the new file `fd` with the mode and owner of `like`, syncs and closes it; false with
// errno set when any of that fails (the file is closed either way).
bool FillNewFile(int fd, const struct stat& like, std::span<const std::string_view> bytes) {
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

// A device or a pipe cannot be replaced by a file: it gets the bytes as they are.
TReplaceFailure WriteInPlace(const std::string& path, std::span<const std::string_view> bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0 || !WriteAll(fd, bytes)) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        return {EReplaceStage::Write, path, error};
    }
    if (close(fd) != 0) {
        return {EReplaceStage::Write, path, errno};
    }
    return {};
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Makes the backup the file as it is now. A backup is a convenience: when it cannot be made, the
// replacement goes on without it.
void MakeBackup(const std::string& path, const struct stat& current, std::string_view oldBytes) {
    const std::string backup = BackupOf(path);
    struct stat existing {};
    if (lstat(backup.c_str(), &existing) == 0 && SameFile(existing, current)) {
        return; // an interrupted replacement made it already, and the file has not changed since
    }
    const std::string temporary = BackupTemporaryOf(path);
    if (link(path.c_str(), temporary.c_str()) != 0) {
        // No second names on this file system: a copy, written as carefully as the new file.
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || !FillNewFile(fd, current, {&oldBytes, 1})) {
            unlink(temporary.c_str());
            return;
        }
    }
    Reached(EReplaceStep::BackupLinked);
    if (rename(temporary.c_str(), backup.c_str()) != 0) {
        unlink(temporary.c_str());
    }
}

TReplaceFailure Replace(const std::string& given, std::span<const std::string_view> bytes,
                        const std::string_view* oldBytes) {
    const std::string path = ReplacedFile(given);
    RemoveStaleFiles(path);
    Reached(EReplaceStep::StaleRemoved);

    struct stat current {};
    const bool exists = stat(path.c_str(), &current) == 0;
    if (!exists && errno != ENOENT) {
        return {EReplaceStage::Examine, path, errno};
    }
    if (exists && S_ISDIR(current.st_mode)) {
        return {EReplaceStage::Refused, path, EISDIR};
    }
    if (exists && ReadOnly(current)) {
        return {EReplaceStage::Refused, path, EACCES};
    }
    if (exists && !S_ISREG(current.st_mode)) {
        return WriteInPlace(path, bytes);
    }
    if (!exists) {
        current.st_mode = NewFileMode();
        current.st_uid = geteuid();
        current.st_gid = getegid();
    }

    const std::string folder = FolderOf(path);
    std::string temporary = path + TemporaryMark + std::string(RandomLength, 'X');
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return {EReplaceStage::Create, folder, errno};
    }
    if (!FillNewFile(fd, current, bytes)) {
        const int error = errno;
        unlink(temporary.c_str());
        return {EReplaceStage::Write, temporary, error};
    }
    Reached(EReplaceStep::TemporaryWritten);

    if (oldBytes != nullptr && exists) {
        MakeBackup(path, current, *oldBytes);
        Reached(EReplaceStep::BackupMade);
    }

    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        return {EReplaceStage::Replace, path, error};
    }
    Reached(EReplaceStep::Replaced);

    if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    Reached(EReplaceStep::FolderSynced);
    return {};
}

} // namespace

void SetReplaceStepHook(TReplaceStepHook hook) {
    StepHook() = hook;
}

std::string ReplacedFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) {
        return path;
    }
    // The link stays and its target gets the new content, as a write in place would give it.
    const auto target = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : target.string();
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && ReadOnly(info);
}

TReplaceFailure ReplaceFileContent(const std::string& path, std::string_view bytes) {
    return Replace(path, {&bytes, 1}, nullptr);
}

TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes, std::string_view bytes) {
    return Replace(path, {&bytes, 1}, &oldBytes);
}

TReplaceFailure ReplaceFileKeepingBackup(const std::string& path, std::string_view oldBytes,
                                         std::span<const std::string_view> pieces) {
    return Replace(path, pieces, &oldBytes);
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

} // namespace platform
