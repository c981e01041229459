#include "platform/gdi/Font.h"

#include "FontInternal.h"
#include "Handles.h"
#include "platform/posix/Utf.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace gdi::detail {

namespace {

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

uint16_t ClampU16(long value)
{
    return static_cast<uint16_t>(std::clamp<long>(value, 0, 65535));
}

cairo_user_data_key_t g_ftFaceKey;

void DoneFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

// Process-wide font state: the FreeType library, fontconfig, and caches of families and faces.
// Created on first use and kept for the life of the process.
class FontSystem {
public:
    static FontSystem& Get()
    {
        static FontSystem* system = new FontSystem;
        return *system;
    }

    std::shared_ptr<FamilyEntry> FindFamily(const std::string& utf8Name)
    {
        std::lock_guard lock(m_mutex);
        return FindFamilyLocked(utf8Name);
    }

    std::shared_ptr<FamilyEntry> SansSerif()
    {
        std::lock_guard lock(m_mutex);
        if (!m_sansLooked && m_fontconfig) {
            m_sansLooked = true;
            const FcPatternHandle pattern(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif")));
            if (pattern) {
                FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
                FcDefaultSubstitute(pattern.get());
                FcResult result;
                const FcPatternHandle match(FcFontMatch(nullptr, pattern.get(), &result));
                FcChar8* family = nullptr;
                if (match && FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch)
                    m_sans = FindFamilyLocked(reinterpret_cast<const char*>(family));
            }
        }
        return m_sans;
    }

    std::shared_ptr<FaceEntry> Face(FamilyEntry& family, int32_t style)
    {
        style &= 3;
        std::lock_guard lock(m_mutex);
        if (!family.looked[size_t(style)]) {
            family.looked[size_t(style)] = true;
            family.faces[size_t(style)] = MatchFace(family.name, style);
        }
        return family.faces[size_t(style)];
    }

private:
    FontSystem()
    {
        m_fontconfig = FcInit() == FcTrue;
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library) == 0)
            m_library.reset(library);
    }

    // The installed family of that name, or of a strongly bound alias of it (the metric-compatible
    // substitutes the configuration names, such as Liberation Sans for Arial); never a generic fallback.
    std::shared_ptr<FamilyEntry> FindFamilyLocked(const std::string& utf8Name)
    {
        if (utf8Name.empty() || !m_fontconfig)
            return nullptr;
        std::string key = AsciiLower(utf8Name);
        if (auto it = m_families.find(key); it != m_families.end())
            return it->second;

        std::vector<std::string> candidates{utf8Name};
        if (const FcPatternHandle pattern(FcPatternCreate()); pattern) {
            FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8Name.c_str()));
            FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
            FcValue value;
            FcValueBinding binding;
            for (int i = 0; FcPatternGetWithBinding(pattern.get(), FC_FAMILY, i, &value, &binding) == FcResultMatch;
                 ++i) {
                if (binding == FcValueBindingWeak)
                    break;
                if (value.type == FcTypeString)
                    candidates.emplace_back(reinterpret_cast<const char*>(value.u.s));
            }
        }

        std::shared_ptr<FamilyEntry> entry;
        for (const std::string& candidate : candidates) {
            std::string installed = InstalledFamily(candidate);
            if (installed.empty())
                continue;
            // Every spelling of a family shares one entry.
            std::string canonical = AsciiLower(installed);
            if (auto it = m_families.find(canonical); it != m_families.end() && it->second) {
                entry = it->second;
            } else {
                entry = std::make_shared<FamilyEntry>();
                entry->name = installed;
                m_families[canonical] = entry;
            }
            break;
        }
        m_families[key] = entry;
        return entry;
    }

    // The installed scalable family of exactly that name (letter case aside), as fontconfig spells it.
    std::string InstalledFamily(const std::string& utf8Name)
    {
        std::string key = AsciiLower(utf8Name), found;
        const FcPatternHandle pattern(FcPatternCreate());
        const FcObjectSetHandle objects(FcObjectSetBuild(FC_FAMILY, nullptr));
        if (pattern && objects) {
            FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8Name.c_str()));
            FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
            if (const FcFontSetHandle set(FcFontList(nullptr, pattern.get(), objects.get())); set) {
                for (int i = 0; i < set->nfont && found.empty(); ++i) {
                    FcChar8* name = nullptr;
                    for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n) {
                        if (AsciiLower(reinterpret_cast<const char*>(name)) == key) {
                            found = reinterpret_cast<const char*>(name);
                            break;
                        }
                    }
                }
            }
        }
        return found;
    }

    std::shared_ptr<FaceEntry> MatchFace(const std::string& familyName, int32_t style)
    {
        if (!m_library)
            return nullptr;
        bool bold = (style & FontStyleBold) != 0;
        bool italic = (style & FontStyleItalic) != 0;
        FcPatternHandle pattern(FcPatternCreate());
        if (!pattern)
            return nullptr;
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(familyName.c_str()));
        FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
        FcDefaultSubstitute(pattern.get());
        FcResult result;
        const FcPatternHandle match(FcFontMatch(nullptr, pattern.get(), &result));
        pattern.reset();
        if (!match)
            return nullptr;

        std::shared_ptr<FaceEntry> entry;
        FcChar8* file = nullptr;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        if (FcPatternGetString(match.get(), FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
            FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
            unsigned synth = 0;
            if (bold && weight < FC_WEIGHT_DEMIBOLD)
                synth |= CAIRO_FT_SYNTHESIZE_BOLD;
            if (italic && slant == FC_SLANT_ROMAN)
                synth |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
            entry = LoadFace(reinterpret_cast<const char*>(file), index, synth);
        }
        return entry;
    }

public:
    // A fresh cairo face of that file, face index and synthesis; null when it cannot be made.
    CairoFontFace NewCairoFace(const std::string& file, int index, unsigned synth)
    {
        std::lock_guard lock(m_mutex);
        return NewCairoFaceLocked(file, index, synth, nullptr);
    }

private:
    CairoFontFace NewCairoFaceLocked(const std::string& file, int index, unsigned synth, FaceEntry* metrics)
    {
        FT_Face loaded = nullptr;
        if (!m_library || FT_New_Face(m_library.get(), file.c_str(), index, &loaded) != 0)
            return nullptr;
        FtFace ft(loaded);
        if (ft->units_per_EM == 0)
            return nullptr;
        if (metrics)
            ReadMetrics(ft.get(), *metrics);
        CairoFontFace face(cairo_ft_font_face_create_for_ft_face(ft.get(), 0));
        if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS ||
            cairo_font_face_set_user_data(face.get(), &g_ftFaceKey, ft.get(), DoneFace) != CAIRO_STATUS_SUCCESS)
            return nullptr;
        ft.release(); // the cairo face frees it now
        cairo_ft_font_face_set_synthesize(face.get(), synth);
        return face;
    }

    std::shared_ptr<FaceEntry> LoadFace(const std::string& file, int index, unsigned synth)
    {
        auto key = std::make_tuple(file, index, synth);
        if (auto it = m_faces.find(key); it != m_faces.end())
            return it->second;

        auto entry = std::make_shared<FaceEntry>();
        entry->face = NewCairoFaceLocked(file, index, synth, entry.get());
        entry->file = file;
        entry->index = index;
        entry->synth = synth;
        if (!entry->face)
            entry.reset();
        m_faces[key] = entry;
        return entry;
    }

    static void ReadMetrics(FT_Face ft, FaceEntry& entry)
    {
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA));
        long hheaAscent = hhea ? hhea->Ascender : ft->ascender;
        long hheaDescent = hhea ? -long(hhea->Descender) : -long(ft->descender);
        long lineGap = hhea ? hhea->Line_Gap : std::max<long>(0, ft->height - (hheaAscent + hheaDescent));
        long ascent = hheaAscent, descent = hheaDescent;
        if (os2 && os2->version != 0xFFFF && long(os2->usWinAscent) + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        entry.em = ClampU16(ft->units_per_EM);
        entry.ascent = ClampU16(ascent);
        entry.descent = ClampU16(descent);
        entry.lineSpacing = ClampU16(std::max(ascent + descent, hheaAscent + hheaDescent + lineGap));
    }

    std::mutex m_mutex;
    bool m_fontconfig = false;
    FtLibrary m_library;
    std::unordered_map<std::string, std::shared_ptr<FamilyEntry>> m_families; // null: no such family
    std::shared_ptr<FamilyEntry> m_sans;
    bool m_sansLooked = false;
    std::map<std::tuple<std::string, int, unsigned>, std::shared_ptr<FaceEntry>> m_faces;
};

const cairo_font_options_t* TextOptions()
{
    static cairo_font_options_t* options = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        return o;
    }();
    return options;
}

} // namespace

FaceEntry::~FaceEntry() = default;

CairoScaledFont FaceEntry::ScaledFont(double pixels)
{
    constexpr size_t kSizesKept = 16;
    if (!(pixels > 0))
        return nullptr;
    pixels = std::min(pixels, kMaxEmPixels);
    std::lock_guard lock(m_mutex);
    if (!face)
        return nullptr;
    for (size_t i = m_scaled.size(); i-- > 0;)
        if (m_scaled[i].first == pixels)
            return CairoScaledFont(cairo_scaled_font_reference(m_scaled[i].second.get()));
    cairo_matrix_t fontMatrix, ctm;
    cairo_matrix_init_scale(&fontMatrix, pixels, pixels);
    cairo_matrix_init_identity(&ctm);
    CairoScaledFont scaled(cairo_scaled_font_create(face.get(), &fontMatrix, &ctm, TextOptions()));
    if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS) {
        // cairo keeps a face that once failed failed; a fresh one serves the sizes that work.
        if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS)
            if (CairoFontFace fresh = FontSystem::Get().NewCairoFace(file, index, synth))
                face = std::move(fresh);
        return nullptr;
    }
    if (m_scaled.size() == kSizesKept)
        m_scaled.erase(m_scaled.begin());
    CairoScaledFont reference(cairo_scaled_font_reference(scaled.get()));
    m_scaled.emplace_back(pixels, std::move(scaled));
    return reference;
}

} // namespace gdi::detail

namespace gdi {

using detail::FontSystem;

Status FontFamily::FromName(std::u16string_view name, FontFamily& out)
{
    out = FontFamily();
    auto entry = FontSystem::Get().FindFamily(platform::posix::ToUtf8Replacing(name));
    if (!entry)
        return Status::FontFamilyNotFound;
    out = FontFamily(std::move(entry));
    return Status::Ok;
}

Status FontFamily::GenericSansSerif(FontFamily& out)
{
    out = FontFamily();
    auto entry = FontSystem::Get().SansSerif();
    if (!entry)
        return Status::FontFamilyNotFound;
    out = FontFamily(std::move(entry));
    return Status::Ok;
}

std::u16string FontFamily::GetFamilyName() const
{
    return m_entry ? platform::posix::Utf8ToUtf16Replacing(m_entry->name) : std::u16string();
}

uint16_t FontFamily::GetEmHeight(int32_t style) const
{
    auto face = m_entry ? FontSystem::Get().Face(*m_entry, style) : nullptr;
    return face ? face->em : 0;
}

uint16_t FontFamily::GetCellAscent(int32_t style) const
{
    auto face = m_entry ? FontSystem::Get().Face(*m_entry, style) : nullptr;
    return face ? face->ascent : 0;
}

uint16_t FontFamily::GetCellDescent(int32_t style) const
{
    auto face = m_entry ? FontSystem::Get().Face(*m_entry, style) : nullptr;
    return face ? face->descent : 0;
}

uint16_t FontFamily::GetLineSpacing(int32_t style) const
{
    auto face = m_entry ? FontSystem::Get().Face(*m_entry, style) : nullptr;
    return face ? face->lineSpacing : 0;
}

Status Font::Create(const FontFamily& family, float emSize, int32_t style, Unit unit, Font& out)
{
    out = Font();
    if (!family.IsAvailable() || !(emSize > 0) || !std::isfinite(emSize))
        return Status::InvalidParameter;
    auto face = FontSystem::Get().Face(*family.m_entry, style);
    if (!face)
        return Status::FontStyleNotFound;
    auto impl = std::make_shared<detail::FontImpl>();
    impl->family = family;
    impl->face = std::move(face);
    impl->size = emSize;
    impl->style = style;
    impl->unit = unit;
    out.m_impl = std::move(impl);
    return Status::Ok;
}

FontFamily Font::GetFamily() const
{
    return m_impl ? m_impl->family : FontFamily();
}

float Font::GetSize() const
{
    return m_impl ? m_impl->size : 0.0f;
}

int32_t Font::GetStyle() const
{
    return m_impl ? m_impl->style : 0;
}

Unit Font::GetUnit() const
{
    return m_impl ? m_impl->unit : Unit::Point;
}

float Font::GetHeight(float dpi) const
{
    if (!m_impl)
        return 0.0f;
    const detail::FaceEntry& face = *m_impl->face;
    return float(m_impl->PixelSize(dpi) * face.lineSpacing / face.em);
}

Status StringFormat::SetMeasurableCharacterRanges(std::span<const CharacterRange> ranges)
{
    if (ranges.size() > 32)
        return Status::ValueOverflow;
    m_ranges.assign(ranges.begin(), ranges.end());
    return Status::Ok;
}

} // namespace gdi
