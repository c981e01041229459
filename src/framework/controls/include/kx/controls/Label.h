#pragma once
// The static text or image control ("Framework.Label"): never in the Tab order, and its own text
// as tool tip while the text is clipped. UI thread only.
#include "kx/ui/Control.h"

namespace KX {

class LLabel : public LControl {
public:
    LLabel(const RCPtr<LControl>& parent, const WString& name);

    // Leaves the Tab order, whatever the skin's TabStop. 0.
    KXRESULT PostInitialize() override;
    // The label text while it does not fit its look's text area, else the control's tool tip.
    WString GetToolTipText() override;

protected:
    ~LLabel() override = default;
};

} // namespace KX
