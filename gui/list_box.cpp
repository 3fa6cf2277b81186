#include "gui/list_box.h"

#include "gui/draw.h"
#include "gui/wide_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------------------
// The window over the rows

bool CListWindow::keep_in_view()
{
    int old = first;
    int n = std::max(1, shown);
    if (current < first)
        first = current;
    if (current >= first + n)
        first = current - n + 1;
    int last_first = std::max(0, count - n);
    if (first > last_first)
        first = last_first;
    if (first < 0)
        first = 0;
    return first != old;
}

void CListWindow::clamp()
{
    if (current >= count)
        current = count - 1;
    if (current < 0)
        current = 0;
    keep_in_view();
}

void printable_copy(char* dst, size_t cap, const char* src)
{
    if (cap == 0)
        return;
    size_t n = 0;
    for (; n + 1 < cap && src[n]; n++) {
        unsigned char c = (unsigned char)src[n];
        dst[n] = (c < 0x20 || c == 0x7F) ? '?' : char(c);
    }
    dst[n] = 0;
}

// ---------------------------------------------------------------------------------------
// Drawing shared by the list boxes

namespace {

Uint32 rgb_on(SDL_Surface* s, CRgb c) { return SDL_MapRGB(s->format, c.r, c.g, c.b); }

// Whether the text of a font type may hold 16-bit units (Chinese language text).
bool wide_text(int fontType) { return CSDLObject::is_language_text(fontType) && text_language() == 8; }

void copy_text(char* dst, size_t cap, const char* src, int fontType)
{
    if (wide_text(fontType))
        CSDLObject::uni_strcpy(dst, src, cap);
    else
        str_copy(dst, cap, src);
}

} // namespace

void list_draw_header_cell(SDL_Surface* s, int x, int w, int h, const char* title, int fontType,
                           int fontSize)
{
    if (!s || w <= 0 || h <= 0)
        return;
    SDL_Rect cell{Sint16(x), 0, Uint16(w), Uint16(h)};
    SDL_FillRect(s, &cell, rgb_on(s, CListBox::kBack));
    Uint32 light = SDL_MapRGB(s->format, 204, 204, 204), dark = SDL_MapRGB(s->format, 32, 32, 32);
    SDL_Rect top{Sint16(x), 0, Uint16(w), 1}, left{Sint16(x), 0, 1, Uint16(h)};
    SDL_Rect bottom{Sint16(x), Sint16(h - 1), Uint16(w), 1}, right{Sint16(x + w - 1), 0, 1, Uint16(h)};
    SDL_FillRect(s, &top, light);
    SDL_FillRect(s, &left, light);
    SDL_FillRect(s, &bottom, dark);
    SDL_FillRect(s, &right, dark);
    SDL_Rect inner{Sint16(x + 1), 1, Uint16(std::max(w - 2, 0)), Uint16(std::max(h - 2, 0))};
    SDL_SetClipRect(s, &inner);
    SDL_Rect box = CSDLObject::Uni_TextSize(fontType, fontSize, title);
    // Centred in the cell; the baseline sits a quarter of the text height below the middle.
    int tx = x + w / 2 - box.w / 2;
    int ty = h / 2 + box.h / 4;
    CSDLObject::UniTextOut(s, fontType, fontSize, title, tx, ty, SDL_MapRGB(s->format, 0, 0, 0));
    SDL_SetClipRect(s, nullptr);
}

void list_draw_cell_text(SDL_Surface* s, int x, int y, int w, int h, const char* text,
                         int fontType, int fontSize, int baseline, Uint32 colour, int align)
{
    if (!s || w <= 0 || !text)
        return;
    char shown[kListStrBytes];
    if (wide_text(fontType))
        CSDLObject::uni_strcpy(shown, text, sizeof shown);
    else
        printable_copy(shown, sizeof shown, text);
    SDL_Rect cell{Sint16(x), Sint16(y), Uint16(w), Uint16(h)};
    SDL_SetClipRect(s, &cell); // a long text ends at its column
    if (align == 2) // right-aligned, ending 10 pixels before the column's end
        CSDLObject::UniTextOut(s, fontType, fontSize, shown, x + w - 10, y + baseline, colour, 2);
    else
        CSDLObject::UniTextOut(s, fontType, fontSize, shown, x + 5, y + baseline, colour);
    SDL_SetClipRect(s, nullptr);
}

// ---------------------------------------------------------------------------------------
// CListBox

CListBox::CListBox(int x, int y, int width, int height, bool header_, int fontType)
    : CSDLObject(Sint16(x), Sint16(y), Uint16(std::max(width, 1)), Uint16(std::max(height, 1))),
      header(header_), font_type(fontType), box_width(std::max(width, 1))
{
    int list_h = header ? height - header_height : height;
    shown = std::max(1, list_h / row_height);
    int top = header ? header_height : 0;
    sbar = new CVScrollBar(x + width - 17, y + top, std::max(list_h, 1));
    sbar->visible = 0;
    surf = SDL_CreateRGBSurface(SDL_SWSURFACE, rect.w, rect.h, 16, 0xF800, 0x07E0, 0x001F, 0);
    if (!surf) {
        fprintf(stderr, "CreateRGBSurface failed-1: %s\n", SDL_GetError());
        exit(1);
    }
}

CListBox::~CListBox()
{
    delete sbar;
    if (surf)
        SDL_FreeSurface(surf);
}

void CListBox::AddColumn(const char* title, int width)
{
    CListStr t{};
    copy_text(t.data(), t.size(), title ? title : "", font_type);
    titles.push_back(t);
    widths.push_back(std::max(width, 0));
}

void CListBox::AddString(const char* text)
{
    CListStr r{};
    copy_text(r.data(), r.size(), text ? text : "", font_type);
    rows.push_back(r);
    marked.push_back(0);
    enabled.push_back(1);
}

void CListBox::SetColumn(int index, const char* title)
{
    if (index < 0 || index >= int(titles.size()))
        return;
    copy_text(titles[size_t(index)].data(), kListStrBytes, title ? title : "", font_type);
}

void CListBox::DeleteAll()
{
    rows.clear();
    marked.clear();
    enabled.clear();
    current = 0;
    first = 0;
}

CListWindow CListBox::window() const
{
    CListWindow w;
    w.count = count();
    w.current = current;
    w.first = first;
    w.shown = shown;
    return w;
}

void CListBox::take(const CListWindow& w)
{
    current = w.current;
    first = w.first;
}

void CListBox::Next()
{
    int i = current + 1;
    while (i < count() && !enabled[size_t(i)])
        i++;
    if (i >= count())
        return;
    bool skipped = i != current + 1;
    CListWindow w = window();
    w.current = i;
    bool moved = w.keep_in_view();
    take(w);
    scrolled = skipped || moved;
}

void CListBox::Previous()
{
    int i = std::min(current, count()) - 1;
    while (i >= 0 && !enabled[size_t(i)])
        i--;
    if (i < 0)
        return;
    bool skipped = i != current - 1;
    CListWindow w = window();
    w.current = i;
    bool moved = w.keep_in_view();
    take(w);
    scrolled = skipped || moved;
}

void CListBox::SetCurrent(int i)
{
    if (i < 0 || i >= count())
        return;
    CListWindow w = window();
    w.current = i;
    w.keep_in_view();
    take(w);
}

void CListBox::GetStr(char* dst, int i, size_t cap) const
{
    if (!dst || cap == 0)
        return;
    if (i < 0 || i >= count()) {
        copy_text(dst, cap, "", font_type);
        return;
    }
    CListStr r = rows[size_t(i)];
    r[kListStrBytes - 1] = 0;
    if (wide_text(font_type))
        r[kListStrBytes - 2] = 0;
    uni_strtok(r.data(), '#', font_type);
    copy_text(dst, cap, r.data(), font_type);
}

void CListBox::SetMarked(int i, bool on)
{
    if (i >= 0 && i < count())
        marked[size_t(i)] = on ? 1 : 0;
}

void CListBox::SetEnabled(int i, bool on)
{
    if (i >= 0 && i < count())
        enabled[size_t(i)] = on ? 1 : 0;
}

int CListBox::MarkedCount() const
{
    return int(std::count(marked.begin(), marked.end(), Uint8(1)));
}

void CListBox::Draw()
{
    if (!visible || !screen || !surf)
        return;
    int sum = 0;
    for (int w : widths)
        sum += w;
    rect.w = Uint16(std::min(std::max(sum, 1), box_width));
    SDL_FillRect(surf, nullptr, rgb_on(surf, kBack));
    int top = header ? header_height : 0;
    if (header) {
        int cx = 0;
        for (size_t c = 0; c < titles.size(); c++) {
            list_draw_header_cell(surf, cx, widths[c], header_height, titles[c].data(), font_type,
                                  font_size);
            cx += widths[c];
        }
    }
    for (int r = first; r < count() && r < first + shown; r++) {
        int ry = top + (r - first) * row_height;
        if (r == current) {
            SDL_Rect hl{0, Sint16(ry), rect.w, Uint16(row_height)};
            SDL_FillRect(surf, &hl, rgb_on(surf, kCurrent));
        }
        CRgb ink = !enabled[size_t(r)] ? kDisabledInk : marked[size_t(r)] ? kMarkedInk : CRgb{0, 0, 0};
        Uint32 colour = rgb_on(surf, ink);
        CListStr text = rows[size_t(r)];
        text[kListStrBytes - 1] = text[kListStrBytes - 2] = 0;
        char* col = text.data();
        int cx = 0;
        for (size_t c = 0; c < widths.size() && col; c++) {
            char* rest = uni_strtok(col, '#', font_type);
            list_draw_cell_text(surf, cx, ry, widths[c], row_height, col, font_type, font_size,
                                baseline, colour);
            cx += widths[c];
            col = rest;
        }
    }
    if (!IsScroll() && sbar->visible) {
        erase_rect(&sbar->rect); // the rows fit again: the bar goes
        sbar->visible = 0;
    }
    display_surface(surf, rect.x, rect.y, rect.w);
    if (IsScroll()) {
        sbar->visible = 1;
        sbar->Set(0, count(), shown, first);
        sbar->Draw();
    }
}

void CListBox::Erase()
{
    CSDLObject::Erase();
    if (erasable && sbar)
        erase_rect(&sbar->rect);
}
