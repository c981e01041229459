// Byte places, the key mapping and the look-ups the push-button and pad edit panels share.
#include "panels/PadsPanelSupport.h"

#include "kx/Exception.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/VisualPartDescriptor.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace pads {

using namespace KX;

int32_t KeyItemFromByte(int8_t byte)
{
    // 87 is "Off"; -1 lands on item 0 as well.
    if (byte == static_cast<int8_t>(kNoKey))
        return 0;
    return byte + 1;
}

uint8_t KeyByteFromItem(int32_t item)
{
    if (item == 0)
        return kNoKey;
    return IndexByte(item - 1);
}

uint8_t SelectedByte(const RCPtr<LComboBox>& combo)
{
    return combo ? IndexByte(combo->GetSelectedIndex()) : 0xFF;
}

Array<signed char> ToSigned(const uint8_t* bytes, uint32_t count)
{
    Array<signed char> out;
    out.SetSize(count);
    for (uint32_t i = 0; i < count; ++i)
        out.ElementAt(i) = static_cast<signed char>(bytes[i]);
    return out;
}

void ThrowNullPointer(std::string_view what, std::string_view method, std::string_view path, int line)
{
    std::string detail = "Null Pointer : ";
    detail += what;
    Throw<std::runtime_error>(detail, method, path, line);
}

RCPtr<LComboBox> FindSelectorCombo(const RCPtr<LControl>& page, const char16_t* selector)
{
    if (!page)
        return RCPtr<LComboBox>();
    const RCPtr<LControl> holder = page->FindChild(WString(selector));
    if (!holder)
        return RCPtr<LComboBox>();
    return RCPtr<LComboBox>(dynamic_cast<LComboBox*>(holder->FindChild(WString(u"comboBox")).Get()));
}

void SetColorLabel(const RCPtr<LControl>& selector, const char16_t* key, int32_t number)
{
    if (!selector)
        return;
    const RCPtr<LLabel> label(dynamic_cast<LLabel*>(selector->FindChild(WString(u"colorNameLabel")).Get()));
    if (!label)
        return;
    WString text;
    label->LookupString(WString(key), text);
    label->SetText(WString::Format(text.GetString(), number));
}

WString FormatLabel(const RCPtr<LControl>& label, int32_t number)
{
    WString format;
    label->LookupString(WString(u"LABEL"), format);
    return WString::Format(format.GetString(), number);
}

void ShowColorSwatches(const KX::RCPtr<KX::LComboBox>& combo, const char16_t* lookList)
{
    using namespace KX;
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    if (!combo || !app || !app->GetControlFactory())
        return;
    const ConstRCPtr<LookList> looks = app->GetControlFactory()->FindLookList(WString(lookList));
    if (!looks)
        return;
    std::vector<uint32_t> colours;
    for (uint32_t i = 0; i < looks->GetCount(); ++i) {
        // A look without a flat client colour (the "no colour" look) gives an empty frame.
        uint32_t argb = 0;
        const LLookDescriptor* look = looks->GetData()[i].Get();
        const LDockedPart* client = look ? look->GetClientPart().Get() : nullptr;
        const LVisualPartDescriptor* part = client ? client->GetPart().Get() : nullptr;
        if (part && part->GetColorizer())
            argb = part->GetColorizer()->GetColor().ToARGB();
        colours.push_back(argb);
    }
    combo->SetItemSwatches(std::move(colours));
}

} // namespace pads
