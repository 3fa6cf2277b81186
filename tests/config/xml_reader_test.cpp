// The XML reader: what it accepts, how it reports faults, and the document model it builds.
#include "config/xmlParser/xmlParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

XMLNode parse(const std::string& text, XMLResults* r = nullptr)
{
    return XMLNode::parseString(text.data(), text.size(), nullptr, r);
}

XMLError error_of(const std::string& text)
{
    XMLResults r;
    XMLNode n = parse(text, &r);
    EXPECT_EQ(n.isEmpty(), r.error != eXMLErrorNone) << text;
    return r.error;
}

std::string temp_file(const std::string& contents)
{
    char name[] = "/tmp/xmlreader-XXXXXX";
    int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
    close(fd);
    return name;
}

} // namespace

TEST(XmlReader, builds_elements_attributes_and_trimmed_texts_in_document_order)
{
    XMLNode top = parse("<?xml version=\"1.0\"?>\n<body a='1' b = \"two\">\n"
                        "  <item value=\"x\"/>\n  hello  world \n<item>t</item></body>");
    ASSERT_FALSE(top.isEmpty());
    EXPECT_EQ(top.getName(), nullptr); // the unnamed top node
    ASSERT_EQ(top.nChildNode(), 2);
    EXPECT_TRUE(top.getChildNode(0).isDeclaration());
    EXPECT_STREQ(top.getChildNode(0).getAttribute("version"), "1.0");
    XMLNode body = top.getChildNode("body");
    EXPECT_STREQ(body.getAttribute("a"), "1");
    EXPECT_STREQ(body.getAttribute("b"), "two");
    EXPECT_EQ(body.getAttribute("c"), nullptr);
    EXPECT_EQ(body.nChildNode("item"), 2);
    EXPECT_STREQ(body.getChildNode("item", 0).getAttribute("value"), "x");
    EXPECT_STREQ(body.getChildNode("item", 1).getText(), "t");
    EXPECT_TRUE(body.getChildNode("item", 2).isEmpty());
    ASSERT_EQ(body.nText(), 1);
    EXPECT_STREQ(body.getText(), "hello  world");
    EXPECT_EQ(body.getChildNode("item", 1).getParentNode(), body);
}

TEST(XmlReader, looks_up_repeated_children_and_attributes_with_iterators)
{
    XMLNode b = parse("<b k='1' x='0' k='2'><c n='a'/><d/><c n='b'/></b>").getChildNode("b");
    int it = 0;
    EXPECT_STREQ(b.getChildNode("c", &it).getAttribute("n"), "a");
    EXPECT_STREQ(b.getChildNode("c", &it).getAttribute("n"), "b");
    EXPECT_TRUE(b.getChildNode("c", &it).isEmpty());
    int ai = 0;
    EXPECT_STREQ(b.getAttribute("k", &ai), "1");
    EXPECT_STREQ(b.getAttribute("k", &ai), "2");
    EXPECT_EQ(b.getAttribute("k", &ai), nullptr);
}

TEST(XmlReader, decodes_named_entities_and_numeric_references)
{
    XMLNode b = parse("<b v=\"&amp;&lt;&gt;&quot;&apos;\">&#65;&#x42;&#xe9;&#8364;</b>")
                    .getChildNode("b");
    EXPECT_STREQ(b.getAttribute("v"), "&<>\"'");
    EXPECT_STREQ(b.getText(), "AB\xC3\xA9\xE2\x82\xAC");
}

TEST(XmlReader, keeps_verbatim_sections_and_drops_a_comment_inside_a_text)
{
    XMLNode b = parse("<b><!-- note --><![CDATA[a<b>&c]]><PRE> x < y </PRE>"
                      "one<!-- gone -->two</b>")
                    .getChildNode("b");
    ASSERT_EQ(b.nClear(), 3);
    EXPECT_EQ(b.getClear(0)->content, " note ");
    EXPECT_EQ(b.getClear(0)->openTag, "<!--");
    EXPECT_EQ(b.getClear(1)->content, "a<b>&c");
    EXPECT_EQ(b.getClear(1)->closeTag, "]]>");
    EXPECT_EQ(b.getClear(2)->content, " x < y ");
    EXPECT_STREQ(b.getText(), "onetwo");
    XMLNode d = parse("<!DOCTYPE r [<!ENTITY e \"v\">]><r/>");
    ASSERT_FALSE(d.isEmpty());
    EXPECT_EQ(d.getClear()->content, " r [<!ENTITY e \"v\">]");
}

TEST(XmlReader, accepts_byte_order_marks_and_utf16_text)
{
    EXPECT_FALSE(parse("\xEF\xBB\xBF<a/>").getChildNode("a").isEmpty());
    std::string le("\xFF\xFE", 2), be("\xFE\xFF", 2);
    for (char c : std::string("<a v='\xC3'/>")) { // one Latin-1 byte as a UTF-16 unit
        le += c;
        le += '\0';
        be += '\0';
        be += c;
    }
    EXPECT_STREQ(parse(le).getChildNode("a").getAttribute("v"), "\xC3\x83");
    EXPECT_STREQ(parse(be).getChildNode("a").getAttribute("v"), "\xC3\x83");
    std::string bad("\xFF\xFE<\0\x00\xDC", 6); // a lone low surrogate
    EXPECT_EQ(error_of(bad), eXMLErrorCharConversionError);
}

TEST(XmlReader, a_mark_and_a_declaration_alone_parse_without_a_body)
{
    XMLResults r;
    XMLNode top = parse("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n", &r);
    EXPECT_EQ(r.error, eXMLErrorNone);
    ASSERT_FALSE(top.isEmpty());
    EXPECT_TRUE(top.getChildNode("body").isEmpty());
}

TEST(XmlReader, reports_each_malformation_with_its_code)
{
    EXPECT_EQ(error_of(""), eXMLErrorEmpty);
    EXPECT_EQ(error_of("\xEF\xBB\xBF"), eXMLErrorEmpty);
    EXPECT_EQ(error_of("just text"), eXMLErrorNoXMLTagFound);
    EXPECT_EQ(error_of("<!-- only a comment -->"), eXMLErrorNoElements);
    EXPECT_EQ(error_of("< a/>"), eXMLErrorMissingTagName);
    EXPECT_EQ(error_of("<a></>"), eXMLErrorMissingEndTagName);
    EXPECT_EQ(error_of("<a></b>"), eXMLErrorUnmatchedEndTag);
    EXPECT_EQ(error_of("</a>"), eXMLErrorUnmatchedEndTag);
    EXPECT_EQ(error_of("<a><![CDATA[never closed</a>"), eXMLErrorUnmatchedEndClearTag);
    EXPECT_EQ(error_of("<a><!-- never closed</a>"), eXMLErrorUnmatchedEndClearTag);
    EXPECT_EQ(error_of("<a b></a>"), eXMLErrorUnexpectedToken);   // attribute without value
    EXPECT_EQ(error_of("<a b=c></a>"), eXMLErrorUnexpectedToken); // value without quotes
    EXPECT_EQ(error_of("<a><!ELEMENT a></a>"), eXMLErrorUnexpectedToken);
    EXPECT_EQ(error_of("<a>&nbsp;</a>"), eXMLErrorUnknownCharacterEntity);
    EXPECT_EQ(error_of("<a v='&#xD800;'/>"), eXMLErrorUnknownCharacterEntity);
    EXPECT_EQ(error_of("<a v='&#1114112;'/>"), eXMLErrorUnknownCharacterEntity);
    EXPECT_EQ(error_of("<a>&#;</a>"), eXMLErrorUnknownCharacterEntity);
    EXPECT_EQ(error_of("<a>AT&T</a>"), eXMLErrorUnknownCharacterEntity);
}

TEST(XmlReader, a_truncated_document_is_an_error_not_a_partial_tree)
{
    const std::string whole = "<body><a value=\"1\"/><b value=\"2\"/></body>";
    for (size_t n = 1; n < whole.size(); n++) {
        XMLResults r;
        XMLNode top = parse(whole.substr(0, n), &r);
        EXPECT_TRUE(top.isEmpty()) << n;
        EXPECT_NE(r.error, eXMLErrorNone) << n;
    }
    EXPECT_EQ(error_of("<body><a/>"), eXMLErrorMissingEndTag);
    EXPECT_EQ(error_of("<body><a v=\"1"), eXMLErrorUnexpectedToken);
}

TEST(XmlReader, binary_bytes_and_embedded_zeros_are_refused)
{
    EXPECT_EQ(error_of(std::string("<a>\0</a>", 8)), eXMLErrorUnexpectedToken);
    EXPECT_EQ(error_of(std::string("<a v='\0'/>", 10)), eXMLErrorUnexpectedToken);
    EXPECT_NE(error_of("\x89PNG\r\n\x1a\n\x01\x02<\x03"), eXMLErrorNone);
}

TEST(XmlReader, deep_nesting_is_refused_before_it_can_exhaust_the_stack)
{
    std::string ok, deep;
    for (int i = 0; i < kXMLMaxDepth; i++)
        ok += "<a>";
    for (int i = 0; i < kXMLMaxDepth; i++)
        ok += "</a>";
    EXPECT_EQ(error_of(ok), eXMLErrorNone);
    for (int i = 0; i < 200000; i++)
        deep += "<a>";
    EXPECT_EQ(error_of(deep), eXMLErrorTooDeep);
}

TEST(XmlReader, gives_the_line_and_column_of_a_fault)
{
    XMLResults r;
    parse("<a>\n  <b>\n  </c>\n</a>", &r);
    EXPECT_EQ(r.error, eXMLErrorUnmatchedEndTag);
    EXPECT_EQ(r.nLine, 3);
    EXPECT_EQ(r.nColumn, 3);
}

TEST(XmlReader, file_errors_missing_empty_and_too_large)
{
    XMLResults r;
    EXPECT_TRUE(XMLNode::parseFile("/nonexistent/file.xml", nullptr, &r).isEmpty());
    EXPECT_EQ(r.error, eXMLErrorFileNotFound);
    std::string empty = temp_file("");
    EXPECT_TRUE(XMLNode::parseFile(empty.c_str(), nullptr, &r).isEmpty());
    EXPECT_EQ(r.error, eXMLErrorEmpty);
    unlink(empty.c_str());
    std::string big = temp_file(std::string(kXMLMaxFileSize + 1, ' '));
    EXPECT_TRUE(XMLNode::parseFile(big.c_str(), nullptr, &r).isEmpty());
    EXPECT_EQ(r.error, eXMLErrorTooLarge);
    unlink(big.c_str());
    std::string good = temp_file("<r><body/></r>");
    EXPECT_FALSE(XMLNode::parseFile(good.c_str(), "body", &r).isEmpty());
    EXPECT_TRUE(XMLNode::parseFile(good.c_str(), "nobody", &r).isEmpty());
    EXPECT_EQ(r.error, eXMLErrorFirstTagNotFound);
    unlink(good.c_str());
}

TEST(XmlReader, error_texts_and_version)
{
    EXPECT_STREQ(XMLNode::getError(0), "No error");
    EXPECT_STREQ(XMLNode::getError(3), "Error: No XML data");
    EXPECT_STREQ(XMLNode::getError(10), "Error: File not found");
    EXPECT_STREQ(XMLNode::getError(13),
                 "Error: Character code above 255 is forbidden in MultiByte char mode.");
    EXPECT_STREQ(XMLNode::getError(20), "Error: Base64 decode output buffer is too small");
    EXPECT_STREQ(XMLNode::getError(-1), "Unknown");
    EXPECT_STREQ(XMLNode::getError(99), "Unknown");
    EXPECT_STREQ(XMLNode::getVersion(), "v2.43");
}

TEST(XmlModel, handles_share_their_node_and_outlive_the_tree)
{
    XMLNode child;
    {
        XMLNode top = XMLNode::createXMLTopNode("top");
        XMLNode copy = top;
        child = copy.addChild("child");
        child.addAttribute("k", "v");
        EXPECT_EQ(top.nChildNode(), 1);
        EXPECT_EQ(child.getParentNode(), top);
    }
    // The tree is gone; the child survives on its own handle, without a parent.
    EXPECT_STREQ(child.getAttribute("k"), "v");
    EXPECT_TRUE(child.getParentNode().isEmpty());
    XMLNode e;
    EXPECT_TRUE(e.isEmpty());
    EXPECT_TRUE(e.addChild("x").isEmpty());
    EXPECT_TRUE(XMLNode::emptyXMLNode.getChildNode("x").isEmpty());
}

TEST(XmlModel, delete_node_content_detaches_it_from_its_parent)
{
    XMLNode top = XMLNode::createXMLTopNode("t");
    top.addChild("a");
    XMLNode b = top.addChild("b");
    top.addChild("c");
    b.deleteNodeContent();
    EXPECT_TRUE(b.isEmpty());
    ASSERT_EQ(top.nChildNode(), 2);
    EXPECT_EQ(top.createXMLString(0), "<t><a/><c/></t>");
}

TEST(XmlModel, a_child_added_at_a_position_precedes_the_child_there)
{
    XMLNode top = XMLNode::createXMLTopNode("t");
    top.addChild("a");
    top.addText("txt");
    top.addChild("c");
    top.addChild("b", false, 1);
    EXPECT_EQ(top.createXMLString(0), "<t><a/>txt<b/><c/></t>");
    EXPECT_STREQ(top.getChildNode(1).getName(), "b");
}

TEST(XmlModel, a_very_deep_tree_is_released_without_deep_recursion)
{
    XMLNode top = XMLNode::createXMLTopNode("t");
    XMLNode n = top;
    for (int i = 0; i < 100000; i++)
        n = n.addChild("c");
    n = XMLNode();
    top = XMLNode(); // would overflow the stack if released level by level
    SUCCEED();
}
