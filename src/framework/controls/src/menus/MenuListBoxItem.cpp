#include "kx/controls/MenuListBoxItem.h"

namespace KX {

LMenuListBoxItem::LMenuListBoxItem(const RCPtr<LControl>& parent, const WString& name)
    : LCheckedListBoxItem(parent, name)
{
}

LMenuListBoxItem::~LMenuListBoxItem() = default;

bool LMenuListBoxItem::ShowLookOnRow(int32_t lookIndex, bool flag)
{
    return LCheckedListBoxItem::ShowLookOnRow(lookIndex, flag);
}

} // namespace KX
