#pragma once
// The guide's pictures: PNG files read into Cairo image surfaces, each owned by its picture.
// A picture shown in part gets a surface of its own holding just that part: Cairo's PDF surface
// reads the pixels of every picture on a page only when the page is emitted, and takes a
// sub-surface of an image for a whole image there (it reads past the sub-surface's end).
#include "GuideMarkup.h"

#include <cairo.h>

#include <filesystem>
#include <memory>
#include <string>

namespace guide {

struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const noexcept { cairo_surface_destroy(surface); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceRelease>;

struct Picture {
    Surface surface; // an image surface, never a view into another one
    int width = 0;
    int height = 0;
};

// A picture and the part of it shown stand under one key.
std::string PictureKey(const Block& block);

// Reads the picture of an image block from folder / block.path, or the part the block names.
// On failure the picture is empty and error says what is wrong ("line N: ...").
Picture LoadPicture(const Block& block, const std::filesystem::path& folder, std::string& error);

} // namespace guide
