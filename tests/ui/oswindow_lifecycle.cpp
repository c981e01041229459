// The OS window's life: the 44-byte placement record and its round trip, the second instance's
// command line and its bounds, the system close of the main window and of a dialog, modal runs.
#include "OSWindowFakes.h"

#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"

#include <cstring>

using namespace KX;

namespace {

class ExitLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        ids.push_back(n->GetID());
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::vector<NotificationId> ids;
};

using OSWindowLife = oswtest::OSWindowTest;

std::vector<uint8_t> Bytes(std::initializer_list<uint32_t> words)
{
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

} // namespace

TEST(WindowPlacementRecord, GoldenLayoutAndHostileRecords)
{
    WindowPlacementRecord record;
    record.showCommand = kShowMaximized;
    record.left = -10;
    record.top = 20;
    record.right = 1190;
    record.bottom = 770;
    const auto bytes = EncodeWindowPlacement(record);
    const std::vector<uint8_t> golden =
        Bytes({44, 0, 3, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFF6, 20, 1190, 770});
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), golden);

    WindowPlacementRecord back;
    ASSERT_TRUE(DecodeWindowPlacement(golden.data(), golden.size(), back));
    EXPECT_EQ(back.left, -10);
    EXPECT_EQ(back.bottom, 770);
    EXPECT_EQ(back.showCommand, kShowMaximized);

    WindowPlacementRecord untouched;
    untouched.left = 7;
    const auto rejects = [&](std::vector<uint8_t> data) {
        return !DecodeWindowPlacement(data.data(), data.size(), untouched) && untouched.left == 7;
    };
    EXPECT_TRUE(rejects({}));
    EXPECT_TRUE(rejects(std::vector<uint8_t>(golden.begin(), golden.end() - 1))); // 43 bytes
    std::vector<uint8_t> longer = golden;
    longer.push_back(0);
    EXPECT_TRUE(rejects(longer));
    EXPECT_TRUE(rejects(Bytes({40, 0, 1, 0, 0, 0, 0, 0, 0, 10, 10})));                  // wrong length field
    EXPECT_TRUE(rejects(Bytes({44, 0, 9, 0, 0, 0, 0, 0, 0, 10, 10})));                  // unknown show command
    EXPECT_TRUE(rejects(Bytes({44, 0, 1, 0, 0, 0, 0, 50, 0, 10, 10})));                 // right before left
    EXPECT_TRUE(rejects(Bytes({44, 0, 1, 0, 0, 0, 0, 0x80000000, 0, 0x7FFFFFFF, 10}))); // 2^32 wide
    // A small window far out: its right edge would overflow any sum with a desktop's size.
    EXPECT_TRUE(rejects(Bytes({44, 0, 1, 0, 0, 0, 0, 0x7FFFFD00, 0, 0x7FFFFFF0, 750})));
    EXPECT_TRUE(rejects(Bytes({44, 0, 1, 0x80000000, 0, 0, 0, 0, 0, 10, 10}))); // minimised position
    EXPECT_FALSE(DecodeWindowPlacement(nullptr, 44, untouched));
}

TEST_F(OSWindowLife, PlacementRoundTripsAndTheMainWindowSavesItWhenDestroyed)
{
    WindowPlacementRecord record;
    record.left = 100;
    record.top = 80;
    record.right = 100 + 300;
    record.bottom = 80 + 150;
    window->SetPlacement(record);
    const WindowPlacementRecord read = window->GetPlacement();
    EXPECT_EQ(read.showCommand, kShowNormal);
    EXPECT_EQ(read.left, 100);
    EXPECT_EQ(read.top, 80);
    EXPECT_EQ(read.right, 400);
    EXPECT_EQ(read.bottom, 230);

    // A dialog with an owner saves nothing.
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    dialog->Destroy();
    dialog = nullptr;
    EXPECT_TRUE(app.profile.empty());

    window->Destroy();
    window = nullptr;
    const std::vector<uint8_t>& saved = app.profile["Lumo Test/WP"];
    ASSERT_EQ(saved.size(), 44u);
    WindowPlacementRecord decoded;
    ASSERT_TRUE(DecodeWindowPlacement(saved.data(), saved.size(), decoded));
    EXPECT_EQ(decoded.left, 100);
    EXPECT_EQ(decoded.bottom, 230);

    // The next main window restores it; a malformed value leaves a window where it is.
    window = MakeWindow(u"again", nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->RestorePlacement());
    EXPECT_EQ(window->GetPlacement().left, 100);
    EXPECT_EQ(window->GetPlacement().right, 400);
    app.profile["Lumo Test/WP"].resize(43);
    record.left = 5;
    record.right = 305;
    window->SetPlacement(record);
    EXPECT_FALSE(window->RestorePlacement());
    EXPECT_EQ(window->GetPlacement().left, 5);
}

TEST_F(OSWindowLife, CommandLineIsTaggedBoundedEndedAndValid)
{
    const char text[] = "--preset \xC3\xA9t\xC3\xA9.syx";
    EXPECT_FALSE(window->AcceptCopyData(0x466, text, sizeof text)); // another tag
    EXPECT_TRUE(window->AcceptCopyData(kCommandLineTag, text, sizeof text));
    ASSERT_EQ(app.commandLines.size(), 1u);
    EXPECT_EQ(app.commandLines[0], WString(u"--preset \u00E9t\u00E9.syx"));

    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, nullptr, 10));
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, text, 0));
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, text, sizeof text - 1)); // not ended
    const char inner[] = "a\0b";
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, inner, sizeof inner)); // a NUL inside
    const char broken[] = "\xC3(";
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, broken, sizeof broken)); // not UTF-8

    // The bound: the largest size passes, one more byte does not.
    std::vector<char> big(platform::sdl::Window::kMaxCommandLineBytes, 'x');
    big.back() = '\0';
    EXPECT_TRUE(window->AcceptCopyData(kCommandLineTag, big.data(), big.size()));
    big.back() = 'x';
    big.push_back('\0');
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, big.data(), big.size()));
    EXPECT_EQ(app.commandLines.size(), 2u);

    // A window disabled by a modal dialog takes none.
    window->GetPlatformWindow().SetInputEnabled(false);
    EXPECT_FALSE(window->AcceptCopyData(kCommandLineTag, text, sizeof text));
    window->GetPlatformWindow().SetInputEnabled(true);
    EXPECT_EQ(app.commandLines.size(), 2u);
}

TEST_F(OSWindowLife, SystemCloseOfTheMainWindowRequestsExitOfADialogClosesIt)
{
    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    RCPtr<ExitLog> exits(new ExitLog());
    ASSERT_EQ(centre->RegisterClient(RCPtr<LNotificationReceiver>(exits), NID_APP_EXIT_REQ, 0), S_OK);

    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    Inject(WindowEventOf(*dialog, SDL_WINDOWEVENT_CLOSE));
    centre->GetQueue()->ProcessQueue(false);
    EXPECT_TRUE(exits->ids.empty());
    EXPECT_TRUE(dialog->GetRootWindow()->IsCloseRequested());
    EXPECT_FALSE(window->GetRootWindow()->IsCloseRequested());

    Inject(WindowEventOf(*window, SDL_WINDOWEVENT_CLOSE));
    centre->GetQueue()->ProcessQueue(false);
    ASSERT_EQ(exits->ids.size(), 1u);
    EXPECT_EQ(exits->ids[0], LNotification::GetNotificationID(NID_APP_EXIT_REQ));
    EXPECT_FALSE(window->GetRootWindow()->IsCloseRequested());
    centre->UnregisterClient(RCPtr<LNotificationReceiver>(exits), NID_APP_EXIT_REQ);
}

TEST_F(OSWindowLife, ModalRunDisablesTheOwnerAndEndsWithTheCloseCode)
{
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    bool ownerDisabled = false;
    bool modalSeen = false;
    OSWindow* running = dialog;
    app.loop.SetIdleHandler([&](int idleCount) {
        ownerDisabled = !window->GetPlatformWindow().IsInputEnabled();
        modalSeen = running->IsModal();
        // The dialog's root window records the close; the idle step carries it out.
        if (idleCount == 0 && !running->GetRootWindow()->IsCloseRequested())
            running->GetRootWindow()->Close(7);
        return ProcessRootWindowQueues(idleCount == 0);
    });
    const size_t before = app.windows.size();
    EXPECT_EQ(dialog->RunModal(), 7);
    dialog = nullptr; // deleted by its run
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(modalSeen);
    EXPECT_TRUE(window->GetPlatformWindow().IsInputEnabled());
    EXPECT_EQ(app.windows.size(), before - 1);
}

TEST_F(OSWindowLife, ModalRunEndedByQuitKeepsTheWindow)
{
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    app.loop.SetIdleHandler([&](int) {
        app.loop.Quit(0);
        return false;
    });
    EXPECT_EQ(dialog->RunModal(), -1);
    EXPECT_TRUE(dialog->IsModal());
    EXPECT_TRUE(window->GetPlatformWindow().IsInputEnabled());
}

TEST_F(OSWindowLife, ARecordedCloseOfAModelessWindowEndsItAtTheIdleStep)
{
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(app.windows.size(), 2u);
    // The system close of a dialog is recorded; the next idle step deletes the window.
    Inject(WindowEventOf(*dialog, SDL_WINDOWEVENT_CLOSE));
    EXPECT_EQ(app.windows.size(), 2u);
    ProcessRootWindowQueues(true);
    dialog = nullptr;
    ASSERT_EQ(app.windows.size(), 1u);
    EXPECT_EQ(app.windows[0].Get(), window->GetRootWindow().Get());
    // The main window's placement is saved only by the main window.
    EXPECT_TRUE(app.profile.empty());
}

TEST_F(OSWindowLife, AModalWindowDestroyedDuringItsRunReturnsMinusOne)
{
    dialog = MakeWindow(u"dialog", window);
    ASSERT_NE(dialog, nullptr);
    OSWindow* running = dialog;
    app.loop.SetIdleHandler([&](int) {
        if (running) {
            std::exchange(running, nullptr)->Destroy();
        }
        return false;
    });
    EXPECT_EQ(dialog->RunModal(), -1);
    dialog = nullptr;
    EXPECT_EQ(app.windows.size(), 1u);
    EXPECT_TRUE(window->GetPlatformWindow().IsInputEnabled());
}
