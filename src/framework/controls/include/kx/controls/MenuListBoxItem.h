#pragma once
// One row of a popup menu ("Framework.MenuItem"): a checked list-box row whose alternate look
// marks an item with a sub-menu and whose blank look is a separator. UI thread only.
#include "kx/controls/CheckedListBox.h"

namespace KX {

class LMenuListBoxItem : public LCheckedListBoxItem {
public:
    LMenuListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    bool ShowLookOnRow(int32_t lookIndex, bool flag) override;

protected:
    ~LMenuListBoxItem() override;
};

} // namespace KX
