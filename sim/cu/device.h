// The simulated CU: answers the monitor's commands, keeps the CU's parameters and runs the
// acquisition (wheel, time and key triggers) with raw-mode packets or UDP measurement blocks,
// recording every block on its simulated memory card so missed blocks can be sent again.
//
// The device is single-threaded and driven from outside: on_frame() for each frame the wire
// delivers, poll() for the passage of time. Times are seconds on any monotonic clock.
#pragma once

#include "sim/cu/elements.h"
#include "sim/cu/faults.h"
#include "sim/cu/port.h"
#include "sim/cu/scene.h"
#include "sim/cu/service_sim.h"
#include "sim/cu/truth.h"
#include "sim/cu/walk.h"
#include "sim/cu/wire.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace cusim {

// The CU's acquisition parameters (what command 125 reports; 124 stores them).
struct CuParams {
    uint32_t runs = 32;
    uint32_t signal_position = 0xFFFF - 150;
    uint32_t freq_divider = 256;           // transmitter frequency = 80 MHz / divider
    uint32_t clipped = 0;
    uint32_t separation_mm = 180;
    uint32_t zero_level = 37;
    uint32_t cu_samples = 1536;
    uint32_t auto_stack_value = 4;
    uint32_t tz_sample = 40;
    uint32_t file_samples = 736;
};

struct DeviceConfig {
    Mac mac{0x02, 0xC5, 0x00, 0x00, 0x00, 0x01};
    bool mac_given = false;
    uint32_t ip = 0xC0A80102;              // 192.168.1.2
    uint32_t word_b = 0x00C50001;          // link word B the monitor learns at discovery
    uint16_t reply_protocol = 0;           // 0: 0x5555, or the word of the latest UDP command
    uint32_t versions[6] = {0x30005012, 0x30005012, 10, 1, 3, 12};
    uint32_t cu_fpga_version = 0x00020107, usa_pic_version = 0x00000105, usa_fpga_version = 0x00000203;
    uint32_t antenna_id = 44, antenna_serial = 440123;
    uint32_t clock_hz = 100000;            // CU clock ticks per second
    uint32_t adc_hz = 160000;              // the ADC frequency word
    uint32_t wifi_switch = 1;              // 1 WiFi mode, 0 wire mode
    uint32_t adc_values[6] = {49680, 3300, 5000, 1200, 2500, 0};
    CuParams params;

    double cart_speed = 1.0;               // m/s
    std::vector<double> cart_path;         // signed segment lengths in m; empty: ahead for ever
    std::string cart_file;                 // control file of each run's walk (empty: none)
    double wheel_calibration = 500.0;      // pulses per metre
    std::vector<double> idle_path;         // run after a wheel reset while idle (calibration)
    bool flat_out = false;                 // as fast as the link takes
    double max_rate = 0;                   // traces/s the sampler manages (0: from the parameters)
    int send_patience_ms = -1;             // how long a send waits for a full link (-1: 20, flat out 2000)
    uint32_t first_trace = 0;              // the trace counter continues from here (numbers first + 1, ...)
    bool card = true;                      // false: no usable memory card (221 and 212 answer 1)
    size_t frame_payload = 1400;           // payload bytes per raw-mode data frame
    double gps_rate = 1.0;                 // GPS fixes per second during a measurement (0 off)
    double latitude = 59.3293, longitude = 18.0686, heading = 90.0;
    int64_t gps_epoch = 1780308000;        // UTC when cusim started (2026-06-01 10:00:00)
    bool gps_fix = true;                   // false: the receiver reports GGA sentences without a fix
    double off_seconds = 3.0;              // how long the CU stays off after 65/7
    bool error_packet_le = true;           // answered packet number of error reports little-endian
    Scene scene = Scene::standard();
    FaultConfig faults;
    uint16_t refuse_upload = 0;            // bootloader error code answering uploads (0: accept)
    uint64_t refuse_upload_nth = 0;        // only the n-th upload is refused (0: every one)
    std::string firmware_dir;              // where accepted uploads are recorded (bootloader.cpp)
    int verbose = 0;
};

struct DeviceStats {
    uint64_t commands = 0, rejected = 0, unanswered = 0;
    uint64_t frames_sent = 0, frames_lost = 0;       // lost: on the wire (no peer, full queue)
    uint64_t traces = 0, blocks = 0, resent_blocks = 0;
    uint64_t injected_losses = 0, injected_badsums = 0, injected_dups = 0, injected_reorders = 0;
    uint64_t missed_triggers = 0;
    uint64_t firmware_uploads = 0;
};

class Device {
public:
    Device(const DeviceConfig& cfg, Port& port);
    bool open_truth(const std::string& path, std::string& error);
    // Writes one line per command received (see sim/cu/README.md) to path, flushed at once.
    bool open_command_log(const std::string& path, std::string& error);
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    void on_frame(const uint8_t* frame, size_t len, double now);
    // Advances the acquisition to `now`; returns how many seconds may pass before the next call.
    double poll(double now);

    // A wheel measurement of `traces` traces, one every `step` pulses, without any monitor:
    // for pictures of the scene and for checking the ground truth offline.
    void run_demo(uint32_t traces, int32_t step);

    bool measuring() const { return acq_.running; }
    const DeviceStats& stats() const { return stats_; }
    const CuParams& params() const { return params_; }
    uint32_t last_block() const { return next_block_ - 1; }
    uint32_t last_trace() const { return acq_.seq; }
    void flush_truth() { truth_.flush(); }

private:
    struct Reply {
        Bytes payload = Bytes(96, 0);
        bool send = true;
        uint16_t error = 0;             // an error report precedes the answer when non-zero
        double off_after = 0;           // the CU switches off for this long after answering
        void u32(size_t at, uint32_t v) { if (payload.size() < at + 4) payload.resize(at + 4, 0); put_be32(&payload[at], v); }
        void u16(size_t at, uint16_t v) { if (payload.size() < at + 2) payload.resize(at + 2, 0); put_be16(&payload[at], v); }
    };
    // What the card keeps of a trace, enough to produce it again bit for bit.
    struct TraceMeta {
        uint32_t measurement, number, seq, time, first_block, delay;
        int32_t trigger, wheel;
        double x, y;                    // plan-view position of the antenna
        CuParams p;
        uint16_t divisor, stacks;
        uint8_t format, source, mode, flags;   // mode: 0 scene, 1 test ramp, 2 test pattern
    };
    struct BlockRef { uint32_t ref; uint16_t part; uint8_t type; uint32_t trace; };

    void handle(const Command& c, double now);
    void log_command(const Command& c);
    void execute(const Command& c, Reply& r, double now);
    void command_65(const Command& c, Reply& r, double now);
    void firmware_chunk(const Command& c, double now);
    void send_reply(const Command& c, const Reply& r);
    void send_error(uint16_t answered, uint16_t word1, uint16_t code);
    void after_reply(double off_after, double now);

    // acquisition
    void start(const Command& c, Reply& r, double now);
    void stop(Reply& r);
    void advance_cart(double now);
    bool cart_at_path_end() const; // a measurement's cart has run its whole path
    // Picks the walk of a run starting now: the control file's, or the plain line.
    void choose_walk();
    struct Plan { double x, y; };
    // Plan-view position of the antenna with the cart at line position pos (default: now).
    Plan plan_position(double pos) const;
    Plan plan_position() const { return plan_position(cart_pos_); }
    int32_t wheel_count() const;
    // Moves the cart along the idle path to where it is at `now`.
    void advance_idle(double now);
    uint32_t time_ticks() const;
    double clock() const;             // real time, or the virtual time of a flat-out run
    double max_rate() const;
    void produce(char source, int32_t trigger, double now);
    void key_trace(const Command& c, double now);
    TraceMeta make_meta(char source, int32_t trigger) const;
    void render_into(const TraceMeta& m, Trace& t);
    const Trace& card_trace(uint32_t index);   // renders and encodes a card trace (cached)
    void send_block(uint32_t block_no, bool live, uint32_t seq);
    void send_packet(const Bytes& data, uint16_t answered, bool live, uint32_t seq);
    void send_gps(bool as_block, uint16_t answered);
    Bytes gps_elements() const;
    void resend(uint32_t first, uint32_t last, Reply* r);
    double virtual_now(double now) const;

    // output with faults
    bool emit(Bytes& frame, bool live, uint32_t seq, uint32_t part);
    bool wire_send(const Bytes& frame);
    void flush_held();
    bool silent(double now) const { return now < silent_until_; }
    double uniform();

    DeviceConfig cfg_;
    Port& port_;
    CuParams params_, stored_;
    DeviceStats stats_;
    TruthWriter truth_;
    std::FILE* command_log_ = nullptr;
    Route route_;
    bool have_peer_ = false;
    uint16_t packet_ = 1;
    WifiModule wifi_;                 // the antenna's WiFi module (195, 220)
    uint16_t protocol_seen_ = kProtoWired;
    double now_ = 0, silent_until_ = -1, off_until_ = -1;
    uint64_t rng_;
    int burst_left_ = 0;
    Bytes held_;                         // a frame held back by the reorder fault
    bool have_held_ = false;
    double held_at_ = 0;
    bool damaged_ = false;               // a live frame of the current trace was lost/corrupted
    uint32_t key_traces_ = 0;

    // trigger configuration set by commands
    uint8_t trig_src_ = 'W';
    uint32_t trig_wheel_ = 0;
    int32_t trig_cond_ = 1;
    int32_t meas_dir_ = 1;
    bool wheel_enabled_ = true;
    uint32_t stacks_ = 1, auto_stacks_ = 0;
    uint32_t sim_mode_ = 0, global_mode_ = 0, delay_adjust_ = 0, duo_channel_ = 0;
    bool pattern_ = false;
    uint32_t pattern_value_ = 0, missed_mode_ = 0;
    uint32_t sram_ = 0, sd_enabled_ = 0, memory_ = 2;
    uint32_t gps_on_ = 1;
    uint16_t last_command_packet_ = 0;

    // the cart and the clocks
    double cart_pos_ = 0, cart_origin_ = 0, cart_travel_ = 0;   // m; travel counts along the path
    Walk walk_;                          // the current run's walk over the site
    bool idle_run_ = false;              // the cart runs the idle path (from idle_start_)
    double idle_start_ = 0, idle_origin_ = 0;
    double vclock_ = 0;
    int64_t wheel_offset_ = 0;
    double time_ref_ = 0;
    int64_t time_offset_ = 0;

    struct Acquisition {
        bool running = false, block_mode = false, full = false;
        uint32_t measurement = 0, seq = 0;
        double last = 0, next_time_trigger = 0, next_gps = 0, tokens = 0, started = 0;
        int64_t traces_to_gps = 0; // flat out: traces until the next GPS fix
        uint64_t missed = 0;
        int64_t last_trigger = 0;
        uint16_t start_packet = 0;
        bool path_done = false; // the end of the cart's path was printed
    } acq_;
    uint32_t measurements_ = 0;
    uint32_t next_block_ = 1;
    std::vector<TraceMeta> traces_;      // the card: traces of the current measurement
    std::vector<BlockRef> blocks_;       // block number - 1 -> what it holds
    std::vector<Bytes> extra_;           // additional-data blocks (GPS) of the card
    uint32_t rendered_ = UINT32_MAX;     // traces_ index held in rendered_trace_/rendered_bytes_
    Trace rendered_trace_;
    Bytes rendered_bytes_;

    struct Upload {
        bool active = false, broken = false, complete = false, committed = false;
        uint16_t type = 0, next_frame = 1;
        Bytes data;
    } upload_;
};

// Checks the bootloader framing of a converted Intel-HEX image: records 0x01 … 0x04 with 0x10
// escapes, each data record 0x03 + one HEX line's bytes (valid line checksum) + CRC-16 low byte
// first, closed by the record 0x05 + CRC. Returns an empty string when sound, else the fault.
std::string check_hex_framing(const Bytes& stream);

// The bootloader's verdict on a whole upload: a refusal switch (--refuse-upload CODE[@N]) turns `error` into its code; an
// accepted upload is recorded as DIR/firmware-TYPE.bin (HEX uploads as their HEX text).
// `nth` counts the uploads from 1.
void bootloader_finish(const DeviceConfig& cfg, uint64_t nth, uint16_t type, const Bytes& data, uint16_t& error);

}  // namespace cusim
