#pragma once

// TXMLSerializer: writes the published properties of an object as a small XML-like document and reads
// such a document back into an existing object. Not a general XML parser: tags are found by plain byte
// searches, names match exactly, and nothing but "<" and ">" is ever escaped (on request).

#include "base/Streams.h"
#include "base/SysUtils.h"
#include "settings/Classes.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Base of the serializer's own errors. Its message is "XMLSerializerException", CR LF CR LF, then the text.
class XMLSerializerException : public Exception {
public:
    using Exception::Exception;
};

/// "Open tag not found: <%s>"
class EXMLOpenTagNotFoundException : public XMLSerializerException {
public:
    using XMLSerializerException::XMLSerializerException;
};

/// "Close tag not found: </%s>"
class EXMLCloseTagNotFoundException : public XMLSerializerException {
public:
    using XMLSerializerException::XMLSerializerException;
};

/// "Unknown property: %s"
class EXMLUnknownPropertyException : public XMLSerializerException {
public:
    using XMLSerializerException::XMLSerializerException;
};

/// "Circular reference: %s": an object would be written inside itself, through the named property.
class EXMLCircularReferenceException : public XMLSerializerException {
public:
    using XMLSerializerException::XMLSerializerException;
};

class TXMLSerializer;

/// Supplies the header line of a document being written: `Value` comes in empty.
using TOnGetXMLHeader = std::function<void(TXMLSerializer* Sender, std::string& Value)>;
/// Sees the bytes of a document after they are read and before any search; may change them in place.
/// `Length` is the number of bytes, which stays the same.
using TBeforeParsingEvent = std::function<void(TXMLSerializer* Sender, char* Buffer, std::size_t Length)>;

/// Indentation unit and line break of the writer: shared by every serializer, set at the start of each
/// write (a tab and CR LF when formatting, both empty otherwise) and kept until the next one starts.
extern std::string XMLIndentUnit;
extern std::string XMLLineBreak;

class TXMLSerializer : public TComponent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    explicit TXMLSerializer(TComponent* owner = nullptr);
    ~TXMLSerializer() override;

    /// Writes the whole document for `object` at the stream's position; each fragment goes to the stream
    /// as soon as it is formed. The stream is neither repositioned nor truncated.
    void SaveObjectToStream(const TPersistent& object, TStream& stream);
    /// Reads the document from the stream's position to its end into `object`: properties the document
    /// does not mention keep their values, and those assigned before an error keep their new ones.
    void LoadObjectFromStream(TPersistent& object, TStream& stream);

    // Published options.
    bool GenerateFormattedXML = true;    ///< writing: one element per line, indented by tabs
    bool ExcludeEmptyValues = false;     ///< writing: a value whose text is empty is left out
    bool ExcludeDefaultValues = false;   ///< writing: an integer or char equal to its declared default is left out
    bool ReplaceReservedSymbols = false; ///< "<" and ">" as "&lt;" and "&gt;" in value texts
    bool StrongConformity = true;        ///< reading: a missing opening tag is an error
    bool IgnoreUnknownTags = false;      ///< reading: an element naming no property is passed over
    bool WrapCollections = true;         ///< a collection's items inside an element named after the property
    TOnGetXMLHeader OnGetXMLHeader;
    TBeforeParsingEvent BeforeParsing;

    /// The header line written when OnGetXMLHeader is unassigned or leaves its value empty.
    std::string HeaderText;

protected:
    /// Writes the elements of the published properties of `object`, the outermost at `level`.
    void WriteProperties(const TPersistent& object, int level);
    /// Finds the element `name` from the search position and reads the property elements inside it.
    /// Returns the position after its closing tag, or npos when it is missing and that is allowed.
    std::size_t ReadElement(TPersistent& object, std::string_view name, std::size_t parentEnd);
    /// Assigns one property from the value between `valueStart` and `valueEnd`.
    void ReadProperty(TPersistent& object, const TPropInfo& property, std::size_t valueStart, std::size_t valueEnd,
                      std::size_t elementEnd);

private:
    void Emit(std::string_view fragment);
    void WriteValue(const TPersistent& object, const TPropInfo& property, int& level);
    void WriteObject(const TPersistent& owner, const TPropInfo& property, int& level);
    void ReadCollection(TCollection& collection, std::size_t valueStart, std::size_t valueEnd);
    void ReadCollectionProperties(TCollection& collection, std::size_t valueStart, std::size_t valueEnd);
    bool ReadUnwrappedItem(TPersistent& object, std::string_view tag, std::size_t tagStart, std::size_t elementEnd);
    bool ReadUnwrappedCollectionProperty(TPersistent& object, std::string_view tag, std::size_t tagStart,
                                         std::size_t valueStart, std::size_t valueEnd, std::size_t elementEnd);

    std::size_t FindOpenTag(std::string_view tag, std::size_t from) const;
    std::size_t FindCloseTag(std::string_view tag, std::size_t from) const;
    std::size_t FindText(std::string_view text, std::size_t from, std::size_t limit) const;
    std::size_t SkipBlanks(std::size_t position) const;

    // Writing.
    TStream* FOutput = nullptr;
    std::vector<const TObject*> FWritePath; // objects being written, outermost first

    // Reading.
    std::unique_ptr<char[]> FBuffer;
    std::size_t FBufferSize = 0;
    std::size_t FSearchPos = 0;
};
