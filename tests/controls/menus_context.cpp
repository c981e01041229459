// A control's right-click menu: built from the skin's "contextMenu" at the pointer, kept inside the
// window, item states from the owner, commands back to the owner, and closing on focus loss.
#include "MenusFixture.h"

#include <SDL.h>

using namespace KX;
using menutest::Received;

namespace {

class ContextMenu : public menutest::MenusTest {
protected:
    // Right-clicks the owner at (x, y) and returns the popup it shows.
    RCPtr<LPopupMenu> OpenAt(const RCPtr<menutest::MenuOwner>& owner, int32_t x, int32_t y)
    {
        Click(x, y, SDL_BUTTON_RIGHT);
        RunIdle();
        return RCPtr<LPopupMenu>::DynamicCast(owner->FindChild(WString(u"contextMenu")));
    }
};

} // namespace

TEST_F(ContextMenu, ItOpensAtThePointerWithTheOwnersStatesAndSendsItTheCommand)
{
    const RCPtr<menutest::MenuOwner> owner = CreateAs<menutest::MenuOwner>(u"menuOwner");
    ASSERT_TRUE(owner);
    owner->states["NID_OWNER_MODE"] = LMenuItemState{1, 1, WString(u"Mode")};
    owner->states["NID_OWNER_GONE"] = LMenuItemState{0, 0, WString(u"Gone")};
    owner->states["NID_OWNER_COPY"] = LMenuItemState{1, 0, WString(u"Copy all")};
    const PointT<int32_t> at = CentreOf(*owner);
    const RCPtr<LPopupMenu> popup = OpenAt(owner, at.x, at.y);
    ASSERT_TRUE(popup);
    ASSERT_TRUE(Showing(popup.Get()));
    EXPECT_TRUE(popup->ClosesOnFocusLoss());
    EXPECT_TRUE(HasFocus(*popup));
    EXPECT_EQ(popup->GetOriginInRootWindow().x, double(at.x)) << "at the pointer";
    EXPECT_EQ(popup->GetOriginInRootWindow().y + popup->GetSize().y, double(kH))
        << "moved up to stay inside the window";
    EXPECT_EQ(Labels(*popup), (std::vector<std::string>{"Cut", "Copy all", "-", "Mode", "Gone"}));
    EXPECT_FALSE(popup->IsItemSelectable(4));
    EXPECT_TRUE(popup->GetMenu()->GetItem(3)->IsChecked());
    EXPECT_TRUE(owner->GetContextMenuRef()->GetItem(1)->label == WString(u"Copy")) << "the owner's menu is a copy";
    Screenshot("open");

    const PointT<int32_t> copy = RowCentre(*popup, 1);
    MoveTo(copy.x, copy.y);
    Click(copy.x, copy.y);
    EXPECT_EQ(owner->commands, (std::vector<Received>{{"NID_OWNER_COPY", 1}}));
    RunIdle();
    EXPECT_EQ(owner->FindChild(WString(u"contextMenu")), nullptr) << "the menu leaves after the command";
}

TEST_F(ContextMenu, LosingTheFocusClosesIt)
{
    const RCPtr<menutest::MenuOwner> owner = CreateAs<menutest::MenuOwner>(u"menuOwner");
    const RCPtr<menutest::MenuOwner> other = CreateAs<menutest::MenuOwner>(u"editField");
    ASSERT_TRUE(owner && other);
    const RCPtr<LPopupMenu> popup = OpenAt(owner, 310, 210);
    ASSERT_TRUE(popup && Showing(popup.Get()));
    EXPECT_EQ(popup->GetOriginInRootWindow().x, 310.0);
    other->SetFocus(true);
    RunIdle();
    EXPECT_TRUE(popup->IsClosing());
    EXPECT_EQ(owner->FindChild(WString(u"contextMenu")), nullptr);
    EXPECT_TRUE(owner->commands.empty());
}
