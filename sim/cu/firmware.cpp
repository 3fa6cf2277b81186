// Receiving a firmware image: the bootloader framing check of HEX uploads.
#include "sim/cu/device.h"

namespace cusim {

std::string check_hex_framing(const Bytes& s)
{
    size_t i = 0, records = 0;
    bool closed = false;
    while (i < s.size()) {
        if (closed) return "data after the closing record";
        if (s[i] != 0x01) return "record does not start with 0x01 at byte " + std::to_string(i);
        ++i;
        Bytes rec;
        bool ended = false;
        while (i < s.size()) {
            uint8_t b = s[i++];
            if (b == 0x10) {
                if (i >= s.size()) return "escape at the end of the stream";
                rec.push_back(s[i++]);
            } else if (b == 0x04) {
                ended = true;
                break;
            } else if (b == 0x01) {
                return "unescaped 0x01 inside a record";
            } else {
                rec.push_back(b);
            }
        }
        if (!ended) return "record without its closing 0x04";
        if (rec.size() < 3) return "record too short";
        const uint16_t crc = uint16_t(rec[rec.size() - 2] | (rec[rec.size() - 1] << 8));
        if (crc != crc16_xmodem(rec.data(), rec.size() - 2))
            return "CRC error in record " + std::to_string(records + 1);
        const size_t body = rec.size() - 2;
        if (rec[0] == 0x05) {
            if (body != 1) return "malformed closing record";
            closed = true;
        } else if (rec[0] == 0x03) {
            // One Intel-HEX line: count, address (2), type, data, checksum; bytes sum to 0.
            if (body < 6 || body != size_t(rec[1]) + 6) return "HEX line length does not match its count";
            uint8_t sum = 0;
            for (size_t k = 1; k < body; ++k) sum = uint8_t(sum + rec[k]);
            if (sum != 0) return "HEX line checksum error in record " + std::to_string(records + 1);
        } else {
            return "unknown record type";
        }
        ++records;
    }
    if (!closed) return "no closing record";
    return "";
}

}  // namespace cusim
