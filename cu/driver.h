// CDriver: the CU command layer (global `gpr`).
//
// One method per CU operation, each a single eth.cmd_inject exchange with fixed codes,
// followed by big-endian reads of the current answer's payload (u32[k] / u16[k]: the value at
// byte k). It also connects to the CU (cu_Open), reads the CU's acquisition parameters into
// the antenna parameter block (ReadParameters), collects the GPS text of the antenna's
// receiver (GetGPSString) and runs the CU self-tests.
//
// Every exchange returns 0, -3 (link closed), -1 (send failed), 733 (no answer) or 200 + code
// (CU error report); methods that decode an answer return their own failure value only where
// noted (-1, 0x10000000, 1000). Answer time-outs are in polls of 2 ms (50 by default).
//
// Threads: called from the GUI, acquisition and timer threads; the link serialises whole
// exchanges (eth_mtx5). A method that changes the link's answer time-out does it inside its
// own exchange window: the time-out is per exchange, see with_timeout() in driver.cpp.
#pragma once

#include <cstdint>
#include <mutex>

constexpr int kGpsStringSize = 4000;        // GetGPSString's output buffer
constexpr uint32_t kSramTestFailed = 0x10000000;

// What the dialog headings show of the connected CU: its identity word and the versions of
// its own FPGA, of the sampler board's controller and of the sampler board's FPGA.
struct CuIdentity {
    uint32_t id_word = 0, version1 = 0;
    int32_t version2 = 0, version3 = 0;
};

class CDriver {
public:
    // GetVersions, in answer order: CU program version, identity word, hardware words 1-4.
    uint32_t versions[6] = {};
    uint32_t our_fpga_version = 0;          // the CU's own FPGA
    uint32_t usa_pic_version = 0;           // the sampler board's controller
    uint32_t usa_fpga_version = 0;          // the sampler board's FPGA
    uint32_t prev_id = 0;                   // identity word at the previous connection

    virtual ~CDriver() {}

    // The version words are written by whichever thread talks to the CU (Collect connects it)
    // and read by the screens (the message box's footer): both sides hold identity_m.
    uint32_t program_version() const
    {
        std::lock_guard<std::mutex> g(identity_m);
        return versions[0];
    }
    uint32_t identity() const
    {
        std::lock_guard<std::mutex> g(identity_m);
        return versions[1];
    }
    CuIdentity shown_identity() const
    {
        std::lock_guard<std::mutex> g(identity_m);
        return CuIdentity{versions[1], our_fpga_version, static_cast<int32_t>(usa_pic_version),
                          static_cast<int32_t>(usa_fpga_version)};
    }
    mutable std::mutex identity_m;

    // ---- Connection ----
    // Opens the link and finds the CU: 1 connected, 0 not (or a different CU than before
    // while the CU counted as on).
    int cu_Open();

    // ---- Acquisition set-up ----
    int SetSamples(unsigned short n);
    int SetStacks(unsigned short n);
    int SetSigPos(unsigned short p);
    int SetTriggSrc(short s, unsigned char src, int32_t v);
    int SetTriggCond(short s, int32_t v);
    int SetTriggMode(short s, short a, short b);
    int SetMeasDir(short s, int32_t d);
    int SetWheelPos(short s, short a, int32_t v);
    int SetTimePos(short a, int32_t v);
    int EnableWheel(short s);
    int DisableWheel(short s);
    int SetAutoStacks(unsigned char a, unsigned short b);
    int SetMode();                          // simulation_mode, global_mode
    int SetNumRuns(unsigned char n);
    int SetDelayAdjust(uint32_t d);
    int Set_DUO_Channel(unsigned short c);
    int WriteParameters(uint32_t a);
    int SetTFreqDivider(uint32_t d);
    int SetAntennaSeparation(uint32_t s);
    int SetClippedSamples(uint32_t n);
    int SetZeroLevel(int32_t z);
    int USA_SetSamples(unsigned short n);
    int Set_SRAM(unsigned short v);
    int Set_Pattern(int fixed, uint32_t p);
    int SelectMemory(int type);             // 1 or 2; other values send nothing (0)
    int SD_Enable(bool on);                 // answer u32[0], or the failure

    // ---- Measurement ----
    // 0 started; min(count, 999) when the CU reports status 3; status + 1000 otherwise;
    // 1000 when the exchange failed.
    int m_Start();
    // Final counts of the CU into a, b, c (when given); 0, or 1000 when the exchange failed.
    int mStop(uint32_t* a, uint32_t* b, int* c);
    // One trace on demand: the failure, 0, or the CU's status + 1000.
    int m_Trigg(uint32_t timeout, int s);
    int Reset_P();
    // Resend of missed blocks: answer u16[0], or the failure.
    int GetMissedBlock(int first, int last);

    // ---- Readings ----
    int32_t GetWheelPos(int s);             // u32[0] of the current answer
    int GetTimePos();                       // milliseconds
    int64_t Get_CU_Clock_Freq();            // u32[8], -1 on failure
    int64_t Get_ADC_Freq();                 // u32[8], -1 on failure
    int GetADC(unsigned short v[6]);        // -1 on failure
    int GetInitErrors(unsigned short v[15]); // -1 on failure
    uint32_t GetAntennaID(uint32_t* serial);
    int SetAntennaID(uint32_t id, uint32_t serial);
    int GetVersions();
    int Set_HW_Versions();
    int Get_USA_FPGA_Version();
    int Get_USA_PIC_Version();
    int Get_Our_FPGA_Version();
    int GetWiFiButtonState();               // u32[0], or the failure
    // Reads the CU's acquisition parameters into eep: 0 read, 1 the CU was set to the
    // defaults, -1 failed.
    int ReadParameters();

    // ---- GPS of the antenna ----
    int GPS_Connect(int on, int a, int b);  // answer u16[0], or the failure
    int SetGPSPars(uint32_t v);
    int SetGPSRate(uint32_t r);
    int Set_GPS_SBAS_Pars(unsigned char a, unsigned char b, unsigned char c, unsigned char d,
                          uint32_t e);
    // Collects the CU's GPS text into out (kGpsStringSize bytes): its length + 1, the
    // failure of the exchange, -4 on a broken element, -2 when the UBX log cannot be written.
    int GetGPSString(char* out);

    // ---- Power and tests ----
    int Switch_Off_CU();
    int Init_USA_board();                   // answer u16[0], or the failure
    uint32_t TestSRAM(unsigned char bank, unsigned char& out);
    int TestFPGA(unsigned short pattern, unsigned short tmin, unsigned short tmax, int& e1,
                 int& e2, int& e3, int& e4);

    // ---- WiFi module of the CU ----
    // Sends a bracketed text command; up to 5 characters of the answer into reply, which
    // holds at least 6 bytes (the characters and their terminating zero).
    int WiFi_Send_Cmd(const char* text, char* reply, uint32_t timeout);
    int WiFi_Wire_Init(const char* text, uint32_t a, uint32_t b, uint32_t& o1, uint32_t& o2,
                       uint32_t& o3, uint32_t& o4, uint32_t& o5);
};

extern CDriver gpr;

// The CU's operating mode numbers sent with CDriver::SetMode (2: the CU sends a test ramp).
extern int simulation_mode;
extern int global_mode;
