#pragma once
// What the group panels of the keyboard picture share (push buttons, encoders, faders, pads): they
// collect their tiles from the skin (the tiles of hidden banks too), stand between the device view
// and the tiles in the user interface's parameter tree, open and point the edit panel of their
// kind when a tile is clicked, let that edit panel take its tile's place in the tree and mirror
// what it shows into the tile. Main thread only; no locks.
#include "engine/ParameterizedModule.h"

#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/controls/Panel.h"

#include <cstdint>
#include <vector>

class LDeviceView;

// The names, counts and manners of one kind of group.
struct GroupPanelLayout {
    const char* className;         // "LButtonGroupPanel": the method names of the error texts
    const char* sourcePath;        // the source path of the error texts
    const char16_t* editPanelName; // the edit panel among the device view's children
    const char16_t* bankStem;      // "buttonBank" for buttonBank1..; null: tiles are the group's own children
    const char16_t* tileStem;      // "button" for button1..
    uint32_t bankCount;            // 1 without banks
    uint32_t tilesPerBank;
    int32_t editPanelKind;      // the kind LDeviceView::ShowEditPanel takes
    uint32_t requiredTileCount; // 0: the count is not checked
    bool checkBanks;            // a missing bank is an error
    bool watchOnClick;          // the edit panel's visibility is watched from the first click on, not from Initialize
    bool retargetFirst;         // a click finds its tile from the sender, points the edit panel, then shows it
    const char16_t* const* tileNames; // tilesPerBank names of the group's own children; null: numbered tiles
    // The label child of each numbered tile that reads the tile's number within its bank, formatted
    // as the tiles are collected so the picture is numbered before any value reaches it; null: none.
    const char16_t* numberLabel;
    // The "Null Pointer" text when there is no device view to take the edit panel from; null:
    // "<editPanelName> knob found".
    const char* noEditPanelText = nullptr;
    // The "Null Pointer" text when the device view lacks the edit panel (before its registration);
    // null: the registration's own failure.
    const char* missingEditPanelText = nullptr;
    // A missing tile fails at once, leaving the later tiles unregistered.
    bool missingTileStops = false;
};

class LGroupPanelFrame : public KX::LPanel {
public:
    static constexpr const char16_t* kTileButton = u"button";

    // Collects the tiles and the edit panel and listens to them. Throws the "Null Pointer" runtime
    // error for a missing device view or edit panel (or a missing bank where banks are checked),
    // and failed-result exceptions for a failed registration, a missing or foreign tile (E_FAIL,
    // after all other tiles are registered) or a wrong tile count.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // "NID_LEFT_CLICK" of a tile's "button": that tile alone highlighted, the edit panel shown and
    // pointed at it. 1.
    KX::KXRESULT OnTileClicked(const KX::RCPtr<KX::LNotificationDistributor>& from,
                               const KX::RCPtr<KX::LNotification>& n);
    // "NID_VISIBLITY_CONDITION_CHANGE" of the edit panel: no tile stays highlighted once it no
    // longer shows. 1.
    KX::KXRESULT OnVisibilityConditionChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                             const KX::RCPtr<KX::LNotification>& n);
    // Every tile's "button" to the value.
    void SetAllButtonValues(double value);

    uint32_t GetTileCount() const { return m_tiles.GetCount(); }
    // Tile i in bank order; null where the skin gave no tile of the group's kind.
    KX::RCPtr<KX::LControl> GetTile(uint32_t index) const;
    const KX::RCPtr<KX::LControl>& GetEditPanel() const noexcept { return m_editPanel; }
    const GroupPanelLayout& GetLayout() const noexcept { return m_layout; }

protected:
    LGroupPanelFrame(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name, const GroupPanelLayout& layout);
    ~LGroupPanelFrame() override;

    // The group's own module (the concrete class's collection interface).
    virtual LParameterizedModule* GroupModule() = 0;
    // The leaf module of a control of the group's kind (tile or edit panel), else null.
    virtual LParameterizedModule* LeafModuleOf(KX::LControl* control) const = 0;

    // Held around the group's id pass: while it lives every tile answers for itself.
    class IdPass {
    public:
        explicit IdPass(LGroupPanelFrame& frame) noexcept : m_frame(frame), m_outer(frame.m_inIdPass)
        {
            m_frame.m_inIdPass = true;
        }
        ~IdPass() { m_frame.m_inIdPass = m_outer; }
        IdPass(const IdPass&) = delete;
        IdPass& operator=(const IdPass&) = delete;

    private:
        LGroupPanelFrame& m_frame;
        bool m_outer;
    };

    // The child accessor: tile i's module, or the edit panel's in place of the tile it edits; never
    // substitutes during the id pass.
    LParameterizedModule* ChildModule(uint32_t index);
    template <class I>
    KX::RCPtr<I> ChildAs(uint32_t index)
    {
        return KX::RCPtr<I>(dynamic_cast<I*>(ChildModule(index)));
    }
    // A value the edit panel (or a tile) hands upwards: to every tile that the edit panel edits,
    // as a local value. Never further up. 0.
    KX::KXRESULT MirrorToTiles(const KX::ParamDescriptor& descriptor, const KX::Variant& value);

private:
    LDeviceView* FindDeviceView();
    void CollectTiles();
    void WatchEditPanel(const char* method, int line);
    void ClickFromTiles(KX::LNotificationDistributor* sender);
    void ClickFromSender(KX::LNotificationDistributor* sender);
    std::string Method(const char* member) const;

    const GroupPanelLayout& m_layout;
    KX::RCPtr<KX::LNotificationHandler<LGroupPanelFrame>> m_handler;
    KX::RCPtrArray<KX::LControl> m_tiles;
    std::vector<LParameterizedModule*> m_tileModules; // parallel to m_tiles, held through it
    KX::RCPtr<KX::LControl> m_editPanel;
    LParameterizedModule* m_editModule = nullptr; // held through m_editPanel
    bool m_inIdPass = false;
};
