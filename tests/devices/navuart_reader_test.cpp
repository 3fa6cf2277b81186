// The GPS reader: the USB receiver through a real pseudo-terminal, the serial-port driver
// through a fake driver on the request path, and the antenna GPS text.
#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/dev_wire.h"
#include "cu/eep.h"
#include "cu/gps_display.h"
#include "cu/navuart_reader.h"
#include "support/sandbox.h"
#include "support/waits.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <mutex>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Whether thread `tid` of this process sleeps in the kernel on a futex, the wait of a mutex it
// cannot take: the state letter of its stat line and its system call's number.
bool waits_for_a_lock(pid_t tid)
{
    const std::string task = "/proc/self/task/" + std::to_string(tid);
    std::string stat;
    std::getline(std::ifstream(task + "/stat"), stat);
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos || name_end + 2 >= stat.size() || stat[name_end + 2] != 'S')
        return false;
    long call = -1;
    std::ifstream(task + "/syscall") >> call;
#ifdef SYS_futex_time64
    if (call == SYS_futex_time64)
        return true;
#endif
    return call == SYS_futex;
}

const char kFix[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const char kNoFix[] = "$GPGGA,123520,,,,,,,00,,,M,,M,,*65\r\n";

// A pseudo-terminal standing for a plugged-in receiver.
struct Pty {
    int master = -1;
    std::string slave;
    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            slave = ptsname(master);
    }
    ~Pty()
    {
        if (master >= 0)
            close(master);
    }
    void send(const std::string& s) const { ASSERT_EQ(write(master, s.data(), s.size()), (ssize_t)s.size()); }
};

void plug(const Sandbox& sb, const Pty& p)
{
    std::string link = sb.path("/dev/ttyUSB0");
    unlink(link.c_str());
    ASSERT_EQ(symlink(p.slave.c_str(), link.c_str()), 0);
}

struct GpsFixture : ::testing::Test {
    Sandbox sb;
    char out[kGpsOutSize];
    void SetUp() override
    {
        init_globals();
        ASSERT_TRUE(create_all_mutexes());
        eep.gps_enabled = 1;
        eep.gps_source = 1;
        eep.gps_baud_index = 1;
        eep.gps_cs_check = 1;
        pisOn = false;
    }
    void TearDown() override
    {
        gps.gps_Unit_Close();
        DestroyAllMutexes();
    }
    // Polls until a result other than "nothing new" arrives (the terminal may deliver a
    // moment after the write).
    int poll_data()
    {
        int r = kGpsNoData;
        eventually([&] { return (r = gps.GetData(out)) != kGpsNoData; });
        return r;
    }
};

} // namespace

using UsbGps = GpsFixture;

TEST_F(UsbGps, open_sets_the_receiver_line_and_reads_fix_and_no_fix_sentences)
{
    Pty rx;
    plug(sb, rx);
    ASSERT_TRUE(gps.gps_Open());
    EXPECT_EQ(gps.reopen, 0);
    struct termios t;
    ASSERT_EQ(tcgetattr(gps.fd, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_FALSE(t.c_lflag & ECHO);
    EXPECT_TRUE(t.c_lflag & ICANON);
    EXPECT_TRUE(t.c_iflag & ICRNL);
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & CLOCAL);

    EXPECT_EQ(gps.GetData(out), kGpsNoData) << "nothing received yet";

    rx.send("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n" +
            std::string(kFix));
    ASSERT_EQ(poll_data(), 0);
    EXPECT_EQ(std::string(out).rfind("123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", 0), 0u)
        << out;

    rx.send(kNoFix);
    ASSERT_EQ(poll_data(), kGpsNoCoordinates);
    EXPECT_STREQ(out, "NO COORDINATES");

    // Noise without any GGA, and a GGA whose remainder is too long to be a sentence.
    rx.send("\x01\x02garbage GPGG\r\n$GPGGA," + std::string(300, '7') + "\r\n$GPGGA\r\n");
    for (int i = 0; i < 20; i++) {
        EXPECT_EQ(gps.GetData(out), kGpsNoData) << out;
        usleep(5000);
    }
}

TEST_F(UsbGps, silent_receiver_is_reopened_on_the_poll_after_the_twenty_first)
{
    Pty first, second;
    plug(sb, first);
    ASSERT_TRUE(gps.gps_Open());
    // The receiver is replugged and shows up as another terminal.
    plug(sb, second);
    for (int poll = 1; poll <= 21; poll++) {
        EXPECT_EQ(gps.GetData(out), kGpsNoData);
        EXPECT_EQ(std::string(ttyname(gps.fd)), first.slave) << "poll " << poll;
        EXPECT_EQ(gps.reopen, poll == 21 ? 1 : 0) << "poll " << poll;
    }
    EXPECT_EQ(gps.silence, 0) << "the count restarts once the reopen is due";
    gps.GetData(out);
    ASSERT_GE(gps.fd, 0);
    EXPECT_EQ(std::string(ttyname(gps.fd)), second.slave) << "the 22nd poll reopens the port";
    second.send(kFix);
    EXPECT_EQ(poll_data(), 0);
    EXPECT_EQ(gps.silence, 0);
}

TEST_F(UsbGps, missing_receiver_is_retried_until_it_appears)
{
    EXPECT_FALSE(gps.gps_Open()) << "nothing at /dev/ttyUSB0";
    EXPECT_EQ(gps.fd, -1);
    EXPECT_EQ(gps.reopen, 1);
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    Pty rx;
    plug(sb, rx);
    gps.GetData(out); // opens it
    ASSERT_GE(gps.fd, 0);
    rx.send(kFix);
    EXPECT_EQ(poll_data(), 0);
}

TEST_F(UsbGps, gps_off_answers_minus_one_and_opens_nothing)
{
    eep.gps_enabled = 0;
    strcpy(gps_str_01, "52.1N");
    EXPECT_FALSE(gps.gps_Open());
    EXPECT_STREQ(gps_str_01, " ") << "the shown text is blanked even with GPS off";
    memset(out, 'x', sizeof out);
    EXPECT_EQ(gps.GetData(out), -1);
    EXPECT_EQ(out[0], '\0') << "the output is cleared first";
}

namespace {

// The serial-port driver on the request path: records each request and answers with the
// bytes queued for command 202.
struct FakeSerialDriver {
    int lfd = -1;
    std::atomic<int> conn{-1};
    std::thread th;
    std::mutex m;
    std::vector<std::pair<int, int>> requests;
    std::string reply202;
    std::atomic<bool> stop{false};

    explicit FakeSerialDriver(const std::string& path)
    {
        struct sockaddr_un a = {};
        a.sun_family = AF_UNIX;
        strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        lfd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
        if (bind(lfd, (sockaddr*)&a, sizeof a) != 0 || listen(lfd, 2) != 0)
            ADD_FAILURE() << "cannot listen on " << path;
        th = std::thread([this] { serve(); });
    }
    ~FakeSerialDriver() { shut(); }
    void shut()
    {
        if (th.joinable()) {
            stop = true;
            shutdown(lfd, SHUT_RDWR);
            int c = conn.load();
            if (c >= 0)
                shutdown(c, SHUT_RDWR);
            th.join();
            close(lfd);
            if (conn >= 0)
                close(conn);
        }
    }
    void serve()
    {
        int c = accept(lfd, nullptr, nullptr);
        if (c < 0)
            return;
        conn = c;
        if (stop)
            shutdown(c, SHUT_RDWR);
        uint8_t b[4 + 255];
        ssize_t n;
        while (!stop && (n = recv(c, b, sizeof b, 0)) >= 6) {
            uint8_t r[4 + 255] = {};
            size_t len = 4;
            std::lock_guard<std::mutex> g(m);
            requests.push_back({b[4], b[5]});
            if (b[4] == 202) {
                memcpy(r + 4, reply202.data(), reply202.size());
                len += reply202.size();
            }
            send(c, r, len, MSG_NOSIGNAL);
        }
    }
    void answer(const std::string& s)
    {
        std::lock_guard<std::mutex> g(m);
        reply202 = s;
    }
};

} // namespace

using SerialGps = GpsFixture;

TEST_F(SerialGps, open_sets_speed_and_checksum_then_results_map_the_driver_answers)
{
    eep.gps_source = 3;
    eep.gps_baud_index = 6; // 115200
    eep.gps_cs_check = 0;
    FakeSerialDriver drv(sb.path("/dev/navuart"));
    ASSERT_TRUE(gps.gps_Open());
    {
        std::lock_guard<std::mutex> g(drv.m);
        ASSERT_EQ(drv.requests.size(), 2u);
        EXPECT_EQ(drv.requests[0], std::make_pair(200, 7));
        EXPECT_EQ(drv.requests[1], std::make_pair(204, 0));
    }
    drv.answer(std::string("123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\0", 60));
    EXPECT_EQ(gps.GetData(out), 0);
    EXPECT_STREQ(out, "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
    drv.answer(std::string("\x01", 1));
    EXPECT_EQ(gps.GetData(out), kGpsOldData);
    EXPECT_STREQ(out, "OLD DATA");
    drv.answer(std::string("\0", 1));
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    drv.answer("123520,,,,,,,00,,,M,,M,,*65");
    EXPECT_EQ(gps.GetData(out), kGpsNoCoordinates);
    EXPECT_STREQ(out, "NO COORDINATES");
    {
        std::lock_guard<std::mutex> g(drv.m);
        EXPECT_EQ(drv.requests.back(), std::make_pair(202, 10));
    }
    // The driver goes away: a failed request is no data, not the command bytes read back.
    drv.shut();
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    EXPECT_EQ(out[0], '\0');
}

TEST_F(SerialGps, missing_driver_node_and_other_sources_send_no_request)
{
    eep.gps_source = 3;
    EXPECT_FALSE(gps.gps_Open());
    EXPECT_EQ(gps.GetData(out), kGpsNoData);
    eep.gps_source = 1;
    char reply[kGpsOutSize] = {};
    EXPECT_EQ(gps.Send_CMD(reply, 202, 10), 1) << "other sources answer their source number";
    eep.gps_source = 2;
    EXPECT_EQ(gps.Send_CMD(nullptr, 200, 3), 2);
}

using AntennaGps = GpsFixture;

TEST_F(AntennaGps, open_marks_the_antenna_and_resets_the_shown_state)
{
    eep.gps_source = 2;
    gps_qi = 4;
    can_GPS_Show = 2;
    strcpy(gps.gps_buf, "stale");
    EXPECT_TRUE(gps.gps_Open()) << "the antenna GPS opens even before the CU answers";
    EXPECT_EQ(gps.fd, -2);
    EXPECT_EQ(gps.gps_buf[0], '\0');
    EXPECT_EQ(gps_qi, -1);
    EXPECT_EQ(can_GPS_Show, 4);
    EXPECT_STREQ(gps_str_01, " ");
    gps.gps_Unit_Close();
    EXPECT_EQ(gps.fd, -1);
}

TEST_F(AntennaGps, text_gathered_from_the_cu_gives_the_first_short_gga_once)
{
    eep.gps_source = 2;
    ASSERT_TRUE(gps.gps_Open());
    const char* text = "$GPGSV,3,1*00\r\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    strcpy(gps.gps_buf, text);
    EXPECT_EQ(gps.GetData(out), kGpsNoData) << "CU off: the text is not looked at";

    pisOn = true;
    EXPECT_EQ(gps.GetData(out), 0);
    EXPECT_EQ(std::string(out), "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    EXPECT_EQ(gps.GetData(out), kGpsNoData) << "the buffer was cleared";

    // A first GGA followed by too much text is passed over for a later one.
    std::string longer = "$GPGGA," + std::string(260, '1') + "\r\n$GPGGA,2,,,,,,,0\r\n";
    strcpy(gps.gps_buf, longer.c_str());
    EXPECT_EQ(gps.GetData(out), kGpsNoCoordinates);

    // A receiver without a fix that reports quality 0 has no position either.
    strcpy(gps.gps_buf, "$GPGGA,123521.00,,,,,0,00,99.99,,,,,,*66\r\n");
    EXPECT_EQ(gps.GetData(out), kGpsNoCoordinates);
    EXPECT_STREQ(out, "NO COORDINATES");
    pisOn = false;
}

TEST_F(AntennaGps, reading_while_the_device_check_reopens_the_receiver_does_not_deadlock)
{
    // The device check holds lock_dw while it reopens the receiver, which takes lock_gps;
    // meanwhile the timer's read waits for lock_dw to ask the CU.
    eep.gps_source = 2;
    pisOn = true;
    SDL_mutexP(lock_dw);
    std::atomic<pid_t> reader_tid{0};
    std::thread reader([this, &reader_tid] {
        reader_tid = pid_t(syscall(SYS_gettid));
        gps.GetData(out);
    });
    // The reader waits for lock_dw (the only lock held); then the reopen runs.
    EXPECT_TRUE(eventually([&] { return reader_tid && waits_for_a_lock(reader_tid); }));
    std::atomic<bool> reopened{false};
    std::thread check([&] {
        gps.gps_Open();
        reopened = true;
    });
    eventually([&] { return reopened.load(); }, 10);
    EXPECT_TRUE(reopened) << "the reopen waited for lock_gps, held by a reader waiting for lock_dw";
    SDL_mutexV(lock_dw); // resolves the deadlock if there was one, so the test can end
    check.join();
    reader.join();
    EXPECT_EQ(gps.fd, -2);
    pisOn = false;
}

TEST(SbasMode, each_stored_mode_selects_its_parameters)
{
    unsigned char abcd[4];
    unsigned long e = 0;
    ASSERT_TRUE(sbas_pars_for_mode(1, abcd, &e));
    EXPECT_EQ(std::vector<int>(abcd, abcd + 4), (std::vector<int>{1, 3, 3, 0}));
    EXPECT_EQ(e, 0x4E004ul);
    ASSERT_TRUE(sbas_pars_for_mode(3, abcd, &e));
    EXPECT_EQ(e, 0x180ul);
    ASSERT_TRUE(sbas_pars_for_mode(4, abcd, &e));
    EXPECT_EQ(std::vector<int>(abcd, abcd + 4), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_FALSE(sbas_pars_for_mode(5, abcd, &e));
    EXPECT_FALSE(sbas_pars_for_mode(-1, abcd, &e));
}
