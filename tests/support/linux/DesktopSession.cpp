#include "DesktopSession.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <execinfo.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// Present in sanitized builds, where it prints a stack with file names and lines.
extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));

namespace testsupport {

namespace {

// The program runs with its output discarded; descriptors opened without O_CLOEXEC stay open in it.
pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Ends the process: asked first, then killed if it has not ended a moment later.
void Stop(long& pid) {
    if (pid <= 0) {
        return;
    }
    kill(static_cast<pid_t>(pid), SIGTERM);
    for (int waited = 0; waited < 200 && waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) == 0; ++waited) {
        usleep(10'000);
    }
    if (waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) == 0) {
        kill(static_cast<pid_t>(pid), SIGKILL);
        waitpid(static_cast<pid_t>(pid), nullptr, 0);
    }
    pid = -1;
}

// Xvfb on the first free display; the display's name, or "" when it has not said it accepts clients within
// `seconds`. Each wait here is bounded, so that a server or window manager that hangs fails the test program
// with a message rather than running into the test's timeout without one.
std::string StartServer(long& pid, int seconds) {
    // Xvfb picks a free display and writes its number to the pipe once it accepts clients.
    int ready[2];
    if (pipe(ready) != 0) {
        return {};
    }
    pid = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    close(ready[1]);
    std::string display;
    char c = 0;
    pollfd wait{ready[0], POLLIN, 0};
    while (pid > 0 && poll(&wait, 1, seconds * 1000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') {
        display += c;
    }
    close(ready[0]);
    if (c != '\n') {
        display.clear();
        Stop(pid);
    }
    return display;
}

// Whether a window manager announces itself on the root window (it does so once it manages windows).
bool WindowManagerRuns() {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    if (!xprop.waitForFinished(2000)) {
        xprop.kill();
        xprop.waitForFinished(1000);
        return false;
    }
    return xprop.readAllStandardOutput().contains("window id");
}

// Runs in the thread the watchdog signals: that thread's own stack is the one wanted.
void PrintOwnStack(int) {
    if (__sanitizer_print_stack_trace != nullptr) {
        __sanitizer_print_stack_trace();
    } else {
        void* frames[64];
        backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
    }
}

const char* Liveness(long pid) {
    return pid > 0 && kill(static_cast<pid_t>(pid), 0) == 0 ? "runs" : "does not run";
}

} // namespace

class TDesktopSession::TWatchdog {
public:
    TWatchdog(long server, long manager, std::chrono::seconds limit)
        : FThread([this, server, manager, limit] { Watch(server, manager, limit); }) {}

    ~TWatchdog() {
        {
            std::lock_guard lock(FMutex);
            FDone = true;
        }
        FWake.notify_all();
        FThread.join();
    }

private:
    void Watch(long server, long manager, std::chrono::seconds limit) {
        {
            std::unique_lock lock(FMutex);
            if (FWake.wait_for(lock, limit, [this] { return FDone; })) {
                return;
            }
        }
        std::fprintf(stderr,
                     "\nThe test program is stuck: still running after %lld s. Xvfb %s, the window manager %s.\n",
                     static_cast<long long>(limit.count()), Liveness(server), Liveness(manager));
        struct sigaction action {};
        action.sa_handler = PrintOwnStack;
        sigaction(SIGUSR2, &action, nullptr);
        const long self = syscall(SYS_gettid);
        if (DIR* tasks = opendir("/proc/self/task")) {
            while (const dirent* entry = readdir(tasks)) {
                const long thread = std::atol(entry->d_name);
                if (thread <= 0 || thread == self) {
                    continue;
                }
                std::fprintf(stderr, "\nThread %ld%s:\n", thread, thread == getpid() ? " (main)" : "");
                std::fflush(stderr);
                syscall(SYS_tgkill, getpid(), thread, SIGUSR2);
                // One stack at a time, or their lines mix.
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
            closedir(tasks);
        }
        std::fflush(nullptr);
        // Ending here skips the session's destructor: its processes would outlive the program.
        for (const long pid : {manager, server}) {
            if (pid > 0) {
                kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
        std::_Exit(1);
    }

    std::mutex FMutex;
    std::condition_variable FWake;
    bool FDone = false;
    std::thread FThread; // last: it starts once the members it uses exist
};

TDesktopSession::TDesktopSession(const QString& windowManager) {
    std::string display;
    for (int attempt = 0; attempt < 2 && display.empty(); ++attempt) {
        display = StartServer(FServer, 20);
    }
    if (display.empty()) {
        FFailure = "Xvfb did not start within 20 seconds, twice (is it installed?)";
        return;
    }
    qputenv("DISPLAY", QByteArray(":") + QByteArray::fromStdString(display));
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Without a session bus, the first D-Bus use (Qt's accessibility bridge) has libdbus start one through
    // dbus-launch on this display and wait for it, which can hang the program for good. A bus address that
    // cannot be reached fails at once instead.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-session-bus");
    FManager = Spawn({windowManager.toStdString()});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30'000) {
        if (WindowManagerRuns()) {
            FWatchdog = std::make_unique<TWatchdog>(FServer, FManager, std::chrono::seconds(120));
            return;
        }
        QThread::msleep(50);
    }
    FFailure = windowManager.toStdString() + " did not start within 30 seconds (is it installed, with xprop?)";
    Stop(FManager);
    Stop(FServer);
}

TDesktopSession::~TDesktopSession() {
    FWatchdog.reset();
    Stop(FManager);
    Stop(FServer);
}

QString WindowProperty(unsigned long window, const QString& property) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window), property});
    xprop.waitForFinished(5000);
    return QString::fromLocal8Bit(xprop.readAllStandardOutput()).trimmed();
}

const char* DefaultTestPlatform() {
    return "offscreen";
}

void WaitForOtherThreadsToEnd() {
    const auto threads = [] {
        int count = 0;
        if (DIR* tasks = opendir("/proc/self/task")) {
            while (const dirent* entry = readdir(tasks)) {
                count += entry->d_name[0] != '.' ? 1 : 0;
            }
            closedir(tasks);
        }
        return count;
    };
    for (int waited = 0; waited < 1000 && threads() > 1; ++waited) {
        usleep(1000);
    }
}

} // namespace testsupport
