#pragma once

#include <string>
#include <string_view>
#include <vector>

// Extensions.txt, beside the program: the predefined file types that the Add dialog offers. They are
// Outlook's default Level 1 list as well, so the evaluator of what Outlook blocks reads the same file and
// there is one list to keep current.

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

/// The extensions of the rows, in file order; rows without one (empty lines) are left out.
std::vector<std::string> PredefinedExtensions(const std::vector<TPredefinedFileType>& rows);

/// Outlook's default Level 1 list as of today: the extensions of Extensions.txt beside the program.
/// Raises the file layer's error when the file cannot be opened.
std::vector<std::string> ReadDefaultLevel1List();

/// Full path of Extensions.txt: the folder of the running executable, never the current directory.
std::string PredefinedFileTypesPath();

/// Tests point the dialog at a folder of their own (with a trailing separator); empty restores the
/// executable's folder.
void SetPredefinedFileTypesFolderForTesting(const std::string& folder);
