#pragma once
// The editor skin tests' documents: the merged skin, the string tables (UTF-8 source and shipped
// UTF-16LE form), a factory loaded with both, and copies of them as a GUI-harness area.
#include "kx/StringT.h"
#include "kx/ui/ControlFactory.h"

#include <string>

namespace skintest {

inline constexpr const char16_t* kAppName = u"PresetEditor";

std::string ReadFile(const std::string& path);
std::string Narrow(const KX::WString& text);
std::string Lower(std::string text);

// The shipped UTF-16LE string document beside the UTF-8 source, and the framework's.
std::string ShippedStringsPath();
std::string FrameworkStringsPath();

// A factory named like the application, holding the skin and both string documents (English);
// null (with a test failure) when a document does not load.
KX::RCPtr<KX::LControlFactory> LoadEditorDocuments();

// Writes <folder>/editor_skin.xml and editor_strings.xml in the harness's form (its application
// name in place of the editor's) and returns the area path "<folder>/editor".
std::string WriteHarnessArea(const std::string& folder);

} // namespace skintest
