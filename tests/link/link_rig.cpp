#include "link_rig.h"

#include <cstring>
#include <string>

const uint8_t kEth0Mac[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x01};
const uint8_t kWlan0Mac[6] = {0x02, 0x00, 0x5E, 0x10, 0x00, 0x02};
const uint8_t kCuMac[6] = {0x02, 0xC0, 0xFF, 0xEE, 0x00, 0x07};

uint16_t rfc1071(const Bytes& b)
{
    uint64_t sum = 0;
    for (size_t i = 0; i < b.size(); i++)
        sum += (i % 2 == 0) ? uint64_t(b[i]) << 8 : b[i];
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum & 0xFFFF);
}

uint16_t reference_udp_checksum(const Bytes& f)
{
    Bytes pseudo(f.begin() + 26, f.begin() + 34); // addresses
    pseudo.push_back(0);
    pseudo.push_back(17);
    pseudo.push_back(f[38]);
    pseudo.push_back(f[39]);
    Bytes seg(f.begin() + 34, f.end());
    seg[6] = seg[7] = 0;
    pseudo.insert(pseudo.end(), seg.begin(), seg.end());
    return rfc1071(pseudo);
}

static void be16w(Bytes& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
static void be32w(Bytes& b, size_t at, uint32_t v)
{
    be16w(b, at, uint16_t(v >> 16));
    be16w(b, at + 2, uint16_t(v));
}

Bytes CuFrame::build() const
{
    size_t hdr = udp ? 60 : 20;
    size_t trailer = block ? 3 : 4;
    Bytes f(hdr + payload.size() + trailer, 0);
    memcpy(f.data(), dst, 6);
    memcpy(f.data() + 6, src, 6);
    size_t b = udp ? 40 : 0;
    if (udp) {
        be16w(f, 12, 0x0800);
        f[14] = 0x45;
        be16w(f, 16, uint16_t(f.size() - 14));
        f[22] = 64;
        f[23] = 17;
        be32w(f, 26, cu_ip);
        be32w(f, 30, 0xC0A80101);
        be16w(f, 34, 1365);
        be16w(f, 36, 1365);
        be16w(f, 38, uint16_t(f.size() - 34));
        be16w(f, 42, protocol);
        be16w(f, 44, 0x5501);
        be32w(f, 50, link_b);
    } else {
        be16w(f, 12, protocol);
    }
    be16w(f, b + 14, packet);
    f[b + 16] = kind;
    f[b + 17] = channel;
    be16w(f, b + 18, answered);
    memcpy(f.data() + hdr, payload.data(), payload.size());
    size_t end = f.size();
    if (!block)
        f[end - 4] = pad;
    f[end - 3] = last;
    be16w(f, end - 2, frame);
    if (udp) {
        uint16_t cs = reference_udp_checksum(f);
        be16w(f, 40, bad_checksum ? uint16_t(cs ^ 0x5A5A) : cs);
    }
    return f;
}

Bytes block_payload(uint32_t block, uint8_t type, uint32_t trace, uint16_t pad, uint16_t part,
                    const Bytes& data)
{
    Bytes p(512, 0);
    be32w(p, 0, block);
    p[7] = type;
    be32w(p, 8, trace);
    be16w(p, 12, pad);
    be16w(p, 14, part);
    memcpy(p.data() + 16, data.data(), data.size() < 496 ? data.size() : 496);
    return p;
}

bool parse_command(const Bytes& f, SentCommand* c)
{
    if (f.size() < 52)
        return false;
    c->udp = f[12] == 0x08 && f[13] == 0x00;
    size_t b = c->udp ? 40 : 0;
    auto rd16 = [&](size_t i) { return uint16_t(f[i] << 8 | f[i + 1]); };
    c->packet = rd16(b + 14);
    c->cmd = rd16(b + 16);
    c->sub = rd16(b + 18);
    for (int i = 0; i < 8; i++)
        c->args[i] = uint32_t(rd16(b + 20 + 4 * i)) << 16 | rd16(b + 22 + 4 * i);
    return true;
}

int RecordingSink::trace(const CMeaTrace& t)
{
    traces.push_back(t);
    samples.emplace_back(t.samples, t.samples + t.count);
    traces.back().samples = nullptr;
    return trace_result;
}

LinkRig::LinkRig() : link(new CEthernet), saved_prm(prm), saved_eep(eep)
{
    memcpy(wire.eth0_mac, kEth0Mac, 6);
    memcpy(wire.wlan0_mac, kWlan0Mac, 6);
    link->set_transport(&wire);
    link->set_sink(&sink);
    wire.on_send = [this](const Bytes& f) {
        SentCommand c;
        if (!respond || !parse_command(f, &c))
            return;
        for (const Bytes& a : respond(c, f))
            wire.inject(a);
    };
}

LinkRig::~LinkRig()
{
    link->kill_thread();
    if (link->handle) {
        link->handle->close();
        link->handle = nullptr;
    }
    wire.on_send = nullptr;
    prm = saved_prm;
    eep = saved_eep;
}

void LinkRig::open(bool udp, bool wifi)
{
    prm.udp_mode = udp;
    prm.wifi_link = wifi;
    link->eth_first_Init();
    link->eth_Init();
    // Generous for machines under load; tests of the time-out set their own.
    link->answer_timeout = 1000;
}

void LinkRig::feed(const Bytes& f)
{
    wire.inject(f);
    wire.wait_idle();
}

std::vector<Bytes> LinkRig::slice(const std::vector<Bytes>& v, size_t from)
{
    return from >= v.size() ? std::vector<Bytes>() : std::vector<Bytes>(v.begin() + long(from), v.end());
}
