#pragma once
// The pedal group of the keyboard picture: the volume pedal's and the sustain pedal's tiles, each
// with an edit panel of its own. A click shows and points the clicked pedal's edit panel; each
// tile's highlight follows whether its edit panel shows, and while it shows the edit panel stands
// in the tile's place in the parameter tree and what it applies is mirrored into the tile. Main
// thread only; no locks.
#include "engine/ModuleInterfaces.h"

#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

class LDeviceView;

class LPedalGroupPanel : public KX::LPanel, public IPedals {
public:
    // The pedal argument of the device view's pedal kind.
    static constexpr int32_t kVolumePedal = 0;
    static constexpr int32_t kSustainPedal = 1;

    LPedalGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // With a device view: its "volumePedalEditPanel" and "sustainEditPage" (the "Null Pointer"
    // runtime error when missing), the group's "volumePedal" and "sustainPedal" tiles (the same
    // error when missing), and the registrations (failed-result exceptions). Without one the group
    // stays unlinked.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // "NID_LEFT_CLICK" of a tile's "button": that pedal highlighted, its edit panel shown, then
    // pointed at it. 1.
    KX::KXRESULT OnPedalClicked(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                const KX::RCPtr<KX::LNotification>& n);
    // "NID_VISIBLITY_CONDITION_CHANGE" of either edit panel: each highlight mirrors its panel. 1.
    KX::KXRESULT OnVisibilityConditionChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                             const KX::RCPtr<KX::LNotification>& n);

    // The showing edit panel, else the tile.
    KX::RCPtr<IVolumePedal> GetVolumePedal() override;
    KX::RCPtr<ISustainPedal> GetSustainPedal() override;
    using IPedals::GetSustainPedal;
    using IPedals::GetVolumePedal;
    // A value an edit panel applies goes to the tile of the same pedal; E_FAIL for any other id.
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;

    const KX::RCPtr<KX::LControl>& GetVolumeTile() const noexcept { return m_volumeTile; }
    const KX::RCPtr<KX::LControl>& GetSustainTile() const noexcept { return m_sustainTile; }

protected:
    ~LPedalGroupPanel() override;

private:
    LDeviceView* FindDeviceView();
    void Highlight(const KX::RCPtr<KX::LControl>& tile, double value);

    KX::RCPtr<KX::LNotificationHandler<LPedalGroupPanel>> m_handler;
    KX::RCPtr<KX::LControl> m_volumeTile;
    KX::RCPtr<KX::LControl> m_sustainTile;
    KX::RCPtr<KX::LControl> m_volumeEditPanel;
    KX::RCPtr<KX::LControl> m_sustainEditPanel;
};
