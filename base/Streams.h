#pragma once

#include "base/SysUtils.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Where a seek offset counts from.
enum class TSeekOrigin { Beginning, Current, End };

/// A sequence of bytes with a position: files, memory.
class TStream {
public:
    virtual ~TStream() = default;

    /// Reads up to `count` bytes at the position; returns how many were read (0 at the end or on failure).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    /// Writes up to `count` bytes at the position; returns how many were written.
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    /// Moves the position; returns the new position, or -1 when the stream cannot move there.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    /// Number of bytes in the stream.
    virtual std::int64_t Size();

    std::int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::Beginning); }

    /// Reads exactly `count` bytes or raises EReadError.
    void ReadBuffer(void* buffer, std::int64_t count);
    /// Writes exactly `count` bytes or raises EWriteError.
    void WriteBuffer(const void* buffer, std::int64_t count);
    void WriteBuffer(std::string_view bytes) { WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }
};

/// A stream held in memory; writing past the end makes it grow.
class TMemoryStream : public TStream {
public:
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }

    /// Changes the size; the position stays unless it lies beyond the new end.
    void SetSize(std::int64_t size);
    void Clear();
    /// The whole content, whatever the position.
    std::string_view Bytes() const { return {FData.data(), FData.size()}; }

private:
    std::vector<char> FData;
    std::int64_t FPosition = 0;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

/// A file that could not be opened or created: the message, and its parts for callers that reword it.
class EFileStreamError : public EStreamError {
public:
    EFileStreamError(std::string_view format, std::string fullPath, std::string errorText);
    const std::string& FileName() const { return FFileName; }
    const std::string& ErrorText() const { return FErrorText; }

private:
    std::string FFileName;
    std::string FErrorText;
};

class EFCreateError : public EFileStreamError {
public:
    /// "Cannot create file "<fullPath>". <errorText>"
    EFCreateError(std::string fullPath, std::string errorText);
};

class EFOpenError : public EFileStreamError {
public:
    /// "Cannot open file "<fullPath>". <errorText>"
    EFOpenError(std::string fullPath, std::string errorText);
};

class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};
