#include "gui/date_time_field.h"

#include "gui/draw.h"
#include "platform/shell.h"

#include <cstdio>
#include <ctime>

constexpr int CSDLText_DT::cursor_col[6];
constexpr int CSDLText_DT::vmin[5];
constexpr int CSDLText_DT::vmax[5];

CSDLText_DT::CSDLText_DT(int x, int y, const char* t, int fontSize, Uint8 bgR, Uint8 bgG,
                         Uint8 bgB, int width, int nparts)
    : CSDLText(x, y, t, fontSize, width, false, false, 11), parts(nparts), bg_r(bgR), bg_g(bgG),
      bg_b(bgB)
{
    rect.w = Uint16(width);
    rect.y = Sint16(rect.y - 5);
    rect.h = Uint16(rect.h + 10);
    bkg_colour = map_rgb(bgR, bgG, bgB);
    recinit(rect, 2);
}

void CSDLText_DT::fix_february()
{
    mdays[2] = val[0] % 4 == 0 ? 29 : 28;
    if (val[2] > mdays[val[1]])
        val[2] = mdays[val[1]];
}

void CSDLText_DT::Next()
{
    if (dt_mode == 1 && part < parts) {
        switch (part) {
        case 0:
        case 1:
            if (val[part] < vmax[part])
                val[part]++;
            fix_february();
            break;
        case 2:
            fix_february();
            if (val[2] < mdays[val[1]])
                val[2]++;
            break;
        default:
            if (val[part] < vmax[part])
                val[part]++;
        }
    } else if (dt_mode == 0 && part < parts) {
        part++;
    }
    sDraw();
}

void CSDLText_DT::Prev()
{
    if (dt_mode == 1 && part < parts) {
        if (val[part] > vmin[part])
            val[part]--;
        if (part <= 1)
            fix_february();
    } else if (dt_mode == 0 && part > 0) {
        part--;
    }
    sDraw();
}

bool CSDLText_DT::Click()
{
    if (dt_mode == 1) {
        dt_mode = 0;
    } else {
        if (part >= parts)
            return false;
        dt_mode = 1;
    }
    sDraw();
    return true;
}

void CSDLText_DT::print_text()
{
    char buf[64];
    if (parts == 5)
        snprintf(buf, sizeof buf, "%4d-%02d-%02d  %02d:%02d", val[0], val[1], val[2], val[3], val[4]);
    else
        snprintf(buf, sizeof buf, "%4d-%02d-%02d", val[0], val[1], val[2]);
    SetText(buf);
}

void CSDLText_DT::sDraw()
{
    if (!screen)
        return;
    erase_rect(&rect);
    if (selected)
        fill_rect(&rect, bkg_colour);
    print_text();
    draw_text(map_rgb(255, 255, 255));
    if (!selected)
        return;
    int tw = Uni_TextSize(11, size, text).w;
    Draw_Arrow(rect.x + tw + 16, rect.y + size / 2, 10, 1);
    int col = cursor_col[part < 6 ? part : 5];
    char before[64];
    snprintf(before, sizeof before, "%.*s", col, text);
    int cx = rect.x + Uni_TextSize(11, size, before).w + (part >= parts ? 19 : 0);
    Draw_Arrow(cx, rect.y + size + 18, 6, -1);
    if (dt_mode == 1)
        Draw_Arrow(cx, rect.y + 2, 6, 1);
}

void CSDLText_DT::hc_read()
{
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    val[0] = t.tm_year + 1900;
    val[1] = t.tm_mon + 1;
    val[2] = t.tm_mday;
    val[3] = t.tm_hour;
    val[4] = t.tm_min;
    seconds = t.tm_sec;
    snprintf(date_text, sizeof date_text, "%4d-%02d-%02d", val[0], val[1], val[2]);
    snprintf(time_text, sizeof time_text, "%02d:%02d:%02d", val[3], val[4], seconds);
}

void CSDLText_DT::time_write()
{
    char cmd[64];
    snprintf(cmd, sizeof cmd, "date %02d%02d%02d%02d%4d", val[1], val[2], val[3], val[4], val[0]);
    run_shell(cmd);
}

void CSDLText_DT::hc_write() { run_shell("hwclock --systohc"); }
