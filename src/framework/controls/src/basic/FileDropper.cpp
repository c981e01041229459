// The file dropper: picked up by a press, moved by the drag, gone when the drag ends.
#include "kx/controls/FileDropper.h"

namespace KX {

LFileDropper::LFileDropper(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

KXRESULT LFileDropper::PostInitialize()
{
    SetNotFocusable(true);
    SetVisible(true);
    return S_OK;
}

void LFileDropper::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (param && (param->GetCurrentMask() & Condition::kLeftPressed) &&
        !(param->GetPreviousMask() & Condition::kLeftPressed)) {
        SetDragMode(DragMode::kDropMove, DragAxis::kBoth);
        SetInteractionMode(0);
    }
}

void LFileDropper::OnDragEnd()
{
    const RCPtr<LFileDropper> self(this);
    LControl::OnDragEnd();
    if (const RCPtr<LControl> parent = GetParent())
        parent->RemoveChildDeferred(RCPtr<LControl>(this));
}

} // namespace KX
