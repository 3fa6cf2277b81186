// The navuart module loaded for real: a Debian kernel under qemu (software emulation) with
// an initramfs of our own; sentences are fed into the emulated COM1 and the newest GGA
// fields read back with the module's ioctl (tests/kmod/qemu-navuart.sh and guest/).
#include "kmod/kmod_support.h"

#include <gtest/gtest.h>

TEST(NavuartQemu, module_loads_in_a_debian_kernel_and_answers_fed_sentences)
{
    std::string work = std::string(GPRMON_BINARY_DIR) + "/kmod/qemu";
    std::string script = std::string(GPRMON_SOURCE_DIR) + "/tests/kmod/qemu-navuart.sh";
    CommandResult r = run_command(sh_arg(script) + " " + sh_arg(GPRMON_SOURCE_DIR) + " " + sh_arg(work) + " 2>&1");
    if (r.status == 77)
        GTEST_SKIP() << r.output;
    ASSERT_EQ(r.status, 0) << r.output;
    // The script fails on any failed check; these are the ones that must have run.
    for (const char* check :
         {"insmod", "com1-claimed", "open", "second-open-refused", "open-at-4800", "empty-no-data",
          "fields", "delivered-once", "bad-checksum-answers-1", "bad-checksum-empties", "speed-115200",
          "unknown-speed-ignored", "incomplete-skipped", "after-wrap", "read-shows-sentence", "rmmod",
          "unload-releases"})
        EXPECT_NE(r.output.find(std::string("NAVUART-CHECK ") + check + " ok"), std::string::npos)
            << check << "\n" << r.output;
    for (const char* message : {"GPS driver ver. 3.003", "Com Port is free!", "navuartr: open",
                                "Interrupt handler is installed!", "GPS driver has finished its work!"})
        EXPECT_NE(r.output.find(message), std::string::npos) << message;
}
