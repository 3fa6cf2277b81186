// Units of the antenna parameter block: unit sizes and names, soil velocity, the time
// window and the conversions between samples and depth.
#include "cu/eep.h"

#include "config/parameters.h"
#include "config/xml_pars.h"
#include "dsp/rounding.h"
#include "gui/lang.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Language strings the unit names are built from.
enum LangWord { kFeet = 7, kMeters = 8, kFt = 9, kM = 10, kSec = 12, kMicroSec = 13 };

bool metric() { return xml_pars.units != 0; }

// The unit texts are 8-bit strings that callers format further: in Chinese, whose language
// strings are 16-bit, and before the language table is filled (start-up loads the block
// first), the English words are used.
const char* word(int index, bool english)
{
    if (!english && lngs.lang != kLangChinese && lngs.s[index][0])
        return lngs[index];
    CLang::build_alang();
    return CLang::alang[0][index];
}

void put(char* dst, size_t cap, const char* text)
{
    if (cap)
        snprintf(dst, cap, "%s", text);
}

} // namespace

long double CEEP::GetUnit(unsigned char code) const
{
    const bool si = metric();
    switch (code) {
    case 0: return si ? 1.0L : 0.3048L;
    case 1: return si ? 0.01L : 0.0254L;
    case 2: return si ? 0.001L : 1.0L;
    case 10: return si ? 1.0L : 0.0254L;
    case 5: case 9: return 1.0L;
    case 6: return 0.001L;
    case 7: return 1e-6L;
    case 8: return 1e-9L;
    default: return 1.0L;
    }
}

void CEEP::GetUnitName(char* dst, int code, size_t cap) const
{
    const bool si = metric();
    switch (code) {
    case 5: put(dst, cap, "sec"); return;
    case 6: case 7: case 9: return; // no long name: the caller's text stays
    case 8: put(dst, cap, "ns"); return;
    case 20: {
        char sh[kUnitNameSize];
        GetShUnitName(sh, 0, 0, 0, sizeof sh);
        if (cap)
            snprintf(dst, cap, " [%s/%s]", sh, word(kMicroSec, false));
        return;
    }
    case 100: put(dst, cap, si ? "SI" : "Imperial"); return;
    default: break;
    }
    if ((code < 0 || code > 4) && code != 10) {
        put(dst, cap, "undef");
        return;
    }
    if (si) {
        if (code == 0 || code == 10)
            put(dst, cap, word(kMeters, false));
        else if (code == 1)
            put(dst, cap, "cm");
        else
            put(dst, cap, "");
    } else {
        if (code == 0)
            put(dst, cap, word(kFeet, false));
        else if (code == 1 || code == 10)
            put(dst, cap, "Inches");
        else
            put(dst, cap, "");
    }
}

void CEEP::GetShUnitName(char* dst, int bracket, int code, int b, size_t cap) const
{
    // Texts drawn with the fixed (non-language) fonts ask for b > 9: Chinese words cannot be
    // drawn there, so English ones are used.
    const bool english = b > 9 && prm.language == 8;
    const bool si = metric();
    const char* text;
    switch (code) {
    case 5: text = word(kSec, english); break;
    case 6: case 9: text = ""; break;
    case 7: text = word(kMicroSec, english); break;
    case 8: text = "ns"; break;
    case 0: text = si ? word(kM, english) : word(kFt, english); break;
    case 10: text = si ? word(kM, english) : "in"; break;
    case 1: text = si ? "cm" : "in"; break;
    case 2: case 3: case 4: text = ""; break;
    default: text = "ud"; break;
    }
    if (cap == 0)
        return;
    if (bracket == 1)
        snprintf(dst, cap, "[%s]", text);
    else {
        size_t n = strnlen(text, cap - 1); // a unit name longer than dst is cut
        memcpy(dst, text, n);
        dst[n] = 0;
    }
}

long double CEEP::GetSoilVel(int code) const
{
    return xml_pars.soil_velocity * GetUnit(0) / GetUnit(static_cast<unsigned char>(code));
}

void CEEP::GetSoilVel_HF(char* dst, size_t cap) const
{
    char sh[kUnitNameSize];
    GetShUnitName(sh, 0, 0, 0, sizeof sh);
    if (cap)
        snprintf(dst, cap, "%3d %s/%s", static_cast<int>(xml_pars.soil_velocity), sh,
                 word(kMicroSec, false));
}

int CEEP::GetTimeWin(char* buf, size_t cap) const
{
    const double window_ns = sample_interval * (samples - tz_sample) * 1000.0;
    const unsigned char depth_code = xml_pars.depth_units;
    const double depth = static_cast<double>(e_depth(samples) / GetUnit(depth_code));
    char sh[kUnitNameSize];
    GetShUnitName(sh, 0, depth_code, 0, sizeof sh);
    if (cap == 0)
        return 0;
    int n = snprintf(buf, cap, "%4.1f %s (%4.2f %s, %d %s)", window_ns, "ns", depth, sh,
                     static_cast<int>(samples), "smp");
    if (n < 0)
        return 0;
    return n < static_cast<int>(cap) ? n : static_cast<int>(cap) - 1;
}

long double CEEP::e_depth(int s) const
{
    if (s < tz_sample)
        return 0;
    const long double h =
        xml_pars.soil_velocity * GetUnit(0) * (s - tz_sample) * sample_interval / 2;
    const long double d2 = ant_separation * h + h * h;
    return d2 > 0 ? sqrtl(d2) : 0;
}

int CEEP::e_samp(double depth) const
{
    if (depth < 0)
        return 0;
    const long double per_sample = xml_pars.soil_velocity * GetUnit(0) * sample_interval;
    // Without a velocity or a sample interval no depth maps to a later sample.
    if (!(per_sample > 0))
        return tz_sample;
    return mrnd(static_cast<double>(depth / per_sample + tz_sample));
}

int CEEP::tz_shift() const
{
    if (!(sample_interval > 0))
        return 0;
    const double v = ant_separation / (sample_interval * 250);
    if (!(std::fabs(v) < 2147483647.0))
        return 0;
    return static_cast<int>(v);
}
