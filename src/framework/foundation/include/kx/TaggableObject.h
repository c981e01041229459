#pragma once
// A shared object that can carry a tag object.
#include "kx/RefCountedObject.h"

namespace KX {

class LTaggableObject : public virtual LRefCountedObject {
public:
    LTaggableObject() = default;
    ~LTaggableObject() override = default;

    const RCPtr<LRefCountedObject>& GetTag() const noexcept { return m_tag; }
    void SetTag(const RCPtr<LRefCountedObject>& tag) { m_tag = tag; }

private:
    RCPtr<LRefCountedObject> m_tag;
};

} // namespace KX
