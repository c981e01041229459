#pragma once
// The system's file chooser for open and save dialogs: the desktop portal's FileChooser over
// D-Bus, else `zenity --file-selection`, else `kdialog`, each tried in turn while the previous one
// is unavailable. Programs run from an argument vector (never a shell), so names with quotes,
// blanks and newlines are data. Blocks the calling thread until the user answers. Texts and paths
// are UTF-8 (paths as the system's bytes).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::filechooser {

struct Filter {
    std::string name;
    std::vector<std::string> patterns; // globs such as "*.txt"; "*" matches every file
};

// Splits a "|"-separated list of description and pattern pairs ("Text (*.txt)|*.txt;*.text|All|*.*")
// into filters. Patterns of one entry are separated by ";" and trimmed; "*.*" becomes "*" (every
// file, with or without a dot). A pair without patterns is dropped.
std::vector<Filter> ParseFilterList(std::string_view list);

// A glob that matches ASCII letters in either case ("*.txt" -> "*.[tT][xX][tT]"), for choosers that
// match case-sensitively.
std::string CaseInsensitiveGlob(std::string_view glob);

enum class Mode { Open, OpenMultiple, Save };

struct Request {
    Mode mode = Mode::Open;
    std::string title;           // empty: the chooser's own title
    std::vector<Filter> filters; // the first is selected
    std::string folder;          // absolute folder to open in; empty: the chooser's choice
    std::string proposedName;    // Save: the file name offered
    uint64_t x11Parent = 0;      // the X11 window the dialog belongs to; 0 none
    // zenity and kdialog: called on the choosing thread with the process group the program runs in,
    // once it started.
    std::function<void(int processGroup)> programStarted;
};

enum class Status {
    Chosen,      // paths holds the choice
    Cancelled,   // the user closed the dialog
    Failed,      // the chooser ran and failed; error says why
    Unavailable, // no chooser could be started
};

struct Result {
    Status status = Status::Unavailable;
    std::vector<std::string> paths; // absolute
    std::string chooser;            // "portal", "zenity" or "kdialog"; empty when none ran
    std::string error;
};

struct Options {
    // Session bus address; empty: $DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus when that
    // socket exists, else no portal.
    std::string busAddress;
    // The OpenFile/SaveFile call (the portal may be started by it).
    int32_t callTimeoutMs = 25000;
    // Waiting for the user's answer; 0 waits without limit. The wait also ends when the portal
    // leaves the bus or the bus closes.
    int32_t responseTimeoutMs = 0;
    bool usePortal = true;
    bool useZenity = true;
    bool useKdialog = true;
};

// The portal alone: Unavailable when there is no bus, no portal or the call is refused.
Result ChooseWithPortal(const Request& request, const Options& options);

enum class Program { Zenity, Kdialog };
// The argument vector that runs the program for the request (argv[0] is the program's name).
std::vector<std::string> ProgramArguments(Program program, const Request& request);
// One program found on PATH: Unavailable when it cannot be started.
Result ChooseWithProgram(Program program, const Request& request);

// The portal, then zenity, then kdialog (as options allow), moving on while each is Unavailable.
Result Choose(const Request& request, const Options& options = {});

} // namespace platform::filechooser
