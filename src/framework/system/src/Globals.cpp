#include "kx/Globals.h"

#include "kx/DebugTrace.h"
#include "kx/MidiCaptureNotificationData.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationQueue.h"
#include "kx/ThreadPool.h"

#include <atomic>
#include <cstdlib>
#include <ostream>

namespace KX {

namespace {

enum class State { Down, StartingUp, Up, ShuttingDown };

// Start-up and tear-down run on the main thread; the state is atomic so that a look from
// elsewhere is harmless.
std::atomic<State> g_state{State::Down};
// Steps of the table below that are built, from the first.
int g_built = 0;
bool g_exitHandlerRegistered = false;

struct Hooks {
    GlobalSetUp setUp;
    GlobalTearDown tearDown;
};
Hooks g_hooks[kGlobalSlotCount] = {};

void SetUpSlot(GlobalSlot slot)
{
    if (GlobalSetUp f = g_hooks[static_cast<int32_t>(slot)].setUp)
        f();
}

void TearDownSlot(GlobalSlot slot) noexcept
{
    if (GlobalTearDown f = g_hooks[static_cast<int32_t>(slot)].tearDown)
        f();
}

void Keep() noexcept {}

struct Step {
    void (*setUp)();
    void (*tearDown)() noexcept;
};

// In start-up order. Objects that other code builds on first use are built here at their place;
// those marked Keep outlive the tear-down.
const Step kSteps[] = {
    {[] { SetUpSlot(GlobalSlot::HostApplication); }, []() noexcept { TearDownSlot(GlobalSlot::HostApplication); }},
    {[] { GetEmptyNString(); }, Keep},
    {[] { GetEmptyWString(); }, Keep},
    {[] { GetNotificationLock(); }, Keep},
    // The pool: pooled notifications are freed, later releases free theirs at once.
    {[] { LNotification::GetPoolCount(); }, []() noexcept { LNotification::EnablePooling(false); }},
    {[] { LNotificationDistributor::GetActiveDistributorCount(); }, Keep},
    {[] { LMidiCaptureNotificationData::GetAllocator(); }, Keep},
    {[] { LThreadPool::LWorkerParams::GetAllocator(); }, Keep},
    {[] { LNotificationQueue::GetQueueLock(); }, Keep},
    // The centre's name is a constant; the manager's holder starts empty (the framework
    // application makes the manager) and lets go of whatever it still holds.
    {[] {}, []() noexcept { LNotificationCenterManager::ClearInstance(); }},
    // The trace streams hand on what is still buffered.
    {[] { GetDebugTrace(); },
     []() noexcept {
         DebugTrace& trace = GetDebugTrace();
         try {
             trace.narrowStream.flush();
             trace.wideStream.flush();
             trace.narrowOut.load()->flush();
             trace.wideOut.load()->flush();
         } catch (...) {
             // A stream that throws on flush loses its text; the tear-down goes on.
         }
     }},
    {[] { SetUpSlot(GlobalSlot::SharedBitmaps); }, []() noexcept { TearDownSlot(GlobalSlot::SharedBitmaps); }},
    {[] { GetCursorName(CursorName::Default); }, Keep},
    {[] { GetBlankString(); }, Keep},
    {[] { GetLineBreakString(); }, Keep},
    {[] { SetUpSlot(GlobalSlot::UIParamPools); }, []() noexcept { TearDownSlot(GlobalSlot::UIParamPools); }},
    {[] { SetUpSlot(GlobalSlot::KeyNameTables); }, []() noexcept { TearDownSlot(GlobalSlot::KeyNameTables); }},
    {[] { SetUpSlot(GlobalSlot::FontFileRegistry); }, []() noexcept { TearDownSlot(GlobalSlot::FontFileRegistry); }},
};
constexpr int kStepCount = static_cast<int>(sizeof(kSteps) / sizeof(kSteps[0]));

void TearDownBuilt() noexcept
{
    while (g_built > 0) {
        --g_built;
        kSteps[g_built].tearDown();
    }
}

void ShutdownAtExit()
{
    ShutdownGlobals();
}

constexpr const char16_t* kCursorTexts[kCursorNameCount] = {
    u"UI_CURSOR_APP_STARTING", u"UI_CURSOR_ARROW",     u"UI_CURSOR_IBEAM",     u"UI_CURSOR_WAIT",
    u"UI_CURSOR_CROSS",        u"UI_CURSOR_UP_ARROW",  u"UI_CURSOR_SIZE_ALL",  u"UI_CURSOR_SIZE_NWSE",
    u"UI_CURSOR_SIZE_NESW",    u"UI_CURSOR_SIZE_WE",   u"UI_CURSOR_SIZE_NS",   u"UI_CURSOR_HAND",
    u"UI_CURSOR_HELP",         u"UI_CURSOR_NO_DROP",   u"UI_CURSOR_DROP_MOVE", u"UI_CURSOR_DROP_COPY",
    u"UI_CURSOR_SPLIT_V",      u"UI_CURSOR_SPLIT_H",   u"UI_CURSOR_ROTATE",    u"UI_CURSOR_MAG",
    u"UI_CURSOR_MAG_PLUS",     u"UI_CURSOR_MAG_MINUS", u"UI_CURSOR_ARROW",
};

struct CursorNames {
    CursorNames()
    {
        for (int32_t i = 0; i < kCursorNameCount; ++i)
            names[i] = WString(kCursorTexts[i]);
    }
    WString names[kCursorNameCount];
};

} // namespace

KXRESULT RegisterGlobalHooks(GlobalSlot slot, GlobalSetUp setUp, GlobalTearDown tearDown)
{
    const int32_t index = static_cast<int32_t>(slot);
    if (index < 0 || index >= kGlobalSlotCount)
        return E_INVALIDARG;
    // Changing hooks while up would release objects that another hook built.
    if (g_state.load() != State::Down)
        return E_FAIL;
    g_hooks[index] = Hooks{setUp, tearDown};
    return S_OK;
}

KXRESULT StartupGlobals()
{
    State expected = State::Down;
    if (!g_state.compare_exchange_strong(expected, State::StartingUp))
        return expected == State::Up ? S_FALSE : E_FAIL;
    try {
        while (g_built < kStepCount) {
            kSteps[g_built].setUp();
            ++g_built;
        }
    } catch (...) {
        g_state.store(State::ShuttingDown);
        TearDownBuilt();
        g_state.store(State::Down);
        throw;
    }
    // Registered after the objects above, so that it runs before the destructors of the
    // function-local statics they made.
    if (!g_exitHandlerRegistered && std::atexit(ShutdownAtExit) == 0)
        g_exitHandlerRegistered = true;
    g_state.store(State::Up);
    return S_OK;
}

KXRESULT ShutdownGlobals() noexcept
{
    State expected = State::Up;
    if (!g_state.compare_exchange_strong(expected, State::ShuttingDown))
        return expected == State::Down ? S_FALSE : E_FAIL;
    TearDownBuilt();
    g_state.store(State::Down);
    return S_OK;
}

bool AreGlobalsUp() noexcept
{
    return g_state.load() == State::Up;
}

const NString& GetEmptyNString()
{
    static const NString* const empty = new NString();
    return *empty;
}

const WString& GetEmptyWString()
{
    static const WString* const empty = new WString();
    return *empty;
}

const WString& GetBlankString()
{
    static const WString* const blank = new WString(u" ");
    return *blank;
}

const WString& GetLineBreakString()
{
    static const WString* const lineBreak = new WString(u"\n");
    return *lineBreak;
}

const WString& GetCursorName(CursorName cursor)
{
    static const CursorNames* const cursors = new CursorNames();
    const int32_t index = static_cast<int32_t>(cursor);
    if (index < 0 || index >= kCursorNameCount)
        return GetEmptyWString();
    return cursors->names[index];
}

} // namespace KX
