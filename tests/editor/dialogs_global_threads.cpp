// The global settings dialog and the MIDI manager's announcements share the main thread: the
// keyboard's replies are handled on the port's worker thread, yet every value reaches the
// listeners on the thread that asked for it; a value told on another thread is dropped.
#include "GlobalSettingsSupport.h"

#include "kx/ui/OSWindow.h"

#include <SDL.h>

#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

using namespace KX;
using namespace editor;
using namespace dlgtest;
using D = LGlobalSettingsDlg;

namespace {

// Records the thread of every parameter announcement, then runs an action.
class AnnouncementWatch : public LNotificationReceiver {
public:
    explicit AnnouncementWatch(std::function<void()> action) : m_action(std::move(action)) {}
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_threads.push_back(std::this_thread::get_id());
        }
        m_action();
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::vector<std::thread::id> Threads()
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        return m_threads;
    }

private:
    std::function<void()> m_action;
    std::mutex m_lock;
    std::vector<std::thread::id> m_threads;
};

class GlobalSettingsThreads : public DialogsTest {};

TEST_F(GlobalSettingsThreads, ValuesOfAGetAreAnnouncedOnTheMainThreadWhileTheDialogCloses)
{
    // Keyboard codes: 0 channel, 4 Mackie/HUI, 5..7 keys, 8..10 pads, 11 curve, 12 XY pad,
    // 13 program, 14 MSB, 15 LSB; every one shows other than the dialog's start.
    const std::vector<std::pair<int, int32_t>> keyboardValues{{0, 3},    {4, 1},   {5, 1},  {6, 24}, {7, 6},
                                                              {8, 0},    {9, 0},   {10, 9}, {11, 3}, {12, 5},
                                                              {13, 127}, {14, 64}, {15, 1}};
    for (const auto& [code, value] : keyboardValues)
        keyboard.SetGlobal(code, value);
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    std::vector<double> before;
    for (int s = 0; s < D::kSettingCount; ++s)
        before.push_back(Shown(*dialog, static_cast<Setting>(s)));
    const auto changed = [&] {
        int count = 0;
        for (int s = 0; s < D::kSettingCount; ++s)
            count += Shown(*dialog, static_cast<Setting>(s)) != before[static_cast<size_t>(s)] ? 1 : 0;
        return count;
    };
    // The dialog closes once it shows the first value, leaving the manager's listeners while the
    // keyboard still answers the other requests on the worker thread.
    const RCPtr<AnnouncementWatch> watcher(new AnnouncementWatch([&] {
        if (!dialog->IsClosed() && changed() > 0)
            dialog->Close(2);
    }));
    EXPECT_FALSE(KX::Failed(
        fake.manager->RegisterClient(RCPtr<LNotificationReceiver>(watcher), u"NID_MIDIMANAGER_PARAMETER_RECIEVED", 0)));
    bool clicked = false;
    whileModal = [&] {
        OSWindow* w = WindowOf(*dialog);
        if (!w || clicked || SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            return;
        clicked = true;
        const PointT<int32_t> at = CentreOf(*dialog->FindChild(WString(u"getGlobalSettingsButton")));
        QueueClick(*w, at.x, at.y);
    };
    EXPECT_EQ(dialog->ShowModal(), 2);
    whileModal = nullptr;
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_TRUE(dialog->IsClosed());
    const std::vector<std::thread::id> seen = watcher->Threads();
    EXPECT_EQ(seen.size(), 13u) << "the get went on after the close";
    for (const std::thread::id& id : seen)
        EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(changed(), 1) << "only the value told before the close is shown";
    fake.manager->UnregisterClient(RCPtr<LNotificationReceiver>(watcher), u"NID_MIDIMANAGER_PARAMETER_RECIEVED");
}

TEST_F(GlobalSettingsThreads, AValueToldOnAnotherThreadIsDroppedNotWrittenLater)
{
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    RCPtr<LMidiManager> manager = fake.manager;
    std::thread([&] { Announce(*manager, u"GLOBAL_PROGRAM", 99); }).join();
    RunIdle();
    EXPECT_EQ(Shown(*dialog, D::kProgram), 0);
    Announce(*manager, u"GLOBAL_PROGRAM", 7);
    EXPECT_EQ(Shown(*dialog, D::kProgram), 7);
}

} // namespace
