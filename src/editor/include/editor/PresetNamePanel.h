#pragma once
// The preset-name panel above the keyboard picture: a caption and a six-character text box. Every
// change typed into the box goes to the main control as the 6-byte name value; a name routed to
// the panel from the engine replaces the box's text without being sent back. Main thread only.
#include "engine/ModuleInterfaces.h"

#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

#include <array>
#include <cstdint>
#include <deque>

namespace KX {
class LTextBox;
}

class LPresetNamePanel : public KX::LPanel, public IPresetName {
public:
    static constexpr uint32_t kValueLength = 6;
    // Stored in place of a blank.
    static constexpr uint8_t kBlankByte = 0x22;
    // The characters the box accepts: blank, letters, digits and - . / = [ \ ] '.
    static const char16_t kAllowedCharacters[];

    // The value of a text: ASCII letters upper-cased, blanks as 0x22, 0x00 past the end. False
    // (out untouched) when the text is longer than six or holds a character no byte stands for
    // (NUL, the double quote, anything above U+00FF).
    static bool EncodeName(const KX::WString& text, std::array<uint8_t, kValueLength>& out);
    // The text of a value: stops at 0x00, 0x22 is a blank, other bytes are their own code.
    static KX::WString DecodeName(const uint8_t* bytes, uint32_t count);

    LPresetNamePanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs the direct child "textBox" (the "Null Pointer" runtime error otherwise); registers for
    // its text changes (failed-result exception), limits it to six of the allowed characters.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // "NID_TEXTBOX_TEXT_CHANGE": sends the box's text as a name value; a text that cannot be a
    // name (set by a program or pasted) sends nothing. 1.
    virtual KX::KXRESULT OnTextChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                       const KX::RCPtr<KX::LNotification>& n);
    // Shows the routed name without sending it back; E_FAIL for a foreign id. The flag is not read.
    // The echo of a value the panel sent (also one that comes after later keys) leaves the box as
    // the user typed it, and so does a value the model no longer holds while it holds the last one
    // sent.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    const KX::RCPtr<KX::LTextBox>& GetTextBox() const noexcept { return m_textBox; }

protected:
    ~LPresetNamePanel() override;

private:
    KX::KXRESULT RegisterTextChange();

    KX::RCPtr<KX::LNotificationHandler<LPresetNamePanel>> m_handler;
    KX::RCPtr<KX::LTextBox> m_textBox;
    // The values sent whose echo has not come back yet, oldest first.
    std::deque<std::array<uint8_t, kValueLength>> m_sent;
};
