#include "GuidePictures.h"

namespace guide {

namespace {

struct ContextRelease {
    void operator()(cairo_t* cr) const noexcept { cairo_destroy(cr); }
};

std::string At(const Block& block)
{
    return "line " + std::to_string(block.line) + ": ";
}

} // namespace

std::string PictureKey(const Block& block)
{
    std::string key = block.path;
    if (block.cropped)
        for (int c : block.crop)
            key += ' ' + std::to_string(c);
    return key;
}

Picture LoadPicture(const Block& block, const std::filesystem::path& folder, std::string& error)
{
    const std::filesystem::path file = folder / block.path;
    Surface whole(cairo_image_surface_create_from_png(file.c_str()));
    const cairo_status_t status = cairo_surface_status(whole.get());
    if (status != CAIRO_STATUS_SUCCESS) {
        error = At(block) + "cannot read picture " + file.string() + ": " + cairo_status_to_string(status);
        return {};
    }
    const int width = cairo_image_surface_get_width(whole.get());
    const int height = cairo_image_surface_get_height(whole.get());
    if (width <= 0 || height <= 0) {
        error = At(block) + "empty picture " + file.string();
        return {};
    }
    if (!block.cropped)
        return Picture{std::move(whole), width, height};

    const int* c = block.crop;
    if (c[0] + c[2] > width || c[1] + c[3] > height) {
        error = At(block) + "the part lies outside " + file.string() + " (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
        return {};
    }
    // The part copied, so that the page holds a plain image.
    Surface part(cairo_image_surface_create(cairo_image_surface_get_format(whole.get()), c[2], c[3]));
    const std::unique_ptr<cairo_t, ContextRelease> cr(cairo_create(part.get()));
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), whole.get(), -c[0], -c[1]);
    cairo_paint(cr.get());
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS || cairo_surface_status(part.get()) != CAIRO_STATUS_SUCCESS) {
        error = At(block) + "cannot copy the part of " + file.string();
        return {};
    }
    cairo_surface_flush(part.get());
    return Picture{std::move(part), c[2], c[3]};
}

} // namespace guide
