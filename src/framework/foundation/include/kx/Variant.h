#pragma once
// KX::Variant: a tagged value (nothing, bool, integers, floating point, bytes,
// text or a list of further values) with a fixed little-endian record form:
//   u32 total length (data + 12), u32 reserved 0, u32 type code, data bytes.
#include "kx/KXResult.h"

#include <atomic>
#include <cstdint>

namespace KX {

class Variant {
public:
    // Type codes; the record stores them as they are.
    static constexpr int32_t TypeEmpty = 0;
    static constexpr int32_t TypeBool = 1;
    static constexpr int32_t TypeInt32 = 2;
    static constexpr int32_t TypeInt64 = 3;
    static constexpr int32_t TypeFloat = 4;
    static constexpr int32_t TypeDouble = 5;
    static constexpr int32_t TypeBorrowed = 6;    // bytes the Variant does not own
    static constexpr int32_t TypeBorrowedRaw = 7; // the same, but without elements
    static constexpr int32_t TypeBlob = 8;        // owned bytes
    static constexpr int32_t TypeString = 9;      // owned narrow text, terminator included
    static constexpr int32_t TypeList = 10;       // owned records of the items
    static constexpr int32_t TypeCount = 11;

    static constexpr uint32_t RecordHeaderSize = 12;

    Variant() noexcept = default;
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    virtual ~Variant();

    // Conversions; they never fail, unsupported combinations give false or 0.
    virtual bool ToBool() const;
    virtual int32_t ToInt32() const;
    virtual int64_t ToInt64() const;
    virtual float ToFloat() const;
    virtual double ToDouble() const;

    // The raw bytes as the record carries them; null and 0 for an empty Variant.
    virtual const uint8_t* GetData(uint32_t& byteCount) const;
    // The elements: one for a scalar, the bytes for types 6, 8 and 9, none otherwise.
    virtual const uint8_t* GetElements(uint32_t& count) const;
    // The text of a type 9 Variant, else null.
    virtual const char* GetString() const;

    // Storage for owned data (types 8 and above).
    virtual uint8_t* AllocateData(uint32_t n);
    virtual void FreeData(uint8_t* data);

    int32_t GetType() const noexcept { return m_type; }

    void Clear() noexcept;
    // Copies other (deeply for owned data); returns the new type code.
    int32_t Assign(const Variant& other);

    // An owned copy of n bytes; null data gives n zero bytes. Returns 8.
    int32_t SetBytes(const uint8_t* data, uint32_t n);
    // An owned copy of the text with its terminator; null is the empty text. Returns 9.
    int32_t SetString(const char* text);
    // A list of the records of count items. Returns 10.
    int32_t SetList(const Variant* items, int32_t count);
    // Refers to bytes owned elsewhere (type 6 or 7); they must outlive this
    // Variant and its copies. Returns the type, or 0 (empty) for another type.
    int32_t SetBorrowed(int32_t type, const uint8_t* data, uint32_t n);
    // A value of the given type from its record data; returns the resulting type
    // (0 when the data does not fit the type).
    int32_t SetRaw(int32_t type, const uint8_t* data, uint32_t n);

    // Number of well-formed item records of a list; 0 for anything else.
    uint32_t GetListCount() const;
    // Reads item index into out: 0, or -1 (out left empty) when there is no such
    // readable item.
    int32_t GetListItem(uint32_t index, Variant& out) const;

    // Writes v's record; returns its length, or 0x80004005 when v cannot be
    // written or the buffer is too small (nothing is written then).
    static uint32_t Serialize(const Variant& v, void* buffer, uint32_t bufferSize);
    // Reads one record; 0, or 0x80004005 for a malformed record (v unchanged then).
    static KXRESULT Deserialize(Variant& v, const void* record, uint32_t available);

    bool operator==(const Variant& other) const;
    // A strict weak order: empty first; numbers of any numeric types by their exact
    // value (a NaN after every number); other mixed types by type code, the numbers
    // taking the place of type 1; lists item by item.
    bool operator<(const Variant& other) const;

private:
    uint8_t* DataPointer() const noexcept;
    void SetDataPointer(uint8_t* p) noexcept;
    void ReleaseOwned() noexcept;
    // Replaces the contents by owned data already allocated through AllocateData.
    void Adopt(int32_t type, uint8_t* data, uint32_t n) noexcept;
    // Moves other's contents here and leaves other empty.
    void TakeFrom(Variant& other) noexcept;
    // Where the last item read began, as (index << 32) | offset; lets items be
    // read one after the other without walking the list from its start each time.
    // Reset to item 0 whenever the data changes. Atomic, so concurrent readers
    // of an unchanging list may share it.
    void ResetListHint() noexcept { m_listHint.store(0, std::memory_order_relaxed); }
    // The first width data bytes as a little-endian number; missing bytes read as 0.
    uint64_t LeadingBytes(uint32_t width) const noexcept;

    alignas(8) uint8_t m_value[8] = {};
    uint32_t m_size = 0;
    int32_t m_type = TypeEmpty;
    mutable std::atomic<uint64_t> m_listHint{0};
};

} // namespace KX
