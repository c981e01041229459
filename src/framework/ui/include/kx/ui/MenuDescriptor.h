#pragma once
// The menu model: a tree of shared menu descriptors whose items are descriptors of their own
// sub-menus, the parser that builds one from string-table entries, the state record that owners
// fill in and the parameter of an item's activation. UI thread only.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/Pair.h"
#include "kx/RCPtrArray.h"
#include "kx/RefCountedObject.h"
#include "kx/ReusePool.h"
#include "kx/StringT.h"
#include "kx/TaggableObject.h"

#include <cstddef>
#include <cstdint>

namespace KX {

class LMenuItemDescriptor;

// What an owner says about one item before the menu is seen.
struct LMenuItemState {
    uint8_t enabled = 0;
    uint8_t checked = 0;
    WString label;

    bool operator==(const LMenuItemState& other) const
    {
        return enabled == other.enabled && checked == other.checked && label == other.label;
    }
};

class LMenuDescriptor : public LTaggableObject {
public:
    using Entries = IArray<Pair<WString, WString>>;

    // Limits of one parse: deeper sub-menu nesting and items past the budget are left out, so
    // hostile tables cannot recurse or grow without end.
    static constexpr uint32_t kMaxDepth = 32;
    static constexpr uint32_t kMaxItems = 4096;

    static RCPtr<LMenuDescriptor> Create();

    // Builds a menu from (key, text) pairs in ascending key order with the menu prefix cut off.
    // "NN.ID" is a top-level entry at position NN, "GROUP.NN.ID" an entry of a named group; an
    // id ending in "." refers to the group of that name as a sub-menu, "-" is a separator. An
    // entry whose position is not its list's current length is dropped. A group that refers
    // back to itself along the current path adds nothing there. Null only when building failed.
    static RCPtr<LMenuDescriptor> ParseMenuText(const Entries& entries);

    uint32_t GetItemCount() const noexcept { return const_cast<LMenuDescriptor*>(this)->m_items.GetCount(); }
    // The item at index, or null past the end.
    RCPtr<LMenuItemDescriptor> GetItem(uint32_t index) const;
    bool HasSubItems() const noexcept { return GetItemCount() > 0; }
    const ConstRCPtr<LMenuDescriptor>& GetParentMenu() const noexcept { return m_parent; }

    // Inserts item at index (E_INVALIDARG for null, past the end, or an item that holds this
    // menu anywhere below it) and makes this its parent.
    KXRESULT InsertItem(uint32_t index, const RCPtr<LMenuItemDescriptor>& item);
    KXRESULT InsertNewItem(uint32_t index, const WString& label, const WString& id, bool enabled, bool checked);
    KXRESULT InsertSeparator(uint32_t index);
    // Empties the menu from the last item to the first, unparenting each; then drops its own parent.
    KXRESULT RemoveAllItems();
    // The item's {enabled, checked, label}; {0, 0, ""} past the end.
    void GetItemState(uint32_t index, LMenuItemState& out) const;
    // The parent link counts as an internal reference of the parent.
    void SetParentMenu(const ConstRCPtr<LMenuDescriptor>& parent);

    // A deep copy: every item copied and parented to the copy; the copy has no parent.
    virtual RCPtr<LMenuDescriptor> CreateMenuCopy() const;
    ConstRCPtr<LRefCountedObject> CreateCopy() const override;
    // Unhooks the items' links back to this menu when only they still hold it.
    KXRESULT ReleaseInternalReferences() override;

protected:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override;

    // Appends deep copies of source's items to this menu.
    KXRESULT CopyItemsFrom(const LMenuDescriptor& source);

private:
    // True when menu is this one or lies anywhere below it.
    bool Holds(const LMenuDescriptor& menu) const;

    struct BuildContext;
    using List = Array<Pair<WString, WString>>;
    static KXRESULT BuildFromEntries(const List& list, BuildContext& context, RCPtr<LMenuDescriptor>& target,
                                     uint32_t depth);

    RCPtrArray<LMenuItemDescriptor> m_items;
    ConstRCPtr<LMenuDescriptor> m_parent;
};

class LMenuItemDescriptor : public LMenuDescriptor {
public:
    static RCPtr<LMenuItemDescriptor> Create(const WString& label, const WString& id, bool enabled, bool checked);
    static RCPtr<LMenuItemDescriptor> CreateSeparator();

    RCPtr<LMenuDescriptor> CreateMenuCopy() const override;
    RCPtr<LMenuItemDescriptor> CreateItemCopy() const;
    StringT<char16_t, char> ToString() const override { return label; }

    bool IsSeparator() const noexcept { return isSeparator != 0; }
    bool IsEnabled() const noexcept { return enabled != 0; }
    bool IsChecked() const noexcept { return checked != 0; }

    WString label;
    WString hotKeyText; // right-aligned in the row; owners fill it in
    WString helpText;   // the text after "|"
    WString id;         // the notification sent on activation; "" for separators and sub-menus
    uint8_t enabled = 1;
    uint8_t checked = 0;
    uint8_t isSeparator = 0;

protected:
    LMenuItemDescriptor() = default;
    ~LMenuItemDescriptor() override = default;
};

// Sent with an item's activation: the menu whose item it was and the item's index.
class LMenuActivationParam : public virtual LRefCountedObject {
public:
    static ReuseAllocator<LMenuActivationParam, 4>& GetAllocator();
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;

    static RCPtr<LMenuActivationParam> Create(const ConstRCPtr<LMenuDescriptor>& menu, uint32_t item);
    const ConstRCPtr<LMenuDescriptor>& GetMenu() const noexcept { return m_menu; }
    uint32_t GetItemIndex() const noexcept { return m_item; }
    // The activated item, or null when the index no longer names one.
    RCPtr<LMenuItemDescriptor> GetItem() const { return m_menu ? m_menu->GetItem(m_item) : nullptr; }

protected:
    LMenuActivationParam(const ConstRCPtr<LMenuDescriptor>& menu, uint32_t item) : m_menu(menu), m_item(item) {}
    ~LMenuActivationParam() override = default;

private:
    ConstRCPtr<LMenuDescriptor> m_menu;
    uint32_t m_item;
};

} // namespace KX
