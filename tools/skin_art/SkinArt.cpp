// Draws the editor skin's bitmaps (knobs, fader caps, pads, keys, wheels, the XY surface, the
// pedals, the device body, small glyphs and the logos) with Cairo and writes them as lower-case
// PNG files. Every size and colour is a parameter below; the scale argument redraws the set at
// another size.
//   skin_art <output folder> [scale]
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

// Straight ARGB colours of the editor's palette.
namespace palette {
constexpr uint32_t kBodyTop = 0xFF24272B;
constexpr uint32_t kBodyBottom = 0xFF1E2024;
constexpr uint32_t kBodyHighlight = 0x14FFFFFF;
constexpr uint32_t kBodyOutline = 0xFF0E0F11;
constexpr uint32_t kFace = 0xFF2C3035;
constexpr uint32_t kFaceHover = 0xFF353A40;
constexpr uint32_t kRecess = 0xFF1B1D20;
constexpr uint32_t kDeep = 0xFF121316;
constexpr uint32_t kPrimaryText = 0xFFE8EAED;
constexpr uint32_t kSecondaryText = 0xFF9AA3AD;
constexpr uint32_t kAccent = 0xFF3FA9F5;
constexpr uint32_t kAccentDark = 0xFF2B7CB8;
constexpr uint32_t kWhiteKey = 0xFFF1F0EC;
constexpr uint32_t kWhiteKeyEdge = 0xFFD6D4CE;
constexpr uint32_t kBlackKey = 0xFF121316;
constexpr uint32_t kBlackKeyHighlight = 0xFF2A2C30;
constexpr uint32_t kShadow = 0x66000000;
} // namespace palette

double g_scale = 1.0;
std::string g_folder;
int g_failures = 0;

void SetColor(cairo_t* cr, uint32_t argb)
{
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                          ((argb >> 24) & 0xFF) / 255.0);
}

void AddStop(cairo_pattern_t* pattern, double offset, uint32_t argb)
{
    cairo_pattern_add_color_stop_rgba(pattern, offset, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                                      (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    r = std::fmin(r, std::fmin(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// A one-pixel line along the top of a rounded rectangle (the light catching its edge).
void TopHighlight(cairo_t* cr, double x, double y, double w, double r, uint32_t argb)
{
    SetColor(cr, argb);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x + r, y + 0.5);
    cairo_line_to(cr, x + w - r, y + 0.5);
    cairo_stroke(cr);
}

// Draws one image of width x height (in unscaled units) and writes <name>.png.
void Draw(const char* name, int width, int height, const std::function<void(cairo_t*)>& paint)
{
    const int w = static_cast<int>(std::lround(width * g_scale));
    const int h = static_cast<int>(std::lround(height * g_scale));
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, g_scale, g_scale);
    paint(cr);
    cairo_destroy(cr);
    const std::string path = g_folder + "/" + name + ".png";
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "skin_art: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
        ++g_failures;
    }
    cairo_surface_destroy(surface);
}

// The device's top plate: a vertical gradient, rounded corners, a dark outline, a lit top edge.
void DrawBody(int width, int height, double radius)
{
    Draw("body", width, height, [=](cairo_t* cr) {
        RoundedRect(cr, 0.5, 0.5, width - 1, height - 1, radius);
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, height);
        AddStop(fill, 0, palette::kBodyTop);
        AddStop(fill, 1, palette::kBodyBottom);
        cairo_set_source(cr, fill);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(fill);
        SetColor(cr, palette::kBodyOutline);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        TopHighlight(cr, 1, 1, width - 2, radius, palette::kBodyHighlight);
    });
}

// An encoder tile: the number row on top, below it a dim value ring and the knob with a soft shadow
// and a short pointer at 12 o'clock; the summary is printed on the knob's cap.
void DrawKnob(int width, int height, double diameter, double centreY)
{
    Draw("knob", width, height, [=](cairo_t* cr) {
        const double c = width / 2.0, r = diameter / 2;
        SetColor(cr, palette::kFaceHover);
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, c, centreY, r + 3, M_PI * 0.75, M_PI * 2.25);
        cairo_stroke(cr);
        SetColor(cr, palette::kShadow);
        cairo_arc(cr, c, centreY + 2, r, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_t* cap = cairo_pattern_create_linear(0, centreY - r, 0, centreY + r);
        AddStop(cap, 0, 0xFF363B42);
        AddStop(cap, 1, palette::kFace);
        cairo_arc(cr, c, centreY, r, 0, 2 * M_PI);
        cairo_set_source(cr, cap);
        cairo_fill(cr);
        cairo_pattern_destroy(cap);
        SetColor(cr, 0x24FFFFFF);
        cairo_set_line_width(cr, 1);
        cairo_arc(cr, c, centreY, r - 0.5, M_PI * 1.15, M_PI * 1.85);
        cairo_stroke(cr);
        // The pointer crosses the ring at 12 o'clock, clear of the text on the cap.
        SetColor(cr, palette::kPrimaryText);
        cairo_set_line_width(cr, 2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, c, centreY - r - 5);
        cairo_line_to(cr, c, centreY - r - 1);
        cairo_stroke(cr);
    });
}

// A fader tile: the number rows on top, the summary at the bottom and between them a dark slot
// with tick marks and the cap at its middle.
void DrawFader(int width, int height, double top, double bottom, double capWidth, double capHeight)
{
    Draw("fader", width, height, [=](cairo_t* cr) {
        const double c = width / 2.0;
        SetColor(cr, palette::kSecondaryText);
        cairo_set_line_width(cr, 1);
        for (int i = 0; i <= 10; ++i) {
            const double y = std::floor(top + 4 + (bottom - top - 8) * i / 10.0) + 0.5;
            const double len = i % 5 == 0 ? 6 : 3;
            cairo_move_to(cr, c - 8 - len, y);
            cairo_line_to(cr, c - 8, y);
        }
        cairo_stroke(cr);
        RoundedRect(cr, c - 2, top, 4, bottom - top, 2);
        SetColor(cr, palette::kDeep);
        cairo_fill(cr);
        const double capY = std::floor((top + bottom - capHeight) / 2);
        SetColor(cr, palette::kShadow);
        RoundedRect(cr, c - capWidth / 2, capY + 2, capWidth, capHeight, 3);
        cairo_fill(cr);
        cairo_pattern_t* cap = cairo_pattern_create_linear(0, capY, 0, capY + capHeight);
        AddStop(cap, 0, 0xFF454B53);
        AddStop(cap, 1, 0xFF33383E);
        RoundedRect(cr, c - capWidth / 2, capY, capWidth, capHeight, 3);
        cairo_set_source(cr, cap);
        cairo_fill(cr);
        cairo_pattern_destroy(cap);
        TopHighlight(cr, c - capWidth / 2, capY, capWidth, 3, 0x30FFFFFF);
        SetColor(cr, palette::kPrimaryText);
        cairo_rectangle(cr, c - capWidth / 2 + 3, capY + capHeight / 2 - 1, capWidth - 6, 2);
        cairo_fill(cr);
    });
}

// A rubber pad or push button filling its tile: a rounded face over a recess, lit along the top;
// the tile's texts are printed on the face.
void DrawRubber(const char* name, int width, int height, double radius)
{
    Draw(name, width, height, [=](cairo_t* cr) {
        RoundedRect(cr, 0, 0, width, height, radius + 1);
        SetColor(cr, palette::kDeep);
        cairo_fill(cr);
        RoundedRect(cr, 1, 1, width - 2, height - 3, radius);
        SetColor(cr, palette::kFace);
        cairo_fill(cr);
        TopHighlight(cr, 1, 1, width - 2, radius, 0x28FFFFFF);
    });
}

// The 25-key keybed from C to C: white keys with a lighter bottom edge, black keys with a lit top.
void DrawKeybed(int whiteCount, double whiteWidth, double height, double blackWidth, double blackHeight)
{
    const int width = static_cast<int>(whiteCount * whiteWidth);
    Draw("keybed", width, static_cast<int>(height), [=](cairo_t* cr) {
        for (int i = 0; i < whiteCount; ++i) {
            const double x = i * whiteWidth;
            RoundedRect(cr, x + 0.5, -4, whiteWidth - 1, height + 3.5, 3);
            SetColor(cr, palette::kWhiteKeyEdge);
            cairo_fill(cr);
            RoundedRect(cr, x + 0.5, -4, whiteWidth - 1, height - 2, 3);
            SetColor(cr, palette::kWhiteKey);
            cairo_fill(cr);
        }
        // A black key follows every white key but E and B (positions 2 and 6 of the octave).
        for (int i = 0; i + 1 < whiteCount; ++i) {
            const int inOctave = i % 7;
            if (inOctave == 2 || inOctave == 6)
                continue;
            const double x = (i + 1) * whiteWidth - blackWidth / 2;
            RoundedRect(cr, x, -4, blackWidth, blackHeight + 4, 3);
            SetColor(cr, palette::kBlackKey);
            cairo_fill(cr);
            SetColor(cr, palette::kBlackKeyHighlight);
            cairo_rectangle(cr, x + 3, blackHeight - 8, blackWidth - 6, 4);
            cairo_fill(cr);
        }
    });
}

// A wheel tile: the name rows on top, the summary at the bottom and between them the wheel
// standing in its slot, its ribs shaded as a drum.
void DrawWheel(int width, int height, double top, double bottom, double wheelWidth)
{
    Draw("wheel", width, height, [=](cairo_t* cr) {
        const double x = (width - wheelWidth) / 2, y = top + 4, wheelHeight = bottom - top - 8;
        RoundedRect(cr, x - 4, top, wheelWidth + 8, bottom - top, 6);
        SetColor(cr, palette::kDeep);
        cairo_fill(cr);
        cairo_pattern_t* drum = cairo_pattern_create_linear(0, y, 0, y + wheelHeight);
        AddStop(drum, 0, 0xFF1B1D20);
        AddStop(drum, 0.5, 0xFF3A3F46);
        AddStop(drum, 1, 0xFF1B1D20);
        RoundedRect(cr, x, y, wheelWidth, wheelHeight, 4);
        cairo_set_source(cr, drum);
        cairo_fill(cr);
        cairo_pattern_destroy(drum);
        SetColor(cr, 0x40000000);
        cairo_set_line_width(cr, 1);
        for (double ry = y + 6; ry < y + wheelHeight - 4; ry += 6) {
            cairo_move_to(cr, x + 2, std::floor(ry) + 0.5);
            cairo_line_to(cr, x + wheelWidth - 2, std::floor(ry) + 0.5);
        }
        cairo_stroke(cr);
        SetColor(cr, palette::kPrimaryText);
        cairo_rectangle(cr, x + 3, std::floor(y + wheelHeight / 2) - 1, wheelWidth - 6, 2);
        cairo_fill(cr);
    });
}

// The XY pad: a recessed surface; its top band carries the two directions' summaries, below it
// a fine grid with a centre cross.
void DrawXYSurface(int size, double band, double grid)
{
    Draw("xy_surface", size, size, [=](cairo_t* cr) {
        RoundedRect(cr, 0.5, 0.5, size - 1, size - 1, 8);
        SetColor(cr, palette::kRecess);
        cairo_fill_preserve(cr);
        SetColor(cr, palette::kDeep);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        // The grid's lines run through the centre cross and step out from it both ways.
        const double c = std::floor(size / 2.0) + 0.5, cy = std::floor((band + size) / 2.0) + 0.5;
        SetColor(cr, 0xFF2A2E33);
        for (double p = c - std::floor((c - 1) / grid) * grid; p < size - 1; p += grid) {
            cairo_move_to(cr, std::floor(p) + 0.5, band);
            cairo_line_to(cr, std::floor(p) + 0.5, size - 4);
        }
        for (double p = cy - std::floor((cy - band) / grid) * grid; p < size - 4; p += grid) {
            cairo_move_to(cr, 4, std::floor(p) + 0.5);
            cairo_line_to(cr, size - 4, std::floor(p) + 0.5);
        }
        cairo_stroke(cr);
        SetColor(cr, palette::kFaceHover);
        cairo_move_to(cr, 4, band - 0.5);
        cairo_line_to(cr, size - 4, band - 0.5);
        cairo_stroke(cr);
        SetColor(cr, palette::kSecondaryText);
        cairo_move_to(cr, c - 6, cy);
        cairo_line_to(cr, c + 6, cy);
        cairo_move_to(cr, c, cy - 6);
        cairo_line_to(cr, c, cy + 6);
        cairo_stroke(cr);
        TopHighlight(cr, 0, 0, size, 8, 0x10FFFFFF);
    });
}

// The two pedal tiles seen from above, each with its summary in a band on top: the sustain
// footswitch and the longer volume pedal with treads.
void DrawPedals(int width, int height, double band)
{
    Draw("pedal_sustain", width, height, [=](cairo_t* cr) {
        const double w = width - 24, h = (height - band) * 0.7, x = 12, y = band + (height - band - h) / 2;
        RoundedRect(cr, x, y, w, h, 10);
        SetColor(cr, palette::kRecess);
        cairo_fill(cr);
        RoundedRect(cr, x + 6, y + 6, w - 12, h - 20, 8);
        SetColor(cr, palette::kFace);
        cairo_fill(cr);
        TopHighlight(cr, x + 6, y + 6, w - 12, 8, 0x28FFFFFF);
    });
    Draw("pedal_volume", width, height, [=](cairo_t* cr) {
        const double w = width - 20, h = height - band - 6, x = 10, y = band;
        RoundedRect(cr, x, y, w, h, 8);
        SetColor(cr, palette::kRecess);
        cairo_fill(cr);
        RoundedRect(cr, x + 5, y + 5, w - 10, h - 10, 6);
        SetColor(cr, palette::kFace);
        cairo_fill(cr);
        SetColor(cr, palette::kRecess);
        for (double ty = y + 16; ty < y + h - 12; ty += 10) {
            cairo_rectangle(cr, x + 12, ty, w - 24, 3);
        }
        cairo_fill(cr);
        TopHighlight(cr, x + 5, y + 5, w - 10, 6, 0x28FFFFFF);
    });
}

// Small glyphs: the drop-down chevrons, the menu check mark and the face of a switch that is on.
void DrawGlyphs()
{
    auto chevron = [](cairo_t* cr, double w, double h, bool up, uint32_t colour) {
        SetColor(cr, colour);
        cairo_set_line_width(cr, 1.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        const double top = up ? h - 1.5 : 1.5, bottom = up ? 1.5 : h - 1.5;
        cairo_move_to(cr, 1.5, top);
        cairo_line_to(cr, w / 2, bottom);
        cairo_line_to(cr, w - 1.5, top);
        cairo_stroke(cr);
    };
    Draw("arrow_down", 10, 6, [&](cairo_t* cr) { chevron(cr, 10, 6, false, palette::kSecondaryText); });
    Draw("arrow_up", 10, 6, [&](cairo_t* cr) { chevron(cr, 10, 6, true, palette::kSecondaryText); });
    Draw("check", 12, 12, [](cairo_t* cr) {
        SetColor(cr, palette::kAccent);
        cairo_set_line_width(cr, 2);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 2, 6.5);
        cairo_line_to(cr, 5, 9.5);
        cairo_line_to(cr, 10, 2.5);
        cairo_stroke(cr);
    });
    // "On" shows as a mark on the accent, not only as the fill.
    Draw("switch_on", 28, 28, [](cairo_t* cr) {
        SetColor(cr, palette::kAccentDark);
        cairo_paint(cr);
        cairo_rectangle(cr, 1, 1, 26, 26);
        SetColor(cr, palette::kAccent);
        cairo_fill(cr);
        SetColor(cr, palette::kRecess);
        cairo_set_line_width(cr, 3);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, 7.5, 14.5);
        cairo_line_to(cr, 12, 19);
        cairo_line_to(cr, 20.5, 9);
        cairo_stroke(cr);
    });
}

// The product mark (a key-row in a rounded square), also the window icon, and the maker's word mark.
void DrawProductMark(const char* name, int mark)
{
    Draw(name, mark, mark, [=](cairo_t* cr) {
        RoundedRect(cr, 0, 0, mark, mark, mark * 0.22);
        SetColor(cr, palette::kFace);
        cairo_fill(cr);
        const double keyW = mark * 0.14, gap = mark * 0.04, top = mark * 0.24, h = mark * 0.52;
        const double x0 = (mark - (5 * keyW + 4 * gap)) / 2;
        for (int i = 0; i < 5; ++i) {
            RoundedRect(cr, x0 + i * (keyW + gap), top, keyW, h, 2);
            SetColor(cr, i == 2 ? palette::kAccent : palette::kWhiteKey);
            cairo_fill(cr);
        }
    });
}

void DrawWordMark(int wordWidth, int wordHeight)
{
    Draw("tarvel_logo", wordWidth, wordHeight, [=](cairo_t* cr) {
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        const double size = wordHeight * 0.6;
        cairo_set_font_size(cr, size);
        SetColor(cr, palette::kSecondaryText);
        const char* letters = "TARVEL";
        double x = 0;
        for (const char* p = letters; *p; ++p) {
            const char glyph[2] = {*p, 0};
            cairo_text_extents_t extents;
            cairo_text_extents(cr, glyph, &extents);
            cairo_move_to(cr, x, wordHeight * 0.75);
            cairo_show_text(cr, glyph);
            x += extents.x_advance + size * 0.28;
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: skin_art <output folder> [scale]\n");
        return 2;
    }
    g_folder = argv[1];
    if (argc == 3) {
        char* end = nullptr;
        g_scale = std::strtod(argv[2], &end);
        if (end == argv[2] || *end != '\0' || !(g_scale >= 0.25 && g_scale <= 8.0)) {
            std::fprintf(stderr, "skin_art: the scale must be a number from 0.25 to 8, not \"%s\"\n", argv[2]);
            return 2;
        }
    }
    DrawBody(1056, 400, 14);
    // Each control's picture is drawn at its tile's size, leaving room for the tile's texts.
    DrawKnob(57, 64, 44, 40);
    DrawFader(44, 124, 28, 94, 28, 14);
    DrawRubber("pad", 48, 48, 5);
    DrawRubber("push_button", 40, 64, 4);
    DrawKeybed(15, 64, 102, 38, 62);
    DrawWheel(44, 152, 28, 122, 24);
    DrawXYSurface(184, 60, 23);
    DrawPedals(96, 164, 44);
    DrawGlyphs();
    DrawProductMark("product_logo", 96);
    DrawProductMark("app_icon", 64);
    DrawWordMark(132, 32);
    return g_failures == 0 ? 0 : 1;
}
