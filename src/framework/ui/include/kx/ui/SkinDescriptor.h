#pragma once
// The appearance of one control as the skin gives it (its look list and font settings), or, for
// a skin's root, the skin's name and default font. Built while the skin is read, then shared
// read-only. Main thread only.
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/LookDescriptor.h"

#include <cstdint>

namespace KX {

class LSkinDescriptor : public virtual LRefCountedObject {
public:
    // FontStyle when none was given.
    static constexpr int32_t kNoFontStyle = -1;

    explicit LSkinDescriptor(const WString& name) : m_name(name) {}
    ~LSkinDescriptor() override;

    const WString& GetName() const noexcept { return m_name; }

    // Null when the skin names no (known) look list.
    const ConstRCPtr<LookList>& GetLookList() const noexcept { return m_lookList; }
    void SetLookList(const ConstRCPtr<LookList>& list) { m_lookList = list; }

    bool GetFontInheritsFromParent() const noexcept { return m_fontInheritsFromParent; }
    void SetFontInheritsFromParent(bool value) noexcept { m_fontInheritsFromParent = value; }
    bool GetFontSizeIsRelative() const noexcept { return m_fontSizeIsRelative; }
    void SetFontSizeIsRelative(bool value) noexcept { m_fontSizeIsRelative = value; }
    // Already translated through the skin's font table.
    const WString& GetFontName() const noexcept { return m_fontName; }
    void SetFontName(const WString& name) { m_fontName = name; }
    float GetFontSize() const noexcept { return m_fontSize; }
    void SetFontSize(float size) noexcept { m_fontSize = size; }
    int32_t GetFontStyle() const noexcept { return m_fontStyle; }
    void SetFontStyle(int32_t style) noexcept { m_fontStyle = style; }

    static const ConstRCPtr<LSkinDescriptor>& Null() noexcept;

private:
    WString m_name;
    ConstRCPtr<LookList> m_lookList;
    bool m_fontInheritsFromParent = false;
    bool m_fontSizeIsRelative = false;
    WString m_fontName;
    float m_fontSize = 0.0f;
    int32_t m_fontStyle = kNoFontStyle;
};

} // namespace KX
