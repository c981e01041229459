#pragma once
// Helpers for the skin tests: a factory with the embedded test skin loaded, and skin bytes
// parsed from a string.
#include "kx/ui/ControlFactory.h"

#include <gtest/gtest.h>

#include <string>

namespace KXTest {

// A factory with the UI tests' skin (the embedded APP_SKINS) read in the given locale.
inline KX::RCPtr<KX::LControlFactory> LoadTestSkin(uint32_t localeId = 0x0409)
{
    KX::RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(KX::WString(u"Start")));
    factory->SetLocaleId(localeId);
    EXPECT_EQ(factory->LoadSkins(KX::WString(u"::APP_SKINS")), KX::S_OK)
        << factory->GetLastXMLErrorText().ToNarrow().GetString();
    return factory;
}

// The skin document body wrapped in a root element and an Application.
inline std::string SkinDocument(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root><Application Name=\"App\">" + body +
           "</Application></Root>";
}

inline std::string Narrow(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}

} // namespace KXTest
