// The registered editor application.
#include "editor/EditorApp.h"

#include <atomic>

namespace {
std::atomic<IEditorApp*> g_editorApp{nullptr};
}

void SetEditorApp(IEditorApp* app) noexcept
{
    g_editorApp.store(app);
}

IEditorApp* GetEditorApp() noexcept
{
    return g_editorApp.load();
}
