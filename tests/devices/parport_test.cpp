// The parallel port without a port: every call fails softly and the host's port registers
// are never touched in simulation.
#include "cu/parport.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(ParallelPort, without_a_claimable_port_nothing_opens_and_reads_are_zero)
{
    Sandbox sb;
    CParallelPort p;
    EXPECT_FALSE(p.Open()) << "no /dev/parport0 in the sandbox";
    // A node that is not a parallel port (cannot be claimed) is closed again.
    std::ofstream(sb.path("/dev/parport0")) << "x";
    EXPECT_FALSE(p.Open());
    EXPECT_EQ(p.fd, -1);
    EXPECT_FALSE(p.is_open);
    EXPECT_FALSE(p.ppWrite(0, 0));
    EXPECT_EQ(p.ppRead(1), 0);
    EXPECT_FALSE(p.Close()) << "closing a port that is not open reports failure";
}
