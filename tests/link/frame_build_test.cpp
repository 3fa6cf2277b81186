// Byte-exact command frames in both link modes, before and after the CU is discovered.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Bytes expected_raw(const uint8_t* dst, const uint8_t* src, uint16_t pk, uint16_t cmd,
                   uint16_t sub, const uint32_t* args)
{
    Bytes f(150, 0);
    memcpy(f.data(), dst, 6);
    memcpy(f.data() + 6, src, 6);
    f[12] = 0x55, f[13] = 0x55;
    f[14] = uint8_t(pk >> 8), f[15] = uint8_t(pk);
    f[16] = uint8_t(cmd >> 8), f[17] = uint8_t(cmd);
    f[18] = uint8_t(sub >> 8), f[19] = uint8_t(sub);
    for (int i = 0; i < 8; i++)
        for (int k = 0; k < 4; k++)
            f[20 + 4 * i + k] = uint8_t(args[i] >> (24 - 8 * k));
    f[146] = 0, f[147] = 1, f[148] = 0, f[149] = 1;
    return f;
}

// The UDP frame as it must stand: hand-written headers, checksums from reference code.
Bytes expected_udp(const uint8_t* dst, const uint8_t* src, uint32_t dst_ip, uint16_t proto,
                   uint32_t link_a, uint32_t link_b, uint16_t pk, uint16_t cmd, uint16_t sub,
                   const uint32_t* args)
{
    Bytes f(150, 0);
    memcpy(f.data(), dst, 6);
    memcpy(f.data() + 6, src, 6);
    const uint8_t ip[20] = {0x45, 0x00, 0x00, 136, 0, 0, 0, 0, 128, 17, 0, 0,
                            192, 168, 1, 1, uint8_t(dst_ip >> 24), uint8_t(dst_ip >> 16),
                            uint8_t(dst_ip >> 8), uint8_t(dst_ip)};
    f[12] = 0x08, f[13] = 0x00;
    memcpy(f.data() + 14, ip, 20);
    Bytes hdr(ip, ip + 20);
    uint16_t hcs = rfc1071(hdr);
    f[24] = uint8_t(hcs >> 8), f[25] = uint8_t(hcs);
    f[34] = 0x05, f[35] = 0x55, f[36] = 0x05, f[37] = 0x55, f[38] = 0, f[39] = 116;
    f[42] = uint8_t(proto >> 8), f[43] = uint8_t(proto);
    f[44] = 0x55, f[45] = 0x01;
    for (int k = 0; k < 4; k++) {
        f[46 + k] = uint8_t(link_a >> (24 - 8 * k));
        f[50 + k] = uint8_t(link_b >> (24 - 8 * k));
    }
    Bytes raw = expected_raw(dst, src, pk, cmd, sub, args);
    memcpy(f.data() + 54, raw.data() + 14, 150 - 54 - 4);
    f[146] = 0, f[147] = 1, f[148] = 0, f[149] = 1;
    uint16_t ucs = reference_udp_checksum(f);
    f[40] = uint8_t(ucs >> 8), f[41] = uint8_t(ucs);
    return f;
}

const uint8_t kBroadcast[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const uint8_t kDefaultCu[6] = {0xB4, 0x99, 0xBA, 0xE1, 0x33, 0xD1};
const uint32_t kArgs[8] = {0x01020304, 0xA0B0C0D0, 0, 0xFFFFFFFF, 7, 0x80000000, 0x00010000, 42};

// Every byte compared; on a mismatch the offset is reported.
void expect_bytes(const Bytes& want, const Bytes& got)
{
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); i++)
        ASSERT_EQ(int(want[i]), int(got[i])) << "at offset " << i;
}

// Discovery answer from the CU (payload FF FF), in the mode given.
std::vector<Bytes> answer_discovery(const SentCommand& c, bool udp, uint16_t proto)
{
    CuFrame a;
    a.udp = udp;
    a.kind = 1;
    a.answered = c.packet;
    a.protocol = proto;
    a.payload = Bytes(80, 0);
    a.payload[0] = a.payload[1] = 0xFF;
    return {a.build()};
}

} // namespace

TEST(CommandFrames, RawModeBeforeDiscoveryGoesToBroadcastAtEveryOffset)
{
    LinkRig rig;
    rig.open(false, false);
    uint16_t pk = rig.link->c_pk_num;
    EXPECT_EQ(0, rig.link->cmd_inject(0x1234, 0xABCD, kArgs[0], kArgs[1], kArgs[2], kArgs[3],
                                      kArgs[4], kArgs[5], kArgs[6], kArgs[7], false, false));
    auto s = rig.sent();
    ASSERT_EQ(1u, s.size());
    expect_bytes(expected_raw(kBroadcast, kEth0Mac, pk, 0x1234, 0xABCD, kArgs), s[0]);
}

TEST(CommandFrames, UdpModeBeforeDiscoveryUsesTheDefaultCuAddresses)
{
    LinkRig rig;
    rig.link->ip_frame.link_word_a = 0x11223344;
    rig.open(true, false);
    uint16_t pk = rig.link->c_pk_num;
    rig.link->cmd_inject(0x1234, 0xABCD, kArgs[0], kArgs[1], kArgs[2], kArgs[3], kArgs[4],
                         kArgs[5], kArgs[6], kArgs[7], false, false);
    auto s = rig.sent();
    ASSERT_EQ(1u, s.size());
    expect_bytes(expected_udp(kDefaultCu, kEth0Mac, 0xC0A80102, 0x5555, 0x11223344, 0, pk,
                              0x1234, 0xABCD, kArgs),
                 s[0]);
}

TEST(CommandFrames, WifiLinkKeeps5555InRawCommandsAndSends5557InUdp)
{
    {
        LinkRig rig;
        rig.open(false, true);
        EXPECT_EQ(0x5557, rig.link->current_protocol);
        uint16_t pk = rig.link->c_pk_num;
        rig.link->cmd_inject(5, 6, kArgs[0], kArgs[1], kArgs[2], kArgs[3], kArgs[4], kArgs[5],
                             kArgs[6], kArgs[7], false, false);
        expect_bytes(expected_raw(kBroadcast, kWlan0Mac, pk, 5, 6, kArgs), rig.sent()[0]);
    }
    {
        LinkRig rig;
        rig.open(true, true);
        uint16_t pk = rig.link->c_pk_num;
        rig.link->cmd_inject(5, 6, kArgs[0], kArgs[1], kArgs[2], kArgs[3], kArgs[4], kArgs[5],
                             kArgs[6], kArgs[7], false, false);
        expect_bytes(expected_udp(kDefaultCu, kWlan0Mac, 0xC0A80102, 0x5557, 0, 0, pk, 5, 6, kArgs),
                     rig.sent()[0]);
    }
}

TEST(CommandFrames, DiscoveryInRawModeTeachesTheCuMac)
{
    LinkRig rig;
    rig.open(false, false);
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return c.cmd == 0xFFFF ? answer_discovery(c, false, 0x5555) : std::vector<Bytes>();
    };
    uint16_t pk = rig.link->c_pk_num;
    const uint32_t zero[8] = {0};
    ASSERT_EQ(0, rig.link->SendBroadcast());
    expect_bytes(expected_raw(kBroadcast, kEth0Mac, pk, 0xFFFF, 0, zero), rig.sent()[0]);

    rig.respond = nullptr;
    rig.link->cmd_inject(77, 1, kArgs[0], kArgs[1], kArgs[2], kArgs[3], kArgs[4], kArgs[5],
                         kArgs[6], kArgs[7], false, false);
    expect_bytes(expected_raw(kCuMac, kEth0Mac, uint16_t(pk + 1), 77, 1, kArgs), rig.sent()[1]);
}

TEST(CommandFrames, DiscoveryInUdpModeTeachesMacIpAndLinkWordB)
{
    LinkRig rig;
    rig.link->ip_frame.link_word_a = 7;
    rig.open(true, false);
    rig.respond = [](const SentCommand& c, const Bytes&) {
        return c.cmd == 0xFFFF ? answer_discovery(c, true, 0x5555) : std::vector<Bytes>();
    };
    uint16_t pk = rig.link->c_pk_num;
    const uint32_t zero[8] = {0};
    ASSERT_EQ(0, rig.link->SendBroadcast());
    // The discovery frame goes to the broadcast MAC but the default IP address.
    expect_bytes(expected_udp(kBroadcast, kEth0Mac, 0xC0A80102, 0x5555, 7, 0, pk, 0xFFFF, 0, zero),
                 rig.sent()[0]);
    rig.respond = nullptr;
    rig.link->cmd_inject(77, 1, kArgs[0], kArgs[1], kArgs[2], kArgs[3], kArgs[4], kArgs[5],
                         kArgs[6], kArgs[7], false, false);
    expect_bytes(expected_udp(kCuMac, kEth0Mac, 0xC0A8014D, 0x5555, 7, 0xA1B2C3D4,
                              uint16_t(pk + 1), 77, 1, kArgs),
                 rig.sent()[1]);
}

TEST(CommandFrames, StringCommandCarriesTheTextAndStopsBeforeTheTrailer)
{
    LinkRig rig;
    rig.open(false, false);
    rig.link->SendStrCommand(195, 3, "AT+X", false);
    Bytes f = rig.sent()[0];
    EXPECT_EQ(0, memcmp(f.data() + 20, "AT+X\0", 5));
    EXPECT_EQ(195, f[16] << 8 | f[17]);
    EXPECT_EQ(3, f[18] << 8 | f[19]);

    std::string longtext(200, 'A');
    rig.link->SendStrCommand(195, 0, longtext.c_str(), false);
    f = rig.sent()[1];
    EXPECT_EQ(0, f[145]) << "the text keeps its zero before the trailer";
    EXPECT_EQ('A', f[144]);
    EXPECT_EQ(1, f[147]);
    EXPECT_EQ(1, f[149]);

    prm.udp_mode = 1;
    rig.link->SendStrCommand(195, 0, longtext.c_str(), false);
    f = rig.sent()[2];
    EXPECT_EQ('A', f[60]);
    EXPECT_EQ('A', f[144]);
    EXPECT_EQ(0, f[145]);
    EXPECT_EQ(reference_udp_checksum(f), f[40] << 8 | f[41]);
}

TEST(CommandFrames, PacketNumberAdvancesPerFrameAndWrapsAt16Bits)
{
    LinkRig rig;
    rig.open(false, false);
    rig.link->c_pk_num = 65535;
    rig.link->cmd_inject(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, false, false);
    rig.link->cmd_inject(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, false, false);
    auto s = rig.sent();
    EXPECT_EQ(0xFF, s[0][14]);
    EXPECT_EQ(0xFF, s[0][15]);
    EXPECT_EQ(0, s[1][14]);
    EXPECT_EQ(0, s[1][15]);
    EXPECT_EQ(1, rig.link->c_pk_num);

    // A failed send still uses up its number.
    rig.wire.fail_send_from = 3;
    EXPECT_EQ(-1, rig.link->cmd_inject(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, true, false));
    EXPECT_EQ(2, rig.link->c_pk_num);
}

TEST(CommandFrames, EverySenderRefusesAClosedLink)
{
    LinkRig rig; // never opened
    uint8_t d[4] = {0};
    EXPECT_EQ(-3, rig.link->cmd_inject(1, 0));
    EXPECT_EQ(-3, rig.link->SendStrCommand(1, 0, "x", true));
    EXPECT_EQ(-3, rig.link->SendBroadcast());
    EXPECT_EQ(static_cast<unsigned char>(-3), rig.link->SendData(d, 0, 0, 1, true));
    EXPECT_EQ(-3, rig.link->simu_ans_inject(1, 0, nullptr, 0, 0, 1, 1));
    EXPECT_EQ(1, rig.link->c_pk_num);
    EXPECT_EQ(0u, rig.wire.sent_count());
}
