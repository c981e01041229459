// Context menus from string tables: bytes read as UTF-16LE, split at 0 units into key and text
// pairs under "CONTEXT_MENU", read by a control. Checks that every item has a number of digits,
// unique within its menu, and that no menu holds more items than there were entries.
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

uint32_t CheckMenu(const LMenuDescriptor& menu)
{
    uint32_t items = menu.GetItemCount();
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        const LMenuDescriptor::Item& item = menu.GetItem(i);
        Check(!item.number.IsEmpty());
        for (const char16_t* p = item.number.GetString(); *p; ++p)
            Check(*p >= u'0' && *p <= u'9');
        for (uint32_t k = 0; k < i; ++k)
            Check(!(menu.GetItem(k).number == item.number));
        Check(!item.subMenu || item.subMenu->GetItemCount() > 0);
        if (item.subMenu)
            items += CheckMenu(*item.subMenu);
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
    uint32_t items = 0;
    for (uint32_t i = 0; i < menus.GetCount(); ++i) {
        Check(menus.GetData()[i] != nullptr);
        items += CheckMenu(*menus.GetData()[i]);
    }
    // Every item comes from an entry, or is the parent of a deeper one: at most the dots allow.
    size_t dots = 0;
    for (const auto& [k, v] : entries)
        for (const char16_t* p = k.GetString(); *p; ++p)
            dots += *p == u'.';
    Check(items <= dots);
    return 0;
}
