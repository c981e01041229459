// The menu model: parsing string-table entries into menus (positions, groups, separators, texts,
// cycles and runaway fan-out), deep copies, and the parent links that must not keep a tree alive.
#include "kx/DebugTrace.h"
#include "kx/ui/MenuDescriptor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace KX;

namespace {

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

RCPtr<LMenuDescriptor> Parse(std::vector<std::pair<const char16_t*, const char16_t*>> entries)
{
    Array<Pair<WString, WString>> list;
    for (const auto& [key, text] : entries)
        list.AddItem(Pair<WString, WString>{WString(key), WString(text)});
    return LMenuDescriptor::ParseMenuText(list);
}

// "label" per item, "-" for a separator, sub-menus in brackets.
std::string Labels(const LMenuDescriptor& menu)
{
    std::string out;
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu.GetItem(i);
        out += i ? " " : "";
        out += item->IsSeparator() ? std::string("-") : Narrow(item->label);
        if (item->HasSubItems())
            out += "[" + Labels(*item) + "]";
    }
    return out;
}

uint32_t CountItems(const LMenuDescriptor& menu)
{
    uint32_t n = menu.GetItemCount();
    for (uint32_t i = 0; i < menu.GetItemCount(); ++i)
        n += CountItems(*menu.GetItem(i));
    return n;
}

} // namespace

TEST(MenuModel, TheApplicationsFileMenuKeepsTextsAsWrittenAndSeparatorsIgnoreTheirText)
{
    const RCPtr<LMenuDescriptor> menu =
        Parse({{u"00.NID_MENU_FILE_SEND_PRESET_TO_DEVICE", u"Send Preset| Send this preset to the controller."},
               {u"01.NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE", u"Retrieve Preset| Retreive a preset."},
               {u"02.-", u"-"},
               {u"03.NID_MENU_FILE_LOAD_PRESET_FROM_FILE", u"Load Preset | Load Preset from disk."},
               {u"04.NID_MENU_FILE_SAVE_PRESET_TO_FILE", u"Save Preset | Save Preset to disk"},
               {u"05.-", u"not shown"},
               {u"06.NID_MENU_FILE_GLOBALSETTINGS_REQ", u"Global Settings"},
               {u"07.-", u"-"},
               {u"08.NID_MENU_FILE_EXIT_REQ", u"Exit|Exit Lumo 25 Preset Editor"},
               {u"09.NID_ENDS_WITH_BAR", u"Bar|"},
               {u"10.NID_STARTS_WITH_BAR", u"|Help only"}});
    ASSERT_TRUE(menu);
    EXPECT_EQ(Labels(*menu), "Send Preset Retrieve Preset - Load Preset  Save Preset  - Global Settings - Exit Bar ");
    const RCPtr<LMenuItemDescriptor> load = menu->GetItem(3);
    EXPECT_EQ(Narrow(load->label), "Load Preset ");
    EXPECT_EQ(Narrow(load->helpText), " Load Preset from disk.");
    EXPECT_EQ(Narrow(load->id), "NID_MENU_FILE_LOAD_PRESET_FROM_FILE");
    EXPECT_TRUE(load->IsEnabled());
    EXPECT_FALSE(load->IsChecked());
    EXPECT_TRUE(load->hotKeyText.IsEmpty());
    EXPECT_TRUE(menu->GetItem(6)->helpText.IsEmpty());
    const RCPtr<LMenuItemDescriptor> separator = menu->GetItem(5);
    EXPECT_TRUE(separator->IsSeparator() && separator->label.IsEmpty() && separator->id.IsEmpty());
    EXPECT_TRUE(menu->GetItem(9)->helpText.IsEmpty());
    EXPECT_TRUE(menu->GetItem(10)->label.IsEmpty());
    EXPECT_EQ(Narrow(menu->GetItem(10)->helpText), "Help only");
    for (uint32_t i = 0; i < menu->GetItemCount(); ++i)
        EXPECT_EQ(menu->GetItem(i)->GetParentMenu().Get(), menu.Get());

    LMenuItemState state{1, 1, WString(u"x")};
    menu->GetItemState(11, state);
    EXPECT_TRUE(state == LMenuItemState()) << "past the end reads {0, 0, \"\"}";
    ASSERT_TRUE(Parse({}));
    EXPECT_EQ(Parse({})->GetItemCount(), 0u);
}

TEST(MenuModel, PositionsMustRunWithoutGapsInKeyOrder)
{
    EXPECT_EQ(Labels(*Parse({{u"00.P", u"P"}, {u"01.Q", u"Q"}, {u"03.R", u"R"}, {u"04.S", u"S"}})), "P Q");
    EXPECT_EQ(Labels(*Parse({{u"0.P", u"P"}, {u"1.Q", u"Q"}, {u"10.R", u"R"}, {u"2.S", u"S"}})), "P Q S");
    EXPECT_EQ(Labels(*Parse({{u"00.P", u"P"},
                             {u"00.Q", u"Q"},
                             {u"NOPE", u"one piece"},
                             {u"99999999999999999999.X", u"huge"},
                             {u"01.R", u"R"}})),
              "P R");
    // A position reads like the runtime's integer conversion: leading blanks and a sign count.
    EXPECT_EQ(Labels(*Parse({{u"00.G.", u"G"}, {u"G. 0.A", u"A"}, {u"G. 1.B", u"B"}, {u"G.-1.X", u"X"}})), "G[A B]");
    EXPECT_EQ(Labels(*Parse({{u"00.G.", u"G"}, {u"G.-1.X", u"X"}, {u"G.0.A", u"A"}})), "G[A]") << "-1 is no 0";
}

TEST(MenuModel, SubMenusComeFromNamedGroups)
{
    const RCPtr<LMenuDescriptor> menu = Parse({{u"00.A", u"A"},
                                               {u"01.B", u"B"},
                                               {u"02.C", u"C"},
                                               {u"03.FILE.", u"Files|Open a file"},
                                               {u"04.NONE.", u"Nothing"},
                                               {u"FILE.00.X", u"X"},
                                               {u"FILE.01.DEEP..", u"Deep"},
                                               {u"DEEP.00.Y", u"Y"}});
    ASSERT_TRUE(menu);
    EXPECT_EQ(Labels(*menu), "A B C Files[X Deep[Y]]") << "a missing group adds nothing";
    const RCPtr<LMenuItemDescriptor> files = menu->GetItem(3);
    EXPECT_TRUE(files->id.IsEmpty());
    EXPECT_EQ(Narrow(files->helpText), "Open a file");
    EXPECT_EQ(files->GetParentMenu().Get(), menu.Get());
    EXPECT_EQ(files->GetItem(1)->GetItem(0)->GetParentMenu().Get(), files->GetItem(1).Get());
}

TEST(MenuModel, GroupsReferringToEachOtherInACycleEnd)
{
    const RCPtr<LMenuDescriptor> menu = Parse({{u"00.A.", u"A"},
                                               {u"A.00.B.", u"to B"},
                                               {u"A.01.X", u"X"},
                                               {u"B.00.A.", u"back to A"},
                                               {u"B.01.B.", u"to itself"},
                                               {u"B.02.Y", u"Y"}});
    ASSERT_TRUE(menu);
    EXPECT_EQ(Labels(*menu), "A[to B[Y] X]") << "references back along the path are left out";

    // Each group names the next twice: the tree would double with every level.
    std::vector<std::u16string> keys, texts;
    for (int g = 0; g < 40; ++g) {
        const std::u16string name = u"G" + std::u16string(1, static_cast<char16_t>(u'A' + g % 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'a' + g / 26));
        const std::u16string next = u"G" + std::u16string(1, static_cast<char16_t>(u'A' + (g + 1) % 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'a' + (g + 1) / 26));
        keys.push_back(name + u".00." + next + u".");
        keys.push_back(name + u".01." + next + u".");
    }
    std::vector<std::pair<const char16_t*, const char16_t*>> entries{{u"00.GAa.", u"top"}};
    for (const auto& key : keys)
        entries.emplace_back(key.c_str(), u"x");
    const RCPtr<LMenuDescriptor> wide = Parse(entries);
    ASSERT_TRUE(wide);
    EXPECT_LE(CountItems(*wide), LMenuDescriptor::kMaxItems);
}

TEST(MenuModel, ItemsAndLevelsBeyondTheLimitsAreLeftOutWithATraceLine)
{
    std::ostringstream trace;
    std::ostream* old = GetDebugTrace().narrowOut.exchange(&trace);
    // 5000 items in one menu: 4096 are kept, the cut is reported once.
    std::vector<std::u16string> keys;
    for (int i = 0; i < 5000; ++i) {
        char16_t digits[8] = {};
        for (int d = 3, v = i; d >= 0; --d, v /= 10)
            digits[d] = static_cast<char16_t>(u'0' + v % 10);
        keys.push_back(std::u16string(digits) + u".ITEM");
    }
    std::vector<std::pair<const char16_t*, const char16_t*>> entries;
    for (const auto& key : keys)
        entries.emplace_back(key.c_str(), u"x");
    const RCPtr<LMenuDescriptor> wide = Parse(entries);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->GetItemCount(), LMenuDescriptor::kMaxItems);
    EXPECT_EQ(trace.str(), "Menu: more than 4096 items; the rest are left out\n");

    // A chain of 40 groups: 31 levels below the top are kept, the next is reported.
    trace.str("");
    std::vector<std::u16string> chain;
    for (int g = 0; g < 40; ++g)
        chain.push_back(u"L" + std::u16string(1, static_cast<char16_t>(u'A' + g % 26)) +
                        std::u16string(1, static_cast<char16_t>(u'a' + g / 26)) + u".00.L" +
                        std::u16string(1, static_cast<char16_t>(u'A' + (g + 1) % 26)) +
                        std::u16string(1, static_cast<char16_t>(u'a' + (g + 1) / 26)) + u".");
    entries = {{u"00.LAa.", u"top"}};
    for (const auto& key : chain)
        entries.emplace_back(key.c_str(), u"x");
    const RCPtr<LMenuDescriptor> deep = Parse(entries);
    GetDebugTrace().narrowOut.store(old);
    ASSERT_TRUE(deep);
    uint32_t levels = 0;
    for (LMenuDescriptor* m = deep.Get(); m && m->GetItemCount() > 0; m = m->GetItem(0).Get())
        ++levels;
    EXPECT_EQ(levels, LMenuDescriptor::kMaxDepth - 1);
    EXPECT_EQ(trace.str(), "Menu: sub-menu LFb is more than 31 levels deep; left out\n");
}

TEST(MenuModel, ACopyIsDeepAndReparented)
{
    const RCPtr<LMenuDescriptor> menu = Parse({{u"00.SUB.", u"Sub"}, {u"SUB.00.X", u"X|help"}});
    menu->GetItem(0)->GetItem(0)->hotKeyText = WString(u"Ctrl+X");
    const RCPtr<LMenuDescriptor> copy = menu->CreateMenuCopy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetParentMenu(), nullptr);
    const RCPtr<LMenuItemDescriptor> x = copy->GetItem(0)->GetItem(0);
    EXPECT_NE(x.Get(), menu->GetItem(0)->GetItem(0).Get());
    EXPECT_EQ(x->GetParentMenu().Get(), copy->GetItem(0).Get());
    EXPECT_EQ(Narrow(x->helpText), "help");
    EXPECT_EQ(Narrow(x->hotKeyText), "Ctrl+X");
    x->checked = 1;
    EXPECT_FALSE(menu->GetItem(0)->GetItem(0)->IsChecked());
    // Through the shared-object interface as well.
    const ConstRCPtr<LRefCountedObject> generic = menu->GetItem(0)->CreateCopy();
    ASSERT_TRUE(dynamic_cast<const LMenuItemDescriptor*>(generic.Get()));
    EXPECT_EQ(Narrow(generic->ToString()), "Sub");
}

TEST(MenuModel, ParentLinksDoNotKeepATreeAliveAndAMenuNeverHoldsItsAncestor)
{
    RCPtr<LMenuDescriptor> menu = Parse({{u"00.SUB.", u"Sub"}, {u"SUB.00.X", u"X"}});
    const RCPtr<LMenuItemDescriptor> sub = menu->GetItem(0);
    const RCPtr<LMenuItemDescriptor> x = sub->GetItem(0);
    EXPECT_EQ(menu->GetInternalRefCount(), 1);
    EXPECT_EQ(menu->InsertItem(0, sub), S_OK) << "the same item twice is allowed";
    EXPECT_EQ(sub->InsertItem(0, sub), E_INVALIDARG);
    EXPECT_EQ(x->InsertItem(0, sub), E_INVALIDARG) << "an ancestor inside its own sub-menu";
    EXPECT_EQ(sub->InsertItem(5, LMenuItemDescriptor::CreateSeparator()), E_INVALIDARG);

    menu = nullptr; // the last outside holder: the tree goes, the held items stay
    EXPECT_EQ(sub->GetParentMenu(), nullptr);
    EXPECT_EQ(sub->GetRefCount(), 2) << "x's link and ours";
    EXPECT_EQ(x->GetParentMenu().Get(), sub.Get());

    // An item moved into another menu keeps that parent when its first menu empties.
    const RCPtr<LMenuDescriptor> other = LMenuDescriptor::Create();
    ASSERT_EQ(other->InsertItem(0, x), S_OK);
    sub->RemoveAllItems();
    EXPECT_EQ(x->GetParentMenu().Get(), other.Get());
    EXPECT_EQ(sub->GetInternalRefCount(), 0);
    other->RemoveAllItems();
    EXPECT_EQ(x->GetParentMenu(), nullptr);
}

TEST(MenuModel, TheActivationParameterHoldsItsMenu)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertNewItem(0, WString(u"A"), WString(u"NID_A"), true, false);
    const RCPtr<LMenuActivationParam> param = LMenuActivationParam::Create(menu, 0);
    menu = nullptr;
    ASSERT_TRUE(param->GetItem());
    EXPECT_EQ(Narrow(param->GetItem()->id), "NID_A");
    EXPECT_EQ(LMenuActivationParam::Create(param->GetMenu(), 1)->GetItem(), nullptr);
}
