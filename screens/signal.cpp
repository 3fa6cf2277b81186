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

#include <SDL/SDL.h>

using namespace params;

int delay_adjust = 0;

namespace {

constexpr int kSearch = 2, kPosition = 3, kFreq = 4, kRuns = 5, kSamples = 6, kAutoStacks = 7, kStacks = 8,
              kClipped = 9, kZero = 10, kResampling = 11, kDelay = 12, kDefaults = 13, kSave = 15, kCancel = 16;
constexpr int kM = 13;
constexpr int kMaxStacks = 2048, kMaxClipped = 200, kMaxZero = 200, kMaxDelay = 2048;

// What the screen edits, as on entry.
struct Signal {
    uint16_t position;
    int32_t freq;
    uint8_t runs;
    int16_t cu_samples;
    uint16_t file_samples;
    uint8_t auto_stacks;
    int16_t stacks;
    uint8_t clipped;
    int16_t zero;
    int delay;
    static Signal now()
    {
        return {uint16_t(eep.cu_word), eep.freq_index, eep.runs, eep.cu_samples, eep.samples, eep.auto_stacks,
                eep.auto_stack_value, eep.clipped, eep.cu_aux, delay_adjust};
    }
};

// The CU's sample counts: in block mode the CU's own count and the file count, else the
// one count the CU samples.
void send_samples()
{
    if (prm.udp_mode) {
        gpr.USA_SetSamples(uint16_t(eep.cu_samples));
        gpr.SetSamples(eep.samples);
    } else {
        gpr.SetSamples(uint16_t(eep.cu_samples));
    }
}

void file_samples_follow()
{
    const int n = eep.cu_samples - eep.clipped;
    eep.samples = uint16_t(n < kMinFileSamples ? kMinFileSamples : n);
    if (eep.view_samples > eep.samples || eep.view_samples < kMinFileSamples)
        eep.view_samples = eep.samples;
}

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
    send_samples();
    gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
    gpr.SetZeroLevel(eep.cu_aux);
    gpr.SetAntennaSeparation(uint32_t(d.separation_m * 1000.0f + 0.5f));
    // The frequency index changed too: the CU must transmit at the frequency shown.
    gpr.SetTFreqDivider(freq_divider(eep.freq_index));
    eep.compute_step_distance();
}

// Sends every value that differs from its value on entry back to the CU.
void restore(const Signal& e)
{
    const Signal n = Signal::now();
    eep.cu_word = int16_t(e.position);
    eep.freq_index = e.freq;
    eep.runs = e.runs;
    eep.cu_samples = e.cu_samples;
    eep.samples = e.file_samples;
    eep.auto_stacks = e.auto_stacks;
    eep.auto_stack_value = e.stacks;
    eep.clipped = e.clipped;
    eep.cu_aux = e.zero;
    delay_adjust = e.delay;
    MutexLock g(lock_dw);
    if (n.position != e.position)
        gpr.SetSigPos(e.position);
    if (n.freq != e.freq)
        gpr.SetTFreqDivider(freq_divider(e.freq));
    if (n.runs != e.runs)
        gpr.SetNumRuns(e.runs);
    if (n.cu_samples != e.cu_samples || n.file_samples != e.file_samples) {
        if (prm.udp_mode)
            gpr.USA_SetSamples(uint16_t(e.cu_samples));
        else
            gpr.SetSamples(uint16_t(e.cu_samples));
    }
    if (n.auto_stacks != e.auto_stacks || n.stacks != e.stacks)
        gpr.SetAutoStacks(e.auto_stacks, uint16_t(e.stacks));
    if (n.clipped != e.clipped)
        gpr.SetClippedSamples(e.clipped);
    if (n.zero != e.zero)
        gpr.SetZeroLevel(e.zero);
    if (n.delay != e.delay)
        gpr.SetDelayAdjust(uint32_t(e.delay));
}

// Save and cancel end alike: the file sample count fits the CU's, is kept and sent, the CU
// stores its parameters, and the settings are written.
void finish(bool on)
{
    if (eep.samples > eep.cu_samples - eep.clipped && eep.cu_samples - eep.clipped >= kMinFileSamples)
        eep.samples = uint16_t(eep.cu_samples - eep.clipped);
    if (eep.view_samples > eep.samples)
        eep.view_samples = eep.samples;
    {
        MutexLock g(lock_dw);
        if (!prm.udp_mode) {
            if (eep.ant_record)
                eep.ant_record->samples_in_file = eep.samples;
        } else if (on) {
            gpr.SetSamples(eep.samples);
        }
        if (on)
            gpr.WriteParameters(0);
        eep.psave_l_a();
    }
    xml_pars.write_xml_tree();
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
            edit([](int d) {
                eep.cu_word = int16_t(uint16_t(eep.cu_word) + (d > 0 ? -1 : 1));
                gpr.SetSigPos(uint16_t(eep.cu_word));
            });
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
                send_samples();
            }
            break;
        case kSamples:
            edit([](int d) {
                eep.cu_samples = int16_t(cu_samples_step(eep.cu_samples, eep.runs, eep.clipped, d));
                file_samples_follow();
                send_samples();
            });
            break;
        case kAutoStacks: {
            eep.auto_stacks = eep.auto_stacks ? 0 : 1;
            MutexLock g(lock_dw);
            gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
            break;
        }
        case kStacks:
            edit([](int d) {
                if (d > 0 && eep.auto_stack_value <= kMaxStacks - 1)
                    eep.auto_stack_value++;
                else if (d < 0 && eep.auto_stack_value > 0)
                    eep.auto_stack_value--;
                gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
            });
            if (eep.auto_stack_value > kMaxStacks) {
                mesmode("Attention! This high number of stacks", "can drastically slow down measurements.", true, 0);
                enter_screen(kM);
            }
            break;
        case kClipped:
            edit([](int d) {
                // The file keeps at least 100 samples after the clipped ones.
                const int top = eep.cu_samples - kMinFileSamples;
                eep.clipped = uint8_t(clamp(eep.clipped + d, 0, top < kMaxClipped ? (top < 0 ? 0 : top) : kMaxClipped));
                gpr.SetClippedSamples(eep.clipped);
                if (prm.udp_mode) {
                    file_samples_follow();
                    gpr.SetSamples(eep.samples);
                }
            });
            break;
        case kZero:
            edit([](int d) {
                eep.cu_aux = int16_t(clamp(eep.cu_aux + d, 0, kMaxZero));
                gpr.SetZeroLevel(eep.cu_aux);
            });
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
