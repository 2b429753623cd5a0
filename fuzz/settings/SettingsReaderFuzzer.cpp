// Any bytes, read as a settings document and as a document of the every-kind class. The first byte picks
// the reading options. Failures must be the serializer's or the conversions' exceptions; anything else,
// a crash, a hang or a read outside the buffer is a finding.

#include "EveryKind.h"
#include "base/Streams.h"
#include "settings/ModXMLSerializer.h"
#include "settings/uSettings.h"

#include <cstddef>
#include <cstdint>

namespace {

void Configure(TXMLSerializer& serializer, std::uint8_t options) {
    serializer.WrapCollections = (options & 1) == 0;
    serializer.StrongConformity = (options & 2) == 0;
    serializer.IgnoreUnknownTags = (options & 4) != 0;
    serializer.ReplaceReservedSymbols = (options & 8) != 0;
    serializer.GenerateFormattedXML = (options & 16) == 0;
}

template <class T> void ReadAndWriteBack(TXMLSerializer& serializer, T& object, TMemoryStream& input) {
    input.SetPosition(0);
    try {
        serializer.LoadObjectFromStream(object, input);
    } catch (const Exception&) {
        // Malformed documents are expected; the object keeps what was assigned.
    }
    TMemoryStream output;
    serializer.SaveObjectToStream(object, output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    TMemoryStream input;
    input.WriteBuffer(data + 1, static_cast<std::int64_t>(size - 1));

    TXMLSerializer serializer;
    Configure(serializer, data[0]);

    TSettings settings;
    ReadAndWriteBack(serializer, settings, input);

    TEveryKind everyKind;
    TPoint target;
    everyKind.Target = &target; // a second nested object, reached through a raw pointer
    ReadAndWriteBack(serializer, everyKind, input);
    return 0;
}
