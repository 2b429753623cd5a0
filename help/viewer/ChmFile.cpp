#include "help/viewer/ChmFile.h"

#include "platform/Isolation.h"

#include <chm_lib.h>

#include <algorithm>
#include <chrono>
#include <fstream>
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

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return text;
}

// No help file comes near this; a larger one is not read into memory.
constexpr std::uint64_t kMaxFileSize = 64u << 20;
// How long chmlib may take to read a whole help file before the file counts as damaged.
constexpr std::chrono::seconds kReadTimeout{20};

// What chmlib reads and trusts, laid out as it expects it.
constexpr std::size_t kItsfLength = 0x60; // chmlib always reads this much, version 2 or 3
constexpr std::size_t kItspLength = 0x54;
constexpr std::size_t kListingHeader = 0x14; // PMGL
constexpr std::size_t kIndexHeader = 0x08;   // PMGI
constexpr std::uint64_t kMaxPath = CHM_MAX_PATHLEN;
// chmlib reads a compressed block into a buffer this much larger than the block.
constexpr std::uint64_t kCompressedSlack = 6144;

constexpr const char* kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr const char* kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr const char* kControlData = "::DataSpace/Storage/MSCompressed/ControlData";

std::uint64_t Little(std::string_view bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    }
    return value;
}

std::int32_t LittleInt32(std::string_view bytes, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Little(bytes, at, 4)));
}

// strcasecmp as chmlib uses it to find names, on names without NULs.
int CompareNoCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u - 'A' + 'a' : u;
    };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return lower(a[i]) < lower(b[i]) ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// A number in the directory's variable-length form, as chmlib reads it; false when it runs off `region`.
bool ReadEncoded(std::string_view region, std::size_t& at, std::uint64_t& value) {
    std::uint64_t accumulated = 0;
    while (at < region.size()) {
        const auto byte = static_cast<unsigned char>(region[at++]);
        if (byte < 0x80) {
            value = (accumulated << 7) + byte;
            return true;
        }
        accumulated = (accumulated << 7) + (byte & 0x7F);
    }
    return false;
}

// A name of the directory: its length, then its bytes; chmlib copies it into a buffer of kMaxPath + 1 and
// takes it as a C string, so it must fit, hold no NUL and, in a listing, not be empty.
bool ReadName(std::string_view region, std::size_t& at, bool mayBeEmpty, std::string& name) {
    std::uint64_t length = 0;
    if (!ReadEncoded(region, at, length) || length > kMaxPath || length > region.size() - at ||
        (length == 0 && !mayBeEmpty)) {
        return false;
    }
    name = std::string(region.substr(at, std::size_t(length)));
    at += std::size_t(length);
    return name.find('\0') == std::string::npos;
}

struct TEntry {
    std::string Name;
    std::uint64_t Space = 0;
    std::uint64_t Start = 0;
    std::uint64_t Length = 0;
};

struct TChunk {
    bool Listing = false; // PMGL; otherwise PMGI
    std::vector<TEntry> Entries;
    std::int32_t Next = -1;
    std::vector<std::pair<std::string, std::uint64_t>> Children; // PMGI: a name and the chunk from it on
};

// One directory chunk; false when chmlib would read past it or take it for something else.
bool ReadChunk(std::string_view chunk, std::uint64_t chunkCount, TChunk& out) {
    const bool listing = chunk.substr(0, 4) == "PMGL";
    if (!listing && chunk.substr(0, 4) != "PMGI") {
        return false;
    }
    const std::size_t header = listing ? kListingHeader : kIndexHeader;
    const std::uint64_t freeSpace = Little(chunk, 4, 4);
    if (freeSpace > chunk.size() - header) {
        return false;
    }
    out.Listing = listing;
    // The entries fill the chunk up to its free space exactly: chmlib reads on until it reaches that point.
    const std::string_view region = chunk.substr(0, chunk.size() - std::size_t(freeSpace));
    std::size_t at = header;
    while (at < region.size()) {
        if (listing) {
            TEntry entry;
            if (!ReadName(region, at, false, entry.Name) || !ReadEncoded(region, at, entry.Space) ||
                !ReadEncoded(region, at, entry.Start) || !ReadEncoded(region, at, entry.Length) ||
                entry.Space > CHM_COMPRESSED) {
                return false;
            }
            out.Entries.push_back(std::move(entry));
        } else {
            std::string name;
            std::uint64_t child = 0;
            if (!ReadName(region, at, true, name) || !ReadEncoded(region, at, child) || child >= chunkCount) {
                return false;
            }
            out.Children.emplace_back(std::move(name), child);
        }
    }
    if (listing) {
        out.Next = LittleInt32(chunk, 0x10);
        if (out.Next != -1 && (out.Next < 0 || std::uint64_t(out.Next) >= chunkCount)) {
            return false;
        }
    }
    return true;
}

// The directory entry chmlib finds for `path`, walking the index from `root` as it does.
std::optional<TEntry> Resolve(const std::vector<TChunk>& chunks, std::int64_t root, std::string_view path) {
    std::int64_t page = root;
    for (std::size_t steps = 0; page != -1 && steps <= chunks.size(); ++steps) {
        const TChunk& chunk = chunks[std::size_t(page)];
        if (chunk.Listing) {
            for (const TEntry& entry : chunk.Entries) {
                if (CompareNoCase(entry.Name, path) == 0) {
                    return entry;
                }
            }
            return std::nullopt;
        }
        std::int64_t next = -1;
        for (const auto& [name, child] : chunk.Children) {
            if (CompareNoCase(name, path) > 0) {
                break;
            }
            next = std::int64_t(child);
        }
        page = next;
    }
    return std::nullopt;
}

// Whether the index chunks reached from `root` lead back to one on the way: chmlib would look up a name
// there for ever.
bool IndexHasCycle(const std::vector<TChunk>& chunks, std::size_t root) {
    enum : char { Unseen, Open, Done };
    std::vector<char> state(chunks.size(), Unseen);
    std::vector<std::pair<std::size_t, std::size_t>> stack{{root, 0}}; // chunk, next child to follow
    state[root] = Open;
    while (!stack.empty()) {
        auto& [page, next] = stack.back();
        const TChunk& chunk = chunks[page];
        if (chunk.Listing || next == chunk.Children.size()) {
            state[page] = Done;
            stack.pop_back();
            continue;
        }
        const auto child = std::size_t(chunk.Children[next++].second);
        if (state[child] == Open) {
            return true;
        }
        if (state[child] == Unseen) {
            state[child] = Open;
            stack.emplace_back(child, 0);
        }
    }
    return false;
}

// The compressed section as chmlib sets it up: its parameters must be those of LZX, and every block of the
// reset table must lie inside the section and fit chmlib's buffer. Returns the section's uncompressed
// length, 0 when chmlib would leave compression off, none when the file is damaged.
std::optional<std::uint64_t> CheckCompression(std::string_view file, std::uint64_t dataOffset,
                                              const std::vector<TChunk>& chunks, std::int64_t root) {
    const auto reset = Resolve(chunks, root, kResetTable);
    const auto content = Resolve(chunks, root, kContent);
    const auto control = Resolve(chunks, root, kControlData);
    if (!reset || !content || !control || reset->Space != CHM_UNCOMPRESSED || content->Space != CHM_UNCOMPRESSED ||
        control->Space != CHM_UNCOMPRESSED) {
        return 0; // chmlib reads nothing compressed
    }
    // Uncompressed entries lie inside the file: checked with the directory.
    const std::string_view table = file.substr(std::size_t(dataOffset + reset->Start), std::size_t(reset->Length));
    const std::string_view lzxc = file.substr(std::size_t(dataOffset + control->Start), std::size_t(control->Length));
    // chmlib goes on with the control data's fields even when it could not read them, and divides by them.
    if (table.size() < 0x28 || Little(table, 0, 4) != 2 || lzxc.size() < 0x18 || lzxc.size() > 256 ||
        lzxc.substr(4, 4) != "LZXC") {
        return std::nullopt;
    }
    std::uint32_t resetInterval = std::uint32_t(Little(lzxc, 0xC, 4));
    std::uint32_t windowSize = std::uint32_t(Little(lzxc, 0x10, 4));
    const std::uint32_t windowsPerReset = std::uint32_t(Little(lzxc, 0x14, 4));
    // As chmlib reads them: version 2 counts the window and the reset interval in units of 0x8000 bytes.
    if (Little(lzxc, 8, 4) == 2) {
        resetInterval *= 0x8000;
        windowSize *= 0x8000;
    }
    // A window LZX cannot have leaves chmlib without a decompressor that it then uses; a reset every 0 blocks
    // divides by zero.
    const bool lzxWindow = windowSize >= 0x8000 && windowSize <= 0x200000 && (windowSize & (windowSize - 1)) == 0;
    if (!lzxWindow || resetInterval == 0 || resetInterval % (windowSize / 2) != 0 ||
        resetInterval / (windowSize / 2) * windowsPerReset == 0) {
        return std::nullopt;
    }
    const std::uint64_t blockCount = Little(table, 4, 4);
    const std::uint64_t tableOffset = Little(table, 0xC, 4);
    const std::uint64_t uncompressedLength = Little(table, 0x10, 8);
    const std::uint64_t compressedLength = Little(table, 0x18, 8);
    const std::uint64_t blockLength = Little(table, 0x20, 8);
    // A block is decoded from the end of the window: a block longer than the window reads before it.
    if (blockLength == 0 || blockLength > windowSize || uncompressedLength > kMaxFileSize ||
        tableOffset > table.size() || blockCount > (table.size() - tableOffset) / 8 ||
        blockCount * blockLength < uncompressedLength || compressedLength > content->Length) {
        return std::nullopt;
    }
    // Each block runs from its start to the next one's, the last one to the compressed length.
    for (std::uint64_t block = 0; block < blockCount; ++block) {
        const std::uint64_t start = Little(table, std::size_t(tableOffset + block * 8), 8);
        const std::uint64_t end =
            block + 1 < blockCount ? Little(table, std::size_t(tableOffset + block * 8 + 8), 8) : compressedLength;
        if (start > end || end > compressedLength || end - start > blockLength + kCompressedSlack) {
            return std::nullopt;
        }
    }
    return uncompressedLength;
}

struct TLayout {
    std::vector<TEntry> Files;       // the files to read, in the directory's order
    std::vector<std::string> Listed; // the ordinary ones among them, as the file lists them
};

// Checks everything of the file that chmlib trusts; none when it would lead chmlib astray.
std::optional<TLayout> CheckStructure(std::string_view file) {
    if (file.size() < kItsfLength || file.size() > kMaxFileSize || file.substr(0, 4) != "ITSF") {
        return std::nullopt;
    }
    const std::int32_t version = LittleInt32(file, 4);
    const std::int32_t headerLength = LittleInt32(file, 8);
    const std::uint64_t directoryOffset = Little(file, 0x48, 8);
    const std::uint64_t directoryLength = Little(file, 0x50, 8);
    if (!(version == 2 && headerLength >= 0x58) && !(version == 3 && headerLength >= 0x60)) {
        return std::nullopt;
    }
    if (directoryOffset > file.size() || directoryLength > file.size() - directoryOffset ||
        directoryLength < kItspLength) {
        return std::nullopt;
    }
    const std::uint64_t dataOffset = version == 3 ? Little(file, 0x58, 8) : directoryOffset + directoryLength;
    if (dataOffset > file.size()) {
        return std::nullopt;
    }
    const std::string_view directory = file.substr(std::size_t(directoryOffset), std::size_t(directoryLength));
    if (directory.substr(0, 4) != "ITSP" || LittleInt32(directory, 4) != 1 ||
        LittleInt32(directory, 8) != std::int32_t(kItspLength)) {
        return std::nullopt;
    }
    // The chunks follow the header to the end of the directory.
    const std::uint64_t chunkLength = Little(directory, 0x10, 4);
    if (chunkLength < 0x20 || chunkLength > 0x10000) {
        return std::nullopt;
    }
    const std::uint64_t chunkCount = (directoryLength - kItspLength) / chunkLength;
    const std::int32_t indexRoot = LittleInt32(directory, 0x1C);
    const std::int32_t firstListing = LittleInt32(directory, 0x20);
    // Without index chunks chmlib looks names up from the first listing chunk.
    const std::int64_t root = indexRoot <= -1 ? firstListing : indexRoot;
    if (firstListing < 0 || std::uint64_t(firstListing) >= chunkCount || root < 0 ||
        std::uint64_t(root) >= chunkCount) {
        return std::nullopt;
    }
    std::vector<TChunk> chunks(static_cast<std::size_t>(chunkCount));
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (!ReadChunk(directory.substr(kItspLength + i * chunkLength, std::size_t(chunkLength)), chunkCount,
                       chunks[i])) {
            return std::nullopt;
        }
    }
    if (IndexHasCycle(chunks, std::size_t(root))) {
        return std::nullopt;
    }
    // Every entry lies inside its section: the file after the data offset, or the compressed section.
    const auto inside = [](const TEntry& entry, std::uint64_t section) {
        return entry.Start <= section && entry.Length <= section - entry.Start;
    };
    for (const TChunk& chunk : chunks) {
        for (const TEntry& entry : chunk.Entries) {
            if (entry.Space == CHM_UNCOMPRESSED && !inside(entry, file.size() - dataOffset)) {
                return std::nullopt;
            }
        }
    }
    const auto uncompressed = CheckCompression(file, dataOffset, chunks, root);
    if (!uncompressed) {
        return std::nullopt;
    }
    for (const TChunk& chunk : chunks) {
        for (const TEntry& entry : chunk.Entries) {
            if (entry.Space == CHM_COMPRESSED && !inside(entry, *uncompressed)) {
                return std::nullopt;
            }
        }
    }
    // chmlib lists the files by following the listing chunks from the first one.
    TLayout layout;
    std::vector<bool> seen(chunks.size(), false);
    for (std::int64_t page = firstListing; page != -1; page = chunks[std::size_t(page)].Next) {
        if (seen[std::size_t(page)] || !chunks[std::size_t(page)].Listing) {
            return std::nullopt;
        }
        seen[std::size_t(page)] = true;
        for (const TEntry& entry : chunks[std::size_t(page)].Entries) {
            if (entry.Name.back() == '/' || entry.Name.front() != '/') {
                continue; // folders, and the file's own records ("::DataSpace/...")
            }
            layout.Files.push_back(entry);
            if (entry.Name.size() < 2 || (entry.Name[1] != '#' && entry.Name[1] != '$')) {
                layout.Listed.push_back(entry.Name);
            }
        }
    }
    return layout;
}

// Reads every file of `layout` with chmlib from the help file at `path`: each file's bytes, or none for
// one chmlib could not read in full. None at all when chmlib cannot open the file.
std::optional<std::vector<std::optional<std::string>>> ReadWithChmlib(const std::string& path, const TLayout& layout) {
    chmFile* handle = chm_open(path.c_str());
    if (handle == nullptr) {
        return std::nullopt;
    }
    std::vector<std::optional<std::string>> contents;
    for (const TEntry& entry : layout.Files) {
        chmUnitInfo info{};
        info.start = entry.Start;
        info.length = entry.Length;
        info.space = int(entry.Space);
        std::string bytes(std::size_t(entry.Length), '\0');
        if (!bytes.empty() && chm_retrieve_object(handle, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                                                  LONGINT64(bytes.size())) != LONGINT64(bytes.size())) {
            contents.emplace_back();
        } else {
            contents.emplace_back(std::move(bytes));
        }
    }
    chm_close(handle);
    return contents;
}

void PutU64(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out += char((value >> (8 * i)) & 0xFF);
    }
}

// ReadWithChmlib in a child process, so that a file that crashes chmlib or sends it into an endless loop
// costs only the child. None when the child fails in any way.
std::optional<std::vector<std::optional<std::string>>> ReadIsolated(const std::string& path, const TLayout& layout) {
    const auto result = platform::RunIsolated(
        [&]() -> std::optional<std::string> {
            const auto contents = ReadWithChmlib(path, layout);
            if (!contents) {
                return std::nullopt;
            }
            std::string out;
            for (const auto& bytes : *contents) {
                out += bytes ? '\1' : '\0';
                PutU64(out, bytes ? bytes->size() : 0);
                if (bytes) {
                    out += *bytes;
                }
            }
            return out;
        },
        kReadTimeout, 2 * kMaxFileSize + 9 * layout.Files.size()); // more than the files can hold
    if (!result) {
        return std::nullopt;
    }
    const std::string& received = *result;
    std::vector<std::optional<std::string>> contents;
    std::size_t at = 0;
    for (const TEntry& entry : layout.Files) {
        if (received.size() - at < 9) {
            return std::nullopt;
        }
        const bool read = received[at] == '\1';
        const std::uint64_t length = Little(received, at + 1, 8);
        at += 9;
        if (!read) {
            contents.emplace_back();
            continue;
        }
        if (length != entry.Length || length > received.size() - at) {
            return std::nullopt;
        }
        contents.emplace_back(received.substr(at, std::size_t(length)));
        at += std::size_t(length);
    }
    if (at != received.size()) {
        return std::nullopt;
    }
    return contents;
}

} // namespace

std::unique_ptr<TChmFile> TChmFile::Open(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        return nullptr;
    }
    std::string bytes;
    char buffer[65536];
    while (stream.read(buffer, sizeof buffer) || stream.gcount() > 0) {
        bytes.append(buffer, std::size_t(stream.gcount()));
        if (bytes.size() > kMaxFileSize) {
            return nullptr;
        }
    }
    return Load(bytes, true);
}

std::unique_ptr<TChmFile> TChmFile::OpenInProcess(std::string_view bytes) {
    return Load(bytes, false);
}

std::unique_ptr<TChmFile> TChmFile::Load(std::string_view bytes, bool isolated) {
    const auto layout = CheckStructure(bytes);
    if (!layout) {
        return nullptr;
    }
    // chmlib reads the very bytes that were checked, not the file, which may have changed since.
    const auto memory = platform::TMemoryFile::Make(bytes);
    if (!memory) {
        return nullptr;
    }
    const auto contents = isolated ? ReadIsolated(memory->Path(), *layout) : ReadWithChmlib(memory->Path(), *layout);
    if (!contents) {
        return nullptr;
    }
    std::unique_ptr<TChmFile> file(new TChmFile());
    for (std::size_t i = 0; i < layout->Files.size(); ++i) {
        file->FFiles.emplace(LowerAscii(layout->Files[i].Name), (*contents)[i]);
    }
    file->FList = layout->Listed;
    file->ReadSystem();
    return file;
}

std::string TChmFile::Absolute(const std::string& path) {
    return !path.empty() && path.front() == '/' ? path : "/" + path;
}

const std::optional<std::string>* TChmFile::Find(const std::string& path) const {
    const auto it = FFiles.find(LowerAscii(Absolute(path)));
    return it == FFiles.end() ? nullptr : &it->second;
}

bool TChmFile::Exists(const std::string& path) const {
    return Find(path) != nullptr;
}

std::optional<std::string> TChmFile::Read(const std::string& path) const {
    const std::optional<std::string>* bytes = Find(path);
    return bytes == nullptr ? std::nullopt : *bytes;
}

std::vector<std::string> TChmFile::List() const {
    return FList;
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
