#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::wine {

/// A moment as Wine keeps it for a key: 100-nanosecond ticks since 1601-01-01 (a FILETIME).
using TTicks = std::uint64_t;

/// The present moment in Wine's ticks.
TTicks NowTicks();

/// A registry value as RegQueryValueExA hands it out: data of the string types (REG_SZ, REG_EXPAND_SZ,
/// REG_MULTI_SZ) as ANSI text (UTF-8) with the zero bytes it was stored with, any other type as its bytes.
struct TValueData {
    std::uint32_t Type = 0;
    std::string Data;

    bool operator==(const TValueData&) const = default;
};

/// The text of a Wine registry file (user.reg), understood line by line the way wineserver loads it, and
/// edited so that every byte an edit is not about stays as it was: comments, unknown lines, line ends, order.
///
/// Key paths and value names are ANSI (UTF-8) text, path elements separated by one backslash; they match
/// case-insensitively. A file whose first line is not Wine's header holds no keys at all, as for Wine.
class THiveFile {
public:
    /// Parses the whole file. Any bytes are accepted; what cannot be understood is reported by Problem().
    explicit THiveFile(std::string bytes);

    const std::string& Bytes() const { return FBytes; }

    /// Whether the file starts with Wine's header line. Without it Wine ignores the file.
    bool HasHeader() const { return FHasHeader; }

    /// Empty when every line that Wine reads as a key or a value could be read; otherwise the first line
    /// that could not, in words ("line 12: ..."). A file with a problem must not be rewritten.
    const std::string& Problem() const { return FProblem; }

    /// Whether the key exists: it has a section, or a key below it has one. The root ("") always exists.
    bool KeyExists(std::string_view path) const;

    /// The value of a key; nothing when the key or the value does not exist. A value that appears more than
    /// once has the data of its last occurrence; one Wine cannot read is an empty REG_NONE, as in Wine.
    std::optional<TValueData> Value(std::string_view path, std::string_view name) const;

    /// The bytes of the file with the key created: a new section at the end, in Wine's own layout. The same
    /// bytes when the key exists already.
    std::string WithKey(std::string_view path, TTicks now) const;

    /// The bytes of the file with the value set. Every occurrence of the value gets the new data, keeping
    /// its own spelling of the name; a new value goes into the key's last section, among its values in
    /// name order; a key without a section gets one at the end. The key's two timestamps (the number after
    /// the section name and its #time line) are set to `now`. Nothing else changes.
    std::string WithValue(std::string_view path, std::string_view name, const TValueData& value, TTicks now) const;

private:
    // Offsets and counts in 32 bits: the tables of a large hive take half the memory, and no hive comes near
    // 4 GiB (a larger file is refused).
    using TPos = std::uint32_t;
    struct TLine {
        TPos Begin = 0;    // first byte
        TPos End = 0;      // end of the content: before "\n" or "\r\n", and before a zero byte
        TPos EolEnd = 0;   // after the line end; equals the end of the physical line
        TPos EolBegin = 0; // where the line end ("\n" or "\r\n") starts; EolEnd when there is none
    };
    struct TValueEntry {
        TPos NameBegin = 0; // the name, case folded, in FNames
        TPos NameLength = 0;
        TPos Line = 0;     // first line of the value
        TPos LastLine = 0; // last line (hex data may go on over several)
        TPos NameEnd = 0;  // offset just after the name as written ('@' or its closing quote)
        std::uint32_t Type = 0;
        int Form = 0;       // how the data is written: see WineHive.cpp
        TPos DataBegin = 0; // offset where the data text starts, after its type tag
    };
    // A section's values and #time lines follow one another in the file, so each section holds a range of
    // the file's tables rather than tables of its own: parsing allocates nothing per key.
    struct TSection {
        TPos PathBegin = 0;  // the path without escapes, elements joined by one backslash, case folded,
        TPos PathLength = 0; // in FNames
        TPos HeaderLine = 0;
        TPos LastOptionLine = 0;             // the header or its last '#' line
        TPos LastLine = 0;                   // the last line before the next section
        TPos ModifBegin = 0, ModifEnd = 0;   // the seconds after the name; empty if none
        TPos TimesBegin = 0, TimesEnd = 0;   // its #time lines' digits, in FTimes
        TPos ValuesBegin = 0, ValuesEnd = 0; // its values, in FValues
    };

    void Parse();
    void ParseKeyHeader(std::size_t lineIndex, std::size_t pos);
    void ParseValue(std::size_t& lineIndex, std::size_t pos);
    void SetProblem(std::size_t lineIndex, const char* what);
    std::string_view Content(std::size_t lineIndex) const;
    std::string_view Eol(std::size_t lineIndex) const;
    std::string_view DefaultEol() const;
    TValueData DecodeValue(const TValueEntry& value) const;
    std::u16string_view FoldedPath(const TSection& section) const;
    std::u16string_view FoldedName(const TValueEntry& value) const;
    std::u16string WrittenPath(const TSection& section) const;
    std::u16string SpelledPath(const std::vector<std::u16string>& elements) const;
    std::string NewSection(const std::vector<std::u16string>& elements, const std::string* valueLine, TTicks now) const;

    std::string FBytes;
    std::vector<TLine> FLines;
    std::vector<TSection> FSections;
    std::vector<TValueEntry> FValues;
    std::vector<std::pair<TPos, TPos>> FTimes; // the digits of each #time line
    std::u16string FNames;                     // folded key paths and value names, one after another
    bool FHasHeader = false;
    std::string FProblem;
};

/// Where the keys of a Wine registry file are, found in one pass over its bytes as they are read and without
/// keeping them: which keys exist, and which bytes hold the sections of a key, from which its values are read
/// (ValueInSections). Reading a large hive this way takes a fraction of the memory and time of THiveFile, which
/// makes a table of every line. The same bytes give the same keys and sections as THiveFile.
class THiveIndex {
public:
    /// With `checkLines`, every value is read as well, to find what THiveFile::Problem finds, as a write needs.
    /// With `scope`, only the sections of those keys and of the keys below them are kept, and the index answers
    /// only for the keys it Covers; without, it answers for every key.
    explicit THiveIndex(bool checkLines = false, const std::vector<std::string>& scope = {});

    /// The size of the whole file, when it is known before its bytes: the index takes its room at once.
    void ExpectFileSize(std::uint64_t size);
    /// The next bytes of the file, in order; a line may go on in the next call.
    void Feed(std::string_view bytes);
    /// After the last bytes.
    void Finish();

    /// As THiveFile's; Problem() only when made to check the lines.
    bool HasHeader() const { return FHasHeader; }
    const std::string& Problem() const { return FProblem; }
    /// Whether the index answers for the key `path`: it is in the scope, or there is none.
    bool Covers(std::string_view path) const;
    /// As THiveFile's, for a key the index covers.
    bool KeyExists(std::string_view path) const;
    bool ChecksLines() const { return FCheckLines; }
    /// How many bytes were fed.
    std::uint64_t Size() const { return FLineBegin + FCarry.size(); }

    struct TRange {
        std::uint64_t Begin = 0; // the section's header line
        std::uint64_t End = 0;   // after its last line
    };
    /// Where the sections of the key are in the file, in its order; for a key the index covers.
    std::vector<TRange> Sections(std::string_view path) const;

private:
    void Line(std::uint64_t begin, std::string_view line, bool ended, bool zeros);
    void ValueLine(std::string_view line, std::size_t pos);
    void SetProblem(const char* what);
    void CloseSection(std::uint64_t end);
    enum class EMatch { Other, Below, Same };
    /// Hands every section to `visit(EMatch, TRange)`, in the file's order, with how its path is to the folded
    /// `key`, until `visit` returns false.
    template <class TVisit> void Walk(std::string_view key, TVisit visit) const;

    // Each section is written as how many bytes of its folded path it shares with the path of the section before
    // it, the rest of the path, and where it starts and ends, all as variable-length numbers. Wine writes a key's
    // subkeys together, so neighbours share most of their paths: the index of a large hive takes a fraction of
    // the memory of every path written out, and it is read through in order, as every question asks.
    std::string FEntries;
    std::vector<std::string> FScope; // the folded paths of the keys kept with those below them; none: every key
    bool FKept = false;              // the section being read is in the scope
    std::string FLastPath;           // the folded path of the last section kept, as bytes
    std::string FPathBytes;          // the path being read, as bytes, kept for its room
    std::uint64_t FOpenBegin = 0;    // where the section being read starts
    std::uint64_t FLastEnd = 0;      // where the last section written ends
    std::u16string FPath;            // room for a key name that is not plain, read as units
    std::string FCarry;              // the start of a line that goes on in the next bytes
    bool FCarryZeros = false;        // whether it holds a zero byte
    std::uint64_t FLineBegin = 0;    // where the next line starts in the file
    std::uint64_t FLineCount = 0;
    bool FHasHeader = false;
    bool FInKey = false;  // the last section goes on
    bool FGoesOn = false; // the last line's hex data goes on over the next
    bool FCheckLines = false;
    std::string FProblem;
};

/// A change of a file's bytes: those from Begin to End become Text.
struct TSplice {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::string Text;

    bool ChangesNothing(std::string_view bytes) const { return bytes.substr(Begin, End - Begin) == Text; }
    /// `bytes` with the change made.
    std::string Applied(std::string_view bytes) const;
};

/// A whole Wine registry file to be changed: its lines checked as THiveFile checks them, and a value set by
/// editing its key's section alone, which spares the tables of every line that THiveFile makes. It changes the
/// bytes exactly as THiveFile does.
class THiveEdit {
public:
    explicit THiveEdit(std::string bytes);
    /// With an index of these very bytes made to check the lines, which spares reading them again. An index of
    /// another size, one that did not check, or one that keeps some keys alone, is not taken.
    THiveEdit(std::string bytes, std::shared_ptr<const THiveIndex> checked);

    const std::string& Bytes() const { return FBytes; }
    /// As THiveFile's.
    bool HasHeader() const { return FIndex->HasHeader(); }
    const std::string& Problem() const { return FTooLarge.empty() ? FIndex->Problem() : FTooLarge; }
    bool KeyExists(std::string_view path) const { return FIndex->KeyExists(path); }
    std::optional<TValueData> Value(std::string_view path, std::string_view name) const;
    std::string WithKey(std::string_view path, TTicks now) const;
    std::string WithValue(std::string_view path, std::string_view name, const TValueData& value, TTicks now) const {
        return ValueChange(path, name, value, now).Applied(FBytes);
    }
    /// What WithValue changes, as a splice of the bytes: the key's one section, or the whole file when the key
    /// is new or split over several sections.
    TSplice ValueChange(std::string_view path, std::string_view name, const TValueData& value, TTicks now) const;

private:
    std::string FBytes;
    std::shared_ptr<const THiveIndex> FIndex;
    std::string FTooLarge; // THiveFile, which edits a new key, reads no file of 4 GiB or more
};

/// The value as THiveFile::Value finds it in the whole file, read from the texts of the key's sections only,
/// as THiveIndex::Sections locates them, in the file's order.
std::optional<TValueData> ValueInSections(std::string_view path, std::string_view name,
                                          const std::vector<std::string>& sections);

} // namespace platform::wine
