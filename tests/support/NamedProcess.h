#pragma once

#include "TempDir.h"

#include <filesystem>
#include <string>

namespace testsupport {

/// A running process whose executable file name is exactly `name` (such as "OUTLOOK.EXE"): a copy of a
/// small program of ours that waits until it is killed, started from a temporary folder. It is killed when
/// the object goes, and also dies with the test program. Throws std::runtime_error when it cannot start.
class TNamedProcess {
public:
    explicit TNamedProcess(const std::string& name);
    ~TNamedProcess();
    TNamedProcess(const TNamedProcess&) = delete;
    TNamedProcess& operator=(const TNamedProcess&) = delete;

    /// The process id.
    long Id() const { return FId; }

private:
    TTempDir FFolder;
    long FId = 0;
    void* FHandle = nullptr; // Windows: the process handle
    void* FJob = nullptr;    // Windows: the job that ends the process with the test program
};

/// A copy of the program TNamedProcess runs, named `name`, in `folder`; each system's TNamedProcess starts it.
std::filesystem::path CopyOfSleeper(const std::filesystem::path& folder, const std::string& name);

} // namespace testsupport
