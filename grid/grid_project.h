// The state of the grid project beyond the cube (rdr.mx): the proposals of the next grid,
// the completion flags, the section positions and the checks of a new grid, and the line
// navigation of the control screen. The screens (grid/screen_*.cpp) act on it; the rules are
// plain functions so that they can be checked without a screen.
#pragma once

#include <cstdint>

// Proposals of a new grid, local units (sizes and spacing in the length unit, the point
// interval in the short point-interval unit); screen 23 takes them from the XML parameter
// file and writes them back there when a project starts.
struct GridProposals {
    float x_size = 10.0f, y_size = 5.0f, interval = 0.05f, spacing = 0.5f;
};
extern GridProposals grid_proposals;

extern bool hf_meas_all;         // every line is measured and the raw cubes are written
extern bool grid_processed;      // "Stop & process" ran
extern bool grid_remeasure;      // a line is erased before it is measured again
extern bool grid_interval_to_acq; // the point interval also becomes the acquisition's

// A new grid as entered on screen 23, in metres (the caller converts the local units), and
// whether the trigger is the wheel. The first failing check in the screen's order, with its
// two message lines; 0 when all pass (proper_size then left its counts in the cube).
struct GridCheck {
    int code;             // 0 fine; 1 not the wheel; 2 X size; 3 Y size; 4 spacing < interval;
                          // 5 not divisible; 6..9 proper_size -1..-4; 10 too little disk
    const char* title;
    const char* text;
};
GridCheck grid_check_sizes(bool wheel, double x_size, double y_size, double interval_len, double spacing_len,
                           double interval_short);
// KiB the raw cubes of a grid need (the estimate of screen 23).
long grid_required_kib(int nx, int ny, int line_step, int file_samples);

// The line walked: direction 0 (first) or 1 (second) and its index.
struct GridLine {
    int direction, line;
};
// "Next line" / "Previous line" of the control screen, with the counts of both directions.
GridLine grid_next_line(GridLine at, int lines_0, int lines_1);
GridLine grid_previous_line(GridLine at, int lines_0);
// The line is measured far enough to go on (97 %).
bool grid_line_done(float ready);
// The project is complete: the last line of the second direction reached 97 %.
bool grid_last_line(GridLine at, int lines_1);

// The line the cube records now, and setting it (current_direction, direction_flag, line).
GridLine grid_current();
void grid_set_line(GridLine l);
