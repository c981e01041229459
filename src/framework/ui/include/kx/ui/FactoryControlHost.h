#pragma once
// A control host backed by one control factory: string tables and child creation come from the
// factory's current skin, the screen and root windows from what it is given. Registers itself as
// the process's control host while it lives. UI thread only.
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindowSeam.h"

namespace KX {

class LFactoryControlHost : public IControlHost {
public:
    explicit LFactoryControlHost(const RCPtr<LControlFactory>& factory,
                                 RectT<int32_t> screen = RectT<int32_t>{0, 0, 1920, 1080});
    ~LFactoryControlHost() override;
    LFactoryControlHost(const LFactoryControlHost&) = delete;
    LFactoryControlHost& operator=(const LFactoryControlHost&) = delete;

    void ResolveStringTable(LControl& control) override;
    // Creates each sub-control whose "DEFER_CREATE" parameter is not true; the first failure
    // (an unregistered class throws) stops and passes on.
    KXRESULT CreateChildControls(LControl& parent, const LControlDescriptor* descriptor) override;
    WString LookupString(const LControl& control, const WString& key) override;
    RectT<int32_t> GetScreenArea() override { return m_screen; }
    RCPtr<IRootWindow> GetActiveRootWindow() override { return m_window; }
    RCPtr<IRootWindow> GetFirstRootWindow() override { return m_window; }
    RCPtr<LControl> CreateSkinControl(const WString& name, const RCPtr<LControl>& parent) override;

    // The window top-level controls are laid out against when they have none of their own.
    void SetRootWindow(const RCPtr<IRootWindow>& window) { m_window = window; }
    const RCPtr<LControlFactory>& GetFactory() const noexcept { return m_factory; }
    // A top-level control of the current skin by name, given to window; null when there is none.
    RCPtr<LControl> CreateControlByName(const WString& name, const RCPtr<IRootWindow>& window);

private:
    RCPtr<LControlFactory> m_factory;
    RectT<int32_t> m_screen;
    RCPtr<IRootWindow> m_window;
    IControlHost* m_previous;
};

} // namespace KX
