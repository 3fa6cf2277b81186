// The marker list and the tools list of screen 3, with their cursors and number entries, and
// the tools list of the stored profile on screen 2. While measuring the display goes on
// between key presses (measurement_tick). Every list, cursor and entry is left with Up, Down
// or Escape without acting.
#include "acquisition/mea_lists.h"

#include "acquisition/acq_state.h"
#include "acquisition/arrow_run.h"
#include "acquisition/mea_radargram.h"
#include "acquisition/mea_loop.h"
#include "acquisition/mea_profile.h"
#include "acquisition/mea_screens.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"
#include "grid/profile_migration.h"
#include "gui/trace_store.h"
#include "gui/list_box.h"
#include "gui/number_field.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/screen_state.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

int object_row = -1; // depth cursor of "Object" and "Depth Calibration", kept between uses
bool saved_del_mean = false; // the "Delete Mean Trace" flag while migrated columns are shown
int migrated_first = -1;       // first trace of the migrated columns
const float* migrated_column = nullptr; // its column in the trace store at that time

// The row of the screen the lists belong to: screen 2 (a stored profile) or screen 3.
int list_row() { return mode == 2 ? 2 : 3; }

// Between key presses: the measurement display on screen 3, the indicators on screen 2.
bool tick()
{
    if (mode != 2)
        return measurement_tick();
    add_pos_show();
    draw_battery();
    return true;
}

bool leaves(int k) { return k == SDLK_UP || k == SDLK_DOWN || k == SDLK_ESCAPE; }

double length_unit() { return double(eep.GetUnit(0)); }

// Closes a list or entry: it is erased and the radargram under it drawn again.
void hide(CSDLObject* o, CScrBuf* b)
{
    if (!o)
        return;
    o->visible = 0;
    o->Erase();
    if (b)
        b->Draw();
}

// While a cursor or number entry is open a held arrow key repeats (the keypad's other
// screens keep one key press per press).
struct KeyRepeat {
    KeyRepeat() { SDL_EnableKeyRepeat(400, 60); }
    ~KeyRepeat() { SDL_EnableKeyRepeat(0, 0); }
};

// Waits for keys while `between` runs (the display goes on). Returns the key, or 0 when it
// failed (an acquisition error).
int next_key(const std::function<bool()>& between, bool* failed)
{
    for (;;) {
        if (!between()) {
            *failed = true;
            return 0;
        }
        const int k = poll_key();
        if (k != SDLK_UNKNOWN)
            return k;
        SDL_Delay(10);
    }
}

} // namespace

int row_cursor(CScrBuf* b, int start, int min_row, int step, const std::function<bool()>& between)
{
    const int max_row = b->rect.h - 2;
    min_row = std::clamp(min_row, 1, max_row);
    int row = std::clamp(start, min_row, max_row);
    KeyRepeat repeat;
    ArrowRun run;
    b->hcur_on = 1;
    b->hcur_row = int16_t(row);
    b->Draw();
    int result = -1;
    for (;;) {
        bool failed = false;
        const int k = next_key(between, &failed);
        if (failed) {
            result = -2;
            break;
        }
        if (k == SDLK_RIGHT || k == SDLK_LEFT) {
            const int d = step * ArrowRun::row_factor(run.press(k, SDL_GetTicks()));
            row = std::clamp(row + (k == SDLK_RIGHT ? -d : d), min_row, max_row);
            b->hcur_row = int16_t(row);
            b->Draw();
        } else if (k == SDLK_RETURN || k == SDLK_KP_ENTER) {
            result = row;
            break;
        } else if (leaves(k)) {
            break;
        }
    }
    b->hcur_on = 0;
    b->Draw();
    return result;
}

int number_entry(CScrBuf* b, int row, const char* caption, const char* format, float value, float lo, float hi,
                 float step, float* out, const std::function<bool()>& between)
{
    auto* cap = mS.at<CSDLText>(row, meas::kNumberCaption);
    auto* num = mS.at<CSDLText_N>(row, meas::kNumber);
    if (!cap || !num)
        return 0;
    cap->SetText8(caption);
    cap->visible = 1;
    cap->Draw();
    snprintf(num->format, sizeof num->format, "%s", format);
    num->min = lo;
    num->max = hi;
    num->step = step;
    num->stage = 0;
    num->value = std::clamp(value, lo, hi);
    num->visible = 1;
    num->selected = 1;
    num->sDraw();
    KeyRepeat repeat;
    ArrowRun run;
    int result = 0;
    for (;;) {
        bool failed = false;
        const int k = next_key(between, &failed);
        if (failed) {
            result = -2;
            break;
        }
        if (k == SDLK_RIGHT || k == SDLK_LEFT) {
            // Held or pressed quickly, the step grows tenfold after 5 and after 15 presses.
            num->step = step * ArrowRun::step_factor(run.press(k, SDL_GetTicks()));
            if (k == SDLK_RIGHT)
                num->Next();
            else
                num->Prev();
        } else if (k == SDLK_RETURN || k == SDLK_KP_ENTER) {
            *out = num->value;
            result = 1;
            break;
        } else if (leaves(k))
            break;
    }
    num->selected = 0;
    hide(num, nullptr);
    hide(cap, b);
    return result;
}

namespace {

// Row of the radargram that shows sample s, and the sample at a row.
int row_of(const CScrBuf* b, int s) { return int(std::ceil((s - b->first_sample) / b->compression)); }
int sample_at(const CScrBuf* b, int row) { return b->first_sample + mrnd(row * b->compression); }

// First row strictly below the zero level.
int first_row_below_zero(const CScrBuf* b)
{
    int r = std::max(1, row_of(b, eep.tz_sample));
    while (sample_at(b, r) <= eep.tz_sample)
        r++;
    return r;
}

void save_soil_velocity(CScrBuf* b, int v)
{
    xml_pars.soil_velocity = uint16_t(v);
    xml_pars.write_xml_tree();
    b->setEERulers();
    b->Draw();
    eep_textinfo();
}

// "Hyperbola Fitting": the depth cursor chooses the apex row, then Left/Right narrow or widen
// the hyperbola of the velocity tried (1 .. 300 / unit); Enter keeps that velocity. The
// hyperbola stands at the cursor column (a stored profile has none: the middle of the view).
// 1 stored, 0 left, -1 left at the cursor, -2 an acquisition error.
int hyperbola_tool(CScrBuf* b)
{
    if (object_row < 0)
        object_row = b->rect.h / 2;
    const int row = row_cursor(b, object_row, first_row_below_zero(b), 3, tick);
    if (row < 0)
        return row;
    object_row = row;
    const uint16_t before = xml_pars.soil_velocity;
    const int top = std::max(1, int(std::floor(300.0 / length_unit())));
    int v = std::clamp<int>(before, 1, top);
    const int32_t position = b->hr ? b->hr->position : 0;
    if (mode == 2 && b->hr)
        b->hr->position = b->first_trace + std::max(0, std::min<int>(b->shown, b->width) / 2);
    b->hcur_row = int16_t(row);
    b->hyper_on = 1;
    xml_pars.soil_velocity = uint16_t(v); // the hyperbola is drawn with the velocity tried
    b->Draw();
    int result = 0;
    for (;;) {
        bool failed = false;
        const int k = next_key(tick, &failed);
        if (failed) {
            result = -2;
            break;
        }
        if (k == SDLK_RIGHT || k == SDLK_LEFT) {
            v = std::clamp(v + (k == SDLK_RIGHT ? 1 : -1), 1, top);
            xml_pars.soil_velocity = uint16_t(v);
            b->Draw();
        } else if (k == SDLK_RETURN || k == SDLK_KP_ENTER) {
            result = 1;
            break;
        } else if (leaves(k)) {
            break;
        }
    }
    b->hyper_on = 0;
    if (b->hr)
        b->hr->position = position;
    xml_pars.soil_velocity = before;
    if (result == 1)
        save_soil_velocity(b, v);
    else
        b->Draw();
    return result;
}

} // namespace

int depth_cursor_limit(const CScrBuf* b) { return first_row_below_zero(b); }

void migration_tool(CScrBuf* b)
{
    if (data_is_migrated) {
        migration_undo(b);
        return;
    }
    // The visible columns, as far as they are in the trace store.
    std::vector<float*> cols;
    for (int t = b->first_trace; t < b->first_trace + b->width && t < store_trace_count(); t++) {
        if (!store_trace(t))
            break;
        cols.push_back(rdr.prof.slot(rdr.prof.start + (t - rdr.prof.first_trace)));
    }
    if (!profile_migration_apply(cols.data(), int(cols.size()), eep.samples))
        return;
    migrated_first = b->first_trace;
    migrated_column = cols.front();
    saved_del_mean = del_mean_on();
    set_del_mean(false);
    data_is_migrated = migration_is_on = true;
    redraw_radargram(b);
}

void migration_undo(CScrBuf* b)
{
    if (!data_is_migrated)
        return;
    // The originals go back only into columns that still hold those traces: a stored profile
    // browsed since may have been read again into the store (then it holds the originals).
    if (store_trace(migrated_first) == migrated_column)
        profile_migration_restore();
    else
        profile_migration_forget();
    migrated_first = -1;
    migrated_column = nullptr;
    set_del_mean(saved_del_mean);
    data_is_migrated = migration_is_on = false;
    if (b)
        redraw_radargram(b);
}

void migration_follow(CScrBuf* b)
{
    if (!data_is_migrated)
        return;
    bool pending;
    {
        MutexLock g(lock1);
        pending = canShow;
    }
    if (pending)
        migration_undo(b);
}

int migrated_first_trace() { return data_is_migrated ? migrated_first : -1; }

int add_surface_marker()
{
    const int trace = current_trigger_trace();
    if (marker_at(trace, eep.tz_sample))
        return 0;
    add_marker_now(trace, eep.tz_sample, 104, "");
    return 1;
}

int object_marker(CScrBuf* b)
{
    const int lo = first_row_below_zero(b);
    if (object_row < 0)
        object_row = b->rect.h / 2;
    const int row = row_cursor(b, object_row, lo, 3, tick);
    if (row < 0)
        return row;
    object_row = row;
    const int s = std::max(sample_at(b, row), eep.tz_sample + 1);
    const int trace = current_trigger_trace();
    if (marker_at(trace, s))
        return 0;
    char text[32];
    const double depth = double(eep.e_depth(s) / eep.GetUnit(uint8_t(xml_pars.depth_units)));
    snprintf(text, sizeof text, "%4.2f", depth);
    add_marker_now(trace, s, 200, text);
    return 1;
}

namespace {

enum class Then { Stay, Close, Failed };

// Opens list l at its first row and moves through it (Left next, Right previous) until
// `enter(row)` closes it, a key leaves it or an acquisition error stops the measurement;
// then hides it over b. False after the acquisition error.
template <class Enter> bool run_list(CListBox* l, CScrBuf* b, Enter enter)
{
    l->SetCurrent(0);
    l->visible = 1;
    l->Draw();
    bool ok = true;
    for (;;) {
        bool failed = false;
        const int k = next_key(tick, &failed);
        Then then = failed ? Then::Failed : Then::Stay;
        if (k == SDLK_LEFT)
            l->Next();
        else if (k == SDLK_RIGHT)
            l->Previous();
        else if (k == SDLK_RETURN || k == SDLK_KP_ENTER)
            then = enter(l->GetCurrent());
        else if (!failed && leaves(k))
            then = Then::Close;
        if (then != Then::Stay) {
            ok = then != Then::Failed;
            break;
        }
        l->Draw();
    }
    hide(l, b);
    return ok;
}

} // namespace

bool markers_list(CScrBuf* b)
{
    auto* l = mS.at<CListBox>(3, meas::kMarkerList);
    if (!l)
        return true;
    return run_list(l, b, [b, l](int cur) {
        if (cur == meas::kSurface) {
            add_surface_marker();
        } else if (cur == meas::kObject) {
            if (object_marker(b) == -2)
                return Then::Failed;
        } else if (cur == meas::kHideShow) {
            b->markers_on = b->markers_on ? 0 : 1;
            l->rows[meas::kHideShow].fill(0);
            snprintf(l->rows[meas::kHideShow].data(), kListStrBytes, "%s", b->markers_on ? "Hide" : "Show");
            redraw_radargram(b);
        }
        return Then::Stay;
    });
}

bool tools_list(CScrBuf* b)
{
    auto* l = mS.at<CListBox>(list_row(), meas::kToolsList);
    if (!l)
        return true;
    int chosen = -1;
    const bool ok = run_list(l, b, [&chosen](int cur) {
        chosen = cur;
        return Then::Close;
    });
    if (!ok)
        return false;
    int r = 0;
    switch (chosen) {
    case meas::kSoilVelocity: {
        float v = 0;
        const float top = float(std::floor(300.0 / length_unit()));
        r = number_entry(b, list_row(), "Set Soil Velocity", "%3.0f", float(xml_pars.soil_velocity), 1, top, 1, &v,
                         tick);
        if (r == 1)
            save_soil_velocity(b, mrnd(v));
        break;
    }
    case meas::kDepthCalibration: {
        if (object_row < 0)
            object_row = b->rect.h / 2;
        const int row = row_cursor(b, object_row, first_row_below_zero(b), 3, tick);
        if (row < 0) {
            r = row;
            break;
        }
        object_row = row;
        const int s = std::max(sample_at(b, row), eep.tz_sample + 1);
        const double unit = length_unit();
        float D = float(double(eep.e_depth(s)) / unit);
        r = number_entry(b, list_row(), "Depth Calibration", "%3.2f", D, 0.01f, 999, 0.01f, &D, tick);
        if (r == 1) {
            const double A = eep.ant_separation / unit;
            const double T = (s - eep.tz_sample) * eep.sample_interval;
            const int v = calibrated_velocity(A, D, T, unit);
            if (v > 0)
                save_soil_velocity(b, v);
        }
        break;
    }
    case meas::kHyperbola:
        r = hyperbola_tool(b);
        break;
    case meas::kMigration:
        migration_tool(b);
        break;
    case meas::kZeroLevel: {
        const int row = row_cursor(b, std::max(1, row_of(b, eep.tz_sample)), 1, 1, tick);
        if (row < 0) {
            r = row;
            break;
        }
        // The time-zero sample is the monitor's own reference for depths and time: the
        // recorded traces stay as they are, so one zero level holds for the whole profile.
        // (The CU's "zero level" of command 194 is its sampler's DC level, a different
        // quantity: sending the sample there shifted every later trace.)
        const int s = sample_at(b, row);
        MutexLock g(lock_dw);
        eep.tz_sample = int16_t(s);
        printf("zero level: sample %d\n", s);
        eep.psave_l_a();
        xml_pars.write_xml_tree();
        b->setEERulers();
        b->Draw();
        break;
    }
    default:
        break;
    }
    return r != -2;
}
