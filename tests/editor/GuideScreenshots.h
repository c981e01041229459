// The user guide's pictures are screenshots of the program as a user starts it: the Xvfb program
// tests take them from its windows on the X display, the picture end-to-end test the Global
// Settings dialog (which needs the keyboard) from the program with the keyboard simulator. A test
// that takes one the guide shows checks that docs/guide/images/ still holds the same picture.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace guidetest {

// Exact pixels: the screenshots are drawn by our own renderer with the fonts and libraries of the same
// Debian packages wherever the tests run, so two runs give the same picture and any difference is a
// change of the face (or of what the test shows).
inline void ExpectGuidePictureCurrent(const std::string& screenshot, const std::string& fileName)
{
    const std::filesystem::path guide = std::filesystem::path(KX_GUIDE_SOURCE).parent_path() / "images" / fileName;
    if (!std::filesystem::exists(guide))
        return;
    using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
    const Surface taken(cairo_image_surface_create_from_png(screenshot.c_str()), cairo_surface_destroy);
    const Surface shown(cairo_image_surface_create_from_png(guide.c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(taken.get()), CAIRO_STATUS_SUCCESS) << screenshot;
    ASSERT_EQ(cairo_surface_status(shown.get()), CAIRO_STATUS_SUCCESS) << guide;
    const std::string refresh = "docs/guide/images/" + fileName +
                                " is not the screenshot the tests take now: run tools/refresh-guide-images.sh --take";
    const int width = cairo_image_surface_get_width(taken.get()), height = cairo_image_surface_get_height(taken.get());
    ASSERT_EQ(width, cairo_image_surface_get_width(shown.get())) << refresh;
    ASSERT_EQ(height, cairo_image_surface_get_height(shown.get())) << refresh;
    // Both are read as 32-bit pixels; the alpha byte of an opaque PNG is not compared.
    const uint32_t mask = cairo_image_surface_get_format(taken.get()) == CAIRO_FORMAT_ARGB32 ? ~0u : 0xFFFFFFu;
    const auto pixel = [mask](cairo_surface_t* surface, int x, int y) {
        uint32_t p = 0;
        std::memcpy(&p, cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface) + 4 * x, 4);
        return p & mask;
    };
    int differ = 0, top = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pixel(taken.get(), x, y) != pixel(shown.get(), x, y) && differ++ == 0)
                top = y;
    EXPECT_EQ(differ, 0) << refresh << " (the first difference in row " << top << ")";
}

} // namespace guidetest
