// Scroll bars and the choice list box: where the thumb stands at the ends of its range,
// moving the current row past both ends of a list, keeping it in view over a long list,
// disabled and marked rows, and what a drawn list shows in its regions.
#include "gui_fixture.h"

#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/scroll_bar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

bool near(Px p, CRgb c, int tol = 8)
{
    return std::abs(p.r - c.r) <= tol && std::abs(p.g - c.g) <= tol && std::abs(p.b - c.b) <= tol;
}

void clear_screen()
{
    SDL_Rect all{0, 0, 1024, 768};
    SDL_FillRect(screen, &all, bkg_pixel());
}

CListBox* numbered_list(int rows, int height = 3 * 36 + 38)
{
    auto* l = new CListBox(100, 100, 400, height, true, 11);
    l->AddColumn("Name", 250);
    l->AddColumn("Kind", 130);
    for (int i = 0; i < rows; i++)
        l->AddString(("row" + std::to_string(i) + "#k" + std::to_string(i)).c_str());
    return l;
}

} // namespace

TEST(ScrollBarThumb, stays_inside_the_track_at_both_ends_of_its_range)
{
    gui_reset();
    CVScrollBar bar(10, 10, 300);
    const int track = bar.track_len();
    ASSERT_GT(track, 100);

    // Empty and one-row ranges: the thumb covers the whole track.
    bar.Set(0, 0, 5, 0);
    EXPECT_EQ(bar.thumb_span(track).pos, 0);
    EXPECT_EQ(bar.thumb_span(track).len, track);
    bar.Set(0, 1, 5, 0);
    EXPECT_EQ(bar.thumb_span(track).len, track);

    // 100 rows, 10 in view: a tenth of the track, at the top and at the bottom.
    bar.Set(0, 100, 10, 0);
    CScrollBar::Span s = bar.thumb_span(track);
    EXPECT_EQ(s.pos, 0);
    EXPECT_NEAR(s.len, track / 10, 1);
    bar.Set(0, 100, 10, 90);
    s = bar.thumb_span(track);
    EXPECT_NEAR(s.pos + s.len, track, 1) << "the last rows put the thumb at the track's end";
    EXPECT_LE(s.pos + s.len, track);

    // A start past the range or before it never leaves the track.
    bar.Set(0, 100, 10, 150);
    s = bar.thumb_span(track);
    EXPECT_LE(s.pos + s.len, track);
    bar.Set(0, 100, 10, -20);
    EXPECT_EQ(bar.thumb_span(track).pos, 0);

    // A million rows: the thumb keeps a visible length and still ends at the track's end.
    bar.Set(0, 1000000, 10, 999990);
    s = bar.thumb_span(track);
    EXPECT_EQ(s.len, CScrollBar::kMinThumb);
    EXPECT_EQ(s.pos + s.len, track);

    // A track shorter than the least thumb: the thumb is the track.
    EXPECT_EQ(bar.thumb_span(3).len, 3);
    EXPECT_EQ(bar.thumb_span(0).len, 0);
}

TEST(ScrollBarDrawing, thumb_colour_follows_selection_and_activation)
{
    gui_reset();
    clear_screen();
    CVScrollBar v(600, 100, 400);
    v.Set(0, 100, 20, 40); // thumb in the middle of the track
    CScrollBar::Span s = v.thumb_span(v.track_len());
    int cx = v.rect.x + v.rect.w / 2;
    int cy = v.track_y() + s.pos + s.len / 2;

    v.visible = 0;
    v.Draw();
    EXPECT_EQ(ink_in(v.rect.x, v.rect.y, v.rect.w, v.rect.h), 0) << "an invisible bar draws nothing";

    v.visible = 1;
    v.Draw();
    EXPECT_TRUE(near(pixel_at(cx, cy), v.thumb));
    EXPECT_TRUE(near(pixel_at(cx, v.track_y() + 3), v.trough)) << "track above the thumb";
    EXPECT_TRUE(near(pixel_at(cx, v.track_y() + v.track_len() - 3), v.trough));
    v.selected = 1;
    v.FastDraw();
    EXPECT_TRUE(near(pixel_at(cx, cy), v.thumb_selected));
    v.active = 1;
    v.FastDraw();
    EXPECT_TRUE(near(pixel_at(cx, cy), v.thumb_active));
    EXPECT_EQ(ink_in(v.rect.x + v.rect.w + 1, v.rect.y, 20, v.rect.h), 0) << "nothing beside the bar";
    // While Enter is held on the active bar, the zoom arrows stand above and below the
    // thumb's centre.
    auto light_pixels = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; y++)
            for (int x = v.rect.x; x < v.rect.x + v.rect.w; x++)
                n += near(pixel_at(x, y), v.light, 4);
        return n;
    };
    int before = light_pixels(cy - 17, cy - 9);
    the_button_is_pressed = 1;
    v.FastDraw();
    the_button_is_pressed = 0;
    EXPECT_GT(light_pixels(cy - 17, cy - 9), before + 4);
    EXPECT_GT(light_pixels(cy + 9, cy + 17), 4);

    // Horizontal: the same along x.
    CHScrollBar h(100, 600, 500);
    h.Set(0, 1000, 100, 900);
    h.Draw();
    CScrollBar::Span hs = h.thumb_span(h.track_len());
    int hy = h.rect.y + h.rect.h / 2;
    EXPECT_EQ(hs.pos + hs.len, h.track_len());
    EXPECT_TRUE(near(pixel_at(h.track_x() + hs.pos + hs.len / 2, hy), h.thumb));
    EXPECT_TRUE(near(pixel_at(h.track_x() + 5, hy), h.trough));
    EXPECT_EQ(h.rect.h, 15 + 3) << "height = arrow height + 3";
    EXPECT_EQ(v.rect.w, 15 + 2) << "width = arrow width + 2";
}

TEST(ListBox, current_row_stops_at_both_ends_and_stays_in_view)
{
    gui_reset();
    std::unique_ptr<CListBox> l(numbered_list(10));
    ASSERT_EQ(l->shown, 3);
    for (int i = 0; i < 20; i++)
        l->Next();
    EXPECT_EQ(l->GetCurrent(), 9);
    EXPECT_EQ(l->first, 7) << "the last full view";
    for (int i = 0; i < 20; i++)
        l->Previous();
    EXPECT_EQ(l->GetCurrent(), 0);
    EXPECT_EQ(l->first, 0);

    // A long list, moved at random: the current row is always among the shown ones and the
    // view never runs past the last row.
    std::unique_ptr<CListBox> big(numbered_list(5000, 10 * 36 + 38));
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; i++) {
        if (rng() % 3)
            big->Next();
        else
            big->Previous();
        ASSERT_GE(big->current, big->first);
        ASSERT_LT(big->current, big->first + big->shown);
        ASSERT_LE(big->first, big->count() - big->shown);
    }

    // SetCurrent: beyond the view and back before it; out of range ignored.
    l->SetCurrent(8);
    EXPECT_EQ(l->first, 6);
    l->SetCurrent(1);
    EXPECT_EQ(l->first, 1);
    l->SetCurrent(10);
    l->SetCurrent(-1);
    EXPECT_EQ(l->GetCurrent(), 1);

    // An empty list does not move.
    CListBox empty(0, 0, 300, 200, false, 11);
    empty.Next();
    empty.Previous();
    EXPECT_EQ(empty.GetCurrent(), 0);
    char s[kListStrBytes] = "x";
    empty.GetSelStr(s);
    EXPECT_STREQ(s, "");
}

TEST(ListBox, disabled_rows_are_skipped_and_trailing_ones_keep_the_current_row)
{
    gui_reset();
    std::unique_ptr<CListBox> l(numbered_list(8));
    l->SetEnabled(1, false);
    l->SetEnabled(2, false);
    l->Next();
    EXPECT_EQ(l->GetCurrent(), 3);
    EXPECT_TRUE(l->scrolled) << "a skipped row counts as a scroll";
    l->Previous();
    EXPECT_EQ(l->GetCurrent(), 0);
    for (int i = 5; i < 8; i++)
        l->SetEnabled(i, false);
    l->SetCurrent(4);
    l->Next();
    EXPECT_EQ(l->GetCurrent(), 4) << "no enabled row after it";
    l->Next();
    l->Previous();
    EXPECT_EQ(l->GetCurrent(), 3);
}

TEST(ListBox, first_column_and_bounded_rows)
{
    gui_reset();
    CListBox l(0, 0, 300, 200, false, 11);
    l.AddString("alpha#beta#gamma");
    std::string longer(400, 'x');
    l.AddString(longer.c_str());
    char s[kListStrBytes];
    l.GetStr(s, 0);
    EXPECT_STREQ(s, "alpha");
    l.GetStr(s, 1);
    EXPECT_EQ(strlen(s), kListStrBytes - 1) << "a long row is cut to its buffer";
    char small[8];
    l.GetStr(small, 0, sizeof small);
    EXPECT_STREQ(small, "alpha");
    l.GetStr(small, 1, sizeof small);
    EXPECT_EQ(strlen(small), 7u);
    l.GetStr(s, 5);
    EXPECT_STREQ(s, "");

    char shown[16];
    printable_copy(shown, sizeof shown, "a\nb\x02" "c\x7f\xe9");
    EXPECT_STREQ(shown, "a?b?c?\xe9");
}

TEST(ListBox, chinese_rows_are_16_bit_and_split_at_a_16_bit_separator)
{
    gui_reset(8);
    CListBox l(0, 0, 300, 200, false, 1); // language text
    // "AB#CD" as 16-bit units; 0x4E2D (a CJK letter) after the separator.
    const unsigned char row[] = {'A', 0, 'B', 0, '#', 0, 0x2D, 0x4E, 'D', 0, 0, 0};
    l.AddString(reinterpret_cast<const char*>(row));
    char s[kListStrBytes];
    l.GetStr(s, 0);
    EXPECT_EQ(memcmp(s, "A\0B\0\0\0", 6), 0);
    // A '#' byte inside a 16-bit unit is no separator.
    const unsigned char tricky[] = {'#', 0x4E, 'Z', 0, 0, 0};
    l.AddString(reinterpret_cast<const char*>(tricky));
    l.GetStr(s, 1);
    EXPECT_EQ(memcmp(s, tricky, 6), 0);
    gui_reset(0);
}

TEST(ListBoxDrawing, current_row_marked_rows_and_the_scroll_bar)
{
    gui_reset();
    clear_screen();
    std::unique_ptr<CListBox> l(numbered_list(10));
    l->SetMarked(2, true);
    l->SetCurrent(1);
    l->Draw();
    const int top = l->rect.y + l->header_height;
    auto row_y = [&](int r) { return top + (r - l->first) * l->row_height; };

    EXPECT_EQ(l->rect.w, 380) << "the box is as wide as its columns";
    // Right part of the current row's first column: highlight, no text there.
    EXPECT_TRUE(near(pixel_at(l->rect.x + 240, row_y(1) + 3), CListBox::kCurrent));
    EXPECT_TRUE(near(pixel_at(l->rect.x + 240, row_y(0) + 3), CListBox::kBack));
    // Marked row: red ink in its first column, none in the unmarked ones.
    auto red_pixels = [&](int r) {
        int n = 0;
        for (int y = row_y(r); y < row_y(r) + l->row_height; y++)
            for (int x = l->rect.x; x < l->rect.x + 250; x++) {
                Px p = pixel_at(x, y);
                if (p.r > 200 && p.g < 80 && p.b < 80)
                    n++;
            }
        return n;
    };
    EXPECT_GT(red_pixels(2), 20);
    EXPECT_EQ(red_pixels(0), 0);
    EXPECT_EQ(red_pixels(1), 0);

    // Ten rows in three: the scroll bar shows, its thumb at the top third of the track.
    ASSERT_TRUE(l->sbar->visible);
    CVScrollBar& b = *l->sbar;
    CScrollBar::Span s = b.thumb_span(b.track_len());
    EXPECT_EQ(s.pos, 0);
    EXPECT_TRUE(near(pixel_at(b.rect.x + b.rect.w / 2, b.track_y() + s.len / 2), b.thumb));
    EXPECT_TRUE(near(pixel_at(b.rect.x + b.rect.w / 2, b.track_y() + b.track_len() - 3), b.trough));

    // Fewer rows than fit: the bar goes and its strip is background again.
    l->DeleteAll();
    l->AddString("one#1");
    l->Draw();
    EXPECT_FALSE(l->sbar->visible);
    EXPECT_TRUE(is_background(pixel_at(b.rect.x + b.rect.w / 2, b.track_y() + 10)));
    l->Erase();
    EXPECT_EQ(ink_in(l->rect.x, l->rect.y, 420, l->rect.h), 0);
}

TEST(ListBoxDrawing, hostile_text_is_drawn_within_its_column)
{
    gui_reset();
    clear_screen();
    CListBox l(100, 100, 300, 38 + 36 * 2, true, 11);
    l.AddColumn("A", 100);
    l.AddColumn("B", 100);
    std::string wide = std::string(240, 'W');
    l.AddString((wide + "#\x01\x02\n\t\x1b[2J").c_str());
    l.AddString("###########");
    l.Draw();
    // Nothing of the overlong first column spills past the box.
    EXPECT_EQ(ink_in(l.rect.x + 200, l.rect.y, 90, l.rect.h), 0);
}
