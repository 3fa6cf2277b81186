// A grid project as a damaged disk or a foreign stick may hold it: the .rhd key lines, the
// project's .rad/.add and the four .rd6 cubes, read as opening the project reads them (the
// float files first, the raw ones when those fail). The migration that rebuilds missing float
// files is left out: it is arithmetic, not a reader.
#include "cu/eep.h"
#include "fuzz/fuzz_support.h"
#include "grid/matrix.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kName = "GR_001";

// Cubes above this are refused before allocation so that one input stays fast; the sizes
// the reader checks are all reachable below it.
constexpr int kMaxCells = 64 * 64;

std::vector<uint8_t> file_bytes(const char* device_path)
{
    std::vector<uint8_t> v;
    FILE* f = fopen(fuzz_path(device_path).c_str(), "rb");
    if (!f)
        return v;
    int c;
    while ((c = fgetc(f)) != EOF)
        v.push_back(uint8_t(c));
    fclose(f);
    return v;
}

void put_chunk(FILE* out, const std::vector<uint8_t>& v)
{
    fputc(int(v.size() >> 8), out);
    fputc(int(v.size() & 0xff), out);
    fwrite(v.data(), 1, v.size(), out);
}

// With GPRMON_FUZZ_WRITE_SEED=FILE: a 2 x 2 project of 100 samples written by the program's
// own writers, packed as the target reads its input, then the program ends. With
// GPRMON_FUZZ_SEED_RAW_ONLY set the float files are left out (the fallback path).
void write_seed(const char* path)
{
    static CMatrix m;
    m.xSetNames(kName);
    m.hd.hd_init();
    eep.samples = 100;
    m.project_type = 1;
    m.nx = m.ny = 2;
    m.line_step = 1;
    if (m.mx_create() != 0 || m.rhd_write() != 0 || m.hd.h_write() != 0)
        exit(1);
    for (int d = 0; d < 2; d++)
        for (auto& line : m.traces[d])
            for (size_t t = 0; t < line.size(); t++)
                for (int i = 0; i < 100; i++)
                    line[t].data[i] = float((i * 37 + int(t) * 11 + d * 5) % 200 - 100);
    for (int d = 0; d < 2; d++)
        for (auto& f : m.filled[d])
            std::fill(f.begin(), f.end(), int16_t(1));
    const bool raw_only = getenv("GPRMON_FUZZ_SEED_RAW_ONLY") != nullptr;
    for (int k = 0; k < (raw_only ? 2 : 4); k++)
        if (m.d_write(k) != 0)
            exit(1);
    FILE* out = fopen(path, "wb");
    if (!out)
        exit(1);
    put_chunk(out, file_bytes(m.rhd_path));
    put_chunk(out, file_bytes(m.hd.rad_path));
    put_chunk(out, file_bytes(m.hd.add_path));
    for (int k = 0; k < 4; k++)
        put_chunk(out, k < 2 || !raw_only ? file_bytes(m.rd6_path[k]) : std::vector<uint8_t>());
    exit(fclose(out) == 0 ? 0 : 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_sandbox();
    if (const char* seed = getenv("GPRMON_FUZZ_WRITE_SEED"))
        write_seed(seed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CMatrix m; // large: made once, reset below
    FuzzInput in(data, size);
    m.xSetNames(kName);
    const char* paths[3] = {m.rhd_path, m.hd.rad_path, m.hd.add_path};
    for (const char* p : paths) {
        std::vector<uint8_t> v = in.chunk();
        fuzz_write_file(p, v.data(), v.size());
    }
    for (int k = 0; k < 4; k++) {
        std::vector<uint8_t> v = in.chunk();
        if (v.empty())
            remove(fuzz_path(m.rd6_path[k]).c_str());
        else
            fuzz_write_file(m.rd6_path[k], v.data(), v.size());
    }

    m.mx_clear();
    m.hd.hd_init();
    m.m_init();
    m.xSetNames(kName);
    if (m.hd.h_read() != 0 || m.hd.set_EEPROM_from_header() != 0 || m.rhd_read() != 0)
        return 0;
    if (int(m.nx) * int(m.ny) > kMaxCells)
        return 0;
    if (m.mx_create() != 0)
        return 0;
    if (m.d_read(2) != 0 || m.d_read(3) != 0)
        m.mx_reread();
    m.mx_clear();
    return 0;
}
