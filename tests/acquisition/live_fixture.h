// End-to-end rig: the simulated CU (cusim) as a child process on the unix link, the monitor's
// link, CU command layer and acquisition thread in this process, headless. Also the reader of
// cusim's ground truth (in the layout of sim/cu/README.md) and what the monitor must have stored for it.
#pragma once

#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

struct TruthTrace {
    uint32_t measurement = 0, number = 0;
    int32_t trigger = 0, wheel = 0;
    uint32_t time = 0, first_block = 0;
    uint16_t clipped = 0, samples = 0, divisor = 1;
    uint8_t format = 16, source = 'W', flags = 0;
    int32_t plan_x_mm = 0, plan_y_mm = 0; // the antenna's plan-view position on cusim's site
    std::vector<uint16_t> values; // X + N int16 values, or X + N (W1, W2) pairs

    // The monitor's 32-bit sample i (after the clipped values), before filtering.
    int32_t sample(size_t i) const;
    bool damaged() const { return flags & 2; }
};
std::vector<TruthTrace> read_truth_file(const std::string& path);

struct LiveOptions {
    std::vector<std::string> cusim_args; // besides --link and --truth
    bool udp = true;                     // parameter store: UDP framing (block mode)
    bool card = false;                   // the CU has a usable card: card recording comes on
    uint8_t trigger = 0;                 // 0 wheel, 0x80 time, 0xFF keyboard
    float time_interval = 0.002f;        // seconds (time trigger)
    double wheel_calibration = 1000.0;   // pulses per metre of the current wheel
    float point_interval = 0.01f;        // metres between traces
};

// The language table and the screen table, once per process (message boxes need them).
void gui_for_tests();

// Sets the monitor's settings as a user would have saved them (XML file, parameter store,
// antenna parameter block).
void configure_monitor(const LiveOptions& o);
// Brings the link, the CU and Collect up in this process (GPRMON_LINK set): true once the CU
// is accepted.
bool connect_monitor();
void disconnect_monitor();

class LiveTest : public ::testing::Test {
protected:
    Sandbox sb;
    pid_t cu = -1;
    std::string sock, truth_path, cu_log;

    void SetUp() override;
    void TearDown() override;

    // Starts cusim and brings the monitor up to an accepted CU (pisOn). False on failure.
    bool start(const LiveOptions& o);
    // Starts cusim only (the kill test's child process connects to it).
    bool start_cusim(const LiveOptions& o);
    void stop_cusim();
    bool connect() { return connect_monitor(); }
    void disconnect() { disconnect_monitor(); }
    // New profile with its header, as the measurement screen creates it; keeps the header
    // files as written then.
    void new_profile();
    std::vector<std::string> rad_at_start;
    std::string add_at_start;
    // The profile's header files after the stop: the .rad as at the start but for its last
    // trace and stop position, the .add unchanged, a marker file without markers and (GPS
    // off) no GPS log.
    void expect_header_files(const std::string& base, int traces);
    // Waits until the profile's trace count reaches n (false after `seconds` or on an
    // acquisition error).
    bool wait_traces(int n, double seconds);
    // Waits for cusim to report, after position *from of its log, that a measurement's cart
    // ran its whole path: the number of traces it sent (*from then moves past the report),
    // or -1 after `seconds`. `measurement` (when given) gets the measurement's number.
    int next_path_end(size_t* from, double seconds = 120, uint32_t* measurement = nullptr) const;
    // Waits for cusim's next report of a path's end (next_path_end), then until `stored` (the
    // trace count of a block-mode profile) reaches the last trace of that measurement that
    // reached the monitor whole: traces lost before it hold their places, and nothing after it
    // is on its way. `stored` then, or -1 when no report came. The wait on the count is bounded
    // only against a hang.
    long stored_at_path_end(size_t* from, const std::function<size_t()>& stored) const;

    std::string data(const std::string& f) const { return sb.path("/mnt/hda1/" + f); }
    std::vector<TruthTrace> truth() const { return read_truth_file(truth_path); }
    // Traces of measurement m (0: single traces) in the truth.
    static std::vector<TruthTrace> of(const std::vector<TruthTrace>& all, uint32_t m);
    // Expects the .rd7 of base to equal the filtered truth traces, trace for trace.
    void expect_rd7_equals(const std::string& base, const std::vector<TruthTrace>& expected);
};

// Presses Space (not Enter) at every key wait while alive, for message boxes that wait for one.
class KeyPresser {
public:
    KeyPresser();
    ~KeyPresser();
private:
    struct Impl;
    Impl* impl_;
};
