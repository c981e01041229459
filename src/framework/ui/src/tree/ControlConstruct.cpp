// Binding a control to its skin descriptor (first build and rebuild on a skin change), its font,
// its label, and the controls built from fixed skin names.
#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/RenderHost.h"
#include "kx/ui/Control.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/Look.h"

#include <cmath>
#include <exception>

namespace KX {

namespace {

ConstRCPtr<LFont>& DefaultFontSlot()
{
    static ConstRCPtr<LFont> font;
    return font;
}

double ClampToWindowRange(int32_t v)
{
    constexpr double kLimit = 4503599627370496.0; // 2^52
    return std::clamp(static_cast<double>(v), -kLimit, kLimit);
}

// A tip longer than this is cut, with an ellipsis: wrapping it costs more than linear time in its
// length, and more would not fit on a screen anyway.
constexpr unsigned kMaxToolTipLength = 256;

WString CutToolTipText(const WString& text)
{
    if (text.GetLength() <= kMaxToolTipLength)
        return text;
    unsigned keep = kMaxToolTipLength - 1;
    const char16_t last = text.GetString()[keep - 1];
    if (last >= 0xD800 && last <= 0xDBFF)
        --keep; // not half a surrogate pair
    return text.Left(keep) + WString(u"\u2026");
}

} // namespace

WString IControlHost::LookupString(const LControl& control, const WString& key)
{
    WString text;
    if (const RCPtr<LStringTable>& table = control.GetStringTable())
        table->Lookup(key, text);
    return text;
}

RCPtr<LControl> IControlHost::CreateSkinControl(const WString&, const RCPtr<LControl>&)
{
    return {};
}

double IControlHost::GetTime()
{
    return static_cast<double>(KX::GetTickTime()) / 1000.0;
}

uint32_t IControlHost::GetTickTime()
{
    return KX::GetTickTime();
}

ConstRCPtr<LFont> IControlHost::GetSkinDefaultFont()
{
    return {};
}

double GetAppTime()
{
    IControlHost* host = GetControlHost();
    return host ? host->GetTime() : static_cast<double>(KX::GetTickTime()) / 1000.0;
}

uint32_t GetAppTickTime()
{
    IControlHost* host = GetControlHost();
    return host ? host->GetTickTime() : KX::GetTickTime();
}

ConstRCPtr<LFont> LControl::GetDefaultFont()
{
    if (const ConstRCPtr<LFont>& set = DefaultFontSlot())
        return set;
    // The skin's font (face and size in the skin's own units), never the desktop's: its size
    // follows the desktop's font settings and would change every text the skin does not size.
    if (IControlHost* host = GetControlHost())
        if (ConstRCPtr<LFont> skin = host->GetSkinDefaultFont())
            return skin;
    // Without one, the application's default font through the render host.
    WString face;
    float size = 9.0f;
    int32_t style = 0;
    if (Failed(KX::GetDefaultFont(face, size, style)) || face.IsEmpty())
        return LFont::GetFont(WString(u"DejaVu Sans"), 9.0f, 0);
    return LFont::GetFont(face, size, style);
}

void LControl::SetDefaultFont(const ConstRCPtr<LFont>& font)
{
    DefaultFontSlot() = font;
}

KXRESULT LControl::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    // Keep the argument alive: it may be the member that is replaced below.
    const ConstRCPtr<LControlDescriptor> bound(descriptor);
    const bool rebuild = m_built != 0;
    bool wasVisible = true, wasEnabled = true;
    if (rebuild && m_layout) {
        wasVisible = m_layout->visible;
        wasEnabled = m_layout->enabled;
        // Releases the ancestors' unclipped counts before the new layout arrives.
        SetClipToParent(true);
    }
    m_descriptor.Set(bound);
    m_layout =
        bound && bound->GetLayout() ? LLayoutDescriptor::Clone(*bound->GetLayout()) : LLayoutDescriptor::Create();

    if (!m_parent && m_ownerWindow) {
        m_layout->visible = true;
        if (rebuild) {
            // Keep the window where it is: the new placement starts from the window's origin.
            const RectT<int32_t> client = m_ownerWindow->GetClientRect();
            const double origin[2] = {ClampToWindowRange(client.x), ClampToWindowRange(client.y)};
            RectT<double> rect{origin[0], origin[1], m_size.x, m_size.y};
            // The control may move or size the window before the new skin lays it out.
            if (ConfirmWindowRect(rect) == S_FALSE) {
                const RCPtr<IRootWindow> window(m_ownerWindow);
                window->SetClientRect(RectT<int32_t>{
                    static_cast<int32_t>(std::lround(rect.x)), static_cast<int32_t>(std::lround(rect.y)),
                    static_cast<int32_t>(std::lround(rect.width)), static_cast<int32_t>(std::lround(rect.height))});
            }
            for (int32_t axis = 0; axis < 2; ++axis) {
                m_layout->Position(axis).relative = 0.0f;
                m_layout->Position(axis).absolute = origin[axis];
                m_layout->Size(axis).relative = 0.0f;
                m_layout->Size(axis).absolute = axis == 0 ? m_size.x : m_size.y;
            }
        }
    }

    if (rebuild) {
        m_layout->enabled = wasEnabled;
        const bool visible = m_layout->visible;
        if (visible != wasVisible) {
            m_layout->visible = wasVisible;
            SetVisible(visible);
        }
        WString text;
        const ConstRCPtr<LStringTable>& params = bound ? bound->GetCreateParams() : ConstRCPtr<LStringTable>();
        if (params && params->Lookup(WString(u"NOT_FOCUSABLE"), text))
            SetNotFocusable(LControlDescriptor::CountsAsTrue(text));
        else
            SetNotFocusable(m_layout->tabStop < 0);
    }

    if (bound)
        RebuildLooks(*bound);

    const LSkinDescriptor* skin = bound ? bound->GetSkin().Get() : nullptr;
    m_fontInheritsFromParent = skin && skin->GetFontInheritsFromParent() ? 1 : 0;
    m_sizeIsRelative = skin && skin->GetFontSizeIsRelative() ? 1 : 0;
    m_bindingFirstTime = rebuild ? 0 : 1;
    if (skin)
        ApplyFontSpec(skin->GetFontName(), skin->GetFontSize(), skin->GetFontStyle(), skin->GetFontSizeIsRelative());
    else
        ApplyFontSpec(WString(), 0.0f, LSkinDescriptor::kNoFontStyle, false);
    m_bindingFirstTime = 0;

    if (!rebuild) {
        WString label;
        if (const RCPtr<LStringTable>& table = m_stringTable.Get())
            table->Lookup(WString(u"LABEL"), label);
        ApplyText(label, false);
    } else {
        // The stored text no longer equals the copy, so the new looks take it.
        const WString label = m_labelText;
        m_labelText += WString(u"~");
        ApplyText(label, false);
    }

    if (!m_layout->clipToParent && m_parent)
        m_parent->AddToUnclippedCounts(1);

    RCPtrArray<LControl> previous;
    for (uint32_t i = 0; i < m_children.GetCount(); ++i)
        previous.AddItem(RCPtr<LControl>(m_children.GetAt(i, kOrderInsertion)));
    m_children.RemoveAll();
    m_position = PointT<double>{};
    m_size = PointT<double>{};
    PerformLayout();

    if (!rebuild) {
        ShowLook(0, 1);
        // The record starts at the built mask, unannounced.
        m_conditions->Set(m_conditions->GetCurrentMask(), GetConditionFlags(), m_pressPoint);
    } else {
        if (bound)
            ReattachChildren(*bound, previous);
        PostInitialize();
        m_children.Touch();
        if (!m_parent && m_ownerWindow)
            FillRootWindow();
    }
    return S_OK;
}

bool LControl::BuildDeferredSubtree()
{
    if (!m_subtreeDeferred)
        return false;
    // Cleared first: the children's own look-ups of their parent find it as it is.
    m_subtreeDeferred = 0;
    const RCPtr<LControl> self(this);
    const ConstRCPtr<LControlDescriptor> descriptor(m_descriptor.Get());
    CreateChildren(descriptor);
    Initialize();
    PostInitialize();
    SetBuilt();
    return true;
}

void LControl::RebuildLooks(const LControlDescriptor& descriptor)
{
    m_looks.RemoveAll();
    const LSkinDescriptor* skin = descriptor.GetSkin().Get();
    const LookList* list = skin ? skin->GetLookList().Get() : nullptr;
    if (!list)
        return;
    const bool wrap = m_layout->textOverflowX == kTextOverflowWrap;
    for (uint32_t i = 0; i < list->GetCount(); ++i) {
        const ConstRCPtr<LLookDescriptor> entry(list->GetData()[i].Get());
        RCPtr<IControlLook> look;
        if (entry) {
            // A look whose parts cannot be made (a gradient the renderer does not fill) is left
            // out; its index stays, empty, so later looks keep theirs.
            try {
                look = RCPtr<IControlLook>(LLook::Create(entry, wrap));
            } catch (const std::exception& e) {
                DebugOut() << "Control " << m_name.ToNarrow().GetString() << ": look "
                           << entry->GetName().ToNarrow().GetString() << " skipped: " << e.what() << std::endl;
            }
        }
        AddLook(look);
    }
}

void LControl::ReattachChildren(const LControlDescriptor& descriptor, RCPtrArray<LControl>& previous)
{
    m_rebuildingChildren = 1;
    const RCPtrArray<LControlDescriptor>& subs = descriptor.GetChildren();
    for (uint32_t s = 0; s < subs.GetCount(); ++s) {
        const ConstRCPtr<LControlDescriptor> sub(subs.GetData()[s].Get());
        if (!sub)
            continue;
        RCPtr<LControl> match;
        for (uint32_t i = 0; i < previous.GetCount(); ++i) {
            LControl* candidate = previous.GetData()[i].Get();
            if (candidate && candidate->m_name == sub->GetName()) {
                match = RCPtr<LControl>(candidate);
                RCPtr<LControl> removed;
                previous.RemoveItem(i, removed);
                break;
            }
        }
        // A sub-control that only the new skin names is not created.
        AttachChild(match, sub);
        // One made when first shown that the new skin shows is made now, as showing it would.
        if (match && match->m_subtreeDeferred && match->m_parent.Get() == this && match->m_layout &&
            match->m_layout->visible)
            match->BuildDeferredSubtree();
    }
    // Children the new skin no longer names leave the tree.
    previous.RemoveAll();
    m_rebuildingChildren = 0;
    if (m_children.GetCount() > 0)
        PerformLayout();
    // Visibility or size the new skin gave is announced now.
    UpdateConditions();
}

void LControl::FillRootWindow()
{
    for (int32_t axis = 0; axis < 2; ++axis) {
        AxisPlacement& position = m_layout->Position(axis);
        position.anchor = 0.0f;
        position.kind = kPositionToClient;
        position.relative = 0.0f;
        position.absolute = 0.0;
        SizeSpec& size = m_layout->Size(axis);
        size.kind = kSizeToClient;
        size.relative = 1.0f;
        size.absolute = 0.0;
    }
    PerformLayout();
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout->clipToParent);
}

KXRESULT LControl::AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor)
{
    if (!child || !descriptor)
        return E_FAIL;
    const KXRESULT hr = child->SetParent(RCPtr<LControl>(this));
    child->CreateFromDescriptor(descriptor);
    return hr;
}

KXRESULT LControl::ApplyFontSpec(const WString& faceName, float size, int32_t style, bool sizeIsRelative)
{
    ConstRCPtr<LFont> base = m_fontInheritsFromParent && m_parent ? m_parent->m_font : ConstRCPtr<LFont>();
    if (!base)
        base = GetDefaultFont();
    if (!base)
        return E_FAIL;
    const bool faceInherited = faceName.IsEmpty();
    const bool sizeRelative = !(size > 0.0f) || sizeIsRelative;
    const bool styleInherited = style == LSkinDescriptor::kNoFontStyle;
    float scale = 1.0f;
    const WString face = faceInherited ? base->GetFaceName() : faceName;
    if (sizeRelative) {
        if (sizeIsRelative && size > 0.0f)
            scale = size;
        size = base->GetSize() * scale;
    }
    if (styleInherited)
        style = base->GetStyle();
    ConstRCPtr<LFont> font = base;
    if (!(face == base->GetFaceName() && size == base->GetSize() && style == base->GetStyle()))
        font = LFont::GetFont(face, size, style);
    if (!font)
        return E_FAIL;
    const KXRESULT hr = InstallFont(font);
    if (Failed(hr))
        return hr;
    m_faceInherited = faceInherited ? 1 : 0;
    m_sizeRelative = sizeRelative ? 1 : 0;
    m_styleInherited = styleInherited ? 1 : 0;
    m_sizeScale = scale;
    return hr;
}

KXRESULT LControl::ShowPopupMenu(const RCPtr<LMenuDescriptor>& menu)
{
    IControlHost* host = GetControlHost();
    if (!host)
        return S_OK;
    RCPtr<LControl> control = host->CreateSkinControl(WString(u"contextMenu"), RCPtr<LControl>(this));
    if (!control)
        return S_OK;
    IPopupMenuControl* popup = dynamic_cast<IPopupMenuControl*>(control.Get());
    if (!popup) {
        // Not a popup menu: it shows nothing and leaves the tree.
        control->SetParent(nullptr);
        return S_OK;
    }
    control->SetVisible(false);
    popup->ShowMenu(menu);
    popup->LetOwnerPrepare(*this);
    popup->PositionOnScreen();
    return S_OK;
}

KXRESULT LControl::ShowToolTip(bool show)
{
    if (!show) {
        if (IToolTipControl* tip = dynamic_cast<IToolTipControl*>(FindChild(WString(u"toolTip")).Get()))
            tip->Hide();
        return S_OK;
    }
    const WString text = GetToolTipText();
    IControlHost* host = GetControlHost();
    if (text.IsEmpty() || !host)
        return S_OK;
    RCPtr<LControl> control = host->CreateSkinControl(WString(u"toolTip"), RCPtr<LControl>(this));
    if (!control)
        return S_OK;
    control->SetText(CutToolTipText(text));
    if (IToolTipControl* tip = dynamic_cast<IToolTipControl*>(control.Get()))
        tip->ShowForControl(RCPtr<LControl>(this));
    else
        control->SetParent(nullptr);
    return S_OK;
}

} // namespace KX
