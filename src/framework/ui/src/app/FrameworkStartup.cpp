// Framework start-up (control classes, global hot keys, clipboard, saved skin) and skin switching.
#include "kx/Exception.h"
#include "kx/Notification.h"
#include "kx/ui/FrameworkApp.h"

#include <algorithm>

namespace KX {

namespace {
constexpr const char* kAppMethodPath = "Application\\FrameworkApp";
constexpr const char16_t* kSkinIndexKey = u"CurrentSkinIndex";
constexpr int32_t kUserSettings = 1;
// The widget classes live in the framework controls library, which hands their table over.
const std::vector<FrameworkControlClass>* g_controlClasses = nullptr;
} // namespace

const std::vector<FrameworkControlClass>& GetFrameworkControlClasses()
{
    static const std::vector<FrameworkControlClass> none;
    return g_controlClasses ? *g_controlClasses : none;
}

void SetFrameworkControlClasses(const std::vector<FrameworkControlClass>* classes)
{
    g_controlClasses = classes;
}

KXRESULT LFrameworkApp::RunApplicationStartup()
{
    try {
        LNotification::EnablePooling(true);
        if (!m_factory)
            return E_FAIL;
        for (const FrameworkControlClass& c : GetFrameworkControlClasses())
            if (c.create && !c.applicationRow)
                CheckResult(m_factory->RegisterControlClass(WString(c.name), c.create),
                            "KX::LFrameworkApp::RunApplicationStartup", kAppMethodPath, c.line);
        if (m_hotKeys)
            m_hotKeys->GetTable().LoadFromStringTable(m_applicationStrings.Get(), WString(u"GHK"));
        if (m_clipboard)
            m_clipboard->Initialize();
        // A saved index past the last skin takes the last one, a negative one the first; a skin
        // document without skins leaves the skin alone.
        const int32_t last = static_cast<int32_t>(m_factory->GetSkins().GetCount()) - 1;
        if (last >= 0)
            SetSkin(std::clamp(GetCurrentSkinIndex(), 0, last));
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

int32_t LFrameworkApp::GetCurrentSkinIndex()
{
    int32_t index = 0;
    const int32_t file = GetSettingsFile(kUserSettings);
    if (file == 0)
        return 0;
    if (IIniFileManager* ini = GetIniFileManager())
        ini->GetIniValueInt(file, WString(kSkinIndexKey), 0, index);
    return index;
}

KXRESULT LFrameworkApp::SetSkin(int32_t index)
{
    if (!m_factory || index < 0 || index >= static_cast<int32_t>(m_factory->GetSkins().GetCount()))
        return E_INVALIDARG;
    WString face;
    float size = 0.0f;
    uint32_t style = 0;
    const KXRESULT hr = GetSystemFont(face, size, style);
    if (Failed(hr))
        ThrowFailedResult(hr, "KX::LFrameworkApp::SetSkin", kAppMethodPath, 225);
    m_factory->SetCurrentSkinIndex(index);
    m_factory->GetSkinFont(face, size, style);
    m_defaultFont = LFont::GetFont(face, size, static_cast<int32_t>(style));

    // The busy scope's idle pass may close windows: walk the list as it was and pass over the
    // windows that left it meanwhile.
    const std::vector<RCPtr<LRootWindow>> windows = m_rootWindows;
    const auto isOpen = [this](const RCPtr<LRootWindow>& w) {
        return std::find(m_rootWindows.begin(), m_rootWindows.end(), w) != m_rootWindows.end();
    };
    for (const RCPtr<LRootWindow>& window : windows) {
        if (!isOpen(window))
            continue;
        BusyCursorScope busy(WString(u"Loading Skin..."));
        if (!isOpen(window))
            continue;
        IWindowOSServices* services = window->GetServices();
        const bool wasActive = services && services->IsActive();
        if (wasActive)
            window->OnFocusLost();
        if (window->GetMainControl())
            m_factory->ReapplyDescriptor(window->GetMainControl());
        const RectT<int32_t> client = window->GetClientRect();
        window->InvalidateRect(RectT<int32_t>{0, 0, client.width, client.height});
        if (wasActive)
            window->RestoreFocus();
    }

    const int32_t file = GetSettingsFile(kUserSettings);
    if (file != 0)
        if (IIniFileManager* ini = GetIniFileManager())
            ini->SetIniValueInt(file, WString(kSkinIndexKey), index);
    return S_OK;
}

} // namespace KX
