// The tiles of faders, encoders, pedals, wheels and the XY-pad directions.
#include "editor/ControlTiles.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/MoveableControlViewPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/ui/ParamRecords.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\ControlTiles";

const char* BytesOf(const Variant& value, uint32_t& length)
{
    length = 0;
    return reinterpret_cast<const char*>(value.GetData(length));
}

// The message made of the value's bytes picked by map (-1 for a zero byte), when the value has
// exactly length bytes.
template <size_t N>
Array<char> Pick(const Variant& value, uint32_t length, const int (&map)[N])
{
    Array<char> message;
    uint32_t n = 0;
    const char* bytes = BytesOf(value, n);
    if (bytes == nullptr || n != length)
        return message;
    message.SetSize(N);
    for (size_t i = 0; i < N; ++i)
        message.ElementAt(static_cast<uint32_t>(i)) = map[i] < 0 ? char(0) : bytes[map[i]];
    return message;
}
} // namespace

namespace editor::tile {
Array<char> MoveableFromSixBytes(const Variant& value)
{
    static constexpr int kMap[] = {0, 1, 2, 3, 4, 5};
    return Pick(value, 6, kMap);
}
Array<char> MoveableFromWheel(const Variant& value)
{
    static constexpr int kMap[] = {0, 1, 2, -1, 3, 4};
    return Pick(value, 5, kMap);
}
Array<char> MoveableFromAxis(const Variant& value)
{
    static constexpr int kMap[] = {0, 1, 2, 3, 4, 5};
    return Pick(value, 15, kMap);
}
Array<char> ButtonFromSustainPedal(const Variant& value)
{
    static constexpr int kMap[] = {0, 1, 2, 3, 4, -1, -1, -1, -1, 5};
    return Pick(value, 6, kMap);
}
} // namespace editor::tile

template <class Owner, class Module>
LMoveableTile<Owner, Module>::~LMoveableTile()
{
    m_viewPanel = nullptr;
}

template <class Owner, class Module>
KXRESULT LMoveableTile<Owner, Module>::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base) || !this->CreateHandler())
        return base;
    m_viewPanel = editor::FindChildAs<LMoveableControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("cannot find child viewPanel", Owner::kInitialize, kSource, __LINE__);
    editor::tile::LendTipToFace(*this);
    return base;
}

template <class Owner, class Module>
KXRESULT LMoveableTile<Owner, Module>::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    if (descriptor.id != this->GetFirstParamID())
        return E_FAIL;
    const Array<char> message = Owner::Adapt(value);
    if (message.GetCount() != LMoveableControlViewPanel::kMessageLength)
        return E_FAIL;
    if (m_viewPanel)
        m_viewPanel->SetMoveableValue(message);
    return S_OK;
}

template class LMoveableTile<LEncoderPanel, IEncoder>;
template class LMoveableTile<LFaderPanel, IFader>;
template class LMoveableTile<LVolumePedalPanel, IVolumePedal>;
template class LMoveableTile<LWheelPanel, IWheel>;
template class LMoveableTile<LXYPadDirectionPanel, ITouchPadAxis>;

void LEncoderPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IEncoder::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"encoderNameLabel", index % 4 + 1, "LEncoderPanel::SetFirstParamID",
                                    kSource, __LINE__);
}

void LFaderPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IFader::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"faderNumberLabel", index % 5 + 1, "LFaderPanel::SetFirstParamID", kSource,
                                    __LINE__);
}

LSustainPedalPanel::~LSustainPedalPanel()
{
    m_viewPanel = nullptr;
}

KXRESULT LSustainPedalPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base) || !CreateHandler())
        return base;
    m_viewPanel = editor::FindChildAs<LButtonControlViewPanel>(this, u"viewPanel");
    if (!m_viewPanel)
        editor::ThrowNullPointer("child: viewPanel not found", "LSustainPedalPanel::Initialize", kSource, __LINE__);
    editor::tile::LendTipToFace(*this);
    return base;
}

KXRESULT LSustainPedalPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    if (descriptor.id != GetFirstParamID())
        return E_FAIL;
    Array<char> message = editor::tile::ButtonFromSustainPedal(value);
    if (message.GetCount() != LButtonControlViewPanel::kMessageLength)
        return E_FAIL;
    if (m_viewPanel)
        m_viewPanel->SetButtonMessage(message);
    return S_OK;
}
