// Menus and dialogs as a user meets them in the real program (its own skin and string tables on
// SDL's offscreen driver): the File menu's rows light up under the pointer in the window's pixels,
// the wheel over an open menu comes back, the edit hot keys reach the preset name, and a dialog
// closed from its title bar closes through its own close; an error box is a dialog of the program's
// own, centred on its window, and Enter closes it.
#include "ControlsHarness.h"
#include "PictureEndToEnd.h"
#include "PrivateSessionBus.h"

#include "editor/MessageBoxDlg.h"

#include "kx/NotificationCenter.h"
#include "kx/NotificationReceiver.h"
#include "kx/TextLayout.h"
#include "kx/controls/ComboMenu.h"
#include "kx/controls/Dialog.h"
#include "kx/controls/MainMenu.h"
#include "kx/controls/PopupMenu.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/Look.h"
#include "kx/ui/OSWindow.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

using namespace KX;

namespace {

// The program's main window as the user's events reach it and its pixels as last presented.
struct Screen {
    explicit Screen(e2etest::Picture& p) : p(p) {}

    Uint32 Id() const { return p.app.GetMainWindow()->GetPlatformWindow().Id(); }
    // The loop's pending events and paints, and the idle passes, a few times over.
    void Settle()
    {
        for (int round = 0; round < 4; ++round) {
            p.app.GetEvents().ProcessPending();
            for (int32_t pass = 0; pass < 8 && RunIdlePass(pass); ++pass) {
            }
        }
        p.app.GetEvents().ProcessPending();
    }
    void MoveTo(int32_t x, int32_t y)
    {
        apptest::PushMouse(Id(), SDL_MOUSEMOTION, x, y);
        Settle();
    }
    void Wheel(int32_t x, int32_t y, float notches)
    {
        MoveTo(x, y);
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = Id();
        e.wheel.preciseY = notches;
        e.wheel.y = static_cast<Sint32>(notches);
        e.wheel.mouseX = x;
        e.wheel.mouseY = y;
        SDL_PushEvent(&e);
        Settle();
    }
    // The presented pixels (0xRRGGBB) of a rectangle, row by row; none off the window.
    std::vector<uint32_t> Pixels(const RectT<int32_t>& r)
    {
        std::vector<uint32_t> out;
        for (int32_t y = r.y; y < r.y + r.height; ++y)
            for (int32_t x = r.x; x < r.x + r.width; ++x)
                if (const uint32_t px = apptest::WindowPixel(p.app.GetMainWindow()->GetPlatformWindow().Handle(), x, y);
                    px != 0xFFFFFFFFu)
                    out.push_back(px);
        return out;
    }

    void Click(int32_t x, int32_t y)
    {
        MoveTo(x, y);
        for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            apptest::PushMouse(Id(), type, x, y);
            Settle();
        }
    }

    e2etest::Picture& p;
};

// Counts a dialog's closing and closed notifications; cancels the first closing when asked.
class CloseListener : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (!n)
            return S_FALSE;
        const WString id = LNotification::GetNotificationName(n->GetID());
        if (id == WString(u"NID_DIALOG_CLOSED")) {
            ++closed;
        } else if (id == WString(u"NID_DIALOG_CLOSING")) {
            ++closing;
            auto* args = dynamic_cast<LCancelArgs*>(const_cast<LRefCountedObject*>(n->GetPayload().Get()));
            if (args && cancelFirst && closing == 1)
                args->cancel = true;
        }
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    bool cancelFirst = false;
    int closing = 0;
    int closed = 0;
};

// Refuses a text box's text while refuse is set.
class Refuser : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (LTextValidationParams* params = LTextValidationParams::FromNotification(n); params && refuse)
            params->accepted = false;
        return S_FALSE;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    bool refuse = true;
};

RectT<int32_t> RowInWindow(LPopupMenu& popup, int32_t item)
{
    const RectT<double> row = popup.GetItemRowRect(item);
    const PointT<double> origin = popup.GetOriginInRootWindow();
    return {static_cast<int32_t>(origin.x + row.x), static_cast<int32_t>(origin.y + row.y),
            static_cast<int32_t>(row.width), static_cast<int32_t>(row.height)};
}

size_t Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    size_t n = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        n += a[i] != b[i] ? 1 : 0;
    return n;
}

class WorkflowMenus : public e2etest::PictureEndToEnd {
protected:
    static RCPtr<LComboMenu> Title(e2etest::Picture& p, const char16_t* name)
    {
        const auto bar = RCPtr<LMainMenu>::DynamicCast(ConstRCPtr<LControl>(p.main->FindChild(WString(u"mainMenu"))));
        return bar ? bar->GetMenuButton(bar->FindMenuIndex(WString(name))) : RCPtr<LComboMenu>();
    }
    // Clicks the title of the named menu and waits for its popup; null if it does not show.
    static RCPtr<LPopupMenu> OpenMenu(e2etest::Picture& p, const char16_t* name)
    {
        const RCPtr<LComboMenu> title = Title(p, name);
        if (!title)
            return {};
        p.Click(*title);
        const RCPtr<LPopupMenu> popup = title->GetPopupMenu();
        return popup && p.Until([&] { return popup->IsShowing(true); }) ? popup : RCPtr<LPopupMenu>();
    }
};

} // namespace

TEST_F(WorkflowMenus, TheFileMenusRowsLightUpUnderThePointerAndTheWheelOverItComesBack)
{
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        const RCPtr<LPopupMenu> popup = OpenMenu(p, u"File");
        ASSERT_TRUE(popup);
        screen.Settle();

        // The pointer onto "Load Preset": the row's highlight reaches the screen by the normal
        // repaint of what changed.
        const RectT<int32_t> row = RowInWindow(*popup, 3);
        ASSERT_GT(row.y, 24) << "the popup opens below the menu bar";
        const std::vector<uint32_t> before = screen.Pixels(row);
        screen.MoveTo(row.x + row.width / 2, row.y + row.height / 2);
        ASSERT_EQ(popup->GetCaretIndex(), 3);
        const std::vector<uint32_t> lit = screen.Pixels(row);
        EXPECT_GT(Differing(before, lit), static_cast<size_t>(row.width * row.height / 4))
            << "the highlighted row was not repainted";

        // The wheel over an item's check box once handed the step back and forth for ever.
        RCPtrArray<LControl> boxes;
        popup->FindDescendantsByName(WString(u"checkBox"), boxes);
        ASSERT_GT(boxes.GetCount(), 0u);
        const LControl& box = *boxes.GetData()[0];
        const PointT<double> at = box.GetOriginInRootWindow();
        const PointT<int32_t> point{static_cast<int32_t>(at.x + box.GetSize().x / 2), static_cast<int32_t>(at.y + 2)};
        ASSERT_EQ(p.app.GetMainWindow()->GetRootWindow()->HitTest(point, true, false).Get(), &box)
            << "the wheel's target is the check box";
        for (float notches : {1.0f, -1.0f, 3.0f})
            screen.Wheel(point.x, point.y, notches);
        EXPECT_TRUE(popup->IsShowing(true));
    });
}

TEST_F(WorkflowMenus, CopyCutAndPasteHotKeysWorkInThePresetName)
{
    Run([&](e2etest::Picture& p) {
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        const RCPtr<LTextBox> box = name->GetTextBox();
        p.Click(*box);
        ASSERT_TRUE(p.Until([&] { return (box->GetConditionFlags() & Condition::kHasFocus) != 0; }));
        p.Type("Q");
        ASSERT_TRUE(p.Until([&] { return !box->GetText().IsEmpty(); }));
        // The name's way to the keyboard and back ends before the text is selected.
        p.Pause(500);
        const std::string original = box->GetText().ToNarrow().GetString();
        SDL_SetClipboardText("");

        p.Key(SDLK_HOME);
        p.Key(SDLK_END, KMOD_LSHIFT);
        p.Key(SDLK_c, KMOD_LCTRL);
        ASSERT_TRUE(p.Until([] { return SDL_HasClipboardText() == SDL_TRUE; })) << "Ctrl+C copied nothing";
        char* copied = SDL_GetClipboardText();
        EXPECT_EQ(std::string(copied ? copied : ""), original);
        SDL_free(copied);

        p.Key(SDLK_x, KMOD_LCTRL);
        EXPECT_TRUE(p.Until([&] { return box->GetText().IsEmpty(); })) << "Ctrl+X cut nothing";
        p.Key(SDLK_v, KMOD_LCTRL);
        EXPECT_TRUE(p.Until([&] { return box->GetText().ToNarrow().GetString() == original; }))
            << "Ctrl+V pasted nothing: " << box->GetText().ToNarrow().GetString();
    });
}

TEST_F(WorkflowMenus, ADialogClosedFromItsTitleBarClosesThroughItsOwnClose)
{
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        RCPtr<LDialog> dialog;
        const RCPtr<CloseListener> listener(new CloseListener());
        listener->cancelFirst = true;
        int closes = 0;
        // Runs on the idle passes of the dialog's modal loop: the title bar's close, once more
        // after a listener cancelled the first.
        p.app.onIdle = [&] {
            const auto windows = p.app.GetRootWindows();
            if (windows.size() < 2 || closes >= 2 || closes > listener->closing)
                return;
            const RCPtr<LRootWindow>& window = windows.back();
            if (!dialog) {
                dialog = RCPtr<LDialog>::DynamicCast(ConstRCPtr<LControl>(window->GetMainControl()));
                if (!dialog)
                    return;
                for (const char16_t* id : {u"NID_DIALOG_CLOSING", u"NID_DIALOG_CLOSED"})
                    EXPECT_FALSE(
                        KX::Failed(dialog->RegisterClient(RCPtr<LNotificationReceiver>(listener.Get()), id, 0)));
            }
            auto* os = dynamic_cast<OSWindow*>(window->GetServices());
            if (!os)
                return;
            apptest::PushWindowEvent(os->GetPlatformWindow().Id(), SDL_WINDOWEVENT_CLOSE);
            ++closes;
        };
        const RCPtr<LPopupMenu> popup = OpenMenu(p, u"Help");
        ASSERT_TRUE(popup);
        const RectT<int32_t> about = RowInWindow(*popup, 1);
        screen.Click(about.x + about.width / 2, about.y + about.height / 2);
        ASSERT_TRUE(p.Until([&] { return closes >= 2 && p.app.GetRootWindows().size() == 1; }));
        p.app.onIdle = nullptr;
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->GetResultCode(), 2) << "the title bar's close is a cancel";
        EXPECT_EQ(listener->closing, 2) << "the first close was cancelled by the listener";
        EXPECT_EQ(listener->closed, 1);
        dialog->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(listener.Get()));
    });
}

TEST_F(WorkflowMenus, AnErrorBoxIsTheProgramsOwnDialogCentredOnTheWindowAndEnterClosesIt)
{
    // The program's own boxes, not the recording ones; no desktop opener for the guide.
    platform::sdl::SetMessageBoxes(nullptr);
    const kxtest::ScopedEnv path("PATH", tree.Folder("no-programs"));
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        p.Click(*name->GetTextBox());
        ASSERT_TRUE(p.Until([&] { return p.Focused().Get() == name->GetTextBox().Get(); }));

        RCPtr<editor::LMessageBoxDlg> box;
        platform::sdl::Rect boxRect{}, ownerRect{};
        std::string title, message, focused;
        std::vector<std::string> buttons;
        int passes = 0;
        bool entered = false;
        uint32_t mark = 0;
        // On the box's modal loop: the desktop gives the new window the focus; what the box shows,
        // its picture once painted, then Enter.
        p.app.onIdle = [&] {
            const auto windows = p.app.GetRootWindows();
            if (windows.size() < 2)
                return;
            auto* os = dynamic_cast<OSWindow*>(windows.back()->GetServices());
            box = RCPtr<editor::LMessageBoxDlg>::DynamicCast(ConstRCPtr<LControl>(windows.back()->GetMainControl()));
            if (!box || !os)
                return;
            if (passes++ == 0) {
                apptest::PushWindowEvent(screen.Id(), SDL_WINDOWEVENT_FOCUS_LOST);
                apptest::PushWindowEvent(os->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_GAINED);
            }
            // A box that Enter left open is closed as cancelled, so that the test ends.
            if (passes > 500)
                box->Close(2);
            if (passes != 6)
                return;
            entered = true;
            boxRect = os->GetPlatformWindow().ClientRectOnScreen();
            ownerRect = p.app.GetMainWindow()->GetPlatformWindow().ClientRectOnScreen();
            title = box->FindChild(WString(u"labelTitle"))->GetText().ToNarrow().GetString();
            message = box->FindChild(WString(u"labelText"))->GetText().ToNarrow().GetString();
            if (const RCPtr<LControl> focus = windows.back()->GetFocusControl())
                focused = focus->GetName().ToNarrow().GetString();
            for (const LDialog::StandardButton& standard : LDialog::kStandardButtons)
                if (const RCPtr<LControl> button = box->FindChild(WString(standard.name));
                    button && button->IsShowing(true))
                    buttons.push_back(button->GetText().ToNarrow().GetString());
            const std::filesystem::path folder = KX_EDITOR_SCREENSHOTS;
            std::filesystem::create_directories(folder);
            ctltest::SaveWindowPng(os->GetPlatformWindow().Handle(), (folder / "dialog_message_box.png").string());
            SDL_Window* handle = os->GetPlatformWindow().Handle();
            mark = apptest::WindowPixel(handle, SDL_GetWindowSurface(handle)->w / 2, 2);
            apptest::PushKey(os->GetPlatformWindow().Id(), SDLK_RETURN);
        };
        // Help > Open User Guide.
        const RCPtr<LPopupMenu> popup = OpenMenu(p, u"Help");
        ASSERT_TRUE(popup);
        const RectT<int32_t> guide = RowInWindow(*popup, 0);
        screen.Click(guide.x + guide.width / 2, guide.y + guide.height / 2);
        ASSERT_TRUE(p.Until([&] { return entered && p.app.GetRootWindows().size() == 1; }))
            << "the box did not open, or Enter did not close it";
        p.app.onIdle = nullptr;
        apptest::PushWindowEvent(screen.Id(), SDL_WINDOWEVENT_FOCUS_GAINED);

        EXPECT_EQ(title, "Open User Guide Error");
        EXPECT_EQ(message, "The user guide could not be opened.");
        EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
        EXPECT_TRUE((mark >> 16) > 0xE0 && ((mark >> 8) & 0xFF) < 0x80 && (mark & 0xFF) < 0x70)
            << "the error's red line is missing: " << std::hex << mark;
        EXPECT_EQ(focused, "buttonOK") << "Enter answers the default button";
        EXPECT_EQ(box->GetResultCode(), 1);
        EXPECT_NEAR(boxRect.x + boxRect.width / 2, ownerRect.x + ownerRect.width / 2, 1);
        EXPECT_NEAR(boxRect.y + boxRect.height / 2, ownerRect.y + ownerRect.height / 2, 1);
        EXPECT_TRUE(p.Until([&] { return p.Focused().Get() == name->GetTextBox().Get(); }))
            << "the focus did not come back to the preset name";
    });
}

TEST_F(WorkflowMenus, TheBoxOfARetrievedPresetWearsTheInformationLine)
{
    platform::sdl::SetMessageBoxes(nullptr); // the program's own boxes
    Run([&](e2etest::Picture& p) {
        std::string caption;
        uint32_t line = 0;
        int dialogPasses = 0, boxPasses = 0;
        // On the Retrieve dialog's loop a click on its button; on the box's loop its line, then OK.
        p.app.onIdle = [&] {
            const auto windows = p.app.GetRootWindows();
            auto* os = windows.size() < 2 ? nullptr : dynamic_cast<OSWindow*>(windows.back()->GetServices());
            const auto dialog = os ? RCPtr<LDialog>::DynamicCast(ConstRCPtr<LControl>(windows.back()->GetMainControl()))
                                   : RCPtr<LDialog>();
            const auto box = RCPtr<editor::LMessageBoxDlg>::DynamicCast(ConstRCPtr<LControl>(dialog));
            if (box && ++boxPasses == 6) {
                caption = box->FindChild(WString(u"labelTitle"))->GetText().ToNarrow().GetString();
                SDL_Window* handle = os->GetPlatformWindow().Handle();
                line = apptest::WindowPixel(handle, SDL_GetWindowSurface(handle)->w / 2, 2);
                box->Close(1);
            } else if (dialog && !box && (boxPasses > 0 || ++dialogPasses > 500)) {
                dialog->Close(2);
            } else if (dialog && !box && dialogPasses == 3) {
                const PointT<double> get = dialog->FindChild(WString(u"getButton"))->GetOriginInRootWindow();
                apptest::PushClick(os->GetPlatformWindow().Id(), static_cast<int32_t>(get.x + 8),
                                   static_cast<int32_t>(get.y + 8));
            }
        };
        p.Activate();
        p.Key(SDLK_r, KMOD_LCTRL | KMOD_LSHIFT);
        ASSERT_TRUE(p.Until([&] { return boxPasses >= 6 && p.app.GetRootWindows().size() == 1; }));
        p.app.onIdle = nullptr;
        EXPECT_EQ(caption, "Retrieve Successful");
        EXPECT_EQ(line, 0x3FA9F5u) << "the skin's information line, the accent";
    });
}

TEST_F(WorkflowMenus, ABoxOfManyLinesKeepsItsTopOnTheScreenAndBreaksALongFileName)
{
    platform::sdl::SetMessageBoxes(nullptr);
    Run([&](e2etest::Picture& p) {
        const std::u16string name(200, u'x');
        std::u16string text = u"Cannot open " + name + u".pst";
        for (int line = 1; line <= 300; ++line)
            text += u"\nLine " + std::u16string(1, static_cast<char16_t>(u'0' + line % 10));
        platform::sdl::Rect boxRect{};
        double buttonBottom = 0, width = 0;
        int passes = 0;
        std::vector<std::pair<std::string, float>> lines;
        p.app.onIdle = [&] {
            const auto windows = p.app.GetRootWindows();
            auto* os = windows.size() < 2 ? nullptr : dynamic_cast<OSWindow*>(windows.back()->GetServices());
            const auto box =
                os ? RCPtr<editor::LMessageBoxDlg>::DynamicCast(ConstRCPtr<LControl>(windows.back()->GetMainControl()))
                   : RCPtr<editor::LMessageBoxDlg>();
            if (!box || ++passes < 6)
                return;
            std::filesystem::create_directories(KX_EDITOR_SCREENSHOTS);
            ctltest::SaveWindowPng(
                os->GetPlatformWindow().Handle(),
                (std::filesystem::path(KX_EDITOR_SCREENSHOTS) / "dialog_message_box_capped.png").string());
            boxRect = os->GetPlatformWindow().ClientRectOnScreen();
            const RCPtr<LControl> ok = box->FindChild(WString(u"buttonOK"));
            buttonBottom = ok->GetPosition().y + ok->GetSize().y;
            const RCPtr<LControl> message = box->FindChild(WString(u"labelText"));
            width = message->GetSize().x;
            const auto* look = dynamic_cast<const LLook*>(message->GetLookAt(-1).Get());
            const RCPtr<LFontText> laid = look ? look->GetFontText() : RCPtr<LFontText>();
            for (uint32_t i = 0; laid && i < laid->GetLineCount(); ++i)
                lines.emplace_back(laid->GetLines().ElementAt(i).ToNarrow().GetString(),
                                   laid->GetLineRectArray().ElementAt(i).width);
            box->Close(1);
        };
        p.app.ShowMessageBox(WString(text.c_str()), WString(u"Open Preset Error"), 0x10);
        p.app.onIdle = nullptr;
        const RectT<int32_t> area = p.app.GetWorkArea();
        EXPECT_GE(boxRect.y, area.y) << "the title is above the screen";
        EXPECT_LE(boxRect.y + boxRect.height, area.y + area.height);
        EXPECT_LE(buttonBottom, boxRect.height) << "the buttons are cut";
        std::string shown;
        for (const auto& [line, lineWidth] : lines) {
            EXPECT_LE(lineWidth, width) << line << ": cut at the edge";
            shown += line;
        }
        EXPECT_EQ(shown.rfind("Cannot open" + std::string(200, 'x') + ".pst", 0), 0u) << shown;
        EXPECT_TRUE(shown.ends_with("\u2026")) << "the lines left out are not told";
    });
}

TEST_F(WorkflowMenus, TheFileMenuIsWideEnoughToKeepItsShortcutsClearOfTheLabels)
{
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        // On screen: the widest run of blank columns between a row's first and last ink.
        const auto widestGap = [&](LPopupMenu& popup, int32_t item) {
            const RectT<int32_t> row = RowInWindow(popup, item);
            const std::vector<uint32_t> px = screen.Pixels(row);
            if (px.empty())
                return -1;
            // The row's face, read inside the menu's border, which lies over the row's edge pixels.
            const uint32_t face = px[static_cast<size_t>(row.height / 2 * row.width + 2)];
            int32_t first = -1, last = -1, gap = 0, run = 0;
            for (int32_t x = 1; x < row.width - 1; ++x) {
                bool ink = false;
                for (int32_t y = 1; y < row.height - 1 && !ink; ++y)
                    ink = px[static_cast<size_t>(y * row.width + x)] != face;
                if (!ink) {
                    ++run;
                    continue;
                }
                if (first >= 0)
                    gap = std::max(gap, run);
                first = first < 0 ? x : first;
                last = x;
                run = 0;
            }
            return last > first ? gap : -1;
        };
        const RCPtr<LPopupMenu> popup = OpenMenu(p, u"File");
        ASSERT_TRUE(popup);
        screen.Settle();
        int32_t withShortcut = 0;
        for (int32_t i = 0; i < popup->GetItemCount(); ++i) {
            const RCPtr<LMenuItemDescriptor> item = popup->GetMenu()->GetItem(static_cast<uint32_t>(i));
            if (!item || item->hotKeyText.IsEmpty())
                continue;
            ++withShortcut;
            // Blanks inside a label or a shortcut are narrower than this.
            EXPECT_GE(widestGap(*popup, i), 8) << "\"" << item->label.ToNarrow().GetString() << "\" runs into \""
                                               << item->hotKeyText.ToNarrow().GetString() << "\"";
        }
        EXPECT_GT(withShortcut, 0);
    });
}

TEST_F(WorkflowMenus, TheKeysStartOnTheBankButtonsAndEscapeShutsAMenuThatTheNextClickOpensAgain)
{
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        const RCPtr<LComboMenu> file = Title(p, u"File");
        const RCPtr<LControl> bank1 = p.view->FindChild(WString(u"groupBankPanel"))->FindChild(WString(u"bank1"));
        const RCPtr<LControl> bank2 = bank1->GetParent()->FindChild(WString(u"bank2"));
        ASSERT_TRUE(file && bank1 && bank2);
        p.Activate();
        screen.MoveTo(600, 700);
        ASSERT_TRUE(p.Until([&] { return p.Focused() == bank1; }))
            << "the keys start on " << (p.Focused() ? p.Focused()->GetName().ToNarrow().GetString() : "nothing");
        // Tab goes on from the bank the skin puts first, and the ring with it.
        p.Key(SDLK_TAB);
        ASSERT_TRUE(p.Until([&] { return p.Focused() == bank2; }));
        screen.Settle();
        // The ring at the left edge of the bank, half-way down.
        const PointT<double> o = bank2->GetOriginInRootWindow();
        EXPECT_EQ(apptest::WindowPixel(p.app.GetMainWindow()->GetPlatformWindow().Handle(), static_cast<int32_t>(o.x),
                                       static_cast<int32_t>(o.y + bank2->GetSize().y / 2)),
                  0x3FA9F5u)
            << "the focused bank shows no ring";

        // A click opens File, Escape shuts it and hands the keys back, a click opens it again.
        const RCPtr<LPopupMenu> popup = file->GetPopupMenu();
        p.Click(*file);
        ASSERT_TRUE(p.Until([&] { return popup->IsShowing(true); }));
        p.Key(SDLK_ESCAPE);
        screen.Settle();
        EXPECT_FALSE(popup->IsShowing(true)) << "Escape left the menu open";
        EXPECT_EQ(p.Focused(), bank2);
        p.Click(*file);
        EXPECT_TRUE(p.Until([&] { return popup->IsShowing(true); })) << "the click after Escape was swallowed";
        // Tab from the open menu leaves the bar for the view.
        p.Key(SDLK_TAB);
        screen.Settle();
        EXPECT_FALSE(popup->IsShowing(true));
        EXPECT_TRUE(e2etest::Contains(*p.view, p.Focused())) << "Tab stays in the menu bar";
    });
}

TEST_F(WorkflowMenus, AHeldOrDoubledHotKeyOpensItsDialogOnceAndTheMainWindowsHotKeysDoNothingInIt)
{
    Run([&](e2etest::Picture& p) {
        std::vector<std::string> dialogs;
        RCPtr<LControl> shown;
        int passes = 0;
        // On each dialog's modal loop: Shift+Ctrl+S pressed in it, then the dialog cancelled.
        p.app.onIdle = [&] {
            const auto windows = p.app.GetRootWindows();
            const auto dialog =
                windows.size() < 2
                    ? RCPtr<LDialog>()
                    : RCPtr<LDialog>::DynamicCast(ConstRCPtr<LControl>(windows.back()->GetMainControl()));
            auto* os = dialog ? dynamic_cast<OSWindow*>(windows.back()->GetServices()) : nullptr;
            if (!os)
                return;
            if (RCPtr<LControl>(dialog) != shown) {
                shown = RCPtr<LControl>(dialog);
                dialogs.push_back(dialog->GetName().ToNarrow().GetString());
                passes = 0;
            }
            // The desktop gives the new window the focus; then the keys.
            if (++passes == 1)
                apptest::PushWindowEvent(os->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_GAINED);
            if (passes == 3)
                apptest::PushKey(os->GetPlatformWindow().Id(), SDLK_s, KMOD_LCTRL | KMOD_LSHIFT);
            if (passes == 40)
                dialog->Close(2);
        };
        // Shift+Ctrl+R in one batch: d a press, r a repeat, u a release.
        const auto keys = [&](const std::string& steps) {
            for (const char step : steps) {
                SDL_Event e{};
                e.type = step == 'u' ? SDL_KEYUP : SDL_KEYDOWN;
                e.key.windowID = p.app.GetMainWindow()->GetPlatformWindow().Id();
                e.key.repeat = step == 'r';
                e.key.keysym = SDL_Keysym{SDL_SCANCODE_R, SDLK_r, KMOD_LCTRL | KMOD_LSHIFT, 0};
                SDL_PushEvent(&e);
            }
        };
        // Pressed twice, then held through the dialog: its repeats go on after it closed.
        p.Activate();
        keys("dudr");
        ASSERT_TRUE(p.Until([&] { return passes >= 40 && p.app.GetRootWindows().size() == 1; }));
        keys("rrru");
        p.Pause(200);
        ASSERT_TRUE(p.Until([&] { return p.app.GetRootWindows().size() == 1; }));
        p.app.onIdle = nullptr;
        EXPECT_EQ(dialogs, std::vector<std::string>{"dialogRetrievePresetFromHardware"});
    });
}

TEST_F(WorkflowMenus, AMenuStaysShutWhileAFieldThatRefusesItsTextKeepsTheFocus)
{
    Run([&](e2etest::Picture& p) {
        Screen screen(p);
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        const RCPtr<LTextBox> box = name->GetTextBox();
        p.Click(*box);
        ASSERT_TRUE(p.Until([&] { return p.Focused().Get() == box.Get(); }));
        const RCPtr<Refuser> refuser(new Refuser());
        ASSERT_FALSE(
            KX::Failed(box->RegisterClient(RCPtr<LNotificationReceiver>(refuser.Get()), u"NID_TEXTBOX_VALIDATING", 0)));

        // A click on File, the box's own menu, Escape and a press on the page: no menu is left open.
        const RCPtr<LPopupMenu> popup = Title(p, u"File")->GetPopupMenu();
        p.Click(*Title(p, u"File"));
        const PointT<double> at = box->GetOriginInRootWindow();
        p.ClickAt(static_cast<int32_t>(at.x + 10), static_cast<int32_t>(at.y + 8), SDL_BUTTON_RIGHT);
        p.Key(SDLK_ESCAPE);
        screen.Click(600, 700);
        EXPECT_FALSE(popup->IsShowing(true)) << "the File menu stays open without the focus";
        const RCPtr<LControl> context = box->FindChild(WString(u"contextMenu"));
        EXPECT_FALSE(context && context->IsShowing(true)) << "the box's menu stays open without the focus";
        EXPECT_EQ(p.Focused().Get(), box.Get());

        // Mended, the field lets the menu have the focus.
        refuser->refuse = false;
        EXPECT_TRUE(OpenMenu(p, u"File"));
        box->UnregisterClientFromAll(RCPtr<LNotificationReceiver>(refuser.Get()));
    });
}
