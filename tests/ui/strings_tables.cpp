// String table objects: prefix queries, updates and the copies the table set hands out.
#include "StringDocs.h"
#include "kx/ui/StringTable.h"
#include "kx/ui/StringTableSet.h"

#include <gtest/gtest.h>

using KX::WString;

namespace {

KX::LStringTable::Entries ContextMenuEntries()
{
    return {{WString(u"CONTEXT_MENU"), WString(u"bare")},      {WString(u"CONTEXT_MENU.b"), WString(u"B")},
            {WString(u"CONTEXT_MENU.a"), WString(u"A")},       {WString(u"context_menu.c"), WString(u"C")},
            {WString(u"CONTEXT_MENU.a.sub"), WString(u"sub")}, {WString(u"CONTEXT_MENV"), WString(u"after")}};
}

TEST(StringTable, PrefixQueryKeepsFullKeysInOrderAndEmptiesTheOutArrayFirst)
{
    KX::ConstRCPtr<KX::LStringTable> table(new KX::LStringTable(ContextMenuEntries()));
    KX::Array<KX::LStringTable::EntryPair> out;
    out.AddItem({WString(u"stale"), WString(u"x")});
    EXPECT_EQ(table->GetEntriesByPrefix(WString(u"CONTEXT_MENU."), out), KX::S_OK);
    ASSERT_EQ(out.GetCount(), 3u);
    EXPECT_TRUE(out.ElementAt(0).first.Equals(u"CONTEXT_MENU.a"));
    EXPECT_TRUE(out.ElementAt(0).second.Equals(u"A"));
    EXPECT_TRUE(out.ElementAt(1).first.Equals(u"CONTEXT_MENU.a.sub"));
    EXPECT_TRUE(out.ElementAt(2).first.Equals(u"CONTEXT_MENU.b"));

    // A key equal to the prefix matches; case counts; an empty prefix matches everything.
    table->GetEntriesByPrefix(WString(u"CONTEXT_MENU"), out);
    EXPECT_EQ(out.GetCount(), 4u);
    table->GetEntriesByPrefix(WString(), out);
    EXPECT_EQ(out.GetCount(), 6u);
    table->GetEntriesByPrefix(WString(u"CONTEXT_MENU.a.sub.longer"), out);
    EXPECT_EQ(out.GetCount(), 0u);
}

TEST(StringTable, LookupAndSetStringResults)
{
    KX::RCPtr<KX::LStringTable> table(new KX::LStringTable());
    WString text(u"untouched");
    EXPECT_FALSE(table->Lookup(WString(u"KEY"), text));
    EXPECT_TRUE(text.Equals(u"untouched"));
    EXPECT_EQ(table->SetString(WString(), WString(u"x")), KX::E_INVALIDARG);
    EXPECT_EQ(table->GetCount(), 0u);
    EXPECT_EQ(table->SetString(WString(u"KEY"), WString(u"one")), KX::S_OK);
    EXPECT_EQ(table->SetString(WString(u"KEY"), WString(u"two")), KX::S_FALSE);
    EXPECT_TRUE(table->Lookup(WString(u"KEY"), text));
    EXPECT_TRUE(text.Equals(u"two"));
    // Keys are case-sensitive.
    EXPECT_FALSE(table->Lookup(WString(u"key"), text));
}

TEST(StringTableSet, HandedOutTablesAreIndependentCopies)
{
    KX::StringTableSet tables;
    tables.SetApplicationName(WString(u"PresetEditor"));
    tables.Open(WString(u"|PresetEditor"))[WString(u"TITLE")] = WString(u"Lumo");
    tables.Open(WString(u"PresetEditor|mainControl"))[WString(u"LABEL")] = WString(u"Main");

    KX::ConstRCPtr<KX::LStringTable> first = tables.GetApplicationTable();
    ASSERT_TRUE(first);
    const_cast<KX::LStringTable*>(first.Get())->SetString(WString(u"TITLE"), WString(u"changed"));
    KX::ConstRCPtr<KX::LStringTable> second = tables.GetApplicationTable();
    WString text;
    ASSERT_TRUE(second->Lookup(WString(u"TITLE"), text));
    EXPECT_TRUE(text.Equals(u"Lumo"));
    EXPECT_NE(first.Get(), second.Get());

    const WString id = KX::StringTableSet::ControlTableId(WString(u"PresetEditor"), WString(u"mainControl"));
    EXPECT_TRUE(id.Equals(u"PresetEditor|mainControl"));
    EXPECT_TRUE(tables.GetTable(id));
    EXPECT_FALSE(tables.GetTable(WString(u"PresetEditor|nobody")));
    EXPECT_FALSE(tables.GetFrameworkTable());
    EXPECT_FALSE(KX::LStringTable::Null());
}

} // namespace
