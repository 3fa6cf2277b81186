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
#include <map>

class LiveGrid : public LiveTest {
protected:
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
    hf_short_stop = 0;
    {
        MutexLock g(lock_eol);
        m_lin_end = false;
    }
    ASSERT_LT(MStart(), 1000);
    const bool ended = eventually(
        [] {
            MutexLock g(lock_eol);
            return m_lin_end;
        },
        300);
    MStop(0);
    ASSERT_TRUE(ended) << "the line did not end";

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
        int wrong = 0;
        for (int s = 0; s < eep.samples; s++)
            wrong += m.traces[0][1][size_t(i)][s] != float(want[size_t(s)]) / 65536.0f;
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
