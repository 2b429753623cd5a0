#include "platform/Processes.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace platform {

namespace {

// The start of a small /proc file; empty when the process has gone or hides it.
std::string ReadProcFile(const std::string& path, std::size_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string bytes(limit, '\0');
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t length = read(fd, bytes.data() + done, limit - done);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            break;
        }
        done += static_cast<std::size_t>(length);
    }
    close(fd);
    bytes.resize(done);
    return bytes;
}

bool IsProcessId(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

void EnumProcessNames(const std::function<bool(std::string_view)>& visit) {
    std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), &closedir);
    if (!proc) {
        return;
    }
    while (const dirent* entry = readdir(proc.get())) {
        if (!IsProcessId(entry->d_name)) {
            continue;
        }
        const std::string folder = std::string("/proc/") + entry->d_name;
        std::string comm = ReadProcFile(folder + "/comm", 64);
        if (!comm.empty() && comm.back() == '\n') {
            comm.pop_back();
        }
        if (!comm.empty() && !visit(comm)) {
            return;
        }
        // argv[0] up to its zero byte; PATH_MAX bounds any path a program is started by.
        std::string argv0 = ReadProcFile(folder + "/cmdline", 4096);
        argv0.resize(argv0.find('\0') == std::string::npos ? argv0.size() : argv0.find('\0'));
        const std::size_t slash = argv0.find_last_of("/\\");
        const std::string name = slash == std::string::npos ? argv0 : argv0.substr(slash + 1);
        if (!name.empty() && name != comm && !visit(name)) {
            return;
        }
    }
}

} // namespace platform
