// The navuart module builds against Debian's kernel headers without a warning.
#include "kmod/kmod_support.h"

#include <gtest/gtest.h>

TEST(NavuartModule, builds_against_the_debian_kernel_headers_without_warnings)
{
    std::string kdir = debian_kernel_headers();
    if (kdir.empty())
        GTEST_SKIP() << "no /usr/src/linux-headers-*-" << kernel_flavour() << " (package linux-headers-"
                     << kernel_flavour() << ")";
    std::string work = std::string(GPRMON_BINARY_DIR) + "/kmod/build";
    std::string src = std::string(GPRMON_SOURCE_DIR) + "/kmod/navuart";
    std::string cmd = "rm -rf " + sh_arg(work) + " && mkdir -p " + sh_arg(work) + " && cp " + sh_arg(src) +
                      "/*.c " + sh_arg(src) + "/*.h " + sh_arg(src) + "/Kbuild " + sh_arg(src) +
                      "/Makefile " + sh_arg(work) + " && make -C " + sh_arg(work) + " KDIR=" + sh_arg(kdir) +
                      " 2>&1";
    CommandResult r = run_command(cmd);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.find("warning:"), std::string::npos) << r.output;
    EXPECT_TRUE(path_exists(work + "/navuart.ko")) << r.output;
    // The module carries its licence and the major-number parameter.
    CommandResult info = run_command("modinfo " + sh_arg(work + "/navuart.ko") + " 2>&1");
    if (info.status == 0) {
        EXPECT_NE(info.output.find("license:        GPL"), std::string::npos) << info.output;
        EXPECT_NE(info.output.find("parm:           major:"), std::string::npos) << info.output;
    }
}
