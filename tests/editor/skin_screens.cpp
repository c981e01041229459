// Pictures of the editor's face on an offscreen window: the main window (closed and with its File
// menu open), each dialog and the message box, written to screenshots/offscreen/ under the build folder for
// review, with pixel checks where a missing image or look would leave a hole. The editor's own classes run against a
// recording application.
#include "AppTestSupport.h"
#include "ControlsHarness.h"
#include "DialogsFixture.h"
#include "SkinTestDocs.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/DeviceView.h"
#include "editor/EditorClasses.h"
#include "editor/MessageBoxDlg.h"
#include "editor/MoveableControlViewPanel.h"

#include "engine/ModuleInterfaces.h"

#include "kx/RenderHost.h"
#include "kx/TextLayout.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/OSWindow.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/WindowSurface.h"
#include "platform/sdl/Window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>

using namespace KX;

namespace {

// Copies a harness picture to <build>/screenshots/offscreen/<name>.png for review. The user guide
// shows the program's own screenshots (the Xvfb program tests), never these.
void Publish(const std::string& picture, const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(KX_EDITOR_SCREENSHOTS) / "offscreen";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::copy_file(picture, folder / (name + ".png"), std::filesystem::copy_options::overwrite_existing,
                               error);
    EXPECT_FALSE(error) << "cannot copy " << picture << ": " << error.message();
}

// Straight RGB distance, for colours that antialiasing or blending may nudge.
bool Near(uint32_t rgb, uint32_t expected, int tolerance = 6)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((rgb >> shift) & 0xFF), b = static_cast<int>((expected >> shift) & 0xFF);
        if (a - b > tolerance || b - a > tolerance)
            return false;
    }
    return true;
}

// The first control of that name below root that shows (or the first at all); null when none.
RCPtr<LControl> Descendant(LControl& root, const char16_t* name)
{
    RCPtrArray<LControl> found;
    root.FindDescendantsByName(WString(name), found);
    for (uint32_t i = 0; i < found.GetCount(); ++i)
        if (found.GetData()[i]->IsShowing(true))
            return found.GetData()[i];
    return found.GetCount() > 0 ? found.GetData()[0] : RCPtr<LControl>();
}

// While it lives, the render host: the application's own measurer, counting the characters asked.
class CountingMeasurer : public LMeasurementRenderer, public IRenderHost {
public:
    CountingMeasurer() : m_host(GetRenderHost()), m_real(KX::GetMeasurementRenderer()) { SetRenderHost(this); }
    ~CountingMeasurer() override { SetRenderHost(m_host); }
    KXRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& h, int32_t& a, int32_t& d) const override
    {
        return m_real->GetFontMetrics(font, h, a, d);
    }
    RectT<float> MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override
    {
        characters += text.GetLength();
        return m_real->MeasureText(text, font);
    }
    ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() override
    {
        return ConstRCPtr<LMeasurementRenderer>(this);
    }
    KXRESULT GetDefaultFont(WString& face, float& size, int32_t& style) override
    {
        return m_host->GetDefaultFont(face, size, style);
    }
    uint32_t GetTickTime() override { return m_host->GetTickTime(); }
    mutable size_t characters = 0;

private:
    IRenderHost* m_host;
    ConstRCPtr<LMeasurementRenderer> m_real;
};

class EditorScreen : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        return {skintest::WriteHarnessArea(ctltest::ScreenshotFolder() + "editor_area")};
    }
    void RegisterClasses(LControlFactory& f) override { RegisterEditorControlClasses(f); }

    // The dialogs ask the application for the MIDI manager, texts and version strings.
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        editorApp.manager = LMidiManager::Create(mmtest::FastTimings(60));
        SetEditorApp(&editorApp);
    }
    void TearDown() override
    {
        ctltest::ControlsTest::TearDown();
        SetEditorApp(nullptr);
        editorApp.manager = nullptr;
    }

    dlgtest::FakeEditorApp editorApp;
};

class MainWindowScreen : public EditorScreen {
protected:
    int32_t WindowWidth() const override { return 1200; }
    int32_t WindowHeight() const override { return 750; }
    void TearDown() override
    {
        main = nullptr;
        view = nullptr;
        EditorScreen::TearDown();
    }

    // The main control in the window and its device view; false when either is missing.
    bool OpenMain()
    {
        main = CreateMain(u"mainControl");
        if (main)
            view = RCPtr<LDeviceView>::DynamicCast(ConstRCPtr<LControl>(main->FindChild(WString(u"viewDevice"))));
        return view != nullptr;
    }

    // The pixels of the edit area's hint line that differ from the window, with their colours.
    std::vector<std::pair<std::pair<int32_t, int32_t>, uint32_t>> HintInk()
    {
        std::vector<std::pair<std::pair<int32_t, int32_t>, uint32_t>> ink;
        for (int32_t y = 24 + 424 + 132; y < 24 + 424 + 156; ++y)
            for (int32_t x = 16; x < 1184; ++x)
                if (!Near(Pixel(x, y), 0x16181B, 8))
                    ink.push_back({{x, y}, Pixel(x, y)});
        return ink;
    }

    RCPtr<LControl> main;
    RCPtr<LDeviceView> view;
};

// Every edit panel as the device view shows it (kind, index), and its picture's name.
constexpr struct {
    int32_t kind, index;
    const char* picture;
} kEditPanels[] = {{0, 0, "edit_fader"},       {1, 0, "edit_encoder"},      {2, 0, "edit_pad"},
                   {3, 0, "edit_xy_pad"},      {4, 0, "edit_wheel"},        {5, 0, "edit_keybed_zone"},
                   {6, 0, "edit_push_button"}, {7, 0, "edit_volume_pedal"}, {7, 1, "edit_sustain_pedal"}};

struct DialogShot {
    const char16_t* name;
    const char* picture;
    int32_t width;
    int32_t height;
};

class DialogScreen : public EditorScreen, public ::testing::WithParamInterface<DialogShot> {
protected:
    int32_t WindowWidth() const override { return GetParam().width; }
    int32_t WindowHeight() const override { return GetParam().height; }
};

} // namespace

TEST_F(MainWindowScreen, ShowsTheKeyboardMenuAndEditArea)
{
    // The hot keys as the start-up loads them before the main window exists; the menus show them.
    ASSERT_TRUE(app->GetGlobalHotKeyManager());
    app->GetGlobalHotKeyManager()->GetTable().LoadFromStringTable(factory->GetApplicationStringTable().Get(),
                                                                  WString(u"GHK"));
    ASSERT_TRUE(OpenMain());
    // As the device view leaves it: bank 1 pressed.
    RCPtr<LControl> banks = view->FindChild(WString(u"groupBankPanel"));
    ASSERT_TRUE(banks);
    RCPtr<LControl> bank1 = banks->FindChild(WString(u"bank1"));
    ASSERT_TRUE(bank1);
    bank1->SetNormalizedValue(1.0);
    RunIdle();
    Publish(Screenshot("main_window"), "main_window");

    // Window, menu bar, body and edit panel in their palette colours; the artwork where it belongs.
    // No status strip: the window itself along the bottom edge.
    EXPECT_TRUE(Near(Pixel(4, 740), 0x16181B, 2)) << std::hex << Pixel(4, 740) << " (bottom edge)";
    EXPECT_TRUE(Near(Pixel(1196, 120), 0x16181B)) << std::hex << Pixel(1196, 120) << " (window)";
    EXPECT_TRUE(Near(Pixel(1190, 8), 0x1B1D20)) << std::hex << Pixel(1190, 8) << " (menu bar)";
    // No edit panel before a control is clicked: the window shows through the edit area, with one
    // centred line of secondary text saying what to do.
    EXPECT_TRUE(Near(Pixel(600, 480), 0x16181B)) << std::hex << Pixel(600, 480) << " (empty edit area)";
    EXPECT_GT(HintInk().size(), 100u) << "the edit area says nothing";
    // A white key low on the keybed (device view at y 24, keybed group at 64,272, keys from +30).
    EXPECT_TRUE(Near(Pixel(64 + 20, 24 + 272 + 30 + 92), 0xF1F0EC, 10)) << std::hex << Pixel(84, 418) << " (white key)";
    // The rubber face of the first pad beside its texts (pads at 844,56; 48-pixel tiles).
    EXPECT_TRUE(Near(Pixel(844 + 3, 24 + 56 + 30), 0x2C3035)) << std::hex << Pixel(847, 110) << " (pad)";
    // An encoder's knob shows beside its texts: the cap's left edge, not the body behind it.
    EXPECT_TRUE(Near(Pixel(352 + 12, 24 + 52 + 37), 0x2C3035, 16)) << std::hex << Pixel(364, 113) << " (knob)";
    // Bank buttons: bank 1 on in the accent, bank 2 in the control face, not the body behind them.
    EXPECT_TRUE(Near(Pixel(608 + 4, 24 + 136 + 4), 0x3FA9F5)) << std::hex << Pixel(612, 164) << " (bank 1)";
    EXPECT_TRUE(Near(Pixel(608 + 58, 24 + 136 + 4), 0x2C3035)) << std::hex << Pixel(666, 164) << " (bank 2)";

    // Hover over bank 3: brighter face and border together.
    MoveTo(608 + 108 + 23, 24 + 136 + 14);
    RunIdle();
    EXPECT_TRUE(Near(Pixel(608 + 112, 24 + 136 + 4), 0x353A40)) << std::hex << Pixel(720, 164) << " (bank 3 hover)";
    Publish(Screenshot("main_window_hover"), "main_window_hover");

    // The File menu open over the picture.
    Click(30, 12);
    RunIdle();
    Publish(Screenshot("main_menu_file"), "main_menu_file");
    Key(SDLK_ESCAPE);
    RunIdle();
}

TEST_F(MainWindowScreen, NumbersEveryTileBeforeAnyValueReachesIt)
{
    ASSERT_TRUE(OpenMain());
    const auto text = [&](std::initializer_list<const char16_t*> path) {
        RCPtr<LControl> c(view);
        for (const char16_t* name : path)
            c = c ? c->FindChild(WString(name)) : c;
        return c ? std::string(c->GetText().ToNarrow().GetString()) : std::string("(missing)");
    };
    // The number within the bank, in every bank: no format shows through.
    EXPECT_EQ(text({u"pads", u"pad14", u"padNumberLabel"}), "P14");
    EXPECT_EQ(text({u"buttons", u"buttonBank3", u"button2", u"buttonNumberLabel"}), "B2");
    EXPECT_EQ(text({u"encoders", u"encoderBank4", u"encoder4", u"encoderNameLabel"}), "E4");
    EXPECT_EQ(text({u"faders", u"faderBank2", u"fader5", u"faderNumberLabel"}), "F5");
    EXPECT_EQ(text({u"keybedZones", u"zone3", u"zoneName"}), "ZONE 3");
    // The engine's numbering later agrees: pad 14 stays P14.
    auto* pad =
        dynamic_cast<LParameterizedModule*>(view->FindChild(WString(u"pads"))->FindChild(WString(u"pad14")).Get());
    ASSERT_TRUE(pad);
    pad->SetFirstParamID(nullptr, 100, 13);
    EXPECT_EQ(text({u"pads", u"pad14", u"padNumberLabel"}), "P14");
}

TEST_F(MainWindowScreen, ThePushButtonRowKeepsToItsColumn)
{
    ASSERT_TRUE(OpenMain());
    // The column of the preset name and the bank buttons.
    const RCPtr<LControl> name = Descendant(*main, u"presetNameEditPanel");
    const RCPtr<LControl> bank = Descendant(*main, u"buttonBank1");
    ASSERT_TRUE(name && bank);
    const RCPtr<LControl> first = bank->FindChild(WString(u"button1")), last = bank->FindChild(WString(u"button5"));
    ASSERT_TRUE(first && last);
    // A tile's artwork lies two pixels in from its edges, the room for its ring.
    EXPECT_EQ(first->GetOriginInRootWindow().x + 2, name->GetOriginInRootWindow().x);
    EXPECT_EQ(last->GetOriginInRootWindow().x + last->GetSize().x - 2,
              name->GetOriginInRootWindow().x + name->GetSize().x);
}

TEST_F(MainWindowScreen, TheXYGridRunsThroughItsCross)
{
    ASSERT_TRUE(OpenMain());
    const RCPtr<LControl> pad = Descendant(*main, u"xyPad");
    ASSERT_TRUE(pad);
    RunIdle();
    // The cross sits in the middle of the surface below its 60-pixel band; grid lines 23 apart. The
    // surface lies two pixels in from the group's edges.
    const PointT<double> at = pad->GetOriginInRootWindow();
    const int32_t cx = static_cast<int32_t>(at.x) + 2 + 92, cy = static_cast<int32_t>(at.y) + 2 + 122;
    for (int32_t step : {-23, 0, 23}) {
        // Half a cell beside the cross's arms, on the cross's row and column and one cell off them.
        EXPECT_TRUE(Near(Pixel(cx - 34, cy + step), 0x2A2E33, 3))
            << std::hex << Pixel(cx - 34, cy + step) << " row " << step;
        EXPECT_TRUE(Near(Pixel(cx + step, cy + 34), 0x2A2E33, 3))
            << std::hex << Pixel(cx + step, cy + 34) << " column " << step;
    }
}

TEST_F(MainWindowScreen, ThePresetNameIsBold)
{
    ASSERT_TRUE(OpenMain());
    const RCPtr<LControl> panel = Descendant(*main, u"presetNameEditPanel");
    const RCPtr<LControl> box = panel ? panel->FindChild(WString(u"textBox")) : RCPtr<LControl>();
    ASSERT_TRUE(box);
    box->SetText(WString(u"MMMM"));
    RunIdle();
    // Regular type's ink stays inside its advance width; the panel's bold type is wider than that.
    const PointT<double> at = box->GetOriginInRootWindow();
    int32_t left = 100000, right = -1;
    for (int32_t y = static_cast<int32_t>(at.y) + 2; y < static_cast<int32_t>(at.y + box->GetSize().y) - 2; ++y)
        for (int32_t x = static_cast<int32_t>(at.x) + 2; x < static_cast<int32_t>(at.x + box->GetSize().x) - 2; ++x)
            if ((Pixel(x, y) & 0xFF) > 0xA0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const ConstRCPtr<LFont> font = panel->GetFont();
    const float regular = MeasureTextWidth(GetMeasurementRenderer().Get(),
                                           LFont::GetFont(font->GetFaceName(), font->GetSize(), 0), WString(u"MMMM"));
    EXPECT_GT(right - left + 1, regular) << "regular type, or too small";
}

TEST_F(MainWindowScreen, OpenMenusAndDropDownListsHaveABorder)
{
    ASSERT_TRUE(OpenMain());
    // The left and bottom edges of the open part in the strong border colour, not the rows' face.
    const auto edges = [&](LControl& part, const char* what) {
        const PointT<double> at = part.GetOriginInRootWindow();
        const int32_t x = static_cast<int32_t>(at.x), y = static_cast<int32_t>(at.y + part.GetSize().y) - 1;
        EXPECT_TRUE(Near(Pixel(x, y - 30), 0x4A5058, 3)) << what << std::hex << " left " << Pixel(x, y - 30);
        EXPECT_TRUE(Near(Pixel(x + 20, y), 0x4A5058, 3)) << what << std::hex << " bottom " << Pixel(x + 20, y);
    };
    Click(30, 12);
    RunIdle();
    const RCPtr<LControl> menu = Descendant(*main, u"popupMenu");
    ASSERT_TRUE(menu && menu->IsShowing(true));
    edges(*menu, "menu");
    Key(SDLK_ESCAPE);
    RunIdle();

    view->ShowEditPanel(0, 0);
    RunIdle();
    const auto combo = RCPtr<LComboBox>::DynamicCast(
        ConstRCPtr<LControl>(Descendant(*Descendant(*main, u"faderEditPanel"), u"comboBox")));
    ASSERT_TRUE(combo);
    ClickOn(*combo);
    RunIdle();
    ASSERT_TRUE(combo->IsDropDownShowing());
    edges(*combo->GetDropDownPart(), "list");
    Publish(Screenshot("drop_down_open"), "main_window_drop_down_open");
}

TEST_F(MainWindowScreen, EverySummaryATileCanShowFitsItsTextBox)
{
    ASSERT_TRUE(OpenMain());
    RunIdle();
    // Every message kind with its widest numbers, through the tiles' own summaries, on every kind
    // of channel: each text painted whole inside its box (on the knob, on its cap). A hostile byte
    // makes a number too wide for the narrow boxes: it shows its beginning, cut at the right only.
    std::vector<std::vector<int>> buttonMessages, moveableMessages; // the hostile one last
    for (int channel : {0, 16, 20, 21}) {
        for (int typed : {0, 1})
            for (int type = 0; type < 128; type += typed == 0 ? 127 : 1)
                for (int fill : {0, 127}) {
                    buttonMessages.push_back({channel, typed, type, 127, 127, fill, fill, fill, fill, 127});
                    moveableMessages.push_back({channel, typed, type, 127, 127, 127});
                }
        for (int command = 0; command < 16; ++command)
            buttonMessages.push_back({channel, 1, 21, 0, command, 0, 0, 0, 0, 0});
    }
    buttonMessages.push_back({0, 0, 0x90, 0, 0, 0, 0, 0, 0, 0});
    moveableMessages.push_back({0, 0, 0x90, 0, 0, 0});
    // A control's pixels, row by row.
    const auto pixels = [&](LControl& c) {
        const PointT<double> at = c.GetOriginInRootWindow();
        std::vector<uint32_t> out;
        for (int32_t y = 0; y < static_cast<int32_t>(c.GetSize().y); ++y)
            for (int32_t x = 0; x < static_cast<int32_t>(c.GetSize().x); ++x)
                out.push_back(Pixel(static_cast<int32_t>(at.x) + x, static_cast<int32_t>(at.y) + y));
        return out;
    };
    for (const char16_t* name :
         {u"pad13", u"button1", u"encoder1", u"fader1", u"pitchWheel", u"xAxis", u"volumePedal", u"sustainPedal"}) {
        const std::string tileName = WString(name).ToNarrow().GetString();
        const RCPtr<LControl> tile = Descendant(*main, name);
        ASSERT_TRUE(tile) << tileName;
        const RCPtr<LControl> panel = tile->FindChild(WString(u"viewPanel"));
        auto* button = dynamic_cast<LButtonControlViewPanel*>(panel.Get());
        auto* moveable = dynamic_cast<LMoveableControlViewPanel*>(panel.Get());
        ASSERT_TRUE(button || moveable) << tileName;
        const RCPtr<LControl> channel = panel->FindChild(WString(u"midiChannel"));
        const RCPtr<LControl> labels[] = {panel->FindChild(WString(u"infoLabel")),
                                          channel ? channel->FindChild(WString(u"label")) : RCPtr<LControl>()};
        std::set<std::string> seen[2];
        std::vector<uint32_t> blank[2];
        for (int k = 0; k < 2; ++k) {
            ASSERT_TRUE(labels[k]) << tileName;
            labels[k]->SetText(WString());
            RunIdle();
            blank[k] = pixels(*labels[k]);
        }
        const std::vector<std::vector<int>>& messages = button ? buttonMessages : moveableMessages;
        for (const std::vector<int>& message : messages) {
            Array<char> bytes;
            for (int b : message)
                bytes.AddItem(static_cast<char>(b));
            if (button)
                button->SetButtonMessage(bytes);
            else
                moveable->SetMoveableValue(bytes);
            for (int k = 0; k < 2; ++k) {
                LControl& label = *labels[k];
                const WString shown = label.GetText();
                const std::string text = shown.ToNarrow().GetString();
                if (text.empty() || !seen[k].insert(text).second)
                    continue;
                RunIdle();
                const int32_t w = static_cast<int32_t>(label.GetSize().x), h = static_cast<int32_t>(label.GetSize().y);
                const std::vector<uint32_t> now = pixels(label);
                int32_t left = w, right = -1, top = h, bottom = -1;
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x)
                        if (!Near(now[static_cast<size_t>(y * w + x)], blank[k][static_cast<size_t>(y * w + x)], 40)) {
                            left = std::min(left, x), right = std::max(right, x);
                            top = std::min(top, y), bottom = std::max(bottom, y);
                        }
                const std::string where = tileName + " \"" + text + "\" ink " + std::to_string(left) + ".." +
                                          std::to_string(right) + " in " + std::to_string(w);
                if (&message == &messages.back() && label.IsTextClipped()) {
                    // Longer still, it shows the same: its beginning stays put at the left edge.
                    label.SetText(shown + WString(u"0000"));
                    RunIdle();
                    EXPECT_TRUE(pixels(label) == now) << where << ": not shown from its beginning";
                    continue;
                }
                EXPECT_FALSE(label.IsTextClipped()) << where;
                EXPECT_FALSE(left == 0 && right == w - 1) << where << ": cut at both sides";
                // On the knob, the text stays on its cap: no corner of the ink over the body around it.
                if (tileName != "encoder1" || k != 0 || right < left)
                    continue;
                for (const auto& [x, y] : {std::pair{left, top}, {right, top}, {left, bottom}, {right, bottom}}) {
                    const uint32_t under = blank[k][static_cast<size_t>(y * w + x)];
                    EXPECT_GE((under >> 8) & 0xFF, 0x2Cu)
                        << where << ": off the knob at " << x << "," << y << " " << std::hex << under;
                }
            }
        }
    }
}

TEST_F(MainWindowScreen, ShowsEachEditPanelInTheEditArea)
{
    ASSERT_TRUE(OpenMain());
    RunIdle();
    const auto hint = HintInk();
    ASSERT_FALSE(hint.empty());
    for (const auto& panel : kEditPanels) {
        view->ShowEditPanel(panel.kind, panel.index);
        RunIdle();
        Publish(Screenshot(panel.picture), panel.picture);
        // The panel covers the hint and fills the area down to its margin above the bottom edge.
        size_t showing = 0;
        for (const auto& [at, colour] : hint)
            showing += Pixel(at.first, at.second) == colour;
        EXPECT_LT(showing, hint.size() / 10) << panel.picture << " leaves the hint showing";
        EXPECT_TRUE(Near(Pixel(600, 730), 0x202327)) << std::hex << Pixel(600, 730) << " " << panel.picture;
        EXPECT_TRUE(Near(Pixel(600, 745), 0x16181B, 2)) << std::hex << Pixel(600, 745) << " " << panel.picture;
        // One panel shows: its title in the secondary colour over the panel background (read in
        // the panel's bottom right corner, where no panel has a widget).
        EXPECT_TRUE(Near(Pixel(1170, 710), 0x202327)) << panel.picture;
        bool titleInk = false;
        for (int32_t x = 16 + 20; x < 16 + 120 && !titleInk; ++x)
            for (int32_t y = 24 + 424 + 16; y < 24 + 424 + 32 && !titleInk; ++y)
                titleInk = !Near(Pixel(x, y), 0x202327, 24);
        EXPECT_TRUE(titleInk) << panel.picture << " shows no title";
    }
}

TEST_F(MainWindowScreen, LaysEveryEditPanelOnOneGrid)
{
    ASSERT_TRUE(OpenMain());
    const struct {
        int32_t kind, index;
        const char16_t *panel, *title;
        bool banked;
    } panels[] = {{1, 0, u"knobEditPanel", u"knobName", true},
                  {0, 0, u"faderEditPanel", u"faderName", true},
                  {2, 0, u"padEditPanel", u"padName", false},
                  {3, 0, u"xyPadEditPanel", u"axisName", false},
                  {4, 0, u"wheelEditPanel", u"wheelName", false},
                  {5, 0, u"zoneEditPanel", u"zoneName", false},
                  {6, 0, u"buttonEditPanel", u"buttonName", true},
                  {7, 0, u"volumePedalEditPanel", u"controlNameLabel", false},
                  {7, 1, u"sustainEditPage", u"controlNameLabel", false}};
    using Spot = std::pair<PointT<double>, PointT<double>>; // where in the panel, how large
    std::optional<Spot> title, bank, firstBox;
    const auto same = [](std::optional<Spot>& first, const Spot& now, const char* what, const char16_t* panel) {
        if (!first)
            first = now;
        EXPECT_TRUE(first->first == now.first && first->second == now.second)
            << what << " of " << WString(panel).ToNarrow().GetString() << " at " << now.first.x << "," << now.first.y
            << " " << now.second.x << "x" << now.second.y << ", not where the first panel has it";
    };
    for (const auto& p : panels) {
        view->ShowEditPanel(p.kind, p.index);
        RunIdle();
        RCPtrArray<LControl> found;
        main->FindDescendantsByName(WString(p.panel), found);
        ASSERT_EQ(found.GetCount(), 1u);
        const RCPtr<LControl> panel = found.GetData()[0];
        ASSERT_TRUE(panel->IsShowing(true));
        const PointT<double> origin = panel->GetOriginInRootWindow();
        const auto spot = [&](LControl& c) {
            const PointT<double> at = c.GetOriginInRootWindow();
            return Spot{{at.x - origin.x, at.y - origin.y}, c.GetSize()};
        };
        // The name (and bank) in one place.
        ASSERT_TRUE(panel->FindChild(WString(p.title)));
        same(title, spot(*panel->FindChild(WString(p.title))), "the title", p.panel);
        if (p.banked) {
            ASSERT_TRUE(panel->FindChild(WString(u"bankName")));
            same(bank, spot(*panel->FindChild(WString(u"bankName"))), "the bank", p.panel);
        }
        // The channel's box opens the first row of fields, on the same line everywhere.
        RCPtrArray<LControl> channels;
        panel->FindDescendantsByName(WString(u"midiChannel"), channels);
        const LControl* box = nullptr;
        for (uint32_t i = 0; i < channels.GetCount() && !box; ++i)
            if (channels.GetData()[i]->IsShowing(true) && channels.GetData()[i]->FindChild(WString(u"comboBox")))
                box = channels.GetData()[i]->FindChild(WString(u"comboBox")).Get();
        ASSERT_TRUE(box) << WString(p.panel).ToNarrow().GetString() << " shows no channel box";
        same(firstBox, spot(const_cast<LControl&>(*box)), "the channel box", p.panel);
        // Nothing that shows reaches past the panel's edges, on any page the user can click to.
        const PointT<double> size = panel->GetSize();
        std::function<void(LControl&)> inside = [&](LControl& c) {
            LChildControlList& children = c.GetChildren();
            for (uint32_t i = 0; i < children.GetCount(); ++i) {
                LControl& child = *children.GetAt(i, kOrderInsertion);
                if (!child.IsShowing(true))
                    continue;
                const Spot s = spot(child);
                const bool within = s.first.x >= 0 && s.first.y >= 0 && s.first.x + s.second.x <= size.x + 0.5 &&
                                    s.first.y + s.second.y <= size.y + 0.5;
                EXPECT_TRUE(within) << child.GetName().ToNarrow().GetString() << " in "
                                    << WString(p.panel).ToNarrow().GetString() << " at " << s.first.x << ","
                                    << s.first.y << " " << s.second.x << "x" << s.second.y;
                if (within)
                    inside(child);
            }
        };
        inside(*panel);
        std::function<void(LControl&)> everyPage = [&](LControl& c) {
            LChildControlList& children = c.GetChildren();
            for (uint32_t i = 0; i < children.GetCount(); ++i) {
                LControl& child = *children.GetAt(i, kOrderInsertion);
                const RCPtr<LControl> tabs = child.FindChild(WString(u"buttonHolder"));
                if (!child.IsShowing(true) || !tabs || !child.FindChild(WString(u"pageHolder"))) {
                    if (child.IsShowing(true))
                        everyPage(child);
                    continue;
                }
                LChildControlList& buttons = tabs->GetChildren();
                for (uint32_t b = buttons.GetCount(); b > 0; --b) {
                    LControl& tab = *buttons.GetAt(b - 1, kOrderInsertion);
                    if (!tab.IsShowing(true))
                        continue;
                    ClickOn(tab);
                    RunIdle();
                    inside(*panel);
                    everyPage(*child.FindChild(WString(u"pageHolder")));
                }
            }
        };
        everyPage(*panel);
    }
}

TEST_F(MainWindowScreen, GivesLikeThingsOneSizeAndOneGrid)
{
    ASSERT_TRUE(OpenMain());
    RunIdle();
    // The sections along the top of the picture have their headers on one line; each pedal's header
    // stands as far above its pedal.
    const auto top = [&](const char16_t* name) {
        const RCPtr<LControl> c = Descendant(*main, name);
        return c ? c->GetOriginInRootWindow().y : -1000.0;
    };
    for (const char16_t* header :
         {u"headerWheels", u"headerXYPad", u"headerEncoders", u"headerPresetName", u"headerPads"})
        EXPECT_EQ(top(u"headerPedals"), top(header)) << WString(header).ToNarrow().GetString();
    EXPECT_EQ(top(u"volumePedal") - top(u"headerPedals"), top(u"sustainPedal") - top(u"headerSustain"));

    // Every page tab of every edit panel in one size: the same font and height, and a tab of the
    // same name painted alike wherever it shows.
    std::optional<std::pair<float, double>> size;
    std::map<std::string, std::pair<int32_t, int32_t>> inks;
    for (const auto& p : kEditPanels) {
        view->ShowEditPanel(p.kind, p.index);
        RunIdle();
        RCPtrArray<LControl> holders;
        main->FindDescendantsByName(WString(u"buttonHolder"), holders);
        for (uint32_t h = 0; h < holders.GetCount(); ++h) {
            if (!holders.GetData()[h]->IsShowing(true))
                continue;
            LChildControlList& tabs = holders.GetData()[h]->GetChildren();
            for (uint32_t t = 0; t < tabs.GetCount(); ++t) {
                LControl& tab = *tabs.GetAt(t, kOrderInsertion);
                if (!tab.IsShowing(true))
                    continue;
                const std::string name = tab.GetName().ToNarrow().GetString();
                const std::pair<float, double> now{tab.GetFont()->GetSize(), tab.GetSize().y};
                if (!size)
                    size = now;
                EXPECT_TRUE(*size == now) << p.picture << " tab " << name << " " << now.first << " high " << now.second
                                          << ", not " << size->first << " high " << size->second;
                if (name != "otherPage" && name != "ccAbsolutePage")
                    continue;
                // The text's ink on the tab's face, inside its border.
                const PointT<double> o = tab.GetOriginInRootWindow();
                const int32_t x0 = static_cast<int32_t>(o.x) + 3, y0 = static_cast<int32_t>(o.y) + 3;
                const int32_t x1 = static_cast<int32_t>(o.x + tab.GetSize().x) - 3;
                const int32_t y1 = static_cast<int32_t>(o.y + tab.GetSize().y) - 3;
                const uint32_t face = Pixel(x0, y0);
                int32_t left = x1, right = x0, top = y1, bottom = y0;
                for (int32_t y = y0; y < y1; ++y)
                    for (int32_t x = x0; x < x1; ++x)
                        if (!Near(Pixel(x, y), face, 60)) {
                            left = std::min(left, x), right = std::max(right, x);
                            top = std::min(top, y), bottom = std::max(bottom, y);
                        }
                const std::pair<int32_t, int32_t> ink{right - left + 1, bottom - top + 1};
                const std::string key = name + (tab.GetNormalizedValue() > 0.5 ? "+" : "");
                if (!inks.count(key))
                    inks[key] = ink;
                EXPECT_EQ(inks[key], ink) << p.picture << " tab " << name << " ink " << ink.first << "x" << ink.second
                                          << ", elsewhere " << inks[key].first << "x" << inks[key].second;
            }
        }
    }
    EXPECT_EQ(inks.count("otherPage"), 1u);

    // The XY pad's note page: the notes stand in the columns the row above them is laid on.
    view->ShowEditPanel(3, 0);
    RunIdle();
    RCPtrArray<LControl> named;
    Descendant(*main, u"xyPadEditPanel")->FindDescendantsByName(WString(u"noteModePage"), named);
    RCPtr<LControl> notes;
    for (uint32_t i = 0; i < named.GetCount(); ++i) {
        if (named.GetData()[i]->FindChild(WString(u"noteModeType")))
            notes = named.GetData()[i];
        else
            ClickOn(*named.GetData()[i]);
    }
    RunIdle();
    ASSERT_TRUE(notes && notes->IsShowing(true));
    const RCPtr<LControl> type = notes->FindChild(WString(u"noteModeType"));
    const RCPtr<LControl> scale = notes->FindChild(WString(u"noteScaleType"));
    ASSERT_TRUE(type && scale);
    const int32_t pitch = static_cast<int32_t>(scale->GetPosition().x - type->GetPosition().x);
    const int32_t gap = pitch - static_cast<int32_t>(type->GetSize().x);
    ASSERT_GT(pitch, 0);
    for (int n = 1; n <= 8; ++n) {
        const RCPtr<LControl> note = notes->FindChild(WString(u"note") + WString::Format(u"%d", n));
        ASSERT_TRUE(note) << n;
        const int32_t x = static_cast<int32_t>(note->GetPosition().x - type->GetPosition().x);
        const int32_t w = static_cast<int32_t>(note->GetSize().x);
        EXPECT_EQ(x % pitch, 0) << "note " << n << " at " << x << ", columns " << pitch << " apart";
        EXPECT_EQ((w + gap) % pitch, 0) << "note " << n << " " << w << " wide, columns " << pitch << " apart";
    }
}

TEST_P(DialogScreen, ShowsEveryPartOfTheDialog)
{
    const DialogShot& shot = GetParam();
    RCPtr<LControl> dialog = CreateMain(shot.name);
    ASSERT_TRUE(dialog);
    RunIdle();
    Publish(Screenshot(shot.picture), shot.picture);
    // The panel colour inside, one border pixel at the edge.
    EXPECT_TRUE(Near(Pixel(shot.width / 2, shot.height - 3), 0x202327))
        << std::hex << Pixel(shot.width / 2, shot.height - 3);
    EXPECT_TRUE(Near(Pixel(shot.width / 2, 0), 0x353A40)) << std::hex << Pixel(shot.width / 2, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogScreen,
    ::testing::Values(DialogShot{u"dialogRetrievePresetFromHardware", "dialog_get_preset", 400, 150},
                      DialogShot{u"dialogSendPreset", "dialog_send_preset", 400, 150},
                      DialogShot{u"dialogAbout", "dialog_about", 500, 200},
                      DialogShot{u"globalEditorControl", "dialog_global_settings", 450, 470}),
    [](const ::testing::TestParamInfo<DialogShot>& info) { return std::string(info.param.picture); });

class SlotDialogScreen : public EditorScreen {
protected:
    int32_t WindowWidth() const override { return 400; }
    int32_t WindowHeight() const override { return 150; }
};

TEST_F(SlotDialogScreen, OpensTheSlotListBelowTheBoxInAWindowOfItsOwnWhereAClickOrTheKeysChoose)
{
    RCPtr<LControl> dialog = CreateMain(u"dialogRetrievePresetFromHardware");
    ASSERT_TRUE(dialog);
    RCPtr<LControl> slot = dialog->FindChild(WString(u"presetSlot"));
    ASSERT_TRUE(slot);
    RCPtr<LComboBox> combo = RCPtr<LComboBox>::DynamicCast(ConstRCPtr<LControl>(slot->FindChild(WString(u"comboBox"))));
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->GetSelectedIndex(), 0) << "the slot starts on RAM";
    RunIdle();
    const uint32_t title = Pixel(100, 24);
    ClickOn(*combo);
    RunIdle();
    ASSERT_TRUE(combo->IsDropDownShowing()) << "a click opens the list and leaves it open";
    Publish(Screenshot("dialog_get_preset_open"), "dialog_get_preset_open");
    EXPECT_EQ(Pixel(100, 24), title) << "the dialog's title stays uncovered";
    OSWindow* popup = WindowOf(*combo->GetListBox());
    ASSERT_TRUE(popup && popup != window) << "the list opens in a window of its own";
    const platform::sdl::Rect list = popup->GetPlatformWindow().ClientRectOnScreen();
    const platform::sdl::Rect box = window->GetPlatformWindow().ClientRectOnScreen();
    EXPECT_GE(list.y, box.y + combo->GetOriginInRootWindow().y + combo->GetSize().y) << "below the box";
    const int32_t row = combo->GetListBox()->GetRowHeight();
    EXPECT_GT(list.height / row, 4);
    const std::string shot = ScreenshotPath("dialog_get_preset_list");
    EXPECT_EQ(popup->GetWindowSurface()->GetBackBuffer().SaveToPng(shot), gdi::Status::Ok);
    Publish(shot, "dialog_get_preset_list");
    // The third row, clicked in the list's window, becomes the slot and closes the list.
    QueueClick(*popup, list.width / 2, static_cast<int32_t>(combo->GetListBox()->GetItemRowRect(2).y) + row / 2);
    RunIdle();
    EXPECT_EQ(combo->GetSelectedIndex(), 2);
    EXPECT_FALSE(combo->IsDropDownShowing());
    EXPECT_EQ(WindowOf(*combo->GetListBox()), window);
    // The box keeps the focus and hands the keys to the list in its window.
    Key(SDLK_DOWN);
    EXPECT_NE(WindowOf(*combo->GetListBox()), window);
    Key(SDLK_DOWN);
    Key(SDLK_RETURN);
    EXPECT_EQ(combo->GetSelectedIndex(), 3);
    EXPECT_FALSE(combo->IsDropDownShowing());
}

TEST_F(EditorScreen, AMessageBoxLaysOutItsTextInWorkThatGrowsInProportionToItsLength)
{
    // Characters measured while a box is prepared for n blanks, a word of n letters and n / 4
    // short words.
    const auto work = [&](size_t n) {
        std::u16string text(n, u' ');
        text += std::u16string(n, u'w');
        for (size_t i = 0; i < n / 4; ++i)
            text += u" ab";
        const RCPtr<editor::LMessageBoxDlg> box = CreateTopLevelAs<editor::LMessageBoxDlg>(u"dialogMessageBox");
        const RCPtr<CountingMeasurer> counting(new CountingMeasurer());
        EXPECT_TRUE(box && box->Prepare(WString(text.c_str()), WString(u"Load Preset Error"),
                                        platform::sdl::DescribeMessageBox(platform::sdl::kBoxIconError)));
        return counting->characters;
    };
    const size_t small = work(400);
    const size_t large = work(1600);
    EXPECT_LT(large, 6 * small) << small << " characters measured for 400, " << large << " for 1,600";
}

TEST_F(EditorScreen, AMessageBoxWrapsALongTextGrowsToItAndEscapeCancels)
{
    const RCPtr<editor::LMessageBoxDlg> box = CreateTopLevelAs<editor::LMessageBoxDlg>(u"dialogMessageBox");
    ASSERT_TRUE(box);
    const WString text(u"Error connecting to device. Verify your Lumo Keyboard is plugged into the USB port and try "
                       u"again. Then choose the command once more; nothing was sent.");
    const double skinHeight = box->GetSize().y;
    ASSERT_TRUE(
        box->Prepare(text, WString(u"Global Settings Error"),
                     platform::sdl::DescribeMessageBox(platform::sdl::kBoxOkCancel | platform::sdl::kBoxIconError)));
    const RCPtr<LControl> message = box->FindChild(WString(u"labelText"));
    const RCPtr<LControl> ok = box->FindChild(WString(u"buttonOK"));
    const RCPtr<LControl> cancel = box->FindChild(WString(u"buttonCancel"));
    ASSERT_TRUE(message && ok && cancel);
    EXPECT_GT(box->GetSize().y, skinHeight) << "three lines need more than the skin's two";
    const RCPtr<IControlLook>& look = message->GetLookAt(-1);
    ASSERT_TRUE(look && look->GetLabel());
    const int32_t lines = look->GetLabel()->GetHeightForWidth(static_cast<int32_t>(message->GetSize().x));
    EXPECT_GE(message->GetSize().y, lines) << "the message's lines are cut";
    EXPECT_FALSE(box->FindChild(WString(u"buttonYes"))->IsShowing(false));
    // OK, then Cancel at the right edge, below the text and inside the box.
    EXPECT_EQ(cancel->GetPosition().x + cancel->GetSize().x, 416);
    EXPECT_LT(ok->GetPosition().x + ok->GetSize().x, cancel->GetPosition().x);
    EXPECT_GE(ok->GetPosition().y, message->GetPosition().y + message->GetSize().y + 8);
    EXPECT_EQ(ok->GetPosition().y + ok->GetSize().y + 16, box->GetSize().y);

    int passes = 0;
    uint32_t mark = 0, face = 0;
    whileModal = [&] {
        OSWindow* w = WindowOf(*box);
        if (!w || ++passes != 4)
            return;
        const std::string path = ScreenshotPath("message_box");
        ctltest::SaveWindowPng(w->GetPlatformWindow().Handle(), path);
        Publish(path, "dialog_message_box_long");
        SDL_Window* handle = w->GetPlatformWindow().Handle();
        const auto at = [&](int32_t x, int32_t y) { return apptest::WindowPixel(handle, x, y); };
        EXPECT_EQ(SDL_GetWindowSurface(handle)->h, static_cast<int>(box->GetSize().y))
            << "the window has the box's height";
        mark = at(220, 2);
        face = at(220, static_cast<int>(box->GetSize().y) - 8);
        // The desktop gives the box the focus; the user presses Escape.
        apptest::PushWindowEvent(w->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_GAINED);
        apptest::PushKey(w->GetPlatformWindow().Id(), SDLK_ESCAPE);
    };
    EXPECT_EQ(box->ShowModal(), platform::sdl::kIdCancel);
    whileModal = nullptr;
    EXPECT_TRUE(Near(mark, 0xF26B5B)) << std::hex << mark << ": the error's mark";
    EXPECT_TRUE(Near(face, 0x202327)) << std::hex << face;
}
