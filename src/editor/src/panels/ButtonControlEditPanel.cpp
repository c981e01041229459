// The button message sub-editor: its widgets, their registrations, the re-broadcast of changes
// and the cycle pages' visible values.
#include "editor/ButtonControlEditPanel.h"
#include "editor/ControlUtilities.h"

#include "dialogs/DialogSupport.h"
#include "panels/ButtonControlEditPanelSupport.h"

#include "kx/Notification.h"
#include "kx/controls/Button.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

using namespace KX;
using namespace buttonpanel;
using editor::SetNotificationForAllArrayItems;
using editor::SetValueRangeForAllArrayItems;

namespace {

using Handler = LNotificationHandler<LButtonControlEditPanel>;
using Member = Handler::Function;

// The missing-element error of Initialize unless p holds something.
template <class P>
void Require(const P& p, const char* what, int line)
{
    if (!p)
        editor::ThrowNullPointer(what, kInitialize, kSource, line);
}

void RegisterAt(Handler& handler, Member member, const RCPtr<LControl>& widget, const char16_t* id, int line)
{
    CheckResult(handler.AddDistributorHandler(member, RCPtr<LNotificationDistributor>(widget), id, 0), kRegister,
                kSource, line);
}

void SetRange(const RCPtr<LNumericUpDown>& field)
{
    if (field)
        field->SetValueRange(0.0, 127.0, 0);
}

void SetLabel(const RCPtr<LLabel>& label, const char16_t* key)
{
    if (!label)
        return;
    WString text;
    label->LookupString(WString(key), text);
    label->SetText(text);
}

// The cycle page's four value selectors with their labels, looked up and checked before any of
// them changes.
struct CycleFields {
    RCPtr<LControl> field[4];
    RCPtr<LLabel> label[4];
};

CycleFields FindCycleFields(const RCPtr<LControl>& page, const char16_t* const names[4], const char* method)
{
    CycleFields f;
    for (int i = 0; i < 4; ++i) {
        f.field[i] = page ? page->FindChild(WString(names[i])) : RCPtr<LControl>();
        f.label[i] = FindControlNameLabel(f.field[i]);
        if (!f.label[i]) {
            const std::string what =
                "couldn't find child " + std::string(WString(names[i]).ToNarrow().GetString()) + " child Label";
            editor::ThrowNullPointer(what, method, kSource, 90 + i);
        }
    }
    return f;
}

// Shows fields 2..(index + 2) and labels the last of them with lastKey; the others in between
// carry the keys of "VALUE 2" and "VALUE 3". Nothing changes for an index outside 0..2.
void ApplyCycleType(const CycleFields& f, int32_t index, const char16_t* const keys[4])
{
    if (index < 0 || index > 2)
        return;
    for (int i = 1; i < 4; ++i)
        if (f.field[i])
            f.field[i]->SetVisible(i <= index + 1);
    // keys: 0 "FIRST", 1 "LAST", 2 "VALUE 2", 3 "VALUE 3".
    for (int i = 1; i <= index + 1; ++i)
        SetLabel(f.label[i], i == index + 1 ? keys[1] : keys[i + 1]);
}

} // namespace

LButtonControlEditPanel::LButtonControlEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LButtonControlEditPanel::~LButtonControlEditPanel()
{
    m_channelCombos.RemoveAll();
    m_ccNumbers.RemoveAll();
    m_firstValues.RemoveAll();
    m_secondValues.RemoveAll();
    m_programs.RemoveAll();
    m_secondPrograms.RemoveAll();
    m_tabControl = nullptr;
    m_handler = nullptr;
}

KXRESULT LButtonControlEditPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    m_noteOnOffFollowsLatch = false;
    if (Failed(base))
        return base;
    m_handler = RCPtr<Handler>(new Handler(this));
    if (!m_handler)
        return base;

    m_tabControl = ChildAs<LTabControl>(RCPtr<LControl>(this), u"tabControl");
    Require(m_tabControl, "Couldn't find child tabControl", 150);
    LTabControl& tabs = *m_tabControl;

    BindCCAbsolutePage(tabs);
    BindCCCyclePage(tabs);
    BindCCIncDecPage(tabs);
    BindMMCPage(tabs);
    BindNotePage(tabs);
    BindNrpnRpnPage(tabs);
    BindProgramCyclePage(tabs);
    BindProgramIncDecPage(tabs);
    BindProgramPage(tabs);
    BindOtherPage(tabs);
    SetValueRangesAndFindChannels(tabs);

    RegisterForAllParameterNotifications();
    return base;
}

void LButtonControlEditPanel::BindCCAbsolutePage(LTabControl& tabs)
{
    const RCPtr<LControl> ccAbsolute = tabs.GetPageForTab(WString(u"ccAbsolutePage"));
    Require(ccAbsolute, "Couldn't find ccAbsolutePage (Tabbed Control Page)", 154);
    const RCPtr<LControl> pressedReleased = ccAbsolute->FindChild(WString(u"pressedReleasedSelectors"));
    m_ccNumbers.AddItem(FindCCNumericUpDown(ccAbsolute->FindChild(WString(u"cc"))));
    m_firstValues.AddItem(FindPressedNumericUpDown(pressedReleased));
    m_secondValues.AddItem(FindReleasedNumericUpDown(pressedReleased));
}

void LButtonControlEditPanel::BindCCCyclePage(LTabControl& tabs)
{
    const RCPtr<LControl> ccCycle = tabs.GetPageForTab(WString(u"ccCyclePage"));
    Require(ccCycle, "Failed to find cc Cycle page", 162);
    m_ccNumbers.AddItem(FindCCNumericUpDown(ccCycle->FindChild(WString(u"cc"))));
    m_firstValues.AddItem(FindNumericUpDownChild(ccCycle->FindChild(WString(u"ccValue1"))));
    m_secondValues.AddItem(FindNumericUpDownChild(ccCycle->FindChild(WString(u"ccValue2"))));
    m_ccValue3 = FindNumericUpDownChild(ccCycle->FindChild(WString(u"ccValue3")));
    m_ccValue4 = FindNumericUpDownChild(ccCycle->FindChild(WString(u"ccValue4")));
    m_ccCycleType = FindComboBoxChild(ccCycle->FindChild(WString(u"cycleType")));
    Require(m_ccCycleType, "couldn't find child cycleType", 170);
    static const char16_t* const kCCFields[4] = {u"ccValue1", u"ccValue2", u"ccValue3", u"ccValue4"};
    static const char16_t* const kCCKeys[4] = {u"VALUE1_LABEL", u"VALUE2_LABEL", u"VALUE3_LABEL", u"VALUE4_LABEL"};
    const CycleFields ccFields = FindCycleFields(ccCycle, kCCFields, kInitialize);
    for (int i = 0; i < 4; ++i)
        SetLabel(ccFields.label[i], kCCKeys[i]);
}

void LButtonControlEditPanel::BindCCIncDecPage(LTabControl& tabs)
{
    const RCPtr<LControl> ccIncDec = tabs.GetPageForTab(WString(u"ccIncDecPage"));
    Require(ccIncDec, "Couldn't find ccIncDecPage (Tabbed Control Page)", 179);
    m_ccIncDec = FindComboBoxChild(ccIncDec->FindChild(WString(u"incDec")));
    Require(m_ccIncDec, "couldn't find incDecType comboBox", 181);
    m_ccNumbers.AddItem(FindCCNumericUpDown(ccIncDec->FindChild(WString(u"cc"))));
    m_firstValues.AddItem(FindMinNumericUpDown(ccIncDec));
    m_secondValues.AddItem(FindMaxNumericUpDown(ccIncDec));
}

void LButtonControlEditPanel::BindMMCPage(LTabControl& tabs)
{
    const RCPtr<LControl> mmcPage = tabs.GetPageForTab(WString(u"mmcPage"));
    Require(mmcPage, "Couldn't find mmcPage (Tabbed Control Page)", 187);
    m_mmc = FindComboBoxChild(mmcPage->FindChild(WString(u"mmc")));
    Require(m_mmc, "Couldn't find MMC NumericUpDown", 189);
}

void LButtonControlEditPanel::BindNotePage(LTabControl& tabs)
{
    const RCPtr<LControl> notePage = tabs.GetPageForTab(WString(u"notePage"));
    Require(notePage, "Couldn't find notePage (Tabbed Control Page)", 192);
    m_latch = FindLatchButton(notePage->FindChild(WString(u"latching")));
    Require(m_latch, "Couldn't find latching", 194);
    m_note = FindNoteNumericUpDown(notePage->FindChild(WString(u"note")));
    Require(m_note, "couldn't find child note", 196);
    SetRange(m_note);
    m_noteOn = FindOnNumericUpDown(FindOnOffSelectors(notePage));
    Require(m_noteOn, "couldn't find child on", 199);
    SetRange(m_noteOn);
    m_noteOff = FindOffNumericUpDown(FindOnOffSelectors(notePage));
    Require(m_noteOff, "couldn't find child off", 202);
    SetRange(m_noteOff);
}

void LButtonControlEditPanel::BindNrpnRpnPage(LTabControl& tabs)
{
    const RCPtr<LControl> nrpnRpn = tabs.GetPageForTab(WString(u"nrpnRpnPage"));
    Require(nrpnRpn, "Couldn't find nrpnRpnPage (Tabbed Control Page)", 206);
    m_paramType = FindComboBoxChild(nrpnRpn->FindChild(WString(u"NrpnRpn")));
    m_paramLsb = FindLSBNumericUpDown(nrpnRpn);
    m_paramMsb = FindMSBNumericUpDown(nrpnRpn);
    m_paramValue = FindNumericUpDownChild(nrpnRpn->FindChild(WString(u"value")));
    Require(m_paramType, "Failed to find child: type", 211);
    Require(m_paramLsb, "Failed to find child: lsb", 212);
    Require(m_paramMsb, "Failed to find child: msb", 213);
    Require(m_paramValue, "Failed to find child: value", 214);
    SetRange(m_paramLsb);
    SetRange(m_paramMsb);
    SetRange(m_paramValue);
}

void LButtonControlEditPanel::BindProgramCyclePage(LTabControl& tabs)
{
    const RCPtr<LControl> programCycle = tabs.GetPageForTab(WString(u"programCyclePage"));
    Require(programCycle, "Couldn't find programCyclePage (Tabbed Control Page)", 220);
    m_programs.AddItem(FindNumericUpDownChild(programCycle->FindChild(WString(u"program1"))));
    m_secondPrograms.AddItem(FindNumericUpDownChild(programCycle->FindChild(WString(u"program2"))));
    m_program3 = FindNumericUpDownChild(programCycle->FindChild(WString(u"program3")));
    Require(m_program3, "couldn't find child program3", 224);
    SetRange(m_program3);
    m_program4 = FindNumericUpDownChild(programCycle->FindChild(WString(u"program4")));
    Require(m_program4, "couldn't find child program4", 227);
    SetRange(m_program4);
    m_programCycleType = FindComboBoxChild(programCycle->FindChild(WString(u"cycleType")));
    Require(m_programCycleType, "couldn't find child cycleType", 230);
    static const char16_t* const kProgramFields[4] = {u"program1", u"program2", u"program3", u"program4"};
    static const char16_t* const kProgramKeys[4] = {u"PROGRAM1_LABEL", u"PROGRAM2_LABEL", u"PROGRAM3_LABEL",
                                                    u"PROGRAM4_LABEL"};
    const CycleFields programFields = FindCycleFields(programCycle, kProgramFields, kInitialize);
    for (int i = 0; i < 4; ++i)
        SetLabel(programFields.label[i], kProgramKeys[i]);
}

void LButtonControlEditPanel::BindProgramIncDecPage(LTabControl& tabs)
{
    const RCPtr<LControl> programIncDec = tabs.GetPageForTab(WString(u"programIncDecPage"));
    Require(programIncDec, "Couldn't find programIncDecPage (Tabbed Control Page)", 239);
    m_programMin = FindMinNumericUpDown(programIncDec);
    Require(m_programMin, "couldn't find child min", 241);
    SetRange(m_programMin);
    m_programMax = FindMaxNumericUpDown(programIncDec);
    Require(m_programMax, "couldn't find child max", 244);
    SetRange(m_programMax);
    m_programIncDec = FindComboBoxChild(programIncDec->FindChild(WString(u"incDecType")));
    Require(m_programIncDec, "couldn't find incDecType comboBox", 247);
}

void LButtonControlEditPanel::BindProgramPage(LTabControl& tabs)
{
    const RCPtr<LControl> programPage = tabs.GetPageForTab(WString(u"programPage"));
    Require(programPage, "Couldn't find programPage (Tabbed Control Page)", 250);
    m_programs.AddItem(FindNumericUpDownChild(programPage->FindChild(WString(u"program"))));
    m_programLsb = FindLSBNumericUpDown(programPage);
    m_programMsb = FindMSBNumericUpDown(programPage);
    SetRange(m_programLsb);
    SetRange(m_programMsb);
}

void LButtonControlEditPanel::BindOtherPage(LTabControl& tabs)
{
    const RCPtr<LControl> otherPage = tabs.GetPageForTab(WString(u"otherPage"));
    Require(otherPage, "can not find child otherPage", 258);
    m_otherType = FindComboBoxChild(otherPage->FindChild(WString(u"type")));
    Require(m_otherType, "can not find child type", 260);
    m_otherValue = FindNumericUpDownChild(otherPage->FindChild(WString(u"value")));
    Require(m_otherValue, "can not find child value", 262);
    SetRange(m_otherValue);
}

void LButtonControlEditPanel::SetValueRangesAndFindChannels(LTabControl& tabs)
{
    SetValueRangeForAllArrayItems(m_ccNumbers, 0.0, 127.0);
    SetValueRangeForAllArrayItems(m_firstValues, 0.0, 127.0);
    SetValueRangeForAllArrayItems(m_secondValues, 0.0, 127.0);
    SetRange(m_ccValue3);
    SetRange(m_ccValue4);
    SetValueRangeForAllArrayItems(m_programs, 0.0, 127.0);
    SetValueRangeForAllArrayItems(m_secondPrograms, 0.0, 127.0);

    for (int32_t i = 0; i < tabs.GetPageCount(); ++i)
        m_channelCombos.AddItem(FindComboBoxChild(ChildAs<LControl>(tabs.GetPage(i), u"midiChannel")));
}

KXRESULT LButtonControlEditPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LButtonControlEditPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                            const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LButtonControlEditPanel::SetNoteOnOffFollowsLatch(bool follows)
{
    m_noteOnOffFollowsLatch = follows;
}

void LButtonControlEditPanel::RegisterForAllParameterNotifications()
{
    if (!m_handler)
        return;
    Handler& h = *m_handler;
    const Member changed = &LButtonControlEditPanel::OnParameterControlChanged;
    const char16_t* value = NID_VALUE_CHANGE;
    const char16_t* selection = NID_SELECTION_CHANGE;
    RegisterAt(h, changed, m_programMin, value, 301);
    RegisterAt(h, changed, m_note, value, 302);
    RegisterAt(h, changed, m_latch, NID_LEFT_CLICK, 303);
    RegisterAt(h, changed, m_latch, value, 304);
    RegisterAt(h, changed, m_tabControl, NID_TAB_SELECTED, 305);
    RegisterAt(h, changed, m_noteOn, value, 306);
    RegisterAt(h, changed, m_noteOff, value, 307);
    RegisterAt(h, changed, m_program3, value, 308);
    RegisterAt(h, changed, m_program4, value, 309);
    RegisterAt(h, changed, m_programMax, value, 310);
    RegisterAt(h, changed, m_programLsb, value, 311);
    RegisterAt(h, changed, m_programMsb, value, 312);
    RegisterAt(h, changed, m_otherValue, value, 313);
    RegisterAt(h, changed, m_paramLsb, value, 314);
    RegisterAt(h, changed, m_paramMsb, value, 315);
    RegisterAt(h, changed, m_paramValue, value, 316);
    RegisterAt(h, changed, m_mmc, selection, 317);
    RegisterAt(h, changed, m_otherType, selection, 318);
    RegisterAt(h, changed, m_paramType, selection, 319);
    RegisterAt(h, &LButtonControlEditPanel::OnProgramCycleTypeChanged, m_programCycleType, selection, 320);
    RegisterAt(h, &LButtonControlEditPanel::OnCCCycleTypeChanged, m_ccCycleType, selection, 321);
    RegisterAt(h, changed, m_ccIncDec, selection, 322);
    RegisterAt(h, changed, m_programIncDec, selection, 323);
    SetNotificationForAllArrayItems(m_channelCombos, h, changed, selection);
    SetNotificationForAllArrayItems(m_ccNumbers, h, changed, value);
    SetNotificationForAllArrayItems(m_firstValues, h, changed, value);
    SetNotificationForAllArrayItems(m_secondValues, h, changed, value);
    RegisterAt(h, changed, m_ccValue3, value, 328);
    RegisterAt(h, changed, m_ccValue4, value, 329);
    SetNotificationForAllArrayItems(m_programs, h, changed, value);
    SetNotificationForAllArrayItems(m_secondPrograms, h, changed, value);
}

void LButtonControlEditPanel::UpdateCCCycleTypeVisibleParameters()
{
    const RCPtr<LControl> page = m_tabControl ? m_tabControl->GetPageForTab(WString(u"ccCyclePage")) : nullptr;
    if (!page)
        editor::ThrowNullPointer("Failed to find cc Cycle page", kUpdateCC, kSource, 340);
    static const char16_t* const kFields[4] = {u"ccValue1", u"ccValue2", u"ccValue3", u"ccValue4"};
    static const char16_t* const kKeys[4] = {u"VALUE1_LABEL", u"VALUE2_LABEL", u"VALUE3_LABEL", u"VALUE4_LABEL"};
    ApplyCycleType(FindCycleFields(page, kFields, kUpdateCC), SelectedIndex(m_ccCycleType), kKeys);
    NotifyParametersChanged();
}

void LButtonControlEditPanel::UpdateProgramCycleTypeVisibleParameters()
{
    const RCPtr<LControl> page = m_tabControl ? m_tabControl->GetPageForTab(WString(u"programCyclePage")) : nullptr;
    if (!page)
        editor::ThrowNullPointer("Couldn't find programCyclePage (Tabbed Control Page)", kUpdateProgram, kSource, 350);
    static const char16_t* const kFields[4] = {u"program1", u"program2", u"program3", u"program4"};
    static const char16_t* const kKeys[4] = {u"PROGRAM1_LABEL", u"PROGRAM2_LABEL", u"PROGRAM3_LABEL",
                                             u"PROGRAM4_LABEL"};
    ApplyCycleType(FindCycleFields(page, kFields, kUpdateProgram), SelectedIndex(m_programCycleType), kKeys);
    NotifyParametersChanged();
}

void LButtonControlEditPanel::NotifyParametersChanged()
{
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_PARAMETERS_CHANGED, nullptr);
    if (n)
        SendNotification(n);
}

KXRESULT LButtonControlEditPanel::OnParameterControlChanged(const RCPtr<LNotificationDistributor>&,
                                                            const RCPtr<LNotification>&)
{
    // A widget set while a message is shown is no edit; the cycle updates send theirs in any case.
    if (m_filling == 0)
        NotifyParametersChanged();
    return 1;
}

KXRESULT LButtonControlEditPanel::OnCCCycleTypeChanged(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&)
{
    // Showing a message runs the update itself, once.
    if (m_filling == 0)
        UpdateCCCycleTypeVisibleParameters();
    return 1;
}

KXRESULT LButtonControlEditPanel::OnProgramCycleTypeChanged(const RCPtr<LNotificationDistributor>&,
                                                            const RCPtr<LNotification>&)
{
    // Showing a message runs the update itself, once.
    if (m_filling == 0)
        UpdateProgramCycleTypeVisibleParameters();
    return 1;
}

// ---- Finders -----------------------------------------------------------------------------------

RCPtr<LNumericUpDown> FindNumericUpDownChild(const RCPtr<LControl>& control)
{
    return ChildAs<LNumericUpDown>(control, u"numericUpDown");
}

RCPtr<LNumericUpDown> FindCCNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(control, u"ccSelector"));
}

RCPtr<LComboBox> FindComboBoxChild(const RCPtr<LControl>& control)
{
    return ChildAs<LComboBox>(control, u"comboBox");
}

RCPtr<LLabel> FindControlNameLabel(const RCPtr<LControl>& control)
{
    return ChildAs<LLabel>(control, u"controlNameLabel");
}

RCPtr<LButton> FindLatchButton(const RCPtr<LControl>& control)
{
    return ChildAs<LButton>(control, u"button");
}

RCPtr<LNumericUpDown> FindNoteNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(control, u"noteSelector"));
}

RCPtr<LControl> FindMSBLSBSelectors(const RCPtr<LControl>& control)
{
    return ChildAs<LControl>(control, u"msbLSBSelectors");
}

RCPtr<LControl> FindMinMaxSelectors(const RCPtr<LControl>& control)
{
    return ChildAs<LControl>(control, u"minMaxSelectors");
}

RCPtr<LControl> FindOnOffSelectors(const RCPtr<LControl>& control)
{
    return ChildAs<LControl>(control, u"onOffSelectors");
}

RCPtr<LNumericUpDown> FindMSBNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(FindMSBLSBSelectors(control), u"msb"));
}

RCPtr<LNumericUpDown> FindLSBNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(FindMSBLSBSelectors(control), u"lsb"));
}

RCPtr<LNumericUpDown> FindMinNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(FindMinMaxSelectors(control), u"min"));
}

RCPtr<LNumericUpDown> FindMaxNumericUpDown(const RCPtr<LControl>& control)
{
    return FindNumericUpDownChild(ChildAs<LControl>(FindMinMaxSelectors(control), u"max"));
}

RCPtr<LNumericUpDown> FindOnNumericUpDown(const RCPtr<LControl>& group)
{
    return FindNumericUpDownChild(ChildAs<LControl>(group, u"on"));
}

RCPtr<LNumericUpDown> FindOffNumericUpDown(const RCPtr<LControl>& group)
{
    return FindNumericUpDownChild(ChildAs<LControl>(group, u"off"));
}

RCPtr<LNumericUpDown> FindPressedNumericUpDown(const RCPtr<LControl>& group)
{
    return FindNumericUpDownChild(ChildAs<LControl>(group, u"pressed"));
}

RCPtr<LNumericUpDown> FindReleasedNumericUpDown(const RCPtr<LControl>& group)
{
    return FindNumericUpDownChild(ChildAs<LControl>(group, u"released"));
}
