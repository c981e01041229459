#pragma once
// Control hosts backed by a control factory: the operations that come from the factory's current
// skin (shared with the framework application), and a host that owns one factory and takes the
// screen and root window from what it is given, registered as the process's control host while it
// lives. UI thread only.
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindowSeam.h"

namespace KX {

// The control-host operations that come from a control factory: string tables, sub-controls and
// skin controls by name. The host says which factory; without one a control gets no table, no
// children (S_FALSE, as for no descriptor) and no skin control.
class FactoryBackedControlHost : public IControlHost {
public:
    // A newly constructed control gets its string table from its parent and name (left alone
    // when there is none).
    void ResolveStringTable(LControl& control) override;
    // Creates each sub-control whose "DEFER_CREATE" parameter is not true, in order; the first
    // failure (an unregistered class throws) stops and passes on. S_OK.
    KXRESULT CreateChildControls(LControl& parent, const LControlDescriptor* descriptor) override;
    // The current skin's top-level control of that name created under parent; null when the skin
    // has none.
    RCPtr<LControl> CreateSkinControl(const WString& name, const RCPtr<LControl>& parent) override;

protected:
    // Null when there is none (any more).
    virtual LControlFactory* GetHostFactory() const noexcept = 0;
};

class LFactoryControlHost : public FactoryBackedControlHost {
public:
    explicit LFactoryControlHost(const RCPtr<LControlFactory>& factory,
                                 RectT<int32_t> screen = RectT<int32_t>{0, 0, 1920, 1080});
    ~LFactoryControlHost() override;
    LFactoryControlHost(const LFactoryControlHost&) = delete;
    LFactoryControlHost& operator=(const LFactoryControlHost&) = delete;

    RectT<int32_t> GetScreenArea() override { return m_screen; }
    RCPtr<IRootWindow> GetActiveRootWindow() override { return m_window; }
    RCPtr<IRootWindow> GetFirstRootWindow() override { return m_window; }

    // The window top-level controls are laid out against when they have none of their own.
    void SetRootWindow(const RCPtr<IRootWindow>& window) { m_window = window; }
    const RCPtr<LControlFactory>& GetFactory() const noexcept { return m_factory; }
    // A top-level control of the current skin by name, given to window; null when there is none.
    RCPtr<LControl> CreateControlByName(const WString& name, const RCPtr<IRootWindow>& window);

protected:
    LControlFactory* GetHostFactory() const noexcept override { return m_factory.Get(); }

private:
    RCPtr<LControlFactory> m_factory;
    RectT<int32_t> m_screen;
    RCPtr<IRootWindow> m_window;
    IControlHost* m_previous;
};

} // namespace KX
