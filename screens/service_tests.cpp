// The hardware tests (27): the antenna's identity, battery and start-up errors, the test
// sequence run by the acquisition thread with one result line per test, the Ethernet test
// against the CU's test ramp, and a screenshot of the results copied with the GPS dump to
// the USB stick.
#include "acquisition/acq_state.h"
#include "acquisition/ethernet_test.h"
#include "acquisition/hw_test_view.h"
#include "gui/screen_loop.h"
#include "app/timer.h"
#include "cu/driver.h"
#include "files/disk.h"
#include "files/screenshot.h"
#include "gui/input.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "platform/globals.h"
#include "platform/shell.h"
#include "platform/termination.h"
#include "platform/usb_stick.h"
#include "screens/param_ui.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

using namespace params;

namespace {

constexpr int kM = 27;
constexpr int kStart = 4, kEthernet = 5, kShot = 6, kQuit = 7;
constexpr int kId = 20, kBattery = 21, kInitErrors = 22, kVersions = 27, kFirstLine = 28, kEthTitle = 35,
              kEthNumbers = 36;
constexpr int kLines = 7;
enum { kVoltages, kStartup, kSram, kComm, kFlash, kGps, kData };
const char* const kLineLabel[kLines] = {"Voltages: ", "Startup: ", "SRAM Test: ", "Communication Card Tests: ",
                                        "Flash Card Test: ", "GPS Test: ", "Data Card Tests: "};

// The result lines, written by the acquisition thread and drawn by the screen.
class CScreenTestView : public CHwTestView {
public:
    SDL_mutex* lock = SDL_CreateMutex();
    char text[kLines][160] = {};
    bool changed = false;

    CScreenTestView()
    {
        for (int i = 0; i < kLines; i++)
            snprintf(text[i], sizeof text[i], "%s", kLineLabel[i]);
    }
    void set(int i, const char* t)
    {
        MutexLock g(lock);
        snprintf(text[i], sizeof text[i], "%s%s", kLineLabel[i], t);
        changed = true;
    }
    void line(int which, const char* t) override
    {
        static const int kLineOf[] = {kSram, kComm, kFlash, kGps, kData};
        if (which >= 0 && which < int(sizeof kLineOf / sizeof kLineOf[0]))
            set(kLineOf[which], t);
        printf("hw test %d: %s\n", which, t);
        renew_hw_tests_screen = true;
    }
    // The run is over: the screen puts its button back.
    void caption(const char*) override
    {
        puts("hw tests over");
        renew_hw_tests_screen = true;
    }
};

CScreenTestView view;

void show_text(int slot, const char* t)
{
    auto* o = dynamic_cast<CSDLText*>(mS.obj[kM][slot]);
    if (!o)
        return;
    if (mode == kM)
        erase_text(o);
    o->SetText8(t[0] ? t : " ");
    if (mode == kM)
        o->Draw();
}

void show_lines()
{
    char copy[kLines][160];
    {
        MutexLock g(view.lock);
        memcpy(copy, view.text, sizeof copy);
        view.changed = false;
    }
    for (int i = 0; i < kLines; i++)
        show_text(kFirstLine + i, copy[i]);
}

void clear_lines()
{
    for (int i = 0; i < kLines; i++)
        view.set(i, "");
    show_lines();
}

// Once per CU connection: the antenna, the start-up error words and the versions.
void show_cu_facts(bool on)
{
    if (!on) {
        show_text(kId, "Antenna ID: ");
        // The Ethernet test's numbers too: those of an earlier visit are not this CU's.
        for (int s : {kBattery, kInitErrors, kVersions, kEthNumbers})
            show_text(s, " ");
        return;
    }
    unsigned short v[15] = {};
    uint32_t serial = 0, id;
    {
        MutexLock g(lock_dw);
        id = gpr.GetAntennaID(&serial);
        gpr.GetInitErrors(v);
        gpr.Get_Our_FPGA_Version();
        gpr.Get_USA_PIC_Version();
        gpr.Get_USA_FPGA_Version();
    }
    char t[200];
    snprintf(t, sizeof t, "Antenna ID: %d", int(id & 0xFFFF));
    show_text(kId, t);
    snprintf(t, sizeof t, "%d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d", v[0], v[1], v[2], v[3], v[4], v[5],
             v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13]);
    show_text(kInitErrors, t);
    snprintf(t, sizeof t, "CU %08X, FPGA %08X, sampler %08X / %08X", unsigned(gpr.versions[0]),
             unsigned(gpr.our_fpga_version), unsigned(gpr.usa_pic_version), unsigned(gpr.usa_fpga_version));
    show_text(kVersions, t);
}

void show_battery()
{
    unsigned short v[6] = {};
    int r;
    {
        MutexLock g(lock_dw);
        r = gpr.GetADC(v);
    }
    if (r != 0)
        return;
    char t[64];
    snprintf(t, sizeof t, "battery: %d(%4.2fv)", int(v[0]), double(v[0]) / 100.0 / 43.2 + 0.5);
    show_text(kBattery, t);
}

// The screen fills the two lines of its own before the acquisition thread runs the rest.
void start_tests()
{
    clear_lines();
    unsigned short adc[6] = {}, init[15] = {};
    int ra, ri;
    {
        MutexLock g(lock_dw);
        ra = gpr.GetADC(adc);
        ri = gpr.GetInitErrors(init);
    }
    char t[128];
    if (ra == 0)
        snprintf(t, sizeof t, "%d/ %d/ %d/ %d/ %d/ %d", adc[0], adc[1], adc[2], adc[3], adc[4], adc[5]);
    else
        snprintf(t, sizeof t, "error %d", ra);
    view.set(kVoltages, t);
    bool clean = ri == 0;
    for (int k = 0; k < 14; k++)
        clean &= init[k] == 0;
    if (clean)
        snprintf(t, sizeof t, "pass");
    else
        snprintf(t, sizeof t, "error %d/ %d/ %d/ %d", ri, init[0], init[1], init[2]);
    view.set(kStartup, t);
    show_lines();
    service::caption(kM, kStart, "Cancel Tests");
    cancel_hw_tests = 0;
    hw_tests_are_started = 1;
}

void run_ethernet_test()
{
    CEthernetTest test;
    service::caption(kM, kEthernet, "Stop Ethernet Test");
    show_text(kEthTitle, "Ethernet Test results:");
    show_text(kEthNumbers, "running");
    puts("Ethernet test started");
    test.begin();
    keyb_wait();
    bool stopped = false;
    while (!stopped) {
        check_termination();
        if (!test.step())
            break;
        if (test.traces % 10 == 0) {
            char t[64];
            snprintf(t, sizeof t, "%d", test.traces);
            show_text(kEthNumbers, t);
        }
        for (int k; (k = poll_key()) != 0;)
            if (k == SDLK_RETURN || k == SDLK_KP_ENTER)
                stopped = true;
    }
    test.end();
    char numbers[64], t[200];
    test.numbers(numbers, sizeof numbers);
    if (test.error[0])
        snprintf(t, sizeof t, "%s  %s", numbers, test.error);
    else
        snprintf(t, sizeof t, "%s", numbers);
    printf("Ethernet Test results: %s\n", t);
    show_text(kEthNumbers, t);
    service::caption(kM, kEthernet, "Start Ethernet Test");
}

int shell2(const char* format, const std::string& a, const std::string& b)
{
    char cmd[1024];
    snprintf(cmd, sizeof cmd, format, a.c_str(), b.c_str());
    return run_shell(cmd);
}

void save_and_copy()
{
    char stamp[32], path[128];
    screenshot_stamp(stamp, sizeof stamp);
    snprintf(path, sizeof path, "%shwtest_%s.jpg", kDataDir, stamp);
    int r;
    {
        MutexLock g(lock_dw);
        r = SaveScreenToJPEG(screen, nullptr, 90, path);
    }
    if (r != 0) {
        char code[32];
        snprintf(code, sizeof code, "Error code: %d", r);
        service::message(kM, "Screenshot error!", code);
        return;
    }
    char dump[kHwDumpPathSize] = {};
    if (hw_tests_are_started == 0)
        memcpy(dump, hw_gps_dump_path, sizeof dump);
    MutexLock g(lock_dw);
    if (!mount_usb_stick(StickProbe::Files)) {
        puts("hwtest copy: no USB stick");
        return;
    }
    shell2("mkdir -p %s%s", sh_path("/mnt/usb/SORLAN"), "");
    const int c1 = shell2("cp -p %s %s", sh_path(path), sh_path("/mnt/usb/SORLAN"));
    int c2 = -1;
    if (dump[0]) {
        char target[160];
        snprintf(target, sizeof target, "/mnt/usb/SORLAN/hwtest_%s_GPS_dump.txt", stamp);
        c2 = shell2("cp -p %s %s", sh_path(dump), sh_path(target));
    }
    run_shell("sync");
    unmount_usb_stick();
    printf("hwtest copy: %d %d\n", c1, c2);
}

// What the acquisition thread left for the screen between keys: a battery reading, result
// lines that changed, the end of the test run.
void tests_tick()
{
    if (can_Test_Data_Show && cu_on()) {
        can_Test_Data_Show = false;
        show_battery();
    }
    if (renew_hw_tests_screen) {
        renew_hw_tests_screen = false;
        show_lines();
        if (hw_tests_are_started == 0)
            service::caption(kM, kStart, "Start Tests");
    }
}

} // namespace

int mode_27_Tests()
{
    CHwTestView* before = hw_test_view;
    hw_test_view = &view;
    bool on = cu_on();
    enter_screen(kM);
    show_lines();
    show_cu_facts(on);
    for (;;) {
        const int r = service::next_button(kM, on, tests_tick);
        if (r == 0) {
            show_cu_facts(on);
            continue;
        }
        const bool running = hw_tests_are_started != 0;
        switch (r) {
        case kStart:
            if (running)
                cancel_hw_tests = 1;
            else if (on)
                start_tests();
            break;
        case kEthernet:
            if (on && !running)
                run_ethernet_test();
            break;
        case kShot: save_and_copy(); break;
        case kQuit:
            if (!running) {
                hw_test_view = before;
                return 0;
            }
            break;
        default: break;
        }
        release(kM, r);
    }
}

void rows_service_tests(CMS& t)
{
    const int row = kM;
    put_title(t, row, "Hardware Tests");
    const int slots[] = {kId, kBattery, kInitErrors, kVersions};
    for (int i = 0; i < 4; i++)
        t.put(row, slots[i], new CSDLText(16, 100 + 30 * i, " ", 18, 1000, false, false, 11));
    for (int i = 0; i < kLines; i++)
        t.put(row, kFirstLine + i, new CSDLText(16, 230 + 30 * i, kLineLabel[i], 18, 1000, false, false, 11));
    t.put(row, kEthTitle, new CSDLText(16, 450, " ", 18, 1000, false, false, 11));
    t.put(row, kEthNumbers, new CSDLText(16, 480, " ", 18, 1000, false, false, 11));
    put_line(t, row, kStart, 8, "Start Tests", false);
    put_line(t, row, kEthernet, 9, "Start Ethernet Test", false);
    put_line(t, row, kShot, 10, "Screenshot to USB", false);
    put_small(t, row, kQuit, 11, 0, "Quit");
    service::put_lamp(t, row);
}
