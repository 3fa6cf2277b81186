// The screen table `mS`: every object of every screen, one row per screen number, 41 slots
// per row. Row 0 is the screen being shown (a copy of its row).
//
// Slots: 0 battery, 1 GPS lamp (both shared), 2-18 the focusable buttons, 19-38 texts,
// fields, lists and views, 39 the radargram, 40 the top view.
#pragma once

#include "gui/sdl_object.h"

#include <cstdint>

constexpr int kRows = 45;
constexpr int kSlots = 41;
constexpr int kFirstButton = 2, kLastButton = 18;
constexpr int kSlotRadargram = 39;

class CMS : public CSDLObject {
public:
    char pal_name[3][200] = {};
    SDL_Surface* surface = nullptr;
    int32_t cur_mode = 0;
    uint8_t owned[kRows][kSlots] = {};
    CSDLObject* obj[kRows][kSlots] = {};
    char bk_name1[32] = "images/empty1_1024.bmp";
    char bk_name2[32] = "images/empty3_1024.bmp";
    char prg_title[80] = {};

    // Video surface, key repeat off, TrueType engine, fonts, shared bitmaps.
    CMS();
    ~CMS() override;

    // Creates the objects of every screen (after CLang::create_M).
    void Init();
    // Deletes every owned object of rows 1-44 and clears all slots.
    void del_objs();
    // Makes row m current (copied into row 0) and draws its visible objects in slot order.
    void DrawObjs(int m);
    // Fills the whole screen with the background colour.
    void Draw() override;
    // Sets the contrast and time-gain sliders of the radargram screens from the filters.
    void Init_3_filters();

    // Puts an object into a slot; `own` makes this row delete it.
    void put(int row, int slot, CSDLObject* o, bool own = true);
    template <class T> T* at(int row, int slot) const { return dynamic_cast<T*>(obj[row][slot]); }
};

extern CMS mS;

// Program title and version shown in message-box headings.
constexpr const char* kProgramTitle = "gprmon GPR Monitor";
constexpr const char* kProgramVersion = "1.0";
