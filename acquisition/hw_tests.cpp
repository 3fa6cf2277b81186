// Hardware tests of the test screen (27), run on the acquisition thread: memory, FPGA, the
// antenna's GPS, and the sampler board. Each result goes to its line of the screen through
// hw_test_view.
#include "acquisition/acq_state.h"
#include "acquisition/acquisition.h"
#include "acquisition/descriptors.h"
#include "acquisition/hw_test_view.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

CHwTestView idle_view;

bool cancelled() { return cancel_hw_tests == 1; }

void show(int line, const char* text)
{
    hw_test_view->line(line, text);
}

void test_memory()
{
    show(kHwLineMemory, "Testing");
    MutexLock g(lock_dw);
    gpr.SelectMemory(1);
    const unsigned char patterns[3] = {0x55, 0xAA, 0x55};
    uint32_t result = 0;
    unsigned char address = 0;
    int passes = 0;
    for (unsigned char p : patterns) {
        result = gpr.TestSRAM(p, address);
        if (result != 0) {
            char text[96];
            snprintf(text, sizeof text, "Errors: %X/ %X/ %X/ %d", unsigned(result), unsigned(address),
                     unsigned(p), passes);
            gpr.SelectMemory(2);
            show(kHwLineMemory, text);
            return;
        }
        passes++;
    }
    gpr.SelectMemory(2);
    show(kHwLineMemory, "pass");
}

void test_fpga()
{
    show(kHwLineFpga, "Testing");
    int e1 = 0, e2 = 0, e3 = 0, e4 = 0, r;
    {
        MutexLock g(lock_dw);
        r = gpr.TestFPGA(100, 512, 640, e1, e2, e3, e4);
    }
    char text[96];
    if (r == 0)
        snprintf(text, sizeof text, "pass");
    else if (e1 == 1638)
        snprintf(text, sizeof text, "Error: %d/ %X/ %X/ %X/ %X", r, unsigned(e1), unsigned(e2),
                 unsigned(e3), unsigned(e4));
    else if (r == -6)
        snprintf(text, sizeof text, "Error: %d/ %X/ %X/ %X", r, unsigned(e1), unsigned(e2), unsigned(e3));
    else
        snprintf(text, sizeof text, "Error: %d/ %X/ %X", r, unsigned(e1), unsigned(e2));
    show(kHwLineFpga, text);
}

void test_gps()
{
    show(kHwLineGps, "Testing");
    int connect;
    {
        MutexLock g(lock_dw);
        connect = gpr.GPS_Connect(1, 1, 0);
    }
    char name[64];
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    snprintf(name, sizeof name, "/mnt/hda1/%04d%02d%02d_%02d%02d%02d_GPS_dump", t.tm_year + 1900,
             t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    snprintf(hw_gps_dump_path, sizeof hw_gps_dump_path, "%s", name);
    int file_error = 0, nothing = 0, write_error = 0;
    FILE* f;
    {
        MutexLock g(lock_dw);
        f = fopen(host_path(name).c_str(), "wb");
    }
    if (!f)
        file_error = 1;
    static char buf[kGpsStringSize];
    for (int i = 0; i < 3 && !cancelled(); i++) {
        SDL_Delay(1000);
        MutexLock g(lock_dw);
        const int n = gpr.GetGPSString(buf);
        if (n <= 1) {
            nothing = 1;
            continue;
        }
        if (f && fwrite(buf, 1, size_t(n - 1), f) != size_t(n - 1))
            write_error = 1;
    }
    if (f) {
        MutexLock g(lock_dw);
        if (fclose(f) != 0)
            write_error = 1;
    }
    gps.gps_Unit_Close();
    gps.gps_Open();
    char text[96];
    if (connect == 0 && !file_error && !write_error)
        snprintf(text, sizeof text, "pass");
    else
        snprintf(text, sizeof text, "error %d/ %d/ %d/ %d", connect, file_error, nothing, write_error);
    show(kHwLineGps, text);
}

bool read_single(int16_t* s, int count)
{
    if (gpr.m_Trigg(1000, 0) != 0)
        return false;
    uint32_t pos, end, len = 0;
    if (eth.locate_single_trace(pos, end, len) != 0)
        return false;
    const int have = len >= 8 ? int(len - 8) / 2 : 0;
    for (int i = 0; i < count; i++)
        s[i] = i < have ? int16_t(eth.ring_be16((pos + 8 + 2 * uint32_t(i)) % kMeaRingSize)) : 0;
    eth.next_element(pos, end, len);
    return have >= count;
}

bool allowed_test_value(uint16_t v)
{
    return v == 0 || v == 0x7F00 || v == 0x80FF || v == 0xD533 || v == 0x8000 || v == 0x7FFF ||
           v == 0x2AAA;
}

void test_board()
{
    show(kHwLineBoard, "Testing");
    unsigned short v[15] = {};
    int r = 0;
    for (int i = 0; i < 10 && !cancelled(); i++) {
        MutexLock g(lock_dw);
        r = gpr.Init_USA_board();
        for (unsigned short& w : v)
            w = 0;
        gpr.GetInitErrors(v);
        bool bad = false;
        for (int k = 0; k < 8; k++)
            bad |= v[k] != 0;
        if (r == 0 && bad)
            r = 10;
        if (r != 0) {
            char text[128];
            snprintf(text, sizeof text, "Init Errors: %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d/ %d", r, v[0], v[1],
                     v[2], v[3], v[4], v[5], v[6], v[7]);
            show(kHwLineBoard, text);
            return;
        }
    }
    static int16_t s[2000];
    int trigger_errors = 0, mean_errors = 0, last_mean = 0, pattern_errors = 0;
    int first_bad = 0, first_bad_index = -1;
    {
        MutexLock g(lock_dw);
        gpr.SetNumRuns(20);
        gpr.SetClippedSamples(0);
        if (prm.udp_mode)
            gpr.USA_SetSamples(2000);
        gpr.SetSamples(2000);
        for (int i = 0; i < 10 && !cancelled(); i++) {
            if (!read_single(s, 2000)) {
                trigger_errors++;
                continue;
            }
            int64_t sum = 0;
            for (int k = 0; k < 2000; k++)
                sum += s[k];
            const int mean = int(sum / 2000);
            if (mean > 2000 || mean < -2000) {
                mean_errors++;
                last_mean = mean;
            }
        }
        gpr.Set_Pattern(1, 0);
        for (int i = 0; i < 10 && !cancelled() && first_bad_index < 0; i++) {
            if (!read_single(s, 2000)) {
                trigger_errors++;
                continue;
            }
            for (int k = 0; k < 2000; k++)
                if (!allowed_test_value(uint16_t(s[k]))) {
                    pattern_errors++;
                    first_bad = uint16_t(s[k]);
                    first_bad_index = k;
                    break;
                }
        }
        // Back to the measured signal and to the antenna's own settings.
        gpr.Set_Pattern(0, prm.pattern_parameter);
        send_eep_sampling();
    }
    char text[160];
    snprintf(text, sizeof text, "Init is OK. Other errors: %d/ %d/ %d/ %d/ %d/ %X/ %d", trigger_errors,
             mean_errors, last_mean, pattern_errors, first_bad_index >= 0 ? 1 : 0, unsigned(first_bad),
             first_bad_index);
    show(kHwLineBoard, text);
    for (int i = 0; i < 500 && !cancelled(); i++)
        SDL_Delay(10);
}

} // namespace

CHwTestView* hw_test_view = &idle_view;
char hw_gps_dump_path[kHwDumpPathSize] = {};

void run_hw_tests()
{
    cancel_hw_tests = 0;
    test_memory();
    if (!cancelled())
        test_fpga();
    if (!cancelled())
        show(kHwLinePass, "pass");
    if (!cancelled())
        test_gps();
    if (!cancelled())
        test_board();
    hw_test_view->caption("Start Tests");
    hw_tests_are_started = 0;
}
