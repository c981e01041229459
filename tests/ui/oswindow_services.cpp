// The window services over the SDL window: title, client rectangle and coordinates, the
// process-wide cursor, pointer state while captured, and off-screen tracking on moves.
#include "OSWindowFakes.h"

using namespace KX;

using OSWindowServices = oswtest::OSWindowTest;

TEST_F(OSWindowServices, TitleClientRectAndCoordinates)
{
    ASSERT_EQ(window->SetTitle(WString(u"Lumo \u00E9dit")), S_OK);
    EXPECT_EQ(window->GetPlatformWindow().Title(), "Lumo \xC3\xA9"
                                                   "dit");
    RectT<int32_t> client{9, 9, 9, 9};
    EXPECT_EQ(window->GetClientRect(client), S_OK);
    EXPECT_EQ(client, (RectT<int32_t>{0, 0, kW, kH}));
    ASSERT_EQ(window->SetClientRect({60, 70, 200, 100}), S_OK);
    window->GetClientRect(client);
    EXPECT_EQ(client, (RectT<int32_t>{0, 0, 200, 100}));
    const PointT<int32_t> screen = window->ClientToScreen({5, 6});
    EXPECT_EQ(screen, (PointT<int32_t>{65, 76}));
    EXPECT_EQ(window->ScreenToClient(screen), (PointT<int32_t>{5, 6}));
}

TEST_F(OSWindowServices, OneCursorForTheProcessAndPointerStateKeptWhileCaptured)
{
    const int32_t first = window->SetCursor(1);
    EXPECT_EQ(window->SetCursor(10), 1);
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->SetCursor(99), 10) << "the cursor is one for every window";
    EXPECT_EQ(window->SetCursor(first), 99);

    // While captured the last pointer position and button bits of the event stream count.
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_FOCUS_GAINED));
    Inject(Button(*window, true, SDL_BUTTON_MIDDLE, 1, 12, 13));
    ASSERT_TRUE(window->IsCaptured());
    EXPECT_EQ(window->GetCursorPos(), (PointT<int32_t>{12, 13}));
    EXPECT_EQ(window->GetMouseButtons(), 2u);
    Inject(Button(*window, false, SDL_BUTTON_MIDDLE, 1, -5, 13));
    EXPECT_FALSE(window->IsCaptured());
    EXPECT_EQ(window->GetMouseButtons(), 0u);
}

TEST_F(OSWindowServices, MovesTrackWhetherTheWindowLiesPartlyOffTheWorkArea)
{
    const platform::sdl::Rect area = window->GetPlatformWindow().WorkArea();
    if (area.width < kW || area.height < kH)
        GTEST_SKIP() << "work area too small here";
    window->SetClientRect({area.x - 50, area.y + 10, kW, kH});
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_MOVED, area.x - 50, area.y + 10));
    EXPECT_TRUE(window->IsPartlyOffScreen());
    window->SetClientRect({area.x + area.width - kW, area.y + area.height - kH, kW, kH});
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_MOVED));
    EXPECT_FALSE(window->IsPartlyOffScreen()) << "a window flush with the far edges is inside";
    window->SetClientRect({area.x + area.width - kW + 1, area.y, kW, kH});
    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_MOVED));
    EXPECT_TRUE(window->IsPartlyOffScreen());
}
