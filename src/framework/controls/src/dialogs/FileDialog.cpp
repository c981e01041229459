#include "kx/controls/FileDialog.h"

#include "kx/AppServices.h"
#include "kx/DebugTrace.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"
#include "platform/filechooser/FileChooser.h"
#include "platform/posix/Utf.h"
#include "platform/sdl/EventLoop.h"
#include "platform/sdl/Window.h"

#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace KX {

namespace {

namespace fc = platform::filechooser;

// Message-box flags and answers.
constexpr uint32_t kBoxError = 0x10;        // error icon, OK button
constexpr uint32_t kBoxYesNoWarning = 0x34; // warning icon, Yes and No buttons
constexpr int32_t kAnswerYes = 6;

constexpr const char16_t* kUnavailableText =
    u"No file dialog is available on this system. Install one of these and try again:\n"
    u"- the desktop portal (xdg-desktop-portal with a back end such as xdg-desktop-portal-gtk)\n"
    u"- zenity (for example: sudo apt-get install zenity)\n"
    u"- kdialog (for example: sudo apt-get install kdialog)";

std::string Utf8(const WString& text)
{
    return platform::posix::ToUtf8Replacing(text.GetString());
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// The folder as an absolute system path, empty when it names no folder.
std::string AbsoluteFolder(const WString& folder)
{
    std::optional<std::string> path = platform::posix::ToNativePath(folder.GetString());
    if (!path || path->empty())
        return std::string();
    if (path->front() != '/') {
        std::string cwd(4096, '\0');
        if (!getcwd(cwd.data(), cwd.size()))
            return std::string();
        cwd.resize(cwd.find('\0'));
        *path = *path == "." ? cwd : cwd + (cwd.back() == '/' ? "" : "/") + *path;
    }
    return IsFolder(*path) ? *path : std::string();
}

// "txt" from "txt", ".txt" or "*.txt"; empty for anything holding wildcards or separators.
std::string PlainExtension(const WString& defaultExtension)
{
    std::string extension = Utf8(defaultExtension);
    size_t skip = 0;
    while (skip < extension.size() && (extension[skip] == '*' || extension[skip] == '.'))
        ++skip;
    extension.erase(0, skip);
    if (extension.find_first_of("*?/;|[] ") != std::string::npos)
        return std::string();
    return extension;
}

std::string LastComponent(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path without its last component ("/a/b.txt" -> "/a", "/b.txt" -> "/").
std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The window of the application's active root window; null when there is none.
OSWindow* ActiveWindow()
{
    IControlHost* host = GetControlHost();
    if (!host)
        return nullptr;
    RCPtr<IRootWindow> active = host->GetActiveRootWindow();
    auto* root = dynamic_cast<LRootWindow*>(active.Get());
    IWindowOSServices* services = root ? root->GetServices() : nullptr;
    return services ? dynamic_cast<OSWindow*>(services->GetWindowHandle()) : nullptr;
}

// A chooser program's window (zenity sets no owner of its own), looked for on the main thread while
// the wait runs, once the program started: tied to the owner as its modal dialog when it shows,
// and what a click on the disabled owner brings forward.
class ChooserWindow {
public:
    explicit ChooserWindow(uint32_t owner) : m_owner(owner) {}

    // Any thread.
    void Started(int processGroup) { m_group.store(processGroup, std::memory_order_release); }

    void Look()
    {
        const int group = m_group.load(std::memory_order_acquire);
        const auto now = std::chrono::steady_clock::now();
        if (m_found || group == 0 || now < m_next)
            return;
        m_next = now + std::chrono::milliseconds(100);
        const platform::sdl::Window* owner = platform::sdl::Window::FromId(m_owner);
        m_found = owner ? owner->FindWindowOfProcessGroup(group) : 0;
        if (!m_found)
            return;
        owner->AdoptModalDialog(m_found);
        IOSWindowApp* app = GetOSWindowApp();
        if (platform::sdl::EventLoop* loop = app ? app->GetEventLoop() : nullptr)
            loop->SetWaitWindow(m_found);
    }

private:
    uint32_t m_owner;
    std::atomic<int> m_group{0};
    uint64_t m_found = 0;
    std::chrono::steady_clock::time_point m_next;
};

// The chooser runs on a thread of its own while the main thread serves the windows in a modal
// wait; a wait that ends because the application quits still lets the chooser end (a termination
// ends it), and nothing counts as chosen then. owner: the platform window it belongs to, or 0.
fc::Result ChooseWhileWindowsRun(fc::Request request, uint32_t owner)
{
    ChooserWindow window(owner);
    if (owner != 0)
        request.programStarted = [&window](int processGroup) { window.Started(processGroup); };
    fc::Result result;
    std::atomic<bool> done{false};
    std::thread chooser([&] {
        result = fc::Choose(request);
        done.store(true, std::memory_order_release);
        platform::sdl::EventLoop::Wake();
    });
    struct Join {
        std::thread& thread;
        ~Join() { thread.join(); }
    };
    {
        const Join join{chooser};
        RunModalWait([&] {
            window.Look();
            return done.load(std::memory_order_acquire);
        });
    }
    IOSWindowApp* app = GetOSWindowApp();
    const bool quit = app && app->GetEventLoop() && app->GetEventLoop()->QuitRequested();
    if (quit) {
        result.status = fc::Status::Cancelled;
        result.paths.clear();
    }
    return result;
}

// The chooser's window had the keyboard focus, and with no window manager nothing hands it back.
// The owner is the root window that was active when the chooser opened: while it runs, the
// windows are served and the owner has taken note that it lost the focus.
void FocusOwnerAgain(const RCPtr<IRootWindow>& owner)
{
    auto* root = dynamic_cast<LRootWindow*>(owner.Get());
    IWindowOSServices* services = root ? root->GetServices() : nullptr;
    auto* window = services ? dynamic_cast<OSWindow*>(services->GetWindowHandle()) : nullptr;
    if (window && window->GetPlatformWindow().X11WindowId() != 0 && window->GetPlatformWindow().IsVisible())
        window->GetPlatformWindow().SetFocus();
}

WString TextOr(const char16_t* key, const WString& fallback)
{
    WString text = LookupAppString(WString(key));
    return text.IsEmpty() ? fallback : text;
}

} // namespace

struct LFileDialog::State {
    WString file;  // the chosen path
    WString title; // its last component
    std::vector<WString> files;
    WString folder; // where the next dialog opens
};

LFileDialog::LFileDialog(const WString& folder) : m_state(std::make_unique<State>())
{
    m_state->folder = folder;
}

LFileDialog::~LFileDialog() = default;

KXRESULT LFileDialog::ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                                     bool allowMultiSelect)
{
    m_state->file.Empty();
    m_state->title.Empty();
    m_state->files.clear();
    return Run(allowMultiSelect ? Kind::OpenMultiple : Kind::Open, filter, defaultExtension, title);
}

KXRESULT LFileDialog::ShowSaveDialog(const WString& filter, const WString& defaultExtension, const WString& title)
{
    m_state->file = WString(kProposedSaveName);
    m_state->title = WString(kProposedSaveName);
    m_state->files.clear();
    return Run(Kind::Save, filter, defaultExtension, title);
}

KXRESULT LFileDialog::Run(Kind kind, const WString& filter, const WString& defaultExtension, const WString& title)
{
    fc::Request request;
    request.mode = kind == Kind::Save           ? fc::Mode::Save
                   : kind == Kind::OpenMultiple ? fc::Mode::OpenMultiple
                                                : fc::Mode::Open;
    request.title = Utf8(title);
    request.filters = fc::ParseFilterList(Utf8(filter));
    request.folder = AbsoluteFolder(m_state->folder);
    if (kind == Kind::Save)
        request.proposedName = Utf8(WString(kProposedSaveName));
    // The X11 window of the application's active root window.
    OSWindow* ownerWindow = ActiveWindow();
    request.x11Parent = ownerWindow ? ownerWindow->GetPlatformWindow().X11WindowId() : 0;
    IControlHost* host = GetControlHost();
    const RCPtr<IRootWindow> owner = host ? host->GetActiveRootWindow() : RCPtr<IRootWindow>();

    fc::Result result =
        ChooseWhileWindowsRun(request, request.x11Parent != 0 ? ownerWindow->GetPlatformWindow().Id() : 0);
    if (request.x11Parent != 0)
        FocusOwnerAgain(owner);
    if (!result.error.empty())
        DebugOut() << "File dialog: " << result.error << std::endl;
    if (result.status == fc::Status::Unavailable) {
        ShowAppMessageBox(TextOr(u"FILE_DIALOG_UNAVAILABLE_MESSAGE", WString(kUnavailableText)),
                          TextOr(u"FILE_DIALOG_UNAVAILABLE_CAPTION", title.IsEmpty() ? WString(u"File Dialog") : title),
                          kBoxError);
        return E_FAIL;
    }
    if (result.status != fc::Status::Chosen || result.paths.empty())
        return E_FAIL;

    if (kind == Kind::Save) {
        // A name typed without an extension gets the default one; a file of that name must be
        // confirmed, as the dialog only confirmed the name typed.
        std::string& path = result.paths.front();
        const std::string extension = PlainExtension(defaultExtension);
        if (!extension.empty() && LastComponent(path).find('.') == std::string::npos) {
            path += "." + extension;
            // A folder of that name is never offered for replacing: a file cannot take its place.
            if (Exists(path) && !IsFolder(path)) {
                std::u16string name;
                if (!platform::posix::Utf8ToUtf16Strict(LastComponent(path), name))
                    return E_FAIL;
                const WString question =
                    WString(name.c_str()) + WString(u" already exists.\nDo you want to replace it?");
                if (ShowAppMessageBox(question, title.IsEmpty() ? WString(u"Confirm Save As") : title,
                                      kBoxYesNoWarning) != kAnswerYes)
                    return E_FAIL;
            }
        }
    }

    // A path with no exact UTF-16 form could name another file: refuse it.
    std::vector<WString> files;
    for (const std::string& path : result.paths) {
        std::u16string wide;
        if (!platform::posix::Utf8ToUtf16Strict(path, wide) || wide.find(u'\0') != std::u16string::npos)
            return E_FAIL;
        files.emplace_back(wide.c_str());
    }
    std::u16string folder;
    std::u16string name;
    platform::posix::Utf8ToUtf16Strict(ParentFolder(result.paths.front()), folder);
    platform::posix::Utf8ToUtf16Strict(LastComponent(result.paths.front()), name);
    m_state->files = std::move(files);
    m_state->file = m_state->files.front();
    m_state->title = WString(name.c_str());
    m_state->folder = WString(folder.c_str());
    return S_OK;
}

WString LFileDialog::GetFileName() const
{
    return m_state->file;
}

std::vector<WString> LFileDialog::GetFileNames() const
{
    return m_state->files;
}

WString LFileDialog::GetFileTitle() const
{
    return m_state->title;
}

WString LFileDialog::GetFolder() const
{
    return m_state->folder;
}

} // namespace KX
