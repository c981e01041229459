#pragma once
// The parameter records that controls send with their notifications, and the menu-item updater
// a control hands to its menus. Pointer, button, value and condition records come from per-class
// reuse pools (thread-safe); the others from the heap.
#include "kx/Geometry.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/ReusePool.h"

#include "kx/ui/KeyCode.h"

#include <cstddef>
#include <cstdint>

namespace KX {

class LControl;

// Mouse buttons (also the pressed-button bits).
inline constexpr uint32_t kMouseButtonLeft = 1;
inline constexpr uint32_t kMouseButtonMiddle = 2;
inline constexpr uint32_t kMouseButtonRight = 4;

// Declares the pooled allocation of a record class.
#define KX_POOLED_RECORD(Class)                                                                                        \
public:                                                                                                                \
    static ReuseAllocator<Class, 4>& GetAllocator();                                                                   \
    static void* operator new(std::size_t size);                                                                       \
    static void operator delete(void* p) noexcept;

class LPointParam : public virtual LRefCountedObject {
public:
    static RCPtr<LPointParam> Create(int32_t x, int32_t y);
    const PointT<int32_t>& GetPoint() const noexcept { return m_point; }

protected:
    explicit LPointParam(PointT<int32_t> point) noexcept : m_point(point) {}
    ~LPointParam() override = default;

private:
    PointT<int32_t> m_point;
};

class LPointWithModifiersParam : public LPointParam {
    KX_POOLED_RECORD(LPointWithModifiersParam)
public:
    static RCPtr<LPointWithModifiersParam> Create(PointT<int32_t> point, uint32_t modifiers);
    uint32_t GetModifiers() const noexcept { return m_modifiers; }

protected:
    LPointWithModifiersParam(PointT<int32_t> point, uint32_t modifiers) noexcept
        : LPointParam(point), m_modifiers(modifiers)
    {
    }
    ~LPointWithModifiersParam() override = default;

private:
    uint32_t m_modifiers;
};

class LMouseButtonParam : public LPointWithModifiersParam {
    KX_POOLED_RECORD(LMouseButtonParam)
public:
    static RCPtr<LMouseButtonParam> Create(uint32_t button, PointT<int32_t> point, uint32_t modifiers, bool doubleClick,
                                           uint32_t pressedButtons);
    uint32_t GetButton() const noexcept { return m_button; }
    // A press: whether it is a double-click; a release: whether the press it ends was one.
    bool IsDoubleClick() const noexcept { return m_doubleClick != 0; }
    uint32_t GetPressedButtons() const noexcept { return m_pressedButtons; }

protected:
    LMouseButtonParam(uint32_t button, PointT<int32_t> point, uint32_t modifiers, bool doubleClick,
                      uint32_t pressedButtons) noexcept
        : LPointWithModifiersParam(point, modifiers), m_button(button), m_doubleClick(doubleClick ? 1 : 0),
          m_pressedButtons(pressedButtons)
    {
    }
    ~LMouseButtonParam() override = default;

private:
    uint32_t m_button;
    uint8_t m_doubleClick;
    uint32_t m_pressedButtons;
};

class LKeyParam : public virtual LRefCountedObject {
public:
    static RCPtr<LKeyParam> Create(const KeyCode& key, bool fromKeyboard);
    const KeyCode& GetKey() const noexcept { return m_key; }
    bool IsFromKeyboard() const noexcept { return m_fromKeyboard != 0; }
    // The controls the key passed through; each appends itself before passing it up.
    RCPtrArray<LControl>& GetRoute() noexcept { return m_route; }

protected:
    LKeyParam(const KeyCode& key, bool fromKeyboard) noexcept;
    ~LKeyParam() override;

private:
    KeyCode m_key;
    uint8_t m_fromKeyboard;
    RCPtrArray<LControl> m_route;
};

class LSiblingKeyParam : public virtual LRefCountedObject {
public:
    static RCPtr<LSiblingKeyParam> Create(const KeyCode& key, const RCPtr<LControl>& sender);
    const KeyCode& GetKey() const noexcept { return m_key; }
    const RCPtr<LControl>& GetSender() const noexcept { return m_sender; }
    // -1 until a receiver handles the key and sets 0.
    int32_t GetResult() const noexcept { return m_result; }
    void SetResult(int32_t result) noexcept { m_result = result; }

protected:
    LSiblingKeyParam(const KeyCode& key, const RCPtr<LControl>& sender);
    ~LSiblingKeyParam() override;

private:
    KeyCode m_key;
    RCPtr<LControl> m_sender;
    int32_t m_result = -1;
};

class LValueParam : public virtual LRefCountedObject {
    KX_POOLED_RECORD(LValueParam)
public:
    static RCPtr<LValueParam> Create(double normalized, double mapped);
    double GetNormalizedValue() const noexcept { return m_normalized; }
    double GetMappedValue() const noexcept { return m_mapped; }

protected:
    LValueParam(double normalized, double mapped) noexcept : m_normalized(normalized), m_mapped(mapped) {}
    ~LValueParam() override = default;

private:
    double m_normalized;
    double m_mapped;
};

// A control keeps one and rewrites it on every condition change.
class LConditionsParam : public virtual LRefCountedObject {
    KX_POOLED_RECORD(LConditionsParam)
public:
    static RCPtr<LConditionsParam> Create(uint32_t previous, uint32_t current, PointT<double> point);
    uint32_t GetPreviousMask() const noexcept { return m_previous; }
    uint32_t GetCurrentMask() const noexcept { return m_current; }
    const PointT<double>& GetPoint() const noexcept { return m_point; }
    void Set(uint32_t previous, uint32_t current, PointT<double> point) noexcept
    {
        m_previous = previous;
        m_current = current;
        m_point = point;
    }

protected:
    LConditionsParam(uint32_t previous, uint32_t current, PointT<double> point) noexcept
        : m_previous(previous), m_current(current), m_point(point)
    {
    }
    ~LConditionsParam() override = default;

private:
    uint32_t m_previous;
    uint32_t m_current;
    PointT<double> m_point;
};

// Handed to menus, which ask its control's GetMenuItemState. The control counts the updater's
// reference back to it as internal.
class LMenuItemUpdater : public virtual LRefCountedObject {
public:
    explicit LMenuItemUpdater(const RCPtr<LControl>& control);
    const RCPtr<LControl>& GetControl() const noexcept { return m_control; }
    // Drops the link to the control (its release step).
    void ClearControl();

protected:
    ~LMenuItemUpdater() override;

private:
    RCPtr<LControl> m_control;
};

} // namespace KX
