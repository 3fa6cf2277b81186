// System parameters level 2 (22) and its second screen (43): antenna separation, missed-trace
// and signal-search modes, the DUO channel and pattern, the noise test, the CU's simulation
// mode, the settings copied to the factory partition or to a USB stick; the positioning
// tests, the link's CU emulator and the screen test.
#include "acquisition/acq_state.h"
#include "gui/screen_loop.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/decimal_field.h"
#include "gui/draw.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "gui/screen_table.h"
#include "link/ethernet.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "platform/shell.h"
#include "platform/termination.h"
#include "platform/usb_stick.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace params;

namespace {

constexpr int kM = 22;
constexpr int kSeparation = 3, kMissed = 4, kSearchMode = 6, kChannel = 7, kPattern = 8, kNoise = 9, kSimMode = 10,
              kSignal = 11, kNext = 12, kWheels = 13, kFilters = 14, kPredefined = 15, kUpload = 16, kSaveExit = 17,
              kCancel = 18;

constexpr int kM43 = 43;
constexpr int kPositioning = 2, kEmulator = 3, kScreenTest = 4, kOk43 = 17, kBack43 = 18;

// What level 2 changes, as on entry.
struct Level2 {
    uint8_t missed, search, channel, pattern;
    bool noise;
    int sim_mode;
    float separation;
    static Level2 now()
    {
        return {eep.screen_opt1, eep.tz_search_opt, prm.duo_channel, prm.duo_pattern, noise_test_mode,
                simulation_mode, eep.ant_separation};
    }
};

int separation_cm() { return int(std::lround(double(eep.ant_separation) * 100.0)); }

void show_all(bool on)
{
    show_valuef(kM, kSeparation, "%d cm", on ? separation_cm() : 0);
    show_value(kM, kMissed, eep.screen_opt1 ? "On" : "Off");
    show_value(kM, kSearchMode, eep.tz_search_opt ? "MAX" : "Threshold");
    show_valuef(kM, kChannel, "%d", int(prm.duo_channel));
    show_value(kM, kPattern, prm.duo_pattern ? "ON" : "OFF");
    show_value(kM, kNoise, noise_test_mode ? "ON" : "OFF");
    if (auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kSimMode)])) {
        if (mode == kM)
            f->sErase();
        snprintf(f->text, sizeof f->text, "%d", simulation_mode);
        if (mode == kM)
            f->Draw();
    }
}

// The acquisition settings are written when one of the two modes changed.
void save_modes(const Level2& e)
{
    if (eep.screen_opt1 == e.missed && eep.tz_search_opt == e.search)
        return;
    {
        MutexLock g(lock_dw);
        eep.psave_l_a();
    }
    xml_pars.write_xml_tree();
}

int shell(const char* format, const char* a, const char* b = nullptr)
{
    char cmd[1024];
    if (b)
        snprintf(cmd, sizeof cmd, format, sh_path(a).c_str(), sh_path(b).c_str());
    else
        snprintf(cmd, sizeof cmd, format, sh_path(a).c_str());
    return run_shell(cmd);
}

// The settings file becomes the factory partition's predefined copy. The Chinese font is
// read from that partition: it is closed while the partition is mounted writable. False when
// the partition would not mount: the copy is not made, as it would land in the bare mount
// point instead of the partition.
bool save_predefined()
{
    MutexLock g(lock_dw);
    if (CSDLObject::kina_font) {
        sge_TTF_CloseFont(CSDLObject::kina_font);
        CSDLObject::kina_font = nullptr;
    }
    shell("umount %s", "/mnt/hda4");
    const bool mounted = shell("mount %s %s", "/dev/sda4", "/mnt/hda4") == 0;
    if (mounted) {
        const int r = shell("cp %s %s", kXmlParsPath, "/mnt/hda4");
        run_shell("sync");
        shell("umount %s", "/mnt/hda4");
        printf("predefined settings: cp %d\n", r);
    } else {
        puts("predefined settings: the factory partition does not mount");
    }
    if (prm.language == kLangChinese) {
        shell("mount %s %s -r", "/dev/sda4", "/mnt/hda4");
        CSDLObject::kina_font = sge_TTF_OpenFont(host_path("/mnt/hda4/ier.ttf").c_str(), 24);
    }
    return mounted;
}

// The settings file onto the USB stick; false when no stick could be mounted.
bool upload_settings()
{
    MutexLock g(lock_dw);
    if (!mount_usb_stick(StickProbe::Settings))
        return false;
    const int r = shell("cp %s %s", kXmlParsPath, "/mnt/usb");
    run_shell("sync");
    unmount_usb_stick();
    printf("settings uploaded: cp %d\n", r);
    return true;
}

void edit_separation()
{
    for (;;) {
        const int k = edit_key(draw_battery);
        if (k == SDLK_RETURN || !cu_on())
            return;
        if (k != SDLK_LEFT && k != SDLK_RIGHT)
            continue;
        int cm = separation_cm() + (k == SDLK_RIGHT ? 1 : -1);
        cm = cm < 0 ? 0 : cm > 999 ? 999 : cm;
        eep.ant_separation = float(cm) / 100.0f;
        show_valuef(kM, kSeparation, "%d cm", cm);
    }
}

void edit_sim_mode(bool on)
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kSimMode)]);
    if (!f)
        return;
    const double v = edit_number(f);
    simulation_mode = int(std::lround(v));
    if (on) {
        MutexLock g(lock_dw);
        gpr.SetMode();
    }
}

// Level 2 left by Cancel: every value as on entry, the CU's values re-sent.
void cancel(const Level2& e, bool on)
{
    const Level2 n = Level2::now();
    eep.screen_opt1 = e.missed;
    eep.tz_search_opt = e.search;
    prm.duo_channel = e.channel;
    prm.duo_pattern = e.pattern;
    noise_test_mode = e.noise;
    eep.ant_separation = e.separation;
    simulation_mode = e.sim_mode;
    if (!on)
        return;
    MutexLock g(lock_dw);
    if (n.channel != e.channel)
        gpr.Set_DUO_Channel(e.channel);
    if (n.pattern != e.pattern)
        gpr.Set_Pattern(e.pattern, prm.pattern_parameter);
    if (n.sim_mode != e.sim_mode)
        gpr.SetMode();
}

void save_and_exit(const Level2& e, bool on)
{
    save_modes(e);
    if (prm.duo_channel != e.channel || prm.duo_pattern != e.pattern)
        prm.p_write();
    if (on && eep.ant_separation != e.separation) {
        MutexLock g(lock_dw);
        gpr.SetAntennaSeparation(uint32_t(double(eep.ant_separation) * 1000.001));
        gpr.WriteParameters(0);
    }
}

// One colour over the whole screen until a key is pressed.
void fill_until_key(Uint8 r, Uint8 g, Uint8 b)
{
    SDL_Rect all{0, 0, 1024, 768};
    fill_rect(&all, map_rgb(r, g, b));
    update_area(0, 0, 1024, 768);
    keyb_wait();
    while (poll_key() == 0) {
        check_termination();
        SDL_Delay(10);
    }
}

void run_emulator()
{
    service::caption(kM43, kEmulator, "Stop CU Simulation Mode");
    eth.emulate_cu(true);
    puts("CU simulation mode on");
    keyb_wait();
    while (poll_key() == 0) {
        check_termination();
        service::pass(kM43);
        SDL_Delay(10);
    }
    eth.emulate_cu(false);
    puts("CU simulation mode off");
    service::caption(kM43, kEmulator, "Start CU Simulation Mode");
}

} // namespace

int mode_22_sys_pars_level_2()
{
    const Level2 entry = Level2::now();
    bool on = cu_on();
    enter_screen(kM);
    show_all(on);
    for (;;) {
        const int r = service::next_button(kM, on);
        if (r == 0) {
            show_all(on);
            continue;
        }
        switch (r) {
        case kSeparation:
            if (on)
                edit_separation();
            break;
        case kMissed: eep.screen_opt1 = eep.screen_opt1 ? 0 : 1; break;
        case kSearchMode: eep.tz_search_opt = eep.tz_search_opt ? 0 : 1; break;
        case kChannel:
            prm.duo_channel = uint8_t((prm.duo_channel + 1) % 3);
            if (on) {
                MutexLock g(lock_dw);
                gpr.Set_DUO_Channel(prm.duo_channel);
            }
            break;
        case kPattern:
            prm.duo_pattern = prm.duo_pattern ? 0 : 1;
            if (on) {
                MutexLock g(lock_dw);
                gpr.Set_Pattern(prm.duo_pattern, prm.pattern_parameter);
            }
            break;
        case kNoise: noise_test_mode = !noise_test_mode; break;
        case kSimMode: edit_sim_mode(on); break;
        case kSignal: mode_13_signal_parameters(); break;
        case kNext: mode_43_sys_pars_level_2_scr_2(); break;
        case kWheels: mode_16_wheel_list(); break;
        case kFilters: mode_15_filters(); break;
        case kPredefined:
            save_modes(entry);
            if (!save_predefined())
                service::message(kM, "Partition mounting error!", "");
            break;
        case kUpload:
            save_modes(entry);
            if (!upload_settings())
                service::message(kM, "The USB Device is not accessible", "");
            break;
        case kSaveExit: save_and_exit(entry, on); return 0;
        case kCancel: cancel(entry, on); return -1;
        default: break;
        }
        if (r == kSignal || r == kNext || r == kWheels || r == kFilters)
            enter_screen(kM);
        on = cu_on();
        show_all(on);
        release(kM, r);
    }
}

int mode_43_sys_pars_level_2_scr_2()
{
    bool on = cu_on();
    enter_screen(kM43);
    for (;;) {
        const int r = service::next_button(kM43, on);
        switch (r) {
        case 0: continue;
        case kPositioning: mode_39_positioning_tests(); break;
        case kEmulator: run_emulator(); break;
        case kScreenTest:
            fill_until_key(255, 255, 255);
            fill_until_key(255, 0, 0);
            fill_until_key(0, 255, 0);
            fill_until_key(0, 0, 255);
            break;
        case kOk43: return 0;
        case kBack43: return -1;
        default: release(kM43, r); continue;
        }
        enter_screen(kM43);
    }
}

void rows_service_level2(CMS& t)
{
    {
        const int row = kM;
        put_title(t, row, "System Parameters (level 2)");
        put_line(t, row, kSeparation, 0, "Antenna separation:");
        put_line(t, row, kMissed, 1, "Missed Traces Mode:");
        put_line(t, row, kSearchMode, 2, "Signal Search Mode:");
        put_line(t, row, kChannel, 3, "Channel (DUO):");
        put_line(t, row, kPattern, 4, "Pattern (DUO):");
        put_line(t, row, kNoise, 5, "Noise test:");
        put_line(t, row, kSimMode, 6, "Sim. Mode:", false);
        t.put(row, value_slot(kSimMode), new CSDLText_DCH(332, line_y(6) + 37, "0", 24, 40, 40, 90, 200, 5));
        put_line(t, row, kSignal, 7, "Signal Parameters", false);
        put_line(t, row, kNext, 8, "NEXT SCREEN >>", false);
        put_small(t, row, kWheels, 9, 0, "Wheels");
        put_small(t, row, kFilters, 9, 1, "Filters");
        service::put_long(t, row, kPredefined, 10, 0, "Save to predefined settings");
        service::put_long(t, row, kUpload, 10, 1, "Upload current settings");
        put_small(t, row, kSaveExit, 11, 0, "Save and Exit");
        put_small(t, row, kCancel, 11, 1, "Cancel");
        service::put_lamp(t, row);
    }
    {
        const int row = kM43;
        put_title(t, row, "System Parameters (level 2)");
        put_line(t, row, kPositioning, 0, "Positioning", false);
        put_line(t, row, kEmulator, 1, "Start CU Simulation Mode", false);
        put_line(t, row, kScreenTest, 2, "Screen Test", false);
        put_small(t, row, kOk43, 11, 0, "OK");
        put_small(t, row, kBack43, 11, 1, "Cancel");
        service::put_lamp(t, row);
    }
}
