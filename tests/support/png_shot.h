// A screenshot of the scripted keypad (PNG) read back as RGB pixels.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

struct Png {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    bool load(const std::string& path)
    {
        png_image img{};
        img.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&img, path.c_str()))
            return false;
        img.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(img));
        if (!png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr))
            return false;
        w = int(img.width);
        h = int(img.height);
        return true;
    }
    int lum(int x, int y) const
    {
        const uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return (p[0] + p[1] + p[2]) / 3;
    }
    bool is(int x, int y, int r, int g, int b, int tol = 12) const
    {
        const uint8_t* p = &rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
        return std::abs(p[0] - r) <= tol && std::abs(p[1] - g) <= tol && std::abs(p[2] - b) <= tol;
    }
};
