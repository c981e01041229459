#pragma once
// The base of every control: a node of the control tree with its layout, looks, value, geometry
// and input state. Its virtual operations keep one slot order that subclasses extend after
// GetBounds. UI thread only; nothing here is locked.
#include "kx/Font.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/Renderer.h"
#include "kx/TaggableObject.h"
#include "kx/ui/ChildControlList.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/DragMode.h"
#include "kx/ui/ForwardRef.h"
#include "kx/ui/HotKeyTable.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/ParamRecords.h"
#include "kx/ui/RootWindowSeam.h"
#include "kx/ui/UITarget.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace KX {

class LControlDescriptor;
class LStringTable;
class LMenuDescriptor;
class LVisualPart;
class LBitmap;
class LPopupMenu;
class LNotificationCenter;
struct LMenuItemState;

// Condition mask bits.
namespace Condition {
inline constexpr uint32_t kHasFocus = 0x1;
inline constexpr uint32_t kContainsFocus = 0x2;
inline constexpr uint32_t kHover = 0x4;
inline constexpr uint32_t kCapture = 0x8;
inline constexpr uint32_t kLeftPressed = 0x10;
inline constexpr uint32_t kMiddlePressed = 0x20;
inline constexpr uint32_t kRightPressed = 0x40;
inline constexpr uint32_t kLeftDrag = 0x80;
inline constexpr uint32_t kMiddleDrag = 0x100;
inline constexpr uint32_t kRightDrag = 0x200;
inline constexpr uint32_t kEnabled = 0x400;
inline constexpr uint32_t kShowing = 0x800;
inline constexpr uint32_t kHoverOrHighlighted = 0x1000;
// Has or contains the focus while the keyboard is in use (a key went down since the last mouse
// press in the window): focus rings and other keyboard cues show only then.
inline constexpr uint32_t kFocusVisible = 0x2000;
} // namespace Condition

// Depth of a control that clips to its parent.
inline constexpr int32_t kClippedZOrder = INT32_MIN;

class LControl : public virtual LNotificationClient,
                 public virtual LNotificationDistributor,
                 public virtual LTaggableObject,
                 public virtual UITarget {
public:
    using ChildControlList = LChildControlList;

    // Attaches to parent when given and resolves the string table through the control host.
    LControl(const RCPtr<LControl>& parent, const WString& name);

    // Virtual operations in slot order.
    virtual KXRESULT SetText(const WString& text);
    virtual double SetNormalizedValue(double value);
    virtual void OnValueChanged() {}
    virtual KXRESULT SetValueRange(double minimum, double maximum, int32_t scaleType);
    virtual void CaptureLookBounds() {}
    virtual void CheckTrackedBoundsChanged() {}
    virtual void InvalidateBoundsChange(PointT<double> oldOffset, PointT<double> newOffset);
    virtual void AddInvalidRect(const RCPtr<LControl>& child);
    virtual PointT<double> MeasureNaturalSize();
    virtual PointT<double> GetMaximumSize();
    virtual bool SetClipToParent(bool clip);
    virtual const PointT<double>& SetScrollOffset(PointT<double> offset);
    virtual const RCPtr<LStringTable>& GetStringTable() const;
    virtual bool IsEditTarget() { return false; }
    virtual RCPtr<LControl> GetEditTarget();
    virtual bool CanPerformEdit(int32_t) { return false; }
    virtual KXRESULT PerformEdit(int32_t command);
    // mode: DragMode; axes: DragAxis bits.
    virtual KXRESULT SetDragMode(int32_t mode, uint32_t axes);
    virtual void OnDragBegin();
    virtual void SaveGeometry();
    virtual void OnDragMove(const RCPtr<LPointWithModifiersParam>& param);
    virtual void OnDragStep(const RCPtr<LPointWithModifiersParam>&) {}
    virtual void OnDragEnd();
    virtual RCPtr<LControl> FindAcceptingControl(const RCPtr<LControl>& control, PointT<double> rootPoint);
    virtual bool AcceptsControl(const RCPtr<LControl>&) { return false; }
    // The DragAxis edge bits a dragged control scrolls this one at.
    virtual uint32_t GetAutoScrollEdges(const RCPtr<LControl>&) { return 0; }
    virtual void GetScrollRange(RectT<double>& out, const RCPtr<LControl>& dragged);
    virtual RectT<double> GetClientRect();
    virtual void LimitDragRect(RectT<double>&) {}
    virtual void OnDragEnter(const RCPtr<LControl>&) {}
    virtual void OnDragOver(const RCPtr<LControl>&, PointT<double>) {}
    virtual void OnDragLeave(const RCPtr<LControl>&) {}
    virtual KXRESULT OnDrop(const RCPtr<LControl>&) { return E_FAIL; }
    virtual KXRESULT SetFocus(bool forward);
    virtual void SetNotFocusable(bool notFocusable);
    virtual bool HasFocusableDescendant();
    virtual void OnConditionsChanged(const RCPtr<LConditionsParam>&) {}
    virtual KXRESULT FinishDeferredRemoval();
    virtual void RegisterNotificationHandlers();
    virtual void OnChildRemoved(const RCPtr<LControl>&, int32_t) {}
    virtual void SetVisible(bool visible);
    virtual bool IsPointTransparent(PointT<int32_t> point);
    virtual void GetColorAtPoint(uint32_t& out, PointT<int32_t> point, int32_t lookIndex);
    virtual KXRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, uint32_t index, const WString& name,
                                      LMenuItemState& state);
    virtual const RCPtr<LMenuDescriptor>& GetContextMenuRef();
    virtual void PreparePopupMenu(const RCPtr<LPopupMenu>&) {}
    virtual KXRESULT ShowLook(int32_t index, int32_t flag);
    virtual int32_t AddLook(const RCPtr<IControlLook>& look);
    // Offered the window rectangle (screen x, y, current width, height) when a top-level
    // control is rebuilt; answering S_FALSE gives the window the rectangle, rounded.
    virtual KXRESULT ConfirmWindowRect(RectT<double>&) { return S_OK; }
    virtual void SetEnabled(bool enabled);
    virtual KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor);
    // Draws the control at its position relative to the renderer's current origin (the parent's
    // content origin; for the unclipped pass the caller moves the origin there) and appends the
    // overlays below it to unclipped. E_INVALIDARG when the pass does not match ClipToParent.
    virtual KXRESULT Draw(const RCPtr<LRenderer>& renderer, const LRegion& invalid, RCPtrArray<LControl>& unclipped,
                          bool unclippedPass);
    virtual KXRESULT InvalidateFromChild(const RectT<double>& root, bool clip, RectT<double> own);
    virtual KXRESULT Invalidate(const RectT<double>& rect, bool clip);
    // The deepest control under point (this control's coordinates); depth is in/out.
    virtual void HitTestChildren(RCPtr<LControl>& out, PointT<int32_t> point, bool search, PointT<int32_t>& local,
                                 int32_t& depth);
    virtual void OnFontChanged() {}
    virtual KXRESULT FocusFromChild(const RCPtr<LControl>& child);
    virtual void OnLeftDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnLeftUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMiddleDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMiddleUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnRightDown(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnRightUp(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMove(const RCPtr<LPointWithModifiersParam>&) {}
    virtual KXRESULT HandleVerticalWheel(const RCPtr<LMouseWheelParam>&) { return S_FALSE; }
    virtual KXRESULT HandleHorizontalWheel(const RCPtr<LMouseWheelParam>&) { return S_FALSE; }
    virtual KXRESULT OnClick(const RCPtr<LMouseButtonParam>& param);
    virtual KXRESULT OnLeftClick(const RCPtr<LMouseButtonParam>& param);
    virtual KXRESULT OnMiddleClick(const RCPtr<LMouseButtonParam>& param);
    virtual KXRESULT OnRightClick(const RCPtr<LMouseButtonParam>& param);
    virtual void OnLeftClickHook(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnMiddleClickHook(const RCPtr<LMouseButtonParam>&) {}
    virtual void OnRightClickHook(const RCPtr<LMouseButtonParam>&) {}
    virtual bool ContainsPoint(PointT<double> point);
    virtual RCPtr<LControl> GetNextFocusableChild(const RCPtr<LControl>& child, bool backward);
    virtual KXRESULT FilterKey(const RCPtr<LKeyParam>&) { return S_FALSE; }
    virtual KXRESULT HandleSiblingKey(const RCPtr<LKeyParam>& param);
    virtual KXRESULT HandleKey(const RCPtr<LKeyParam>& param);
    virtual void HandleKeyNavigation(const RCPtr<LKeyParam>& param);
    virtual void OrderSiblingKeyClients(const RCPtr<LKeyParam>& key,
                                        const LNotificationDistributor::LNotificationClientPool& clients,
                                        Array<uint32_t>& out);
    virtual KXRESULT ReapplyFontSpec();
    virtual KXRESULT OnParentResized(PointT<double> oldOffset, PointT<double> newOffset);
    virtual KXRESULT OnChildChanged(const RCPtr<LControl>& child);
    virtual void OnIdleHook() {}
    virtual KXRESULT PaintBeforeChildren(const RCPtr<LRenderer>&) { return S_OK; }
    virtual KXRESULT PaintAfterChildren(const RCPtr<LRenderer>&) { return S_OK; }
    virtual KXRESULT CreateChildren(const ConstRCPtr<LControlDescriptor>& descriptor);
    virtual KXRESULT Initialize();
    // "INITIAL_VALUE", "NOT_FOCUSABLE", "USE_PARENT_TOOLTIP" and "WANTS_TAB" of the descriptor's
    // create parameters; a text counts as true when it reads "true" lower-cased and trimmed.
    virtual KXRESULT ReadCreateParams();
    virtual KXRESULT AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor);
    virtual KXRESULT PostInitialize() { return S_OK; }
    virtual WString GetToolTipText() { return m_toolTipText; }
    virtual KXRESULT ShowToolTip(bool show);
    virtual RectT<double> GetBounds();

    // UITarget.
    KXRESULT OnMouseEnter() override;
    KXRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) override;
    KXRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) override;
    KXRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) override;
    KXRESULT OnMouseLeave() override;
    KXRESULT BeginDrag(int32_t button, int32_t x, int32_t y) override;
    KXRESULT OnCaptureLost() override;
    void OnKey(const RCPtr<LKeyParam>& param) override;
    KXRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) override;
    KXRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) override;
    // Offers a wheel step to this control, then up the tree (or to the control beneath an unclipped
    // one) until one takes it; 1 when none does, -1 for null.
    KXRESULT RouteMouseWheel(const RCPtr<LMouseWheelParam>& param);
    // Repaints what this control and its descendants draw outside their parents.
    void InvalidateUnclipped();
    // Whether the current look's laid-out text is wider than the room its text properties give.
    bool IsTextClipped();
    KXRESULT OnResize(int32_t width, int32_t height) override;
    bool CanLoseFocus() override { return true; }
    bool KillFocus() override;

    // Focus and conditions.
    uint32_t GetConditionFlags() const;
    // Recomputes the mask and announces what changed.
    void UpdateConditions();
    // A top-level control's layout made to fill its window's client area, then laid out.
    void FillRootWindow();
    // On the parent of a control that takes the focus; true when the update succeeded.
    bool SetContainsFocus(const RCPtr<LControl>& descendant);
    void SetHighlighted(bool on);
    bool IsHighlighted() const noexcept { return m_highlight != 0; }
    // A mode number for the control's owner to read; E_INVALIDARG, nothing changed, when negative.
    KXRESULT SetInteractionMode(int32_t mode);
    int32_t GetInteractionMode() const noexcept { return m_interactionMode; }
    void SetCursor(int32_t kind);
    const RCPtr<LConditionsParam>& GetConditions() const noexcept { return m_conditions; }

    // Notifications are dropped until the control is built.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT ReleaseInternalReferences() override;

    // Tree.
    const WString& GetName() const noexcept { return m_name; }
    const RCPtr<LControl>& GetParent() const noexcept { return m_parent; }
    ChildControlList& GetChildren() noexcept { return m_children; }
    int32_t GetChildIndex(const RCPtr<LControl>& child, uint32_t order);
    RCPtr<LControl> FindChild(const WString& name);
    uint32_t FindDescendantsByName(const WString& name, RCPtrArray<LControl>& out);
    RCPtr<LControl> GetTopLevelControl();
    const RCPtr<IRootWindow>& GetTopLevelOwnerSlot();
    // 0 attached, 1 already the parent.
    KXRESULT SetParent(const RCPtr<LControl>& parent);
    // 0, or E_FAIL for a control with a parent.
    KXRESULT SetRootWindow(const RCPtr<IRootWindow>& window);
    uint32_t CollectUnclippedDescendants(RCPtrArray<LControl>& out, bool skipHidden, bool includeSelf);
    int32_t GetEffectiveZOrder() const;
    int32_t GetUnclippedDescendantCount() const noexcept { return m_unclippedCount; }

    // State queries.
    bool IsShowing(bool withAncestors) const;
    bool IsEnabled(bool withAncestors) const;
    bool IsNotFocusable(bool withAncestors) const;
    bool CanReceiveFocus();
    bool IsBuilt() const noexcept { return m_built != 0; }
    bool IsRebuildingChildren() const noexcept { return m_rebuildingChildren != 0; }
    bool WantsTab() const noexcept { return m_wantsTab != 0; }
    void SetBuilt() noexcept { m_built = 1; }
    // A control created hidden whose children, initialisation and post-initialisation wait until
    // it is first shown or a child of it is looked for (SetVisible, FindChild).
    void DeferSubtree() noexcept { m_subtreeDeferred = 1; }
    bool IsSubtreeDeferred() const noexcept { return m_subtreeDeferred != 0; }
    // Makes a deferred subtree now, as its creation would have: the children, Initialize,
    // PostInitialize, built. False when nothing was deferred.
    bool BuildDeferredSubtree();
    // The visible content area as last recorded (a scroll view records it while its size changes).
    const RectT<double>& GetTrackedBounds() const noexcept { return m_trackedBounds; }
    bool IsHitTransparent() const noexcept { return m_hitTransparent != 0; }
    void SetHitTransparent(bool on) noexcept { m_hitTransparent = on ? 1 : 0; }
    RCPtr<LControl> GetFocusedChild();
    RCPtr<LControl> GetFirstFocusableChild();
    RCPtr<LControl> GetLastFocusableChild();

    // Looks.
    const RCPtr<IControlLook>& GetLookAt(int32_t index) const;
    int32_t GetFirstVisibleLook() const;
    uint32_t GetLookCount() const { return m_looks.GetCount(); }
    float GetLookOpacity(uint32_t index) const;
    // 0, or E_INVALIDARG for an index beyond the opacities; values outside 0..1 are ignored.
    KXRESULT SetLookOpacity(int32_t index, float opacity, bool exclusive);
    // Replaces the look's region: 0, or E_INVALIDARG when there is no look at index.
    KXRESULT SetLookRegion(int32_t index, const LRegion& region);
    // The bitmap over the client area of the look GetLookAt finds (resize 0 stretch, 1 tile,
    // 2 center; null takes it out): 0; 1 null without an image; E_FAIL without a look.
    KXRESULT SetLookBitmap(const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType, int32_t index,
                           bool replacesClientPart);
    // The part whose colour paints the label: 0; E_FAIL without a look; E_INVALIDARG for null.
    KXRESULT SetLookPart(const ConstRCPtr<LVisualPart>& part, int32_t index);
    void ClearLookRegion(int32_t index);
    void ClearAllLookRegions();
    KXRESULT SetLookRegionExcept(int32_t index, int32_t exceptIndex);
    RectT<double> GetLookRect(int32_t index) const;
    void SetOpacity(float opacity) noexcept { m_opacity = opacity; }
    // Whether the looks' labels move with the scroll offset, as content does.
    void SetLooksScrollWithContent(bool on) noexcept { m_looksScrollWithContent = on ? 1 : 0; }
    float GetOpacity() const noexcept { return m_opacity; }

    // Texts, font, menus.
    // Derives the font from the parent's (when inherited) or the default font: an empty face,
    // a size <= 0 (or sizeIsRelative: a scale) and style -1 take the base font's. E_FAIL when
    // no font could be had.
    KXRESULT ApplyFontSpec(const WString& faceName, float size, int32_t style, bool sizeIsRelative);
    // Gives every look the font and lets every child derive its own again.
    KXRESULT InstallFont(const ConstRCPtr<LFont>& font);
    // Stores the label and hands it to every look; S_FALSE when it was equal.
    KXRESULT ApplyText(const WString& text, bool relayout);
    bool IsFontSizeRelative() const noexcept { return m_sizeRelative != 0; }
    float GetFontSizeScale() const noexcept { return m_sizeScale; }
    // The font of controls that inherit none: the one set, else the render host's default font.
    static ConstRCPtr<LFont> GetDefaultFont();
    static void SetDefaultFont(const ConstRCPtr<LFont>& font);
    // Builds the skin's "contextMenu" under this control and shows menu in it; nothing happens
    // when the skin has no such control or it is not a popup menu. Always S_OK.
    KXRESULT ShowPopupMenu(const RCPtr<LMenuDescriptor>& menu);
    void LookupString(const WString& key, WString& out) const;
    const ConstRCPtr<LFont>& GetFont() const noexcept { return m_font; }
    const WString& GetText() const noexcept { return m_labelText; }
    RCPtr<LMenuItemUpdater> GetMenuItemUpdater();
    int32_t ApplyCursor();
    bool UsesParentToolTip() const noexcept { return m_useParentToolTip != 0; }
    // What "USE_PARENT_TOOLTIP" sets: the control shows its parent's tip when it has none.
    void SetUseParentToolTip(bool on) noexcept { m_useParentToolTip = on ? 1 : 0; }

    // Geometry.
    const RCPtr<LLayoutDescriptor>& GetLayout() const noexcept { return m_layout; }
    // Installs the control's own layout record (the descriptor binding does this from the skin);
    // the parent's unclipped counts are not adjusted here.
    void SetLayout(const RCPtr<LLayoutDescriptor>& layout) { m_layout = layout; }
    PointT<double> GetPosition() const noexcept { return m_position; }
    PointT<double> GetSize() const noexcept { return m_size; }
    PointT<double> GetScrollOffset() const noexcept { return m_scroll; }
    RectT<int32_t> GetChildrenBounds();
    RectT<double> GetParentRectLocal();
    PointT<double> GetOriginInRootWindow() const;
    KXRESULT GetOriginInTopLevel(PointT<double>& out) const;
    PointT<double> GetRootToLocalOffset() const;
    void MapPointFromControl(const LControl& other, PointT<double>& point) const;
    KXRESULT PerformLayout();
    // 1 unchanged, 0 changed.
    KXRESULT SetBounds(PointT<double> position, PointT<double> size);
    // Store the placements and lay out again: 0 when they read back unchanged, 1 otherwise,
    // E_INVALIDARG for an axis other than 0 and 1.
    KXRESULT SetAxisPlacement(int32_t axis, const AxisPlacement& position, const SizeSpec& size);
    KXRESULT SetAxisSizeLimits(int32_t axis, const SizeLimit& minimum, const SizeLimit& maximum);
    KXRESULT SetAxisPlacements(const AxisPlacement& xPosition, const SizeSpec& xSize, const AxisPlacement& yPosition,
                               const SizeSpec& ySize);
    // Pixels a press moves before it becomes a drag (0: at once); E_INVALIDARG when negative.
    KXRESULT SetDragThreshold(int32_t pixels);
    int32_t GetDragThreshold() const noexcept { return m_dragThreshold; }
    bool IsScrolling() const noexcept { return m_scrolling[0] != 0; }
    KXRESULT Relayout() { return PerformLayout(); }

    // Value.
    double GetNormalizedValue() const noexcept { return m_value; }
    double GetMinimum() const noexcept { return m_minimum; }
    double GetMaximum() const noexcept { return m_maximum; }
    int32_t GetScaleType() const noexcept { return m_scaleType; }
    double NormalizedToValue(double t) const;
    double ValueToNormalized(double value) const;

    // Animation and idle work.
    KXRESULT StartAxisAnimation(int32_t axis, double speed, double highest, double lowest,
                                const RCPtr<LControl>& dragged);
    KXRESULT StopAxisAnimation(int32_t axis);
    bool IsAxisAnimating(int32_t axis) const noexcept { return m_animating[axis & 1] != 0; }
    double GetAxisStepTime(int32_t axis) const noexcept { return m_stepTime[axis & 1]; }
    double GetAxisSpeed(int32_t axis) const noexcept { return m_speed[axis & 1]; }
    // Counted "NID_IDLE" subscriptions: the first registers, the last drop unregisters; a drop
    // without a subscription answers S_FALSE and changes nothing.
    KXRESULT SubscribeIdle();
    KXRESULT UnsubscribeIdle();
    int32_t GetIdleSubscriptionCount() const noexcept { return m_idleCount; }
    KXRESULT OnIdle(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Hides child now and removes it on the next idle pass; E_INVALIDARG when it is not a child.
    KXRESULT RemoveChildDeferred(const RCPtr<LControl>& child);
    // Finishes every pending removal (the idle handler calls it) and drops their idle subscription.
    KXRESULT FlushPendingChildren();
    uint32_t GetPendingRemovalCount() const noexcept { return m_pendingRemovals.GetCount(); }

    // Setters for members whose classes live with the skin, the string tables and the menus;
    // each needs the complete class where it is called.
    template <class P>
    void AdoptStringTable(const P& table)
    {
        m_stringTable.Set(table);
    }
    template <class P>
    void AdoptDescriptor(const P& descriptor)
    {
        m_descriptor.Set(descriptor);
    }
    const ConstRCPtr<LControlDescriptor>& GetDescriptor() const noexcept { return m_descriptor.Get(); }
    template <class P>
    void AdoptContextMenu(const P& menu)
    {
        m_contextMenu.Set(menu);
    }

    // Keys bound to notifications of this control ("LHK" entries of its string table).
    HotKeyTable& GetKeyBindings() noexcept { return m_keyBindings; }
    const HotKeyTable& GetKeyBindings() const noexcept { return m_keyBindings; }
    // The first key bound to name, or the empty key code.
    KeyCode GetKeyCodeForNotification(const WString& name) const { return m_keyBindings.GetFirstKeyCode(name); }
    bool HasKeyBinding(const WString& name) const { return m_keyBindings.HasBinding(name); }
    // "NID_SIBLING_KEY" (Initialize binds it when the control has a parent and "LHK" bindings): a
    // key the bindings hold, while the control is showing and enabled, sets the parameter's result
    // to 0 and sends the bound notification to the control itself. Always 1.
    KXRESULT OnSiblingKey(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // Context menus of the string table: "CONTEXT_MENU." entries make one menu; otherwise each
    // menu number of "CONTEXT_MENU<n>." entries makes one, the numbers in text order. Always 0.
    KXRESULT GetContextMenuEntries(RCPtrArray<LMenuDescriptor>& out);
    // Unbinds the old menu's items, keeps menu and binds its items. Always 0.
    KXRESULT SetContextMenu(const RCPtr<LMenuDescriptor>& menu);
    // Binds (or unbinds) ForwardMenuNotification for every item of menu, sub-menus included, whose
    // notification has a hot key at the root window or the application. Always 0.
    KXRESULT RegisterContextMenuHandlers(const RCPtr<LMenuDescriptor>& menu, bool registerHandlers);
    // A menu item with a hot key: posts its id to the root window's queue when the window binds
    // it, else to the application's queue. Always 1.
    KXRESULT ForwardMenuNotification(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LControl() override;

    // For a parent that keeps its children's places itself (the list box's rows): while set, a
    // scroll shifts docked children even where siblings are named, a child moved by it lays out
    // none of the siblings after it, and those naming a moved child are laid out once all moved.
    void SetScrollShiftsNamedChildren(bool on) noexcept { m_scrollShiftsNamed = on ? 1 : 0; }
    void SetTrackedBounds(const RectT<double>& bounds) noexcept { m_trackedBounds = bounds; }

private:
    friend class LChildControlList;
    struct DragMove;
    // The inputs and result of the last placement: a layout run over the same inputs, with the
    // control still where that left it, changes nothing.
    struct PlacementMemo;
    std::unique_ptr<PlacementMemo> m_placementMemo;

    // Appends this control to the key's route and hands Tab navigation to the parent, or, at the
    // top, to the root window's next window.
    void PassNavigationUp(const RCPtr<LKeyParam>& param);

    void AddToUnclippedCounts(int32_t amount);
    void DrawChildrenForLook(const RCPtr<LRenderer>& renderer, const LRegion& invalid, RCPtrArray<LControl>& unclipped,
                             int32_t lookIndex);
    bool PassesFocusWalkTest(LControl& child) const;
    // Every control a hit test at point (this control's coordinates) could give, with its depth:
    // children before their parent, upper siblings before lower ones.
    void CollectHits(std::vector<std::pair<int32_t, RCPtr<LControl>>>& out, PointT<int32_t> point, bool search);
    // The walk both share. Whether it enters this control at point (this control's coordinates),
    // setting inside.
    bool EntersHitWalk(PointT<int32_t> point, bool& inside);
    // Calls visit(child, child's point, child's search, child drawn outside its parent) for each
    // child the walk may try, topmost first, once per shown look; depth is this control's.
    template <typename Visit>
    void VisitHitChildren(PointT<int32_t> point, bool search, bool inside, int32_t depth, Visit&& visit);
    // Whether this control itself takes a hit at point (depth aside).
    bool AcceptsHitAt(PointT<int32_t> point, bool inside);
    void TakeFocusFromParent();
    // Before this control leaves its parent: its branch loses the focus it holds or contains.
    void ReleaseFocusBeforeLeaving();
    RCPtr<LControl> FocusableChildFrom(bool last);
    PointT<double> LookOrigin() const;
    // Moves a docked control by the change of its parent's scroll offset where laying it out again
    // would give the same bounds; false (nothing done) where it has to be laid out.
    bool ShiftWithParentScroll(PointT<double> oldOffset, PointT<double> newOffset);
    // Whether the siblings the layout names on axis give the same reference after the shift.
    bool NamedSiblingsAllowShift(int32_t axis) const;
    // The child of that name in the list as it stands (no deferred subtree is built), or null.
    LControl* FindChildInList(const WString& name) const;
    // Whether own (this control's coordinates, within the parent) is left to a scrolling parent
    // that invalidates itself whole before the scroll ends; only whole pixels are.
    bool LeftToScrollingParent(const RectT<double>& own) const;
    // After children were shifted by a scroll: lays out again those that name a child moved by it
    // and docked ones with named limits, as the moves' own passes over the siblings would have.
    void RelayoutAfterShifts();
    void RebuildLooks(const LControlDescriptor& descriptor);
    void ReattachChildren(const LControlDescriptor& descriptor, RCPtrArray<LControl>& previous);
    void SendInputNotification(const char16_t* name, const ConstRCPtr<LRefCountedObject>& param);

    RCPtr<LNotificationHandler<LControl>> m_handler;
    RCPtr<LNotificationCenter> m_notificationCenter;
    WString m_name;
    ForwardRef<ConstRCPtr<LControlDescriptor>> m_descriptor;
    RCPtr<LLayoutDescriptor> m_layout;
    PointT<double> m_position;
    PointT<double> m_size;
    PointT<double> m_scroll;
    int32_t m_unclippedCount = 0;
    RCPtr<LConditionsParam> m_conditions;
    uint8_t m_hasFocus = 0, m_containsFocus = 0, m_pointerOver = 0, m_capture = 0;
    uint8_t m_leftPressed = 0, m_middlePressed = 0, m_rightPressed = 0;
    uint8_t m_leftDrag = 0, m_middleDrag = 0, m_rightDrag = 0;
    uint8_t m_highlight = 0;
    uint8_t m_hitTransparent = 0;
    RCPtr<LMouseButtonParam> m_lastPress;
    PointT<double> m_pressPoint;
    PointT<double> m_parentScrollAtDragBegin;
    int32_t m_dragMode = DragMode::kNone;
    int32_t m_interactionMode = 0;
    uint32_t m_dragAxes = 0;
    double m_dragBeginGeometry[6] = {};
    uint8_t m_wasUnclippedBeforeDrag = 0, m_xDockedBeforeDrag = 0, m_yDockedBeforeDrag = 0;
    RCPtr<LControl> m_dropTarget;
    PointT<double> m_lastDragDelta;
    int32_t m_dragThreshold = 1;
    uint8_t m_inDragMove = 0;
    uint32_t m_moveTime = 0, m_previousMoveTime = 0;
    double m_value = 0.0, m_minimum = 0.0, m_maximum = 0.0;
    int32_t m_scaleType = 0;
    RCPtrArray<IControlLook> m_looks;
    Array<float> m_lookOpacities;
    float m_opacity = 1.0f;
    RCPtr<LControl> m_parent;
    RCPtr<IRootWindow> m_ownerWindow;
    ForwardRef<RCPtr<LStringTable>> m_stringTable;
    uint8_t m_wantsTab = 0;
    HotKeyTable m_keyBindings;
    uint8_t m_notFocusable = 1;
    uint8_t m_focusPassesToParent = 0;
    uint8_t m_looksScrollWithContent = 0;
    uint8_t m_fontInheritsFromParent = 0, m_faceInherited = 0, m_sizeRelative = 0, m_styleInherited = 0,
            m_sizeIsRelative = 0;
    float m_sizeScale = 1.0f;
    ConstRCPtr<LFont> m_font;
    WString m_labelText;
    ForwardRef<RCPtr<LMenuDescriptor>> m_contextMenu;
    WString m_toolTipText;
    uint8_t m_useParentToolTip = 0;
    uint8_t m_built = 0;
    uint8_t m_layoutSuspended = 0;
    uint8_t m_rebuildingChildren = 0;
    uint8_t m_subtreeDeferred = 0;
    uint8_t m_bindingFirstTime = 0;
    int32_t m_idleCount = 0;
    uint8_t m_animating[2] = {};
    double m_stepTime[2] = {};
    double m_speed[2] = {};
    double m_lowestOffset[2] = {};
    double m_highestOffset[2] = {};
    RCPtr<LControl> m_animationDragged[2];
    uint32_t m_pressTime = 0, m_releaseTime = 0;
    uint8_t m_throwRunning[2] = {};
    double m_throwVelocity[2] = {};
    double m_throwDeceleration = 1000.0;
    int32_t m_cursorKind = 0, m_savedCursor = 0;
    RCPtrArray<LControl> m_pendingRemovals;
    RCPtr<LMenuItemUpdater> m_menuItemUpdater;
    ChildControlList m_children{this};
    RectT<double> m_trackedBounds;
    // [0] while the offset changes; [1] how the children follow: 1 laid out, 2 shifted where
    // that gives the same places, 3 shifted with names and no sibling passes (see above).
    uint8_t m_scrolling[2] = {};
    uint8_t m_scrollShiftsNamed = 0;
    // Set while a scroll has yet to invalidate the whole control: its children's invalidations
    // inside it wait for that.
    uint8_t m_scrollRepaintPending = 0;
    // Counts this control's scroll changes; a docked child notes the count of the one it moved
    // with, and a child moved through SetBounds during one marks it here (children after it were
    // laid out by that move already).
    uint32_t m_scrollSerial = 0, m_shiftedAtSerial = 0, m_childMovedAtSerial = 0, m_movedAtSerial = 0;
    uint8_t m_boundsCapturePending = 0;
    RectT<double> m_trackedLookBounds;
};

// Hands a notification of id with param straight to receiver, from no sender; nothing for null.
void DeliverNotification(const RCPtr<LNotificationReceiver>& receiver, const char16_t* id,
                         const ConstRCPtr<LRefCountedObject>& param);
// The leading decimal number of text (locale-free); 0 when there is none.
double ParseParamAsDouble(const WString& text);

// Equal when the face names, sizes (NaN unequal) and styles are equal.
bool operator==(const LFont& a, const LFont& b) noexcept;
inline bool operator!=(const LFont& a, const LFont& b) noexcept
{
    return !(a == b);
}

} // namespace KX
