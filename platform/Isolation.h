#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Bytes held by the system as a file that a library which only takes a file name can open, for as long
/// as this object lives. Linux: an anonymous memory file, reached through /proc/self/fd.
class TMemoryFile {
public:
    /// None when the system cannot hold the bytes.
    static std::optional<TMemoryFile> Make(std::string_view bytes);

    TMemoryFile(TMemoryFile&& other) noexcept;
    TMemoryFile& operator=(TMemoryFile&&) = delete;
    TMemoryFile(const TMemoryFile&) = delete;
    ~TMemoryFile();

    const std::string& Path() const { return FPath; }

private:
    TMemoryFile(long long handle, std::string path) : FHandle(handle), FPath(std::move(path)) {}

    long long FHandle = -1;
    std::string FPath;
};

/// Runs `work` where a crash or an endless loop in it costs only itself (Linux: a child process) and
/// returns what it returned. None when `work` returns none, fails in any way, is still running after
/// `timeout`, or returns more than `maxBytes`. Windows, where the help's reader does not run, calls it
/// in the process.
std::optional<std::string> RunIsolated(const std::function<std::optional<std::string>()>& work,
                                       std::chrono::milliseconds timeout, std::size_t maxBytes);

} // namespace platform
