// Links from the menus to the screens of other subsystems.
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "app/screens.h"
#include "grid/grid_screens.h"
#include "gui/input.h"
#include "projects/pv_screens.h"
#include "screens/file_screens.h"
#include "screens/parameter_screens.h"
#include "screens/service_screens.h"
#include "screens/system_screens.h"

int screen_pre_meas() { return mode_02_pre_meas(); }
int screen_grid_new_proj() { return mode_23_grid_new_proj(); }
int screen_plavik() { return mode_21_PV_screen_1(); }
int screen_files() { return mode_06_files(); }
int screen_grid_view(int kind) { return mode_31_slice_View(kind); }
int screen_parameters() { return mode_05_parameters(); }
int screen_sys_pars_level_0() { return mode_10_sys_pars_level_0(); }
int screen_tests() { return mode_27_Tests(); }
int screen_wifi_pars() { return mode_44_WiFi_Pars(); }
int screen_sys_pars_level_1_1() { return mode_40_sys_pars_level_1_1(); }
int screen_sys_pars_level_2() { return mode_22_sys_pars_level_2(); }
int screen_sys_pars_level_3() { return mode_25_sys_pars_level_3(); }

int open_service_screen(int code)
{
    switch (code) {
    case 10: return screen_sys_pars_level_0();
    case 40: return screen_sys_pars_level_1_1();
    case 24: return mode_24_sys_pars_level_1_2();
    case 22: return screen_sys_pars_level_2();
    case 25: return screen_sys_pars_level_3();
    default: return 34;
    }
}
