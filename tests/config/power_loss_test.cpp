// The settings file survives the power going off in the middle of a rewrite.
#include "config/xml_pars.h"
#include "config/xmlParser/safe_file_write.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The soil velocity read back, or -1 when the file could not be read as a settings file.
int soil_velocity_on_disk()
{
    CXML_PARS y;
    y.soil_velocity = 0;
    if (y.read_xml_tree() != 0)
        return -1;
    return y.soil_velocity;
}

} // namespace

TEST(PowerLoss, a_writer_killed_at_random_moments_always_leaves_a_complete_file)
{
    Sandbox sb;
    CXML_PARS x;
    x.soil_velocity = 1000;
    ASSERT_EQ(x.write_xml_tree(), 0);
    // The sandbox has no factory copy, so an incomplete main file reads as -1.
    std::mt19937 rng(12345);
    for (int round = 0; round < 12; round++) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Rewrite the file for ever with ever new values, as fast as possible.
            for (uint16_t v = 1001;; v = v == 60000 ? 1001 : v + 1) {
                x.soil_velocity = v;
                x.write_xml_tree();
            }
        }
        usleep(2000 + rng() % 30000);
        kill(child, SIGKILL);
        int st;
        waitpid(child, &st, 0);
        int v = soil_velocity_on_disk();
        EXPECT_GE(v, 1000) << "round " << round << ": the file was not complete";
    }
    // A stale .new from the killed writer is harmless: the next write replaces it.
    x.soil_velocity = 999;
    ASSERT_EQ(x.write_xml_tree(), 0);
    EXPECT_EQ(soil_velocity_on_disk(), 999);
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda3/r5_parameters.xml.new")));
}

TEST(PowerLoss, a_write_that_fails_part_way_keeps_the_previous_settings)
{
    Sandbox sb;
    CXML_PARS x;
    x.soil_velocity = 444;
    ASSERT_EQ(x.write_xml_tree(), 0);
    x.soil_velocity = 555;
    safe_file_write_inject_fault(100);
    EXPECT_EQ(x.write_xml_tree(), eXMLErrorCannotWriteFile);
    safe_file_write_inject_fault(-1);
    EXPECT_EQ(soil_velocity_on_disk(), 444);
}
