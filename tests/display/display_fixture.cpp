#include "display_fixture.h"

#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/profile_record.h"
#include "files/radar_data.h"

#include <cstring>

namespace {

struct Saved {
    CEEP eep_copy;
    CAntennaRecord antenna0;
    uint8_t current_antenna, units, depth_units, length_units, gain_switch;
    uint16_t soil_velocity;
} saved;

} // namespace

DisplayState::DisplayState()
{
    memcpy(&saved.eep_copy, &eep, sizeof eep);
    saved.antenna0 = xml_pars.antenna[0];
    saved.current_antenna = xml_pars.current_antenna;
    saved.units = xml_pars.units;
    saved.depth_units = xml_pars.depth_units;
    saved.length_units = xml_pars.length_units;
    saved.soil_velocity = xml_pars.soil_velocity;
    saved.gain_switch = prm.gain_switch;

    eep.ant_record = nullptr;
    xml_pars.current_antenna = 0;
    xml_pars.units = 1;
    xml_pars.depth_units = 0;
    xml_pars.length_units = 0;
    xml_pars.soil_velocity = 100;
    prm.gain_switch = 0;
    eep.samples = 512;
    eep.view_samples = 512;
    eep.sample_interval = 0.0001;
    eep.tz_sample = 20;
    eep.screen_opt2 = 0;
    eep.display_opt = 0;
    eep.trig_code = 0;
    eep.step_distance = 0.05;
    eep.ant_separation = 0.1f;
    CFilterSlot* f = test_filters();
    f[FLT_DEL_MEAN].display_on = 0;
    f[FLT_DEL_MEAN].int_par[0] = 0;
    f[FLT_TIME_GAIN].int_par[3] = 0;
    f[FLT_CONTRAST].int_par[0] = 0;
    f[FLT_CONTRAST].float_par = 1.05f;
    f[FLT_AUTO_GAIN].int_par[5] = 0;
    rdr.prof.Empty();
    shown_traces = 0;
}

DisplayState::~DisplayState()
{
    memcpy(&eep, &saved.eep_copy, sizeof eep);
    xml_pars.antenna[0] = saved.antenna0;
    xml_pars.current_antenna = saved.current_antenna;
    xml_pars.units = saved.units;
    xml_pars.depth_units = saved.depth_units;
    xml_pars.length_units = saved.length_units;
    xml_pars.soil_velocity = saved.soil_velocity;
    prm.gain_switch = saved.gain_switch;
    rdr.prof.Empty();
    shown_traces = 0;
}

CFilterSlot* test_filters() { return xml_pars.antenna[0].filter; }

void fill_store(int count, const TraceFn& f)
{
    rdr.prof.Empty();
    for (int t = 0; t < count; t++) {
        float* col = rdr.prof.slot(rdr.prof.end);
        for (int s = 0; s < CProfile::kSlotSamples; s++)
            col[s] = s < eep.samples ? f(t, s) : 0.0f;
        rdr.prof.end = CProfile::prof_ind(rdr.prof.end + 1);
        if (rdr.prof.b_size() == 0) { // the ring is full: drop the oldest
            rdr.prof.start = CProfile::prof_ind(rdr.prof.start + 1);
            rdr.prof.first_trace++;
        }
    }
    shown_traces = count;
}

std::unique_ptr<CScrBuf> make_radargram(bool secondRuler)
{
    return std::make_unique<CScrBuf>("images/empty1_1024.bmp", 0, 0, secondRuler);
}

int brightest_row(const CScrBuf& b, int col, int rows)
{
    int best = 0;
    for (int r = 1; r < rows; r++)
        if (b.pixel(col, r) > b.pixel(col, best))
            best = r;
    return best;
}

double brightest_column(const CScrBuf& b, int row, int cols)
{
    int first = 0, last = 0;
    for (int c = 1; c < cols; c++) {
        if (b.pixel(c, row) > b.pixel(first, row))
            first = last = c;
        else if (b.pixel(c, row) == b.pixel(first, row))
            last = c;
    }
    return (first + last) / 2.0;
}
