// Rows 23, 26, 28, 29, 30, 31 and 32 of the screen table: the grid project screens. The form
// screens (23, 26, 29) use the parameter screens' lines (a button with its value beside it);
// the line screens (30, 28) show the plan view large with their buttons in a column at the
// right; the section screen (31) the section at the left, the plan view at the top right.
#include "grid/grid_screens.h"

#include "grid/slice_buf.h"
#include "grid/top_view.h"
#include "gui/button.h"
#include "gui/char_field.h"
#include "gui/screen_table.h"
#include "gui/text_label.h"
#include "screens/param_ui.h"

namespace {

using namespace gridui;

constexpr int kColumnX = 850;

CButton* column_button(int i, const char* label)
{
    return new CButton("6", kColumnX, 64 + 70 * i, "", 0, 0, label, -1, -1, 18, 11);
}

CButton* small_button(int x, int y, const char* label)
{
    return new CButton("6", x, y, "", 0, 0, label, -1, -1, 16, 11);
}

CSDLText* plain(int x, int y, const char* text, int size)
{
    return new CSDLText(x, y, text, size, 0, false, false, 11);
}

void char_line(CMS& t, int row, int slot, int line, const char* label)
{
    params::put_line(t, row, slot, line, label, false);
    t.put(row, value_slot(slot), new CSDLText_CH(332, params::line_y(line) + 37, "", 24, 40, 40, 90, 440, 60));
}

CTopView* line_view = nullptr;  // rows 30 and 28
CSliceBuf* slice_view = nullptr; // row 31

} // namespace

CTopView* grid_top_view(int row) { return mS.at<CTopView>(row, kTopView); }
CSliceBuf* grid_slice_view() { return slice_view; }

void rows_grid_screens(CMS& t)
{
    {
        using namespace g23;
        const int row = 23;
        params::put_title(t, row, "New 3D Grid Project");
        params::put_line(t, row, kXSize, 0, "X-size");
        params::put_line(t, row, kYSize, 1, "Y-size");
        params::put_line(t, row, kInterval, 2, "Point interval:");
        params::put_line(t, row, kSpacing, 3, "Line spacing");
        char_line(t, row, kCustomer, 4, "Customer:");
        char_line(t, row, kOperator, 5, "Operator:");
        char_line(t, row, kSite, 6, "Site:");
        char_line(t, row, kComments, 7, "Comments:");
        t.put(row, kName, plain(16, params::line_y(8) + 37, " ", 26));
        params::put_small(t, row, kStart, 10, 0, "Start the Project");
        params::put_small(t, row, kPars, 10, 1, "Parameters");
        params::put_small(t, row, kBack, 10, 2, "Main Menu");
    }
    {
        using namespace g26;
        const int row = 26;
        params::put_title(t, row, "Parameters");
        for (int i = 0; i < 7; i++)
            t.put(row, kInfo + i, plain(16, 120 + 60 * i, " ", 24));
        t.put(row, kStart, small_button(16, 600, "Start"));
        t.put(row, kDelete, small_button(200, 600, "Delete"));
        t.put(row, kTopView, new CTopView(520, 70, 400, 400));
    }
    {
        using namespace g30;
        const int row = 30;
        line_view = new CTopView(40, 40, 700, 640);
        t.put(row, kTopView, line_view);
        t.put(row, kStartLine, column_button(0, "Start line"));
        t.put(row, kNextLine, column_button(1, "Next line"));
        t.put(row, kPrevLine, column_button(2, "Previous line"));
        t.put(row, kProcess, column_button(3, "Stop & process"));
        t.put(row, kTexts, column_button(4, "Parameters"));
        t.put(row, kExit, column_button(8, "Exit"));
        t.put(row, kLinePos, plain(40, 735, " ", 22));
    }
    {
        using namespace g28;
        const int row = 28;
        t.put(row, kTopView, line_view, false);
        t.put(row, kStop, column_button(0, "Stop line"));
        t.put(row, kLineText, plain(40, 735, " ", 22));
    }
    {
        using namespace g29;
        const int row = 29;
        params::put_title(t, row, "Project parameters");
        for (int i = 0; i < 4; i++)
            t.put(row, kInfo + i, plain(16, 100 + 44 * i, " ", 22));
        char_line(t, row, kCustomer, 4, "Customer:");
        char_line(t, row, kOperator, 5, "Operator:");
        char_line(t, row, kSite, 6, "Site:");
        char_line(t, row, kComments, 7, "Comments:");
        params::put_small(t, row, kSave, 10, 0, "Save");
        params::put_small(t, row, kCancel, 10, 1, "Cancel");
    }
    {
        using namespace g31;
        const int row = 31;
        slice_view = new CSliceBuf(0, 0, 630, 600);
        t.put(row, kSliceView, slice_view);
        t.put(row, kTopView, new CTopView(640, 10, 280, 280));
        const int px[2] = {650, 830};
        const int slots[8] = {kXSec, kYSec, kDepth, kTop, kAngle, kAperture, kThreshold, kVel};
        const char* labels[8] = {"X-sec", "Y-sec", "Depth", "Top view", "Angle", "Aperture", "Threshold", "Vel"};
        for (int i = 0; i < 8; i++)
            t.put(row, slots[i], small_button(px[i % 2], 330 + 66 * (i / 2), labels[i]));
        const int bottom[5] = {kContrast, kGain, kInfo, kPars, kQuit};
        const char* blabels[5] = {"Contrast", "Gain", "Info", "Parameters", "Quit"};
        for (int i = 0; i < 5; i++)
            t.put(row, bottom[i], small_button(16 + 200 * i, 640, blabels[i]));
        t.put(row, kVelText, plain(660, 610, " ", 22));
    }
    {
        using namespace g32;
        const int row = 32;
        t.put(row, kTopView, new CTopView(40, 40, 700, 640));
        t.put(row, kXSec, column_button(0, "X-sec"));
        t.put(row, kYSec, column_button(1, "Y-sec"));
        t.put(row, kDepth, column_button(2, "Depth"));
        t.put(row, kJpeg, column_button(3, " JPEG"));
        t.put(row, kContrast, column_button(4, "Contrast"));
        t.put(row, kInfo, column_button(5, "Info"));
        t.put(row, kQuit, column_button(8, "Back"));
    }
}
