#pragma once
// The description of one control of the skin (or of a skin's root): class name, name, children,
// appearance, layout and create parameters, and the cached create function of its class. Built
// while the skin is read, then shared read-only. Main thread only.
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/SkinDescriptor.h"
#include "kx/ui/StringTable.h"

namespace KX {

class LControl;
class LControlDescriptor;

// Creates a control of one class: stores the new control in out and returns out.
using ControlCreateFunction = RCPtr<LControl>& (*)(RCPtr<LControl>& out, RCPtr<LControl>& parent,
                                                   ConstRCPtr<LControlDescriptor>& descriptor);

class LControlDescriptor : public virtual LRefCountedObject {
public:
    // Keeps the parent's address only: a child never keeps its parent alive.
    LControlDescriptor(WString className, WString name, ConstRCPtr<LControlDescriptor> parent);
    ~LControlDescriptor() override;

    // "Application" for the root of a skin.
    const WString& GetClassName() const noexcept { return m_className; }
    const WString& GetName() const noexcept { return m_name; }
    // Null for the root of a skin.
    const LControlDescriptor* GetParent() const noexcept { return m_parent; }

    // Below a control in ascending LayoutOrder, below a skin root in document order.
    const RCPtrArray<LControlDescriptor>& GetChildren() const noexcept { return m_children; }
    RCPtrArray<LControlDescriptor>& GetChildren() noexcept { return m_children; }
    // The new child's index, or a negative result when the array cannot grow.
    int32_t AddChild(ConstRCPtr<LControlDescriptor> child);

    // Null until set.
    const ConstRCPtr<LSkinDescriptor>& GetSkin() const noexcept { return m_skin; }
    KXRESULT SetSkin(ConstRCPtr<LSkinDescriptor> skin);
    const ConstRCPtr<LStringTable>& GetCreateParams() const noexcept { return m_createParams; }
    KXRESULT SetCreateParams(ConstRCPtr<LStringTable> params);
    // A create parameter's text counts as true when, lower-cased and trimmed of blanks, tabs and
    // line ends, it reads "true".
    static bool CountsAsTrue(const WString& text);
    // The "DEFER_CREATE" parameter counts as true: the parent does not create this control.
    bool IsDeferCreate() const;

    // Null until set.
    const ConstRCPtr<LLayoutDescriptor>& GetLayout() const noexcept { return m_layout; }
    // The one write after the skin is read: creation by name marks the layout visible.
    LLayoutDescriptor* GetLayoutForUpdate() const noexcept { return const_cast<LLayoutDescriptor*>(m_layout.Get()); }
    KXRESULT SetLayout(ConstRCPtr<LLayoutDescriptor> layout);

    // The class's create function once the factory has looked it up; null before.
    ControlCreateFunction GetCreateFunction() const noexcept { return m_createFunction; }
    void SetCreateFunction(ControlCreateFunction function) const noexcept { m_createFunction = function; }

    // A new descriptor with the same class name, name and parent, the same child references,
    // the same skin, layout and create parameters, and the cached create function.
    KXRESULT Copy(RCPtr<LControlDescriptor>& out) const;
    // For a copy that becomes a generated control.
    void SetName(const WString& name) { m_name = name; }

    static const ConstRCPtr<LControlDescriptor>& Null() noexcept;

private:
    WString m_className;
    WString m_name;
    const LControlDescriptor* m_parent;
    RCPtrArray<LControlDescriptor> m_children;
    ConstRCPtr<LSkinDescriptor> m_skin;
    ConstRCPtr<LLayoutDescriptor> m_layout;
    ConstRCPtr<LStringTable> m_createParams;
    mutable ControlCreateFunction m_createFunction = nullptr;
};

} // namespace KX
