#include "fuzz/fuzz_support.h"

#include "platform/globals.h"
#include "app/gga_parse.h"
#include "config/parameters.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unistd.h>

namespace {
std::string g_root;

void remove_sandbox()
{
    if (!g_root.empty())
        system(("rm -rf '" + g_root + "'").c_str());
}

const uint8_t kOwnMac[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};

void put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
} // namespace

void fuzz_sandbox()
{
    if (!g_root.empty())
        return;
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    char tmpl[] = "/tmp/gprmon-fuzz-XXXXXX";
    if (!mkdtemp(tmpl))
        abort();
    g_root = tmpl;
    std::string cmd = std::string(GPRMON_SOURCE_DIR) + "/sim/make-sandbox.sh '" + g_root + "' >/dev/null";
    if (system(cmd.c_str()) != 0)
        abort();
    setenv("GPRMON_ROOT", g_root.c_str(), 1);
    sim_reload_root();
    atexit(remove_sandbox);
}

std::string fuzz_path(const char* device_path) { return host_path(device_path); }

void fuzz_write_file(const char* device_path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(fuzz_path(device_path).c_str(), "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);
}

int FuzzSink::trace(const CMeaTrace& t)
{
    // Every sample handed on must be readable.
    volatile uint32_t sum = 0;
    for (int i = 0; i < t.count; i++)
        sum = sum + uint32_t(t.samples[i]);
    traces++;
    return 0;
}

void FuzzSink::gps_text(const char* text, size_t len)
{
    if (len > sizeof gps.gps_buf - 1)
        return;
    memcpy(gps.gps_buf, text, len);
    gps.gps_buf[len] = 0;
    char out[kGpsOutSize];
    if (gps.GetData(out) == 0) {
        GgaFix fix;
        parse_gga(out, &fix);
    }
}

FuzzLink& FuzzLink::reset(FuzzInput& in)
{
    static CMemoryTransport* wire = new CMemoryTransport;
    static FuzzSink* sink = new FuzzSink;
    static CEthernet* e = [] {
        memcpy(wire->eth0_mac, kOwnMac, 6);
        memcpy(wire->wlan0_mac, kOwnMac, 6);
        CEthernet* link = new (std::nothrow) CEthernet;
        link->set_transport(wire);
        link->set_sink(sink);
        prm.udp_mode = 0;
        prm.wifi_link = 0;
        link->eth_first_Init();
        link->eth_Init();
        link->kill_thread(); // frames are handed in directly, one input at a time
        link->handle = nullptr; // and nothing is sent back
        return link;
    }();
    static FuzzLink l{*e, *wire, *sink, true};

    const uint8_t modes = in.u8();
    l.fix_up = !(modes & 0x80);
    prm.udp_mode = modes & 1;
    e->set_block_mode((modes >> 1) & 1);
    sink->meas = (modes >> 2) & 1;
    sink->done = (modes >> 3) & 1;
    eep.gps_enabled = 1;
    eep.gps_source = 2;
    prm.restore_missed = (modes >> 4) & 1;
    prm.request_missed = (modes >> 5) & 1;
    // The antenna block is the monitor's own (validated when it is loaded): sample counts
    // of its range, any stacking and trigger.
    eep.samples = uint16_t(1 + in.u16() % DSP_MAX_SAMPLES);
    eep.clipped = uint8_t(in.u8() % 9);
    eep.auto_stacks = (modes >> 6) & 1;
    eep.auto_stack_value = 0;
    const uint8_t triggers[3] = {0, 0x80, 0xFF};
    eep.trig_code = triggers[in.u8() % 3];
    pisOn = true;
    // A fresh start of the rings and tables, as init_buffers(1) makes it, but without its
    // entry-by-entry loop over the 300,000 missed-block entries (too slow per input).
    e->init_buffers(0);
    e->tr_read = e->tr_write = 0;
    e->mb_write = 0;
    memset(e->mb_buf, 0xFF, sizeof e->mb_buf); // first == -1: free
    memset(e->tr_restored, 0, sizeof e->tr_restored);
    e->f_pkt = 1;
    e->prev_lf = 1;
    e->packet_valid = 1;
    e->init_crb();
    e->init_erb();
    return l;
}

void FuzzLink::feed_frames(FuzzInput& in)
{
    // Frames as captured: a 16-bit length, then the frame's bytes. The own MAC and the UDP
    // checksum are put right first unless the input's mode byte said otherwise, so that the
    // fuzzer's changes reach the decoding behind them.
    const bool udp = prm.udp_mode != 0;
    uint8_t f[2048];
    for (int n = 0; n < 256 && in.remaining() >= 2; n++) {
        std::vector<uint8_t> bytes = in.chunk();
        const size_t len = bytes.size() < sizeof f ? bytes.size() : sizeof f;
        if (len)
            memcpy(f, bytes.data(), len);
        if (fix_up && len >= 6)
            memcpy(f, kOwnMac, 6);
        if (fix_up && udp && len > size_t(link_frame::kUdpChecksum) + 2)
            put16(f + link_frame::kUdpChecksum, CEthernet::Count_UDP_CS(f, int(len)));
        e.receive_frame(len ? f : nullptr, uint32_t(len), uint32_t(len));
    }
    uint32_t queued;
    {
        MutexLock g(e.eth_mtx1);
        queued = e.tr_write;
    }
    for (uint32_t i = 0; i < queued && i < 256; i++)
        e.GetMeaData(i);
    e.check_mea_errors();
    while (e.read_answ() == 1) {
    }
    while (e.read_err() == 1) {
    }
}
