#include "kx/Font.h"

#include "kx/RenderHost.h"
#include "kx/Renderer.h"

namespace KX {

namespace {

int32_t g_lastFontID = 0;
// Set once the list has been destroyed at process exit; fonts still held elsewhere then no
// longer look for it.
bool g_fontListGone = false;

struct FontListHolder {
    LFont::FontList list;
    ~FontListHolder()
    {
        // The list's references stop being internal before it lets go of them.
        for (uint32_t i = 0; i < list.GetCount(); ++i) {
            if (const LFont* font = list.ElementAt(i).Get())
                const_cast<LFont*>(font)->AddToRefCount(-1);
        }
        g_fontListGone = true;
        list.SetSize(0);
    }
};

bool SameFace(const WString& a, const WString& b)
{
    return a.GetString() == b.GetString() || TextCompareNoCase(a.GetString(), b.GetString()) == 0;
}

} // namespace

LFont::FontList& LFont::GetFontList()
{
    static FontListHolder holder;
    return holder.list;
}

LFont::LFont(const WString& faceName, float size, int32_t style)
    : m_faceName(faceName), m_size(size), m_style(style), m_uniqueID(++g_lastFontID)
{
}

LFont::~LFont() = default;

int32_t LFont::FindFont(const WString& faceName, float size, int32_t style)
{
    const FontList& list = GetFontList();
    for (uint32_t i = list.GetCount(); i-- > 0;) {
        const LFont* font = list.ElementAt(i).Get();
        if (font && SameFace(font->m_faceName, faceName) && font->m_size == size && font->m_style == style)
            return static_cast<int32_t>(i);
    }
    return -1;
}

ConstRCPtr<LFont> LFont::GetFont(const WString& faceName, float size, int32_t style)
{
    FontList& list = GetFontList();
    const int32_t index = FindFont(faceName, size, style);
    if (index >= 0)
        return ConstRCPtr<LFont>(list.ElementAt(static_cast<uint32_t>(index)));
    RCPtr<LFont> font(new LFont(faceName, size, style));
    list.AddItem(font);
    font->AddToRefCount(1);
    return font;
}

KXRESULT LFont::ReleaseInternalReferences()
{
    if (g_fontListGone)
        return E_FAIL;
    FontList& list = GetFontList();
    // Searched by identity: a size that never compares equal to itself (not a number) must not
    // keep the font in the list for ever.
    for (uint32_t i = list.GetCount(); i-- > 0;) {
        if (list.ElementAt(i).Get() == this) {
            AddToRefCount(-1);
            RCPtr<LFont> removed;
            list.RemoveItem(i, removed);
            return S_OK;
        }
    }
    return E_FAIL;
}

void LFont::Measure() const
{
    if (m_height >= 0)
        return;
    const ConstRCPtr<LMeasurementRenderer> measurer = KX::GetMeasurementRenderer();
    if (!measurer)
        return;
    measurer->GetFontMetrics(ConstRCPtr<LFont>(this), m_height, m_ascent, m_descent);
}

int32_t LFont::GetHeight() const
{
    Measure();
    return m_height;
}

int32_t LFont::GetAscent() const
{
    Measure();
    return m_ascent;
}

int32_t LFont::GetDescent() const
{
    Measure();
    return m_descent;
}

} // namespace KX
