#include "platform/Files.h"
#include "platform/FileStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateDir(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

std::string ExpandFileName(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code ec;
    const auto full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

int LastOSError() {
    return errno;
}

std::string SysErrorMessage(int code) {
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which may or may not live in the buffer.
    std::string text = ::strerror_r(code, buffer, sizeof buffer);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

} // namespace platform

namespace {

int OpenFlags(std::uint16_t mode) {
    if ((mode & 0xFF00) == fmCreate) {
        return O_RDWR | O_CREAT | O_TRUNC;
    }
    switch (mode & 0x0003) {
    case fmOpenWrite:
        return O_WRONLY;
    case fmOpenReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode) : FFileName(fileName), FHandle(-1) {
    const bool create = (mode & 0xFF00) == fmCreate;
    int fd = ::open(fileName.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        // A directory opens for reading on Linux; as a file it is an error, as it is on Windows.
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(fd);
            fd = -1;
            error = EISDIR;
        }
    }
    if (fd < 0) {
        const std::string fullPath = platform::ExpandFileName(fileName);
        if (create) {
            throw EFCreateError(fullPath, platform::SysErrorMessage(error));
        }
        throw EFOpenError(fullPath, platform::SysErrorMessage(error));
    }
    FHandle = fd;
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) {
        ::close(static_cast<int>(FHandle));
    }
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(FHandle), out + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
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
        const ssize_t n = ::write(static_cast<int>(FHandle), in + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::Beginning ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    return ::lseek(static_cast<int>(FHandle), static_cast<off_t>(offset), whence);
}

bool TFileStream::FlushToDisk() {
    return ::fsync(static_cast<int>(FHandle)) == 0;
}
