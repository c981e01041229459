// The artwork generator as the build runs it: every image at the scale asked for, and a clear
// refusal of a scale or folder it cannot use.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

// Runs the generator with the arguments; its exit status and what it wrote to standard error.
int RunArt(const std::string& arguments, std::string& errors)
{
    const fs::path log = fs::temp_directory_path() / "skin_art_errors.txt";
    const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 '") + KX_SKIN_ART_TOOL + "' " + arguments +
                                " 2> '" + log.string() + "'";
    const int status = std::system(command.c_str());
    std::ifstream in(log);
    errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Width and height from a PNG file's header; zeros when it is not one.
std::pair<uint32_t, uint32_t> PngSize(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() != 24 || header[1] != 'P' || header[2] != 'N' || header[3] != 'G')
        return {0, 0};
    auto be = [&](int at) {
        return (uint32_t(header[at]) << 24) | (uint32_t(header[at + 1]) << 16) | (uint32_t(header[at + 2]) << 8) |
               header[at + 3];
    };
    return {be(16), be(20)};
}

class ArtworkGenerator : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("skin_art_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

} // namespace

TEST_F(ArtworkGenerator, DrawsEveryImageAtTheScaleAskedFor)
{
    std::string errors;
    ASSERT_EQ(RunArt("'" + folder.string() + "' 2", errors), 0) << errors;
    // The skin's parts give each image's size at scale 1.
    const struct {
        const char* name;
        uint32_t width, height;
    } images[] = {{"body", 1056, 400},       {"knob", 57, 64},         {"fader", 44, 124},
                  {"pad", 48, 48},           {"push_button", 40, 64},  {"keybed", 960, 102},
                  {"wheel", 44, 152},        {"xy_surface", 184, 184}, {"pedal_sustain", 96, 164},
                  {"pedal_volume", 96, 164}, {"arrow_down", 10, 6},    {"arrow_up", 10, 6},
                  {"check", 12, 12},         {"product_logo", 96, 96}, {"tarvel_logo", 132, 32},
                  {"app_icon", 64, 64},      {"switch_on", 28, 28}};
    int count = 0;
    for (const auto& image : images) {
        const auto [w, h] = PngSize(folder / (std::string(image.name) + ".png"));
        EXPECT_EQ(w, image.width * 2) << image.name;
        EXPECT_EQ(h, image.height * 2) << image.name;
    }
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(name, lower) << "the skin lower-cases image paths";
        ++count;
    }
    EXPECT_EQ(count, static_cast<int>(std::size(images))) << "an image the skin does not know of";
}

TEST_F(ArtworkGenerator, RefusesAScaleOrFolderItCannotUse)
{
    std::string errors;
    EXPECT_EQ(RunArt("'" + folder.string() + "' 0.1", errors), 2);
    EXPECT_NE(errors.find("scale"), std::string::npos) << errors;
    EXPECT_EQ(RunArt("'" + folder.string() + "' 2x", errors), 2);
    EXPECT_NE(errors.find("2x"), std::string::npos) << errors;
    EXPECT_TRUE(fs::is_empty(folder)) << "nothing is drawn for a refused scale";
    EXPECT_EQ(RunArt("", errors), 2);
    EXPECT_NE(errors.find("usage"), std::string::npos) << errors;
    EXPECT_EQ(RunArt("'" + (folder / "missing").string() + "'", errors), 1);
    EXPECT_NE(errors.find("cannot write"), std::string::npos) << errors;
}
