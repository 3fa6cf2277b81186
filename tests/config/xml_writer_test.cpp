// The XML writer: layout rules, escaping, and replacing files safely.
#include "config/xmlParser/safe_file_write.h"
#include "config/xmlParser/xmlParser.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class XmlWriterFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/xmlwriter-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override
    {
        safe_file_write_inject_fault(-1);
        std::string cmd = "rm -rf '" + dir_ + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }
    std::string path(const char* name) const { return dir_ + "/" + name; }
    std::string dir_;
};

XMLNode declaration_with_body()
{
    XMLNode decl = XMLNode::createXMLTopNode("xml", true);
    decl.addAttribute("version", "1.0");
    decl.addAttribute("encoding", "iso-8859-1");
    XMLNode body = decl.addChild("body");
    body.addChild("empty").addAttribute("value", "1");
    body.addChild("texted").addText("one text");
    XMLNode mixed = body.addChild("mixed");
    mixed.addAttribute("a", "b");
    mixed.addText("first");
    mixed.addChild("inner");
    mixed.addClear(" note ", "<!--", "-->");
    return decl;
}

} // namespace

TEST(XmlWriter, indents_by_tabs_and_places_a_declarations_children_at_its_level)
{
    EXPECT_EQ(declaration_with_body().createXMLString(1),
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
              "<body>\n"
              "\t<empty value=\"1\"/>\n"
              "\t<texted>one text</texted>\n"
              "\t<mixed a=\"b\">\n"
              "\t\tfirst\n"
              "\t\t<inner/>\n"
              "\t\t<!-- note -->\n"
              "\t</mixed>\n"
              "</body>\n");
}

TEST(XmlWriter, escapes_and_rereads_awkward_attribute_values_and_texts)
{
    const char* awkward = "a&b<c>\"d\"'e' & &amp;";
    XMLNode top = XMLNode::createXMLTopNode("t");
    top.addAttribute("v", awkward);
    top.addText(awkward);
    std::string text = top.createXMLString(1);
    EXPECT_EQ(text.find("&b"), std::string::npos);
    XMLNode back = XMLNode::parseString(text.data(), text.size()).getChildNode("t");
    EXPECT_STREQ(back.getAttribute("v"), awkward);
    EXPECT_STREQ(back.getText(), awkward);
}

TEST_F(XmlWriterFile, a_declaration_node_is_written_after_the_utf8_mark_only)
{
    std::string p = path("s.xml");
    ASSERT_EQ(declaration_with_body().writeToFile(p.c_str(), nullptr, 1), eXMLErrorNone);
    std::string file = read_file(p);
    const std::string head = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<body>\n";
    EXPECT_EQ(file.substr(0, head.size()), head);
    EXPECT_EQ(file.find("<?xml", 10), std::string::npos);
    EXPECT_FALSE(file_exists(p + ".new"));
}

TEST_F(XmlWriterFile, a_plain_element_gets_a_utf8_declaration_line)
{
    std::string p = path("e.xml");
    XMLNode t = XMLNode::createXMLTopNode("t");
    ASSERT_EQ(t.writeToFile(p.c_str()), eXMLErrorNone);
    EXPECT_EQ(read_file(p), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<t/>\n");
}

TEST_F(XmlWriterFile, parsing_and_writing_again_reproduces_the_file)
{
    std::string a = path("a.xml"), b = path("b.xml");
    ASSERT_EQ(declaration_with_body().writeToFile(a.c_str()), eXMLErrorNone);
    XMLResults r;
    XMLNode top = XMLNode::parseFile(a.c_str(), nullptr, &r);
    ASSERT_EQ(r.error, eXMLErrorNone);
    ASSERT_EQ(top.writeToFile(b.c_str()), eXMLErrorNone);
    EXPECT_EQ(read_file(a), read_file(b));
}

TEST_F(XmlWriterFile, a_failed_write_keeps_the_old_file_and_reports_it)
{
    std::string p = path("keep.xml");
    XMLNode t = XMLNode::createXMLTopNode("old");
    ASSERT_EQ(t.writeToFile(p.c_str()), eXMLErrorNone);
    std::string before = read_file(p);
    XMLNode n = XMLNode::createXMLTopNode("new");
    for (long cut : {0L, 1L, 10L, 30L}) {
        safe_file_write_inject_fault(cut);
        EXPECT_EQ(n.writeToFile(p.c_str()), eXMLErrorCannotWriteFile) << cut;
        EXPECT_EQ(read_file(p), before) << cut;
        EXPECT_FALSE(file_exists(p + ".new")) << cut;
    }
    safe_file_write_inject_fault(-1);
    EXPECT_EQ(n.writeToFile(path("no/such/folder.xml").c_str()), eXMLErrorCannotOpenWriteFile);
}
