// The program's spine: start-up, single instance, the message loop, the exit status.
#include "editor/EditorProgram.h"

#include "editor/Application.h"
#include "editor/Version.h"

#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/Resources.h"
#include "kx/ui/UserLocale.h"

#include "platform/posix/SingleInstance.h"
#include "platform/sdl/Desktop.h"
#include "platform/sdl/Video.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <span>

using namespace KX;

namespace {

constexpr const char* kAppSource = "kxframework\\include\\..\\Application\\ApplicationBaseWin";
constexpr uint32_t kErrorIcon = 0x10;

// The string tables and the skin from folder ("::" for the embedded ones).
KXRESULT LoadApplicationResources(LControlFactory& factory, const std::string& folder, uint32_t language)
{
    WString app, framework, skins;
    if (folder == "::") {
        app = WString(u"::APP_STRINGS");
        framework = WString(u"::FRAMEWORK_STRINGS");
        skins = WString(u"::APP_SKINS");
    } else {
        app = WString((folder + "/StringTables.xml").c_str());
        framework = WString((folder + "/FrameworkStrings.xml").c_str());
        skins = WString((folder + "/Skins.xml").c_str());
    }
    const KXRESULT strings = factory.LoadStringTables(app, framework, language);
    if (Failed(strings))
        return strings;
    return factory.LoadSkins(skins);
}

void ApplyDebugSwitches(const std::string& commandLine)
{
    const DebugSwitches switches = ParseDebugSwitches(commandLine);
    if (switches.openConsole)
        OpenDebugConsole();
    else if (switches.traceTarget)
        SetDebugTraceTarget(switches.host.empty() ? nullptr : switches.host.c_str(), switches.port);
}

// The string tables are named after the application: "|PresetEditor" is its own.
RCPtr<LControlFactory> LoadResources(const std::string& folder, uint32_t language)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    const KXRESULT loaded = LoadApplicationResources(*factory, folder, language);
    if (Failed(loaded))
        ThrowFailedResult(loaded, "KX::MFCFrameworkApp<class LApplication>::InitApplication", kAppSource, 161);
    return factory;
}

// One instance: a later one hands its command line over; true when it has and ends.
bool HandOverToFirstInstance(platform::posix::SingleInstance& instance, const std::string& commandLine,
                             const EditorProgramOptions& options)
{
    instance =
        platform::posix::SingleInstance::Acquire(GetInstanceName().ToNarrow().GetString(), options.instanceFolder);
    if (instance.GetRole() != platform::posix::SingleInstance::Role::Second)
        return false;
    const int handed =
        instance.HandOver(FitHandOver(commandLine), std::chrono::milliseconds(std::max(1, options.handOverTimeoutMs)));
    // No first instance listens: go on as one.
    return handed != ECONNREFUSED && handed != ENOENT;
}

// The application's start-up and its main window, shown; step follows it for the error box.
void StartApplication(LApplication& app, int& step)
{
    const KXRESULT initialized = app.Initialize();
    if (Failed(initialized))
        ThrowFailedResult(initialized, "KX::MFCFrameworkApp<class LApplication>::Run", kAppSource, 368);
    step = 5;
    const KXRESULT window = app.CreateMainWindow(LApplication::GetDefaultRendererType());
    if (Failed(window))
        ThrowFailedResult(window, "KX::MFCFrameworkApp<class LApplication>::Run", kAppSource, 349);
    step = 6;
    const KXRESULT control = app.CreateMainControl();
    if (Failed(control))
        ThrowFailedResult(control, "KX::MFCFrameworkApp<class LApplication>::Run", kAppSource, 350);
    app.ShowMainWindow();
}

// The first instance takes the command lines of later ones on its idle passes.
void ListenForLaterInstances(LApplication& app, platform::posix::SingleInstance& instance)
{
    LApplication* self = &app;
    platform::posix::SingleInstance* listener = &instance;
    app.AddIdleWork([self, listener] {
        // The application raises its window in front (a modal dialog over the main window).
        listener->Poll([self](std::string_view text) {
            self->OnCommandLine(WString(std::string(text).c_str()));
            return true;
        });
    });
}

// Within a handler: what escaped the start-up, to the error stream.
void ReportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
    } catch (...) {
        std::cerr << "unknown exception during start-up\n";
    }
}

// The start-up error box of the step, through the application's platform, else boxes, else the
// system's.
void ShowStartupError(int step, LApplication* app, IAppPlatform* boxes)
{
    WString caption;
    if (LFrameworkApp* current = LFrameworkApp::GetCurrent())
        if (const ConstRCPtr<LStringTable>& strings = current->GetFrameworkStringTable())
            strings->Lookup(WString(u"STARTUP_ERROR_CAPTION"), caption);
    if (caption.IsEmpty())
        caption = WString(u"Error");
    std::unique_ptr<IAppPlatform> fallback;
    IAppPlatform* shown = app ? &app->GetPlatform() : boxes;
    if (!shown) {
        fallback = CreateSystemAppPlatform();
        shown = fallback.get();
    }
    shown->ShowMessageBox(GetStartupErrorText(step).ToNarrow().GetString(), caption.ToNarrow().GetString(), kErrorIcon,
                          nullptr);
}

} // namespace

DebugSwitches ParseDebugSwitches(const std::string& commandLineUtf8)
{
    std::string text = commandLineUtf8;
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    DebugSwitches switches;
    static const std::string kSwitch = "-DEBUG_CONSOLE";
    if (text.find(kSwitch) == std::string::npos)
        return switches;
    const size_t withTarget = text.find(kSwitch + ":");
    if (withTarget == std::string::npos) {
        switches.openConsole = true;
        return switches;
    }
    const size_t s = withTarget + kSwitch.size() + 1;
    size_t e = text.find(' ', s);
    if (e == std::string::npos)
        e = text.size();
    size_t c = text.find(':', s);
    if (c == std::string::npos || c > e)
        c = e;
    if (c <= s + 1)
        return switches;
    switches.traceTarget = true;
    switches.port = std::atoi(text.substr(s, c - s).c_str());
    if (c + 1 < e)
        switches.host = text.substr(c + 1, e - c - 1);
    return switches;
}

std::string JoinCommandLine(const std::vector<std::string>& args)
{
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        if (arg.find_first_of(" \t\"") == std::string::npos && !arg.empty()) {
            line += arg;
            continue;
        }
        line += '"';
        for (char c : arg) {
            if (c == '"')
                line += '\\';
            line += c;
        }
        line += '"';
    }
    return line;
}

std::string FitHandOver(const std::string& commandLine)
{
    // The running program is raised whatever the length: a longer line is cut at a character.
    const size_t limit = platform::posix::kMaxHandOverBytes - 1;
    if (commandLine.size() <= limit)
        return commandLine;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(commandLine[end]) & 0xC0) == 0x80)
        --end;
    return commandLine.substr(0, end);
}

int RunEditorProgram(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    return RunEditorProgram(args, EditorProgramOptions{});
}

int RunEditorProgram(const std::vector<std::string>& args, EditorProgramOptions options)
{
    const std::string commandLine = JoinCommandLine(args);
    std::string videoError;
    if (!platform::sdl::StartVideo(&videoError)) {
        std::cerr << "Cannot start the display: " << videoError << '\n';
        return kExitStartupFailure;
    }

    std::unique_ptr<IAppPlatform> platform = options.makePlatform ? options.makePlatform() : nullptr;
    if (!platform)
        platform = CreateSystemAppPlatform();
    IAppPlatform* boxes = platform.get();
    RCPtr<LApplication> app;
    platform::posix::SingleInstance instance;
    int status = kExitStartupFailure;
    int step = 0;
    try {
        // Resources.
        step = 1;
        const uint32_t language = GetUserDefaultLCID();
        RCPtr<LControlFactory> factory = LoadResources(options.resourceFolder, language);
        const ConstRCPtr<LStringTable> frameworkStrings = factory->GetFrameworkStringTable();

        step = 2;
        if (HandOverToFirstInstance(instance, commandLine, options)) {
            platform::sdl::StopVideo();
            return kExitSecondInstance;
        }

        step = 3;
        ApplyDebugSwitches(commandLine);

        // The application object, its start-up and its main window.
        step = 4;
        LApplication::Options appOptions;
        appOptions.platform = std::move(platform);
        boxes = nullptr;
        appOptions.engine = std::move(options.engine);
        app = RCPtr<LApplication>(
            new LApplication(factory, frameworkStrings, WString(commandLine.c_str()), std::move(appOptions)));
        app->SetLanguageId(language);
        StartApplication(*app, step);

        if (instance.IsFirst())
            ListenForLaterInstances(*app, instance);
        if (options.onStarted)
            options.onStarted(*app);

        step = 7;
        app->Run();
        app->Terminate();
        status = kExitNormal;
    } catch (...) {
        // Whatever escapes the start-up ends it with the start-up error box and a failure status.
        ReportCurrentException();
        ShowStartupError(step, app.Get(), boxes);
        if (app)
            app->Terminate();
        status = kExitStartupFailure;
    }
    app = nullptr;
    platform.reset();
    platform::sdl::StopVideo();
    return status;
}
