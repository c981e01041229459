// What a value coming down the tree asks the real program's window to repaint: the tile it
// changes (and the open edit panel showing it), never the window around them.
#include "AppTestSupport.h"

#include "editor/Application.h"
#include "editor/DeviceView.h"
#include "editor/GroupPanels.h"
#include "editor/MainControl.h"

#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/ui/RootWindow.h"

#include <cmath>

using namespace KX;

namespace {

struct Box {
    int32_t left, top, right, bottom;
    bool Holds(const Box& b) const { return b.left >= left && b.top >= top && b.right <= right && b.bottom <= bottom; }
};

Box BoundsOf(const LControl& control)
{
    const PointT<double> origin = control.GetOriginInRootWindow();
    const PointT<double> size = control.GetSize();
    return {static_cast<int32_t>(std::floor(origin.x)), static_cast<int32_t>(std::floor(origin.y)),
            static_cast<int32_t>(std::ceil(origin.x + size.x)), static_cast<int32_t>(std::ceil(origin.y + size.y))};
}

// The rectangles the window collected since the last call, as one box each.
std::vector<Box> TakeInvalid(LRootWindow& root)
{
    LRegion region;
    root.TakeInvalidRegion(region);
    std::vector<Box> boxes;
    for (const LRegionNode* n = region.GetFirst(); n; n = n->next)
        boxes.push_back({n->left, n->top, n->right, n->bottom});
    return boxes;
}

// The engine posts the values as it does for a preset from the keyboard; the idle passes route them.
void Deliver(LApplication& app, const std::vector<ParamValue>& values)
{
    Array<ParamValue> posted;
    for (const ParamValue& v : values)
        posted.AddItem(v);
    app.GetRootModuleEngine()->PostParamValues(posted);
    for (int32_t pass = 0; pass < 8 && RunIdlePass(pass); ++pass) {
    }
}

ParamValue WithChannelMoved(LApplication& app, int32_t id)
{
    ParamValue v;
    v.descriptor = ParamDescriptor(id);
    app.GetRootModuleEngine()->GetParamValue(v.descriptor, v.value);
    uint32_t n = 0;
    const auto* bytes = static_cast<const uint8_t*>(v.value.GetData(n));
    std::vector<uint8_t> copy(bytes, bytes + n);
    if (!copy.empty())
        copy[0] = static_cast<uint8_t>((copy[0] + 1) % 16);
    v.value = MakeBytesVariant(copy.data(), n);
    return v;
}

} // namespace

TEST(PictureRepaint, ARoutedValueInvalidatesOnlyItsTileAndTheOpenPanelShowingIt)
{
    if (!apptest::KeepOffscreenVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    apptest::TempTree tree;
    ASSERT_FALSE(tree.Root().empty());
    EditorProgramOptions options = apptest::OfflineOptions(tree);
    options.resourceFolder = "::";
    bool ran = false;
    options.onStarted = [&](LApplication& app) {
        LRootWindow& root = *app.GetRootWindows().front();
        const auto main = RCPtr<LMainControl>::DynamicCast(root.GetMainControl());
        ASSERT_TRUE(main && main->GetDeviceView());
        const RCPtr<LDeviceView>& view = main->GetDeviceView();
        auto* pads = dynamic_cast<LPadGroupPanel*>(view->FindChild(WString(u"pads")).Get());
        const RCPtr<LControl> panel = view->FindChild(WString(u"padEditPanel"));
        ASSERT_TRUE(pads && pads->GetTile(2) && pads->GetTile(6) && panel);
        RCPtr<LNotification> click;
        LNotification::Create(click, NID_LEFT_CLICK, nullptr);
        pads->OnTileClicked(RCPtr<LNotificationDistributor>(pads->GetTile(6)->FindChild(WString(u"button")).Get()),
                            click);
        for (int32_t i = 0; i < 4; ++i) {
            app.GetEvents().ProcessPending();
            for (int32_t pass = 0; pass < 8 && RunIdlePass(pass); ++pass) {
            }
        }
        ASSERT_TRUE(panel->IsShowing(false));
        TakeInvalid(root);

        const int32_t first = pads->GetFirstParamID();
        const ParamValue pad3 = WithChannelMoved(app, first + 2);
        Deliver(app, {pad3});
        const std::vector<Box> changed = TakeInvalid(root);
        ASSERT_FALSE(changed.empty()) << "the tile's summary changed";
        for (const Box& b : changed)
            EXPECT_TRUE(BoundsOf(*pads->GetTile(2)).Holds(b))
                << b.left << "," << b.top << " - " << b.right << "," << b.bottom << " lies outside pad 3's tile";

        Deliver(app, {pad3});
        EXPECT_TRUE(TakeInvalid(root).empty()) << "the same value again changes no look";

        // Pad 7 is shown in the open panel too: the tile and the panel, nothing else.
        Deliver(app, {WithChannelMoved(app, first + 6)});
        const std::vector<Box> shown = TakeInvalid(root);
        ASSERT_FALSE(shown.empty());
        bool inPanel = false;
        for (const Box& b : shown) {
            const bool inside = BoundsOf(*pads->GetTile(6)).Holds(b) || BoundsOf(*panel).Holds(b);
            EXPECT_TRUE(inside) << b.left << "," << b.top << " - " << b.right << "," << b.bottom;
            inPanel |= BoundsOf(*panel).Holds(b);
        }
        EXPECT_TRUE(inPanel) << "the panel shows the new channel";
        ran = true;
        app.RequestExit();
    };
    EXPECT_EQ(RunEditorProgram({"lumo25-preset-editor"}, std::move(options)), kExitNormal);
    EXPECT_TRUE(ran);
}
