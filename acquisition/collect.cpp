// The acquisition thread: consumes trace descriptors while a measurement runs, detects a
// stalled link, and otherwise polls the CU about once a second on the screens that show it
// and runs the hardware tests of the test screen.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "link/ethernet.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

// A continuous measurement without any descriptor for this long has lost its CU. Counted in
// time, not in rounds of the 1 ms loop: on a loaded system a round takes longer.
constexpr Uint32 kStallMs = 3000;

Uint32 sdl_ticks() { return SDL_GetTicks(); }

// Screens on which the CU connection is watched.
bool polls_cu(int m)
{
    switch (m) {
    case 2: case 5: case 13: case 22: case 24: case 25: case 30: case 34: case 35: case 39:
    case 40: case 42: case 43: case 44:
        return true;
    default:
        return false;
    }
}

void set_cu_on(bool on)
{
    MutexLock g(lock_cuOn);
    pisOn = on;
}

// Initialises a CU that was just accepted; false when its parameters could not be read.
bool init_accepted_cu(uint32_t identity)
{
    uint32_t serial = 0;
    const uint32_t id = gpr.GetAntennaID(&serial);
    eeprom_ready = true;
    antenna = true;
    gpr.SetStacks(1);
    if (identity > 0x30004FFF || prm.udp_mode) {
        prm.udp_mode = 1;
        // The newer CU generation records every block on its memory card: card recording is
        // on whenever its card answers, so that lost blocks can be fetched again. (The stored
        // value is not trusted: it is off after loading and follows the CU connected.)
        const bool card = identity > 0x30004FFF || prm.restore_missed;
        const int r = gpr.SD_Enable(card);
        prm.restore_missed = card && r == 0 ? 1 : 0;
        if (r != 0)
            printf("microSD init error: %d\n", r);
    }
    gpr.SetGPSPars(1);
    gps.gps_Unit_Close();
    gps.gps_Open();
    eep.load_parameters(uint16_t(id & 0xFFFF), uint16_t(id >> 16));
    set_cu_on(true);
    if (eep.pload_l_a() < 0)
        return false;
    // A new CU starts without the background removal on screen.
    if (eep.ant_record)
        eep.ant_record->filter[3].display_on = 0;
    return true;
}

} // namespace

std::atomic<Uint32 (*)()> stall_clock{sdl_ticks};
std::atomic<uint32_t> cu_polls{0};

void await_cu_poll()
{
    // Every poll runs under lock_dw from its start to its end.
    MutexLock g(lock_dw);
}

void CallDevice()
{
    bool was_on;
    {
        MutexLock g(lock_cuOn);
        was_on = pisOn;
    }
    const bool present = gpr.cu_Open() == 1;
    if (!present) {
        eeprom_ready = false;
        antenna = false;
        eep.clear_all_err();
    }
    bool accepted = present && was_on;
    if (present != was_on) {
        if (present) {
            gpr.Get_Our_FPGA_Version();
            gpr.Get_USA_PIC_Version();
            gpr.Get_USA_FPGA_Version();
            uint32_t identity = gpr.program_version();
            if (mode != 25 && gpr.versions[5] != 12)
                identity = 0;
            accepted = identity >= 0x30000000u && identity <= 0x4FFFFFFFu;
            if (accepted && !init_accepted_cu(identity)) {
                eeprom_ready = false;
                antenna = false;
                unitison = false;
                unlocked = false;
                set_cu_on(false);
                return;
            }
        }
        set_cu_on(accepted);
        if (was_on)
            puts("CU lost");
    }
    unlocked = accepted;
    unitison = present;
}

int Collect(void*)
{
    int round = 1;
    Uint32 last_data = stall_clock.load()();
    while (MeaThread) {
        if (acq_running && eep.trig_code != kTrigKeyboard) {
            if (!inMeasurement) {
                inMeasurement = true;
                last_data = stall_clock.load()();
            }
            if (mea_errors) {
                SDL_Delay(10);
                continue;
            }
            SDL_Delay(1);
            const int n = consume_descriptors(true);
            const Uint32 now = stall_clock.load()();
            if (n != 0) {
                last_data = now;
            } else if (now - last_data > kStallMs) {
                if (!prm.restore_missed) {
                    thError = true;
                    mea_errors = true;
                }
                last_data = now;
            }
            continue;
        }
        inMeasurement = false;
        const int m = mode;
        if (round % 100 == 0 && polls_cu(m)) {
            MutexLock g(lock_dw);
            // The screen may have changed while this thread waited for the lock. A CU taken
            // up reloads the settings (pload_l_a): a screen that does not watch the CU has
            // waited on its way in for a poll under way (await_cu_poll), and none may begin
            // under it afterwards, or a choice made there would be undone.
            if (polls_cu(mode)) {
                cu_polls++;
                CallDevice();
            }
        }
        if (m == 27) {
            if (hw_tests_are_started == 1) {
                run_hw_tests();
            } else if (round % 100 == 0) {
                MutexLock g(lock_dw);
                CallDevice();
            }
        }
        SDL_Delay(10);
        round = round >= 1000 ? 1 : round + 1;
    }
    inMeasurement = false;
    return 0;
}

bool start_collect()
{
    MeaThread = true;
    mThread = SDL_CreateThread(Collect, nullptr);
    if (!mThread)
        puts("Collect thread is not created");
    return mThread != nullptr;
}
