#pragma once
// What a control needs of one of its looks to draw and hit-test itself. The look class
// implements it. UI thread only.
#include "kx/Geometry.h"
#include "kx/RefCountedObject.h"
#include "kx/Region.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class LRenderer;
class LFont;
class LLookDescriptor;

// A look's label as the layout measures it (the look's font text and its description's text
// edges), so that a label text can widen or heighten its control.
class ILookLabel {
public:
    virtual ~ILookLabel() = default;
    // The description whose text edges give the text box.
    virtual const LLookDescriptor& GetDescriptor() const = 0;
    virtual bool GetWordWrap() const = 0;
    // True when the flag changed.
    virtual bool SetWordWrap(bool wrap) = 0;
    // The widest line without wrapping, in whole pixels.
    virtual int32_t GetTextWidth() const = 0;
    // Line height times the number of lines the text takes at that width.
    virtual int32_t GetHeightForWidth(int32_t width) const = 0;
};

class IControlLook : public virtual LRefCountedObject {
public:
    // The look's rectangle (x, y, width, height) in the control's coordinates.
    virtual RectT<int32_t> GetRect() const = 0;
    // The client part in the look's own coordinates; false when the look has none (the whole
    // look rectangle counts).
    virtual bool GetClientPartRect(RectT<double>& out) const = 0;
    // The look's cached region (emptied by the control's look-region operations).
    virtual LRegion& GetRegion() = 0;

    // Drawing at the renderer's current origin (the control's corner); invalid is in root-window
    // coordinates.
    virtual void DrawClientArea(const RCPtr<LRenderer>& renderer, const LRegion& invalid) = 0;
    virtual void DrawNonClientParts(const RCPtr<LRenderer>& renderer, const LRegion& invalid) = 0;
    virtual void DrawLabelText(const RCPtr<LRenderer>& renderer, const LRegion& invalid, PointT<double> origin) = 0;
    // 32-bit ARGB at a point in the control's coordinates; 0x00FFFFFF outside every part.
    virtual uint32_t GetColorAtPoint(PointT<int32_t> point) const = 0;
    // The label the layout measures; null when the look has no font text.
    virtual ILookLabel* GetLabel() { return nullptr; }

    // What the control's setters hand on to each look (its size, label text and font). A look
    // without layout or label takes them and does nothing: true, S_FALSE.
    virtual bool SetSize(int32_t /*width*/, int32_t /*height*/) { return true; }
    virtual KXRESULT SetText(const WString& /*text*/) { return S_FALSE; }
    virtual KXRESULT SetFont(const ConstRCPtr<LFont>& /*font*/) { return S_FALSE; }

protected:
    ~IControlLook() override = default;
};

} // namespace KX
