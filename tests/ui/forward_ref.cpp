// The holder for references to classes that are incomplete where the holder is destroyed.
#include "kx/ui/ForwardRef.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {
class Held : public virtual LRefCountedObject {
public:
    explicit Held(int* deaths) : m_deaths(deaths) {}
    ~Held() override { ++*m_deaths; }

private:
    int* m_deaths;
};
} // namespace

TEST(ControlForwardRef, HoldsOneReferenceAndReleasesItThroughTheSharedBase)
{
    int deaths = 0;
    RCPtr<Held> object(new Held(&deaths));
    {
        ForwardRef<RCPtr<Held>> ref;
        EXPECT_FALSE(ref);
        EXPECT_FALSE(ref.Get());
        ref.Set(object);
        ref.Set(object); // the same object: no second reference
        EXPECT_EQ(object->GetRefCount(), 2);
        EXPECT_EQ(ref.Get().Get(), object.Get());
        RCPtr<Held> copy = ref.Get(); // reads give an ordinary pointer
        EXPECT_EQ(object->GetRefCount(), 3);
        copy = nullptr;
        ref.Reset();
        EXPECT_EQ(object->GetRefCount(), 1);
        ref.Set(object);
    }
    EXPECT_EQ(object->GetRefCount(), 1);
    object = nullptr;
    EXPECT_EQ(deaths, 1);

    ForwardRef<ConstRCPtr<Held>> last;
    last.Set(ConstRCPtr<Held>(new Held(&deaths)));
    last.Set(nullptr);
    EXPECT_EQ(deaths, 2);
}
