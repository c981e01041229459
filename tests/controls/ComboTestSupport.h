#pragma once
// The combo box tests' fixture: the drop-down area's skin with a stand-in for the text box and the
// scroll-bar channel class, and a log of the notifications a control sends.
#include "ControlsHarness.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/ScrollView.h"
#include "kx/ui/ControlCreate.h"

#include <string>
#include <vector>

namespace ctltest {

// Stands in for a combo box's text box ("Test.Edit"): the combo box only needs its text, its
// notifications and its focus.
class FakeEdit : public KX::LControl {
public:
    FakeEdit(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}
    void Send(const char16_t* id)
    {
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, id, KX::ConstRCPtr<KX::LRefCountedObject>());
        SendNotification(n);
    }
};

class ComboTest : public ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"dropdown"}; }
    void SetUp() override
    {
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(KX::WString(u"Test.Edit"), &KX::CreateControlOfClass<FakeEdit>);
        RegisterScrollChannelClass(*factory);
    }
    void TearDown() override
    {
        recorder = nullptr;
        ControlsTest::TearDown();
    }

    KX::RCPtr<KX::LComboBox> MakeCombo(const char16_t* name)
    {
        KX::RCPtr<KX::LComboBox> combo = CreateAs<KX::LComboBox>(name);
        if (combo && !recorder)
            recorder = KX::RCPtr<NotificationLog>(new NotificationLog());
        if (combo)
            recorder->Listen(combo.Get(), {u"NID_DROPDOWN_OPENING", u"NID_SELECTION_CHANGE"});
        return combo;
    }
    // The window point at the centre of the list row that shows item (the list must be open).
    KX::PointT<int32_t> RowCentre(KX::LComboBox& combo, int32_t item)
    {
        const KX::RCPtr<KX::LListBox>& list = combo.GetListBox();
        const KX::RectT<double> row = list->GetItemRowRect(item);
        const KX::PointT<double> origin = list->GetOriginInRootWindow();
        return {static_cast<int32_t>(origin.x + row.x + row.width / 2),
                static_cast<int32_t>(origin.y + row.y + row.height / 2)};
    }
    static bool HasFocus(const KX::LControl& c) { return (c.GetConditionFlags() & KX::Condition::kHasFocus) != 0; }

    KX::RCPtr<NotificationLog> recorder;
};

} // namespace ctltest
