// The file dropper: picked up by a press, moved by the drag, removed when the drag ends, so that
// a press on the same spot reaches what lies beneath; hovering or a plain click moves nothing.
#include "MiscFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/FileDropper.h"

using namespace KX;

namespace {
class FileDropperDrag : public ctltest::MiscTest {};
} // namespace

TEST_F(FileDropperDrag, HoverAndAClickMoveNothingAndTheEndOfADragRemovesTheBox)
{
    // In a panel: the parent removes the box on its idle pass.
    RCPtr<LControl> holder = Create(u"dropHolder");
    ASSERT_TRUE(holder);
    RCPtr<LButton> beneath = CreateAs<LButton>(u"underDropper", holder);
    RCPtr<LFileDropper> box = CreateAs<LFileDropper>(u"fileDropper1", holder);
    ASSERT_TRUE(beneath && box);
    ASSERT_EQ(box->SetInteractionMode(3), S_OK);
    EXPECT_TRUE(box->IsShowing(false));
    EXPECT_TRUE(box->IsNotFocusable(false));
    RCPtr<ctltest::NotificationLog> clicks = Listen(*beneath, {u"NID_LEFT_CLICK"});
    Screenshot("framed");

    // Hovering, then a click without a move: the box stays where it is.
    MoveTo(30, 25);
    MoveTo(40, 30);
    Click(40, 30);
    RunIdle();
    EXPECT_EQ(box->GetParent(), holder);
    EXPECT_EQ(box->GetPosition().x, 10.0);
    EXPECT_EQ(box->GetPosition().y, 10.0);
    EXPECT_EQ(clicks->Count("NID_LEFT_CLICK"), 0) << "the box covers the button";
    EXPECT_EQ(box->GetInteractionMode(), 0) << "a press sets the mode of the drag";
    ASSERT_EQ(box->SetInteractionMode(3), S_OK);
    MoveTo(41, 30);
    EXPECT_EQ(box->GetInteractionMode(), 3) << "a move without a new press changes nothing";

    // Picked up and dragged: it moves with the pointer and goes when released.
    Press(40, 30);
    MoveTo(60, 40);
    MoveTo(80, 50);
    EXPECT_EQ(box->GetPosition().x, 50.0);
    EXPECT_EQ(box->GetPosition().y, 30.0);
    Release(80, 50);
    EXPECT_FALSE(box->IsShowing(false));
    RunIdle();
    EXPECT_FALSE(box->GetParent()) << "removed on the parent's next idle pass";
    EXPECT_FALSE(holder->FindChild(WString(u"fileDropper1")));

    // The same spot now reaches the button beneath.
    Click(40, 30);
    EXPECT_EQ(clicks->Count("NID_LEFT_CLICK"), 1);
}
