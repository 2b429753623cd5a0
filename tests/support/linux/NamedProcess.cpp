#include "NamedProcess.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;

namespace testsupport {

TNamedProcess::TNamedProcess(const std::string& name) {
    const std::string path = CopyOfSleeper(FFolder.Path(), name).string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (const int error = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ); error != 0) {
        throw std::runtime_error("cannot start " + path);
    }
    FId = pid;
    // The kernel names the process after the file it runs, cut to 15 characters, once exec is done;
    // its command line must be readable too before a test looks for it.
    const std::string comm = name.substr(0, 15) + "\n";
    const std::string proc = "/proc/" + std::to_string(pid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadFileBytes(proc + "/comm") != comm || ReadFileBytes(proc + "/cmdline") != path + '\0') {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            throw std::runtime_error("the process " + path + " did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

TNamedProcess::~TNamedProcess() {
    kill(static_cast<pid_t>(FId), SIGKILL);
    waitpid(static_cast<pid_t>(FId), nullptr, 0);
}

} // namespace testsupport
