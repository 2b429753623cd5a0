#include "settings/ModXMLSerializer.h"

#include "platform/TextConv.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

std::string XMLIndentUnit;
std::string XMLLineBreak;

namespace {

constexpr std::size_t npos = std::string_view::npos;

// One check raises every serializer error, so that all messages have the same shape.
template <class E> void Check(bool condition, std::string_view text, std::string_view argument) {
    if (!condition) {
        throw E("XMLSerializerException\r\n\r\n" + Format(text, {argument}));
    }
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (text.find(what) == std::string::npos) {
        return;
    }
    std::string result;
    result.reserve(text.size() + 16);
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(what, from)) != std::string::npos; from = at + what.size()) {
        result.append(text, from, at - from);
        result += with;
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

void ReplaceChar(std::string& text, char what, char with) {
    std::replace(text.begin(), text.end(), what, with);
}

// General format with at most 15 significant digits: fixed notation while the decimal exponent lies
// between -4 and 14, otherwise a mantissa and "E" with the exponent ("1E20", "1.5E-7").
std::string FloatToText(double value, char separator) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "INF" : "-INF";
    }
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const bool negative = text.front() == '-';
    const std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent <= 14) {
        if (exponent >= 0) {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out += digits + std::string(whole - digits.size(), '0');
            } else {
                out += digits.substr(0, whole) + separator + digits.substr(whole);
            }
        } else {
            out += std::string("0") + separator + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += separator + digits.substr(1);
        }
        out += 'E' + std::to_string(exponent);
    }
    return out;
}

// A decimal number: blanks around it, a sign, digits with at most one separator, an exponent after "E".
// With `special`, also INF, -INF and NAN. False when the text is none of these.
bool TextToNumber(std::string_view text, char separator, bool special, double& value) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    std::size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p++] == '-';
    }
    if (special) {
        std::string rest(text.substr(p));
        std::transform(rest.begin(), rest.end(), rest.begin(),
                       [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
        if (rest == "INF") {
            value = negative ? -HUGE_VAL : HUGE_VAL;
            return true;
        }
        if (rest == "NAN" && !negative) {
            value = std::nan("");
            return true;
        }
    }
    std::string normal = negative ? "-" : "";
    std::size_t mantissaDigits = 0;
    long wholeDigits = 0; // significant digits before the separator: the magnitude when out of range
    bool leading = true;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        leading = leading && text[p] == '0';
        wholeDigits += leading ? 0 : 1;
        normal += text[p++];
        ++mantissaDigits;
    }
    if (p < text.size() && text[p] == separator) {
        normal += '.';
        ++p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
            normal += text[p++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return false;
    }
    long exponent = 0;
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        normal += 'e';
        ++p;
        bool negativeExponent = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
            negativeExponent = text[p] == '-';
            normal += text[p++];
        }
        const std::size_t start = p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
            exponent = std::min(exponent * 10 + (text[p] - '0'), 1000000L);
            normal += text[p++];
        }
        if (p == start) {
            return false;
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (p != text.size()) {
        return false;
    }
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool huge = wholeDigits + exponent > 0;
        value = huge ? (negative ? -HUGE_VAL : HUGE_VAL) : (negative ? -0.0 : 0.0);
        return true;
    }
    return result.ec == std::errc() && result.ptr == normal.data() + normal.size();
}

std::string SetToText(std::int64_t mask, const TEnumInfo& type) {
    std::string text;
    for (int i = 0; i < std::min(type.Count(), 32); ++i) {
        if ((static_cast<std::uint64_t>(mask) >> i) & 1U) {
            if (!text.empty()) {
                text += ',';
            }
            text += type.NameOf(i);
        }
    }
    return text;
}

// Member names after "[" and leading spaces, separated by commas, spaces or "]".
std::int64_t TextToSet(std::string_view text, const TEnumInfo& type) {
    const auto separator = [](char c) { return c == ',' || c == ' ' || c == ']'; };
    std::size_t p = 0;
    while (p < text.size() && (text[p] == '[' || text[p] == ' ')) {
        ++p;
    }
    std::uint32_t mask = 0;
    for (;;) {
        const std::size_t start = p;
        while (p < text.size() && !separator(text[p])) {
            ++p;
        }
        const std::string_view name = text.substr(start, p - start);
        while (p < text.size() && separator(text[p])) {
            ++p;
        }
        if (name.empty()) {
            return mask;
        }
        const int value = type.ValueOf(name);
        if (value < 0 || value >= 32) {
            throw EPropertyConvertError(Format("Invalid property element: %s", {name}));
        }
        mask |= 1U << value;
    }
}

std::string VariantToText(const TVariant& value, char separator) {
    struct Visitor {
        char separator;
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(double d) const { return FloatToText(d, separator); }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{separator}, value);
}

// The text form of a value property, as it is written.
std::string ValueText(const TPersistent& object, const TPropInfo& property) {
    switch (property.Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::WChar:
        return std::to_string(property.GetOrd(object));
    case TTypeKind::Enumeration: {
        const std::int64_t value = property.GetOrd(object);
        std::string name = property.EnumType->NameOf(value);
        return name.empty() ? std::to_string(value) : name;
    }
    case TTypeKind::Float:
        return FloatToText(property.GetFloat(object), platform::DecimalSeparator());
    case TTypeKind::ShortString:
    case TTypeKind::LString:
        return property.GetStr(object);
    case TTypeKind::WString:
        return platform::WideToAnsi(property.GetWideStr(object));
    case TTypeKind::Set:
        return SetToText(property.GetOrd(object), *property.EnumType);
    case TTypeKind::Variant:
        return VariantToText(property.GetVariant(object), platform::DecimalSeparator());
    default:
        return {};
    }
}

bool IsValueKind(TTypeKind kind) {
    switch (kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enumeration:
    case TTypeKind::Float:
    case TTypeKind::ShortString:
    case TTypeKind::Set:
    case TTypeKind::WChar:
    case TTypeKind::LString:
    case TTypeKind::WString:
    case TTypeKind::Variant:
        return true;
    default:
        return false;
    }
}

// Assigns a value text to a property, by the conversion rules of each kind.
void AssignText(TPersistent& object, const TPropInfo& property, std::string text) {
    const char separator = platform::DecimalSeparator();
    switch (property.Kind) {
    case TTypeKind::Integer: {
        double number = 0;
        if (!TextToNumber(text, separator, false, number) &&
            (separator == '.' || !TextToNumber(text, '.', false, number))) {
            throw EConvertError(Format("'%s' is not a valid integer value", {text}));
        }
        number = std::trunc(number);
        if (!(number >= static_cast<double>(property.MinValue) && number <= static_cast<double>(property.MaxValue))) {
            throw ERangeError();
        }
        property.SetOrd(object, static_cast<std::int64_t>(number));
        break;
    }
    case TTypeKind::Char:
        if (text.size() != 1) {
            throw ERangeError();
        }
        property.SetOrd(object, static_cast<unsigned char>(text[0]));
        break;
    case TTypeKind::WChar: {
        const std::u16string wide = platform::AnsiToWide(text);
        if (wide.size() != 1) {
            throw ERangeError();
        }
        property.SetOrd(object, wide[0]);
        break;
    }
    case TTypeKind::Enumeration: {
        const int value = property.EnumType->ValueOf(text);
        if (value < 0) {
            throw EPropertyConvertError(Format("Invalid property element: %s", {text}));
        }
        property.SetOrd(object, value);
        break;
    }
    case TTypeKind::Float: {
        if (separator == ',') {
            ReplaceChar(text, '.', ',');
        } else {
            ReplaceChar(text, ',', separator);
        }
        double number = 0;
        if (!TextToNumber(text, separator, true, number)) {
            throw EConvertError(Format("'%s' is not a valid floating point value", {text}));
        }
        property.SetFloat(object, number);
        break;
    }
    case TTypeKind::ShortString:
    case TTypeKind::LString:
        property.SetStr(object, std::move(text));
        break;
    case TTypeKind::WString:
        property.SetWideStr(object, platform::AnsiToWide(text));
        break;
    case TTypeKind::Set:
        property.SetOrd(object, TextToSet("[" + text + "]", *property.EnumType));
        break;
    case TTypeKind::Variant:
        property.SetVariant(object, TVariant(std::move(text)));
        break;
    default:
        break;
    }
}

// Keeps the chain of objects being written, so that an object met again inside itself is refused.
class TPathGuard {
public:
    TPathGuard(std::vector<const TObject*>& path, const TObject* object, std::string_view property) : FPath(path) {
        Check<EXMLCircularReferenceException>(std::find(path.begin(), path.end(), object) == path.end(),
                                              "Circular reference: %s", property);
        FPath.push_back(object);
    }
    ~TPathGuard() { FPath.pop_back(); }
    TPathGuard(const TPathGuard&) = delete;
    TPathGuard& operator=(const TPathGuard&) = delete;

private:
    std::vector<const TObject*>& FPath;
};

} // namespace

// clang-format off
const TClassInfo& TXMLSerializer::StaticClassInfo() {
    static const TClassInfo info = TPublished<TXMLSerializer>("TXMLSerializer", TComponent::StaticClassInfo())
        .Boolean("GenerateFormattedXML", &TXMLSerializer::GenerateFormattedXML).Default(1)
        .Boolean("ExcludeEmptyValues", &TXMLSerializer::ExcludeEmptyValues).Default(0)
        .Boolean("ExcludeDefaultValues", &TXMLSerializer::ExcludeDefaultValues).Default(0)
        .Boolean("ReplaceReservedSymbols", &TXMLSerializer::ReplaceReservedSymbols).Default(0)
        .Boolean("StrongConformity", &TXMLSerializer::StrongConformity).Default(1)
        .Boolean("IgnoreUnknownTags", &TXMLSerializer::IgnoreUnknownTags).Default(0)
        .Boolean("WrapCollections", &TXMLSerializer::WrapCollections).Default(1)
        .Method("OnGetXMLHeader", &TXMLSerializer::OnGetXMLHeader)
        .Method("BeforeParsing", &TXMLSerializer::BeforeParsing);
    return info;
}
// clang-format on

TXMLSerializer::TXMLSerializer(TComponent* owner) : TComponent(owner) {}

TXMLSerializer::~TXMLSerializer() = default;

// ---------------------------------------------------------------- writing

void TXMLSerializer::SaveObjectToStream(const TPersistent& object, TStream& stream) {
    XMLIndentUnit = GenerateFormattedXML ? "\t" : "";
    XMLLineBreak = GenerateFormattedXML ? "\r\n" : "";

    std::string header;
    if (OnGetXMLHeader) {
        OnGetXMLHeader(this, header);
    }
    if (header.empty()) {
        header = HeaderText;
    }

    FOutput = &stream;
    FWritePath.clear();
    struct TReset {
        TXMLSerializer* self;
        ~TReset() {
            self->FOutput = nullptr;
            self->FWritePath.clear();
        }
    } reset{this};

    Emit(header);
    const std::string& name = object.ClassName();
    Emit(XMLLineBreak + "<" + name + ">");
    FWritePath.push_back(&object);
    WriteProperties(object, 1);
    Emit(XMLLineBreak + "</" + name + ">");
}

void TXMLSerializer::Emit(std::string_view fragment) {
    if (!fragment.empty()) {
        FOutput->WriteBuffer(fragment);
    }
}

namespace {

std::string Indent(int level) {
    std::string text;
    for (int i = 0; i < level; ++i) {
        text += XMLIndentUnit;
    }
    return text;
}

} // namespace

void TXMLSerializer::WriteProperties(const TPersistent& object, int level) {
    for (const TPropInfo& property : object.ClassType().Properties()) {
        if (!property.HasRead || !property.IsStored(object)) {
            continue;
        }
        if (IsValueKind(property.Kind)) {
            WriteValue(object, property, level);
        } else if (property.Kind == TTypeKind::Class) {
            WriteObject(object, property, level);
        }
        // Methods, arrays, records, interfaces, 64-bit integers and dynamic arrays are not written.
    }
}

void TXMLSerializer::WriteValue(const TPersistent& object, const TPropInfo& property, int& level) {
    std::string text = ValueText(object, property);
    if (ExcludeEmptyValues && text.empty()) {
        return;
    }
    if (ExcludeDefaultValues && (property.Kind == TTypeKind::Integer || property.Kind == TTypeKind::Char) &&
        text == std::to_string(property.Default)) {
        return;
    }
    if (ReplaceReservedSymbols) {
        ReplaceAll(text, "<", "&lt;");
        ReplaceAll(text, ">", "&gt;");
    }
    Emit(XMLLineBreak + Indent(level) + "<" + property.Name + ">");
    Emit(text);
    Emit("</" + property.Name + ">");
}

void TXMLSerializer::WriteObject(const TPersistent& owner, const TPropInfo& property, int& level) {
    TObject* value = property.GetObject(owner);
    if (value == nullptr) {
        return;
    }
    const auto open = [&](const std::string& name) {
        Emit(XMLLineBreak + Indent(level) + "<" + name + ">");
        ++level;
    };
    const auto close = [&](const std::string& name) {
        --level;
        Emit(XMLLineBreak + Indent(level) + "</" + name + ">");
    };

    if (auto* strings = dynamic_cast<const TStrings*>(value)) {
        open(property.Name);
        Emit(strings->CommaText());
        close(property.Name);
    } else if (auto* collection = dynamic_cast<const TCollection*>(value)) {
        TPathGuard guard(FWritePath, collection, property.Name);
        if (WrapCollections) {
            open(property.Name);
        }
        WriteProperties(*collection, level);
        for (int i = 0; i < collection->Count(); ++i) {
            const TCollectionItem& item = *collection->Items(i);
            TPathGuard itemGuard(FWritePath, &item, property.Name);
            open(item.ClassName());
            WriteProperties(item, level);
            close(item.ClassName());
        }
        if (WrapCollections) {
            close(property.Name);
        }
    } else if (auto* persistent = dynamic_cast<const TPersistent*>(value)) {
        TPathGuard guard(FWritePath, persistent, property.Name);
        open(property.Name);
        WriteProperties(*persistent, level);
        close(property.Name);
    }
}

// ---------------------------------------------------------------- reading

void TXMLSerializer::LoadObjectFromStream(TPersistent& object, TStream& stream) {
    // From the stream's position to its end: a stream handed over mid-way holds the document after it.
    const std::int64_t available = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
    const auto size = static_cast<std::size_t>(available);
    struct TRelease {
        TXMLSerializer* self;
        ~TRelease() {
            self->FBuffer.reset();
            self->FBufferSize = 0;
            self->FSearchPos = 0;
        }
    } release{this};
    FBuffer = std::make_unique_for_overwrite<char[]>(size);
    FBufferSize = size;
    stream.ReadBuffer(FBuffer.get(), available);
    if (BeforeParsing) {
        BeforeParsing(this, FBuffer.get(), size);
    }
    FSearchPos = 0;
    ReadElement(object, object.ClassName(), npos);
}

std::size_t TXMLSerializer::FindText(std::string_view text, std::size_t from, std::size_t limit) const {
    // A match must end at or before `limit`.
    if (text.empty() || from > limit || limit > FBufferSize || limit - from < text.size()) {
        return npos;
    }
    const std::string_view haystack(FBuffer.get() + from, limit - from);
    if (text.size() <= 16) {
        const std::size_t at = haystack.find(text);
        return at == npos ? npos : from + at;
    }
    // Long patterns (tag names come from the document) use Knuth-Morris-Pratt, so that no input makes the
    // search quadratic.
    std::vector<std::size_t> border(text.size(), 0);
    for (std::size_t i = 1, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != text[k]) {
            k = border[k - 1];
        }
        if (text[i] == text[k]) {
            ++k;
        }
        border[i] = k;
    }
    for (std::size_t i = 0, k = 0; i < haystack.size(); ++i) {
        while (k > 0 && haystack[i] != text[k]) {
            k = border[k - 1];
        }
        if (haystack[i] == text[k]) {
            ++k;
        }
        if (k == text.size()) {
            return from + i + 1 - text.size();
        }
    }
    return npos;
}

std::size_t TXMLSerializer::FindOpenTag(std::string_view tag, std::size_t from) const {
    // An opening tag counts only with at least two bytes after it.
    return FBufferSize < 2 ? npos : FindText(tag, from, FBufferSize - 2);
}

std::size_t TXMLSerializer::FindCloseTag(std::string_view tag, std::size_t from) const {
    return FindText(tag, from, FBufferSize);
}

std::size_t TXMLSerializer::SkipBlanks(std::size_t position) const {
    // Bytes 0 to 33: control characters, the space and "!".
    while (position < FBufferSize && static_cast<unsigned char>(FBuffer[position]) <= 33) {
        ++position;
    }
    return position;
}

std::size_t TXMLSerializer::ReadElement(TPersistent& object, std::string_view name, std::size_t parentEnd) {
    const TClassInfo& type = object.ClassType();
    const std::string openTag = "<" + std::string(name) + ">";
    const std::size_t start = FindOpenTag(openTag, FSearchPos);
    if (start == npos) {
        Check<EXMLOpenTagNotFoundException>(!StrongConformity, "Open tag not found: <%s>", name);
        return npos;
    }
    const std::size_t content = start + openTag.size();
    const std::string closeTag = "</" + std::string(name) + ">";
    // A closing tag must begin before the parent's end, so the search need not go further: searching the
    // rest of the document for every item that has none would make reading quadratic.
    const std::size_t end = parentEnd == npos
                                ? FindCloseTag(closeTag, content)
                                : FindText(closeTag, content, std::min(FBufferSize, parentEnd - 1 + closeTag.size()));
    Check<EXMLCloseTagNotFoundException>(end != npos, "Close tag not found: </%s>", name);
    Check<EXMLCloseTagNotFoundException>(parentEnd == npos || end < parentEnd, "Close tag not found: </%s>", name);

    std::size_t cursor = SkipBlanks(content);
    while (cursor < end) {
        const char* const data = FBuffer.get();
        const auto* lt = static_cast<const char*>(std::memchr(data + cursor, '<', FBufferSize - cursor));
        const std::size_t tagStart = lt != nullptr ? static_cast<std::size_t>(lt - data) : npos;
        const auto* gt =
            tagStart == npos
                ? nullptr
                : static_cast<const char*>(std::memchr(data + tagStart + 1, '>', FBufferSize - tagStart - 1));
        // The element's own closing tag always lies ahead, so both are found; the checks keep it so.
        Check<EXMLCloseTagNotFoundException>(gt != nullptr, "Close tag not found: </%s>", name);
        const std::size_t tagEnd = static_cast<std::size_t>(gt - data);
        const std::string tag(data + tagStart + 1, tagEnd - tagStart - 1);
        const std::size_t valueStart = tagEnd + 1;
        const std::string tagClose = "</" + tag + ">";
        // A value end beyond this element's end is of no use, so the search stops there: searching the
        // rest of the document for every element that has none would make reading quadratic.
        const std::size_t valueEnd = FindText(tagClose, tagEnd, end);

        const TPropInfo* property = type.FindProperty(tag);
        bool moveSearch = WrapCollections || property != nullptr;
        bool handled = false;
        if (property == nullptr && !WrapCollections) {
            if (valueEnd != npos && valueEnd + tagClose.size() <= end) {
                handled = ReadUnwrappedItem(object, tag, tagStart, end) ||
                          ReadUnwrappedCollectionProperty(object, tag, tagStart, valueStart, valueEnd, end);
            }
            if (!handled) {
                property = type.FindProperty(tag + "s"); // the search position stays where it was
            }
        }
        if (moveSearch) {
            FSearchPos = tagStart;
        }
        if (!handled) {
            Check<EXMLUnknownPropertyException>(property != nullptr || IgnoreUnknownTags, "Unknown property: %s", tag);
            if (tagStart == end) {
                break; // stray text before the closing tag, passed over as an unknown element
            }
            // A property element must close inside this element, or there is no value end to go on from.
            Check<EXMLCloseTagNotFoundException>(valueEnd != npos && valueEnd + tagClose.size() <= end,
                                                 "Close tag not found: </%s>", tag);
            if (property != nullptr) {
                ReadProperty(object, *property, valueStart, valueEnd, end);
            }
        }
        cursor = SkipBlanks(valueEnd + tagClose.size());
    }
    return end + closeTag.size();
}

void TXMLSerializer::ReadProperty(TPersistent& object, const TPropInfo& property, std::size_t valueStart,
                                  std::size_t valueEnd, std::size_t elementEnd) {
    if (IsValueKind(property.Kind)) {
        if (!property.HasWrite) {
            return; // a read-only property is passed over
        }
        std::string text(FBuffer.get() + valueStart, valueEnd - valueStart);
        text.resize(std::min(text.size(), text.find('\0')));
        if (ReplaceReservedSymbols) {
            ReplaceAll(text, "&lt;", "<");
            ReplaceAll(text, "&gt;", ">");
        }
        AssignText(object, property, std::move(text));
        return;
    }
    if (property.Kind != TTypeKind::Class) {
        return; // methods, arrays, records, interfaces, 64-bit integers, dynamic arrays
    }
    TObject* value = property.GetObject(object);
    if (auto* strings = dynamic_cast<TStrings*>(value)) {
        strings->SetCommaText(std::string_view(FBuffer.get() + valueStart, valueEnd - valueStart));
    } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
        ReadCollection(*collection, valueStart, valueEnd);
    } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
        ReadElement(*persistent, property.Name, elementEnd);
    }
}

void TXMLSerializer::ReadCollection(TCollection& collection, std::size_t valueStart, std::size_t valueEnd) {
    // Items are added after the existing ones. The reading ends at the first item element that is missing
    // inside the collection's element or cannot be read; that item is dropped with its error. Each item
    // element is read once: the search goes on after its closing tag.
    const std::string& itemName = collection.ItemClass().Info->Name();
    const std::string openTag = "<" + itemName + ">";
    ReadCollectionProperties(collection, valueStart, valueEnd);
    for (;;) {
        // Only inside the collection's element, which its closing tag follows: searching the rest of the
        // document for every collection would make reading quadratic.
        const std::size_t next = FindText(openTag, std::max(FSearchPos, valueStart), valueEnd);
        if (next == npos) {
            return;
        }
        FSearchPos = next;
        TCollectionItem& item = collection.Add();
        std::size_t after = npos;
        try {
            after = ReadElement(item, itemName, valueEnd);
        } catch (const std::exception&) {
            after = npos;
        }
        if (after == npos) {
            collection.Delete(collection.Count() - 1);
            return;
        }
        FSearchPos = after;
    }
}

void TXMLSerializer::ReadCollectionProperties(TCollection& collection, std::size_t valueStart, std::size_t valueEnd) {
    // The collection's own published properties come before its items. Anything else there is passed
    // over, as the items' search passes over it.
    const TClassInfo& type = collection.ClassType();
    const std::string& itemName = collection.ItemClass().Info->Name();
    const char* const data = FBuffer.get();
    std::size_t cursor = SkipBlanks(valueStart);
    while (cursor < valueEnd) {
        const auto* lt = static_cast<const char*>(std::memchr(data + cursor, '<', valueEnd - cursor));
        if (lt == nullptr) {
            return;
        }
        const auto tagStart = static_cast<std::size_t>(lt - data);
        const auto* gt = static_cast<const char*>(std::memchr(lt + 1, '>', valueEnd - tagStart - 1));
        if (gt == nullptr) {
            return;
        }
        const auto tagEnd = static_cast<std::size_t>(gt - data);
        const std::string tag(lt + 1, gt);
        if (tag == itemName) {
            return;
        }
        const std::string tagClose = "</" + tag + ">";
        const std::size_t tagValueEnd = FindText(tagClose, tagEnd, valueEnd);
        if (tagValueEnd == npos) {
            return;
        }
        if (const TPropInfo* property = type.FindProperty(tag)) {
            FSearchPos = tagStart;
            ReadProperty(collection, *property, tagEnd + 1, tagValueEnd, valueEnd);
        }
        cursor = SkipBlanks(tagValueEnd + tagClose.size());
    }
}

bool TXMLSerializer::ReadUnwrappedItem(TPersistent& object, std::string_view tag, std::size_t tagStart,
                                       std::size_t elementEnd) {
    // Without wrapping, item elements stand among the owner's own: the first collection property whose
    // item class is named like the element takes it.
    for (const TPropInfo& property : object.ClassType().Properties()) {
        if (property.Kind != TTypeKind::Class || !property.HasRead) {
            continue;
        }
        auto* collection = dynamic_cast<TCollection*>(property.GetObject(object));
        if (collection == nullptr || collection->ItemClass().Info->Name() != tag) {
            continue;
        }
        FSearchPos = tagStart;
        TCollectionItem& item = collection->Add();
        std::size_t after = npos;
        try {
            after = ReadElement(item, tag, elementEnd);
        } catch (const std::exception&) {
            after = npos;
        }
        if (after == npos) {
            collection->Delete(collection->Count() - 1); // as inside a wrapped collection: dropped, not reported
        } else {
            FSearchPos = after;
        }
        return true;
    }
    return false;
}

bool TXMLSerializer::ReadUnwrappedCollectionProperty(TPersistent& object, std::string_view tag, std::size_t tagStart,
                                                     std::size_t valueStart, std::size_t valueEnd,
                                                     std::size_t elementEnd) {
    // Without wrapping, a collection's own published properties also stand among the owner's elements.
    for (const TPropInfo& property : object.ClassType().Properties()) {
        if (property.Kind != TTypeKind::Class || !property.HasRead) {
            continue;
        }
        auto* collection = dynamic_cast<TCollection*>(property.GetObject(object));
        const TPropInfo* own = collection != nullptr ? collection->ClassType().FindProperty(tag) : nullptr;
        if (own != nullptr) {
            FSearchPos = tagStart;
            ReadProperty(*collection, *own, valueStart, valueEnd, elementEnd);
            return true;
        }
    }
    return false;
}
