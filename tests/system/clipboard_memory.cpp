// The framework clipboard over the in-memory clipboard service, with a fake user-interface core
// that supplies the focused control.
#include "FakeAppServices.h"
#include "MemoryClipboard.h"
#include "kx/AppServices.h"
#include "kx/Clipboard.h"
#include "kx/Exception.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/Wrappers.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

using KX::RCPtr;
using KX::WString;

namespace {

using Text = KX::LClipboard::TextContent;

RCPtr<KX::LRefCountedObject> MakeText(const WString& text)
{
    return RCPtr<KX::LRefCountedObject>(Text::Create(text));
}

// The text of a content object, or "<null>" / "<object>".
std::string Describe(const RCPtr<KX::LRefCountedObject>& content)
{
    if (!content)
        return "<null>";
    const auto text = RCPtr<Text>::DynamicCast(content);
    return text ? std::string(static_cast<const WString&>(*text).ToNarrow().GetString()) : "<object>";
}

class FakeControl : public KX::IEditTarget {
public:
    bool accepts = true;
    RCPtr<KX::IEditTarget> delegate; // GetEditTarget answers this when set
    std::set<int32_t> allowed{KX::kEditDelete, KX::kEditCut, KX::kEditCopy, KX::kEditPaste};
    int32_t result = KX::S_OK;
    std::vector<int32_t> performed;

    bool AcceptsEdits() override { return accepts; }
    RCPtr<KX::IEditTarget> GetEditTarget() override { return delegate ? delegate : RCPtr<KX::IEditTarget>(this); }
    bool CanPerformEdit(int32_t command) override { return allowed.count(command) > 0; }
    int32_t PerformEdit(int32_t command) override
    {
        performed.push_back(command);
        return result;
    }
};

class FakeApp : public kxtest::FakeAppServices {
public:
    FakeApp() : FakeAppServices(false) {}
};

// The in-memory service, watched by the test after the clipboard took ownership.
class WatchedClipboard : public kxtest::MemoryClipboard {
public:
    explicit WatchedClipboard(bool* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~WatchedClipboard() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    // Runs inside SetText, as a system message sent during a write would.
    std::function<void()> duringWrite;

    bool SetText(std::string_view utf8) override
    {
        if (duringWrite)
            duringWrite();
        return MemoryClipboard::SetText(utf8);
    }

private:
    bool* m_destroyed;
};

class ClipboardTest : public ::testing::Test {
protected:
    WatchedClipboard* system = nullptr; // owned by the clipboard
    RCPtr<KX::LClipboard> clipboard;
    FakeApp app;

    void SetUp() override
    {
        auto backend = std::make_unique<WatchedClipboard>();
        system = backend.get();
        clipboard = KX::LClipboard::Create(std::move(backend));
        KX::SetAppServices(&app);
    }
    void TearDown() override { KX::SetAppServices(nullptr); }
};

TEST_F(ClipboardTest, CopyThenPasteInTheSameProcessGivesBackTheSameObject)
{
    const WString text = u"Preset \u00E9t\u00E9 \U0001D11E";
    const RCPtr<KX::LRefCountedObject> copied = MakeText(text);
    EXPECT_EQ(clipboard->WriteSystemClipboard(copied), KX::S_OK);
    // Other programs get the text as UTF-8.
    ASSERT_TRUE(system->PeekText().has_value());
    EXPECT_EQ(*system->PeekText(), "Preset \xC3\xA9t\xC3\xA9 \xF0\x9D\x84\x9E");

    const RCPtr<KX::LRefCountedObject> pasted = clipboard->ReadSystemClipboard();
    EXPECT_EQ(pasted.Get(), copied.Get());
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), copied.Get());
    EXPECT_EQ(system->GetTextReads(), 0);
    EXPECT_FALSE(system->IsOpen());
}

TEST_F(ClipboardTest, AnotherProgramsTextIsReadOnceIntoANewWrapper)
{
    const RCPtr<KX::LRefCountedObject> copied = MakeText(u"mine");
    ASSERT_EQ(clipboard->WriteSystemClipboard(copied), KX::S_OK);

    system->PutExternalText("Gr\xC3\xBC\xC3\x9F"
                            "e");
    const RCPtr<KX::LRefCountedObject> pasted = clipboard->ReadSystemClipboard();
    ASSERT_TRUE(pasted);
    EXPECT_NE(pasted.Get(), copied.Get());
    EXPECT_EQ(Describe(pasted), "Gr\xC3\xBC\xC3\x9F"
                                "e");
    const auto asText = RCPtr<Text>::DynamicCast(pasted);
    ASSERT_TRUE(asText);
    EXPECT_EQ(static_cast<const WString&>(*asText), WString(u"Gr\u00FC\u00DFe"));

    // Unchanged since: the same wrapper, without reading again.
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), pasted.Get());
    EXPECT_EQ(system->GetTextReads(), 1);
    EXPECT_FALSE(system->IsOpen());
}

TEST_F(ClipboardTest, AnObjectThatIsNoTextStaysInTheProcessBehindTheMarker)
{
    auto holder = KX::LHolder<int>::Create();
    holder->Value() = 42;
    const RCPtr<KX::LRefCountedObject> object(holder);
    EXPECT_EQ(clipboard->WriteSystemClipboard(object), KX::S_OK);
    EXPECT_TRUE(system->HasPrivateMarker());
    EXPECT_FALSE(system->HasText());
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), object.Get());

    // Another program's text replaces it.
    system->PutExternalText("plain");
    EXPECT_EQ(Describe(clipboard->ReadSystemClipboard()), "plain");
}

TEST_F(ClipboardTest, AClipboardEmptiedElsewhereReadsAsNull)
{
    ASSERT_EQ(clipboard->WriteSystemClipboard(MakeText(u"gone soon")), KX::S_OK);
    system->ClearExternally();
    EXPECT_EQ(clipboard->ReadSystemClipboard(), nullptr);
    EXPECT_EQ(system->GetTextReads(), 0);
}

TEST_F(ClipboardTest, WritingNullStoresNullAndLaterWritesStillWork)
{
    ASSERT_EQ(clipboard->WriteSystemClipboard(MakeText(u"first")), KX::S_OK);
    const int opens = system->GetOpenCount();
    EXPECT_EQ(clipboard->WriteSystemClipboard(nullptr), KX::S_OK);
    EXPECT_EQ(system->GetOpenCount(), opens);
    EXPECT_EQ(clipboard->ReadSystemClipboard(), nullptr);

    EXPECT_EQ(clipboard->WriteSystemClipboard(MakeText(u"second")), KX::S_OK);
    EXPECT_EQ(*system->PeekText(), "second");
    EXPECT_EQ(Describe(clipboard->ReadSystemClipboard()), "second");
}

TEST_F(ClipboardTest, ARefusedClipboardFailsWritesAndKeepsWhatWasRead)
{
    const RCPtr<KX::LRefCountedObject> kept = MakeText(u"kept");
    ASSERT_EQ(clipboard->WriteSystemClipboard(kept), KX::S_OK);

    system->SetOpenRefused(true);
    system->PutExternalText("unreadable for now");
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), kept.Get());
    EXPECT_EQ(clipboard->WriteSystemClipboard(MakeText(u"not written")), KX::E_FAIL);
    EXPECT_EQ(*system->PeekText(), "unreadable for now");

    // Open again: the other program's text is noticed.
    system->SetOpenRefused(false);
    EXPECT_EQ(Describe(clipboard->ReadSystemClipboard()), "unreadable for now");

    // A refused write fails but leaves the clipboard closed and usable.
    system->SetWritesRefused(true);
    EXPECT_EQ(clipboard->WriteSystemClipboard(MakeText(u"refused")), KX::E_FAIL);
    EXPECT_FALSE(system->IsOpen());
    system->SetWritesRefused(false);
    EXPECT_EQ(clipboard->WriteSystemClipboard(MakeText(u"accepted")), KX::S_OK);
    EXPECT_EQ(*system->PeekText(), "accepted");
}

TEST_F(ClipboardTest, AWriteDuringAWriteChangesNothing)
{
    KX::KXRESULT nested = KX::E_FAIL;
    system->duringWrite = [&] { nested = clipboard->WriteSystemClipboard(MakeText(u"nested")); };
    const RCPtr<KX::LRefCountedObject> outer = MakeText(u"outer");
    EXPECT_EQ(clipboard->WriteSystemClipboard(outer), KX::S_OK);
    EXPECT_EQ(nested, KX::S_FALSE);
    EXPECT_EQ(*system->PeekText(), "outer");
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), outer.Get());

    // The guard is down again afterwards.
    system->duringWrite = nullptr;
    EXPECT_EQ(clipboard->WriteSystemClipboard(MakeText(u"after")), KX::S_OK);
}

TEST(ClipboardWithoutService, WritesFailAndReadsKeepTheStoredContent)
{
    auto clipboard = KX::LClipboard::Create(nullptr);
    const RCPtr<KX::LRefCountedObject> text = MakeText(u"only here");
    EXPECT_EQ(clipboard->WriteSystemClipboard(text), KX::E_FAIL);
    EXPECT_EQ(clipboard->ReadSystemClipboard().Get(), text.Get());
}

TEST_F(ClipboardTest, EditCommandsReachTheControlThatEditsForTheFocusedOne)
{
    RCPtr<FakeControl> focused(new FakeControl());
    RCPtr<FakeControl> editor(new FakeControl());
    focused->accepts = false;
    focused->delegate = editor;
    app.focused = focused;
    editor->result = 7;

    EXPECT_EQ(clipboard->PerformEditOnFocus(KX::kEditPaste), 7);
    EXPECT_TRUE(clipboard->QueryFocusedControl(KX::kEditCopy));
    EXPECT_TRUE(focused->performed.empty());
    EXPECT_EQ(editor->performed, std::vector<int32_t>{KX::kEditPaste});

    // A command the editor cannot do is not performed: 1.
    editor->allowed = {KX::kEditCopy};
    EXPECT_EQ(clipboard->PerformEditOnFocus(KX::kEditCut), KX::S_FALSE);
    EXPECT_FALSE(clipboard->QueryFocusedControl(KX::kEditCut));
    EXPECT_EQ(editor->performed.size(), 1u);

    // An edit target that does not accept edits takes nothing.
    editor->accepts = false;
    EXPECT_EQ(clipboard->PerformEditOnFocus(KX::kEditCopy), KX::S_FALSE);
    EXPECT_FALSE(clipboard->QueryFocusedControl(KX::kEditCopy));
    EXPECT_EQ(editor->performed.size(), 1u);

    // No focused control, no user interface: 1, nothing done.
    app.focused = nullptr;
    EXPECT_EQ(clipboard->PerformEditOnFocus(KX::kEditDelete), KX::S_FALSE);
    EXPECT_FALSE(clipboard->QueryFocusedControl(KX::kEditDelete));
    KX::SetAppServices(nullptr);
    EXPECT_EQ(clipboard->PerformEditOnFocus(KX::kEditDelete), KX::S_FALSE);
}

// Posts a request to the application's queue and drains it, as the idle handler does.
void PostAndDrain(const char16_t* name)
{
    RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, name, nullptr);
    ASSERT_TRUE(n);
    ASSERT_EQ(KX::GetNotificationQueue()->GetQueue()->PostNotification(n), KX::S_OK);
    KX::LNotificationCenterManager::GetInstance()->ProcessAll(false);
}

TEST_F(ClipboardTest, PostedEditRequestsArePerformedOnTheFocusedControl)
{
    RCPtr<FakeControl> control(new FakeControl());
    app.focused = control;

    // Not initialised: not registered, so requests go nowhere.
    PostAndDrain(KX::NID_EDIT_COPY_REQ);
    EXPECT_TRUE(control->performed.empty());

    clipboard->Initialize();
    EXPECT_TRUE(clipboard->IsInitialized());
    PostAndDrain(KX::NID_EDIT_CUT_REQ);
    PostAndDrain(KX::NID_EDIT_COPY_REQ);
    PostAndDrain(KX::NID_EDIT_PASTE_REQ);
    PostAndDrain(KX::NID_EDIT_DELETE_REQ);
    EXPECT_EQ(control->performed, (std::vector<int32_t>{KX::kEditCut, KX::kEditCopy, KX::kEditPaste, KX::kEditDelete}));

    // Handled requests report 1 to the sender.
    RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, KX::NID_EDIT_PASTE_REQ, nullptr);
    const RCPtr<KX::LNotificationDistributor> centre(KX::GetNotificationQueue());
    EXPECT_EQ(clipboard->Receive(centre, n), KX::S_FALSE);
    // A request without a focused control does nothing.
    app.focused = nullptr;
    PostAndDrain(KX::NID_EDIT_DELETE_REQ);
    EXPECT_EQ(control->performed.size(), 5u);
}

TEST(ClipboardLifetime, ReleasingTheLastReferenceEndsTheRegistrationsAndFreesTheClipboard)
{
    const auto centre = KX::GetNotificationQueue();
    const int32_t before = centre->GetRegistrationCount();
    bool destroyed = false;
    auto clipboard = KX::LClipboard::Create(std::make_unique<WatchedClipboard>(&destroyed));
    clipboard->Initialize();
    EXPECT_EQ(centre->GetRegistrationCount(), before + 4);

    clipboard = nullptr;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(centre->GetRegistrationCount(), before);
}

} // namespace
