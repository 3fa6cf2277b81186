// The per-antenna filter slots of the settings file: seven per antenna record, each with its
// kind, names, display and file switches and parameters. The signal-processing code reads
// them through the current antenna record (eep.ant_record->filter[k]); the filter screen
// edits them.
//
// Slot k holds filter kind k by default:
//   0 undefined, 1 DC removal, 2 time gain, 3 delete mean trace, 4 automatic time gain,
//   5 FIR (high pass + band pass), 6 contrast.
#pragma once

#include <cstdint>

constexpr int kFilterSlots = 7;
constexpr int kFilterIntPars = 10;

struct CFilterRecord {
    uint16_t index;                 // filter kind 0..6; decides which int_par it has
    char name[50];                  // long name, zero-terminated
    char sh_name[20];               // short name, zero-terminated
    uint8_t display_on;             // applied to what the screen shows (0/1)
    uint8_t file_on;                // stored and written back only (0/1)
    int32_t int_par[kFilterIntPars]; // meanings: filter_int_par_comment(kind, k)
    float float_par;                // contrast power base for kind 6
};

// The defaults of the first `count` slots (at most 7): each is first kind 0, display on, file
// off, parameters 0, then gets the names and values of the kind equal to its position.
void init_filter(CFilterRecord* filters, int count);

// How many integer parameters a filter kind has in the file (0 for an unknown kind), and the
// `comment` text of parameter k (null beyond that count).
int filter_int_par_count(int kind);
const char* filter_int_par_comment(int kind, int k);
// Whether the kind has a float parameter in the file (kind 6), and its comment.
bool filter_has_float_par(int kind);
const char* filter_float_par_comment();
