// The grid project screens: a new grid (23), the overview before the first line (26), the
// line-by-line control screen (30), the measurement of one line (28), the project's texts
// (29), and the results: vertical sections (31) and the plan view of a slice (32). Their
// rows of the screen table are built by rows_grid_screens (grid/grid_rows.cpp).
#pragma once

class CMS;
class CTopView;
class CSliceBuf;

// Screen 23, from the main menu's "3D Grid Project": the next screen's result, a
// check_CU_ON code when it asks to leave, or 34 (back to the main menu).
int mode_23_grid_new_proj();
// Screen 26: 34 after the project ran, 0 when it was abandoned (its files deleted).
int mode_26_grid_before_start();
// Screen 30: 0 after processing, -1 when the project was left.
int mode_30_grid_short_stop();
// Screen 28: 0 the line ended; -1 CU not connected; -2 start refused; -3 CU or antenna
// error; -4 sensor error; -5 display failure.
int mode_28_grid_meas();
// Screen 29: the project's texts.
int mode_29_grid_Parameters();
// Screen 31: kind 0 after processing, 1 plain viewing, 2 velocity selection for migration.
int mode_31_slice_View(int kind);
// Screen 32: 0.
int mode_32_Top_View();

void rows_grid_screens(CMS& t);

// The plan view and the section view of the grid rows (shared by the screens that show them).
CTopView* grid_top_view(int row);
CSliceBuf* grid_slice_view();

namespace gridui {
constexpr int kTitle = 19, kTopView = 38, kSliceView = 40;
constexpr int value_slot(int button) { return button + 19; }
namespace g23 {
constexpr int kXSize = 3, kYSize = 4, kInterval = 5, kSpacing = 6, kCustomer = 8, kOperator = 9, kSite = 10,
              kComments = 11, kStart = 13, kPars = 14, kBack = 15, kName = 20;
}
namespace g26 {
constexpr int kStart = 13, kDelete = 14, kInfo = 20; // info texts 20..26
}
namespace g30 {
constexpr int kStartLine = 3, kNextLine = 5, kPrevLine = 6, kProcess = 8, kTexts = 10, kExit = 14, kLinePos = 20;
}
namespace g28 {
constexpr int kStop = 13, kLineText = 20;
}
namespace g29 {
constexpr int kCustomer = 8, kOperator = 9, kSite = 10, kComments = 11, kSave = 13, kCancel = 14, kInfo = 20;
}
namespace g31 {
constexpr int kXSec = 2, kYSec = 3, kDepth = 4, kTop = 6, kVel = 8, kContrast = 9, kGain = 10, kInfo = 12,
              kPars = 13, kQuit = 14, kAngle = 15, kAperture = 16, kThreshold = 17, kVelText = 20;
}
namespace g32 {
constexpr int kXSec = 2, kYSec = 3, kDepth = 4, kJpeg = 6, kContrast = 8, kInfo = 12, kQuit = 14;
}
} // namespace gridui
