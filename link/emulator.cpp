// The built-in CU emulator: with the emulator-run flag set, the receiving thread answers
// commands as a CU would (raw mode), so that one monitor can serve another as its CU.
#include "platform/globals.h"
#include "link/byte_order.h"
#include "link/ethernet.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace lf = link_frame;

namespace {
constexpr int kEmuPayloadWords = 100;   // 200 payload bytes in a 224-byte frame
constexpr uint32_t kEmuMaxSamples = 32764; // the element length must fit 16 bits
} // namespace

int CEthernet::simu_ans_inject(unsigned char kind, unsigned short answered,
                               const unsigned short* words, unsigned short count,
                               unsigned char pad, unsigned char last, unsigned short frame)
{
    return emu_send(kind, answered, words, count, pad, last, frame, -1);
}

int CEthernet::emu_send(unsigned char kind, unsigned short answered, const unsigned short* words,
                        unsigned short count, unsigned char pad, unsigned char last,
                        unsigned short frame, int pk)
{
    if (!handle)
        return -3;
    if (count > kEmuPayloadWords)
        count = kEmuPayloadWords;
    uint8_t f[sizeof emu_frame];
    {
        MutexLock g(eth_mtx4);
        memcpy(f, emu_frame, sizeof f);
    }
    f[16] = kind;
    f[17] = 0;
    put_be16(f + 18, answered);
    memset(f + 20, 0, 200);
    if (words && count)
        memcpy(f + 20, words, size_t(count) * 2);
    f[220] = pad;
    f[221] = last;
    put_be16(f + 222, frame);
    SDL_Delay(5);
    int r = send_numbered(f, int(sizeof f), 14, false, nullptr, pk);
    if (r != 0) {
        puts("sendpacket error");
        return -2;
    }
    return 0;
}

void CEthernet::emulate_frame(const uint8_t* f, uint32_t caplen, uint32_t wirelen)
{
    if (!f || caplen < 52 || caplen != wirelen)
        return;
    if (be16(f + lf::kProtoRaw) != current_protocol)
        return;
    uint16_t cmd = be16(f + lf::kCommand);
    if (cmd == 0xFFFF) {
        MutexLock g(eth_mtx4);
        memcpy(emu_frame, f + 6, 6); // answer whoever is looking for a CU
    } else if (!CompareMAC(f, true, ip_frame.src)) {
        return;
    }
    emulate_command(f, caplen);
}

void CEthernet::emulate_command(const uint8_t* f, uint32_t len)
{
    const uint16_t cmd = be16(f + lf::kCommand);
    const uint16_t asked = be16(f + lf::kPacket);
    const uint32_t a1 = be32(f + lf::kArgs);
    uint16_t w[kEmuPayloadWords];
    int n = 0;
    auto u32 = [&](uint32_t v) {
        put_be16(reinterpret_cast<uint8_t*>(&w[n++]), uint16_t(v >> 16));
        put_be16(reinterpret_cast<uint8_t*>(&w[n++]), uint16_t(v));
    };
    auto u16 = [&](uint16_t v) { put_be16(reinterpret_cast<uint8_t*>(&w[n++]), v); };
    memset(w, 0, sizeof w);
    switch (cmd) {
    case 0xFFFF: u16(0xFFFF); break;
    case 0xFEFF: break;
    case 1:
        u16(0);
        emu_samples = a1 == 0 ? 1 : (a1 > kEmuMaxSamples ? kEmuMaxSamples : a1);
        break;
    case 2:
    case 100: break;
    case 104: u16(0); u16(0); break;
    case 61:
        if (a1 == 1) {
            for (uint32_t v : {0x3000F001u, 2u, 1u, 1u, 1u, 15u})
                u32(v);
        } else {
            u32(a1 == 60 || a1 == 70 || a1 == 90 ? 1 : 0);
            while (n < 12)
                u16(0);
        }
        break;
    case 43:
        if (a1 == 100) {
            u32(2);
            u32(100);
        } else {
            u32(0);
            u32(0);
        }
        break;
    case 160: while (n < 15) u16(0); break;
    case 77: u16(385); break;
    case 51: u16(38548); while (n < 6) u16(0); break;
    case 150: u32(1); break;
    case 76: u32(44); u32(1); break;
    case 14: {
        // One trace element: length, tag 102, zero position, then the ramp. All frames of
        // the packet carry one packet number, as a receiver in raw mode requires.
        const int pk = c_pk_num;
        const uint32_t ns = emu_samples;
        const uint32_t total = ns + 4;
        uint16_t fw[kEmuPayloadWords];
        uint16_t fn = 1;
        int k = 0;
        auto flush = [&](bool last_frame) {
            unsigned char pad = uint8_t((kEmuPayloadWords - k) * 2);
            emu_send(lf::kKindData, asked, fw, uint16_t(k), pad, last_frame ? 1 : 0, fn++, pk);
            k = 0;
        };
        for (uint32_t i = 0; i < total; i++) {
            uint16_t v;
            if (i == 0)
                v = uint16_t((ns + 3) * 2);
            else if (i == 1)
                v = uint16_t(102 << 8);
            else if (i < 4)
                v = 0;
            else {
                v = uint16_t(emu_ramp + 0x8000);
                emu_ramp = uint16_t(emu_ramp + 10);
            }
            put_be16(reinterpret_cast<uint8_t*>(&fw[k++]), v);
            if (k == kEmuPayloadWords)
                flush(i + 1 == total);
        }
        if (k)
            flush(true);
        {
            MutexLock g(send_mtx_);
            c_pk_num = uint16_t(pk + 1);
        }
        u16(0);
        break;
    }
    default:
        return; // not a command this CU knows
    }
    simu_ans_inject(lf::kKindAnswer, asked, w, uint16_t(n), 0, 1, 1);
}
