// CEthernet: addresses, opening and closing the link, building and sending command frames.
#include "link/ethernet.h"

#include "config/parameters.h"
#include "platform/globals.h"
#include "link/byte_order.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

CEthernet eth;

namespace lf = link_frame;

CEthernet::CEthernet()
{
    memset(wlan_mac, 0, 6);
    memset(eth_mac, 0, 6);
    memset(emu_frame, 0, sizeof emu_frame);
    memset(emu_frame, 0xFF, 6);
    put_be16(emu_frame + 12, lf::kWiredProtocol);
    emu_frame[221] = 1;
    put_be16(emu_frame + 222, 1);
    memset(&cur_answer, 0, sizeof cur_answer);
    memset(&cur_error, 0, sizeof cur_error);
    memset(samples_, 0, sizeof samples_);
    eth_mtx1 = SDL_CreateMutex();
    eth_mtx2 = SDL_CreateMutex();
    eth_mtx3 = SDL_CreateMutex();
    eth_mtx4 = SDL_CreateMutex();
    eth_mtx5 = SDL_CreateMutex();
    send_mtx_ = SDL_CreateMutex();
    init_buffers(1);
}

CEthernet::~CEthernet()
{
    if (eth_Thread)
        kill_thread();
    if (handle) {
        handle->close();
        handle = nullptr;
    }
    delete env_transport_;
    for (SDL_mutex* m : {eth_mtx1, eth_mtx2, eth_mtx3, eth_mtx4, eth_mtx5, send_mtx_})
        SDL_DestroyMutex(m);
}

void CEthernet::set_transport(CLinkTransport* t) { transport_ = t; }

void CEthernet::set_link_word_a(uint32_t v)
{
    MutexLock g(eth_mtx4);
    ip_frame.link_word_a = v;
}

void CEthernet::set_sink(CMeaSink* s) { sink_ = s ? s : &default_sink_; }

CLinkTransport* CEthernet::transport()
{
    if (transport_)
        return transport_;
    if (!env_transport_)
        env_transport_ = new_transport_from_env();
    return env_transport_;
}

// ---- Byte order and addresses ----

short CEthernet::GetSwapShort(const unsigned char* data, int pos)
{
    return short(be16(data + pos));
}

int32_t CEthernet::GetSwapLong(const unsigned char* data, int pos)
{
    return int32_t(be32(data + pos));
}

void CEthernet::SetSwapCmd(unsigned char* buf, int pos, int n, int32_t value)
{
    if (n < 1 || n > 4)
        return;
    uint32_t v = uint32_t(value);
    for (int i = 0; i < n; i++)
        buf[pos + i] = uint8_t(v >> (8 * (n - 1 - i)));
}

int CEthernet::Str2Hex(const char* s, int len)
{
    if (!s || len < 1 || len > 8)
        return 0;
    uint32_t v = 0;
    for (int i = 0; i < len; i++) {
        char c = s[i];
        // As the device always did: digits below ':' and upper-case letters only.
        int d = c < ':' ? c - 48 : c - 55;
        v = v * 16 + uint32_t(d);
    }
    return int(v);
}

void CEthernet::SetAddress(unsigned char* buf, bool dest, const char* text)
{
    if (!buf || !text || strlen(text) < 17)
        return;
    unsigned char* out = dest ? buf : buf + 6;
    for (int i = 0; i < 6; i++)
        out[i] = uint8_t(Str2Hex(text + 3 * i, 2));
}

bool CEthernet::CompareMAC(const unsigned char* frame, bool dest, const unsigned char* mac)
{
    if (!frame || !mac)
        return false;
    return memcmp(dest ? frame : frame + 6, mac, 6) == 0;
}

unsigned short CEthernet::Count_UDP_CS(const unsigned char* frame, int len)
{
    return len > 0 ? udp_checksum(frame, size_t(len)) : 0;
}

// ---- Own addresses, opening and closing ----

int CEthernet::get_the_mac(const char* ifname, unsigned char* out)
{
    int r = transport()->own_mac(ifname, out);
    if (r < 0) {
        printf("Error:eth_init(): %d\n", r);
        return r;
    }
    printf("%s MAC: %2x:%2x:%2x:%2x:%2x:%2x\n", ifname, out[0], out[1], out[2], out[3], out[4],
           out[5]);
    return 0;
}

int CEthernet::eth_first_Init()
{
    get_the_mac("eth0", eth_mac);
    return get_the_mac("wlan0", wlan_mac);
}

int CEthernet::eth_Init()
{
    if (handle)
        return -7;
    const char* ifname;
    const uint8_t* mac;
    if (prm.wifi_link) {
        ifname = "wlan0";
        current_protocol = lf::kWirelessProtocol;
        mac = wlan_mac;
    } else {
        ifname = "eth0";
        current_protocol = lf::kWiredProtocol;
        mac = eth_mac;
    }
    {
        MutexLock g(eth_mtx4);
        memcpy(out_frame.src, mac, 6);
        memcpy(ip_frame.src, mac, 6);
        memcpy(emu_frame + 6, mac, 6);
        ip_frame.protocol_word = current_protocol;
    }
    printf("%s MAC: %2x:%2x:%2x:%2x:%2x:%2x\n", ifname, mac[0], mac[1], mac[2], mac[3], mac[4],
           mac[5]);
    CLinkTransport* t = transport();
    char errbuf[kLinkErrbufSize] = {0};
    if (t->open(ifname, errbuf) != 0) {
        printf("Error:pcap_open_live(): %s\n", errbuf);
        return -3;
    }
    {
        MutexLock g(send_mtx_);
        handle = t;
    }
    puts("PCAP is initiated");
    if (!eth_Thread) {
        init_buffers(0);
        receive_run = 1;
        eth_Thread = SDL_CreateThread(&CEthernet::eth_Collect, this);
    }
    puts("Ethernet thread is started");
    SDL_Delay(500);
    return 0;
}

void CEthernet::emulate_cu(bool on)
{
    if (on) {
        emulator_run = 1;
        receive_run = 0;
    } else {
        receive_run = 1;
        emulator_run = 0;
    }
}

void CEthernet::kill_thread()
{
    emulator_run = 0;
    receive_run = 0;
    if (!eth_Thread)
        return;
    // The thread may wait for a frame that never comes: wake it, then wait for its end.
    if (CLinkTransport* t = handle)
        t->wake();
    SDL_WaitThread(eth_Thread, nullptr);
    eth_Thread = nullptr;
    puts("Eth thread is killed by me!");
}

void CEthernet::eth_Close()
{
    emulator_run = 0;
    receive_run = 0;
    SDL_Delay(100);
    if (eth_Thread) {
        kill_thread();
        SDL_Delay(500);
    }
    puts("eth destructor: thread is down");
    {
        MutexLock g(send_mtx_);
        if (handle) {
            handle->close();
            handle = nullptr;
        }
    }
    SDL_Delay(500);
    puts("PCAP is closed");
}

// ---- Command frames ----

void CEthernet::build_command(uint8_t* f, bool udp, uint16_t pk, uint16_t cmd, uint16_t sub,
                              const uint32_t* args, const char* text, bool broadcast)
{
    memset(f, 0, lf::kCommandLen);
    {
        MutexLock g(eth_mtx4);
        if (udp) {
            memcpy(f, ip_frame.dst, 6);
            ip_frame.total_length = lf::kIpTotalLength;
            ip_frame.udp_length = lf::kUdpLength;
            ip_frame.Count_IP_HCS();
            ip_frame.write_headers(f);
        } else {
            memcpy(f, out_frame.dst, 6);
        }
        memcpy(f + 6, ip_frame.src, 6); // the own MAC always comes from the UDP template
    }
    if (broadcast)
        SetAddress(f, true, "FF:FF:FF:FF:FF:FF");
    if (!udp)
        put_be16(f + lf::kProtoRaw, lf::kWiredProtocol);
    int b = lf::cu_base(udp);
    put_be16(f + b + lf::kPacket, pk);
    put_be16(f + b + lf::kCommand, cmd);
    put_be16(f + b + lf::kSubCode, sub);
    if (text) {
        // The text and its zero must end before the trailer.
        size_t room = size_t(lf::kPadCount - (b + lf::kArgs)) - 1;
        size_t n = strnlen(text, room);
        memcpy(f + b + lf::kArgs, text, n);
    } else if (args) {
        for (int i = 0; i < 8; i++)
            put_be32(f + b + lf::kArgs + 4 * i, args[i]);
    }
    f[lf::kPadCount] = 0;
    f[lf::kLastFlag] = 1;
    put_be16(f + lf::kFrameNum, 1);
}

int CEthernet::send_numbered(uint8_t* f, int len, int number_at, bool udp, uint16_t* pk_out,
                             int fixed_pk)
{
    MutexLock g(send_mtx_);
    if (!handle)
        return -3;
    uint16_t pk = fixed_pk >= 0 ? uint16_t(fixed_pk) : c_pk_num;
    if (number_at >= 0) {
        put_be16(f + number_at, pk);
        if (udp)
            put_be16(f + lf::kUdpChecksum, Count_UDP_CS(f, len));
    }
    int r = handle->send(f, len);
    if (fixed_pk < 0)
        c_pk_num = uint16_t(pk + 1); // advances whether or not the frame left
    if (pk_out)
        *pk_out = pk;
    return r == 0 ? 0 : -1;
}

int CEthernet::send_command(uint16_t cmd, uint16_t sub, const uint32_t* args, const char* text,
                            bool broadcast, bool wait, bool delay)
{
    if (!handle)
        return -3;
    bool udp = prm.udp_mode != 0;
    uint8_t f[lf::kCommandLen];
    build_command(f, udp, 0, cmd, sub, args, text, broadcast);
    if (delay)
        SDL_Delay(10);
    uint16_t pk = 0;
    int r = send_numbered(f, lf::kCommandLen, lf::cu_base(udp) + lf::kPacket, udp, &pk);
    if (wait) // written only inside an awaited exchange (under eth_mtx5)
        last_pk_ = pk;
    if (r != 0)
        return r;
    return wait ? WaitAnswer(pk) : 0;
}

int CEthernet::SendBroadcast()
{
    if (!handle)
        return -3;
    MutexLock g(eth_mtx5);
    static const uint32_t zero[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    return send_command(0xFFFF, 0, zero, nullptr, true, true, true);
}

int CEthernet::cmd_inject(unsigned short cmd, unsigned short sub, uint32_t a1, uint32_t a2,
                          uint32_t a3, uint32_t a4, uint32_t a5, uint32_t a6, uint32_t a7,
                          uint32_t a8, bool wait, bool delay)
{
    if (!handle)
        return -3;
    const uint32_t args[8] = {a1, a2, a3, a4, a5, a6, a7, a8};
    if (!wait) // a frame that awaits nothing does not queue behind an exchange
        return send_command(cmd, sub, args, nullptr, false, false, delay);
    MutexLock g(eth_mtx5);
    return send_command(cmd, sub, args, nullptr, false, true, delay);
}

int CEthernet::SendStrCommand(short cmd, int sub, const char* text, bool wait)
{
    if (!handle)
        return -3;
    if (!wait)
        return send_command(uint16_t(cmd), uint16_t(sub), nullptr, text ? text : "", false,
                            false, true);
    MutexLock g(eth_mtx5);
    return send_command(uint16_t(cmd), uint16_t(sub), nullptr, text ? text : "", false, true,
                        true);
}

void CEthernet::send_note(uint16_t cmd, uint16_t sub, const uint32_t* args)
{
    send_command(cmd, sub, args, nullptr, false, false, false);
}

// ---- Learning the CU's addresses ----

void CEthernet::learn_cu_address(const uint8_t* f, uint32_t len, bool udp)
{
    MutexLock g(eth_mtx4);
    memcpy(out_frame.dst, f + 6, 6);
    memcpy(ip_frame.dst, f + 6, 6);
    if (udp && len >= 54) {
        ip_frame.link_word_b = be32(f + 50);
        ip_frame.dst_ip = be32(f + 26);
    }
}

// ---- Accessors of the frame being decoded ----

unsigned short CEthernet::GetProtocol() const
{
    return cur_frame_ ? be16(cur_frame_ + (cur_udp_ ? lf::kProtoUdp : lf::kProtoRaw)) : 0;
}
unsigned short CEthernet::GetPacketNum() const
{
    return cur_frame_ ? be16(cur_frame_ + lf::cu_base(cur_udp_) + lf::kPacket) : 0;
}
unsigned char CEthernet::GetComType() const
{
    return cur_frame_ ? cur_frame_[lf::cu_base(cur_udp_) + lf::kCommand] : 0;
}
unsigned char CEthernet::GetChannel() const
{
    return cur_frame_ ? cur_frame_[lf::cu_base(cur_udp_) + lf::kChannel] : 0;
}
unsigned short CEthernet::GetPrevPacketNum() const
{
    return cur_frame_ ? be16(cur_frame_ + lf::cu_base(cur_udp_) + lf::kSubCode) : 0;
}
const unsigned char* CEthernet::GetAnswerAddr() const
{
    return cur_frame_ ? cur_frame_ + lf::cu_base(cur_udp_) + lf::kArgs : nullptr;
}
