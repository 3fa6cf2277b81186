// Builders of the screen table's rows, one file per screen (rows_<screen>.cpp). CMS::Init
// calls each of them in the order of build_all_rows(); a new screen adds its builder here.
#pragma once

class CMS;

// Row 9: the message box.
void rows_message_box(CMS& t);
namespace msgbox {
constexpr int kYes = 2, kNo = 3, kCopy = 4, kMove = 5, kCancel = 6;
constexpr int kHeading = 21, kTitle = 22, kText = 23, kFooter = 24;
} // namespace msgbox

// Row 34: the main menu. Its words (0 title, 1-6 buttons, 7 CU caption) per language.
void rows_main_menu(CMS& t);
const char* main_menu_word(int lang, int i);
namespace menu {
constexpr int k2D = 2, kGrid = 3, kPlavik = 4, kPositioning = 6, kFiles = 7, kShutDown = 8;
constexpr int kTitle = 19, kCuState = 20, kCuLabel = 21, kLinkFlag = 22, kVersion = 23;
} // namespace menu

// Row 35: the position check screen.
void rows_position_check(CMS& t);
namespace poscheck {
constexpr int kReset = 3, kBack = 10;
constexpr int kTitle = 19, kGpsPos = 21, kWheelPos = 22, kHint = 23;
} // namespace poscheck

// Row 41: the quit box.
void rows_quit_box(CMS& t);
namespace quitbox {
constexpr int kYes = 2, kNo = 3;
constexpr int kHeading = 19, kDate1 = 20, kDate2 = 21, kQuestion = 22, kFooter = 23;
} // namespace quitbox

// Rows 2, 3, 8 and 12: the profile measurement screens (before measuring, measuring, and
// their full-screen views). Rows 2 and 3 share one radargram (owned by row 2), rows 8 and 12
// the full-screen one (owned by row 12).
void rows_measurement(CMS& t);
namespace premeas {
constexpr int kBack = 2, kNew = 3, kCont = 4, kPars = 6, kFull = 7, kDelMean = 8, kTools = 11;
constexpr int kGps = 27;
} // namespace premeas
namespace meas {
constexpr int kStop = 3, kRestart = 4, kMarkers = 5, kTools = 6, kFull = 7, kDelMean = 8, kShot = 11;
constexpr int kMarkerList = 20, kToolsList = 21, kNumber = 22, kNumberCaption = 23, kGps = 27;
// The lost-trace warning (rows 3 and 8).
constexpr int kTraceAlert = 24;
// Rows of the marker and tools lists.
constexpr int kSurface = 0, kObject = 1, kHideShow = 2;
constexpr int kSoilVelocity = 0, kDepthCalibration = 1, kHyperbola = 2, kMigration = 3,
              kZeroLevel = 4, kCloseTools = 5;
} // namespace meas
namespace fullscreen {
constexpr int kHint = 25; // the keys of the view (rows 8 and 12)
} // namespace fullscreen

// Rows 4, 5, 11, 13-18: the parameter screens (screens/parameter_screens.h).
void rows_parameter_screens(CMS& t);

// Rows 22, 24, 25, 27, 39, 40, 42, 43, 44: the service screens (screens/service_screens.h).
void rows_service_screens(CMS& t);

// Every row builder, in order.
void build_all_rows(CMS& t);

// Status texts of the profile screens (soil velocity, antenna, current file), written by
// eep_textinfo; a screen that shows them puts CSDLText objects in these slots.
namespace status {
constexpr int kSoil = 35, kAntenna = 36, kFile = 37;
} // namespace status
