// The error message texts, the CU error list, the trigger step and the request plan of the
// missed-block restore.
#include "acq_fixture.h"

#include "acquisition/acquisition.h"
#include "acquisition/errors.h"
#include "acquisition/restore_plan.h"
#include "config/xml_pars.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "live_fixture.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

struct Message {
    bool shown;
    std::string title, text;
};

Message message(int E)
{
    char title[128] = "", text[128] = "";
    bool shown = acq_error_message(E, title, sizeof title, text, sizeof text);
    return {shown, title, text};
}

class Errors : public ::testing::Test {
protected:
    void SetUp() override
    {
        reset_acquisition_state();
        eth.init_erb();
    }
    void TearDown() override { reset_acquisition_state(); }
};

} // namespace

TEST_F(Errors, EachFlagHasItsCodedTextWithTheLastCuErrorCode)
{
    EXPECT_FALSE(message(5).shown);
    thError2 = true;
    EXPECT_EQ("No stacks in 32b mode! (code 09-5)", message(5).text);
    EXPECT_EQ("Measurement Error", message(5).title);
    thError2 = false;
    thError3 = 2;
    EXPECT_EQ("Corrupted Data (code 03-0/2)", message(0).text);
    thError3 = 0;
    thError4 = true;
    EXPECT_EQ("Corrupted Data (code 04-7)", message(7).text);
    thError4 = false;
    thError5 = true;
    EXPECT_EQ("No stacks in 32b mode! (code 05-0)", message(0).text);
    thError5 = false;
    wrError = true;
    EXPECT_EQ("Write to disk Error", message(0).title);
    EXPECT_EQ("Disk is full", message(0).text);
    wrError = false;
    memError = true;
    EXPECT_EQ("Unknown error!", message(0).title);
    EXPECT_EQ("Contact support", message(0).text);
}

TEST_F(Errors, TheFirstFlagInOrderWins)
{
    memError = wrError = thError4 = true;
    thError = true;
    EXPECT_EQ("No data coming (code 01-0)", message(0).text);
    thError = false;
    EXPECT_EQ("Corrupted Data (code 04-0)", message(0).text);
}

TEST_F(Errors, ANoDataCodeInTheCuErrorListRaisesTheNoDataErrorAndStopsDraining)
{
    eth.add_err(0, 1, 0, 0x0123);
    eth.add_err(0, 2, 0, 0);
    eth.add_err(0, 3, 0, 0x2200);
    eth.add_err(0, 4, 0, 0x0456);
    EXPECT_EQ(0x2200, drain_cu_errors());
    EXPECT_TRUE(thError);
    EXPECT_EQ("No data coming (code 01-8704)", message(0x2200).text);
    // The entry after it stays for the next look.
    thError = false;
    EXPECT_EQ(0x0456, drain_cu_errors());
    EXPECT_FALSE(thError);
    EXPECT_EQ(0, drain_cu_errors());
}

namespace {

struct Shown {
    std::string title, text;
    int type;
    bool operator==(const Shown& o) const { return title == o.title && text == o.text && type == o.type; }
};
std::vector<Shown> shown;

class ShowErrors : public Errors {
protected:
    void SetUp() override
    {
        Errors::SetUp();
        gui_for_tests();
        shown.clear();
        mesmode_observer = [](const char* title, const char* text, int type) {
            shown.push_back({title, text, type});
        };
    }
    void TearDown() override
    {
        mesmode_observer = nullptr;
        Errors::TearDown();
    }
    // show_errors as doMea calls it, with a key pressed for the box.
    int show()
    {
        KeyPresser keys;
        return show_errors();
    }
};

} // namespace

TEST_F(ShowErrors, EachErrorIsOneMessageBoxWaitingForAKeyWithItsExactTexts)
{
    EXPECT_EQ(0, show());
    EXPECT_TRUE(shown.empty());
    struct Case {
        std::atomic<bool>* flag;
        int cu_code;
        Shown box;
    };
    std::atomic<bool> th3{false};
    const Case cases[] = {
        {&thError, 0x0012, {"Measurement Error", "No data coming (code 01-18)", 0}},
        {&thError2, 0, {"Measurement Error", "No stacks in 32b mode! (code 09-0)", 0}},
        {&th3, 0x0101, {"Measurement Error", "Corrupted Data (code 03-257/5)", 0}},
        {&thError4, 0, {"Measurement Error", "Corrupted Data (code 04-0)", 0}},
        {&thError5, 0x0007, {"Measurement Error", "No stacks in 32b mode! (code 05-7)", 0}},
        {&wrError, 0, {"Write to disk Error", "Disk is full", 0}},
        {&memError, 0, {"Unknown error!", "Contact support", 0}},
    };
    for (const Case& c : cases) {
        shown.clear();
        clear_error_flags();
        *c.flag = true;
        if (c.flag == &th3)
            thError3 = 5;
        if (c.cu_code)
            eth.add_err(0, 1, 0, uint16_t(c.cu_code));
        EXPECT_EQ(1, show()) << c.box.text;
        EXPECT_EQ(std::vector<Shown>{c.box}, shown) << c.box.text;
        *c.flag = false;
    }
}

TEST_F(ShowErrors, ANoDataCodeFromTheCuAloneShowsTheNoDataMessage)
{
    eth.add_err(0, 1, 0, 0x2200);
    EXPECT_EQ(1, show());
    EXPECT_EQ((std::vector<Shown>{{"Measurement Error", "No data coming (code 01-8704)", 0}}), shown);
    // An ordinary CU error code without a flag shows nothing.
    clear_error_flags();
    shown.clear();
    eth.add_err(0, 2, 0, 0x0456);
    EXPECT_EQ(0, show());
    EXPECT_TRUE(shown.empty());
}

TEST(TriggerStep, TimeAndWheelStepsAreWholeAndAtLeastOne)
{
    CEEP keep = eep;
    const uint8_t keep_wheel = xml_pars.current_wheel;
    const double keep_cal = xml_pars.wheel[xml_pars.current_wheel].wheel_calibration;
    eep.trig_code = kTrigTime;
    eep.trigg_option = 0.0004f;
    EXPECT_EQ(1, compute_trigg_cond());
    eep.trigg_option = 0.01f; // 9.99999977 ms as a float
    EXPECT_EQ(10, compute_trigg_cond());
    eep.trigg_option = 0.25f;
    EXPECT_EQ(250, compute_trigg_cond());
    eep.trig_code = 0;
    xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 500.0;
    eep.trace_interval = 0.02f; // metres (SI units)
    if (xml_pars.units != 0) {
        EXPECT_EQ(10, compute_trigg_cond());
    }
    xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 0.0;
    EXPECT_EQ(1, compute_trigg_cond());
    xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = keep_cal;
    xml_pars.current_wheel = keep_wheel;
    eep = keep;
}

TEST(RestorePlan, RangesGetOneTraceOfMarginClippedToTheCusBlocks)
{
    MissedRange r = missed_request_range(3, 5, 9, 1000);
    EXPECT_EQ(1, r.from); // 3 - 9 is before the first block
    EXPECT_EQ(14, r.to);
    r = missed_request_range(500, 599, 2, 1000);
    EXPECT_EQ(498, r.from);
    EXPECT_EQ(601, r.to);
    r = missed_request_range(990, 999, 4, 1000);
    EXPECT_EQ(1000, r.to); // the CU has no block after its last
}

TEST(RestorePlan, HundredBlocksGoAs38Plus38Plus24)
{
    std::vector<int> sizes;
    for (int32_t from = 1001; from <= 1100; from += kMaxBlocksPerRequest)
        sizes.push_back(missed_request_size(from, 1100));
    EXPECT_EQ((std::vector<int>{38, 38, 24}), sizes);
    EXPECT_EQ(0, missed_request_size(11, 10));
}
