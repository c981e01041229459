// Context menus from string tables: bytes read as UTF-16LE, split at 0 units into key and text
// pairs under "CONTEXT_MENU", read by a control. Checks that groups referring to each other end,
// that every item's parent is the menu that holds it, and that a menu stays within the limits.
#include "kx/ui/Control.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/StringTable.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace KX;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class Probe : public LControl {
public:
    Probe() : LControl(nullptr, WString(u"probe")) {}
};

uint32_t CheckMenu(const LMenuDescriptor& menu, uint32_t depth)
{
    Check(depth < LMenuDescriptor::kMaxDepth);
    uint32_t items = menu.GetItemCount();
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        Check(item != nullptr);
        Check(item->GetParentMenu().Get() == &menu);
        Check(!item->IsSeparator() || (item->id.IsEmpty() && !item->HasSubItems()));
        if (item->HasSubItems())
            items += CheckMenu(*item, depth + 1);
    }
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char16_t> units(size / 2 + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2)
        units[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const size_t count = size / 2;
    LStringTable::Entries entries;
    for (size_t start = 0; start <= count;) {
        const WString key(units.data() + start);
        start += key.GetLength() + 1;
        const WString text = start <= count ? WString(units.data() + start) : WString();
        start += text.GetLength() + 1;
        entries[WString(u"CONTEXT_MENU") + key] = text;
    }
    RCPtr<Probe> probe(new Probe());
    probe->AdoptStringTable(RCPtr<LStringTable>(new LStringTable(entries)));
    RCPtrArray<LMenuDescriptor> menus;
    Check(probe->GetContextMenuEntries(menus) == S_OK);
    for (uint32_t i = 0; i < menus.GetCount(); ++i) {
        Check(menus.GetData()[i] != nullptr);
        Check(CheckMenu(*menus.GetData()[i], 0) <= LMenuDescriptor::kMaxItems);
    }
    return 0;
}
