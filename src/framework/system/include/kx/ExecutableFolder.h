#pragma once
// Where the running program lives: the folder its shared libraries are loaded from by default.
#include <string>

namespace KX {

// The folder of the running executable in UTF-8, without a trailing "/" ("/" for the root);
// empty when it cannot be read.
std::string GetExecutableFolder();

} // namespace KX
