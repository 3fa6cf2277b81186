// CEthernet: the link to the CU (global `eth`).
//
// The monitor builds every CU frame itself and sends and captures whole Ethernet frames
// through a CLinkTransport (libpcap on eth0/wlan0 on the device). One receiving thread,
// eth_Collect, reads every frame: answers and error reports go into the answer and error
// rings, measurement data is reassembled into the 20 MB measurement ring with one trace
// descriptor per trace, and missed blocks are recorded, requested again and fitted back in
// when they arrive late. GetMeaData decodes a queued trace for the acquisition.
//
// Results of the senders: 0 ok, -3 link closed, -1 send failed, 733 no answer, 200 + code CU
// error report. Command exchanges that wait for an answer run one at a time (eth_mtx5); frames
// that wait for nothing (the receiving thread's resend requests and progress notes) take only
// the short send lock, so the receiving thread never waits behind an exchange.
//
// Locks: eth_mtx1 ring positions and descriptor ring; eth_mtx2 answer ring; eth_mtx3 error
// ring; eth_mtx4 addresses (templates' MACs, CU IP address, link word B); eth_mtx5 one awaited
// exchange at a time; lock_mb_buf (app) the missed-block table.
//
// The counters and reassembly state below are written by the receiving thread only; other
// threads read them for display and statistics.
#pragma once

#include "dsp/trace.h"
#include "link/elements.h"
#include "link/frames.h"
#include "link/mea_sink.h"
#include "link/transport.h"
#include "platform/shared_value.h"

#include <SDL/SDL.h>
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr uint32_t kMeaRingSize = 20000000;  // measurement ring bytes
constexpr int kMeaRingMirror = 10;           // bytes 0..9 repeated after the end
constexpr int kDescCount = 10000;            // trace descriptors
constexpr int kMissedCount = 300000;         // missed-block table entries
constexpr int kTraceFlagCount = 1000000;     // restored-trace flags
// The missed-block table and the restored-trace flags kept on the data partition.
constexpr const char* kMissedBlocksPath = "/mnt/hda1/missed_data.mbf";
constexpr const char* kRestoredFlagsPath = "/mnt/hda1/missed_data.trf";
// Key lines beside the table: the trace count the pending profile held before its measurement
// (a continued profile's CU traces are numbered from 1 again) and the CU's last block at its
// stop (the resend requests end there).
constexpr const char* kMissedRunPath = "/mnt/hda1/missed_data.run";
constexpr int kCuRingCount = 100;            // answer ring and error ring entries
constexpr int kAnswerPayload = 80;
constexpr int kBlockPayload = link_frame::kBlockLen, kBlockHeader = link_frame::kBlockHead,
              kBlockData = link_frame::kBlockDataLen;
// Ring bytes a trace may lie behind the newest block and still be read.
constexpr int64_t kMaxBytesBehind = kMeaRingSize - 1;
constexpr int kDefaultAnswerTimeout = 50;    // polls of 2 ms
constexpr int kNoAnswer = 733;
constexpr uint8_t kFiller = 0x88;            // ring bytes of blocks that never arrived

// GetMeaData / element walking results.
constexpr int kElemEnd = -15, kElemShort = -16, kElemBadLength = -10, kElemTruncated = -11,
              kElemOverrun = -12, kElemNoDivisor = -6, kElemWrongDivisor = -9,
              kElemShortTrace = -13, kElemWriteError = -2;

#pragma pack(push, 1)
struct CAnswer {            // answer ring entry / current answer
    uint16_t channel;
    uint16_t packet;        // answered packet number
    uint8_t payload[kAnswerPayload];
};
struct CErrorEntry {        // error ring entry / current error
    uint16_t channel;
    uint16_t packet;        // answered packet number, as the command was numbered
    uint16_t word1;
    uint16_t code;
};
struct CTraceDesc {         // trace descriptor
    int32_t block;          // the trace's last block number (UDP mode)
    uint32_t start;         // ring position of the first byte
    uint32_t end;           // ring position after the last byte
    int32_t trace;          // CU trace number (0 in raw mode)
    int16_t kind;           // 2 trace, other values additional data; 1 in raw mode
    int16_t restored;       // 1: assembled from late blocks
};
struct CMissedBlock {       // missed-block table entry; free when first == -1
    int32_t first;
    int32_t last;
    int32_t aux;            // used by the acquisition's restore
    int32_t word4;          // set to 0 by the acquisition
    uint32_t position;      // ring position after the interval's filler (0: none)
    int32_t aux2;
};
#pragma pack(pop)
static_assert(sizeof(CAnswer) == 84, "answer entry");
static_assert(sizeof(CErrorEntry) == 8, "error entry: four 16-bit words");
static_assert(sizeof(CTraceDesc) == 20, "trace descriptor");
static_assert(sizeof(CMissedBlock) == 24, "missed-block entry");

// CRC-16/XMODEM of the firmware framing (poly 0x1021, init 0, 4 bits at a time).
unsigned short CalculateCrc(const unsigned char* data, unsigned long len);
// Value of a hexadecimal digit (0-9, A-F, a-f; anything else 0).
short ConvFromChar(char c);
// Converts an Intel-HEX text into the bootloader framing (records 0x03 + bytes + CRC, each
// framed 0x01 ... 0x04 with 0x10 escapes, then the end record 0x05). false when a line is
// too long for one record.
bool hex_to_bootloader(const unsigned char* text, size_t len, unsigned char* out, size_t out_cap,
                       size_t* out_len);

class CEthernet {
public:
    CEthernet();
    ~CEthernet();
    CEthernet(const CEthernet&) = delete;
    CEthernet& operator=(const CEthernet&) = delete;

    // ---- Configuration of the seams (before eth_first_Init / eth_Init) ----
    // Uses t instead of the transport chosen by GPRMON_LINK (not owned; null = back to it).
    void set_transport(CLinkTransport* t);
    // Installs the acquisition side (not owned; null = the idle default).
    void set_sink(CMeaSink* s);
    CMeaSink* sink() { return sink_; }
    // Link word A of UDP-mode frames: the first field of the parameter store (p_read).
    void set_link_word_a(uint32_t v);

    // ---- Link fields ----
    std::atomic<int32_t> answer_timeout{kDefaultAnswerTimeout}; // polls of 2 ms
    std::atomic<int16_t> receive_run{0};   // receiving thread processes frames
    std::atomic<int16_t> emulator_run{0};  // receiving thread plays the CU
    uint8_t wlan_mac[6];                   // own MAC of wlan0
    uint8_t eth_mac[6];                    // own MAC of eth0
    COut_Frame out_frame;                  // raw-mode addresses
    uint8_t emu_frame[224];                // the emulator's answer frame
    COut_IP_Frame ip_frame;                // UDP-mode headers and addresses

    CLinkTransport* handle = nullptr;      // the open capture; null while closed
    uint16_t current_protocol = link_frame::kWiredProtocol;
    uint16_t c_pk_num = 1;                 // packet number of the next frame sent
    uint16_t FrID = 1;                     // frame number inside a file upload
    SDL_Thread* eth_Thread = nullptr;
    SDL_mutex *eth_mtx1, *eth_mtx2, *eth_mtx3, *eth_mtx4, *eth_mtx5;

    // ---- Byte order and addresses ----
    static short GetSwapShort(const unsigned char* data, int pos);
    static int32_t GetSwapLong(const unsigned char* data, int pos);
    static void SetSwapCmd(unsigned char* buf, int pos, int n, int32_t value);
    static int Str2Hex(const char* s, int len);
    static void SetAddress(unsigned char* buf, bool dest, const char* text);
    static bool CompareMAC(const unsigned char* frame, bool dest, const unsigned char* mac);
    static unsigned short Count_UDP_CS(const unsigned char* frame, int len);

    // ---- Framing of the measurement data ----
    // Measurement data comes in numbered blocks (UDP mode) instead of raw packets. Set by the
    // GUI thread (start, stop, restore) while the receiving thread runs; read by the receiving
    // thread for every data frame, by the acquisition thread for every trace and by the GPS
    // reader on the timer thread, hence atomic.
    bool block_mode() const { return block_mode_.load() != 0; }
    void set_block_mode(bool on) { block_mode_.store(on ? 1 : 0); }
    // Numbered blocks for the guard's lifetime; the framing before it comes back at its end,
    // on every return path of a restore.
    class NumberedBlocks {
    public:
        explicit NumberedBlocks(CEthernet& e) : e_(e), before_(e.block_mode()) { e.set_block_mode(true); }
        ~NumberedBlocks() { e_.set_block_mode(before_); }
        NumberedBlocks(const NumberedBlocks&) = delete;
        NumberedBlocks& operator=(const NumberedBlocks&) = delete;
    private:
        CEthernet& e_;
        const bool before_;
    };
    // The CU emulator (a service screen) in place of the CU (on), or the CU again (off).
    // The flag being raised goes first, so the receiving thread never sees both run flags
    // clear, which would end it.
    void emulate_cu(bool on);

    // ---- Opening and closing ----
    int get_the_mac(const char* ifname, unsigned char* out);
    int eth_first_Init();
    int eth_Init();
    void eth_Close();
    // Stops the receiving thread (both run flags cleared, thread woken and joined) and
    // prints "Eth thread is killed by me!"; the capture stays open for a last command.
    void kill_thread();

    // ---- Commands (monitor -> CU) ----
    int SendBroadcast();
    int cmd_inject(unsigned short cmd, unsigned short sub, uint32_t a1 = 0, uint32_t a2 = 0,
                   uint32_t a3 = 0, uint32_t a4 = 0, uint32_t a5 = 0, uint32_t a6 = 0,
                   uint32_t a7 = 0, uint32_t a8 = 0, bool wait = true, bool delay = true);
    int SendStrCommand(short cmd, int sub, const char* text, bool wait);
    unsigned char SendData(const unsigned char* data, int from, unsigned short type, int count,
                           bool last);
    int SendFile(unsigned short type, const char* path);
    int WaitAnswer(unsigned short packet);
    // Packet number of the last command frame sent by this thread's exchange.
    uint16_t last_sent_packet() const { return last_pk_; }

    // ---- Answer and error rings ----
    CAnswer crb[kCuRingCount];
    uint16_t crb1 = 0, crb2 = 0;           // read / write index
    int32_t crb_over = 0;
    CErrorEntry erb[kCuRingCount];
    uint16_t erb1 = 0, erb2 = 0;
    int32_t erb_over = 0;
    CAnswer cur_answer;                    // filled by read_answ
    CErrorEntry cur_error;                 // filled by read_err
    void add_ans(unsigned short channel, unsigned short packet, const unsigned char* payload,
                 int payload_len = kAnswerPayload);
    void add_err(unsigned short channel, unsigned short packet, unsigned short word1,
                 unsigned short code);
    short read_answ();
    short read_err();
    // Takes the oldest CU error report out of the error ring into e: false when it is empty.
    // The copy is made under the ring's lock, so a command exchange reading errors meanwhile
    // on another thread cannot change it.
    bool take_error(CErrorEntry& e);
    void init_crb();
    void init_erb();
    short check_mea_errors();

    // ---- CU emulator ----
    int simu_ans_inject(unsigned char kind, unsigned short answered, const unsigned short* words,
                        unsigned short count, unsigned char pad, unsigned char last,
                        unsigned short frame);

    // ---- Accessors of the frame being decoded ----
    unsigned short GetProtocol() const;
    unsigned short GetPacketNum() const;
    unsigned char GetComType() const;
    unsigned char GetChannel() const;
    unsigned short GetPrevPacketNum() const;
    const unsigned char* GetAnswerAddr() const;

    // ---- Measurement ring and tables ----
    uint8_t m_buf[kMeaRingSize + kMeaRingMirror];
    // The receiving thread moves these while it reassembles; a single exchange (the GPS
    // text on the timer thread, a trace on the GUI thread) resets them and reads the data
    // between them: atomic.
    Shared<uint32_t> m_buf_end{0};   // next byte written here
    Shared<uint32_t> eth_buf_end{0}; // end of committed data
    Shared<uint32_t> eth_buf_beg{0}; // start of the trace being assembled / the reader's start
    Shared<int32_t> buf_over{0};
    CTraceDesc tr_desc[kDescCount];
    uint32_t tr_read = 0, tr_write = 0;     // descriptor ring: processed / queued (under eth_mtx1)
    CMissedBlock mb_buf[kMissedCount];
    uint32_t mb_write = 0;                  // missed-table write index (under lock_mb_buf)
    uint8_t tr_restored[kTraceFlagCount];   // 1: CU trace number already queued

    void init_buf();
    void init_buffers(int full);
    int add_byte(unsigned char b);
    // Appends n bytes (or n copies of fill when src is null): 0, or -1 when the ring is full
    // (the uncommitted bytes are then dropped and buf_over counted).
    int add_bytes(const uint8_t* src, uint32_t n, uint8_t fill = 0);
    // Reads len bytes from ring position pos with wrapping.
    void ring_read(uint32_t pos, uint8_t* out, uint32_t len) const;
    uint8_t ring_at(uint32_t pos) const { return m_buf[pos % kMeaRingSize]; }
    uint16_t ring_be16(uint32_t pos) const;
    uint32_t ring_be32(uint32_t pos) const;
    // The bytes of one trace in the block stream, (samples + clipped) * 4 + 30 from the
    // antenna parameter block; the blocks per trace B = bytes / 496 + 1, and the last block's
    // byte count.
    static int trace_bytes();
    static int blocks_per_trace();
    static int last_block_size();

    // ---- The consumer's side of the descriptor ring and the missed-block table ----
    // The acquisition (and the command layer's single exchanges) use only these.
    // Everything a new measurement starts without: ring, descriptors, missed-block table,
    // restored flags, answer and error rings, receive counters, block sequence.
    void reset_for_measurement();
    // Ring positions and descriptors, before a single exchange (a trace, the GPS text).
    void reset_ring();
    // Before blocks resent from `first` on: ring and descriptors empty, the block sequence
    // standing just before `first`, so that the blocks before it are no new gap.
    void expect_resent_from(int32_t first);
    // The next descriptor queued and not yet handed out: true with its index and a copy.
    bool next_descriptor(uint32_t& index, CTraceDesc& d);
    // Every descriptor handed out so far has been processed.
    void consumed();
    // Every queued descriptor has been handed out and processed.
    bool all_consumed();
    // The ring's queued index: it moves with every descriptor queued.
    uint32_t queued_descriptors();
    // The trace of d was overwritten in the ring by newer blocks (block mode).
    bool overwritten(const CTraceDesc& d) const;
    // The newest block queued as (or with) a trace.
    int32_t newest_block() const { return last_block_addr; }
    // Records the blocks of a trace that was lost in the ring (its last block given) in the
    // missed-block table: the B blocks ending there.
    void record_lost_trace(int32_t last_block);
    // The missed-block table holds an entry.
    bool missed_pending();
    // Entry k of the missed-block table.
    CMissedBlock missed_entry(int k);
    // Frees entry k when it still holds the range of e.
    void missed_done(int k, const CMissedBlock& e);
    // CU trace number t arrived (queued whole or restored).
    bool trace_arrived(int32_t t) const { return t >= 0 && t < kTraceFlagCount && tr_restored[t] != 0; }
    // Where the data of the last single exchange lies in the ring: from the reader's start
    // (while a measurement queues descriptors, from the second descriptor's start) to the end
    // of the committed data.
    void exchange_data(uint32_t& pos, uint32_t& end);
    // Before a missed-block request: the count of blocks it delivered starts at 0.
    void reset_resent_count() { hm_blocks_red = 0; }
    // The blocks the last missed-block request has delivered so far.
    int32_t resent_blocks() const { return hm_blocks_red.load(); }
    // The trace element of a single trace now in the ring (eth_buf_beg .. eth_buf_end,
    // outside a measurement); elements before it (time, wheel positions) are passed over. 0
    // with pos / end / len describing it, or the element walking error.
    int locate_single_trace(uint32_t& pos, uint32_t& end, uint32_t& len);

    // ---- Receive counters and state ----
    // Counted by the receiving thread, zeroed by reset_for_measurement on the thread that
    // starts a measurement and read for statistics by any thread: atomic.
    std::atomic<int32_t> all_packets{0}, good_packets{0}, checksum_packets{0};
    std::atomic<int32_t> tot_missed_blocks{0}, tot_missed_blocks_intervals{0}, meas_resended_blocks{0};
    std::atomic<int32_t> not_block_test_ok{0};
    std::atomic<int32_t> hm_blocks_red{0};
    std::atomic<int32_t> prev_good_block{0};
    std::atomic<int32_t> last_block_addr{0};
    std::atomic<uint8_t> MBCommand_is_allowed{1};
    uint8_t take_add_data = 0;
    int32_t rec_error_1 = 0, rec_error_2 = 0;
    uint16_t refuse = 0;
    uint8_t last_frame = 0;
    uint16_t frame_num = 0, prev_pn = 0, prev_fn = 0;
    uint8_t f_pkt = 1, prev_lf = 1;
    uint8_t packet_valid = 1;
    uint8_t trace_complete = 0;
    uint16_t part_count = 0;
    int32_t mb_request_point = 0;   // block after which the last resend request was sent
    uint32_t emu_samples = 2000;    // emulated sample count
    uint16_t emu_ramp = 0;          // next value of the emulated ramp

    // ---- Receiving ----
    // Thread body (arg: the CEthernet, or null for eth): 0 when both run flags are clear.
    static int eth_Collect(void* arg);
    // Processes one captured frame as the receiving thread does (acceptance, answers,
    // errors, reassembly); the thread calls it for every frame.
    void receive_frame(const uint8_t* data, uint32_t caplen, uint32_t wirelen);
    void emulate_frame(const uint8_t* data, uint32_t caplen, uint32_t wirelen);
    void print_frame() const;

    // ---- Traces ----
    int check_element(uint32_t pos, uint32_t end, uint32_t& len);
    int next_element(uint32_t& pos, uint32_t end, uint32_t len);
    int GetMeaData(uint32_t index);

    // ---- Missed-data files ----
    void mt_CreateFiles();
    int mt_RestoreFiles();
    int mt_DeleteFiles();

private:
    CLinkTransport* transport();
    // Builds a 150-byte command frame (packet number pk) into f; text replaces the arguments
    // when not null. Returns the frame length.
    void build_command(uint8_t* f, bool udp, uint16_t pk, uint16_t cmd, uint16_t sub,
                       const uint32_t* args, const char* text, bool broadcast);
    // Sends one frame under the send lock, numbering it first when number_at >= 0 (the
    // packet number is written there, and in UDP mode the checksum is completed).
    // pk >= 0 numbers the frame with pk instead (further frames of a packet already counted).
    int send_numbered(uint8_t* f, int len, int number_at, bool udp, uint16_t* pk_out,
                      int pk = -1);
    int emu_send(unsigned char kind, unsigned short answered, const unsigned short* words,
                 unsigned short count, unsigned char pad, unsigned char last,
                 unsigned short frame, int pk);
    int send_command(uint16_t cmd, uint16_t sub, const uint32_t* args, const char* text,
                     bool broadcast, bool wait, bool delay);
    void learn_cu_address(const uint8_t* f, uint32_t len, bool udp);
    bool accept_frame(const uint8_t* f, uint32_t caplen, uint32_t wirelen, bool udp);
    void sequence_frame();
    void discard_uncommitted();
    void raw_data(const uint8_t* payload, int32_t n);
    // One measurement block as the handlers see it.
    struct CBlock {
        int32_t b;           // block number
        uint8_t type;        // 2 trace data, other values additional data
        int32_t t;           // CU trace number
        uint32_t tf;         // index of its restored flag (0 outside 0 .. 999,999)
        uint16_t p;          // part of the trace, 1 .. B
        const uint8_t* data; // the block's data bytes
        int32_t d;           // how many of them are used
    };
    void block_data(const uint8_t* payload, size_t len);
    void block_during_measurement(const CBlock& k, int bpt);
    void block_after_measurement(const CBlock& k, int bpt);
    void block_in_sequence(const CBlock& k, int bpt, bool after_gap);
    void late_block(const CBlock& k, int bpt);
    void record_missed(int32_t first, int32_t last, uint32_t position);
    // Stores an entry in the first free slot from the write index on (lock_mb_buf held).
    void table_missed(const CMissedBlock& e);
    void commit();
    void queue_desc(int32_t block, bool set_block, uint32_t start, uint32_t end, int32_t trace,
                    int16_t kind, int16_t restored);
    void ring_write(uint32_t pos, const uint8_t* src, uint32_t n);
    void send_note(uint16_t cmd, uint16_t sub, const uint32_t* args);
    int decode_trace(CElementWalk& w, const CTraceDesc& d);
    void emulate_command(const uint8_t* f, uint32_t len);

    std::atomic<uint8_t> block_mode_{0};      // see block_mode()
    CLinkTransport* transport_ = nullptr;     // chosen by set_transport
    CLinkTransport* env_transport_ = nullptr; // owned, from GPRMON_LINK
    CMeaSink default_sink_;
    CMeaSink* sink_ = &default_sink_;
    SDL_mutex* send_mtx_;                     // one frame on the wire at a time
    uint16_t last_pk_ = 0;                    // packet of the last awaited command
    uint16_t last_data_pk_ = 0;               // packet of the last file chunk
    const uint8_t* cur_frame_ = nullptr;      // frame being decoded
    uint32_t cur_len_ = 0;
    bool cur_udp_ = false;
    int32_t samples_[DSP_MAX_SAMPLES];            // decoded samples of one trace
    uint32_t tr_next_ = 0;                    // next descriptor to hand out (under eth_mtx1)
};

extern CEthernet eth;
