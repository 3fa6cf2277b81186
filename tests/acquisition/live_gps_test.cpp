// A wheel profile with the antenna GPS on, against the simulated CU over the unix link: the
// CU's GGA sentences travel in the measurement stream, the periodic timer parses them, and the
// per-trace pipeline ties each fresh fix to the next stored trace in the profile's .cor.
#include "live_fixture.h"

#include "acq_fixture.h"
#include "acquisition/acquisition.h"
#include "acquisition/pipeline.h"
#include "platform/globals.h"
#include "app/timer.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "files/radar_data.h"
#include "link/ethernet.h"
#include "support/waits.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kStep = 10;            // pulses per trace (1000 pulses/m, 1 cm per trace)
constexpr double kSpeed = 2.5;       // m/s of the cart: 4 ms of CU time per trace
constexpr double kWheelCal = 1000.0; // pulses per metre
constexpr double kGpsRate = 50.0;    // fixes per second of CU time: one every five traces
constexpr int kTracesPerFix = 5;     // flat out cusim counts the fix interval in whole traces

// One GGA the CU sent in the stream: after which of its traces, and the .cor fields it gives.
struct SentFix {
    int after_trace = 0;
    std::string time, lat, lon; // as the .cor holds them: "hh:mm:ss:ff", decimal degrees
    char lat_ch = 0, lon_ch = 0;
};

// cusim's receiver without a wall clock (--flat-out): its time and the cart's position advance
// by trace, from 2026-06-01 10:00:00 UTC at 59.3293 N, 18.0686 E, heading east. The sentence
// fields are formed as the simulator's NMEA writer forms them ("hhmmss.ss", "ddmm.mmmm",
// "dddmm.mmmm"), then given in the monitor's form.
std::vector<SentFix> sent_fixes(int traces)
{
    const double pi = 3.14159265358979323846;
    const double lat0 = 59.3293, lon0 = 18.0686, h = 90.0 * pi / 180.0;
    auto degrees = [](const char* ddmm) {
        const double v = strtod(ddmm, nullptr);
        const double whole = std::floor(v / 100.0);
        char out[32];
        snprintf(out, sizeof out, "%3.11f", whole + (v - whole * 100.0) / 60.0);
        return std::string(out);
    };
    std::vector<SentFix> out;
    double vclock = 0;
    for (int n = 1; n <= traces; n++) {
        const double pos = double(int64_t(kStep) * n) / (1 * kWheelCal);
        vclock += kStep / (kSpeed * kWheelCal);
        if ((n - 1) % kTracesPerFix != 0)
            continue;
        double utc = std::fmod(std::fmod(double(int64_t(1780308000)) + vclock, 86400.0), 86400.0);
        const double lat = lat0 + pos * std::cos(h) / 111320.0;
        const double lon = lon0 + pos * std::sin(h) / (111320.0 * std::cos(lat0 * pi / 180.0));
        const int hh = int(utc / 3600), mm = int(std::fmod(utc, 3600) / 60);
        char t[32], la[32], lo[32];
        snprintf(t, sizeof t, "%02d%02d%05.2f", hh, mm, std::fmod(utc, 60.0));
        const double alat = std::fabs(lat), alon = std::fabs(lon);
        snprintf(la, sizeof la, "%02d%07.4f", int(alat), (alat - int(alat)) * 60);
        snprintf(lo, sizeof lo, "%03d%07.4f", int(alon), (alon - int(alon)) * 60);
        SentFix f;
        f.after_trace = n;
        f.time = std::string(t, 2) + ":" + std::string(t + 2, 2) + ":" + std::string(t + 4, 2) + ":" + (t + 7);
        f.lat = degrees(la);
        f.lon = degrees(lo);
        f.lat_ch = lat < 0 ? 'S' : 'N';
        f.lon_ch = lon < 0 ? 'W' : 'E';
        out.push_back(f);
    }
    return out;
}

std::string cor_line(int trace, const SentFix& f)
{
    char line[256];
    snprintf(line, sizeof line, "%d\t%s\t%s\t%s\t%c\t%s\t%c\t28.4\tM\t1\r\n", trace, mea_date_text, f.time.c_str(),
             f.lat.c_str(), f.lat_ch, f.lon.c_str(), f.lon_ch);
    return line;
}

std::string fix_time()
{
    MutexLock g(lock3);
    return f_time;
}

// A fix the timer parsed: its time, and the stored trace count before and after it was taken.
struct ParsedFix {
    std::string time;
    int before = 0, after = 0;
};

} // namespace

class LiveGps : public LiveTest {
protected:
    void TearDown() override
    {
        mode = 0;
        LiveTest::TearDown();
        gps.gps_Unit_Close();
        MutexLock g(lock3);
        f_time[0] = f_lat[0] = f_lon[0] = f_alt[0] = f_hdop[0] = 0;
        gps_qi = 0;
        gps_zero = 0;
        rdr.rd.gps.new_fix = 0;
    }
};

TEST_F(LiveGps, WheelProfileLogsEachFreshFixOfTheCuOnceWithTheNextStoredTrace)
{
    LiveOptions o;
    o.card = true;
    char speed[16], cal[16], rate[16];
    snprintf(speed, sizeof speed, "%g", kSpeed);
    snprintf(cal, sizeof cal, "%g", kWheelCal);
    snprintf(rate, sizeof rate, "%g", kGpsRate);
    // Flat out: the CU's clock and GPS time advance by trace, so every sentence it sends is
    // known here; a full link queue makes it wait (10 s) instead of losing a frame.
    o.cusim_args = {"--flat-out", "--speed", speed, "--wheel-cal", cal, "--gps-rate", rate,
                    "--send-patience", "10000"};
    configure_monitor(o);
    xml_pars.gps_on = 1;
    xml_pars.gps_com_usb = 2; // the antenna's receiver, through the CU
    eep.gps_enabled = 1;
    eep.gps_source = 2;
    ASSERT_TRUE(start_cusim(o));
    ASSERT_TRUE(connect());
    {
        MutexLock g(lock_dw);
        ASSERT_TRUE(gps.gps_Open());
    }
    new_profile();
    ASSERT_TRUE(file_exists(data("DAT_0001.cor")));
    ASSERT_LT(MStart(), 1000);
    EXPECT_TRUE(eth.block_mode());

    // The timer's ticks, driven here as the measurement screen's timer would run them: one
    // after each stored trace. After a new fix the next tick waits until a stored trace has
    // taken it, so no fix is replaced unwritten and the log must hold every one of them.
    timer_arm();
    mode = 2;
    constexpr int kTraces = 400;
    // A fix comes every five traces: a profile this long without three of them is a fault.
    constexpr int kTraceBound = 20 * kTraces;
    std::vector<ParsedFix> parsed;
    std::string last_time;
    while ((rdr.rd.hd.last_trace < kTraces || parsed.size() < 3) && rdr.rd.hd.last_trace < kTraceBound &&
           !mea_errors) {
        const int before = rdr.rd.hd.last_trace;
        Timer_Funct1(250, nullptr);
        const std::string t = fix_time();
        if (!t.empty() && t != last_time) {
            last_time = t;
            // (A fix still unwritten after many more stored traces is a fault the lines show.)
            eventually([&] {
                return !rdr.rd.gps.new_fix.load() || rdr.rd.hd.last_trace >= before + 100 || mea_errors;
            });
            parsed.push_back({t, before, rdr.rd.hd.last_trace});
        }
        ASSERT_TRUE(eventually([&] { return rdr.rd.hd.last_trace > before || mea_errors; }))
            << "no trace stored after " << before;
    }
    mode = 0;
    ASSERT_FALSE(mea_errors);
    ASSERT_GE(rdr.rd.hd.last_trace, kTraces);
    ASSERT_EQ(0, rdr.rd.gps.new_fix.load()) << "a fix was never written";
    {
        KeyPresser keys; // a restore (after a loss, which fails below) would wait for a key
        EXPECT_EQ(0, MStop(1));
    }
    const int stored = tot_traces; // the profile's traces (its record is closed by now)
    EXPECT_EQ(stored, int(of(truth(), 1).size()));
    EXPECT_EQ(0, eth.tot_missed_blocks);
    ASSERT_GE(parsed.size(), 3u) << "too few fixes reached the timer";
    printf("%zu fixes of the CU logged over %d traces\n", parsed.size(), stored);

    const std::vector<SentFix> sent = sent_fixes(stored);
    const std::string cor = read_file(data("DAT_0001.cor"));
    std::vector<std::string> lines;
    for (size_t at = 0; at < cor.size();) {
        const size_t end = cor.find("\r\n", at);
        ASSERT_NE(std::string::npos, end) << "a line without its CR LF: " << cor.substr(at);
        lines.push_back(cor.substr(at, end + 2 - at));
        at = end + 2;
    }
    ASSERT_EQ(parsed.size(), lines.size()) << cor;

    size_t k = 0; // the sent fixes, in order
    int prev_trace = 0;
    for (size_t j = 0; j < lines.size(); j++) {
        const int trace = atoi(lines[j].c_str());
        while (k < sent.size() && sent[k].time != parsed[j].time)
            k++;
        ASSERT_LT(k, sent.size()) << "fix " << parsed[j].time << " was not sent by the CU (or out of order)";
        EXPECT_EQ(cor_line(trace, sent[k]), lines[j]) << "line " << j + 1;
        // Written with the first trace stored after the fix arrived (and so after the trace
        // the CU sent it behind), within the profile, one fix per trace.
        EXPECT_GT(trace, sent[k].after_trace) << lines[j];
        EXPECT_GE(trace, parsed[j].before) << lines[j];
        EXPECT_LE(trace, parsed[j].after) << lines[j];
        EXPECT_GT(trace, prev_trace) << lines[j];
        EXPECT_LE(trace, stored);
        prev_trace = trace;
        k++;
    }
}
