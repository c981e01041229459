#pragma once
// The editor's skin classes: every "PresetEditor." name with the create function of its class
// (null while the class is not built yet; such names are not registered), and their registration
// with the control factory together with the framework rows the application registers itself.
// Main thread only, once at start-up after the framework's own classes.
#include "kx/ui/ControlFactory.h"

#include <cstdint>
#include <vector>

struct EditorControlClass {
    const char16_t* name;
    KX::ControlCreateFunction create;
    // The class that builds it, for diagnostics.
    const char* creatorClass;
};

// The 176 editor names in registration order.
const std::vector<EditorControlClass>& GetEditorControlClasses();

// The framework rows the application registers ("Framework.ScrollChannel",
// "Framework.ComboSlider.DropDownPanel", "Framework.TabControl", "Framework.Panel").
std::vector<const char16_t*> GetApplicationFrameworkClassNames();

// Registers the four framework rows (with the framework's creators) and every editor name that has
// a create function, in table order. Returns the number of names registered.
int32_t RegisterEditorControlClasses(KX::LControlFactory& factory);
