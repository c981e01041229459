#pragma once
// What the global settings dialog's tests share: its controls by setting, and a parameter value
// told by the MIDI manager as the engine tells it.
#include "DialogsFixture.h"

#include "editor/GlobalSettingsDlg.h"

#include "kx/Notification.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/NumericUpDown.h"

namespace dlgtest {

using Setting = editor::LGlobalSettingsDlg::Setting;

inline KX::RCPtr<KX::LComboBox> ListOf(const editor::LGlobalSettingsDlg& d, Setting s)
{
    return KX::RCPtr<KX::LComboBox>::DynamicCast(KX::ConstRCPtr<KX::LControl>(d.GetSettingControl(s)));
}

inline KX::RCPtr<KX::LNumericUpDown> BoxOf(const editor::LGlobalSettingsDlg& d, Setting s)
{
    return KX::RCPtr<KX::LNumericUpDown>::DynamicCast(KX::ConstRCPtr<KX::LControl>(d.GetSettingControl(s)));
}

// What a setting's control shows: a list's index or a box's value.
inline double Shown(const editor::LGlobalSettingsDlg& d, Setting s)
{
    if (const auto list = ListOf(d, s))
        return list->GetSelectedIndex();
    const auto box = BoxOf(d, s);
    return box ? box->GetValue() : -999;
}

// The manager tells its listeners of one value, on the calling thread.
inline void Announce(KX::LMidiManager& manager, const char16_t* name, int32_t value)
{
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::Create(
        n, u"NID_MIDIMANAGER_PARAMETER_RECIEVED",
        KX::ConstRCPtr<KX::LRefCountedObject>(new KX::LMidiParameterNotification(KX::WString(name), value)));
    manager.SendNotification(n);
}

} // namespace dlgtest
