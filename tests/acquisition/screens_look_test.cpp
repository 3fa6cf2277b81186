// What the operator sees on the profile measurement screens, read off the screen surface
// while the screens run against the simulated CU: the display sliders stay engaged until
// the next Enter, the full-screen views fill the screen and their arrows act, and the
// screens' parts stand where they can be read (each check is named in a table).
#include "measure_screens_fixture.h"
#include "screen_driver.h"

#include "acquisition/acq_state.h"
#include "acquisition/mea_screens.h"
#include "app/screens.h"
#include "app/timer.h"
#include "config/parameters.h"
#include "files/markers.h"
#include "files/radar_data.h"
#include "cu/eep.h"
#include "gui/button.h"
#include "gui/display_filters.h"
#include "gui/indicators.h"
#include "gui/label_value.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstring>
#include <map>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb at(int x, int y)
{
    if (!screen || x < 0 || y < 0 || x >= screen->w || y >= screen->h)
        return {-1, -1, -1};
    const Uint16 p = ((const Uint16*)screen->pixels)[y * (screen->pitch / 2) + x];
    Uint8 r, g, b;
    SDL_GetRGB(p, screen->format, &r, &g, &b);
    return {r, g, b};
}

bool near(Rgb p, int r, int g, int b, int tol = 10)
{
    return std::abs(p.r - r) <= tol && std::abs(p.g - g) <= tol && std::abs(p.b - b) <= tol;
}
bool yellow(Rgb p) { return near(p, 255, 255, 0, 12); }
bool background(Rgb p) { return near(p, 53, 38, 38, 6); }

// Pixels of [x, x + w) x [y, y + h) for which pred holds.
template <class Pred> int count(int x, int y, int w, int h, Pred pred)
{
    int n = 0;
    for (int j = y; j < y + h; j++)
        for (int i = x; i < x + w; i++)
            n += pred(at(i, j)) ? 1 : 0;
    return n;
}

bool inside_screen(const SDL_Rect& r) { return r.x >= 0 && r.y >= 0 && r.x + r.w <= 1024 && r.y + r.h <= 768; }
bool overlap(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}
// The yellow focus frame along all four sides of r.
bool framed(const SDL_Rect& r)
{
    const int mx = r.x + r.w / 2, my = r.y + r.h / 2;
    return yellow(at(r.x + 1, my)) && yellow(at(r.x + r.w - 2, my)) && yellow(at(mx, r.y + 1)) &&
           yellow(at(mx, r.y + r.h - 2));
}

// Rows of the left vertical ruler's top 20 with label ink (black) left of its ticks.
int top_label_rows(const CVRuler* vr)
{
    int rows = 0;
    for (int y = vr->rect.y; y < vr->rect.y + 20; y++)
        rows += count(vr->rect.x, y, vr->rect.w - 10, 1, [](Rgb p) { return near(p, 0, 0, 0, 40); }) > 0;
    return rows;
}

LiveOptions cart()
{
    LiveOptions o;
    o.card = true;
    o.cusim_args = {"--speed", "0.5", "--wheel-cal", "1000", "--path", "+4.0005", "--max-rate", "100000",
                    "--gps-rate", "0"};
    return o;
}

bool shown(int row, int slot) { return mS.obj[row][slot] && mS.obj[row][slot]->visible; }

// What a run of the screens found, by name of the check.
using Checks = std::map<std::string, bool>;

// Moves the focus forward (Left) until `slot` has it.
void focus_to(ScreenDriver& s, int slot)
{
    for (int i = 0; i < 30 && s.focus() != slot; i++)
        s.key(SDLK_LEFT);
}

// Both sliders of the screen: Enter engages one, Left/Right then change its value (and the
// display filter it stands for) with the focus staying on it, the next Enter lets it go and
// Left moves the focus on again.
void sliders(ScreenDriver& s, int m, Checks& c)
{
    for (int slot : {kSlotContrast, kSlotTimeGain}) {
        auto* sl = mS.at<CSlider>(m, slot);
        const std::string name = "screen " + std::to_string(m) + (slot == kSlotContrast ? " contrast" : " time gain");
        if (!sl || !sl->visible) {
            c[name + " slider shown"] = false;
            continue;
        }
        focus_to(s, slot);
        float v0 = 0, v1 = 0, v2 = 0, filter = -1;
        bool engaged = false, released = true, frame = false;
        s.on_gui([&] { v0 = sl->value; });
        const SDLKey up = v0 < 30 ? SDLK_RIGHT : SDLK_LEFT, down = up == SDLK_RIGHT ? SDLK_LEFT : SDLK_RIGHT;
        const float sign = up == SDLK_RIGHT ? 1.0f : -1.0f;
        s.key(SDLK_RETURN);
        s.keys(up, 3);
        s.on_gui([&] {
            v1 = sl->value;
            engaged = sl->pressed && curbut == slot;
            frame = framed(sl->outer) && inside_screen(sl->outer);
        });
        s.key(down);
        s.on_gui([&] { v2 = sl->value; });
        s.key(SDLK_RETURN);
        s.on_gui([&] {
            released = sl->pressed != 0;
            filter = slot == kSlotContrast ? contrast_slider_value() : time_gain_slider_value();
        });
        s.key(SDLK_LEFT);
        c[name + ": Left/Right change the value"] = v1 == v0 + 3 * sign && v2 == v0 + 2 * sign;
        c[name + ": engaged until the next Enter"] = engaged && !released;
        c[name + ": the filter takes the value"] = filter == v2;
        c[name + ": framed inside the screen"] = frame;
        c[name + ": Left moves on once let go"] = s.focus() != slot;
    }
}

// The parts of screens 2 and 3 beside and under the radargram.
void layout(int m, Checks& c)
{
    CScrBuf* b = mS.at<CScrBuf>(m, kSlotRadargram);
    const std::string on = "screen " + std::to_string(m) + ": ";
    bool clear = true, within = true;
    for (int s = kFirstButton; s <= kLastButton; s++)
        if (auto* bt = mS.at<CButton>(m, s); bt && bt->visible) {
            clear = clear && bt->outer.x >= b->vr2->rect.x + b->vr2->rect.w;
            within = within && inside_screen(bt->outer);
        }
    c[on + "the button column stands right of the time ruler's labels"] = clear;
    c[on + "every control and its frame inside the screen"] = within;
    const CHScrollBar* h = b->hsb;
    c[on + "the scroll bar under the radargram is whole"] =
        count(h->track_x(), h->rect.y + 1, h->track_len(), h->rect.h - 2, [](Rgb p) { return background(p); }) == 0;
    // The zero level at the view's top: its depth label "0" is drawn whole below the edge.
    const int tz = eep.tz_sample;
    eep.tz_sample = int16_t(b->first_sample);
    b->setEERulers();
    b->Draw();
    c[on + "depth label 0 at the top edge is whole"] = top_label_rows(b->vr) >= 6;
    eep.tz_sample = int16_t(tz);
    b->setEERulers();
    b->Draw();
}

// Screens 8 and 12: the radargram over the screen below the distance ruler, the scroll bar,
// battery, GPS lamp and key hint in the strip below it.
void full_screen(int m, Checks& c)
{
    CScrBuf* f = mS.at<CScrBuf>(m, kSlotRadargram);
    const std::string on = "screen " + std::to_string(m) + ": ";
    const SDL_Rect& r = f->rect;
    c[on + "994 x 696 below the distance ruler, to the right edge"] =
        r.w == 994 && r.h == 696 && r.y == f->hr->rect.y + f->hr->rect.h && r.x + r.w == 1024;
    // The traces reach the picture's bottom row (a shorter trace is stretched to the height;
    // below the data the rows are black).
    const int columns = std::min<int>(f->shown, f->width) - 10;
    c[on + "the traces fill the height"] =
        columns > 300 && count(r.x + 5, r.y + r.h - 3, columns, 1, [](Rgb p) { return p.r > 20; }) > columns / 5;
    const int strip = r.y + r.h;
    auto* battery = mS.obj[m][0];
    auto* lamp = mS.obj[m][1];
    c[on + "battery and GPS lamp in the strip below"] = battery && lamp && battery->rect.y >= strip &&
                                                        lamp->rect.y >= strip && inside_screen(battery->rect) &&
                                                        inside_screen(lamp->rect);
    c[on + "the distance ruler leaves the battery free"] = battery && !overlap(f->hr->rect, battery->rect);
    c[on + "the scroll bar in the strip, left of the indicators"] =
        f->hsb->rect.y >= strip && f->hsb->rect.x + f->hsb->rect.w <= 1024 - f->hsb_trim;
    auto* hint = mS.at<CSDLText>(m, fullscreen::kHint);
    c[on + "the key hint is shown"] = hint && hint->visible && strlen(hint->text) > 10 &&
                                      count(hint->rect.x, hint->rect.y, hint->rect.w, hint->rect.h,
                                            [](Rgb p) { return near(p, 230, 230, 160, 40); }) > 20;
}

} // namespace

class MeasureScreensLook : public MeasureScreensTest {};

TEST_F(MeasureScreensLook, SlidersFullScreenViewsAndTheScreensParts)
{
    ASSERT_TRUE(start(cart()));
    prm.gain_switch = 0; // the time-gain slider is shown without the automatic gain
    ScreenDriver d;
    Checks c;
    CScrBuf* b = mS.at<CScrBuf>(3, kSlotRadargram);
    CScrBuf* f = mS.at<CScrBuf>(12, kSlotRadargram);
    int repeat_delay = -1, repeat_after = -1, box_pixels = 0;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 3 && MeasureMode; });
        s.wait([] { return current_trigger_trace() >= 400 && rdr.rd.hd.last_trace >= 300; }, 60);
        sliders(s, 3, c);
        // A surface marker: its label stands on a dark box.
        focus_to(s, meas::kMarkers);
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kMarkerList); });
        s.key(SDLK_RETURN);
        s.key(SDLK_UP);
        s.wait([] { return !shown(3, meas::kMarkerList); });
        s.on_gui([&] {
            b->Draw();
            if (rdr.rd.mrk.list.empty())
                return;
            const CMarker* mk = rdr.rd.mrk.list.front().get();
            const int x = b->rect.x + mk->trace - b->first_trace;
            const int y = b->rect.y + int((mk->value - b->first_sample) / b->compression);
            box_pixels = count(x, y - 20, 60, 40, [](Rgb p) { return near(p, 24, 24, 24, 6); });
        });
        // "Set Soil Velocity" one step up: the entry repeats a held arrow while it is open;
        // the status line written afterwards leaves the scroll bar above it whole.
        focus_to(s, meas::kTools);
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kToolsList); });
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kNumber); });
        s.on_gui([&] {
            int interval = 0;
            SDL_GetKeyRepeat(&repeat_delay, &interval);
        });
        s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
        s.wait([] { return !shown(3, meas::kNumber); });
        s.on_gui([&] {
            int interval = 0;
            SDL_GetKeyRepeat(&repeat_after, &interval);
            layout(3, c);
        });
        // Full screen while measuring; any key goes back.
        focus_to(s, meas::kFull);
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 8; });
        s.wait([&] { return mS.at<CScrBuf>(8, kSlotRadargram)->shown > 300; });
        s.on_gui([&] { full_screen(8, c); });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 3 && mS.cur_mode == 3; });
        focus_to(s, meas::kStop);
        s.key(SDLK_RETURN);
        s.wait_answering([] { return mode == 2 && !MeasureMode && rdr.rd.fd >= 0 && !rdr.rd.srd; });

        // Screen 2 with the stored profile.
        sliders(s, 2, c);
        s.on_gui([&] { layout(2, c); });
        focus_to(s, kSlotRadargram);
        CScrBuf* b2 = mS.at<CScrBuf>(2, kSlotRadargram);
        const SDL_Rect image{b2->rect.x, b2->rect.y, Uint16(b2->width), b2->rect.h};
        // The horizontal bar has the focus first, then the vertical one: its thumb turns yellow.
        auto thumbs = [&](int* hy, int* vy) {
            const CHScrollBar* h = b2->hsb;
            const CVScrollBar* v = b2->vsb;
            *hy = count(h->track_x(), h->rect.y + 1, h->track_len(), h->rect.h - 2, yellow);
            *vy = count(v->rect.x + 1, v->track_y(), v->rect.w - 2, v->track_len(), yellow);
        };
        s.on_gui([&] {
            c["screen 2: the focused radargram has a yellow frame"] = framed(image);
            int hy, vy;
            thumbs(&hy, &vy);
            c["screen 2: the horizontal bar's thumb is yellow first"] = hy > 1000 && vy == 0;
        });
        s.key(SDLK_LEFT);
        s.on_gui([&] {
            int hy, vy;
            thumbs(&hy, &vy);
            c["screen 2: then the vertical bar's thumb"] = hy == 0 && vy > 1000 && curbut == kSlotRadargram;
        });
        while (s.focus() == kSlotRadargram) // past both scroll bars
            s.key(SDLK_LEFT);
        s.on_gui([&] { c["screen 2: the frame goes with the focus"] = !yellow(at(image.x + 1, image.y + image.h / 2)); });
        // Full screen, three times (each left by Enter): the vertical scroll bar is active at
        // once; Down zooms in, Left scrolls down, Right back up, Up zooms out; Enter goes back.
        for (int visit = 0; visit < 3; visit++) {
            focus_to(s, premeas::kFull);
            s.key(SDLK_RETURN);
            s.wait([] { return mode == 12; });
            double z[3] = {};
            int top[3] = {};
            s.on_gui([&] {
                if (visit == 0)
                    full_screen(12, c);
                z[0] = f->compression;
            });
            s.key(SDLK_DOWN);
            s.on_gui([&] {
                z[1] = f->compression;
                top[0] = f->first_sample;
            });
            s.key(SDLK_LEFT);
            s.on_gui([&] { top[1] = f->first_sample; });
            s.key(SDLK_RIGHT);
            s.on_gui([&] { top[2] = f->first_sample; });
            s.key(SDLK_UP);
            s.on_gui([&] { z[2] = f->compression; });
            s.key(SDLK_RETURN);
            s.wait([] { return mode == 2 && mS.cur_mode == 2; });
            const std::string v = "screen 12, visit " + std::to_string(visit + 1) + ": ";
            c[v + "Down zooms in, Up out"] = z[1] < z[0] && z[2] > z[1];
            c[v + "Left scrolls down, Right back up"] = top[1] == top[0] + 33 && top[2] == top[0];
        }
        focus_to(s, premeas::kBack);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    for (const auto& [check, ok] : c)
        EXPECT_TRUE(ok) << check;
    EXPECT_EQ(50u, c.size()) << "every check ran";
    EXPECT_GT(box_pixels, 60) << "the marker label's dark box";
    EXPECT_EQ(400, repeat_delay) << "a held arrow repeats while the number entry is open";
    EXPECT_EQ(0, repeat_after) << "and only then";
}

// The position check screen reads the wheel in the display unit, two decimals: no
// "-0.000000" for a standing wheel.
TEST_F(MeasureScreensLook, PositioningReadsTheStandingWheelInMetres)
{
    ASSERT_TRUE(start(cart()));
    ScreenDriver d;
    auto* wheel = mS.at<CSDLText_Dub>(35, poscheck::kWheelPos);
    ASSERT_NE(nullptr, wheel);
    std::string shown_text;
    d.run([] { position_check_screen(); return 0; }, [&](ScreenDriver& s) {
        s.wait([] { return mode == 35; });
        timer_arm();
        for (int i = 0; i < 100 && shown_text != "0.00 m"; i++) {
            Timer_Funct1(250, nullptr); // a tick of the periodic timer, on this thread as on its own
            s.on_gui([&] { shown_text = wheel->value; });
        }
        focus_to(s, poscheck::kBack);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ("0.00 m", shown_text);
}



