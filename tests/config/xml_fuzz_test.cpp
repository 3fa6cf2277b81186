// Mutated settings files fed to the reader: every outcome is a tree or an error code, and
// under AddressSanitizer no input may read or write out of bounds.
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "config/xmlParser/xmlParser.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string default_file()
{
    Sandbox sb;
    CXML_PARS x;
    x.write_xml_tree();
    return read_file(sb.path("/mnt/hda3/r5_parameters.xml"));
}

std::string mutate(std::string s, std::mt19937& rng)
{
    static const char* const pieces[] = {"<", ">", "</", "/>", "&", "&amp;", "&#", "&#x110000;",
                                         "\"", "'", "<!--", "-->", "<![CDATA[", "]]>", "<?",
                                         "?>", "=", " ", "\0", "\xFF\xFE", "<a>"};
    int edits = 1 + rng() % 8;
    for (int e = 0; e < edits && !s.empty(); e++) {
        size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0: s[at] = static_cast<char>(rng()); break;
        case 1: s.erase(at, 1 + rng() % 40); break;
        case 2: s.insert(at, pieces[rng() % (sizeof pieces / sizeof pieces[0])]); break;
        case 3: s.resize(at); break;
        case 4: s.insert(at, s.substr(rng() % s.size(), rng() % 200)); break;
        }
    }
    return s;
}

} // namespace

TEST(XmlFuzz, mutated_settings_files_give_a_tree_or_an_error_and_never_a_fault)
{
    const std::string base = default_file();
    ASSERT_GT(base.size(), 1000u);
    std::mt19937 rng(20240607);
    int parsed = 0, refused = 0;
    for (int i = 0; i < 3000; i++) {
        std::string text = mutate(base, rng);
        XMLResults r;
        XMLNode top = XMLNode::parseString(text.data(), text.size(), nullptr, &r);
        if (top.isEmpty()) {
            refused++;
            EXPECT_NE(r.error, eXMLErrorNone);
            continue;
        }
        parsed++;
        // Whatever parsed can be written and parsed again to the same text.
        std::string out = top.createXMLString(1);
        XMLNode again = XMLNode::parseString(out.data(), out.size());
        ASSERT_FALSE(again.isEmpty()) << i;
        EXPECT_EQ(again.createXMLString(1), out) << i;
    }
    EXPECT_GT(parsed, 0);
    EXPECT_GT(refused, 0);
}

TEST(XmlFuzz, random_bytes_are_refused_cleanly)
{
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; i++) {
        std::string s(rng() % 300, '\0');
        for (char& c : s)
            c = static_cast<char>(rng() % 4 ? rng() : "<>/&;\"'=!?-["[rng() % 12]);
        XMLResults r;
        XMLNode top = XMLNode::parseString(s.data(), s.size(), nullptr, &r);
        EXPECT_EQ(top.isEmpty(), r.error != eXMLErrorNone);
    }
}

TEST(XmlFuzz, mutated_files_read_into_the_settings_keep_every_field_in_range)
{
    Sandbox sb;
    CXML_PARS x;
    x.write_xml_tree();
    const std::string base = read_file(sb.path("/mnt/hda3/r5_parameters.xml"));
    std::mt19937 rng(99);
    // Language 8 leaves the factory partition alone: no mount per refused file.
    const uint8_t language = prm.language;
    prm.language = 8;
    for (int i = 0; i < 150; i++) {
        std::string text = mutate(base, rng);
        FILE* f = fopen(sb.path("/mnt/hda3/r5_parameters.xml").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        CXML_PARS y;
        y.read_xml_tree();
        ASSERT_GE(y.antenna_count, 1);
        ASSERT_LE(y.antenna_count, kMaxAntennas);
        ASSERT_GE(y.wheel_count, 1);
        ASSERT_LE(y.wheel_count, kMaxWheels);
        ASSERT_LT(y.current_wheel, y.wheel_count);
        ASSERT_LT(y.current_antenna, y.antenna_count);
        ASSERT_LE(y.gps_brate_ind, 6);
        for (int a = 0; a < y.antenna_count; a++) {
            ASSERT_GE(y.antenna[a].filter_count, 1);
            ASSERT_LE(y.antenna[a].filter_count, kFilterSlots);
            ASSERT_LT(strnlen(y.antenna[a].name, sizeof y.antenna[a].name), sizeof y.antenna[a].name);
        }
    }
    prm.language = language;
}
