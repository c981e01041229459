#pragma once
// The list controls' tests: the lists area's skin with its icon images as resources, a client
// that counts the notifications a list sends, and row helpers.
#include "ControlsHarness.h"

#include "kx/NotificationClient.h"
#include "kx/Resources.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/ControlCreate.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ctltest {

// Counts notifications by name and keeps the last payload.
class ListNotificationCounter : public KX::LNotificationClient {
public:
    // Registers for each name at source.
    void Watch(const KX::RCPtr<KX::LNotificationDistributor>& source, std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* name : names)
            RegisterForNotification(source, name, 0);
    }
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        if (!n)
            return KX::S_FALSE;
        const std::u16string id(n->GetID());
        ++counts[id];
        last[id] = n->GetPayload();
        return KX::S_OK;
    }
    int Count(const char16_t* id) const
    {
        const auto it = counts.find(id);
        return it == counts.end() ? 0 : it->second;
    }
    void Reset()
    {
        counts.clear();
        last.clear();
    }
    std::map<std::u16string, int> counts;
    std::map<std::u16string, KX::ConstRCPtr<KX::LRefCountedObject>> last;
};

class ListsTest : public ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"lists"}; }

    void SetUp() override
    {
        // The skin's icon parts read these images as resources.
        for (const char* name : {"lists_icon_a.png", "lists_icon_b.png"}) {
            const std::string bytes = ReadTextFile(std::string(KX_CONTROLS_TEST_RESOURCES) + name);
            std::string resource(name);
            for (char& c : resource)
                c = c == '.' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            m_icons.push_back(std::make_unique<KX::ScopedResource>(
                KX::WString(KX::kResourceTypeImage), KX::WString(resource.c_str()),
                std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));
        }
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The scroll bar's channel is the application's panel class, registered by the shell.
        if (!KX::FindBuiltInControlCreator(KX::WString(u"Framework.ScrollChannel")))
            factory->RegisterControlClass(KX::WString(u"Framework.ScrollChannel"),
                                          &KX::CreateControlOfClass<KX::LScrollView>);
        counter = KX::RCPtr<ListNotificationCounter>(new ListNotificationCounter());
    }
    void TearDown() override
    {
        if (counter)
            counter->UnregisterFromAll();
        counter = nullptr;
        ControlsTest::TearDown();
        m_icons.clear();
    }

    // The skin's list box of that name, watched by the counter.
    template <class T = KX::LListBox>
    KX::RCPtr<T> MakeList(const char16_t* name)
    {
        KX::RCPtr<T> list = CreateAs<T>(name);
        if (list)
            counter->Watch(KX::RCPtr<KX::LNotificationDistributor>(list.Get()),
                           {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED", u"NID_ITEM_DOUBLE_CLICKED",
                            u"NID_ITEM_CHECK_CHANGE", u"NID_ITEM_HOVER_CONDITION_CHANGE"});
        return list;
    }
    // The centre of the row that shows item (window coordinates).
    static KX::PointT<int32_t> RowCentre(KX::LListBox& list, int32_t item)
    {
        const KX::RCPtr<KX::LListBoxItem> row = list.GetRowAt(list.GetRowOfItem(item));
        return row ? CentreOf(*row) : KX::PointT<int32_t>{-1, -1};
    }
    static std::string RowText(KX::LListBox& list, int32_t row)
    {
        const KX::RCPtr<KX::LListBoxItem> control = list.GetRowAt(row);
        return control ? std::string(control->GetText().ToNarrow().GetString()) : std::string("<no row>");
    }
    static std::string ItemText(const KX::LListBox& list, int32_t item)
    {
        return list.GetItemText(item).ToNarrow().GetString();
    }

    KX::RCPtr<ListNotificationCounter> counter;

private:
    std::vector<std::unique_ptr<KX::ScopedResource>> m_icons;
};

} // namespace ctltest
