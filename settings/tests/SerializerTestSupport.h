#pragma once

// Small helpers shared by the serializer's tests.

#include "ThrownMessage.h"
#include "base/Streams.h"
#include "platform/TextConv.h"
#include "settings/ModXMLSerializer.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

namespace testsupport {

/// The document `serializer` writes for `object`.
inline std::string Write(TXMLSerializer& serializer, const TPersistent& object) {
    TMemoryStream stream;
    serializer.SaveObjectToStream(object, stream);
    return std::string(stream.Bytes());
}

/// Reads `document` into `object`.
inline void Read(TXMLSerializer& serializer, TPersistent& object, std::string_view document) {
    TMemoryStream stream;
    stream.WriteBuffer(document);
    stream.SetPosition(0);
    serializer.LoadObjectFromStream(object, stream);
}

/// The serializer's message shape.
inline std::string SerializerMessage(std::string_view text) {
    return "XMLSerializerException\r\n\r\n" + std::string(text);
}

/// Sets the program's decimal separator for the life of the object.
class TScopedDecimalSeparator {
public:
    explicit TScopedDecimalSeparator(char separator) : FOld(platform::DecimalSeparator()) {
        platform::SetDecimalSeparator(separator);
    }
    ~TScopedDecimalSeparator() { platform::SetDecimalSeparator(FOld); }
    TScopedDecimalSeparator(const TScopedDecimalSeparator&) = delete;
    TScopedDecimalSeparator& operator=(const TScopedDecimalSeparator&) = delete;

private:
    char FOld;
};

/// A stream that accepts `limit` bytes and then fails, as a full disk does.
class TFailingStream : public TStream {
public:
    TFailingStream(std::unique_ptr<TStream> target, std::int64_t limit) : FTarget(std::move(target)), FLimit(limit) {}

    TStream& Target() { return *FTarget; }
    std::int64_t Read(void* buffer, std::int64_t count) override { return FTarget->Read(buffer, count); }
    std::int64_t Write(const void* buffer, std::int64_t count) override {
        const std::int64_t accepted = std::min(count, FLimit - FWritten);
        const std::int64_t written = accepted > 0 ? FTarget->Write(buffer, accepted) : 0;
        FWritten += written;
        return written;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return FTarget->Seek(offset, origin); }

private:
    std::unique_ptr<TStream> FTarget;
    std::int64_t FLimit;
    std::int64_t FWritten = 0;
};

} // namespace testsupport
