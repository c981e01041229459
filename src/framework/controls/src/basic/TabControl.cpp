// The tab control: tab buttons and pages paired by name, selection by click, index or name.
#include "kx/controls/TabControl.h"

#include "kx/controls/Button.h"

namespace KX {

namespace {

RCPtr<LControl> ChildAt(LControl& holder, int32_t index)
{
    LChildControlList& children = holder.GetChildren();
    if (index < 0 || static_cast<uint32_t>(index) >= children.GetCount())
        return {};
    return RCPtr<LControl>(children.GetAt(static_cast<uint32_t>(index), kOrderInsertion));
}

} // namespace

LTabControl::LTabControl(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LTabControl::~LTabControl()
{
    m_tabHandler = nullptr;
}

KXRESULT LTabControl::Initialize()
{
    if (Failed(LPanel::Initialize()))
        return E_FAIL;
    m_buttonHolder = FindChild(WString(u"buttonHolder"));
    m_pageHolder = FindChild(WString(u"pageHolder"));
    const KXRESULT selected = SelectTabByIndex(0);
    if (Failed(selected))
        return selected;
    BindTabButtons();
    m_initialized = true;
    return selected;
}

void LTabControl::BindTabButtons()
{
    m_buttonHolder = FindChild(WString(u"buttonHolder"));
    m_pageHolder = FindChild(WString(u"pageHolder"));
    if (!m_buttonHolder)
        return;
    if (!m_tabHandler)
        m_tabHandler = RCPtr<LNotificationHandler<LTabControl>>(new LNotificationHandler<LTabControl>(this));
    ChildControlList& buttons = m_buttonHolder->GetChildren();
    for (uint32_t i = 0; i < buttons.GetCount(); ++i) {
        const RCPtr<LControl> button(buttons.GetAt(i, kOrderInsertion));
        if (dynamic_cast<LButton*>(button.Get()))
            TraceFailedResult(m_tabHandler->AddDistributorHandler(&LTabControl::OnTabClicked,
                                                                  RCPtr<LNotificationDistributor>(button),
                                                                  NID_LEFT_CLICK, 0),
                              "LTabControl::BindTabButtons");
    }
}

KXRESULT LTabControl::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    const KXRESULT result = LPanel::CreateFromDescriptor(descriptor);
    if (m_initialized) {
        // The rebuilt children may be new objects: find them again and show the same page.
        BindTabButtons();
        SelectTab(WString(m_selectedName));
    }
    return result;
}

KXRESULT LTabControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_tabHandler)
        m_tabHandler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

KXRESULT LTabControl::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LTabControl> self(this);
    if (m_tabHandler && m_tabHandler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LTabControl::OnTabClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    if (auto* button = dynamic_cast<LControl*>(from.Get()))
        SelectTab(WString(button->GetName()));
    return S_FALSE;
}

int32_t LTabControl::GetPageCount()
{
    return m_pageHolder ? static_cast<int32_t>(m_pageHolder->GetChildren().GetCount()) : 0;
}

int32_t LTabControl::GetTabIndex(const WString& name)
{
    if (!m_buttonHolder)
        return -1;
    ChildControlList& buttons = m_buttonHolder->GetChildren();
    for (uint32_t i = buttons.GetCount(); i > 0; --i)
        if (buttons.GetAt(i - 1, kOrderInsertion)->GetName() == name)
            return static_cast<int32_t>(i - 1);
    return -1;
}

int32_t LTabControl::GetSelectedIndex()
{
    return GetTabIndex(m_selectedName);
}

RCPtr<LControl> LTabControl::GetSelectedPage()
{
    return GetPage(GetSelectedIndex());
}

WString LTabControl::GetSelectedName()
{
    return m_selectedName;
}

RCPtr<LControl> LTabControl::GetPageForTab(const WString& name)
{
    const int32_t index = GetTabIndex(name);
    return index < 0 ? RCPtr<LControl>() : GetPage(index);
}

RCPtr<LControl> LTabControl::GetPage(int32_t index)
{
    if (!m_pageHolder || index >= GetPageCount())
        return {};
    return ChildAt(*m_pageHolder, index);
}

KXRESULT LTabControl::SelectTab(const WString& name)
{
    if (!m_buttonHolder)
        return E_FAIL;
    const RCPtr<LTabControl> self(this);
    ChildControlList& buttons = m_buttonHolder->GetChildren();
    for (uint32_t i = buttons.GetCount(); i > 0; --i) {
        const RCPtr<LControl> button(buttons.GetAt(i - 1, kOrderInsertion));
        button->SetNormalizedValue(button->GetName() == name ? 1.0 : 0.0);
    }
    if (!m_pageHolder)
        return E_FAIL;
    ChildControlList& pages = m_pageHolder->GetChildren();
    for (uint32_t i = pages.GetCount(); i > 0; --i) {
        const RCPtr<LControl> page(pages.GetAt(i - 1, kOrderInsertion));
        page->SetVisible(page->GetName() == name);
    }
    m_selectedName = name;
    GetSelectedIndex();
    OnTabSelected();
    const RCPtr<LControl> page = GetSelectedPage();
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_TAB_SELECTED, ConstRCPtr<LRefCountedObject>(page.Get()));
    if (n)
        SendNotification(n);
    return S_OK;
}

KXRESULT LTabControl::SelectTabByIndex(int32_t index)
{
    if (!m_buttonHolder)
        return E_FAIL;
    const RCPtr<LControl> button = ChildAt(*m_buttonHolder, index);
    if (!button)
        return E_FAIL;
    return SelectTab(WString(button->GetName()));
}

} // namespace KX
