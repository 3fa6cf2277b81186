// The power controller through the request path: closed device, the stand-in's answers,
// the backlight wiring, and a controller that disappears.
#include "platform/globals.h"
#include "gui/backlight.h"
#include "cu/dev_request.h"
#include "cu/dev_wire.h"
#include "cu/picdrv.h"
#include "devices/standin_process.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

void set_battery(const Sandbox& sb, int level)
{
    std::ofstream(sb.root() + "/sim/picdrv/battery") << level << "\n";
}

} // namespace

TEST(PicDrv, closed_device_fails_softly)
{
    Sandbox sb;
    CPICDrv p;
    EXPECT_FALSE(p.Open()) << "no controller in this sandbox";
    EXPECT_EQ(p.fd, -1);
    EXPECT_EQ(p.GetMonitorBattery(), 0);
    EXPECT_EQ(p.Backlight(50), -1);
    EXPECT_EQ(p.Shutdown(3), -1);
    unsigned char in[2] = {202, 10}, out[8] = {};
    unsigned int ret = 12345;
    EXPECT_EQ(p.IoControl(kDevRequest, in, 2, out, sizeof out, &ret), -1);
    EXPECT_EQ(ret, static_cast<unsigned int>(-1)) << "the result is stored even when not open";
}

TEST(PicDrv, stand_in_answers_battery_and_records_backlight_and_shutdown)
{
    Sandbox sb;
    StandinProcess s("gprmon-picdrv", {sb.root()}, sb.path("/dev/picdrv"));
    ASSERT_TRUE(s.ready());
    CPICDrv p;
    ASSERT_TRUE(p.Open());

    EXPECT_EQ(p.GetMonitorBattery(), 250) << "a charged battery by default";
    set_battery(sb, 187);
    EXPECT_EQ(p.GetMonitorBattery(), 187);
    set_battery(sb, 0);
    EXPECT_EQ(p.GetMonitorBattery(), 0) << "a zero reading passes through for the timer to retry";

    EXPECT_EQ(p.Backlight(70), 0);
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv/backlight"), "70\n");
    EXPECT_EQ(p.Shutdown(3), 0);
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv/shutdown"), "3\n");
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv.log"), "backlight 70\nshutdown 3\n");

    // With an output buffer the request travels in it and the reply lands there; the input
    // stays as it was.
    set_battery(sb, 99);
    unsigned char in[2] = {202, 10}, out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    unsigned int ret = 7;
    EXPECT_EQ(p.IoControl(kDevRequest, in, 2, out, sizeof out, &ret), 0);
    EXPECT_EQ(ret, 0u);
    EXPECT_EQ(out[0], 99);
    EXPECT_EQ(out[1], 10) << "the value byte was copied in and not overwritten";
    EXPECT_EQ(out[2], 0xEE);
    EXPECT_EQ(in[0], 202);

    // An unknown request number is refused like an unknown ioctl.
    unsigned char b[2] = {200, 1};
    EXPECT_EQ(p.IoControl(0x1234, b, 2, nullptr, 0, nullptr), -1);

    // The controller goes away: requests fail, the battery reads 0, nothing hangs.
    s.stop();
    EXPECT_EQ(p.GetMonitorBattery(), 0);
    EXPECT_EQ(p.Backlight(10), -1);
    p.Close();
    EXPECT_EQ(p.fd, -1);
}

TEST(PicDrv, backlight_ramps_reach_the_controller)
{
    Sandbox sb;
    StandinProcess s("gprmon-picdrv", {sb.root()}, sb.path("/dev/picdrv"));
    ASSERT_TRUE(s.ready());
    ASSERT_TRUE(pic.Open());
    blight_sw(0, 35);
    EXPECT_EQ(read_file(sb.root() + "/sim/picdrv.log"),
              "backlight 0\nbacklight 10\nbacklight 20\nbacklight 30\n");
    EXPECT_EQ(backlight_now, 30);
    pic.Close();
}

TEST(DeviceRequest, a_late_reply_to_an_earlier_request_is_not_taken_for_the_answer)
{
    Sandbox sb; // the request path of the simulation
    int sv[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, sv), 0);
    // The reply to a request that had already timed out arrives late and waits in the socket.
    uint8_t stale[kDevWireHeader + 1];
    dev_wire_put_u32(stale, 0);
    stale[kDevWireHeader] = 11;
    ASSERT_EQ(send(sv[1], stale, sizeof stale, 0), ssize_t(sizeof stale));
    std::thread driver([&] {
        uint8_t req[kDevWireHeader + kDevWireMaxBuf];
        if (recv(sv[1], req, sizeof req, 0) < ssize_t(kDevWireHeader + 2))
            return;
        uint8_t reply[kDevWireHeader + 1];
        dev_wire_put_u32(reply, 0);
        reply[kDevWireHeader] = 222;
        send(sv[1], reply, sizeof reply, 0);
    });
    unsigned char buf[2] = {202, 10};
    EXPECT_EQ(dev_request(sv[0], kDevRequest, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], 222);
    driver.join();
    close(sv[0]);
    close(sv[1]);
}
