// Faults the simulated CU can inject, each switched on by its own --fault option:
//   loss=R            lose each live block/frame with probability R
//   burst=R:LEN       start a burst of LEN lost blocks/frames with probability R per block
//   dup=R             send a block/frame twice with probability R
//   reorder=R         hold a block/frame back behind the next one with probability R
//   badsum=R          corrupt the UDP checksum of a data frame with probability R (UDP framing)
//   drop=T[.P]        lose part P (default 1) of the T-th trace of every measurement
//   noanswer=CODE[:N] leave the next N (default: every) command(s) CODE unanswered
//   error=CODE@trace:T   send an error report CODE after the T-th trace of a measurement
//   error=CODE@cmd:C     answer command C with an error report CODE before its answer
//   silence=S@trace:T    send nothing at all for S seconds after the T-th trace (once)
//   silence=S@cmd:C      send nothing for S seconds from the next command C on (once)
//   resend-faults        apply loss/burst/dup/reorder/badsum to resent blocks as well
//   noudp                ignore every command in UDP framing (a CU that speaks raw frames only)
//   start=S:C            refuse every measurement start with status S and count C
//   wifi=CHECK[:N]       fail a check of the WiFi module (do1, go6, do2, init, gc, wl) the
//                        next N times (default: always)
//   ramp=K               sample K of every test-ramp trace (simulation mode 2) is wrong
// Codes and counts accept 0x hex. Several faults may share one option, separated by commas.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace cusim {

struct FaultConfig {
    double loss = 0, burst_rate = 0, dup = 0, reorder = 0, badsum = 0;
    int burst_length = 0;
    bool resend_faults = false;
    bool ignore_udp = false;
    bool start_refused = false;
    uint32_t start_status = 0, start_count = 0;
    std::set<std::pair<uint32_t, uint32_t>> drops;   // (trace ordinal, part)
    std::map<uint16_t, int> noanswer;                 // command -> remaining count (-1 always)
    struct Error { uint16_t code; bool at_command; uint32_t where; };
    std::vector<Error> errors;
    struct Silence { double seconds; bool at_command; uint32_t where; };
    std::vector<Silence> silences;
    std::map<std::string, int> wifi_fail;   // WiFi-module check -> failures left (-1 always)
    int ramp_bad = -1;                 // corrupted sample of the test ramp, -1 none

    // Adds one --fault value; false with a message when it cannot be read.
    bool add(const std::string& item, std::string& error);
    bool any_random() const { return loss > 0 || burst_rate > 0 || dup > 0 || reorder > 0 || badsum > 0; }
};

}  // namespace cusim
