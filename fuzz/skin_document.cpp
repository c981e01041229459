// Reads any bytes as a skin document through the factory's load, in a locale chosen by the first
// byte. A failed load must report an error text; whatever was read must form a consistent tree
// within the reader's bounds, with look lists that hold registered looks or nothing.
#include "kx/Resources.h"
#include "kx/ui/ControlFactory.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckLookList(const KX::LControlFactory& factory, const KX::ConstRCPtr<KX::LookList>& list)
{
    if (!list)
        return;
    Check(list->GetCount() <= static_cast<uint32_t>(KX::LControlFactory::kMaxLookCount));
    for (uint32_t i = 0; i < list->GetCount(); ++i) {
        const KX::ConstRCPtr<KX::LLookDescriptor>& look = list->ElementAt(i);
        if (look)
            Check(factory.FindLook(look->GetName()).Get() == look.Get());
    }
}

void CheckTree(const KX::LControlFactory& factory, const KX::LControlDescriptor& descriptor, int depth)
{
    Check(depth <= KX::LControlFactory::kMaxControlDepth + 1);
    Check(descriptor.GetChildren().GetCount() <= KX::LControlFactory::kMaxChildren);
    if (descriptor.GetSkin())
        CheckLookList(factory, descriptor.GetSkin()->GetLookList());
    for (uint32_t i = 0; i < descriptor.GetChildren().GetCount(); ++i) {
        const KX::LControlDescriptor& child = *descriptor.GetChildren().ElementAt(i);
        Check(child.GetParent() == &descriptor);
        CheckTree(factory, child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint32_t locale = (data[0] & 1) ? 0x0411 : 0x0409;
    const KX::ScopedResource resource(KX::WString(KX::kResourceTypeDocument), KX::WString(u"FUZZ_SKIN"),
                                      std::span<const uint8_t>(data + 1, size - 1));

    KX::RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(KX::WString(u"Fuzz")));
    factory->SetLocaleId(locale);
    const KX::KXRESULT result = factory->LoadSkins(KX::WString(u"::FUZZ_SKIN"));
    Check(result == KX::S_OK || result == KX::E_FAIL);
    if (result == KX::E_FAIL)
        Check(!factory->GetLastXMLErrorText().IsEmpty());

    Check(factory->GetSkins().GetCount() <= KX::LControlFactory::kMaxSkins);
    Check(factory->GetCurrentSkinIndex() == 0);
    for (uint32_t i = 0; i < factory->GetSkins().GetCount(); ++i) {
        const KX::LControlDescriptor& root = *factory->GetSkins().ElementAt(i);
        Check(root.GetParent() == nullptr && root.GetSkin());
        CheckTree(*factory, root, 0);
    }
    if (factory->GetSkins().GetCount() > 0) {
        const KX::ConstRCPtr<KX::LControlDescriptor> root = factory->GetCurrentSkin();
        for (uint32_t i = 0; i < root->GetChildren().GetCount(); ++i) {
            const KX::WString& name = root->GetChildren().ElementAt(i)->GetName();
            const KX::ConstRCPtr<KX::LControlDescriptor> found = factory->FindControlDescriptor(name);
            Check(found && found->GetName() == name);
        }
        KX::WString face;
        float fontSize = 0.0f;
        uint32_t style = 0;
        factory->GetSkinFont(face, fontSize, style);
    }
    Check(factory->SetCurrentSkinIndex(-1) == KX::E_INVALIDARG);
    return 0;
}
