// A small XML document model with its reader and writer, used for the settings file
// r5_parameters.xml.
//
// XMLNode is a handle: copying it copies the reference, not the node; the node data lives as
// long as any handle or its parent refers to it. A handle without data is the empty node
// (XMLNode::emptyXMLNode), which is what every failed look-up returns, so callers test
// isEmpty() instead of catching anything.
//
// The reader (parseFile, parseString) accepts elements, attributes in single or double
// quotes, texts (trimmed of surrounding white space), the five named entities and numeric
// character references, declarations <?name ...?>, and the verbatim sections of
// XMLClearTags (CDATA, DOCTYPE, comments, PRE). A comment standing inside a text is dropped
// and the text joined around it; other comments are kept as verbatim sections. Input is
// untrusted: any fault gives an XMLError with its line and column and the empty node, never a
// partial tree. Nesting deeper than kXMLMaxDepth and files larger than kXMLMaxFileSize are
// refused, so no input can exhaust the stack or the memory.
//
// The writer (createXMLString, writeToFile) indents with one TAB per level; see writeToFile.
// The character encoding is UTF-8; UTF-16 input is recognised and converted on reading.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

typedef const char* XMLCSTR;

enum XMLError {
    eXMLErrorNone = 0,
    eXMLErrorMissingEndTag = 1,          // an element is still open at the end of the data
    eXMLErrorNoXMLTagFound = 2,
    eXMLErrorEmpty = 3,
    eXMLErrorMissingTagName = 4,
    eXMLErrorMissingEndTagName = 5,
    eXMLErrorUnmatchedEndTag = 6,
    eXMLErrorUnmatchedEndClearTag = 7,
    eXMLErrorUnexpectedToken = 8,
    eXMLErrorNoElements = 9,
    eXMLErrorFileNotFound = 10,
    eXMLErrorFirstTagNotFound = 11,
    eXMLErrorUnknownCharacterEntity = 12,
    eXMLErrorCharacterCodeAbove255 = 13,
    eXMLErrorCharConversionError = 14,
    eXMLErrorCannotOpenWriteFile = 15,
    eXMLErrorCannotWriteFile = 16,
    eXMLErrorBase64DataSizeIsNotMultipleOf4 = 17,
    eXMLErrorBase64DecodeIllegalCharacter = 18,
    eXMLErrorBase64DecodeTruncatedData = 19,
    eXMLErrorBase64DecodeBufferTooSmall = 20,
    eXMLErrorTooDeep = 21,               // nesting beyond kXMLMaxDepth
    eXMLErrorTooLarge = 22,              // file beyond kXMLMaxFileSize
};

constexpr int kXMLMaxDepth = 256;
constexpr size_t kXMLMaxFileSize = 16u << 20;

// Character encodings of the writer's declaration line. Only UTF-8 is used by this system.
enum XMLCharEncoding { char_encoding_error = 0, char_encoding_UTF8 = 1 };

// The fixed global options of the reader and writer (never changed at run time).
constexpr XMLCharEncoding characterEncoding = char_encoding_UTF8;
constexpr bool guessWideCharChars = true;
constexpr bool dropWhiteSpace = true;
constexpr bool removeCommentsInMiddleOfText = true;

struct XMLResults {
    XMLError error = eXMLErrorNone;
    int nLine = 0;    // 1-based line of the fault (0 when there is none)
    int nColumn = 0;  // 1-based column, counted in bytes
};

struct XMLAttribute {
    std::string name;
    std::string value;
};

// A verbatim section: written back exactly as opening mark + content + closing mark.
struct XMLClear {
    std::string content;
    std::string openTag;
    std::string closeTag;
};

// Opening and closing marks of the verbatim sections, matched in this order.
struct XMLClearTag {
    const char* open;
    const char* close;
};
extern const XMLClearTag XMLClearTags[4];

// The entity table, used to decode and to encode texts and attribute values.
struct XMLCharacterEntity {
    const char* entity; // "&amp;"
    char ch;            // '&'
};
extern const XMLCharacterEntity XMLEntities[5];

struct XMLNodeData;

class XMLNode {
public:
    static const XMLNode emptyXMLNode;

    XMLNode() = default;

    // Reads and parses a whole file. Returns the top node: an unnamed node whose children are
    // the document's top-level elements and declarations. With `tag` the first element of
    // that name (depth first) is returned instead, or error 11. On any error the empty node
    // is returned and `results` (when given) holds the code, line and column.
    static XMLNode parseFile(XMLCSTR path, XMLCSTR tag = nullptr, XMLResults* results = nullptr);
    // The same for text in memory (`len` bytes; it need not be zero-terminated).
    static XMLNode parseString(const char* text, size_t len, XMLCSTR tag = nullptr,
                               XMLResults* results = nullptr);

    // A new parentless node.
    static XMLNode createXMLTopNode(XMLCSTR name, bool isDeclaration = false);

    // The text of an error code ("Unknown" for codes outside the table).
    static XMLCSTR getError(int code);
    // The version of this component ("v2.43").
    static XMLCSTR getVersion();

    bool isEmpty() const { return !d_; }
    bool isDeclaration() const;
    XMLCSTR getName() const;            // null for the empty node and for the unnamed top node
    XMLNode getParentNode() const;      // empty for a top node

    int nChildNode() const;
    int nChildNode(XMLCSTR name) const;
    XMLNode getChildNode(int i) const;
    // The i-th child element with this name, counting from 0, or the empty node.
    XMLNode getChildNode(XMLCSTR name, int i = 0) const;
    // The next child with this name at or after the child position *iterator; advances
    // *iterator past the child found. Start with *iterator = 0.
    XMLNode getChildNode(XMLCSTR name, int* iterator) const;

    int nAttribute() const;
    const XMLAttribute* getAttributeAt(int i) const; // null when out of range
    // The value of the first attribute with this name (with `iterator`: the next one at or
    // after attribute position *iterator, advancing it), or null. The pointer stays valid
    // until the node's attributes change or the node dies.
    XMLCSTR getAttribute(XMLCSTR name, int* iterator = nullptr) const;
    bool isAttributeSet(XMLCSTR name) const { return getAttribute(name) != nullptr; }

    int nText() const;
    XMLCSTR getText(int i = 0) const;   // null when out of range
    int nClear() const;
    const XMLClear* getClear(int i = 0) const;

    // Adds a child element; position -1 (or past the end) appends, otherwise the child is
    // inserted before the existing child at that position. Returns the child, or the empty
    // node when this node is empty.
    XMLNode addChild(XMLCSTR name, bool isDeclaration = false, int position = -1);
    // Appends an attribute (duplicates are kept, as in the file). False on the empty node.
    bool addAttribute(XMLCSTR name, XMLCSTR value);
    bool addText(XMLCSTR text);
    bool addClear(XMLCSTR content, XMLCSTR openTag = "<![CDATA[", XMLCSTR closeTag = "]]>");

    // The subtree as text. Format 1 indents with TABs and ends every line with '\n'; format 0
    // writes everything on one line.
    std::string createXMLString(int format = 1) const;

    // Writes the subtree to a file. Unless the node (or its first child) is a declaration, a
    // line <?xml version="1.0" encoding="utf-8"?> is written first; in UTF-8 mode the file
    // starts with the byte-order mark EF BB BF. The file is replaced atomically: a new file
    // is written beside it, flushed to the disk and renamed over the old one, so a failed or
    // interrupted write leaves the previous file in place. Returns 0, 15 when the new file
    // cannot be created, 16 when a write, the flush, the close or the rename fails.
    // `encoding` only matters in a non-UTF-8 mode, which this system does not use.
    XMLError writeToFile(XMLCSTR path, XMLCSTR encoding = nullptr, char format = 1) const;

    // Detaches the node from its parent and drops this handle's reference to its data.
    void deleteNodeContent();

    bool operator==(const XMLNode& o) const { return d_ == o.d_; }
    bool operator!=(const XMLNode& o) const { return d_ != o.d_; }

private:
    explicit XMLNode(std::shared_ptr<XMLNodeData> d) : d_(std::move(d)) {}
    friend struct XMLNodeData;
    friend class XMLParser;
    friend class XMLWriter;
    std::shared_ptr<XMLNodeData> d_;
};

// Decodes the entities and character references of `len` bytes into `out`. Returns 0, or
// eXMLErrorUnknownCharacterEntity with *bad_offset set to the '&' that could not be decoded.
XMLError xml_decode_entities(const char* s, size_t len, std::string& out, size_t* bad_offset);
// Escapes &, <, >, " and ' with the entity table.
std::string xml_encode_entities(const std::string& s);
