// The data behind an XMLNode handle (private to the XML reader and writer).
#pragma once

#include "config/xmlParser/xmlParser.h"

#include <cstdint>

struct XMLNodeData : std::enable_shared_from_this<XMLNodeData> {
    enum Kind : uint8_t { Child, Text, Clear };
    struct Entry {
        Kind kind;
        int index; // into children, texts or clears
    };

    std::string name;
    bool hasName = false;     // the parser's top node has none
    bool isDeclaration = false;
    XMLNodeData* parent = nullptr; // not owning: a parent owns its children, never the reverse
    std::vector<XMLNode> children;
    std::vector<XMLAttribute> attributes;
    std::vector<std::string> texts;
    std::vector<XMLClear> clears;
    std::vector<Entry> order; // document order of children, texts and clears

    ~XMLNodeData();

    static XMLNode handle(const std::shared_ptr<XMLNodeData>& d) { return XMLNode(d); }
    static const std::shared_ptr<XMLNodeData>& data(const XMLNode& n) { return n.d_; }

    XMLNode appendChild(const char* childName, bool declaration);
    void appendText(std::string text);
    void appendClear(XMLClear clear);
};
