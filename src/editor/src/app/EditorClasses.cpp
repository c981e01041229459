// The editor's skin-class table and its registration.

#include "editor/EditorClasses.h"
#include "editor/AboutDlg.h"
#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonEditPanel.h"
#include "editor/ButtonPanel.h"
#include "editor/ControlTiles.h"
#include "editor/DeviceView.h"
#include "editor/EncoderEditPanel.h"
#include "editor/FaderEditPanel.h"
#include "editor/GlobalSettingsDlg.h"
#include "editor/GroupPanels.h"
#include "editor/KeybedZoneEditPanel.h"
#include "editor/KeybedZoneGroupPanel.h"
#include "editor/KeybedZonePanel.h"
#include "editor/MIDIChannelViewPanel.h"
#include "editor/MainControl.h"
#include "editor/MessageBoxDlg.h"
#include "editor/MidiNoteSelector.h"
#include "editor/MoveableControlEditPanel.h"
#include "editor/MoveableControlViewPanel.h"
#include "editor/NoteModeEditPanel.h"
#include "editor/NumberBoxTextSelector.h"
#include "editor/PadEditPanel.h"
#include "editor/PadPanel.h"
#include "editor/PedalEditPanels.h"
#include "editor/PedalGroupPanel.h"
#include "editor/PresetNamePanel.h"
#include "editor/PresetSlotDialogs.h"
#include "editor/WheelEditPanel.h"
#include "editor/WheelGroupPanels.h"
#include "editor/XYPadEditPanel.h"

#include "kx/controls/ControlClasses.h"
#include "kx/controls/Panel.h"
#include "kx/controls/TabControl.h"
#include "kx/ui/ControlCreate.h"

const std::vector<EditorControlClass>& GetEditorControlClasses()
{
    // The control edit panels, hidden until a control is picked, are made when first shown.
    // clang-format off
    static const std::vector<EditorControlClass> classes{
        {u"PresetEditor.GlobalEditorControl", &KX::CreateControlOfClass<editor::LGlobalSettingsDlg>, "LGlobalSettingsDlg"},
        {u"PresetEditor.MainControl", &KX::CreateControlOfClass<KX::LMainControl>, "KX::LMainControl"},
        {u"PresetEditor.MainControl.MIDIChannelView", &KX::CreateControlOfClass<LMIDIChannelViewPanel>, "LMIDIChannelViewPanel"},
        {u"PresetEditor.MainControl.DeviceView", &KX::CreateControlOfClass<LDeviceView>, "LDeviceView"},
        {u"PresetEditor.MainControl.DeviceView.PresetNameEditPanel", &KX::CreateControlOfClass<LPresetNamePanel>, "LPresetNamePanel"},
        {u"PresetEditor.MainControl.EditPanel.XYPadNotes", &KX::CreateControlOfClass<LNoteModeEditPanel>, "LNoteModeEditPanel"},
        {u"PresetEditor.MainControl.PushButtonType.ViewPanel", &KX::CreateControlOfClass<LButtonControlViewPanel>, "LButtonControlViewPanel"},
        {u"PresetEditor.Dialog.SendPresetToHardware", &KX::CreateControlOfClass<editor::LSendPresetToMidiDeviceDlg>, "LSendPresetToMidiDeviceDlg"},
        {u"PresetEditor.Dialog.RetrievePresetFromHardware", &KX::CreateControlOfClass<editor::LGetPresetFromMidiDeviceDlg>, "LGetPresetFromMidiDeviceDlg"},
        {u"PresetEditor.MainControl.EditPanel.MoveableTypePanel", &KX::CreateControlOfClass<LMoveableControlEditPanel>, "LMoveableControlEditPanel"},
        {u"PresetEditor.MainControl.EditPanel.ButtonTypePanel", &KX::CreateControlOfClass<LButtonControlEditPanel>, "LButtonControlEditPanel"},
        {u"PresetEditor.MainControl.FaderView", &KX::CreateControlOfClass<LFaderGroupPanel>, "LFaderGroupPanel"},
        {u"PresetEditor.MainControl.FaderView.Fader", &KX::CreateControlOfClass<LFaderPanel>, "LFaderPanel"},
        {u"PresetEditor.MainControl.EncoderView", &KX::CreateControlOfClass<LEncoderGroupPanel>, "LEncoderGroupPanel"},
        {u"PresetEditor.MainControl.EncoderView.Encoder", &KX::CreateControlOfClass<LEncoderPanel>, "LEncoderPanel"},
        {u"PresetEditor.MainControl.ButtonView", &KX::CreateControlOfClass<LButtonGroupPanel>, "LButtonGroupPanel"},
        {u"PresetEditor.MainControl.ButtonView.Button", &KX::CreateControlOfClass<LButtonPanel>, "LButtonPanel"},
        {u"PresetEditor.MainControl.Pedals", &KX::CreateControlOfClass<LPedalGroupPanel>, "LPedalGroupPanel"},
        {u"PresetEditor.MainControl.Pedals.SustainPedal", &KX::CreateControlOfClass<LSustainPedalPanel>, "LSustainPedalPanel"},
        {u"PresetEditor.MainControl.Pedals.VolumePedal", &KX::CreateControlOfClass<LVolumePedalPanel>, "LVolumePedalPanel"},
        {u"PresetEditor.MainControl.KeybedZones", &KX::CreateControlOfClass<LKeybedZoneGroupPanel>, "LKeybedZoneGroupPanel"},
        {u"PresetEditor.MainControl.KeybedZones.Zone", &KX::CreateControlOfClass<LKeybedZonePanel>, "LKeybedZonePanel"},
        {u"PresetEditor.MainControl.WheelView", &KX::CreateControlOfClass<LWheelGroupPanel>, "LWheelGroupPanel"},
        {u"PresetEditor.MainControl.WheelView.Wheel", &KX::CreateControlOfClass<LWheelPanel>, "LWheelPanel"},
        {u"PresetEditor.MainControl.PadView", &KX::CreateControlOfClass<LPadGroupPanel>, "LPadGroupPanel"},
        {u"PresetEditor.MainControl.PadView.Pad", &KX::CreateControlOfClass<LPadPanel>, "LPadPanel"},
        {u"PresetEditor.Control.ZoneNoteSelector", &KX::CreateControlOfClass<editor::LMidiNoteSelector>, "LMidiNoteSelector"},
        {u"PresetEditor.Control.NoteSelector", &KX::CreateControlOfClass<editor::LMidiNoteSelector>, "LMidiNoteSelector"},
        {u"PresetEditor.Control.CCSelector", &KX::CreateControlOfClass<editor::LNumberBoxTextSelector>, "LNumberBoxTextSelector"},
        {u"PresetEditor.MainPage.ButtonEditPanel", &KX::CreateControlOfClassWhenShown<LButtonEditPanel>, "LButtonEditPanel"},
        {u"PresetEditor.MainPage.VolumeEditPanel", &KX::CreateControlOfClassWhenShown<LVolumePedalEditPanel>, "LVolumePedalEditPanel"},
        {u"PresetEditor.MainPage.SustainEditPanel", &KX::CreateControlOfClassWhenShown<LSustainPedalEditPanel>, "LSustainPedalEditPanel"},
        {u"PresetEditor.TabControl.PageHolder.WheelsPage.Wheel", &KX::CreateControlOfClassWhenShown<LWheelEditPanel>, "LWheelEditPanel"},
        {u"PresetEditor.MainPage.FaderEditPanel", &KX::CreateControlOfClassWhenShown<LFaderEditPanel>, "LFaderEditPanel"},
        {u"PresetEditor.MainPage.ZoneEditPanel", &KX::CreateControlOfClassWhenShown<LKeybedZoneEditPanel>, "LKeybedZoneEditPanel"},
        {u"PresetEditor.MainPage.KnobEditPanel", &KX::CreateControlOfClassWhenShown<LEncoderEditPanel>, "LEncoderEditPanel"},
        {u"PresetEditor.MainPage.XYPadEditPanel", &KX::CreateControlOfClassWhenShown<LXYPadEditPanel>, "LXYPadEditPanel"},
        {u"PresetEditor.MainControl.XYPadView.Axis", &KX::CreateControlOfClass<LXYPadDirectionPanel>, "LXYPadDirectionPanel"},
        {u"PresetEditor.MainControl.XYPadView", &KX::CreateControlOfClass<LXYPadDirectionGroupPanel>, "LXYPadDirectionGroupPanel"},
        {u"PresetEditor.MainPage.PadEditPanel", &KX::CreateControlOfClassWhenShown<LPadEditPanel>, "LPadEditPanel"},
        {u"PresetEditor.MainControl.MoveableType.ViewPanel", &KX::CreateControlOfClass<LMoveableControlViewPanel>, "LMoveableControlViewPanel"},
        {u"PresetEditor.DialogAbout", &KX::CreateControlOfClass<editor::LAboutDlg>, "LAboutDlg"},
        {u"PresetEditor.DialogMessageBox", &KX::CreateControlOfClass<editor::LMessageBoxDlg>, "LMessageBoxDlg"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.MainPage.ButtonEditPanel.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.TabControl.PageHolder.ButtonsPage.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.Control.MovementTypes.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.MainPage.PadEditPanel.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.MainPage.XYPadEditPanel.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.TabControl.CCCyclePage.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.TabControl.ProgramCyclePage.TabControl", &KX::CreateControlOfClass<KX::LTabControl>, "KX::LTabControl"},
        {u"PresetEditor.Control.Global.LabeledXYPadFriction", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledGlobalXYPadRebound", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledxyPadSensitivity", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledMackieHUIToggle", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledKeyOctave", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledKeyTranspose", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledKeySensitivity", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledPadOctave", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledPadTranspose", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledPadSensitivity", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledControlCurve", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledGlobalXYPadVelocity", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.Global.LabeledGlobalChannel", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.DeviceView.PresetView", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.DeviceView.GroupBanks", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.ButtonEditPanel.MidiPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.FaderView.FaderBank", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.EncoderView.EncoderBank", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.ButtonView.ButtonBank", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.NotePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.ProgramPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.CCAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.CCIncDecPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.MMCPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.SustainModes.TabControl.PageHolder.ProgramIncDecPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.PadView.Pad.ColorIndicator", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledColorSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledKeySelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledModifierSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledButtonTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledCCSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledCCValueSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledMMCSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledNoteSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledProgramSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledOtherSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledCycleTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledINCDecTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledLatchingSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledButtonColorSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledPadColorSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledRelativeTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PressedReleasedSelectors", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledPressedSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledReleasedSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledModifierKeySelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledKeyZoneNoteSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.KeyZoneStartEndNoteSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledPressedReleasedSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledMidiChannelSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledKeyZoneMidiChannelSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MinMaxSelectors", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MinSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MaxSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledMinSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledMaxSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.StartEndNoteSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledOctaveSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledTransposeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MSBLSBSelectors", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledMSBSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledLSBSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.OnOffSelectors", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledOnSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledOffSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledFaderTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainControl.ButtonView.Button.ColorIndicator", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.CCAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.CCRelativePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.NRPNAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledSustainTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledXYPadTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.XYPadModes.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PresetSlotCombobox", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledNoteModeTypeSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledNoteScaleSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Panel.TabControl", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.ButtonEditPanel.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.ButtonEditPanel.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.ButtonEditPanel.AsciiPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.ButtonEditPanel.ColorPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.ButtonsPage.AsciiPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.ButtonsPage.MidiPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.PedalsPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.WheelsPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.FadersPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.PitchBendPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.KeybedPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.KnobsPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.PadEditPanel.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.PadEditPanel.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.PadEditPanel.ColorPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.XYPadEditPanel.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.MainPage.XYPadEditPanel.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.PageHolder.PadsPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.CCAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.CCCyclePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.CCIncDecPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.MMCPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.NotePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.NRPNAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramCyclePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramIncDecPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.CCCyclePage.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.CCCyclePage.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.CCCyclePage.TabControl.PageHolder.CCPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.CCCyclePage.TabControl.PageHolder.ColorPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.ProgramCyclePage.TabControl.ButtonHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.ProgramCyclePage.TabControl.PageHolder", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.TabControl.ProgramCyclePage.TabControl.PageHolder.ProgramPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"MainControl.ProductImageSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"MainControl.MainPage.ButtonEditPanel.MidiPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.OtherPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.CCAbsolutePage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.NrpnRpnPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.OtherPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.MovementTypes.TabControl.PageHolder.NrpnRpnPage", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
        {u"PresetEditor.Control.LabeledNrpnRpnSelector", &KX::CreateControlOfClass<KX::LPanel>, "KX::LPanel"},
    };
    // clang-format on
    return classes;
}

std::vector<const char16_t*> GetApplicationFrameworkClassNames()
{
    std::vector<const char16_t*> names;
    for (const KX::BuiltInControlClass& row : KX::GetBuiltInControlClasses()) {
        if (row.applicationRow)
            names.push_back(row.name);
    }
    return names;
}

int32_t RegisterEditorControlClasses(KX::LControlFactory& factory)
{
    int32_t registered = 0;
    for (const char16_t* name : GetApplicationFrameworkClassNames()) {
        KX::ControlCreateFunction create = KX::FindBuiltInControlCreator(KX::WString(name));
        if (create == nullptr)
            continue;
        factory.RegisterControlClass(KX::WString(name), create);
        ++registered;
    }
    for (const EditorControlClass& row : GetEditorControlClasses()) {
        if (row.create == nullptr)
            continue;
        factory.RegisterControlClass(KX::WString(row.name), row.create);
        ++registered;
    }
    return registered;
}
