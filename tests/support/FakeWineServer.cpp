#include "FakeWineServer.h"

#include "TempDir.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TLockHolder::TLockHolder(const fs::path& lockFile) {
    int ready[2];
    if (pipe(ready) != 0) {
        throw std::runtime_error("pipe");
    }
    FPid = fork();
    if (FPid == 0) {
        close(ready[0]);
        const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_len = 1;
        const char result = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
        [[maybe_unused]] const auto written = write(ready[1], &result, 1);
        for (;;) {
            pause();
        }
    }
    close(ready[1]);
    char result = 'n';
    [[maybe_unused]] const auto got = read(ready[0], &result, 1);
    close(ready[0]);
    if (result != 'y') {
        throw std::runtime_error("cannot take the lock " + lockFile.string());
    }
}

TLockHolder::~TLockHolder() {
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
}

TFakeServerFolder::TFakeServerFolder(const fs::path& prefix, bool debian) {
    struct stat info {};
    stat(prefix.c_str(), &info);
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    if (debian) {
        const std::string stored = "vellicor-test-" + std::to_string(getpid()) + "-" + name;
        WriteFileBytes(prefix / "wineserver", stored);
        FTop = fs::path("/tmp") / stored;
    } else {
        FTop = fs::path("/tmp") / (".wine-" + std::to_string(getuid()));
    }
    FFolder = FTop / name;
    fs::create_directories(FFolder);
    fs::permissions(FTop, fs::perms::owner_all);
    fs::permissions(FFolder, fs::perms::owner_all);
    FDebian = debian;
}

TFakeServerFolder::~TFakeServerFolder() {
    std::error_code ec;
    fs::remove_all(FDebian ? FTop : FFolder, ec);
}

} // namespace testsupport
