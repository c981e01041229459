// Reads arbitrary bytes as a Variant record, walks any list it holds and checks
// that what was read writes back to a record that reads the same.
#include "kx/Variant.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::vector<uint8_t> Write(const KX::Variant& v)
{
    uint32_t n = 0;
    v.GetData(n);
    std::vector<uint8_t> out(n + 12);
    const uint32_t written = KX::Variant::Serialize(v, out.data(), static_cast<uint32_t>(out.size()));
    Check(written == out.size());
    return out;
}

// The order is a strict weak order over the first few items: irreflexive, transitive, and
// its equivalence (neither less) transitive too.
void CheckOrder(const std::vector<KX::Variant>& items)
{
    const size_t n = items.size() < 6 ? items.size() : 6;
    bool less[6][6];
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j)
            less[i][j] = items[i] < items[j];
    for (size_t a = 0; a < n; ++a) {
        Check(!less[a][a]);
        for (size_t b = 0; b < n; ++b) {
            for (size_t c = 0; c < n; ++c) {
                Check(!(less[a][b] && less[b][c]) || less[a][c]);
                const bool equivalent = !less[a][b] && !less[b][a] && !less[b][c] && !less[c][b];
                Check(!equivalent || (!less[a][c] && !less[c][a]));
            }
        }
    }
}

void Exercise(const KX::Variant& v, int depth)
{
    (void)v.ToBool();
    (void)v.ToInt32();
    (void)v.ToInt64();
    (void)v.ToFloat();
    (void)v.ToDouble();
    uint32_t n = 0;
    (void)v.GetElements(n);
    Check(v.GetType() != KX::Variant::TypeBorrowed && v.GetType() != KX::Variant::TypeBorrowedRaw);

    // What was read is written again and reads back to the same record.
    const std::vector<uint8_t> record = Write(v);
    KX::Variant again;
    Check(KX::Variant::Deserialize(again, record.data(), static_cast<uint32_t>(record.size())) == KX::S_OK);
    Check(Write(again) == record);

    if (v.GetType() != KX::Variant::TypeList || depth > 8)
        return;
    const uint32_t count = v.GetListCount();
    KX::Variant item;
    for (uint32_t i = 0; i < count; ++i) {
        if (v.GetListItem(i, item) == 0)
            Exercise(item, depth + 1);
        else
            Check(item.GetType() == KX::Variant::TypeEmpty);
    }
    Check(v.GetListItem(count, item) == -1 && item.GetType() == KX::Variant::TypeEmpty);

    // Rebuilding a list from its items gives a well-formed list of as many items.
    std::vector<KX::Variant> items(count);
    for (uint32_t i = 0; i < count; ++i)
        v.GetListItem(i, items[i]);
    KX::Variant rebuilt;
    rebuilt.SetList(items.data(), static_cast<int32_t>(count));
    Check(rebuilt.GetListCount() == count);
    Check(!(rebuilt < rebuilt));
    CheckOrder(items);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 20)
        return 0;
    KX::Variant v;
    if (KX::Variant::Deserialize(v, data, static_cast<uint32_t>(size)) == KX::S_OK)
        Exercise(v, 0);
    else
        Check(v.GetType() == KX::Variant::TypeEmpty);

    // The same bytes as the data of a list.
    KX::Variant list;
    list.SetRaw(KX::Variant::TypeList, data, static_cast<uint32_t>(size));
    Exercise(list, 0);
    return 0;
}
