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

uint32_t SideMaskFromModifiers(uint32_t m) noexcept
{
    auto both = [m](uint32_t general, uint32_t side) { return (m & general) && (m & side); };
    uint32_t mask = 0;
    if (both(Modifier::kShift, Modifier::kLeftShift))
        mask |= 0x1;
    if (both(Modifier::kShift, Modifier::kRightShift))
        mask |= 0x2;
    if (both(Modifier::kCtrl, Modifier::kLeftCtrl))
        mask |= 0x4;
    if (both(Modifier::kCtrl, Modifier::kRightCtrl))
        mask |= 0x8;
    if (both(Modifier::kAlt, Modifier::kLeftAlt))
        mask |= 0x10;
    if (both(Modifier::kAlt, Modifier::kRightAlt))
        mask |= 0x20;
    if (both(Modifier::kWin, Modifier::kLeftWin))
        mask |= 0x40;
    if (both(Modifier::kWin, Modifier::kRightWin))
        mask |= 0x80;
    return mask;
}

KeyCodeWords KeyCodeFromCharacter(char16_t character, uint32_t m) noexcept
{
    uint32_t code = character;
    if (m & Modifier::kShift)
        code += 0x2000000;
    if (m & Modifier::kCtrl)
        code += 0x1000000;
    if (m & Modifier::kAlt)
        code += 0x4000000;
    if (m & Modifier::kWin)
        code += 0x8000000;
    if (m & Modifier::kExtra)
        code += 0x10000000;
    return KeyCodeWords{code, SideMaskFromModifiers(m), 0};
}

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

LKeyParam::LKeyParam(const KeyCodeWords& key, bool fromKeyboard) noexcept
    : m_key(key), m_fromKeyboard(fromKeyboard ? 1 : 0)
{
}
LKeyParam::~LKeyParam() = default;

RCPtr<LKeyParam> LKeyParam::Create(const KeyCodeWords& key, bool fromKeyboard)
{
    return RCPtr<LKeyParam>(new LKeyParam(key, fromKeyboard));
}

LSiblingKeyParam::LSiblingKeyParam(const KeyCodeWords& key, const RCPtr<LControl>& sender)
    : m_key(key), m_sender(sender)
{
}
LSiblingKeyParam::~LSiblingKeyParam() = default;

RCPtr<LSiblingKeyParam> LSiblingKeyParam::Create(const KeyCodeWords& key, const RCPtr<LControl>& sender)
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
