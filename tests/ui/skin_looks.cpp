// Looks: placing the client area, the docked parts and the label box at a size; drawing limited
// to invalid rectangles and to the look's region; the colour at a point; the label's text, font
// and image setters.
#include "LookTestUtil.h"

#include "kx/DebugTrace.h"
#include "kx/Exception.h"

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

using namespace uitest;
using KX::DockSpec;
using KX::LLook;
using KX::LLookDescriptor;
using KX::RectT;
using rendertest::Hex;

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

RCPtr<LLookDescriptor> NewLook()
{
    RCPtr<LLookDescriptor> look;
    return KX::CreateLookDescriptor(look, WString(u"Look"));
}

void SetClient(LLookDescriptor& look, const ConstRCPtr<KX::LVisualPartDescriptor>& part, int32_t left, int32_t top,
               int32_t right, int32_t bottom)
{
    look.SetClientPart(Docked(part, Edges(DockSpec::kAllEdges, left, top, right, bottom)));
}

void AddNonClient(LLookDescriptor& look, const ConstRCPtr<KX::LVisualPartDescriptor>& part, const DockSpec& dock)
{
    look.GetNonClientParts().AddItem(Docked(part, dock));
}

KX::LookTextProperties Text(float leftRel, int32_t leftAbs, float rightRel, int32_t rightAbs, float hAlign,
                            float topRel, int32_t topAbs, float bottomRel, int32_t bottomAbs, float vAlign)
{
    return KX::LookTextProperties{leftRel, leftAbs, rightRel,  rightAbs,  hAlign,
                                  topRel,  topAbs,  bottomRel, bottomAbs, vAlign};
}

// Captures the narrow debug trace while it lives.
class TraceCapture {
public:
    TraceCapture() : m_old(KX::GetDebugTrace().narrowOut.exchange(&m_text)) {}
    ~TraceCapture() { KX::GetDebugTrace().narrowOut.store(m_old); }
    std::string Text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::ostream* m_old;
};

std::string ThrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "nothing thrown";
}

RectT<int32_t> R(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return RectT<int32_t>{x, y, w, h};
}

} // namespace

TEST(LookLayout, ClientAreaDockedPartsAndTextBoxFollowTheSize)
{
    const RCPtr<LLookDescriptor> description = NewLook();
    SetClient(*description, FlatPart(kBlue, 1, 1), 6, 5, -6, -5);
    // Only OffsetRight -5 with Width 18: 18 wide against the right edge, centred vertically.
    DockSpec right = Edges(DockSpec::kRight, 0, 0, -5, 0);
    right.hasWidth = true;
    right.width = 18;
    AddNonClient(*description, FlatPart(kRed, 9, 10), right);
    // No offset at all: centred at its own size.
    AddNonClient(*description, FlatPart(kGreen, 10, 4), DockSpec());
    // All four offsets 0: the whole look.
    AddNonClient(*description, FlatPart(kWhite, 3, 3), Edges(DockSpec::kAllEdges, 0, 0, 0, 0));
    description->SetTextProperties(Text(0, 8, 1, -8, 0, 0.15f, 0, 0.85f, 0, 0), FlatPart(kWhite, 1, 1));

    const RCPtr<LLook> look = LLook::Create(description, false);
    // Not laid out until the control gives it a size.
    EXPECT_EQ(look->GetParts().ElementAt(0).Get(), nullptr);
    look->SetSize(100, 40);
    EXPECT_EQ(look->GetClientRect(), R(6, 5, 88, 30));
    EXPECT_EQ(look->GetSavedClientRect(), R(6, 5, 88, 30));
    EXPECT_EQ(look->GetPartRects().ElementAt(0), R(77, 15, 18, 10));
    EXPECT_EQ(look->GetPartRects().ElementAt(1), R(45, 18, 10, 4));
    EXPECT_EQ(look->GetPartRects().ElementAt(2), R(0, 0, 100, 40));
    EXPECT_TRUE(look->GetParts().ElementAt(0));

    look->SetSize(100, 20);
    EXPECT_EQ(look->GetTextPosition(), (KX::PointT<int32_t>{8, 3}));
    EXPECT_EQ(look->GetFontText()->GetLayoutWidth(), 84);
    EXPECT_EQ(look->GetFontText()->GetLayoutHeight(), 14);

    // Offsets larger than the look, or a negative size: an empty client area, never a negative one.
    look->SetSize(10, 8);
    EXPECT_EQ(look->GetClientRect(), R(6, 5, 0, 0));
    look->SetSize(-30, -1);
    EXPECT_EQ(look->GetWidth(), 0);
    EXPECT_EQ(look->GetClientRect(), R(0, 0, 0, 0));
    EXPECT_EQ(look->GetFontText()->GetLayoutWidth(), 0);

    // The same size again does no work; binding again lays out at the size the look has.
    look->SetSize(100, 40);
    look->SetChanged(false);
    look->SetSize(100, 40);
    EXPECT_FALSE(look->IsChanged());
    const RCPtr<LLookDescriptor> plain = NewLook();
    SetClient(*plain, FlatPart(kBlue, 1, 1), 1, 2, -3, -4);
    look->SetDescriptor(plain, false);
    EXPECT_TRUE(look->IsChanged());
    EXPECT_EQ(look->GetClientRect(), R(1, 2, 96, 34));
    EXPECT_EQ(look->GetParts().GetCount(), 0u);
    EXPECT_FALSE(look->GetFontText());
}

TEST(LookDrawing, PartsClientAreaAndImageLandInTheirRectangles)
{
    const RCPtr<LLookDescriptor> description = NewLook();
    SetClient(*description, FlatPart(kBlue, 1, 1), 2, 2, -2, -2);
    DockSpec top = Edges(DockSpec::kLeft | DockSpec::kTop | DockSpec::kRight, 0, 0, 0, 0);
    top.hasHeight = true;
    top.height = 2;
    AddNonClient(*description, FlatPart(kRed, 1, 1), top);
    const RCPtr<LLook> look = LLook::Create(description, false);
    look->SetSize(20, 10);

    Surface surface(40, 20);
    surface.Begin();
    const RCPtr<KX::LRenderer> renderer(surface.renderer);
    {
        // The control sits at (10, 5).
        KX::CAutoClip at(renderer, {10, 5, 20, 10}, {10, 5, 20, 10}, nullptr);
        look->DrawNonClientParts(renderer, surface.All());
        look->DrawClientArea(renderer, surface.All());
        look->DrawLabelText(renderer, surface.All(), {}); // no label: nothing
    }
    EXPECT_EQ(Hex(surface.Pixel(10, 5)), Hex(kRed));
    EXPECT_EQ(Hex(surface.Pixel(29, 6)), Hex(kRed));
    EXPECT_EQ(Hex(surface.Pixel(30, 6)), Hex(kBlack));
    EXPECT_EQ(Hex(surface.Pixel(12, 7)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(27, 12)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(28, 12)), Hex(kBlack));
    EXPECT_EQ(Hex(surface.Pixel(11, 7)), Hex(kBlack));
    surface.End();

    // An image over the client area, then one that replaces the client part.
    auto green = KX::LBitmap::CreateFilledBitmap(4, 2, KX::LColor::MakeFromARGB(kGreen));
    EXPECT_EQ(look->SetImage(green, KX::LVisualPartDescriptor::kResizeCenter, false), KX::S_OK);
    surface.Begin();
    {
        KX::CAutoClip at(renderer, {0, 0, 20, 10}, {0, 0, 20, 10}, nullptr);
        look->DrawClientArea(renderer, surface.All());
    }
    EXPECT_EQ(Hex(surface.Pixel(10, 5)), Hex(kGreen));
    EXPECT_EQ(Hex(surface.Pixel(3, 3)), Hex(kBlue));
    surface.End();
    look->SetImage(green, KX::LVisualPartDescriptor::kResizeCenter, true);
    surface.Begin();
    look->DrawClientArea(renderer, surface.All());
    EXPECT_EQ(Hex(surface.Pixel(10, 5)), Hex(kGreen));
    EXPECT_EQ(Hex(surface.Pixel(3, 3)), Hex(kBlack));
    surface.End();
    EXPECT_EQ(look->SetImage(nullptr, 0, false), KX::S_OK);
    EXPECT_EQ(look->SetImage(nullptr, 0, false), KX::S_FALSE);
    EXPECT_FALSE(look->GetImagePart());
}

// Edge parts placed once (a hit test, a paint) must not stay where that size put them.
TEST(LookDrawing, EdgePartsFollowEverySizeAfterBeingPlaced)
{
    const RCPtr<LLookDescriptor> description = NewLook();
    SetClient(*description, FlatPart(kBlue, 1, 1), 0, 0, 0, 0);
    DockSpec right = Edges(DockSpec::kTop | DockSpec::kRight | DockSpec::kBottom, 0, 0, 0, 0);
    right.hasWidth = true;
    right.width = 3;
    AddNonClient(*description, FlatPart(kRed, 1, 1), right);
    const RCPtr<LLook> look = LLook::Create(description, false);
    look->SetSize(20, 10);
    EXPECT_EQ(Hex(look->GetColorAtPoint(18, 5)), Hex(kRed));

    look->SetSize(30, 10);
    EXPECT_EQ(Hex(look->GetColorAtPoint(18, 5)), Hex(kBlue));
    EXPECT_EQ(Hex(look->GetColorAtPoint(28, 5)), Hex(kRed));

    Surface surface(40, 20);
    const RCPtr<KX::LRenderer> renderer(surface.renderer);
    surface.Begin();
    look->DrawNonClientParts(renderer, surface.All());
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack), (gdi::RectI{27, 0, 3, 10}));
    surface.End();
    look->SetSize(12, 6);
    surface.Begin();
    look->DrawNonClientParts(renderer, surface.All());
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack), (gdi::RectI{9, 0, 3, 6}));
    surface.End();
    EXPECT_EQ(look->GetPartRects().ElementAt(0), R(9, 0, 3, 6));
}

TEST(LookDrawing, OnlyInvalidRectanglesAndTheLooksRegionArePainted)
{
    const RCPtr<LLookDescriptor> description = NewLook();
    SetClient(*description, FlatPart(kBlue, 1, 1), 0, 0, 0, 0);
    const RCPtr<LLook> look = LLook::Create(description, false);
    look->SetSize(20, 20);

    Surface surface(40, 40);
    const RCPtr<KX::LRenderer> renderer(surface.renderer);
    KX::LRegion invalid;
    invalid.AddRect(12, 12, 16, 16);
    surface.Begin();
    {
        KX::CAutoClip at(renderer, {10, 10, 20, 20}, {10, 10, 20, 20}, nullptr);
        look->DrawClientArea(renderer, invalid);
    }
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack), (gdi::RectI{12, 12, 4, 4}));
    surface.End();

    // The look's own region (look coordinates) limits drawing even when everything is invalid.
    KX::LRegion own;
    own.AddRect(0, 0, 5, 3);
    look->SetRegion(own);
    surface.Begin();
    {
        KX::CAutoClip at(renderer, {10, 10, 20, 20}, {10, 10, 20, 20}, nullptr);
        look->DrawClientArea(renderer, surface.All());
    }
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack), (gdi::RectI{10, 10, 5, 3}));
    surface.End();
}

TEST(LookColour, NonClientPartsComeFirstAndTransparentImagesFallThrough)
{
    const RCPtr<LLookDescriptor> description = NewLook();
    SetClient(*description, FlatPart(kBlue, 1, 1), 0, 0, 0, 0);
    DockSpec corner = Edges(DockSpec::kLeft | DockSpec::kTop, 0, 0, 0, 0);
    AddNonClient(*description, FlatPart(kRed, 4, 4), corner);
    AddNonClient(*description, FlatPart(0x00FF00FF, 10, 10), Edges(DockSpec::kAllEdges, 0, 0, 0, 0));
    const RCPtr<LLook> look = LLook::Create(description, false);
    look->SetSize(10, 10);

    EXPECT_EQ(Hex(look->GetColorAtPoint(1, 1)), Hex(kRed));
    EXPECT_EQ(Hex(look->GetColorAtPoint(6, 6)), Hex(kBlue));
    EXPECT_EQ(look->GetColorAtPoint(10, 3), KX::kNoColorAtPoint);
    EXPECT_EQ(look->GetColorAtPoint(-1, 3), KX::kNoColorAtPoint);

    // An image with a clear pixel lets the client part show through there.
    auto image = gditest::MakePatternBitmap(10, 10, [](int32_t x, int32_t) { return x < 5 ? 0xFF00FF00u : 0u; });
    look->SetImage(image, 0, true);
    EXPECT_EQ(Hex(look->GetColorAtPoint(6, 6)), Hex(kBlue));
    EXPECT_EQ(Hex(look->GetColorAtPoint(4, 6)), Hex(kGreen));

    // A look without any description shows nothing and draws nothing.
    const RCPtr<LLook> empty = LLook::Create(nullptr, false);
    empty->SetSize(10, 10);
    EXPECT_EQ(empty->GetColorAtPoint(3, 3), KX::kNoColorAtPoint);
}

namespace {

// A look of the size with a label box inset by (10, 5) on every side, white text, no parts.
class LabelTest : public ::testing::Test {
protected:
    RCPtr<LLook> MakeLabel(float hAlign, float vAlign, bool wrap, int32_t width = 200, int32_t height = 30,
                           const ConstRCPtr<KX::LVisualPartDescriptor>& foreground = FlatPart(kWhite, 1, 1))
    {
        const RCPtr<LLookDescriptor> description = NewLook();
        description->SetTextProperties(Text(0, 10, 1, -10, hAlign, 0, 5, 1, -5, vAlign), foreground);
        const RCPtr<LLook> look = LLook::Create(description, wrap);
        look->SetSize(width, height);
        look->SetFont(font);
        return look;
    }

    // Draws the label at (0, 0) on black and answers where its ink is.
    gdi::RectI Ink(LLook& look, const WString& text, KX::PointT<double> offset = {})
    {
        look.SetText(text);
        surface.Begin();
        look.DrawLabelText(RCPtr<KX::LRenderer>(surface.renderer), surface.All(), offset);
        const gdi::RectI ink = rendertest::InkBounds(surface.Bitmap(), kBlack);
        surface.End();
        return ink;
    }

    Surface surface{200, 60};
    ConstRCPtr<KX::LFont> font = KX::LFont::GetFont(WString(u"DejaVu Sans"), 10.0f, KX::kFontRegular);
};

} // namespace

TEST_F(LabelTest, AlignmentPlacesTheLineInsideTheTextBox)
{
    const WString text(u"Preset 12");
    const gdi::RectI left = Ink(*MakeLabel(0.0f, 0.0f, false), text);
    const gdi::RectI centre = Ink(*MakeLabel(0.5f, 0.5f, false), text);
    const gdi::RectI right = Ink(*MakeLabel(1.0f, 1.0f, false), text);
    ASSERT_GT(left.width, 20);
    EXPECT_GE(left.x, 10);
    EXPECT_LE(left.x, 13);
    EXPECT_NEAR(centre.x + centre.width / 2.0, 100.0, 3.0);
    EXPECT_LE(right.x + right.width, 190);
    EXPECT_GE(right.x + right.width, 185);
    EXPECT_EQ(left.width, right.width);
    // Vertically: top, centre and bottom of the 20-pixel box from y 5.
    EXPECT_GE(left.y, 5);
    EXPECT_LT(left.y, centre.y);
    EXPECT_LT(centre.y, right.y);
    EXPECT_LE(right.y + right.height, 25);
}

TEST_F(LabelTest, WrappedLinesStackAndTheBoxClipsWhatDoesNotFit)
{
    const WString text(u"one two three four five six seven");
    // Wrapped into a 60-pixel box of 40 pixels height: several lines, all inside the box.
    const RCPtr<LLook> wrapped = MakeLabel(0.0f, 0.0f, true, 80, 50);
    const gdi::RectI many = Ink(*wrapped, text);
    EXPECT_GT(wrapped->GetFontText()->GetLineCount(), 2u);
    EXPECT_GT(many.height, 2 * font->GetHeight() - 4);
    EXPECT_GE(many.x, 10);
    EXPECT_LE(many.x + many.width, 70);
    EXPECT_LE(many.y + many.height, 45);

    // Not wrapped: one line, cut at the box's right edge.
    const RCPtr<LLook> single = MakeLabel(0.0f, 0.0f, false, 80, 50);
    const gdi::RectI one = Ink(*single, text);
    EXPECT_EQ(single->GetFontText()->GetLineCount(), 1u);
    EXPECT_EQ(one.x + one.width, 70);
    EXPECT_LT(one.height, font->GetHeight() + 2);
}

TEST_F(LabelTest, TheScrollOffsetMovesTheLinesWithinTheSameBox)
{
    const RCPtr<LLook> look = MakeLabel(0.0f, 0.0f, false);
    const gdi::RectI still = Ink(*look, WString(u"Wide label text"));
    const gdi::RectI scrolled = Ink(*look, WString(u"Wide label text"), {-30.0, -4.0});
    EXPECT_NEAR(scrolled.x, still.x + 30, 1);
    EXPECT_NEAR(scrolled.y, still.y + 4, 1);
    // Scrolled up: the box clips at its top edge.
    EXPECT_EQ(Ink(*look, WString(u"Wide label text"), {0.0, 6.0}).y, 5);
    // Scrolled left beyond the box: the box still clips at its left edge.
    const gdi::RectI cut = Ink(*look, WString(u"Wide label text"), {8.0, 0.0});
    EXPECT_EQ(cut.x, 10);
}

TEST_F(LabelTest, ForegroundPartRules)
{
    // A flat part of no size still colours the label.
    EXPECT_GT(Ink(*MakeLabel(0.0f, 0.0f, false, 200, 30, FlatPart(kWhite, 0, 0)), WString(u"Text")).width, 0);

    const RCPtr<LLook> look = MakeLabel(0.0f, 0.0f, false);
    look->SetText(WString(u"Text"));
    const RCPtr<KX::LRenderer> renderer(surface.renderer);
    LookTestImages images;
    // Text filled with an image or a gradient is not drawn: the label is left out with one trace
    // line per look, and painting goes on.
    look->SetTextForegroundPart(ImagePart(WString(u"::looks.png"), 0, 0, 4, 4, 0)->GetVisualPart());
    surface.Begin();
    {
        TraceCapture trace;
        EXPECT_EQ(ThrownBy([&] { look->DrawLabelText(renderer, surface.All(), {}); }), "nothing thrown");
        EXPECT_EQ(ThrownBy([&] { look->DrawLabelText(renderer, surface.All(), {}); }), "nothing thrown");
        EXPECT_EQ(trace.Text(), "Look Look: label skipped: Bitmap fill for text foreground part not yet "
                                "implemented.\n");
    }
    const RCPtr<LLook> gradient = MakeLabel(0.0f, 0.0f, false);
    gradient->SetText(WString(u"Text"));
    gradient->SetTextForegroundPart(RCPtr<KX::LVisualPart>(new KX::LVisualPart(
        WString(), nullptr, 0, Solid(kRed, KX::LColorizer::kLinearGradient, kBlue), 0, 0, 1.0f, nullptr)));
    {
        TraceCapture trace;
        EXPECT_EQ(ThrownBy([&] { gradient->DrawLabelText(renderer, surface.All(), {}); }), "nothing thrown");
        EXPECT_NE(trace.Text().find("Gradient fill for text foreground part"), std::string::npos) << trace.Text();
    }
    EXPECT_TRUE(surface.context->GetSavedStates().empty());
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack).width, 0);
    // Without a foreground part nothing is drawn and the renderer's state is back as it was.
    look->SetTextForegroundPart(nullptr);
    look->DrawLabelText(renderer, surface.All(), {});
    EXPECT_TRUE(surface.context->GetSavedStates().empty());
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack).width, 0);
    surface.End();
}

TEST_F(LabelTest, TextAndFontSettersEmptyTheLayoutOnlyOnChange)
{
    const RCPtr<LLook> look = MakeLabel(0.0f, 0.0f, false);
    EXPECT_EQ(look->SetText(WString(u"Label")), KX::S_FALSE);
    look->GetFontText()->GetLineCount();
    EXPECT_EQ(look->SetText(WString(u"Label")), KX::S_OK);
    EXPECT_EQ(look->GetFontText()->GetLines().GetCount(), 1u);
    EXPECT_EQ(look->SetFont(font), KX::S_OK);
    EXPECT_EQ(look->GetFontText()->GetLines().GetCount(), 1u);
    EXPECT_EQ(look->SetFont(KX::LFont::GetFont(WString(u"DejaVu Sans"), 12.0f, 0)), KX::S_FALSE);
    EXPECT_EQ(look->GetFontText()->GetLines().GetCount(), 0u);
    EXPECT_EQ(look->SetFont(nullptr), KX::S_FALSE);

    // A look without text properties takes neither.
    const RCPtr<LLook> plain = LLook::Create(NewLook(), false);
    EXPECT_EQ(plain->SetText(WString(u"x")), KX::S_FALSE);
    EXPECT_EQ(plain->SetFont(font), KX::S_FALSE);
}
