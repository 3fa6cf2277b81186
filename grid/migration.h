// The diffraction-summation migration of one line of traces, apart from the cube so that the
// profile screens, the grid and the tests run the same code.
//
// Output trace j, sample k (k from the zero level u up) is the mean, over the traces l of the
// aperture ap[k] around j, of the background-removed input W[l] at the two-way travel time
// R[k][|l - j|] of a point diffractor under j (offsets whose travel time lies outside the
// trace or more than 119 samples from k add nothing but still count in the mean). Samples
// above u are 0; the rest are scaled by the line's normalisation.
//
// The summation runs offset by offset over all output traces at once: the input is held
// sample-major (every trace's sample r side by side), so each offset adds one contiguous row
// to the output row, a loop the compiler vectorises.
#pragma once

#include <cstdint>

class CFTrace;
class CMatrix;

struct MigrationSetup {
    int N = 0;            // samples per trace
    int u = 0;            // zero level (time-zero sample, not below 0)
    float G = 0.0f;       // depth of one sample in trace spacings
    float a = 0.0f;       // half the antenna separation in trace spacings
    int bg_traces = 0;    // background window (previous traces); below 2 no removal
    bool bg_on = false;   // background removal switched on
    bool migrate = true;  // off: the output is the background-removed input
};

// The setup of the cube's line: its header (migration switch), point interval and samples,
// the antenna parameter block (time step, zero level, distance interval, antenna separation),
// the soil velocity and the current antenna's background filter (filter 3).
MigrationSetup migration_setup(const CMatrix& m);

// Largest |R - k| that contributes.
constexpr int kMigrWindow = 119;

// The integer part of a table value (an aperture or a travel time). Many of them are whole
// numbers in exact arithmetic (the apex of a hyperbola lies at the sample itself when the
// antennas coincide; the aperture at u is G (N - u)), and where the processor keeps more bits
// than a double between the steps (the 32-bit x87 unit) they come out a rounding step below
// and would be cut to the number below: such a value counts as the whole number it stands for.
inline int table_index(double v) { return int(v + 1e-9); }

// Migrates `count` traces in[0..count-1] into out[0..count-1] (N samples each; out may be the
// same traces as in). coef is the normalisation: when 0 it is computed from this line and
// set (it stays 0 for a line without a non-empty trace).
void migrate_line(const MigrationSetup& s, const CFTrace* const* in, CFTrace* const* out, int count,
                  float& coef);

// The background removal alone: w[i * N + k] for i < count.
void remove_background(const MigrationSetup& s, const CFTrace* const* in, int count, float* w);

// A trace is empty when its samples 10 and N - 10 are both exactly 0.
bool trace_empty(const float* t, int N);
