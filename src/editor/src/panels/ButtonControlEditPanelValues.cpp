// The button sub-editor's value side: a message shown by choosing its page and filling that
// page's widgets, and a new message read from the selected page.
#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonMessage.h"

#include "panels/ButtonControlEditPanelSupport.h"

#include "kx/controls/Button.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/TabControl.h"

using namespace KX;
using namespace buttonpanel;
using namespace editor::ButtonMessageByte;
using editor::ButtonMessageType;

namespace {

// The appended MMC item "Other" (it stands for the shown command that the list does not name) and
// the last command of the list ("MMC Reset").
constexpr int32_t kMmcOtherIndex = 12;
constexpr int32_t kMmcResetIndex = 11;
constexpr int8_t kMmcResetCommand = 13;

// Counts the fill in and out, also when a widget throws.
class FillScope {
public:
    explicit FillScope(int32_t& count) : m_count(count) { ++m_count; }
    ~FillScope() { --m_count; }
    FillScope(const FillScope&) = delete;
    FillScope& operator=(const FillScope&) = delete;

private:
    int32_t& m_count;
};

template <class T>
void SetAll(const RCPtrArray<T>& list, char byte)
{
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        SetByte(list.ElementAt(i), byte);
}

template <class T>
RCPtr<T> At(const RCPtrArray<T>& list, uint32_t i)
{
    return i < list.GetCount() ? list.ElementAt(i) : RCPtr<T>();
}

// Index of a page's widgets in the CC lists and the program lists.
constexpr uint32_t kCCAbsolute = 0, kCCCycle = 1, kCCIncDec = 2;
constexpr uint32_t kProgramCycle = 0, kProgramPage = 1;

char B(int32_t n)
{
    return static_cast<char>(static_cast<uint8_t>(n & 0xFF));
}

} // namespace

void LButtonControlEditPanel::SetButtonMessage(IArray<char>& message)
{
    if (message.GetCount() != editor::kButtonMessageLength || !m_tabControl)
        return;
    const FillScope filling(m_filling);
    editor::NormalizeButtonMessageRecord(message);
    auto at = [&message](uint32_t i) { return message.ElementAt(i); };
    auto s = [&message](uint32_t i) { return static_cast<int32_t>(static_cast<int8_t>(message.ElementAt(i))); };

    for (uint32_t i = 0; i < m_channelCombos.GetCount(); ++i)
        SelectChannel(m_channelCombos.ElementAt(i), s(kChannel));

    const int32_t t = s(kType);
    const char16_t* page = nullptr;
    if (at(kTyped) == 0) {
        page = u"ccAbsolutePage";
        SetAll(m_ccNumbers, at(kType));
        SetByte(At(m_firstValues, kCCAbsolute), at(kLast));
        SetByte(At(m_secondValues, kCCAbsolute), at(kFirst));
    } else if (t == 18) {
        page = u"ccCyclePage";
        SetAll(m_ccNumbers, at(kData));
        ShowCycle(message);
    } else if (t == 17) {
        page = u"programPage";
        SetByte(At(m_programs, kProgramPage), at(kData));
        SetByte(m_programLsb, at(kFirst));
        SetByte(m_programMsb, at(kLast));
    } else if (t == 19 || t == 20) {
        page = u"notePage";
        if (m_latch)
            m_latch->SetNormalizedValue(t == 20 ? 1.0 : 0.0);
        if (m_noteOnOffFollowsLatch) {
            const RCPtr<LControl> notePage = m_tabControl->GetPageForTab(WString(u"notePage"));
            const RCPtr<LControl> onOff = FindOnOffSelectors(notePage);
            if (onOff)
                onOff->SetVisible(t == 20);
        }
        SetByte(m_noteOff, at(kFirst));
        SetByte(m_noteOn, at(kLast));
        SetByte(m_note, at(kData));
    } else if (t == 25 || t == 26) {
        page = u"ccIncDecPage";
        Select(m_ccIncDec, t == 25 ? 1 : 0);
        SetAll(m_ccNumbers, at(kData));
        SetByte(At(m_firstValues, kCCIncDec), at(kFirst));
        SetByte(At(m_secondValues, kCCIncDec), at(kLast));
    } else if (t == 29) {
        page = u"programCyclePage";
        ShowCycle(message);
    } else if (t == 27 || t == 28) {
        page = u"programIncDecPage";
        Select(m_programIncDec, t == 27 ? 1 : 0);
        SetByte(m_programMin, at(kFirst));
        SetByte(m_programMax, at(kLast));
    } else if (t == 21) {
        page = u"mmcPage";
        if (m_mmc) {
            if (m_mmc->GetItemCount() > kMmcOtherIndex) {
                if (m_mmc->GetSelectedIndex() >= kMmcOtherIndex)
                    m_mmc->SetSelectedIndex(-1);
                if (const RCPtr<LListBox>& list = m_mmc->GetListBox())
                    list->RemoveItemAt(kMmcOtherIndex);
            }
            const int32_t command = s(kFirst);
            if (command >= 1 && command <= 11) {
                m_mmc->SetSelectedIndex(command - 1);
            } else if (command == kMmcResetCommand) {
                m_mmc->SetSelectedIndex(kMmcResetIndex);
            } else {
                WString other;
                m_mmc->LookupString(WString(u"ITEM.12"), other);
                m_mmc->AddItem(other);
                m_mmc->SetSelectedIndex(kMmcOtherIndex);
                m_mmcOtherCommand = static_cast<signed char>(at(kFirst));
            }
        }
    } else if (t < 4 || t > 7) {
        page = u"otherPage";
        Select(m_otherType, t < 4 ? t : (t <= 16 ? t - 4 : t - 9));
        SetByte(m_otherValue, at(kFirst));
    } else {
        page = u"nrpnRpnPage";
        Select(m_paramType, t - 4);
        SetByte(m_paramMsb, at(kLast));
        SetByte(m_paramLsb, at(kFirst));
        SetByte(m_paramValue, at(kData));
    }
    m_tabControl->SelectTab(WString(page));
}

void LButtonControlEditPanel::ShowCycle(const IArray<char>& message)
{
    const bool cc = message.ElementAt(kType) == 18;
    const RCPtr<LNumericUpDown> v[4] = {cc ? At(m_firstValues, kCCCycle) : At(m_programs, kProgramCycle),
                                        cc ? At(m_secondValues, kCCCycle) : At(m_secondPrograms, 0),
                                        cc ? m_ccValue3 : m_program3, cc ? m_ccValue4 : m_program4};
    const int32_t count = editor::CycleValueCount(static_cast<int8_t>(message.ElementAt(kStepFlag1)),
                                                  static_cast<int8_t>(message.ElementAt(kStepFlag2)));
    SetByte(v[0], message.ElementAt(kFirst));
    if (count == 2) {
        SetByte(v[1], message.ElementAt(kLast));
    } else if (count == 3) {
        SetByte(v[1], message.ElementAt(kCycle1));
        SetByte(v[2], message.ElementAt(kLast));
    } else {
        SetByte(v[1], message.ElementAt(kCycle1));
        SetByte(v[2], message.ElementAt(kCycle2));
        SetByte(v[3], message.ElementAt(kLast));
    }
    Select(cc ? m_ccCycleType : m_programCycleType, count - 2);
    if (cc)
        UpdateCCCycleTypeVisibleParameters();
    else
        UpdateProgramCycleTypeVisibleParameters();
}

Array<char> LButtonControlEditPanel::GetButtonMessage()
{
    Array<char> message;
    if (!m_tabControl)
        return message;
    const WString page = m_tabControl->GetSelectedName();
    const int32_t index = m_tabControl->GetSelectedIndex();
    message.SetSize(editor::kButtonMessageLength);
    const int32_t channel = index >= 0 && static_cast<uint32_t>(index) < m_channelCombos.GetCount()
                                ? SelectedIndex(m_channelCombos.ElementAt(static_cast<uint32_t>(index)))
                                : -1;
    if (channel < 0 || !ReadPage(page, message))
        return Array<char>();
    message.ElementAt(kChannel) = B(channel);
    return message;
}

bool LButtonControlEditPanel::ReadPage(const WString& page, Array<char>& m)
{
    auto put = [&m](uint32_t i, char byte) { m.ElementAt(i) = byte; };
    auto steps = [&put](int32_t count) {
        put(kStepFlag1, count == 2 ? 1 : 0);
        put(kStepFlag2, count == 4 ? 0 : 1);
    };
    auto cycle = [&](int32_t typeIndex, const RCPtr<LNumericUpDown>(&v)[4]) {
        if (typeIndex < 0)
            return false;
        const int32_t count = typeIndex == 0 ? 2 : (typeIndex == 1 ? 3 : 4);
        put(kFirst, GetByte(v[0]));
        steps(count);
        if (count == 2) {
            put(kLast, GetByte(v[1]));
        } else if (count == 3) {
            put(kCycle1, GetByte(v[1]));
            put(kLast, GetByte(v[2]));
        } else {
            put(kCycle1, GetByte(v[1]));
            put(kCycle2, GetByte(v[2]));
            put(kLast, GetByte(v[3]));
        }
        return true;
    };

    if (page == WString(u"notePage")) {
        const bool latching = m_latch && m_latch->GetNormalizedValue() >= 0.5;
        put(kTyped, 1);
        put(kType,
            B(static_cast<int32_t>(latching ? ButtonMessageType::NoteLatching : ButtonMessageType::NoteMomentary)));
        put(kData, GetByte(m_note));
        put(kFirst, GetByte(m_noteOff));
        put(kLast, GetByte(m_noteOn));
    } else if (page == WString(u"ccAbsolutePage")) {
        put(kTyped, 0);
        put(kType, GetByte(At(m_ccNumbers, kCCAbsolute)));
        put(kLast, GetByte(At(m_firstValues, kCCAbsolute)));
        put(kFirst, GetByte(At(m_secondValues, kCCAbsolute)));
    } else if (page == WString(u"ccIncDecPage")) {
        const int32_t i = SelectedIndex(m_ccIncDec);
        if (i < 0)
            return false;
        put(kTyped, 1);
        put(kType, i == 0 ? 26 : 25);
        put(kData, GetByte(At(m_ccNumbers, kCCIncDec)));
        put(kFirst, GetByte(At(m_firstValues, kCCIncDec)));
        put(kLast, GetByte(At(m_secondValues, kCCIncDec)));
        steps(2);
    } else if (page == WString(u"ccCyclePage")) {
        put(kTyped, 1);
        put(kType, 18);
        put(kData, GetByte(At(m_ccNumbers, kCCCycle)));
        const RCPtr<LNumericUpDown> v[4] = {At(m_firstValues, kCCCycle), At(m_secondValues, kCCCycle), m_ccValue3,
                                            m_ccValue4};
        return cycle(SelectedIndex(m_ccCycleType), v);
    } else if (page == WString(u"programPage")) {
        put(kTyped, 1);
        put(kType, 17);
        put(kData, GetByte(At(m_programs, kProgramPage)));
        put(kFirst, GetByte(m_programLsb));
        put(kLast, GetByte(m_programMsb));
    } else if (page == WString(u"programIncDecPage")) {
        const int32_t i = SelectedIndex(m_programIncDec);
        if (i < 0)
            return false;
        put(kTyped, 1);
        put(kType, i == 1 ? 27 : 28);
        put(kFirst, GetByte(m_programMin));
        put(kLast, GetByte(m_programMax));
        steps(2);
    } else if (page == WString(u"programCyclePage")) {
        put(kTyped, 1);
        put(kType, 29);
        const RCPtr<LNumericUpDown> v[4] = {At(m_programs, kProgramCycle), At(m_secondPrograms, 0), m_program3,
                                            m_program4};
        return cycle(SelectedIndex(m_programCycleType), v);
    } else if (page == WString(u"mmcPage")) {
        const int32_t i = SelectedIndex(m_mmc);
        // "Other" gives back the command it stands for; one the keyboard cannot hold gives nothing.
        if (i < 0 || (i == kMmcOtherIndex && m_mmcOtherCommand < 0))
            return false;
        put(kTyped, 1);
        put(kType, 21);
        put(kFirst, i == kMmcOtherIndex ? static_cast<char>(m_mmcOtherCommand)
                                        : (i >= kMmcResetIndex ? kMmcResetCommand : B(i + 1)));
    } else if (page == WString(u"nrpnRpnPage")) {
        const int32_t i = SelectedIndex(m_paramType);
        if (i < 0)
            return false;
        put(kTyped, 1);
        put(kType, B(i + 4));
        put(kData, GetByte(m_paramValue));
        put(kFirst, GetByte(m_paramLsb));
        put(kLast, GetByte(m_paramMsb));
    } else if (page == WString(u"otherPage")) {
        const int32_t i = SelectedIndex(m_otherType);
        if (i < 0)
            return false;
        put(kTyped, 1);
        put(kType, B(i <= 3 ? i : (i <= 12 ? i + 4 : i + 9)));
        put(kFirst, GetByte(m_otherValue));
    }
    return true;
}
