// The CU identification in the dialog headings comes from the versions the command layer read.
#include "cu/driver.h"
#include "gui/input.h"

#include <gtest/gtest.h>

TEST(CuIdentityText, ShowsTheIdentityWordAndTheThreeFirmwareVersions)
{
    const uint32_t saved[4] = {gpr.versions[1], gpr.our_fpga_version, gpr.usa_pic_version,
                               gpr.usa_fpga_version};
    gpr.versions[1] = 0x4A2B;
    gpr.our_fpga_version = 0x20107;
    gpr.usa_pic_version = 261;
    gpr.usa_fpga_version = 515;
    char text[64];
    cu_identity_text(text, sizeof text);
    EXPECT_STREQ(text, " (4A2B 20107 261 515)");

    // A heading of a few characters is cut, never overrun.
    char small[6];
    cu_identity_text(small, sizeof small);
    EXPECT_STREQ(small, " (4A2");
    gpr.versions[1] = saved[0];
    gpr.our_fpga_version = saved[1];
    gpr.usa_pic_version = saved[2];
    gpr.usa_fpga_version = saved[3];
}
