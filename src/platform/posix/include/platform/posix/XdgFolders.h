#pragma once
// The user's folders after the XDG base-directory rules: data, config and cache homes, the runtime
// folder, the home folder and the documents folder named in the user-dirs file. The environment is
// read once into a value, so tests can give any environment. No folder is created here.
#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The variables the rules read; absent and empty count alike.
struct XdgEnvironment {
    std::optional<std::string> home;       // HOME
    std::optional<std::string> dataHome;   // XDG_DATA_HOME
    std::optional<std::string> configHome; // XDG_CONFIG_HOME
    std::optional<std::string> cacheHome;  // XDG_CACHE_HOME
    std::optional<std::string> runtimeDir; // XDG_RUNTIME_DIR

    // The process's environment; HOME unset or empty falls back to the password database.
    static XdgEnvironment FromProcess();
};

// The home folder without a trailing "/" ("/" itself for the root); empty when unknown or not absolute.
std::string HomeFolder(const XdgEnvironment& env);
// $XDG_DATA_HOME, else ~/.local/share. A relative value is ignored, as the rules demand. Empty when
// neither is known.
std::string DataHome(const XdgEnvironment& env);
// $XDG_CONFIG_HOME, else ~/.config.
std::string ConfigHome(const XdgEnvironment& env);
// $XDG_CACHE_HOME, else ~/.cache.
std::string CacheHome(const XdgEnvironment& env);
// $XDG_RUNTIME_DIR when it is absolute and names an existing folder; empty otherwise.
std::string RuntimeDir(const XdgEnvironment& env);

// The folder a user-dirs file names for key (for example "XDG_DOCUMENTS_DIR"): the value of the last
// valid line `KEY="$HOME/..."` or `KEY="/..."` ("$HOME" alone gives the home folder). Lines with
// another form, comments, blank lines and other keys are skipped; nothing for none. home is what
// "$HOME" stands for.
std::optional<std::string> ParseUserDirsEntry(std::string_view fileText, std::string_view key, std::string_view home);

// The user's documents folder: XDG_DOCUMENTS_DIR of <config home>/user-dirs.dirs, else the home
// folder. Empty only when no home folder is known. The file is read up to 64 KiB.
std::string DocumentsFolder(const XdgEnvironment& env);

// Makes the folder and its missing parents (mode 0700 for new ones): 0, or the errno of the step
// that failed (ENOTDIR when a part is not a folder).
int MakeFolderChain(const std::string& path);

} // namespace platform::posix
