#include "app/shutdown.h"

#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "acquisition/mea_buf.h"
#include "platform/globals.h"
#include "app/startup.h"
#include "app/timer.h"
#include "gui/backlight.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "cu/parport.h"
#include "cu/picdrv.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "gui/lang.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

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
        timer_quiesce(); // a tick may still run: the mutexes it takes are destroyed next
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

// A crew that switches off mid-survey keeps every profile and crossing of the project.
void stop_plavik_project() { rdr.pvp.Stop(); }

} // namespace

bool keep_settings_file = false;

int power_off_sequence(EndKind kind)
{
    // Saving, unmounting and stopping the threads take seconds: the screen says why it waits.
    if (kind == EndKind::PowerOff)
        mesmode("Switching off", "Saving the files - please wait", false, -1);
    // Profile files, projects, missed-trace state and user settings first. A profile still
    // being recorded (the power-off came while a stop's message box waited) gets its whole
    // header, so that its trace count is on the disk.
    if (rdr.rd.recording())
        rdr.rd.hd.h_write();
    else if (rdr.rd.hd.last_trace > 0)
        rdr.rd.hd.a_write();
    rdr.dClose(true);
    stop_plavik_project();
    if (prm.restore_missed && eth.missed_pending())
        eth.mt_CreateFiles();
    if (!keep_settings_file)
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

void battery_switch_off()
{
    puts("battery exhausted: switching off");
    mesmode(lngs[42], "This device is switching off", false, -1, 2, "", true);
    if (MeasureMode) {
        MeasureMode = false;
        if (eep.trig_code != kTrigKeyboard) {
            {
                MutexLock g(lock_dw);
                gpr.mStop(nullptr, nullptr, nullptr);
            }
            SDL_Delay(100);
            // Collect stays in its measurement branch while the run is on. It is given a
            // few seconds: a stuck thread must not keep the device from switching off.
            acq_running = false;
            for (int i = 0; i < 500 && inMeasurement; i++)
                SDL_Delay(10);
        }
    }
    {
        MutexLock g(lock_mea_buf);
        mea_buf.clear();
    }
    if (ProjN != 1) {
        if (rdr.rd.data_open())
            rdr.rd.hd.h_write();
        rdr.dClose(true);
    }
    stop_plavik_project();
    canPShow = false;
    canShow = false;
    if (rdr.rd.data_open())
        rdr.rd.hd.a_write();
    if (prm.restore_missed && eth.missed_pending())
        eth.mt_CreateFiles();
    unmount_and_mark();
    gps.gps_Unit_Close();
    SDL_Delay(1000);
    set_backlight(0);
    pic.Shutdown(3);
    pic.Close();
    // The other threads still run: leave without static destructors pulling their objects
    // away (everything of value is on disk and unmounted by now).
    fflush(nullptr);
    _exit(0);
}

void terminate_by_signal()
{
    puts("termination requested: powering off");
    if (MeasureMode)
        MStop(0); // the CU is stopped, the traces in flight stored, the header written
    power_off_sequence(EndKind::PowerOff);
    exit(0);
}
