// Byte order, address texts, MAC comparison and the two checksums.
#include "link_rig.h"

#include "link/byte_order.h"

#include <gtest/gtest.h>

TEST(ByteOrder, SwapsAndBigEndianFields)
{
    EXPECT_EQ(0x3412, inv_short(0x1234));
    EXPECT_EQ(0x78563412u, inv_long(0x12345678u));
    const unsigned char d[6] = {0xAB, 0xFF, 0xFE, 0x80, 0x00, 0x01};
    EXPECT_EQ(short(0xFFFE), CEthernet::GetSwapShort(d, 1));
    EXPECT_EQ(int32_t(0xFFFE8000), CEthernet::GetSwapLong(d, 1));
    unsigned char b[6] = {0};
    CEthernet::SetSwapCmd(b, 1, 3, 0x00A1B2C3);
    EXPECT_EQ(0xA1, b[1]);
    EXPECT_EQ(0xB2, b[2]);
    EXPECT_EQ(0xC3, b[3]);
    EXPECT_EQ(0, b[4]);
    CEthernet::SetSwapCmd(b, 0, 5, -1); // n outside 1..4 writes nothing
    EXPECT_EQ(0, b[0]);
    uint16_t v = 0;
    EXPECT_FALSE(read_be16(d, 6, 5, &v)) << "a field past the end is refused";
    EXPECT_TRUE(read_be16(d, 6, 4, &v));
    EXPECT_EQ(1, v);
}

TEST(Addresses, Str2HexTakesUpperCaseOnly)
{
    EXPECT_EQ(0xFF, CEthernet::Str2Hex("FF", 2));
    EXPECT_EQ(0x1A2B3C4D, CEthernet::Str2Hex("1A2B3C4D", 8));
    EXPECT_EQ(0, CEthernet::Str2Hex("12", 0));
    EXPECT_EQ(0, CEthernet::Str2Hex("123456789", 9));
    EXPECT_NE(0xAB, CEthernet::Str2Hex("ab", 2)) << "lower case is not hexadecimal here";
}

TEST(Addresses, SetAddressAndCompareMac)
{
    unsigned char f[12] = {0};
    CEthernet::SetAddress(f, true, "02:C0:FF:EE:00:07");
    CEthernet::SetAddress(f, false, "FF:FF:FF:FF:FF:FF");
    EXPECT_TRUE(CEthernet::CompareMAC(f, true, kCuMac));
    EXPECT_FALSE(CEthernet::CompareMAC(f, false, kCuMac));
    const unsigned char bc[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(CEthernet::CompareMAC(f, false, bc));
    EXPECT_FALSE(CEthernet::CompareMAC(nullptr, true, bc));
    unsigned char g[12] = {0};
    CEthernet::SetAddress(g, true, "02:C0"); // too short: untouched
    EXPECT_EQ(0, g[0]);
}

TEST(Checksums, IpHeaderMatchesAPublishedExampleAndVerifiesToZero)
{
    COut_IP_Frame t; // the known header 4500 0073 0000 4000 4011 .... c0a8 0001 c0a8 00c7
    t.total_length = 0x73;
    t.frag = 0x4000;
    t.ttl = 0x40;
    t.src_ip = 0xC0A80001;
    t.dst_ip = 0xC0A800C7;
    t.Count_IP_HCS();
    EXPECT_EQ(0xB861, t.hcs);

    COut_IP_Frame d; // the template as the link sends it
    d.total_length = 136;
    d.Count_IP_HCS();
    EXPECT_EQ(0xB711, d.hcs);
    uint8_t f[54];
    d.write_headers(f);
    EXPECT_EQ(0, rfc1071(Bytes(f + 14, f + 34))) << "a header with its checksum sums to zero";
}

TEST(Checksums, UdpChecksumAgreesWithTheReferenceForOddAndEvenLengths)
{
    for (size_t payload : {1u, 2u, 41u, 80u, 511u, 512u, 1400u}) {
        CuFrame c;
        c.udp = true;
        c.kind = 2;
        c.payload.resize(payload);
        for (size_t i = 0; i < payload; i++)
            c.payload[i] = uint8_t(i * 37 + 11);
        Bytes f = c.build();
        EXPECT_EQ(reference_udp_checksum(f), CEthernet::Count_UDP_CS(f.data(), int(f.size())))
            << "payload " << payload;
    }
    EXPECT_EQ(0, CEthernet::Count_UDP_CS(nullptr, 100));
}
