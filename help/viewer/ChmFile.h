#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct chmFile;

/// A compiled help file (.chm), read with chmlib. Paths inside the file are absolute ("/topics/a.htm");
/// a path given without the leading "/" means the same.
class TChmFile {
public:
    /// Opens a file; null when it cannot be opened, is no compiled help file or has compression parameters
    /// that would lead chmlib astray.
    static std::unique_ptr<TChmFile> Open(const std::string& path);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    bool Exists(const std::string& path) const;
    /// The bytes of a file inside; none when it is not there or cannot be read.
    std::optional<std::string> Read(const std::string& path) const;
    /// Every file inside, folders excluded.
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
    explicit TChmFile(chmFile* handle);
    void ReadSystem();

    chmFile* FHandle;
    std::string FTitle;
    std::string FDefaultTopic;
    std::string FContentsFile;
    std::string FIndexFile;
};
