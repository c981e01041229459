// The main control between the engine and the panels: values the engine announces reach the
// control module that owns them, list payloads (well-formed and hostile), the echo of a routed
// value, the hardware-configuration check, the status text, and a window without the picture.
#include "ViewFixture.h"

#include "engine/ParamPair.h"

#include "kx/Wrappers.h"

#include <cstring>

using namespace KX;
using viewtest::Bytes;

namespace {

using Packed = LWrapper<ParamValues, LRefCountedObject>;

constexpr int32_t kEncoder0 = IDevice::kEncodersOffset; // first id 0
constexpr int32_t kPad3 = IDevice::kPadsOffset + 3;

ConstRCPtr<LRefCountedObject> Pair(int32_t id, const Variant& value)
{
    return ConstRCPtr<LRefCountedObject>(new LParamPair(ParamDescriptor(id), value));
}

ConstRCPtr<LRefCountedObject> List(const Variant& list)
{
    const RCPtr<Packed> packed = Packed::Create();
    static_cast<Variant&>(*packed) = list;
    return ConstRCPtr<LRefCountedObject>(packed.Get());
}

Variant RawList(const std::vector<uint32_t>& words)
{
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    Variant v;
    v.SetRaw(Variant::TypeList, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return v;
}

class Routing : public viewtest::ViewTest {
protected:
    void SetUp() override
    {
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        if (HasFatalFailure())
            return;
        BuildMain();
        encoders = ViewChildAs<viewtest::EncoderGroup>(u"encoders");
        pads = ViewChildAs<viewtest::PadGroup>(u"pads");
        ASSERT_TRUE(encoders && pads);
    }
    void TearDown() override
    {
        encoders = nullptr;
        pads = nullptr;
        viewtest::ViewTest::TearDown();
    }

    RCPtr<viewtest::EncoderGroup> encoders;
    RCPtr<viewtest::PadGroup> pads;
};

TEST_F(Routing, EngineValuesReachTheControlThatOwnsTheirIdAsValuesFromTheDevice)
{
    // The start-up values arrived packed: each control got its own.
    ASSERT_FALSE(encoders->At(0)->entries.empty());
    EXPECT_EQ(encoders->At(0)->entries.back().id, kEncoder0);
    EXPECT_TRUE(encoders->At(0)->entries.back().fromDevice);
    EXPECT_EQ(pads->At(3)->entries.back().id, kPad3);
    EXPECT_EQ(pads->GetFirstParamID(), IDevice::kPadsOffset);

    const Variant record = Bytes({0, 3, 41, 0, 10, 120});
    const size_t before = encoders->At(0)->entries.size();
    ASSERT_EQ(engine->SetParamValues(ParamDescriptor(kEncoder0), record), S_OK);
    RunIdle();
    ASSERT_EQ(encoders->At(0)->entries.size(), before + 1);
    EXPECT_EQ(encoders->At(0)->entries.back().value, record);
    EXPECT_EQ(main->GetRoutedParam().id, -1);
    EXPECT_EQ(main->GetRoutedParam().data.GetType(), Variant::TypeEmpty);
}

TEST_F(Routing, AListRoutesItsRecordsInOrderAndHostileListsRouteNothing)
{
    const ParamValue three[] = {{ParamDescriptor(kPad3), Bytes({1})},
                                {ParamDescriptor(kEncoder0), Bytes({2})},
                                {ParamDescriptor(kPad3), Bytes({3})}};
    const size_t pad = pads->At(3)->entries.size(), encoder = encoders->At(0)->entries.size();
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, List(ParamValues(three, 3)));
    ASSERT_EQ(pads->At(3)->entries.size(), pad + 2);
    ASSERT_EQ(encoders->At(0)->entries.size(), encoder + 1);
    EXPECT_EQ(pads->At(3)->entries[pad].value, Bytes({1}));
    EXPECT_EQ(pads->At(3)->entries[pad + 1].value, Bytes({3}));

    // A record length of 0 (or below 4) must end the count, not loop on the spot.
    EXPECT_EQ(LMainControl::CountListRecords(RawList({0, 0, 0, 0})), 0u);
    EXPECT_EQ(LMainControl::CountListRecords(RawList({3, 0, 0, 0})), 0u);
    EXPECT_EQ(LMainControl::CountListRecords(RawList({8, 0, 0xFFFFFFF0u, 0})), 1u) << "a length past the end stops";
    EXPECT_EQ(LMainControl::CountListRecords(RawList({4})), 0u) << "four bytes hold no record";
    EXPECT_EQ(LMainControl::CountListRecords(ParamValues(three, 3)), 3u);
    Variant notAList = Bytes({12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(LMainControl::CountListRecords(notAList), 0u);

    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, List(RawList({0, 0, 0, 0})));
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, List(RawList({16, 0, 10, 0})));
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, List(notAList));
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE,
                ConstRCPtr<LRefCountedObject>(new LParamPair(ParamDescriptor(-1), Variant())));
    EXPECT_EQ(pads->At(3)->entries.size(), pad + 2);
    EXPECT_EQ(encoders->At(0)->entries.size(), encoder + 1);

    // Ids nobody owns, and empty values, are dropped.
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(IDevice::kParamCount + 5, Bytes({1})));
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(kPad3, Variant()));
    EXPECT_EQ(pads->At(3)->entries.size(), pad + 2);
}

TEST_F(Routing, APanelEchoingTheRoutedValueIsNotSentButALaterEditIs)
{
    const RCPtr<viewtest::RecordingModule<IEncoder>> encoder = encoders->At(0);
    encoder->echo = true;
    const int sets = comm->deviceSets.load();
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(kEncoder0, Bytes({0, 3, 41, 0, 10, 120})));
    EXPECT_EQ(comm->deviceSets.load(), sets) << "the echo of a device value went back to the device";
    encoder->echo = false;

    // The same descriptor written after the routing is the user's edit.
    const Variant edit = Bytes({0, 3, 42, 0, 10, 120});
    EXPECT_EQ(encoder->SetParamValueGlobal(ParamDescriptor(kEncoder0), edit), S_OK);
    EXPECT_EQ(comm->deviceSets.load(), sets + 1);
    Variant stored;
    ASSERT_EQ(engine->GetParamValue(ParamDescriptor(kEncoder0), stored), S_OK);
    EXPECT_EQ(stored, edit);
}

TEST_F(Routing, StatusTextsAndANonEmptyHardwareCheckReachNoPanel)
{
    const size_t pad = pads->At(3)->entries.size();
    Variant text;
    text.SetString("Connected \xC3\xA9");
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(LMainControl::kStatusText, text));
    EXPECT_EQ(viewtest::Narrow(main->GetDeviceStatusText()), "Connected \xC3\xA9");
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(LMainControl::kStatusText, Bytes({1, 2})));
    EXPECT_EQ(viewtest::Narrow(main->GetDeviceStatusText()), "Connected \xC3\xA9") << "only text is a status";
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(LMainControl::kHardwareCheck, Bytes({1})));
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(LMainControl::kHardwareCheck, Variant()));
    EXPECT_EQ(pads->At(3)->entries.size(), pad);
    EXPECT_TRUE(app->boxes.empty()) << "the device search works";
    EXPECT_FALSE(app->IsExitRequested());
}

TEST_F(Routing, AFailingHardwareCheckShowsItsBoxOnceAndAsksToExit)
{
    comm->fullSearchResult = E_FAIL;
    comm->quickSearchResult = E_FAIL;
    engine->SetActive(false);
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(LMainControl::kHardwareCheck, Variant()));
    EXPECT_EQ(app->boxes, std::vector<std::string>{"No keyboard driver|Hardware|16"});
    EXPECT_TRUE(app->IsExitRequested());
}

class RoutingWithoutPicture : public viewtest::ViewTest {};

TEST_F(RoutingWithoutPicture, AMainControlWithoutTheDeviceViewStillRoutesSafely)
{
    StartEngine();
    ASSERT_FALSE(HasFatalFailure());
    BuildMain(u"mainControlBare");
    EXPECT_FALSE(main->GetDeviceView());
    EXPECT_FALSE(main->GetDevice());
    PostToQueue(NID_PARAM_MODULE_STATE_CHANGE, Pair(kEncoder0, Bytes({0, 3, 41, 0, 10, 120})));
    EXPECT_EQ(main->GetRoutedParam().id, -1);
}

} // namespace
