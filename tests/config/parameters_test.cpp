// The binary parameter store: its image, loading rules and the mount around each access.
#include "app/access_point.h"
#include "config/parameters.h"
#include "config/xmlParser/safe_file_write.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* const kStored = "/dev/sda2/root/pars"; // /mnt/hda2/root/pars while mounted

void put_bytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

} // namespace

TEST(ParameterImage, fields_sit_at_their_offsets_little_endian)
{
    CParameters p;
    p.unit_number = 0x04030201;
    p.language = 5;
    strcpy(p.pv_project_name, "PVP_7");
    p.duo_channel = 2;
    p.sbas_mode = -2;
    p.date1 = (2024u << 16) | (6u << 8) | 7u;
    p.reserved2 = 0xBEEF;
    p.wifi_channel = 11;
    p.last_block = 0xA1B2C3D4;
    uint8_t img[CParameters::kImageSize];
    p.to_image(img);
    EXPECT_EQ(img[0], 0x01);
    EXPECT_EQ(img[3], 0x04);
    EXPECT_EQ(img[4], 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(img + 5)), "PVP_7");
    EXPECT_EQ(img[109], 2);
    EXPECT_EQ(img[116], 0xFE);
    EXPECT_EQ(img[119], 0xFF);
    EXPECT_EQ(img[121], 20);
    EXPECT_EQ(img[123], 1);
    EXPECT_EQ(img[124], 7);
    EXPECT_EQ(img[125], 6);
    EXPECT_EQ(img[126], 2024 & 0xFF);
    EXPECT_EQ(img[132], 0xEF);
    EXPECT_EQ(img[133], 0xBE);
    EXPECT_EQ(img[134], 1);
    EXPECT_EQ(img[137], 11);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(img + 139)), "US");
    EXPECT_EQ(img[143], 0xD4);
    EXPECT_EQ(img[146], 0xA1);
    CParameters q;
    memset(static_cast<void*>(&q), 0x5A, sizeof q);
    q.from_image(img);
    EXPECT_EQ(memcmp(&p, &q, sizeof p), 0); // the image is the whole record, padding-free
}

TEST(ParameterStore, without_a_file_the_defaults_stay_and_the_network_is_SORLAN_1)
{
    Sandbox sb;
    CParameters p;
    p.p_read();
    CParameters d;
    d.after_loading();
    EXPECT_EQ(memcmp(&p, &d, sizeof p), 0);
    EXPECT_EQ(+p.unit_number, 1u);
    FILE* f = tmpfile();
    write_hostapd_lines(f, p.unit_number, p.wifi_channel);
    rewind(f);
    char buf[512] = {};
    EXPECT_GT(fread(buf, 1, sizeof buf - 1, f), 0u);
    fclose(f);
    EXPECT_NE(std::string(buf).find("ssid=SORLAN_1\n"), std::string::npos);
    EXPECT_NE(std::string(buf).find("channel=1\n"), std::string::npos);
}

TEST(ParameterStore, loading_forces_the_values_that_never_survive_a_restart)
{
    Sandbox sb;
    CParameters w;
    w.unit_number = 42;
    w.language = 3;
    w.test_upgrade = 1;
    w.udp_mode = 0;
    w.wifi_link = 1;
    w.restore_missed = 1;
    w.request_missed = 1;
    w.wifi_channel = 6;
    w.sbas_mode = 3;
    ASSERT_EQ(w.p_write(), 0);
    EXPECT_EQ(read_file(sb.path(kStored)).size(), 147u);
    CParameters r;
    r.p_read();
    EXPECT_EQ(+r.unit_number, 42u);
    EXPECT_EQ(+r.language, 0);
    EXPECT_EQ(+r.test_upgrade, 0);
    EXPECT_EQ(+r.udp_mode, 1);
    EXPECT_EQ(+r.wifi_link, 0);
    EXPECT_EQ(+r.restore_missed, 0);
    EXPECT_EQ(+r.request_missed, 0);
    EXPECT_EQ(+r.wifi_channel, 6);
    EXPECT_EQ(+r.sbas_mode, 3);
    // The partition is mounted only around each access.
    std::string log = sb.standins_log();
    EXPECT_NE(log.find("mount"), std::string::npos);
    EXPECT_NE(log.find("umount"), std::string::npos);
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda2/root")));
}

TEST(ParameterStore, a_short_file_overwrites_only_the_bytes_it_holds)
{
    Sandbox sb;
    put_bytes(sb.path(kStored), std::string("\x07\x00\x00\x00\x04", 5));
    CParameters r;
    r.wifi_channel = 9;
    r.p_read();
    EXPECT_EQ(+r.unit_number, 7u);
    EXPECT_EQ(+r.language, 0);
    EXPECT_EQ(+r.wifi_channel, 9);
    EXPECT_STREQ(r.pv_project_name, "PVP_");
}

TEST(ParameterStore, an_oversized_file_gives_its_first_147_bytes)
{
    Sandbox sb;
    CParameters w;
    w.unit_number = 5;
    w.last_block = 77;
    uint8_t img[CParameters::kImageSize];
    w.to_image(img);
    put_bytes(sb.path(kStored), std::string(reinterpret_cast<char*>(img), sizeof img) +
                                    std::string(5000, '\xFF'));
    CParameters r;
    r.p_read();
    EXPECT_EQ(+r.unit_number, 5u);
    EXPECT_EQ(+r.last_block, 77u);
}

TEST(ParameterStore, unterminated_texts_from_the_file_are_terminated)
{
    Sandbox sb;
    put_bytes(sb.path(kStored), std::string(147, 'A'));
    CParameters r;
    r.p_read();
    EXPECT_EQ(strlen(r.pv_project_name), sizeof r.pv_project_name - 1);
    EXPECT_EQ(strlen(r.country_code), 2u);
}

TEST(ParameterStore, a_failed_write_keeps_the_previous_file)
{
    Sandbox sb;
    CParameters w;
    w.unit_number = 12;
    ASSERT_EQ(w.p_write(), 0);
    std::string before = read_file(sb.path(kStored));
    // The disk fills up (or the card is pulled) after 20 bytes of the new image.
    safe_file_write_inject_fault(20);
    w.unit_number = 13;
    EXPECT_NE(w.p_write(), 0);
    safe_file_write_inject_fault(-1);
    EXPECT_EQ(read_file(sb.path(kStored)), before);
}
