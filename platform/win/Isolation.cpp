#include "platform/Isolation.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

// <windows.h> comes before every other Windows header.
#include <windows.h>

namespace platform {

std::optional<TMemoryFile> TMemoryFile::Make(std::string_view bytes) {
    // A temporary file stands in: a library opens it by name, and the destructor removes it.
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    if (error) {
        return std::nullopt;
    }
    const auto path = folder / ("vellicor-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter.fetch_add(1)) + ".chm");
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), std::streamsize(bytes.size()));
    stream.close();
    if (!stream) {
        std::filesystem::remove(path, error);
        return std::nullopt;
    }
    return TMemoryFile(0, path.string());
}

TMemoryFile::TMemoryFile(TMemoryFile&& other) noexcept : FHandle(other.FHandle), FPath(std::move(other.FPath)) {
    other.FHandle = -1;
}

TMemoryFile::~TMemoryFile() {
    if (FHandle >= 0) {
        std::error_code error;
        std::filesystem::remove(FPath, error);
    }
}

std::optional<std::string> RunIsolated(const std::function<std::optional<std::string>()>& work,
                                       std::chrono::milliseconds, std::size_t maxBytes) {
    auto out = work();
    if (!out || out->size() > maxBytes) {
        return std::nullopt;
    }
    return out;
}

} // namespace platform
