// The global settings dialog told of values on another thread: they wait for the main thread,
// which alone writes the controls; once the dialog closed they are dropped.
#include "GlobalSettingsSupport.h"

#include <atomic>
#include <thread>

using namespace KX;
using namespace editor;
using namespace dlgtest;
using D = LGlobalSettingsDlg;

namespace {

class GlobalSettingsThreads : public DialogsTest {};

TEST_F(GlobalSettingsThreads, ValuesFromAnotherThreadWaitForTheMainThread)
{
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    RCPtr<LMidiManager> manager = fake.manager;
    std::thread([&] {
        Announce(*manager, u"GLOBAL_PROGRAM", 99);
        Announce(*manager, u"PAD_OCTAVE", 10);
    }).join();
    EXPECT_EQ(Shown(*dialog, D::kProgram), 0);
    // The application's queue carries them over when the main thread is idle.
    RunIdle();
    EXPECT_EQ(Shown(*dialog, D::kProgram), 99);
    EXPECT_EQ(Shown(*dialog, D::kPadOctave), 5);

    // A value told on the main thread lands after those still waiting.
    std::thread([&] { Announce(*manager, u"GLOBAL_PROGRAM", 1); }).join();
    Announce(*manager, u"GLOBAL_PROGRAM", 2);
    EXPECT_EQ(Shown(*dialog, D::kProgram), 2);
    RunIdle();
    EXPECT_EQ(Shown(*dialog, D::kProgram), 2);
}

TEST_F(GlobalSettingsThreads, QueueingAndApplyingRaceWithoutLoss)
{
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    RCPtr<LMidiManager> manager = fake.manager;
    std::atomic<bool> done{false};
    std::thread teller([&] {
        for (int32_t v = 0; v <= 127; ++v)
            Announce(*manager, u"GLOBAL_BANK_MSB", v);
        done = true;
    });
    while (!done)
        dialog->ApplyReceivedValues();
    teller.join();
    dialog->ApplyReceivedValues();
    // Applied in the order told: the last value stays.
    EXPECT_EQ(Shown(*dialog, D::kBankMsb), 127);
}

TEST_F(GlobalSettingsThreads, QueuedValuesAreDroppedWhenTheDialogCloses)
{
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    RCPtr<LMidiManager> manager = fake.manager;
    std::thread([&] { Announce(*manager, u"KEY_TRANSPOSE", 20); }).join();
    EXPECT_EQ(dialog->Close(1), S_OK);
    RunIdle();
    dialog->ApplyReceivedValues();
    EXPECT_EQ(Shown(*dialog, D::kKeyTranspose), 0);
    // Closed, the dialog no longer listens at all.
    std::thread([&] { Announce(*manager, u"KEY_TRANSPOSE", 24); }).join();
    dialog->ApplyReceivedValues();
    EXPECT_EQ(Shown(*dialog, D::kKeyTranspose), 0);
}

} // namespace
