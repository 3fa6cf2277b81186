// The CU's WiFi module as the service screens meet it: its answers, and each check failing
// on demand, as often as asked.
#include "sim/cu/faults.h"
#include "sim/cu/service_sim.h"

#include <gtest/gtest.h>

#include <string>

using cusim::WifiModule;

namespace {
std::string answer(WifiModule& m, const char* text)
{
    char out[5];
    m.answer(text, out);
    return std::string(out, strnlen(out, 5));
}
} // namespace

TEST(CusimWifiModule, AnswersEachCheckAndFailsTheOnesAskedForAsOftenAsAsked)
{
    cusim::FaultConfig f;
    std::string error;
    ASSERT_TRUE(f.add("wifi=do2:1,wifi=wl", error)) << error;
    EXPECT_FALSE(f.add("wifi=do3", error));
    EXPECT_FALSE(f.add("wifi=go6:0", error));
    WifiModule m;
    m.fail = f.wifi_fail;
    // First initiation: the second "<DO>" fails; the next one passes all three.
    const char* const want[2][3] = {{"<S>", "<S6>", "<E>"}, {"<S>", "<S6>", "<S>"}};
    for (const auto& w : want) {
        EXPECT_EQ(w[0], answer(m, "<DO>"));
        EXPECT_EQ(w[1], answer(m, "<GO6>"));
        EXPECT_EQ(w[2], answer(m, "<DO>"));
    }
    EXPECT_EQ("<S>", answer(m, "<GC5>"));
    EXPECT_EQ("<E>", answer(m, "<WL>")) << "a fault without a count stays";
    EXPECT_EQ("<E>", answer(m, "<WL>"));
    EXPECT_EQ("<E>", answer(m, "DO")) << "not a module command";

    uint32_t o[5];
    m.wire_init(o);
    for (uint32_t w : o)
        EXPECT_EQ(0x3C533E00u, w);
    m.fail["init"] = 1;
    m.wire_init(o);
    EXPECT_NE(0x3C533E00u, o[3]);
    m.wire_init(o);
    EXPECT_EQ(0x3C533E00u, o[3]);
}
