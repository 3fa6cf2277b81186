// The baseline-crossing project screens: project choice (21), project set-up (19), profile
// start (37) and the crossing marker (20), with their rows of the screen table.
#pragma once

class CMS;

// Screen 21, from the main menu's "Plavik Project". Returns 34 (to the main menu).
int mode_21_PV_screen_1();
// Screen 19: a new or continued project (om_start). -1 back to screen 21, 34 main menu.
int mode_19_PV_screen_2();
// Screen 37: starts the project's profiles one after another. 34 main menu.
int mode_37_PV_screen_3();
// Screen 20, from the measurement screen: the crossing of the profile being recorded.
// 0 created, -1 cancelled, -2 an acquisition error stopped the measurement.
int mode_20_PV_BL_marker();

// Rows 21, 19, 37 and 20 of the screen table.
void rows_pv_screens(CMS& t);

namespace pv1 { // screen 21
constexpr int kNew = 2, kContinue = 3, kPars = 4, kBack = 8;
constexpr int kTitle = 19, kList = 20, kListCaption = 21;
} // namespace pv1
namespace pv2 { // screen 19
constexpr int kName = 2, kGps = 3, kStartX = 4, kStopY = 7, kGo = 8, kBack = 9, kResetWheel = 10;
constexpr int kTitle = 19, kNameField = 20, kGpsValue = 21, kFirstCoord = 22, kDistance = 26;
} // namespace pv2
namespace pv3 { // screen 37
constexpr int kStartProfile = 4, kSetDistance = 6, kMainMenu = 8;
constexpr int kTitle = 19, kDistance = 20, kDistanceField = 21, kInfo = 22, kLastCrossing = 23;
} // namespace pv3
namespace pvm { // screen 20
constexpr int kDistanceButton = 4, kAngleButton = 5, kCreate = 7, kCancel = 8;
constexpr int kTitle = 19, kCurrent = 20, kPrevCaption = 21, kPrevValue = 22, kDistanceField = 23,
              kAngleView = 24, kAngleText = 25;
} // namespace pvm
