#include "kx/ui/ParamRecords.h"

#include "kx/ui/Control.h"

namespace KX {

#define KX_DEFINE_POOLED_RECORD(Class)                                                                                 \
    ReuseAllocator<Class, 4>& Class::GetAllocator()                                                                    \
    {                                                                                                                  \
        /* Never destroyed: a record may be released while the process exits. */                                       \
        static auto* allocator = new ReuseAllocator<Class, 4>(true);                                                   \
        return *allocator;                                                                                             \
    }                                                                                                                  \
    void* Class::operator new(std::size_t size)                                                                        \
    {                                                                                                                  \
        return GetAllocator().Allocate(static_cast<uint32_t>(size));                                                   \
    }                                                                                                                  \
    void Class::operator delete(void* p) noexcept                                                                      \
    {                                                                                                                  \
        GetAllocator().Free(p);                                                                                        \
    }

KX_DEFINE_POOLED_RECORD(LPointWithModifiersParam)
KX_DEFINE_POOLED_RECORD(LMouseButtonParam)
KX_DEFINE_POOLED_RECORD(LValueParam)
KX_DEFINE_POOLED_RECORD(LConditionsParam)

RCPtr<LPointParam> LPointParam::Create(int32_t x, int32_t y)
{
    return RCPtr<LPointParam>(new LPointParam(PointT<int32_t>{x, y}));
}

RCPtr<LPointWithModifiersParam> LPointWithModifiersParam::Create(PointT<int32_t> point, uint32_t modifiers)
{
    return RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(point, modifiers));
}

RCPtr<LMouseButtonParam> LMouseButtonParam::Create(uint32_t button, PointT<int32_t> point, uint32_t modifiers,
                                                   bool doubleClick, uint32_t pressedButtons)
{
    return RCPtr<LMouseButtonParam>(new LMouseButtonParam(button, point, modifiers, doubleClick, pressedButtons));
}

LKeyParam::LKeyParam(const KeyCode& key, bool fromKeyboard) noexcept : m_key(key), m_fromKeyboard(fromKeyboard ? 1 : 0)
{
}
LKeyParam::~LKeyParam() = default;

RCPtr<LKeyParam> LKeyParam::Create(const KeyCode& key, bool fromKeyboard)
{
    return RCPtr<LKeyParam>(new LKeyParam(key, fromKeyboard));
}

LSiblingKeyParam::LSiblingKeyParam(const KeyCode& key, const RCPtr<LControl>& sender) : m_key(key), m_sender(sender) {}
LSiblingKeyParam::~LSiblingKeyParam() = default;

RCPtr<LSiblingKeyParam> LSiblingKeyParam::Create(const KeyCode& key, const RCPtr<LControl>& sender)
{
    return RCPtr<LSiblingKeyParam>(new LSiblingKeyParam(key, sender));
}

RCPtr<LValueParam> LValueParam::Create(double normalized, double mapped)
{
    return RCPtr<LValueParam>(new LValueParam(normalized, mapped));
}

RCPtr<LConditionsParam> LConditionsParam::Create(uint32_t previous, uint32_t current, PointT<double> point)
{
    return RCPtr<LConditionsParam>(new LConditionsParam(previous, current, point));
}

LMenuItemUpdater::LMenuItemUpdater(const RCPtr<LControl>& control) : m_control(control) {}
LMenuItemUpdater::~LMenuItemUpdater() = default;

void LMenuItemUpdater::ClearControl()
{
    m_control = nullptr;
}

} // namespace KX
