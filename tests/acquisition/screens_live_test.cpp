// The profile measurement screens against the simulated CU: screen 2 and 3 run here on the
// test's thread, a script presses the keys, and what lands in the profile files is compared
// with the CU's ground truth.
#include "measure_screens_fixture.h"
#include "screen_driver.h"

#include "acq_fixture.h"
#include "acquisition/acquisition.h"
#include "acquisition/mea_lists.h"
#include "acquisition/mea_screens.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "files/radar_data.h"
#include "gui/list_box.h"
#include "gui/number_field.h"
#include "gui/rows.h"
#include "gui/scrbuf.h"
#include "gui/screen_state.h"
#include "gui/screen_table.h"
#include "gui/trace_store.h"
#include "platform/globals.h"

#include <SDL/SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

LiveOptions cart(double metres)
{
    // 1000 pulses/m, 1 cm per trace; the CU records on its card so that the file can equal
    // the truth even when the loaded machine drops frames of the unix link.
    LiveOptions o;
    o.card = true;
    char path[32];
    snprintf(path, sizeof path, "+%.4f", metres);
    o.cusim_args = {"--speed", "0.5", "--wheel-cal", "1000", "--path", path, "--max-rate", "100000",
                    "--gps-rate", "0"};
    return o;
}

struct MarkerLine {
    int trace, value, type;
    std::string text;
};

std::vector<MarkerLine> marker_lines(const std::string& path, std::vector<std::string>* raw)
{
    std::vector<MarkerLine> out;
    for (const std::string& l : file_lines(path)) {
        raw->push_back(l);
        std::istringstream s(l);
        MarkerLine m{};
        if (!(s >> m.trace >> m.value >> m.type))
            continue;
        s >> m.text;
        out.push_back(m);
    }
    return out;
}

int radargram_of_screen3_columns()
{
    CScrBuf* b = mS.at<CScrBuf>(3, kSlotRadargram);
    return b ? b->shown : 0;
}

bool measuring_on_3() { return mode == 3 && MeasureMode; }
bool idle_on_2() { return mode == 2 && !MeasureMode; }
// Back on screen 2 after a stop: the stored profile is open for viewing again (data file
// open, position log not: while recording both are open).
bool viewing_on_2() { return idle_on_2() && rdr.rd.fd >= 0 && !rdr.rd.srd; }
bool shown(int row, int slot) { return mS.obj[row][slot] && mS.obj[row][slot]->visible; }

// Waits until the profile holds at least `at_least` traces. Once the cart is at its end the
// CU has sent its last trace; those still on their way are drained by the stop, and lost
// ones are fetched again from the CU's card then.
bool wait_profile_traces(ScreenDriver& d, int at_least)
{
    return d.wait([&] { return rdr.rd.hd.last_trace >= at_least; }, 60);
}

} // namespace

class MeasureScreens : public MeasureScreensTest {};

TEST_F(MeasureScreens, NewProfileWithMarkersIsStoredAsMeasuredAndStops)
{
    ASSERT_TRUE(start(cart(4.0005)));
    ScreenDriver d;
    int limit = -1, cursor = -1, columns = 0, tz = 0;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);                                // New
        s.wait(measuring_on_3);
        s.wait([] { return current_trigger_trace() >= 400; }, 60); // the cart is at its end
        wait_profile_traces(s, 250);
        s.wait([] { return radargram_of_screen3_columns() > 300; }, 10);
        s.on_gui([&] { columns = radargram_of_screen3_columns(); });
        s.keys(SDLK_LEFT, 2);                              // Stop -> Restart -> Markers
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kMarkerList); });
        s.key(SDLK_RETURN);                                // "Surface"
        s.key(SDLK_RETURN);                                // "Surface" again at the same trace
        s.key(SDLK_LEFT);                                  // "Object"
        // A zero level near the middle of the view, so the cursor reaches it in a few steps.
        CScrBuf* b = mS.at<CScrBuf>(3, kSlotRadargram);
        s.on_gui([&] {
            tz = int(b->first_sample + (b->rect.h / 2 - 10) * b->compression);
            eep.tz_sample = int16_t(tz);
            limit = depth_cursor_limit(b);
        });
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hcur_on != 0; });
        s.keys(SDLK_RIGHT, 8);                             // up, and up against the zero level
        s.on_gui([&] { cursor = b->hcur_row; });
        s.key(SDLK_RETURN);                                // the depth marker
        s.key(SDLK_UP);                                    // closes the list
        s.wait([] { return !shown(3, meas::kMarkerList); });
        s.keys(SDLK_RIGHT, 2);                             // back to Stop
        s.wait([] { return focused_slot() == meas::kStop; });
        s.key(SDLK_RETURN);
        s.wait_answering(viewing_on_2);
        s.key(SDLK_RIGHT);                                 // New -> Back
        s.key(SDLK_RETURN);
    });
    ASSERT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_GT(columns, 300) << "the radargram showed the traces while measuring";
    EXPECT_EQ(limit, cursor) << "the depth cursor stops at the first row below the zero level";

    auto t = of(truth(), 1);
    ASSERT_GE(t.size(), 300u) << "the simulated sampler misses triggers only on a loaded machine";
    expect_rd7_equals("DAT_0001", t);
    std::vector<std::string> raw;
    auto marks = marker_lines(data("DAT_0001.mrk"), &raw);
    ASSERT_EQ(2u, marks.size()) << ::testing::PrintToString(raw);
    EXPECT_EQ("HEADER VERSION:101", raw.front());
    EXPECT_EQ(104, marks[0].type);
    EXPECT_EQ("S1", marks[0].text);
    EXPECT_EQ(400, marks[0].trace) << "at the cart's position (4 m) in trigger steps (1 cm)";
    EXPECT_EQ(200, marks[1].type);
    EXPECT_EQ(marks[0].trace, marks[1].trace);
    EXPECT_GT(marks[1].value, tz) << "a depth marker lies below the zero level";
    char depth[32];
    snprintf(depth, sizeof depth, "%4.2f",
             double(eep.e_depth(marks[1].value) / eep.GetUnit(uint8_t(xml_pars.depth_units))));
    EXPECT_EQ(std::string(depth).substr(std::string(depth).find_first_not_of(' ')), marks[1].text);
    // A single profile gets no end marker (only the baseline-crossing screen sets one).
}

TEST_F(MeasureScreens, ContWithoutAStoredProfileSaysSoAndStaysOnScreen2AndItsOtherButtons)
{
    ASSERT_TRUE(start(cart(1.0005)));
    ScreenDriver d;
    bool back_on_2 = false, full_screen = false;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_LEFT); // New -> Cont
        s.key(SDLK_RETURN);
        s.wait_box("There is no measurement to continue");
        s.wait_answering([] { return idle_on_2() && focused_slot() == premeas::kCont; });
        s.on_gui([&] { back_on_2 = idle_on_2(); });
        // The full-screen view and back with any button.
        s.keys(SDLK_LEFT, 2); // Cont -> par -> fs
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 12; });
        s.on_gui([&] { full_screen = mode == 12; });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 2 && mS.cur_mode == 2 && focused_slot() == premeas::kFull; });
        // The parameter overview, and back with its Cancel (which has the focus).
        s.key(SDLK_RIGHT); // fs -> par
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 5 && focused_slot() == 14; });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 2 && mS.cur_mode == 2 && focused_slot() == premeas::kPars; });
        s.keys(SDLK_RIGHT, 3); // par -> Cont -> New -> Back
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_TRUE(back_on_2);
    EXPECT_TRUE(full_screen);
    EXPECT_FALSE(file_exists(data("DAT_0001.rd7"))) << "no profile was made";
    EXPECT_TRUE(of(truth(), 1).empty()) << "the CU was not started";
}

TEST_F(MeasureScreens, ContinuingWithOtherSamplesAnsweredNoLeavesTheSettings)
{
    ASSERT_TRUE(start(cart(1.0005)));
    new_profile(); // DAT_0001, 736 samples
    rdr.dClose(false);
    eep.samples = 512; // the settings changed since
    ASSERT_EQ(0, xml_pars.write_xml_tree());
    const std::string xml_before = read_file(sb.path("/mnt/hda3/r5_parameters.xml"));
    ScreenDriver d;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_LEFT); // Cont
        s.key(SDLK_RETURN);
        s.wait_box("Shall we continue?");
        s.key(SDLK_LEFT); // Yes -> No
        s.key(SDLK_RETURN);
        s.wait([] { return idle_on_2() && focused_slot() == premeas::kCont; });
        s.keys(SDLK_RIGHT, 2);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_TRUE(d.saw_box("Original parameters of the last file will be restored."));
    EXPECT_EQ(512, eep.samples) << "the header's parameters were not taken";
    EXPECT_EQ(xml_before, read_file(sb.path("/mnt/hda3/r5_parameters.xml")));
    EXPECT_TRUE(of(truth(), 1).empty()) << "the CU was not started";
    EXPECT_EQ(0, rdr.rd.hd.last_trace);
}

TEST_F(MeasureScreens, RestartAnsweredNoKeepsTheProfileAndYesDeletesIt)
{
    ASSERT_TRUE(start(cart(3.0005)));
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        curbutton[2] = premeas::kNew;
        curbutton[3] = meas::kStop;
        mode = 34;
        ScreenDriver d;
        const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
            s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
            s.key(SDLK_RETURN);
            s.wait(measuring_on_3);
            s.wait([] { return rdr.rd.hd.last_trace >= 20; }, 30);
            s.key(SDLK_LEFT); // Stop -> Restart
            s.key(SDLK_RETURN);
            s.wait_box("Restart the profile?");
            if (yes)
                s.key(SDLK_RIGHT); // No -> Yes
            s.key(SDLK_RETURN);
            if (yes)
                s.wait_answering([&] { return idle_on_2() && !file_exists(data("DAT_0002.rd7")); });
            else
                s.wait_answering(viewing_on_2);
            s.wait([] { return focused_slot() == premeas::kNew && mS.cur_mode == 2; });
            s.key(SDLK_RIGHT);
            s.key(SDLK_RETURN);
        });
        EXPECT_FALSE(d.failed());
        EXPECT_EQ(-1, r);
        const std::string base = yes ? "DAT_0002" : "DAT_0001";
        EXPECT_EQ(!yes, file_exists(data(base + ".rd7")));
        EXPECT_EQ(!yes, file_exists(data(base + ".rad")));
        if (!yes) {
            EXPECT_GE(read_rd7(data(base + ".rd7"), eep.samples).size(), 20u);
        }
    }
}

TEST_F(MeasureScreens, TimeTriggerHidesTheToolsButton)
{
    LiveOptions o;
    o.trigger = 0x80;
    o.time_interval = 0.05f;
    ASSERT_TRUE(start(o));
    ScreenDriver d;
    bool tools_shown = true;
    int after_markers = -1;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);
        s.wait(measuring_on_3);
        s.wait([] { return mS.cur_mode == 3; });
        s.on_gui([&] { tools_shown = shown(0, meas::kTools); });
        s.keys(SDLK_LEFT, 3); // Stop -> Restart -> Markers -> (Tools skipped) fs
        s.on_gui([&] { after_markers = focused_slot(); });
        s.keys(SDLK_RIGHT, 3);
        s.wait([] { return focused_slot() == meas::kStop; });
        s.key(SDLK_RETURN);
        s.wait_answering(viewing_on_2);
        s.wait([] { return focused_slot() == premeas::kNew; });
        s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_FALSE(tools_shown);
    EXPECT_EQ(meas::kFull, after_markers);
}

TEST_F(MeasureScreens, ToolsSetTheSoilVelocityByNumberAndByADepthAndTheZeroLevel)
{
    ASSERT_TRUE(start(cart(1.0005)));
    xml_pars.soil_velocity = 100;
    const int tz_before = eep.tz_sample;
    ScreenDriver d;
    CScrBuf* b = mS.at<CScrBuf>(3, kSlotRadargram);
    auto* number = mS.at<CSDLText_N>(3, meas::kNumber);
    int typed = 0, calibrated = 0, depth_sample = 0, zero_row = -1, zero_after = 0;
    float depth = 0;
    bool full_screen = false;
    std::vector<float> unmigrated, migrated, restored;
    bool migration_shown[2] = {false, true};
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);
        s.wait(measuring_on_3);
        s.wait([] { return current_trigger_trace() >= 100; }, 60);
        s.keys(SDLK_LEFT, 3); // Stop -> Restart -> Markers -> Tools
        s.wait([] { return focused_slot() == meas::kTools; });
        // "Set Soil Velocity": three steps up.
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kToolsList); });
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kNumber); });
        s.keys(SDLK_RIGHT, 3);
        s.key(SDLK_RETURN);
        s.wait([] { return !shown(3, meas::kNumber); });
        s.on_gui([&] { typed = xml_pars.soil_velocity; });
        // "Depth Calibration": the cursor where it stands, the depth two steps up.
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kToolsList); });
        s.key(SDLK_LEFT);
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hcur_on != 0; });
        s.on_gui([&] { depth_sample = std::max(b->first_sample + int(std::lround(b->hcur_row * b->compression)), eep.tz_sample + 1); });
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kNumber); });
        s.keys(SDLK_RIGHT, 2);
        s.on_gui([&] { depth = number->value; });
        s.key(SDLK_RETURN);
        s.wait([] { return !shown(3, meas::kNumber); });
        s.on_gui([&] { calibrated = xml_pars.soil_velocity; });
        // "Migration" on the visible columns, and again to put them back.
        s.wait([] { return store_trace_count() >= 100; }, 60);
        int column = 0;
        s.on_gui([&] { column = b->first_trace + 50; });
        auto column_now = [&] {
            const float* c = store_trace(column);
            return c ? std::vector<float>(c, c + eep.samples) : std::vector<float>();
        };
        for (int pass = 0; pass < 2; pass++) {
            s.on_gui([&] { (pass == 0 ? unmigrated : migrated) = column_now(); });
            s.key(SDLK_RETURN);
            s.wait([] { return shown(3, meas::kToolsList); });
            s.keys(SDLK_LEFT, 3); // Depth Calibration, Hyperbola Fitting, Migration
            s.key(SDLK_RETURN);
            s.wait([pass] { return data_is_migrated == (pass == 0); });
            s.on_gui([&] { migration_shown[pass] = data_is_migrated; });
        }
        s.on_gui([&] { restored = column_now(); });
        // "Set Zero Level": two rows down from where it is.
        s.key(SDLK_RETURN);
        s.wait([] { return shown(3, meas::kToolsList); });
        s.keys(SDLK_LEFT, 4); // Depth Calibration, Hyperbola Fitting, Migration, then Set Zero Level
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hcur_on != 0; });
        s.on_gui([&] { zero_row = b->hcur_row; });
        s.keys(SDLK_LEFT, 2);
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hcur_on == 0; });
        s.on_gui([&] { zero_after = eep.tz_sample; });
        // Full screen and back.
        s.key(SDLK_LEFT); // Tools -> fs
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 8; });
        s.on_gui([&] { full_screen = mode == 8; });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 3 && mS.cur_mode == 3; });
        s.keys(SDLK_RIGHT, 4); // fs -> Tools -> Markers -> Restart -> Stop
        s.wait([] { return focused_slot() == meas::kStop; }, 5);
        s.key(SDLK_RETURN);
        s.wait_answering(viewing_on_2);
        s.wait([] { return focused_slot() == premeas::kNew; });
        s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_EQ(103, typed);
    EXPECT_GT(depth, 0.0f);
    EXPECT_TRUE(migration_shown[0]);
    EXPECT_FALSE(migration_shown[1]);
    ASSERT_FALSE(unmigrated.empty());
    EXPECT_NE(unmigrated, migrated);
    EXPECT_EQ(unmigrated, restored);
    EXPECT_TRUE(full_screen);
    EXPECT_GE(zero_row, 1);
    EXPECT_EQ(zero_after, b->first_sample + int(std::lround((zero_row + 2) * b->compression)));
    // The velocity of the calibration, from the zero level in force then (SI: metres).
    const double T = (depth_sample - tz_before) * eep.sample_interval;
    EXPECT_EQ(calibrated_velocity(eep.ant_separation, depth, T, 1.0), calibrated);
    EXPECT_GT(calibrated, 103) << "a deeper reflector at the same time means a faster soil";
    const std::string xml = read_file(sb.path("/mnt/hda3/r5_parameters.xml"));
    const size_t at = xml.find("soil_velocity");
    ASSERT_NE(std::string::npos, at);
    EXPECT_NE(std::string::npos, xml.substr(at, 60).find("\"" + std::to_string(calibrated) + "\""))
        << "the parameter file was written: " << xml.substr(at, 60);
}

TEST_F(MeasureScreens, ToolsOfTheStoredProfileOnScreen2FitAHyperbolaAndMigrateAndPutBack)
{
    ASSERT_TRUE(start(cart(1.0005)));
    ScreenDriver d;
    CScrBuf* b = mS.at<CScrBuf>(2, kSlotRadargram);
    std::vector<float> stored, migrated, restored, after_back;
    bool shown_then[3] = {false, true, true};
    bool hyperbola_drawn = false;
    int column = -1, velocity_before = 0, velocity_after = 0;
    auto column_now = [&] {
        const float* c = store_trace(column);
        return c ? std::vector<float>(c, c + eep.samples) : std::vector<float>();
    };
    auto to_migration = [](ScreenDriver& s) {
        s.key(SDLK_RETURN);
        s.wait([] { return shown(2, meas::kToolsList); });
        s.keys(SDLK_LEFT, 3); // Depth Calibration, Hyperbola Fitting, Migration (no zero level)
        s.key(SDLK_RETURN);
    };
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);
        s.wait(measuring_on_3);
        wait_profile_traces(s, 100);
        s.key(SDLK_RETURN); // Stop
        s.wait_answering(viewing_on_2);
        s.wait([] { return focused_slot() == premeas::kNew; });
        for (int i = 0; i < 10 && s.focus() != premeas::kTools; i++)
            s.key(SDLK_LEFT);
        s.wait([] { return focused_slot() == premeas::kTools; }, 5);
        s.on_gui([&] {
            column = b->first_trace + 50;
            stored = column_now();
            velocity_before = xml_pars.soil_velocity;
        });
        // "Hyperbola Fitting": the apex where the cursor stands, five velocity steps down.
        s.key(SDLK_RETURN);
        s.wait([] { return shown(2, meas::kToolsList); });
        s.keys(SDLK_LEFT, 2); // Depth Calibration, Hyperbola Fitting
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hcur_on != 0; });
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hyper_on != 0; });
        s.on_gui([&] { hyperbola_drawn = b->cursor_index >= 0; });
        s.keys(SDLK_LEFT, 5);
        s.key(SDLK_RETURN);
        s.wait([&] { return b->hyper_on == 0; });
        s.on_gui([&] { velocity_after = xml_pars.soil_velocity; });
        to_migration(s);
        s.wait([] { return data_is_migrated; });
        s.on_gui([&] {
            shown_then[0] = data_is_migrated;
            migrated = column_now();
        });
        to_migration(s); // again: the stored columns come back
        s.wait([] { return !data_is_migrated; });
        s.on_gui([&] {
            shown_then[1] = data_is_migrated;
            restored = column_now();
        });
        to_migration(s); // and once more, then the full-screen view shows the profile as stored
        s.wait([] { return data_is_migrated; });
        for (int i = 0; i < 12 && s.focus() != premeas::kFull; i++)
            s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 12; });
        s.on_gui([&] {
            after_back = column_now();
            shown_then[2] = data_is_migrated;
        });
        s.key(SDLK_RETURN);
        s.wait([] { return mode == 2 && mS.cur_mode == 2 && focused_slot() == premeas::kFull; });
        for (int i = 0; i < 12 && s.focus() != premeas::kBack; i++)
            s.key(SDLK_RIGHT);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_TRUE(shown_then[0]);
    EXPECT_FALSE(shown_then[1]);
    EXPECT_FALSE(shown_then[2]);
    ASSERT_EQ(size_t(eep.samples), stored.size());
    EXPECT_NE(stored, migrated);
    EXPECT_EQ(stored, restored);
    EXPECT_EQ(stored, after_back);
    EXPECT_TRUE(hyperbola_drawn) << "at the middle of the stored profile's view";
    EXPECT_EQ(velocity_before - 5, velocity_after);
    const std::string xml = read_file(sb.path("/mnt/hda3/r5_parameters.xml"));
    const size_t at = xml.find("soil_velocity");
    ASSERT_NE(std::string::npos, at);
    EXPECT_NE(std::string::npos, xml.substr(at, 60).find("\"" + std::to_string(velocity_after) + "\""));
}

TEST_F(MeasureScreens, ContAppendsTheNextRunToTheStoppedProfile)
{
    ASSERT_TRUE(start(cart(1.0005)));
    ScreenDriver d;
    int first = 0;
    const int r = d.run(mode_02_pre_meas, [&](ScreenDriver& s) {
        s.wait([] { return mode == 2 && focused_slot() == premeas::kNew; });
        s.key(SDLK_RETURN);
        s.wait(measuring_on_3);
        s.wait([] { return current_trigger_trace() >= 100; }, 60);
        wait_profile_traces(s, 60);
        s.key(SDLK_RETURN); // Stop
        s.wait_answering(viewing_on_2);
        s.on_gui([&] { first = rdr.rd.hd.last_trace; });
        s.wait([] { return focused_slot() == premeas::kNew; });
        s.key(SDLK_LEFT); // Cont
        s.key(SDLK_RETURN);
        s.wait(measuring_on_3);
        s.wait([&] { return rdr.rd.hd.last_trace >= first + 60; }, 60);
        wait_profile_traces(s, first + 60);
        s.key(SDLK_RETURN); // Stop
        s.wait_answering(viewing_on_2);
        s.wait([] { return focused_slot() == premeas::kCont; });
        s.keys(SDLK_RIGHT, 2);
        s.key(SDLK_RETURN);
    });
    EXPECT_FALSE(d.failed());
    EXPECT_EQ(-1, r);
    EXPECT_FALSE(d.saw_box("Shall we continue?")) << "same settings: no question";
    auto all = truth();
    auto both = of(all, 1);
    const auto second = of(all, 2);
    EXPECT_EQ(size_t(first), both.size());
    both.insert(both.end(), second.begin(), second.end());
    expect_rd7_equals("DAT_0001", both);
    EXPECT_FALSE(file_exists(data("DAT_0002.rd7"))) << "no new profile";
}
