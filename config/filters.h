// How the filter slots of an antenna record (CFilterSlot, dsp/filter_slots.h, with their
// defaults in init_filter) appear in the settings file: which integer parameters each kind
// has and the `comment` attribute written beside each.
//
//   kind  int_par comments (in order)                                  float_par
//     0   -                                                              -
//     1   number of samples in the end of the trace                      -
//     2   max linear coef, max exponential coef, start sample, current value
//     3   number of previous traces (0 == Off)                           -
//     4   Number of traces to sum, Window size for energy, Window size for gain averaging,
//         Bias, Start sample, First arrival supressing                   -
//     5   high pass value, low pass value                                -
//     6   current value                                                  contrast power base
#pragma once

#include "dsp/filter_slots.h"

typedef CFilterSlot CFilterRecord; // one filter record of an antenna record

constexpr int kFilterSlots = FILTER_SLOTS;
constexpr int kFilterIntPars = 10;

// The number of integer parameters a kind has in the file (0 for an unknown kind), and the
// comment of parameter k (null beyond that count).
int filter_int_par_count(int kind);
const char* filter_int_par_comment(int kind, int k);
// Whether the kind has a float parameter in the file (kind 6 only), and its comment.
bool filter_has_float_par(int kind);
const char* filter_float_par_comment();

static_assert(sizeof(CFilterSlot::int_par) / sizeof(CFilterSlot::int_par[0]) == kFilterIntPars,
              "ten integer parameters per filter");
