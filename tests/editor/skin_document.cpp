// The editor's skin document and string tables as a whole: every class it names can be made or is
// a known editor class, every child the application finds by name is where it is looked for, every
// look list has the looks its class indexes, every image is embedded, and every string key the
// application reads has an English text.
#include "SkinTestDocs.h"

#include "editor/EditorClasses.h"

#include "kx/Resources.h"
#include "kx/controls/ControlClasses.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/SkinDescriptor.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace KX;
using skintest::Narrow;

namespace {

class EditorSkin : public ::testing::Test {
protected:
    void SetUp() override
    {
        factory = skintest::LoadEditorDocuments();
        ASSERT_TRUE(factory);
        ASSERT_EQ(factory->GetSkins().GetCount(), 1u);
        skin = factory->GetSkins().GetData()[0].Get();
    }

    // The descriptor at the path of names below the skin's top level, or null.
    const LControlDescriptor* Find(std::initializer_list<const char16_t*> path) const
    {
        const LControlDescriptor* at = skin;
        for (const char16_t* name : path) {
            const LControlDescriptor* next = nullptr;
            const RCPtrArray<LControlDescriptor>& children = at->GetChildren();
            for (uint32_t i = 0; i < children.GetCount() && !next; ++i)
                if (children.GetData()[i] && children.GetData()[i]->GetName() == WString(name))
                    next = children.GetData()[i].Get();
            if (!next)
                return nullptr;
            at = next;
        }
        return at;
    }

    static void Walk(const LControlDescriptor& d, const std::function<void(const LControlDescriptor&)>& visit)
    {
        visit(d);
        for (uint32_t i = 0; i < d.GetChildren().GetCount(); ++i)
            if (const RCPtr<LControlDescriptor>& child = d.GetChildren().GetData()[i])
                Walk(*child, visit);
    }

    RCPtr<LControlFactory> factory;
    const LControlDescriptor* skin = nullptr;
};

// The editor table's row of a class name, or null.
const EditorControlClass* EditorRow(const WString& name)
{
    for (const EditorControlClass& row : GetEditorControlClasses())
        if (name == WString(row.name))
            return &row;
    return nullptr;
}

} // namespace

TEST_F(EditorSkin, NamesOnlyClassesThatCanBeMade)
{
    // A name without a create function makes the factory refuse the whole tree: classes still being
    // built stay out of the skin (their places hold plain panels until then).
    std::set<std::u16string> framework;
    for (const BuiltInControlClass& c : GetBuiltInControlClasses())
        if (FindBuiltInControlCreator(WString(c.name)))
            framework.insert(c.name);
    for (const char16_t* name : GetApplicationFrameworkClassNames())
        if (FindBuiltInControlCreator(WString(name)))
            framework.insert(name);
    int checked = 0;
    Walk(*skin, [&](const LControlDescriptor& d) {
        if (&d == skin)
            return;
        ++checked;
        const WString& cls = d.GetClassName();
        const EditorControlClass* row = EditorRow(cls);
        if (framework.count(cls.GetString()) > 0 || (row && row->create))
            return;
        ADD_FAILURE() << Narrow(d.GetName()) << " names the class " << Narrow(cls)
                      << (row ? ", whose class is not built yet" : ", which nothing registers");
    });
    EXPECT_GT(checked, 200);
}

TEST_F(EditorSkin, HoldsEveryChildTheApplicationFindsByName)
{
    // The main window and the device view.
    const std::vector<std::vector<const char16_t*>> paths = {
        {u"mainControl", u"mainMenu"},
        {u"mainControl", u"viewDevice"},
        {u"mainControl", u"mainMenu", u"templateMenu", u"popupMenu", u"templateItem", u"hotKeyLabel"},
        {u"contextMenu", u"templateItem"},
        {u"dialogRetrievePresetFromHardware", u"header"},
        {u"dialogRetrievePresetFromHardware", u"getButton"},
        {u"dialogRetrievePresetFromHardware", u"presetSlot", u"comboBox", u"listBox", u"templateItem"},
        {u"dialogSendPreset", u"header"},
        {u"dialogSendPreset", u"send"},
        {u"dialogSendPreset", u"presetSlot", u"comboBox", u"listBox", u"templateItem"},
        {u"dialogAbout", u"labelProduct"},
        {u"dialogAbout", u"labelCopyright"},
        {u"dialogAbout", u"buttonOK"},
        {u"dialogAbout", u"TarvelLogo"},
        {u"dialogAbout", u"productLogo"},
        {u"globalEditorControl", u"headerLabel"},
        {u"globalEditorControl", u"getGlobalSettingsButton"},
        {u"globalEditorControl", u"sendGlobalSettingsButton"},
        {u"globalEditorControl", u"midiChannel", u"label"},
        // The push-button tile that the groups place.
        {u"pushButtonTile", u"button"},
        {u"pushButtonTile", u"buttonNumberLabel"},
        {u"pushButtonTile", u"color"},
        {u"pushButtonTile", u"viewPanel", u"midiChannel", u"label"},
        {u"pushButtonTile", u"viewPanel", u"infoLabel"},
    };
    for (const auto& path : paths) {
        std::string text;
        for (const char16_t* p : path)
            text += "/" + Narrow(WString(p));
        const LControlDescriptor* found = nullptr;
        switch (path.size()) {
        case 2: found = Find({path[0], path[1]}); break;
        case 3: found = Find({path[0], path[1], path[2]}); break;
        case 4: found = Find({path[0], path[1], path[2], path[3]}); break;
        case 5: found = Find({path[0], path[1], path[2], path[3], path[4]}); break;
        case 6: found = Find({path[0], path[1], path[2], path[3], path[4], path[5]}); break;
        default: break;
        }
        EXPECT_TRUE(found) << "missing " << text;
    }

    const char16_t* deviceChildren[] = {u"padEditPanel",    u"knobEditPanel",
                                        u"faderEditPanel",  u"volumePedalEditPanel",
                                        u"wheelEditPanel",  u"xyPadEditPanel",
                                        u"sustainEditPage", u"zoneEditPanel",
                                        u"buttonEditPanel", u"pads",
                                        u"encoders",        u"faders",
                                        u"wheels",          u"pedals",
                                        u"keybedZones",     u"buttons",
                                        u"xyPad",           u"presetNameEditPanel",
                                        u"groupBankPanel"};
    for (const char16_t* name : deviceChildren) {
        const LControlDescriptor* d = Find({u"mainControl", u"viewDevice", name});
        ASSERT_TRUE(d) << "the device view lacks " << Narrow(WString(name));
        // Each is taken as a panel: a framework panel, or an editor name (built as a plain panel, or
        // one of the editor's own panel classes).
        const EditorControlClass* row = EditorRow(d->GetClassName());
        EXPECT_TRUE(d->GetClassName() == WString(u"Framework.Panel") || row)
            << Narrow(WString(name)) << " is a " << Narrow(d->GetClassName());
    }
    for (int bank = 1; bank <= 4; ++bank) {
        const std::u16string n = u"bank" + std::u16string(1, char16_t(u'0' + bank));
        const LControlDescriptor* button = Find({u"mainControl", u"viewDevice", u"groupBankPanel", n.c_str()});
        ASSERT_TRUE(button) << "bank button " << bank;
        EXPECT_EQ(Narrow(button->GetClassName()), "Framework.Button");
        for (const char16_t* group : {u"faders", u"buttons", u"encoders"}) {
            std::u16string prefix = group == std::u16string(u"faders")    ? u"faderBank"
                                    : group == std::u16string(u"buttons") ? u"buttonBank"
                                                                          : u"encoderBank";
            prefix += char16_t(u'0' + bank);
            EXPECT_TRUE(Find({u"mainControl", u"viewDevice", group, prefix.c_str()}))
                << Narrow(WString(group)) << " lacks " << Narrow(WString(prefix.c_str()));
        }
    }

    // The global settings: each setting's panel with its inner control of the right class.
    const std::pair<const char16_t*, const char16_t*> settings[] = {
        {u"controlCurve", u"comboBox"},      {u"keyOctave", u"numericUpDown"},    {u"keySensitivity", u"comboBox"},
        {u"keyTranspose", u"numericUpDown"}, {u"lsb", u"numericUpDown"},          {u"msb", u"numericUpDown"},
        {u"mackieHUIToggle", u"comboBox"},   {u"midiChannel", u"comboBox"},       {u"padOctave", u"numericUpDown"},
        {u"padSensitivity", u"comboBox"},    {u"padTranspose", u"numericUpDown"}, {u"program", u"numericUpDown"},
        {u"xyPadSensitivity", u"comboBox"}};
    for (const auto& [panel, inner] : settings) {
        const LControlDescriptor* d = Find({u"globalEditorControl", panel, inner});
        ASSERT_TRUE(d) << "globalEditorControl/" << Narrow(WString(panel)) << "/" << Narrow(WString(inner));
        EXPECT_EQ(Narrow(d->GetClassName()),
                  WString(inner) == WString(u"comboBox") ? "Framework.ComboBox" : "Framework.NumericUpDown");
    }
}

TEST_F(EditorSkin, GivesEveryNumberBoxAHiddenSliderAndDeclaresAFileDropper)
{
    int boxes = 0;
    Walk(*skin, [&](const LControlDescriptor& d) {
        if (d.GetClassName() != WString(u"Framework.NumericUpDown"))
            return;
        ++boxes;
        const LControlDescriptor* slider = nullptr;
        for (uint32_t i = 0; i < d.GetChildren().GetCount(); ++i)
            if (d.GetChildren().GetData()[i]->GetName() == WString(u"slider1"))
                slider = d.GetChildren().GetData()[i].Get();
        ASSERT_TRUE(slider) << Narrow(d.GetName()) << " has no slider1";
        EXPECT_EQ(Narrow(slider->GetClassName()), "Framework.Slider");
        EXPECT_FALSE(slider->GetLayout()->visible);
        ASSERT_EQ(slider->GetChildren().GetCount(), 2u);
        const LControlDescriptor* start = slider->GetChildren().GetData()[0].Get();
        const LControlDescriptor* end = slider->GetChildren().GetData()[1].Get();
        EXPECT_EQ(Narrow(start->GetName()), "thumbStart");
        EXPECT_EQ(Narrow(end->GetName()), "thumbEnd");
        EXPECT_EQ(start->GetSkin()->GetLookList().Get(), end->GetSkin()->GetLookList().Get()) << "one look list";
        for (const LControlDescriptor* marker : {start, end}) {
            WString tip;
            ASSERT_TRUE(marker->GetCreateParams());
            EXPECT_TRUE(marker->GetCreateParams()->Lookup(WString(u"USE_PARENT_TOOLTIP"), tip));
        }
        EXPECT_GT(end->GetLayout()->Position(0).absolute, start->GetLayout()->Position(0).absolute)
            << "a track of some length";
    });
    EXPECT_GT(boxes, 100);

    const LControlDescriptor* dropper = Find({u"fileDropper1"});
    ASSERT_TRUE(dropper) << "a top-level control, made where asked for";
    EXPECT_EQ(Narrow(dropper->GetClassName()), "Framework.FileDropper");
    const LLayoutDescriptor& at = *dropper->GetLayout();
    EXPECT_EQ(at.Position(0).absolute, 10.0);
    EXPECT_EQ(at.Position(1).absolute, 10.0);
    EXPECT_EQ(at.Size(0).absolute, 54.0);
    EXPECT_EQ(at.Size(1).absolute, 38.0);
    const ConstRCPtr<LookList>& looks = dropper->GetSkin()->GetLookList();
    ASSERT_TRUE(looks && looks->GetCount() == 1 && looks->GetData()[0]);
    EXPECT_EQ(Narrow(looks->GetData()[0]->GetName()), "CE.FileDropper");
}

TEST_F(EditorSkin, OpensFixedAt1200By750WithBankOneAndNoEditPanelShowing)
{
    const LControlDescriptor* main = Find({u"mainControl"});
    ASSERT_TRUE(main);
    for (int axis = 0; axis < 2; ++axis) {
        SizeLimit minimum, maximum;
        ASSERT_EQ(main->GetLayout()->GetAxisSizeLimits(axis, minimum, maximum), S_OK);
        EXPECT_EQ(minimum, maximum) << "axis " << axis << ": the main window must be of fixed size";
        EXPECT_EQ(minimum.absolute, axis == 0 ? 1200.0 : 750.0);
    }
    for (const char16_t* group : {u"faders", u"buttons", u"encoders"}) {
        const LControlDescriptor* g = Find({u"mainControl", u"viewDevice", group});
        ASSERT_TRUE(g);
        ASSERT_EQ(g->GetChildren().GetCount(), 4u) << Narrow(WString(group));
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(g->GetChildren().GetData()[i]->GetLayout()->visible, i == 0)
                << Narrow(g->GetChildren().GetData()[i]->GetName());
    }
    int visibleEditPanels = 0;
    for (const char16_t* name :
         {u"padEditPanel", u"knobEditPanel", u"faderEditPanel", u"volumePedalEditPanel", u"wheelEditPanel",
          u"xyPadEditPanel", u"sustainEditPage", u"zoneEditPanel", u"buttonEditPanel"})
        visibleEditPanels += Find({u"mainControl", u"viewDevice", name})->GetLayout()->visible ? 1 : 0;
    // Nothing to edit before a control is clicked.
    EXPECT_EQ(visibleEditPanels, 0);
}

TEST_F(EditorSkin, GivesEveryControlTheLooksItsClassIndexes)
{
    // Looks a class shows by index: a missing one leaves the control without a face in that state.
    auto needed = [](const WString& cls) -> uint32_t {
        if (cls == WString(u"Framework.Button") || cls == WString(u"Framework.ListBoxItem") ||
            cls == WString(u"Framework.MenuItem"))
            return 14;
        if (cls == WString(u"Framework.ComboBox"))
            return 7;
        if (cls == WString(u"Framework.TextBox"))
            return 12;
        if (cls == WString(u"Framework.ComboMenu"))
            return 4;
        if (cls == WString(u"Framework.Slider"))
            return 3;
        return 1;
    };
    Walk(*skin, [&](const LControlDescriptor& d) {
        if (&d == skin)
            return;
        const ConstRCPtr<LSkinDescriptor>& s = d.GetSkin();
        ASSERT_TRUE(s) << Narrow(d.GetName());
        const uint32_t count = needed(d.GetClassName());
        if (count == 1 && d.GetClassName() == WString(u"Framework.NumericUpDown"))
            return; // a bare holder of its text box and buttons
        const ConstRCPtr<LookList>& looks = s->GetLookList();
        ASSERT_TRUE(looks) << Narrow(d.GetName()) << " has no look list";
        ASSERT_GE(looks->GetCount(), count) << Narrow(d.GetName()) << " (" << Narrow(d.GetClassName()) << ")";
        for (uint32_t i = 0; i < count; ++i)
            EXPECT_TRUE(looks->GetData()[i]) << Narrow(d.GetName()) << " lacks look " << i;
    });
}

TEST_F(EditorSkin, EmbedsEveryImageItsPartsNameAtThePartsSize)
{
    const std::string document = skintest::ReadFile(KX_EDITOR_SKIN_FILE);
    ASSERT_FALSE(document.empty());
    // Every image part takes its whole image from the top-left corner: the sizes must agree, or
    // the part shows a cut or an empty margin.
    const std::regex imagePart("<Part Name=\"([^\"]+)\" Width=\"([0-9]+)\" Height=\"([0-9]+)\" "
                               "ResizeType=\"[A-Za-z]+\" ImageFile=\"([^\"]+)\"");
    int images = 0;
    for (auto it = std::sregex_iterator(document.begin(), document.end(), imagePart); it != std::sregex_iterator();
         ++it) {
        const std::string part = (*it)[1], file = (*it)[4];
        const uint32_t width = static_cast<uint32_t>(std::stoul((*it)[2])),
                       height = static_cast<uint32_t>(std::stoul((*it)[3]));
        ++images;
        EXPECT_EQ(file, skintest::Lower(file)) << "image files are named in lower case";
        std::span<const uint8_t> png;
        ASSERT_TRUE(FindEmbeddedResource(WString(kResourceTypeImage),
                                         ResourceNameFromPath(WString(("::" + file).c_str())), png))
            << file << " is not embedded";
        ASSERT_GT(png.size(), 24u) << file;
        auto be = [&](size_t at) {
            return (uint32_t(png[at]) << 24) | (uint32_t(png[at + 1]) << 16) | (uint32_t(png[at + 2]) << 8) |
                   png[at + 3];
        };
        EXPECT_EQ(be(16), width) << part << " (" << file << ")";
        EXPECT_EQ(be(20), height) << part << " (" << file << ")";
    }
    int imageFiles = 0;
    for (size_t at = document.find("ImageFile="); at != std::string::npos; at = document.find("ImageFile=", at + 1))
        ++imageFiles;
    EXPECT_EQ(images, imageFiles) << "an image part not of the form above went unchecked";
    EXPECT_GE(images, 15);
    std::span<const uint8_t> icon;
    EXPECT_TRUE(FindEmbeddedResource(WString(kResourceTypeImage), WString(u"APP_ICON_PNG"), icon)) << "the window icon";
}

TEST(EditorResources, EmbeddedDocumentsLoadAsTheProgramLoadsThem)
{
    // The program reads "::" documents: the names the build embeds them under must match. Its
    // factory starts under the product's name; the documents name the application's tables.
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"Lumo 25 Preset Editor")));
    ASSERT_EQ(factory->LoadStringTables(WString(u"::APP_STRINGS"), WString(u"::FRAMEWORK_STRINGS"), 0x0409), S_OK);
    EXPECT_EQ(factory->GetLastXMLErrorLine(), 0) << Narrow(factory->GetLastXMLErrorText());
    ASSERT_EQ(factory->LoadSkins(WString(u"::APP_SKINS")), S_OK)
        << factory->GetLastXMLErrorLine() << ": " << Narrow(factory->GetLastXMLErrorText());
    EXPECT_TRUE(factory->FindControlDescriptor(WString(u"mainControl")));
    EXPECT_TRUE(factory->FindControlDescriptor(WString(u"globalEditorControl")));
    WString text;
    ASSERT_TRUE(factory->GetApplicationStringTable());
    EXPECT_TRUE(factory->GetApplicationStringTable()->Lookup(WString(u"APP_VERSION"), text));
    EXPECT_EQ(Narrow(text), "Version");
    const ConstRCPtr<LStringTable> about =
        factory->GetStringTable(static_cast<const LControl*>(nullptr), WString(u"dialogAbout"));
    ASSERT_TRUE(about) << "a top-level control's table is named after the application";
    EXPECT_TRUE(about->Lookup(WString(u"LABEL"), text));
    ASSERT_TRUE(factory->GetFrameworkStringTable());
    EXPECT_TRUE(factory->GetFrameworkStringTable()->Lookup(WString(u"EXCEPTION_ID"), text));
}
