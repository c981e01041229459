// Labels made from the skin: their string-table text, the clipped text as tool tip through the
// control base's tool-tip seam, and their place outside the Tab order.
#include "ControlsHarness.h"

#include "kx/controls/Button.h"
#include "kx/controls/Label.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/FrameworkControlSeams.h"

using namespace KX;

namespace {

// Stands in for the tool tip: records the texts it is shown with.
std::vector<std::string> g_tips;

class RecordingTip : public LControl, public IToolTipControl {
public:
    RecordingTip(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    void Hide() override { g_tips.push_back("<hide>"); }
    KXRESULT ShowForControl(const RCPtr<LControl>&) override
    {
        g_tips.push_back(GetText().ToNarrow().GetString());
        return S_OK;
    }
};

class LabelTips : public ctltest::ControlsTest {
protected:
    void SetUp() override
    {
        g_tips.clear();
        ctltest::ControlsTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            factory->RegisterControlClass(WString(u"Test.ToolTip"), &CreateControlOfClass<RecordingTip>);
    }
    void Hover(const LControl& c)
    {
        MoveTo(300, 300);
        const PointT<int32_t> at = CentreOf(c);
        MoveTo(at.x, at.y);
    }
    static std::string Last()
    {
        for (auto it = g_tips.rbegin(); it != g_tips.rend(); ++it)
            if (*it != "<hide>")
                return *it;
        return "<none>";
    }
};

} // namespace

TEST_F(LabelTips, FittingTextShowsTheToolTipParameterAndClippedTextShowsItself)
{
    RCPtr<LLabel> label = CreateAs<LLabel>(u"captionLabel");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetText().ToNarrow(), NString("Keyboard velocity curve"));
    EXPECT_FALSE(label->IsTextClipped());
    Hover(*label);
    EXPECT_EQ(Last(), "How hard keys play");
    Screenshot("fits");

    // Narrowed until the text is clipped: the tip is the full label text.
    SizeSpec narrow = label->GetLayout()->Size(0);
    narrow.absolute = 60;
    label->SetAxisPlacement(0, label->GetLayout()->Position(0), narrow);
    ASSERT_EQ(label->GetSize().x, 60.0);
    EXPECT_TRUE(label->IsTextClipped());
    Hover(*label);
    EXPECT_EQ(Last(), "Keyboard velocity curve");
    Screenshot("clipped");
}

TEST_F(LabelTips, AVeryLongClippedTextShowsItsBeginningCutWithAnEllipsis)
{
    RCPtr<LLabel> label = CreateAs<LLabel>(u"captionLabel");
    ASSERT_TRUE(label);
    // Wrapping a tip's text costs more than linear time in its length.
    label->SetText(WString(u"Keyboard") + WString(std::u16string(16000, u' ').c_str()) + WString(u"curve"));
    Hover(*label);
    EXPECT_EQ(Last(), "Keyboard" + std::string(247, ' ') + "\u2026");
}

TEST_F(LabelTips, TabNeverReachesALabelWhateverItsTabStop)
{
    RCPtr<LButton> ok = CreateAs<LButton>(u"okButton");
    RCPtr<LLabel> label = CreateAs<LLabel>(u"captionLabel");
    RCPtr<LButton> toggle = CreateAs<LButton>(u"toggleButton");
    ASSERT_TRUE(ok && label && toggle);
    EXPECT_TRUE(label->IsNotFocusable(false));
    ok->SetFocus(true);
    ASSERT_EQ(root->GetFocusControl().Get(), static_cast<LControl*>(ok.Get()));
    Key(SDLK_TAB);
    EXPECT_EQ(root->GetFocusControl().Get(), static_cast<LControl*>(toggle.Get()));
    Key(SDLK_TAB, KMOD_LSHIFT);
    EXPECT_EQ(root->GetFocusControl().Get(), static_cast<LControl*>(ok.Get()));
    // A click on the label does not take the focus either.
    ClickOn(*label);
    EXPECT_NE(root->GetFocusControl().Get(), static_cast<LControl*>(label.Get()));
}
