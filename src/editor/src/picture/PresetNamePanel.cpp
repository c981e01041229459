// The preset-name panel above the keyboard picture.
#include "editor/PresetNamePanel.h"

#include "editor/EditPanelFrame.h"

#include "dialogs/DialogSupport.h"

#include "engine/RootModuleEngine.h"

#include "kx/Exception.h"
#include "kx/controls/TextBox.h"

#include <algorithm>

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PresetNamePanel";
constexpr const char* kInitialize = "LPresetNamePanel::Initialize";
constexpr const char16_t* kTextChange = NID_TEXTBOX_TEXT_CHANGE;
// Sent values remembered for their echo; more are never outstanding while the loop runs.
constexpr size_t kSentKept = 64;

// A character a stored name can hold: every byte but 0x00 stands for its own code, except 0x22
// (a blank). Typing is narrower (the allowed list); a name that came from a file or the keyboard
// may hold the others and must stay editable.
bool IsStorable(char16_t c)
{
    return c >= 0x01 && c <= 0xFF && c != u'"';
}
} // namespace

const char16_t LPresetNamePanel::kAllowedCharacters[] = u" abcdefghijklmnopqrstuvwxyz"
                                                        u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                        u"0123456789-./=[\\]'";

bool LPresetNamePanel::EncodeName(const WString& text, std::array<uint8_t, kValueLength>& out)
{
    const uint32_t length = text.GetLength();
    if (length > kValueLength)
        return false;
    std::array<uint8_t, kValueLength> bytes{};
    const char16_t* s = text.GetString();
    for (uint32_t i = 0; i < length; ++i) {
        char16_t c = s[i];
        if (!IsStorable(c))
            return false;
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        bytes[i] = c == u' ' ? kBlankByte : static_cast<uint8_t>(c & 0xFF);
    }
    out = bytes;
    return true;
}

WString LPresetNamePanel::DecodeName(const uint8_t* bytes, uint32_t count)
{
    WString text;
    for (uint32_t i = 0; bytes != nullptr && i < count && bytes[i] != 0; ++i)
        text.AppendChar(bytes[i] == kBlankByte ? u' ' : static_cast<char16_t>(bytes[i]));
    return text;
}

LPresetNamePanel::LPresetNamePanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LPresetNamePanel::~LPresetNamePanel()
{
    m_textBox = nullptr;
    m_handler = nullptr;
}

KXRESULT LPresetNamePanel::RegisterTextChange()
{
    return m_handler->AddDistributorHandler(&LPresetNamePanel::OnTextChanged,
                                            RCPtr<LNotificationDistributor>(m_textBox), kTextChange, 0);
}

KXRESULT LPresetNamePanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LPresetNamePanel>>(new LNotificationHandler<LPresetNamePanel>(this));
    m_textBox = editor::FindChildAs<LTextBox>(this, u"textBox");
    if (!m_textBox)
        editor::ThrowNullPointer("Cannot find child textBox", kInitialize, kSource, __LINE__);
    CheckResult(RegisterTextChange(), kInitialize, kSource, __LINE__);
    m_textBox->SetMaxLength(static_cast<int32_t>(kValueLength));
    m_textBox->SetAutoScroll(0, true);
    m_textBox->characterFilter = WString(kAllowedCharacters);
    m_textBox->filterIsAllowList = true;
    return base;
}

KXRESULT LPresetNamePanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LPresetNamePanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

KXRESULT LPresetNamePanel::OnTextChanged(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    std::array<uint8_t, kValueLength> bytes{};
    if (!m_textBox || !EncodeName(m_textBox->GetText(), bytes))
        return 1;
    if (m_sent.size() >= kSentKept)
        m_sent.pop_front();
    m_sent.push_back(bytes);
    editor::SendParamValue(*this, GetFirstParamID(), reinterpret_cast<const signed char*>(bytes.data()), kValueLength);
    return 1;
}

KXRESULT LPresetNamePanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    if (descriptor.id != GetFirstParamID())
        return E_FAIL;
    uint32_t count = 0;
    const uint8_t* data = value.GetData(count);
    const WString text = DecodeName(data, count);
    if (!m_textBox || !m_handler)
        return S_OK;
    // The echo of what the box holds, or of a value it sent before later keys, changes nothing:
    // the box keeps its case and its caret.
    std::array<uint8_t, kValueLength> shown{};
    if (count == kValueLength && data && EncodeName(m_textBox->GetText(), shown) &&
        std::equal(shown.begin(), shown.end(), data)) {
        m_sent.clear();
        return S_OK;
    }
    if (count == kValueLength && data) {
        const auto echo =
            std::find_if(m_sent.begin(), m_sent.end(), [&](const std::array<uint8_t, kValueLength>& sent) {
                return std::equal(sent.begin(), sent.end(), data);
            });
        if (echo != m_sent.end()) {
            m_sent.erase(m_sent.begin(), echo + 1);
            return S_OK;
        }
    }
    // A value read before the last one sent (the start-up values, say) arrives after the model
    // took that one: it is no newer than the box, and the echoes still on their way stay awaited.
    if (!m_sent.empty()) {
        Variant held;
        uint32_t heldCount = 0;
        const uint8_t* heldData = nullptr;
        if (const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
            engine && Succeeded(engine->GetParamValue(descriptor, held)))
            heldData = held.GetData(heldCount);
        if (heldCount == kValueLength && heldData && std::equal(m_sent.back().begin(), m_sent.back().end(), heldData))
            return S_OK;
    }
    m_sent.clear();
    UnregisterForNotification(RCPtr<LNotificationDistributor>(m_textBox), kTextChange);
    // A name from elsewhere replaces the text; the caret stays where the new text allows.
    m_textBox->SetText(text, false);
    RegisterTextChange();
    return S_OK;
}
