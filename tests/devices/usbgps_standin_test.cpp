// The simulated USB receiver end to end: the stand-in's pseudo-terminal read by the real
// termios path, switching between fix, no fix, garbage and silence while running.
#include "platform/globals.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "devices/standin_process.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

// Reads until `want` comes back (at most `seconds`); returns the last result.
int wait_for(char* out, int want, double seconds)
{
    int r = kGpsNoData;
    eventually([&] { return (r = gps.GetData(out)) == want; }, seconds);
    return r;
}

} // namespace

TEST(UsbGpsStandin, modes_give_fix_no_coordinates_and_nothing)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    eep.gps_enabled = 1;
    eep.gps_source = 1;
    StandinProcess s("gprmon-usbgps", {sb.root(), "fix"}, sb.path("/dev/ttyUSB0"));
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(gps.gps_Open());
    char out[kGpsOutSize];

    ASSERT_EQ(wait_for(out, 0, kWaitSeconds), 0);
    EXPECT_NE(std::string(out).find(",5740."), std::string::npos) << out;
    EXPECT_NE(std::string(out).find(",N,01158."), std::string::npos) << out;

    std::ofstream(sb.root() + "/sim/usbgps/mode") << "nofix\n";
    EXPECT_EQ(wait_for(out, kGpsNoCoordinates, kWaitSeconds), kGpsNoCoordinates);

    auto switched = [&](const char* m) {
        return eventually([&] { return read_file(sb.root() + "/sim/usbgps.log").find(std::string("mode ") + m) != std::string::npos; });
    };
    std::ofstream(sb.root() + "/sim/usbgps/mode") << "garbage\n";
    ASSERT_TRUE(switched("garbage"));
    for (int i = 0; i < 30; i++) {
        int r = gps.GetData(out);
        if (r == 0 || r == kGpsNoCoordinates)
            continue; // a sentence still queued from before the switch
        EXPECT_EQ(r, kGpsNoData) << out;
        usleep(50000);
    }
    std::ofstream(sb.root() + "/sim/usbgps/mode") << "silent\n";
    ASSERT_TRUE(switched("silent"));
    gps.GetData(out); // whatever was still queued
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    EXPECT_NE(read_file(sb.root() + "/sim/usbgps.log").find("mode silent"), std::string::npos);
    gps.gps_Unit_Close();
    DestroyAllMutexes();
}
