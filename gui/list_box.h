// List boxes: rows of "#"-separated columns under optional column titles, one current row
// kept in view, marked and disabled rows, and a vertical scroll bar when the rows do not fit.
// CListBox serves the choice lists of the screens; CFListBox (file_list_box.h) the file
// manager.
#pragma once

#include "gui/scroll_bar.h"

#include <array>
#include <vector>

constexpr size_t kListStrBytes = 250;
using CListStr = std::array<char, kListStrBytes>;

// The window of `shown` rows over `count` rows that keeps the current row in view. Both
// list boxes move through their rows with it.
struct CListWindow {
    int count = 0, current = 0, first = 0, shown = 1;
    // Moves `first` the least needed so that `current` is in view and the view does not
    // run past the last row; returns whether it moved.
    bool keep_in_view();
    // Puts current into 0 .. count - 1 (0 for an empty list), then keep_in_view.
    void clamp();
};

// Rows of a list whose texts come from outside the program (file names of a stick or a
// damaged disk) are shown with every control byte as '?': nothing in them can steer the
// text routines (byte 2 is dropped by the text drawing, a line feed has no glyph).
void printable_copy(char* dst, size_t cap, const char* src);

class CListBox : public CSDLObject {
public:
    std::vector<CListStr> rows;
    std::vector<CListStr> titles;
    std::vector<int> widths;
    std::vector<Uint8> marked;  // initially clear
    std::vector<Uint8> enabled; // initially set
    int current = 0;            // current row
    int first = 0;              // first shown row
    int shown;                  // rows that fit
    int row_height = 36, baseline = 28, font_size = 22, header_height = 38;
    bool header;
    int font_type;
    bool scrolled = false; // the view moved or a row was skipped by the last Next/Previous
    CVScrollBar* sbar = nullptr;
    SDL_Surface* surf = nullptr; // width x height, drawn and then shown at once
    int box_width;               // width given at construction (the surface's)

    CListBox(int x, int y, int width, int height, bool header, int fontType);
    ~CListBox() override;

    void AddColumn(const char* title, int width);
    void AddString(const char* text); // enabled, not marked
    void SetColumn(int index, const char* title);
    void DeleteAll();

    // Next / previous enabled row; the current row stays when there is none.
    void Next();
    void Previous();
    // Makes row i current and scrolls it into view; ignored when out of range.
    void SetCurrent(int i);
    int GetCurrent() const { return current; }
    int count() const { return int(rows.size()); }
    // Row i cut at its first "#" (the first column) into dst (cap bytes); "" when i is out
    // of range.
    void GetStr(char* dst, int i, size_t cap = kListStrBytes) const;
    void GetSelStr(char* dst, size_t cap = kListStrBytes) const { GetStr(dst, current, cap); }
    void SetMarked(int i, bool on);
    void SetEnabled(int i, bool on);
    int MarkedCount() const;
    bool IsScroll() const { return count() > shown; }

    void Draw() override;
    void Erase() override;

    // Background of the box, current row and cell colours.
    static constexpr CRgb kBack{160, 160, 160}, kCurrent{192, 192, 255}, kMarkedInk{255, 0, 0},
        kDisabledInk{80, 80, 80};

private:
    CListWindow window() const;
    void take(const CListWindow& w);
};

// Raised header cell with a centred title, and the column text clipped to its cell: shared
// by both list boxes.
void list_draw_header_cell(SDL_Surface* s, int x, int w, int h, const char* title, int fontType,
                           int fontSize);
void list_draw_cell_text(SDL_Surface* s, int x, int y, int w, int h, const char* text,
                         int fontType, int fontSize, int baseline, Uint32 colour, int align = 0);
