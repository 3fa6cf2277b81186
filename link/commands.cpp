// Answers, error reports and the waits for them; file uploads to the CU.
#include "platform/globals.h"
#include "config/parameters.h"
#include "link/byte_order.h"
#include "link/ethernet.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace lf = link_frame;

// ---- Answer and error rings ----
// A producer that catches up with the reader steps back: a full ring keeps 99 unread
// entries and each further entry overwrites the newest one (counted in *_over).

void CEthernet::add_ans(unsigned short channel, unsigned short packet,
                        const unsigned char* payload, int payload_len)
{
    MutexLock g(eth_mtx2);
    CAnswer& a = crb[crb2];
    a.channel = channel;
    a.packet = packet;
    int n = payload_len < 0 ? 0 : (payload_len > kAnswerPayload ? kAnswerPayload : payload_len);
    if (payload && n)
        memcpy(a.payload, payload, size_t(n));
    memset(a.payload + n, 0, size_t(kAnswerPayload - n));
    crb2 = uint16_t(crb2 == kCuRingCount - 1 ? 0 : crb2 + 1);
    if (crb2 == crb1) {
        crb2 = uint16_t(crb2 == 0 ? kCuRingCount - 1 : crb2 - 1);
        crb_over++;
    }
}

void CEthernet::add_err(unsigned short channel, unsigned short packet, unsigned short word1,
                        unsigned short code)
{
    MutexLock g(eth_mtx3);
    CErrorEntry& e = erb[erb2];
    e.channel = channel;
    e.packet = packet;
    e.word1 = word1;
    e.code = code;
    erb2 = uint16_t(erb2 == kCuRingCount - 1 ? 0 : erb2 + 1);
    if (erb2 == erb1) {
        erb2 = uint16_t(erb2 == 0 ? kCuRingCount - 1 : erb2 - 1);
        erb_over++;
    }
}

short CEthernet::read_answ()
{
    MutexLock g(eth_mtx2);
    if (crb1 == crb2)
        return 0;
    cur_answer = crb[crb1];
    crb1 = uint16_t(crb1 == kCuRingCount - 1 ? 0 : crb1 + 1);
    return 1;
}

short CEthernet::read_err()
{
    MutexLock g(eth_mtx3); // (recursive) cur_error is written under the ring's lock
    return take_error(cur_error) ? 1 : 0;
}

bool CEthernet::take_error(CErrorEntry& e)
{
    MutexLock g(eth_mtx3);
    if (erb1 == erb2)
        return false;
    e = erb[erb1];
    erb1 = uint16_t(erb1 == kCuRingCount - 1 ? 0 : erb1 + 1);
    return true;
}

void CEthernet::init_crb()
{
    MutexLock g(eth_mtx2);
    memset(crb, 0, sizeof crb);
    crb1 = crb2 = 0;
    crb_over = 0;
}

void CEthernet::init_erb()
{
    MutexLock g(eth_mtx3);
    memset(erb, 0, sizeof erb);
    erb1 = erb2 = 0;
    erb_over = 0;
}

short CEthernet::check_mea_errors()
{
    // Looks without consuming; the acquisition's error screen drains the ring later.
    uint16_t i = erb1, w = erb2;
    uint16_t last = 0;
    while (i != w) {
        if (erb[i].code)
            last = erb[i].code;
        if (last == 0x1000 || last == 0x1100 || last == 0x2200 || last == 0x3300)
            return short(last);
        i = uint16_t(i == kCuRingCount - 1 ? 0 : i + 1);
    }
    return 0;
}

int CEthernet::WaitAnswer(unsigned short packet)
{
    int i = 0;
    for (;;) {
        if (!read_answ()) {
            if (i > answer_timeout)
                return kNoAnswer;
            SDL_Delay(2);
            i++;
            continue;
        }
        if (cur_answer.packet != packet)
            continue; // a late answer to an earlier command
        while (read_err()) {
            if (cur_error.packet == packet) {
                int r = 200 + cur_error.code;
                printf("Error message from CU: %d\n", r);
                return r;
            }
        }
        return 0;
    }
}

// ---- Firmware framing ----

namespace {

constexpr uint16_t crc_nibble(unsigned k)
{
    uint16_t r = 0;
    for (int bit = 0; bit < 4; bit++)
        if (k & (1u << bit))
            r ^= uint16_t(0x1021u << bit);
    return r;
}

constexpr uint16_t kCrcTable[16] = {
    crc_nibble(0),  crc_nibble(1),  crc_nibble(2),  crc_nibble(3),  crc_nibble(4),  crc_nibble(5),
    crc_nibble(6),  crc_nibble(7),  crc_nibble(8),  crc_nibble(9),  crc_nibble(10), crc_nibble(11),
    crc_nibble(12), crc_nibble(13), crc_nibble(14), crc_nibble(15)};
static_assert(kCrcTable[15] == 0xF1EF, "CRC nibble table");

// A record as the bootloader reads it: SOH, the bytes (SOH, EOT and DLE escaped by DLE), EOT.
bool frame_record(const uint8_t* rec, size_t n, uint8_t* out, size_t cap, size_t* pos)
{
    if (*pos + 2 * n + 2 > cap)
        return false;
    out[(*pos)++] = 0x01;
    for (size_t i = 0; i < n; i++) {
        if (rec[i] == 0x01 || rec[i] == 0x04 || rec[i] == 0x10)
            out[(*pos)++] = 0x10;
        out[(*pos)++] = rec[i];
    }
    out[(*pos)++] = 0x04;
    return true;
}

constexpr size_t kMaxRecord = 300; // 0x03, count, address, type, 255 data bytes, sum, CRC

} // namespace

unsigned short CalculateCrc(const unsigned char* data, unsigned long len)
{
    uint16_t crc = 0;
    for (unsigned long i = 0; i < len; i++) {
        uint8_t b = data[i];
        crc = uint16_t(kCrcTable[((b >> 4) ^ (crc >> 12)) & 0xF] ^ (crc << 4));
        crc = uint16_t(kCrcTable[(b ^ (crc >> 12)) & 0xF] ^ (crc << 4));
    }
    return crc;
}

short ConvFromChar(char c)
{
    if (c >= '0' && c <= '9')
        return short(c - '0');
    if (c >= 'A' && c <= 'F')
        return short(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return short(c - 'a' + 10);
    return 0;
}

bool hex_to_bootloader(const unsigned char* text, size_t len, unsigned char* out, size_t cap,
                       size_t* out_len)
{
    size_t pos = 0;
    uint8_t rec[kMaxRecord];
    size_t i = 0;
    while (i < len) {
        if (text[i] != ':') { // not a record line: skip it
            while (i < len && text[i] != '\n')
                i++;
            i++;
            continue;
        }
        i++;
        size_t n = 0;
        rec[n++] = 0x03;
        while (i < len && text[i] != 13 && text[i] != '\n') {
            if (i + 1 >= len || text[i + 1] == 13 || text[i + 1] == '\n') {
                i++; // a lone digit before the line end carries no byte
                break;
            }
            if (n >= kMaxRecord - 2)
                return false;
            rec[n++] = uint8_t(ConvFromChar(char(text[i])) * 16 + ConvFromChar(char(text[i + 1])));
            i += 2;
        }
        if (i < len && text[i] == 13)
            i++;
        if (i < len && text[i] == '\n') // the line feed after the carriage return
            i++;
        uint16_t crc = CalculateCrc(rec, n);
        rec[n++] = uint8_t(crc);
        rec[n++] = uint8_t(crc >> 8);
        if (!frame_record(rec, n, out, cap, &pos))
            return false;
    }
    uint8_t end[3] = {0x05, 0, 0};
    uint16_t crc = CalculateCrc(end, 1);
    end[1] = uint8_t(crc);
    end[2] = uint8_t(crc >> 8);
    if (!frame_record(end, 3, out, cap, &pos))
        return false;
    *out_len = pos;
    return true;
}

// ---- File upload ----

unsigned char CEthernet::SendData(const unsigned char* data, int from, unsigned short type,
                                  int count, bool last)
{
    if (!handle)
        return static_cast<unsigned char>(-3);
    constexpr int kMaxChunk = 1020;
    if (!data || count < 0 || count > kMaxChunk || from < 0)
        return static_cast<unsigned char>(-1);
    int L = (count + 1) & ~1;
    if (L < 100)
        L += 100;
    uint8_t f[kMaxChunk + 100 + 28];
    int len = L + 28;
    memset(f, 0, size_t(len));
    {
        MutexLock g(eth_mtx4);
        memcpy(f, out_frame.dst, 6);
        memcpy(f + 6, out_frame.src, 6);
    }
    put_be16(f + 12, current_protocol);
    put_be16(f + 16, 39);
    put_be16(f + 18, type);
    put_be32(f + 20, uint32_t(count));
    memcpy(f + 24, data + from, size_t(count));
    f[L + 24] = 0;
    f[L + 25] = last ? 1 : 0;
    put_be16(f + L + 26, FrID);
    SDL_Delay(5);
    uint16_t pk = 0;
    int r = send_numbered(f, len, 14, false, &pk);
    last_data_pk_ = pk;
    FrID++;
    return static_cast<unsigned char>(r);
}

int CEthernet::SendFile(unsigned short type, const char* path)
{
    constexpr size_t kMaxFile = 400000;
    constexpr int kChunk = 1020;
    FILE* fp = path ? fopen(path, "rb") : nullptr;
    if (!fp)
        return -1;
    std::vector<uint8_t> file(kMaxFile);
    size_t n = fread(file.data(), 1, kMaxFile, fp);
    printf("len=%d\n", int(n));
    fclose(fp);
    uint8_t saved_udp = prm.udp_mode;
    prm.udp_mode = 0;

    std::vector<uint8_t> stream;
    if (type == 15) {
        // Worst case: every byte escaped, two framing bytes and a CRC per record.
        stream.resize(n * 2 + 64);
        size_t sl = 0;
        if (!hex_to_bootloader(file.data(), n, stream.data(), stream.size(), &sl)) {
            puts("HEX file: record too long");
            prm.udp_mode = saved_udp;
            return -1;
        }
        stream.resize(sl);
    } else {
        file.resize(n);
        stream.swap(file);
    }

    FrID = 1;
    int total = int(stream.size());
    uint32_t s1 = 0, s2 = 0;
    {
        MutexLock g(eth_mtx5);
        for (int from = 0; from < total || (total == 0 && from == 0); from += kChunk) {
            int left = total - from;
            int count = left < kChunk ? left : kChunk;
            if (SendData(stream.data(), from, type, count, left <= kChunk) != 0) {
                prm.udp_mode = saved_udp;
                return -2;
            }
            SDL_Delay(20);
            if (total == 0)
                break;
        }
        answer_timeout = 5000;
        int r = WaitAnswer(last_data_pk_);
        if (r != 0) {
            answer_timeout = kDefaultAnswerTimeout;
            prm.udp_mode = saved_udp;
            return r;
        }
        s1 = be32(cur_answer.payload); // the CU's two sums of what it received
        s2 = be32(cur_answer.payload + 4);
    }
    uint32_t sum = 0;
    for (uint8_t b : stream)
        sum += b;
    int result = -666;
    if (s1 == sum && s2 == sum) {
        cmd_inject(65, type, 310, 0, 0, 0, 0, 0, 0, 0, true, true);
        result = 0;
    }
    answer_timeout = kDefaultAnswerTimeout;
    prm.udp_mode = saved_udp;
    return result;
}
