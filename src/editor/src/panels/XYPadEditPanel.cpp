// The XY-pad axis edit panel: the 15-byte value over its two pages, and the axis name.
#include "editor/XYPadEditPanel.h"

#include "dialogs/DialogSupport.h"
#include "editor/MoveableControlEditPanel.h"
#include "editor/NoteModeEditPanel.h"

#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

using namespace KX;
using namespace XYPadAxisValue;

namespace {
constexpr const char* kInitialize = "LXYPadEditPanel::Initialize";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\XYPadEditPanel";
} // namespace

LXYPadEditPanel::LXYPadEditPanel(const RCPtr<LControl>& parent, const WString& name) : LEditPanelFrame(parent, name) {}

LXYPadEditPanel::~LXYPadEditPanel()
{
    m_noteModePage = nullptr;
    m_midiPage = nullptr;
}

KXRESULT LXYPadEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base))
        return base;
    const RCPtr<LTabControl> tabs = editor::FindChildAs<LTabControl>(this, u"viewTabControl");
    if (!tabs)
        editor::ThrowNullPointer("Cannot find child: viewTabControl", kInitialize, kSource, 50);
    m_midiPage =
        RCPtr<LMoveableControlEditPanel>::DynamicCast(ConstRCPtr<LControl>(tabs->GetPageForTab(WString(u"midiPage"))));
    if (!m_midiPage)
        editor::ThrowNullPointer("Cannot find child: viewTabControl: midiPage", kInitialize, kSource, 54);
    ListenToSubEditor(RCPtr<LControl>(m_midiPage), &LXYPadEditPanel::OnParametersChanged, kInitialize, kSource, 56);
    m_noteModePage =
        RCPtr<LNoteModeEditPanel>::DynamicCast(ConstRCPtr<LControl>(tabs->GetPageForTab(WString(u"noteModePage"))));
    if (!m_noteModePage)
        editor::ThrowNullPointer("Cannot find child: viewTabControl: noteModePage", kInitialize, kSource, 59);
    ListenToSubEditor(RCPtr<LControl>(m_noteModePage), &LXYPadEditPanel::OnParametersChanged, kInitialize, kSource, 61);
    // Named as the X axis until the first target, rather than showing an empty title.
    NameAxis(GetIndex());
    return base;
}

void LXYPadEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    // Each time an axis is shown its scale is worked out from its notes again.
    if (m_noteModePage)
        m_noteModePage->ShowNextValueAnew();
    RetargetAndPost(root, firstId, index);
    NameAxis(index);
}

void LXYPadEditPanel::NameAxis(int32_t index)
{
    if (index != 0 && index != 1)
        return;
    if (const RCPtr<LLabel> name = editor::FindChildAs<LLabel>(this, u"axisName")) {
        WString text;
        name->LookupString(WString(index == 0 ? u"LABEL_X_AXIS" : u"LABEL_Y_AXIS"), text);
        name->SetText(text);
    }
}

KXRESULT LXYPadEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> bytes;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), kLength, bytes))
        return E_FAIL;
    Array<signed char> message;
    Array<signed char> noteMode;
    for (uint32_t i = 0; i < kLength; ++i)
        (i < kMessageLength ? message : noteMode).AddItem(bytes.ElementAt(i));
    // A note count the note page cannot show is brought into its range, shown, and sent back as
    // a correction once the value has been routed.
    signed char& count = noteMode.ElementAt(NoteModeValue::kCount);
    const bool corrected = count < NoteModeValue::kRangeCount || count > NoteModeValue::kMaxCount;
    if (corrected)
        count = static_cast<signed char>(count < NoteModeValue::kRangeCount ? NoteModeValue::kRangeCount
                                                                            : NoteModeValue::kMaxCount);
    // The message first, silently: each note change then sends the whole new value.
    if (m_midiPage)
        m_midiPage->SetMoveableMessage(message);
    if (m_noteModePage)
        m_noteModePage->SetNoteModeValue(noteMode);
    if (corrected) {
        const Array<signed char> shown = BuildValue();
        if (editor::IsSendableValue(shown))
            editor::SendParamCorrection(*this, GetFirstParamID(), shown);
    }
    PropagateShownValue(descriptor, value);
    return S_OK;
}

Array<signed char> LXYPadEditPanel::BuildValue()
{
    Array<signed char> value;
    const Array<signed char> message = m_midiPage ? m_midiPage->GetMoveableMessage() : Array<signed char>();
    for (uint32_t i = 0; i < kMessageLength; ++i)
        value.AddItem(i < message.GetCount() ? message.ElementAt(i) : 0);
    const Array<signed char> noteMode = m_noteModePage ? m_noteModePage->GetNoteModeValue() : Array<signed char>();
    for (uint32_t i = 0; i < kNoteModeLength; ++i)
        value.AddItem(i < noteMode.GetCount() ? noteMode.ElementAt(i) : 0);
    return value;
}

KXRESULT LXYPadEditPanel::OnParametersChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    SendValue(BuildValue());
    return 1;
}
