// Receive-path throughput on one core: frames go from a prepared array through the receiving
// thread's loop (acceptance, UDP checksum, reassembly into the measurement ring, descriptors)
// exactly as captured frames do. The loop runs on the benchmark's own thread.
//
//   BlockMode512: UDP-mode measurement blocks of 512 bytes, 3 blocks per trace (300 samples).
//   RawPackets:   raw-mode traces of 3 frames of 1400 payload bytes each.
#include "config/parameters.h"
#include "cu/eep.h"
#include "link/byte_order.h"
#include "link/ethernet.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const uint8_t kOwn[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};
const uint8_t kCu[6] = {0x02, 0xC0, 0xFF, 0xEE, 0x00, 0x07};

struct Measuring : CMeaSink {
    bool measuring() override { return true; }
};

// Serves the prepared frames round after round; after `budget` frames it clears the run flag
// so that eth_Collect returns.
class ArrayTransport : public CLinkTransport {
public:
    std::vector<std::vector<uint8_t>> frames;
    CEthernet* link = nullptr;
    size_t next_index = 0;
    int64_t budget = 0;
    void (*at_wrap)(CEthernet&) = nullptr;

    int own_mac(const char*, uint8_t out[6]) override
    {
        memcpy(out, kOwn, 6);
        return 0;
    }
    int open(const char*, char*) override { return 0; }
    int next(const uint8_t** d, uint32_t* cap, uint32_t* wire) override
    {
        if (budget-- <= 0) {
            link->receive_run = 0;
            return -2;
        }
        if (next_index == frames.size()) {
            next_index = 0;
            if (at_wrap)
                at_wrap(*link);
        }
        const std::vector<uint8_t>& f = frames[next_index++];
        *d = f.data();
        *cap = *wire = uint32_t(f.size());
        return 1;
    }
    int send(const uint8_t*, int) override { return 0; }
    void wake() override {}
    void close() override {}
};

std::vector<uint8_t> cu_frame(bool udp, uint8_t kind, uint16_t pk, const std::vector<uint8_t>& payload,
                              bool block, uint8_t pad, uint8_t last, uint16_t frame_num)
{
    size_t hdr = udp ? 60 : 20, trailer = block ? 3 : 4;
    std::vector<uint8_t> f(hdr + payload.size() + trailer, 0);
    memcpy(f.data(), kOwn, 6);
    memcpy(f.data() + 6, kCu, 6);
    size_t b = udp ? 40 : 0;
    if (udp) {
        put_be16(f.data() + 12, 0x0800);
        f[14] = 0x45;
        put_be16(f.data() + 16, uint16_t(f.size() - 14));
        f[23] = 17;
        put_be32(f.data() + 26, 0xC0A80102);
        put_be32(f.data() + 30, 0xC0A80101);
        put_be16(f.data() + 34, 1365);
        put_be16(f.data() + 36, 1365);
        put_be16(f.data() + 38, uint16_t(f.size() - 34));
        put_be16(f.data() + 42, 0x5555);
    } else {
        put_be16(f.data() + 12, 0x5555);
    }
    put_be16(f.data() + b + 14, pk);
    f[b + 16] = kind;
    memcpy(f.data() + hdr, payload.data(), payload.size());
    if (!block)
        f[f.size() - 4] = pad;
    f[f.size() - 3] = last;
    put_be16(f.data() + f.size() - 2, frame_num);
    if (udp)
        put_be16(f.data() + 40, udp_checksum(f.data(), f.size()));
    return f;
}

struct Rig {
    ArrayTransport wire;
    Measuring sink;
    std::unique_ptr<CEthernet> link{new CEthernet};
    Rig(bool udp)
    {
        prm.udp_mode = udp;
        prm.wifi_link = 0;
        prm.restore_missed = 1;
        prm.request_missed = 0;
        eep.samples = 300;
        eep.clipped = 0;
        wire.link = link.get();
        link->set_transport(&wire);
        link->set_sink(&sink);
        memcpy(link->ip_frame.src, kOwn, 6);
        link->handle = &wire;
        link->set_block_mode(udp);
    }
    void run(benchmark::State& state)
    {
        int64_t total = 0;
        const int64_t batch = 30000;
        for (auto _ : state) {
            wire.budget = batch;
            link->receive_run = 1;
            CEthernet::eth_Collect(link.get());
            total += batch;
        }
        state.SetItemsProcessed(total);
        state.counters["frames/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    }
};

void restart_block_numbers(CEthernet& l)
{
    l.prev_good_block = 0;
    memset(l.tr_restored, 0, 20000);
}

void BlockMode512(benchmark::State& state)
{
    Rig rig(true);
    const int traces = 10000;
    uint32_t bn = 0;
    for (int t = 1; t <= traces; t++)
        for (int p = 1; p <= 3; p++) {
            std::vector<uint8_t> pl(512, uint8_t(t + p));
            uint16_t pad = p == 3 ? 496 - 238 : 0;
            put_be32(pl.data(), ++bn);
            pl[7] = 2;
            put_be32(pl.data() + 8, uint32_t(t));
            put_be16(pl.data() + 12, pad);
            put_be16(pl.data() + 14, uint16_t(p));
            rig.wire.frames.push_back(cu_frame(true, 2, uint16_t(bn), pl, true, 0, 1, 1));
        }
    rig.wire.at_wrap = restart_block_numbers;
    rig.run(state);
    state.SetBytesProcessed(state.items_processed() * 512);
}

void RawPackets(benchmark::State& state)
{
    Rig rig(false);
    uint16_t pk = 1;
    for (int t = 0; t < 3000; t++, pk++)
        for (int f = 1; f <= 3; f++)
            rig.wire.frames.push_back(
                cu_frame(false, 2, pk, std::vector<uint8_t>(1400, uint8_t(t)), false, 0, f == 3, uint16_t(f)));
    rig.run(state);
    state.SetBytesProcessed(state.items_processed() * 1400);
}

} // namespace

BENCHMARK(BlockMode512)->Unit(benchmark::kMillisecond);
BENCHMARK(RawPackets)->Unit(benchmark::kMillisecond);
