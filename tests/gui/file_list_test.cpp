// The file manager's list: what ReadDir lists from a data directory and in which order,
// project folders, unreadable folders, names nobody should trust, marking by key, and the
// drawn list.
#include "gui_fixture.h"

#include "gui/file_list_box.h"
#include "gui/list_input.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <utime.h>
#include <vector>

namespace {

// Creates a file of `size` bytes in the sandbox's data directory with the given mtime.
void make_file(const Sandbox& sb, const std::string& name, long size, time_t mtime)
{
    std::string p = sb.path("/mnt/hda1/") + name;
    FILE* f = fopen(p.c_str(), "wb");
    ASSERT_NE(f, nullptr) << p;
    std::string bytes(size_t(size), 'x');
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    utimbuf t{mtime, mtime};
    utime(p.c_str(), &t);
}

std::vector<std::string> names(const CFListBox& l)
{
    std::vector<std::string> v;
    for (int i = 0; i < l.count(); i++)
        v.push_back(l.GetName(i));
    return v;
}

const CDirEntry* entry(const CFListBox& l, const std::string& n)
{
    for (const CDirEntry& e : l.entries)
        if (n == e.name)
            return &e;
    return nullptr;
}

} // namespace

TEST(FileList, plain_listing_newest_first_without_project_profiles)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    make_file(sb, "LINE.pvb", 10, 1000);
    make_file(sb, "LINE0001.rd7", 4000, 5000); // in project LINE: hidden here
    make_file(sb, "LINE0002.rd7", 4000, 5001);
    make_file(sb, "DAT_0001.rd7", 8000, 3000);
    make_file(sb, "DAT_0001.rad", 100, 3000); // companion: not listed
    make_file(sb, "DAT_0002.rd7", 12000, 4000);
    make_file(sb, "shot.jpg", 300, 2000);
    make_file(sb, "GRID.rhd", 50, 6000);
    make_file(sb, "test.crn", 7, 1500);
    make_file(sb, "notes.txt", 7, 9000);
    make_file(sb, "x.rd7.bak", 7, 9000);
    mkdir(sb.path("/mnt/hda1/dir.rd7").c_str(), 0755); // not a file

    CFListBox l(10, 60, 500, 25 + 23 * 5, "/mnt/hda1/", "Free", "Used");
    ASSERT_EQ(l.ReadDir(), 0);
    EXPECT_EQ(names(l), (std::vector<std::string>{"GRID.rhd", "DAT_0002.rd7", "DAT_0001.rd7",
                                                  "shot.jpg", "test.crn", "LINE.pvb"}));
    EXPECT_EQ(entry(l, "DAT_0002.rd7")->size, 12000);
    EXPECT_EQ(entry(l, "GRID.rhd")->size, -1) << "grid projects without size";
    EXPECT_EQ(entry(l, "LINE.pvb")->size, -1);
    EXPECT_EQ(entry(l, "DAT_0001.rd7")->mtime, 3000);
    EXPECT_GE(l.disk->used, 0.0f);
    EXPECT_LE(l.disk->used, 1.0f);

    l.SortDir(1);
    EXPECT_EQ(names(l).front(), "DAT_0001.rd7");
    EXPECT_EQ(names(l).back(), "test.crn");
    l.SortDir(2);
    EXPECT_EQ(names(l).front(), "GRID.rhd");

    // Opened as a folder: "/.." and then the project's profiles in name order.
    l.SetProject("LINE.pvb");
    ASSERT_EQ(l.ReadDir(), 0);
    EXPECT_EQ(names(l), (std::vector<std::string>{"/..", "LINE0001.rd7", "LINE0002.rd7"}));
    l.SortDir(2);
    EXPECT_EQ(names(l).front(), "/..") << "the way back stays on top";
}

TEST(FileList, sort_keeps_the_order_of_equal_keys_and_moves_marks_along)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    for (const char* n : {"C.jpg", "A.jpg", "B.jpg"})
        make_file(sb, n, 1, 7000);
    make_file(sb, "Z.jpg", 1, 8000);
    CFListBox l(10, 60, 500, 200, "/mnt/hda1/", "", "");
    ASSERT_EQ(l.ReadDir(), 0);
    l.SortDir(1);
    EXPECT_EQ(names(l), (std::vector<std::string>{"A.jpg", "B.jpg", "C.jpg", "Z.jpg"}));
    l.SetMarked(1, true); // B
    l.SortDir(2);
    EXPECT_EQ(names(l), (std::vector<std::string>{"Z.jpg", "A.jpg", "B.jpg", "C.jpg"}))
        << "equal times keep the name order they had";
    EXPECT_TRUE(l.IsMarked(2));
    EXPECT_EQ(l.MarkedCount(), 1);
}

TEST(FileList, missing_folder_gives_minus_one_and_an_empty_list)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    make_file(sb, "DAT_0001.rd7", 10, 100);
    CFListBox l(10, 60, 500, 200, "/mnt/hda1/", "", "");
    ASSERT_EQ(l.ReadDir(), 0);
    ASSERT_EQ(l.count(), 1);
    l.SetPath("/mnt/hda1/no_such_folder/");
    EXPECT_EQ(l.ReadDir(), -1);
    EXPECT_EQ(l.count(), 0);
    EXPECT_EQ(l.GetCurrent(), 0);
    EXPECT_STREQ(l.GetSelName(), "");
    l.Next();
    l.Previous();
    l.Draw(); // an empty list draws its header only
    std::string too_long(300, 'p');
    l.SetPath(too_long.c_str());
    EXPECT_EQ(l.ReadDir(), -1) << "a path that does not fit is not cut and read";
}

TEST(FileList, hostile_and_overlong_names)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    const std::string ctrl = std::string("a\nb\x01\x02\x1b[31m") + "\xff\xfe.jpg";
    const std::string fits = std::string(96, 'F') + ".jpg";    // 100 bytes: fits
    const std::string over = std::string(97, 'O') + ".jpg";    // 101 bytes: left out
    const std::string longest = std::string(251, 'L') + ".rd7"; // the longest a disk allows
    for (const std::string& n : {ctrl, fits, over, longest, std::string("ok.jpg")})
        make_file(sb, n, 5, 100);
    CFListBox l(10, 60, 500, 25 + 23 * 4, "/mnt/hda1/", "", "");
    ASSERT_EQ(l.ReadDir(), 0);
    std::vector<std::string> v = names(l);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NE(entry(l, ctrl), nullptr) << "an odd name is kept as the disk has it";
    EXPECT_NE(entry(l, fits), nullptr);
    EXPECT_EQ(entry(l, over), nullptr);
    for (const CDirEntry& e : l.entries)
        EXPECT_LT(strnlen(e.name, sizeof e.name), sizeof e.name);

    // Drawn with its control bytes as '?', inside the name column.
    SDL_Rect all{0, 0, 1024, 768};
    SDL_FillRect(screen, &all, bkg_pixel());
    l.Draw();
    EXPECT_GT(ink_in(l.rect.x, l.rect.y, l.rect.w, l.rect.h), 0);
    EXPECT_EQ(ink_in(l.rect.x + 481, l.rect.y, 500 - 481 - 20, l.rect.h), 0)
        << "nothing past the three columns";
}

TEST(FileList, keys_move_through_and_mark_the_rows_passed)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    for (int i = 0; i < 12; i++)
        make_file(sb, "P" + std::to_string(100 + i) + ".jpg", 1, 1000 + i);
    CFListBox l(10, 60, 500, 25 + 23 * 4, "/mnt/hda1/", "", "");
    ASSERT_EQ(l.ReadDir(), 0);
    ASSERT_EQ(l.shown, 4);
    drain_events();
    for (SDLKey k : {SDLK_LEFT, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT})
        push_key(k);
    int r = 0;
    for (int i = 0; i < 20; i++)
        r |= list_key_step(l, true);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(l.GetCurrent(), 5);
    EXPECT_EQ(l.first, 2) << "the current row stays in view";
    EXPECT_EQ(l.MarkedCount(), 6) << "rows 0..5 passed";
    push_key(SDLK_RIGHT);
    push_key(SDLK_RETURN);
    for (int i = 0; i < 4 && !r; i++)
        r = list_key_step(l, false);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(l.GetCurrent(), 4);
    EXPECT_EQ(l.MarkedCount(), 6) << "moving without marking marks nothing";

    // At the ends the keys change nothing.
    l.SetCurrent(11);
    EXPECT_EQ(l.first, 8);
    l.Next();
    EXPECT_EQ(l.GetCurrent(), 11);
    for (int i = 0; i < 30; i++)
        l.Previous();
    EXPECT_EQ(l.GetCurrent(), 0);
    EXPECT_EQ(l.first, 0);
}

TEST(FileListDrawing, current_row_and_marked_entry)
{
    gui_reset();
    Sandbox sb;
    mkdir(sb.path("/mnt/hda1").c_str(), 0755);
    for (int i = 0; i < 3; i++)
        make_file(sb, "F" + std::to_string(i) + ".jpg", 1234, 1000 + i);
    CFListBox l(10, 60, 500, 25 + 23 * 6, "/mnt/hda1/", "Free", "Used");
    ASSERT_EQ(l.ReadDir(), 0);
    l.SetCurrent(1);
    l.SetMarked(2, true);
    SDL_Rect all{0, 0, 1024, 768};
    SDL_FillRect(screen, &all, bkg_pixel());
    l.Draw();
    auto row_y = [&](int r) { return l.rect.y + l.header_height + r * l.row_height; };
    Px hl = pixel_at(l.rect.x + 150, row_y(1) + 2);
    EXPECT_TRUE(std::abs(hl.r - 192) < 8 && std::abs(hl.g - 192) < 8 && hl.b > 240);
    Px plain = pixel_at(l.rect.x + 150, row_y(0) + 2);
    EXPECT_TRUE(std::abs(plain.r - 160) < 8 && std::abs(plain.g - 160) < 8);
    int red = 0;
    for (int y = row_y(2); y < row_y(3); y++)
        for (int x = l.rect.x; x < l.rect.x + 480; x++) {
            Px p = pixel_at(x, y);
            red += p.r > 200 && p.g < 80 && p.b < 80;
        }
    EXPECT_GT(red, 20) << "the marked entry's texts are red";
    EXPECT_FALSE(l.sbar->visible) << "three entries fit";
    // The disk bar under the list.
    EXPECT_GT(ink_in(l.disk->rect.x, l.disk->rect.y, l.disk->rect.w, l.disk->rect.h), 0);
    l.Erase();
    EXPECT_EQ(ink_in(l.rect.x, l.rect.y, 500, l.rect.h + 80), 0);
}
