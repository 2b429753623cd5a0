#include "skin/SkinPackage.h"

#include "skin/SkinErrors.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace {

// Bounds that no real theme comes near; they keep a damaged count from asking for absurd memory.
constexpr std::uint32_t MaxNameLength = 255;
constexpr std::uint32_t MaxEntries = 4096;

[[noreturn]] void Damaged(std::string_view what) {
    throw ESkinError(Format("The theme package is damaged: %s", {what}));
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void PutBytes(std::string& out, std::string_view bytes) {
    PutU32(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}

class TReader {
public:
    explicit TReader(std::string_view bytes) : FBytes(bytes) {}

    std::uint32_t U32(std::string_view what) {
        if (FBytes.size() < 4) {
            Damaged(Format("it ends inside %s", {what}));
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(FBytes[i])) << (8 * i);
        }
        FBytes.remove_prefix(4);
        return value;
    }

    std::string Bytes(std::string_view what, std::uint32_t maxLength) {
        const std::uint32_t length = U32(what);
        if (length > maxLength) {
            Damaged(Format("%s is too long", {what}));
        }
        if (FBytes.size() < length) {
            Damaged(Format("it ends inside %s", {what}));
        }
        std::string value(FBytes.substr(0, length));
        FBytes.remove_prefix(length);
        return value;
    }

    std::uint32_t Count(std::string_view what) {
        const std::uint32_t count = U32(what);
        if (count > MaxEntries) {
            Damaged(Format("it claims too many %s", {what}));
        }
        return count;
    }

    bool AtEnd() const { return FBytes.empty(); }

private:
    std::string_view FBytes;
};

} // namespace

std::string WriteSkinPackage(const TSkinPackage& package) {
    std::string out;
    PutU32(out, package.Version);
    PutU32(out, static_cast<std::uint32_t>(package.Pictures.size()));
    for (const TSkinPicture& picture : package.Pictures) {
        PutBytes(out, picture.Name);
        PutBytes(out, picture.Data);
    }
    PutU32(out, static_cast<std::uint32_t>(package.ObjectNames.size()));
    for (const std::string& name : package.ObjectNames) {
        PutBytes(out, name);
    }
    PutBytes(out, package.Ini);
    return out;
}

TSkinPackage ReadSkinPackage(std::string_view bytes) {
    TReader reader(bytes);
    TSkinPackage package;
    package.Version = reader.U32("the version number");
    if (package.Version != TSkinPackage::CurrentVersion) {
        throw ESkinError(Format("The theme package has version %s; this program reads version %s",
                                {std::to_string(package.Version), std::to_string(TSkinPackage::CurrentVersion)}));
    }
    const std::uint32_t pictures = reader.Count("pictures");
    for (std::uint32_t i = 0; i < pictures; ++i) {
        TSkinPicture picture;
        picture.Name = reader.Bytes("a picture name", MaxNameLength);
        picture.Data = reader.Bytes("a picture", UINT32_MAX);
        package.Pictures.push_back(std::move(picture));
    }
    const std::uint32_t objects = reader.Count("skin objects");
    for (std::uint32_t i = 0; i < objects; ++i) {
        package.ObjectNames.push_back(reader.Bytes("a skin object name", MaxNameLength));
    }
    package.Ini = reader.Bytes("the description", UINT32_MAX);
    if (!reader.AtEnd()) {
        Damaged("other bytes follow its description");
    }
    return package;
}

std::string DeflateSkinData(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    const int result =
        compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
    if (result != Z_OK) {
        throw ESkinError("The theme package could not be compressed");
    }
    out.resize(size);
    return out;
}

std::string InflateSkinData(std::string_view compressed, std::size_t limit) {
    if (compressed.empty()) {
        Damaged("it holds no compressed data");
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        throw ESkinError("The theme package could not be inflated");
    }
    struct TEnd {
        z_stream* Stream;
        ~TEnd() { inflateEnd(Stream); }
    } end{&stream};

    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::string out;
    // Themes inflate to a few times their compressed size; start there and grow.
    out.resize(std::min(limit, std::max<std::size_t>(compressed.size() * 4, 4096)));
    std::size_t produced = 0;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() >= limit) {
                Damaged("it inflates beyond any theme's size");
            }
            out.resize(std::min(limit, out.size() * 2));
        }
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        stream.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - produced, UINT_MAX));
        const uInt before = stream.avail_out;
        const int result = inflate(&stream, Z_NO_FLUSH);
        produced += before - stream.avail_out;
        if (result == Z_STREAM_END) {
            break;
        }
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            Damaged("its compressed data ends early");
        }
        if (result != Z_OK && result != Z_BUF_ERROR) {
            Damaged(stream.msg != nullptr ? stream.msg : "its compressed data cannot be inflated");
        }
    }
    if (stream.avail_in != 0) {
        Damaged("other bytes follow its compressed data");
    }
    out.resize(produced);
    return out;
}
