// cusim: a simulated radar control unit on a Unix datagram socket or a real interface.
#include "sim/cu/device.h"
#include "sim/cu/service_sim.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

using namespace cusim;

namespace {

// --record: every frame sent goes to the file as well (the fuzz targets' seed frames).
class RecordPort : public Port {
public:
    RecordPort(std::unique_ptr<Port> inner, FILE* f) : inner_(std::move(inner)), f_(f) {}
    ~RecordPort() override { std::fclose(f_); }
    bool send(const uint8_t* frame, size_t len) override
    {
        const uint8_t head[2] = {uint8_t(len >> 8), uint8_t(len)};
        if (len <= 0xFFFF) {
            std::fwrite(head, 1, 2, f_);
            std::fwrite(frame, 1, len, f_);
            std::fflush(f_);
        }
        return inner_->send(frame, len);
    }
    int receive(uint8_t* buf, size_t cap, int timeout_ms) override { return inner_->receive(buf, cap, timeout_ms); }
    void set_send_patience(int ms) override { inner_->set_send_patience(ms); }
    bool own_mac(Mac& out) const override { return inner_->own_mac(out); }
    uint16_t reply_protocol() const override { return inner_->reply_protocol(); }

private:
    std::unique_ptr<Port> inner_;
    FILE* f_;
};

std::unique_ptr<Port> record_port(std::unique_ptr<Port> inner, const std::string& path, std::string& error)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path;
        return nullptr;
    }
    return std::make_unique<RecordPort>(std::move(inner), f);
}

volatile sig_atomic_t g_stop = 0;
void on_signal(int) { g_stop = 1; }

double monotonic()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

const char kUsage[] =
    "usage: cusim --link unix:PATH|pcap:IFACE [options]\n"
    "  --truth FILE          write every trace produced (ground truth, see sim/cu/README.md)\n"
    "  --scene FILE          subsurface scene description (default: the built-in survey scene)\n"
    "  --seed N              seed of the scene, its noise and the random faults\n"
    "  --mac MAC --ip ADDR   the CU's addresses (default: interface MAC / 02:C5:00:00:00:01, 192.168.1.2)\n"
    "  --word-b X            link word B taught to the monitor at discovery\n"
    "  --wifi                answer with the wireless protocol word 0x5557\n"
    "  --wifi-switch N       position of the antenna's WiFi switch (65/304): 1 WiFi, 0 wire\n"
    "  --wlan-link LINK      also serve the monitor's wlan0 on LINK (answered with 0x5557)\n"
    "  --program-version X   first version word (default 0x30005012; <= 0x30004FFF: old raw protocol)\n"
    "  --antenna-id N --serial N\n"
    "  --speed M_PER_S       cart speed (default 1.0)\n"
    "  --path SEGMENTS       cart path, signed metres, e.g. +20,-3,+15 (default: ahead for ever)\n"
    "  --wheel-cal P         wheel pulses per metre (default 500)\n"
    "  --cart FILE           control file read at each measurement start: the run's start point,\n"
    "                        heading, speed and path over the site (see sim/cu/README.md)\n"
    "  --idle-path SEGMENTS  the cart's run after each wheel reset outside a measurement\n"
    "                        (a calibration run), signed metres at --speed\n"
    "  --flat-out            send traces as fast as the link takes (benchmarks)\n"
    "  --max-rate N          traces per second the sampler manages (default: from its parameters)\n"
    "  --send-patience MS    how long a send waits while the link is full before the frame is lost\n"
    "                        (default 20, flat out 2000)\n"
    "  --first-trace N       the CU's trace counter continues from N (traces N+1, N+2, ...)\n"
    "  --no-card             no usable memory card: 221 and 212 answer 1, nothing is resent\n"
    "  --frame-payload N     payload bytes per raw-mode data frame (default 1400)\n"
    "  --gps-rate HZ         GPS fixes per second during a measurement (default 1, 0 = none)\n"
    "  --gps-nofix           the GPS receiver has no position (GGA without a fix)\n"
    "  --command-log FILE    one line per command received: code sub raw|udp packet a1..a8 [text]\n"
    "  --record FILE         every frame sent, as a 16-bit big-endian length and the frame's bytes\n"
    "  --samples N --cu-samples N --clipped N --runs N --auto-stacks N   stored CU parameters\n"
    "  --off-time S          seconds the CU stays off after the switch-off command (default 3)\n"
    "  --error-packet-order le|be   byte order of the answered packet number in error reports\n"
    "  --fault LIST          inject a fault (repeatable); see sim/cu/README.md\n"
    "  --firmware-dir DIR    record each accepted firmware upload as DIR/firmware-TYPE.bin\n"
    "  --refuse-upload CODE[@N]  the bootloader answers every upload (or the N-th) with error CODE\n"
    "  --demo N              no link: write one measurement of N traces (2 cm apart) to --truth\n"
    "  --verbose, -v         log more (twice: every command)\n";

bool number(const char* s, double& v)
{
    char* end = nullptr;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) v = double(std::strtoull(s, &end, 16));
    else v = std::strtod(s, &end);
    return end && end != s && *end == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    DeviceConfig cfg;
    std::string link, wlan_link, truth, command_log, record, error;
    long demo = 0;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (int i = 1; i < argc; ++i) {
        const std::string o = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) { std::fprintf(stderr, "cusim: %s needs a value\n", o.c_str()); std::exit(2); }
            return argv[++i];
        };
        auto num = [&](double lo, double hi) {
            const char* s = value();
            double v;
            if (!number(s, v) || v < lo || v > hi) {
                std::fprintf(stderr, "cusim: bad value for %s: %s\n", o.c_str(), s);
                std::exit(2);
            }
            return v;
        };
        if (o == "--link") link = value();
        else if (o == "--wlan-link") wlan_link = value();
        else if (o == "--demo") demo = long(num(1, 1e7));
        else if (o == "--truth") truth = value();
        else if (o == "--scene") {
            if (!cfg.scene.load(value(), error)) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 2; }
        } else if (o == "--seed") cfg.scene.seed = uint32_t(num(0, 4294967295.0));
        else if (o == "--mac") {
            if (!parse_mac(value(), cfg.mac)) { std::fprintf(stderr, "cusim: bad MAC\n"); return 2; }
            cfg.mac_given = true;
        } else if (o == "--ip") {
            if (!parse_ipv4(value(), cfg.ip)) { std::fprintf(stderr, "cusim: bad IPv4 address\n"); return 2; }
        } else if (o == "--word-b") cfg.word_b = uint32_t(num(0, 4294967295.0));
        else if (o == "--wifi") cfg.reply_protocol = kProtoWireless;
        else if (o == "--wifi-switch") cfg.wifi_switch = uint32_t(num(0, 4294967295.0));
        else if (o == "--program-version") cfg.versions[0] = cfg.versions[1] = uint32_t(num(0, 4294967295.0));
        else if (o == "--antenna-id") cfg.antenna_id = uint32_t(num(0, 4294967295.0));
        else if (o == "--serial") cfg.antenna_serial = uint32_t(num(0, 4294967295.0));
        else if (o == "--speed") cfg.cart_speed = num(0, 100);
        else if (o == "--path" || o == "--idle-path") {
            const char* s = value();
            if (!parse_path(s, o == "--path" ? cfg.cart_path : cfg.idle_path)) {
                std::fprintf(stderr, "cusim: bad path %s\n", s);
                return 2;
            }
        } else if (o == "--cart") cfg.cart_file = value();
        else if (o == "--wheel-cal") cfg.wheel_calibration = num(1, 1e6);
        else if (o == "--flat-out") cfg.flat_out = true;
        else if (o == "--max-rate") cfg.max_rate = num(0, 1e7);
        else if (o == "--send-patience") cfg.send_patience_ms = int(num(0, 60000));
        else if (o == "--first-trace") cfg.first_trace = uint32_t(num(0, 1999999));
        else if (o == "--no-card") cfg.card = false;
        else if (o == "--frame-payload") cfg.frame_payload = size_t(num(64, 1440));
        else if (o == "--gps-rate") cfg.gps_rate = num(0, 50);
        else if (o == "--gps-nofix") cfg.gps_fix = false;
        else if (o == "--command-log") command_log = value();
        else if (o == "--firmware-dir") cfg.firmware_dir = value();
        else if (o == "--refuse-upload") {
            // CODE or CODE@N: every upload, or only the N-th, is answered with error CODE.
            const std::string v = value();
            const size_t at = v.find('@');
            double code = 0, nth = 0;
            if (!number(v.substr(0, at).c_str(), code) || code < 1 || code > 65535 ||
                (at != std::string::npos && (!number(v.substr(at + 1).c_str(), nth) || nth < 1))) {
                std::fprintf(stderr, "cusim: bad value for --refuse-upload: %s\n", v.c_str());
                return 2;
            }
            cfg.refuse_upload = uint16_t(code);
            cfg.refuse_upload_nth = uint64_t(nth);
        }
        else if (o == "--record") record = value();
        else if (o == "--samples") cfg.params.file_samples = uint32_t(num(1, 8192));
        else if (o == "--cu-samples") cfg.params.cu_samples = uint32_t(num(1, 8192));
        else if (o == "--clipped") cfg.params.clipped = uint32_t(num(0, 1024));
        else if (o == "--runs") cfg.params.runs = uint32_t(num(1, 255));
        else if (o == "--auto-stacks") cfg.params.auto_stack_value = uint32_t(num(0, 32767));
        else if (o == "--off-time") cfg.off_seconds = num(0, 3600);
        else if (o == "--error-packet-order") {
            const std::string v = value();
            if (v != "le" && v != "be") { std::fprintf(stderr, "cusim: le or be\n"); return 2; }
            cfg.error_packet_le = v == "le";
        } else if (o == "--fault") {
            if (!cfg.faults.add(value(), error)) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 2; }
        } else if (o == "--verbose" || o == "-v") ++cfg.verbose;
        else if (o == "--help" || o == "-h") { std::fputs(kUsage, stdout); return 0; }
        else { std::fprintf(stderr, "cusim: unknown option %s\n%s", o.c_str(), kUsage); return 2; }
    }
    if (demo > 0) {   // no link: one measurement straight into the ground truth
        struct NullPort : Port {
            bool send(const uint8_t*, size_t) override { return false; }
            int receive(uint8_t*, size_t, int) override { return 0; }
        } null_port;
        cfg.gps_rate = 0;
        Device dev(cfg, null_port);
        if (truth.empty() || !dev.open_truth(truth, error)) {
            std::fprintf(stderr, "cusim: --demo needs --truth FILE %s\n", error.c_str());
            return 2;
        }
        dev.run_demo(uint32_t(demo), int32_t(std::lround(0.02 * cfg.wheel_calibration)));
        return 0;
    }
    if (link.empty()) { std::fputs(kUsage, stderr); return 2; }

    auto port = open_port(link, error);
    if (!port) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 1; }
    if (!wlan_link.empty()) {   // the monitor's access point: a second link to the same CU
        auto wlan = open_port(wlan_link, error);
        if (!wlan) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 1; }
        port = dual_port(std::move(port), std::move(wlan));
    }
    if (!record.empty()) {
        port = record_port(std::move(port), record, error);
        if (!port) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 1; }
    }
    port->set_send_patience(cfg.send_patience_ms >= 0 ? cfg.send_patience_ms : cfg.flat_out ? 2000 : 20);
    Device dev(cfg, *port);
    if (!truth.empty() && !dev.open_truth(truth, error)) { std::fprintf(stderr, "cusim: %s\n", error.c_str()); return 1; }
    if (!command_log.empty() && !dev.open_command_log(command_log, error)) {
        std::fprintf(stderr, "cusim: %s\n", error.c_str());
        return 1;
    }

    struct sigaction sa{};
    sa.sa_handler = on_signal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::printf("cusim: CU on %s\n", link.c_str());
    const double t0 = monotonic();
    uint8_t buf[65536];
    while (!g_stop) {
        const double wait = dev.poll(monotonic() - t0);
        const int ms = wait <= 0 ? 0 : int(wait * 1000) + 1;
        for (int k = 0; k < 256 && !g_stop; ++k) {
            const int n = port->receive(buf, sizeof buf, k == 0 ? ms : 0);
            if (n < 0) {
                std::fprintf(stderr, "cusim: link error\n");
                usleep(100000);
                break;
            }
            if (n == 0) break;
            dev.on_frame(buf, size_t(n), monotonic() - t0);
        }
    }
    dev.flush_truth();
    const DeviceStats& s = dev.stats();
    std::printf("cusim: ending: %llu commands, %llu rejected, %llu traces, %llu blocks (%llu resent), "
                "%llu frames sent, %llu lost on the wire, %llu injected losses\n",
                (unsigned long long)s.commands, (unsigned long long)s.rejected, (unsigned long long)s.traces,
                (unsigned long long)s.blocks, (unsigned long long)s.resent_blocks, (unsigned long long)s.frames_sent,
                (unsigned long long)s.frames_lost, (unsigned long long)s.injected_losses);
    return 0;
}
