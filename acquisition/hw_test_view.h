// Where the hardware tests of screen 27 show their results: one text line per test ("Testing"
// while it runs, then its pass text or error line) and the start button's caption. The test
// screen installs its implementation; the default prints the lines.
#pragma once

#include <cstdio>

enum HwTestLine { kHwLineMemory, kHwLineFpga, kHwLinePass, kHwLineGps, kHwLineBoard };

class CHwTestView {
public:
    virtual ~CHwTestView() {}
    // Sets the text of one line and asks the screen to refresh.
    virtual void line(int which, const char* text) { printf("hw test %d: %s\n", which, text); }
    virtual void caption(const char* text) {}
};

extern CHwTestView* hw_test_view; // never null

// Device path of the GPS dump written by the last GPS test ("/mnt/hda1/..._GPS_dump"),
// empty before the first; the test screen copies it to the USB stick.
constexpr int kHwDumpPathSize = 64;
extern char hw_gps_dump_path[kHwDumpPathSize];
