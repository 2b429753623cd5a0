#include "NamedProcess.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace testsupport {

namespace {

std::filesystem::path CopyOfSleeper(const std::filesystem::path& folder, const std::string& name) {
    const std::filesystem::path target = folder / name;
    std::filesystem::copy_file(VELLICOR_TEST_SLEEPER, target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    return target;
}

} // namespace

#ifndef _WIN32

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

#else

TNamedProcess::TNamedProcess(const std::string& name) {
    const std::string path = CopyOfSleeper(FFolder.Path(), name).string();
    // A job that ends the process when its last handle closes, also when the test program dies first.
    FJob = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (FJob == nullptr || !SetInformationJobObject(FJob, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        throw std::runtime_error("cannot create a job for " + path);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &process)) {
        CloseHandle(FJob);
        throw std::runtime_error("cannot start " + path);
    }
    AssignProcessToJobObject(FJob, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    FHandle = process.hProcess;
    FId = static_cast<long>(process.dwProcessId);
}

TNamedProcess::~TNamedProcess() {
    TerminateProcess(FHandle, 1);
    WaitForSingleObject(FHandle, 10000);
    CloseHandle(FHandle);
    CloseHandle(FJob);
}

#endif

} // namespace testsupport
