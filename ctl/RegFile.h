#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One value of a regedit file: a string (REG_SZ) or a DWORD.
struct TRegFileValue {
    std::string Name;
    std::string Text; // REG_SZ data, in the ANSI code page
    bool IsDword = false;
    std::uint32_t Dword = 0;
};

/// One key of a regedit file, with a full path (HKEY_CURRENT_USER\...).
struct TRegFileKey {
    std::string Path;
    std::vector<TRegFileValue> Values;
};

/// A regedit file as regedit itself writes one: UTF-16LE with a byte order mark, CRLF line ends,
/// "Windows Registry Editor Version 5.00" and a blank line after each key. `comments` come first, each
/// as a ";" line. A string that holds a line break or another control character is written as hex(1)
/// (its UTF-16LE bytes), since regedit cannot read such characters inside quotes.
std::string RegeditFile(const std::vector<std::string>& comments, const std::vector<TRegFileKey>& keys);
