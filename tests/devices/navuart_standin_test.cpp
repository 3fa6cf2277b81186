// The serial-port GPS end to end in simulation: the reader's requests answered by the
// driver's own sentence logic in the navuart stand-in, fed one second of sentences a second.
#include "platform/globals.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "devices/standin_process.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

namespace {

// Polls until GetData gives `want`; the receiver sends once a second, and a busy machine may
// hold the stand-in back for a while, so the deadline is generous.
int wait_for(char* out, int want)
{
    int r = kGpsNoData;
    eventually([&] { return (r = gps.GetData(out)) == want; });
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
    ASSERT_EQ(wait_for(out, 0), 0);
    EXPECT_NE(std::string(out).find(",5740."), std::string::npos) << out;
    // A sentence is handed out once: the next poll finds nothing new, or (when the next
    // second's sentence has come meanwhile) another sentence.
    const std::string first = out;
    const int again = gps.GetData(out);
    if (again == 0)
        EXPECT_NE(std::string(out), first);
    else
        EXPECT_EQ(again, kGpsNoData);

    std::ofstream(sb.root() + "/sim/navuart/mode") << "badcs\n";
    EXPECT_EQ(wait_for(out, kGpsOldData), kGpsOldData);
    EXPECT_STREQ(out, "OLD DATA");

    std::ofstream(sb.root() + "/sim/navuart/mode") << "nofix\n";
    EXPECT_EQ(wait_for(out, kGpsNoCoordinates), kGpsNoCoordinates);

    // With checking off a wrong checksum goes through as data.
    eep.gps_cs_check = 0;
    ASSERT_TRUE(gps.gps_Open());
    std::ofstream(sb.root() + "/sim/navuart/mode") << "badcs\n";
    EXPECT_EQ(wait_for(out, 0), 0);
    gps.gps_Unit_Close();
    DestroyAllMutexes();
}
