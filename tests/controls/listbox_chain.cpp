// The checked list box's notification chain: its own table first, then the list box's; nothing
// before the control is built.
#include "ListsFixture.h"

using namespace KX;

namespace {

// Binds one source's "NID_VALUE_CHANGE" at both class levels and counts which level ran.
class ProbeList : public LCheckedListBox {
public:
    ProbeList() : LCheckedListBox(nullptr, WString(u"probe")) {}

    void Bind(const RCPtr<LNotificationDistributor>& source)
    {
        m_checkedHandler =
            RCPtr<LNotificationHandler<LCheckedListBox>>(new LNotificationHandler<LCheckedListBox>(this));
        m_listHandler = RCPtr<LNotificationHandler<LListBox>>(new LNotificationHandler<LListBox>(this));
        EXPECT_FALSE(KX::Failed(m_checkedHandler->AddDistributorHandler(static_cast<CheckedFn>(&ProbeList::OnChecked),
                                                                        source, u"NID_VALUE_CHANGE", 0)));
        EXPECT_FALSE(KX::Failed(m_listHandler->AddDistributorHandler(static_cast<ListFn>(&ProbeList::OnList), source,
                                                                     u"NID_VALUE_CHANGE", 0)));
    }
    KXRESULT OnChecked(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        ++checked;
        return consume ? kConsumed : S_OK;
    }
    KXRESULT OnList(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        ++list;
        return kConsumed;
    }

    int checked = 0, list = 0;
    bool consume = true;

private:
    using CheckedFn = KXRESULT (LCheckedListBox::*)(const RCPtr<LNotificationDistributor>&,
                                                    const RCPtr<LNotification>&);
    using ListFn = KXRESULT (LListBox::*)(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&);
};

class Source : public LControl {
public:
    Source() : LControl(nullptr, WString(u"source")) {}
    void Send()
    {
        RCPtr<LNotification> n;
        LNotification::Create(n, u"NID_VALUE_CHANGE", ConstRCPtr<LRefCountedObject>());
        SendNotification(n);
    }
};

} // namespace

TEST(ListBoxChain, TheCheckedTableGoesFirstAndNothingArrivesBeforeTheControlIsBuilt)
{
    RCPtr<Source> source(new Source());
    RCPtr<ProbeList> probe(new ProbeList());
    probe->Bind(RCPtr<LNotificationDistributor>(source.Get()));

    source->Send();
    EXPECT_EQ(probe->checked + probe->list, 0) << "not built yet: dropped";

    probe->SetBuilt();
    source->Send();
    EXPECT_EQ(probe->checked, 1);
    EXPECT_EQ(probe->list, 0) << "the checked list's table used it";

    probe->consume = false;
    source->Send();
    EXPECT_EQ(probe->checked, 2);
    EXPECT_EQ(probe->list, 1) << "not used: on to the list box's table";

    EXPECT_EQ(probe->UnregisterForNotification(RCPtr<LNotificationDistributor>(source.Get()), u"NID_VALUE_CHANGE"),
              S_OK);
    source->Send();
    EXPECT_EQ(probe->checked + probe->list, 3) << "unregistered from both tables";
    probe->LNotificationClient::UnregisterFromAll();
}
