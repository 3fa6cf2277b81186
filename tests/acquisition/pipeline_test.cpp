// The per-trace pipeline on its own: what one decoded trace does to the data file, the
// position log, the display queue and the error flags.
#include "acq_fixture.h"

#include "acquisition/descriptors.h"
#include "acquisition/mea_buf.h"
#include "acquisition/pipeline.h"
#include "dsp/acq_filter.h"
#include "files/radar_data.h"
#include "link/ethernet.h"

namespace {

class Pipeline : public AcqTest {
protected:
    std::vector<int32_t> raw = std::vector<int32_t>(512);

    void SetUp() override
    {
        AcqTest::SetUp();
        ASSERT_EQ(0, rdr.dCreateFiles());
    }
    // A trace whose samples identify k, through the sink as GetMeaData hands it on.
    int feed(int k, int32_t position, int32_t cu_trace = 0, bool restored = false)
    {
        for (int i = 0; i < 512; i++)
            raw[size_t(i)] = (k + 1) * 65536 * 3 + (i % 17) * 65536 - 40 * 65536;
        CMeaTrace t{position, raw.data(), 512, cu_trace, restored, false};
        return acq_sink.trace(t);
    }
    std::vector<int32_t> filtered(int k)
    {
        for (int i = 0; i < 512; i++)
            raw[size_t(i)] = (k + 1) * 65536 * 3 + (i % 17) * 65536 - 40 * 65536;
        std::vector<int32_t> out(512);
        DC_Apply(raw.data(), out.data());
        return out;
    }
    std::vector<std::vector<int32_t>> stored() { return read_rd7(data("DAT_0001.rd7"), 512); }
    std::vector<std::string> srd() { return file_lines(data("DAT_0001.srd")); }
};

const std::vector<int32_t> kZero(512, 0);

} // namespace

TEST_F(Pipeline, WheelGapOfThreeStepsInsertsTwoZeroTracesButNotBeforeTheFirstTrace)
{
    triggCond = 10;
    ASSERT_EQ(0, feed(0, 40)); // first trace of the run, far from prevL = 0
    ASSERT_EQ(0, feed(1, 50));
    ASSERT_EQ(0, feed(2, 80)); // 50 + 3 x 10: steps 60 and 70 are missing
    auto t = stored();
    ASSERT_EQ(5u, t.size());
    EXPECT_EQ(filtered(0), t[0]);
    EXPECT_EQ(filtered(1), t[1]);
    EXPECT_EQ(kZero, t[2]);
    EXPECT_EQ(kZero, t[3]);
    EXPECT_EQ(filtered(2), t[4]);
    EXPECT_EQ(5, rdr.rd.hd.last_trace);
    EXPECT_EQ(80, prevL);
    EXPECT_DOUBLE_EQ(80.0 / 10 * 0.02, prevWP);
    // Every stored trace has its position line, a zero trace at its trigger step.
    const auto lines = srd();
    ASSERT_EQ(2u + 5u, lines.size());
    EXPECT_EQ("0\t60\t3\t\t         0\t  0", lines[4]);
    EXPECT_EQ("0\t70\t4\t\t         0\t  0", lines[5]);
    EXPECT_EQ("0\t0\t5\t\t         0\t  0", lines[6]);
}

TEST_F(Pipeline, BackwardWheelAndPartialStepsFillOnlyWholeMissingSteps)
{
    triggCond = 10;
    feed(0, -10);
    feed(1, -40); // -20 and -30 missing
    feed(2, -55); // 15 pulses: -50 lies strictly between
    feed(3, -55); // same position again: nothing missing
    feed(4, -65); // exactly one step: nothing missing
    auto t = stored();
    ASSERT_EQ(8u, t.size());
    EXPECT_EQ(kZero, t[1]);
    EXPECT_EQ(kZero, t[2]);
    EXPECT_EQ(kZero, t[4]);
    EXPECT_EQ(filtered(4), t[7]);
}

TEST_F(Pipeline, BlockModeWritesEachTraceAtItsNumberWithoutGapFilling)
{
    eth.set_block_mode(true);
    prev_meas_traces = 3; // continued profile: the CU counts from 1 again
    triggCond = 10;
    rdr.rd.hd.last_trace = 3;
    ASSERT_EQ(0, feed(0, 10, 2));           // trace 5
    ASSERT_EQ(0, feed(1, 1000, 4));         // trace 7, a big jump in position: no zeros
    ASSERT_EQ(0, feed(2, 20, 3, true));     // restored trace 6 lands in its place
    auto t = stored();
    ASSERT_EQ(7u, t.size());
    EXPECT_EQ(filtered(0), t[4]);
    EXPECT_EQ(filtered(2), t[5]);
    EXPECT_EQ(filtered(1), t[6]);
    EXPECT_EQ(7, rdr.rd.hd.last_trace);
    // A trace that did not come (4, 6) gets its line when the next one comes, at a trigger
    // step between the neighbours'; a restored trace that fills its place writes none.
    auto lines = srd();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("0\t10\t4\t\t         0\t  0", lines[2]);
    EXPECT_EQ("0\t0\t5\t\t         0\t  0", lines[3]);
    EXPECT_EQ("0\t505\t6\t\t         0\t  0", lines[4]);
    EXPECT_EQ("0\t0\t7\t\t         0\t  0", lines[5]);
}

TEST_F(Pipeline, PositionLineCarriesTimeWheelAndGpsTimeOnceThenZeros)
{
    eep.gps_enabled = 1;
    prev_meas_time = 1000;
    acq_sink.time_position(250);
    acq_sink.wheel_position(-77);
    EXPECT_EQ(1250, int(curTmPosition));
    EXPECT_EQ(-77, int(curWhPosition));
    EXPECT_TRUE(canPShow);
    acq_sink.gps_time(1780308000u, 123);
    feed(0, 0);
    feed(1, 1);
    auto lines = srd();
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("1250\t-77\t1\t\t1780308000\t123", lines[2]);
    EXPECT_EQ("1250\t-77\t2\t\t         0\t  0", lines[3]);
}

TEST_F(Pipeline, FullDisplayQueueStillWritesTheTraceToTheFile)
{
    MeasureMode = true;
    triggCond = 1;
    for (int k = 0; k < CMeaBuf::kSlots + 1; k++)
        ASSERT_EQ(0, feed(k % 50, k + 1));
    EXPECT_EQ(CMeaBuf::kSlots, mea_buf.count);
    EXPECT_EQ(1, mea_buf.not_fitted);
    EXPECT_EQ(CMeaBuf::kSlots + 1, int(stored().size()));
    EXPECT_EQ(CMeaBuf::kSlots, mea_buf.number(CMeaBuf::kSlots - 1));
    // The queue holds what the screen shows: sample / 8192.
    EXPECT_FLOAT_EQ(float(filtered(0)[7]) / 8192.0f, mea_buf.slot(0)[7]);
    EXPECT_TRUE(canShow);
}

TEST_F(Pipeline, NothingIsQueuedForTheScreenOutsideAMeasurementAndGainRestartsAt100)
{
    MeasureMode = false;
    ag_autostart = 5;
    for (int k = 0; k < 99; k++)
        feed(k, k + 1);
    EXPECT_EQ(5, int(ag_autostart));
    feed(99, 100);
    EXPECT_EQ(0, int(ag_autostart));
    EXPECT_EQ(0, mea_buf.count);
}

TEST_F(Pipeline, WriteFailureIsReportedAsWriteErrorAndLatches)
{
    rdr.dClose(true); // no data file: every write fails
    EXPECT_EQ(kElemWriteError, feed(0, 1));
    set_pipeline_error(kElemWriteError, 2);
    EXPECT_TRUE(wrError);
    EXPECT_TRUE(mea_errors);
}

TEST(PipelineErrors, EachDecodingFailureSetsItsOwnFlag)
{
    struct Case {
        int result;
        std::atomic<bool>* flag;
    } cases[] = {
        {kElemWrongDivisor, &thError2}, {kElemOverrun, &thError4}, {kElemNoDivisor, &thError5},
        {kElemWriteError, &wrError},    {kElemShortTrace, &memError}, {kElemEnd, &memError},
    };
    for (const Case& c : cases) {
        reset_acquisition_state();
        set_pipeline_error(c.result, 2);
        EXPECT_TRUE(c.flag->load()) << c.result;
        EXPECT_TRUE(mea_errors) << c.result;
        EXPECT_EQ(0, int(thError3)) << c.result;
    }
    for (int r : {kElemBadLength, kElemTruncated}) {
        reset_acquisition_state();
        set_pipeline_error(r, 3);
        EXPECT_EQ(3, int(thError3));
        EXPECT_FALSE(memError);
    }
    reset_acquisition_state();
}
