#pragma once
// The framework's built-in skin classes ("Framework." names) and their create functions.
// UI thread only; install once at start-up, before the skin is selected.
#include "kx/ui/ControlFactory.h"

#include <vector>

namespace KX {

struct BuiltInControlClass {
    const char16_t* name;
    ControlCreateFunction create; // null while the class is missing
    // Rows whose create function the application registers with its own classes.
    bool applicationRow;
};

// The 35 names in registration order.
const std::vector<BuiltInControlClass>& GetBuiltInControlClasses();

// Hands the create functions of every row but the application's to the framework application's
// start-up table.
void InstallBuiltInControlClasses();

// The create function of a built-in name; null for an unknown name.
ControlCreateFunction FindBuiltInControlCreator(const WString& name);

} // namespace KX
