// cusim through the monitor's command layer (CDriver `gpr` over the global link `eth`): every
// method finds in cusim's answers what it decodes.
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/driver.h"
#include "cu/eep.h"
#include "cu/patient_transport.h"
#include "cusim/wire_client.h"
#include "link/ethernet.h"
#include "link/transport.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace cutest;

namespace {

class CommandLayer : public ::testing::Test {
protected:
    Sandbox sandbox;
    std::string sock = sandbox.root() + "/sim/cu.sock";
    std::unique_ptr<CusimProcess> cu;
    std::unique_ptr<CLinkTransport> transport;
    std::unique_ptr<PatientTransport> patient;

    void SetUp() override
    {
        cu = std::make_unique<CusimProcess>(std::vector<std::string>{"--link", "unix:" + sock, "--gps-rate", "0"});
        ASSERT_TRUE(wait_for_file(sock, 30000));
        prm.udp_mode = 1;
        prm.wifi_link = 0;
        transport.reset(new_unix_transport(sock.c_str()));
        // cusim answers everything but the resend request and the progress note.
        patient = std::make_unique<PatientTransport>(transport.get(), [](const uint8_t* f, int) {
            const uint16_t c = PatientTransport::command_of(f);
            return c != 210 && c != 6666;
        });
        eth.set_transport(patient.get());
        eth.eth_first_Init();
        pisOn = 0;
    }
    void TearDown() override
    {
        eth.eth_Close();
        eth.set_transport(nullptr);
        cu->stop();
    }
};

TEST_F(CommandLayer, ConnectionVersionsAndReadings)
{
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_GE(gpr.program_version(), 0x30000000u);
    EXPECT_LE(gpr.program_version(), 0x4FFFFFFFu);
    EXPECT_EQ(gpr.versions[5], 12u) << "the device check wants a sixth version word of 12";
    EXPECT_EQ(gpr.Get_Our_FPGA_Version(), 0);
    EXPECT_NE(gpr.our_fpga_version, 0u);
    uint32_t serial = 0;
    EXPECT_EQ(gpr.GetAntennaID(&serial), 44u);
    EXPECT_EQ(serial, 440123u);
    EXPECT_EQ(gpr.Get_CU_Clock_Freq(), 100000);
    EXPECT_EQ(gpr.Get_ADC_Freq(), 160000);
    unsigned short adc[6] = {};
    EXPECT_EQ(gpr.GetADC(adc), 0);
    EXPECT_EQ(adc[0], 49680);
    unsigned short init[15];
    std::memset(init, 0xFF, sizeof init);
    EXPECT_EQ(gpr.GetInitErrors(init), 0);
    for (unsigned short v : init) EXPECT_EQ(v, 0);
    EXPECT_EQ(gpr.SetWheelPos(1, 1, 345), 0);
    EXPECT_EQ(gpr.GetWheelPos(1), 345);
    EXPECT_EQ(gpr.SetTimePos(1, 0), 0);
    EXPECT_GE(gpr.GetTimePos(), 0);
    EXPECT_EQ(gpr.GetWiFiButtonState(), 1);
    EXPECT_EQ(gpr.SD_Enable(true), 0);
    EXPECT_EQ(gpr.GPS_Connect(1, 1, 0), 0);
}

TEST_F(CommandLayer, ParametersSelfTestsAndWifi)
{
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_EQ(gpr.ReadParameters(), 0);
    EXPECT_EQ(eep.cu_samples, 1536);
    EXPECT_EQ(eep.samples, 736);
    EXPECT_EQ(eep.runs, 32);
    EXPECT_EQ(eep.freq_index, 4) << "312500 Hz";
    EXPECT_NEAR(eep.ant_separation, 0.18, 1e-6);
    unsigned char out = 0;
    EXPECT_EQ(gpr.TestSRAM(0x55, out), 0u);
    eep.clock_freq = uint32_t(gpr.Get_CU_Clock_Freq());   // as pload_l_a does
    eth.answer_timeout = 4000;
    int e1 = 0, e2 = 0, e3 = 0, e4 = 0;
    EXPECT_EQ(gpr.TestFPGA(100, 512, 640, e1, e2, e3, e4), 0) << e1 << " " << e2;
    eth.answer_timeout = kDefaultAnswerTimeout;
    EXPECT_EQ(gpr.Init_USA_board(), 0);
    char reply[8] = {};
    EXPECT_EQ(gpr.WiFi_Send_Cmd("<DO>", reply, 5000), 0);
    EXPECT_EQ(reply[1], 'S');
    uint32_t o[5] = {};
    EXPECT_EQ(gpr.WiFi_Wire_Init("SORLAN_7", 6, 0xC0A80102, o[0], o[1], o[2], o[3], o[4]), 0);
    for (uint32_t v : o) EXPECT_EQ(v, 0x3C533E00u);
}

TEST_F(CommandLayer, MeasurementStartStopSingleTraceAndGps)
{
    ASSERT_EQ(gpr.cu_Open(), 1);
    EXPECT_EQ(gpr.SetTriggSrc(-1, 'W', 1), 0);
    EXPECT_EQ(gpr.SetTriggCond(1, 1000000), 0);   // the cart will not reach a trigger
    EXPECT_EQ(gpr.m_Start(), 0);
    uint32_t a = 99, b = 99;
    int c = 99;
    EXPECT_EQ(gpr.mStop(&a, &b, &c), 0);
    EXPECT_EQ(b, 0u);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(gpr.m_Trigg(1000, 0), 0);
    EXPECT_EQ(gpr.GetMissedBlock(1, 1), 1) << "nothing on the card beyond the measurement";
    char text[kGpsStringSize];
    const int n = gpr.GetGPSString(text);
    EXPECT_GT(n, 1);
    EXPECT_EQ(std::strncmp(text, "$GPGGA,", 7), 0) << text;
}

}  // namespace
