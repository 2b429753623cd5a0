#pragma once

#include <string>
#include <string_view>
#include <vector>

/// One row of the predefined file types: the text before the first space of its line, and the rest.
struct TPredefinedFileType {
    std::string Extension;
    std::string Description;
};

/// Splits the content of Extensions.txt into rows: lines end at CR LF, a lone CR or a lone LF; a NUL
/// ends the content; a line break at the very end makes no empty last row; every other line,
/// empty ones included, is a row. No byte-order mark is recognised.
std::vector<TPredefinedFileType> ParsePredefinedFileTypes(std::string_view content);

/// Reads and parses the file; raises the file layer's "Cannot open file" error when it cannot be opened.
std::vector<TPredefinedFileType> ReadPredefinedFileTypes(const std::string& path);

/// Full path of Extensions.txt: the folder of the running executable, never the current directory.
std::string PredefinedFileTypesPath();

/// Tests point the dialog at a folder of their own (with a trailing separator); empty restores the
/// executable's folder.
void SetPredefinedFileTypesFolderForTesting(const std::string& folder);
