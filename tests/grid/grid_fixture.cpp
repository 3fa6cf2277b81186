#include "grid_fixture.h"

#include "cu/eep.h"

#include <fstream>
#include <sstream>

std::string bytes_of(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void put_bytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

CAntennaRecord& GridTest::current_antenna() { return eep.current_antenna(); }

void GridTest::SetUp()
{
    ASSERT_EQ(0, system(("mkdir -p '" + sb.path("/mnt/hda1") + "' '" + sb.path("/mnt/usb/SORLAN") + "'").c_str()));
    eep = CEEP();
    eep.ant_record = nullptr;
    eep.samples = 512;
    eep.sample_interval = 0.0001; // 0.1 ns
    eep.tz_sample = 0;
    eep.step_distance = 0.05;
    eep.ant_separation = 0.0f;
    xml_pars.units = 1;
    xml_pars.soil_velocity = 100;
    mx.mx_clear();
    mx.hd.hd_init();
    mx.m_init();
    migr_coef = 0.0f;
}

void GridTest::TearDown()
{
    mx.mx_clear();
    mx.hd.hd_init();
    mx.m_init();
    eep = saved_eep;
    xml_pars.soil_velocity = saved_soil;
    xml_pars.units = saved_units;
    current_antenna() = saved_antenna;
}

void GridTest::make_cube(int nx, int ny, int step, int n)
{
    eep.samples = uint16_t(n);
    mx.nx = int16_t(nx);
    mx.ny = int16_t(ny);
    mx.line_step = int16_t(step);
    mx.resolution = 0.05f;
    ASSERT_EQ(0, mx.mx_create());
    mx.hd.samples = n;
}

void GridTest::fill(const std::function<float(int, int, int, int)>& f)
{
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < mx.line_count(d); l++)
            for (int t = 0; t < mx.trace_count(d); t++) {
                CFTrace& tr = mx.traces[d][size_t(l)][size_t(t)];
                for (int s = 0; s < tr.count; s++)
                    tr[s] = f(d, l, t, s);
                mx.filled[d][size_t(l)][size_t(t)] = 1;
            }
}
