#pragma once
// The button message sub-editor: a tab control with one page per kind of message (note, MMC,
// program, program cycle, program inc/dec, CC absolute, CC cycle, CC inc/dec, RPN/NRPN, other).
// The push-button, pad and sustain-pedal edit panels show a 10-byte button message in it, read the
// edited message back, and register at it for "NID_PARAMETERS_CHANGED", which it sends once per
// user change (never while a message is being shown). UI thread only.
#include "kx/Array.h"
#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/controls/Panel.h"

namespace KX {
class LButton;
class LComboBox;
class LLabel;
class LNumericUpDown;
class LTabControl;
} // namespace KX

class LButtonControlEditPanel : public KX::LPanel {
public:
    LButtonControlEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds every widget of the ten pages, gives the number fields 0..127, labels the cycle
    // values and registers for the widgets' changes. The panel's result; a missing skin element
    // throws the "Null Pointer" runtime error.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // Shows a message (the caller's own copy; the step fix-up may change it): selects the page
    // of its type and fills that page's widgets and every page's channel. Sends nothing.
    virtual void SetButtonMessage(KX::IArray<char>& message);
    // A new 10-byte message from the selected page; empty when a list the page reads has no
    // item selected (such a message would carry 0xFF), so the caller keeps its last good value.
    // The MMC page's "Other" gives back the unnamed command it was shown for.
    virtual KX::Array<char> GetButtonMessage();
    // Pads: the note page's on/off values show only for latching notes.
    virtual void SetNoteOnOffFollowsLatch(bool follows);

    // Registers the re-broadcast (and the cycle-type handlers) at every widget; throws the
    // failed-result exception when a registration fails.
    void RegisterForAllParameterNotifications();
    // Shows two, three or four value fields on the cycle pages by their cycle type and labels
    // the last one "LAST"; then tells the edit panel (not while a message is being shown).
    void UpdateCCCycleTypeVisibleParameters();
    void UpdateProgramCycleTypeVisibleParameters();

    // Handlers. 1.
    KX::KXRESULT OnParameterControlChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnCCCycleTypeChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                      const KX::RCPtr<KX::LNotification>& n);
    KX::KXRESULT OnProgramCycleTypeChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<KX::LTabControl>& GetTabControl() const noexcept { return m_tabControl; }
    const KX::RCPtrArray<KX::LComboBox>& GetChannelCombos() const noexcept { return m_channelCombos; }
    const KX::RCPtrArray<KX::LNumericUpDown>& GetCCNumbers() const noexcept { return m_ccNumbers; }
    bool IsFilling() const noexcept { return m_filling != 0; }

protected:
    ~LButtonControlEditPanel() override;

private:
    // Initialize's steps: each page's widgets found, checked and given their ranges.
    void BindCCAbsolutePage(KX::LTabControl& tabs);
    void BindCCCyclePage(KX::LTabControl& tabs);
    void BindCCIncDecPage(KX::LTabControl& tabs);
    void BindMMCPage(KX::LTabControl& tabs);
    void BindNotePage(KX::LTabControl& tabs);
    void BindNrpnRpnPage(KX::LTabControl& tabs);
    void BindProgramCyclePage(KX::LTabControl& tabs);
    void BindProgramIncDecPage(KX::LTabControl& tabs);
    void BindProgramPage(KX::LTabControl& tabs);
    void BindOtherPage(KX::LTabControl& tabs);
    // The value lists' ranges, and every page's channel combo box.
    void SetValueRangesAndFindChannels(KX::LTabControl& tabs);
    // Sends "NID_PARAMETERS_CHANGED" through the panel's own distributor unless it is filling.
    void NotifyParametersChanged();
    // The selected page's widgets into message bytes 1..9; false when a list has no selection.
    bool ReadPage(const KX::WString& page, KX::Array<char>& message);
    void ShowCycle(const KX::IArray<char>& message);

    KX::RCPtr<KX::LNotificationHandler<LButtonControlEditPanel>> m_handler;
    KX::RCPtr<KX::LTabControl> m_tabControl;
    KX::RCPtrArray<KX::LComboBox> m_channelCombos;
    KX::RCPtr<KX::LNumericUpDown> m_note;
    KX::RCPtr<KX::LNumericUpDown> m_noteOn;
    KX::RCPtr<KX::LNumericUpDown> m_noteOff;
    KX::RCPtr<KX::LButton> m_latch;
    KX::RCPtr<KX::LComboBox> m_mmc;
    KX::RCPtrArray<KX::LNumericUpDown> m_ccNumbers;
    KX::RCPtrArray<KX::LNumericUpDown> m_firstValues;
    KX::RCPtrArray<KX::LNumericUpDown> m_secondValues;
    KX::RCPtr<KX::LNumericUpDown> m_ccValue3;
    KX::RCPtr<KX::LNumericUpDown> m_ccValue4;
    KX::RCPtrArray<KX::LNumericUpDown> m_programs;
    KX::RCPtrArray<KX::LNumericUpDown> m_secondPrograms;
    KX::RCPtr<KX::LNumericUpDown> m_program3;
    KX::RCPtr<KX::LNumericUpDown> m_program4;
    KX::RCPtr<KX::LComboBox> m_ccIncDec;
    KX::RCPtr<KX::LComboBox> m_programIncDec;
    KX::RCPtr<KX::LNumericUpDown> m_programLsb;
    KX::RCPtr<KX::LNumericUpDown> m_programMsb;
    KX::RCPtr<KX::LNumericUpDown> m_programMin;
    KX::RCPtr<KX::LNumericUpDown> m_programMax;
    KX::RCPtr<KX::LNumericUpDown> m_paramMsb;
    KX::RCPtr<KX::LNumericUpDown> m_paramLsb;
    KX::RCPtr<KX::LNumericUpDown> m_paramValue;
    KX::RCPtr<KX::LComboBox> m_paramType;
    KX::RCPtr<KX::LComboBox> m_otherType;
    KX::RCPtr<KX::LNumericUpDown> m_otherValue;
    KX::RCPtr<KX::LComboBox> m_ccCycleType;
    KX::RCPtr<KX::LComboBox> m_programCycleType;
    bool m_noteOnOffFollowsLatch = false;
    // The unnamed MMC command that "Other" stands for: the last one shown, 13 before any was.
    signed char m_mmcOtherCommand = 13;
    // Above 0 while SetButtonMessage fills the widgets.
    int32_t m_filling = 0;
};

// Widget finders over direct children: null when the control is null or a name is missing.
KX::RCPtr<KX::LNumericUpDown> FindCCNumericUpDown(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LComboBox> FindComboBoxChild(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LLabel> FindControlNameLabel(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LButton> FindLatchButton(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindNumericUpDownChild(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindNoteNumericUpDown(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LControl> FindMSBLSBSelectors(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LControl> FindMinMaxSelectors(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LControl> FindOnOffSelectors(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindMSBNumericUpDown(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindLSBNumericUpDown(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindMinNumericUpDown(const KX::RCPtr<KX::LControl>& control);
KX::RCPtr<KX::LNumericUpDown> FindMaxNumericUpDown(const KX::RCPtr<KX::LControl>& control);
// Given the "onOffSelectors" / "pressedReleasedSelectors" group.
KX::RCPtr<KX::LNumericUpDown> FindOnNumericUpDown(const KX::RCPtr<KX::LControl>& group);
KX::RCPtr<KX::LNumericUpDown> FindOffNumericUpDown(const KX::RCPtr<KX::LControl>& group);
KX::RCPtr<KX::LNumericUpDown> FindPressedNumericUpDown(const KX::RCPtr<KX::LControl>& group);
KX::RCPtr<KX::LNumericUpDown> FindReleasedNumericUpDown(const KX::RCPtr<KX::LControl>& group);
