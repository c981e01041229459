#pragma once
// The file dropper ("Framework.FileDropper"): a small framed box the user picks up with the
// left button and drags about; when the drag ends the box removes itself from its parent. It
// takes no files from the system. UI thread only.
#include "kx/ui/Control.h"

namespace KX {

class LFileDropper : public LControl {
public:
    LFileDropper(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    // The base's end of a moving drag, then the box leaves its parent (on its next idle pass).
    void OnDragEnd() override;
    // A new left press makes the next drag move the box on both axes.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Out of the Tab order and shown. 0.
    KXRESULT PostInitialize() override;

protected:
    ~LFileDropper() override = default;
};

} // namespace KX
