// The signal parameters of the CU (screen 13): signal position, transmitter frequency, runs
// and samples, stacking, clipped samples, zero level, resampling and delay, each sent to the
// CU as it changes so the live trace shows it; "Set Defaults" by antenna type.
#include "acquisition/acquisition.h"
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "gui/input.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/trace_view.h"
#include "screens/param_math.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"
#include "screens/signal_values.h"

#include <SDL/SDL.h>

using namespace params;
using namespace signal_values;

int delay_adjust = 0;

namespace {

constexpr int kSearch = 2, kPosition = 3, kFreq = 4, kRuns = 5, kSamples = 6, kAutoStacks = 7, kStacks = 8,
              kClipped = 9, kZero = 10, kResampling = 11, kDelay = 12, kDefaults = 13, kSave = 15, kCancel = 16;
constexpr int kM = 13;

void show_all(bool on)
{
    char t[kAntNameSize + 40];
    snprintf(t, sizeof t, "Signal parameters: %s", eep.ant_name);
    show_title(kM, t);
    if (!on) {
        for (int s : {kPosition, kFreq, kRuns, kSamples, kAutoStacks, kStacks, kClipped, kZero, kResampling, kDelay})
            show_value(kM, s, " ");
        if (CTraceView* tv = trace_view(kM))
            tv->tDraw(nullptr, -1, 0, -1, false, "No contact with CU!");
        return;
    }
    show_valuef(kM, kPosition, "Adjust pos.(%d)", 65535 - int(uint16_t(eep.cu_word)));
    show_valuef(kM, kFreq, "%6.0f Hz", double(trans_freq[eep.freq_index < 0 || eep.freq_index > 7 ? 4 : eep.freq_index]));
    show_valuef(kM, kRuns, "%d runs", int(eep.runs));
    show_valuef(kM, kSamples, "%d (file %d)", int(eep.cu_samples), int(eep.samples));
    show_value(kM, kAutoStacks, eep.auto_stacks ? "On" : "Off");
    show_valuef(kM, kStacks, "%d", int(eep.auto_stack_value));
    show_valuef(kM, kClipped, "%d", int(eep.clipped));
    show_valuef(kM, kZero, "%d", int(eep.cu_aux));
    show_value(kM, kResampling, eep.screen_opt2 ? "On" : "Off");
    show_valuef(kM, kDelay, "%d", delay_adjust);
}

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// Edits one value with Left/Right until Enter; `change` takes the key's step (+1 Right,
// -1 Left) and sends what changed.
template <class F> void edit(F change)
{
    edit_steps(trace_tick, [&change](int d) {
        {
            MutexLock g(lock_dw);
            change(d);
        }
        show_all(true);
    });
}

void set_defaults()
{
    SignalDefaults d;
    const int type = eep.ant_record ? eep.ant_record->index : 0;
    if (!signal_defaults(type, int(gpr.versions[2]), eep.clipped, xml_pars.units == 1, d))
        return;
    eep.runs = uint8_t(d.runs);
    eep.samples = uint16_t(d.file_samples);
    eep.cu_samples = int16_t(d.cu_samples);
    eep.view_samples = eep.samples;
    eep.ant_separation = d.separation_m;
    eep.trace_interval = d.point_interval;
    eep.freq_index = 4;
    eep.auto_stacks = 1;
    eep.auto_stack_value = 0;
    eep.cu_aux = 37;
    MutexLock g(lock_dw);
    gpr.SetNumRuns(eep.runs);
    send_eep_samples();
    gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
    gpr.SetZeroLevel(eep.cu_aux);
    gpr.SetAntennaSeparation(uint32_t(d.separation_m * 1000.0f + 0.5f));
    // The frequency index changed too: the CU must transmit at the frequency shown.
    gpr.SetTFreqDivider(freq_divider(eep.freq_index));
    eep.compute_step_distance();
}

} // namespace

int mode_13_signal_parameters()
{
    const Signal entry = Signal::now();
    bool on = cu_on();
    enter_screen(kM);
    if (CTraceView* tv = trace_view(kM))
        tv->tInit();
    show_all(on);
    for (;;) {
        const int r = next_button(kM, [&on] {
            const bool now_on = cu_on();
            if (now_on != on) {
                on = now_on;
                show_all(on);
            }
            if (on)
                show_Trace(0);
            draw_battery();
            return true;
        });
        if (r == kSave || r == kCancel) {
            if (r == kCancel && on)
                restore(entry);
            finish(on);
            return 1;
        }
        if (!on && r != kResampling) {
            release(kM, r);
            continue;
        }
        switch (r) {
        case kSearch:
            SearchTimeZero();
            break;
        case kPosition:
            edit(step_position);
            break;
        case kFreq:
            edit([](int d) { eep.freq_index = clamp(eep.freq_index + d, 0, 7); });
            {
                MutexLock g(lock_dw);
                gpr.SetTFreqDivider(freq_divider(eep.freq_index));
            }
            break;
        case kRuns:
            edit([](int d) { eep.runs = uint8_t(runs_step(eep.runs, d)); });
            eep.cu_samples = int16_t(cu_samples_for_runs(eep.cu_samples, eep.runs));
            file_samples_follow();
            {
                MutexLock g(lock_dw);
                gpr.SetNumRuns(eep.runs);
                send_eep_samples();
            }
            break;
        case kSamples:
            edit(step_samples);
            break;
        case kAutoStacks: {
            MutexLock g(lock_dw);
            toggle_autostacks();
            break;
        }
        case kStacks:
            edit(step_stacks);
            if (eep.auto_stack_value > kMaxStacks) {
                mesmode(kStacksWarning1, kStacksWarning2, true, 0);
                enter_screen(kM);
            }
            break;
        case kClipped:
            edit(step_clipped);
            break;
        case kZero:
            edit(step_zero);
            break;
        case kResampling:
            eep.screen_opt2 = eep.screen_opt2 ? 0 : 2;
            if (CTraceView* tv = trace_view(kM))
                tv->tInit();
            break;
        case kDelay:
            edit([](int d) {
                delay_adjust = clamp(delay_adjust + 2 * d, 0, kMaxDelay);
                gpr.SetDelayAdjust(uint32_t(delay_adjust));
            });
            break;
        case kDefaults: set_defaults(); break;
        default: break;
        }
        show_all(on);
        release(kM, r);
    }
}

void rows_signal(CMS& t)
{
    const int row = kM;
    put_title(t, row, "Signal parameters");
    put_line(t, row, kSearch, 0, "Signal search", false);
    put_line(t, row, kPosition, 1, "Adjust position");
    put_line(t, row, kFreq, 2, "Transmitter Frequency");
    put_line(t, row, kRuns, 3, "N Runs");
    put_line(t, row, kSamples, 4, "N Samples");
    put_line(t, row, kAutoStacks, 5, "Autostacks");
    put_line(t, row, kStacks, 6, "Stacks");
    put_line(t, row, kClipped, 7, "Clipped samples");
    put_line(t, row, kZero, 8, "Zero Level");
    put_line(t, row, kResampling, 9, "Resampling");
    put_line(t, row, kDelay, 10, "Delay Adjustment");
    put_small(t, row, kDefaults, 11, 0, "Set Defaults");
    put_small(t, row, kSave, 11, 1, "Save");
    put_small(t, row, kCancel, 11, 2, "Cancel");
    put_trace_view(t, row);
}
