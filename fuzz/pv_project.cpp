// A baseline-crossing project file (.pvb) as a damaged disk or a foreign stick may hold it:
// read as far as it is sound, written back and read again, which must give the same project;
// then the clean-up that drops the profiles whose data is gone.
#include "fuzz/fuzz_support.h"
#include "files/keylines.h"
#include "projects/pv_project.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kPath = "/mnt/hda1/FUZ_.pvb";

// With GPRMON_FUZZ_WRITE_SEED=FILE the program writes a project of three crossings there
// (GPRMON_FUZZ_SEED_VERSION=2: a GPS-positioned one) and ends.
void write_seed(const char* path)
{
    CPVProject p;
    copy_text(p.name, sizeof p.name, "FUZ_");
    const char* v = getenv("GPRMON_FUZZ_SEED_VERSION");
    p.version = v && atoi(v) == 2 ? 2 : 1;
    p.start_x = 1.5;
    p.stop_x = 41.25;
    p.stop_y = -3.0;
    p.active = true;
    for (int i = 1; i <= 3; i++) {
        char prof[16];
        snprintf(prof, sizeof prof, "FUZ_%04d", i);
        if (p.new_Prof(prof, i, 2.5f * float(i), 90 + 7 * i, 1.25f * float(i)) != 0)
            exit(1);
    }
    if (p.write_pvb() != 0)
        exit(1);
    std::string cmd = "cp '" + fuzz_path(kPath) + "' '" + path + "'";
    exit(system(cmd.c_str()) == 0 ? 0 : 1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz_sandbox();
    if (const char* seed = getenv("GPRMON_FUZZ_WRITE_SEED"))
        write_seed(seed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_write_file(kPath, data, size);
    CPVProject p;
    copy_text(p.name, sizeof p.name, "FUZ_");
    if (p.read_pvb() != 0)
        return 0;
    // What the program writes it must read back as it was.
    if (p.write_pvb() != 0)
        abort();
    CPVProject q;
    copy_text(q.name, sizeof q.name, "FUZ_");
    if (q.read_pvb() != 0 || q.version != p.version || q.profiles.size() != p.profiles.size())
        abort();
    for (size_t i = 0; i < p.profiles.size(); i++)
        if (strcmp(p.profiles[i]->name, q.profiles[i]->name) != 0)
            abort();
    p.Clear_proj_file("FUZ_.pvb");
    return 0;
}
