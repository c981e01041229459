// Reads any bytes as the "ITEM." keys of a list's string table (one "key\ttext" per line, the key
// after "ITEM."). However wild the numbers, the items stay within the list's limit, each text sits
// at the index its key names, and only the keys out of range are ignored.
#include "kx/controls/ListBox.h"
#include "kx/ui/StringTable.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    KX::LStringTable::Entries entries;
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        const std::string line = input.substr(start, end - start);
        const size_t tab = line.find('\t');
        const std::string key = "ITEM." + line.substr(0, tab);
        const std::string text = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        entries[KX::WString(key.c_str())] = KX::WString(text.c_str());
        start = end + 1;
    }
    const KX::RCPtr<KX::LStringTable> table(new KX::LStringTable(entries));
    const std::vector<KX::WString> items = KX::LListBox::CollectStringTableItems(*table);
    Check(items.size() <= static_cast<size_t>(KX::LListBox::kMaxStringTableItems));
    // The later key of one index (in key order) wins; the list ends at the highest index named.
    std::map<int, KX::WString> expected;
    for (const auto& [key, text] : entries) {
        const int index = key.Mid(5).ToInt();
        if (index >= 0 && index < KX::LListBox::kMaxStringTableItems)
            expected[index] = text;
    }
    Check(items.size() == (expected.empty() ? 0u : static_cast<size_t>(expected.rbegin()->first) + 1));
    for (const auto& [index, text] : expected)
        Check(items[static_cast<size_t>(index)] == text);
    return 0;
}
