#include "NamedProcess.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <windows.h>

namespace testsupport {

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

} // namespace testsupport
