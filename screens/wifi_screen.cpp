// The WiFi settings (44): the antenna's WiFi module set up over the cable, the link moved
// between the cable (eth0) and the monitor's access point (wlan0), UDP framing, the WiFi
// channel of the module and of the access point, and the restoring of missed blocks while
// measuring.
#include "app/access_point.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "gui/decimal_field.h"
#include "gui/screen_table.h"
#include "link/ethernet.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "platform/shell.h"
#include "screens/param_ui.h"
#include "screens/service_math.h"
#include "screens/service_screens.h"
#include "screens/service_ui.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

using namespace params;

namespace {

constexpr int kM = 44;
constexpr int kWire = 5, kWifi = 6, kUdp = 7, kChannel = 9, kRestore = 10, kSave = 12;
constexpr uint32_t kLastRawVersion = 0x30004FFF;
constexpr uint32_t kCuAddress = 0xC0A80102; // 192.168.1.2

// The module and the access point need their waits on the device. A simulation may shorten
// them: GPRMON_WIFI_WAIT_MS caps every wait (read only in a sandbox).
void wifi_wait(uint32_t ms)
{
    if (sim_active())
        if (const char* cap = getenv("GPRMON_WIFI_WAIT_MS")) {
            const long c = strtol(cap, nullptr, 10);
            if (c >= 0 && uint32_t(c) < ms)
                ms = uint32_t(c);
        }
    SDL_Delay(ms);
}

void set_cu_off()
{
    MutexLock g(lock_cuOn);
    pisOn = false;
}

void show_all()
{
    show_value(kM, kWifi, prm.wifi_link ? "ON" : "OFF");
    show_value(kM, kUdp, prm.udp_mode ? "ON" : "OFF");
    show_value(kM, kRestore, prm.request_missed ? "ON" : "OFF");
    if (auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kChannel)])) {
        if (mode == kM)
            f->sErase();
        snprintf(f->text, sizeof f->text, "%d", int(prm.wifi_channel));
        if (mode == kM)
            f->Draw();
    }
}

void stop_access_point()
{
    if (hostapd_process <= 0)
        return;
    char cmd[64];
    snprintf(cmd, sizeof cmd, "kill %d", int(hostapd_process));
    run_shell(cmd);
    wifi_wait(1000);
    waitpid(hostapd_process, nullptr, WNOHANG);
    hostapd_process = 0;
    hostapd_kill_time = SDL_GetTicks();
    puts("access point stopped");
}

// The link closed and opened again on the interface wifi_link names; the CU is then found
// and set up again on it.
void reopen_link(bool wifi)
{
    MutexLock g(lock_dw);
    eth.eth_Close();
    prm.wifi_link = wifi ? 1 : 0;
    if (wifi)
        prm.udp_mode = 1;
    const int r = eth.eth_Init();
    printf("link on %s: %d\n", wifi ? "wlan0" : "eth0", r);
    set_cu_off();
}

void switch_wifi()
{
    const bool old_cu = cu_on() && gpr.program_version() <= kLastRawVersion;
    if (prm.wifi_link || old_cu) {
        reopen_link(false);
        return;
    }
    if (hostapd_process <= 0)
        create_hostapd();
    reopen_link(true);
}

// One module command; false (with the message of check `n`) when it did not answer well.
bool module_command(const char* text, int n)
{
    char reply[8] = {};
    const int r = gpr.WiFi_Send_Cmd(text, reply, 5000);
    printf("wifi module %s: %d %.5s\n", text, r, reply);
    if (wifi_reply_ok(r, reply))
        return true;
    char title[64], codes[64];
    snprintf(title, sizeof title, "Wire Initialisation Error %d", n);
    snprintf(codes, sizeof codes, "Error Codes: %d %X", r, unsigned(uint8_t(reply[1])));
    service::message(kM, title, codes);
    return false;
}

void wire_initiation()
{
    stop_access_point();
    if (!cu_on()) {
        service::message(kM, "Antenna is not connected", "Connect it and repeat Wire Initiation");
        return;
    }
    int state;
    {
        MutexLock g(lock_dw);
        state = gpr.GetWiFiButtonState();
    }
    if (state == 0) {
        service::message(kM, "Antenna is in wire mode", "Switch it into WiFi mode to initiate");
        return;
    }
    if (state != 1) {
        char t[64];
        snprintf(t, sizeof t, "Wire Initialisation Error 5: %d", state);
        service::message(kM, t, "");
        return;
    }
    service::caption(kM, kWire, "waiting");
    bool ok;
    int r = 0;
    uint32_t o[5] = {};
    {
        MutexLock g(lock_dw);
        ok = module_command("<DO>", 1) && module_command("<GO6>", 2);
        if (ok) {
            wifi_wait(10000);
            ok = module_command("<DO>", 3);
        }
        if (ok) {
            char name[24];
            snprintf(name, sizeof name, "SORLAN_%u", unsigned(prm.unit_number));
            r = gpr.WiFi_Wire_Init(name, prm.wifi_channel, kCuAddress, o[0], o[1], o[2], o[3], o[4]);
        }
    }
    service::caption(kM, kWire, "WiFi Initiation via Wire");
    if (!ok)
        return;
    printf("wire init: %d %X %X %X %X %X\n", r, unsigned(o[0]), unsigned(o[1]), unsigned(o[2]), unsigned(o[3]),
           unsigned(o[4]));
    if (r != 0 || !wire_init_answers_ok(o)) {
        char title[64], codes[80];
        snprintf(title, sizeof title, "Wire Initialisation Error 4: %d %X", r, unsigned(o[0]));
        snprintf(codes, sizeof codes, "Error Codes: %X %X %X %X", unsigned(o[1]), unsigned(o[2]), unsigned(o[3]),
                 unsigned(o[4]));
        service::message(kM, title, codes);
        return;
    }
    puts("wire initialisation done");
}

void change_channel()
{
    auto* f = dynamic_cast<CSDLText_DCH*>(mS.obj[kM][value_slot(kChannel)]);
    if (!f)
        return;
    long v = std::lround(edit_number(f));
    v = v < 1 ? 1 : v > 13 ? 13 : v;
    prm.wifi_channel = uint8_t(v);
    show_all();
    if (!cu_on())
        return;
    char cmd[16], reply[8] = {};
    snprintf(cmd, sizeof cmd, "<GC%d>", int(v));
    {
        MutexLock g(lock_dw);
        gpr.WiFi_Send_Cmd(cmd, reply, 100);
    }
    if (prm.wifi_link) {
        service::caption(kM, kChannel, "waiting");
        stop_access_point();
        wifi_wait(15000);
        create_hostapd();
        wifi_wait(15000);
        service::caption(kM, kChannel, "WiFi Channel:");
    }
    int r;
    {
        MutexLock g(lock_dw);
        r = gpr.WiFi_Send_Cmd("<WL>", reply, 2000);
    }
    printf("wifi channel %d: %d %.5s\n", int(v), r, reply);
    if (!wifi_reply_ok(r, reply)) {
        if (mode == kM)
            f->sErase();
        snprintf(f->text, sizeof f->text, "%d", -int(v));
        if (mode == kM)
            f->Draw();
    }
}

} // namespace

int mode_44_WiFi_Pars()
{
    bool on = cu_on();
    enter_screen(kM);
    show_all();
    for (;;) {
        const int r = service::next_button(kM, on);
        switch (r) {
        case 0: continue;
        case kWire: wire_initiation(); break;
        case kWifi: switch_wifi(); break;
        case kUdp: {
            MutexLock g(lock_dw);
            prm.udp_mode = prm.udp_mode ? 0 : 1;
            set_cu_off();
            break;
        }
        case kChannel: change_channel(); break;
        case kRestore: prm.request_missed = prm.request_missed ? 0 : 1; break;
        case kSave: prm.p_write(); return 33;
        default: break;
        }
        if (r != kChannel)
            show_all();
        release(kM, r);
    }
}

void rows_wifi_screen(CMS& t)
{
    const int row = kM;
    put_title(t, row, "WiFi Settings");
    put_line(t, row, kWire, 0, "WiFi Initiation via Wire", false);
    put_line(t, row, kWifi, 1, "WiFi ON/OFF:");
    put_line(t, row, kUdp, 2, "UDP/IP ON/OFF:");
    put_line(t, row, kChannel, 3, "WiFi Channel:", false);
    t.put(row, value_slot(kChannel), new CSDLText_DCH(332, line_y(3) + 37, "1", 24, 40, 40, 90, 200, 4));
    put_line(t, row, kRestore, 4, "Restore under measurement:");
    put_small(t, row, kSave, 11, 0, "Save");
    service::put_lamp(t, row);
}
