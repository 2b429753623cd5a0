#include "outlook/ExtensionsFile.h"

#include "platform/ExeFolder.h"
#include "platform/FileStream.h"

std::vector<TPredefinedFileType> ParsePredefinedFileTypes(std::string_view content) {
    if (const auto nul = content.find('\0'); nul != std::string_view::npos) {
        content = content.substr(0, nul);
    }
    std::vector<TPredefinedFileType> rows;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = pos;
        while (end < content.size() && content[end] != '\r' && content[end] != '\n') {
            ++end;
        }
        const std::string_view line = content.substr(pos, end - pos);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) {
            rows.push_back({std::string(), std::string(line)});
        } else {
            rows.push_back({std::string(line.substr(0, space)), std::string(line.substr(space + 1))});
        }
        // Step over the line break: CR LF counts as one.
        if (end < content.size() && content[end] == '\r') {
            ++end;
            if (end < content.size() && content[end] == '\n') {
                ++end;
            }
        } else if (end < content.size()) {
            ++end;
        }
        pos = end;
    }
    return rows;
}

std::vector<TPredefinedFileType> ReadPredefinedFileTypes(const std::string& path) {
    // Opened for reading with writing by others denied, so a file being written is not read half-done.
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    std::string content(std::size_t(file.Size()), '\0');
    file.ReadBuffer(content.data(), std::int64_t(content.size()));
    return ParsePredefinedFileTypes(content);
}

std::vector<std::string> PredefinedExtensions(const std::vector<TPredefinedFileType>& rows) {
    std::vector<std::string> extensions;
    extensions.reserve(rows.size());
    for (const auto& row : rows) {
        if (!row.Extension.empty()) {
            extensions.push_back(row.Extension);
        }
    }
    return extensions;
}

std::vector<std::string> ReadDefaultLevel1List() {
    return PredefinedExtensions(ReadPredefinedFileTypes(PredefinedFileTypesPath()));
}

namespace {
std::string GTestFolder;
}

std::string PredefinedFileTypesPath() {
    return (GTestFolder.empty() ? platform::GetExeFolder() : GTestFolder) + "Extensions.txt";
}

void SetPredefinedFileTypesFolderForTesting(const std::string& folder) {
    GTestFolder = folder;
}
