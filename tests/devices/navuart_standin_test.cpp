// The serial-port GPS end to end in simulation: the reader's requests answered by the
// driver's own sentence logic in the navuart stand-in, fed one second of sentences a second.
#include "app/globals.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "devices/standin_process.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

int wait_for(char* out, int want, double seconds)
{
    int r = kGpsNoData;
    for (int i = 0; i < seconds * 20 && r != want; i++) {
        r = gps.GetData(out);
        if (r != want)
            usleep(50000);
    }
    return r;
}

} // namespace

TEST(NavuartStandin, reader_sets_the_driver_up_and_gets_each_fix_once_then_old_data_and_no_fix)
{
    Sandbox sb;
    init_globals();
    ASSERT_TRUE(create_all_mutexes());
    eep.gps_enabled = 1;
    eep.gps_source = 3;
    eep.gps_baud_index = 6;
    eep.gps_cs_check = 1;
    StandinProcess s("gprmon-navuart", {sb.root(), "fix"}, sb.path("/dev/navuart"));
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(gps.gps_Open());
    std::string log = read_file(sb.root() + "/sim/navuart.log");
    EXPECT_NE(log.find("speed 7\nchecksum 1\n"), std::string::npos) << log;

    char out[kGpsOutSize];
    ASSERT_EQ(wait_for(out, 0, 3.0), 0);
    EXPECT_NE(std::string(out).find(",5740."), std::string::npos) << out;
    EXPECT_EQ(gps.GetData(out), kGpsNoData) << "a sentence is handed out once";

    std::ofstream(sb.root() + "/sim/navuart/mode") << "badcs\n";
    EXPECT_EQ(wait_for(out, kGpsOldData, 3.0), kGpsOldData);
    EXPECT_STREQ(out, "OLD DATA");

    std::ofstream(sb.root() + "/sim/navuart/mode") << "nofix\n";
    EXPECT_EQ(wait_for(out, kGpsNoCoordinates, 3.0), kGpsNoCoordinates);

    // With checking off a wrong checksum goes through as data.
    eep.gps_cs_check = 0;
    ASSERT_TRUE(gps.gps_Open());
    std::ofstream(sb.root() + "/sim/navuart/mode") << "badcs\n";
    EXPECT_EQ(wait_for(out, 0, 3.0), 0);
    gps.gps_Unit_Close();
    DestroyAllMutexes();
}
