// The measurement screens against cusim as the main menu enters them: no profile open yet,
// screen 2 on "New", screen 3 on "Stop".
#pragma once

#include "live_fixture.h"

#include "acquisition/mea_screens.h"
#include "files/radar_data.h"
#include "gui/rows.h"
#include "platform/globals.h"

class MeasureScreensTest : public LiveTest {
protected:
    void SetUp() override
    {
        LiveTest::SetUp();
        rdr.cur_name[0] = 0;
        curbutton[2] = premeas::kNew;
        curbutton[3] = meas::kStop;
        new_meas = true;
        mode = 34; // entered from the main menu
    }
};
