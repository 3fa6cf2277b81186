// CMatrix: the data cube of a grid project (the member `mx` of the global rdr), its sizing,
// its files and its processing.
//
// A grid has lines of two directions: direction 0 runs along Y at x = k * x step and holds
// `ny` traces, direction 1 runs along X at y = k * line_step and holds `nx` traces. Each
// direction keeps one more line than it has, the spare line, used as the output of the
// migration. A grid position is coded in the files as x * ny + y.
//
// Files, in the data directory: name.rhd (project header, key lines), name.rad / name.add
// (the Header of the project), name_1.rd6 / name_2.rd6 (the recorded lines of directions 0
// and 1 as int16), name_3.rd6 / name_4.rd6 (the processed lines as float32).
//
// Threads: the acquisition thread writes the traces and `filled` of the current line under
// lock1 (grid/grid_column.h); everything else runs on the GUI thread. File access holds
// lock_dw.
#pragma once

#include "dsp/trace.h"
#include "files/header.h"

#include <cstdint>
#include <vector>

constexpr int kGridMaxPoints = 440;              // points per axis without an x-step override
constexpr double kGridMaxBytes = 160000000.0;    // estimate bound of the float cube
constexpr int kGridRefSamples = DSP_MAX_SAMPLES; // samples of a line's reference trace
constexpr int kGridNameSize = 100;

// The migration's amplitude normalisation: 0 until the first migrated line after a reset sets
// it; every later line is scaled by it.
extern float migr_coef;

class CMatrix {
public:
    Header hd;                           // the project's .rad / .add
    char project_name[kGridNameSize];    // "GR_" and three digits
    char rhd_path[kGridNameSize];
    char rd6_path[4][kGridNameSize];
    int16_t project_type;                // 1: lines one point apart; 2: lines at profile_spacing
    float x_size, y_size;                // user length units
    float resolution;                    // point interval, user short-length units
    float profile_spacing;               // user length units
    int16_t nx, ny;                      // grid points along X and Y
    int16_t line_step;                   // line spacing in points
    int16_t x_step_override;             // spacing of direction-0 lines when above 0
    int16_t lines_0, lines_1;            // lines of each direction (spare line not counted)
    std::vector<std::vector<CFTrace>> traces[2];
    std::vector<std::vector<int16_t>> filled[2];
    std::vector<std::vector<float>> line_values[2];
    std::vector<std::vector<float>> maps[3]; // [x][y]: direction 0, direction 1, combined
    int16_t current_direction;
    int16_t reference_trace[kGridRefSamples];
    int16_t z_slice_index;               // slice depth in samples
    bool direction_flag;                 // the current line belongs to direction 0
    int16_t current_line;
    int16_t trigger_source;
    int16_t top_view_mode;               // 0 clears the combined map, 1 runs the top-view chain

    CMatrix();
    CMatrix(const CMatrix&) = delete;
    CMatrix& operator=(const CMatrix&) = delete;

    void m_init();
    // The grid from the user sizes: 0; -1 bad point interval; -2 the cube would exceed the
    // memory bound; -3 more than 440 points along X; -4 along Y.
    int proper_size();
    // Next free "GR_%03d" into project_name (emptied when the data directory cannot be read).
    void xDefineName();
    // Paths of every project file from `name` cut at its first '.'.
    void xSetNames(const char* name);

    // Allocates the cube, all zero: 0; -1 bad sizes; -2 out of memory (or beyond the
    // memory bound); -3 any other failure. On failure nothing of a cube is left.
    int mx_create();
    void mx_clear();
    void mx_clear_line();
    float line_ready() const;
    void line_erase();

    // Lines and traces per line of direction d (0 when d is not 0 or 1).
    int line_count(int d) const { return d == 0 ? lines_0 : d == 1 ? lines_1 : 0; }
    int trace_count(int d) const { return d == 0 ? ny : d == 1 ? nx : 0; }
    int x_step() const { return x_step_override > 0 ? x_step_override : line_step; }
    // Samples per trace of the cube as allocated (0 when empty).
    int samples() const { return samples_; }
    bool allocated() const { return !traces[0].empty(); }

    // File k + 1 (_1 .. _4.rd6). d_write: 0, 5 not created, 6 write failed (the old file
    // stays as it was). d_read: 0; -1 not opened; -2 a position outside the grid (or a file of
    // another grid); -3 the cube's sample count disagrees with the header.
    int d_write(int k);
    int d_read(int k);
    // Forgets every recorded trace and reads _1.rd6 and _2.rd6 again: the first failure.
    int mx_reread();
    // .rhd: 0, 6 not written. rhd_read: 0; 1 not opened; 2 a line too long; 3 sizes that no
    // cube can have (the fields are then left as read, the caller resets them).
    int rhd_write();
    int rhd_read();

    // New project on disk: 0; -2 no cube; -3 .rhd not written; -4 header not written.
    int xCreate();
    // Opens a stored project: 0; an h_read code; -1 the header does not fit the antenna
    // parameter block; 10 + rhd_read code; a mx_create code; 20 no data file readable.
    int xOpen(const char* name);
    // Copies the project to the USB export folder: the sum of the copy statuses; 3000 when
    // the export folder cannot be listed.
    int xCopy(const char* name);
    // Deletes every file of the project: 0 when the main files all existed.
    int xDelete(const char* name);

    // ---- processing (grid/processing.cpp, grid/migration.cpp) ----
    // Fills the unrecorded traces of a line; true when fewer than half were filled in.
    bool Linearization(int d, int line);
    void lin_all();
    void fir_all();
    void Migration(int d, int line, int count);
    void migrate_all();
    // migrate_all on `threads` threads (0: every core); the result does not depend on it.
    void migrate_all(int threads);
    void PickMax(int d);
    void AGCFilter(int d);
    void ThresholdFilter(int d, int level);
    void Interpolation(int d);
    void Combine();
    void tv_process();

private:
    int samples_ = 0;
    int allocate();
};
