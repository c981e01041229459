#pragma once
// The system's open and save file dialogs with one dialog state kept across calls: the next dialog
// opens in the folder of the file chosen last, and the chosen path is read back after the call.
// A reference-counted object, not a control. Main thread only: while a dialog is open the main
// thread runs a modal wait (the windows paint and take no input) and the call returns after it.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <memory>
#include <vector>

namespace KX {

class LFileDialog : public virtual LRefCountedObject {
public:
    // The name the save dialog proposes.
    static constexpr const char16_t* kProposedSaveName = u"Untitled";

    // folder: where the first dialog opens (relative to the working folder when not absolute).
    explicit LFileDialog(const WString& folder);
    ~LFileDialog() override;
    LFileDialog(const LFileDialog&) = delete;
    LFileDialog& operator=(const LFileDialog&) = delete;

    // filter: description and pattern pairs separated by "|" ("Text (*.txt)|*.txt;*.text|All|*.*").
    // defaultExtension: added to a saved name typed without one ("txt", ".txt" or "*.txt").
    // 0 when a file was chosen; E_FAIL when the user cancelled or no dialog could be shown (then
    // a message box says what to install).
    KXRESULT ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                            bool allowMultiSelect);
    KXRESULT ShowSaveDialog(const WString& filter, const WString& defaultExtension, const WString& title);

    // The full path chosen in the last successful dialog (the first one of several); empty after
    // a failed open dialog, the proposed name after a failed save dialog.
    WString GetFileName() const;
    // Every path chosen in the last dialog; empty when it failed.
    std::vector<WString> GetFileNames() const;
    // The last component of GetFileName.
    WString GetFileTitle() const;
    // The folder the next dialog opens in.
    WString GetFolder() const;

private:
    struct State;
    enum class Kind { Open, OpenMultiple, Save };
    KXRESULT Run(Kind kind, const WString& filter, const WString& defaultExtension, const WString& title);

    std::unique_ptr<State> m_state;
};

} // namespace KX
