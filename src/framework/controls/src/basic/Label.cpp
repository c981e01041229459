// The label: out of the Tab order, and its clipped text as tool tip.
#include "kx/controls/Label.h"

namespace KX {

LLabel::LLabel(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

KXRESULT LLabel::PostInitialize()
{
    SetNotFocusable(true);
    return S_OK;
}

WString LLabel::GetToolTipText()
{
    if (IsTextClipped())
        return GetText();
    return LControl::GetToolTipText();
}

} // namespace KX
