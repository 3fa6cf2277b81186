#include "app/main_menu.h"

#include "platform/globals.h"
#include "app/timer.h"
#include "cu/parport.h"
#include "app/screens.h"
#include "app/shutdown.h"
#include "config/parameters.h"
#include "files/radar_data.h"
#include "gui/button.h"
#include "gui/indicators.h"
#include "gui/input.h"
#include "gui/rows.h"
#include "gui/screen_table.h"
#include "gui/service_keys.h"

#include <SDL/SDL.h>
#include <cstdio>

namespace {

CButton* menu_buttons[kLastButton + 1];

void show_cu_state(bool force)
{
    static int shown = -1;
    bool on;
    {
        MutexLock lock(lock_cuOn);
        on = pisOn;
    }
    auto* ind = dynamic_cast<ON_OFF_Indicator*>(mS.obj[34][menu::kCuState]);
    if (!ind || (!force && shown == int(on)))
        return;
    shown = int(on);
    ind->set_state(on ? 1 : 0);
    ind->Draw();
}

void show_indicators(bool force)
{
    if (auto* bat = dynamic_cast<CBattery*>(mS.obj[34][0]))
        bat->nDraw(force, bat_state1, parport.ppRead(1));
    if (CSDLObject* lamp = mS.obj[34][1])
        if (force)
            lamp->Draw();
    show_cu_state(force);
}

// After the quit box: power off, reboot or a service screen; anything else is "back".
MenuOutcome quit_box_result(int r)
{
    switch (r) {
    case 2:
        power_off_sequence(EndKind::PowerOff);
        return MenuOutcome::PowerOff;
    case 10:
        if (screen_sys_pars_level_0() == -333) {
            reboot_sequence();
            return MenuOutcome::Reboot;
        }
        return MenuOutcome::QuitBack;
    case 24:
    case 22:
    case 25:
        open_service_screen(r);
        return MenuOutcome::QuitBack;
    default:
        return MenuOutcome::QuitBack;
    }
}

} // namespace

int main_menu_service_key(int key)
{
    password1.addkey(key);
    if (password1.compas1())
        return 40;
    if (password1.compas2())
        return 22;
    if (password1.compas3())
        return 25;
    return 0;
}

void main_menu_draw()
{
    mode = 34;
    tbuf = nullptr;
    rdr.pvp.Stop();
    if (auto* flag = dynamic_cast<CSDLText*>(mS.obj[34][menu::kLinkFlag]))
        flag->SetText(prm.wifi_link ? "Link: WiFi" : "Link: Ethernet");
    Init_All_Buttons(menu_buttons);
    mS.Draw();
    mS.DrawObjs(34);
    curbut = curbutton[34];
    curbutDraw();
    show_indicators(true);
}

MenuOutcome main_menu_action(int result)
{
    if (result == 100 || result == 101) {
        int key = result == 100 ? SDLK_LEFT : SDLK_RIGHT;
        int code = main_menu_service_key(key);
        if (!code)
            return MenuOutcome::Nothing;
        open_service_screen(code);
        return MenuOutcome::ScreenShown;
    }
    if (result < kFirstButton || result > kLastButton)
        return MenuOutcome::Nothing;
    curbutton[34] = uint16_t(result);
    switch (result) {
    case menu::k2D:
        ProjN = 0;
        curbutton[2] = 3;
        screen_pre_meas();
        return MenuOutcome::ScreenShown;
    case menu::kGrid:
        ProjN = 1;
        curbutton[23] = 13;
        screen_grid_new_proj();
        return MenuOutcome::ScreenShown;
    case menu::kPlavik:
        ProjN = 2;
        curbutton[21] = 2;
        screen_plavik();
        return MenuOutcome::ScreenShown;
    case menu::kPositioning:
        position_check_screen();
        return MenuOutcome::ScreenShown;
    case menu::kFiles:
        curbutton[6] = 2;
        screen_files();
        return MenuOutcome::ScreenShown;
    case menu::kShutDown: {
        MenuOutcome o = quit_box_result(mesmode_Quit());
        if (o == MenuOutcome::QuitBack) {
            mode = 34;
            if (auto* b = dynamic_cast<CButton*>(mS.obj[34][menu::kShutDown]))
                b->pressed = 0;
        }
        return o;
    }
    default:
        // A pressed button without an action (button 5 and the like) is let go again.
        if (auto* b = dynamic_cast<CButton*>(mS.obj[0][result]))
            if (b->pressed)
                b->Release();
        return MenuOutcome::Nothing;
    }
}

int main_menu_loop()
{
    puts("main loop");
    fflush(stdout);
    for (;;) {
        main_menu_draw();
        for (;;) {
            show_indicators(false);
            int r = press_but_and_slid();
            if (r == -1) {
                SDL_Delay(10);
                continue;
            }
            MenuOutcome o = main_menu_action(r);
            if (o == MenuOutcome::PowerOff || o == MenuOutcome::Reboot)
                return 0;
            if (o != MenuOutcome::Nothing)
                break; // rebuild the menu
        }
    }
}
