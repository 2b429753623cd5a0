#pragma once

#include <string>
#include <string_view>
#include <vector>

/// The INI-style description of a theme: [sections] of key=value lines. Section and key names
/// compare without regard to ASCII letter case; order is kept. Plain C++, so the packing tool
/// needs no Qt.
class TSkinIni {
public:
    struct TEntry {
        std::string Key;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
        int Line = 0;
    };

    /// Parses `text`; lines are `[name]`, `key=value`, blank, or comments starting with ';' or '#'.
    /// Throws ESkinError naming the line for anything else, and for repeated sections or keys.
    static TSkinIni Parse(std::string_view text);

    const std::vector<TSection>& Sections() const { return FSections; }
    const TSection* FindSection(std::string_view name) const;
    /// The value of `key` in `section`, or nullptr when either is missing.
    const std::string* Find(std::string_view section, std::string_view key) const;
    static const std::string* Find(const TSection& section, std::string_view key);

private:
    std::vector<TSection> FSections;
};

/// ASCII comparison without regard to letter case.
bool SameText(std::string_view a, std::string_view b);
