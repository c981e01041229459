#pragma once
// The edit panel tests' fixture: the editor's real skin and strings on the harness window, the
// engine over a scripted device communication behind the main control, and a small fader group in
// place of the picture's fader panel that hands out the fader edit panel while it is pointed at
// one of its faders and records what the panel reports up the tree.
#include "SkinTestDocs.h"
#include "ViewFixture.h"

#include "editor/FaderEditPanel.h"

#include <fstream>
#include <sstream>

namespace paneltest {

inline std::vector<uint8_t> BytesOf(const KX::Variant& v)
{
    uint32_t n = 0;
    const uint8_t* data = v.GetData(n);
    return data ? std::vector<uint8_t>(data, data + n) : std::vector<uint8_t>();
}

class FaderGroup : public KX::LPanel, public IFaders {
public:
    using IFaders::GetFader;
    FaderGroup(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LPanel(parent, name) {}
    KX::RCPtr<IFader> GetFader(uint32_t i) override
    {
        const KX::RCPtr<LFaderEditPanel> panel(
            dynamic_cast<LFaderEditPanel*>(KX::LControl::GetParent()->FindChild(KX::WString(u"faderEditPanel")).Get()));
        if (panel && panel->LParameterizedModule::GetParent() == this && static_cast<uint32_t>(panel->GetIndex()) == i)
            return KX::RCPtr<IFader>(panel.Get());
        return nullptr;
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& d, const KX::Variant& v) override
    {
        reported.push_back({d.id, BytesOf(v)});
        return LParameterizedModule::SetParamValueGlobal(d, v);
    }
    std::vector<std::pair<int32_t, std::vector<uint8_t>>> reported;
};

class PanelTest : public viewtest::ViewTest {
protected:
    std::vector<std::string> Areas() const override
    {
        const std::string area = skintest::WriteHarnessArea(ctltest::ScreenshotFolder() + "panels_area");
        // The picture's fader panel becomes the recording group.
        std::ifstream in(area + "_skin.xml");
        std::stringstream text;
        text << in.rdbuf();
        std::string skin = text.str();
        const std::string from = "Class=\"PresetEditor.MainControl.FaderView\" Name=\"faders\"";
        if (const size_t at = skin.find(from); at != std::string::npos)
            skin.replace(at, from.size(), "Class=\"Test.FaderGroup\" Name=\"faders\"");
        std::ofstream(area + "_skin.xml") << skin;
        return {area};
    }
    void RegisterClasses(KX::LControlFactory& f) override
    {
        RegisterEditorControlClasses(f);
        f.RegisterControlClass(KX::WString(u"Test.FaderGroup"), &KX::CreateControlOfClass<FaderGroup>);
    }
    int32_t WindowWidth() const override { return 1200; }
    int32_t WindowHeight() const override { return 750; }

    // The fader id of the engine numbered from 0.
    static constexpr int32_t kFirstFaderId = 45;

    std::vector<uint8_t> EngineValue(int32_t id)
    {
        KX::Variant v;
        engine->GetParamValue(KX::ParamDescriptor(id), v);
        return BytesOf(v);
    }
};

// The real main window on a started engine with one edit panel pointed at one control.
template <class Panel>
class OnePanelTest : public PanelTest {
protected:
    // Finds the panel by name and points it at the control's first id.
    void Open(const char16_t* name, int32_t id)
    {
        StartEngine();
        BuildMain();
        ASSERT_TRUE(view);
        panel = ViewChildAs<Panel>(name);
        ASSERT_TRUE(panel);
        panel->SetFirstParamID(nullptr, id, 0);
        RunIdle();
    }
    void TearDown() override
    {
        panel = nullptr;
        PanelTest::TearDown();
    }

    KX::RCPtr<Panel> panel;
};

} // namespace paneltest
