#include "base/Streams.h"

#include <algorithm>
#include <cstring>

std::int64_t TStream::Size() {
    const std::int64_t position = Seek(0, TSeekOrigin::Current);
    const std::int64_t size = Seek(0, TSeekOrigin::End);
    Seek(position, TSeekOrigin::Beginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    if (count > 0 && Read(buffer, count) != count) {
        throw EReadError();
    }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count > 0 && Write(buffer, count) != count) {
        throw EWriteError();
    }
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const auto size = static_cast<std::int64_t>(FData.size());
    if (count <= 0 || FPosition >= size) {
        return 0;
    }
    const std::int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    const std::int64_t end = FPosition + count;
    if (end > static_cast<std::int64_t>(FData.size())) {
        FData.resize(static_cast<std::size_t>(end));
    }
    std::memcpy(FData.data() + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::Beginning:
        base = 0;
        break;
    case TSeekOrigin::Current:
        base = FPosition;
        break;
    case TSeekOrigin::End:
        base = static_cast<std::int64_t>(FData.size());
        break;
    }
    if (base + offset < 0) {
        return -1;
    }
    FPosition = base + offset;
    return FPosition;
}

void TMemoryStream::SetSize(std::int64_t size) {
    FData.resize(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    FPosition = std::min(FPosition, static_cast<std::int64_t>(FData.size()));
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

EFileStreamError::EFileStreamError(std::string_view format, std::string fullPath, std::string errorText)
    : EStreamError(Format(format, {fullPath, errorText})), FFileName(std::move(fullPath)),
      FErrorText(std::move(errorText)) {}

EFCreateError::EFCreateError(std::string fullPath, std::string errorText)
    : EFileStreamError("Cannot create file \"%s\". %s", std::move(fullPath), std::move(errorText)) {}

EFOpenError::EFOpenError(std::string fullPath, std::string errorText)
    : EFileStreamError("Cannot open file \"%s\". %s", std::move(fullPath), std::move(errorText)) {}
