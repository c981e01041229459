#pragma once
// Font families (found through fontconfig), fonts and string formats.
#include "platform/gdi/Types.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gdi {

namespace detail {
struct FamilyEntry;
struct FontImpl;
} // namespace detail

// An installed font family. Copies share the same family.
class FontFamily {
public:
    FontFamily() = default;

    // The installed family of that name (letter case ignored); FontFamilyNotFound when there is none.
    static Status FromName(std::u16string_view name, FontFamily& out);
    // The system's generic sans-serif family.
    static Status GenericSansSerif(FontFamily& out);

    bool IsAvailable() const { return m_entry != nullptr; }
    std::u16string GetFamilyName() const;

    // Design metrics of the family's face for a style, in font units, read from the font's tables:
    // the em square, the ascent and descent of the cell (Windows metrics of the OS/2 table when
    // present), and the distance between baselines.
    uint16_t GetEmHeight(int32_t style) const;
    uint16_t GetCellAscent(int32_t style) const;
    uint16_t GetCellDescent(int32_t style) const;
    uint16_t GetLineSpacing(int32_t style) const;

    friend bool operator==(const FontFamily& a, const FontFamily& b) { return a.m_entry == b.m_entry; }

private:
    friend class Font;
    explicit FontFamily(std::shared_ptr<detail::FamilyEntry> entry) : m_entry(std::move(entry)) {}

    std::shared_ptr<detail::FamilyEntry> m_entry;
};

// A family at a size and style. Copies share the same font. Style bits beyond bold and italic are ignored.
class Font {
public:
    Font() = default;

    static Status Create(const FontFamily& family, float emSize, int32_t style, Unit unit, Font& out);

    bool IsAvailable() const { return m_impl != nullptr; }
    FontFamily GetFamily() const;
    float GetSize() const;
    int32_t GetStyle() const;
    Unit GetUnit() const;
    // Line spacing in pixels at `dpi` (a point-sized font grows with the resolution).
    float GetHeight(float dpi) const;

private:
    friend class Graphics;
    std::shared_ptr<detail::FontImpl> m_impl;
};

struct CharacterRange {
    int32_t first = 0;
    int32_t length = 0;
};

enum StringFormatFlags : int32_t {
    // Spaces at the end of a line count when measuring.
    StringFormatFlagsMeasureTrailingSpaces = 0x800,
};

enum class StringTrimming : uint8_t { None, Character, Word };

// Options of text drawing and measuring. As in GDI+, text begins one sixth of the em size right
// of the layout rectangle's left edge.
class StringFormat {
public:
    explicit StringFormat(int32_t flags = 0) : m_flags(flags) {}

    int32_t GetFormatFlags() const { return m_flags; }
    Status SetFormatFlags(int32_t flags)
    {
        m_flags = flags;
        return Status::Ok;
    }
    StringTrimming GetTrimming() const { return m_trimming; }
    Status SetTrimming(StringTrimming trimming)
    {
        m_trimming = trimming;
        return Status::Ok;
    }
    // At most 32 ranges.
    Status SetMeasurableCharacterRanges(std::span<const CharacterRange> ranges);
    const std::vector<CharacterRange>& GetMeasurableCharacterRanges() const { return m_ranges; }

private:
    int32_t m_flags;
    StringTrimming m_trimming = StringTrimming::Character;
    std::vector<CharacterRange> m_ranges;
};

} // namespace gdi
