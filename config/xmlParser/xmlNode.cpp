// The document model: node handles, look-ups and construction.
#include "config/xmlParser/xmlNodeData.h"

#include <cstring>

const XMLNode XMLNode::emptyXMLNode;

const XMLClearTag XMLClearTags[4] = {
    {"<![CDATA[", "]]>"},
    {"<!DOCTYPE", ">"},
    {"<!--", "-->"},
    {"<PRE>", "</PRE>"},
};

const XMLCharacterEntity XMLEntities[5] = {
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
};

namespace {

const char* const kErrorTexts[] = {
    "No error",
    "Warning: Unmatched end tag",
    "Warning: No XML tag found",
    "Error: No XML data",
    "Error: Missing start tag name",
    "Error: Missing end tag name",
    "Error: Unmatched end tag",
    "Error: Unmatched clear tag end",
    "Error: Unexpected token found",
    "Error: No elements found",
    "Error: File not found",
    "Error: First Tag not found",
    "Error: Unknown character entity",
    "Error: Character code above 255 is forbidden in MultiByte char mode.",
    "Error: unable to convert between WideChar and MultiByte chars",
    "Error: unable to open file for writing",
    "Error: cannot write into file",
    "Warning: Base64-string length is not a multiple of 4",
    "Error: Base64-string contains an illegal character",
    "Warning: Base64-string is truncated",
    "Error: Base64 decode output buffer is too small",
    "Error: Elements nested too deeply",
    "Error: File too large",
};

} // namespace

// Children are released iteratively: a deep tree must not recurse once per level while it
// is destroyed.
XMLNodeData::~XMLNodeData()
{
    std::vector<std::shared_ptr<XMLNodeData>> pending;
    auto take_children = [&pending](XMLNodeData& n) {
        for (XMLNode& c : n.children) {
            std::shared_ptr<XMLNodeData> cd = data(c);
            c = XMLNode();
            if (cd) {
                cd->parent = nullptr;
                pending.push_back(std::move(cd));
            }
        }
        n.children.clear();
    };
    take_children(*this);
    while (!pending.empty()) {
        std::shared_ptr<XMLNodeData> p = std::move(pending.back());
        pending.pop_back();
        if (p.use_count() == 1)
            take_children(*p);
    }
}

XMLNode XMLNodeData::appendChild(const char* childName, bool declaration)
{
    auto c = std::make_shared<XMLNodeData>();
    c->name = childName ? childName : "";
    c->hasName = true;
    c->isDeclaration = declaration;
    c->parent = this;
    order.push_back({Child, static_cast<int>(children.size())});
    children.push_back(XMLNode(c));
    return children.back();
}

void XMLNodeData::appendText(std::string text)
{
    order.push_back({Text, static_cast<int>(texts.size())});
    texts.push_back(std::move(text));
}

void XMLNodeData::appendClear(XMLClear clear)
{
    order.push_back({Clear, static_cast<int>(clears.size())});
    clears.push_back(std::move(clear));
}

XMLCSTR XMLNode::getError(int code)
{
    if (code < 0 || code >= static_cast<int>(sizeof kErrorTexts / sizeof kErrorTexts[0]))
        return "Unknown";
    return kErrorTexts[code];
}

XMLCSTR XMLNode::getVersion()
{
    return "v2.43";
}

XMLNode XMLNode::createXMLTopNode(XMLCSTR name, bool isDeclaration)
{
    auto d = std::make_shared<XMLNodeData>();
    d->name = name ? name : "";
    d->hasName = true;
    d->isDeclaration = isDeclaration;
    return XMLNode(d);
}

bool XMLNode::isDeclaration() const
{
    return d_ && d_->isDeclaration;
}

XMLCSTR XMLNode::getName() const
{
    return d_ && d_->hasName ? d_->name.c_str() : nullptr;
}

XMLNode XMLNode::getParentNode() const
{
    if (!d_ || !d_->parent)
        return XMLNode();
    return XMLNode(d_->parent->shared_from_this());
}

int XMLNode::nChildNode() const
{
    return d_ ? static_cast<int>(d_->children.size()) : 0;
}

int XMLNode::nChildNode(XMLCSTR name) const
{
    if (!d_ || !name)
        return 0;
    int n = 0;
    for (const XMLNode& c : d_->children)
        n += c.d_->name == name;
    return n;
}

XMLNode XMLNode::getChildNode(int i) const
{
    if (!d_ || i < 0 || i >= static_cast<int>(d_->children.size()))
        return XMLNode();
    return d_->children[i];
}

XMLNode XMLNode::getChildNode(XMLCSTR name, int i) const
{
    if (!d_ || !name || i < 0)
        return XMLNode();
    for (const XMLNode& c : d_->children)
        if (c.d_->name == name && i-- == 0)
            return c;
    return XMLNode();
}

XMLNode XMLNode::getChildNode(XMLCSTR name, int* iterator) const
{
    if (!iterator)
        return getChildNode(name, 0);
    if (!d_ || !name || *iterator < 0)
        return XMLNode();
    for (int k = *iterator; k < static_cast<int>(d_->children.size()); k++) {
        if (d_->children[k].d_->name == name) {
            *iterator = k + 1;
            return d_->children[k];
        }
    }
    *iterator = static_cast<int>(d_->children.size());
    return XMLNode();
}

int XMLNode::nAttribute() const
{
    return d_ ? static_cast<int>(d_->attributes.size()) : 0;
}

const XMLAttribute* XMLNode::getAttributeAt(int i) const
{
    if (!d_ || i < 0 || i >= static_cast<int>(d_->attributes.size()))
        return nullptr;
    return &d_->attributes[i];
}

XMLCSTR XMLNode::getAttribute(XMLCSTR name, int* iterator) const
{
    if (!d_ || !name)
        return nullptr;
    int start = iterator ? *iterator : 0;
    if (start < 0)
        return nullptr;
    for (int k = start; k < static_cast<int>(d_->attributes.size()); k++) {
        if (d_->attributes[k].name == name) {
            if (iterator)
                *iterator = k + 1;
            return d_->attributes[k].value.c_str();
        }
    }
    if (iterator)
        *iterator = static_cast<int>(d_->attributes.size());
    return nullptr;
}

int XMLNode::nText() const
{
    return d_ ? static_cast<int>(d_->texts.size()) : 0;
}

XMLCSTR XMLNode::getText(int i) const
{
    if (!d_ || i < 0 || i >= static_cast<int>(d_->texts.size()))
        return nullptr;
    return d_->texts[i].c_str();
}

int XMLNode::nClear() const
{
    return d_ ? static_cast<int>(d_->clears.size()) : 0;
}

const XMLClear* XMLNode::getClear(int i) const
{
    if (!d_ || i < 0 || i >= static_cast<int>(d_->clears.size()))
        return nullptr;
    return &d_->clears[i];
}

XMLNode XMLNode::addChild(XMLCSTR name, bool isDeclaration, int position)
{
    if (!d_)
        return XMLNode();
    int n = static_cast<int>(d_->children.size());
    if (position < 0 || position >= n)
        return d_->appendChild(name, isDeclaration);

    auto c = std::make_shared<XMLNodeData>();
    c->name = name ? name : "";
    c->hasName = true;
    c->isDeclaration = isDeclaration;
    c->parent = d_.get();
    d_->children.insert(d_->children.begin() + position, XMLNode(c));
    // Renumber the later children in the order list and place the new one before the child
    // it now precedes.
    size_t at = d_->order.size();
    for (size_t k = 0; k < d_->order.size(); k++) {
        XMLNodeData::Entry& e = d_->order[k];
        if (e.kind != XMLNodeData::Child)
            continue;
        if (e.index == position && at == d_->order.size())
            at = k;
        if (e.index >= position)
            e.index++;
    }
    d_->order.insert(d_->order.begin() + static_cast<long>(at), {XMLNodeData::Child, position});
    return d_->children[position];
}

bool XMLNode::addAttribute(XMLCSTR name, XMLCSTR value)
{
    if (!d_ || !name)
        return false;
    d_->attributes.push_back({name, value ? value : ""});
    return true;
}

bool XMLNode::addText(XMLCSTR text)
{
    if (!d_ || !text)
        return false;
    d_->appendText(text);
    return true;
}

bool XMLNode::addClear(XMLCSTR content, XMLCSTR openTag, XMLCSTR closeTag)
{
    if (!d_ || !content || !openTag || !closeTag)
        return false;
    d_->appendClear({content, openTag, closeTag});
    return true;
}

void XMLNode::deleteNodeContent()
{
    if (!d_)
        return;
    if (XMLNodeData* p = d_->parent) {
        for (size_t k = 0; k < p->children.size(); k++) {
            if (p->children[k].d_ != d_)
                continue;
            p->children.erase(p->children.begin() + static_cast<long>(k));
            for (size_t j = 0; j < p->order.size(); j++) {
                XMLNodeData::Entry& e = p->order[j];
                if (e.kind != XMLNodeData::Child)
                    continue;
                if (e.index == static_cast<int>(k)) {
                    p->order.erase(p->order.begin() + static_cast<long>(j));
                    j--;
                } else if (e.index > static_cast<int>(k)) {
                    e.index--;
                }
            }
            break;
        }
        d_->parent = nullptr;
    }
    d_.reset();
}
