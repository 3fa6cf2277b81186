#include "sim/cu/device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace cusim {

namespace {

constexpr uint16_t kErrUploadGap = 0x3901;      // a chunk of the upload is missing
constexpr uint16_t kErrUploadFraming = 0x3902;  // the HEX bootloader framing is broken
constexpr uint16_t kErrNothingToCommit = 0x3903;
constexpr uint16_t kTestWords[7] = {0x0000, 0x7F00, 0x80FF, 0xD533, 0x8000, 0x7FFF, 0x2AAA};
constexpr size_t kMinDataPayload = 46;          // keeps every frame above 64 bytes
constexpr size_t kMaxUpload = 4u << 20;
constexpr size_t kMaxResend = 2000;
constexpr uint32_t kMaxTraces = 2000000;        // per measurement, as the monitor numbers them
constexpr double kLateSeconds = 10;             // how late a trigger may still be taken
constexpr int kTriggersPerPoll = 64;            // triggers taken before commands are read again

uint16_t swap16(uint16_t v) { return uint16_t((v >> 8) | (v << 8)); }

}  // namespace

Device::Device(const DeviceConfig& cfg, Port& port)
    : cfg_(cfg), port_(port), params_(cfg.params), stored_(cfg.params), rng_(mix64(cfg.scene.seed ^ 0xFA17F00Dull))
{
    Mac m;
    if (!cfg_.mac_given && port.own_mac(m)) cfg_.mac = m;
    route_.own = cfg_.mac;
    route_.own_ip = cfg_.ip;
    route_.word_b = cfg_.word_b;
    route_.protocol = cfg_.reply_protocol ? cfg_.reply_protocol : kProtoWired;
    if (cfg_.frame_payload < 64) cfg_.frame_payload = 64;
    if (cfg_.frame_payload > 1440) cfg_.frame_payload = 1440;
    wifi_.fail = cfg_.faults.wifi_fail;
    walk_.speed = cfg_.cart_speed;
    walk_.path = cfg_.cart_path;
}

bool Device::open_truth(const std::string& path, std::string& error) { return truth_.open(path, error); }

Device::~Device()
{
    if (command_log_) std::fclose(command_log_);
}

bool Device::open_command_log(const std::string& path, std::string& error)
{
    command_log_ = std::fopen(path.c_str(), "w");
    if (!command_log_) error = "cannot write " + path;
    return command_log_ != nullptr;
}

// "code sub raw|udp packet a1 … a8 [text]": the command as the CU decoded it, before any
// fault acts on it. The text of a string command (195) follows when printable.
void Device::log_command(const Command& c)
{
    if (!command_log_) return;
    std::fprintf(command_log_, "%u %u %s %u", c.code, c.sub, c.udp ? "udp" : "raw", c.packet);
    for (uint32_t a : c.arg) std::fprintf(command_log_, " %u", a);
    if (c.code == 195) {
        std::string text;
        for (size_t i = 0; i < c.body_len && i < 120 && c.body[i]; ++i)
            text += c.body[i] >= 0x20 && c.body[i] < 0x7F ? char(c.body[i]) : '?';
        std::fprintf(command_log_, " %s", text.c_str());
    }
    std::fputc('\n', command_log_);
    std::fflush(command_log_);
}

double Device::uniform()
{
    rng_ = mix64(rng_);
    return double(rng_ >> 11) * (1.0 / 9007199254740992.0);
}

// ---- commands ------------------------------------------------------------------------------

void Device::on_frame(const uint8_t* frame, size_t len, double now)
{
    now_ = now;
    Command c;
    const ParseResult r = parse_command(frame, len, c);
    if (r == ParseResult::NotOurs || r == ParseResult::Short) return;
    if (r != ParseResult::Ok) {
        ++stats_.rejected;
        if (cfg_.verbose)
            std::printf("cusim: frame rejected: bad %s checksum\n", r == ParseResult::BadIpChecksum ? "IPv4 header" : "UDP");
        return;
    }
    const bool to_us = c.dst == cfg_.mac;
    if (!to_us && !(c.dst == kBroadcastMac && c.code == 0xFFFF)) return;
    if (now < off_until_) return;   // switched off
    log_command(c);
    if (c.udp && cfg_.faults.ignore_udp) {
        ++stats_.unanswered;
        if (cfg_.verbose) std::printf("cusim: UDP command %u ignored\n", c.code);
        return;
    }
    handle(c, now);
}

void Device::handle(const Command& c, double now)
{
    ++stats_.commands;
    route_.peer = c.src;
    route_.udp = c.udp;
    if (c.udp) {
        route_.peer_ip = c.src_ip;
        route_.peer_port = c.src_port;
        route_.word_a = c.word_a;
        protocol_seen_ = c.protocol;
    }
    route_.protocol = cfg_.reply_protocol ? cfg_.reply_protocol
                      : port_.reply_protocol() ? port_.reply_protocol() : protocol_seen_;
    have_peer_ = true;
    last_command_packet_ = c.packet;
    if (cfg_.verbose > 1)
        std::printf("cusim: command %u (%u) %u %u %u, packet %u, %s\n", c.code, c.sub, c.arg[0], c.arg[1], c.arg[2],
                    c.packet, c.udp ? "UDP" : "raw");

    for (auto it = cfg_.faults.silences.begin(); it != cfg_.faults.silences.end(); ++it)
        if (it->at_command && it->where == c.code) {
            silent_until_ = now + it->seconds;
            std::printf("cusim: link silent for %.1f s (command %u)\n", it->seconds, c.code);
            cfg_.faults.silences.erase(it);
            break;
        }
    if (c.code == 39) {
        firmware_chunk(c, now);
        return;
    }
    Reply r;
    execute(c, r, now);
    for (const auto& e : cfg_.faults.errors)
        if (e.at_command && e.where == c.code) r.error = e.code;
    auto na = cfg_.faults.noanswer.find(c.code);
    if (na != cfg_.faults.noanswer.end() && na->second != 0) {
        if (na->second > 0) --na->second;
        ++stats_.unanswered;
        std::printf("cusim: command %u left unanswered\n", c.code);
        return;
    }
    if (r.send) send_reply(c, r);
    after_reply(r.off_after, now);
}

void Device::send_reply(const Command& c, const Reply& r)
{
    if (r.error) send_error(c.packet, c.code, r.error);
    const size_t len = payload_offset(route_.udp) + r.payload.size() + 4;
    Bytes f(len);
    write_cu_head(f.data(), len, route_, packet_++, kAnswer, 0, c.packet);
    std::memcpy(&f[payload_offset(route_.udp)], r.payload.data(), r.payload.size());
    write_trailer(f.data(), len, 0, 1, 1);
    finish_frame(f.data(), len, route_);
    emit(f, false, 0, 0);
}

void Device::send_error(uint16_t answered, uint16_t word1, uint16_t code)
{
    if (!have_peer_) return;
    const size_t n = 96, len = payload_offset(route_.udp) + n + 4;
    Bytes f(len);
    // The monitor reads this field with its two bytes exchanged against answer frames.
    write_cu_head(f.data(), len, route_, packet_++, kErrorReport, 0,
                  cfg_.error_packet_le ? swap16(answered) : answered);
    put_be16(&f[payload_offset(route_.udp)], word1);
    put_be16(&f[payload_offset(route_.udp) + 2], code);
    write_trailer(f.data(), len, 0, 1, 1);
    finish_frame(f.data(), len, route_);
    std::printf("cusim: error report 0x%04X (packet %u)\n", code, answered);
    emit(f, false, 0, 0);
}

void Device::execute(const Command& c, Reply& r, double now)
{
    const uint32_t* a = c.arg;
    switch (c.code) {
    case 0xFFFF:   // discovery: the payload starts 0xFF 0xFF; our MAC and IP follow for people
        r.payload[0] = r.payload[1] = 0xFF;
        std::memcpy(&r.payload[2], cfg_.mac.data(), 6);
        r.u32(8, cfg_.ip);
        r.u32(12, cfg_.word_b);
        break;
    case 0xFFFE: case 0xFEFF: break;
    case 1: params_.file_samples = std::min<uint32_t>(std::max<uint32_t>(a[0] & 0xFFFF, 1), 8192); break;
    case 2: stacks_ = a[0] & 0xFFFF; break;
    case 3: params_.signal_position = a[0] & 0xFFFF; break;
    case 5:
        if ((a[0] & 0xFF) == 'T') trig_src_ = 'T';
        else if ((a[0] & 0xFF) == 'W') { trig_src_ = 'W'; trig_wheel_ = a[1]; }
        break;
    case 6: trig_cond_ = std::max<int32_t>(1, int32_t(a[0])); break;
    case 7: missed_mode_ = a[1]; break;
    case 8: {
        const int32_t w = wheel_count();
        meas_dir_ = int32_t(a[0]) < 0 ? -1 : 1;
        wheel_offset_ += w - wheel_count();   // the counter does not jump
        break;
    }
    case 9:
        wheel_offset_ += int64_t(int32_t(a[1])) - wheel_count();
        acq_.last_trigger = int32_t(a[1]);
        if (!acq_.running && !cfg_.idle_path.empty()) {
            // A wheel reset outside a measurement starts the calibration run.
            idle_run_ = true;
            idle_start_ = now;
            idle_origin_ = cart_pos_;
        }
        break;
    case 10:
        time_ref_ = clock();
        time_offset_ = int64_t(a[1]);
        break;
    case 12: start(c, r, now); break;
    case 13: stop(r); break;
    case 14: key_trace(c, now); r.u16(0, 0); break;
    case 16:
        if (acq_.running) { Reply ignored; stop(ignored); }
        params_ = stored_;
        r.off_after = 1.0;
        break;
    case 22: wheel_enabled_ = a[0] != 0; break;
    case 40:
        auto_stacks_ = a[0];
        params_.auto_stack_value = a[1] & 0xFFFF;
        r.u32(0, params_.auto_stack_value);
        break;
    case 43:
        if (a[0] == 2) for (int i = 0; i < 4; ++i) cfg_.versions[2 + i] = a[1 + i];
        else if (a[0] == 3) { cfg_.antenna_id = a[1]; cfg_.antenna_serial = a[2]; }
        else if (a[0] == 10) { gps_on_ = a[1]; r.u16(0, 0); }
        else if (a[0] == 100) { r.u32(0, 2); r.u32(4, 100); }
        break;
    case 51: for (int i = 0; i < 6; ++i) r.u16(2 * i, uint16_t(cfg_.adc_values[i])); break;
    case 58:
        if (idle_run_) advance_idle(now);
        r.u32(0, uint32_t(wheel_count()));
        break;
    case 59: r.u32(0, time_ticks()); r.u32(8, cfg_.clock_hz); break;
    case 61:
        if (a[0] == 1) for (int i = 0; i < 6; ++i) r.u32(4 * i, cfg_.versions[i]);
        else if (a[0] == 60) r.u32(0, cfg_.usa_fpga_version);
        else if (a[0] == 70) r.u32(0, cfg_.usa_pic_version);
        else if (a[0] == 90) r.u32(0, cfg_.cu_fpga_version);
        break;
    case 65: command_65(c, r, now); break;
    case 76: r.u32(0, cfg_.antenna_id); r.u32(4, cfg_.antenna_serial); break;
    case 96:
        if (a[0] == 80 && (a[1] == 1 || a[1] == 2)) memory_ = a[1];
        else if (a[0] == 60 && a[1] == 103 && a[2] > 0)   // up to 50: fixes per second, else ms
            cfg_.gps_rate = a[2] <= 50 ? double(a[2]) : 1000.0 / a[2];
        break;
    case 100: sim_mode_ = a[0]; global_mode_ = a[1]; break;
    case 104: params_.runs = std::max<uint32_t>(1, a[0] & 0xFF); break;
    case 105: delay_adjust_ = a[0]; break;
    case 107: duo_channel_ = a[0]; break;
    case 120: r.u32(8, cfg_.adc_hz); break;
    case 124: stored_ = params_; break;
    case 125:
        r.u32(0, params_.runs);
        r.u32(4, ~params_.signal_position);
        r.u32(8, 80000000u / std::max<uint32_t>(1, params_.freq_divider));
        r.u32(12, params_.clipped);
        r.u32(16, params_.separation_mm);
        r.u32(20, params_.zero_level);
        r.u32(24, params_.cu_samples);
        r.u32(28, params_.auto_stack_value);
        r.u32(32, params_.tz_sample);
        r.u32(36, 0);
        r.u32(40, params_.file_samples);
        break;
    case 129: params_.freq_divider = std::max<uint32_t>(1, a[0]); break;
    case 130:   // a receiver switched off (43/10 with 0) has no text to forward
        if (gps_on_) send_gps(acq_.running && acq_.block_mode, c.packet);
        break;
    case 160: for (int i = 0; i < 15; ++i) r.u16(2 * i, 0); break;
    case 190: params_.separation_mm = a[0]; break;
    case 192: params_.clipped = std::min<uint32_t>(a[0], 1024); break;
    case 194: params_.zero_level = a[0]; break;
    case 195: {
        std::string text;
        for (size_t i = 0; i < c.body_len && i < 200 && c.body[i]; ++i) text += char(c.body[i]);
        char reply[5];
        wifi_.answer(text, reply);
        std::memcpy(&r.payload[0], reply, 5);
        break;
    }
    case 210: resend(a[0], a[1], nullptr); r.send = false; break;   // first .. last, no answer
    case 212:                                                       // first, count
        if (a[1] == 0 || !cfg_.card) r.u16(0, 1);
        else resend(a[0], a[0] + a[1] - 1, &r);
        break;
    case 220: {
        uint32_t words[5];
        wifi_.wire_init(words);
        for (int i = 0; i < 5; ++i) r.u32(4 * i, words[i]);
        break;
    }
    case 221: sd_enabled_ = a[0]; r.u32(0, cfg_.card ? 0 : 1); break;
    case 6666: r.send = false; break;   // the monitor's progress note
    default:
        if (cfg_.verbose) std::printf("cusim: unknown command %u answered with zeros\n", c.code);
        break;
    }
}

void Device::command_65(const Command& c, Reply& r, double now)
{
    const uint32_t* a = c.arg;
    switch (a[0]) {
    case 7:   // switch off: answer, then stay off; the operator switches it on again
        if (acq_.running) { Reply ignored; stop(ignored); }
        params_ = stored_;
        r.off_after = cfg_.off_seconds;
        break;
    case 11: r.u32(0, 0); r.u32(4, a[3] & 0xFF); break;          // SRAM test passed
    case 52: params_.cu_samples = std::min<uint32_t>(std::max<uint32_t>(a[1], 1), 8192); break;
    case 70: r.u16(0, 0); break;
    case 104: r.u16(0, 0); break;
    case 105:   // FPGA test: no error, trigger period of 576 ms
        r.u32(0, 0); r.u32(4, 0);
        r.u32(12, uint32_t(std::lround(0.576 * cfg_.clock_hz)));
        r.u32(16, 0); r.u32(20, 0);
        break;
    case 211: sram_ = a[1]; break;
    case 304: r.u32(0, cfg_.wifi_switch); break;
    case 600: pattern_ = false; pattern_value_ = a[1]; break;
    case 620: pattern_ = true; break;
    case 310:
        if (upload_.complete && !upload_.broken && upload_.type == c.sub) {
            upload_.committed = true;
            std::printf("cusim: firmware type %u committed (%zu bytes)\n", c.sub, upload_.data.size());
        } else {
            r.error = kErrNothingToCommit;
        }
        break;
    default: break;
    }
    (void)now;
}

void Device::firmware_chunk(const Command& c, double now)
{
    (void)now;
    const uint8_t* f = c.frame;
    const size_t len = c.frame_len;
    if (c.udp || len < 128) return;
    const size_t L = len - 28;
    const uint16_t type = get_be16(f + 18);
    const uint32_t count = get_be32(f + 20);
    const uint8_t last = f[L + 25];
    const uint16_t frame_no = get_be16(f + L + 26);
    if (frame_no == 1) {
        upload_ = Upload{};
        upload_.active = true;
        upload_.type = type;
    }
    if (!upload_.active) return;
    if (frame_no != upload_.next_frame || type != upload_.type || count > L ||
        upload_.data.size() + count > kMaxUpload)
        upload_.broken = true;
    upload_.next_frame = uint16_t(frame_no + 1);
    if (count <= L && upload_.data.size() + count <= kMaxUpload)
        upload_.data.insert(upload_.data.end(), f + 24, f + 24 + count);
    if (!last) return;
    upload_.active = false;
    upload_.complete = true;
    uint32_t sum = 0;
    for (uint8_t b : upload_.data) sum += b;
    Reply r;
    r.u32(0, sum);
    r.u32(4, sum);
    if (upload_.broken) r.error = kErrUploadGap;
    else if (type == 15) {
        const std::string fault = check_hex_framing(upload_.data);
        if (!fault.empty()) {
            std::printf("cusim: HEX upload rejected: %s\n", fault.c_str());
            r.error = kErrUploadFraming;
            upload_.broken = true;
        }
    }
    bootloader_finish(cfg_, stats_.firmware_uploads + 1, type, upload_.data, r.error);
    if (r.error)
        upload_.broken = true;
    ++stats_.firmware_uploads;
    std::printf("cusim: firmware upload type %u: %zu bytes, sum %u%s\n", type, upload_.data.size(), sum,
                upload_.broken ? " (rejected)" : "");
    send_reply(c, r);
}

// ---- acquisition -----------------------------------------------------------------------------

double Device::clock() const { return cfg_.flat_out ? vclock_ : now_; }

uint32_t Device::time_ticks() const
{
    return uint32_t(time_offset_ + std::llround((clock() - time_ref_) * cfg_.clock_hz));
}

int32_t Device::wheel_count() const
{
    return int32_t(wheel_offset_ + meas_dir_ * std::llround(cart_pos_ * cfg_.wheel_calibration));
}

void Device::advance_idle(double now)
{
    double left = cfg_.cart_speed * (now - idle_start_), pos = 0;
    bool done = true;
    for (double seg : cfg_.idle_path) {
        const double m = std::fabs(seg);
        if (left < m) { pos += seg < 0 ? -left : left; done = false; break; }
        pos += seg;
        left -= m;
    }
    cart_pos_ = idle_origin_ + pos;
    if (done) {
        idle_run_ = false;
        std::printf("cusim: idle path done, wheel at %d\n", int(wheel_count()));
        std::fflush(stdout);
    }
}

void Device::advance_cart(double now)
{
    const double dt = now - acq_.last;
    if (dt <= 0) return;
    cart_travel_ += walk_.speed * dt;
    double pos = 0, left = cart_travel_;
    if (walk_.path.empty()) pos = left;
    for (double seg : walk_.path) {
        const double m = std::fabs(seg);
        if (left <= m) { pos += seg < 0 ? -left : left; left = 0; break; }
        pos += seg;
        left -= m;
    }
    cart_pos_ = cart_origin_ + pos;
}

bool Device::cart_at_path_end() const
{
    double length = 0;
    for (double seg : walk_.path) length += std::fabs(seg);
    return cart_travel_ >= length;
}

Device::Plan Device::plan_position(double pos) const
{
    if (!walk_.site) return {pos, 0.0};
    const double along = pos - cart_origin_, h = walk_.heading * 3.14159265358979323846 / 180.0;
    // Grid lines run along the axes: there the other coordinate stays exactly the start's.
    const double q = walk_.heading / 90.0;
    if (q == std::floor(q)) {
        static const double east[4] = {0, 1, 0, -1}, north[4] = {1, 0, -1, 0};
        const int k = int(q) % 4;
        return {walk_.x + along * east[k], walk_.y + along * north[k]};
    }
    return {walk_.x + along * std::sin(h), walk_.y + along * std::cos(h)};
}

void Device::choose_walk()
{
    const Plan here = plan_position();
    Walk plain;   // the command line's walk along y = 0
    plain.speed = cfg_.cart_speed;
    plain.path = cfg_.cart_path;
    Walk w = plain;
    std::string error;
    if (!cfg_.cart_file.empty() && load_walk(cfg_.cart_file, w, error) < 0) {
        std::printf("cusim: cart file %s %s; walking the default line\n", cfg_.cart_file.c_str(), error.c_str());
        w = plain;
    }
    if (w.site && !w.has_start) {
        w.x = here.x;
        w.y = here.y;
    }
    walk_ = w;
    if (walk_.site)
        std::printf("cusim: walk from (%.3f, %.3f) heading %.1f at %.2f m/s\n", walk_.x, walk_.y, walk_.heading,
                    walk_.speed);
    else
        std::printf("cusim: walk along the line y = 0\n");
}

double Device::max_rate() const
{
    if (cfg_.max_rate > 0) return cfg_.max_rate;
    const double tx = 80e6 / std::max<uint32_t>(1, params_.freq_divider);
    const double stack = std::max<uint32_t>(1, auto_stacks_ ? params_.auto_stack_value : stacks_);
    return tx / (std::max<uint32_t>(1, params_.cu_samples) * stack);
}

void Device::start(const Command& c, Reply& r, double now)
{
    r.u32(0, 0);
    r.u32(4, 0);
    if (cfg_.faults.start_refused) {
        r.u32(0, cfg_.faults.start_status);
        r.u32(4, cfg_.faults.start_count);
        std::printf("cusim: start refused with status %u, count %u\n", cfg_.faults.start_status,
                    cfg_.faults.start_count);
        return;
    }
    if (acq_.running) return;
    idle_run_ = false;
    flush_held();
    choose_walk();
    acq_ = Acquisition{};
    acq_.running = true;
    acq_.block_mode = c.udp;
    acq_.measurement = ++measurements_;
    acq_.started = acq_.last = now;
    acq_.start_packet = c.packet;
    acq_.tokens = 1;
    acq_.seq = cfg_.first_trace;
    acq_.last_trigger = wheel_count();
    acq_.next_time_trigger = clock() + trig_cond_ / 1000.0;
    acq_.next_gps = now + (cfg_.gps_rate > 0 ? 1.0 / cfg_.gps_rate : 0);
    cart_origin_ = cart_pos_;
    cart_travel_ = 0;
    next_block_ = 1;
    traces_.clear();
    blocks_.clear();
    extra_.clear();
    rendered_ = UINT32_MAX;
    std::printf("cusim: measurement %u started (%s, %s trigger, step %d, %u+%u samples, %s)\n", acq_.measurement,
                acq_.block_mode ? "UDP blocks" : "raw packets", trig_src_ == 'T' ? "time" : "wheel", trig_cond_,
                params_.clipped, params_.file_samples, cfg_.flat_out ? "flat out" : "realistic rate");
}

void Device::stop(Reply& r)
{
    if (acq_.running) {
        flush_held();
        acq_.running = false;
        truth_.flush();
        std::printf("cusim: measurement %u stopped: %u traces, %u blocks, %llu missed triggers\n", acq_.measurement,
                    acq_.seq, next_block_ - 1, (unsigned long long)acq_.missed);
    }
    r.u32(0, acq_.block_mode ? next_block_ - 1 : 0);
    r.u32(4, acq_.seq);
    r.u32(8, uint32_t(acq_.missed));
}

double Device::poll(double now)
{
    now_ = now;
    if (silent_until_ >= 0 && now >= silent_until_) {
        std::printf("cusim: link back after its silence\n");
        silent_until_ = -1;
    }
    if (now < off_until_) return std::min(0.05, off_until_ - now);
    if (have_held_ && now - held_at_ > 0.02) flush_held();
    if (!acq_.running) return 0.05;

    if (cfg_.flat_out) {
        if (silent(now)) return std::min(0.01, silent_until_ - now);
        if (trig_src_ == 'T') {
            vclock_ += trig_cond_ / 1000.0;
            cart_pos_ += walk_.speed * trig_cond_ / 1000.0;
            produce('T', int32_t(time_ticks()), now);
        } else {
            acq_.last_trigger += int64_t(meas_dir_) * trig_cond_;
            cart_pos_ = double(acq_.last_trigger - wheel_offset_) / (meas_dir_ * cfg_.wheel_calibration);
            vclock_ += walk_.speed > 0 ? trig_cond_ / (walk_.speed * cfg_.wheel_calibration) : 0.001;
            produce('W', int32_t(acq_.last_trigger), now);
        }
        // Flat out the fixes are counted in whole traces (after the first trace, then every
        // interval's worth): comparing summed clock steps at exact ties would depend on how
        // the machine rounds (x87 on 32-bit x86).
        if (cfg_.gps_rate > 0 && acq_.traces_to_gps-- <= 0) {
            const double step = trig_src_ == 'T' ? trig_cond_ / 1000.0
                                : walk_.speed > 0 ? trig_cond_ / (walk_.speed * cfg_.wheel_calibration)
                                                      : 0.001;
            acq_.traces_to_gps = std::max<int64_t>(1, std::llround(1.0 / cfg_.gps_rate / step)) - 1;
            if (gps_on_) send_gps(acq_.block_mode, 0);
        }
        return 0;
    }

    advance_cart(now);
    const double rate = max_rate();
    // Triggers that fell due while this process was descheduled or waited on a full link are
    // not triggers a CU would miss: they are taken late, up to kLateSeconds of them (of the
    // triggers' own rate, the sampler's rate permitting), kTriggersPerPoll at a time so that
    // commands are read in between.
    const double step = std::max<int32_t>(1, trig_cond_);
    const double due_rate = trig_src_ == 'T' ? 1000.0 / step : walk_.speed * cfg_.wheel_calibration / step;
    const double burst = std::max(2.0, kLateSeconds * std::min(rate, due_rate));
    acq_.tokens = std::min(burst, acq_.tokens + (now - acq_.last) * rate);
    acq_.last = now;
    auto fire = [&](char source, int32_t trigger) {
        if (acq_.tokens >= 1) {
            acq_.tokens -= 1;
            produce(source, trigger, now);
        } else {
            ++acq_.missed;
            ++stats_.missed_triggers;
        }
    };
    double wait = 0.05;
    if (trig_src_ == 'T') {
        const double period = trig_cond_ / 1000.0;
        if (now - acq_.next_time_trigger > kLateSeconds) {   // too late to take: missed
            const uint64_t skipped = uint64_t((now - acq_.next_time_trigger) / period);
            acq_.missed += skipped;
            stats_.missed_triggers += skipped;
            acq_.next_time_trigger += double(skipped) * period;
        }
        int n = 0;
        while (now >= acq_.next_time_trigger && n++ < kTriggersPerPoll) {
            const double at = acq_.next_time_trigger;
            acq_.next_time_trigger += period;
            fire('T', int32_t(time_offset_ + std::llround((at - time_ref_) * cfg_.clock_hz)));
        }
        wait = std::max(0.0, std::min(wait, acq_.next_time_trigger - now));
    } else if (wheel_enabled_) {
        const int64_t w = wheel_count();
        int n = 0;
        while (int64_t(meas_dir_) * (w - acq_.last_trigger) >= trig_cond_ && n++ < kTriggersPerPoll) {
            acq_.last_trigger += int64_t(meas_dir_) * trig_cond_;
            fire('W', int32_t(acq_.last_trigger));
        }
        if (int64_t(meas_dir_) * (w - acq_.last_trigger) >= trig_cond_) {
            wait = 0;   // more are due
        } else if (!acq_.path_done && !walk_.path.empty() && cart_at_path_end()) {
            // Every trace of the path is out: a test waits for this line, not for a quiet spell.
            acq_.path_done = true;
            truth_.flush();   // the report's reader finds every trace of the path in the truth
            std::printf("cusim: measurement %u: the cart is at the end of its path after %u traces\n",
                        acq_.measurement, acq_.seq - cfg_.first_trace);
            std::fflush(stdout);
        } else if (walk_.speed > 0) {
            const double pulses = trig_cond_ - double(meas_dir_) * (w - acq_.last_trigger);
            wait = std::min(wait, std::max(0.0005, pulses / (walk_.speed * cfg_.wheel_calibration)));
        }
    }
    if (cfg_.gps_rate > 0 && now >= acq_.next_gps) {
        acq_.next_gps = now + 1.0 / cfg_.gps_rate;
        if (gps_on_) send_gps(acq_.block_mode, 0);
    }
    return std::max(0.0, std::min(wait, acq_.next_gps - now));
}

Device::TraceMeta Device::make_meta(char source, int32_t trigger) const
{
    TraceMeta m{};
    m.measurement = source == 'K' && !acq_.running ? 0 : acq_.measurement;
    m.trigger = trigger;
    m.wheel = wheel_count();
    m.time = time_ticks();
    // The antenna fires at the trigger pulse: a wheel trace taken late (the cart rolled on
    // while cusim was busy) is still rendered where its pulse fell.
    double pos = cart_pos_;
    const int64_t behind = source == 'W' ? int64_t(m.wheel) - trigger : 0;
    if (behind != 0) pos -= double(behind) / (meas_dir_ * cfg_.wheel_calibration);
    const Plan at = plan_position(pos);
    m.x = at.x;
    m.y = at.y;
    m.p = params_;
    m.source = uint8_t(source);
    const bool wide = source != 'K' && (auto_stacks_ != 0 || params_.auto_stack_value != 0);
    m.format = wide ? 32 : 16;
    m.divisor = wide ? uint16_t(std::max<uint32_t>(1, auto_stacks_ ? params_.auto_stack_value : stacks_)) : 1;
    m.stacks = uint16_t(std::max<uint32_t>(1, auto_stacks_ ? params_.auto_stack_value : stacks_));
    m.mode = sim_mode_ == 2 ? 1 : pattern_ ? 2 : 0;
    m.delay = delay_adjust_;
    return m;
}

void Device::render_into(const TraceMeta& m, Trace& t)
{
    t = Trace{};
    t.measurement = m.measurement;
    t.number = m.number;
    t.trigger = m.trigger;
    t.wheel = m.wheel;
    t.time = m.time;
    t.first_block = m.first_block;
    t.clipped = uint16_t(m.p.clipped);
    t.samples = uint16_t(m.p.file_samples);
    t.divisor = m.divisor;
    t.format = m.format;
    t.source = m.source;
    t.flags = m.flags;
    t.plan_x_mm = int32_t(std::lround(m.x * 1000.0));
    t.plan_y_mm = int32_t(std::lround(m.y * 1000.0));
    const size_t v = t.values();
    std::vector<int32_t> words(v);
    std::vector<int64_t> sums;
    if (m.mode == 1) {
        for (size_t k = 0; k < v; ++k) words[k] = int16_t(uint16_t(10 * k - 32768));
        if (cfg_.faults.ramp_bad >= 0 && size_t(cfg_.faults.ramp_bad) < v)
            words[size_t(cfg_.faults.ramp_bad)] ^= 0x0101;   // a corrupted sample of the ramp

    } else if (m.mode == 2) {
        for (size_t k = 0; k < v; ++k) words[k] = int16_t(kTestWords[k % 7]);
    } else {
        const double unit = 1e6 / std::max<uint32_t>(1, cfg_.adc_hz);   // ns per signal-position unit
        const double dt = unit / std::max<uint32_t>(1, m.p.runs);
        const double t0 = (double(cfg_.params.signal_position) - double(m.p.signal_position)) * unit +
                          double(int32_t(m.delay)) * 0.01;
        std::vector<double> vals;
        const uint64_t key = (uint64_t(m.measurement) << 32) | m.seq | (m.source == 'K' ? 1ull << 63 : 0);
        cfg_.scene.render_at(m.x, m.y, t0, dt, int(v), key, m.stacks, vals);
        const double dc = (double(m.p.zero_level) - 37.0) * 64.0;
        sums.resize(v);
        for (size_t k = 0; k < v; ++k) {
            const double d = m.format == 32 ? m.divisor : 1;
            int64_t s = std::llround((vals[k] + dc) * d);
            s = std::max<int64_t>(s, int64_t(-32768 * d));
            s = std::min<int64_t>(s, int64_t(32767 * d + d - 1));
            sums[k] = s;
            words[k] = int32_t(std::max<int64_t>(-32768, std::min<int64_t>(32767, s)));
        }
    }
    if (m.format == 32) {
        t.w32.resize(2 * v);
        for (size_t k = 0; k < v; ++k) {
            int64_t avg = words[k], rem = 0;
            if (!sums.empty()) {
                const int64_t d = m.divisor;
                avg = sums[k] >= 0 ? sums[k] / d : -((-sums[k] + d - 1) / d);   // floor
                rem = sums[k] - avg * d;
            }
            t.w32[2 * k] = uint16_t(rem);
            t.w32[2 * k + 1] = uint16_t((avg + 0x8000) & 0xFFFF);
        }
    } else {
        t.s16.resize(v);
        for (size_t k = 0; k < v; ++k) t.s16[k] = int16_t(words[k]);
    }
}

const Trace& Device::card_trace(uint32_t index)
{
    if (rendered_ != index) {
        render_into(traces_[index], rendered_trace_);
        rendered_bytes_.clear();
        encode_trace(rendered_trace_, true, rendered_bytes_);
        rendered_ = index;
    }
    return rendered_trace_;
}

void Device::produce(char source, int32_t trigger, double now)
{
    if (acq_.seq >= kMaxTraces) {   // the card and the trace numbering are full
        if (acq_.seq == kMaxTraces && !acq_.full) std::printf("cusim: card full, no more traces\n");
        acq_.full = true;
        ++acq_.missed;
        return;
    }
    TraceMeta m = make_meta(source, trigger);
    m.seq = ++acq_.seq;
    m.number = acq_.block_mode ? m.seq : 0;
    m.flags = acq_.block_mode ? kFlagBlockMode : kFlagRawPacket;
    damaged_ = false;
    ++stats_.traces;
    Trace out;
    if (acq_.block_mode) {
        m.first_block = next_block_;
        traces_.push_back(m);
        const uint32_t index = uint32_t(traces_.size() - 1);
        const Trace& t = card_trace(index);
        const size_t B = blocks_per_trace(t.samples, t.clipped);
        for (size_t p = 1; p <= B; ++p) {
            blocks_.push_back(BlockRef{index, uint16_t(p), 2, m.seq});
            send_block(next_block_++, true, m.seq);
        }
        out = card_trace(index);
    } else {
        render_into(m, out);
        Bytes data;
        encode_trace(out, false, data);
        send_packet(data, 0, true, m.seq);
    }
    if (damaged_) out.flags |= kFlagDamaged;
    truth_.write(out);

    for (const auto& e : cfg_.faults.errors)
        if (!e.at_command && e.where == m.seq) send_error(acq_.start_packet, 0, e.code);
    for (auto it = cfg_.faults.silences.begin(); it != cfg_.faults.silences.end(); ++it)
        if (!it->at_command && it->where == m.seq) {
            silent_until_ = now + it->seconds;
            std::printf("cusim: link silent for %.1f s after trace %u\n", it->seconds, m.seq);
            // Once, as a silence at a command: the CU comes back and the next measurement
            // (the same line walked again) runs through.
            cfg_.faults.silences.erase(it);
            break;
        }
}

void Device::key_trace(const Command& c, double now)
{
    (void)now;
    TraceMeta m = make_meta('K', wheel_count());
    m.seq = ++key_traces_;
    m.flags = kFlagRawPacket;
    Trace t;
    render_into(m, t);
    Bytes data;
    encode_trace(t, false, data);
    send_packet(data, c.packet, false, 0);
    ++stats_.traces;
    truth_.write(t);
    truth_.flush();
}

void Device::send_block(uint32_t block_no, bool live, uint32_t seq)
{
    if (block_no == 0 || block_no > blocks_.size()) return;
    const BlockRef ref = blocks_[block_no - 1];
    const uint8_t* data;
    size_t size;
    if (ref.type == 2) {
        card_trace(ref.ref);
        const size_t from = size_t(ref.part - 1) * kBlockData;
        data = rendered_bytes_.data() + from;
        size = std::min(kBlockData, rendered_bytes_.size() - from);
    } else {
        data = extra_[ref.ref].data();
        size = std::min(kBlockData, extra_[ref.ref].size());
    }
    Route r = route_;
    r.udp = true;
    // A block frame ends with the 512-byte payload and a 3-byte trailer (flag, frame number).
    const size_t len = payload_offset(true) + kBlockPayload + 3;
    Bytes f(len);
    write_cu_head(f.data(), len, r, packet_++, kDataBlock, 0, 0);
    uint8_t* p = &f[payload_offset(true)];
    put_be32(p, block_no);
    p[7] = ref.type;
    put_be32(p + 8, ref.trace);
    put_be16(p + 12, uint16_t(kBlockData - size));
    put_be16(p + 14, ref.part);
    std::memcpy(p + kBlockHead, data, size);
    f[len - 3] = 1;
    put_be16(&f[len - 2], 1);
    finish_frame(f.data(), len, r);
    ++stats_.blocks;
    emit(f, live, seq, ref.part);
}

void Device::send_packet(const Bytes& data, uint16_t answered, bool live, uint32_t seq)
{
    const size_t P = cfg_.frame_payload;
    const size_t frames = data.empty() ? 1 : (data.size() + P - 1) / P;
    const uint16_t pn = packet_++;
    for (size_t i = 0; i < frames; ++i) {
        const size_t from = i * P;
        const size_t chunk = std::min(P, data.size() - std::min(from, data.size()));
        const bool last = i + 1 == frames;
        const size_t on_wire = last ? std::max(chunk, kMinDataPayload) : chunk;
        const size_t len = payload_offset(route_.udp) + on_wire + 4;
        Bytes f(len);
        write_cu_head(f.data(), len, route_, pn, kDataBlock, 0, answered);
        if (chunk) std::memcpy(&f[payload_offset(route_.udp)], data.data() + from, chunk);
        write_trailer(f.data(), len, uint8_t(on_wire - chunk), last ? 1 : 0, uint16_t(i + 1));
        finish_frame(f.data(), len, route_);
        emit(f, live, seq, uint32_t(i + 1));
    }
}

Bytes Device::gps_elements() const
{
    const double t = double(cfg_.gps_epoch) + clock();
    // On the plain line the cart rolls along the configured heading; on the site y is north.
    const double h = cfg_.heading * 3.14159265358979323846 / 180.0;
    const Plan at = plan_position();
    const double north = walk_.site ? at.y : cart_pos_ * std::cos(h);
    const double east = walk_.site ? at.x : cart_pos_ * std::sin(h);
    const double lat = cfg_.latitude + north / 111320.0;
    const double lon = cfg_.longitude + east / (111320.0 * std::cos(cfg_.latitude * 3.14159265358979323846 / 180.0));
    Bytes out;
    const std::string gga = cfg_.gps_fix ? nmea_gga(std::fmod(t, 86400.0), lat, lon, 28.4, 11, 0.8)
                                         : nmea_gga_without_fix(std::fmod(t, 86400.0));
    add_element(out, kTagGpsText, reinterpret_cast<const uint8_t*>(gga.data()), gga.size());
    const int leap = 18;
    const double gps = t - 315964800.0 + leap;
    const int16_t week = int16_t(int64_t(gps) / 604800);
    const uint32_t itow = uint32_t(std::llround(std::fmod(gps, 604800.0) * 1000.0));
    const Bytes ubx = ubx_nav_timegps(itow, week, leap, 7);
    add_element(out, kTagGpsBinary, ubx.data(), ubx.size());
    return out;
}

void Device::send_gps(bool as_block, uint16_t answered)
{
    if (!have_peer_) return;
    const Bytes el = gps_elements();
    if (as_block) {
        extra_.push_back(el);
        blocks_.push_back(BlockRef{uint32_t(extra_.size() - 1), 1, 3, acq_.seq});
        send_block(next_block_++, true, 0);
    } else {
        send_packet(el, answered, false, 0);
    }
}

void Device::resend(uint32_t first, uint32_t last, Reply* r)
{
    uint32_t sent = 0;
    const uint32_t want = last >= first ? last - first + 1 : 0;
    if (first == 0 || want == 0) {
        if (r) r->u16(0, 1);
        return;
    }
    for (uint32_t b = first; b <= last && b - first < kMaxResend; ++b) {
        if (b > blocks_.size()) break;
        send_block(b, cfg_.faults.resend_faults, 0);
        ++stats_.resent_blocks;
        ++sent;
    }
    if (cfg_.verbose) std::printf("cusim: resent %u of blocks %u..%u\n", sent, first, last);
    if (r) r->u16(0, sent == want ? 0 : 1);
}

void Device::run_demo(uint32_t traces, int32_t step)
{
    const bool flat = cfg_.flat_out;
    cfg_.flat_out = true;
    trig_src_ = 'W';
    trig_cond_ = std::max<int32_t>(1, step);
    Command c;
    c.udp = true;
    Reply r;
    start(c, r, now_);
    for (uint32_t i = 0; i < traces; ++i) poll(now_);
    stop(r);
    cfg_.flat_out = flat;
}

// ---- output ----------------------------------------------------------------------------------

bool Device::emit(Bytes& f, bool live, uint32_t seq, uint32_t part)
{
    if (silent(now_)) {
        if (live) damaged_ = true;
        return false;
    }
    if (live) {
        const FaultConfig& fc = cfg_.faults;
        bool lost = false;
        if (seq && fc.drops.count({seq, part})) lost = true;
        else if (burst_left_ > 0) { --burst_left_; lost = true; }
        else if (fc.burst_rate > 0 && uniform() < fc.burst_rate) { burst_left_ = fc.burst_length - 1; lost = true; }
        else if (fc.loss > 0 && uniform() < fc.loss) lost = true;
        if (lost) {
            ++stats_.injected_losses;
            damaged_ = true;
            return false;
        }
        if (fc.badsum > 0 && f.size() > 42 && get_be16(&f[12]) == kEtherIPv4 && uniform() < fc.badsum) {
            f[40] ^= 0x5A;
            ++stats_.injected_badsums;
            damaged_ = true;
        }
        if (fc.reorder > 0 && !have_held_ && uniform() < fc.reorder) {
            held_ = f;
            have_held_ = true;
            held_at_ = now_;
            ++stats_.injected_reorders;
            return true;
        }
    }
    const bool ok = wire_send(f);
    if (!ok && live) damaged_ = true;   // the monitor's queue stayed full: the frame is lost too
    if (have_held_ && live) flush_held();
    if (live && cfg_.faults.dup > 0 && uniform() < cfg_.faults.dup) {
        ++stats_.injected_dups;
        wire_send(f);
    }
    return ok;
}

void Device::flush_held()
{
    if (!have_held_) return;
    have_held_ = false;
    wire_send(held_);
}

bool Device::wire_send(const Bytes& f)
{
    if (silent(now_)) return false;
    const bool ok = port_.send(f.data(), f.size());
    if (ok) ++stats_.frames_sent;
    else ++stats_.frames_lost;
    return ok;
}

void Device::after_reply(double off_after, double now)
{
    if (off_after > 0) {
        off_until_ = now + off_after;
        std::printf("cusim: CU off for %.1f s\n", off_after);
    }
}

}  // namespace cusim
