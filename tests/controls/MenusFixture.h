#pragma once
// The menu tests' fixture: the menus area's skin and strings, a control that owns a context menu
// and answers item-state queries, and a receiver that records the commands it is handed.
#include "ControlsHarness.h"

#include "kx/NotificationClient.h"
#include "kx/controls/ComboMenu.h"
#include "kx/controls/MainMenu.h"
#include "kx/controls/PopupMenu.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/StringTable.h"

#include <map>
#include <string>
#include <vector>

namespace menutest {

inline std::string Narrow(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}

// One notification as received: its id and, for menu activations, the item's index.
struct Received {
    std::string id;
    int32_t item = -1;
    bool operator==(const Received&) const = default;
};

inline Received Describe(const KX::RCPtr<KX::LNotification>& n)
{
    Received r{Narrow(KX::WString(KX::GetNotificationName(n->GetID())))};
    if (auto* param = dynamic_cast<const KX::LMenuActivationParam*>(n->GetPayload().Get()))
        r.item = static_cast<int32_t>(param->GetItemIndex());
    return r;
}

inline void PrintTo(const Received& r, std::ostream* os)
{
    *os << r.id << "#" << r.item;
}

// Records what it receives, as a command receiver or as a registered client.
class Recorder : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        if (n)
            log.push_back(Describe(n));
        return KX::S_OK;
    }
    void Listen(KX::LNotificationDistributor* source, std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* name : names)
            RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(source), name, 0);
    }
    std::vector<Received> log;
};

// A control with the context menu of its string table; it answers item states from a map and
// records the commands that reach it.
class MenuOwner : public KX::LControl {
public:
    MenuOwner(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}

    KX::KXRESULT Initialize() override
    {
        const KX::KXRESULT hr = KX::LControl::Initialize();
        KX::RCPtrArray<KX::LMenuDescriptor> menus;
        GetContextMenuEntries(menus);
        if (menus.GetCount() > 0)
            SetContextMenu(menus.GetData()[0]);
        return hr;
    }
    KX::KXRESULT GetMenuItemState(const KX::RCPtr<KX::LMenuDescriptor>&, uint32_t, const KX::WString& name,
                                  KX::LMenuItemState& state) override
    {
        ++queries;
        const auto it = states.find(Narrow(name));
        if (it != states.end())
            state = it->second;
        return KX::S_OK;
    }
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override
    {
        if (n && !from)
            commands.push_back(Describe(n));
        return KX::LControl::Receive(from, n);
    }
    bool IsEditTarget() override { return true; }

    std::map<std::string, KX::LMenuItemState> states;
    std::vector<Received> commands;
    int queries = 0;
};

class MenusTest : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"menus"}; }
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(KX::WString(u"Test.MenuOwner"), &KX::CreateControlOfClass<MenuOwner>);
        Page()->SetNotFocusable(false);
        Page()->SetBuilt(); // it takes its idle passes, which finish deferred removals
    }
    void TearDown() override
    {
        recorder->UnregisterFromAll();
        ctltest::ControlsTest::TearDown();
    }

    // The window point at the centre of the row that shows item.
    static KX::PointT<int32_t> RowCentre(KX::LPopupMenu& popup, int32_t item)
    {
        const KX::RectT<double> row = popup.GetItemRowRect(item);
        const KX::PointT<double> origin = popup.GetOriginInRootWindow();
        return {static_cast<int32_t>(origin.x + row.x + row.width / 2),
                static_cast<int32_t>(origin.y + row.y + row.height / 2)};
    }
    static bool Showing(const KX::LControl* c) { return c && c->IsShowing(true); }
    static bool HasFocus(const KX::LControl& c) { return (c.GetConditionFlags() & KX::Condition::kHasFocus) != 0; }
    static int32_t Look(const KX::LControl& c) { return c.GetFirstVisibleLook(); }
    // The labels of the items a popup shows, "-" for separators.
    static std::vector<std::string> Labels(const KX::LPopupMenu& popup)
    {
        std::vector<std::string> out;
        const KX::RCPtr<KX::LMenuDescriptor>& menu = popup.GetMenu();
        for (uint32_t i = 0; menu && i < menu->GetItemCount(); ++i)
            out.push_back(menu->GetItem(i)->IsSeparator() ? std::string("-") : Narrow(menu->GetItem(i)->label));
        return out;
    }

    KX::RCPtr<Recorder> recorder{new Recorder()};
};

} // namespace menutest
