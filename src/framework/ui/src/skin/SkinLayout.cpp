// The layout attributes of a SubControl, and the order of its children.
#include "kx/ArrayUtils.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/LayoutDescriptor.h"

#include <cstring>

namespace KX {

namespace {

// "Parent" and "Screen" 0, "Client" and "Active Window" 1; every other text names a control.
int32_t ReferenceKind(const char* text, int32_t controlKind, bool allowSelf) noexcept
{
    if (std::strcmp(text, "Parent") == 0 || std::strcmp(text, "Screen") == 0)
        return kPositionToParent;
    if (std::strcmp(text, "Client") == 0 || std::strcmp(text, "Active Window") == 0)
        return kPositionToClient;
    if (allowSelf && std::strcmp(text, "Self") == 0)
        return kSizeToSelf;
    return controlKind;
}

// A whole-number distance: read as an integer, kept as a double.
void ReadDistance(const XmlAttributes& attributes, const char* name, double& out)
{
    int32_t value = 0;
    if (LControlFactory::GetDecimalAttribute(attributes, name, value))
        out = value;
}

// The attribute names of one axis.
struct AxisNames {
    const char* positionTo;
    const char* positionRel;
    const char* positionAbs;
    const char* sizeTo;
    const char* sizeRel;
    const char* sizeAbs;
    const char* limitTo[2];
    const char* limitRel[2];
    const char* limitAbs[2];
};

constexpr AxisNames kAxisNames[2] = {
    {"XPositionToControl",
     "XPositionRel",
     "XPositionAbs",
     "XSizeToControl",
     "XSizeRel",
     "XSizeAbs",
     {"XMinSizeToControl", "XMaxSizeToControl"},
     {"XMinSizeRel", "XMaxSizeRel"},
     {"XMinSizeAbs", "XMaxSizeAbs"}},
    {"YPositionToControl",
     "YPositionRel",
     "YPositionAbs",
     "YSizeToControl",
     "YSizeRel",
     "YSizeAbs",
     {"YMinSizeToControl", "YMaxSizeToControl"},
     {"YMinSizeRel", "YMaxSizeRel"},
     {"YMinSizeAbs", "YMaxSizeAbs"}},
};

void ReadAxis(LLayoutDescriptor& layout, int32_t axis, const XmlAttributes& attributes)
{
    const AxisNames& names = kAxisNames[axis];
    AxisPlacement& position = layout.Position(axis);
    if (const char* reference = attributes.Find(names.positionTo)) {
        position.kind = ReferenceKind(reference, kPositionToControl, false);
        if (position.kind == kPositionToControl)
            position.controlName = WString(reference);
    }
    LControlFactory::GetFloatAttribute(attributes, names.positionRel, position.relative);
    ReadDistance(attributes, names.positionAbs, position.absolute);

    SizeSpec& size = layout.Size(axis);
    if (const char* reference = attributes.Find(names.sizeTo)) {
        size.kind = ReferenceKind(reference, kSizeToControl, true);
        if (size.kind == kSizeToControl)
            size.controlName = WString(reference);
    }
    LControlFactory::GetFloatAttribute(attributes, names.sizeRel, size.relative);
    ReadDistance(attributes, names.sizeAbs, size.absolute);

    for (int i = 0; i < 2; ++i) {
        SizeLimit& limit = i == 0 ? layout.MinSize(axis) : layout.MaxSize(axis);
        if (const char* reference = attributes.Find(names.limitTo[i])) {
            // "Self" clears the flag; any other text names what the limit follows ("Children" too).
            limit.toControl = std::strcmp(reference, "Self") != 0 ? 1 : 0;
            limit.controlName = limit.toControl ? WString(reference) : WString();
        }
        LControlFactory::GetFloatAttribute(attributes, names.limitRel[i], limit.relative);
        ReadDistance(attributes, names.limitAbs[i], limit.absolute);
    }
}

} // namespace

void LControlFactory::ReadLayout(LControlDescriptor& descriptor, const XmlAttributes& attributes)
{
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Create();
    descriptor.SetLayout(layout);
    LLayoutDescriptor& l = *layout;
    // TabStop and IsVisible of a top-level control are not the skin's to set.
    const LControlDescriptor* parent = descriptor.GetParent();
    const bool topLevel = parent && parent->GetClassName() == WString(u"Application");

    GetBoolAttribute(attributes, "ClipToParent", l.clipToParent);
    GetDecimalAttribute(attributes, "Z_Order", l.zOrder);
    if (!topLevel)
        GetDecimalAttribute(attributes, "TabStop", l.tabStop);
    GetIntAttribute(attributes, "LayoutOrder", l.layoutOrder);
    if (!topLevel)
        GetBoolAttribute(attributes, "IsVisible", l.visible);
    GetFloatAttribute(attributes, "XPlacementAnchor", l.Position(0).anchor);
    GetFloatAttribute(attributes, "YPlacementAnchor", l.Position(1).anchor);
    bool docked = false;
    if (GetBoolAttribute(attributes, "XIsDocked", docked))
        l.Position(0).docked = docked ? 1 : 0;
    if (GetBoolAttribute(attributes, "YIsDocked", docked))
        l.Position(1).docked = docked ? 1 : 0;
    ReadAxis(l, 0, attributes);
    ReadAxis(l, 1, attributes);
    GetStringAttribute(attributes, "TextDecoration", l.textDecoration);

    if (const char* overflow = attributes.Find("TextOverflowXType")) {
        if (std::strcmp(overflow, "Clip") == 0)
            l.textOverflowX = kTextOverflowClip;
        else if (std::strcmp(overflow, "Expand") == 0)
            l.textOverflowX = kTextOverflowExpand;
        else if (std::strcmp(overflow, "Wrap") == 0)
            l.textOverflowX = kTextOverflowWrap;
    }
    if (const char* overflow = attributes.Find("TextOverflowYType")) {
        // Text does not wrap downwards.
        if (std::strcmp(overflow, "Clip") == 0)
            l.textOverflowY = kTextOverflowClip;
        else if (std::strcmp(overflow, "Expand") == 0)
            l.textOverflowY = kTextOverflowExpand;
    }
}

void LControlFactory::SortChildrenByLayoutOrder(LControlDescriptor& descriptor)
{
    RCPtrArray<LControlDescriptor>& children = descriptor.GetChildren();
    if (children.GetCount() < 2)
        return;
    auto order = [](const RCPtr<LControlDescriptor>& d) {
        return d && d->GetLayout() ? d->GetLayout()->layoutOrder : 0;
    };
    ArrayUtils::Sort(static_cast<IArray<RCPtr<LControlDescriptor>>&>(children), 0, children.GetCount(),
                     [&order](const RCPtr<LControlDescriptor>& a, const RCPtr<LControlDescriptor>& b) {
                         return order(a) < order(b);
                     });
}

} // namespace KX
