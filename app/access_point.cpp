#include "app/access_point.h"

#include "config/parameters.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <string>

uint32_t hostapd_kill_time = 0;

void write_hostapd_lines(FILE* f, unsigned unit_number, int channel)
{
    fprintf(f, "interface=wlan0\n");
    fprintf(f, "driver=nl80211\n");
    fprintf(f, "ssid=SORLAN_%u\n", unit_number);
    fprintf(f, "channel=%d\n", channel);
    fprintf(f, "auth_algs=1\n");
    fprintf(f, "wpa=2\n");
    fprintf(f, "wpa_passphrase=kqt57021\n");
    fprintf(f, "wpa_key_mgmt=WPA-PSK\n");
    fprintf(f, "wpa_pairwise=TKIP\n");
    fprintf(f, "hw_mode=g\n");
    fprintf(f, "country_code=SE\n");
    fprintf(f, "ieee80211d=1\n");
    fprintf(f, "eap_reauth_period=360000000\n");
    fprintf(f, "ignore_broadcast_ssid=0\n");
}

int create_hostapd()
{
    {
        MutexLock g(lock_dw);
        std::string conf = host_path("/etc/hostapd/hostapd.conf");
        FILE* f = fopen(conf.c_str(), "w");
        if (!f)
            return -1;
        write_hostapd_lines(f, prm.unit_number, prm.wifi_channel);
        fclose(f);
    }
    std::string conf = host_path("/etc/hostapd/hostapd.conf");
    char arg0[] = "hostapd";
    std::string arg1 = conf;
    char* argv[] = {arg0, &arg1[0], nullptr};
    hostapd_process = spawn_program(arg0, argv);
    SDL_Delay(100);
    puts("main process is here");
    run_shell("ifconfig wlan0 192.168.1.1");
    return 0;
}
