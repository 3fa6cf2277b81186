#include "screens/signal_values.h"

#include "acquisition/acquisition.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "platform/globals.h"
#include "screens/param_math.h"
#include "screens/parameter_screens.h"

namespace signal_values {

namespace {
int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
} // namespace

Signal Signal::now()
{
    return {uint16_t(eep.cu_word), eep.freq_index, eep.runs, eep.cu_samples, eep.samples, eep.auto_stacks,
            eep.auto_stack_value, eep.clipped, eep.cu_aux, delay_adjust};
}

void file_samples_follow()
{
    const int n = eep.cu_samples - eep.clipped;
    eep.samples = uint16_t(n < kMinFileSamples ? kMinFileSamples : n);
    if (eep.view_samples > eep.samples || eep.view_samples < kMinFileSamples)
        eep.view_samples = eep.samples;
}

void toggle_autostacks()
{
    eep.auto_stacks = eep.auto_stacks ? 0 : 1;
    gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
}

void step_position(int dir)
{
    eep.cu_word = int16_t(uint16_t(eep.cu_word) + (dir > 0 ? -1 : 1));
    gpr.SetSigPos(uint16_t(eep.cu_word));
}

void step_samples(int dir)
{
    eep.cu_samples = int16_t(cu_samples_step(eep.cu_samples, eep.runs, eep.clipped, dir));
    file_samples_follow();
    send_eep_samples();
}

void step_stacks(int dir)
{
    if (dir > 0 && eep.auto_stack_value <= kMaxStacks - 1)
        eep.auto_stack_value++;
    else if (dir < 0 && eep.auto_stack_value > 0)
        eep.auto_stack_value--;
    gpr.SetAutoStacks(eep.auto_stacks, uint16_t(eep.auto_stack_value));
}

void step_clipped(int dir)
{
    // The file keeps at least 100 samples after the clipped ones.
    const int top = eep.cu_samples - kMinFileSamples;
    eep.clipped = uint8_t(clamp(eep.clipped + dir, 0, top < kMaxClipped ? (top < 0 ? 0 : top) : kMaxClipped));
    gpr.SetClippedSamples(eep.clipped);
    if (prm.udp_mode) {
        file_samples_follow();
        gpr.SetSamples(eep.samples);
    }
}

void step_zero(int dir)
{
    eep.cu_aux = int16_t(clamp(eep.cu_aux + dir, 0, kMaxZero));
    gpr.SetZeroLevel(eep.cu_aux);
}

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

} // namespace signal_values
