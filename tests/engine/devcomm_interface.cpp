// The device communication over the real client library, and without it.
#include "DevCommReceiver.h"
#include "DevCommSupport.h"

#include "TestSupport.h"
#include "engine/DeviceCommunicationInterface.h"
#include "kx/KXResult.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

namespace {

using namespace devcommtest;
namespace DC = KX::DeviceControl;

KX::WString LibraryIn(const std::filesystem::path& folder)
{
    return KX::WString((folder / "libDeviceControlClient.so").c_str());
}

KX::Variant Text(const char* text)
{
    KX::Variant v;
    v.SetString(text);
    return v;
}

TEST(DeviceCommunication, AnswersNamesAndReadinessItselfUntilTheClientExists)
{
    auto comm = LDeviceCommunicationInterface::Create(LibraryIn(ProgramFolder()));
    KX::Variant v;
    ASSERT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdMakerName), v), KX::S_OK);
    EXPECT_EQ(v, Text("Tarvel"));
    ASSERT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdProductName), v), KX::S_OK);
    EXPECT_EQ(v, Text("Lumo 25 Preset Editor"));
    ASSERT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdDeviceReady), v), KX::S_OK);
    EXPECT_EQ(v, KX::MakeBoolVariant(true));
    EXPECT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdStatusText), v), -1);
    EXPECT_EQ(comm->GetParamValue(KX::ParamDescriptor(5), v), KX::E_FAIL);
    EXPECT_EQ(comm->ConnectDevice(KX::Variant()), -1);

    // Once the client exists, every id goes to the library.
    ASSERT_EQ(comm->CreateClient(), KX::S_OK);
    ASSERT_TRUE(comm->IsLibraryLoaded());
    EXPECT_EQ(comm->CreateClient(), KX::S_FALSE);
    const KX::Variant other = Text("Other");
    ASSERT_EQ(comm->ConnectDevice(KX::Variant()), 0);
    ASSERT_EQ(comm->GetParamValue(KX::ParamDescriptor(5), v), 0);
    EXPECT_EQ(v, Bytes({0, 1, 16, 0, 127}));
    ASSERT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdStatusText), v), 0);
    EXPECT_EQ(v, Text("Connected"));
    EXPECT_EQ(comm->GetParamValue(KX::ParamDescriptor(-11), v), DC::kUnknownParameter);
}

TEST(DeviceCommunication, WithoutTheLibraryFileEveryLibraryCallFails)
{
    kxtest::TempDir empty;
    auto comm = LDeviceCommunicationInterface::Create(LibraryIn(empty.path()));
    ASSERT_EQ(comm->CreateClient(), KX::S_OK); // the client exists, without a library
    EXPECT_FALSE(comm->IsLibraryLoaded());
    EXPECT_EQ(comm->CreateClient(), KX::S_FALSE);

    TestReceiver receiver;
    comm->SetReceiver(&receiver);
    comm->SetDeliveryEnabled(true);
    const KX::Variant none;
    KX::Variant out;
    KX::Array<KX::Variant> devices;
    const KX::Array<ZVDI_GUID> filter;
    uint8_t info[DC::kDeviceInfoSize] = {};
    EXPECT_EQ(comm->ConnectDevice(none), -1);
    EXPECT_EQ(comm->RequestParamRanges(KX::ParamDescriptors(0, 83)), -1);
    EXPECT_EQ(comm->RequestParamValues(KX::ParamDescriptors(0, 83)), -1);
    EXPECT_EQ(comm->RequestParamValue(KX::ParamDescriptor(kParamIdStatusText)), -1);
    EXPECT_EQ(comm->GetParamRanges(KX::ParamDescriptors(0, 1), out), -1);
    EXPECT_EQ(comm->GetParamValues(KX::ParamDescriptors(0, 1), out), -1);
    EXPECT_EQ(comm->GetParamValue(KX::ParamDescriptor(kParamIdMakerName), out), -1);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(3), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9})), -1);
    EXPECT_EQ(comm->SetParamValues(KX::ParamValues()), -1);
    EXPECT_EQ(comm->GetStatusText(out), -1);
    EXPECT_EQ(comm->SetStatusText(Text("x")), -1);
    EXPECT_EQ(comm->DisconnectDevice(), -1);
    EXPECT_EQ(comm->GetDeviceInfo(Text("Lumo 25"), info), -1);
    EXPECT_EQ(comm->FindRemoteDevices(filter, devices), -1);
    EXPECT_EQ(comm->WaitForRemoteDeviceListChange(filter, devices, 0), KX::E_FAIL);
    EXPECT_EQ(devices.GetCount(), 0u);

    // What does not need the library still works.
    EXPECT_TRUE(comm->IsOnline());
    EXPECT_TRUE(comm->IsDeviceConnected());
    EXPECT_EQ(comm->SelectDevice(none), KX::S_OK);
    EXPECT_EQ(comm->FindDevices(filter, devices), KX::S_OK);
    ASSERT_EQ(devices.GetCount(), 1u);
    EXPECT_EQ(devices.ElementAt(0).GetType(), KX::Variant::TypeEmpty);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(kParamIdEcho), KX::MakeInt64Variant(7)), KX::S_OK);
    EXPECT_EQ(receiver.Deliveries().size(), 1u);
}

TEST(DeviceCommunication, SetRulesBeforeTheLibrary)
{
    auto comm = LDeviceCommunicationInterface::Create(LibraryIn(ProgramFolder()));
    const KX::Variant value = Bytes({0, 0, 7, 0, 0, 127});
    // Nothing is set while no receiver is registered, not even the echo.
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(7), value), KX::E_FAIL);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(kParamIdEcho), KX::MakeInt64Variant(1)), KX::E_FAIL);
    EXPECT_FALSE(comm->EchoConnectionValue(1));

    TestReceiver receiver;
    comm->SetReceiver(&receiver);
    EXPECT_EQ(comm->GetReceiver(), &receiver);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(7), value), KX::E_FAIL);              // no client
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(kParamIdStatusText), Text("x")), -1); // status: the library's
    ASSERT_EQ(comm->CreateClient(), KX::S_OK);
    ASSERT_EQ(comm->ConnectDevice(KX::Variant()), 0);
    // Never sent, although the library would answer with a code of its own.
    for (int32_t id : {-242, -241, -240})
        EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(id), value), KX::E_FAIL) << id;
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(-239), value), DC::kUnknownParameter);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(7), value), 0);
    EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(7), Bytes({1})), DC::kInvalidValue);
}

TEST(DeviceCommunication, EchoGoesStraightBackToTheReceiver)
{
    auto comm = LDeviceCommunicationInterface::Create(LibraryIn(ProgramFolder()));
    TestReceiver receiver;
    comm->SetReceiver(&receiver);
    // Delivery off does not concern the echo: it is handed over on the caller's thread.
    ASSERT_EQ(comm->SetParamValue(KX::ParamDescriptor(kParamIdEcho), KX::MakeInt64Variant(0x123456789)), KX::S_OK);
    const auto deliveries = receiver.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].thread, KX::GetCurrentThreadId());
    ASSERT_EQ(deliveries[0].values.size(), 1u);
    const KX::ParamValue& echo = deliveries[0].values[0];
    EXPECT_EQ(echo.descriptor.id, kParamIdEcho);
    ASSERT_EQ(echo.value.GetListCount(), 2u);
    KX::Variant number, online;
    echo.value.GetListItem(0, number);
    echo.value.GetListItem(1, online);
    EXPECT_EQ(number, KX::MakeInt64Variant(0x123456789));
    EXPECT_EQ(online, KX::MakeBoolVariant(true));
}

class ConnectedCommunication : public ::testing::Test {
protected:
    void SetUp() override
    {
        comm = LDeviceCommunicationInterface::Create(LibraryIn(ProgramFolder()));
        ASSERT_EQ(comm->CreateClient(), KX::S_OK);
        ASSERT_TRUE(comm->IsLibraryLoaded());
        comm->SetReceiver(&receiver);
        comm->SetDeliveryEnabled(true);
        // As the root module connects.
        ASSERT_EQ(comm->DisconnectDevice(), 0);
        ASSERT_EQ(comm->ConnectDevice(KX::Variant()), 0);
        ASSERT_EQ(comm->RequestParamRanges(KX::ParamDescriptors(0, 83)), 0);
        ASSERT_EQ(comm->RequestParamValue(KX::ParamDescriptor(kParamIdStatusText)), 0);
    }

    TestReceiver receiver;
    KX::RCPtr<LDeviceCommunicationInterface> comm;
};

TEST_F(ConnectedCommunication, DeliversReportedValuesOnItsOwnThread)
{
    ASSERT_TRUE(receiver.WaitForId(kParamIdStatusText));
    const uint32_t delivery = comm->GetDeliveryThread()->GetId();
    ASSERT_EQ(comm->SetParamValue(KX::ParamDescriptor(50), Bytes({0, 0, 5, 0, 0, 99})), 0);
    ASSERT_TRUE(receiver.WaitForId(50));
    const auto deliveries = receiver.Deliveries();
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[0].values[0].value, Text("Connected"));
    EXPECT_EQ(deliveries[1].values[0].value, Bytes({0, 0, 5, 0, 0, 99}));
    for (const auto& d : deliveries) {
        EXPECT_EQ(d.thread, delivery);
        EXPECT_NE(d.thread, KX::GetCurrentThreadId());
    }
}

TEST_F(ConnectedCommunication, ValuesArrivingWhileDeliveryIsOffAreDropped)
{
    ASSERT_TRUE(receiver.WaitForId(kParamIdStatusText));
    comm->SetDeliveryEnabled(false);
    const KX::ParamValue dropped(KX::ParamDescriptor(0), Bytes({72, 73, 0, 0, 0, 0}));
    const KX::ParamValues droppedList(&dropped, 1);
    LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &droppedList);
    // Whichever drain takes the list, it decides under the delivery lock: once this one
    // returns, the list is gone.
    comm->DeliverQueuedValues();
    comm->SetDeliveryEnabled(true);
    const KX::ParamValue kept(KX::ParamDescriptor(1), Bytes({1, 0, 0, 0, 0, 0, 24, 5, 12}));
    const KX::ParamValues keptList(&kept, 1);
    LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &keptList);
    ASSERT_TRUE(receiver.WaitForId(1));
    for (const auto& d : receiver.Deliveries())
        for (const KX::ParamValue& v : d.values)
            EXPECT_NE(v.descriptor.id, 0);
    // Null lists and a null context are ignored.
    LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, nullptr);
    LDeviceCommunicationInterface::OnParamValues(nullptr, nullptr, &keptList);
}

TEST_F(ConnectedCommunication, SearchesAndDeviceInfo)
{
    const KX::Array<ZVDI_GUID> filter;
    KX::Array<KX::Variant> devices;
    ASSERT_EQ(comm->FindRemoteDevices(filter, devices), 0);
    ASSERT_EQ(devices.GetCount(), 1u);
    const KX::Variant remote = devices.ElementAt(0);

    // The same list: no change, after the one search a limit of 0 allows.
    EXPECT_EQ(comm->WaitForRemoteDeviceListChange(filter, devices, 0), KX::S_FALSE);
    EXPECT_EQ(comm->WaitForRemoteDeviceListChange(filter, devices, 250), KX::S_FALSE);
    ASSERT_EQ(devices.GetCount(), 1u);
    // An empty list differs at once and takes the new one.
    KX::Array<KX::Variant> none;
    EXPECT_EQ(comm->WaitForRemoteDeviceListChange(filter, none, 1500), KX::S_OK);
    ASSERT_EQ(none.GetCount(), 1u);
    EXPECT_EQ(none.ElementAt(0), remote);

    uint8_t info[DC::kDeviceInfoSize] = {};
    ASSERT_EQ(comm->GetDeviceInfo(remote, info), 0);
    EXPECT_NE(info[DC::kDeviceInfoPresentOffset], 0);
    const KX::Variant unknown = Text("Elsewhere");
    EXPECT_LT(comm->GetDeviceInfo(unknown, info), 0);
    // The selected device is the one every call names.
    EXPECT_EQ(comm->SelectDevice(unknown), KX::S_OK);
    KX::Variant v;
    EXPECT_EQ(comm->GetStatusText(v), DC::kUnknownDevice);
    EXPECT_EQ(comm->SelectDevice(remote), KX::S_OK);
    EXPECT_EQ(comm->GetStatusText(v), 0);
    int32_t index = -1;
    EXPECT_EQ(comm->GetDeviceIndex(index), KX::S_OK);
    EXPECT_EQ(index, 0);
}

TEST_F(ConnectedCommunication, ReleaseDisconnectsReleasesAndStopsItsThreads)
{
    ASSERT_TRUE(receiver.WaitForId(kParamIdStatusText));
    ASSERT_EQ(comm->SetParamValue(KX::ParamDescriptor(60), Bytes({9, 9, 9, 9, 9, 9})), 0);
    ASSERT_TRUE(receiver.WaitForId(60));
    // Our own handle keeps the library loaded past the release, so its state can be seen.
    Library& lib = Library::Get();
    ASSERT_TRUE(lib.Complete());
    const int withThreads = ThreadCount();
    comm = nullptr;
    // Delivery thread and the library's reporting thread have ended.
    EXPECT_TRUE(WaitForThreadCount(withThreads - 2));
    EXPECT_EQ(lib.IsDeviceConnected(nullptr), DC::kNotConnected);
    KX::Variant v;
    const KX::ParamDescriptor fader(60);
    ASSERT_EQ(lib.GetParamValue(nullptr, &fader, &v), 0);
    EXPECT_EQ(v, Bytes({0, 0, 15, 0, 0, 127})); // released: back to the defaults
}

} // namespace
