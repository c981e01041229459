#pragma once
// What a control's last placement was computed from and what it gave. Only placements that read
// nothing beyond the layout's values, the parent's size, client area and scroll offset, and the
// siblings named for position or size are kept; anything else is laid out every time.
#include "kx/ui/Control.h"
#include "kx/ui/LayoutPasses.h"

namespace KX {

// One axis of a kept placement.
struct PlacementMemoAxis {
    // Position.
    float anchor = 0.0f;
    int32_t positionKind = 0;
    float positionRelative = 0.0f;
    double positionAbsolute = 0.0;
    uint8_t docked = 0;
    // Size.
    int32_t sizeKind = 0;
    float sizeRelative = 0.0f;
    double sizeAbsolute = 0.0;
    // Absolute limits (named limits are never kept).
    double minimum = 0.0;
    double maximum = 0.0;
    // The siblings named for position [0] and size [1], with what was read of them.
    WString names[2];
    const LControl* named[2] = {};
    WString namedAs[2]; // the sibling's own name, held so that its text stays put
    double namedOrigin[2] = {};
    double namedExtent[2] = {};
    uint8_t namedDocked[2] = {};
};

struct LControl::PlacementMemo {
    using Axis = PlacementMemoAxis;

    // True when a layout now would read the same values and the control stands where it put it.
    static bool Holds(const LControl& control);
    // Notes the inputs of the placement just computed (named: the siblings it read), or forgets
    // them when they cannot be kept; Placed then notes its result.
    static void Note(LControl& control, const NamedSiblings& named);
    static void Placed(LControl& control, PointT<double> position, PointT<double> size);
    // Forgets the placement (the control moved to another parent).
    static void Forget(LControl& control) noexcept;
    // Lays the control out past the check, for a caller that found the placement does not hold.
    static KXRESULT LayOut(LControl& control);

    Axis axes[2];
    const LControl* parent = nullptr;
    uint32_t childStamp = 0;
    RectT<double> parentClient;
    PointT<double> parentSize;
    PointT<double> parentScroll;
    PointT<double> position;
    PointT<double> size;
    bool noted = false;  // inputs noted
    bool placed = false; // and the result
};

} // namespace KX
