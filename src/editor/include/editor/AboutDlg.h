#pragma once
// The about box: the product line (company, product, the "APP_VERSION" word, version) and the
// legal notice from the version block; its "buttonOK" closes it as a standard button. UI thread
// only.
#include "kx/controls/Dialog.h"

namespace editor {

class LAboutDlg : public KX::LDialog {
public:
    LAboutDlg(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "labelProduct" and "labelCopyright" (the missing-child error otherwise). A failure
    // to set the product line is returned and leaves the copyright label alone.
    KX::KXRESULT Initialize() override;

    // company + " " + product + " " + versionWord + " " + version.
    static KX::WString BuildProductLine(const KX::WString& company, const KX::WString& product,
                                        const KX::WString& versionWord, const KX::WString& version);

protected:
    ~LAboutDlg() override = default;
};

} // namespace editor
