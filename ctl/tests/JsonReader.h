#pragma once

// A strict reader of JSON (RFC 8259) for the tests, independent of the writer it checks: what vellicorctl
// prints must parse here, and give back the same strings.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace jsontest {

struct TValue {
    enum class EKind { Null, Bool, Number, String, Array, Object } Kind = EKind::Null;
    bool Bool = false;
    double Number = 0;
    std::string String; // UTF-8
    std::vector<TValue> Array;
    std::map<std::string, TValue> Object;

    const TValue& operator[](const std::string& key) const {
        const auto found = Object.find(key);
        if (Kind != EKind::Object || found == Object.end()) {
            throw std::runtime_error("no member " + key);
        }
        return found->second;
    }
    std::vector<std::string> Strings() const {
        std::vector<std::string> out;
        for (const TValue& item : Array) {
            if (item.Kind != EKind::String) {
                throw std::runtime_error("not a string");
            }
            out.push_back(item.String);
        }
        return out;
    }
};

class TReader {
public:
    explicit TReader(std::string_view text) : FText(text) {}

    TValue Document() {
        TValue value = Value();
        Blanks();
        if (FAt != FText.size()) {
            Error("text after the document");
        }
        return value;
    }

private:
    [[noreturn]] void Error(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(FAt));
    }
    void Blanks() {
        while (FAt < FText.size() &&
               (FText[FAt] == ' ' || FText[FAt] == '\t' || FText[FAt] == '\n' || FText[FAt] == '\r')) {
            ++FAt;
        }
    }
    bool Take(std::string_view word) {
        if (FText.substr(FAt, word.size()) == word) {
            FAt += word.size();
            return true;
        }
        return false;
    }
    void Expect(char c) {
        Blanks();
        if (FAt >= FText.size() || FText[FAt] != c) {
            Error(std::string("expected ") + c);
        }
        ++FAt;
    }
    unsigned Hex4() {
        if (FAt + 4 > FText.size()) {
            Error("short \\u escape");
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = FText[FAt++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= static_cast<unsigned>(c - 'A' + 10);
            } else {
                Error("bad \\u escape");
            }
        }
        return value;
    }
    static void AppendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string StringLiteral() {
        Expect('"');
        std::string out;
        for (;;) {
            if (FAt >= FText.size()) {
                Error("unterminated string");
            }
            const auto c = static_cast<unsigned char>(FText[FAt++]);
            if (c == '"') {
                return out;
            }
            if (c < 0x20) {
                Error("raw control character in a string");
            }
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (FAt >= FText.size()) {
                Error("unterminated escape");
            }
            const char e = FText[FAt++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp = Hex4();
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    if (!Take("\\u")) {
                        Error("lone high surrogate");
                    }
                    const unsigned low = Hex4();
                    if (low < 0xDC00 || low > 0xDFFF) {
                        Error("bad low surrogate");
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    Error("lone low surrogate");
                }
                AppendUtf8(out, cp);
                break;
            }
            default:
                Error("unknown escape");
            }
        }
    }
    TValue Value() {
        Blanks();
        if (FAt >= FText.size()) {
            Error("missing value");
        }
        TValue value;
        const char c = FText[FAt];
        if (c == '{') {
            value.Kind = TValue::EKind::Object;
            ++FAt;
            Blanks();
            if (Take("}")) {
                return value;
            }
            do {
                Blanks();
                std::string key = StringLiteral();
                Expect(':');
                if (!value.Object.emplace(key, Value()).second) {
                    Error("duplicate member " + key);
                }
                Blanks();
            } while (Take(","));
            Expect('}');
        } else if (c == '[') {
            value.Kind = TValue::EKind::Array;
            ++FAt;
            Blanks();
            if (Take("]")) {
                return value;
            }
            do {
                value.Array.push_back(Value());
                Blanks();
            } while (Take(","));
            Expect(']');
        } else if (c == '"') {
            value.Kind = TValue::EKind::String;
            value.String = StringLiteral();
        } else if (Take("true")) {
            value.Kind = TValue::EKind::Bool;
            value.Bool = true;
        } else if (Take("false")) {
            value.Kind = TValue::EKind::Bool;
        } else if (Take("null")) {
            value.Kind = TValue::EKind::Null;
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const std::size_t start = FAt;
            while (FAt < FText.size() && std::string_view("+-0123456789.eE").find(FText[FAt]) != std::string::npos) {
                ++FAt;
            }
            value.Kind = TValue::EKind::Number;
            value.Number = std::stod(std::string(FText.substr(start, FAt - start)));
        } else {
            Error("unexpected character");
        }
        return value;
    }

    std::string_view FText;
    std::size_t FAt = 0;
};

inline TValue Parse(std::string_view text) {
    return TReader(text).Document();
}

} // namespace jsontest
