// The reader: file loading, wide-character conversion, entity decoding and the parser.
//
// The parser is a single forward scan with an explicit stack of open elements (no recursion),
// so hostile input can only produce an error code, never a deep call chain. Every access is
// checked against the end of the data; the data is not assumed to be zero-terminated.
#include "config/xmlParser/xmlNodeData.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

bool is_space(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A name runs until white space, a delimiter, a quote or a control character.
bool is_name_char(unsigned char c)
{
    if (c < 0x20 || c == 0x7f)
        return false;
    return !strchr(" /><=?!\"'&", c);
}

void append_utf8(std::string& out, unsigned long cp)
{
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

// Decodes one "&...;" at s[0] (s[0] == '&'); returns the bytes consumed, or 0 if unknown.
size_t decode_one(const char* s, size_t len, std::string& out)
{
    for (const XMLCharacterEntity& e : XMLEntities) {
        size_t n = strlen(e.entity);
        if (len >= n && memcmp(s, e.entity, n) == 0) {
            out += e.ch;
            return n;
        }
    }
    if (len < 4 || s[1] != '#')
        return 0;
    size_t k = 2;
    int base = 10;
    if (s[k] == 'x' || s[k] == 'X') {
        base = 16;
        k++;
    }
    unsigned long cp = 0;
    size_t digits = 0;
    for (; k < len && s[k] != ';'; k++, digits++) {
        char c = s[k];
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            return 0;
        cp = cp * base + v;
        if (cp > 0x10FFFF)
            return 0;
    }
    if (k >= len || digits == 0 || cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    append_utf8(out, cp);
    return k + 1;
}

} // namespace

XMLError xml_decode_entities(const char* s, size_t len, std::string& out, size_t* bad_offset)
{
    out.clear();
    out.reserve(len);
    for (size_t i = 0; i < len;) {
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        size_t n = decode_one(s + i, len - i, out);
        if (n == 0) {
            if (bad_offset)
                *bad_offset = i;
            return eXMLErrorUnknownCharacterEntity;
        }
        i += n;
    }
    return eXMLErrorNone;
}

class XMLParser {
public:
    XMLParser(const char* text, size_t len) : s_(text), n_(len) {}

    XMLNode run(XMLResults& r);

private:
    const char* s_;
    size_t n_;
    size_t p_ = 0;
    XMLError err_ = eXMLErrorNone;
    size_t errPos_ = 0;
    std::vector<std::shared_ptr<XMLNodeData>> stack_;
    std::string raw_;          // undecoded text gathered since the last markup
    bool sawNode_ = false;     // an element or a declaration
    bool sawClear_ = false;

    bool fail(XMLError e, size_t at)
    {
        if (err_ == eXMLErrorNone) {
            err_ = e;
            errPos_ = at;
        }
        return false;
    }
    bool starts(const char* lit) const
    {
        size_t k = strlen(lit);
        return n_ - p_ >= k && memcmp(s_ + p_, lit, k) == 0;
    }
    size_t find(const char* lit, size_t from) const
    {
        size_t k = strlen(lit);
        for (size_t i = from; i + k <= n_; i++)
            if (memcmp(s_ + i, lit, k) == 0)
                return i;
        return std::string::npos;
    }
    void skip_space()
    {
        while (p_ < n_ && is_space(s_[p_]))
            p_++;
    }
    XMLNodeData& top() { return *stack_.back(); }

    bool flush_text();
    bool clear_section(const XMLClearTag& t);
    bool comment();
    bool declaration();
    bool end_tag();
    bool start_tag();
    bool attributes(XMLNodeData& node, bool declaration, bool& self_closed);
    std::string name_at();
};

std::string XMLParser::name_at()
{
    size_t b = p_;
    while (p_ < n_ && is_name_char(s_[p_]))
        p_++;
    return std::string(s_ + b, p_ - b);
}

bool XMLParser::flush_text()
{
    size_t b = 0, e = raw_.size();
    if (dropWhiteSpace) {
        while (b < e && is_space(raw_[b]))
            b++;
        while (e > b && is_space(raw_[e - 1]))
            e--;
    }
    if (b < e) {
        std::string text;
        size_t bad = 0;
        if (xml_decode_entities(raw_.data() + b, e - b, text, &bad) != eXMLErrorNone) {
            // Point at the entity: the raw text ended where the current markup begins.
            return fail(eXMLErrorUnknownCharacterEntity, p_ - (raw_.size() - b - bad));
        }
        top().appendText(std::move(text));
    }
    raw_.clear();
    return true;
}

bool XMLParser::clear_section(const XMLClearTag& t)
{
    size_t begin = p_;
    size_t open = strlen(t.open);
    size_t from = p_ + open;
    size_t end;
    if (strcmp(t.open, "<!DOCTYPE") == 0) {
        // An internal subset in [...] may hold '>' of its own declarations.
        int depth = 0;
        end = std::string::npos;
        for (size_t i = from; i < n_; i++) {
            if (s_[i] == '[')
                depth++;
            else if (s_[i] == ']' && depth > 0)
                depth--;
            else if (s_[i] == '>' && depth == 0) {
                end = i;
                break;
            }
        }
    } else {
        end = find(t.close, from);
    }
    if (end == std::string::npos)
        return fail(eXMLErrorUnmatchedEndClearTag, begin);
    if (!flush_text())
        return false;
    top().appendClear({std::string(s_ + from, end - from), t.open, t.close});
    sawClear_ = true;
    p_ = end + strlen(t.close);
    return true;
}

bool XMLParser::comment()
{
    bool inText = false;
    for (char c : raw_)
        inText |= !is_space(c);
    if (!(removeCommentsInMiddleOfText && inText))
        return clear_section(XMLClearTags[2]);
    size_t end = find("-->", p_ + 4);
    if (end == std::string::npos)
        return fail(eXMLErrorUnmatchedEndClearTag, p_);
    p_ = end + 3; // the text goes on after the comment
    return true;
}

bool XMLParser::attributes(XMLNodeData& node, bool declaration, bool& self_closed)
{
    self_closed = false;
    for (;;) {
        skip_space();
        if (p_ >= n_)
            return fail(eXMLErrorUnexpectedToken, p_);
        if (declaration) {
            if (starts("?>")) {
                p_ += 2;
                return true;
            }
        } else if (starts("/>")) {
            p_ += 2;
            self_closed = true;
            return true;
        } else if (s_[p_] == '>') {
            p_++;
            return true;
        }
        size_t at = p_;
        std::string name = name_at();
        if (name.empty())
            return fail(eXMLErrorUnexpectedToken, at);
        skip_space();
        if (p_ >= n_ || s_[p_] != '=')
            return fail(eXMLErrorUnexpectedToken, p_); // an attribute needs a value
        p_++;
        skip_space();
        if (p_ >= n_ || (s_[p_] != '"' && s_[p_] != '\''))
            return fail(eXMLErrorUnexpectedToken, p_);
        char q = s_[p_++];
        size_t b = p_;
        while (p_ < n_ && s_[p_] != q) {
            if (s_[p_] == '\0' || s_[p_] == '<')
                return fail(eXMLErrorUnexpectedToken, p_);
            p_++;
        }
        if (p_ >= n_)
            return fail(eXMLErrorUnexpectedToken, b - 1);
        std::string value;
        size_t bad = 0;
        if (xml_decode_entities(s_ + b, p_ - b, value, &bad) != eXMLErrorNone)
            return fail(eXMLErrorUnknownCharacterEntity, b + bad);
        p_++;
        node.attributes.push_back({std::move(name), std::move(value)});
    }
}

bool XMLParser::declaration()
{
    size_t at = p_;
    p_ += 2;
    std::string name = name_at();
    if (name.empty())
        return fail(eXMLErrorMissingTagName, at);
    if (!flush_text())
        return false;
    XMLNode n = top().appendChild(name.c_str(), true);
    bool self_closed;
    sawNode_ = true;
    return attributes(*XMLNodeData::data(n), true, self_closed);
}

bool XMLParser::end_tag()
{
    size_t at = p_;
    p_ += 2;
    std::string name = name_at();
    if (name.empty())
        return fail(eXMLErrorMissingEndTagName, at);
    skip_space();
    if (p_ >= n_ || s_[p_] != '>')
        return fail(eXMLErrorUnexpectedToken, p_);
    p_++;
    if (stack_.size() < 2 || top().name != name)
        return fail(eXMLErrorUnmatchedEndTag, at);
    if (!flush_text())
        return false;
    stack_.pop_back();
    return true;
}

bool XMLParser::start_tag()
{
    size_t at = p_;
    p_++;
    std::string name = name_at();
    if (name.empty())
        return fail(eXMLErrorMissingTagName, at);
    if (!flush_text())
        return false;
    if (stack_.size() > static_cast<size_t>(kXMLMaxDepth))
        return fail(eXMLErrorTooDeep, at);
    XMLNode n = top().appendChild(name.c_str(), false);
    sawNode_ = true;
    bool self_closed;
    if (!attributes(*XMLNodeData::data(n), false, self_closed))
        return false;
    if (!self_closed)
        stack_.push_back(XMLNodeData::data(n));
    return true;
}

XMLNode XMLParser::run(XMLResults& r)
{
    auto root = std::make_shared<XMLNodeData>();
    stack_.push_back(root);
    bool ok = true;
    while (ok && p_ < n_) {
        char c = s_[p_];
        if (c == '\0') {
            ok = fail(eXMLErrorUnexpectedToken, p_);
        } else if (c != '<') {
            size_t b = p_;
            while (p_ < n_ && s_[p_] != '<' && s_[p_] != '\0')
                p_++;
            raw_.append(s_ + b, p_ - b);
        } else if (starts("<!--")) {
            ok = comment();
        } else if (starts(XMLClearTags[0].open)) {
            ok = clear_section(XMLClearTags[0]);
        } else if (starts(XMLClearTags[1].open)) {
            ok = clear_section(XMLClearTags[1]);
        } else if (starts(XMLClearTags[3].open)) {
            ok = clear_section(XMLClearTags[3]);
        } else if (starts("<?")) {
            ok = declaration();
        } else if (starts("</")) {
            ok = end_tag();
        } else if (starts("<!")) {
            ok = fail(eXMLErrorUnexpectedToken, p_);
        } else {
            ok = start_tag();
        }
    }
    if (ok) {
        if (stack_.size() > 1)
            ok = fail(eXMLErrorMissingEndTag, n_);
        else if (flush_text() && !sawNode_)
            ok = fail(sawClear_ ? eXMLErrorNoElements : eXMLErrorNoXMLTagFound, 0);
    }
    stack_.clear();
    if (err_ != eXMLErrorNone) {
        r.error = err_;
        r.nLine = 1;
        r.nColumn = 1;
        for (size_t i = 0; i < errPos_ && i < n_; i++) {
            if (s_[i] == '\n') {
                r.nLine++;
                r.nColumn = 1;
            } else {
                r.nColumn++;
            }
        }
        return XMLNode();
    }
    r = XMLResults();
    return XMLNodeData::handle(root);
}

namespace {

// Depth-first search for the first element named `tag`, without recursion.
XMLNode find_first(const XMLNode& top, const char* tag)
{
    std::vector<XMLNode> todo{top};
    while (!todo.empty()) {
        XMLNode n = todo.back();
        todo.pop_back();
        if (n.getName() && strcmp(n.getName(), tag) == 0)
            return n;
        for (int i = n.nChildNode() - 1; i >= 0; i--)
            todo.push_back(n.getChildNode(i));
    }
    return XMLNode();
}

// UTF-16 text (with or without its byte-order mark) to UTF-8. False on a broken surrogate
// pair or an odd byte count.
bool utf16_to_utf8(const unsigned char* b, size_t len, bool little, std::string& out)
{
    if (len % 2)
        return false;
    out.clear();
    out.reserve(len);
    for (size_t i = 0; i < len; i += 2) {
        unsigned long u = little ? (b[i] | b[i + 1] << 8) : (b[i] << 8 | b[i + 1]);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= len)
                return false;
            unsigned long l = little ? (b[i + 2] | b[i + 3] << 8) : (b[i + 2] << 8 | b[i + 3]);
            if (l < 0xDC00 || l > 0xDFFF)
                return false;
            u = 0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00);
            i += 2;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
        append_utf8(out, u);
    }
    return true;
}

} // namespace

XMLNode XMLNode::parseString(const char* text, size_t len, XMLCSTR tag, XMLResults* results)
{
    XMLResults local;
    XMLResults& r = results ? *results : local;
    r = XMLResults();
    if (!text || len == 0) {
        r.error = eXMLErrorEmpty;
        return XMLNode();
    }
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text);
    std::string converted;
    if (guessWideCharChars && len >= 2) {
        int wide = 0; // 1 little-endian, 2 big-endian
        size_t skip = 0;
        if (b[0] == 0xFF && b[1] == 0xFE) {
            wide = 1;
            skip = 2;
        } else if (b[0] == 0xFE && b[1] == 0xFF) {
            wide = 2;
            skip = 2;
        } else if (len >= 4 && b[0] && !b[1] && b[2] && !b[3]) {
            wide = 1;
        } else if (len >= 4 && !b[0] && b[1] && !b[2] && b[3]) {
            wide = 2;
        }
        if (wide) {
            if (!utf16_to_utf8(b + skip, len - skip, wide == 1, converted)) {
                r.error = eXMLErrorCharConversionError;
                return XMLNode();
            }
            text = converted.data();
            len = converted.size();
            b = reinterpret_cast<const unsigned char*>(text);
        }
    }
    if (len >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        text += 3;
        len -= 3;
    }
    if (len == 0) {
        r.error = eXMLErrorEmpty;
        return XMLNode();
    }
    XMLParser parser(text, len);
    XMLNode top = parser.run(r);
    if (top.isEmpty() || !tag)
        return top;
    XMLNode found = find_first(top, tag);
    if (found.isEmpty())
        r.error = eXMLErrorFirstTagNotFound;
    return found;
}

XMLNode XMLNode::parseFile(XMLCSTR path, XMLCSTR tag, XMLResults* results)
{
    XMLResults local;
    XMLResults& r = results ? *results : local;
    r = XMLResults();
    FILE* f = path ? fopen(path, "rb") : nullptr;
    if (!f) {
        r.error = eXMLErrorFileNotFound;
        return XMLNode();
    }
    std::string data;
    char buf[8192];
    size_t got;
    bool tooLarge = false;
    while ((got = fread(buf, 1, sizeof buf, f)) > 0) {
        if (data.size() + got > kXMLMaxFileSize) {
            tooLarge = true;
            break;
        }
        data.append(buf, got);
    }
    bool readError = ferror(f) != 0;
    fclose(f);
    if (tooLarge) {
        r.error = eXMLErrorTooLarge;
        return XMLNode();
    }
    if (readError) {
        r.error = eXMLErrorFileNotFound; // a folder or an unreadable file holds no document
        return XMLNode();
    }
    return parseString(data.data(), data.size(), tag, &r);
}
