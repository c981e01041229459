#pragma once
// One visual state of a control, built from a look description: laid out at the control's size it
// places its edge and corner parts, fills the area inside the client offsets, keeps the label in a
// text box, draws itself in three steps limited to the invalid rectangles, and answers the colour
// it shows at a point. It is what a control draws and hit-tests (IControlLook) and what the layout
// measures of its label (ILookLabel). UI thread only.
#include "kx/Array.h"
#include "kx/Font.h"
#include "kx/Geometry.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/Region.h"
#include "kx/Renderer.h"
#include "kx/StringT.h"
#include "kx/TextLayout.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/VisualPart.h"

#include <cstdint>

namespace KX {

class LLook : public IControlLook, public ILookLabel {
public:
    // A look bound to the description; it stays unlaid until SetSize.
    static RCPtr<LLook> Create(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap);

    LLook() = default;
    LLook(const LLook&) = delete;
    LLook& operator=(const LLook&) = delete;
    ~LLook() override;

    // Binds the look (again) and lays it out at the size it had; 0.
    KXRESULT SetDescriptor(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap);
    // Lays the look out for the control's size (negative sizes count as 0); true.
    bool SetSize(int32_t width, int32_t height) override;

    // The three drawing steps at the renderer's current origin (the control's corner), each
    // limited to the invalid region (root-window coordinates) and to the look's own region when
    // it has one. The label's offset is the content's scroll offset, subtracted from the lines.
    void DrawNonClientParts(const RCPtr<LRenderer>& renderer, const LRegion& invalid) override;
    void DrawClientArea(const RCPtr<LRenderer>& renderer, const LRegion& invalid) override;
    void DrawLabelText(const RCPtr<LRenderer>& renderer, const LRegion& invalid, PointT<double> offset) override;

    // ARGB at a point in look coordinates: non-client parts first, then the image part, then the
    // client part; kNoColorAtPoint (alpha 0) where nothing is shown.
    uint32_t GetColorAtPoint(PointT<int32_t> point) const override { return GetColorAtPoint(point.x, point.y); }
    uint32_t GetColorAtPoint(int32_t x, int32_t y) const;

    // A look covers its control: (0, 0, width, height).
    RectT<int32_t> GetRect() const override { return RectT<int32_t>{0, 0, m_size.x, m_size.y}; }
    // A rectangle the client area covers with opaque pixels whatever lies under it; false when
    // there is none to promise.
    bool GetOpaqueRect(RectT<int32_t>& out) const;
    // The client rectangle; false when the description has no client part.
    bool GetClientPartRect(RectT<double>& out) const override;
    // This look when it has a label, else null.
    ILookLabel* GetLabel() override { return m_fontText ? this : nullptr; }

    // The label as the layout measures it; only while GetLabel answers this look.
    const LLookDescriptor& GetDescriptor() const override { return *m_descriptor; }
    bool GetWordWrap() const override { return m_fontText && m_fontText->GetWordWrap(); }
    bool SetWordWrap(bool wrap) override { return m_fontText && m_fontText->SetWordWrap(wrap); }
    int32_t GetTextWidth() const override { return m_fontText ? m_fontText->GetTextWidth() : 0; }
    int32_t GetHeightForWidth(int32_t width) const override
    {
        return m_fontText ? m_fontText->GetHeightForWidth(width) : 0;
    }

    // 1 without label or when the text changed, 0 when it was equal.
    KXRESULT SetText(const WString& text) override;
    // 1 without label; else 1 when the layout was emptied, 0 when the font was the same.
    KXRESULT SetFont(const ConstRCPtr<LFont>& font) override;
    // Puts a bitmap over the client area (null takes it out): 0; 1 for null without an image.
    KXRESULT SetImage(const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType, bool replacesClientPart);

    // Null for a look made without one.
    const ConstRCPtr<LLookDescriptor>& GetLookDescriptor() const noexcept { return m_descriptor; }
    int32_t GetWidth() const noexcept { return m_size.x; }
    int32_t GetHeight() const noexcept { return m_size.y; }
    const RectT<int32_t>& GetClientRect() const noexcept { return m_clientRect; }
    const RectT<int32_t>& GetSavedClientRect() const noexcept { return m_savedClientRect; }
    // One rectangle and one part (may be null) per non-client part, in description order; placed
    // for the current size when first read after it changed.
    const Array<RectT<int32_t>>& GetPartRects() const
    {
        PlaceParts();
        return m_partRects;
    }
    const ConstRCPtrArray<LVisualPart>& GetParts() const
    {
        PlaceParts();
        return m_parts;
    }
    const ConstRCPtr<LVisualPart>& GetClientPart() const noexcept { return m_clientPart; }
    const ConstRCPtr<LVisualPart>& GetImagePart() const noexcept { return m_imagePart; }
    bool GetImageReplacesClientPart() const noexcept { return m_imageReplacesClientPart; }

    // The part whose colour paints the label; the control may replace it.
    const ConstRCPtr<LVisualPart>& GetTextForegroundPart() const noexcept { return m_textForegroundPart; }
    void SetTextForegroundPart(const ConstRCPtr<LVisualPart>& part) { m_textForegroundPart = part; }

    // The label; null when the description has no text properties.
    const RCPtr<LFontText>& GetFontText() const noexcept { return m_fontText; }
    const PointT<int32_t>& GetTextPosition() const noexcept { return m_textPosition; }

    // When not empty, drawing is limited to it (look coordinates).
    const LRegion& GetRegion() const noexcept { return m_region; }
    LRegion& GetRegion() override { return m_region; }
    void SetRegion(const LRegion& region) { m_region = region; }

    const ConstRCPtr<LStencil>& GetStencil() const noexcept { return m_stencil; }
    void SetStencil(const ConstRCPtr<LStencil>& stencil) { m_stencil = stencil; }

    // Set by every layout; the control clears it once it has taken the new bounds in.
    bool IsChanged() const noexcept { return m_changed; }
    void SetChanged(bool changed) noexcept { m_changed = changed; }

private:
    // Calls draw(overlap) for each usable rectangle of the region over target (look coordinates).
    template <class DrawFn>
    void WalkRegion(const RCPtr<LRenderer>& renderer, const LRegion& region, const RectT<double>& target,
                    DrawFn draw) const;
    RectT<int32_t> DockedPartRect(const LDockedPart& docked) const;
    // Places the non-client parts when the size changed since they were last placed.
    void PlaceParts() const
    {
        if (m_partsStale)
            PlacePartsNow();
    }
    void PlacePartsNow() const;

    ConstRCPtr<LLookDescriptor> m_descriptor;
    ConstRCPtr<LVisualPart> m_textForegroundPart;
    PointT<int32_t> m_size;
    RectT<int32_t> m_clientRect;
    mutable Array<RectT<int32_t>> m_partRects;
    mutable ConstRCPtrArray<LVisualPart> m_parts;
    mutable bool m_partsStale = false;
    ConstRCPtr<LVisualPart> m_clientPart;
    ConstRCPtr<LVisualPart> m_imagePart;
    bool m_imageReplacesClientPart = false;
    bool m_changed = true;
    bool m_unsupportedFillReported = false;
    RectT<int32_t> m_savedClientRect;
    ConstRCPtr<LStencil> m_stencil;
    RCPtr<LFontText> m_fontText;
    PointT<int32_t> m_textPosition;
    LRegion m_region;
};

} // namespace KX
