// Start-up and tear-down of the process-wide objects.
#include "NotificationFakes.h"
#include "kx/DebugTrace.h"
#include "kx/Globals.h"
#include "kx/Notifications.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using KX::GlobalSlot;

std::vector<std::string> g_log;
bool g_throwInUIPools = false;
std::vector<KX::KXRESULT> g_reentrant;

const char* const kSlotNames[] = {"host", "bitmaps", "uipools", "keynames", "fonts"};
template <int I>
void Up()
{
    if (I == 2 && g_throwInUIPools)
        throw std::runtime_error("no pools");
    g_log.push_back(std::string(kSlotNames[I]) + "+");
}
template <int I>
void Down() noexcept
{
    g_log.push_back(std::string(kSlotNames[I]) + "-");
}

void TryReentry() noexcept
{
    g_reentrant.push_back(KX::StartupGlobals());
    g_reentrant.push_back(KX::ShutdownGlobals());
    g_reentrant.push_back(KX::RegisterGlobalHooks(GlobalSlot::FontFileRegistry, nullptr, nullptr));
}

class Globals : public ::testing::Test {
protected:
    void SetUp() override
    {
        KX::ShutdownGlobals();
        ClearHooks();
        g_log.clear();
        g_reentrant.clear();
        g_throwInUIPools = false;
    }
    void TearDown() override
    {
        KX::ShutdownGlobals();
        ClearHooks();
    }
    static void ClearHooks()
    {
        for (int32_t i = 0; i < KX::kGlobalSlotCount; ++i)
            KX::RegisterGlobalHooks(static_cast<GlobalSlot>(i), nullptr, nullptr);
    }
    template <int... I>
    static void Register(std::integer_sequence<int, I...>)
    {
        (KX::RegisterGlobalHooks(static_cast<GlobalSlot>(I), Up<I>, Down<I>), ...);
    }
    static void RegisterAll() { Register(std::make_integer_sequence<int, KX::kGlobalSlotCount>()); }
};

using Log = std::vector<std::string>;

TEST_F(Globals, BuildsInSlotOrderReleasesInReverseAndOnlyOnce)
{
    RegisterAll();
    EXPECT_EQ(KX::StartupGlobals(), KX::S_OK);
    EXPECT_EQ(KX::StartupGlobals(), KX::S_FALSE);
    EXPECT_TRUE(KX::AreGlobalsUp());
    EXPECT_EQ(g_log, (Log{"host+", "bitmaps+", "uipools+", "keynames+", "fonts+"}));

    g_log.clear();
    EXPECT_EQ(KX::ShutdownGlobals(), KX::S_OK);
    EXPECT_EQ(KX::ShutdownGlobals(), KX::S_FALSE);
    EXPECT_FALSE(KX::AreGlobalsUp());
    EXPECT_EQ(g_log, (Log{"fonts-", "keynames-", "uipools-", "bitmaps-", "host-"}));

    // A second run builds and releases everything again.
    g_log.clear();
    EXPECT_EQ(KX::StartupGlobals(), KX::S_OK);
    EXPECT_EQ(KX::ShutdownGlobals(), KX::S_OK);
    EXPECT_EQ(g_log.size(), 10u);
}

TEST_F(Globals, FailedSetUpReleasesWhatWasBuiltAndLeavesThemDown)
{
    RegisterAll();
    g_throwInUIPools = true;
    EXPECT_THROW(KX::StartupGlobals(), std::runtime_error);
    EXPECT_FALSE(KX::AreGlobalsUp());
    EXPECT_EQ(g_log, (Log{"host+", "bitmaps+", "bitmaps-", "host-"}));
    EXPECT_EQ(KX::ShutdownGlobals(), KX::S_FALSE);

    g_throwInUIPools = false;
    g_log.clear();
    EXPECT_EQ(KX::StartupGlobals(), KX::S_OK);
    EXPECT_EQ(g_log.size(), 5u);
}

TEST_F(Globals, HooksAreFixedWhileUpAndHooksCannotReenter)
{
    EXPECT_EQ(KX::RegisterGlobalHooks(static_cast<GlobalSlot>(KX::kGlobalSlotCount), nullptr, nullptr),
              KX::E_INVALIDARG);
    ASSERT_EQ(KX::RegisterGlobalHooks(
                  GlobalSlot::HostApplication, [] { TryReentry(); }, TryReentry),
              KX::S_OK);
    ASSERT_EQ(KX::RegisterGlobalHooks(GlobalSlot::SharedBitmaps, Up<1>, Down<1>), KX::S_OK);
    ASSERT_EQ(KX::StartupGlobals(), KX::S_OK);
    EXPECT_EQ(KX::RegisterGlobalHooks(GlobalSlot::SharedBitmaps, nullptr, nullptr), KX::E_FAIL);
    EXPECT_EQ(KX::ShutdownGlobals(), KX::S_OK);

    EXPECT_EQ(g_reentrant, (std::vector<KX::KXRESULT>(6, KX::E_FAIL)));
    // The refused change did not drop the registered tear-down.
    EXPECT_EQ(g_log, (Log{"bitmaps+", "bitmaps-"}));
}

TEST_F(Globals, TearDownReleasesTheCentreManagerAndPooledNotifications)
{
    ASSERT_EQ(KX::StartupGlobals(), KX::S_OK);
    KX::LNotification::EnablePooling(true);
    bool payloadGone = false;
    {
        auto payload = KX::RCPtr<kxtest::Payload>(new kxtest::Payload(1, &payloadGone));
        auto queued = kxtest::Make(KX::NID_VALUE_CHANGE, payload);
        ASSERT_EQ(KX::GetNotificationQueue()->GetQueue()->PostNotification(queued), KX::S_OK);
        kxtest::Make(KX::NID_IDLE);
    }
    EXPECT_GT(KX::LNotification::GetPoolCount(), 0u);
    EXPECT_FALSE(payloadGone);

    ASSERT_EQ(KX::ShutdownGlobals(), KX::S_OK);
    EXPECT_TRUE(payloadGone);
    EXPECT_EQ(KX::LNotification::GetPoolCount(), 0u);
    EXPECT_FALSE(KX::LNotification::IsPoolingEnabled());
    EXPECT_EQ(KX::LNotificationCenterManager::GetInstance()->GetCenterCount(), 0u);
    KX::LNotificationCenterManager::ClearInstance();
}

// The host application goes last; its destructor may still use notifications and the constants.
bool g_hostSawWorkingServices = false;
void HostDestroyUsingServices() noexcept
{
    KX::LNotification::EnablePooling(true);
    auto n = kxtest::Make(u"NID_GLOBALS_HOST_EXIT");
    auto d = kxtest::Distributor::Create();
    auto queue = KX::LNotificationQueue::Create();
    queue->AttachDistributor(d);
    const bool posted = queue->PostNotification(n) == KX::S_OK;
    queue->DiscardAll();
    queue->Detach();
    n = nullptr;
    KX::LNotification::EnablePooling(false);
    g_hostSawWorkingServices = posted && KX::GetEmptyWString().IsEmpty() &&
                               KX::GetCursorName(KX::CursorName::Default).Equals(u"UI_CURSOR_ARROW") &&
                               KX::GetNotificationName(KX::GetNotificationID(u"NID_GLOBALS_HOST_EXIT")) ==
                                   KX::WString(u"NID_GLOBALS_HOST_EXIT");
}

TEST_F(Globals, HostApplicationIsReleasedLastWithServicesStillWorking)
{
    ASSERT_EQ(KX::RegisterGlobalHooks(GlobalSlot::HostApplication, nullptr, HostDestroyUsingServices), KX::S_OK);
    ASSERT_EQ(KX::StartupGlobals(), KX::S_OK);
    ASSERT_EQ(KX::ShutdownGlobals(), KX::S_OK);
    EXPECT_TRUE(g_hostSawWorkingServices);
}

TEST_F(Globals, TearDownHandsOnBufferedTraceText)
{
    const int32_t port = KX::GetDebugTracePort();
    KX::SetDebugTraceTarget(nullptr, -1);
    ASSERT_EQ(KX::StartupGlobals(), KX::S_OK);
    KX::GetDebugTrace().narrowStream << "globals-narrow-tail";
    KX::GetDebugTrace().wideStream << u"globals-wide-tail";
    ::testing::internal::CaptureStderr();
    KX::ShutdownGlobals();
    const std::string out = ::testing::internal::GetCapturedStderr();
    KX::SetDebugTraceTarget(nullptr, port);
    EXPECT_NE(out.find("globals-narrow-tail"), std::string::npos) << out;
    EXPECT_NE(out.find("globals-wide-tail"), std::string::npos) << out;
}

void HostDestroyAnnounces() noexcept
{
    std::fputs("host application destroyed\n", stderr);
}

TEST_F(Globals, NormalExitTearsDownWhatIsStillUp)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            KX::RegisterGlobalHooks(GlobalSlot::HostApplication, nullptr, HostDestroyAnnounces);
            KX::StartupGlobals();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "host application destroyed");
}

} // namespace
