#pragma once
// The tiles of the keyboard picture without a colour indicator: encoder, fader, volume pedal,
// wheel and XY-pad direction (a moveable-control summary) and the sustain pedal (an assignment
// summary). Each adapts its control's value to its summary's message; the group panel listens to
// the "button" face. Main thread only.
#include "editor/TileFrame.h"

#include "kx/Array.h"

#include <cstdint>

class LMoveableControlViewPanel;
class LButtonControlViewPanel;

namespace editor::tile {
// The summary messages of the values: empty for a value of another length.
KX::Array<char> MoveableFromSixBytes(const KX::Variant& value);   // encoder, fader, volume pedal
KX::Array<char> MoveableFromWheel(const KX::Variant& value);      // 5 bytes, a 0 inserted as byte 3
KX::Array<char> MoveableFromAxis(const KX::Variant& value);       // 15 bytes, the first six
KX::Array<char> ButtonFromSustainPedal(const KX::Variant& value); // 6 bytes, bytes 5..8 zero
} // namespace editor::tile

// A tile whose summary is an LMoveableControlViewPanel. Adapt turns a value into the message.
template <class Owner, class Module>
class LMoveableTile : public LTileFrame<Owner, Module> {
public:
    using LTileFrame<Owner, Module>::LTileFrame;

    // The handler, then "viewPanel" ("Null Pointer : cannot find child viewPanel"). The base's result.
    KX::KXRESULT Initialize() override;
    // E_FAIL for a foreign id or a value of another length, else the summary shows it. The flag is
    // not read.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    const KX::RCPtr<LMoveableControlViewPanel>& GetViewPanel() const noexcept { return m_viewPanel; }

protected:
    ~LMoveableTile() override;

private:
    KX::RCPtr<LMoveableControlViewPanel> m_viewPanel;
};

class LEncoderPanel : public LMoveableTile<LEncoderPanel, IEncoder> {
public:
    using LMoveableTile::LMoveableTile;
    static constexpr const char* kInitialize = "LEncoderPanel::Initialize";
    static KX::Array<char> Adapt(const KX::Variant& v) { return editor::tile::MoveableFromSixBytes(v); }
    // Module fields, then "encoderNameLabel" formatted with index mod 4 + 1.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
};

class LFaderPanel : public LMoveableTile<LFaderPanel, IFader> {
public:
    using LMoveableTile::LMoveableTile;
    static constexpr const char* kInitialize = "LFaderPanel::Initialize";
    static KX::Array<char> Adapt(const KX::Variant& v) { return editor::tile::MoveableFromSixBytes(v); }
    // Module fields, then "faderNumberLabel" formatted with index mod 5 + 1.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
};

class LVolumePedalPanel : public LMoveableTile<LVolumePedalPanel, IVolumePedal> {
public:
    using LMoveableTile::LMoveableTile;
    static constexpr const char* kInitialize = "LVolumePedalPanel::Initialize";
    static KX::Array<char> Adapt(const KX::Variant& v) { return editor::tile::MoveableFromSixBytes(v); }
};

class LWheelPanel : public LMoveableTile<LWheelPanel, IWheel> {
public:
    using LMoveableTile::LMoveableTile;
    static constexpr const char* kInitialize = "LWheelPanel::Initialize";
    static KX::Array<char> Adapt(const KX::Variant& v) { return editor::tile::MoveableFromWheel(v); }
};

class LXYPadDirectionPanel : public LMoveableTile<LXYPadDirectionPanel, ITouchPadAxis> {
public:
    using LMoveableTile::LMoveableTile;
    static constexpr const char* kInitialize = "LXYPadDirectionPanel::Initialize";
    static KX::Array<char> Adapt(const KX::Variant& v) { return editor::tile::MoveableFromAxis(v); }
};

// The sustain-pedal tile: its 6-byte value shown by an assignment summary.
class LSustainPedalPanel : public LTileFrame<LSustainPedalPanel, ISustainPedal> {
public:
    using LTileFrame::LTileFrame;

    // The handler, then "viewPanel" ("Null Pointer : child: viewPanel not found"). The base's result.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    const KX::RCPtr<LButtonControlViewPanel>& GetViewPanel() const noexcept { return m_viewPanel; }

protected:
    ~LSustainPedalPanel() override;

private:
    KX::RCPtr<LButtonControlViewPanel> m_viewPanel;
};
