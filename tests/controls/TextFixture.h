#pragma once
// The text tests' fixture: the text area's skin and strings, a stand-in for the popup menu that
// context menus are shown in, the application's clipboard bound to the edit requests, and a
// recorder of text box notifications that can also correct or refuse a validation and act on it.
#include "ControlsHarness.h"

#include "kx/controls/TextBox.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/MenuDescriptor.h"

#include <functional>
#include <string>
#include <vector>

namespace texttest {

// Shows nothing: records every menu it is asked to show and the owner that prepared it.
class FakePopupMenu : public KX::LControl, public KX::IPopupMenuControl {
public:
    FakePopupMenu(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}

    KX::KXRESULT ShowMenu(const KX::RCPtr<KX::LMenuDescriptor>& menu) override
    {
        Shown().push_back(menu);
        return KX::S_OK;
    }
    KX::KXRESULT PositionOnScreen() override { return KX::S_OK; }
    void LetOwnerPrepare(KX::LControl& owner) override { Owners().push_back(&owner); }

    // The factory makes the menus; the tests read what they saw here.
    static std::vector<KX::RCPtr<KX::LMenuDescriptor>>& Shown()
    {
        static std::vector<KX::RCPtr<KX::LMenuDescriptor>> shown;
        return shown;
    }
    static std::vector<KX::LControl*>& Owners()
    {
        static std::vector<KX::LControl*> owners;
        return owners;
    }

protected:
    ~FakePopupMenu() override = default;
};

// Records "name:text" for each notification; onValidating may change the parameters.
class TextLog : public KX::LNotificationReceiver {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        std::string line = KX::WString(KX::LNotification::GetNotificationName(n->GetID())).ToNarrow().GetString();
        if (KX::LTextValidationParams* p = KX::LTextValidationParams::FromNotification(n)) {
            if (line == "NID_TEXTBOX_VALIDATING" && onValidating)
                onValidating(*p);
            if (line == "NID_TEXTBOX_VALIDATED" && onValidated)
                onValidated(*p);
            line += std::string(":") + p->text.ToNarrow().GetString();
        }
        lines.push_back(line);
        return KX::S_OK;
    }
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override
    {
        return d->UnregisterClient(KX::RCPtr<KX::LNotificationReceiver>(this), name);
    }

    std::vector<std::string> lines;
    std::function<void(KX::LTextValidationParams&)> onValidating;
    std::function<void(KX::LTextValidationParams&)> onValidated;
};

class TextTest : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"basic", "text"}; }

    void SetUp() override
    {
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(KX::WString(u"Test.FakePopupMenu"), &KX::CreateControlOfClass<FakePopupMenu>);
        FakePopupMenu::Shown().clear();
        FakePopupMenu::Owners().clear();
        if (!app->GetClipboard()->IsInitialized())
            app->GetClipboard()->Initialize();
    }
    void TearDown() override
    {
        FakePopupMenu::Shown().clear();
        FakePopupMenu::Owners().clear();
        ControlsTest::TearDown();
    }

    // A text box of the skin, focused by a click at its right end, holding text.
    KX::RCPtr<KX::LTextBox> FocusedBox(const char16_t* name, const char* text = "")
    {
        KX::RCPtr<KX::LTextBox> box = CreateAs<KX::LTextBox>(name);
        if (!box)
            return box;
        box->SetText(KX::WString(text));
        const KX::PointT<int32_t> at = CentreOf(*box);
        Click(at.x + static_cast<int32_t>(box->GetSize().x / 2) - 3, at.y);
        return box;
    }
    KX::RCPtr<TextLog> Listen(const KX::RCPtr<KX::LControl>& control, std::initializer_list<const char16_t*> names)
    {
        KX::RCPtr<TextLog> log(new TextLog());
        for (const char16_t* name : names)
            EXPECT_FALSE(KX::Failed(control->RegisterClient(KX::RCPtr<KX::LNotificationReceiver>(log), name, 0)));
        return log;
    }
    // An edit request as a menu item or hot key sends it: through the application's queue.
    void Request(const char16_t* id)
    {
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, id, KX::ConstRCPtr<KX::LRefCountedObject>());
        KX::GetNotificationQueue()->GetQueue()->PostNotification(n);
        RunIdle();
    }
    void PutOnClipboard(const char* text)
    {
        app->GetClipboard()->WriteSystemClipboard(
            KX::RCPtr<KX::LRefCountedObject>(KX::LClipboard::TextContent::Create(KX::WString(text))));
    }
    std::string ClipboardText()
    {
        const KX::RCPtr<KX::LRefCountedObject> content = app->GetClipboard()->ReadSystemClipboard();
        const auto* text = dynamic_cast<const KX::LClipboard::TextContent*>(content.Get());
        return text ? static_cast<const KX::WString&>(*text).ToNarrow().GetString() : std::string("<none>");
    }
    static std::string Text(const KX::LControl& control) { return control.GetText().ToNarrow().GetString(); }
    // Selection as "start+length@caret".
    static std::string Sel(const KX::LTextBox& box)
    {
        return std::to_string(box.GetSelectionStart()) + "+" + std::to_string(box.GetSelectionLength()) + "@" +
               std::to_string(box.GetCaretPosition());
    }
};

} // namespace texttest
