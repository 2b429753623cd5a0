#include "platform/Isolation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += std::size_t(written);
    }
    return true;
}

} // namespace

std::optional<TMemoryFile> TMemoryFile::Make(std::string_view bytes) {
    const int fd = memfd_create("Help.chm", MFD_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    if (!WriteAll(fd, bytes)) {
        close(fd);
        return std::nullopt;
    }
    return TMemoryFile(fd, "/proc/self/fd/" + std::to_string(fd));
}

TMemoryFile::TMemoryFile(TMemoryFile&& other) noexcept : FHandle(other.FHandle), FPath(std::move(other.FPath)) {
    other.FHandle = -1;
}

TMemoryFile::~TMemoryFile() {
    if (FHandle >= 0) {
        close(int(FHandle));
    }
}

std::optional<std::string> RunIsolated(const std::function<std::optional<std::string>()>& work,
                                       std::chrono::milliseconds timeout, std::size_t maxBytes) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        // Only the work, the pipe and _exit from here: no handlers, buffers or destructors of the program.
        close(pipeFds[0]);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (const int quiet = open("/dev/null", O_WRONLY); quiet >= 0) {
            dup2(quiet, STDERR_FILENO); // a crash report of a library's is no message of the program's
        }
        const auto out = work();
        if (!out) {
            _exit(2);
        }
        _exit(WriteAll(pipeFds[1], *out) ? 0 : 3);
    }
    close(pipeFds[1]);
    std::string received;
    bool complete = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd wait{pipeFds[0], POLLIN, 0};
        const int ready = poll(&wait, 1, int(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            break;
        }
        char buffer[65536];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        received.append(buffer, std::size_t(got));
        if (received.size() > maxBytes) {
            break;
        }
    }
    close(pipeFds[0]);
    if (!complete) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!complete || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return received;
}

} // namespace platform
