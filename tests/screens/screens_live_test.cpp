// The wheel, filter and GPS screens in this process: the screen runs on the test's thread, a
// script presses the keys, against the simulated CU (wheel calibration over its wheel, the
// live trace of the filter screen) and the serial GPS driver's stand-in.
#include "live_fixture.h"
#include "screen_driver.h"
#include "support/waits.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "files/radar_data.h"
#include "gui/key_script.h"
#include "gui/screen_table.h"
#include "gui/decimal_field.h"
#include "gui/text_label.h"
#include "link/ethernet.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Pixels of the screen's single-trace view (screens/param_ui.cpp places it there).
std::vector<uint16_t> trace_region()
{
    std::vector<uint16_t> px;
    SDL_Surface* s = SDL_GetVideoSurface();
    if (!s)
        return px;
    SDL_LockSurface(s);
    for (int y = 62; y < 62 + 690; y++)
        for (int x = 790; x < 790 + 220; x++)
            px.push_back(static_cast<const uint16_t*>(s->pixels)[y * s->pitch / 2 + x]);
    SDL_UnlockSurface(s);
    return px;
}

// How far the drawn curve swings: per row of the view the width between its leftmost and
// rightmost dark pixel, summed over the rows.
long swing(const std::vector<uint16_t>& px)
{
    long sum = 0;
    for (int y = 0; y < 690; y++) {
        int lo = -1, hi = -1;
        for (int x = 0; x < 220; x++) {
            const uint16_t p = px[size_t(y) * 220 + size_t(x)];
            const int lum = ((p >> 11) << 3) + (((p >> 5) & 63) << 2) + ((p & 31) << 3);
            if (lum < 3 * 100) {
                if (lo < 0)
                    lo = x;
                hi = x;
            }
        }
        if (lo >= 0)
            sum += hi - lo;
    }
    return sum;
}

// A single trace from the CU as the timer takes it, drawn by the screen.
bool trace_drawn(ScreenDriver& d)
{
    {
        MutexLock g(lock_dw);
        if (TraceTrigg() != 0)
            return false;
    }
    if (!d.wait([] { return !canShow; }))
        return false;
    MutexLock g(lock_t2); // the screen draws the trace under this lock
    return true;
}

// The screen as the documentation shows it, when GPRMON_DOC_SHOTS names a folder.
void doc_shot(const char* name)
{
    if (const char* doc = getenv("GPRMON_DOC_SHOTS"))
        save_screen_png((std::string(doc) + "/" + name).c_str());
}

std::string text_of(int row, int slot)
{
    auto* t = dynamic_cast<CSDLText*>(mS.obj[row][slot]);
    return t ? t->text : "";
}

} // namespace

class ParameterScreensLive : public LiveTest {};

TEST_F(ParameterScreensLive, WheelListCreatesAtMostTwentyDeletesAndCalibratesOverTheCuWheel)
{
    LiveOptions o;
    // The cart backs 10 m once the wheel is reset: -523 pulses at 52.3 pulses/m.
    o.cusim_args = {"--wheel-cal", "52.3", "--idle-path", "-10", "--speed", "5", "--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    ASSERT_EQ(3, xml_pars.wheel_count);
    ScreenDriver d;
    const int r = d.run([] { return mode_16_wheel_list(); }, [&](ScreenDriver& s) {
        s.wait([] { return mode == 16; });
        // Back has the focus; Create is three to the right. 18 presses make 17 wheels.
        s.keys(SDLK_RIGHT, 3);
        s.keys(SDLK_RETURN, 18);
        s.wait([] { return xml_pars.wheel_count == kMaxWheels; });
        s.keys(SDLK_LEFT, 2); // Delete the current (the last) wheel
        s.key(SDLK_RETURN);
        s.wait_box("Are you sure that you want to delete the wheel?");
        s.key(SDLK_RETURN); // Yes
        s.wait([] { return mode == 16 && xml_pars.wheel_count == kMaxWheels - 1; });
        s.key(SDLK_RIGHT); // Edit
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 17; });
        s.keys(SDLK_LEFT, 3); // Start calibration
        s.key(SDLK_RETURN);
        s.wait([&] { return read_file(cu_log).find("idle path done, wheel at -523") != std::string::npos; });
        s.wait([] { return text_of(17, 30).find("-52.30") != std::string::npos; });
        s.key(SDLK_RETURN); // stop
        s.wait([] { return text_of(17, 30).find("52.30") == 0; });
        s.on_gui([] { doc_shot("params_wheel_edit.png"); });
        s.key(SDLK_LEFT); // Save
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 16; });
        s.keys(SDLK_LEFT, 2); // Back
        s.key(SDLK_RETURN);
    });
    ASSERT_FALSE(d.failed());
    EXPECT_EQ(11, r);
    ASSERT_EQ(kMaxWheels - 1, xml_pars.wheel_count) << "the 21st wheel was not created";
    EXPECT_EQ(kMaxWheels - 2, xml_pars.current_wheel) << "the selection stays within the list";
    const CWheelRecord& w = xml_pars.wheel[xml_pars.current_wheel];
    EXPECT_STREQ("Unknown", w.name);
    EXPECT_NEAR(52.3, w.wheel_calibration, 1e-9) << "pulses per metre";
    EXPECT_EQ(-1, w.wheel_direction);
    for (int i = 0; i < xml_pars.wheel_count; i++)
        EXPECT_EQ(i, xml_pars.wheel[i].index) << "records moved down keep their index";
}

TEST_F(ParameterScreensLive, FilterSwitchChangesTheLiveTraceKeepsPairsExclusiveAndSaveWritesTheAdd)
{
    LiveOptions o;
    o.cusim_args = {"--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    new_profile();
    CFilterRecord* f = eep.ant_record->filter;
    const uint8_t gain0 = f[2].display_on;
    const int contrast0 = f[6].int_par[0];
    long same = 0, switched = 0;
    ScreenDriver d;
    const int r = d.run([] { return mode_15_filters(); }, [&](ScreenDriver& s) {
        s.wait([] { return mode == 15; });
        trace_drawn(s);
        std::vector<uint16_t> a1;
        s.on_gui([&] { a1 = trace_region(); });
        trace_drawn(s);
        std::vector<uint16_t> a2;
        s.on_gui([&] { a2 = trace_region(); });
        // The time gain (three rows up the list from FIR), switched: the automatic gain
        // takes over or leaves.
        s.key(SDLK_RETURN);
        s.keys(SDLK_RIGHT, 3);
        s.key(SDLK_RETURN);
        s.wait([] { return text_of(15, 21).find("ime") != std::string::npos; });
        s.key(SDLK_LEFT);
        s.key(SDLK_RETURN);
        s.wait([&] { return f[2].display_on != gain0; });
        trace_drawn(s);
        std::vector<uint16_t> b;
        s.on_gui([&] { b = trace_region(); });
        s.on_gui([] { doc_shot("params_filters.png"); });
        same = std::labs(swing(a1) - swing(a2));
        switched = std::labs(swing(b) - swing(a2));
        // Contrast: the filter list, four rows down, its current value five up.
        s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
        s.keys(SDLK_LEFT, 4);
        s.key(SDLK_RETURN);
        s.wait([] { return text_of(15, 21).find("ontrast") != std::string::npos; });
        s.keys(SDLK_LEFT, 2);
        s.key(SDLK_RETURN);
        s.keys(SDLK_RIGHT, 5);
        s.key(SDLK_RETURN);
        s.keys(SDLK_LEFT, 3); // Save
        s.key(SDLK_RETURN);
    });
    ASSERT_FALSE(d.failed());
    EXPECT_EQ(1, r);
    EXPECT_GT(switched, 5 * (same + 20)) << "the trace shown changes with the switch, not between two traces";
    EXPECT_NE(gain0, f[2].display_on);
    EXPECT_NE(f[2].display_on, f[4].display_on) << "time gain and automatic time gain exclude each other";
    EXPECT_EQ(f[4].display_on ? 1 : 0, prm.gain_switch);
    EXPECT_EQ(contrast0 + 5, f[6].int_par[0]);
    const std::string add = read_file(data("DAT_0001.add"));
    EXPECT_NE(std::string::npos, add.find("CONTRAST:" + std::to_string(contrast0 + 5) + "\r\n")) << add;
    EXPECT_NE(add_at_start, add);
}

TEST_F(ParameterScreensLive, GpsBaudRateAndChecksumReachTheSerialDriverCancelSendsThemBack)
{
    const std::string root = sb.root();
    const std::string exe = std::string(GPRMON_BINARY_DIR) + "/sim/devices/gprmon-navuart";
    const pid_t nav = fork();
    if (nav == 0) {
        execl(exe.c_str(), exe.c_str(), root.c_str(), "fix", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(nav, 0);
    ASSERT_TRUE(eventually([&] { return access(sb.path("/dev/navuart").c_str(), F_OK) == 0; }, 30));
    eep.gps_enabled = 1;
    eep.gps_source = 3;
    eep.gps_baud_index = 2;
    eep.gps_cs_check = 1;
    ASSERT_TRUE(gps.gps_Open());
    const std::string log_path = sb.path("/sim/navuart.log");
    auto log_has = [&](const std::string& what, size_t from) {
        return read_file(log_path).find(what, from) != std::string::npos;
    };
    ScreenDriver d;
    size_t opened = 0, sent = 0;
    const int r = d.run([] { return mode_18_GPS_parameters(5); }, [&](ScreenDriver& s) {
        s.wait([] { return mode == 18; });
        opened = read_file(log_path).size();
        s.keys(SDLK_LEFT, 2); // baud rate: 9600 -> 19200
        s.key(SDLK_RETURN);
        s.wait([&] { return log_has("speed 4", opened); });
        s.key(SDLK_LEFT); // checksum validation off
        s.key(SDLK_RETURN);
        s.wait([&] { return log_has("checksum 0", opened); });
        sent = read_file(log_path).size();
        s.keys(SDLK_LEFT, 2); // Cancel (SBAS is hidden for the serial port)
        s.key(SDLK_RETURN);
    });
    gps.gps_Unit_Close();
    kill(nav, SIGTERM);
    waitpid(nav, nullptr, 0);
    ASSERT_FALSE(d.failed());
    EXPECT_EQ(0, r);
    EXPECT_EQ(2, eep.gps_baud_index);
    EXPECT_EQ(1, eep.gps_cs_check);
    EXPECT_TRUE(log_has("speed 3", sent)) << read_file(log_path);
    EXPECT_TRUE(log_has("checksum 1", sent)) << read_file(log_path);
}

TEST_F(ParameterScreensLive, SoilVelocityThatDoesNotParseKeepsTheFieldOpenCancelRestoresIt)
{
    LiveOptions o;
    o.cusim_args = {"--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    const uint16_t soil0 = xml_pars.soil_velocity;
    ASSERT_EQ(100, soil0);
    uint16_t typed = 0;
    ScreenDriver d;
    const int r = d.run([] { return mode_05_parameters(); }, [&](ScreenDriver& s) {
        s.wait([] { return mode == 5; });
        // Cancel has the focus; the soil velocity is the third line.
        s.keys(SDLK_LEFT, 3);
        s.key(SDLK_RETURN);
        // "100" -> "1-0": the second character two letters on ('0', '.', '-').
        s.key(SDLK_LEFT);
        s.key(SDLK_RETURN);
        s.keys(SDLK_LEFT, 2);
        s.key(SDLK_RETURN);
        s.keys(SDLK_LEFT, 3); // past the end
        s.key(SDLK_RETURN);
        s.wait_box("The number is not correct.");
        // Still open: "1-0" -> "150" (seven letters back from '-').
        s.wait([] { return mode == 5; });
        s.key(SDLK_LEFT);
        s.key(SDLK_RETURN);
        s.keys(SDLK_RIGHT, 7);
        s.key(SDLK_RETURN);
        s.keys(SDLK_LEFT, 3);
        s.key(SDLK_RETURN);
        s.wait([] { return xml_pars.soil_velocity != 100; });
        s.on_gui([&] { typed = xml_pars.soil_velocity; });
        s.keys(SDLK_RIGHT, 3); // back to Cancel
        s.key(SDLK_RETURN);
    });
    ASSERT_FALSE(d.failed());
    EXPECT_EQ(0, r);
    EXPECT_EQ(150, typed);
    EXPECT_EQ(soil0, xml_pars.soil_velocity) << "Cancel restores the soil velocity";
}

// The CU comes back while the main menu is shown, and the user goes on into the system screen
// while Collect still takes it up. Taking it up reloads the settings from the XML object, so
// the screen waits for that before it shows or edits them: a choice made there is never undone
// by the reload behind it. Here the CU's exchanges are held back until the screen is entered.
TEST_F(ParameterScreensLive, ScreenEnteredWhileACuIsTakenUpWaitsForItsSettings)
{
    LiveOptions o;
    o.cusim_args = {"--gps-rate", "0"};
    ASSERT_TRUE(start(o));
    SDL_mutex* exchange = eth.eth_mtx5;
    SDL_sem* held = SDL_CreateSemaphore(0);
    SDL_sem* entering = SDL_CreateSemaphore(0);
    struct Hold {
        SDL_mutex* exchange;
        SDL_sem *held, *entering;
    } h{exchange, held, entering};
    SDL_Thread* holder = SDL_CreateThread(
        [](void* p) {
            auto* h = static_cast<Hold*>(p);
            SDL_mutexP(h->exchange);
            SDL_SemPost(h->held);
            SDL_SemWait(h->entering);
            SDL_Delay(100); // the screen, entered meanwhile, must wait for the CU
            SDL_mutexV(h->exchange);
            return 0;
        },
        &h);
    ASSERT_NE(nullptr, holder);
    SDL_SemWait(held);
    uint32_t polls;
    {
        MutexLock g(lock_dw);
        MutexLock c(lock_cuOn);
        pisOn = false; // the CU was switched off and is on again
        polls = cu_polls;
        mode = 34;
    }
    ASSERT_TRUE(eventually([&] { return cu_polls > polls; })) << "Collect polls the CU on the main menu";
    SDL_SemPost(entering);
    params::enter_screen(10);
    bool on;
    {
        MutexLock c(lock_cuOn);
        on = pisOn;
    }
    EXPECT_TRUE(on) << "the screen was shown before the CU was taken up";
    SDL_WaitThread(holder, nullptr);
    SDL_DestroySemaphore(held);
    SDL_DestroySemaphore(entering);
    mode = 0;
}
