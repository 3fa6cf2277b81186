// The baseline-crossing project screens: 21 chooses a new or stored project, 19 sets it up
// (name, baseline or GPS positioning) and starts or continues it, 37 starts its profiles one
// after another, 20 records where the running profile crosses the baseline.
#include "projects/pv_screens.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "files/disk.h"
#include "files/keylines.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/input.h"
#include "gui/list_box.h"
#include "gui/pv_angle.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/char_field.h"
#include "gui/decimal_field.h"
#include "gui/number_field.h"
#include "gui/text_label.h"
#include "platform/host_paths.h"
#include "platform/termination.h"
#include "screens/param_ui.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

namespace {

CPVProject& pv() { return rdr.pvp; }

short wheel() { return xml_pars.current_wheel; }
double unit_m() { return double(eep.GetUnit(0)); } // the length unit in metres

void unit_name(char* out, size_t cap) { eep.GetShUnitName(out, 0, 0, 0, cap); }

bool is_enter(int k) { return k == SDLK_RETURN || k == SDLK_KP_ENTER; }

// The screen's row becomes current and is drawn with its focus.
void show_screen(int m, CButton** buttons)
{
    select_row(m);
    Init_All_Buttons(buttons);
    draw_row(m);
}

void release(CButton* b)
{
    if (b && b->pressed)
        b->Release();
}

void set_text(int row, int slot, const char* text)
{
    if (auto* t = mS.at<CSDLText>(row, slot)) {
        t->SetText8(text);
        if (mode == row && t->visible) {
            t->Erase();
            t->Draw();
        }
    }
}

// ---- The wheel on screens 19 and 37 ----

// Pulses per metre of the current wheel, truncated, at least 1.
int wheel_trigg_cond()
{
    const int w = wheel();
    const double cal = w < xml_pars.wheel_count ? xml_pars.wheel[w].wheel_calibration : 0.0;
    if (!(cal >= 1.0))
        return 1;
    return cal > double(INT_MAX) ? INT_MAX : int(cal);
}

// The CU counts the wheel from 0, one trigger condition per metre.
void wheel_setup()
{
    triggCond = wheel_trigg_cond();
    eep.set_gl_mea_dir(xml_pars.measurement_direction);
    curWhPosition = 0;
    if (!params::cu_on())
        return;
    MutexLock g(lock_dw);
    gpr.SetTriggSrc(-1, 'W', wheel());
    gpr.SetTriggCond(1, triggCond);
    gpr.SetMeasDir(-1, gl_mea_dir);
    gpr.SetWheelPos(wheel(), 1, 0);
    gpr.EnableWheel(wheel());
}

void wheel_disable()
{
    if (!params::cu_on())
        return;
    MutexLock g(lock_dw);
    gpr.DisableWheel(wheel());
}

void set_wheel_position(int32_t pulses)
{
    curWhPosition = pulses;
    if (!params::cu_on())
        return;
    MutexLock g(lock_dw);
    gpr.SetWheelPos(wheel(), 1, pulses);
}

// The wheel distance text of screens 19 and 37, read from the CU a few times a second and
// redrawn only when it changed.
class WheelDistance {
public:
    WheelDistance(int row, int slot) : row_(row), slot_(slot) {}
    void refresh(bool force)
    {
        const Uint32 now = SDL_GetTicks();
        if (!force && now - last_ < 400)
            return;
        last_ = now;
        if (params::cu_on()) {
            MutexLock g(lock_dw);
            curWhPosition = gpr.GetWheelPos(wheel());
        }
        const double d = double(curWhPosition) * gl_mea_dir / std::max(1, triggCond) / unit_m();
        if (!force && d == shown_)
            return;
        shown_ = d;
        char u[16], text[80];
        unit_name(u, sizeof u);
        snprintf(text, sizeof text, "Wheel distance: %.2f %s", d, u);
        set_text(row_, slot_, text);
    }

private:
    int row_, slot_;
    Uint32 last_ = 0;
    double shown_ = NAN;
};

// ---- Field editing ----

// A distance typed with the arrows (Right up, Left down): first the whole part in steps of 1,
// Enter goes on to the fraction in the field's steps, a second Enter takes the value.
void edit_distance(CSDLText_N* f)
{
    f->visible = 1;
    f->setSelected();
    f->stage = 1;
    f->sDraw();
    do
        params::edit_steps(draw_battery, [f](int d) {
            if (d > 0)
                f->Next();
            else
                f->Prev();
        });
    while (f->Click() != 0);
    f->setUsual();
    f->stage = 0;
    f->sDraw();
}

// The shape of a coordinate or distance typed as characters; false after its message.
bool number_text_ok(const CSDLText_DCH& f)
{
    const int c = f.it_is_correct();
    if (c == 10)
        mesmode("The number is too big.", " It has to be < 1000000000.", true, 0);
    else if (c != 0)
        mesmode("The number is not correct. There must be no spaces",
                "between digits, '-' can be only before the first digit.", true, 0);
    return c == 0;
}

// ---- Screen 21 ----

std::vector<std::string> stored_projects()
{
    std::vector<std::string> names;
    MutexLock g(lock_dw);
    DIR* d = opendir(host_path(kDataDir).c_str());
    if (!d)
        return names;
    while (struct dirent* e = readdir(d)) {
        const char* ext = strstr(e->d_name, ".pvb");
        if (ext && size_t(ext - e->d_name) < kListStrBytes && ext != e->d_name)
            names.emplace_back(e->d_name, size_t(ext - e->d_name));
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// The project list opened for a choice (Left next, Right previous, Enter): the chosen name.
std::string choose_project(CListBox* list)
{
    auto* caption = mS.at<CSDLText>(21, pv1::kListCaption);
    if (caption) {
        caption->visible = 1;
        caption->Draw();
    }
    list->SetCurrent(0);
    list->Draw();
    params::pick_in_list(*list, draw_battery);
    char name[kListStrBytes];
    list->GetSelStr(name, sizeof name);
    if (caption)
        caption->visible = 0;
    return name;
}

// ---- Screen 19 ----

CSDLText_DCH* coord_field(int i) { return mS.at<CSDLText_DCH>(19, pv2::kFirstCoord + i); }

void show_setup_fields(bool fresh)
{
    using namespace pv2;
    const bool coords = pv().version != 2;
    for (int i = 0; i < 4; i++) {
        if (auto* b = mS.obj[19][kStartX + i])
            b->visible = coords;
        if (auto* f = coord_field(i))
            f->visible = coords;
    }
    if (auto* b = mS.obj[19][kName])
        b->visible = fresh;
    if (auto* b = mS.obj[19][kGps])
        b->visible = fresh;
    if (auto* t = mS.at<CSDLText>(19, kGpsValue))
        t->SetText8(coords ? "Off" : "On");
}

void fill_setup_screen(bool fresh)
{
    using namespace pv2;
    if (auto* t = mS.at<CSDLText>(19, kTitle))
        t->SetText8(fresh ? "New Plavik Project" : "Continue Plavik Project");
    if (auto* b = mS.at<CButton>(19, kGo))
        b->SetLabel(fresh ? "Start the project" : "Continue the project");
    if (auto* f = mS.at<CSDLText_CH>(19, kNameField))
        copy_text(f->text, sizeof f->text, pv().name);
    const double corners[4] = {pv().start_x, pv().start_y, pv().stop_x, pv().stop_y};
    char u[16];
    unit_name(u, sizeof u);
    for (int i = 0; i < 4; i++)
        if (auto* f = coord_field(i)) {
            snprintf(f->text, sizeof f->text, "%15.3f", corners[i] / unit_m());
            copy_text(f->unit, sizeof f->unit, u);
        }
    show_setup_fields(fresh);
}

enum class Go { Stay, Ran, MainMenu };

// Start or continue (button 8).
Go start_project(bool fresh)
{
    wheel_disable();
    CPVProject& p = pv();
    if (fresh)
        if (auto* f = mS.at<CSDLText_CH>(19, pv2::kNameField))
            pv_pad_name(p.name, sizeof p.name, f->text);
    double v[4];
    for (int i = 0; i < 4; i++) {
        CSDLText_DCH* f = coord_field(i);
        if (p.version != 2 && f && !number_text_ok(*f)) {
            wheel_setup();
            return Go::Stay;
        }
        v[i] = f ? strtod(f->text, nullptr) * unit_m() : 0.0;
    }
    if (p.version != 2 && v[0] == v[2] && v[1] == v[3]) {
        mesmode("Baseline length cannot be zero!", "Change coordinates.", true, 0);
        wheel_setup();
        return Go::Stay;
    }
    if (p.version != 2) {
        p.start_x = v[0];
        p.start_y = v[1];
        p.stop_x = v[2];
        p.stop_y = v[3];
    }
    int r;
    if (!fresh) {
        // Profiles deleted meanwhile leave the project before it goes on.
        char file[CPVProject::kNameSize + 8];
        snprintf(file, sizeof file, "%s.pvb", p.name);
        p.Clear_proj_file(file);
        r = p.Continue();
    } else {
        r = p.Start();
        if (r == 2) {
            mesmode("The Project with this name is already", "exists on the disk. Change the name.", true, 0);
            wheel_setup();
            return Go::Stay;
        }
    }
    if (r != 0) {
        mesmode("The Project File Open Error", "It can be no free space on the disk", true, 0);
        wheel_setup();
        return Go::Stay;
    }
    p.save_pars();
    if (fresh) {
        last_del = 0;
        last_ang_del = 0;
    }
    curbutton[37] = pv3::kStartProfile;
    return mode_37_PV_screen_3() == 34 ? Go::MainMenu : Go::Ran;
}

// ---- Screen 20 ----

int angle_in_circle(int a) { return ((a % 360) + 360) % 360; }

// Angle entry with the needle: Left/Right by 3 degrees, by 9 more while the key is held.
void edit_angle(CPVAngle* view, int* angle)
{
    auto show = [&] {
        char t[16];
        snprintf(t, sizeof t, "%d", *angle);
        set_text(20, pvm::kAngleText, t);
        if (view) {
            view->angle = *angle;
            view->Draw();
        }
    };
    int held_key = 0;
    Uint32 held_since = 0, last_step = 0;
    for (;;) {
        check_termination();
        SDL_Event e;
        if (gui_poll_event(&e)) {
            if (e.type == SDL_KEYDOWN) {
                const int k = e.key.keysym.sym;
                if (k == SDLK_LEFT || k == SDLK_RIGHT) {
                    *angle = pv_angle_step(*angle, k == SDLK_LEFT ? -1 : 1, false);
                    show();
                    held_key = k;
                    held_since = last_step = SDL_GetTicks();
                } else if (is_enter(k) || k == SDLK_ESCAPE || k == SDLK_UP || k == SDLK_DOWN)
                    return;
            } else if (e.type == SDL_KEYUP && e.key.keysym.sym == held_key)
                held_key = 0;
            continue;
        }
        const Uint32 now = SDL_GetTicks();
        if (held_key && now - held_since > 500 && now - last_step > 150) {
            *angle = pv_angle_step(*angle, held_key == SDLK_LEFT ? -1 : 1, true);
            last_step = now;
            show();
        }
        SDL_Delay(10);
    }
}

} // namespace

int mode_21_PV_screen_1()
{
    using namespace pv1;
    for (;;) {
        mode = 21;
        const int cu = check_CU_ON();
        if (cu != 0 && cu != -1)
            return 34;
        mode = 21;
        tbuf = nullptr;
        auto* list = mS.at<CListBox>(21, kList);
        const std::vector<std::string> names = stored_projects();
        if (list) {
            list->DeleteAll();
            for (const std::string& n : names)
                list->AddString(n.c_str());
        }
        CButton* buttons[kLastButton + 1];
        show_screen(21, buttons);
        bool again = false;
        while (!again) {
            const int r = next_button(21);
            if (r == kNew) {
                pv().reset();
                om_start = 1;
                curbutton[19] = pv2::kName;
                if (mode_19_PV_screen_2() == 34)
                    return 34;
                again = true;
            } else if (r == kContinue) {
                if (names.empty() || !list) {
                    mesmode("There are no Plavik Projects on the disk.", "Try to create a new one.", true, 0);
                    release(buttons[r]);
                    continue;
                }
                const std::string chosen = choose_project(list);
                if (chosen.empty()) {
                    again = true;
                    continue;
                }
                copy_text(pv().name, sizeof pv().name, chosen.c_str());
                pv().read_pvb();
                om_start = 2;
                curbutton[19] = pv2::kGo;
                if (mode_19_PV_screen_2() == 34)
                    return 34;
                again = true;
            } else if (r == kPars) {
                screen_parameters();
                again = true;
            } else if (r == kBack) {
                return 34;
            } else {
                release(buttons[r]);
            }
        }
    }
}

int mode_19_PV_screen_2()
{
    using namespace pv2;
    mode = 19;
    await_cu_poll(); // the trigger read below is the one a CU taken up meanwhile reloads
    tbuf = nullptr;
    if (eep.trig_code == kTrigTime || eep.trig_code == kTrigKeyboard) {
        mesmode("Time trigg or keyboard trigg is selected", "PVProject can be started only with wheel", true, 0);
        return -1;
    }
    const bool fresh = om_start == 1;
    fill_setup_screen(fresh);
    wheel_setup();
    WheelDistance distance(19, kDistance);
    CButton* buttons[kLastButton + 1];
    show_screen(19, buttons);
    distance.refresh(true);
    for (;;) {
        const int r = next_button(19, [&distance] {
            distance.refresh(false);
            draw_battery();
            return true;
        });
        if (r == kName && fresh) {
            params::edit_text(mS.at<CSDLText_CH>(19, kNameField), [](const char* text) {
                if (pvn_is_correct(text))
                    return true;
                char what[64];
                snprintf(what, sizeof what, "The name of the project can't be %s", "DAT_");
                mesmode(what, "Change it please.", true, 0);
                return false;
            }, true);
        } else if (r == kGps && fresh) {
            pv().version = pv().version == 2 ? 1 : 2;
            show_setup_fields(fresh);
            show_screen(19, buttons);
            distance.refresh(true);
        } else if (r >= kStartX && r <= kStopY) {
            CSDLText_DCH* f = coord_field(r - kStartX);
            if (f)
                params::edit_text(f, [f](const char*) { return number_text_ok(*f); }, true);
        } else if (r == kGo) {
            const Go g = start_project(fresh);
            if (g == Go::MainMenu)
                return 34;
            if (g == Go::Ran)
                return -1;
            show_screen(19, buttons);
            distance.refresh(true);
            continue;
        } else if (r == kBack) {
            wheel_disable();
            om_start = 0;
            return -1;
        } else if (r == kResetWheel) {
            set_wheel_position(0);
            distance.refresh(true);
        }
        release(buttons[r]);
    }
}

int mode_37_PV_screen_3()
{
    using namespace pv3;
    for (;;) {
        mode = 37;
        tbuf = nullptr;
        wheel_setup();
        const CPVProject& p = pv();
        char text[400];
        snprintf(text, sizeof text, "Project %s: %d profiles", p.name, int(p.profiles.size()));
        set_text(37, kInfo, text);
        text[0] = ' ';
        text[1] = 0;
        if (p.version != 2 && !p.profiles.empty()) {
            const CPVProfile& last = *p.profiles.back();
            char u[16];
            unit_name(u, sizeof u);
            snprintf(text, sizeof text, "Last crossing (%s): %.2f %s along the profile, %d deg, %.2f %s from the start",
                     last.name, last.X_LENGTH / unit_m(), u, last.X_ANGLE, last.X_DIST2BASE / unit_m(), u);
        }
        set_text(37, kLastCrossing, text);
        WheelDistance distance(37, kDistance);
        CButton* buttons[kLastButton + 1];
        show_screen(37, buttons);
        distance.refresh(true);
        bool again = false;
        while (!again) {
            const int r = next_button(37, [&distance] {
                distance.refresh(false);
                draw_battery();
                return true;
            });
            if (r == kStartProfile) {
                cont_meas = false;
                if (mode_03_measurement() == 34)
                    return 34;
                again = true;
            } else if (r == kSetDistance) {
                auto* f = mS.at<CSDLText_N>(37, kDistanceField);
                if (f) {
                    f->value = float(double(curWhPosition) * gl_mea_dir / std::max(1, triggCond) / unit_m());
                    edit_distance(f);
                    const double pulses = double(f->value) * triggCond * unit_m() * gl_mea_dir;
                    set_wheel_position(int32_t(std::clamp(pulses, double(INT_MIN), double(INT_MAX))));
                    f->visible = 0;
                    f->Erase();
                    distance.refresh(true);
                }
                release(buttons[r]);
            } else if (r == kMainMenu) {
                wheel_disable();
                return 34;
            } else {
                release(buttons[r]);
            }
        }
    }
}

int mode_20_PV_BL_marker()
{
    using namespace pvm;
    const int back_mode = mode;
    mode = 20;
    CPVProject& p = pv();
    char u[16], text[96];
    unit_name(u, sizeof u);
    // The wheel distance of the running profile; its trigger steps are step_distance apart.
    const double here = double(gl_mea_dir) * curWhPosition / std::max(1, triggCond) * eep.step_distance;
    snprintf(text, sizeof text, "Current distance: %3.2f %s", here / unit_m(), u);
    set_text(20, kCurrent, text);
    // The profile being recorded is the last one: the previous profile is the one before it.
    const CPVProfile* prev = p.profiles.size() >= 2 ? p.profiles[p.profiles.size() - 2].get() : nullptr;
    const double prev_d = prev ? prev->X_DIST2BASE / unit_m() : 0.0;
    const int prev_a = prev ? prev->X_ANGLE : 0;
    if (prev)
        snprintf(text, sizeof text, "%3.2f %s", prev_d, u);
    else
        snprintf(text, sizeof text, "()");
    set_text(20, kPrevValue, text);
    auto* dist = mS.at<CSDLText_N>(20, kDistanceField);
    if (dist) {
        dist->value = std::clamp(float(last_del + prev_d), dist->min, dist->max);
        snprintf(dist->suffix, sizeof dist->suffix, " %s", u);
    }
    int angle = angle_in_circle(prev_a + (gl_mea_dir > 0 ? last_ang_del : 0));
    auto* view = mS.at<CPVAngle>(20, kAngleView);
    if (view)
        view->angle = angle;
    snprintf(text, sizeof text, "%d", angle);
    set_text(20, kAngleText, text);
    curbutton[20] = kDistanceButton;
    CButton* buttons[kLastButton + 1];
    show_screen(20, buttons);
    int result = -1;
    for (;;) {
        const int r = next_button(20, [] { return true; });
        if (r == kDistanceButton && dist) {
            edit_distance(dist);
        } else if (r == kAngleButton) {
            edit_angle(view, &angle);
        } else if (r == kCreate) {
            if (gl_mea_dir < 0)
                angle = angle_in_circle(angle + 180);
            const double entered = dist ? dist->value : 0.0;
            last_del = float(entered - prev_d);
            p.new_Marker(float(here), angle, float(entered * unit_m()));
            last_ang_del = angle - prev_a;
            puts("new marker ok");
            result = 0;
            break;
        } else if (r == kCancel) {
            break;
        }
        release(buttons[r]);
    }
    mode = back_mode;
    return result;
}
