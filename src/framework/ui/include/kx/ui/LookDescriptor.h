#pragma once
// The description of one look (a visual state of a control): its client part, its edge and
// corner parts in drawing order, and the rectangle and colour of its label text. Built while the
// skin is read, then shared read-only. Main thread only.
#include "kx/Geometry.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/VisualPartDescriptor.h"

#include <cstdint>

namespace KX {

// Where a part is placed inside a look: offsets from the edges that are given, and an optional
// fixed size.
struct DockSpec {
    static constexpr uint32_t kLeft = 1;
    static constexpr uint32_t kTop = 2;
    static constexpr uint32_t kRight = 4;
    static constexpr uint32_t kBottom = 8;
    static constexpr uint32_t kAllEdges = kLeft | kTop | kRight | kBottom;

    uint32_t givenEdges = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0; // from the right edge; 0 or negative in practice
    int32_t bottom = 0;
    bool hasWidth = false;
    int32_t width = 0;
    bool hasHeight = false;
    int32_t height = 0;
};

// A visual part placed inside a look.
class LDockedPart : public virtual LRefCountedObject {
public:
    LDockedPart(const ConstRCPtr<LVisualPartDescriptor>& part, const DockSpec& dock) : m_part(part), m_dock(dock) {}
    ~LDockedPart() override;

    const ConstRCPtr<LVisualPartDescriptor>& GetPart() const noexcept { return m_part; }
    const DockSpec& GetDock() const noexcept { return m_dock; }
    // A new reference to the visual part of the part description (VisualPart.h); may be null.
    ConstRCPtr<LVisualPart> GetVisualPart() const;

private:
    ConstRCPtr<LVisualPartDescriptor> m_part;
    DockSpec m_dock;
};

// The label rectangle of a look: each edge a fraction of the look's size plus pixels, and the
// label's alignment inside it (0 left or top, 0.5 centre, 1 right or bottom).
struct LookTextProperties {
    float leftRel = 0.0f;
    int32_t leftAbs = 0;
    float rightRel = 0.0f;
    int32_t rightAbs = 0;
    float hAlign = 0.0f;
    float topRel = 0.0f;
    int32_t topAbs = 0;
    float bottomRel = 0.0f;
    int32_t bottomAbs = 0;
    float vAlign = 0.0f;
};

class LLookDescriptor : public virtual LRefCountedObject {
public:
    explicit LLookDescriptor(const WString& name) : m_name(name) {}
    ~LLookDescriptor() override;

    const WString& GetName() const noexcept { return m_name; }

    // Null when the look has no client part.
    const ConstRCPtr<LDockedPart>& GetClientPart() const noexcept { return m_clientPart; }
    KXRESULT SetClientPart(ConstRCPtr<LDockedPart> part);

    // Edge and corner parts in document (drawing) order; the reader appends with AddItem.
    const RCPtrArray<LDockedPart>& GetNonClientParts() const noexcept { return m_nonClientParts; }
    RCPtrArray<LDockedPart>& GetNonClientParts() noexcept { return m_nonClientParts; }

    // All zero until SetTextProperties.
    bool HasTextProperties() const noexcept { return m_hasTextProperties; }
    const LookTextProperties& GetTextProperties() const noexcept { return m_text; }
    // The part whose fill colours the label; null without text properties.
    const ConstRCPtr<LVisualPartDescriptor>& GetTextForegroundPart() const noexcept { return m_textForeground; }
    KXRESULT SetTextProperties(const LookTextProperties& text, ConstRCPtr<LVisualPartDescriptor> foreground);
    // The label box (x, y, width, height) for a look of that size, in float arithmetic; all zero
    // without text properties.
    RectT<float> GetTextRect(float width, float height) const noexcept;

    static const ConstRCPtr<LLookDescriptor>& Null() noexcept;

private:
    WString m_name;
    ConstRCPtr<LDockedPart> m_clientPart;
    RCPtrArray<LDockedPart> m_nonClientParts;
    bool m_hasTextProperties = false;
    LookTextProperties m_text;
    ConstRCPtr<LVisualPartDescriptor> m_textForeground;
};

// The looks of a control by look index; entries may stay null. Shared by every skin that names it.
using LookList = LRCPtrArray<LLookDescriptor, 1, 0>;

} // namespace KX
