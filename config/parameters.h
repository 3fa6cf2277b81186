// CParameters: the binary parameter store of device settings (unit number, language, last
// baseline-crossing project, GPS augmentation, service dates, WiFi channel, link switches).
//
// The record is stored as its raw 147-byte little-endian image in /mnt/hda2/root/pars:
//
//   off  width     field
//     0  uint32    unit_number          number of the radar unit ("SORLAN_%d")
//     4  uint8     language             language index (8 = font on the factory partition)
//     5  char[104] pv_project_name      last baseline-crossing project
//   109  uint8     duo_channel          0, 1 or 2
//   110  uint32    reserved_counter
//   114  2 bytes   unused1
//   116  int32     sbas_mode            0..4
//   120  uint8     test_upgrade
//   121  uint8     pattern_parameter    argument of the CU test-pattern command
//   122  uint8     duo_pattern
//   123  uint8     gain_switch
//   124  uint32    date1                year * 65536 + month * 256 + day
//   128  uint32    date2
//   132  uint16    reserved2
//   134  uint8     udp_mode             CU frames as IPv4/UDP
//   135  uint8     wifi_link            link on wlan0
//   136  uint8     restore_missed       CU records on its card; missed blocks fetched again
//   137  uint8     wifi_channel
//   138  uint8     request_missed       missed blocks requested while measuring
//   139  char[3]   country_code
//   142  1 byte    unused2
//   143  uint32    last_block           last measurement block reported at the last stop
#pragma once

#include "platform/shared_value.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
class CParameters {
public:
    uint32_t unit_number;
    uint8_t language;
    char pv_project_name[104];
    uint8_t duo_channel;
    uint32_t reserved_counter;
    uint8_t unused1[2];
    int32_t sbas_mode;
    uint8_t test_upgrade;
    uint8_t pattern_parameter;
    uint8_t duo_pattern;
    uint8_t gain_switch;
    uint32_t date1;
    uint32_t date2;
    uint16_t reserved2;
    // The link's receiving thread reads these three per frame while the CU's set-up and
    // firmware upload (Collect or the GUI, under lock_dw) or the WiFi screen change them:
    // atomic bytes, one byte wide like the fields of the image.
    Shared<uint8_t> udp_mode;
    uint8_t wifi_link;
    Shared<uint8_t> restore_missed;
    uint8_t wifi_channel;
    Shared<uint8_t> request_missed;
    char country_code[3];
    uint8_t unused2;
    uint32_t last_block;

    static constexpr size_t kImageSize = 147;

    CParameters(); // the defaults of the record

    // Loads the record from /mnt/hda2/root/pars (mounting /dev/sda2 for the access, under
    // lock_dw), then forces the after-loading values and hands unit_number to the CU link.
    // A missing file leaves the record as it was; a short file overwrites only the bytes it
    // holds; bytes beyond the 147 are ignored.
    void p_read();
    // Stores the record (under lock_dw, mounting /dev/sda2). The file is replaced whole: an
    // interrupted write leaves the previous file. Returns 0, or -1/-2 when it failed (the
    // operator is not told; the next start uses the previous file).
    int p_write();

    // The values that never survive a restart: language 0, no test upgrade, UDP mode on,
    // WiFi link off, no missed-block restoring or requesting.
    void after_loading();

    // The stored image, little-endian whatever the host.
    void to_image(uint8_t out[kImageSize]) const;
    void from_image(const uint8_t in[kImageSize]);
};

constexpr const char* kParsPath = "/mnt/hda2/root/pars";
#pragma pack(pop)

static_assert(sizeof(CParameters) == 147, "the parameter store is a 147-byte image");
static_assert(offsetof(CParameters, sbas_mode) == 116, "parameter store layout");
static_assert(offsetof(CParameters, date1) == 124, "parameter store layout");
static_assert(offsetof(CParameters, udp_mode) == 134, "parameter store layout");
static_assert(offsetof(CParameters, country_code) == 139, "parameter store layout");
static_assert(sizeof(Shared<uint8_t>) == 1, "an atomic byte keeps the record's layout");
static_assert(offsetof(CParameters, last_block) == 143, "parameter store layout");

// The record is packed, so some fields sit at unaligned offsets (reserved_counter at 110,
// last_block at 143): read them by value; do not bind references or pointers to them.
// The global itself is aligned so that the aligned fields stay aligned.
alignas(16) extern CParameters prm;
