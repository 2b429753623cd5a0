#include "platform/Files.h"
#include "platform/FileStream.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace platform {

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDir(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

std::string ExpandFileName(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

int LastOSError() {
    return static_cast<int>(GetLastError());
}

std::string SysErrorMessage(int code) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result(text != nullptr ? text : "", length);
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (static_cast<unsigned char>(result.back()) <= ' ' || result.back() == '.')) {
        result.pop_back();
    }
    return result;
}

} // namespace platform

namespace {

DWORD ShareMode(std::uint16_t mode) {
    switch (mode & 0x00F0) {
    case fmShareExclusive:
        return 0;
    case fmShareDenyWrite:
        return FILE_SHARE_READ;
    case fmShareDenyNone:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return FILE_SHARE_READ | FILE_SHARE_WRITE; // no sharing mode given: others may do anything
    }
}

DWORD Access(std::uint16_t mode) {
    switch (mode & 0x0003) {
    case fmOpenWrite:
        return GENERIC_WRITE;
    case fmOpenReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode)
    : FFileName(fileName), FHandle(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {
    const bool create = (mode & 0xFF00) == fmCreate;
    // Created files are exclusive unless a sharing mode is combined with fmCreate.
    const HANDLE handle =
        create ? CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, (mode & 0x00F0) != 0 ? ShareMode(mode) : 0,
                             nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
               : CreateFileA(fileName.c_str(), Access(mode), ShareMode(mode), nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const int error = platform::LastOSError();
        const std::string fullPath = platform::ExpandFileName(fileName);
        if (create) {
            throw EFCreateError(fullPath, platform::SysErrorMessage(error));
        }
        throw EFOpenError(fullPath, platform::SysErrorMessage(error));
    }
    FHandle = reinterpret_cast<std::intptr_t>(handle);
}

TFileStream::~TFileStream() {
    const HANDLE handle = reinterpret_cast<HANDLE>(FHandle);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
    }
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
        DWORD n = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(FHandle), out + done, chunk, &n, nullptr) || n == 0) {
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::int64_t>(count - done, 1 << 30));
        DWORD n = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(FHandle), in + done, chunk, &n, nullptr) || n == 0) {
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const DWORD method = origin == TSeekOrigin::Beginning ? FILE_BEGIN
                         : origin == TSeekOrigin::Current ? FILE_CURRENT
                                                          : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(FHandle), distance, &position, method)) {
        return -1;
    }
    return position.QuadPart;
}

bool TFileStream::FlushToDisk() {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(FHandle)) != FALSE;
}
