// Shared set-up of the grid tests: a private sandbox with the data folder and the export
// folder, the antenna parameter block and the settings the grid reads put back afterwards,
// and the cube of rdr emptied before and after.
#pragma once

#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>

class GridTest : public ::testing::Test {
protected:
    Sandbox sb;
    CEEP saved_eep = eep;
    uint16_t saved_soil = xml_pars.soil_velocity;
    uint8_t saved_units = xml_pars.units;
    CAntennaRecord saved_antenna = current_antenna();
    CMatrix& mx = rdr.mx;

    void SetUp() override;
    void TearDown() override;

    static CAntennaRecord& current_antenna();
    // A grid of nx x ny points, line spacing `step`, n samples, allocated and all zero.
    void make_cube(int nx, int ny, int step, int n);
    // Sets every trace of the cube (spare lines excluded) to f(direction, line, trace, sample)
    // and marks it recorded.
    void fill(const std::function<float(int, int, int, int)>& f);
    std::string data(const std::string& file) const { return sb.path("/mnt/hda1/" + file); }
    std::string usb(const std::string& file) const { return sb.path("/mnt/usb/SORLAN/" + file); }
};

std::string bytes_of(const std::string& path);
void put_bytes(const std::string& path, const std::string& bytes);
