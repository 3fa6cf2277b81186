#include "acq_fixture.h"

#include "acquisition/mea_buf.h"
#include "platform/globals.h"
#include "files/radar_data.h"
#include "link/ethernet.h"

#include <cstdio>
#include <fstream>
#include <sstream>

void reset_acquisition_state()
{
    MeasureMode = false;
    acq_running = false;
    acq_finished = false;
    inMeasurement = false;
    first_trace = true;
    cont_meas = false;
    mea_errors = false;
    clear_error_flags();
    prevL = 0;
    prevWP = 0;
    triggCond = 1;
    curWhPosition = 0;
    curTmPosition = 0;
    prev_meas_time = 0;
    prev_meas_traces = 0;
    shown_traces = 0;
    canShow = false;
    canPShow = false;
    ag_autostart = 1;
    ProjN = 0;
    eth.set_block_mode(false);
    eth.init_buffers(1);
    mea_buf.clear();
}

void AcqTest::SetUp()
{
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "'").c_str()));
    rdr.dClose(true);
    eep = CEEP();
    eep.samples = 512;
    eep.sample_interval = 0.0005;
    eep.step_distance = 0.02;
    eep.ant_record = nullptr;
    reset_acquisition_state();
}

void AcqTest::TearDown()
{
    rdr.dClose(true);
    reset_acquisition_state();
    eep = saved_eep;
}

std::vector<std::vector<int32_t>> read_rd7(const std::string& path, int n)
{
    std::ifstream f(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<std::vector<int32_t>> out;
    const size_t len = size_t(n) * 4;
    for (size_t off = 0; off + len <= bytes.size(); off += len) {
        std::vector<int32_t> t(static_cast<size_t>(n), 0);
        for (int i = 0; i < n; i++) {
            const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data() + off + 4 * size_t(i));
            t[size_t(i)] = int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        }
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<std::string> file_lines(const std::string& path)
{
    std::string text = read_file(path);
    std::vector<std::string> out;
    size_t p = 0;
    while (p < text.size()) {
        size_t e = text.find("\r\n", p);
        if (e == std::string::npos) {
            out.push_back(text.substr(p));
            break;
        }
        out.push_back(text.substr(p, e - p));
        p = e + 2;
    }
    return out;
}
