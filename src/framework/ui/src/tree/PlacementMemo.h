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

    // What a placement reads of the parent, read once for a walk over several of its children
    // (nothing may change the parent meanwhile).
    struct Parent {
        explicit Parent(const LControl& parent);
        const LControl* control;
        uint32_t childStamp;
        PointT<double> size;
        PointT<double> scroll;
        RectT<double> client;
    };

    // True when a layout now would read the same values and the control stands where it put it.
    static bool Holds(const LControl& control);
    static bool Holds(const LControl& control, const Parent& parent);
    // The siblings the last placement found under the parent's current child list, as hints
    // for the next one's named lookups.
    static void Hint(const LControl& control, NamedSiblings& named) noexcept;
    // Notes the inputs of the placement just computed under the control's parent (the siblings
    // and the parent's client area it read), or forgets them when they cannot be kept; Placed
    // then notes its result.
    static void Note(LControl& control, const NamedSiblings& named, const RectT<double>& parentClient);
    static void Placed(LControl& control, PointT<double> position, PointT<double> size);
    // Forgets the placement (the control moved to another parent).
    static void Forget(LControl& control) noexcept;
    // The checks that read nothing of the parent's geometry: the memo when they pass, else null.
    static const PlacementMemo* OwnHolds(const PlacementMemo* memo, const LControl* parent, uint32_t childStamp,
                                         PointT<double> position, PointT<double> size);
    // The layout's values, the label and the named siblings, as the memo noted them.
    static bool Inputs(const LControl& control, const PlacementMemo& memo);
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
    // The siblings found by the last placement and the child list they were found in.
    const LControl* hints[2][2] = {};
    const LControl* hintParent = nullptr;
    uint32_t hintStamp = 0;
    bool noted = false;  // inputs noted
    bool placed = false; // and the result
};

} // namespace KX
