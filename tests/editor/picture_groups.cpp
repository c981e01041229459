// The group panels of push buttons, encoders, faders and pads in a device view of their own: clicks
// highlight one tile in all banks and open and point the edit panel of their kind (the pads point
// before they show, the others after), the edit panel takes its tile's place for routed values and
// its values end in the tile, and skins without banks, tiles or edit panels fail at Initialize.
#include "ViewFixture.h"

#include "editor/GroupPanels.h"
#include "editor/KeybedZoneGroupPanel.h"
#include "editor/PedalGroupPanel.h"
#include "editor/WheelGroupPanels.h"

#include "kx/controls/Button.h"

#include <filesystem>
#include <fstream>
#include <functional>

using namespace KX;
using viewtest::Bytes;

namespace {

// A tile of any kind: records what reaches it as a module.
template <class Leaf>
class FakeTile : public LPanel, public Leaf {
public:
    FakeTile(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}
    KXRESULT SetParamValueLocal(const ParamDescriptor& d, const Variant& v, bool fromDevice) override
    {
        values.push_back({d.id, v, fromDevice});
        return S_OK;
    }
    std::vector<typename viewtest::RecordingModule<Leaf>::Entry> values;
};

// An edit panel of any kind: records its retargets (and whether it was showing then) and hands
// what it shows on upwards, as the real ones do.
template <class Leaf>
class FakeEditPanel : public LPanel, public Leaf {
public:
    struct Target {
        LParameterizedModule* parent;
        int32_t id;
        int32_t index;
        bool showing;
    };
    FakeEditPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}
    void SetFirstParamID(LParameterizedModule* parent, int32_t id, int32_t index) override
    {
        LParameterizedModule::SetFirstParamID(parent, id, index);
        targets.push_back({parent, id, index, IsShowing(false)});
        if (const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine())
            engine->PostParamModuleStateChange(ParamDescriptors(id, 1));
    }
    KXRESULT SetParamValueLocal(const ParamDescriptor& d, const Variant& v, bool) override
    {
        if (d.id != this->GetFirstParamID())
            return E_FAIL;
        shown.push_back(d.id);
        this->SetParamValueGlobal(d, v);
        return S_OK;
    }
    std::vector<Target> targets;
    std::vector<int32_t> shown;
};

std::string Panel(const std::string& cls, const std::string& name, const std::string& inner = "",
                  const std::string& extra = "")
{
    return "<SubControl Class=\"" + cls + "\" Name=\"" + name + "\" XSizeAbs=\"20\" YSizeAbs=\"20\"" + extra +
           "><Skin Name=\"S\" LookList=\"PanelLooks\">" + inner + "</Skin></SubControl>\n";
}

std::string Tile(const std::string& cls, const std::string& name)
{
    return Panel(cls, name,
                 "<SubControl Class=\"Framework.Button\" Name=\"button\" XSizeAbs=\"20\" YSizeAbs=\"20\">"
                 "<Skin Name=\"B\" LookList=\"ButtonLooks\"/></SubControl>");
}

// Which parts of the generated picture to leave out or change, by name.
struct SkinChanges {
    std::vector<std::string> dropped;         // banks or tiles, "buttonBank2/button5" or "encoderBank3"
    std::vector<std::string> plainEditPanels; // edit panels left plain panels
    bool withoutDeviceView = false;
};

bool Has(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

std::string Group(const SkinChanges& c, const std::string& cls, const std::string& name, const std::string& bank,
                  const std::string& tileClass, const std::string& tile, int banks, int tiles)
{
    std::string inner;
    for (int b = 1; b <= banks; ++b) {
        const std::string bankName = bank + std::to_string(b);
        std::string bankInner;
        for (int t = 1; t <= tiles; ++t) {
            const std::string tileName = tile + std::to_string(t);
            if (!Has(c.dropped, bankName + "/" + tileName))
                bankInner += Tile(tileClass, tileName);
        }
        if (bank.empty())
            inner += bankInner;
        else if (!Has(c.dropped, bankName))
            inner += Panel("Framework.Panel", bankName, bankInner, b == 1 ? "" : " IsVisible=\"False\"");
    }
    return Panel(cls, name, inner);
}

std::string MakeSkin(const SkinChanges& c)
{
    std::string view;
    const std::pair<const char*, const char*> edits[] = {{"padEditPanel", "Test.PadEdit"},
                                                         {"knobEditPanel", "Test.EncoderEdit"},
                                                         {"faderEditPanel", "Test.FaderEdit"},
                                                         {"buttonEditPanel", "Test.ButtonEdit"},
                                                         {"volumePedalEditPanel", "Test.VolumeEdit"},
                                                         {"wheelEditPanel", "Test.WheelEdit"},
                                                         {"xyPadEditPanel", "Test.AxisEdit"},
                                                         {"sustainEditPage", "Test.SustainEdit"},
                                                         {"zoneEditPanel", nullptr}};
    for (const auto& [name, cls] : edits)
        view += Panel(cls && !Has(c.plainEditPanels, name) ? cls : "Framework.Panel", name);
    view += Group(c, "PresetEditor.MainControl.PadView", "pads", "", "Test.Pad", "pad", 1, 16);
    view +=
        Group(c, "PresetEditor.MainControl.EncoderView", "encoders", "encoderBank", "Test.Encoder", "encoder", 4, 4);
    view += Group(c, "PresetEditor.MainControl.FaderView", "faders", "faderBank", "Test.Fader", "fader", 4, 5);
    view += Group(c, "PresetEditor.MainControl.ButtonView", "buttons", "buttonBank", "Test.Button", "button", 4, 5);
    auto named = [&c](const std::string& cls, const std::string& name, const std::string& tileClass,
                      std::initializer_list<const char*> tiles) {
        std::string inner;
        for (const char* t : tiles)
            if (!Has(c.dropped, name + "/" + t))
                inner += Tile(tileClass, t);
        return Panel(cls, name, inner);
    };
    view += named("PresetEditor.MainControl.WheelView", "wheels", "Test.Wheel", {"pitchWheel", "modWheel"});
    view += named("PresetEditor.MainControl.XYPadView", "xyPad", "Test.Axis", {"xAxis", "yAxis"});
    view += named("PresetEditor.MainControl.Pedals", "pedals", "Test.Volume", {"volumePedal"});
    if (const size_t at = view.rfind("</Skin></SubControl>"); !Has(c.dropped, "pedals/sustainPedal"))
        view.insert(at, Tile("Test.Sustain", "sustainPedal"));
    for (const char* name : {"keybedZones", "presetNameEditPanel", "groupBankPanel"})
        view += Panel("Framework.Panel", name);
    const std::string device =
        Panel(c.withoutDeviceView ? "Framework.Panel" : "PresetEditor.MainControl.DeviceView", "viewDevice", view);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<G_Skin_Root><Application Name=\"ControlsTest\"><Skins>"
           "<Skin Name=\"Groups\" FontName=\"DejaVu Sans\" FontSize=\"10\">" +
           Panel("PresetEditor.MainControl", "mainControl", device) + "</Skin></Skins></Application></G_Skin_Root>\n";
}

class Groups : public viewtest::ViewTest {
protected:
    std::vector<std::string> Areas() const override { return {"basic", "menus", m_area}; }
    void RegisterClasses(LControlFactory& f) override
    {
        viewtest::ViewTest::RegisterClasses(f);
        f.RegisterControlClass(WString(u"Test.Pad"), &CreateControlOfClass<FakeTile<IPad>>);
        f.RegisterControlClass(WString(u"Test.Encoder"), &CreateControlOfClass<FakeTile<IEncoder>>);
        f.RegisterControlClass(WString(u"Test.Fader"), &CreateControlOfClass<FakeTile<IFader>>);
        f.RegisterControlClass(WString(u"Test.Button"), &CreateControlOfClass<FakeTile<IPushButton>>);
        f.RegisterControlClass(WString(u"Test.PadEdit"), &CreateControlOfClass<FakeEditPanel<IPad>>);
        f.RegisterControlClass(WString(u"Test.EncoderEdit"), &CreateControlOfClass<FakeEditPanel<IEncoder>>);
        f.RegisterControlClass(WString(u"Test.FaderEdit"), &CreateControlOfClass<FakeEditPanel<IFader>>);
        f.RegisterControlClass(WString(u"Test.ButtonEdit"), &CreateControlOfClass<FakeEditPanel<IPushButton>>);
        f.RegisterControlClass(WString(u"Test.Wheel"), &CreateControlOfClass<FakeTile<IWheel>>);
        f.RegisterControlClass(WString(u"Test.WheelEdit"), &CreateControlOfClass<FakeEditPanel<IWheel>>);
        f.RegisterControlClass(WString(u"Test.Axis"), &CreateControlOfClass<FakeTile<ITouchPadAxis>>);
        f.RegisterControlClass(WString(u"Test.AxisEdit"), &CreateControlOfClass<FakeEditPanel<ITouchPadAxis>>);
        f.RegisterControlClass(WString(u"Test.Volume"), &CreateControlOfClass<FakeTile<IVolumePedal>>);
        f.RegisterControlClass(WString(u"Test.VolumeEdit"), &CreateControlOfClass<FakeEditPanel<IVolumePedal>>);
        f.RegisterControlClass(WString(u"Test.Sustain"), &CreateControlOfClass<FakeTile<ISustainPedal>>);
        f.RegisterControlClass(WString(u"Test.SustainEdit"), &CreateControlOfClass<FakeEditPanel<ISustainPedal>>);
    }

    // Writes the picture with the changes, then the harness window and the engine.
    void Start(const SkinChanges& changes = {})
    {
        const std::string folder =
            (std::filesystem::temp_directory_path() / ("lumo-groups-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(folder);
        m_area = folder + "/groups";
        std::ofstream(m_area + "_skin.xml") << MakeSkin(changes);
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
    }
    void SetUp() override {}
    void TearDown() override
    {
        viewtest::ViewTest::TearDown();
        if (!m_area.empty())
            std::filesystem::remove(m_area + "_skin.xml");
    }

    template <class G>
    RCPtr<G> GroupOf(const char16_t* name)
    {
        return ViewChildAs<G>(name);
    }
    template <class Leaf>
    RCPtr<FakeEditPanel<Leaf>> Edit(const char16_t* name)
    {
        return ViewChildAs<FakeEditPanel<Leaf>>(name);
    }
    static double ButtonValue(const LGroupPanelFrame& g, uint32_t i)
    {
        return g.GetTile(i)->FindChild(WString(u"button"))->GetNormalizedValue();
    }
    static void ClickTile(LGroupPanelFrame& g, uint32_t i)
    {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_LEFT_CLICK, nullptr);
        static_cast<LNotificationDistributor*>(g.GetTile(i)->FindChild(WString(u"button")).Get())->SendNotification(n);
    }
    template <class Leaf>
    static FakeTile<Leaf>& TileAt(const LGroupPanelFrame& g, uint32_t i)
    {
        return dynamic_cast<FakeTile<Leaf>&>(*g.GetTile(i));
    }
    std::string Failure(const SkinChanges& changes)
    {
        Start(changes);
        try {
            BuildMain();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no error";
    }

private:
    std::string m_area;
};

TEST_F(Groups, AClickHighlightsOneTileInAllBanksAndShowsThenPointsTheEditPanel)
{
    Start();
    BuildMain();
    const auto buttons = GroupOf<LButtonGroupPanel>(u"buttons");
    const auto edit = Edit<IPushButton>(u"buttonEditPanel");
    ASSERT_TRUE(buttons && edit);
    ASSERT_EQ(buttons->GetTileCount(), 20u);
    ClickTile(*buttons, 7); // bank 2, third button
    ASSERT_EQ(edit->targets.size(), 1u);
    EXPECT_EQ(edit->targets[0].parent, static_cast<LParameterizedModule*>(buttons.Get()));
    EXPECT_EQ(edit->targets[0].id, IDevice::kPushButtonsOffset + 7);
    EXPECT_EQ(edit->targets[0].index, 7);
    EXPECT_TRUE(edit->targets[0].showing) << "shown first, then pointed";
    EXPECT_FALSE(Visible(u"padEditPanel"));
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(ButtonValue(*buttons, i), i == 7 ? 1.0 : 0.0) << i;

    // Encoder tile 2 of bank 3 and fader tile 5 of bank 4 likewise, with their own kinds.
    ClickTile(*GroupOf<LEncoderGroupPanel>(u"encoders"), 9);
    EXPECT_TRUE(Visible(u"knobEditPanel"));
    EXPECT_FALSE(Visible(u"buttonEditPanel"));
    EXPECT_EQ(Edit<IEncoder>(u"knobEditPanel")->targets.back().id, IDevice::kEncodersOffset + 9);
    RunIdle();
    EXPECT_EQ(ButtonValue(*buttons, 7), 0.0) << "the hidden push-button panel took its highlight";
    ClickTile(*GroupOf<LFaderGroupPanel>(u"faders"), 19);
    EXPECT_TRUE(Visible(u"faderEditPanel"));
    EXPECT_EQ(Edit<IFader>(u"faderEditPanel")->targets.back().index, 19);
}

TEST_F(Groups, APadPointsTheEditPanelBeforeItShowsIt)
{
    Start();
    BuildMain();
    const auto pads = GroupOf<LPadGroupPanel>(u"pads");
    const auto edit = Edit<IPad>(u"padEditPanel");
    ClickTile(*pads, 15);
    ASSERT_EQ(edit->targets.size(), 1u);
    EXPECT_EQ(edit->targets[0].id, IDevice::kPadsOffset + 15);
    EXPECT_EQ(edit->targets[0].index, 15);
    EXPECT_FALSE(edit->targets[0].showing) << "pointed first, then shown";
    EXPECT_TRUE(Visible(u"padEditPanel"));
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(ButtonValue(*pads, i), i == 15 ? 1.0 : 0.0) << i;

    // A click from a button that is not in a pad tile changes nothing.
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_LEFT_CLICK, nullptr);
    pads->OnTileClicked(RCPtr<LNotificationDistributor>(ViewChild(u"wheels").Get()), n);
    EXPECT_EQ(edit->targets.size(), 1u);
    EXPECT_EQ(ButtonValue(*pads, 15), 1.0);
}

TEST_F(Groups, TheEditPanelStandsInItsTilesPlaceAndItsValuesEndInTheTile)
{
    Start();
    BuildMain();
    const auto pads = GroupOf<LPadGroupPanel>(u"pads");
    const auto edit = Edit<IPad>(u"padEditPanel");
    // The id pass reached every tile, none substituted.
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(TileAt<IPad>(*pads, i).GetFirstParamID(), IDevice::kPadsOffset + static_cast<int32_t>(i));
    auto& tile = TileAt<IPad>(*pads, 6);
    const size_t routed = tile.values.size();
    const Variant before = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14});
    EXPECT_EQ(pads->SetParamValueGlobal(ParamDescriptor(IDevice::kPadsOffset + 6), before), S_OK);
    EXPECT_EQ(tile.values.size(), routed) << "no edit panel pointed at a tile: nothing mirrored";

    ClickTile(*pads, 6); // pad 7; the engine posts its value
    RunIdle();
    ASSERT_EQ(edit->shown.size(), 1u) << "the routed value reached the edit panel";
    ASSERT_EQ(tile.values.size(), routed + 1) << "and through it the tile";
    EXPECT_FALSE(tile.values.back().fromDevice);
    EXPECT_EQ(pads->GetPad(6).Get(), static_cast<IPad*>(edit.Get()));
    EXPECT_EQ(pads->GetPad(7).Get(), static_cast<IPad*>(&TileAt<IPad>(*pads, 7)));
    EXPECT_FALSE(pads->GetPad(16));

    // Hiding the edit panel clears the highlight; the substitution follows the last tile clicked.
    view->ShowEditPanel(LDeviceView::kWheelPanel, 0);
    RunIdle();
    EXPECT_EQ(ButtonValue(*pads, 6), 0.0);
    EXPECT_EQ(pads->GetPad(6).Get(), static_cast<IPad*>(edit.Get()));

    // A later id pass reaches the tiles themselves too: the edit panel is not pointed by it.
    const size_t pointed = edit->targets.size();
    IPads& group = *pads;
    group.SetFirstParamID(group.GetParent(), group.GetFirstParamID(), group.GetIndex());
    EXPECT_EQ(edit->targets.size(), pointed);
    EXPECT_EQ(TileAt<IPad>(*pads, 6).GetFirstParamID(), IDevice::kPadsOffset + 6);
    EXPECT_EQ(pads->GetPad(6).Get(), static_cast<IPad*>(edit.Get())) << "and the stand-in holds after it";
}

TEST_F(Groups, TheFaderGroupWatchesItsEditPanelFromTheFirstClick)
{
    Start();
    BuildMain();
    const auto faders = GroupOf<LFaderGroupPanel>(u"faders");
    for (uint32_t i = 0; i < 10; ++i)
        ClickTile(*faders, i);
    EXPECT_EQ(ButtonValue(*faders, 9), 1.0);
    view->ShowEditPanel(LDeviceView::kPadPanel, 0);
    RunIdle();
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(ButtonValue(*faders, i), 0.0) << i;
}

TEST_F(Groups, SkinsWithoutBanksTilesOrEditPanelsFailAtInitializeWithOnePrefix)
{
    EXPECT_EQ(
        Failure({{"encoderBank3", "encoderBank4"}, {}, false})
            .rfind("Runtime Error : Null Pointer : can not find child encoderBank3 : LEncoderGroupPanel::Initialize",
                   0),
        0u);
}

TEST_F(Groups, AMissingTileFailsAfterTheOthersAreRegistered)
{
    EXPECT_EQ(Failure({{"buttonBank2/button5"}, {}, false})
                  .rfind("Failed Result : KXRESULT = 80004005 : LButtonGroupPanel::Initialize", 0),
              0u);
}

TEST_F(Groups, APlainEditPanelFailsTheRegistrationOrTheNullCheck)
{
    EXPECT_EQ(Failure({{}, {"padEditPanel"}, false})
                  .rfind("Failed Result : KXRESULT = 80070057 : LPadGroupPanel::Initialize", 0),
              0u);
}

TEST_F(Groups, AFaderEditPanelOfAnotherClassIsANullPointer)
{
    EXPECT_EQ(Failure({{}, {"faderEditPanel"}, false})
                  .rfind("Runtime Error : Null Pointer : faderEditPanel knob found : LFaderGroupPanel::Initialize", 0),
              0u);
}

TEST_F(Groups, TheXYPadGroupNamesItsMissingEditPanel)
{
    EXPECT_EQ(Failure({{}, {"xyPadEditPanel"}, false})
                  .rfind("Runtime Error : Null Pointer : Cannot find child xyPadEditPanel : "
                         "LXYPadDirectionGroupPanel::Initialize",
                         0),
              0u);
}

TEST(ZoneGroup, WithoutADeviceViewItsEditPanelIsNotFound)
{
    const RCPtr<LKeybedZoneGroupPanel> zones(new LKeybedZoneGroupPanel(RCPtr<LControl>(), WString(u"keybedZones")));
    try {
        zones->Initialize();
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()).rfind(
                      "Runtime Error : Null Pointer : zoneEditPanel not found : LKeybedZoneGroupPanel::Initialize", 0),
                  0u)
            << e.what();
    }
}

TEST_F(Groups, APadGroupWithoutADeviceViewIsANullPointer)
{
    EXPECT_EQ(Failure({{}, {}, true})
                  .rfind("Runtime Error : Null Pointer : padEditPanel knob found : LPadGroupPanel::Initialize", 0),
              0u);
}

} // namespace

TEST_F(Groups, WheelsAndXYPadDirectionsPointTheirOneEditPanelAtTheClickedTile)
{
    Start();
    BuildMain();
    const auto wheels = GroupOf<LWheelGroupPanel>(u"wheels");
    const auto axes = GroupOf<LXYPadDirectionGroupPanel>(u"xyPad");
    ASSERT_TRUE(wheels && axes);
    ClickTile(*wheels, 1);
    const auto wheelEdit = Edit<IWheel>(u"wheelEditPanel");
    ASSERT_EQ(wheelEdit->targets.size(), 1u);
    EXPECT_EQ(wheelEdit->targets[0].id, IDevice::kWheelsOffset + 1);
    EXPECT_EQ(wheelEdit->targets[0].index, 1);
    EXPECT_TRUE(Visible(u"wheelEditPanel"));
    EXPECT_EQ(ButtonValue(*wheels, 0), 0.0);
    EXPECT_EQ(ButtonValue(*wheels, 1), 1.0);

    ClickTile(*axes, 1);
    const auto axisEdit = Edit<ITouchPadAxis>(u"xyPadEditPanel");
    ASSERT_EQ(axisEdit->targets.size(), 1u);
    EXPECT_EQ(axisEdit->targets[0].id, IDevice::kTouchPadAxisesOffset + 1);
    EXPECT_TRUE(Visible(u"xyPadEditPanel"));
    EXPECT_FALSE(Visible(u"wheelEditPanel"));
    RunIdle();
    EXPECT_EQ(ButtonValue(*wheels, 1), 0.0) << "the hidden wheel panel took its highlight";
    // The routed Y axis value reaches the edit panel and is mirrored into the Y tile only.
    EXPECT_FALSE(axisEdit->shown.empty());
    EXPECT_FALSE(TileAt<ITouchPadAxis>(*axes, 1).values.empty());
}

TEST_F(Groups, EachPedalHasItsOwnEditPanelAndHighlight)
{
    Start();
    BuildMain();
    const auto pedals = GroupOf<LPedalGroupPanel>(u"pedals");
    ASSERT_TRUE(pedals);
    auto value = [](const RCPtr<LControl>& tile) { return tile->FindChild(WString(u"button"))->GetNormalizedValue(); };
    auto click = [](const RCPtr<LControl>& tile) {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_LEFT_CLICK, nullptr);
        static_cast<LNotificationDistributor*>(tile->FindChild(WString(u"button")).Get())->SendNotification(n);
    };
    click(pedals->GetSustainTile());
    const auto sustainEdit = Edit<ISustainPedal>(u"sustainEditPage");
    ASSERT_EQ(sustainEdit->targets.size(), 1u);
    EXPECT_EQ(sustainEdit->targets[0].id, IDevice::kPedalsOffset + 1);
    EXPECT_EQ(sustainEdit->targets[0].index, 0);
    EXPECT_TRUE(sustainEdit->targets[0].showing) << "shown first, then pointed";
    EXPECT_EQ(value(pedals->GetSustainTile()), 1.0);
    EXPECT_EQ(value(pedals->GetVolumeTile()), 0.0);
    EXPECT_EQ(pedals->GetSustainPedal().Get(), static_cast<ISustainPedal*>(sustainEdit.Get()));
    EXPECT_EQ(pedals->SetParamValueGlobal(ParamDescriptor(IDevice::kFadersOffset), Bytes({1})), E_FAIL);

    // Another kind's panel hides the sustain panel: both highlights go, the tile is the module again.
    ClickTile(*GroupOf<LFaderGroupPanel>(u"faders"), 0);
    RunIdle();
    EXPECT_EQ(value(pedals->GetSustainTile()), 0.0);
    EXPECT_EQ(value(pedals->GetVolumeTile()), 0.0);
    EXPECT_EQ(pedals->GetSustainPedal().Get(), dynamic_cast<ISustainPedal*>(pedals->GetSustainTile().Get()));
}

TEST_F(Groups, APedalGroupWithoutTheSustainEditPanelIsANullPointer)
{
    EXPECT_NE(Failure({{}, {"sustainEditPage"}, false}).find("sustainEditPanel not found"), std::string::npos);
}

TEST_F(Groups, AnXYPadWithoutItsXAxisFails)
{
    EXPECT_NE(Failure({{"xyPad/xAxis"}, {}, false}).find("Failed Result"), std::string::npos);
}
