// The version marker of an image unpacked from an upgrade stick (any bytes a foreign or
// damaged image may hold there) read and checked as the upgrade does before it installs.
#include "fuzz/fuzz_support.h"
#include "screens/system_math.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_sandbox();
    const char* device_path = version_marker_path(0);
    static const bool made = [&] {
        const std::string file = fuzz_path(device_path);
        return system(("mkdir -p '" + file.substr(0, file.rfind('/')) + "'").c_str()) == 0;
    }();
    if (!made)
        abort();
    fuzz_write_file(device_path, data, size);
    const std::string host = fuzz_path(device_path);
    // As the upgrade reads it, and into buffers too small for the text.
    for (size_t cap : {size_t(16), size_t(9), size_t(3), size_t(1)}) {
        char text[16];
        memset(text, 'x', sizeof text);
        const int n = read_version_marker(host.c_str(), text, cap);
        if (n < 0 || strnlen(text, cap) >= cap)
            __builtin_trap(); // the file exists; the text must end inside the buffer
        double v = 0;
        if (cap >= 9 && version_marker_valid(n, text, &v) && !(v >= 0))
            __builtin_trap(); // digits and one point only: never negative, never NaN
    }
    return 0;
}
