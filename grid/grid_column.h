// The grid side of the per-trace pipeline: each trace of a grid line lands in its cell of the
// current line of the cube (rdr.mx), on the acquisition thread.
#pragma once

#include "acquisition/pipeline.h"

// The line being recorded has ended: a trace came from beyond its last point (lock_eol).
extern bool m_lin_end;
// The line was stopped: traces still arriving are not stored (set by the grid screens).
extern int hf_short_stop;

class CGridCells : public CGridColumn {
public:
    void zero_cell(double distance) override;
    void put_cell(double distance, const int32_t* samples, int n) override;

    // Cell of a distance in metres along the line: round(distance / point interval in metres);
    // -1 when the cube has no point interval.
    static int cell_of(double distance);
};

extern CGridCells grid_cells;
