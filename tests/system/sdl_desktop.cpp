// The desktop seen from a window: display bounds, bringing a minimised window back to the front,
// and a window icon from PNG bytes that may be damaged.
#include "platform/sdl/Desktop.h"

#include "SdlWindowSupport.h"

#include <gtest/gtest.h>

#include <SDL.h>

using namespace platform::sdl;

namespace {

// A 2x2 opaque red RGBA image.
const uint8_t kPng[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44,
                        0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72,
                        0xB6, 0x0D, 0x24, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8,
                        0xCF, 0xC0, 0xF0, 0x1F, 0x84, 0x19, 0x60, 0x0C, 0x00, 0x47, 0xCA, 0x07, 0xF9, 0x67, 0x59,
                        0x6E, 0xB7, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

using DesktopTest = sdltest::WindowTest;

TEST_F(DesktopTest, UsableBoundsExistOnlyForRealDisplays)
{
    const std::optional<Rect> primary = DisplayUsableBounds(0);
    ASSERT_TRUE(primary.has_value());
    EXPECT_GT(primary->width, 0);
    EXPECT_GT(primary->height, 0);
    EXPECT_EQ(DisplayUsableBounds(-1), std::nullopt);
    EXPECT_EQ(DisplayUsableBounds(SDL_GetNumVideoDisplays()), std::nullopt);
}

TEST_F(DesktopTest, IconFromPngBytesRefusesDamagedImages)
{
    EXPECT_TRUE(SetWindowIconFromPng(*window, kPng, sizeof kPng));
    EXPECT_FALSE(SetWindowIconFromPng(*window, kPng, 40)); // cut inside the image data
    const uint8_t notPng[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    EXPECT_FALSE(SetWindowIconFromPng(*window, notPng, sizeof notPng));
    EXPECT_FALSE(SetWindowIconFromPng(*window, nullptr, 0));
}

TEST_F(DesktopTest, BringToFrontRestoresAMinimisedWindow)
{
    window->Show();
    SDL_MinimizeWindow(window->Handle());
    SDL_PumpEvents();
    BringToFront(*window);
    SDL_PumpEvents();
    EXPECT_EQ(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_MINIMIZED, 0u);
    EXPECT_TRUE(window->IsVisible());
}

TEST_F(DesktopTest, AHandedOverCommandLineReachesTheWindowOnlyWhileItTakesInput)
{
    SDL_MinimizeWindow(window->Handle());
    SDL_PumpEvents();
    EXPECT_TRUE(DeliverCommandLine(*window, "lumo \"a b\".Lumo25PresetEditor"));
    EXPECT_EQ(SDL_GetWindowFlags(window->Handle()) & SDL_WINDOW_MINIMIZED, 0u);
    const auto lines = sink.Of(WindowEventKind::CommandLine);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "lumo \"a b\".Lumo25PresetEditor");

    EXPECT_FALSE(DeliverCommandLine(*window, std::string_view("\xFF\xFE", 2))); // not UTF-8
    window->SetInputEnabled(false);                                             // a modal dialog is open
    EXPECT_FALSE(DeliverCommandLine(*window, "again"));
    EXPECT_EQ(sink.Of(WindowEventKind::CommandLine).size(), 1u);
}

} // namespace
