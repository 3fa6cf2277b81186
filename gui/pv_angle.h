// Angle indicator of the baseline-crossing screens: a white dial with a black needle that
// points at the angle measured clockwise from straight up.
#pragma once

#include "gui/sdl_object.h"

#include <cstdint>

class CPVAngle : public CSDLObject {
public:
    SDL_Surface* surf = nullptr;
    int32_t angle = 90;       // degrees
    float half_opening = 0.3f; // radians at the needle's base
    int32_t radius;

    CPVAngle(int x, int y, int width, int height, int radius);
    ~CPVAngle() override;
    void Draw() override;
};

// One keypad step of the angle: Left (-1) or Right (+1) by 3 degrees, or by 9 while the key
// is held. A result below 0 becomes 357 (351 for the held step), one of 360 or more 0.
int pv_angle_step(int angle, int direction, bool held);
