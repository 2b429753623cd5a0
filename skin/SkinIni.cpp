#include "skin/SkinIni.h"

#include "skin/SkinErrors.h"

#include <string>
#include <unordered_set>

namespace {

std::string_view Trim(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCopy(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = Lower(c);
    }
    return lower;
}

[[noreturn]] void Fail(int line, std::string_view what) {
    throw ESkinError(Format("The theme description is damaged: line %s: %s", {std::to_string(line), what}));
}

} // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

TSkinIni TSkinIni::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    TSkinIni ini;
    // Names seen so far, in lower case: a damaged description may hold any number of them.
    std::unordered_set<std::string> sectionNames;
    std::unordered_set<std::string> keysOfSection;
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                Fail(lineNumber, "a section name lacks its closing bracket");
            }
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            if (name.empty()) {
                Fail(lineNumber, "a section has no name");
            }
            if (!sectionNames.insert(LowerCopy(name)).second) {
                Fail(lineNumber, Format("the section [%s] appears twice", {name}));
            }
            keysOfSection.clear();
            ini.FSections.push_back(TSection{std::string(name), {}, lineNumber});
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            Fail(lineNumber, "expected [section] or key=value");
        }
        const std::string_view key = Trim(line.substr(0, equals));
        if (key.empty()) {
            Fail(lineNumber, "a value has no key");
        }
        if (ini.FSections.empty()) {
            Fail(lineNumber, "a value stands before the first section");
        }
        TSection& section = ini.FSections.back();
        if (!keysOfSection.insert(LowerCopy(key)).second) {
            Fail(lineNumber, Format("the key %s appears twice in [%s]", {key, section.Name}));
        }
        section.Entries.push_back(TEntry{std::string(key), std::string(Trim(line.substr(equals + 1)))});
    }
    return ini;
}

const TSkinIni::TSection* TSkinIni::FindSection(std::string_view name) const {
    for (const TSection& section : FSections) {
        if (SameText(section.Name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const std::string* TSkinIni::Find(const TSection& section, std::string_view key) {
    for (const TEntry& entry : section.Entries) {
        if (SameText(entry.Key, key)) {
            return &entry.Value;
        }
    }
    return nullptr;
}

const std::string* TSkinIni::Find(std::string_view section, std::string_view key) const {
    const TSection* found = FindSection(section);
    return found == nullptr ? nullptr : Find(*found, key);
}
