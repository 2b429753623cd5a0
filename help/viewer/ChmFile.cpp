#include "help/viewer/ChmFile.h"

#include <chm_lib.h>

#include <cstring>
#include <vector>

namespace {

std::uint32_t ReadDword(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    }
    return value;
}

// A string stored with a terminating NUL within `length` bytes from `at`; cut at the end of the data.
std::string ReadZString(const std::string& bytes, std::size_t at, std::size_t length) {
    if (at >= bytes.size()) {
        return {};
    }
    length = std::min(length, bytes.size() - at);
    const std::string text = bytes.substr(at, length);
    return text.substr(0, text.find('\0'));
}

constexpr const char* kControlData = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr const char* kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";

// The first `size` bytes of a file kept uncompressed; none when it is missing or shorter.
std::optional<std::vector<unsigned char>> ReadUncompressed(chmFile* handle, const char* path, std::size_t size) {
    chmUnitInfo info{};
    if (chm_resolve_object(handle, path, &info) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes(size);
    if (info.space != CHM_UNCOMPRESSED || info.length < size ||
        chm_retrieve_object(handle, &info, bytes.data(), 0, LONGINT64(size)) != LONGINT64(size)) {
        return std::vector<unsigned char>{}; // there, but not as it should be
    }
    return bytes;
}

std::uint64_t LittleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + std::size_t(i)];
    }
    return value;
}

// chmlib trusts the compressed section's parameters further than it checks them: a block length that does
// not fit 32 bits sends its reads past its buffers, and a window LZX cannot have leaves it without a
// decompressor that it then uses. A file whose parameters are not those of LZX is damaged.
bool HasSoundCompression(chmFile* handle) {
    const auto control = ReadUncompressed(handle, kControlData, 0x18);
    const auto reset = ReadUncompressed(handle, kResetTable, 0x28);
    if (!control && !reset) {
        return true; // nothing compressed
    }
    if (!control || !reset || control->empty() || reset->empty()) {
        return false;
    }
    // As chmlib reads them: version 2 counts the window and the reset interval in units of 0x8000 bytes.
    std::uint32_t resetInterval = std::uint32_t(LittleEndian(*control, 0xC, 4));
    std::uint32_t windowSize = std::uint32_t(LittleEndian(*control, 0x10, 4));
    const std::uint32_t windowsPerReset = std::uint32_t(LittleEndian(*control, 0x14, 4));
    if (LittleEndian(*control, 8, 4) == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    }
    const bool lzxWindow = windowSize >= 0x8000 && windowSize <= 0x200000 && (windowSize & (windowSize - 1)) == 0;
    if (!lzxWindow || resetInterval == 0 || resetInterval % (windowSize / 2) != 0 ||
        resetInterval / (windowSize / 2) * windowsPerReset == 0) {
        return false;
    }
    const std::uint64_t blockLength = LittleEndian(*reset, 0x20, 8);
    return blockLength > 0 && blockLength <= 0x200000;
}

int CollectPath(chmFile*, chmUnitInfo* info, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(info->path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

std::unique_ptr<TChmFile> TChmFile::Open(const std::string& path) {
    chmFile* handle = chm_open(path.c_str());
    if (handle == nullptr) {
        return nullptr;
    }
    if (!HasSoundCompression(handle)) {
        chm_close(handle);
        return nullptr;
    }
    std::unique_ptr<TChmFile> file(new TChmFile(handle));
    file->ReadSystem();
    return file;
}

TChmFile::TChmFile(chmFile* handle) : FHandle(handle) {}

TChmFile::~TChmFile() {
    chm_close(FHandle);
}

std::string TChmFile::Absolute(const std::string& path) {
    return !path.empty() && path.front() == '/' ? path : "/" + path;
}

bool TChmFile::Exists(const std::string& path) const {
    chmUnitInfo info{};
    return chm_resolve_object(FHandle, Absolute(path).c_str(), &info) == CHM_RESOLVE_SUCCESS;
}

std::optional<std::string> TChmFile::Read(const std::string& path) const {
    chmUnitInfo info{};
    if (chm_resolve_object(FHandle, Absolute(path).c_str(), &info) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    if (info.length > 64u * 1024 * 1024) {
        return std::nullopt; // no page or picture of a help file is that large
    }
    std::string bytes(static_cast<std::size_t>(info.length), '\0');
    if (info.length == 0) {
        return bytes;
    }
    const LONGINT64 read = chm_retrieve_object(FHandle, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                               static_cast<LONGINT64>(info.length));
    if (read != static_cast<LONGINT64>(info.length)) {
        return std::nullopt;
    }
    return bytes;
}

std::vector<std::string> TChmFile::List() const {
    std::vector<std::string> paths;
    chm_enumerate(FHandle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectPath, &paths);
    return paths;
}

void TChmFile::ReadSystem() {
    // #SYSTEM: a version (4 bytes), then records of a code (2), a length (2) and the data.
    const std::optional<std::string> system = Read("/#SYSTEM");
    if (!system) {
        return;
    }
    const std::string& bytes = *system;
    std::size_t at = 4;
    while (at + 4 <= bytes.size()) {
        const unsigned code = static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
        const std::size_t length =
            static_cast<unsigned char>(bytes[at + 2]) | (static_cast<unsigned char>(bytes[at + 3]) << 8);
        at += 4;
        const std::string value = ReadZString(bytes, at, length);
        switch (code) {
        case 0:
            FContentsFile = value.empty() ? value : Absolute(value);
            break;
        case 1:
            FIndexFile = value.empty() ? value : Absolute(value);
            break;
        case 2:
            FDefaultTopic = value.empty() ? value : Absolute(value);
            break;
        case 3:
            FTitle = value;
            break;
        default:
            break;
        }
        at += length;
    }
}

std::optional<std::string> TChmFile::TopicOfContext(std::uint32_t context) const {
    // #IVB: the length of what follows (4 bytes), then pairs of a context number and an offset in #STRINGS.
    const std::optional<std::string> ivb = Read("/#IVB");
    const std::optional<std::string> strings = Read("/#STRINGS");
    if (!ivb || !strings || ivb->size() < 4) {
        return std::nullopt;
    }
    const std::size_t end = std::min<std::size_t>(ivb->size(), 4 + std::size_t(ReadDword(*ivb, 0)));
    for (std::size_t at = 4; at + 8 <= end; at += 8) {
        if (ReadDword(*ivb, at) == context) {
            const std::string topic = ReadZString(*strings, ReadDword(*ivb, at + 4), strings->size());
            if (topic.empty()) {
                return std::nullopt;
            }
            return Absolute(topic);
        }
    }
    return std::nullopt;
}
