// Rulers beside the radargram: CHRuler labels distance or time along a row of pixels, CVRuler
// depth or time down a column. The label step follows the scale (units per pixel) so labels
// stay readable at every zoom; feet and inches get steps that divide into 12.
#pragma once

#include "gui/sdl_object.h"

#include <cstdint>

// Label step G (thousandths of a unit), minor divisions n and minor tick width L
// (ten-thousandths of a unit) for u units per pixel and the ruler's unit text.
struct RulerStep {
    int G, n, L;
};
RulerStep ruler_step(const char* unitText, double u);
// Label text of value v on a ruler of u units per pixel.
void ruler_label(double u, double v, char* out, size_t cap);

class CHRuler : public CSDLObject {
public:
    SDL_Surface* surf = nullptr; // the ruler drawn along its length
    int32_t offset = 0;          // index of the first value shown (pixels of the data)
    int32_t last = 0;            // index shown at the right end
    int32_t lmargin, rmargin;
    int32_t position = 0;        // a marked index (the wheel position, the cursor trace)
    double unit = 0.01;          // value units per pixel step; 0 counts as 0.01
    int32_t font_size;
    uint8_t pointer_on = 1;
    char unit_text[8] = {};
    uint8_t bottom;              // labels below the line instead of above
    int16_t state = 0;           // 0 normal, 1 alarm, 2 warning

    CHRuler(int x, int y, int width, int height, int leftMargin, int rightMargin, int fontSize,
            int last, const char* unitText, bool bottom);
    ~CHRuler() override;

    void Draw() override;
    void SetUnit(double u) { unit = u; }
    void SetOffset(int o);
    void SetPos(int p);
    void SetUnitText(const char* t);

    // Value printed at index i (pixels from the start of the data).
    virtual double value_at(int i) const;

protected:
    CHRuler(int x, int y, int width, int height, int leftMargin, int rightMargin, int fontSize,
            int last, const char* unitText, bool bottom, int surfLength, int surfThickness);
    // Draws the ruler into surf (length along x). reversed: values run from the right end.
    void paint(int length, int thickness, bool reversed);
    double eff_unit() const { return unit == 0 ? 0.01 : unit; }
};

class CVRuler : public CHRuler {
public:
    uint8_t left_side;     // the ruler left of the image (labels outwards to the left)
    uint8_t direction = 0; // set: values grow downwards (the radargram sets it for both)
    int32_t tmargin, bmargin;
    SDL_Surface* surf2 = nullptr; // the upright ruler shown on screen
    double separation = 0;        // antenna separation in display units

    CVRuler(int x, int y, int width, int height, int topMargin, int bottomMargin, int fontSize,
            int last, bool leftSide, const char* unitText, bool direction);
    ~CVRuler() override;

    void Draw() override;
    // d = max(0, i * unit): the depth of the reflector below an antenna pair of the given
    // separation whose two-way path reads as d, sqrt(d * separation + d^2).
    double DistDist(int i) const;
    double value_at(int i) const override { return DistDist(i); }
};
