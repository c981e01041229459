// The about box's two texts.
#include "editor/AboutDlg.h"

#include "dialogs/DialogSupport.h"

#include "editor/Version.h"

#include "kx/controls/Label.h"

namespace editor {

using namespace KX;

namespace {
constexpr const char* kMethod = "LAboutDlg::Initialize";
constexpr const char* kSource = "UI\\PresetEditorCommon\\AboutDlg";
} // namespace

LAboutDlg::LAboutDlg(const RCPtr<LControl>& parent, const WString& name) : LDialog(parent, name) {}

WString LAboutDlg::BuildProductLine(const WString& company, const WString& product, const WString& versionWord,
                                    const WString& version)
{
    const WString blank(u" ");
    return company + blank + product + blank + versionWord + blank + version;
}

KXRESULT LAboutDlg::Initialize()
{
    const KXRESULT base = LDialog::Initialize();
    if (Failed(base))
        return base;
    const RCPtr<LControl> product = RequireChild<LControl>(this, u"labelProduct", kMethod, kSource, 24);
    const RCPtr<LControl> copyright = RequireChild<LControl>(this, u"labelCopyright", kMethod, kSource, 25);
    const Version version;
    const WString line = BuildProductLine(version.GetCompanyName(), version.GetProductName(), AppString(u"APP_VERSION"),
                                          version.GetProductVersion());
    const KXRESULT set = product->SetText(line);
    if (Failed(set))
        return set;
    return copyright->SetText(version.GetCopyright());
}

} // namespace editor
