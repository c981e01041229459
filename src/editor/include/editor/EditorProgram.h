#pragma once
// The program from its entry to its exit status: SDL video, the control factory with the embedded
// string tables and skin, the single-instance check (a later instance hands its command line to
// the first and ends with 255), the debug switches, the application object, the main window and
// its control, the message loop and the shut-down. A start-up failure shows the start-up error box
// and ends with a non-zero status; a normal exit gives 0. Main thread only.
#include "editor/AppPlatform.h"

#include "engine/RootModuleEngine.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class LApplication;

// Exit statuses.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitStartupFailure = 1;
inline constexpr int kExitSecondInstance = 255;

// What the debug switches ask for: "-DEBUG_CONSOLE" (any letter case) opens the console;
// "-DEBUG_CONSOLE:<port>:<host>" with a port of at least two characters sends the trace there.
struct DebugSwitches {
    bool openConsole = false;
    bool traceTarget = false;
    int32_t port = 0;
    std::string host; // upper case, as read; empty for none
};
DebugSwitches ParseDebugSwitches(const std::string& commandLineUtf8);

// The whole command line as one UTF-8 text: the arguments joined by blanks, those with a blank or a
// quote inside written in double quotes.
std::string JoinCommandLine(const std::vector<std::string>& args);
// The command line as a later instance hands it over: cut at a character boundary to the
// longest request the running program takes.
std::string FitHandOver(const std::string& commandLine);

struct EditorProgramOptions {
    // Null: the system's.
    std::function<std::unique_ptr<IAppPlatform>()> makePlatform;
    // The folder of the single-instance lock and socket; empty: the runtime folder.
    std::string instanceFolder;
    // The string tables and skin: "::" for the embedded ones, else a folder holding
    // StringTables.xml, FrameworkStrings.xml and Skins.xml.
    std::string resourceFolder = "::";
    LRootModuleEngine::Options engine;
    // After the main window is shown, before the message loop (tests drive the program from here).
    std::function<void(LApplication&)> onStarted;
    // When the command line is handed over to a first instance: how long to wait for its reply.
    int32_t handOverTimeoutMs = 10000;
};

int RunEditorProgram(int argc, char** argv);
int RunEditorProgram(const std::vector<std::string>& args, EditorProgramOptions options);
