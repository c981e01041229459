#pragma once
// A menu read from string-table entries: items with their number, the notification they send
// ("-" for a separator line), their label and an optional sub-menu. The framework's popup menus
// show it; controls build their context menus from it. UI thread only.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <vector>

namespace KX {

class LMenuDescriptor : public virtual LRefCountedObject {
public:
    struct Item {
        WString number;
        WString notificationId;
        WString label;
        RCPtr<LMenuDescriptor> subMenu; // null without sub-items

        bool IsSeparator() const { return notificationId == WString(u"-"); }
    };

    static RCPtr<LMenuDescriptor> Create();
    // Builds a menu from (key, text) pairs whose menu prefix is cut off, in key order. A key is a
    // path of item numbers (digits) joined by dots, then a dot and the notification id ("-" a
    // separator), e.g. "01.NID_X" or "03.02.NID_Y" (item 02 of the sub-menu of item 03). A key
    // whose path is empty or whose id is empty is skipped; an item named only as the parent of
    // sub-items gets no id and no label.
    static RCPtr<LMenuDescriptor> ParseMenuText(const IArray<Pair<WString, WString>>& entries);

    uint32_t GetItemCount() const noexcept { return static_cast<uint32_t>(m_items.size()); }
    // E_INVALIDARG past the end.
    const Item& GetItem(uint32_t index) const;
    Item& AddItem(const WString& number);

protected:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override = default;

private:
    // The item with that number, appended when missing.
    Item& FindOrAdd(const WString& number);

    std::vector<Item> m_items;
};

} // namespace KX
