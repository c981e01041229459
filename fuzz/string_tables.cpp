// Reads any bytes as both string-table documents, in a locale chosen by the first byte. A broken
// document must report an error text; whatever was read must hand out consistent tables, and the
// hot keys bound from them must each find their own notification again.
#include "kx/ui/HotKeyTable.h"
#include "kx/ui/StringTableReader.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr uint32_t kLocales[] = {0x0409, 0x0C04, 0x0425, 0x0009, 0x0407, 0x7C04, 0x0411, 0x0004};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint32_t locale = kLocales[data[0] % (sizeof(kLocales) / sizeof(kLocales[0]))];
    const KX::StringDocument document{data + 1, size - 1};

    KX::StringTableSet tables;
    const KX::StringTablesLoadResult load = KX::LoadStringTableDocuments(tables, document, document, locale);
    if (KX::Failed(load.lastError.result))
        Check(!load.lastError.errorText.IsEmpty());

    KX::StringTableSet single;
    const KX::StringTableParseResult pass = KX::StringTableReader(single).Parse(data + 1, size - 1, locale);
    Check(pass.result == KX::S_OK || (pass.result == KX::E_FAIL && !pass.errorText.IsEmpty()));

    KX::Array<KX::LStringTable::EntryPair> pairs;
    for (const auto& [id, entries] : tables.GetTables()) {
        KX::ConstRCPtr<KX::LStringTable> table = tables.GetTable(id);
        Check(table && table->GetCount() == entries.size());
        if (entries.empty())
            continue;
        const KX::WString prefix = entries.begin()->first.Left(2);
        table->GetEntriesByPrefix(prefix, pairs);
        Check(pairs.GetCount() >= 1);
        for (uint32_t i = 1; i < pairs.GetCount(); ++i)
            Check(pairs.ElementAt(i - 1).first < pairs.ElementAt(i).first);

        for (const char16_t* hotKeyPrefix : {KX::HotKeyTable::kGlobalPrefix, KX::HotKeyTable::kLocalPrefix}) {
            KX::HotKeyTable keys;
            Check(keys.LoadFromStringTable(table.Get(), hotKeyPrefix) == KX::S_OK);
            for (const auto& entry : entries) {
                const KX::WString name = entry.first.Mid(entry.first.ReverseFindChar('.') + 1);
                if (!keys.HasBinding(name))
                    continue;
                const KX::KeyCode first = keys.GetFirstKeyCode(name);
                Check(!first.IsEmpty() && keys.FindNotificationForKey(first) == name);
            }
        }
    }
    return 0;
}
