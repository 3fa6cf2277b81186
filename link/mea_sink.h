// The seam between the link and the acquisition.
//
// The receiving thread needs three facts about the acquisition (is a measurement running,
// has an error stopped it, has a measurement ended), and GetMeaData hands what it decodes
// from a trace's elements to the acquisition's per-trace pipeline (data file, display
// queue, grid column, position log, GPS). Both go through one CMeaSink, installed once with
// CEthernet::set_sink() before the receiving thread starts; the link never changes it.
//
// The default implementation is an idle acquisition: never measuring, every decoded value
// discarded. The acquisition derives from CMeaSink and overrides what it provides.
//
// Threads: measuring(), errors_latched() and finished() are called by the receiving thread
// for every data frame (keep them to a plain flag read). The outputs are called on the
// thread that runs GetMeaData (the acquisition thread, or the GUI thread while restoring).
#pragma once

#include <cstddef>
#include <cstdint>

// One decoded trace (element tag 102).
struct CMeaTrace {
    int32_t position;          // trigger position: wheel pulses, or ms for the time trigger
    const int32_t* samples;    // count samples, already scaled (16-bit format: w * 65536;
    int count;                 //  32-bit format: the stacked value + 0x80000000)
    int32_t cu_trace_number;   // the descriptor's CU trace number (0 in raw mode), without
                               //  the traces of earlier measurements (the sink adds them)
    bool restored;             // assembled from blocks that arrived late
    bool stacked;              // 32-bit format
};

class CMeaSink {
public:
    virtual ~CMeaSink() {}

    // MeasureMode: a measurement runs.
    virtual bool measuring() { return false; }
    // mea_errors: an acquisition error stopped the processing of descriptors.
    virtual bool errors_latched() { return false; }
    // A measurement has finished (the blocks now resent by the CU are recorded as missed).
    virtual bool finished() { return false; }

    // A decoded trace: 0, or a negative code that GetMeaData returns (-2: data file write).
    virtual int trace(const CMeaTrace& t) { return 0; }
    // Tag 58: wheel position in pulses.
    virtual void wheel_position(int32_t pulses) {}
    // Tag 59: time position of this measurement in ms (the sink adds earlier measurements).
    virtual void time_position(int32_t ms) {}
    // Tag 132 (GPS in use, GPS inside the antenna): one zero-terminated NMEA text of len bytes.
    virtual void gps_text(const char* text, size_t len) {}
    // Tag 131 (GPS in use): GPS time of the UBX NAV-TIMEGPS message as Unix seconds and ms;
    // both 0 when the message is another one or not valid.
    virtual void gps_time(uint32_t seconds, uint16_t ms) {}
    // The 100-byte pending-restore profile name saved with the missed-block table.
    virtual char* restore_name() { return name_; }
    // Traces that profile held before that measurement: its CU trace t is trace base + t.
    virtual int32_t& restore_base() { return base_; }
    // The CU's last block at that measurement's stop.
    virtual uint32_t& restore_last_block() { return last_block_; }

private:
    char name_[100] = {0};
    int32_t base_ = 0;
    uint32_t last_block_ = 0;
};
