// The device-control client library through its C entry points, loaded with dlopen.
#include "DevCommSupport.h"

#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace devcommtest;
namespace DC = KX::DeviceControl;

class DeviceControlLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lib.loaded) << lib.error;
        ASSERT_TRUE(lib.Complete());
        lib.ReleaseAll();
    }
    void TearDown() override
    {
        if (lib.loaded)
            lib.ReleaseAll();
    }

    KX::Variant Get(int32_t id)
    {
        KX::Variant v;
        const KX::ParamDescriptor d(id);
        EXPECT_EQ(lib.GetParamValue(nullptr, &d, &v), DC::kOk);
        return v;
    }

    int32_t Set(int32_t id, const KX::Variant& value)
    {
        const KX::ParamDescriptor d(id);
        return lib.SetParamValue(nullptr, &d, &value);
    }

    Library& lib = Library::Get();
    Recorder recorder;
};

TEST_F(DeviceControlLibrary, SearchesAlwaysListTheDevice)
{
    KX::Variant result;
    // A full search never answers 1, which would make the caller repeat full searches.
    ASSERT_EQ(lib.FindRemoteDevices(nullptr, 0, &result, DC::kFullSearch), 0);
    ASSERT_EQ(result.GetType(), KX::Variant::TypeList);
    ASSERT_EQ(result.GetListCount(), 1u);
    KX::Variant id;
    result.GetListItem(0, id);
    EXPECT_EQ(id.GetType(), KX::Variant::TypeString);

    KX::Variant quick;
    ASSERT_EQ(lib.FindRemoteDevices(nullptr, 0, &quick, DC::kQuickSearch), 0);
    EXPECT_EQ(quick, result);
    // Without a keyboard, or after a release, the device is still listed.
    lib.ReleaseAll();
    KX::Variant again;
    ASSERT_EQ(lib.FindRemoteDevices(nullptr, 0, &again, DC::kFullSearch), 0);
    EXPECT_EQ(again, result);

    KX::Variant local;
    ASSERT_EQ(lib.FindDevices(nullptr, 0, &local), 0);
    ASSERT_EQ(local.GetListCount(), 1u);
    KX::Variant localId;
    local.GetListItem(0, localId);
    EXPECT_EQ(localId.GetType(), KX::Variant::TypeEmpty);

    EXPECT_LT(lib.FindRemoteDevices(nullptr, 0, nullptr, DC::kFullSearch), 0);
    EXPECT_LT(lib.FindRemoteDevices(nullptr, 0, &result, 7), 0);
}

TEST_F(DeviceControlLibrary, DeviceInfoMarksTheDevicePresent)
{
    KX::Variant remote;
    lib.FindRemoteDevices(nullptr, 0, &remote, DC::kFullSearch);
    KX::Variant remoteId;
    remote.GetListItem(0, remoteId);

    const KX::Variant* ids[] = {nullptr, &remoteId};
    for (const KX::Variant* id : ids) {
        uint8_t info[DC::kDeviceInfoSize];
        std::memset(info, 0xAB, sizeof info);
        ASSERT_EQ(lib.GetDeviceInfo(id, info), 0);
        EXPECT_NE(info[DC::kDeviceInfoPresentOffset], 0);
        EXPECT_EQ(info[DC::kDeviceInfoConnectedOffset], 0);
        const char16_t* name = reinterpret_cast<const char16_t*>(info + DC::kDeviceInfoNameOffset);
        EXPECT_EQ(std::u16string(name), u"Lumo 25");
        EXPECT_EQ(info[DC::kDeviceInfoSize - 1], 0); // the rest is cleared
    }

    // An unknown device leaves the record alone.
    const KX::Variant unknown = KX::MakeInt32Variant(42);
    uint8_t info[DC::kDeviceInfoSize] = {};
    EXPECT_EQ(lib.GetDeviceInfo(&unknown, info), DC::kUnknownDevice);
    EXPECT_EQ(info[DC::kDeviceInfoPresentOffset], 0);
    EXPECT_EQ(lib.ConnectDevice(&unknown, &Recorder::Callback, &recorder), DC::kUnknownDevice);
    EXPECT_LT(lib.GetDeviceInfo(nullptr, nullptr), 0);
}

TEST_F(DeviceControlLibrary, HoldsTheKeyboardDefaults)
{
    // Preset name, zone 2, wheel 0, pad 15, push button 19, encoder 15, XY axis 1.
    EXPECT_EQ(Get(0), Bytes({80, 82, 69, 83, 69, 84}));
    EXPECT_EQ(Get(2), Bytes({0, 1, 0, 0, 0, 0, 24, 5, 12}));
    EXPECT_EQ(Get(5), Bytes({0, 1, 16, 0, 127}));
    EXPECT_EQ(Get(24), Bytes({0, 4, 3, 7, 5, 1, 19, 51, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Get(44), Bytes({0, 4, 3, 7, 5, 1, 19, 19, 0, 0, 0, 0, 0, 127, 0, 0, 0}));
    EXPECT_EQ(Get(80), Bytes({0, 0, 55, 0, 0, 127}));
    EXPECT_EQ(Get(82), Bytes({0, 0, 113, 0, 0, 127, 8, 69, 81, 71, 72, 74, 76, 77, 79}));

    uint32_t total = 0;
    for (int32_t id = 0; id < DC::kParamCount; ++id) {
        uint32_t n = 0;
        Get(id).GetData(n);
        total += n;
    }
    EXPECT_EQ(total, 874u);

    const KX::Variant maker = Get(DC::kMakerNameParam);
    ASSERT_EQ(maker.GetType(), KX::Variant::TypeString);
    EXPECT_STREQ(maker.GetString(), "Tarvel");
    EXPECT_STREQ(Get(DC::kProductNameParam).GetString(), "Lumo 25 Preset Editor");
    EXPECT_EQ(Get(DC::kStatusTextParam).GetType(), KX::Variant::TypeString);

    KX::Variant v;
    const KX::ParamDescriptor unknown(83);
    EXPECT_EQ(lib.GetParamValue(nullptr, &unknown, &v), DC::kUnknownParameter);
}

TEST_F(DeviceControlLibrary, StoresOnlyWellFormedValuesWhileConnected)
{
    const KX::Variant fader = Bytes({3, 0, 9, 0, 10, 100});
    EXPECT_EQ(Set(45, fader), DC::kNoConnection);
    EXPECT_EQ(Get(45), Bytes({0, 0, 0, 0, 0, 127}));

    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);
    EXPECT_EQ(lib.IsDeviceConnected(nullptr), 0);
    EXPECT_EQ(Set(45, fader), 0);
    EXPECT_EQ(Get(45), fader);

    EXPECT_EQ(Set(45, Bytes({1, 2, 3, 4, 5})), DC::kInvalidValue);  // one byte short
    EXPECT_EQ(Set(45, KX::MakeInt32Variant(5)), DC::kInvalidValue); // not a record
    EXPECT_EQ(Set(83, fader), DC::kUnknownParameter);
    EXPECT_EQ(Set(DC::kReadyParam, KX::MakeBoolVariant(false)), DC::kUnknownParameter);
    EXPECT_EQ(Set(DC::kMakerNameParam, KX::Variant()), DC::kUnknownParameter);
    EXPECT_EQ(Get(45), fader);

    KX::Variant status;
    status.SetString("Busy");
    EXPECT_EQ(Set(DC::kStatusTextParam, status), 0);
    EXPECT_STREQ(Get(DC::kStatusTextParam).GetString(), "Busy");

    // A list is stored whole or not at all.
    const KX::ParamValue good(KX::ParamDescriptor(46), Bytes({1, 1, 1, 1, 1, 1}));
    const KX::ParamValue bad(KX::ParamDescriptor(47), Bytes({1}));
    const KX::ParamValue both[] = {good, bad};
    const KX::ParamValues mixed(both, 2);
    EXPECT_EQ(lib.SetParamValues(nullptr, &mixed), DC::kInvalidValue);
    EXPECT_EQ(Get(46), Bytes({0, 0, 1, 0, 0, 127}));
    const KX::ParamValues one(&good, 1);
    EXPECT_EQ(lib.SetParamValues(nullptr, &one), 0);
    EXPECT_EQ(Get(46), good.value);
    const KX::Variant notAList = KX::MakeInt32Variant(1);
    EXPECT_EQ(lib.SetParamValues(nullptr, &notAList), DC::kInvalidArgument);

    // Release forgets the values and the connection.
    lib.ReleaseAll();
    EXPECT_EQ(lib.IsDeviceConnected(nullptr), DC::kNotConnected);
    EXPECT_EQ(Get(45), Bytes({0, 0, 0, 0, 0, 127}));
}

TEST_F(DeviceControlLibrary, ReportsRequestedValuesButNeverReadiness)
{
    const std::thread::id caller = std::this_thread::get_id();
    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);

    // As the editor connects: the ranges of the 83 parameters, then the status text.
    const KX::ParamDescriptors all(0, DC::kParamCount);
    EXPECT_EQ(lib.RequestParamRanges(nullptr, &all), 0);
    const KX::ParamDescriptor status[] = {KX::ParamDescriptor(DC::kStatusTextParam)};
    KX::ParamDescriptors statusList;
    ASSERT_EQ(statusList.SetDescriptors(status, 1), 0);
    EXPECT_EQ(lib.RequestParamValues(nullptr, &statusList), 0);
    ASSERT_TRUE(recorder.WaitForId(DC::kStatusTextParam));

    // Readiness is asked for between two others; only those two arrive.
    const KX::ParamDescriptor mixed[] = {KX::ParamDescriptor(7), KX::ParamDescriptor(DC::kReadyParam),
                                         KX::ParamDescriptor(8)};
    KX::ParamDescriptors mixedList;
    ASSERT_EQ(mixedList.SetDescriptors(mixed, 3), 0);
    EXPECT_EQ(lib.RequestParamValues(nullptr, &mixedList), 0);
    ASSERT_TRUE(recorder.WaitForId(8));

    const std::vector<KX::ParamValue> values = recorder.Values();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].descriptor.id, DC::kStatusTextParam);
    EXPECT_STREQ(values[0].value.GetString(), "Connected");
    EXPECT_EQ(values[1].descriptor.id, 7);
    EXPECT_EQ(values[1].value, Bytes({0, 0, 7, 0, 0, 127}));
    EXPECT_EQ(values[2].descriptor.id, 8);
    for (const Recorder::Report& r : recorder.Reports())
        EXPECT_NE(r.thread, caller);

    // Readiness can still be read.
    EXPECT_TRUE(Get(DC::kReadyParam).ToBool());

    EXPECT_EQ(lib.RequestParamValues(nullptr, nullptr), DC::kInvalidArgument);
    const KX::Variant garbage = Bytes({1, 2, 3});
    EXPECT_EQ(lib.RequestParamValues(nullptr, &garbage), DC::kInvalidArgument);
}

TEST_F(DeviceControlLibrary, ReportsChangedValuesOnly)
{
    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);
    const KX::Variant encoder = Bytes({2, 0, 74, 1, 2, 0});
    ASSERT_EQ(Set(70, encoder), 0);
    ASSERT_TRUE(recorder.WaitForId(70));

    // The same value again changes nothing; a marker request shows nothing came in between.
    ASSERT_EQ(Set(70, encoder), 0);
    const KX::ParamDescriptors marker(DC::kMakerNameParam, 1);
    ASSERT_EQ(lib.RequestParamValues(nullptr, &marker), 0);
    ASSERT_TRUE(recorder.WaitForId(DC::kMakerNameParam));

    const std::vector<KX::ParamValue> values = recorder.Values();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].descriptor.id, 70);
    EXPECT_EQ(values[0].value, encoder);
    EXPECT_EQ(values[1].descriptor.id, DC::kMakerNameParam);
}

TEST_F(DeviceControlLibrary, ListFormsOfRangesAndValues)
{
    // A range far wider than the parameter set, and one below it.
    KX::ParamDescriptor wide[] = {KX::ParamDescriptor(-1000)};
    KX::ParamDescriptors ranges;
    const KX::ParamDescriptors huge(-5, 0x7FFFFFF0);
    KX::Variant values;
    ASSERT_EQ(lib.GetParamValues(nullptr, &huge, &values), 0);
    const KX::ParamValues list(values);
    ASSERT_EQ(list.GetCount(), 84u); // of -5 and up only readiness and the 83 parameters exist
    KX::ParamValue first;
    ASSERT_EQ(list.GetParamValueAt(0, first), 0);
    EXPECT_EQ(first.descriptor.id, DC::kReadyParam);
    KX::ParamValue last;
    ASSERT_EQ(list.GetParamValueAt(83, last), 0);
    EXPECT_EQ(last.descriptor.id, 82);
    const KX::ParamDescriptors toTheEnd(0, 0x7FFFFFFF);
    ASSERT_EQ(lib.GetParamValues(nullptr, &toTheEnd, &values), 0);
    EXPECT_EQ(KX::ParamValues(values).GetCount(), 83u);

    ASSERT_EQ(ranges.SetDescriptors(wide, 1), 0);
    ASSERT_EQ(lib.GetParamValues(nullptr, &ranges, &values), 0);
    EXPECT_EQ(KX::ParamValues(values).GetCount(), 0u);

    const KX::ParamDescriptors zones(1, 4);
    KX::Variant lengths;
    ASSERT_EQ(lib.GetParamRanges(nullptr, &zones, &lengths), 0);
    const KX::ParamValues lengthList(lengths);
    ASSERT_EQ(lengthList.GetCount(), 4u);
    KX::ParamValue zone;
    ASSERT_EQ(lengthList.GetParamValueAt(3, zone), 0);
    EXPECT_EQ(zone.descriptor.id, 4);
    EXPECT_EQ(zone.value.ToInt32(), 9);

    // Ranges are only accepted from a connected client.
    EXPECT_EQ(lib.RequestParamRanges(nullptr, &zones), DC::kNoConnection);
}

} // namespace
