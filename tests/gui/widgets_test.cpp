// Entry fields, the battery scale and the string routines.
#include "gui_fixture.h"

#include "config/parameters.h"
#include "gui/char_field.h"
#include "gui/date_time_field.h"
#include "gui/decimal_field.h"
#include "gui/indicators.h"
#include "gui/number_field.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(NumericField, stays_in_range_and_uses_the_big_step_above_its_threshold)
{
    CSDLText_N f(10, 100, "", 24, 96, 96, 255, 10.0f, 1.0f, 0.0f, 20.0f, "%3.0f", "", 120, 5.0f, 10.0f);
    f.Next();
    EXPECT_FLOAT_EQ(f.value, 15.0f) << "at the threshold up by the big step";
    f.value = 10.0f;
    f.Prev();
    EXPECT_FLOAT_EQ(f.value, 9.0f) << "at the threshold down by the small step";
    f.value = 18.0f;
    f.Next();
    EXPECT_FLOAT_EQ(f.value, 20.0f);
    f.Next();
    EXPECT_FLOAT_EQ(f.value, 20.0f) << "the maximum holds";
    CSDLText_N fixed(10, 100, "", 24, 96, 96, 255, 3.0f, 1.0f, 3.0f, 3.0f, "%3.0f", "", 120);
    fixed.Next();
    fixed.Prev();
    EXPECT_FLOAT_EQ(fixed.value, 3.0f) << "min = max never changes";
    EXPECT_STREQ(fixed.text, "  3");
    // Click: stage 1 -> 2 returns 1, stage 2 returns 0.
    fixed.stage = 1;
    EXPECT_EQ(fixed.Click(), 1);
    EXPECT_EQ(fixed.stage, 2);
    EXPECT_EQ(fixed.Click(), 0);
}

TEST(CharacterField, delete_insert_and_append_respect_the_limits)
{
    CSDLText_CH one(10, 100, "A", 24, 0, 0, 80, 200, 3);
    one.Del();
    EXPECT_STREQ(one.text, "A") << "a one-character text cannot be emptied";
    CSDLText_CH full(10, 100, "ABC", 24, 0, 0, 80, 200, 3);
    full.Ins();
    EXPECT_STREQ(full.text, "ABC");
    full.align();
    EXPECT_EQ(full.Click(), 1);
    EXPECT_STREQ(full.text, "ABC") << "no append at the maximum length";
    CSDLText_CH f(10, 100, "AB", 24, 0, 0, 80, 200, 8);
    f.align();
    EXPECT_EQ(f.Click(), 1);
    EXPECT_STREQ(f.text, "AB_");
    EXPECT_EQ(f.ch_mode, 1);
    f.Next(); // '_' is the last letter: wraps to 'A'
    EXPECT_STREQ(f.text, "ABA");
    f.Prev();
    f.Prev();
    EXPECT_STREQ(f.text, "AB0") << "back past the first letter to the last two";
}

TEST(NumberField, checks_the_shape_of_the_number)
{
    CSDLText_DCH f(10, 100, "", 24, 0, 0, 80, 200, 16);
    auto check = [&](const char* t) {
        snprintf(f.text, sizeof f.text, "%s", t);
        return f.it_is_correct();
    };
    EXPECT_EQ(check("  -12.5 "), 0);
    EXPECT_EQ(check(".5"), 0);
    EXPECT_EQ(check("1-2"), 1);
    EXPECT_EQ(check("1.2.3"), 2);
    EXPECT_EQ(check("1.2-"), 2);
    EXPECT_EQ(check("12 3"), 3);
    EXPECT_EQ(check("1000000000"), 10);
    EXPECT_EQ(check("-999999999"), 0);
}

TEST(DateField, february_follows_the_year_without_a_century_rule)
{
    CSDLText_DT d(10, 100, "", 24, 0, 0, 80, 300);
    d.val[0] = 2023; d.val[1] = 1; d.val[2] = 31;
    d.dt_mode = 1;
    d.part = 1;
    d.Next();
    EXPECT_EQ(d.val[1], 2);
    EXPECT_EQ(d.val[2], 28);
    d.val[0] = 2100; d.val[1] = 1; d.val[2] = 31;
    d.Next();
    EXPECT_EQ(d.val[2], 29) << "2100 is divisible by 4";
    d.part = 2;
    d.Next();
    EXPECT_EQ(d.val[2], 29) << "no day 30 in that February";
    d.dt_mode = 0;
    d.part = 5;
    EXPECT_FALSE(d.Click()) << "past the last part the field is finished";
    d.print_text();
    EXPECT_STREQ(d.text, "2100-02-29  15:15");
}

TEST(Battery, scale_of_twelve_cells)
{
    EXPECT_EQ(CBattery::cells_for(-5), 0);
    EXPECT_EQ(CBattery::cells_for(0), 0);
    EXPECT_EQ(CBattery::cells_for(83), 0);
    EXPECT_EQ(CBattery::cells_for(84), 1);
    EXPECT_EQ(CBattery::cells_for(999), 11);
    EXPECT_EQ(CBattery::cells_for(1000), 12);
    EXPECT_EQ(CBattery::cells_for(5000), 12);
}

TEST(StringRoutines, chinese_text_is_16_bit_and_every_copy_is_bounded)
{
    prm.language = 8;
    char wide[8] = {'A', 0, 'B', 0, 0, 0};
    char dst[6];
    CSDLObject::uni_strcpy(dst, wide, sizeof dst);
    EXPECT_EQ(memcmp(dst, wide, 6), 0);
    char small[4];
    CSDLObject::uni_strcpy(small, wide, sizeof small);
    EXPECT_EQ(small[0], 'A');
    EXPECT_EQ(small[2] | small[3], 0) << "cut and terminated";
    char conv[16];
    CSDLObject::conv_strcpy(conv, "xy", sizeof conv);
    EXPECT_EQ(conv[0], 'x');
    EXPECT_EQ(conv[1], 0);
    EXPECT_EQ(conv[2], 'y');
    CSDLObject::conv_strcat(conv, "z", sizeof conv);
    EXPECT_EQ(conv[4], 'z');
    char tok[8] = {'a', 0, '#', 0, 'b', 0, 0, 0};
    char* rest = CSDLObject::uni_strtok(tok, '#', 1);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(rest[0], 'b');
    EXPECT_EQ(CSDLObject::uni_strtok(rest, '#', 1), nullptr);
    prm.language = 0;
    char t8[16] = "name#12#x";
    EXPECT_STREQ(CSDLObject::uni_strtok(t8, '#', 11), "12#x");
    EXPECT_STREQ(t8, "name");
    char full[6] = "abc";
    CSDLObject::uni_strcat(full, "defgh", sizeof full);
    EXPECT_STREQ(full, "abcde");
}

TEST(TextDrawing, russian_bytes_are_drawn_as_cyrillic_and_byte_2_is_dropped)
{
    gui_reset();
    prm.language = 7;
    // "Da" in Windows-1251 draws as Cyrillic in the language font: not as the Latin-1
    // letters of the same bytes, which would differ in width.
    const char da[] = "\xc4\xe0";
    SDL_Rect cyr = CSDLObject::Uni_TextSize(1, 24, da);
    SDL_Rect lat = CSDLObject::Uni_TextSize(11, 24, da);
    EXPECT_GT(cyr.w, 0);
    EXPECT_NE(cyr.w, lat.w);
    prm.language = 0;
    SDL_Rect with2 = CSDLObject::Uni_TextSize(11, 24, "A\002B");
    SDL_Rect plain = CSDLObject::Uni_TextSize(11, 24, "AB");
    EXPECT_EQ(with2.w, plain.w);
}
