#pragma once
// The modes and axes of a control's left drag (LControl::SetDragMode) and the edges a drop target
// scrolls at (LControl::GetAutoScrollEdges).
#include <cstdint>

namespace KX {

namespace DragMode {
inline constexpr int32_t kNone = 0;         // no drag: a press and release is a click
inline constexpr int32_t kDropMove = 1;     // follows the pointer over the window, dropped on an accepting control
inline constexpr int32_t kMove = 2;         // moves inside the parent's visible client area
inline constexpr int32_t kMoveScroll = 3;   // moves, scrolling the parent near its edges
inline constexpr int32_t kResize = 4;       // moves the edges the axes name
inline constexpr int32_t kResizeScroll = 5; // resizes, scrolling the parent near its edges
inline constexpr int32_t kPan = 6;          // pans the control's own content, thrown on release
} // namespace DragMode

namespace DragAxis {
inline constexpr uint32_t kX = 0x1;
inline constexpr uint32_t kY = 0x2;
inline constexpr uint32_t kBoth = kX | kY;
inline constexpr uint32_t kRightEdge = 0x4;
inline constexpr uint32_t kLeftEdge = 0x8;
inline constexpr uint32_t kTopEdge = 0x10;
inline constexpr uint32_t kBottomEdge = 0x20;
} // namespace DragAxis

} // namespace KX
