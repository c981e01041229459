#include "kx/MidiCaptureNotificationData.h"

#include <cstring>

namespace KX {

RCPtr<LMidiCaptureNotificationData> LMidiCaptureNotificationData::Create(const StringT<char16_t, char>& portName,
                                                                         uint32_t timestamp)
{
    return RCPtr<LMidiCaptureNotificationData>(new LMidiCaptureNotificationData(portName, timestamp));
}

LMidiCaptureNotificationData::LMidiCaptureNotificationData(const StringT<char16_t, char>& portName, uint32_t timestamp)
    : m_portName(portName), m_timestamp(timestamp)
{
}

LMidiCaptureNotificationData::~LMidiCaptureNotificationData() = default;

ReuseAllocator<LMidiCaptureNotificationData, 1>& LMidiCaptureNotificationData::GetAllocator()
{
    // Never destroyed: a message may be released while the process exits.
    static auto* allocator = new ReuseAllocator<LMidiCaptureNotificationData, 1>(true);
    return *allocator;
}

void* LMidiCaptureNotificationData::operator new(std::size_t size)
{
    return GetAllocator().Allocate(static_cast<uint32_t>(size));
}

void LMidiCaptureNotificationData::operator delete(void* p) noexcept
{
    GetAllocator().Free(p);
}

bool LMidiCaptureNotificationData::AppendBytes(const uint8_t* data, uint32_t count)
{
    if (count == 0)
        return true;
    if (data == nullptr)
        return false;
    const uint32_t old = m_bytes.GetCount();
    const uint64_t total = static_cast<uint64_t>(old) + count;
    if (total > 0x7FFFFFFF)
        return false;
    if (m_bytes.SetSize(static_cast<uint32_t>(total)) != static_cast<int32_t>(total))
        return false;
    std::memcpy(m_bytes.GetData() + old, data, count);
    return true;
}

} // namespace KX
