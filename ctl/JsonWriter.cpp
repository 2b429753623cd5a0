#include "ctl/JsonWriter.h"

#include "platform/TextConv.h"

namespace {

void AppendEscape(std::string& out, char16_t unit) {
    static const char Hex[] = "0123456789abcdef";
    out += "\\u";
    out += Hex[(unit >> 12) & 0xF];
    out += Hex[(unit >> 8) & 0xF];
    out += Hex[(unit >> 4) & 0xF];
    out += Hex[unit & 0xF];
}

} // namespace

std::string TJsonWriter::Quote(std::string_view ansi) {
    const std::u16string text = platform::AnsiToWide(ansi);
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        switch (unit) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'\b':
            out += "\\b";
            continue;
        case u'\f':
            out += "\\f";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendEscape(out, unit);
            AppendEscape(out, text[++i]);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendEscape(out, 0xFFFD); // a lone surrogate is no character; strict readers refuse it
        } else {
            AppendEscape(out, unit);
        }
    }
    out += '"';
    return out;
}

void TJsonWriter::BeforeValue() {
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (!FFirst.empty()) {
        if (!FFirst.back()) {
            FText += ',';
        }
        FFirst.back() = false;
    }
}

TJsonWriter& TJsonWriter::BeginObject() {
    BeforeValue();
    FText += '{';
    FFirst.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    FText += '}';
    FFirst.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray() {
    BeforeValue();
    FText += '[';
    FFirst.push_back(true);
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    FText += ']';
    FFirst.pop_back();
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view name) {
    BeforeValue();
    FText += Quote(name);
    FText += ':';
    FAfterKey = true;
    return *this;
}

TJsonWriter& TJsonWriter::String(std::string_view ansi) {
    BeforeValue();
    FText += Quote(ansi);
    return *this;
}

TJsonWriter& TJsonWriter::Strings(const std::vector<std::string>& ansi) {
    BeginArray();
    for (const std::string& item : ansi) {
        String(item);
    }
    return EndArray();
}

TJsonWriter& TJsonWriter::Number(long long value) {
    BeforeValue();
    FText += std::to_string(value);
    return *this;
}

TJsonWriter& TJsonWriter::Bool(bool value) {
    BeforeValue();
    FText += value ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    BeforeValue();
    FText += "null";
    return *this;
}

std::string TJsonWriter::Text() const {
    return FText + (FFirst.empty() && !FText.empty() ? "\n" : "");
}
