#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Writes one JSON document, compactly. Strings are given in the ANSI code page (as the registry layer hands
/// them out) and written as pure ASCII: every other character as a \u escape, so the document is valid
/// whatever the console's encoding. Commas and nesting are kept by the writer; misuse is the caller's bug.
class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    /// The name of the next member of the current object.
    TJsonWriter& Key(std::string_view name);
    TJsonWriter& String(std::string_view ansi);
    TJsonWriter& Strings(const std::vector<std::string>& ansi);
    TJsonWriter& Number(long long value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();

    /// The document so far, with a line end once it is complete.
    std::string Text() const;

    /// `ansi` as a JSON string literal, quotes included.
    static std::string Quote(std::string_view ansi);

private:
    void BeforeValue();

    std::string FText;
    std::vector<bool> FFirst; // per open object or array: no member written yet
    bool FAfterKey = false;
};
