#pragma once
// The four group panels of the controls that come in numbers: push buttons (four banks of five),
// encoders (four banks of four), faders (four banks of five) and pads (sixteen, no banks). Each is
// the group panel frame with its own names and manners and the parameter tree's collection
// interface of its kind; its child accessor hands out the tiles, or the edit panel in place of the
// tile it edits, and what comes up from below ends in the tiles. Main thread only.
#include "editor/GroupPanelFrame.h"

#include "engine/ModuleInterfaces.h"

class LButtonGroupPanel : public LGroupPanelFrame, public IPushButtons {
public:
    static const GroupPanelLayout kLayout;

    LButtonGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IPushButtons::GetPushButton;
    KX::RCPtr<IPushButton> GetPushButton(uint32_t index) override { return ChildAs<IPushButton>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IPushButtons::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LButtonGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};

class LEncoderGroupPanel : public LGroupPanelFrame, public IEncoders {
public:
    static const GroupPanelLayout kLayout;

    LEncoderGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IEncoders::GetEncoder;
    KX::RCPtr<IEncoder> GetEncoder(uint32_t index) override { return ChildAs<IEncoder>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IEncoders::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LEncoderGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};

class LFaderGroupPanel : public LGroupPanelFrame, public IFaders {
public:
    static const GroupPanelLayout kLayout;

    LFaderGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IFaders::GetFader;
    KX::RCPtr<IFader> GetFader(uint32_t index) override { return ChildAs<IFader>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IFaders::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LFaderGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};

class LPadGroupPanel : public LGroupPanelFrame, public IPads {
public:
    static const GroupPanelLayout kLayout;

    LPadGroupPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    using IPads::GetPad;
    KX::RCPtr<IPad> GetPad(uint32_t index) override { return ChildAs<IPad>(index); }
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        const IdPass pass(*this);
        IPads::SetFirstParamID(parent, firstId, index);
    }
    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return MirrorToTiles(descriptor, value);
    }

protected:
    ~LPadGroupPanel() override;
    LParameterizedModule* GroupModule() override { return this; }
    LParameterizedModule* LeafModuleOf(KX::LControl* control) const override;
};
