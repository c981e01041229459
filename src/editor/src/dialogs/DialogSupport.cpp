// Child look-ups and the application's strings and boxes for the dialogs.
#include "dialogs/DialogSupport.h"

#include "editor/EditorApp.h"

#include "engine/MidiManager.h"

#include <string>

namespace editor {

using namespace KX;

void ThrowNullPointer(std::string_view what, std::string_view method, std::string_view path, int line)
{
    std::string detail = "Null Pointer : ";
    detail += what;
    Throw<std::runtime_error>(detail, method, path, line);
}

void ThrowMissingChild(const WString& name, std::string_view method, std::string_view path, int line)
{
    ThrowNullPointer("Cannot find child " + std::string(name.ToNarrow().GetString()), method, path, line);
}

WString AppString(const char16_t* key)
{
    IEditorApp* app = GetEditorApp();
    return app ? app->LookupAppString(WString(key)) : WString();
}

void ShowAppMessage(const char16_t* captionKey, const char16_t* textKey, uint32_t flags)
{
    IEditorApp* app = GetEditorApp();
    if (!app)
        return;
    const WString text = app->LookupAppString(WString(textKey));
    if (text.IsEmpty())
        return;
    app->ShowAppMessageBox(text, app->LookupAppString(WString(captionKey)), flags);
}

RCPtr<LMidiManager> AppMidiManager()
{
    IEditorApp* app = GetEditorApp();
    return app ? app->GetMidiManager() : RCPtr<LMidiManager>();
}

} // namespace editor
