#include "acquisition/acq_state.h"

#include "cu/eep.h"

std::atomic<bool> MeasureMode{false};
std::atomic<bool> inMeasurement{false};
std::atomic<bool> after_measurement{false};
std::atomic<bool> cont_meas{false};
std::atomic<bool> first_trace{true};
int triggCond = 1;
int prevL = 0;
double prevWP = 0;
std::atomic<int> curWhPosition{0};
std::atomic<int> curTmPosition{0};
int prev_meas_time = 0;
std::atomic<int> last_trace_on_screen{0};
std::atomic<bool> canShow{false};
std::atomic<bool> canPShow{false};
bool noise_test_mode = false;

int tot_traces = 0;
int tot_missed_traces = 0;
int tot_missed_traces_CU = -1;
uint32_t stop_last_block = 0;
std::atomic<int> run_missed_triggers{0};
std::atomic<int> run_filled_traces{0};

std::atomic<bool> mea_errors{false};
std::atomic<bool> thError{false}, thError2{false}, thError4{false}, thError5{false},
    wrError{false}, memError{false};
std::atomic<int> thError3{0};
std::atomic<int> TraceError{0};

int32_t ttrace[DSP_MAX_SAMPLES];

std::atomic<int> hw_tests_are_started{0};
std::atomic<int> cancel_hw_tests{0};
std::atomic<bool> renew_hw_tests_screen{false};

std::atomic<bool> acq_running{false};
std::atomic<bool> acq_finished{false};

void clear_error_flags()
{
    thError = thError2 = thError4 = thError5 = wrError = memError = false;
    thError3 = 0;
    TraceError = 0;
}

bool any_error_flag()
{
    return thError || thError2 || thError3 != 0 || thError4 || thError5 || wrError || memError;
}
