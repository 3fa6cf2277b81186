// Walking the elements of a queued trace and decoding them for the acquisition.
#include "link/elements.h"

#include "platform/globals.h"
#include "cu/eep.h"
#include "link/byte_order.h"
#include "link/ethernet.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

using namespace link_element;
constexpr uint32_t kMaxGpsText = 3999;

uint32_t ring_dist(uint32_t from, uint32_t to)
{
    return to >= from ? to - from : to + kMeaRingSize - from;
}

uint32_t ring_add(uint32_t pos, uint32_t n)
{
    uint64_t p = uint64_t(pos) + n;
    return uint32_t(p % kMeaRingSize);
}

int32_t ticks_to_ms(uint32_t v)
{
    double f = eep.clock_freq ? double(eep.clock_freq) : 1000.0;
    return int32_t(std::lround(double(int32_t(v)) / f * 1000.0));
}

} // namespace

int CElementWalk::read() { return link_.check_element(pos, end, len); }
int CElementWalk::next() { return link_.next_element(pos, end, len); }
uint8_t CElementWalk::tag() const { return link_.ring_at(pos + 2); }
uint32_t CElementWalk::body() const { return ring_add(pos, kHead); }

int CEthernet::check_element(uint32_t pos, uint32_t end, uint32_t& len)
{
    if (pos == end)
        return kElemEnd;
    uint32_t avail = ring_dist(pos, end);
    if (avail <= 3)
        return kElemShort;
    uint16_t l = ring_be16(pos);
    len = uint32_t(l) + 2;
    if (l < 2)
        return kElemBadLength;
    if (avail < len)
        return kElemTruncated;
    return 0;
}

int CEthernet::next_element(uint32_t& pos, uint32_t end, uint32_t len)
{
    MutexLock g(eth_mtx1);
    uint32_t avail = ring_dist(pos, end);
    int r;
    if (len == avail)
        r = 0;
    else if (len > avail)
        r = kElemOverrun;
    else
        r = 1;
    pos = ring_add(pos, len);
    // Outside a measurement the reader releases the space it has consumed.
    if (r >= 0 && !sink_->measuring()) {
        uint32_t used = ring_dist(eth_buf_beg, pos);
        if (pos != eth_buf_beg && used <= ring_dist(eth_buf_beg, m_buf_end))
            eth_buf_beg = pos;
    }
    return r;
}

// The trace element the walk stands on. For the 32-bit format the divisor element that
// follows is consumed too (the walk then stands on it).
int CEthernet::decode_trace(CElementWalk& w, const CTraceDesc& d)
{
    const uint32_t body = w.body(), body_len = w.body_len();
    const bool fmt16 = (eep.auto_stacks == 0 && eep.auto_stack_value == 0) || eep.trig_code == 0xFF;
    const uint32_t width = fmt16 ? 2 : 4;
    const uint32_t x = eep.clipped;
    uint32_t n = eep.samples;
    if (n > DSP_MAX_SAMPLES)
        n = DSP_MAX_SAMPLES;
    if (body_len < 4)
        return kElemShortTrace;
    uint32_t v = ring_be32(body);
    int32_t position = eep.trig_code == 0x80 ? ticks_to_ms(v) : int32_t(v);
    uint64_t need = 4 + uint64_t(x) * width + uint64_t(n) * width;
    if (need > body_len) {
        printf("trace element of %u bytes is shorter than %u samples\n", body_len, n);
        return kElemShortTrace;
    }
    uint32_t s = ring_add(body, 4 + x * width);
    if (fmt16) {
        for (uint32_t i = 0; i < n; i++) {
            const int16_t v = int16_t(ring_be16(ring_add(s, 2 * i)));
            samples_[i] = int32_t(uint32_t(int32_t(v)) << 16);
        }
    } else {
        int r = w.next();
        if (r == 0)
            return kElemNoDivisor;
        if (r < 0)
            return r;
        if (w.read() != 0)
            return kElemNoDivisor;
        if (w.tag() != kTagDivisor)
            return kElemWrongDivisor;
        if (w.body_len() < 2)
            return kElemNoDivisor;
        uint16_t div = ring_be16(w.body());
        int32_t dv = div ? int32_t(div) : 1;
        for (uint32_t i = 0; i < n; i++) {
            uint32_t w1 = ring_be16(ring_add(s, 4 * i));
            uint32_t w2 = ring_be16(ring_add(s, 4 * i + 2));
            int32_t low = int32_t(w1 << 16) / dv;
            samples_[i] = int32_t((w2 << 16) + uint32_t(low) + 0x80000000u);
        }
    }
    CMeaTrace t;
    t.position = position;
    t.samples = samples_;
    t.count = int(n);
    t.cu_trace_number = d.trace;
    t.restored = d.restored != 0;
    t.stacked = !fmt16;
    return sink_->trace(t);
}

int CEthernet::GetMeaData(uint32_t index)
{
    CTraceDesc d;
    {
        MutexLock g(eth_mtx1);
        d = tr_desc[index % kDescCount];
    }
    CElementWalk w(*this, d.start % kMeaRingSize, d.end % kMeaRingSize);
    for (;;) {
        int r = w.read();
        if (r < 0)
            return r;
        const uint32_t body = w.body(), body_len = w.body_len();
        switch (w.tag()) {
        case kTagTrace:
            r = decode_trace(w, d);
            if (r < 0)
                return r;
            break;
        case kTagWheel:
            if (body_len >= 4)
                sink_->wheel_position(int32_t(ring_be32(body)));
            break;
        case kTagTime:
            if (body_len >= 4)
                sink_->time_position(ticks_to_ms(ring_be32(body)));
            break;
        case kTagGpsText:
            if (eep.gps_enabled && eep.gps_source == 2) {
                if (body_len > kMaxGpsText) {
                    printf("gps_buf tries to be overflowed! (%d)\n", int(body_len));
                    break;
                }
                char text[kMaxGpsText + 1];
                ring_read(body, reinterpret_cast<uint8_t*>(text), body_len);
                text[body_len] = 0;
                sink_->gps_text(text, body_len);
            }
            break;
        case kTagGpsUbx:
            if (eep.gps_enabled) {
                // UBX: B5 62, class, id, length (LE), payload; NAV-TIMEGPS payload: iTOW (ms),
                // fTOW, week, leap seconds, validity flags.
                uint8_t m[6 + 16] = {0};
                uint32_t n = body_len < sizeof m ? body_len : uint32_t(sizeof m);
                ring_read(body, m, n);
                uint32_t sec = 0;
                uint16_t ms = 0;
                if (n == sizeof m && m[2] == 0x01 && m[3] == 0x20 && m[6 + 11] == 7) {
                    uint32_t itow = le32(m + 6);
                    uint16_t week = le16(m + 6 + 8);
                    int8_t leap = int8_t(m[6 + 10]);
                    sec = uint32_t(itow / 1000 + uint32_t(week) * 604800u - int32_t(leap) +
                                   315964800u);
                    ms = uint16_t(itow % 1000);
                }
                sink_->gps_time(sec, ms);
            }
            break;
        default: // 64, 77, a lone 180 and unknown tags are skipped
            break;
        }
        r = w.next();
        if (r != 1)
            return r;
    }
}

int CEthernet::locate_single_trace(uint32_t& pos, uint32_t& end, uint32_t& len)
{
    {
        MutexLock g(eth_mtx1);
        pos = eth_buf_beg;
        end = eth_buf_end;
    }
    CElementWalk w(*this, pos, end);
    int r;
    while ((r = w.read()) == 0 && w.tag() != kTagTrace) {
        const int n = w.next();
        if (n != 1) {
            r = n == 0 ? kElemEnd : n;
            break;
        }
    }
    pos = w.pos;
    len = w.len;
    return r;
}
