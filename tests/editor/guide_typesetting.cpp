// The user guide's typesetter: its markup reader, the word wrapping at the page width, and the
// tool as the build runs it (a PDF on success; a clear error, no file and an older file kept on
// bad input).
#include "GuideMarkup.h"
#include "GuidePictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A proportional measure: narrow and wide letters differ, as in the real font.
double Proportional(std::string_view text)
{
    double width = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = std::max<size_t>(1, guide::Utf8SequenceLength(text, i));
        const char c = text[i];
        width += length > 1 ? 9 : (c == 'i' || c == 'l' || c == '.' || c == ' ') ? 3 : (c >= 'A' && c <= 'Z') ? 8 : 6;
        i += length;
    }
    return width;
}

std::vector<std::string> Words(std::string_view text)
{
    std::vector<std::string> words;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the typesetter; its exit status and what it wrote to standard error.
int RunGuidePdf(const std::string& arguments, std::string& errors)
{
    const fs::path log = fs::temp_directory_path() / ("guide_pdf_errors_" + std::to_string(::getpid()) + ".txt");
    const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 '") + KX_GUIDE_PDF_TOOL + "' " + arguments +
                                " 2> '" + log.string() + "'";
    const int status = std::system(command.c_str());
    errors = ReadFile(log);
    fs::remove(log);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(GuideWrap, EveryParagraphOfTheGuideKeepsEachWordAndFitsTheWidth)
{
    const guide::ParseResult parsed = guide::Parse(ReadFile(KX_GUIDE_SOURCE));
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    size_t paragraphs = 0;
    for (const guide::Block& block : parsed.blocks) {
        if (block.text.empty())
            continue;
        // A column as narrow as a table cell, and a whole text line.
        for (const double width : {120.0, 471.0}) {
            const std::vector<std::string> lines = guide::Wrap(block.text, width, Proportional);
            std::vector<std::string> pieces;
            for (const std::string& line : lines) {
                EXPECT_LE(Proportional(line), width) << line;
                for (std::string& word : Words(line))
                    pieces.push_back(word);
            }
            // The words come back in order: whole when they fit, else as pieces cut only at the end
            // of a line.
            size_t next = 0;
            for (const std::string& word : Words(block.text)) {
                std::string found = next < pieces.size() ? pieces[next++] : "";
                while (Proportional(word) > width && found.size() < word.size() && next < pieces.size())
                    found += pieces[next++];
                EXPECT_EQ(found, word) << "line " << block.line << ", width " << width;
            }
            EXPECT_EQ(next, pieces.size()) << "line " << block.line;
        }
        ++paragraphs;
    }
    EXPECT_GT(paragraphs, 50u);

    // A line exactly as wide as the width still fits; one unit less breaks it.
    EXPECT_EQ(guide::Wrap("aaa bbb", Proportional("aaa bbb"), Proportional).size(), 1u);
    EXPECT_EQ(guide::Wrap("aaa bbb", Proportional("aaa bbb") - 1, Proportional).size(), 2u);
    EXPECT_TRUE(guide::Wrap("   ", 100, Proportional).empty());
}

TEST(GuideWrap, AWordWiderThanTheLineIsCutBetweenCharactersAndLosesNone)
{
    const std::string word = "/usr/lib/lumo25-preset-editor/Lumo-25-Preset-Editor-User-Guide-v1.0.pdf";
    const std::vector<std::string> lines = guide::Wrap("see " + word + " here", 60, Proportional);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "see");
    std::string pieces;
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_LE(Proportional(lines[i]), 60) << lines[i];
        pieces += lines[i];
    }
    // The last piece may share its line with the next word.
    EXPECT_EQ(pieces, word + " here");

    // Two-byte characters are never split, and a character wider than the line still advances.
    const std::vector<std::string> umlauts = guide::Wrap("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4", 5, Proportional);
    ASSERT_EQ(umlauts.size(), 4u);
    for (const std::string& line : umlauts)
        EXPECT_EQ(guide::Utf8SequenceLength(line, 0), 2u) << "a cut inside a character";
}

TEST(GuideMarkup, ReadsEachKindOfBlockAndRefusesBrokenLinesWithTheirNumber)
{
    const guide::ParseResult parsed = guide::Parse("%% a note\n"
                                                   "# The Title\n"
                                                   "First line\n"
                                                   "second line.\n"
                                                   "\n"
                                                   "## Heading\n"
                                                   "- item one\n"
                                                   "  goes on\n"
                                                   "- item two\n"
                                                   "| Page | Meaning |\n"
                                                   "|---|---|\n"
                                                   "| NOTE | a note \t|\n"
                                                   "![A picture](images/a.png 0 440 1200 290)\n"
                                                   "---\r\n"
                                                   "### Sub\n");
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    ASSERT_EQ(parsed.blocks.size(), 9u);
    EXPECT_EQ(parsed.blocks[0].kind, guide::BlockKind::Title);
    EXPECT_EQ(parsed.blocks[1].text, "First line second line.");
    EXPECT_EQ(parsed.blocks[3].text, "item one goes on");
    EXPECT_EQ(parsed.blocks[4].text, "item two");
    const guide::Block& table = parsed.blocks[5];
    EXPECT_TRUE(table.header);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1], (std::vector<std::string>{"NOTE", "a note"}));
    const guide::Block& image = parsed.blocks[6];
    EXPECT_EQ(image.path, "images/a.png");
    EXPECT_EQ(image.text, "A picture");
    EXPECT_TRUE(image.cropped);
    EXPECT_EQ(image.crop[1], 440);
    EXPECT_EQ(image.line, 13);
    EXPECT_EQ(parsed.blocks[7].kind, guide::BlockKind::PageBreak);

    const struct {
        const char* source;
        const char* error;
    } broken[] = {
        {"ok\n![caption](images/a.png\n", "line 2: a picture is written"},
        {"![caption]()\n", "line 1: a picture without its file"},
        {"![c](a.png 1 2 3)\n", "line 1: a picture's part"},
        {"![c](a.png 1 2 0 4)\n", "line 1: a picture's part"},
        {"| a | b |\n| c |\n", "line 2: this row has 1 cells"},
        {"| a | b\n", "line 1: a table row ends"},
        {"text\n\xC3(\n", "line 2: the text is not UTF-8"},
        {"\xED\xA0\x80\n", "line 1: the text is not UTF-8"},
        {"a\x01z\n", "line 1: a control character"},
    };
    for (const auto& b : broken) {
        const guide::ParseResult result = guide::Parse(b.source);
        EXPECT_EQ(result.error.rfind(b.error, 0), 0u) << b.source << " gave: " << result.error;
    }
}

class GuideTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("guide_pdf_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "images");
        fs::copy_file(fs::path(KX_GUIDE_SOURCE).parent_path() / "images" / "dialog_get_preset.png",
                      folder / "images" / "shown.png");
    }
    void TearDown() override { fs::remove_all(folder); }

    void Write(const std::string& name, const std::string& text) { std::ofstream(folder / name) << text; }

    fs::path folder;
};

TEST_F(GuideTool, WritesAPdfAndRefusesAMissingPictureWithoutTouchingTheOldFile)
{
    Write("good.txt", "# Guide\n\nSome text.\n\n![Shown](images/shown.png 0 0 100 50)\n");
    std::string errors;
    const fs::path pdf = folder / "Guide v1.0.pdf";
    ASSERT_EQ(RunGuidePdf("'" + (folder / "good.txt").string() + "' '" + pdf.string() + "'", errors), 0) << errors;
    const std::string written = ReadFile(pdf);
    EXPECT_EQ(written.substr(0, 5), "%PDF-");
    EXPECT_NE(written.find("%%EOF"), std::string::npos) << "a complete file";

    Write("missing.txt", "# Guide\n\ntext\n\n![Gone](images/gone.png)\n");
    EXPECT_EQ(RunGuidePdf("'" + (folder / "missing.txt").string() + "' '" + pdf.string() + "'", errors), 1);
    EXPECT_NE(errors.find("line 5"), std::string::npos) << errors;
    EXPECT_NE(errors.find("images/gone.png"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile(pdf), written) << "the earlier guide stays as it was";

    // A part outside the picture, a broken line, an unreadable source: an error, and no new file.
    const fs::path fresh = folder / "fresh.pdf";
    Write("outside.txt", "![Shown](images/shown.png 300 0 200 10)\n");
    EXPECT_EQ(RunGuidePdf("'" + (folder / "outside.txt").string() + "' '" + fresh.string() + "'", errors), 1);
    EXPECT_NE(errors.find("outside"), std::string::npos) << errors;
    Write("broken.txt", "| a | b |\n| c |\n");
    EXPECT_EQ(RunGuidePdf("'" + (folder / "broken.txt").string() + "' '" + fresh.string() + "'", errors), 1);
    EXPECT_NE(errors.find("broken.txt: line 2"), std::string::npos) << errors;
    EXPECT_EQ(RunGuidePdf("'" + (folder / "absent.txt").string() + "' '" + fresh.string() + "'", errors), 1);
    EXPECT_NE(errors.find("cannot read"), std::string::npos) << errors;
    EXPECT_EQ(
        RunGuidePdf("'" + (folder / "good.txt").string() + "' '" + (folder / "no" / "x.pdf").string() + "'", errors),
        1);
    EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().extension(), ".part") << "a temporary file was left behind";
    EXPECT_FALSE(fs::exists(fresh));
}

// Cairo's PDF page reads every picture's pixels only when the page is emitted, and reads a view
// into another surface as if it were a whole image: a part must reach it as an image of its own.
TEST_F(GuideTool, APictureShownInPartIsAnImageOfItsOwnHoldingThatPart)
{
    const guide::ParseResult parsed = guide::Parse("![Part](images/shown.png 30 20 100 50)\n");
    ASSERT_EQ(parsed.blocks.size(), 1u) << parsed.error;
    std::string error;
    const guide::Picture part = guide::LoadPicture(parsed.blocks[0], folder, error);
    ASSERT_TRUE(part.surface) << error;
    EXPECT_EQ(part.width, 100);
    EXPECT_EQ(part.height, 50);
    cairo_surface_t* image = part.surface.get();
    ASSERT_NE(cairo_image_surface_get_data(image), nullptr) << "not an image surface";
    ASSERT_EQ(cairo_image_surface_get_width(image), 100);
    ASSERT_EQ(cairo_image_surface_get_height(image), 50);

    const guide::Surface whole(cairo_image_surface_create_from_png((folder / "images" / "shown.png").c_str()));
    ASSERT_EQ(cairo_image_surface_get_format(image), cairo_image_surface_get_format(whole.get()));
    const unsigned char* from = cairo_image_surface_get_data(whole.get());
    const unsigned char* to = cairo_image_surface_get_data(image);
    const int fromStride = cairo_image_surface_get_stride(whole.get());
    const int toStride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < 50; ++y)
        ASSERT_EQ(std::memcmp(from + (y + 20) * fromStride + 30 * 4, to + y * toStride, 100 * 4), 0) << "row " << y;
}

TEST(GuideBuild, TheGuideLiesBesideTheProgramUnderTheNameItOpens)
{
    const fs::path pdf = KX_USER_GUIDE_PDF;
    EXPECT_EQ(pdf.parent_path(), fs::path(KX_EDITOR_PROGRAM).parent_path());
    EXPECT_EQ(pdf.filename(), "Lumo 25 Preset Editor - User Guide - v1.0.pdf");
    EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
}
