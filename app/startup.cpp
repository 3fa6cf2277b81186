#include "app/startup.h"

#include "acquisition/acquisition.h"
#include "acquisition/pipeline.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "app/timer.h"
#include "app/access_point.h"
#include "gui/backlight.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "cu/parport.h"
#include "cu/picdrv.h"
#include "files/profile_repair.h"
#include "files/radar_data.h"
#include "gui/input.h"
#include "gui/key_script.h"
#include "gui/lang.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"
#include "platform/mounts.h"
#include "platform/shell.h"
#include "screens/system_math.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void run_fmt(const char* fmt, const char* device_path)
{
    char cmd[512];
    snprintf(cmd, sizeof cmd, fmt, sh_path(device_path).c_str());
    run_shell(cmd);
}

int run_fmt2(const char* fmt, const char* a, const char* b)
{
    char cmd[512];
    snprintf(cmd, sizeof cmd, fmt, sh_path(a).c_str(), sh_path(b).c_str());
    return run_shell(cmd);
}

} // namespace

// A program restarted without a reboot finds its partitions mounted: such a partition is
// used as it is (a mounted file system cannot be checked), never taken for one that cannot
// be mounted.
static bool already_mounted(const char* device, const char* mount_point)
{
    if (!partition_mounted(device, mount_point))
        return false;
    printf("%s is mounted on %s already\n", device, mount_point);
    return true;
}

bool check_system_partition()
{
    if (!already_mounted("/dev/sda3", "/mnt/hda3")) {
        run_fmt("e2fsck -p -f %s", "/dev/sda3");
        if (run_fmt2("mount %s %s", "/dev/sda3", "/mnt/hda3") != 0) {
            puts("can not mount hda3");
            run_fmt("mke2fs %s", "/dev/sda3");
            run_fmt2("mount %s %s", "/dev/sda3", "/mnt/hda3");
            return false; // a re-created partition holds no marker
        }
    }
    std::string marker = host_path(kShutdownMarker);
    bool present = access(marker.c_str(), F_OK) == 0;
    unlink(marker.c_str());
    for (int i = 0; i < 3; i++)
        run_shell("sync");
    return present;
}

void check_data_partition(bool marker_present)
{
    if (!already_mounted("/dev/sda1", "/mnt/hda1")) {
        if (!marker_present) {
            mesmode("Monitor was switched off abnormally", "Data disk check is forced", false, -1);
            run_fmt("e2fsck -p -f %s", "/dev/sda1");
        }
        if (run_fmt2("mount %s %s", "/dev/sda1", "/mnt/hda1") != 0) {
            mesmode("Error mounting disk hda1 for data files", "All data files will be erased", false, 0);
            run_fmt("mke2fs %s", "/dev/sda1");
            run_fmt2("mount %s %s", "/dev/sda1", "/mnt/hda1");
        }
    }
    run_fmt("mkdir %s", "/mnt/hda1/");
    run_fmt("mkdir %s", "/mnt/hda1/GPS/");
    if (!marker_present)
        repair_after_unclean_end();
}

void repair_after_unclean_end()
{
    RepairResult r = repair_profiles();
    // The profile that was being recorded can be continued with "Cont".
    if (r.latest[0])
        rdr.dSetNames(r.latest);
}

void set_grid_defaults(int units)
{
    const UnitDefaults& d = unit_defaults(units != 0);
    grid_def_x_size = d.grid_size;
    grid_def_y_size = d.grid_size;
    grid_def_point_int = d.grid_point_interval;
    grid_def_line_spacing = d.grid_line_spacing;
}

int startup()
{
    // The scripted keypad (GPRMON_KEYS), when one is given, feeds keys from here on.
    start_key_script();

    // 1. Globals and mutexes.
    init_globals();
    create_all_mutexes();

    // 2. System partition and the clean-shutdown marker.
    bool marker_present = check_system_partition();

    // 3. Configuration.
    eth.init_buffers(1);
    eep.Init();
    xml_pars.read_xml_tree();
    eep.load_parameters(0, 0);
    eep.pload_l_a();
    prm.p_read();

    // 4. Local devices.
    printf("open pic %d\n", pic.Open());
    printf("open parport %d\n", parport.Open());
    parport.ppWrite(0, 0);
    eep.clear_all_err();

    // 5. Language.
    setLanguage(1);

    // 6. Unit-dependent grid defaults.
    set_grid_defaults(xml_pars.units);

    // 7. Main menu state and the start-up message.
    mode = 34;
    tbuf = nullptr;
    keyb_wait();
    mesmode(lngs[55], lngs[56], false, -1, 2, "", true);

    // 8. GPS receiver and backlight.
    gps.gps_Open();
    blight_sw(0, configured_backlight());

    // 9. Data partition (after an unclean end also the headers of the profiles left open),
    // then a word to the operator when the settings could not be read.
    check_data_partition(marker_present);
    if (xml_pars.settings_reset)
        mesmode("Settings file could not be read", "Default settings are used", false, 3);

    // 10. Headers of the current profile and of the grid project.
    rdr.rd.hd.hd_init();
    rdr.mx.hd.hd_init();

    // 11. CU link and access point. The acquisition side is handed to the link first: the
    // receiving thread asks it whether a measurement runs from the first frame on.
    acq_install();
    eth.eth_first_Init();
    create_hostapd();
    SDL_Delay(100);

    // 12. Acquisition thread and periodic timer.
    start_collect();
    timer_arm();
    t1 = SDL_AddTimer(250, Timer_Funct1, nullptr);
    if (!t1)
        printf("timer1 error: %s\n", SDL_GetError());
    time_ready = false;
    printf("parameters size = %d\n", 147);
    return 0;
}
