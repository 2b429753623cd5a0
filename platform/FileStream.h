#pragma once

#include "base/Streams.h"

#include <cstdint>
#include <string>

/// Open modes of TFileStream: one access mode combined with one sharing mode, or fmCreate.
enum : std::uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyNone = 0x0040,
    /// Creates the file, or empties an existing one, for reading and writing.
    fmCreate = 0xFF00,
};

/// A file opened as a stream. Opening fails with EFOpenError, creating with EFCreateError, each naming
/// the file's full path and the system's text for the error. Sharing modes take effect on Windows;
/// Linux has no mandatory sharing and ignores them.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, std::uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;

    /// Writes what the system still holds for the file to the disk; false on failure.
    bool FlushToDisk();
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    std::intptr_t FHandle;
};
