// A grid line measured with the wheel against the simulated CU: every trace lands in the cell
// of its distance along the current line, and a trace beyond the line ends it.
#include "live_fixture.h"
#include "support/waits.h"

#include "acquisition/acquisition.h"
#include "cu/eep.h"
#include "dsp/acq_filter.h"
#include "files/radar_data.h"
#include "grid/grid_column.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>

class LiveGrid : public LiveTest {
protected:
    // Records the current line of the cube until the acquisition thread says it ended.
    bool record_line()
    {
        hf_short_stop = 0;
        {
            MutexLock g(lock_eol);
            m_lin_end = false;
        }
        if (MStart() >= 1000)
            return false;
        const bool ended = eventually(
            [] {
                MutexLock g(lock_eol);
                return m_lin_end;
            },
            300);
        MStop(0);
        return ended;
    }

    void TearDown() override
    {
        ProjN = 0;
        rdr.mx.mx_clear();
        LiveTest::TearDown();
    }
};

TEST_F(LiveGrid, AWheelLineFillsTheCellsOfItsDistancesUpToItsEnd)
{
    // 1000 pulses per metre, a trace every 1 cm; the cart runs 1.5 m over a line of 1 m.
    LiveOptions o;
    o.cusim_args = {"--speed", "1.5", "--wheel-cal", "1000", "--path", "+1.5005", "--max-rate", "100000",
                    "--gps-rate", "0", "--send-patience", "10000"};
    ASSERT_TRUE(start(o));
    CMatrix& m = rdr.mx;
    m.nx = 3;
    m.ny = 101;
    m.line_step = 1;
    m.resolution = 0.01f;
    ASSERT_EQ(0, m.mx_create());
    m.current_direction = 0;
    m.current_line = 1;
    ProjN = 1;
    ASSERT_TRUE(record_line()) << "the line did not end";

    // The truth by cell: trigger position / 10 pulses.
    std::map<int, const TruthTrace*> by_cell;
    const auto truth_traces = of(truth(), 1);
    for (const TruthTrace& t : truth_traces)
        if (t.trigger % 10 == 0 && t.trigger / 10 < 101)
            by_cell[t.trigger / 10] = &t;
    ASSERT_GE(by_cell.size(), 100u);
    std::vector<int32_t> raw(eep.samples), want(eep.samples);
    for (int i = 0; i < 101; i++) {
        SCOPED_TRACE(i);
        const auto it = by_cell.find(i);
        EXPECT_EQ(it != by_cell.end() ? 1 : 0, m.filled[0][1][size_t(i)]);
        if (it == by_cell.end())
            continue;
        for (int s = 0; s < eep.samples; s++)
            raw[size_t(s)] = it->second->sample(size_t(s));
        DC_Apply(raw.data(), want.data());
        // Samples beyond 2^24 do not fit a float: the cell holds the nearest one, which is a
        // rounding step off where the processor divides before it rounds (the 32-bit x87 unit).
        int wrong = 0;
        for (int s = 0; s < eep.samples; s++) {
            const double w = double(want[size_t(s)]) / 65536.0;
            wrong += std::fabs(m.traces[0][1][size_t(i)][s] - w) > std::ldexp(std::fabs(w), -23);
        }
        EXPECT_EQ(0, wrong);
    }
    // Nothing outside the current line.
    for (size_t l : {size_t(0), size_t(2)})
        for (int16_t f : m.filled[0][l])
            EXPECT_EQ(0, f);
    for (const auto& line : m.filled[1])
        for (int16_t f : line)
            EXPECT_EQ(0, f);
}

TEST_F(LiveGrid, PerpendicularLinesWalkedOverTheSiteShowThePipeInTheCellsItCrosses)
{
    // The site's pipe, from (-2, 0.4) to (12, 4.6) with its top 0.65 m deep, under a weak direct
    // wave and nothing else: in each trace the strongest echo is the pipe's near its apex.
    const std::string scene = sb.root() + "/sim/pipe.scene", cart = sb.root() + "/sim/cart.txt";
    std::ofstream(scene) << "direct 0.1\nringing 0\nclutter 0 0\nlayer 6 0\npoint 30 1 0\n"
                            "pipe -2 0.4 12 4.6 0.65 1.5 0.05\n";
    LiveOptions o;
    o.point_interval = 0.05f;
    o.cusim_args = {"--scene", scene, "--cart", cart, "--speed", "1.5", "--wheel-cal", "1000", "--max-rate", "100000",
                    "--gps-rate", "0", "--send-patience", "10000"};
    ASSERT_TRUE(start(o));
    // A 2 m x 2 m grid, a point every 5 cm, lines 0.5 m apart.
    CMatrix& m = rdr.mx;
    m.nx = 41;
    m.ny = 41;
    m.line_step = 10;
    m.resolution = 0.05f;
    ASSERT_EQ(0, m.mx_create());
    ProjN = 1;
    struct Line {
        int16_t direction, line;
        const char* walk;
        double x0, y0, dx, dy; // start and unit step of the line in plan view
        double crossing;       // m along the line where the pipe passes under it
    } lines[] = {
        {0, 2, "start 1 0\nheading 0\npath +2.5\n", 1, 0, 0, 1, 0.4 + 0.3 * 3},           // x = 1 m along +y
        {1, 3, "start 0 1.5\ndirection +x\npath +2.5\n", 0, 1.5, 1, 0, (1.5 - 0.4) / 0.3 - 2}, // y = 1.5 m along +x
    };
    for (size_t k = 0; k < 2; k++) {
        const Line& l = lines[k];
        SCOPED_TRACE(l.walk);
        std::ofstream(cart + ".new") << l.walk;
        ASSERT_EQ(0, std::rename((cart + ".new").c_str(), cart.c_str()));
        m.current_direction = l.direction;
        m.current_line = l.line;
        ASSERT_TRUE(record_line()) << "the line did not end";

        // Each cell holds the trace the cart took where that cell lies on the site.
        std::map<int, const TruthTrace*> by_cell;
        const auto run = of(truth(), uint32_t(k + 1));
        for (const TruthTrace& t : run)
            if (t.trigger % 50 == 0 && t.trigger / 50 < 41)
                by_cell[t.trigger / 50] = &t;
        ASSERT_GE(by_cell.size(), 40u);
        int apex = -1;
        float strongest = 0;
        for (const auto& [cell, t] : by_cell) {
            SCOPED_TRACE(cell);
            // To a pulse (1 mm) of where the wheel was reset, and the truth's rounding to mm.
            EXPECT_NEAR(t->plan_x_mm, 1000 * (l.x0 + l.dx * 0.05 * cell), 2);
            EXPECT_NEAR(t->plan_y_mm, 1000 * (l.y0 + l.dy * 0.05 * cell), 2);
            ASSERT_EQ(1, m.filled[l.direction][size_t(l.line)][size_t(cell)]);
            const CFTrace& stored = m.traces[l.direction][size_t(l.line)][size_t(cell)];
            for (int s = 0; s < eep.samples; s++)
                if (std::fabs(stored[s]) > strongest) {
                    strongest = std::fabs(stored[s]);
                    apex = cell;
                }
        }
        EXPECT_NEAR(apex * 0.05, l.crossing, 0.05) << "the pipe's echo is strongest above it";
    }
}
