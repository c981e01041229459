#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <typeinfo>

namespace KX {

namespace {
constexpr const char* kHeaderPath = "kxframework\\objectbase\\RefCountedObject";

// A non-zero number for the calling thread: the release guard holds the number of the thread
// that is breaking the cycles, so that the releases it makes itself can be told apart.
int32_t ThreadToken() noexcept
{
    static std::atomic<uint32_t> next{0};
    thread_local int32_t token = 0;
    while (token == 0)
        token = static_cast<int32_t>(next.fetch_add(1, std::memory_order_relaxed) + 1);
    return token;
}

// Clears the release guard on every exit path.
struct GuardReset {
    std::atomic<int32_t>& guard;
    ~GuardReset() { guard.store(0); }
};
} // namespace

LRefCountedObject::~LRefCountedObject() = default;

StringT<char16_t, char> LRefCountedObject::ToString() const
{
    const std::string name = UndecoratedTypeName(typeid(*this));
    return StringT<char16_t, char>(name.c_str());
}

void LRefCountedObject::Undo()
{
    throw Exception<std::logic_error>("Logic Error : Undo() not implemented for RefCountedObject : "
                                      "KX::LRefCountedObject::Undo : kxframework\\objectbase\\RefCountedObject : "
                                      "Line 155");
}

int32_t LRefCountedObject::Release()
{
    int32_t self = 0;
    int breaks = 0; // calls of ReleaseInternalReferences made by this Release
    for (;;) {
        const int32_t internal = m_internalRefCount.load();
        if (internal == 0) {
            // No internal references: nothing to break, a plain decrement.
            const int32_t n = m_refCount.fetch_sub(1) - 1;
            if (n == 0)
                delete this;
            return n;
        }
        if (self == 0)
            self = ThreadToken();
        // Read before the count, so that a holder letting go between the two is seen below.
        const uint32_t epoch = m_releaseEpoch.load();
        int32_t count = m_refCount.load();
        if (count == internal + 1 && m_releaseGuard.load() == 0 && breaks <= kMaxCycleBreakRetries) {
            // The last outside holder is letting go: break the cycles first. Only one caller
            // wins the guard; nested releases from inside see it set.
            int32_t expected = 0;
            if (!m_releaseGuard.compare_exchange_strong(expected, self))
                continue;
            bool again;
            {
                GuardReset reset{m_releaseGuard};
                ReleaseInternalReferences();
                // Another holder may have come and gone meanwhile, so that the breaking was
                // declined for it; if this is the last outside reference again, break again,
                // a bounded number of times.
                const int32_t i = m_internalRefCount.load();
                again = i > 0 && m_refCount.load() == i + 1 && m_releaseEpoch.load() != epoch;
            }
            ++breaks;
            if (again && breaks <= kMaxCycleBreakRetries)
                continue;
            count = m_refCount.load();
        }
        // Releases that the cycle breaking makes on its own thread are its own doing, no reason
        // to break again; only other holders' releases count.
        if (m_releaseGuard.load() != self)
            m_releaseEpoch.fetch_add(1);
        // Decrement only if nobody changed the count since it was judged above, so a concurrent
        // release cannot make both holders skip the cycle breaking.
        if (m_refCount.compare_exchange_weak(count, count - 1)) {
            const int32_t n = count - 1;
            if (n == 0)
                delete this;
            return n;
        }
    }
}

KXRESULT LRefCountedObject::ReleaseInternalReferences()
{
    return (m_internalRefCount.load() == 0 && m_refCount.load() == 1) ? S_OK : E_FAIL;
}

ConstRCPtr<LRefCountedObject> LRefCountedObject::CreateCopy() const
{
    throw Exception<std::logic_error>(ExceptionText(Kind::LogicError,
                                                    "CreateCopy() not implemented for RefCountedObject",
                                                    "KX::LRefCountedObject::CreateCopy", kHeaderPath, 228));
}

void LRefCountedObject::SetUnshareable(bool unshareable)
{
    if (unshareable && m_refCount.load() > 1)
        throw Exception<std::runtime_error>(
            "Runtime Error : KX::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
    m_shareable.store(!unshareable, std::memory_order_relaxed);
}

namespace Detail {
void ThrowUnshareFailed(const std::string& typeArg)
{
    throw Exception<std::logic_error>(
        ExceptionText(Kind::LogicError, typeArg, "KX::ConstRCPtr<" + typeArg + ">::Unshare", kHeaderPath, 369));
}
} // namespace Detail

} // namespace KX
