// What the edit panels of moveable controls share: their sub-editor and their banked labels.
#include "editor/MoveableEditPanelFrame.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"

#include <string>

namespace editor {

using namespace KX;

RCPtr<LMoveableControlEditPanel> FindMoveableSubEditorOf(LControl& panel)
{
    return FindChildAs<LMoveableControlEditPanel>(&panel, u"moveableTypePanel");
}

void ThrowMissingMoveableSubEditor(std::string_view method, std::string_view source, int line)
{
    ThrowNullPointer("Cannot find child: moveableTypePanel", method, source, line);
}

namespace {
RCPtr<LLabel> RequireLabel(LControl& panel, const char16_t* name, std::string_view method, std::string_view source)
{
    RCPtr<LLabel> label = FindChildAs<LLabel>(&panel, name);
    if (!label) {
        std::string ascii;
        for (const char16_t* c = name; *c; ++c)
            ascii.push_back(static_cast<char>(*c));
        ThrowNullPointer("Couldn't find child " + ascii, method, source, 0);
    }
    return label;
}
} // namespace

void SetBankedLabelText(LControl& panel, const char16_t* nameChild, uint32_t index, uint32_t perBank,
                        std::string_view method, std::string_view source)
{
    const RCPtr<LLabel> name = RequireLabel(panel, nameChild, method, source);
    const RCPtr<LLabel> bank = RequireLabel(panel, u"bankName", method, source);
    WString format;
    name->LookupString(WString(u"LABEL"), format);
    name->SetText(FormatLabel(format, static_cast<int32_t>(index % perBank + 1)));
    bank->LookupString(WString(u"LABEL"), format);
    bank->SetText(FormatLabel(format, static_cast<int32_t>(index / perBank + 1)));
}

} // namespace editor
