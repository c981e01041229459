// Handlers that release, close or edit what notified them: a value listener that lets go of its
// control, a release that closes the window it happened in, a selection listener that empties
// its list, a closing listener that closes again, a table whose sort fails, and menus that would
// hold themselves through an item shared by two menus, and a combo box whose list window goes with
// the window it was opened from.
#include "ComboTestSupport.h"
#include "ListsFixture.h"

#include "kx/controls/Dialog.h"
#include "kx/controls/MultiColumnListBox.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/ParamRecords.h"

#include <functional>
#include <utility>

using namespace KX;

namespace {

// Runs an action for each notification it is registered for.
class OnNotice : public LNotificationReceiver {
public:
    explicit OnNotice(std::function<void(const RCPtr<LNotification>&)> action) : m_action(std::move(action)) {}
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (m_action)
            m_action(n);
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }

private:
    std::function<void(const RCPtr<LNotification>&)> m_action;
};

RCPtr<OnNotice> Listen(LNotificationDistributor& source, const char16_t* name,
                       std::function<void(const RCPtr<LNotification>&)> action)
{
    RCPtr<OnNotice> receiver(new OnNotice(std::move(action)));
    EXPECT_FALSE(KX::Failed(source.RegisterClient(RCPtr<LNotificationReceiver>(receiver), name, 0)));
    return receiver;
}

// A plain control that counts its deaths.
class Mortal : public LControl {
public:
    Mortal(const RCPtr<LControl>& parent, int& deaths) : LControl(parent, WString(u"mortal")), m_deaths(deaths)
    {
        SetLayout(LLayoutDescriptor::Create());
    }
    ~Mortal() override { ++m_deaths; }

private:
    int& m_deaths;
};

// A dialog that counts its OnClosed calls.
class CountingDialog : public LDialog {
public:
    using LDialog::LDialog;
    void OnClosed() override { ++closedCalls; }
    int closedCalls = 0;
};

// A control that closes and destroys its window when the left button is released.
class ClosesOnRelease : public LControl {
public:
    explicit ClosesOnRelease(const WString& name) : LControl(nullptr, name) { SetLayout(LLayoutDescriptor::Create()); }
    void OnLeftUp(const RCPtr<LMouseButtonParam>&) override
    {
        ++releases;
        if (auto* root = dynamic_cast<LRootWindow*>(GetTopLevelOwnerSlot().Get()))
            if (IWindowOSServices* services = root->GetServices())
                services->Close(0); // at once, not at the next idle pass
    }
    int releases = 0;
};

// A shown window of its own at 60, 40 that main fills, hit all over; null when it cannot be made.
OSWindow* OpenWindow(const char16_t* title, int32_t width, int32_t height, const RCPtr<LControl>& main)
{
    OSWindowOptions options;
    options.title = WString(title);
    options.width = width;
    options.height = height;
    options.x = 60;
    options.y = 40;
    OSWindow* window = OSWindow::Create(options);
    if (!window || window->CreateRenderer(kRendererGDIPlus) != S_OK)
        return nullptr;
    window->Show(1);
    window->GetRootWindow()->AttachMainControl(main);
    main->FillRootWindow();
    rwtest::GiveHitLook(*main, width, height);
    return window;
}

class Lifetimes : public ctltest::ControlsTest {
protected:
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(WString(u"Test.Dialog"), &CreateControlOfClass<CountingDialog>);
    }
};

class LifetimesLists : public ctltest::Lists2Test {};

class LifetimesCombo : public ctltest::ComboTest {};

} // namespace

TEST_F(Lifetimes, AValueListenerThatReleasesTheControlLeavesTheSetterSafe)
{
    int deaths = 0;
    RCPtr<LControl> last(new Mortal(Page(), deaths));
    LControl* control = last.Get();
    int notices = 0;
    const RCPtr<OnNotice> releaser = Listen(*control, u"NID_VALUE_CHANGE", [&](const RCPtr<LNotification>&) {
        ++notices;
        control->SetParent(nullptr);
        last = nullptr; // the control's last holder
    });
    EXPECT_EQ(control->SetNormalizedValue(1.0), 1.0);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(deaths, 1) << "gone once the setter returned";
}

TEST_F(Lifetimes, AReleaseOutsideWhoseHandlerClosesTheWindowEndsThere)
{
    const RCPtr<ClosesOnRelease> control(new ClosesOnRelease(WString(u"closer")));
    OSWindow* other = OpenWindow(u"closes", 200, 150, RCPtr<LControl>(control));
    ASSERT_NE(other, nullptr);
    const Uint32 id = other->GetPlatformWindow().Id();
    ctltest::PushWindowEvent(id, SDL_WINDOWEVENT_FOCUS_GAINED);
    app->events.ProcessPending();

    ctltest::PushMouse(id, SDL_MOUSEBUTTONDOWN, 50, 40);
    app->events.ProcessPending();
    ASSERT_TRUE(other->IsCaptured());
    // Released outside with nothing else held: the handler closes the window and it is gone.
    ctltest::PushMouse(id, SDL_MOUSEBUTTONUP, 400, 300);
    app->events.ProcessPending();
    EXPECT_EQ(control->releases, 1);
    EXPECT_EQ(platform::sdl::Window::FromId(id), nullptr);
}

TEST_F(Lifetimes, AListenerCallingCloseAgainChangesOnlyTheCodeAndTheDialogClosesOnce)
{
    RCPtr<CountingDialog> dialog = CreateTopLevelAs<CountingDialog>(u"confirmDialog");
    ASSERT_TRUE(dialog);
    int closing = 0, closed = 0;
    const RCPtr<OnNotice> again = Listen(*dialog, u"NID_DIALOG_CLOSING", [&](const RCPtr<LNotification>&) {
        if (++closing == 1) {
            EXPECT_EQ(dialog->Close(7), S_FALSE);
        }
    });
    const RCPtr<OnNotice> after = Listen(*dialog, u"NID_DIALOG_CLOSED", [&](const RCPtr<LNotification>&) {
        ++closed;
        EXPECT_EQ(dialog->Close(5), S_FALSE) << "closed already";
    });
    const RCPtr<LControl> cancel = dialog->FindChild(WString(u"buttonCancel"));
    ASSERT_TRUE(cancel);
    bool clicked = false;
    whileModal = [&] {
        OSWindow* w = WindowOf(*dialog);
        if (!w || clicked || SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            return;
        clicked = true;
        const PointT<int32_t> at = CentreOf(*cancel);
        QueueClick(*w, at.x, at.y);
    };
    EXPECT_EQ(dialog->ShowModal(), 7);
    EXPECT_EQ(dialog->GetResultCode(), 7);
    EXPECT_EQ(closing, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(dialog->closedCalls, 1);
}

TEST_F(LifetimesLists, ASelectionListenerThatEmptiesTheListStopsTheRemoval)
{
    RCPtr<LListBox> list = MakeList(u"listBox");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->GetItemCount(), 15);
    bool armed = false;
    const RCPtr<OnNotice> emptier = Listen(*list, u"NID_SELECTION_CHANGE", [&](const RCPtr<LNotification>&) {
        if (std::exchange(armed, false))
            list->RemoveAllItems();
    });
    list->SelectRange(14, -1, true);
    armed = true;
    EXPECT_EQ(list->RemoveItemAt(14), S_FALSE) << "the listener took the item";
    EXPECT_EQ(list->GetItemCount(), 0);

    // Shrinking the count: the last item's deselection empties the list, and no blank item is
    // made up to reach the count asked for.
    list->SetItemCount(5);
    for (int32_t i = 0; i < 5; ++i)
        list->SetItemText(i, WString::Format(u"item %d", i));
    list->SelectRange(4, -1, true);
    armed = true;
    EXPECT_EQ(list->SetItemCount(2), 0) << "minus the count reached";
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(LifetimesLists, AFailedSortLeavesTheTableWorkingAndNoExceptionLeavesTheLoop)
{
    RCPtr<LMultiColumnListBox> table = CreateAs<LMultiColumnListBox>(u"table");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->GetColumnCount(), 3);
    const std::vector<std::string> names = ColumnTexts(*table, 0);
    // The middle column's subscription is taken away from outside: the next sort fails after
    // suspending the last column.
    const RCPtr<LListBox> middle = table->GetColumn(1), last = table->GetColumn(2);
    table->UnregisterForNotification(RCPtr<LNotificationDistributor>(middle.Get()), u"NID_SELECTION_CHANGE");
    ClickOn(*table->GetHeader(0));
    EXPECT_EQ(ColumnTexts(*table, 0), names) << "the failed sort moved no row";

    // Row clicks: the first column's selection reaches the others, and the last column, whose
    // subscription the sort had suspended, is heard again.
    ClickOn(*table->GetColumn(0)->GetRowAt(2));
    EXPECT_TRUE(middle->IsItemSelected(2));
    EXPECT_TRUE(last->IsItemSelected(2));
    ClickOn(*last->GetRowAt(4));
    EXPECT_TRUE(table->GetColumn(0)->IsItemSelected(4));
    EXPECT_FALSE(table->GetColumn(0)->IsItemSelected(2));
}

TEST_F(LifetimesCombo, AListInAWindowOfItsOwnComesHomeShutWhenItsOwnerWindowCloses)
{
    // A low window: the capped list has room on neither side of the box and opens in a window of its own.
    const RCPtr<LControl> page(new LControl(nullptr, WString(u"ownerPage")));
    page->SetLayout(LLayoutDescriptor::Create());
    OSWindow* owner = OpenWindow(u"owner", 420, 100, page);
    ASSERT_NE(owner, nullptr);
    const RCPtr<LComboBox> combo = MakeCombo(u"comboCapped");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->SetParent(page), S_OK);
    AxisPlacement middle = combo->GetLayout()->Position(1);
    middle.absolute = 40;
    ASSERT_GE(combo->SetAxisPlacement(1, middle, combo->GetLayout()->Size(1)), 0);
    const RCPtr<LListBox> list = combo->GetListBox();
    QueueClick(*owner, static_cast<int32_t>(combo->GetPosition().x) + 20, 50);
    RunIdle();
    ASSERT_TRUE(combo->IsDropDownShowing());
    OSWindow* popup = WindowOf(*list);
    ASSERT_TRUE(popup && popup != owner);
    const Uint32 ownerId = owner->GetPlatformWindow().Id(), popupId = popup->GetPlatformWindow().Id();

    // The window manager closes the owner.
    ctltest::PushWindowEvent(ownerId, SDL_WINDOWEVENT_CLOSE);
    RunIdle();
    EXPECT_EQ(platform::sdl::Window::FromId(popupId), nullptr);
    EXPECT_FALSE(combo->IsDropDownShowing()) << "reported open with no window";
    EXPECT_EQ(list->GetParent().Get(), static_cast<LControl*>(combo.Get())) << "the list did not come home";
    EXPECT_EQ(combo->ShowDropDown(true), S_FALSE);
    EXPECT_FALSE(combo->IsDropDownShowing()) << "open with nothing on screen";
}

TEST(MenuCycles, AnItemHeldByTwoMenusCannotTakeAMenuAboveItInEither)
{
    const RCPtr<LMenuDescriptor> bar = LMenuDescriptor::Create();
    const RCPtr<LMenuItemDescriptor> file = LMenuItemDescriptor::Create(WString(u"File"), WString(), true, false);
    const RCPtr<LMenuItemDescriptor> edit = LMenuItemDescriptor::Create(WString(u"Edit"), WString(), true, false);
    const RCPtr<LMenuItemDescriptor> recent = LMenuItemDescriptor::Create(WString(u"Recent"), WString(), true, false);
    const RCPtr<LMenuItemDescriptor> deep = LMenuItemDescriptor::Create(WString(u"Deep"), WString(), true, false);
    ASSERT_EQ(bar->InsertItem(0, file), S_OK);
    ASSERT_EQ(bar->InsertItem(1, edit), S_OK);
    ASSERT_EQ(file->InsertItem(0, recent), S_OK);
    ASSERT_EQ(edit->InsertItem(0, recent), S_OK); // held by both; its parent link names "Edit"
    ASSERT_EQ(recent->InsertItem(0, deep), S_OK);

    EXPECT_EQ(recent->InsertItem(0, file), E_INVALIDARG) << "File holds Recent";
    EXPECT_EQ(deep->InsertItem(0, file), E_INVALIDARG) << "File holds Deep below Recent";
    EXPECT_EQ(deep->InsertItem(0, edit), E_INVALIDARG);
    EXPECT_EQ(deep->InsertItem(0, LMenuItemDescriptor::Create(WString(u"Leaf"), WString(), true, false)), S_OK);

    const RCPtr<LMenuDescriptor> copy = bar->CreateMenuCopy();
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->GetItemCount(), 2u);
    EXPECT_EQ(copy->GetItem(0)->GetItem(0)->GetItem(0)->GetItem(0)->label, WString(u"Leaf"));
    bar->RemoveAllItems();
    file->RemoveAllItems();
    edit->RemoveAllItems();
    recent->RemoveAllItems();
}
