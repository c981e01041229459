#pragma once
// An open MIDI output device of an LMidiComm.
#include "kx/Event.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <memory>

namespace platform::midi {
class MidiOutput;
}

namespace KX {

class LMidiComm;

class LMidiRenderPort : public virtual LRefCountedObject {
public:
    ~LMidiRenderPort() override;

    // The device's full name.
    const StringT<char16_t, char>& GetName() const noexcept { return m_name; }
    // True while no long message is on its way (the done gate is open).
    bool IsIdle();

    // When only the owner's list still holds the port, it leaves the list (and is then closed by
    // the release in progress). S_OK when it left; E_FAIL when it was not listed or has been
    // taken again meanwhile.
    KXRESULT ReleaseInternalReferences() override;

private:
    friend class LMidiComm;

    LMidiRenderPort(const StringT<char16_t, char>& name, std::unique_ptr<platform::midi::MidiOutput> output,
                    const RCPtr<LMidiComm>& owner);

    StringT<char16_t, char> m_name;
    std::unique_ptr<platform::midi::MidiOutput> m_output;
    RCPtr<LMidiComm> m_owner;
    // Open while no long message is on its way; the output callback opens it.
    TrafficLight m_done;
};

} // namespace KX
