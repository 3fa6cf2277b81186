#include "gui/file_list_box.h"

#include "gui/draw.h"
#include "gui/wide_text.h"
#include "platform/file_offsets.h"
#include "platform/globals.h"
#include "platform/host_paths.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace {

bool ends_with(const char* name, const char* ext)
{
    size_t n = strlen(name), e = strlen(ext);
    return n > e && memcmp(name + n - e, ext, e) == 0;
}

// Base name of a profile or project: the name up to its extension (".rd7", ".pvb").
size_t base_len(const char* name, const char* ext) { return strlen(name) - strlen(ext); }

// Profiles of a project carry its name followed by a four-digit number ("LINE0003.rd7" in
// project "LINE.pvb"): the profile's base without its last four characters.
bool profile_of(const char* rd7, const char* project_pvb)
{
    size_t b = base_len(rd7, ".rd7");
    size_t p = base_len(project_pvb, ".pvb");
    return b > 4 && b - 4 == p && memcmp(rd7, project_pvb, p) == 0;
}

bool single_file(const char* name)
{
    for (const char* ext : {".jpg", ".eln", ".crn", ".kbn", ".bkub"})
        if (ends_with(name, ext))
            return true;
    return false;
}

struct Found {
    char name[CDirEntry::kNameBytes];
    int32_t mtime;
    int64_t size;
};

} // namespace

CFListBox::CFListBox(int x, int y, int width, int height, const char* p, const char* freeLabel,
                     const char* usedLabel)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(std::max(width, 1)), Uint16(std::max(height, 1))),
      box_width(std::max(width, 1)), box_height(std::max(height, 1))
{
    shown = std::max(1, (height - header_height) / row_height);
    const char* names[kColumns] = {"Name", "Size", "Date and Time"};
    for (int c = 0; c < kColumns; c++) {
        titles[c] = CListStr{};
        str_copy(titles[c].data(), kListStrBytes, names[c]);
    }
    SetPath(p);
    str_copy(free_label, sizeof free_label, freeLabel ? freeLabel : "");
    str_copy(used_label, sizeof used_label, usedLabel ? usedLabel : "");
    sbar = new CVScrollBar(x + width - 17, y + header_height, std::max(height - header_height, 1));
    sbar->visible = 0;
    disk = new CDiskStatus(x + 60, y + height + 20, 350, 40, free_label, x, y + height + 40,
                           used_label, x + 430, y + height + 40, 18);
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, rect.w, rect.h, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!surf) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
}

CFListBox::~CFListBox()
{
    delete sbar;
    delete disk;
    if (surf)
        SDL_FreeSurface(surf);
}

void CFListBox::SetPath(const char* p)
{
    path[0] = 0;
    if (p && strlen(p) < sizeof path)
        str_copy(path, sizeof path, p);
}

void CFListBox::SetProject(const char* p)
{
    proj_name[0] = 0;
    if (p && strlen(p) < sizeof proj_name)
        str_copy(proj_name, sizeof proj_name, p);
}

void CFListBox::SetColumn(int index, const char* title)
{
    if (index >= 0 && index < kColumns)
        str_copy(titles[index].data(), kListStrBytes, title ? title : "");
}

void CFListBox::add(const char* name, int32_t mtime, int64_t size)
{
    CDirEntry e{};
    str_copy(e.name, sizeof e.name, name);
    e.mtime = mtime;
    e.size = size;
    entries.push_back(e);
    marked.push_back(0);
}

void CFListBox::update_disk(const char* host_dir)
{
    struct statfs fs;
    if (statfs(host_dir, &fs) != 0 || fs.f_blocks == 0)
        return;
    double bsize = double(fs.f_bsize);
    double total = double(fs.f_blocks) * bsize, avail = double(fs.f_bavail) * bsize;
    double used = double(fs.f_blocks - fs.f_bfree) * bsize;
    disk->used = float(used / total);
    auto caption = [](char* out, size_t cap, const char* label, double bytes) {
        snprintf(out, cap, "%.60s %.0f MB", label, bytes / 1048576.0);
    };
    caption(disk->caption1, sizeof disk->caption1, free_label, avail);
    caption(disk->caption2, sizeof disk->caption2, used_label, used);
}

int CFListBox::ReadDir()
{
    MutexLock lock(lock_dw);
    entries.clear();
    marked.clear();
    char dir_path[512];
    DIR* d = nullptr;
    if (path[0] && host_path_buf(path, dir_path, sizeof dir_path) == 0)
        d = opendir(dir_path);
    if (!d) {
        current = first = 0;
        return -1;
    }
    update_disk(dir_path);

    // One pass over the directory into a list of the regular files whose names fit.
    std::vector<Found> files;
    size_t too_long = 0;
    while (dirent* de = readdir(d)) {
        const char* n = de->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        if (strlen(n) >= CDirEntry::kNameBytes) {
            too_long++;
            continue;
        }
        char full[768];
        if (snprintf(full, sizeof full, "%s/%s", dir_path, n) >= int(sizeof full))
            continue;
        struct stat st;
        if (stat(full, &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        Found f{};
        str_copy(f.name, sizeof f.name, n);
        f.mtime = int32_t(st.st_mtime);
        f.size = int64_t(st.st_size);
        files.push_back(f);
    }
    closedir(d);
    if (too_long)
        printf("ReadDir: %zu names too long for the list in %s\n", too_long, path);

    if (proj_name[0]) {
        add(kUpEntry, 0, -1);
        for (const Found& f : files)
            if (ends_with(f.name, ".rd7") && profile_of(f.name, proj_name))
                add(f.name, f.mtime, f.size);
        SortDir(1);
    } else {
        std::vector<const Found*> projects;
        for (const Found& f : files)
            if (ends_with(f.name, ".pvb")) {
                add(f.name, f.mtime, -1);
                projects.push_back(&f);
            }
        for (const Found& f : files) {
            if (ends_with(f.name, ".rd7")) {
                bool in_project = std::any_of(projects.begin(), projects.end(),
                                              [&](const Found* p) { return profile_of(f.name, p->name); });
                if (!in_project)
                    add(f.name, f.mtime, f.size);
            } else if (single_file(f.name)) {
                add(f.name, f.mtime, f.size);
            } else if (ends_with(f.name, ".rhd")) {
                add(f.name, f.mtime, -1);
            }
        }
        SortDir(2);
    }
    CListWindow w{count(), current, first, shown};
    w.clamp();
    current = w.current;
    first = w.first;
    return 0;
}

void CFListBox::SortDir(int how)
{
    size_t from = (!entries.empty() && strcmp(entries[0].name, kUpEntry) == 0) ? 1 : 0;
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); i++)
        order[i] = i;
    auto by_name = [&](size_t a, size_t b) { return strcmp(entries[a].name, entries[b].name) < 0; };
    auto by_time = [&](size_t a, size_t b) { return entries[a].mtime > entries[b].mtime; };
    if (how == 1)
        std::stable_sort(order.begin() + long(from), order.end(), by_name);
    else if (how == 2)
        std::stable_sort(order.begin() + long(from), order.end(), by_time);
    else
        return;
    std::vector<CDirEntry> e2;
    std::vector<Uint8> m2;
    e2.reserve(order.size());
    m2.reserve(order.size());
    for (size_t i : order) {
        e2.push_back(entries[i]);
        m2.push_back(marked[i]);
    }
    entries.swap(e2);
    marked.swap(m2);
}

void CFListBox::window_to(int i)
{
    CListWindow w{count(), i, first, shown};
    scrolled = w.keep_in_view();
    current = w.current;
    first = w.first;
}

void CFListBox::Next()
{
    if (current + 1 < count())
        window_to(current + 1);
}

void CFListBox::Previous()
{
    if (current > 0 && current - 1 < count())
        window_to(current - 1);
}

void CFListBox::SetCurrent(int i)
{
    if (i >= 0 && i < count())
        window_to(i);
}

const char* CFListBox::GetName(int i) const
{
    return i >= 0 && i < count() ? entries[size_t(i)].name : "";
}

void CFListBox::SetMarked(int i, bool on)
{
    if (i >= 0 && i < count())
        marked[size_t(i)] = on ? 1 : 0;
}

int CFListBox::MarkedCount() const
{
    return int(std::count(marked.begin(), marked.end(), Uint8(1)));
}

void CFListBox::Draw()
{
    if (!visible || !screen || !surf)
        return;
    int sum = widths[0] + widths[1] + widths[2];
    rect.w = Uint16(std::min(sum, box_width));
    SDL_PixelFormat* f = surf->format;
    SDL_FillRect(surf, nullptr, SDL_MapRGB(f, CListBox::kBack.r, CListBox::kBack.g, CListBox::kBack.b));
    int cx = 0;
    for (int c = 0; c < kColumns; c++) {
        list_draw_header_cell(surf, cx, widths[c], header_height, titles[c].data(), font_type,
                              font_size);
        cx += widths[c];
    }
    Uint32 black = SDL_MapRGB(f, 0, 0, 0), red = SDL_MapRGB(f, 255, 0, 0);
    for (int r = first; r < count() && r < first + shown; r++) {
        const CDirEntry& e = entries[size_t(r)];
        int ry = header_height + (r - first) * row_height;
        if (r == current) {
            SDL_Rect hl{0, Sint16(ry), rect.w, Uint16(row_height)};
            SDL_FillRect(surf, &hl, SDL_MapRGB(f, CListBox::kCurrent.r, CListBox::kCurrent.g,
                                               CListBox::kCurrent.b));
        }
        Uint32 ink = marked[size_t(r)] ? red : black;
        list_draw_cell_text(surf, 0, ry, widths[0], row_height, e.name, font_type, font_size,
                            baseline, ink);
        if (e.size >= 0) {
            char sz[32];
            snprintf(sz, sizeof sz, "%" PRId64, e.size);
            list_draw_cell_text(surf, widths[0], ry, widths[1], row_height, sz, font_type,
                                font_size, baseline, ink, 2);
        }
        if (e.mtime > 0) {
            time_t t = e.mtime;
            struct tm tm;
            localtime_r(&t, &tm);
            char ts[64];
            snprintf(ts, sizeof ts, "%4d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                     tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
            // The column text starts 10 pixels in (the cell routine adds 5).
            list_draw_cell_text(surf, widths[0] + widths[1] + 5, ry, widths[2] - 5, row_height,
                                ts, font_type, font_size, baseline, ink);
        }
    }
    if (!IsScroll() && sbar->visible) {
        erase_rect(&sbar->rect);
        sbar->visible = 0;
    }
    display_surface(surf, rect.x, rect.y, rect.w);
    if (IsScroll()) {
        sbar->visible = 1;
        sbar->Set(0, count(), shown, first);
        sbar->Draw();
    }
    disk->Draw();
}

void CFListBox::Erase()
{
    if (!erasable)
        return;
    SDL_Rect all{rect.x, rect.y, Uint16(box_width), Uint16(box_height)};
    erase_rect(&all);
    erase_rect(&sbar->rect);
    // The disk bar and its captions below the list.
    SDL_Rect below{rect.x, Sint16(rect.y + box_height + 1), 640, 60};
    erase_rect(&below);
}
