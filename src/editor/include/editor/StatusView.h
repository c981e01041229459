#pragma once
// The device view's status object: a shared object without state of its own whose identity stays
// the same for the life of the device view that made it. Main thread only.
#include "kx/RefCountedObject.h"

class LStatusView : public KX::LRefCountedObject {
public:
    LStatusView() = default;
    LStatusView(const LStatusView&) = delete;
    LStatusView& operator=(const LStatusView&) = delete;

protected:
    ~LStatusView() override;
};
