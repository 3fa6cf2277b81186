// The receiving thread: frame acceptance, answers and error reports, and the reassembly of
// measurement data into the measurement ring.
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/eep.h"
#include "link/byte_order.h"
#include "link/ethernet.h"

#include <cstdio>
#include <cstring>

namespace lf = link_frame;

namespace {
constexpr int32_t kMaxFillBlocks = 1062;   // filler is written for at most this many blocks
constexpr int32_t kMaxLateBlocks = 1023;   // a late block further back is not fitted in
constexpr int32_t kBlockLimitFactor = 2000000;
constexpr uint16_t kResendRequest = 210, kProgressNote = 6666;
} // namespace

// ---- Ring primitives ----

void CEthernet::ring_write(uint32_t pos, const uint8_t* src, uint32_t n)
{
    pos %= kMeaRingSize;
    uint32_t first = n < kMeaRingSize - pos ? n : kMeaRingSize - pos;
    if (src) {
        memcpy(m_buf + pos, src, first);
        if (first < n)
            memcpy(m_buf, src + first, n - first);
    }
    if (pos < uint32_t(kMeaRingMirror) || first < n) // keep the mirror of bytes 0..9
        memcpy(m_buf + kMeaRingSize, m_buf, kMeaRingMirror);
}

void CEthernet::ring_read(uint32_t pos, uint8_t* out, uint32_t len) const
{
    pos %= kMeaRingSize;
    uint32_t first = len < kMeaRingSize - pos ? len : kMeaRingSize - pos;
    memcpy(out, m_buf + pos, first);
    if (first < len)
        memcpy(out + first, m_buf, len - first);
}

uint16_t CEthernet::ring_be16(uint32_t pos) const
{
    return be16(m_buf + pos % kMeaRingSize); // the mirror covers the wrap
}

uint32_t CEthernet::ring_be32(uint32_t pos) const
{
    return be32(m_buf + pos % kMeaRingSize);
}

int CEthernet::add_byte(unsigned char b) { return add_bytes(&b, 1); }

int CEthernet::add_bytes(const uint8_t* src, uint32_t n, uint8_t fill)
{
    uint32_t beg = eth_buf_beg;
    uint32_t w = m_buf_end;
    uint32_t dist = beg >= w ? beg - w : kMeaRingSize - (w - beg);
    if (dist == 0)
        dist = kMeaRingSize;
    if (n > dist - 1) { // the write position would reach the unread data
        MutexLock g(eth_mtx1);
        m_buf_end = eth_buf_end;
        buf_over++;
        return -1;
    }
    if (src) {
        ring_write(w, src, n);
    } else {
        uint32_t first = n < kMeaRingSize - w ? n : kMeaRingSize - w;
        memset(m_buf + w, fill, first);
        if (first < n)
            memset(m_buf, fill, n - first);
        ring_write(w, nullptr, n);
    }
    uint32_t e = w + n;
    m_buf_end = e >= kMeaRingSize ? e - kMeaRingSize : e;
    return 0;
}

void CEthernet::init_buf()
{
    MutexLock g(eth_mtx1);
    m_buf_end = eth_buf_end = eth_buf_beg = 0;
    buf_over = 0;
}

void CEthernet::init_buffers(int full)
{
    init_buf();
    init_crb();
    init_erb();
    if (!full)
        return;
    {
        MutexLock g(eth_mtx1);
        tr_read = tr_write = tr_next_ = 0;
    }
    MutexLock g(lock_mb_buf);
    mb_write = 0;
    for (CMissedBlock& e : mb_buf)
        e = CMissedBlock{-1, 0, 0, 0, 0, 0};
    memset(tr_restored, 0, sizeof tr_restored);
}

void CEthernet::reset_for_measurement()
{
    all_packets = good_packets = checksum_packets = 0;
    tot_missed_blocks = tot_missed_blocks_intervals = meas_resended_blocks = 0;
    not_block_test_ok = 0;
    init_buffers(1);
    MBCommand_is_allowed = 1;
    prev_good_block = 0;
    last_block_addr = 0;
}

void CEthernet::reset_ring()
{
    init_buffers(0);
    MutexLock g(eth_mtx1);
    tr_read = tr_write = tr_next_ = 0;
}

void CEthernet::expect_resent_from(int32_t first)
{
    init_buf();
    {
        MutexLock g(eth_mtx1);
        tr_read = tr_write = tr_next_ = 0;
    }
    prev_good_block = first - 1;
}

namespace {
uint32_t desc_dist(uint32_t from, uint32_t to)
{
    return (to + kDescCount - from % kDescCount) % kDescCount;
}
} // namespace

bool CEthernet::next_descriptor(uint32_t& index, CTraceDesc& d)
{
    MutexLock g(eth_mtx1);
    // The cursor lies between the processed and the queued index; a reset of both (or a
    // full ring dropping its oldest entries) puts it back to the processed one.
    if (desc_dist(tr_read, tr_next_) > desc_dist(tr_read, tr_write))
        tr_next_ = tr_read;
    if (tr_next_ == tr_write)
        return false;
    index = tr_next_;
    d = tr_desc[index];
    tr_next_ = tr_next_ + 1 == kDescCount ? 0 : tr_next_ + 1;
    return true;
}

void CEthernet::consumed()
{
    MutexLock g(eth_mtx1);
    if (desc_dist(tr_read, tr_next_) <= desc_dist(tr_read, tr_write))
        tr_read = tr_next_;
}

uint32_t CEthernet::queued_descriptors()
{
    MutexLock g(eth_mtx1);
    return tr_write;
}

bool CEthernet::all_consumed()
{
    MutexLock g(eth_mtx1);
    return tr_read == tr_write;
}

void CEthernet::exchange_data(uint32_t& pos, uint32_t& end)
{
    MutexLock g(eth_mtx1);
    pos = sink_->measuring() ? tr_desc[1].start : eth_buf_beg.load();
    end = eth_buf_end;
}

bool CEthernet::overwritten(const CTraceDesc& d) const
{
    const int64_t behind = (int64_t(last_block_addr) - d.block) * kBlockData;
    return behind > kMaxBytesBehind;
}

void CEthernet::table_missed(const CMissedBlock& e)
{
    uint32_t start = mb_write % kMissedCount, i = start;
    bool found = false;
    do {
        if (mb_buf[i].first == -1) {
            found = true;
            break;
        }
        i = i + 1 == kMissedCount ? 0 : i + 1;
    } while (i != start);
    if (!found) {
        puts("missed blocks buffer is full");
        i = start + 1 == kMissedCount ? 0 : start + 1;
    }
    mb_buf[i] = e;
    mb_write = i + 1 == kMissedCount ? 0 : i + 1;
}

void CEthernet::record_lost_trace(int32_t last_block)
{
    int32_t first = last_block - blocks_per_trace() + 1;
    if (first < 1)
        first = 1;
    MutexLock g(lock_mb_buf);
    table_missed(CMissedBlock{first, last_block, 0, 0, 0, 0});
}

bool CEthernet::missed_pending()
{
    MutexLock g(lock_mb_buf);
    for (const CMissedBlock& e : mb_buf)
        if (e.first != -1)
            return true;
    return false;
}

CMissedBlock CEthernet::missed_entry(int k)
{
    MutexLock g(lock_mb_buf);
    return k >= 0 && k < kMissedCount ? mb_buf[k] : CMissedBlock{-1, 0, 0, 0, 0, 0};
}

void CEthernet::missed_done(int k, const CMissedBlock& e)
{
    MutexLock g(lock_mb_buf);
    if (k >= 0 && k < kMissedCount && mb_buf[k].first == e.first && mb_buf[k].last == e.last)
        mb_buf[k].first = -1;
}

int CEthernet::trace_bytes() { return 4 * (int(eep.samples) + int(eep.clipped)) + 30; }

int CEthernet::blocks_per_trace() { return trace_bytes() / kBlockData + 1; }

int CEthernet::last_block_size() { return trace_bytes() % kBlockData; }

void CEthernet::commit()
{
    MutexLock g(eth_mtx1);
    eth_buf_end = m_buf_end;
}

void CEthernet::discard_uncommitted()
{
    MutexLock g(eth_mtx1);
    m_buf_end = eth_buf_end;
}

// Caller holds eth_mtx1. A full ring drops its oldest descriptor.
void CEthernet::queue_desc(int32_t block, bool set_block, uint32_t start, uint32_t end,
                           int32_t trace, int16_t kind, int16_t restored)
{
    CTraceDesc& d = tr_desc[tr_write];
    if (set_block)
        d.block = block;
    d.start = start;
    d.end = end;
    d.trace = trace;
    d.kind = kind;
    d.restored = restored;
    const uint32_t oldest = tr_read;
    tr_write = tr_write + 1 == kDescCount ? 0 : tr_write + 1;
    if (tr_write == tr_read) {
        tr_read = tr_read + 1 == kDescCount ? 0 : tr_read + 1;
        if (tr_next_ == oldest) // not handed out yet: dropped with it
            tr_next_ = tr_read;
    }
}

void CEthernet::record_missed(int32_t first, int32_t last, uint32_t position)
{
    MutexLock g(lock_mb_buf);
    table_missed(CMissedBlock{first, last, 0, 0, position, 0});
    tot_missed_blocks_intervals++;
}

// ---- The thread ----

int CEthernet::eth_Collect(void* arg)
{
    CEthernet& e = arg ? *static_cast<CEthernet*>(arg) : eth;
    e.f_pkt = 1;
    e.prev_lf = 1;
    e.rec_error_1 = e.rec_error_2 = 0;
    e.packet_valid = 1;
    e.emu_samples = 2000;
    while (e.receive_run || e.emulator_run) {
        CLinkTransport* h = e.handle;
        if (!h) {
            puts("Receiving: handle is NULL");
            SDL_Delay(500);
            continue;
        }
        const uint8_t* data = nullptr;
        uint32_t caplen = 0, wirelen = 0;
        int r = h->next(&data, &caplen, &wirelen);
        if (r == -2) // woken to look at the run flags
            continue;
        e.all_packets++;
        if (r == 0) {
            puts("Receiving: No More Frames");
            e.rec_error_1 = -1;
            continue;
        }
        if (r < 0) {
            printf("Receiving: HW error %d\n", r);
            SDL_Delay(500);
            e.rec_error_1 = -2;
            continue;
        }
        if (e.receive_run)
            e.receive_frame(data, caplen, wirelen);
        else if (e.emulator_run)
            e.emulate_frame(data, caplen, wirelen);
    }
    return 0;
}

bool CEthernet::accept_frame(const uint8_t* f, uint32_t caplen, uint32_t wirelen, bool udp)
{
    if (caplen < uint32_t(lf::kMinFrame) || caplen != wirelen)
        return false;
    if (!CompareMAC(f, true, ip_frame.src)) {
        puts("This packet has not destined for us, we will block it.");
        return false;
    }
    if (be16(f + (udp ? lf::kProtoUdp : lf::kProtoRaw)) != current_protocol) {
        puts("This is not our protocol, we will block it.");
        return false;
    }
    return true;
}

void CEthernet::receive_frame(const uint8_t* f, uint32_t caplen, uint32_t wirelen)
{
    bool udp = prm.udp_mode != 0;
    if (!f || !accept_frame(f, caplen, wirelen, udp))
        return;
    cur_frame_ = f;
    cur_len_ = caplen;
    cur_udp_ = udp;
    const int b = lf::cu_base(udp);
    const int hdr = udp ? lf::kHeaderUdp : lf::kHeaderRaw;
    uint16_t pk = be16(f + b + lf::kPacket);
    uint8_t kind = f[b + lf::kCommand];
    uint8_t channel = f[b + lf::kChannel];
    uint16_t answered = be16(f + b + lf::kSubCode);
    const uint8_t* payload = f + hdr;

    // Measurement blocks of block mode carry a 512-byte payload with their own pad count and
    // a 3-byte trailer (last-frame flag, frame number) right after it.
    bool is_block = block_mode() && (kind == lf::kKindData || kind == lf::kKindData4);
    int32_t plen = int32_t(caplen) - hdr - (is_block ? 3 : 4);
    if (is_block) {
        if (plen != kBlockPayload) {
            puts("Frame length of a block is not correct!");
            return;
        }
        refuse = be16(payload + lf::kBlockPad);
    } else {
        refuse = f[caplen - 4];
    }
    last_frame = f[caplen - 3];
    frame_num = be16(f + caplen - 2);
    good_packets++;
    if (f_pkt) {
        prev_pn = uint16_t(pk - 1);
        f_pkt = 0;
    }
    sequence_frame();
    if (prev_pn != pk) {
        rec_error_2 = -3;
        prev_pn = pk;
        if (frame_num > 1) {
            puts("eth_err: new packet number but not the first frame");
            if (!block_mode()) {
                discard_uncommitted();
                packet_valid = 0;
            }
        }
    }
    prev_lf = last_frame;

    switch (kind) {
    case lf::kKindAnswer: {
        if (udp) {
            uint16_t got = be16(f + lf::kUdpChecksum), want = Count_UDP_CS(f, int(caplen));
            if (got != want) {
                printf("checksums: %X %X %d\n", got, want, int(caplen));
                return;
            }
        }
        add_ans(channel, answered, payload, plen);
        if (plen >= 2 && payload[0] == 0xFF && payload[1] == 0xFF)
            learn_cu_address(f, caplen, udp);
        break;
    }
    case lf::kKindData:
    case lf::kKindData4: {
        if (udp) {
            uint16_t got = be16(f + lf::kUdpChecksum), want = Count_UDP_CS(f, int(caplen));
            if (got != want) {
                printf("checksum error: %X %X %d\n", got, want, int(caplen));
                checksum_packets++;
                return;
            }
        }
        if (is_block)
            block_data(payload, size_t(plen));
        else
            raw_data(payload, last_frame ? plen - refuse : plen);
        break;
    }
    case lf::kKindError: {
        puts("error från CU");
        print_frame();
        // The CU writes the answered packet number of an error report low byte first (the
        // answer frames carry it high byte first), so exchanging the bytes read big-endian
        // gives the packet number as the command was sent, for every packet number.
        uint8_t p[4] = {0, 0, 0, 0};
        memcpy(p, payload, size_t(plen < 4 ? (plen < 0 ? 0 : plen) : 4));
        add_err(channel, inv_short(answered), be16(p), be16(p + 2));
        break;
    }
    default:
        break;
    }
}

void CEthernet::sequence_frame()
{
    if (frame_num == 1) {
        if (!prev_lf) {
            if (!block_mode()) {
                puts("eth_err: prev pk was not finished");
                rec_error_2 = -5;
                discard_uncommitted();
            } else {
                commit();
            }
        }
        prev_fn = 1;
        packet_valid = 1;
        prev_pn = uint16_t(prev_pn + 1);
    } else if (frame_num > 1) {
        if (prev_lf) {
            puts("eth_err: first frames dissapeared");
            rec_error_2 = -6;
            if (!block_mode()) {
                discard_uncommitted();
                packet_valid = 0;
            }
        }
        prev_fn = uint16_t(prev_fn + 1);
        if (prev_fn != frame_num) {
            puts("eth_err: some frames dissapeared");
            rec_error_2 = -4;
            if (!block_mode()) {
                discard_uncommitted();
                packet_valid = 0;
            }
        }
    }
}

// ---- Raw mode: a packet of frames is one trace ----

void CEthernet::raw_data(const uint8_t* payload, int32_t n)
{
    if (n < 0) // a pad count larger than the payload: the packet cannot be trusted
        packet_valid = 0;
    if (packet_valid && n > 0 && add_bytes(payload, uint32_t(n)) < 0) {
        puts("norm.mode: eth buf is full");
        packet_valid = 0;
    }
    if (!packet_valid || !last_frame)
        return;
    bool queue = sink_->measuring() && !sink_->errors_latched();
    MutexLock g(eth_mtx1);
    eth_buf_end = m_buf_end;
    if (queue) {
        queue_desc(0, false, eth_buf_beg, eth_buf_end, 0, 1, 0);
        eth_buf_beg = eth_buf_end;
    }
}

// ---- Block mode: numbered 512-byte blocks ----

void CEthernet::block_data(const uint8_t* payload, size_t len)
{
    CBlockHeader h;
    if (!read_block_header(payload, len, &h))
        return;
    CBlock k;
    k.type = h.type;
    k.t = h.trace;
    k.p = h.part;
    k.tf = (k.t < 0 || k.t > kTraceFlagCount - 1) ? 0 : uint32_t(k.t);
    k.d = kBlockData - int32_t(h.pad);
    if (k.d < 0)
        k.d = 0;
    int bpt = blocks_per_trace();
    if (int64_t(h.number) > int64_t(bpt) * kBlockLimitFactor)
        return;
    k.b = int32_t(h.number);
    k.data = payload + kBlockHeader;
    if (sink_->measuring())
        block_during_measurement(k, bpt);
    else if (prm.restore_missed)
        block_after_measurement(k, bpt);
}

void CEthernet::block_during_measurement(const CBlock& k, int bpt)
{
    const int32_t b = k.b;
    int32_t pgb = prev_good_block;
    if (b == pgb + 1) {
        block_in_sequence(k, bpt, false);
    } else if (b > pgb + 1) {
        tot_missed_blocks += b - pgb - 1;
        int32_t s = pgb + 1;
        if (b - s > kMaxFillBlocks)
            s = b - kMaxFillBlocks;
        for (int32_t n = s; n < b; n++)
            if (add_bytes(nullptr, kBlockData, kFiller) < 0)
                puts("eth buf is full (writing 0)");
        if (prm.restore_missed) {
            record_missed(pgb + 1, b - 1, m_buf_end);
            if (prm.request_missed && MBCommand_is_allowed) {
                const uint32_t args[8] = {uint32_t(s), uint32_t(b - 1), 0, 0, 0, 0, 0, 0};
                send_note(kResendRequest, 0, args);
                MBCommand_is_allowed = 0;
                mb_request_point = b;
            }
        }
        {
            MutexLock g(eth_mtx1); // the unfinished trace cannot be completed any more
            eth_buf_end = m_buf_end;
            eth_buf_beg = eth_buf_end;
        }
        block_in_sequence(k, bpt, true);
    } else if (b < pgb) {
        if (prm.restore_missed && k.type == 2)
            late_block(k, bpt);
    }
    // b == pgb: a duplicate, ignored
}

void CEthernet::block_in_sequence(const CBlock& k, int bpt, bool after_gap)
{
    const int32_t b = k.b;
    const uint8_t type = k.type;
    const uint16_t p = k.p;
    const uint32_t tf = k.tf;
    if (b >= bpt + mb_request_point)
        MBCommand_is_allowed = 1;
    if (type == 2) {
        if (p == 1) {
            MutexLock g(eth_mtx1);
            eth_buf_end = m_buf_end;
            eth_buf_beg = eth_buf_end;
            trace_complete = 1;
            part_count = 1;
            take_add_data = 0;
        } else if (after_gap) { // its first blocks were lost
            trace_complete = 0;
            take_add_data = 1;
        } else {
            part_count++;
            if (part_count != p) {
                trace_complete = 0;
                take_add_data = 1;
            }
        }
    } else if (after_gap) {
        prev_good_block = b;
        return;
    } else if (take_add_data) {
        trace_complete = 0;
        part_count = 0;
        MutexLock g(eth_mtx1);
        eth_buf_end = m_buf_end;
        eth_buf_beg = eth_buf_end;
    }
    if (take_add_data || type == 2) {
        if (add_bytes(k.data, uint32_t(k.d)) < 0)
            puts(after_gap ? "eth buf is full (1)" : "eth buf is full (2)");
        commit();
    }
    prev_good_block = b;
    bool last_part = type == 2 && p == bpt;
    if (!sink_->errors_latched()) {
        bool queue = (type != 2 && take_add_data) ||
                     (last_part && trace_complete && !tr_restored[tf]);
        if (queue) {
            {
                MutexLock g(eth_mtx1);
                queue_desc(b, true, eth_buf_beg, eth_buf_end, k.t, type, 0);
                eth_buf_beg = eth_buf_end;
            }
            if (type == 2 && tf != 0) {
                tr_restored[tf] = 1;
                if (k.t % 50 == 0) {
                    static const uint32_t note[8] = {1, 2, 3, 4, 5, 6, 7, 8};
                    send_note(kProgressNote, 0, note);
                }
            }
            last_block_addr = b;
        }
    }
    if (last_part) {
        if (!trace_complete && !tr_restored[tf])
            not_block_test_ok++;
        take_add_data = 1;
    }
}

// A resent block of a measured interval: it goes back to the place its filler holds, and
// when that completes its trace, the trace is queued as restored.
void CEthernet::late_block(const CBlock& k, int bpt)
{
    const int32_t b = k.b;
    const uint16_t p = k.p;
    const uint32_t tf = k.tf;
    meas_resended_blocks++;
    MBCommand_is_allowed = 1;
    if (tr_restored[tf])
        return;
    CMissedBlock e{};
    bool found = false;
    {
        MutexLock g(lock_mb_buf);
        uint32_t i = mb_write % kMissedCount;
        for (int n = 0; n < kMissedCount; n++) {
            i = i == 0 ? kMissedCount - 1 : i - 1;
            const CMissedBlock& m = mb_buf[i];
            if (m.first != -1 && m.first <= b && b <= m.last) {
                e = m;
                found = true;
                break;
            }
        }
    }
    if (!found) {
        puts("missed block is not found");
        return;
    }
    int32_t pgb = prev_good_block;
    if (sink_->errors_latched() || pgb - b + 1 > kMaxLateBlocks || e.position == 0)
        return;
    auto back = [](int64_t pos, int64_t bytes) {
        int64_t q = (pos - bytes) % int64_t(kMeaRingSize);
        return uint32_t(q < 0 ? q + kMeaRingSize : q);
    };
    uint32_t q = back(e.position, int64_t(e.last - b + 1) * kBlockData);
    ring_write(q, k.data, kBlockData);

    if (p < 1 || p > bpt)
        return;
    // Blocks before the filler window of an interval longer than 1062 blocks have no place
    // in the ring.
    int32_t window = e.last - kMaxFillBlocks + 1;
    if (window < e.first)
        window = e.first;
    int32_t first_block = b - (p - 1);
    if (first_block < window && window > e.first)
        return;
    uint32_t pos = back(q, int64_t(p - 1) * kBlockData);
    uint32_t start = pos;
    bool complete = true;
    for (int k = 0; k < bpt; k++) {
        int32_t blk = first_block + k;
        if (blk > pgb) {
            complete = false;
            break;
        }
        uint8_t head[4];
        ring_read(pos, head, 4);
        if (head[0] == kFiller && head[1] == kFiller && head[2] == kFiller && head[3] == kFiller) {
            complete = false;
            break;
        }
        pos = (pos + uint32_t(k == bpt - 1 ? last_block_size() : kBlockData)) % kMeaRingSize;
    }
    if (!complete)
        return;
    {
        MutexLock g(eth_mtx1);
        queue_desc(first_block + bpt - 1, true, start, pos, k.t, 2, 1);
    }
    if (tf != 0)
        tr_restored[tf] = 1;
}

// Blocks the CU resends after the measurement stopped (from its memory card).
void CEthernet::block_after_measurement(const CBlock& k, int bpt)
{
    const int32_t b = k.b;
    const uint16_t p = k.p;
    const uint32_t tf = k.tf;
    if (packet_valid)
        hm_blocks_red++;
    int32_t pgb = prev_good_block;
    if (b <= pgb)
        return;
    // A block that arrived but is not needed (a trace already stored, or GPS data) still
    // ends any gap before it and moves the sequence on: the margin blocks a restore asks for
    // around a lost range must not be tabled as a new lost range.
    const bool wanted = k.type == 2 && !tr_restored[tf];
    if (b > pgb + 1) {
        {
            MutexLock g(eth_mtx1);
            eth_buf_end = m_buf_end;
            eth_buf_beg = eth_buf_end;
        }
        trace_complete = 0;
        part_count = 0;
        if (sink_->finished())
            record_missed(pgb + 1, b - 1, 0);
    }
    if (!wanted) {
        prev_good_block = b;
        return;
    }
    if (eth_buf_beg != m_buf_end || p == 1) {
        if (p == 1) {
            MutexLock g(eth_mtx1);
            eth_buf_end = m_buf_end;
            eth_buf_beg = eth_buf_end;
            trace_complete = 1;
            part_count = 1;
        } else {
            part_count++;
            if (part_count != p)
                trace_complete = 0;
        }
        if (add_bytes(k.data, uint32_t(k.d)) < 0)
            puts("eth buf is full (2)");
        commit();
        if (p == bpt && trace_complete) {
            {
                MutexLock g(eth_mtx1);
                queue_desc(0, false, eth_buf_beg, eth_buf_end, k.t, k.type, 1);
                eth_buf_beg = eth_buf_end;
            }
            if (tf != 0)
                tr_restored[tf] = 1;
        }
    }
    prev_good_block = b;
}

void CEthernet::print_frame() const
{
    if (!cur_frame_)
        return;
    printf("Jacked a packet with length of [%d]\n", int(cur_len_));
    printf("refuse %d; lf=%d; fn=%d\n", refuse, last_frame, frame_num);
    for (uint32_t i = 0; i < cur_len_; i++) {
        printf("%2X ", cur_frame_[i]);
        if (i % 16 == 15)
            printf("\n");
    }
    printf("\n");
}
