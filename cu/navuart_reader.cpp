#include "cu/navuart_reader.h"

#include "platform/globals.h"
#include "config/parameters.h"
#include "cu/dev_request.h"
#include "cu/eep.h"
#include "cu/driver.h"
#include "cu/gps_display.h"
#include "link/ethernet.h"
#include "platform/host_paths.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

CNavuart gps;

namespace {

constexpr uint8_t kSourceUsb = 1;
constexpr uint8_t kSourceSerial = 3;

constexpr unsigned char kCmdSetSpeed = 200;
constexpr unsigned char kCmdLatest = 202;
constexpr unsigned char kCmdChecksum = 204;

constexpr int kUsbChunk = 512;
// A receiver that floods the port cannot hold the timer tick: at 4800 baud one poll sees
// about 120 bytes, so this bound is never reached by a working receiver.
constexpr int kUsbMaxChunks = 64;
constexpr int kSilentPollsBeforeReopen = 20;
constexpr size_t kMaxFieldsLength = 250;

// The settings screen reopens the receiver on the GUI thread while the timer thread reads
// it: the descriptor is only opened, closed, read or requested under this lock, so a read
// never reaches a descriptor that was closed and reused meanwhile. Recursive because
// gps_Open closes the unit and sends commands itself. Taken after lock_dw, never before.
std::recursive_mutex unit_mutex;

void set_shown_text_blank()
{
    gps_str_01[0] = ' ';
    gps_str_01[1] = '\0';
}

// Copies the fields after "GPGGA," of the first GGA in `text` whose remainder is shorter
// than 250 characters into `out`.
void take_first_gga(const char* text, char* out)
{
    for (const char* p = strstr(text, "GPGGA"); p; p = strstr(p + 5, "GPGGA")) {
        if (p[5] == '\0')
            return; // the text ends inside the talker id: nothing follows
        size_t rest = strlen(p + 6);
        if (rest < kMaxFieldsLength) {
            memcpy(out, p + 6, rest + 1);
            return;
        }
    }
}

} // namespace

bool sbas_pars_for_mode(int32_t sbas_mode, unsigned char abcd[4], unsigned long* e)
{
    struct Row {
        unsigned char a, b, c, d;
        unsigned long e;
    };
    static const Row kRows[5] = {
        {3, 3, 3, 0, 0x10851}, {1, 3, 3, 0, 0x4E004}, {3, 3, 3, 0, 0x20200},
        {3, 3, 3, 0, 0x180},   {0, 0, 0, 0, 0},
    };
    if (sbas_mode < 0 || sbas_mode > 4)
        return false;
    const Row& r = kRows[sbas_mode];
    abcd[0] = r.a;
    abcd[1] = r.b;
    abcd[2] = r.c;
    abcd[3] = r.d;
    *e = r.e;
    return true;
}

void CNavuart::open_usb()
{
    std::string path = host_path("/dev/ttyUSB0");
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        fd = -1;
        puts("usb-gps-open(): can not properly open ttyUSB0");
    } else {
        usleep(10000);
        if (tcgetattr(fd, &tio) != 0) {
            puts("usb-gps-open(): can not read attributes");
            close(fd);
            fd = -1;
        } else {
            reopen = 0;
            if (cfsetispeed(&tio, B4800) != 0)
                puts("usb-gps-open(): error setting input baudrate");
            if (cfsetospeed(&tio, B4800) != 0)
                puts("usb-gps-open(): error setting output baudrate");
            tio.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tio.c_lflag |= ISIG | ICANON | FLUSHO | IEXTEN;
            tio.c_iflag &= ~static_cast<tcflag_t>(BRKINT | INPCK | ISTRIP | IXON | IXOFF);
            tio.c_iflag |= IGNBRK | ICRNL | IXANY | IMAXBEL;
            tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
            tio.c_cflag |= CS8 | CREAD | CLOCAL;
            tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
            tio.c_cc[VMIN] = 1;
            tio.c_cc[VTIME] = 0;
            if (tcflush(fd, TCIOFLUSH) != 0)
                puts("usb-gps-open(): unable to flush data");
            if (tcsetattr(fd, TCSANOW, &tio) != 0)
                puts("usb-gps-open(): unable to set new attributes");
        }
    }
    printf("usb-gps status: %d %d\n", fd >= 0 ? 1 : 0, fd);
}

bool CNavuart::gps_Open()
{
    std::lock_guard<std::recursive_mutex> unit(unit_mutex);
    {
        MutexLock g(lock3);
        set_shown_text_blank();
    }
    if (!eep.gps_enabled)
        return false;
    gps_Unit_Close();
    reopen = 1;
    silence = 0;

    if (eep.gps_source == kSourceUsb) {
        open_usb();
    } else if (eep.gps_source == kSourceSerial) {
        fd = dev_open("/dev/navuart");
        if (fd < 0)
            fd = -1;
        printf("serial-gps status: %d %d\n", fd >= 0 ? 1 : 0, fd);
        Send_CMD(nullptr, kCmdSetSpeed, static_cast<unsigned char>(eep.gps_baud_index + 1));
        Send_CMD(nullptr, kCmdChecksum, eep.gps_cs_check);
    } else {
        {
            MutexLock g(lock_gps);
            gps_buf[0] = '\0';
        }
        gpr.GPS_Connect(1, 1, 0);
        unsigned char abcd[4];
        unsigned long e;
        if (sbas_pars_for_mode(prm.sbas_mode, abcd, &e))
            gpr.Set_GPS_SBAS_Pars(abcd[0], abcd[1], abcd[2], abcd[3], static_cast<uint32_t>(e));
        gpr.SetGPSRate(200);
        fd = -2;
        MutexLock g(lock3);
        can_GPS_Show = 4;
        set_shown_text_blank();
        gps_qi = -1;
    }
    return fd != -1;
}

void CNavuart::gps_Unit_Close()
{
    std::lock_guard<std::recursive_mutex> unit(unit_mutex);
    gps_time_sec = 0;
    gps_time_ms = 0;
    {
        MutexLock g(lock3);
        f_lat[0] = '\0';
    }
    if (fd >= 0)
        close(fd);
    fd = -1;
}

int CNavuart::IoControl(unsigned int request, void* in, unsigned int in_len, void* out,
                        unsigned int out_len, unsigned int* ret)
{
    std::lock_guard<std::recursive_mutex> unit(unit_mutex);
    return dev_io_control(fd, request, in, in_len, out, out_len, ret);
}

int CNavuart::Send_CMD(char* reply, unsigned char cmd, unsigned char value)
{
    if (eep.gps_source != kSourceSerial)
        return eep.gps_source;
    unsigned char buf[2] = {cmd, value};
    if (reply)
        return IoControl(kDevRequest, buf, sizeof buf, reply, kGpsOutSize, nullptr);
    return IoControl(kDevRequest, buf, sizeof buf, nullptr, 0, nullptr);
}

void CNavuart::read_usb(char* out)
{
    if (reopen) {
        MutexLock g(lock_dw);
        gps_Open();
    }
    std::lock_guard<std::recursive_mutex> unit(unit_mutex);
    bool got = false;
    for (int i = 0; i < kUsbMaxChunks && fd >= 0; i++) {
        ssize_t n = read(fd, gps_buf, kUsbChunk);
        if (n <= 0)
            break;
        got = true;
        gps_buf[n] = '\0';
        take_first_gga(gps_buf, out);
    }
    if (got) {
        silence = 0;
    } else if (++silence > kSilentPollsBeforeReopen) {
        reopen = 1;
        silence = 0;
    }
}

void CNavuart::read_antenna(char* out)
{
    {
        MutexLock g(lock_cuOn);
        if (!pisOn)
            return;
    }
    // While measuring, the receiving thread gathers the CU's GPS text; asking the CU for it
    // then would reset the measurement ring under the first traces, except with the keyboard
    // trigger. The measuring state is looked at under lock_dw: a measurement start holds it
    // from before the state is set until the CU streams, so a look taken before waiting for
    // the lock would be stale once the lock is granted.
    // The text is fetched under lock_dw alone and only then put into gps_buf under lock_gps:
    // the device check reopens the receiver (taking lock_gps) while it holds lock_dw, so
    // waiting for lock_dw with lock_gps held would deadlock with it, and holding lock_gps
    // through a CU exchange would stall the receiving thread's GPS text.
    // With the link closed nothing is asked and the gathered text stays.
    char fetched[kGpsBufSize];
    bool have_fetched = false;
    {
        MutexLock d(lock_dw);
        if ((!eth.sink()->measuring() && !eth.block_mode()) || eep.trig_code == 0xFF) {
            fetched[0] = '\0';
            have_fetched = gpr.GetGPSString(fetched) != -3;
            fetched[kGpsBufSize - 1] = '\0';
        }
    }
    MutexLock g(lock_gps);
    if (have_fetched)
        memcpy(gps_buf, fetched, strlen(fetched) + 1);
    gps_buf[kGpsBufSize - 1] = '\0';
    take_first_gga(gps_buf, out);
    gps_buf[0] = '\0';
}

int CNavuart::GetData(char* out)
{
    memset(out, 0, kGpsOutSize);
    if (!eep.gps_enabled)
        return -1;
    if (eep.gps_source == kSourceUsb) {
        read_usb(out);
    } else if (eep.gps_source == kSourceSerial) {
        // A failed request leaves the command bytes in `out`; they are not GPS data.
        if (Send_CMD(out, kCmdLatest, 10) < 0)
            memset(out, 0, kGpsOutSize);
    } else {
        read_antenna(out);
    }
    out[kGpsOutSize - 1] = '\0';

    if (out[0] == '\0')
        return kGpsNoData;
    if (out[0] == 1) {
        strcpy(out, "OLD DATA");
        return kGpsOldData;
    }
    // Receivers without a fix leave the position empty; many still fill in the quality
    // field (0), so an empty latitude counts as no position as well as six empty fields.
    const char* latitude = strchr(out, ',');
    if (strstr(out, ",,,,,,") || (latitude && latitude[1] == ',')) {
        strcpy(out, "NO COORDINATES");
        return kGpsNoCoordinates;
    }
    return 0;
}
