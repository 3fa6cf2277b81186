// Firmware upload: the CRC, the Intel-HEX bootloader framing and the chunking of SendFile.
#include "link_rig.h"

#include "platform/host_paths.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

namespace {

struct Chunk {
    uint16_t type;
    uint32_t count;
    Bytes data;
    uint8_t last;
    uint16_t frame_id;
    size_t frame_len;
};

bool parse_chunk(const Bytes& f, Chunk* c)
{
    if (f.size() < 130 || f[16] != 0 || f[17] != 39)
        return false;
    c->type = uint16_t(f[18] << 8 | f[19]);
    c->count = uint32_t(f[20]) << 24 | uint32_t(f[21]) << 16 | uint32_t(f[22]) << 8 | f[23];
    size_t L = f.size() - 28;
    c->data.assign(f.begin() + 24, f.begin() + 24 + c->count);
    c->last = f[L + 25];
    c->frame_id = uint16_t(f[L + 26] << 8 | f[L + 27]);
    c->frame_len = f.size();
    return true;
}

std::string write_file(const Sandbox& sb, const char* name, const Bytes& content)
{
    std::string p = sb.path(std::string("/mnt/usb/") + name);
    FILE* f = fopen(p.c_str(), "wb");
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
    return p;
}

} // namespace

TEST(FirmwareFraming, CrcOfAbcIs9DD6)
{
    EXPECT_EQ(0x9DD6, CalculateCrc(reinterpret_cast<const unsigned char*>("abc"), 3));
    EXPECT_EQ(0x31C3, CalculateCrc(reinterpret_cast<const unsigned char*>("123456789"), 9));
    EXPECT_EQ(0, CalculateCrc(nullptr, 0));
    EXPECT_EQ(10, ConvFromChar('a'));
    EXPECT_EQ(15, ConvFromChar('F'));
    EXPECT_EQ(0, ConvFromChar('g'));
}

TEST(FirmwareFraming, HexRecordsAreFramedWithEscapesAndAnEndRecord)
{
    const char* text = ":0210000110FF\r\n:00000001FF\r\n";
    unsigned char out[256];
    size_t n = 0;
    ASSERT_TRUE(hex_to_bootloader(reinterpret_cast<const unsigned char*>(text), strlen(text), out,
                                  sizeof out, &n));
    auto framed = [](Bytes rec) {
        uint16_t crc = CalculateCrc(rec.data(), rec.size());
        rec.push_back(uint8_t(crc));
        rec.push_back(uint8_t(crc >> 8));
        Bytes f{0x01};
        for (uint8_t b : rec) {
            if (b == 0x01 || b == 0x04 || b == 0x10)
                f.push_back(0x10);
            f.push_back(b);
        }
        f.push_back(0x04);
        return f;
    };
    Bytes want = framed({0x03, 0x02, 0x10, 0x00, 0x01, 0x10, 0xFF});
    Bytes r2 = framed({0x03, 0x00, 0x00, 0x00, 0x01, 0xFF});
    Bytes r3 = framed({0x05});
    want.insert(want.end(), r2.begin(), r2.end());
    want.insert(want.end(), r3.begin(), r3.end());
    ASSERT_EQ(want, Bytes(out, out + n));
    // The data byte 0x10 travels as 0x10 0x10.
    EXPECT_EQ(0x10, out[3]);
    EXPECT_EQ(0x10, out[4]);

    std::string huge = ":" + std::string(1000, 'A') + "\r\n";
    EXPECT_FALSE(hex_to_bootloader(reinterpret_cast<const unsigned char*>(huge.data()),
                                   huge.size(), out, sizeof out, &n));
}

class SendFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim_reload_root();
        rig.open(true, false); // UDP mode: the upload must switch to raw frames and back
        rig.respond = [this](const SentCommand& c, const Bytes& f) {
            std::vector<Bytes> out;
            Chunk ch;
            if (parse_chunk(f, &ch)) {
                EXPECT_EQ(0x55, f[12]) << "chunks are raw frames";
                chunks.push_back(ch);
                if (ch.last) {
                    uint32_t sum = 0;
                    for (const Chunk& k : chunks)
                        for (uint8_t b : k.data)
                            sum += b;
                    if (wrong_sum)
                        sum++;
                    CuFrame a;
                    a.kind = 1;
                    a.answered = c.packet;
                    a.payload = Bytes(80, 0);
                    for (int i = 0; i < 4; i++)
                        a.payload[i] = a.payload[4 + i] = uint8_t(sum >> (24 - 8 * i));
                    out.push_back(a.build());
                }
            } else if (f.size() == 150) {
                commands.push_back(c);
                CuFrame a;
                a.udp = c.udp;
                a.kind = 1;
                a.answered = c.packet;
                a.payload = Bytes(80, 0);
                out.push_back(a.build());
            }
            return out;
        };
    }
    void TearDown() override { sim_reload_root(); }

    Sandbox sb;
    LinkRig rig;
    std::vector<Chunk> chunks;
    std::vector<SentCommand> commands;
    bool wrong_sum = false;
};

TEST_F(SendFileTest, MultipleOf1020EndsWithAFullLastChunk)
{
    Bytes content(2040);
    for (size_t i = 0; i < content.size(); i++)
        content[i] = uint8_t(i * 7);
    std::string p = write_file(sb, "R5_Master.elf", content);
    EXPECT_EQ(0, rig.link->SendFile(0, p.c_str()));
    ASSERT_EQ(2u, chunks.size());
    EXPECT_EQ(1020u, chunks[0].count);
    EXPECT_EQ(0, chunks[0].last);
    EXPECT_EQ(1, chunks[0].frame_id);
    EXPECT_EQ(1020u, chunks[1].count);
    EXPECT_EQ(1, chunks[1].last);
    EXPECT_EQ(2, chunks[1].frame_id);
    EXPECT_EQ(1048u, chunks[1].frame_len);
    Bytes got = chunks[0].data;
    got.insert(got.end(), chunks[1].data.begin(), chunks[1].data.end());
    EXPECT_EQ(content, got);
    ASSERT_EQ(1u, commands.size()) << "the image is committed once the sums agree";
    EXPECT_EQ(65, commands[0].cmd);
    EXPECT_EQ(0, commands[0].sub);
    EXPECT_EQ(310u, commands[0].args[0]);
    EXPECT_FALSE(commands[0].udp) << "the commit still goes out in raw mode";
    EXPECT_EQ(1, prm.udp_mode);
    EXPECT_EQ(kDefaultAnswerTimeout, rig.link->answer_timeout);
}

TEST_F(SendFileTest, OneByteChunkTravelsInA130ByteFrame)
{
    std::string p = write_file(sb, "R5_Tavro_FPGA.bit", Bytes(1021, 0x5A));
    EXPECT_EQ(0, rig.link->SendFile(11, p.c_str()));
    ASSERT_EQ(2u, chunks.size());
    EXPECT_EQ(1u, chunks[1].count);
    EXPECT_EQ(130u, chunks[1].frame_len);
    EXPECT_EQ(1, chunks[1].last);
    EXPECT_EQ(11, chunks[1].type);
}

TEST_F(SendFileTest, HexFileIsUploadedInBootloaderFraming)
{
    const char* text = ":0210000110FF\r\n:00000001FF\r\n";
    std::string p = write_file(sb, "R5_USA_PIC.hex", Bytes(text, text + strlen(text)));
    EXPECT_EQ(0, rig.link->SendFile(15, p.c_str()));
    ASSERT_EQ(1u, chunks.size());
    unsigned char want[256];
    size_t n = 0;
    ASSERT_TRUE(hex_to_bootloader(reinterpret_cast<const unsigned char*>(text), strlen(text), want,
                                  sizeof want, &n));
    EXPECT_EQ(Bytes(want, want + n), chunks[0].data);
}

TEST_F(SendFileTest, DifferentSumsGiveMinus666AndRestoreTheModes)
{
    wrong_sum = true;
    std::string p = write_file(sb, "R5_Master.elf", Bytes(10, 1));
    EXPECT_EQ(-666, rig.link->SendFile(0, p.c_str()));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(1, prm.udp_mode);
    EXPECT_EQ(kDefaultAnswerTimeout, rig.link->answer_timeout);
}

TEST_F(SendFileTest, MissingFileAndFailedChunk)
{
    EXPECT_EQ(-1, rig.link->SendFile(0, sb.path("/mnt/usb/none.elf").c_str()));
    std::string p = write_file(sb, "R5_Master.elf", Bytes(3000, 1));
    rig.wire.fail_send_from = 2;
    EXPECT_EQ(-2, rig.link->SendFile(0, p.c_str()));
    EXPECT_EQ(1, prm.udp_mode);
}
