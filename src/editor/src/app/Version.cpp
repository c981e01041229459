// The compiled-in version block, the instance name and the start-up error text.
#include "editor/Version.h"

#include "kx/AppServices.h"
#include "kx/ui/FrameworkApp.h"

#include "VersionInfo.h"

namespace KX {

Version::Version()
    : m_strings{{"CompanyName", LUMO_COMPANY_NAME},
                {"ProductName", LUMO_PRODUCT_NAME},
                {"ProductVersion", LUMO_PRODUCT_VERSION},
                {"FileVersion", LUMO_PRODUCT_VERSION},
                {"LegalCopyright", LUMO_COPYRIGHT}}
{
}

Version::Version(std::map<std::string, std::string> strings) : m_strings(std::move(strings)) {}

WString Version::QueryString(const WString& key) const
{
    const auto found = m_strings.find(key.ToNarrow().GetString());
    if (found == m_strings.end())
        return WString();
    return WString(found->second.c_str());
}

const WString& GetInstanceName()
{
    static const WString name = [] {
        const Version version;
        return version.GetCompanyName() + WString(u"_") + version.GetProductName();
    }();
    return name;
}

namespace {

// Replaces the first "%d" of format with code.
WString FillCode(const WString& format, int32_t code)
{
    const std::string text = format.ToNarrow().GetString();
    const size_t at = text.find("%d");
    if (at == std::string::npos)
        return format;
    const std::string filled = text.substr(0, at) + std::to_string(code) + text.substr(at + 2);
    return WString(filled.c_str());
}

} // namespace

WString GetStartupErrorText(int32_t code)
{
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    if (app && app->GetApplicationStringTable()) {
        WString format = app->LookupAppString(WString(u"EXCEPTION_ID"));
        if (!format.IsEmpty())
            return FillCode(format, code);
    }
    return FillCode(WString(u"The application encountered problems during startup and will now close.  "
                            u"(Error code = %d)"),
                    code);
}

} // namespace KX
