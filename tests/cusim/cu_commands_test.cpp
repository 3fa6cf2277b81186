// The CU command set against cusim over the Unix link, seen from both ends: every command as
// cusim decoded it (its command log) and the monitor's decoding of cusim's answer; the
// connection with its raw-mode fallback; the CU parameters and their corrections; the start
// status; and the antenna GPS through the GPS reader.
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "cu/patient_transport.h"
#include "cusim/wire_client.h"
#include "link/ethernet.h"
#include "link/transport.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>

using namespace cutest;

namespace {

// One line of cusim's command log.
struct Logged {
    uint32_t code = 0, sub = 0, packet = 0;
    bool udp = false;
    uint32_t args[8] = {};
    std::string text;
};

std::vector<Logged> read_log(const std::string& path)
{
    std::vector<Logged> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        Logged l;
        std::string framing;
        s >> l.code >> l.sub >> framing >> l.packet;
        for (uint32_t& a : l.args) s >> a;
        l.udp = framing == "udp";
        if (s >> std::ws && !s.eof())
            std::getline(s, l.text);
        if (s.fail() && l.text.empty() && framing.empty())
            continue;
        out.push_back(l);
    }
    return out;
}

class CuSim : public ::testing::Test {
protected:
    Sandbox sandbox;
    std::string sock = sandbox.root() + "/sim/cu.sock";
    std::string log = sandbox.root() + "/sim/commands.log";
    std::unique_ptr<CusimProcess> cu;
    std::unique_ptr<CLinkTransport> transport;
    std::unique_ptr<PatientTransport> patient;
    std::set<uint16_t> silent;   // commands cusim leaves unanswered in this test
    bool udp_ignored = false;    // cusim runs with --fault noudp
    size_t seen = 0;             // log lines taken by since()

    void start(std::vector<std::string> extra = {}, bool udp = true)
    {
        std::vector<std::string> args{"--link", "unix:" + sock, "--gps-rate", "0", "--command-log", log};
        args.insert(args.end(), extra.begin(), extra.end());
        cu = std::make_unique<CusimProcess>(args);
        ASSERT_TRUE(wait_for_file(sock, 30000));
        prm.udp_mode = udp ? 1 : 0;
        prm.wifi_link = 0;
        transport.reset(new_unix_transport(sock.c_str()));
        // cusim answers every command but the resend request and the progress note, unless
        // a test says otherwise.
        patient = std::make_unique<PatientTransport>(transport.get(), [this](const uint8_t* f, int) {
            const uint16_t c = PatientTransport::command_of(f);
            if (c == 210 || c == 6666 || silent.count(c))
                return false;
            return !(udp_ignored && PatientTransport::is_udp(f));
        });
        eth.set_transport(patient.get());
        eth.eth_first_Init();
        pisOn = 0;
        xml_pars.Init();
        eep = CEEP();
        eep.Init();
        eep.load_parameters(0, 0);
        eep.ant_record = &xml_pars.antenna[0];
        simulation_mode = global_mode = 0;
    }
    void TearDown() override
    {
        eth.eth_Close();
        eth.set_transport(nullptr);
        if (cu)
            cu->stop();
        pisOn = 0;
        prm.udp_mode = 1;
        simulation_mode = global_mode = 0;
    }
public:
    // Log lines written since the last call.
    std::vector<Logged> since()
    {
        std::vector<Logged> all = read_log(log);
        std::vector<Logged> fresh(all.begin() + long(std::min(seen, all.size())), all.end());
        seen = all.size();
        return fresh;
    }
};

struct Row {
    const char* name;
    std::function<void()> call;   // calls the method and checks its decoded result
    uint16_t code, sub;
    std::vector<uint32_t> args;
    const char* text = nullptr;
};

// Every command of the set, in an order that keeps cusim measuring nothing unasked; the
// readings after a setter find what the setter stored in the CU.
std::vector<Row> table(bool udp)
{
    static unsigned short v6[6], v15[15];
    static uint32_t o[5];
    static unsigned char sram;
    static char reply[8];
    return {
        {"SetSamples", [] { EXPECT_EQ(gpr.SetSamples(812), 0); }, 1, 0, {812}},
        {"SetStacks", [] { EXPECT_EQ(gpr.SetStacks(64), 0); }, 2, 0, {64}},
        {"SetSigPos", [] { EXPECT_EQ(gpr.SetSigPos(65000), 0); }, 3, 0, {65000}},
        {"SetTriggSrc", [] { EXPECT_EQ(gpr.SetTriggSrc(-1, 'W', 16), 0); }, 5, 0xFFFF, {'W', 16}},
        {"SetTriggCond", [] { EXPECT_EQ(gpr.SetTriggCond(1, 1000000), 0); }, 6, 1, {1000000}},
        {"SetTriggMode", [] { EXPECT_EQ(gpr.SetTriggMode(1, -2, 3), 0); }, 7, 1, {0xFFFFFFFE, 3}},
        {"SetMeasDir", [] { EXPECT_EQ(gpr.SetMeasDir(-1, 1), 0); }, 8, 0xFFFF, {1}},
        {"SetWheelPos", [] { EXPECT_EQ(gpr.SetWheelPos(1, 1, -7), 0); }, 9, 1, {1, 0xFFFFFFF9}},
        {"GetWheelPos", [] { EXPECT_EQ(gpr.GetWheelPos(4), -7); }, 58, 4, {}},
        {"SetTimePos", [] { EXPECT_EQ(gpr.SetTimePos(1, 1234), 0); }, 10, 0, {1, 1234}},
        {"GetTimePos", [] {
             eep.clock_freq = 100000;
             EXPECT_GE(gpr.GetTimePos(), 12) << "1234 ticks of 10 us and more";
         }, 59, 0, {}},
        {"Get_CU_Clock_Freq", [] { EXPECT_EQ(gpr.Get_CU_Clock_Freq(), 100000); }, 59, 0, {}},
        {"EnableWheel", [] { EXPECT_EQ(gpr.EnableWheel(2), 0); }, 22, 2, {1}},
        {"DisableWheel", [] { EXPECT_EQ(gpr.DisableWheel(2), 0); }, 22, 2, {0}},
        {"m_Start", [] { EXPECT_EQ(gpr.m_Start(), 0); }, 12, 0, {}},
        {"mStop", [] {
             uint32_t a = 99, b = 99;
             int c = 99;
             EXPECT_EQ(gpr.mStop(&a, &b, &c), 0);
             EXPECT_EQ(b, 0u) << "no trace: the cart never reached the trigger step";
             EXPECT_EQ(c, 0);
         }, 13, 0, {}},
        {"m_Trigg", [] { EXPECT_EQ(gpr.m_Trigg(777, 3), 0); }, 14, 3, {}},
        {"GetMissedBlock", [] { EXPECT_EQ(gpr.GetMissedBlock(1, 1), 1) << "nothing on the card"; }, 212, 0, {1, 1}},
        {"SetAutoStacks", [] { EXPECT_EQ(gpr.SetAutoStacks(0, 300), 0); }, 40, 0, {0, 300}},
        {"Set_HW_Versions", [] {
             gpr.versions[2] = 11; gpr.versions[3] = 12; gpr.versions[4] = 13; gpr.versions[5] = 14;
             EXPECT_EQ(gpr.Set_HW_Versions(), 0);
         }, 43, 0, {2, 11, 12, 13, 14}},
        {"GetVersions", [] {
             gpr.versions[2] = gpr.versions[5] = 0;
             EXPECT_EQ(gpr.GetVersions(), 0);
             EXPECT_EQ(gpr.program_version(), 0x30005012u);
             EXPECT_EQ(gpr.identity(), 0x30005012u);
             EXPECT_EQ(gpr.versions[2], 11u) << "the hardware words written back";
             EXPECT_EQ(gpr.versions[5], 14u);
         }, 61, 0, {1}},
        {"SetAntennaID", [] { EXPECT_EQ(gpr.SetAntennaID(46, 90001), 0); }, 43, 0, {3, 46, 90001}},
        {"GetAntennaID", [] {
             uint32_t serial = 0;
             EXPECT_EQ(gpr.GetAntennaID(&serial), 46u);
             EXPECT_EQ(serial, 90001u);
         }, 76, 0, {}},
        {"GPS_Connect", [] { EXPECT_EQ(gpr.GPS_Connect(1, 1, 0), 0); }, 43, 0, {10, 1, 1, 0}},
        {"GetADC", [] {
             EXPECT_EQ(gpr.GetADC(v6), 0);
             EXPECT_EQ(std::vector<int>(v6, v6 + 6), (std::vector<int>{49680, 3300, 5000, 1200, 2500, 0}));
         }, 51, 0, {}},
        {"Get_USA_FPGA_Version", [] {
             EXPECT_EQ(gpr.Get_USA_FPGA_Version(), 0);
             EXPECT_EQ(gpr.usa_fpga_version, 0x203u);
         }, 61, 0, {60}},
        {"Get_USA_PIC_Version", [] {
             EXPECT_EQ(gpr.Get_USA_PIC_Version(), 0);
             EXPECT_EQ(gpr.usa_pic_version, 0x105u);
         }, 61, 0, {70}},
        {"Get_Our_FPGA_Version", [] {
             EXPECT_EQ(gpr.Get_Our_FPGA_Version(), 0);
             EXPECT_EQ(gpr.our_fpga_version, 0x20107u);
         }, 61, 0, {90}},
        {"TestSRAM", [] {
             sram = 0;
             EXPECT_EQ(gpr.TestSRAM(2, sram), 0u);
             EXPECT_EQ(sram, 2);
         }, 65, 0, {11, 0x2080000, 0x80000, 2, 1}},
        {"USA_SetSamples", [] { EXPECT_EQ(gpr.USA_SetSamples(1024), 0); }, 65, 0, {52, 1024}},
        {"Init_USA_board", [] { EXPECT_EQ(gpr.Init_USA_board(), 0); }, 65, 0, {70}},
        {"Set_SRAM", [] { EXPECT_EQ(gpr.Set_SRAM(1), 0); }, 65, 0, {211, 1}},
        {"GetWiFiButtonState", [] { EXPECT_EQ(gpr.GetWiFiButtonState(), 1); }, 65, 0, {304}},
        {"Set_Pattern fixed", [] { EXPECT_EQ(gpr.Set_Pattern(1, 99), 0); }, 65, 0, {620, 0}},
        {"Set_Pattern", [] { EXPECT_EQ(gpr.Set_Pattern(0, 20), 0); }, 65, 0, {600, 20}},
        {"SelectMemory 1", [] { EXPECT_EQ(gpr.SelectMemory(1), 0); }, 96, 0, {80, 1, 0}},
        {"SelectMemory 2", [] { EXPECT_EQ(gpr.SelectMemory(2), 0); }, 96, 0, {80, 2, 1}},
        {"SetGPSPars", [] { EXPECT_EQ(gpr.SetGPSPars(1), 0); }, 96, 0, {60, 5, 1}},
        {"SetGPSRate", [] { EXPECT_EQ(gpr.SetGPSRate(200), 0); }, 96, 0, {60, 103, 200}},
        {"Set_GPS_SBAS_Pars", [] { EXPECT_EQ(gpr.Set_GPS_SBAS_Pars(3, 3, 3, 0, 0x10851), 0); }, 96, 0,
         {60, 105, 3, 3, 3, 0, 0x10851}},
        {"SetMode", [] {
             simulation_mode = 0;
             global_mode = 5;
             EXPECT_EQ(gpr.SetMode(), 0);
         }, 100, 0, {0, 5}},
        {"SetNumRuns", [] { EXPECT_EQ(gpr.SetNumRuns(20), 0); }, 104, 0, {20}},
        {"SetDelayAdjust", [] { EXPECT_EQ(gpr.SetDelayAdjust(2048), 0); }, 105, 0, {2048}},
        {"Set_DUO_Channel", [] { EXPECT_EQ(gpr.Set_DUO_Channel(2), 0); }, 107, 0, {2}},
        {"Get_ADC_Freq", [] { EXPECT_EQ(gpr.Get_ADC_Freq(), 160000); }, 120, 0, {}},
        {"SetTFreqDivider", [] { EXPECT_EQ(gpr.SetTFreqDivider(200), 0); }, 129, 0, {200}},
        {"SetAntennaSeparation", [] { EXPECT_EQ(gpr.SetAntennaSeparation(150), 0); }, 190, 0, {150}},
        {"SetClippedSamples", [] { EXPECT_EQ(gpr.SetClippedSamples(12), 0); }, 192, 0, {12}},
        {"SetZeroLevel", [] { EXPECT_EQ(gpr.SetZeroLevel(-300), 0); }, 194, 0, {0xFFFFFED4}},
        {"WriteParameters", [] { EXPECT_EQ(gpr.WriteParameters(0), 0); }, 124, 0, {0}},
        {"ReadParameters", [udp] {
             xml_pars.antenna[0].samples_in_file = 700;
             EXPECT_EQ(gpr.ReadParameters(), 0);
             EXPECT_EQ(eep.runs, 20);
             EXPECT_EQ(eep.cu_word, int16_t(65000)) << "the complement of the signal position";
             EXPECT_EQ(eep.freq_index, 7) << "80 MHz / 200 = 400000 Hz";
             EXPECT_EQ(eep.clipped, 12);
             EXPECT_FLOAT_EQ(eep.ant_separation, 0.15f);
             EXPECT_EQ(eep.cu_aux, -300) << "zero level";
             EXPECT_EQ(eep.cu_samples, 1024);
             EXPECT_EQ(eep.auto_stack_value, 300);
             EXPECT_EQ(eep.tz_sample, 40);
             EXPECT_EQ(eep.samples, udp ? 812 : 700) << "UDP: the CU's count; raw: the antenna record's";
         }, 125, 0, {1}},
        {"GetInitErrors", [] {
             std::memset(v15, 0xFF, sizeof v15);
             EXPECT_EQ(gpr.GetInitErrors(v15), 0);
             for (unsigned short v : v15) EXPECT_EQ(v, 0);
         }, 160, 0, {}},
        {"SD_Enable", [] { EXPECT_EQ(gpr.SD_Enable(true), 0); }, 221, 0, {1}},
        {"WiFi_Wire_Init", [] {
             EXPECT_EQ(gpr.WiFi_Wire_Init("SORLAN_7", 6, 0xC0A80102, o[0], o[1], o[2], o[3], o[4]), 0);
             for (uint32_t v : o) EXPECT_EQ(v, 0x3C533E00u);
         }, 220, 0, {0x534F524C, 0x414E5F37, 0, 0, 0, 0, 6, 0xC0A80102}},
        {"WiFi_Send_Cmd", [] {
             EXPECT_EQ(gpr.WiFi_Send_Cmd("<GC6>", reply, 300), 0);
             EXPECT_STREQ(reply, "<S>");
         }, 195, 0, {0x3C474336, 0x3E000000}, "<GC6>"},
        {"GetGPSString", [] {
             char text[kGpsStringSize];
             const int n = gpr.GetGPSString(text);
             EXPECT_EQ(n, int(std::strlen(text)) + 1);
             EXPECT_EQ(std::strncmp(text, "$GPGGA,", 7), 0) << text;
         }, 130, 0, {}},
    };
}

void check_table(CuSim& t, bool udp)
{
    ASSERT_EQ(gpr.cu_Open(), 1);
    t.since();
    for (const Row& r : table(udp)) {
        SCOPED_TRACE(std::string(r.name) + (udp ? " (UDP)" : " (raw)"));
        r.call();
        const std::vector<Logged> got = t.since();
        ASSERT_FALSE(got.empty()) << "cusim received nothing";
        const Logged& f = got.front();   // ReadParameters may go on with corrections
        EXPECT_EQ(f.udp, udp);
        EXPECT_EQ(f.code, r.code);
        EXPECT_EQ(f.sub, r.sub);
        for (size_t i = 0; i < 8; i++)
            EXPECT_EQ(f.args[i], i < r.args.size() ? r.args[i] : 0u) << "argument " << i + 1;
        if (r.text) {
            EXPECT_EQ(f.text, r.text);
        }
        EXPECT_EQ(got.size(), 1u) << "one frame per command";
        EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);
    }
}

TEST_F(CuSim, EveryCommandAsCusimReceivesItAndItsDecodedAnswerInUdpMode)
{
    start();
    check_table(*this, true);
}

TEST_F(CuSim, EveryCommandAsCusimReceivesItAndItsDecodedAnswerInRawMode)
{
    start({}, false);
    check_table(*this, false);
}

TEST_F(CuSim, ResetAndSwitchOffAreReceivedAndAnsweredBeforeTheCuGoesQuiet)
{
    start({"--off-time", "1"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    since();
    EXPECT_EQ(gpr.Reset_P(), 0);
    auto got = since();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 16u);
    EXPECT_EQ(got[0].args[0], 1u);
    // The CU restarts: a command now goes unanswered.
    silent.insert(192);
    EXPECT_EQ(gpr.SetClippedSamples(3), 733);
    // Back after its second; then switched off.
    silent.insert(65);
    bool back = false;
    for (int i = 0; i < 300 && !back; i++)
        back = gpr.GetWiFiButtonState() == 1;
    ASSERT_TRUE(back);
    silent.clear();
    since();
    EXPECT_EQ(gpr.Switch_Off_CU(), 0);
    got = since();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 65u);
    EXPECT_EQ(got[0].args[0], 7u);
}

TEST_F(CuSim, FpgaTestAsCusimReceivesIt)
{
    start();
    ASSERT_EQ(gpr.cu_Open(), 1);
    eep.runs = 32;
    eep.clipped = 0;
    eep.cu_samples = 1536;
    eep.samples = 736;
    eep.clock_freq = 100000;
    simulation_mode = 0;
    global_mode = 1;
    since();
    int e1 = 1, e2 = 1, e3 = 1, e4 = 1;
    EXPECT_EQ(gpr.TestFPGA(0x5A5A, 500, 650, e1, e2, e3, e4), 0) << e1 << " " << e2;
    EXPECT_EQ(e1 + e2 + e3 + e4, 0);
    const auto got = since();
    ASSERT_EQ(got.size(), 500u + 5 + 1 + 5);
    for (uint32_t i = 0; i < 500; i++) {
        ASSERT_EQ(got[i].code, 65u);
        ASSERT_EQ(got[i].args[0], 104u);
        ASSERT_EQ(got[i].args[1], 9500 + i);
        ASSERT_EQ(got[i].args[2], 0x5A5Au);
    }
    std::vector<std::pair<uint32_t, uint32_t>> rest;
    for (size_t i = 500; i < got.size(); i++)
        rest.emplace_back(got[i].code, got[i].code == 65 ? got[i].args[1] : got[i].args[0]);
    const std::vector<std::pair<uint32_t, uint32_t>> want = {
        {100, 2}, {104, 20}, {192, 0}, {65, 2000}, {1, 2000},     // the test set-up
        {65, 0x5A5A},                                             // 105: the test itself
        {100, 0}, {104, 32}, {192, 0}, {65, 1536}, {1, 736}};     // everything back
    EXPECT_EQ(rest, want);
    EXPECT_EQ(got[505].args[0], 105u);
    EXPECT_EQ(got[506].args[1], 1u) << "global mode restored";
}

// ---- Connection ----------------------------------------------------------------------------

TEST_F(CuSim, OpenFallsBackToRawModeOnTheThirdTryWithACuThatIgnoresUdp)
{
    udp_ignored = true;
    start({"--fault", "noudp"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    const auto got = since();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[0].code, 0xFFFFu);
    EXPECT_TRUE(got[0].udp);
    EXPECT_EQ(got[1].code, 0xFFFFu);
    EXPECT_TRUE(got[1].udp);
    EXPECT_EQ(got[2].code, 0xFFFFu);
    EXPECT_FALSE(got[2].udp) << "the third try in raw framing";
    EXPECT_EQ(got[3].code, 0xFFFEu);
    EXPECT_FALSE(got[3].udp);
    EXPECT_EQ(got[4].code, 61u);
    EXPECT_EQ(got[4].args[0], 1u);
    EXPECT_EQ(prm.udp_mode, 0) << "raw mode stays in force";
    EXPECT_EQ(gpr.identity(), 0x30005012u);
    // Everything after goes raw and is answered.
    EXPECT_EQ(gpr.GetWiFiButtonState(), 1);
    EXPECT_FALSE(since().back().udp);
}

TEST_F(CuSim, OpenFailsCleanlyWhenNothingAnswers)
{
    silent.insert(0xFFFF);
    start({"--fault", "noanswer=0xFFFF"});
    EXPECT_EQ(gpr.cu_Open(), 0);
    const auto got = since();
    ASSERT_EQ(got.size(), 3u) << "three discoveries and nothing more";
    EXPECT_TRUE(got[0].udp);
    EXPECT_TRUE(got[1].udp);
    EXPECT_FALSE(got[2].udp);
    for (const Logged& l : got) EXPECT_EQ(l.code, 0xFFFFu);
    EXPECT_EQ(prm.udp_mode, 1) << "UDP mode restored";
    EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);
}

// ---- CU parameters ---------------------------------------------------------------------------

std::vector<std::pair<uint32_t, uint32_t>> codes_and_values(const std::vector<Logged>& got)
{
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const Logged& l : got) out.emplace_back(l.code, l.code == 65 ? l.args[1] : l.args[0]);
    return out;
}

TEST_F(CuSim, ReadParametersSetsACuWithUnusableValuesToTheDefaults)
{
    start({"--runs", "1"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    since();
    EXPECT_EQ(gpr.ReadParameters(), 1);
    EXPECT_EQ(eep.clipped, 0);
    EXPECT_EQ(eep.cu_samples, 1000);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_EQ(eep.runs, 20);
    const std::vector<std::pair<uint32_t, uint32_t>> want = {
        {125, 1}, {192, 0}, {104, 20}, {65, 1000}, {1, 1000}, {124, 0}};
    EXPECT_EQ(codes_and_values(since()), want);
    // The CU kept them: the next reading is usable as it stands.
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.runs, 20);
    EXPECT_EQ(eep.cu_samples, 1000);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_EQ(since().size(), 1u);
}

TEST_F(CuSim, ReadParametersShrinksTheFileSamplesToWhatTheCuKeepsAndSendsThem)
{
    start({"--cu-samples", "512", "--clipped", "12", "--samples", "1000"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    since();
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.samples, 500);
    const std::vector<std::pair<uint32_t, uint32_t>> want = {{125, 1}, {1, 500}, {124, 0}};
    EXPECT_EQ(codes_and_values(since()), want);
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.samples, 500) << "stored in the CU";
    EXPECT_EQ(since().size(), 1u) << "nothing left to correct";
}

TEST_F(CuSim, PloadWithTheCuOffAsksNothingAndGivesTheDefaults)
{
    start();
    ASSERT_EQ(gpr.cu_Open(), 1);
    since();
    pisOn = 0;
    EXPECT_EQ(eep.pload_l_a(), 1);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_EQ(eep.cu_samples, 1000);
    EXPECT_EQ(eep.clipped, 0);
    EXPECT_EQ(eep.runs, 50);
    EXPECT_FLOAT_EQ(eep.ant_separation, 0.1f);
    EXPECT_DOUBLE_EQ(eep.sample_interval, 0.0001);
    EXPECT_EQ(eep.adc_freq, 160000u);
    EXPECT_EQ(eep.clock_freq, 1000u);
    // A marker command: the next frame cusim received is it.
    EXPECT_EQ(gpr.GetWiFiButtonState(), 1);
    const auto got = since();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 65u);

    // With the CU on the block takes the CU's values.
    pisOn = 1;
    EXPECT_EQ(eep.pload_l_a(), 0);
    EXPECT_EQ(eep.cu_samples, 1536);
    EXPECT_EQ(eep.samples, 736);
    EXPECT_EQ(eep.adc_freq, 160000u);
    EXPECT_EQ(eep.clock_freq, 100000u);
    EXPECT_DOUBLE_EQ(eep.sample_interval, 1000.0 / (160000.0 * 32));
    pisOn = 0;
}

// ---- Measurement start, memory, GPS text ---------------------------------------------------

TEST_F(CuSim, StartStatusThreeReportsItsCountCappedAt999)
{
    start({"--fault", "start=3:1500"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_EQ(gpr.m_Start(), 999);
}

TEST_F(CuSim, StartWithAnotherStatusGivesItPlus1000)
{
    start({"--fault", "start=6:0"});
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_EQ(gpr.m_Start(), 1006);
}

TEST_F(CuSim, SelectMemoryOfAnotherTypeSendsNothing)
{
    start();
    ASSERT_EQ(gpr.cu_Open(), 1);
    since();
    EXPECT_EQ(gpr.SelectMemory(3), 0);
    EXPECT_EQ(gpr.SelectMemory(0), 0);
    EXPECT_EQ(gpr.GetWiFiButtonState(), 1);   // a marker: the next frame cusim received is it
    const auto got = since();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 65u);
    EXPECT_EQ(got[0].args[0], 304u);
}

TEST_F(CuSim, GpsStringWithTheReceiverOffIsEmpty)
{
    start();
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_EQ(gpr.GPS_Connect(0, 0, 0), 0);
    since();
    char text[kGpsStringSize];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(gpr.GetGPSString(text), 1);
    EXPECT_STREQ(text, "");
    const auto got = since();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 130u);
}

// ---- The antenna GPS through the GPS reader ----------------------------------------------------

class AntennaGpsSim : public CuSim {
protected:
    char out[kGpsOutSize];
    void open_antenna_gps()
    {
        init_globals();
        ASSERT_TRUE(create_all_mutexes());
        ASSERT_EQ(gpr.cu_Open(), 1);
        eep.gps_enabled = 1;
        eep.gps_source = 2;
        prm.sbas_mode = 0;
        pisOn = 1;
        since();
        ASSERT_TRUE(gps.gps_Open());
        const auto got = since();
        ASSERT_GE(got.size(), 3u) << "connect, SBAS and rate";
        EXPECT_EQ(got[0].code, 43u);
        EXPECT_EQ(got[0].args[0], 10u);
        EXPECT_EQ(got[0].args[1], 1u);
        EXPECT_EQ(got.back().code, 96u);
        EXPECT_EQ(got.back().args[1], 103u);
    }
    void TearDown() override
    {
        gps.gps_Unit_Close();
        CuSim::TearDown();
        DestroyAllMutexes();
    }
};

TEST_F(AntennaGpsSim, TheNewestGgaOfTheCuReachesGetData)
{
    start();
    open_antenna_gps();
    ASSERT_EQ(gps.GetData(out), 0);
    // cusim's receiver: 59.3293 N, 18.0686 E, quality 1, 11 satellites.
    const std::string first = out;
    EXPECT_NE(first.find(",5919.7580,N,01804.1160,E,1,11,0.8,"), std::string::npos) << first;
    EXPECT_EQ(since().back().code, 130u) << "asked the CU";
    // Each poll asks the CU again and gets its newest sentence (the time field moves on).
    int r = -1;
    EXPECT_TRUE(eventually([&] { return (r = gps.GetData(out)) != 0 || std::string(out) != first; }));
    ASSERT_EQ(r, 0);
    EXPECT_NE(std::string(out), first);
    EXPECT_EQ(gps.gps_buf[0], '\0') << "the text is used once";

    // The receiver switched off: the CU has no text, nothing new.
    EXPECT_EQ(gpr.GPS_Connect(0, 0, 0), 0);
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    EXPECT_STREQ(out, "");
    // The CU switched off (pisOn cleared): nothing is asked.
    EXPECT_EQ(gpr.GPS_Connect(1, 1, 0), 0);
    pisOn = 0;
    since();
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    EXPECT_TRUE(since().empty());
}

TEST_F(AntennaGpsSim, AReceiverWithoutAFixGivesNoCoordinates)
{
    start({"--gps-nofix"});
    open_antenna_gps();
    EXPECT_EQ(gps.GetData(out), kGpsNoCoordinates);
    EXPECT_STREQ(out, "NO COORDINATES");
}

}  // namespace
