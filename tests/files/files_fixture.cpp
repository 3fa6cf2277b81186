#include "files_fixture.h"

#include <fstream>

void write_bytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t p = 0;
    while (p < text.size()) {
        size_t e = text.find("\r\n", p);
        if (e == std::string::npos) {
            out.push_back(text.substr(p));
            break;
        }
        out.push_back(text.substr(p, e - p));
        p = e + 2;
    }
    return out;
}

void FilesTest::write_rd7(const std::string& file, int traces, int n, size_t stray_bytes) const
{
    std::string bytes;
    for (int k = 0; k < traces; k++)
        for (int i = 0; i < n; i++) {
            uint32_t v = (uint32_t)sample_of(k, i);
            for (int b = 0; b < 4; b++)
                bytes.push_back((char)((v >> (8 * b)) & 0xFF));
        }
    bytes.append(stray_bytes, '\x5A');
    write_bytes(data(file), bytes);
}

void FilesTest::write_header(const std::string& base, int n, int traces) const
{
    Header h;
    snprintf(h.rad_path, sizeof h.rad_path, "/mnt/hda1/%s.rad", base.c_str());
    snprintf(h.add_path, sizeof h.add_path, "/mnt/hda1/%s.add", base.c_str());
    CEEP keep = eep;
    eep.samples = (uint16_t)n;
    h.last_trace = traces;
    HeaderSettings s = current_header_settings();
    ASSERT_EQ(0, h.h_write(s));
    eep = keep;
}
