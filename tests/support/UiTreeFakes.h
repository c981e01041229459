#pragma once
// Test doubles for the control tree: a root window that records invalidations and answers
// hit tests through its main control, and a look that fills its rectangle with one colour.
// Header-only, for the programs that link the UI library.
#include "kx/Color.h"
#include "kx/NotificationDistributor.h"
#include "kx/Renderer.h"
#include "kx/ui/Control.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/RootWindowSeam.h"

#include <cstdint>
#include <vector>

namespace kxtest {

class FakeIdleSource : public KX::LNotificationDistributor {};

class FakeRootWindow : public KX::IRootWindow {
public:
    explicit FakeRootWindow(KX::RectT<int32_t> client = {0, 0, 1200, 750}) : client(client) {}

    KX::RectT<int32_t> GetClientRect() const override { return client; }
    void InvalidateRect(const KX::RectT<int32_t>& ltrb) override { invalidated.push_back(ltrb); }
    KX::RCPtr<KX::LNotificationDistributor> GetIdleSource() override { return idleSource; }
    KX::RCPtr<KX::LControl> HitTest(KX::PointT<int32_t> point, bool searchUnclipped, bool) override
    {
        KX::RCPtr<KX::LControl> hit;
        if (!mainControl)
            return hit;
        KX::PointT<int32_t> local{};
        int32_t depth = INT32_MIN;
        const KX::PointT<int32_t> p = KX::RoundPointToLong(mainControl->GetPosition());
        mainControl->HitTestChildren(hit, KX::PointT<int32_t>{point.x - p.x, point.y - p.y}, searchUnclipped, local,
                                     depth);
        return hit;
    }
    void SetClientRect(const KX::RectT<int32_t>& rect) override
    {
        client = rect;
        ++clientRectSets;
    }
    int32_t SetCursor(int32_t kind) override
    {
        const int32_t old = cursor;
        cursor = kind;
        return old;
    }

    KX::RectT<int32_t> client;
    std::vector<KX::RectT<int32_t>> invalidated; // left, top, right, bottom
    KX::RCPtr<KX::LNotificationDistributor> idleSource{new FakeIdleSource()};
    KX::LControl* mainControl = nullptr; // not owned: the control owns the window
    int32_t cursor = 0;
    int clientRectSets = 0;
};

// Fills its rectangle with one ARGB colour; a colour with alpha 0 covers nothing.
class FakeLook : public KX::IControlLook {
public:
    FakeLook(KX::RectT<int32_t> rect, uint32_t argb) : rect(rect), argb(argb) {}

    KX::RectT<int32_t> GetRect() const override { return rect; }
    bool GetClientPartRect(KX::RectT<double>& out) const override
    {
        if (!hasClientPart)
            return false;
        out = clientPart;
        return true;
    }
    KX::LRegion& GetRegion() override { return region; }
    void DrawClientArea(const KX::RCPtr<KX::LRenderer>& renderer, const KX::LRegion&) override
    {
        ++clientDraws;
        if ((argb >> 24) != 0)
            renderer->FillRect(rect, KX::LColor::MakeFromARGB(argb), true);
    }
    void DrawNonClientParts(const KX::RCPtr<KX::LRenderer>&, const KX::LRegion&) override { ++nonClientDraws; }
    void DrawLabelText(const KX::RCPtr<KX::LRenderer>&, const KX::LRegion&, KX::PointT<double>) override
    {
        ++labelDraws;
    }
    uint32_t GetColorAtPoint(KX::PointT<int32_t> p) const override
    {
        const bool inside = p.x >= rect.x && p.x < rect.x + rect.width && p.y >= rect.y && p.y < rect.y + rect.height;
        return inside ? argb : 0x00FFFFFFu;
    }

    KX::RectT<int32_t> rect;
    uint32_t argb;
    bool hasClientPart = false;
    KX::RectT<double> clientPart;
    KX::LRegion region;
    int clientDraws = 0, nonClientDraws = 0, labelDraws = 0;
};

// Gives c a look that fills rect with argb, shown; the look, to watch its draws.
inline KX::RCPtr<FakeLook> GiveLook(KX::LControl& c, KX::RectT<int32_t> rect, uint32_t argb)
{
    KX::RCPtr<FakeLook> look(new FakeLook(rect, argb));
    c.ShowLook(c.AddLook(KX::RCPtr<KX::IControlLook>(look)), 1);
    return look;
}

} // namespace kxtest
