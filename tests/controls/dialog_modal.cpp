// Dialogs made from the skin and run modally in a window of their own: a standard button's
// click ends the modal loop with its code, a closing listener can keep the dialog open, and a
// dialog without standard buttons closes only through Close.
#include "ControlsHarness.h"

#include "kx/NotificationId.h"
#include "kx/controls/Dialog.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/ControlCreate.h"

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/WindowSurface.h"

using namespace KX;

namespace {

// Counts the closing and closed notifications; cancels the first closings it is told to.
class CloseLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        const std::string name = apptest::Narrow(LNotification::GetNotificationName(n->GetID()));
        if (name == "NID_DIALOG_CLOSING") {
            ++closing;
            auto* args = dynamic_cast<LCancelArgs*>(const_cast<LRefCountedObject*>(n->GetPayload().Get()));
            if (args && cancels > 0) {
                --cancels;
                args->cancel = true;
            }
        } else {
            ++closed;
        }
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    int closing = 0, closed = 0, cancels = 0;
};

// Refuses every text but "ok" while it listens to a text box's validation.
class RefuseAllButOk : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (LTextValidationParams* p = LTextValidationParams::FromNotification(n)) {
            p->accepted = p->text == WString(u"ok");
            ++asked;
        }
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    int asked = 0;
};

class DialogModal : public ctltest::ControlsTest {
protected:
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(WString(u"Test.Dialog"), &CreateControlOfClass<LDialog>);
    }
    RCPtr<CloseLog> Watch(const RCPtr<LDialog>& dialog)
    {
        RCPtr<CloseLog> log(new CloseLog());
        EXPECT_FALSE(KX::Failed(dialog->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_DIALOG_CLOSING", 0)));
        EXPECT_FALSE(KX::Failed(dialog->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_DIALOG_CLOSED", 0)));
        return log;
    }
    // Clicks the named buttons of the dialog one after the other, each once the loop is idle.
    void ClickInTurn(const RCPtr<LDialog>& dialog, std::vector<std::u16string> names)
    {
        auto pending = std::make_shared<std::vector<std::u16string>>(std::move(names));
        whileModal = [this, dialog, pending] {
            OSWindow* w = WindowOf(*dialog);
            if (!w || pending->empty() || SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
                return;
            if (pending->size() == 1 && !shot.empty()) {
                SaveDialogPicture(*w);
            }
            const RCPtr<LControl> button = dialog->FindChild(WString(pending->front().c_str()));
            pending->erase(pending->begin());
            ASSERT_TRUE(button);
            const PointT<int32_t> at = CentreOf(*button);
            QueueClick(*w, at.x, at.y);
        };
    }
    void SaveDialogPicture(OSWindow& w)
    {
        w.InvalidateAll();
        app->events.ProcessPending();
        EXPECT_EQ(w.GetWindowSurface()->GetBackBuffer().SaveToPng(ScreenshotPath(shot)), gdi::Status::Ok);
    }
    std::string shot;
};

} // namespace

TEST_F(DialogModal, StandardButtonsEndTheModalLoopWithTheirCodes)
{
    RCPtr<LDialog> yes = CreateTopLevelAs<LDialog>(u"confirmDialog");
    ASSERT_TRUE(yes);
    RCPtr<CloseLog> log = Watch(yes);
    shot = "confirm";
    ClickInTurn(yes, {u"buttonYes"});
    EXPECT_EQ(yes->ShowModal(), 6);
    EXPECT_EQ(yes->GetResultCode(), 6);
    EXPECT_EQ(log->closing, 1);
    EXPECT_EQ(log->closed, 1);

    shot.clear();
    RCPtr<LDialog> cancel = CreateTopLevelAs<LDialog>(u"confirmDialog");
    ASSERT_TRUE(cancel);
    ClickInTurn(cancel, {u"buttonCancel"});
    EXPECT_EQ(cancel->ShowModal(), 2);
}

TEST_F(DialogModal, ClosingListenerKeepsTheDialogOpenWithoutAClosedNotice)
{
    RCPtr<LDialog> dialog = CreateTopLevelAs<LDialog>(u"confirmDialog");
    ASSERT_TRUE(dialog);
    RCPtr<CloseLog> log = Watch(dialog);
    log->cancels = 1;
    ClickInTurn(dialog, {u"buttonCancel", u"buttonNo"});
    EXPECT_EQ(dialog->ShowModal(), 7) << "the cancelled close left it open for the second click";
    EXPECT_EQ(log->closing, 2);
    EXPECT_EQ(log->closed, 1);
}

TEST_F(DialogModal, DialogWithoutStandardButtonsClosesOnlyThroughClose)
{
    RCPtr<LDialog> dialog = CreateTopLevelAs<LDialog>(u"plainDialog");
    ASSERT_TRUE(dialog);
    int passes = 0;
    whileModal = [&] {
        OSWindow* w = WindowOf(*dialog);
        if (!w)
            return;
        if (++passes == 1)
            QueueClick(*w, 100, 50);
        else if (passes == 20)
            dialog->Close(5);
    };
    EXPECT_EQ(dialog->ShowModal(), 5);
    EXPECT_GE(passes, 20) << "the click inside did not close it";
}

TEST_F(DialogModal, OkClosesOnlyOnceItTakesTheFocusFromAFieldThatKeepsIt)
{
    RCPtr<LDialog> dialog = CreateTopLevelAs<LDialog>(u"editDialog");
    ASSERT_TRUE(dialog);
    RCPtr<CloseLog> log = Watch(dialog);
    const RCPtr<LTextBox> field = RCPtr<LTextBox>::DynamicCast(dialog->FindChild(WString(u"field")));
    const RCPtr<LControl> ok = dialog->FindChild(WString(u"buttonOK"));
    ASSERT_TRUE(field && ok);
    const RCPtr<RefuseAllButOk> validator(new RefuseAllButOk());
    EXPECT_FALSE(KX::Failed(field->RegisterClient(RCPtr<LNotificationReceiver>(validator), NID_TEXTBOX_VALIDATING, 0)));
    int step = 0;
    whileModal = [&] {
        OSWindow* w = WindowOf(*dialog);
        if (!w || SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            return;
        const PointT<int32_t> at = CentreOf(*ok);
        switch (step++) {
        case 0:
            field->SetFocus(true);
            field->SetText(WString(u"no"));
            QueueClick(*w, at.x, at.y);
            break;
        case 1:
            // Still open: the box refused its text and kept the focus, and no close was asked.
            EXPECT_EQ(log->closing, 0);
            EXPECT_EQ(w->GetRootWindow()->GetFocusControl().Get(), static_cast<LControl*>(field.Get()));
            field->SetText(WString(u"ok"));
            QueueClick(*w, at.x, at.y);
            break;
        default: break;
        }
    };
    EXPECT_EQ(dialog->ShowModal(), 1);
    EXPECT_EQ(step >= 2, true);
    EXPECT_GE(validator->asked, 2);
    EXPECT_EQ(log->closing, 1);
}

TEST_F(DialogModal, ASecondButtonHandledInTheSamePassAndACloseAfterTheRunDoNotCloseAgain)
{
    RCPtr<LDialog> dialog = CreateTopLevelAs<LDialog>(u"confirmDialog");
    ASSERT_TRUE(dialog);
    RCPtr<CloseLog> log = Watch(dialog);
    bool clicked = false;
    whileModal = [&] {
        OSWindow* w = WindowOf(*dialog);
        if (!w || clicked)
            return;
        clicked = true;
        // Both reach the dialog before the idle pass that closes the window.
        for (const char16_t* name : {u"buttonYes", u"buttonCancel"}) {
            const PointT<int32_t> at = CentreOf(*dialog->FindChild(WString(name)));
            QueueClick(*w, at.x, at.y);
        }
    };
    EXPECT_EQ(dialog->ShowModal(), 6);
    EXPECT_EQ(dialog->Close(3), S_FALSE);
    EXPECT_EQ(log->closing, 1);
    EXPECT_EQ(log->closed, 1);

    // Shown again, it closes again.
    whileModal = [&] {
        if (WindowOf(*dialog))
            dialog->Close(7);
    };
    EXPECT_EQ(dialog->ShowModal(), 7);
    EXPECT_EQ(log->closed, 2);
}
