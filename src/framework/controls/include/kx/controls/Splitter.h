#pragma once
// The splitters ("Framework.SplitterH" moves along y, "Framework.SplitterV" along x): a bar that
// the skin places after a pane (its anchor: the control its position is relative to) and that
// resizes that pane when dragged. The drag and every relayout keep the anchor and the panes tied
// to the splitter between their minimum and maximum sizes. UI thread only.
#include "kx/ui/Control.h"

namespace KX {

class LSplitterBase : public LControl {
public:
    static constexpr double kNoLimit = 4503599627370496.0; // 2^52

    // orientation 0: a horizontal bar moving along y; 1: a vertical bar moving along x.
    LSplitterBase(const RCPtr<LControl>& parent, const WString& name, int32_t orientation);

    int32_t GetOrientation() const noexcept { return m_orientation; }
    int32_t GetAxis() const noexcept { return m_orientation == 0 ? 1 : 0; }
    // The allowed range of the splitter's placed position during a drag.
    double GetDragMin() const noexcept { return m_dragMin; }
    double GetDragMax() const noexcept { return m_dragMax; }
    // Keeps the splitter inside the panes' limits by resizing its anchor. 0.
    KXRESULT LayoutPanes();

    // LControl.
    void OnDragBegin() override;
    void OnDragMove(const RCPtr<LPointWithModifiersParam>& param) override;
    void OnDragEnd() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT Initialize() override;
    // The layout, then LayoutPanes.
    KXRESULT OnResize(int32_t width, int32_t height) override;

protected:
    ~LSplitterBase() override = default;

private:
    // The sibling this splitter's position is relative to; null without one.
    RCPtr<LControl> FindAnchor() const;
    // Narrows lo and hi for every sibling after the splitter that is tied to it.
    void NarrowBySiblings(double ownPos, bool onlyHeld, double& lo, double& hi);
    void UpdateLook();

    int32_t m_orientation;
    double m_dragMin = 0.0;
    double m_dragMax = kNoLimit;
    double m_savedPosAbs = 0.0;
    float m_savedPosRel = 0.0f;
    RCPtr<LControl> m_anchor;
    double m_anchorStartPos = 0.0;
    double m_anchorStartSize = 0.0;
    // The splitter's own placement on its axis before the drag, and its placed position at the start.
    AxisPlacement m_savedPlacement;
    double m_startPlaced = 0.0;
    bool m_inLayoutPanes = false;
};

class LSplitterH : public LSplitterBase {
public:
    LSplitterH(const RCPtr<LControl>& parent, const WString& name) : LSplitterBase(parent, name, 0) {}

protected:
    ~LSplitterH() override = default;
};

class LSplitterV : public LSplitterBase {
public:
    LSplitterV(const RCPtr<LControl>& parent, const WString& name) : LSplitterBase(parent, name, 1) {}

protected:
    ~LSplitterV() override = default;
};

} // namespace KX
