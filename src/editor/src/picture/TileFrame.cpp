// The frame shared by the tiles of the keyboard picture.
#include "editor/TileFrame.h"

#include "dialogs/DialogSupport.h"

#include "engine/RootModuleEngine.h"

#include "kx/controls/Label.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ParamRecords.h"

#include <string>

using namespace KX;

namespace editor::tile {

bool IsMissing(const RCPtr<LControl>& c)
{
    return !c || c.Get() == LControlFactory::NullControl().Get();
}

RCPtr<LNotificationDistributor> Face(LControl& tile)
{
    const RCPtr<LControl> face = tile.FindChild(WString(u"button"));
    return IsMissing(face) ? RCPtr<LNotificationDistributor>() : RCPtr<LNotificationDistributor>(face);
}

namespace {
void AppendCutTexts(LControl& control, WString& texts)
{
    LChildControlList& children = control.GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const RCPtr<LControl> child = children.GetAt(i, kOrderInsertion);
        if (auto* label = dynamic_cast<LLabel*>(child.Get());
            label && label->IsShowing(false) && !label->GetText().IsEmpty() && label->IsTextClipped())
            texts += (texts.IsEmpty() ? WString() : WString(u"\n")) + label->GetText();
        AppendCutTexts(*child, texts);
    }
}
} // namespace

WString CutTexts(LControl& tile)
{
    WString texts;
    AppendCutTexts(tile, texts);
    return texts;
}

void LendTipToFace(LControl& tile)
{
    const RCPtr<LControl> face = tile.FindChild(WString(u"button"));
    if (!IsMissing(face))
        face->SetUseParentToolTip(true);
}

void FormatNumberLabel(LControl& tile, const char16_t* labelName, int32_t number, std::string_view method,
                       std::string_view source, int line)
{
    const auto label = FindChildAs<LLabel>(&tile, labelName);
    if (!label) {
        const std::string what = "Cannot find child: " + std::string(WString(labelName).ToNarrow().GetString());
        ThrowNullPointer(what, method, source, line);
    }
    const WString format = label->GetText();
    label->SetText(WString::Format(format.GetString(), number));
}

int32_t StepColorSlot(int32_t slot, const RCPtr<LNotification>& click)
{
    const auto mouse =
        click ? ConstRCPtr<LMouseButtonParam>::DynamicCast(click->GetPayload()) : ConstRCPtr<LMouseButtonParam>();
    if (!mouse || (mouse->GetModifiers() & kShiftBit) == 0)
        return slot;
    return slot + 1 >= kColorSlots ? 0 : slot + 1;
}

void ShowStoredColor(LControl* indicator, int32_t id, uint32_t valueLength, int32_t slot)
{
    const RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
    if (!engine || indicator == nullptr)
        return;
    Variant stored;
    if (Failed(engine->GetParamValue(ParamDescriptor(id), stored)))
        return;
    uint32_t length = 0;
    const auto* bytes = reinterpret_cast<const char*>(stored.GetData(length));
    if (bytes == nullptr || length != valueLength)
        return;
    const uint32_t offset = slot >= 0 && slot < kColorSlots ? static_cast<uint32_t>(slot) : 0;
    const int32_t look = static_cast<signed char>(bytes[1 + offset]);
    // The indicator refuses a look it does not have and keeps what it showed.
    if (look >= 0 && look < static_cast<int32_t>(indicator->GetLookCount()))
        indicator->SetLookOpacity(look, 1.0f, true);
}

} // namespace editor::tile
