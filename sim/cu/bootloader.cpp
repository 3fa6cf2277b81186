// The CU's bootloader at the end of a firmware upload: it can be told to refuse every upload
// or one of them (--refuse-upload CODE[@N]) and records what it accepted (--firmware-dir DIR), so that a test
// compares the record with the file the monitor sent.
#include "sim/cu/device.h"

#include <cstdio>

namespace cusim {

namespace {

// The Intel-HEX text a framed HEX upload carries: one ":" line with CR LF per data record
// (the framing is known to be sound here).
std::string hex_text(const Bytes& s)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        Bytes rec;
        for (++i; i < s.size() && s[i] != 0x04; ++i) {
            if (s[i] == 0x10 && i + 1 < s.size())
                ++i;
            rec.push_back(s[i]);
        }
        ++i;
        if (rec.size() < 3 || rec[0] != 0x03)
            continue;
        out += ':';
        for (size_t k = 1; k + 2 < rec.size(); ++k) {
            out += digits[rec[k] >> 4];
            out += digits[rec[k] & 15];
        }
        out += "\r\n";
    }
    return out;
}

} // namespace

void bootloader_finish(const DeviceConfig& cfg, uint64_t nth, uint16_t type, const Bytes& data, uint16_t& error)
{
    if (error == 0 && cfg.refuse_upload != 0 && (cfg.refuse_upload_nth == 0 || cfg.refuse_upload_nth == nth)) {
        error = cfg.refuse_upload;
        std::printf("cusim: bootloader refuses the upload (error 0x%04X)\n", error);
    }
    if (error != 0 || cfg.firmware_dir.empty())
        return;
    const std::string path = cfg.firmware_dir + "/firmware-" + std::to_string(type) + ".bin";
    const std::string tmp = path + ".part";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::printf("cusim: cannot write %s\n", tmp.c_str());
        return;
    }
    if (type == 15) {
        const std::string text = hex_text(data);
        std::fwrite(text.data(), 1, text.size(), f);
    } else if (!data.empty()) {
        std::fwrite(data.data(), 1, data.size(), f);
    }
    const bool ok = std::fclose(f) == 0;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0)
        std::printf("cusim: firmware type %u recorded in %s\n", type, path.c_str());
}

} // namespace cusim
