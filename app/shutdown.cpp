#include "app/shutdown.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "app/globals.h"
#include "app/pending.h"
#include "app/startup.h"
#include "app/utilities.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/navuart_reader.h"
#include "cu/parport.h"
#include "cu/picdrv.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void run_path(const char* fmt, const char* device_path)
{
    char cmd[512];
    snprintf(cmd, sizeof cmd, fmt, sh_path(device_path).c_str());
    run_shell(cmd);
}

void remove_timer()
{
    if (t1) {
        if (!SDL_RemoveTimer(t1))
            puts("remove timer1 error");
        t1 = nullptr;
    }
}

// The data partition is unmounted before the marker is written, so the marker only ever
// stands for a data partition that was left clean.
void unmount_and_mark()
{
    run_path("umount %s", "/mnt/hda1");
    run_path("touch %s", kShutdownMarker);
    run_path("umount %s", "/mnt/hda3");
}

} // namespace

int power_off_sequence(EndKind kind)
{
    // Profile files, projects, missed-trace state and user settings first.
    if (rdr.rd.hd.last_trace > 0)
        rdr.rd.hd.a_write();
    rdr.dClose(true);
    pending_skip("Plavik project stop");
    if (prm.restore_missed && missed_blocks_pending())
        eth.mt_CreateFiles();
    xml_pars.write_xml_tree();

    // Then the threads: timer, acquisition, receiving.
    remove_timer();
    MeaThread = false;
    if (mThread) {
        SDL_WaitThread(mThread, nullptr);
        mThread = nullptr;
    }
    eth.kill_thread(); // the capture stays open for the switch-off command

    if (kind == EndKind::PowerOff)
        gpr.Switch_Off_CU();
    gps.gps_Unit_Close();

    unmount_and_mark();
    DestroyAllMutexes();

    parport.Close();
    set_backlight(0);
    if (kind == EndKind::PowerOff)
        pic.Shutdown(3);
    pic.Close();
    fflush(stdout);
    return 0;
}

int reboot_sequence()
{
    mesmode("Rebooting", "", false, -1);
    power_off_sequence(EndKind::Reboot);
    run_shell("reboot -f");
    return 0;
}

void service_exit()
{
    rdr.dClose(true);
    run_path("umount %s", "/mnt/hda1");
    run_path("touch %s", kShutdownMarker);
    run_path("umount %s", "/mnt/hda3");
    remove_timer();
    DestroyAllMutexes();
    gps.gps_Unit_Close();
    pic.Close();
    fflush(stdout);
    exit(0);
}

void terminate_by_signal()
{
    puts("termination requested: powering off");
    if (MeasureMode)
        MStop(0); // the CU is stopped, the traces in flight stored, the header written
    power_off_sequence(EndKind::PowerOff);
    exit(0);
}
