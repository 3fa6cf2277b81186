// Moving the display queue into the radargram's trace store (doMea's trace handling).
#include "acq_fixture.h"

#include "acquisition/acquisition.h"
#include "acquisition/do_mea.h"
#include "acquisition/display_seam.h"
#include "acquisition/mea_buf.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "files/profile_ring.h"
#include "files/radar_data.h"

namespace {

class DisplayQueue : public ::testing::Test {
protected:
    CMeaBuf q;
    CProfile p;
    bool full = false;
    int32_t s[8];

    void SetUp() override { last_trace_on_screen = 0; }
    void queue(int number)
    {
        for (int i = 0; i < 8; i++)
            s[i] = (number * 10 + i) * 8192;
        ASSERT_TRUE(q.can_add());
        q.add(number, s, 8);
    }
    // Value of sample i of the stored 0-based trace t (number t + 1), or NaN when absent.
    float at(int t, int i) { return p.slot(p.start + (t - p.first_trace))[i]; }
    int move(int width = 100) { return move_queue_to_store(q, p, width, 8, full); }
};

} // namespace

TEST_F(DisplayQueue, NewTracesTakeTheNextColumnsAndTheQueueEmpties)
{
    for (int n = 1; n <= 5; n++)
        queue(n);
    EXPECT_EQ(5, move());
    EXPECT_FALSE(full);
    EXPECT_EQ(0, q.count);
    EXPECT_EQ(5, p.b_size());
    EXPECT_EQ(0, p.first_trace);
    EXPECT_FLOAT_EQ(30.0f, at(2, 0));
    EXPECT_FLOAT_EQ(57.0f, at(4, 7));
    EXPECT_EQ(5, int(last_trace_on_screen));
}

TEST_F(DisplayQueue, SkippedNumbersGetClearedColumns)
{
    queue(1);
    queue(2);
    move();
    p.slot(p.end)[0] = 99.0f; // stale data in the column that trace 3 will take
    queue(5);
    EXPECT_EQ(3, move());
    EXPECT_EQ(5, p.b_size());
    EXPECT_FLOAT_EQ(0.0f, at(2, 0));
    EXPECT_FLOAT_EQ(0.0f, at(3, 7));
    EXPECT_FLOAT_EQ(50.0f, at(4, 0));
}

TEST_F(DisplayQueue, ATraceAlreadyDrawnOverwritesItsColumnAndRedrawsEverything)
{
    for (int n = 1; n <= 4; n++)
        queue(n);
    move();
    for (int i = 0; i < 8; i++)
        s[i] = -8192;
    q.add(2, s, 8); // a restored trace
    EXPECT_EQ(0, move());
    EXPECT_TRUE(full);
    EXPECT_EQ(4, p.b_size());
    EXPECT_FLOAT_EQ(-1.0f, at(1, 3));
    EXPECT_FLOAT_EQ(30.0f, at(2, 0));
}

TEST_F(DisplayQueue, ATraceMoreThanAScreenAheadRestartsTheStoreAtIt)
{
    queue(1);
    queue(2);
    move(100);
    queue(103); // index 102 lies 101 traces ahead of the newest stored one (index 1)
    move(100);
    EXPECT_TRUE(full);
    EXPECT_EQ(1, p.b_size());
    EXPECT_EQ(102, p.first_trace);
    EXPECT_FLOAT_EQ(1030.0f, at(102, 0));
}

TEST_F(DisplayQueue, TracesBeforeTheStoreAreIgnoredAndTheStoreKeepsAtMost2999Columns)
{
    for (int n = 1; n <= 3100; n++) {
        queue(n);
        if (q.count == CMeaBuf::kSlots)
            move(5000);
    }
    move(5000);
    EXPECT_EQ(2999, p.b_size());
    EXPECT_EQ(101, p.first_trace);
    EXPECT_FLOAT_EQ(31000.0f, at(3099, 0));
    queue(50); // long scrolled out
    EXPECT_EQ(0, move(5000));
    EXPECT_FALSE(full);
}

TEST(MeaBuf, Refuses2001stTraceCountingItAndClearResets)
{
    CMeaBuf q;
    int32_t s[4] = {8192, -16384, 0, 1};
    for (int i = 0; i < CMeaBuf::kSlots; i++) {
        ASSERT_TRUE(q.can_add());
        q.add(i + 1, s, 4);
    }
    EXPECT_FALSE(q.can_add());
    EXPECT_FALSE(q.can_add());
    EXPECT_EQ(2, q.not_fitted);
    EXPECT_EQ(CMeaBuf::kSlots, q.count);
    EXPECT_FLOAT_EQ(-2.0f, q.slot(1999)[1]);
    q.add(9999, s, 4); // a caller ignoring can_add() must not write past the queue
    EXPECT_EQ(CMeaBuf::kSlots, q.count);
    q.clear();
    EXPECT_EQ(0, q.count);
    EXPECT_TRUE(q.can_add());
}

TEST_F(AcqTest, StopWhileIdleOnlyClearsTheShowFlags)
{
    canShow = true;
    canPShow = true;
    mode = 5;
    tot_traces = 7;
    EXPECT_EQ(0, MStop(1));
    EXPECT_FALSE(canShow);
    EXPECT_FALSE(canPShow);
    EXPECT_EQ(5, mode); // a real stop returns to screen 2
    EXPECT_EQ(7, tot_traces);
    EXPECT_FALSE(file_exists(data("DAT_0001.rad")));
    mode = 0;
}

// The ruler of screens 3 and 8 stands at the trace count under the time and keyboard
// triggers and at the wheel position in trigger steps under the wheel; doMea's ruler and the
// 4 Hz follower (current_trigger_trace) agree.
TEST_F(AcqTest, MeasurementRulerFollowsTheTraceCountUnlessTheWheelTriggers)
{
    struct Recorder : CMeaDisplay {
        int trace = -99;
        void ruler(int t, bool) override { trace = t; }
    } rec;
    CMeaDisplay* const saved = mea_display;
    mea_display = &rec;
    mode = 3;
    eep.samples = 8;
    const struct {
        uint8_t trig;
        int traces, wheel, cond, dir, expected;
    } cases[] = {
        {kTrigTime, 40, 900, 3, 1, 40},   {kTrigKeyboard, 41, 900, 3, 1, 41}, {0, 42, 900, 3, 1, 300},
        {0, 43, 900, 3, -1, -300},        {0, 44, 900, 0, 1, 900},
    };
    int32_t s[8] = {};
    for (const auto& c : cases) {
        eep.trig_code = c.trig;
        rdr.rd.hd.last_trace = c.traces;
        curWhPosition = c.wheel;
        triggCond = c.cond;
        gl_mea_dir = c.dir;
        mea_buf.add(c.traces, s, 8);
        canShow = true;
        ASSERT_TRUE(doMea());
        EXPECT_EQ(c.expected, rec.trace) << "trigger " << int(c.trig);
        EXPECT_EQ(c.expected, current_trigger_trace()) << "trigger " << int(c.trig);
    }
    mea_display = saved;
    mode = 0;
}
