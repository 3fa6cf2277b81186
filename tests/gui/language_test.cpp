// The language table, its encodings, and the language switch with the Chinese font rules.
#include "gui_fixture.h"

#include "app/screens.h"
#include "config/parameters.h"
#include "gui/lang.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

size_t units(const char* s)
{
    size_t n = 0;
    while (s[2 * n] || s[2 * n + 1])
        n++;
    return n;
}

} // namespace

TEST(LanguageTable, every_string_of_every_language_is_written_and_encodable)
{
    EXPECT_EQ(CLang::build_alang(), 0) << "a character that its language's encoding lacks";
    for (int l = 0; l < kLanguages; l++)
        for (int i = 0; i < kLangStrings; i++) {
            const char* s = CLang::alang[l][i];
            ASSERT_NE(s, nullptr);
            if (l == kLangChinese)
                EXPECT_GT(units(s), 0u) << l << "/" << i;
            else
                EXPECT_GT(strlen(s), 0u) << l << "/" << i;
            // Room for the ": " appended to strings 0, 23 and 30.
            size_t bytes = l == kLangChinese ? 2 * units(s) + 2 : strlen(s) + 1;
            EXPECT_LT(bytes + 4, kLangBytes) << l << "/" << i;
        }
    // The other languages really are translations.
    for (int l = 1; l < kLanguages; l++)
        EXPECT_STRNE(CLang::utf8_table[l][39], CLang::utf8_table[0][39]) << CLang::lng_name[l];
}

TEST(LanguageTable, encodings_latin1_windows1251_and_16bit_units)
{
    char out[32];
    EXPECT_EQ(encode_for_language(0, "µs", out, sizeof out), 0);
    EXPECT_EQ((unsigned char)out[0], 0xB5);
    EXPECT_EQ(encode_for_language(kLangRussian, "Ая", out, sizeof out), 0);
    EXPECT_EQ((unsigned char)out[0], 192);
    EXPECT_EQ((unsigned char)out[1], 255);
    EXPECT_EQ(encode_for_language(kLangChinese, "天A", out, sizeof out), 0);
    EXPECT_EQ((unsigned char)out[0] | ((unsigned char)out[1] << 8), 0x5929);
    EXPECT_EQ(out[2], 'A');
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[4] | out[5], 0);
    EXPECT_EQ(encode_for_language(0, "Ж", out, sizeof out), 1) << "Cyrillic has no Latin-1 byte";
    EXPECT_EQ(out[0], '?');
    // A long text stops at the buffer's end, terminated.
    EXPECT_EQ(encode_for_language(kLangChinese, "一二三四五六七八九十", out, 8), 0);
    EXPECT_EQ(units(out), 3u);
}

TEST(LanguageTable, an_index_of_11_or_more_shows_english_with_the_colons_and_copies)
{
    for (int l : {11, 200, -1}) {
        lngs.create_M(l);
        EXPECT_STREQ(lngs[0], "Antenna: ");
        EXPECT_STREQ(lngs[23], "Soil: ");
        EXPECT_STREQ(lngs[30], "Trigger type: ");
        EXPECT_STREQ(lngs.s45, "Time");
        EXPECT_STREQ(mS.pal_name[0], "Gray levels");
        EXPECT_STREQ(mS.pal_name[2], "Color scheme 2");
    }
    lngs.create_M(kLangRussian);
    EXPECT_EQ((unsigned char)lngs[14][0], 0xC2) << "Russian \"Vykhod\" begins with Ve (0xC2)";
    lngs.create_M(0);
}

TEST(LanguageSwitch, chinese_without_its_font_shows_both_messages_and_falls_back_to_english)
{
    Sandbox sb;
    remove(sb.path("/dev/sda4/ier.ttf").c_str());
    gui_reset();
    MessageLog log;
    prm.language = kLangChinese;
    {
        KeyHand hand({}, true);
        setLanguage(1);
    }
    ASSERT_EQ(log.all().size(), 2u);
    EXPECT_EQ(log.all()[0].title, "There is no Chinese font file on the disk!");
    EXPECT_EQ(log.all()[0].type, 0);
    EXPECT_EQ(log.all()[1].title, "Error opening Chinese font!");
    EXPECT_EQ(log.all()[1].text, "English language is selected");
    EXPECT_EQ(prm.language, 0);
    EXPECT_STREQ(lngs[62], "Do you want to Quit ?");
    EXPECT_NE(sb.standins_log().find("mount"), std::string::npos) << "factory partition mounted";
}

TEST(LanguageSwitch, chinese_with_its_font_builds_16_bit_texts_and_draws_them)
{
    Sandbox sb;
    gui_reset();
    MessageLog log;
    prm.language = kLangChinese;
    setLanguage(1);
    ASSERT_NE(CSDLObject::kina_font, nullptr) << "font copied onto the factory partition";
    EXPECT_TRUE(log.all().empty());
    EXPECT_EQ(lngs.lang, kLangChinese);
    EXPECT_EQ((unsigned char)lngs[40][0] | ((unsigned char)lngs[40][1] << 8), 0x662F) << "Yes";
    // Button labels hold 16-bit text, and a label that is 16-bit draws wider than its
    // first byte alone would.
    SDL_Rect r = CSDLObject::Uni_TextSize(1, 24, lngs[62]);
    EXPECT_GT(r.w, 100);
    prm.language = 0;
    setLanguage(1);
    EXPECT_STREQ(lngs[40], "Yes");
}

TEST(LanguageSwitch, zero_only_waits_and_keeps_the_objects)
{
    gui_reset();
    CSDLObject* before = mS.obj[34][2];
    setLanguage(0);
    EXPECT_EQ(mS.obj[34][2], before);
}
