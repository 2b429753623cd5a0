// Writes a compiled help file's context map again, the way HTML Help reads it.
//
// chmcmd 3.2.2 stores the topic of each [ALIAS] entry in #STRINGS as the absolute path of the source file on
// the build machine, so HTML Help (and any reader) finds no topic for a context number. This tool builds
// #IVB (context number -> offset in #STRINGS) and #STRINGS (topic paths inside the file) anew from the
// project's [MAP] and [ALIAS] sections, appends both to the file's uncompressed section and points their
// directory entries at them. The old, compressed copies stay in the file, unused.
//
// Usage: ChmContextFix <project.hhp> <compiled.chm> <output.chm>
//
// Before it changes a directory chunk, the tool writes every listing chunk again from what it read and
// insists on getting the same bytes, so a file laid out differently from what it understands is refused.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

TBytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Fail("cannot read " + path);
    }
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        Fail("cannot write " + path);
    }
}

std::uint64_t ReadLE(const TBytes& bytes, std::size_t at, int size) {
    if (at + std::size_t(size) > bytes.size()) {
        Fail("the file is cut short");
    }
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[at + std::size_t(i)];
    }
    return value;
}

void WriteLE(TBytes& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
    }
}

void AppendLE(TBytes& bytes, std::uint64_t value, int size) {
    bytes.resize(bytes.size() + std::size_t(size));
    WriteLE(bytes, bytes.size() - std::size_t(size), value, size);
}

// The directory's variable-length integers: 7 bits a byte, most significant first, high bit = more follow.
std::uint64_t ReadEncInt(const TBytes& bytes, std::size_t& at, std::size_t end) {
    std::uint64_t value = 0;
    for (int i = 0; i < 10; ++i) {
        if (at >= end) {
            Fail("a directory entry runs past its chunk");
        }
        const std::uint8_t byte = bytes[at++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
    Fail("a directory number is too long");
}

void AppendEncInt(TBytes& bytes, std::uint64_t value) {
    std::uint8_t groups[10];
    int count = 0;
    do {
        groups[count++] = std::uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 0) {
        --count;
        bytes.push_back(std::uint8_t(groups[count] | (count > 0 ? 0x80 : 0)));
    }
}

struct TEntry {
    std::string Name;
    std::uint64_t Section = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
};

struct TChunk {
    std::uint32_t Previous = 0;
    std::uint32_t Next = 0;
    std::vector<TEntry> Entries;
};

constexpr std::size_t kChunkHeader = 0x14;

TChunk ParseListingChunk(const TBytes& chunk) {
    TChunk result;
    const std::size_t freeSpace = ReadLE(chunk, 4, 4);
    if (freeSpace > chunk.size() - kChunkHeader) {
        Fail("a directory chunk has a bad free-space length");
    }
    result.Previous = std::uint32_t(ReadLE(chunk, 0xC, 4));
    result.Next = std::uint32_t(ReadLE(chunk, 0x10, 4));
    const std::size_t end = chunk.size() - freeSpace;
    std::size_t at = kChunkHeader;
    while (at < end) {
        TEntry entry;
        const std::uint64_t nameLength = ReadEncInt(chunk, at, end);
        if (nameLength > end - at) {
            Fail("a directory name runs past its chunk");
        }
        entry.Name.assign(reinterpret_cast<const char*>(chunk.data() + at), nameLength);
        at += nameLength;
        entry.Section = ReadEncInt(chunk, at, end);
        entry.Offset = ReadEncInt(chunk, at, end);
        entry.Length = ReadEncInt(chunk, at, end);
        result.Entries.push_back(entry);
    }
    return result;
}

// A listing chunk: header, entries, free space, and at its very end the quick-reference area read backwards:
// the number of entries, then the offset (from the end of the header) of every n-th entry, n = 1 + 2^density.
TBytes WriteListingChunk(const TChunk& chunk, std::size_t size, std::uint32_t density) {
    TBytes entries;
    std::vector<std::size_t> starts;
    for (const TEntry& entry : chunk.Entries) {
        starts.push_back(entries.size());
        AppendEncInt(entries, entry.Name.size());
        entries.insert(entries.end(), entry.Name.begin(), entry.Name.end());
        AppendEncInt(entries, entry.Section);
        AppendEncInt(entries, entry.Offset);
        AppendEncInt(entries, entry.Length);
    }
    const std::size_t every = 1 + (std::size_t(1) << density);
    std::vector<std::size_t> quick;
    for (std::size_t k = every; k <= starts.size(); k += every) {
        quick.push_back(starts[k - 1]);
    }
    if (kChunkHeader + entries.size() + 2 * (quick.size() + 1) > size) {
        Fail("the directory chunk has no room for the new entries");
    }
    TBytes bytes(size, 0);
    bytes[0] = 'P';
    bytes[1] = 'M';
    bytes[2] = 'G';
    bytes[3] = 'L';
    WriteLE(bytes, 4, size - kChunkHeader - entries.size(), 4);
    WriteLE(bytes, 0xC, chunk.Previous, 4);
    WriteLE(bytes, 0x10, chunk.Next, 4);
    std::copy(entries.begin(), entries.end(), bytes.begin() + kChunkHeader);
    WriteLE(bytes, size - 2, chunk.Entries.size(), 2);
    for (std::size_t i = 0; i < quick.size(); ++i) {
        WriteLE(bytes, size - 4 - 2 * i, quick[i], 2);
    }
    return bytes;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string UpperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return text;
}

// Context number -> topic path inside the file, from the project's [MAP] and [ALIAS] sections.
std::map<std::uint32_t, std::string> ReadContexts(const std::string& projectPath) {
    const TBytes bytes = ReadFile(projectPath);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::map<std::string, std::uint32_t> numbers;
    std::map<std::string, std::string> aliases;
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = UpperCase(line);
            continue;
        }
        if (section == "[MAP]") {
            std::istringstream fields(line);
            std::string define, name, number;
            fields >> define >> name >> number;
            if (define != "#define" || number.empty()) {
                Fail("cannot read this [MAP] line: " + line);
            }
            numbers[UpperCase(name)] = std::uint32_t(std::stoul(number, nullptr, 0));
        } else if (section == "[ALIAS]") {
            const auto equals = line.find('=');
            if (equals == std::string::npos) {
                Fail("cannot read this [ALIAS] line: " + line);
            }
            std::string topic = Trim(line.substr(equals + 1));
            for (char& c : topic) {
                if (c == '\\') {
                    c = '/';
                }
            }
            while (topic.rfind("./", 0) == 0) {
                topic.erase(0, 2);
            }
            while (!topic.empty() && topic.front() == '/') {
                topic.erase(0, 1);
            }
            aliases[UpperCase(Trim(line.substr(0, equals)))] = topic;
        }
    }
    std::map<std::uint32_t, std::string> contexts;
    for (const auto& [name, topic] : aliases) {
        const auto number = numbers.find(name);
        if (number == numbers.end()) {
            Fail("the alias " + name + " has no number in [MAP]");
        }
        contexts[number->second] = topic;
    }
    return contexts;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: ChmContextFix <project.hhp> <compiled.chm> <output.chm>\n";
        return 2;
    }
    try {
        const auto contexts = ReadContexts(argv[1]);
        TBytes file = ReadFile(argv[2]);

        if (file.size() < 0x58 || std::string(file.begin(), file.begin() + 4) != "ITSF") {
            Fail("not a compiled help file");
        }
        const std::uint32_t version = std::uint32_t(ReadLE(file, 4, 4));
        const std::size_t headerSection0 = ReadLE(file, 0x38, 8);
        const std::size_t directory = ReadLE(file, 0x48, 8);
        const std::size_t directoryLength = ReadLE(file, 0x50, 8);
        const std::size_t content = version >= 3 ? ReadLE(file, 0x58, 8) : directory + directoryLength;
        if (ReadLE(file, headerSection0 + 8, 8) != file.size() || content > file.size()) {
            Fail("the file's recorded size does not match");
        }
        if (std::string(file.begin() + std::ptrdiff_t(directory), file.begin() + std::ptrdiff_t(directory) + 4) !=
            "ITSP") {
            Fail("no directory header");
        }
        const std::size_t directoryHeader = ReadLE(file, directory + 8, 4);
        const std::size_t chunkSize = ReadLE(file, directory + 0x10, 4);
        const std::uint32_t density = std::uint32_t(ReadLE(file, directory + 0x14, 4));
        const std::size_t chunkCount = ReadLE(file, directory + 0x2C, 4);
        if (chunkSize < 64 || density > 8 || directoryHeader + chunkSize * chunkCount > directoryLength) {
            Fail("the directory header is not understood");
        }

        // The new #IVB and #STRINGS, appended to the uncompressed section.
        TBytes strings{0};
        TBytes ivb;
        AppendLE(ivb, 8 * contexts.size(), 4);
        std::map<std::string, std::size_t> offsets;
        for (const auto& [number, topic] : contexts) {
            if (!offsets.contains(topic)) {
                offsets[topic] = strings.size();
                strings.insert(strings.end(), topic.begin(), topic.end());
                strings.push_back(0);
            }
            AppendLE(ivb, number, 4);
            AppendLE(ivb, offsets[topic], 4);
        }
        const std::uint64_t ivbOffset = file.size() - content;
        const std::uint64_t stringsOffset = ivbOffset + ivb.size();

        bool foundIvb = false;
        bool foundStrings = false;
        std::map<std::string, bool> topics;
        for (const auto& [number, topic] : contexts) {
            topics["/" + topic] = false;
        }
        for (std::size_t i = 0; i < chunkCount; ++i) {
            const std::size_t at = directory + directoryHeader + i * chunkSize;
            TBytes chunk(file.begin() + std::ptrdiff_t(at), file.begin() + std::ptrdiff_t(at + chunkSize));
            if (std::string(chunk.begin(), chunk.begin() + 4) != "PMGL") {
                continue; // index chunks hold names only, and no name changes
            }
            TChunk listing = ParseListingChunk(chunk);
            if (WriteListingChunk(listing, chunkSize, density) != chunk) {
                Fail("a directory chunk is laid out in a way this tool does not understand");
            }
            bool changed = false;
            for (TEntry& entry : listing.Entries) {
                if (entry.Name == "/#IVB") {
                    entry = {entry.Name, 0, ivbOffset, ivb.size()};
                    foundIvb = changed = true;
                } else if (entry.Name == "/#STRINGS") {
                    entry = {entry.Name, 0, stringsOffset, strings.size()};
                    foundStrings = changed = true;
                } else if (topics.contains(entry.Name)) {
                    topics[entry.Name] = true;
                }
            }
            if (changed) {
                const TBytes rewritten = WriteListingChunk(listing, chunkSize, density);
                std::copy(rewritten.begin(), rewritten.end(), file.begin() + std::ptrdiff_t(at));
            }
        }
        if (!foundIvb || !foundStrings) {
            Fail("the file has no context map to mend (no [MAP] and [ALIAS] in the project?)");
        }
        for (const auto& [topic, present] : topics) {
            if (!present) {
                Fail("the context topic " + topic + " is not in the file");
            }
        }
        file.insert(file.end(), ivb.begin(), ivb.end());
        file.insert(file.end(), strings.begin(), strings.end());
        WriteLE(file, headerSection0 + 8, file.size(), 8);
        WriteFile(argv[3], file);
    } catch (const std::exception& e) {
        std::cerr << "ChmContextFix: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
