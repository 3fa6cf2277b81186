// A profile's key-line files as a damaged disk or a foreign stick may hold them: the .rad and
// .add read into a header and handed to the antenna block, the start-up repair of a profile
// whose header disagrees with its data, and the .mrk marker list.
#include "files/header.h"
#include "files/keylines.h"
#include "files/markers.h"
#include "files/profile_repair.h"
#include "fuzz/fuzz_support.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_sandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    std::vector<uint8_t> rad = in.chunk();
    std::vector<uint8_t> add = in.chunk();
    const size_t rd7_size = in.u16() * 4u + in.u8() % 4; // traces of zeros, maybe a partial one
    std::vector<uint8_t> mrk = in.rest();
    fuzz_write_file("/mnt/hda1/FUZZ.rad", rad.data(), rad.size());
    fuzz_write_file("/mnt/hda1/FUZZ.add", add.data(), add.size());
    fuzz_write_file("/mnt/hda1/FUZZ.mrk", mrk.data(), mrk.size());
    std::vector<uint8_t> rd7(rd7_size);
    fuzz_write_file("/mnt/hda1/FUZZ.rd7", rd7.data(), rd7.size());

    Header h;
    copy_text(h.rad_path, sizeof h.rad_path, "/mnt/hda1/FUZZ.rad");
    copy_text(h.add_path, sizeof h.add_path, "/mnt/hda1/FUZZ.add");
    if (h.h_read() == 0) {
        h.set_EEPROM_from_header();
        char text[8192];
        h.format_rad(text, sizeof text, 0);
        h.format_add(text, sizeof text);
    }

    repair_profiles();

    CMarkers m;
    copy_text(m.path, sizeof m.path, "/mnt/hda1/FUZZ.mrk");
    m.m_read();
    m.m_close(true);
    return 0;
}
