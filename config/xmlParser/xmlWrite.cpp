// The writer: serialising a subtree with TAB indentation and writing it to a file.
#include "config/xmlParser/safe_file_write.h"
#include "config/xmlParser/xmlNodeData.h"

std::string xml_encode_entities(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        const char* e = nullptr;
        for (const XMLCharacterEntity& x : XMLEntities)
            if (x.ch == c)
                e = x.entity;
        if (e)
            out += e;
        else
            out += c;
    }
    return out;
}

class XMLWriter {
public:
    explicit XMLWriter(bool formatted) : fmt_(formatted) {}

    void element(const XMLNodeData& n, int level);
    void contents(const XMLNodeData& n, int level);
    std::string out;

private:
    bool fmt_;
    void indent(int level)
    {
        if (fmt_)
            out.append(static_cast<size_t>(level), '\t');
    }
    void newline()
    {
        if (fmt_)
            out += '\n';
    }
    void attributes(const XMLNodeData& n)
    {
        for (const XMLAttribute& a : n.attributes) {
            out += ' ';
            out += a.name;
            out += "=\"";
            out += xml_encode_entities(a.value);
            out += '"';
        }
    }
};

void XMLWriter::contents(const XMLNodeData& n, int level)
{
    for (const XMLNodeData::Entry& e : n.order) {
        switch (e.kind) {
        case XMLNodeData::Child:
            element(*XMLNodeData::data(n.children[e.index]), level);
            break;
        case XMLNodeData::Text:
            indent(level);
            out += xml_encode_entities(n.texts[e.index]);
            newline();
            break;
        case XMLNodeData::Clear: {
            const XMLClear& c = n.clears[e.index];
            indent(level);
            out += c.openTag;
            out += c.content;
            out += c.closeTag;
            newline();
            break;
        }
        }
    }
}

// Recursion depth is the depth of the tree: parsed trees are bounded by kXMLMaxDepth and the
// trees this system builds are a few levels deep.
void XMLWriter::element(const XMLNodeData& n, int level)
{
    if (!n.hasName) { // the parser's top node: only its contents
        contents(n, level);
        return;
    }
    indent(level);
    if (n.isDeclaration) {
        out += "<?";
        out += n.name;
        attributes(n);
        out += "?>";
        newline();
        contents(n, level); // a declaration's children stand at its own level
        return;
    }
    out += '<';
    out += n.name;
    attributes(n);
    if (n.order.empty()) {
        out += "/>";
        newline();
        return;
    }
    out += '>';
    if (n.order.size() == 1 && n.order[0].kind == XMLNodeData::Text) {
        out += xml_encode_entities(n.texts[0]);
    } else {
        newline();
        contents(n, level + 1);
        indent(level);
    }
    out += "</";
    out += n.name;
    out += '>';
    newline();
}

std::string XMLNode::createXMLString(int format) const
{
    if (!d_)
        return std::string();
    XMLWriter w(format != 0);
    w.element(*d_, 0);
    return w.out;
}

XMLError XMLNode::writeToFile(XMLCSTR path, XMLCSTR encoding, char format) const
{
    if (!path)
        return eXMLErrorCannotOpenWriteFile;
    std::string text;
    bool firstIsDeclaration = d_ && !d_->children.empty() && d_->children[0].isDeclaration() &&
                              !d_->order.empty() && d_->order[0].kind == XMLNodeData::Child;
    bool utf8 = characterEncoding == char_encoding_UTF8;
    if (utf8)
        text = "\xEF\xBB\xBF";
    if (!isDeclaration() && !firstIsDeclaration) {
        text += "<?xml version=\"1.0\" encoding=\"";
        text += utf8 ? "utf-8" : (encoding ? encoding : "ISO-8859-1");
        text += "\"?>\n";
    }
    text += createXMLString(format);
    switch (safe_file_write(path, text.data(), text.size())) {
    case 0:
        return eXMLErrorNone;
    case -1:
        return eXMLErrorCannotOpenWriteFile;
    default:
        return eXMLErrorCannotWriteFile;
    }
}
