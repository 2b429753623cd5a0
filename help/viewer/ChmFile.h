#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// A compiled help file (.chm). Paths inside the file are absolute ("/topics/a.htm"); a path given without
/// the leading "/" means the same, and letter case does not matter.
///
/// chmlib trusts the file's directory and compression parameters, and its LZX decoder trusts the compressed
/// data, so opening checks the whole structure first and then lets chmlib read every file inside in a
/// child process: a file that would crash or hang it is refused as damaged instead of taking the program
/// down. What was read is kept in memory.
class TChmFile {
public:
    /// Opens a file; null when it cannot be read, is no compiled help file or is damaged.
    static std::unique_ptr<TChmFile> Open(const std::string& path);
    /// The same on a file's bytes, with chmlib reading in this process: for the fuzzer, which must see
    /// chmlib's failures itself.
    static std::unique_ptr<TChmFile> OpenInProcess(std::string_view bytes);
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    bool Exists(const std::string& path) const;
    /// The bytes of a file inside; none when it is not there or cannot be read.
    std::optional<std::string> Read(const std::string& path) const;
    /// Every file inside, in the order of its directory; folders and the file's own records (#SYSTEM and the
    /// like) excluded.
    std::vector<std::string> List() const;

    /// From the file's system information: the title, the default topic, the contents (.hhc) and index
    /// (.hhk) files; each empty when the file names none. Topic paths are returned absolute.
    const std::string& Title() const { return FTitle; }
    const std::string& DefaultTopic() const { return FDefaultTopic; }
    const std::string& ContentsFile() const { return FContentsFile; }
    const std::string& IndexFile() const { return FIndexFile; }

    /// The topic the file maps a context number to, through its own map (#IVB and #STRINGS); none when the
    /// number is not mapped.
    std::optional<std::string> TopicOfContext(std::uint32_t context) const;

    /// "/" + path unless it starts with "/" already.
    static std::string Absolute(const std::string& path);

private:
    TChmFile() = default;
    static std::unique_ptr<TChmFile> Load(std::string_view bytes, bool isolated);
    void ReadSystem();
    const std::optional<std::string>* Find(const std::string& path) const;

    std::vector<std::string> FList;
    /// Every file inside by its path in lower case; none for one that could not be read.
    std::map<std::string, std::optional<std::string>> FFiles;
    std::string FTitle;
    std::string FDefaultTopic;
    std::string FContentsFile;
    std::string FIndexFile;
};
