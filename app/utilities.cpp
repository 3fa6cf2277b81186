#include "app/utilities.h"

#include "platform/globals.h"
#include "app/pending.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/picdrv.h"
#include "platform/host_paths.h"
#include "platform/shell.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/vfs.h>

int backlight_now = 0;

pid_t spawn(char* path, char** argv)
{
    return spawn_program(path, argv);
}

int FileExists(const char* pattern)
{
    MutexLock g(lock_dw);
    std::string dir = host_path("/mnt/hda1/");
    DIR* d = opendir(dir.c_str());
    if (!d)
        return -1;
    int found = 0;
    while (struct dirent* e = readdir(d)) {
        if (strstr(e->d_name, pattern)) {
            found = 1;
            break;
        }
    }
    closedir(d);
    return found;
}

int CF_free_space(const char* path)
{
    DIR* d = opendir(path);
    if (!d)
        return -1;
    // The first real entry; "." and ".." do not make a folder non-empty.
    std::string first;
    while (struct dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
            continue;
        first = e->d_name;
        break;
    }
    closedir(d);
    if (first.empty())
        return 0;
    std::string p = path;
    if (!p.empty() && p.back() != '/')
        p += '/';
    p += first;
    struct statfs st;
    if (statfs(p.c_str(), &st) != 0)
        return -2;
    // Free blocks are scaled first, as on the device: the result stays within 32 bits.
    return static_cast<int>((st.f_bfree / 1024) * st.f_bsize);
}

void set_backlight(int level)
{
    backlight_now = level;
    pic.Backlight(static_cast<unsigned char>(level));
}

void blight_sw(int from, int to)
{
    if (from == to)
        return;
    int step = to > from ? 10 : -10;
    for (int v = from; step > 0 ? v <= to : v >= to; v += step) {
        set_backlight(v);
        SDL_Delay(5);
    }
}

int configured_backlight()
{
    int l = xml_pars.backlighter_level;
    if (l < 20)
        l = 20;
    if (l > 100)
        l = 100;
    return l;
}

bool check_ps()
{
    MutexLock g(lock_ps);
    bool restored = false;
    if (powersave1 == 121) {
        set_backlight(configured_backlight());
        restored = true;
    }
    powersave1 = 0;
    return restored;
}

bool keypressed(unsigned event_type)
{
    if (event_type != SDL_KEYDOWN)
        return false;
    return !check_ps();
}

float min_t_int()
{
    return 0.01f;
}

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
    hostapd_process = spawn(arg0, argv);
    SDL_Delay(100);
    puts("main process is here");
    run_shell("ifconfig wlan0 192.168.1.1");
    return 0;
}
