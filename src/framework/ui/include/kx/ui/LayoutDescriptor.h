#pragma once
// A control's placement record: per-axis position, size and size limits with their reference
// kinds, and the flags the control tree sorts and draws by. Each control holds its own copy.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

// Position reference kinds.
inline constexpr int32_t kPositionToParent = 0;
inline constexpr int32_t kPositionToClient = 1;
inline constexpr int32_t kPositionToControl = 2;
// Size reference kinds.
inline constexpr int32_t kSizeToParent = 0;
inline constexpr int32_t kSizeToClient = 1;
inline constexpr int32_t kSizeToSelf = 2;
inline constexpr int32_t kSizeToControl = 3;
// Text overflow types.
inline constexpr int32_t kTextOverflowClip = 0;
inline constexpr int32_t kTextOverflowExpand = 1;
inline constexpr int32_t kTextOverflowWrap = 2;

struct AxisPlacement {
    float anchor = 0.0f;
    int32_t kind = kPositionToClient;
    WString controlName;
    float relative = 0.0f;
    double absolute = 0.0;
    uint8_t docked = 0;
};
// Names count only for kind 2; NaN values never compare equal.
bool operator==(const AxisPlacement& a, const AxisPlacement& b) noexcept;

struct SizeSpec {
    int32_t kind = kSizeToSelf;
    WString controlName;
    float relative = 0.0f;
    double absolute = 0.0;
};
// Names count only for kind 3.
bool operator==(const SizeSpec& a, const SizeSpec& b) noexcept;

struct SizeLimit {
    uint8_t toControl = 0; // 0 "Self"; 1 with the name (which may be "Children")
    WString controlName;
    float relative = 0.0f;
    double absolute = 0.0;
};
// Names count only while the flag is set.
bool operator==(const SizeLimit& a, const SizeLimit& b) noexcept;

class LLayoutDescriptor : public virtual LRefCountedObject {
public:
    // Every field at its default: visible, enabled, clipped, undocked, 16 x 40 of size kind Self.
    static RCPtr<LLayoutDescriptor> Create();
    // A deep copy: later changes to either do not show in the other.
    static RCPtr<LLayoutDescriptor> Clone(const LLayoutDescriptor& source);

    // E_INVALIDARG for an axis other than 0 and 1.
    KXRESULT GetAxisPlacement(int32_t axis, AxisPlacement& position, SizeSpec& size) const;
    KXRESULT SetAxisPlacement(int32_t axis, const AxisPlacement& position, const SizeSpec& size);
    KXRESULT GetAxisSizeLimits(int32_t axis, SizeLimit& minimum, SizeLimit& maximum) const;
    KXRESULT SetAxisSizeLimits(int32_t axis, const SizeLimit& minimum, const SizeLimit& maximum);
    // Replaces each position or size reference name equal to oldName: 0, or 1 when none matched.
    KXRESULT RenameControlReference(const WString& oldName, const WString& newName);

    // Direct access for the skin reader and the layout.
    const AxisPlacement& Position(int32_t axis) const noexcept { return axis == 0 ? m_xPosition : m_yPosition; }
    AxisPlacement& Position(int32_t axis) noexcept { return axis == 0 ? m_xPosition : m_yPosition; }
    const SizeSpec& Size(int32_t axis) const noexcept { return axis == 0 ? m_xSize : m_ySize; }
    SizeSpec& Size(int32_t axis) noexcept { return axis == 0 ? m_xSize : m_ySize; }
    const SizeLimit& MinSize(int32_t axis) const noexcept { return axis == 0 ? m_xMin : m_yMin; }
    SizeLimit& MinSize(int32_t axis) noexcept { return axis == 0 ? m_xMin : m_yMin; }
    const SizeLimit& MaxSize(int32_t axis) const noexcept { return axis == 0 ? m_xMax : m_yMax; }
    SizeLimit& MaxSize(int32_t axis) noexcept { return axis == 0 ? m_xMax : m_yMax; }

    bool clipToParent = true;
    int32_t zOrder = 0;
    int32_t tabStop = 0;
    bool visible = true;
    bool enabled = true;
    bool IsXDocked() const noexcept { return m_xPosition.docked != 0; }
    bool IsYDocked() const noexcept { return m_yPosition.docked != 0; }
    WString textDecoration;
    int32_t textOverflowX = kTextOverflowClip;
    int32_t textOverflowY = kTextOverflowClip;
    int32_t layoutOrder = 0;

protected:
    LLayoutDescriptor();
    ~LLayoutDescriptor() override;

private:
    AxisPlacement m_xPosition;
    AxisPlacement m_yPosition;
    SizeSpec m_xSize;
    SizeSpec m_ySize;
    SizeLimit m_xMin;
    SizeLimit m_yMin;
    SizeLimit m_xMax;
    SizeLimit m_yMax;
};

} // namespace KX
