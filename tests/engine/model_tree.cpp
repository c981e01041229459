// The parameter tree: numbering, routing of ids, first-id checks with their exact
// error texts, the base class's climbing requests and the walks.
#include "engine/ControlModules.h"
#include "engine/Device.h"
#include "engine/GroupModules.h"
#include "engine/RootModule.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

constexpr const char* kSrc = "DeviceControl/GeneratedCode/Engine/Src/";

// The logic error's text, or "" when f does not throw one.
std::string LogicErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::logic_error& e) {
        return e.what();
    }
    return "";
}

KX::RCPtr<LRootModule> NumberedRoot(int32_t firstId)
{
    KX::RCPtr<LRootModule> root = LRootModule::Create(false);
    root->SetFirstParamID(nullptr, firstId, 0);
    return root;
}

// The control class expected for a relative id, with its index in its group.
struct Expected {
    const std::type_info* type;
    int32_t index;
};

bool IsA(const LParameterizedModule* module, const std::type_info& type)
{
    return module && typeid(*module) == type;
}

Expected ExpectedFor(int32_t relative)
{
    if (relative == 0)
        return {&typeid(LPresetName), 0};
    if (relative <= 4)
        return {&typeid(LKeybedZone), relative - 1};
    if (relative <= 6)
        return {&typeid(LWheel), relative - 5};
    if (relative == 7)
        return {&typeid(LVolumePedal), 0};
    if (relative == 8)
        return {&typeid(LSustainPedal), 0};
    if (relative <= 24)
        return {&typeid(LPad), relative - 9};
    if (relative <= 44)
        return {&typeid(LPushButton), relative - 25};
    if (relative <= 64)
        return {&typeid(LFader), relative - 45};
    if (relative <= 80)
        return {&typeid(LEncoder), relative - 65};
    return {&typeid(LTouchPadAxis), relative - 81};
}

void ExpectRoutesLayout(LRootModule& root, int32_t first)
{
    for (int32_t r = 0; r < 83; ++r) {
        const KX::RCPtr<LParameterizedModule> module = root.FindModuleForParam(first + r);
        ASSERT_TRUE(module) << "relative id " << r;
        const Expected expected = ExpectedFor(r);
        EXPECT_TRUE(IsA(module.Get(), *expected.type)) << "relative id " << r;
        EXPECT_EQ(module->GetFirstParamID(), first + r);
        EXPECT_EQ(module->GetIndex(), expected.index) << "relative id " << r;
        EXPECT_EQ(module->GetOwnParamCount(), 1u);
        EXPECT_EQ(root.GetModuleForParam(first + r).Get(), module.Get());
    }
}

} // namespace

TEST(ModelTree, EveryIdRoutesToItsControl)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    ExpectRoutesLayout(*root, 0);
    for (int32_t id : {-1, -2, -129, 83, 84, 2147483647, -2147483647 - 1})
        EXPECT_FALSE(root->FindModuleForParam(id)) << id;
}

TEST(ModelTree, NumberingIsRelativeToTheRoot)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(100);
    ExpectRoutesLayout(*root, 100);
    EXPECT_FALSE(root->FindModuleForParam(99));
    EXPECT_FALSE(root->FindModuleForParam(183));
    EXPECT_FALSE(root->FindModuleForParam(0));

    // Near the end of the id range the ids wrap, and routing follows them.
    const int32_t high = 2147483647 - 40;
    const KX::RCPtr<LRootModule> wrapped = NumberedRoot(high);
    EXPECT_TRUE(IsA(wrapped->FindModuleForParam(high).Get(), typeid(LPresetName)));
    EXPECT_TRUE(IsA(wrapped->FindModuleForParam(-2147483647 - 1 + 41).Get(), typeid(LTouchPadAxis)));
    EXPECT_FALSE(wrapped->FindModuleForParam(high - 1));
}

TEST(ModelTree, GroupsRouteOnlyTheirOwnRange)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<IDevice> device = root->GetDevice();
    const KX::RCPtr<IEncoders> encoders = device->GetEncoders();
    EXPECT_EQ(encoders->FindModuleForParam(65).Get(), encoders->GetEncoder(0).Get());
    EXPECT_EQ(encoders->FindModuleForParam(80).Get(), encoders->GetEncoder(15).Get());
    EXPECT_FALSE(encoders->FindModuleForParam(64));
    EXPECT_FALSE(encoders->FindModuleForParam(81));

    const KX::RCPtr<IPedals> pedals = device->GetPedals();
    EXPECT_EQ(pedals->FindModuleForParam(7).Get(), pedals->GetVolumePedal().Get());
    EXPECT_EQ(pedals->FindModuleForParam(8).Get(), pedals->GetSustainPedal().Get());
    EXPECT_FALSE(pedals->FindModuleForParam(6));
    EXPECT_FALSE(pedals->FindModuleForParam(9));
    EXPECT_EQ(pedals->GetSustainPedal()->GetFirstParamID(), 8);
    EXPECT_EQ(pedals->GetSustainPedal()->GetIndex(), 0);

    EXPECT_EQ(device->GetPushButtons()->GetPushButton(19)->GetFirstParamID(), 44);
    EXPECT_EQ(device->GetWheels()->GetWheel(1)->GetFirstParamID(), 6);
    // Out-of-range indexes give nothing.
    EXPECT_FALSE(encoders->GetEncoder(16));
    EXPECT_FALSE(encoders->GetEncoder(0xFFFFFFFFu));
    EXPECT_FALSE(static_cast<const IEncoders&>(*encoders).GetEncoder(16));
    EXPECT_FALSE(device->GetTouchPadAxises()->GetTouchPadAxis(2));
}

TEST(ModelTree, ConstAndNonConstAccessorsAgree)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<IDevice> device = root->GetDevice();
    const IDevice& constDevice = *device;
    EXPECT_EQ(constDevice.GetPresetName().Get(), device->GetPresetName().Get());
    EXPECT_EQ(constDevice.GetKeybedZones().Get(), device->GetKeybedZones().Get());
    EXPECT_EQ(constDevice.GetWheels().Get(), device->GetWheels().Get());
    EXPECT_EQ(constDevice.GetPedals().Get(), device->GetPedals().Get());
    EXPECT_EQ(constDevice.GetPads().Get(), device->GetPads().Get());
    EXPECT_EQ(constDevice.GetPushButtons().Get(), device->GetPushButtons().Get());
    EXPECT_EQ(constDevice.GetFaders().Get(), device->GetFaders().Get());
    EXPECT_EQ(constDevice.GetEncoders().Get(), device->GetEncoders().Get());
    EXPECT_EQ(constDevice.GetTouchPadAxises().Get(), device->GetTouchPadAxises().Get());
    EXPECT_EQ(static_cast<const IRootModule&>(*root).GetDevice().Get(), device.Get());
    const IPedals& pedals = *device->GetPedals();
    EXPECT_EQ(pedals.GetVolumePedal().Get(), device->GetPedals()->GetVolumePedal().Get());
    const IPads& pads = *device->GetPads();
    EXPECT_EQ(pads.GetPad(3).Get(), device->GetPads()->GetPad(3).Get());
}

TEST(ModelTree, RecreatedChildrenAreUnnumberedUntilTheNextPropagation)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<LDevice> device = KX::RCPtr<LDevice>::DynamicCast(root->GetDevice());
    ASSERT_TRUE(device);
    const KX::RCPtr<IEncoders> oldEncoders = device->GetEncoders();
    device->CreateChildren();
    const KX::RCPtr<IEncoders> newEncoders = device->GetEncoders();
    EXPECT_NE(oldEncoders.Get(), newEncoders.Get());
    EXPECT_EQ(newEncoders->GetParent(), nullptr);
    EXPECT_EQ(newEncoders->GetEncoder(3)->GetFirstParamID(), 0);
    EXPECT_FALSE(root->FindModuleForParam(68)); // the new encoder 3 has id 0
    root->SetFirstParamID(nullptr, 0, 0);
    EXPECT_EQ(root->FindModuleForParam(68).Get(), newEncoders->GetEncoder(3).Get());
}

TEST(ModelTree, ControlsRejectIdsOutsideTheirRow)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<IDevice> device = root->GetDevice();
    const KX::RCPtr<IPedals> pedals = device->GetPedals();
    const KX::RCPtr<ISustainPedal> sustain = pedals->GetSustainPedal();
    EXPECT_EQ(LogicErrorOf([&] { sustain->SetFirstParamID(pedals.Get(), 7, 0); }),
              std::string("Logic Error : Invalid FirstParamID : LSustainPedal::SetFirstParamID : ") + kSrc +
                  "SustainPedal : Line 72");
    // The fields stay as stored when the check throws.
    EXPECT_EQ(sustain->GetFirstParamID(), 7);
    EXPECT_NO_THROW(sustain->SetFirstParamID(pedals.Get(), 8, 0));

    const KX::RCPtr<ITouchPadAxises> axes = device->GetTouchPadAxises();
    const KX::RCPtr<ITouchPadAxis> axis = axes->GetTouchPadAxis(0);
    EXPECT_NO_THROW(axis->SetFirstParamID(axes.Get(), 81, 0));
    EXPECT_NO_THROW(axis->SetFirstParamID(axes.Get(), 82, 0));
    EXPECT_NE(LogicErrorOf([&] { axis->SetFirstParamID(axes.Get(), 80, 0); }), "");
    EXPECT_NE(LogicErrorOf([&] { axis->SetFirstParamID(axes.Get(), 83, 0); }), "");
    EXPECT_NE(LogicErrorOf([&] { axis->SetFirstParamID(axes.Get(), -1, 0); }), "");
}

TEST(ModelTree, EveryKindNamesItsSourceAndLines)
{
    // A control alone is its own root, so its relative id is 0: only the preset name accepts it.
    struct Row {
        KX::RCPtr<LParameterizedModule> module;
        const char* name;
        int setFirst, getLocal, getDefault;
    };
    const Row rows[] = {
        {LPresetName::Create(), "PresetName", 72, 91, 210},
        {LKeybedZone::Create(), "KeybedZone", 78, 97, 217},
        {LWheel::Create(), "Wheel", 74, 93, 218},
        {LVolumePedal::Create(), "VolumePedal", 72, 91, 210},
        {LSustainPedal::Create(), "SustainPedal", 72, 91, 210},
        {LPad::Create(), "Pad", 102, 121, 241},
        {LPushButton::Create(), "PushButton", 110, 129, 249},
        {LFader::Create(), "Fader", 110, 129, 249},
        {LEncoder::Create(), "Encoder", 102, 121, 241},
        {LTouchPadAxis::Create(), "TouchPadAxis", 74, 93, 221},
    };
    for (const Row& row : rows) {
        const std::string name = row.name;
        const std::string source = std::string(kSrc) + name;
        const std::string setFirst = LogicErrorOf([&] { row.module->SetFirstParamID(nullptr, 0, 0); });
        if (name == "PresetName")
            EXPECT_EQ(setFirst, "");
        else
            EXPECT_EQ(setFirst, "Logic Error : Invalid FirstParamID : L" + name + "::SetFirstParamID : " + source +
                                    " : Line " + std::to_string(row.setFirst));
        EXPECT_EQ(LogicErrorOf([&] { row.module->GetParamValueLocal(KX::ParamDescriptor(1)); }),
                  "Logic Error : L" + name + "::GetParamValueLocal : " + source + " : Line " +
                      std::to_string(row.getLocal));
        EXPECT_EQ(LogicErrorOf([&] { row.module->GetParamValueDefault(1); }),
                  "Logic Error : L" + name + "::GetParamValueDefault : " + source + " : Line " +
                      std::to_string(row.getDefault));
        // Not yet in a tree: climbing requests end here.
        EXPECT_EQ(row.module->SetParamValueLocal(KX::ParamDescriptor(0), MakeDefaultParamRecord(0), false), -1);
        EXPECT_EQ(row.module->GetParamValueLocal(KX::ParamDescriptor(0)).GetType(), KX::Variant::TypeEmpty);
        EXPECT_EQ(row.module->SetParamValueGlobal(KX::ParamDescriptor(0), KX::Variant()), -1);
        EXPECT_EQ(row.module->SetCachedParamValue(KX::ParamDescriptor(0), KX::Variant()), KX::E_FAIL);
        EXPECT_EQ(row.module->GetParamValueGlobal(KX::ParamDescriptor(0)).GetType(), KX::Variant::TypeEmpty);
        EXPECT_EQ(row.module->GetCachedParamValue(KX::ParamDescriptor(0)).GetType(), KX::Variant::TypeEmpty);
    }
}

TEST(ModelTree, ChildrenAreNumberedBeforeTheGroupChecks)
{
    // A group used alone is its own root: encoder 0 gets relative id 0 and throws first;
    // the encoders after it keep the ids they had.
    const KX::RCPtr<LEncoders> encoders = LEncoders::Create();
    EXPECT_EQ(LogicErrorOf([&] { encoders->SetFirstParamID(nullptr, 65, 0); }),
              std::string("Logic Error : Invalid FirstParamID : LEncoder::SetFirstParamID : ") + kSrc +
                  "Encoder : Line 102");
    EXPECT_EQ(encoders->GetEncoder(0)->GetFirstParamID(), 65);
    EXPECT_EQ(encoders->GetEncoder(0)->GetParent(), encoders.Get());
    EXPECT_EQ(encoders->GetEncoder(1)->GetFirstParamID(), 0);
    EXPECT_EQ(encoders->GetEncoder(1)->GetParent(), nullptr);

    // A device placed off its root: the preset name, given 5, throws its own error first.
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<IDevice> device = root->GetDevice();
    EXPECT_EQ(LogicErrorOf([&] { device->SetFirstParamID(root.Get(), 5, 0); }),
              std::string("Logic Error : Invalid FirstParamID : LPresetName::SetFirstParamID : ") + kSrc +
                  "PresetName : Line 72");
}

TEST(ModelTree, ContainersHaveNoParameterOfTheirOwn)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    const KX::RCPtr<IDevice> device = root->GetDevice();
    const KX::RCPtr<LParameterizedModule> containers[] = {root, device, device->GetPads(), device->GetPedals()};
    const std::string source = "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface";
    for (const KX::RCPtr<LParameterizedModule>& module : containers) {
        EXPECT_EQ(module->GetOwnParamCount(), 0u);
        EXPECT_EQ(LogicErrorOf([&] { module->SetParamValueLocal(KX::ParamDescriptor(9), KX::Variant(), false); }),
                  "Logic Error : LParameterizedModule::SetParamValueLocal : " + source + " : Line 102");
        EXPECT_EQ(LogicErrorOf([&] { module->GetParamValueLocal(KX::ParamDescriptor(9)); }),
                  "Logic Error : LParameterizedModule::GetParamValueLocal : " + source + " : Line 116");
        EXPECT_EQ(module->GetParamValueDefault(9).GetType(), KX::Variant::TypeEmpty);
        EXPECT_TRUE(module->IsParamSupported(12345));
    }
    EXPECT_EQ(root->GetRootModule().Get(), root.Get());
    EXPECT_EQ(device->GetPads()->GetPad(2)->GetRootModule().Get(), root.Get());
    EXPECT_EQ(device->GetPads()->GetPad(2)->GetParentModule().Get(), device->GetPads().Get());
    EXPECT_FALSE(root->GetParentModule());
    EXPECT_FALSE(root->FindModuleForPseudoParam(-130));
    EXPECT_FALSE(root->GetModuleForPseudoParam(-130));
}

// ---- A tree of the interfaces alone, as the user interface builds one ----

namespace {

using Log = std::vector<int32_t>;

// Logs the walks that reach it; answers routing itself.
template <class Interface>
class LoggingControl : public Interface {
public:
    explicit LoggingControl(Log* walks) : m_walks(walks) {}
    void PropagateConfigurationError() override { m_walks->push_back(this->GetFirstParamID()); }
    void PropagateTreeSignal() override { m_walks->push_back(-1 - this->GetFirstParamID()); }

private:
    Log* m_walks;
};

template <class Group, class Child, uint32_t N>
class PanelGroup : public Group {
public:
    explicit PanelGroup(Log* walks)
    {
        for (uint32_t i = 0; i < N; ++i)
            m_children.push_back(KX::RCPtr<Child>(new LoggingControl<Child>(walks)));
    }

protected:
    KX::RCPtr<Child> ChildAt(uint32_t i) { return i < N ? m_children[i] : KX::RCPtr<Child>(); }

private:
    std::vector<KX::RCPtr<Child>> m_children;
};

#define PANEL_GROUP(Group, Child, Accessor, N)                                                                         \
    class Panel##Group : public PanelGroup<I##Group, I##Child, N> {                                                    \
    public:                                                                                                            \
        using PanelGroup::PanelGroup;                                                                                  \
        using I##Group::Accessor;                                                                                      \
        KX::RCPtr<I##Child> Accessor(uint32_t i) override { return ChildAt(i); }                                       \
    }

PANEL_GROUP(KeybedZones, KeybedZone, GetKeybedZone, 4);
PANEL_GROUP(Wheels, Wheel, GetWheel, 2);
PANEL_GROUP(Pads, Pad, GetPad, 16);
PANEL_GROUP(PushButtons, PushButton, GetPushButton, 20);
PANEL_GROUP(Faders, Fader, GetFader, 20);
PANEL_GROUP(Encoders, Encoder, GetEncoder, 16);
PANEL_GROUP(TouchPadAxises, TouchPadAxis, GetTouchPadAxis, 2);
#undef PANEL_GROUP

class PanelPedals : public IPedals {
public:
    explicit PanelPedals(Log* walks)
        : m_volume(new LoggingControl<IVolumePedal>(walks)), m_sustain(new LoggingControl<ISustainPedal>(walks))
    {
    }
    using IPedals::GetSustainPedal;
    using IPedals::GetVolumePedal;
    KX::RCPtr<IVolumePedal> GetVolumePedal() override { return m_volume; }
    KX::RCPtr<ISustainPedal> GetSustainPedal() override { return m_sustain; }

private:
    KX::RCPtr<IVolumePedal> m_volume;
    KX::RCPtr<ISustainPedal> m_sustain;
};

class PanelDevice : public IDevice {
public:
    explicit PanelDevice(Log* walks)
        : m_name(new LoggingControl<IPresetName>(walks)), m_zones(new PanelKeybedZones(walks)),
          m_wheels(new PanelWheels(walks)), m_pedals(new PanelPedals(walks)), m_pads(new PanelPads(walks)),
          m_buttons(new PanelPushButtons(walks)), m_faders(new PanelFaders(walks)),
          m_encoders(new PanelEncoders(walks)), m_axes(new PanelTouchPadAxises(walks))
    {
    }
    using IDevice::GetEncoders;
    using IDevice::GetFaders;
    using IDevice::GetKeybedZones;
    using IDevice::GetPads;
    using IDevice::GetPedals;
    using IDevice::GetPresetName;
    using IDevice::GetPushButtons;
    using IDevice::GetTouchPadAxises;
    using IDevice::GetWheels;
    KX::RCPtr<IPresetName> GetPresetName() override { return m_name; }
    KX::RCPtr<IKeybedZones> GetKeybedZones() override { return m_zones; }
    KX::RCPtr<IWheels> GetWheels() override { return m_wheels; }
    KX::RCPtr<IPedals> GetPedals() override { return m_pedals; }
    KX::RCPtr<IPads> GetPads() override { return m_pads; }
    KX::RCPtr<IPushButtons> GetPushButtons() override { return m_buttons; }
    KX::RCPtr<IFaders> GetFaders() override { return m_faders; }
    KX::RCPtr<IEncoders> GetEncoders() override { return m_encoders; }
    KX::RCPtr<ITouchPadAxises> GetTouchPadAxises() override { return m_axes; }

private:
    KX::RCPtr<IPresetName> m_name;
    KX::RCPtr<IKeybedZones> m_zones;
    KX::RCPtr<IWheels> m_wheels;
    KX::RCPtr<IPedals> m_pedals;
    KX::RCPtr<IPads> m_pads;
    KX::RCPtr<IPushButtons> m_buttons;
    KX::RCPtr<IFaders> m_faders;
    KX::RCPtr<IEncoders> m_encoders;
    KX::RCPtr<ITouchPadAxises> m_axes;
};

} // namespace

TEST(ModelTree, InterfacesNumberRouteAndWalkAPanelTree)
{
    Log walks;
    const KX::RCPtr<PanelDevice> device(new PanelDevice(&walks));
    // Panels make no first-id checks, so a device may stand anywhere.
    device->SetFirstParamID(nullptr, 1000, 0);
    for (int32_t r = 0; r < 83; ++r) {
        const KX::RCPtr<LParameterizedModule> module = device->FindModuleForParam(1000 + r);
        ASSERT_TRUE(module) << r;
        EXPECT_EQ(module->GetFirstParamID(), 1000 + r);
        EXPECT_EQ(module->GetIndex(), ExpectedFor(r).index) << r;
    }
    EXPECT_FALSE(device->FindModuleForParam(999));
    EXPECT_FALSE(device->FindModuleForParam(1083));

    // Each walk reaches every control once, in id order.
    device->PropagateConfigurationError();
    device->PropagateTreeSignal();
    ASSERT_EQ(walks.size(), 166u);
    for (int32_t r = 0; r < 83; ++r) {
        EXPECT_EQ(walks[r], 1000 + r);
        EXPECT_EQ(walks[83 + r], -1 - (1000 + r));
    }
}

TEST(ModelTree, ModelWalksChangeNothing)
{
    const KX::RCPtr<LRootModule> root = NumberedRoot(0);
    root->PropagateConfigurationError();
    root->PropagateTreeSignal();
    ExpectRoutesLayout(*root, 0);
}
