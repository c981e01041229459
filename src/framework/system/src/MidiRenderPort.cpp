#include "kx/MidiRenderPort.h"

#include "kx/MidiComm.h"

#include "platform/midi/MidiBackend.h"

namespace KX {

LMidiRenderPort::LMidiRenderPort(const StringT<char16_t, char>& name,
                                 std::unique_ptr<platform::midi::MidiOutput> output, const RCPtr<LMidiComm>& owner)
    : m_name(name), m_output(std::move(output)), m_owner(owner)
{
    m_done.Set();
}

// Runs once the port has left its owner's list, so no output callback looks for it any more.
LMidiRenderPort::~LMidiRenderPort()
{
    if (m_output) {
        m_output->Close();
        m_output.reset();
    }
    // May be the owner's last reference.
    m_owner = nullptr;
}

bool LMidiRenderPort::IsIdle()
{
    return m_done.Wait(0) == WAIT_OBJECT_0;
}

KXRESULT LMidiRenderPort::ReleaseInternalReferences()
{
    if (!m_owner)
        return LRefCountedObject::ReleaseInternalReferences();
    return m_owner->RemoveRenderPort(this);
}

} // namespace KX
