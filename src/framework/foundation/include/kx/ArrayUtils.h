#pragma once
// Sorting a run of an array in place, and filling an index array with the sorted order of a run.
#include "kx/Array.h"
#include "kx/Exception.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace KX {

namespace Detail {
// Stable bottom-up merge sort. Every access is bounded, so an ordering that is not a strict weak
// order gives some permutation, never a read or write outside the run.
template <class V, class Less>
void StableMergeSort(V* items, uint32_t n, Less& less)
{
    if (n < 2)
        return;
    std::vector<V> scratch(items, items + n);
    V* from = items;
    V* to = scratch.data();
    for (uint64_t width = 1; width < n; width *= 2) {
        for (uint64_t lo = 0; lo < n; lo += 2 * width) {
            const uint64_t mid = lo + width < n ? lo + width : n;
            const uint64_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            uint64_t i = lo;
            uint64_t j = mid;
            uint64_t k = lo;
            while (i < mid && j < hi) {
                // The right element goes first only when strictly less: equal keys keep their order.
                if (less(from[j], from[i]))
                    to[k++] = from[j++];
                else
                    to[k++] = from[i++];
            }
            while (i < mid)
                to[k++] = from[i++];
            while (j < hi)
                to[k++] = from[j++];
        }
        std::swap(from, to);
    }
    if (from != items)
        for (uint32_t k = 0; k < n; ++k)
            items[k] = from[k];
}
} // namespace Detail

namespace ArrayUtils {

// Sorts count elements of array from start on with compare, a strict less-than over elements.
// Equal elements keep their order. The elements stay in place while the order is worked out, so
// an ordering that breaks ties by element address sees the list order; the array is then
// permuted by T's own copy and assignment (each object ends up held as often as before).
template <class T, class Compare>
void Sort(IArray<T>& array, uint32_t start, uint32_t count, Compare compare)
{
    if (count < 2)
        return;
    if (static_cast<uint64_t>(start) + count > array.GetCount())
        KX_THROW(std::out_of_range, "", "KX::ArrayUtils::Sort", "kxframework\\utilities\\Storage/ArrayUtils", 254);

    T* items = array.GetData() + start;
    std::vector<uint32_t> order(count);
    for (uint32_t k = 0; k < count; ++k)
        order[k] = k;
    auto less = [&](uint32_t a, uint32_t b) {
        return compare(static_cast<const T&>(items[a]), static_cast<const T&>(items[b]));
    };
    Detail::StableMergeSort(order.data(), count, less);

    // Position k takes the element that was at order[k]; follow each cycle with one temporary.
    for (uint32_t first = 0; first < count; ++first) {
        if (order[first] == first)
            continue;
        T temporary(items[first]);
        uint32_t k = first;
        while (order[k] != first) {
            const uint32_t from = order[k];
            items[k] = items[from];
            order[k] = k;
            k = from;
        }
        items[k] = temporary;
        order[k] = k;
    }
}

// Fills indices with start .. start + count - 1 in the order compare gives; compare is a strict
// less-than over two indices and reads the elements itself. source is only counted.
template <class T, class Compare>
void SortIndecies(IArray<unsigned int>& indices, const IArray<T>& source, uint32_t start, uint32_t count,
                  Compare compare)
{
    if (static_cast<uint64_t>(start) + count > source.GetCount())
        KX_THROW(std::out_of_range, "", "KX::ArrayUtils::SortIndecies", "kxframework\\utilities\\Storage/ArrayUtils",
                 266);
    indices.SetSize(count);
    // An index array that cannot take count entries (fixed capacity) is not written past its end.
    if (indices.GetCount() < count)
        KX_THROW(std::out_of_range, "", "KX::ArrayUtils::SortIndecies", "kxframework\\utilities\\Storage/ArrayUtils",
                 269);
    unsigned int* entries = indices.GetData();
    for (uint32_t k = 0; k < count; ++k)
        entries[k] = start + k;
    auto less = [&](unsigned int a, unsigned int b) {
        return compare(static_cast<const unsigned int&>(a), static_cast<const unsigned int&>(b));
    };
    Detail::StableMergeSort(entries, count, less);
}

} // namespace ArrayUtils

} // namespace KX
