#pragma once
// The framework's built-in skin classes ("Framework." names) and their create functions.
// UI thread only; install once at start-up, before the skin is selected.
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"

#include <vector>

namespace KX {

// A row: name, create function (null while the class is missing), the line a failed registration
// reports, and whether the application registers it with its own classes.
using BuiltInControlClass = FrameworkControlClass;

// The 35 names in registration order.
const std::vector<BuiltInControlClass>& GetBuiltInControlClasses();

// Hands the table to the framework application's start-up, which registers every row but the
// application's.
void InstallBuiltInControlClasses();

// The create function of a built-in name; null for an unknown name.
ControlCreateFunction FindBuiltInControlCreator(const WString& name);

} // namespace KX
