// The CU command set against a scripted CU over the Unix datagram link: the frame of every
// command (code, sub-code, arguments, answer time-out), the decoding of the answers, the
// connection with its raw-mode fallback, the CU parameters and the GPS text of the antenna.
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/gps_display.h"
#include "cu_peer.h"
#include "patient_transport.h"
#include "link/ethernet.h"
#include "link/transport.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// One link, one sandbox and one scripted CU for the whole suite: opening and closing the
// link takes a second each time.
class DriverTest : public ::testing::Test {
protected:
    static std::unique_ptr<Sandbox> sandbox;
    static std::unique_ptr<CuPeer> peer;
    static CLinkTransport* transport;
    static PatientTransport* patient;

    static void SetUpTestSuite()
    {
        sandbox.reset(new Sandbox);
        const std::string sock = "/tmp/gprmon-cucmd-" + std::to_string(getpid()) + ".sock";
        peer.reset(new CuPeer(sock));
        transport = new_unix_transport(sock.c_str());
        patient = new PatientTransport(transport, [](const uint8_t* f, int len) {
            return peer->would_answer(f, size_t(len));
        });
        peer->link = patient;
        eth.set_transport(patient);
        prm.udp_mode = 0;
        prm.wifi_link = 0;
        ASSERT_EQ(eth.eth_first_Init(), 0);
        ASSERT_EQ(eth.eth_Init(), 0);
    }
    static void TearDownTestSuite()
    {
        eth.eth_Close();
        eth.set_transport(nullptr);
        // The peer's thread ends first: a command still being answered looks at the patient
        // transport.
        peer.reset();
        delete patient;
        patient = nullptr;
        delete transport;
        transport = nullptr;
        sandbox.reset();
    }

    void SetUp() override
    {
        saved_prm_ = prm;
        prm.udp_mode = 0;
        prm.wifi_link = 0;
        pisOn = false;
        xml_pars.Init();
        eep = CEEP();
        eep.Init();
        eep.load_parameters(0, 0);
        eep.ant_record = &xml_pars.antenna[0];
        simulation_mode = global_mode = 0;
        peer->set_script(nullptr);
        peer->set_discovery(nullptr);
        peer->forget_answers();
        peer->clear();
    }
    void TearDown() override
    {
        prm = saved_prm_;
        pisOn = false;
        xml_pars.Init();
    }

    // Sets the answer payload of `cmd` for this test.
    void answer(uint16_t cmd, const Bytes& payload) { peer->answer(cmd, payload); }
    // The CU ignores `cmd` (no answer, no error).
    void silence(uint16_t cmd)
    {
        peer->set_script([cmd](const PeerCommand& c, PeerReply& r) {
            if (c.cmd == cmd)
                r.answer = false;
        });
    }
    PeerCommand last_command()
    {
        auto all = peer->commands();
        return all.empty() ? PeerCommand{} : all.back();
    }

private:
    CParameters saved_prm_;
};

std::unique_ptr<Sandbox> DriverTest::sandbox;
std::unique_ptr<CuPeer> DriverTest::peer;
CLinkTransport* DriverTest::transport = nullptr;
PatientTransport* DriverTest::patient = nullptr;

// ---- The command table ----------------------------------------------------------------

struct CommandCase {
    const char* name;
    std::function<int()> call;
    uint16_t cmd, sub;
    std::vector<uint32_t> args;
    int32_t timeout;
};

std::vector<CommandCase> command_table()
{
    static unsigned short v6[6], v15[15];
    static uint32_t u1, u2, u3, u4, u5;
    static unsigned char sram;
    static char reply[8];
    const uint32_t m1 = 0xFFFFFFFF;
    return {
        {"SetSamples", [] { return gpr.SetSamples(812); }, 1, 0, {812}, 50},
        {"SetStacks", [] { return gpr.SetStacks(64); }, 2, 0, {64}, 500},
        {"SetSigPos", [] { return gpr.SetSigPos(65000); }, 3, 0, {65000}, 500},
        {"SetTriggSrc", [] { return gpr.SetTriggSrc(-1, 'W', 16); }, 5, 0xFFFF, {'W', 16}, 50},
        {"SetTriggCond", [] { return gpr.SetTriggCond(2, 25); }, 6, 2, {25}, 50},
        {"SetTriggMode", [] { return gpr.SetTriggMode(1, -2, 3); }, 7, 1, {0xFFFFFFFE, 3}, 50},
        {"SetMeasDir", [] { return gpr.SetMeasDir(-1, -1); }, 8, 0xFFFF, {m1}, 50},
        {"SetWheelPos", [] { return gpr.SetWheelPos(1, 1, -7); }, 9, 1, {1, 0xFFFFFFF9}, 50},
        {"SetTimePos", [] { return gpr.SetTimePos(1, 1234); }, 10, 0, {1, 1234}, 50},
        {"m_Start", [] { return gpr.m_Start(); }, 12, 0, {}, 50},
        {"mStop", [] { return gpr.mStop(nullptr, nullptr, nullptr); }, 13, 0, {}, 2000},
        {"m_Trigg", [] { return gpr.m_Trigg(777, 3); }, 14, 3, {}, 777},
        {"Reset_P", [] { return gpr.Reset_P(); }, 16, 0, {1}, 50},
        {"EnableWheel", [] { return gpr.EnableWheel(2); }, 22, 2, {1}, 50},
        {"DisableWheel", [] { return gpr.DisableWheel(2); }, 22, 2, {0}, 50},
        {"SetAutoStacks", [] { return gpr.SetAutoStacks(1, 300); }, 40, 0, {1, 300}, 50},
        {"Set_HW_Versions", [] {
             gpr.versions[2] = 11; gpr.versions[3] = 12; gpr.versions[4] = 13; gpr.versions[5] = 14;
             return gpr.Set_HW_Versions(); }, 43, 0, {2, 11, 12, 13, 14}, 50},
        {"SetAntennaID", [] { return gpr.SetAntennaID(46, 90001); }, 43, 0, {3, 46, 90001}, 50},
        {"GPS_Connect", [] { return gpr.GPS_Connect(1, 1, 0); }, 43, 0, {10, 1, 1, 0}, 2000},
        {"GetAntennaID", [] { return int(gpr.GetAntennaID(&u1)); }, 76, 0, {}, 50},
        {"GetADC", [] { return gpr.GetADC(v6); }, 51, 0, {}, 50},
        {"GetWheelPos", [] { return gpr.GetWheelPos(4); }, 58, 4, {}, 50},
        {"GetTimePos", [] { return gpr.GetTimePos(); }, 59, 0, {}, 50},
        {"Get_CU_Clock_Freq", [] { return int(gpr.Get_CU_Clock_Freq()); }, 59, 0, {}, 50},
        {"GetVersions", [] { return gpr.GetVersions(); }, 61, 0, {1}, 50},
        {"Get_USA_FPGA_Version", [] { return gpr.Get_USA_FPGA_Version(); }, 61, 0, {60}, 50},
        {"Get_USA_PIC_Version", [] { return gpr.Get_USA_PIC_Version(); }, 61, 0, {70}, 50},
        {"Get_Our_FPGA_Version", [] { return gpr.Get_Our_FPGA_Version(); }, 61, 0, {90}, 50},
        {"Switch_Off_CU", [] { return gpr.Switch_Off_CU(); }, 65, 0, {7}, 50},
        {"TestSRAM", [] { return int(gpr.TestSRAM(2, sram)); }, 65, 0,
         {11, 0x2080000, 0x80000, 2, 1}, 50},
        {"USA_SetSamples", [] { return gpr.USA_SetSamples(1024); }, 65, 0, {52, 1024}, 500},
        {"Init_USA_board", [] { return gpr.Init_USA_board(); }, 65, 0, {70}, 2000},
        {"Set_SRAM", [] { return gpr.Set_SRAM(1); }, 65, 0, {211, 1}, 50},
        {"GetWiFiButtonState", [] { return gpr.GetWiFiButtonState(); }, 65, 0, {304}, 50},
        {"Set_Pattern fixed", [] { return gpr.Set_Pattern(1, 99); }, 65, 0, {620, 0}, 50},
        {"Set_Pattern", [] { return gpr.Set_Pattern(0, 20); }, 65, 0, {600, 20}, 50},
        {"SelectMemory 1", [] { return gpr.SelectMemory(1); }, 96, 0, {80, 1, 0}, 50},
        {"SelectMemory 2", [] { return gpr.SelectMemory(2); }, 96, 0, {80, 2, 1}, 50},
        {"SetGPSPars", [] { return gpr.SetGPSPars(1); }, 96, 0, {60, 5, 1}, 50},
        {"SetGPSRate", [] { return gpr.SetGPSRate(200); }, 96, 0, {60, 103, 200}, 50},
        {"Set_GPS_SBAS_Pars", [] { return gpr.Set_GPS_SBAS_Pars(3, 3, 3, 0, 0x10851); }, 96, 0,
         {60, 105, 3, 3, 3, 0, 0x10851}, 50},
        {"SetMode", [] { simulation_mode = 2; global_mode = 5; return gpr.SetMode(); }, 100, 0,
         {2, 5}, 20000},
        {"SetNumRuns", [] { return gpr.SetNumRuns(20); }, 104, 0, {20}, 500},
        {"SetDelayAdjust", [] { return gpr.SetDelayAdjust(2048); }, 105, 0, {2048}, 500},
        {"Set_DUO_Channel", [] { return gpr.Set_DUO_Channel(2); }, 107, 0, {2}, 50},
        {"Get_ADC_Freq", [] { return int(gpr.Get_ADC_Freq()); }, 120, 0, {}, 50},
        {"WriteParameters", [] { return gpr.WriteParameters(0); }, 124, 0, {0}, 500},
        {"ReadParameters", [] { return gpr.ReadParameters() == -1 ? -1 : 0; }, 125, 0, {1}, 50},
        {"SetTFreqDivider", [] { return gpr.SetTFreqDivider(3); }, 129, 0, {3}, 500},
        {"GetInitErrors", [] { return gpr.GetInitErrors(v15); }, 160, 0, {}, 50},
        {"SetAntennaSeparation", [] { return gpr.SetAntennaSeparation(150); }, 190, 0, {150}, 50},
        {"SetClippedSamples", [] { return gpr.SetClippedSamples(12); }, 192, 0, {12}, 50},
        {"SetZeroLevel", [] { return gpr.SetZeroLevel(-300); }, 194, 0, {0xFFFFFED4}, 50},
        {"GetMissedBlock", [] { return gpr.GetMissedBlock(100, 140); }, 212, 0, {100, 140}, 1000},
        {"SD_Enable", [] { return gpr.SD_Enable(true); }, 221, 0, {1}, 2000},
        {"WiFi_Wire_Init", [] { return gpr.WiFi_Wire_Init("", 1, 2, u1, u2, u3, u4, u5); }, 220,
         0, {0, 0, 0, 0, 0, 0, 1, 2}, 40000},
        {"WiFi_Send_Cmd", [] { return gpr.WiFi_Send_Cmd("<DO>", reply, 300); }, 195, 0,
         {0x3C444F3E}, 300},
    };
}

void check_table(DriverTest* t, CuPeer& peer, bool udp)
{
    for (const CommandCase& c : command_table()) {
        SCOPED_TRACE(std::string(c.name) + (udp ? " (UDP)" : " (raw)"));
        peer.clear();
        c.call();
        // ReadParameters with an all-zero answer goes on to set the CU to the defaults:
        // its own frame is the first one.
        auto sent = peer.commands();
        ASSERT_FALSE(sent.empty());
        const PeerCommand& f = sent.front();
        EXPECT_EQ(f.udp, udp);
        EXPECT_EQ(f.cmd, c.cmd);
        EXPECT_EQ(f.sub, c.sub);
        for (size_t i = 0; i < 8; i++)
            EXPECT_EQ(f.args[i], i < c.args.size() ? c.args[i] : 0u) << "argument " << i + 1;
        EXPECT_EQ(f.timeout, c.timeout);
        EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);
        (void)t;
    }
}

TEST_F(DriverTest, EveryCommandFrameInRawMode)
{
    check_table(this, *peer, false);
}

TEST_F(DriverTest, EveryCommandFrameInUdpMode)
{
    prm.udp_mode = 1;
    check_table(this, *peer, true);
}

TEST_F(DriverTest, SelectMemoryOfAnotherTypeSendsNothing)
{
    EXPECT_EQ(gpr.SelectMemory(3), 0);
    EXPECT_EQ(gpr.SelectMemory(0), 0);
    EXPECT_EQ(gpr.SelectMemory(-1), 0);
    // A marker command: datagrams keep their order, so it is the first frame if none was sent.
    EXPECT_EQ(gpr.GetWiFiButtonState(), 0);
    auto sent = peer->commands();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].cmd, 65);
    EXPECT_EQ(sent[0].args[0], 304u);
}

// ---- Failures passed through --------------------------------------------------------------

TEST_F(DriverTest, FailuresOfTheExchangeComeBackAsTheirCodes)
{
    silence(192);
    EXPECT_EQ(gpr.SetClippedSamples(3), 733);
    // A command with a long time-out, so that a loaded machine cannot turn it into 733.
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 104)
            r.error_code = 17;
    });
    EXPECT_EQ(gpr.SetNumRuns(5), 217);
    EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);
}

TEST_F(DriverTest, DecodingMethodsReturnTheirOwnFailureValues)
{
    // The CU reports an error for everything (quicker than waiting for the time-outs).
    peer->set_script([](const PeerCommand&, PeerReply& r) { r.error_code = 1; });
    unsigned short v6[6] = {}, v15[15] = {};
    unsigned char out = 0x55;
    EXPECT_EQ(gpr.GetADC(v6), -1);
    EXPECT_EQ(gpr.GetInitErrors(v15), -1);
    EXPECT_EQ(gpr.Get_ADC_Freq(), -1);
    EXPECT_EQ(gpr.Get_CU_Clock_Freq(), -1);
    EXPECT_EQ(gpr.TestSRAM(1, out), kSramTestFailed);
    EXPECT_EQ(out, 0x55);
    EXPECT_EQ(gpr.m_Start(), 1000);
    EXPECT_EQ(gpr.mStop(nullptr, nullptr, nullptr), 1000);
    EXPECT_EQ(gpr.ReadParameters(), -1);
    EXPECT_EQ(gpr.m_Trigg(20, 0), 201);
    EXPECT_EQ(gpr.SD_Enable(false), 201);
    EXPECT_EQ(gpr.GetMissedBlock(1, 2), 201);
    EXPECT_EQ(gpr.GetTimePos(), 201);
    gps_qi = 3;
    can_GPS_Show = 0;
    EXPECT_EQ(gpr.GPS_Connect(0, 0, 0), 201);
    // Switching the antenna GPS off shows "no GPS data" whatever the CU said.
    EXPECT_EQ(can_GPS_Show, 4);
    EXPECT_EQ(gps_qi, -1);
    EXPECT_STREQ(gps_str_01, " ");
}

// ---- Decoded answers ----------------------------------------------------------------------

TEST_F(DriverTest, StartReportsTheCuStatus)
{
    answer(12, words32({3, 1500}));
    EXPECT_EQ(gpr.m_Start(), 999);
    answer(12, words32({3, 17}));
    EXPECT_EQ(gpr.m_Start(), 17);
    answer(12, words32({0, 1500}));
    EXPECT_EQ(gpr.m_Start(), 0);
    answer(12, words32({6, 0}));
    EXPECT_EQ(gpr.m_Start(), 1006);
}

TEST_F(DriverTest, StopAndTriggerDecodeTheirAnswers)
{
    answer(13, words32({41, 42, 43}));
    uint32_t a = 0, b = 0;
    int c = 0;
    EXPECT_EQ(gpr.mStop(&a, &b, &c), 0);
    EXPECT_EQ(a, 41u);
    EXPECT_EQ(b, 42u);
    EXPECT_EQ(c, 43);
    EXPECT_EQ(gpr.mStop(nullptr, &b, nullptr), 0);

    answer(14, Bytes{0x00, 0x00});
    EXPECT_EQ(gpr.m_Trigg(100, 0), 0);
    answer(14, Bytes{0x00, 0x05});
    EXPECT_EQ(gpr.m_Trigg(100, 0), 1005);
}

TEST_F(DriverTest, VersionsAndIdentity)
{
    answer(61, words32({0x30005001, 0x30004ABC, 1, 2, 3, 12}));
    ASSERT_EQ(gpr.GetVersions(), 0);
    EXPECT_EQ(gpr.program_version(), 0x30005001u);
    EXPECT_EQ(gpr.identity(), 0x30004ABCu);
    EXPECT_EQ(gpr.versions[5], 12u);
    EXPECT_EQ(gpr.Get_USA_FPGA_Version(), 0);
    EXPECT_EQ(gpr.usa_fpga_version, 0x30005001u);
    answer(61, words32({0x77}));
    gpr.Get_USA_PIC_Version();
    gpr.Get_Our_FPGA_Version();
    EXPECT_EQ(gpr.usa_pic_version, 0x77u);
    EXPECT_EQ(gpr.our_fpga_version, 0x77u);
    // A failed read leaves what was known.
    silence(61);
    EXPECT_EQ(gpr.Get_Our_FPGA_Version(), 733);
    EXPECT_EQ(gpr.our_fpga_version, 0x77u);
    EXPECT_EQ(gpr.versions[0], 0x30005001u);
}

TEST_F(DriverTest, ReadingsFromTheAnswerPayload)
{
    Bytes adc;
    for (int i = 0; i < 15; i++)
        put16(adc, 2 * i, uint16_t(1000 + i));
    answer(51, adc);
    answer(160, adc);
    unsigned short v6[6] = {}, v15[15] = {};
    ASSERT_EQ(gpr.GetADC(v6), 0);
    ASSERT_EQ(gpr.GetInitErrors(v15), 0);
    EXPECT_EQ(v6[0], 1000);
    EXPECT_EQ(v6[5], 1005);
    EXPECT_EQ(v15[14], 1014);

    answer(58, words32({0xFFFFFFF0}));
    EXPECT_EQ(gpr.GetWheelPos(1), -16);
    answer(59, words32({2500, 0, 2000}));
    eep.clock_freq = 1000;
    EXPECT_EQ(gpr.GetTimePos(), 2500);
    eep.clock_freq = 2000;
    EXPECT_EQ(gpr.GetTimePos(), 1250);
    EXPECT_EQ(gpr.Get_CU_Clock_Freq(), 2000);
    answer(120, words32({0, 0, 160000}));
    EXPECT_EQ(gpr.Get_ADC_Freq(), 160000);

    answer(76, words32({46, 90001}));
    uint32_t serial = 0;
    EXPECT_EQ(gpr.GetAntennaID(&serial), 46u);
    EXPECT_EQ(serial, 90001u);

    answer(65, words32({0xA5, 0x1234}));
    unsigned char out = 0;
    EXPECT_EQ(gpr.TestSRAM(0, out), 0xA5u);
    EXPECT_EQ(out, 0x34);
    EXPECT_EQ(gpr.GetWiFiButtonState(), 0xA5);
    answer(65, Bytes{0x00, 0x09});
    EXPECT_EQ(gpr.Init_USA_board(), 9);

    answer(43, Bytes{0x00, 0x02});
    EXPECT_EQ(gpr.GPS_Connect(1, 1, 0), 2);
    answer(212, Bytes{0x01, 0x00});
    eth.hm_blocks_red = 55;
    EXPECT_EQ(gpr.GetMissedBlock(1, 9), 256);
    EXPECT_EQ(eth.hm_blocks_red, 0);
    answer(221, words32({3}));
    EXPECT_EQ(gpr.SD_Enable(true), 3);
    answer(40, words32({7}));
    EXPECT_EQ(gpr.SetAutoStacks(1, 8), 0);
}

TEST_F(DriverTest, WifiTextCommandAndReply)
{
    answer(195, Bytes{'O', 'K', '1', '2', '3', '4', '5'});
    char reply[8];
    memset(reply, 'x', sizeof reply);
    EXPECT_EQ(gpr.WiFi_Send_Cmd("<GC6>", reply, 1500), 0);
    EXPECT_STREQ(reply, "OK123");
    PeerCommand c = last_command();
    EXPECT_EQ(c.cmd, 195);
    EXPECT_EQ(c.text, "<GC6>");
    EXPECT_EQ(c.timeout, 1500);

    answer(195, Bytes{'G', 'O', 0});
    EXPECT_EQ(gpr.WiFi_Send_Cmd("<WL>", reply, 100), 0);
    EXPECT_STREQ(reply, "GO");

    silence(195);
    memset(reply, 'x', sizeof reply);
    EXPECT_EQ(gpr.WiFi_Send_Cmd("<DO>", reply, 10), 733);
    EXPECT_EQ(std::string(reply, 5), std::string(5, '\0'));
}

TEST_F(DriverTest, WifiWireInitPacksTheTextIntoArguments)
{
    answer(220, words32({1, 2, 3, 4, 5}));
    uint32_t o[5] = {9, 9, 9, 9, 9};
    // Longer than 24 bytes: only the first 24 are sent.
    EXPECT_EQ(gpr.WiFi_Wire_Init("SORLAN_12-abcdefghijklmnopq", 7, 8, o[0], o[1], o[2], o[3],
                                 o[4]),
              0);
    PeerCommand c = last_command();
    EXPECT_EQ(c.args[0], 0x534F524Cu); // "SORL"
    EXPECT_EQ(c.args[1], 0x414E5F31u); // "AN_1"
    EXPECT_EQ(c.args[5], 0x6B6C6D6Eu); // "klmn"
    EXPECT_EQ(c.args[6], 7u);
    EXPECT_EQ(c.args[7], 8u);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(o[i], uint32_t(i + 1));
    // Short text is zero-padded; a failure leaves o4 and o5 and zeroes o1..o3.
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 220)
            r.error_code = 9;
    });
    o[3] = o[4] = 9;
    EXPECT_EQ(gpr.WiFi_Wire_Init("AB", 0, 0, o[0], o[1], o[2], o[3], o[4]), 209);
    EXPECT_EQ(last_command().args[0], 0x41420000u);
    EXPECT_EQ(last_command().args[1], 0u);
    EXPECT_EQ(o[0] + o[1] + o[2], 0u);
    EXPECT_EQ(o[3], 9u);
}

// ---- Connection ----------------------------------------------------------------------------

TEST_F(DriverTest, OpenFindsTheCuProbesItAndReadsItsVersions)
{
    prm.udp_mode = 1;
    answer(61, words32({0x30005001, 0x30001234, 0, 0, 0, 12}));
    EXPECT_EQ(gpr.cu_Open(), 1);
    auto cmds = peer->commands();
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].cmd, 0xFFFF);
    EXPECT_TRUE(cmds[0].udp);
    EXPECT_EQ(cmds[1].cmd, 0xFFFE);
    EXPECT_EQ(cmds[1].timeout, 1000);
    EXPECT_EQ(cmds[2].cmd, 61);
    EXPECT_EQ(cmds[2].timeout, 50);
    EXPECT_EQ(prm.udp_mode, 1);
    EXPECT_EQ(gpr.prev_id, 0x30001234u);
}

TEST_F(DriverTest, OpenFallsBackToRawModeOnTheThirdTry)
{
    prm.udp_mode = 1;
    peer->set_discovery([](const PeerCommand& c) { return !c.udp; });
    EXPECT_EQ(gpr.cu_Open(), 1);
    auto disc = peer->commands(0xFFFF);
    ASSERT_EQ(disc.size(), 3u);
    EXPECT_TRUE(disc[0].udp);
    EXPECT_TRUE(disc[1].udp);
    EXPECT_FALSE(disc[2].udp);
    EXPECT_EQ(prm.udp_mode, 0); // raw mode stays in force
    EXPECT_FALSE(peer->commands(0xFFFE).front().udp);
}

TEST_F(DriverTest, OpenFailsCleanlyWhenNothingAnswers)
{
    prm.udp_mode = 1;
    peer->set_discovery([](const PeerCommand&) { return false; });
    EXPECT_EQ(gpr.cu_Open(), 0);
    EXPECT_EQ(peer->commands(0xFFFF).size(), 3u);
    EXPECT_TRUE(peer->commands(0xFFFE).empty());
    EXPECT_EQ(prm.udp_mode, 1); // restored
    EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);
}

TEST_F(DriverTest, OpenOverWifiNeverDropsUdp)
{
    prm.udp_mode = 1;
    prm.wifi_link = 1; // the link stays on eth0 here; only the mode choice is tested
    peer->set_discovery([](const PeerCommand&) { return false; });
    EXPECT_EQ(gpr.cu_Open(), 0);
    for (const PeerCommand& c : peer->commands(0xFFFF))
        EXPECT_TRUE(c.udp);
    EXPECT_EQ(prm.udp_mode, 1);
}

TEST_F(DriverTest, OpenFailsWhenTheProbeOrTheVersionsGoUnanswered)
{
    silence(0xFFFE);
    EXPECT_EQ(gpr.cu_Open(), 0);
    EXPECT_EQ(peer->commands(0xFFFE).size(), 3u);
    EXPECT_EQ(eth.answer_timeout, kDefaultAnswerTimeout);

    peer->clear();
    silence(61);
    EXPECT_EQ(gpr.cu_Open(), 0);
    EXPECT_EQ(peer->commands(61).size(), 3u);
}

TEST_F(DriverTest, ReopeningAnOnCuChecksItIsTheSameOne)
{
    answer(61, words32({0x30005001, 0xAAAA}));
    gpr.prev_id = 0xAAAA;
    pisOn = true;
    EXPECT_EQ(gpr.cu_Open(), 1);
    EXPECT_TRUE(peer->commands(0xFFFF).empty()); // no discovery while on
    answer(61, words32({0x30005001, 0xBBBB}));
    EXPECT_EQ(gpr.cu_Open(), 0);
    EXPECT_EQ(gpr.prev_id, 0xBBBBu);
    EXPECT_EQ(gpr.cu_Open(), 1);
}

// ---- CU parameters ---------------------------------------------------------------------------

Bytes cu_parameters(uint32_t runs, uint32_t word, uint32_t freq, uint32_t clipped, uint32_t sep,
                    uint32_t aux, uint32_t cu_samples, uint32_t divisor, uint32_t tz,
                    uint32_t file_samples)
{
    return words32({runs, word, freq, clipped, sep, aux, cu_samples, divisor, tz, 0xDEAD,
                    file_samples});
}

TEST_F(DriverTest, ReadParametersFillsTheBlockInUdpMode)
{
    prm.udp_mode = 1;
    answer(125, cu_parameters(40, 0xFFFF0F0F, 300900, 12, 150, 6, 1024, 8, 33, 700));
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.runs, 40);
    EXPECT_EQ(eep.cu_word, int16_t(0xF0F0));
    EXPECT_EQ(eep.freq_index, 3); // 300751 / 1000 == 300900 / 1000
    EXPECT_EQ(eep.clipped, 12);
    EXPECT_FLOAT_EQ(eep.ant_separation, 0.15f);
    EXPECT_EQ(eep.cu_aux, 6);
    EXPECT_EQ(eep.cu_samples, 1024);
    EXPECT_EQ(eep.auto_stack_value, 8);
    EXPECT_EQ(eep.tz_sample, 33);
    EXPECT_EQ(eep.samples, 700);
    // Nothing needed changing: nothing is sent back.
    EXPECT_EQ(peer->commands().size(), 1u);

    answer(125, cu_parameters(40, 0, 123456, 0, 0, 0, 1024, 0, 0, 700));
    gpr.ReadParameters();
    EXPECT_EQ(eep.freq_index, 4); // no table entry
}

TEST_F(DriverTest, ReadParametersShrinksTheFileSamplesToWhatTheCuKeeps)
{
    prm.udp_mode = 1;
    answer(125, cu_parameters(20, 0, 250000, 12, 100, 0, 512, 0, 0, 1000));
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.samples, 500);
    auto cmds = peer->commands();
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[1].cmd, 1);
    EXPECT_EQ(cmds[1].args[0], 500u);
    EXPECT_EQ(cmds[2].cmd, 124);
    EXPECT_EQ(cmds[2].args[0], 0u);
}

TEST_F(DriverTest, ReadParametersInRawModeUsesAndWritesTheAntennaRecord)
{
    prm.udp_mode = 0;
    xml_pars.antenna[0].samples_in_file = 60; // too few: the CU's count less the clipped
    answer(125, cu_parameters(20, 0, 250000, 4, 100, 0, 800, 0, 0, 999));
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.samples, 796);
    EXPECT_EQ(xml_pars.antenna[0].samples_in_file, 796);
    EXPECT_EQ(peer->commands().size(), 1u); // raw mode keeps it in the settings file
    EXPECT_TRUE(file_exists(sandbox->path(kXmlParsPath)));
}

TEST_F(DriverTest, ReadParametersSetsTheCuToDefaultsWhenItsValuesAreUnusable)
{
    prm.udp_mode = 1;
    answer(125, cu_parameters(1, 0, 250000, 7, 100, 0, 512, 0, 0, 400));
    EXPECT_EQ(gpr.ReadParameters(), 1);
    EXPECT_EQ(eep.clipped, 0);
    EXPECT_EQ(eep.cu_samples, 1000);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_EQ(eep.runs, 20);
    std::vector<std::pair<uint16_t, uint32_t>> seq;
    for (const PeerCommand& c : peer->commands())
        seq.emplace_back(c.cmd, c.cmd == 65 ? c.args[1] : c.args[0]);
    std::vector<std::pair<uint16_t, uint32_t>> want = {
        {125, 1}, {192, 0}, {104, 20}, {65, 1000}, {1, 1000}, {124, 0}};
    EXPECT_EQ(seq, want);

    // More clipped samples than the CU takes would leave no file samples at all.
    peer->clear();
    answer(125, cu_parameters(20, 0, 250000, 200, 100, 0, 150, 0, 0, 100));
    EXPECT_EQ(gpr.ReadParameters(), 1);
    EXPECT_EQ(eep.samples, 1000);
}

TEST_F(DriverTest, PloadWithTheCuOnTakesTheCuValues)
{
    prm.udp_mode = 1;
    answer(125, cu_parameters(50, 0, 250000, 0, 200, 0, 1024, 0, 20, 800));
    answer(120, words32({0, 0, 100000}));
    answer(59, words32({0, 0, 2000}));
    pisOn = true;
    EXPECT_EQ(eep.pload_l_a(), 0);
    EXPECT_EQ(eep.adc_freq, 100000u);
    EXPECT_EQ(eep.clock_freq, 2000u);
    EXPECT_EQ(eep.samples, 800);
    EXPECT_FLOAT_EQ(eep.ant_separation, 0.2f);
    EXPECT_DOUBLE_EQ(eep.sample_interval, 1000.0 / (100000.0 * 50));

    // A CU reporting frequency 0 keeps the defaults rather than dividing by zero.
    answer(120, words32({0, 0, 0}));
    answer(59, words32({0, 0, 0}));
    EXPECT_EQ(eep.pload_l_a(), 0);
    EXPECT_EQ(eep.adc_freq, 160000u);
    EXPECT_EQ(eep.clock_freq, 1000u);

    // A failed read: the defaults, and the failure is returned.
    silence(125);
    EXPECT_EQ(eep.pload_l_a(), -1);
    EXPECT_EQ(eep.samples, 1000);
    EXPECT_DOUBLE_EQ(eep.sample_interval, 0.0001);
}

// ---- GPS text of the antenna ------------------------------------------------------------

Bytes element(uint8_t tag, const std::string& body)
{
    Bytes e;
    put16(e, 0, uint16_t(body.size() + 2));
    e.push_back(tag);
    e.push_back(0);
    e.insert(e.end(), body.begin(), body.end());
    return e;
}

TEST_F(DriverTest, GpsStringWithoutGpsElementsIsEmpty)
{
    char out[kGpsStringSize];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(gpr.GetGPSString(out), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(last_command().cmd, 130);

    // Other elements only.
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 130)
            r.before.push_back(element(58, std::string("\x00\x00\x00\x05", 4)));
    });
    EXPECT_EQ(gpr.GetGPSString(out), 1);
    EXPECT_STREQ(out, "");
}

TEST_F(DriverTest, GpsStringCollectsTheTextElements)
{
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd != 130)
            return;
        Bytes d = element(132, "$GPGGA,1*00\r\n");
        Bytes e = element(59, std::string("\x00\x00\x01\x00", 4));
        Bytes g = element(132, "$GPRMC,2*00\r\n");
        d.insert(d.end(), e.begin(), e.end());
        d.insert(d.end(), g.begin(), g.end());
        r.before.push_back(d);
    });
    char out[kGpsStringSize];
    EXPECT_EQ(gpr.GetGPSString(out), 27);
    EXPECT_STREQ(out, "$GPGGA,1*00\r\n$GPRMC,2*00\r\n");
}

TEST_F(DriverTest, GpsStringSkipsTextThatWouldOverflow)
{
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd != 130)
            return;
        Bytes d = element(132, std::string(3990, 'A'));
        Bytes big = element(132, std::string(20, 'B')); // 3990 + 22 reaches 4000
        Bytes small = element(132, "C");
        d.insert(d.end(), big.begin(), big.end());
        d.insert(d.end(), small.begin(), small.end());
        r.before.push_back(d);
    });
    char out[kGpsStringSize];
    EXPECT_EQ(gpr.GetGPSString(out), 3992);
    EXPECT_EQ(strlen(out), 3991u);
    EXPECT_EQ(out[3990], 'C');
}

TEST_F(DriverTest, GpsStringReportsABrokenElement)
{
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd != 130)
            return;
        Bytes d = element(132, "$GP");
        d.push_back(0x00); // a length field of 1 (below 2)
        d.push_back(0x01);
        d.push_back(132);
        d.push_back(0);
        r.before.push_back(d);
    });
    char out[kGpsStringSize];
    EXPECT_EQ(gpr.GetGPSString(out), -4);
    EXPECT_STREQ(out, "$GP"); // what came before stays terminated
}

// ---- FPGA self-test ------------------------------------------------------------------------

TEST_F(DriverTest, FpgaTestSetsTheCuUpAndRestoresIt)
{
    prm.udp_mode = 1;
    eep.runs = 33;
    eep.clipped = 5;
    eep.cu_samples = 900;
    eep.samples = 880;
    eep.clock_freq = 1000;
    simulation_mode = 7;
    global_mode = 1;
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 65 && c.args[0] == 105)
            r.payload = words32({0, 0, 0, 250, 0, 0});
    });
    int e1 = 1, e2 = 1, e3 = 1, e4 = 1;
    EXPECT_EQ(gpr.TestFPGA(0x5A5A, 200, 300, e1, e2, e3, e4), 0);
    EXPECT_EQ(e1 + e2 + e3 + e4, 0);
    auto cmds = peer->commands();
    ASSERT_EQ(cmds.size(), 500u + 5 + 1 + 5);
    EXPECT_EQ(cmds[0].args[1], 9500u);
    EXPECT_EQ(cmds[0].args[2], 0x5A5Au);
    EXPECT_EQ(cmds[499].args[1], 9999u);
    EXPECT_EQ(cmds[500].cmd, 100);
    EXPECT_EQ(cmds[500].args[0], 2u);
    EXPECT_EQ(cmds[505].cmd, 65);
    EXPECT_EQ(cmds[505].args[0], 105u);
    EXPECT_EQ(cmds[505].timeout, 4000);
    std::vector<std::pair<uint16_t, uint32_t>> restore;
    for (size_t i = 506; i < cmds.size(); i++)
        restore.emplace_back(cmds[i].cmd, cmds[i].cmd == 65 ? cmds[i].args[1] : cmds[i].args[0]);
    std::vector<std::pair<uint16_t, uint32_t>> want = {
        {100, 7}, {104, 33}, {192, 5}, {65, 900}, {1, 880}};
    EXPECT_EQ(restore, want);
    EXPECT_EQ(simulation_mode, 7);
    EXPECT_EQ(global_mode, 1);
}

TEST_F(DriverTest, FpgaTestFailures)
{
    int e1, e2, e3, e4;
    // A pattern the CU reports bad at index 9502.
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 65 && c.args[0] == 104 && c.args[1] == 9502) {
            r.payload.clear();
            put16(r.payload, 0, 1);
            put16(r.payload, 2, 0x11);
            put16(r.payload, 4, 0x22);
            put16(r.payload, 6, 0x33);
        }
    });
    EXPECT_EQ(gpr.TestFPGA(1, 0, 10, e1, e2, e3, e4), -6);
    EXPECT_EQ(e1, 0x11);
    EXPECT_EQ(e2, 0x22);
    EXPECT_EQ(e3, 0x33);
    EXPECT_EQ(e4, 0);

    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 65 && c.args[0] == 104 && c.args[1] == 9501)
            r.answer = false;
    });
    EXPECT_EQ(gpr.TestFPGA(1, 0, 10, e1, e2, e3, e4), -5);
    EXPECT_EQ(e1, 733);
    EXPECT_EQ(e2, 9501);
}

TEST_F(DriverTest, FpgaTestJudgesTheTriggerTime)
{
    eep.clock_freq = 1000;
    int e1, e2, e3, e4;
    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 65 && c.args[0] == 105)
            r.payload = words32({1638, 4, 0, 0, 8, 9});
    });
    EXPECT_EQ(gpr.TestFPGA(1, 0, 10, e1, e2, e3, e4), -11);
    EXPECT_EQ(e1, 1638);
    EXPECT_EQ(e2, 4);
    EXPECT_EQ(e3, 8);
    EXPECT_EQ(e4, 9);

    peer->set_script([](const PeerCommand& c, PeerReply& r) {
        if (c.cmd == 65 && c.args[0] == 105)
            r.payload = words32({0, 0, 0, 450});
    });
    EXPECT_EQ(gpr.TestFPGA(1, 200, 300, e1, e2, e3, e4), -12);
    EXPECT_EQ(e1, 450);
    EXPECT_EQ(e2, 250);
}

} // namespace
