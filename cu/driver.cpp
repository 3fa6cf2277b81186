// The CU command set: one exchange per method, and the decoding of the answers.
#include "cu/driver.h"

#include "platform/globals.h"
#include "acquisition/acq_state.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/gps_display.h"
#include "dsp/rounding.h"
#include "files/radar_data.h"
#include "link/ethernet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CDriver gpr;

int simulation_mode = 0;
int global_mode = 0;

namespace {

constexpr uint16_t kDiscovery = 0xFFFF;
constexpr uint16_t kProbe = 0xFFFE;

// One command exchange and the reading of its answer. The link's exchange lock (recursive)
// is held from the time-out change to the last answer field read, so neither the time-out
// nor the current answer can be changed by another thread's exchange in between; the
// time-out always returns to the default.
class Exchange {
public:
    explicit Exchange(int32_t timeout = kDefaultAnswerTimeout) : lock_(eth.eth_mtx5)
    {
        eth.answer_timeout = timeout;
    }
    ~Exchange() { eth.answer_timeout = kDefaultAnswerTimeout; }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    int cmd(uint16_t code, uint16_t sub, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0,
            uint32_t a4 = 0, uint32_t a5 = 0, uint32_t a6 = 0, uint32_t a7 = 0, uint32_t a8 = 0)
    {
        return eth.cmd_inject(code, sub, a1, a2, a3, a4, a5, a6, a7, a8, true, true);
    }
    // Big-endian fields of the current answer's payload at byte k.
    uint32_t u32(int k) const
    {
        return static_cast<uint32_t>(CEthernet::GetSwapLong(eth.cur_answer.payload, k));
    }
    uint16_t u16(int k) const
    {
        return static_cast<uint16_t>(CEthernet::GetSwapShort(eth.cur_answer.payload, k));
    }
    const uint8_t* payload() const { return eth.cur_answer.payload; }

private:
    MutexLock lock_;
};

// One exchange without answer fields.
int simple(uint16_t code, uint16_t sub, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0,
           int32_t timeout = kDefaultAnswerTimeout)
{
    Exchange x(timeout);
    return x.cmd(code, sub, a1, a2, a3);
}

uint32_t sx(short v) { return static_cast<uint32_t>(static_cast<int32_t>(v)); }

// CU clock ticks per second (never 0, which would divide by zero).
double clock_hz() { return eep.clock_freq ? eep.clock_freq : 1000.0; }


} // namespace

// ---- Connection ----------------------------------------------------------------------------

int CDriver::cu_Open()
{
    const uint8_t saved_udp = prm.udp_mode;
    eth.eth_Init(); // -7 when already open: the link stays as it is
    bool was_on;
    {
        MutexLock g(lock_cuOn);
        was_on = pisOn;
    }
    if (!was_on) {
        bool found = false;
        for (int attempt = 0; attempt < 3 && !found; attempt++) {
            // An older CU answers in raw mode only: the last try is made without UDP.
            if (attempt == 2 && !prm.wifi_link)
                prm.udp_mode = 0;
            found = eth.SendBroadcast() == 0;
        }
        if (!found) {
            if (!prm.wifi_link)
                prm.udp_mode = saved_udp;
            return 0;
        }
        bool probed = false;
        {
            Exchange x(1000);
            for (int attempt = 0; attempt < 3 && !probed; attempt++)
                probed = x.cmd(kProbe, 0) == 0;
        }
        if (!probed)
            return 0;
    }
    bool versions_read = false;
    for (int attempt = 0; attempt < 3 && !versions_read; attempt++)
        versions_read = GetVersions() == 0;
    if (!versions_read)
        return 0;
    const int result = (was_on && identity() != prev_id) ? 0 : 1;
    prev_id = identity();
    return result;
}

// ---- Acquisition set-up ----------------------------------------------------------------------

int CDriver::SetSamples(unsigned short n)
{
    printf("Set number of file samples %d\n", n);
    return simple(1, 0, n);
}

int CDriver::SetStacks(unsigned short n)
{
    int r = simple(2, 0, n, 0, 0, 500);
    printf("set stacks %d %d\n", n, r);
    return r;
}

int CDriver::SetSigPos(unsigned short p) { return simple(3, 0, p, 0, 0, 500); }

int CDriver::SetTriggSrc(short s, unsigned char src, int32_t v)
{
    return simple(5, static_cast<uint16_t>(s), src, static_cast<uint32_t>(v));
}

int CDriver::SetTriggCond(short s, int32_t v)
{
    return simple(6, static_cast<uint16_t>(s), static_cast<uint32_t>(v));
}

int CDriver::SetTriggMode(short s, short a, short b)
{
    return simple(7, static_cast<uint16_t>(s), sx(a), sx(b));
}

int CDriver::SetMeasDir(short s, int32_t d)
{
    return simple(8, static_cast<uint16_t>(s), static_cast<uint32_t>(d));
}

int CDriver::SetWheelPos(short s, short a, int32_t v)
{
    return simple(9, static_cast<uint16_t>(s), sx(a), static_cast<uint32_t>(v));
}

int CDriver::SetTimePos(short a, int32_t v)
{
    return simple(10, 0, sx(a), static_cast<uint32_t>(v));
}

int CDriver::EnableWheel(short s) { return simple(22, static_cast<uint16_t>(s), 1); }
int CDriver::DisableWheel(short s) { return simple(22, static_cast<uint16_t>(s), 0); }

int CDriver::SetAutoStacks(unsigned char a, unsigned short b)
{
    Exchange x;
    int r = x.cmd(40, 0, a, b);
    if (r)
        return r;
    printf("astacks: %d %d %d\n", a, b, static_cast<int>(x.u32(0)));
    return 0;
}

int CDriver::SetMode()
{
    printf("set mode: %d %d\n", simulation_mode, global_mode);
    return simple(100, 0, static_cast<uint32_t>(simulation_mode),
                  static_cast<uint32_t>(global_mode), 0, 20000);
}

int CDriver::SetNumRuns(unsigned char n) { return simple(104, 0, n, 0, 0, 500); }
int CDriver::SetDelayAdjust(uint32_t d) { return simple(105, 0, d, 0, 0, 500); }
int CDriver::Set_DUO_Channel(unsigned short c) { return simple(107, 0, c); }
int CDriver::WriteParameters(uint32_t a) { return simple(124, 0, a, 0, 0, 500); }
int CDriver::SetTFreqDivider(uint32_t d) { return simple(129, 0, d, 0, 0, 500); }
int CDriver::SetAntennaSeparation(uint32_t s) { return simple(190, 0, s); }
int CDriver::SetClippedSamples(uint32_t n) { return simple(192, 0, n); }
int CDriver::SetZeroLevel(int32_t z) { return simple(194, 0, static_cast<uint32_t>(z)); }

int CDriver::USA_SetSamples(unsigned short n)
{
    printf("Set USA number of samples %d\n", n);
    return simple(65, 0, 52, n, 0, 500);
}

int CDriver::Set_SRAM(unsigned short v) { return simple(65, 0, 211, v); }

int CDriver::Set_Pattern(int fixed, uint32_t p)
{
    return fixed ? simple(65, 0, 620, 0) : simple(65, 0, 600, p);
}

int CDriver::SelectMemory(int type)
{
    if (type != 1 && type != 2)
        return 0;
    return simple(96, 0, 80, static_cast<uint32_t>(type), static_cast<uint32_t>(type - 1));
}

int CDriver::SD_Enable(bool on)
{
    Exchange x(2000);
    int r = x.cmd(221, 0, on ? 1 : 0);
    return r ? r : static_cast<int>(x.u32(0));
}

// ---- Measurement ------------------------------------------------------------------------------

int CDriver::m_Start()
{
    eth.init_buffers(0);
    Exchange x;
    if (x.cmd(12, 0) != 0)
        return 1000;
    const uint32_t s = x.u32(0), c = x.u32(4);
    if (s == 0)
        return 0;
    if (s == 3)
        return static_cast<int>(std::min<uint32_t>(c, 999));
    return static_cast<int>(s + 1000);
}

int CDriver::mStop(uint32_t* a, uint32_t* b, int* c)
{
    Exchange x(2000);
    if (x.cmd(13, 0) != 0)
        return 1000;
    if (a)
        *a = x.u32(0);
    if (b)
        *b = x.u32(4);
    if (c)
        *c = static_cast<int>(x.u32(8));
    return 0;
}

int CDriver::m_Trigg(uint32_t timeout, int s)
{
    eth.init_buffers(0);
    Exchange x(static_cast<int32_t>(std::min<uint32_t>(timeout, 0x7FFFFFFF)));
    int r = x.cmd(14, static_cast<uint16_t>(s));
    if (r)
        return r;
    const uint16_t v = x.u16(0);
    return v == 0 ? 0 : v + 1000;
}

int CDriver::Reset_P() { return simple(16, 0, 1); }

int CDriver::GetMissedBlock(int first, int last)
{
    eth.reset_resent_count();
    Exchange x(1000);
    int r = x.cmd(212, 0, static_cast<uint32_t>(first), static_cast<uint32_t>(last));
    return r ? r : x.u16(0);
}

// ---- Readings ---------------------------------------------------------------------------------

int32_t CDriver::GetWheelPos(int s)
{
    Exchange x;
    x.cmd(58, static_cast<uint16_t>(s));
    return static_cast<int32_t>(x.u32(0));
}

int CDriver::GetTimePos()
{
    Exchange x;
    int r = x.cmd(59, 0);
    if (r)
        return r;
    return mrnd(x.u32(0) / clock_hz() * 1000.0);
}

int64_t CDriver::Get_CU_Clock_Freq()
{
    Exchange x;
    if (x.cmd(59, 0) != 0)
        return -1;
    return x.u32(8);
}

int64_t CDriver::Get_ADC_Freq()
{
    Exchange x;
    if (x.cmd(120, 0) != 0)
        return -1;
    return x.u32(8);
}

int CDriver::GetADC(unsigned short v[6])
{
    Exchange x;
    if (x.cmd(51, 0) != 0)
        return -1;
    for (int i = 0; i < 6; i++)
        v[i] = x.u16(2 * i);
    return 0;
}

int CDriver::GetInitErrors(unsigned short v[15])
{
    Exchange x;
    if (x.cmd(160, 0) != 0)
        return -1;
    for (int i = 0; i < 15; i++)
        v[i] = x.u16(2 * i);
    return 0;
}

uint32_t CDriver::GetAntennaID(uint32_t* serial)
{
    Exchange x;
    x.cmd(76, 0);
    if (serial)
        *serial = x.u32(4);
    return x.u32(0);
}

int CDriver::SetAntennaID(uint32_t id, uint32_t serial) { return simple(43, 0, 3, id, serial); }

int CDriver::GetVersions()
{
    Exchange x;
    int r = x.cmd(61, 0, 1);
    if (r)
        return r;
    std::lock_guard<std::mutex> g(identity_m);
    for (int i = 0; i < 6; i++)
        versions[i] = x.u32(4 * i);
    return 0;
}

int CDriver::Set_HW_Versions()
{
    Exchange x;
    return x.cmd(43, 0, 2, versions[2], versions[3], versions[4], versions[5]);
}

namespace {
int read_version(uint32_t selector, uint32_t& into, std::mutex& m)
{
    Exchange x;
    int r = x.cmd(61, 0, selector);
    if (r == 0) {
        std::lock_guard<std::mutex> g(m);
        into = x.u32(0);
    }
    return r;
}
} // namespace

int CDriver::Get_USA_FPGA_Version() { return read_version(60, usa_fpga_version, identity_m); }
int CDriver::Get_USA_PIC_Version() { return read_version(70, usa_pic_version, identity_m); }
int CDriver::Get_Our_FPGA_Version() { return read_version(90, our_fpga_version, identity_m); }

int CDriver::GetWiFiButtonState()
{
    Exchange x;
    int r = x.cmd(65, 0, 304);
    return r ? r : static_cast<int>(x.u32(0));
}

int CDriver::ReadParameters()
{
    const bool udp = prm.udp_mode != 0;
    {
        Exchange x;
        if (x.cmd(125, 0, 1) != 0)
            return -1;
        eep.runs = static_cast<uint8_t>(x.u32(0));
        eep.cu_word = static_cast<int16_t>(~x.u32(4) & 0xFFFF);
        eep.freq_index = 4;
        for (int i = 0; i < 8; i++) {
            if (static_cast<uint32_t>(trans_freq[i]) / 1000 == x.u32(8) / 1000) {
                eep.freq_index = i;
                break;
            }
        }
        eep.clipped = static_cast<uint8_t>(x.u32(12));
        eep.ant_separation = static_cast<float>(x.u32(16)) / 1000.0f;
        eep.cu_aux = static_cast<int16_t>(x.u32(20));
        eep.cu_samples = static_cast<int16_t>(x.u32(24));
        eep.auto_stack_value = static_cast<int16_t>(x.u32(28));
        eep.tz_sample = static_cast<int16_t>(x.u32(32));
        eep.samples = udp ? static_cast<uint16_t>(x.u32(40)) : eep.current_antenna().samples_in_file;
    }

    // A CU that keeps fewer samples than it clips has no usable setting either.
    if (eep.cu_samples > 1 && eep.runs > 1 && eep.cu_samples > eep.clipped) {
        const int file = eep.samples;
        if (file <= 99 || eep.cu_samples < eep.clipped + file) {
            eep.samples = static_cast<uint16_t>(eep.cu_samples - eep.clipped);
            if (eep.samples != file) {
                if (udp) {
                    SetSamples(eep.samples);
                    WriteParameters(0);
                } else {
                    eep.current_antenna().samples_in_file = eep.samples;
                    xml_pars.write_xml_tree();
                }
            }
        }
        printf("Reading from CU: USA smp=%d; file_smp=%d; clipped=%d\n", eep.cu_samples,
               eep.samples, eep.clipped);
        return 0;
    }

    eep.clipped = 0;
    eep.cu_samples = 1000;
    eep.samples = 1000;
    eep.runs = 20;
    SetClippedSamples(0);
    SetNumRuns(20);
    if (udp) {
        USA_SetSamples(1000);
        SetSamples(1000);
    } else {
        SetSamples(1000);
        eep.current_antenna().samples_in_file = 1000;
        xml_pars.write_xml_tree();
    }
    WriteParameters(0);
    return 1;
}

// ---- GPS of the antenna ---------------------------------------------------------------------

int CDriver::GPS_Connect(int on, int a, int b)
{
    int r;
    uint16_t v = 0;
    {
        Exchange x(2000);
        r = x.cmd(43, 0, 10, static_cast<uint32_t>(on), static_cast<uint32_t>(a),
                  static_cast<uint32_t>(b));
        if (r == 0)
            v = x.u16(0);
    }
    if (on == 0) {
        MutexLock g(lock3);
        can_GPS_Show = 4;
        snprintf(gps_str_01, sizeof gps_str_01, " ");
        gps_qi = -1;
    }
    return r ? r : v;
}

int CDriver::SetGPSPars(uint32_t v) { return simple(96, 0, 60, 5, v); }
int CDriver::SetGPSRate(uint32_t r) { return simple(96, 0, 60, 103, r); }

int CDriver::Set_GPS_SBAS_Pars(unsigned char a, unsigned char b, unsigned char c,
                               unsigned char d, uint32_t e)
{
    Exchange x;
    return x.cmd(96, 0, 60, 105, a, b, c, d, e);
}

int CDriver::GetGPSString(char* out)
{
    // With the link closed nothing is asked and the caller's text (which the receiving
    // thread may have gathered) stays as it is.
    if (!eth.handle)
        return -3;
    out[0] = 0;
    Exchange x;
    eth.reset_ring();
    int r = x.cmd(130, 0);
    if (r)
        return r;

    uint32_t pos, end;
    eth.exchange_data(pos, end);
    size_t have = 0;
    int result = 0;
    CElementWalk w(eth, pos, end);
    while (w.pos != w.end) {
        if (w.read() != 0) {
            result = -4;
            break;
        }
        const uint32_t body = w.body_len();
        if (w.tag() == link_element::kTagGpsText) {
            if (have + (w.len - 2) >= kGpsStringSize) {
                printf("gps_buf[] tries to be overflowed! (%d)\n", static_cast<int>(w.len - 2));
            } else {
                eth.ring_read(w.body(), reinterpret_cast<uint8_t*>(out) + have, body);
                have += body;
            }
        } else if (w.tag() == link_element::kTagGpsUbx && rdr.gps_test.test_log && rdr.gps_test.raw_fd >= 0) {
            // The positioning test keeps the receiver's binary messages in its raw log.
            uint8_t chunk[512];
            bool written = true;
            for (uint32_t done = 0; done < body && written;) {
                const uint32_t n = std::min<uint32_t>(body - done, sizeof chunk);
                eth.ring_read(w.body() + done, chunk, n);
                written = rdr.gps_test.gps_add_raw(chunk, n) == 0;
                done += n;
            }
            if (!written) {
                result = -2;
                break;
            }
        }
        const int next = w.next();
        if (next == 0)
            break;
        if (next < 0) {
            thError5 = true; // the element after the GPS text cannot be passed
            break;
        }
    }
    // GPS text is NMEA: a zero byte inside it would cut it short, nothing more.
    out[have] = 0;
    if (result)
        return result;
    return static_cast<int>(have) + 1;
}

// ---- Power and tests --------------------------------------------------------------------------

int CDriver::Switch_Off_CU() { return simple(65, 0, 7); }

int CDriver::Init_USA_board()
{
    Exchange x(2000);
    int r = x.cmd(65, 0, 70);
    return r ? r : x.u16(0);
}

uint32_t CDriver::TestSRAM(unsigned char bank, unsigned char& out)
{
    Exchange x;
    if (x.cmd(65, 0, 11, 0x2080000, 0x80000, bank, 1) != 0)
        return kSramTestFailed;
    out = static_cast<unsigned char>(x.u32(4) & 0xFF);
    return x.u32(0);
}

int CDriver::TestFPGA(unsigned short pattern, unsigned short tmin, unsigned short tmax, int& e1,
                      int& e2, int& e3, int& e4)
{
    e1 = e2 = e3 = e4 = 0;
    for (uint32_t i = 9500; i <= 9999; i++) {
        Exchange x;
        int r = x.cmd(65, 0, 104, i, pattern);
        if (r) {
            e1 = r;
            e2 = static_cast<int>(i);
            return -5;
        }
        if (x.u16(0) != 0) {
            e1 = x.u16(2);
            e2 = x.u16(4);
            e3 = x.u16(6);
            return -6;
        }
    }

    const int saved_sim = simulation_mode, saved_global = global_mode;
    const bool udp = prm.udp_mode != 0;
    simulation_mode = 2;
    global_mode = 0;
    SetMode();
    SetNumRuns(20);
    SetClippedSamples(0);
    if (udp)
        USA_SetSamples(2000);
    SetSamples(2000);

    int result;
    {
        Exchange x(4000);
        int r = x.cmd(65, 0, 105, pattern);
        if (r) {
            e1 = r;
            result = -10;
        } else {
            const uint32_t g = x.u32(0), h = x.u32(4), l = x.u32(16), m = x.u32(20);
            printf("FPGA Test: %X %d %d %d\n", g, static_cast<int>(h), static_cast<int>(l),
                   static_cast<int>(m));
            if (g != 0) {
                e1 = static_cast<int>(g);
                e2 = static_cast<int>(h);
                if (g == 1638) {
                    e3 = static_cast<int>(l);
                    e4 = static_cast<int>(m);
                }
                result = -11;
            } else {
                const int t = mrnd(x.u32(12) / clock_hz() * 1000.0);
                printf("ttime: %d\n", t);
                if (t < tmin || t > tmax) {
                    e1 = t;
                    e2 = (tmin + tmax) / 2;
                    result = -12;
                } else {
                    result = 0;
                }
            }
        }
    }

    simulation_mode = saved_sim;
    global_mode = saved_global;
    SetMode();
    SetNumRuns(eep.runs);
    SetClippedSamples(eep.clipped);
    if (udp) {
        USA_SetSamples(static_cast<unsigned short>(eep.cu_samples));
        SetSamples(eep.samples);
    } else {
        SetSamples(static_cast<unsigned short>(eep.cu_samples));
    }
    return result;
}

// ---- WiFi module of the CU --------------------------------------------------------------------

int CDriver::WiFi_Send_Cmd(const char* text, char* reply, uint32_t timeout)
{
    memset(reply, 0, 5);
    Exchange x(static_cast<int32_t>(std::min<uint32_t>(timeout, 0x7FFFFFFF)));
    int r = eth.SendStrCommand(195, 0, text, true);
    if (r)
        return r;
    const uint8_t* p = x.payload();
    size_t n = 0;
    while (n < 5 && p[n]) {
        reply[n] = static_cast<char>(p[n]);
        n++;
    }
    reply[n] = 0;
    return 0;
}

int CDriver::WiFi_Wire_Init(const char* text, uint32_t a, uint32_t b, uint32_t& o1,
                            uint32_t& o2, uint32_t& o3, uint32_t& o4, uint32_t& o5)
{
    o1 = o2 = o3 = 0;
    uint8_t t[24] = {};
    for (size_t i = 0; i < sizeof t && text && text[i]; i++)
        t[i] = static_cast<uint8_t>(text[i]);
    uint32_t w[6];
    for (int k = 0; k < 6; k++)
        w[k] = uint32_t(t[4 * k]) << 24 | uint32_t(t[4 * k + 1]) << 16 |
               uint32_t(t[4 * k + 2]) << 8 | t[4 * k + 3];
    Exchange x(40000);
    int r = x.cmd(220, 0, w[0], w[1], w[2], w[3], w[4], w[5], a, b);
    if (r)
        return r;
    o1 = x.u32(0);
    o2 = x.u32(4);
    o3 = x.u32(8);
    o4 = x.u32(12);
    o5 = x.u32(16);
    return 0;
}
