// Typesets the user guide: reads its markup source, checks every picture, lays the blocks out on
// A4 pages with page numbers and writes a PDF through Cairo in fontconfig's "sans-serif". The PDF
// is written under a temporary name and renamed into place only when complete, so a failed run
// leaves no half-written file and keeps an earlier one. Pictures are found beside the source.
//   guide_pdf <source.txt> <output.pdf> [--png <page> <file.png>]
// --png also draws one page (from 1) as a PNG, for looking at the result without a PDF viewer.
#include "GuideMarkup.h"
#include "GuidePictures.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using guide::Block;
using guide::BlockKind;
using guide::Picture;
using guide::PictureKey;

// A4 in points, and the text area.
constexpr double kPageWidth = 595.28;
constexpr double kPageHeight = 841.89;
constexpr double kLeft = 62;
constexpr double kRight = kPageWidth - 62;
constexpr double kTop = 64;
constexpr double kBottom = kPageHeight - 72;
constexpr double kTextWidth = kRight - kLeft;
constexpr double kBulletIndent = 16;
constexpr double kPictureMaxHeight = 330;
constexpr double kPreviewScale = 1.5;
constexpr const char* kFooter = "Lumo 25 Preset Editor \xE2\x80\x94 User Guide";

struct Style {
    double size;
    bool bold;
    bool italic;
    double leading; // from one baseline to the next
    double grey;    // 0 black .. 1 white
};

constexpr Style kTitle{22, true, false, 28, 0.08};
constexpr Style kHeading{15, true, false, 20, 0.12};
constexpr Style kSubheading{11.5, true, false, 16, 0.15};
constexpr Style kBody{10, false, false, 14.5, 0.1};
constexpr Style kTableBody{9.5, false, false, 13, 0.1};
constexpr Style kTableHead{9.5, true, false, 13, 0.1};
constexpr Style kCaption{8.5, false, true, 12, 0.35};
constexpr Style kFooterStyle{8, false, false, 10, 0.4};

void Use(cairo_t* cr, const Style& style)
{
    cairo_select_font_face(cr, "sans-serif", style.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
    cairo_set_source_rgb(cr, style.grey, style.grey, style.grey);
}

struct ContextRelease {
    void operator()(cairo_t* cr) const noexcept { cairo_destroy(cr); }
};
using Context = std::unique_ptr<cairo_t, ContextRelease>;

// Lays the blocks out page by page. Measuring always goes through one unhinted context, so a
// counting run and a drawing run break the pages alike. begin(page) gives the context to draw
// that page on, or null to only lay it out; end(page) closes it.
class Typesetter {
public:
    Typesetter(cairo_t* measure, std::function<cairo_t*(int)> begin, std::function<void(int)> end, int pages)
        : m_measure(measure), m_begin(std::move(begin)), m_end(std::move(end)), m_total(pages)
    {
    }

    int Run(const std::vector<Block>& blocks, const std::map<std::string, Picture>& pictures)
    {
        StartPage();
        for (size_t i = 0; i < blocks.size(); ++i) {
            const Block& block = blocks[i];
            // What must fit below a heading, or a paragraph that introduces what follows.
            const double next = i + 1 < blocks.size() ? LeadHeight(blocks[i + 1], pictures) : 0;
            if (i > 0 && blocks[i - 1].kind == BlockKind::Bullet && block.kind != BlockKind::Bullet)
                m_y += 5; // a list ends with a little room
            switch (block.kind) {
            case BlockKind::Title:
                Lines(kTitle, kLeft, kTextWidth, block.text, 0);
                m_y += 8;
                break;
            case BlockKind::Heading:
                if (m_y > kTop)
                    m_y += 14;
                Keep(kHeading.leading + 6 + next);
                Lines(kHeading, kLeft, kTextWidth, block.text, 0);
                Rule(m_y - 2, 0.75);
                m_y += 6;
                break;
            case BlockKind::Subheading:
                if (m_y > kTop)
                    m_y += 8;
                Keep(kSubheading.leading + 2 + next);
                Lines(kSubheading, kLeft, kTextWidth, block.text, 0);
                m_y += 2;
                break;
            case BlockKind::Paragraph:
                if (!block.text.empty() && block.text.back() == ':')
                    Keep(static_cast<double>(WrapIn(kBody, block.text, kTextWidth).size()) * kBody.leading + 7 + next);
                Lines(kBody, kLeft, kTextWidth, block.text, 0);
                m_y += 7;
                break;
            case BlockKind::Bullet:
                Lines(kBody, kLeft + kBulletIndent, kTextWidth - kBulletIndent, block.text, kLeft + 5);
                m_y += 3;
                break;
            case BlockKind::Image: Image(block, pictures.at(PictureKey(block))); break;
            case BlockKind::Table:
                Table(block);
                m_y += 8;
                break;
            case BlockKind::PageBreak:
                if (m_y > kTop)
                    NextPage();
                break;
            }
        }
        EndPage();
        return m_page;
    }

private:
    // A picture's size on the page: the text width at most, no wider than 96 dpi would draw it.
    static void PictureSize(const Picture& picture, double& width, double& height)
    {
        width = std::min(kTextWidth, picture.width * 0.75);
        height = picture.height * width / picture.width;
        if (height > kPictureMaxHeight) {
            width *= kPictureMaxHeight / height;
            height = kPictureMaxHeight;
        }
    }

    // The height of the start of a block that must not be parted from what comes before it.
    double LeadHeight(const Block& block, const std::map<std::string, Picture>& pictures) const
    {
        switch (block.kind) {
        case BlockKind::Image: {
            double width = 0, height = 0;
            PictureSize(pictures.at(PictureKey(block)), width, height);
            return height + 6 + (block.text.empty() ? 0 : kCaption.leading);
        }
        case BlockKind::Table: return 2 * (kTableBody.leading + 8);
        case BlockKind::PageBreak: return 0;
        case BlockKind::Title:
        case BlockKind::Heading:
        case BlockKind::Subheading: return kHeading.leading + 14 + 2 * kBody.leading;
        default: return 2 * kBody.leading;
        }
    }

    double Width(const Style& style, std::string_view text) const
    {
        Use(m_measure, style);
        cairo_text_extents_t extents;
        cairo_text_extents(m_measure, std::string(text).c_str(), &extents);
        return extents.x_advance;
    }

    std::vector<std::string> WrapIn(const Style& style, std::string_view text, double width) const
    {
        return guide::Wrap(text, width, [&](std::string_view piece) { return Width(style, piece); });
    }

    void Show(const Style& style, double x, double baseline, const std::string& text)
    {
        if (!m_cr)
            return;
        Use(m_cr, style);
        cairo_move_to(m_cr, x, baseline);
        cairo_show_text(m_cr, text.c_str());
    }

    void Rule(double y, double width)
    {
        if (!m_cr)
            return;
        cairo_set_source_rgb(m_cr, 0.7, 0.72, 0.75);
        cairo_set_line_width(m_cr, width);
        cairo_move_to(m_cr, kLeft, y);
        cairo_line_to(m_cr, kRight, y);
        cairo_stroke(m_cr);
    }

    // Wrapped lines from the current position; a bullet mark at markX when it is not 0.
    void Lines(const Style& style, double x, double width, const std::string& text, double markX)
    {
        const std::vector<std::string> lines = WrapIn(style, text, width);
        for (size_t i = 0; i < lines.size(); ++i) {
            Keep(style.leading);
            const double baseline = m_y + style.size;
            if (i == 0 && markX > 0)
                Show(style, markX, baseline, "\xE2\x80\xA2");
            Show(style, x, baseline, lines[i]);
            m_y += style.leading;
        }
    }

    void Image(const Block& block, const Picture& picture)
    {
        double width = 0, height = 0;
        PictureSize(picture, width, height);
        const double captionHeight = block.text.empty() ? 0 : kCaption.leading * 2;
        Keep(height + 6 + captionHeight);
        const double x = kLeft + (kTextWidth - width) / 2;
        if (m_cr) {
            cairo_save(m_cr);
            cairo_translate(m_cr, x, m_y);
            cairo_scale(m_cr, width / picture.width, height / picture.height);
            cairo_set_source_surface(m_cr, picture.surface.get(), 0, 0);
            cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_GOOD);
            cairo_paint(m_cr);
            cairo_restore(m_cr);
            cairo_set_source_rgb(m_cr, 0.75, 0.76, 0.78);
            cairo_set_line_width(m_cr, 0.5);
            cairo_rectangle(m_cr, x, m_y, width, height);
            cairo_stroke(m_cr);
        }
        m_y += height + 6;
        if (!block.text.empty()) {
            for (const std::string& line : WrapIn(kCaption, block.text, kTextWidth)) {
                Keep(kCaption.leading);
                Show(kCaption, kLeft + (kTextWidth - Width(kCaption, line)) / 2, m_y + kCaption.size, line);
                m_y += kCaption.leading;
            }
        }
        m_y += 10;
    }

    // Columns: the first as wide as its longest cell up to a third of the text width, the rest
    // share what is left. A row never splits; a header repeats on a new page.
    void Table(const Block& table)
    {
        const size_t columns = table.rows.front().size();
        constexpr double kPad = 4;
        std::vector<double> widths(columns, 0);
        if (columns == 1) {
            widths[0] = kTextWidth;
        } else {
            double first = 0;
            for (size_t r = 0; r < table.rows.size(); ++r)
                first = std::max(first, Width(r == 0 && table.header ? kTableHead : kTableBody, table.rows[r][0]));
            widths[0] = std::min(first + 2 * kPad + 2, kTextWidth / 3);
            for (size_t c = 1; c < columns; ++c)
                widths[c] = (kTextWidth - widths[0]) / static_cast<double>(columns - 1);
        }
        auto height = [&](size_t r, bool head, std::vector<std::vector<std::string>>& cells) {
            const Style& style = head ? kTableHead : kTableBody;
            size_t lines = 1;
            cells.clear();
            for (size_t c = 0; c < columns; ++c) {
                cells.push_back(WrapIn(style, table.rows[r][c], widths[c] - 2 * kPad));
                lines = std::max(lines, cells.back().size());
            }
            return static_cast<double>(lines) * style.leading + 2 * kPad;
        };
        auto draw = [&](bool head, const std::vector<std::vector<std::string>>& cells, double h) {
            const Style& style = head ? kTableHead : kTableBody;
            if (m_cr && head) {
                cairo_set_source_rgb(m_cr, 0.91, 0.92, 0.94);
                cairo_rectangle(m_cr, kLeft, m_y, kTextWidth, h);
                cairo_fill(m_cr);
            }
            double x = kLeft;
            for (size_t c = 0; c < columns; ++c) {
                for (size_t l = 0; l < cells[c].size(); ++l)
                    Show(style, x + kPad, m_y + kPad + style.size + static_cast<double>(l) * style.leading,
                         cells[c][l]);
                x += widths[c];
            }
            m_y += h;
            Rule(m_y, 0.4);
        };
        std::vector<std::vector<std::string>> headCells, cells;
        const double headHeight = table.header ? height(0, true, headCells) : 0;
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const bool head = r == 0 && table.header;
            const double h = head ? headHeight : height(r, false, cells);
            // The header stays with the first row; a row that opens a page gets the header again.
            if (Keep(head ? h + kTableBody.leading + 2 * kPad : h) && table.header && !head)
                draw(true, headCells, headHeight);
            draw(head, head ? headCells : cells, h);
        }
    }

    // Starts a new page unless height still fits; true when it did.
    bool Keep(double height)
    {
        if (m_y + height <= kBottom || m_y <= kTop)
            return false;
        NextPage();
        return true;
    }

    void StartPage()
    {
        ++m_page;
        m_y = kTop;
        m_cr = m_begin(m_page);
    }

    void EndPage()
    {
        if (m_cr) {
            const std::string number = "Page " + std::to_string(m_page) + " of " + std::to_string(m_total);
            const double baseline = kPageHeight - 40;
            Show(kFooterStyle, kLeft, baseline, kFooter);
            Show(kFooterStyle, kRight - Width(kFooterStyle, number), baseline, number);
        }
        m_end(m_page);
        m_cr = nullptr;
    }

    void NextPage()
    {
        EndPage();
        StartPage();
    }

    cairo_t* m_measure;
    std::function<cairo_t*(int)> m_begin;
    std::function<void(int)> m_end;
    int m_total;
    int m_page = 0;
    double m_y = kTop;
    cairo_t* m_cr = nullptr;
};

int Fail(const std::string& message, int status = 1)
{
    std::cerr << "guide_pdf: " << message << '\n';
    return status;
}

constexpr const char* kUsage = "usage: guide_pdf <source.txt> <output.pdf> [--png <page> <file.png>]";

// Writes through a temporary name; the target appears only when the writer succeeded.
bool WriteAtomically(const fs::path& target, const std::function<bool(const std::string&)>& write, std::string& error)
{
    const fs::path part = target.string() + ".part";
    std::error_code ignored;
    fs::remove(part, ignored);
    if (!write(part.string())) {
        fs::remove(part, ignored);
        error = "cannot write " + target.string();
        return false;
    }
    if (std::rename(part.c_str(), target.c_str()) != 0) {
        error = "cannot rename " + part.string() + " to " + target.string() + ": " + std::strerror(errno);
        fs::remove(part, ignored);
        return false;
    }
    return true;
}

// Reads and parses the source; false with the error when it cannot be read, is broken or is empty.
bool ReadSource(const fs::path& source, guide::ParseResult& parsed, std::string& error)
{
    std::ifstream in(source, std::ios::binary);
    std::stringstream text;
    if (!in || !(text << in.rdbuf())) {
        error = "cannot read " + source.string() + ": " + std::strerror(errno);
        return false;
    }
    parsed = guide::Parse(text.str());
    if (!parsed.error.empty()) {
        error = source.string() + ": " + parsed.error;
        return false;
    }
    if (parsed.blocks.empty()) {
        error = source.string() + ": the source has no text";
        return false;
    }
    return true;
}

// Every picture must load before anything is written. They outlive every page drawn with them.
bool LoadPictures(const std::vector<Block>& blocks, const fs::path& source, std::map<std::string, Picture>& pictures,
                  std::string& error)
{
    for (const Block& block : blocks) {
        if (block.kind != BlockKind::Image || pictures.count(PictureKey(block)))
            continue;
        std::string failure;
        Picture picture = guide::LoadPicture(block, source.parent_path(), failure);
        if (!picture.surface) {
            error = source.string() + ": " + failure;
            return false;
        }
        pictures.emplace(PictureKey(block), std::move(picture));
    }
    return true;
}

// Metrics without hinting, as the PDF has them.
void TurnOffHinting(cairo_t* measure)
{
    const std::unique_ptr<cairo_font_options_t, decltype(&cairo_font_options_destroy)> options(
        cairo_font_options_create(), &cairo_font_options_destroy);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(measure, options.get());
}

// What every pass of the typesetter reads.
struct Book {
    cairo_t* measure;
    const std::vector<Block>& blocks;
    const std::map<std::string, Picture>& pictures;
    int pages;
};

bool WritePdf(const fs::path& output, const Book& book, std::string& error)
{
    return WriteAtomically(
        output,
        [&](const std::string& path) {
            const guide::Surface pdf(cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight));
            cairo_pdf_surface_set_metadata(pdf.get(), CAIRO_PDF_METADATA_TITLE, "Lumo 25 Preset Editor - User Guide");
            Context cr(cairo_create(pdf.get()));
            cairo_t* page = cr.get();
            Typesetter(
                book.measure, [page](int) { return page; }, [page](int) { cairo_show_page(page); }, book.pages)
                .Run(book.blocks, book.pictures);
            const bool drawn = cairo_status(page) == CAIRO_STATUS_SUCCESS;
            cr.reset();
            cairo_surface_finish(pdf.get());
            return drawn && cairo_surface_status(pdf.get()) == CAIRO_STATUS_SUCCESS;
        },
        error);
}

// Draws one page (from 1) as a PNG.
void WritePreview(const fs::path& preview, int previewPage, const Book& book, std::string& error)
{
    WriteAtomically(
        preview,
        [&](const std::string& path) {
            const guide::Surface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                                  static_cast<int>(kPageWidth * kPreviewScale),
                                                                  static_cast<int>(kPageHeight * kPreviewScale)));
            const Context cr(cairo_create(image.get()));
            cairo_t* page = cr.get();
            cairo_set_source_rgb(page, 1, 1, 1);
            cairo_paint(page);
            cairo_scale(page, kPreviewScale, kPreviewScale);
            Typesetter(
                book.measure, [&](int number) { return number == previewPage ? page : nullptr; }, [](int) {},
                book.pages)
                .Run(book.blocks, book.pictures);
            return cairo_status(page) == CAIRO_STATUS_SUCCESS &&
                   cairo_surface_write_to_png(image.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
        },
        error);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 6)
        return Fail(kUsage, 2);
    const fs::path source = argv[1];
    const fs::path output = argv[2];
    int previewPage = 0;
    fs::path preview;
    if (argc == 6) {
        previewPage = std::atoi(argv[4]);
        preview = argv[5];
        if (std::string(argv[3]) != "--png" || previewPage < 1)
            return Fail(kUsage, 2);
    }

    std::string error;
    guide::ParseResult parsed;
    if (!ReadSource(source, parsed, error))
        return Fail(error);
    std::map<std::string, Picture> pictures;
    if (!LoadPictures(parsed.blocks, source, pictures, error))
        return Fail(error);

    const guide::Surface scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    const Context measure(cairo_create(scratch.get()));
    TurnOffHinting(measure.get());
    const int pages = Typesetter(
                          measure.get(), [](int) { return nullptr; }, [](int) {}, 0)
                          .Run(parsed.blocks, pictures);

    const Book book{measure.get(), parsed.blocks, pictures, pages};
    const bool written = WritePdf(output, book, error);
    if (written && !preview.empty())
        WritePreview(preview, previewPage, book, error);
    if (!error.empty())
        return Fail(error);
    std::cout << output.string() << ": " << pages << " pages\n";
    return 0;
}
