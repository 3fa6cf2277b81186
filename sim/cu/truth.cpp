#include "sim/cu/truth.h"

#include <cstring>

namespace cusim {

namespace {
constexpr char kMagic[8] = {'C', 'U', 'S', 'I', 'M', 'G', 'T', '1'};
}

TruthWriter::~TruthWriter() { close(); }

bool TruthWriter::open(const std::string& path, std::string& error)
{
    close();
    f_ = std::fopen(path.c_str(), "wb");
    if (!f_) { error = "cannot create truth file " + path; return false; }
    uint8_t h[kTruthHeader];
    std::memcpy(h, kMagic, 8);
    put_le32(h + 8, kTruthVersion);
    put_le32(h + 12, kTruthHeader);
    std::fwrite(h, 1, sizeof h, f_);
    std::fflush(f_);
    return true;
}

void TruthWriter::write(const Trace& t)
{
    if (!f_) return;
    const size_t v = t.values();
    const size_t body = t.format == 32 ? 4 * v : 2 * v;
    Bytes r(kTruthRecordHead + body, 0);
    put_le32(&r[0], uint32_t(r.size()));
    put_le32(&r[4], t.measurement);
    put_le32(&r[8], t.number);
    put_le32(&r[12], uint32_t(t.trigger));
    put_le32(&r[16], uint32_t(t.wheel));
    put_le32(&r[20], t.time);
    put_le32(&r[24], t.first_block);
    put_le16(&r[28], t.clipped);
    put_le16(&r[30], t.samples);
    put_le16(&r[32], t.divisor);
    r[34] = t.format;
    r[35] = t.source;
    r[36] = t.flags;
    put_le32(&r[40], uint32_t(t.plan_x_mm));
    put_le32(&r[44], uint32_t(t.plan_y_mm));
    uint8_t* p = &r[kTruthRecordHead];
    if (t.format == 32)
        for (size_t i = 0; i < 2 * v; ++i, p += 2) put_le16(p, t.w32[i]);
    else
        for (size_t i = 0; i < v; ++i, p += 2) put_le16(p, uint16_t(t.s16[i]));
    std::fwrite(r.data(), 1, r.size(), f_);
}

void TruthWriter::flush()
{
    if (f_) std::fflush(f_);
}

void TruthWriter::close()
{
    if (f_) std::fclose(f_);
    f_ = nullptr;
}

bool read_truth(const std::string& path, std::vector<Trace>& out, std::string& error)
{
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) { error = "cannot open " + path; return false; }
    Bytes all;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.insert(all.end(), buf, buf + n);
    std::fclose(f);
    if (all.size() < kTruthHeader || std::memcmp(all.data(), kMagic, 8) != 0) {
        error = path + " is not a cusim ground-truth file";
        return false;
    }
    const uint32_t version = get_le32(&all[8]);
    if (version != 1 && version != kTruthVersion) { error = path + " has unknown version " + std::to_string(version); return false; }
    const size_t head = version == 1 ? 40 : kTruthRecordHead;
    size_t pos = get_le32(&all[12]);
    while (pos < all.size()) {
        if (all.size() - pos < head) { error = "truncated record header"; return false; }
        const uint8_t* r = &all[pos];
        const size_t size = get_le32(r);
        Trace t;
        t.measurement = get_le32(r + 4);
        t.number = get_le32(r + 8);
        t.trigger = int32_t(get_le32(r + 12));
        t.wheel = int32_t(get_le32(r + 16));
        t.time = get_le32(r + 20);
        t.first_block = get_le32(r + 24);
        t.clipped = get_le16(r + 28);
        t.samples = get_le16(r + 30);
        t.divisor = get_le16(r + 32);
        t.format = r[34];
        t.source = r[35];
        t.flags = r[36];
        if (version >= 2) {
            t.plan_x_mm = int32_t(get_le32(r + 40));
            t.plan_y_mm = int32_t(get_le32(r + 44));
        }
        if (t.format != 16 && t.format != 32) { error = "bad sample format in record"; return false; }
        const size_t v = t.values();
        const size_t want = head + (t.format == 32 ? 4 : 2) * v;
        if (size != want || all.size() - pos < size) { error = "record size does not match"; return false; }
        const uint8_t* p = r + head;
        if (t.format == 32) {
            t.w32.resize(2 * v);
            for (size_t i = 0; i < 2 * v; ++i, p += 2) t.w32[i] = get_le16(p);
        } else {
            t.s16.resize(v);
            for (size_t i = 0; i < v; ++i, p += 2) t.s16[i] = int16_t(get_le16(p));
        }
        out.push_back(std::move(t));
        pos += size;
    }
    return true;
}

}  // namespace cusim
