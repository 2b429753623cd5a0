#include "DesktopSession.h"

#include <QProcess>
#include <QThread>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

void Stop(long& pid) {
    if (pid > 0) {
        kill(static_cast<pid_t>(pid), SIGTERM);
        waitpid(static_cast<pid_t>(pid), nullptr, 0);
        pid = -1;
    }
}

} // namespace

TDesktopSession::TDesktopSession(const QString& windowManager) {
    // Xvfb picks a free display and writes its number to the pipe once it accepts clients.
    int ready[2];
    if (pipe(ready) != 0) {
        FFailure = "no pipe";
        return;
    }
    FServer =
        Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1280x900x24", "-nolisten", "tcp"});
    close(ready[1]);
    std::string display;
    char c = 0;
    while (FServer > 0 && read(ready[0], &c, 1) == 1 && c != '\n') {
        display += c;
    }
    close(ready[0]);
    if (display.empty()) {
        FFailure = "Xvfb did not start (is it installed?)";
        Stop(FServer);
        return;
    }
    qputenv("DISPLAY", QByteArray(":") + QByteArray::fromStdString(display));
    qputenv("QT_QPA_PLATFORM", "xcb");
    FManager = Spawn({windowManager.toStdString()});
    // The window manager announces itself on the root window once it manages windows.
    for (int wait = 0; wait < 100; ++wait) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        xprop.waitForFinished(5000);
        if (xprop.readAllStandardOutput().contains("window id")) {
            return;
        }
        QThread::msleep(50);
    }
    FFailure = windowManager.toStdString() + " did not start (is it installed, with xprop?)";
    Stop(FManager);
    Stop(FServer);
}

TDesktopSession::~TDesktopSession() {
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
