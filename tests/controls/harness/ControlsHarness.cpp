// The controls tests' fixture: documents, window, application, creation, input, clock and pictures.
#include "ControlsHarness.h"

#include "kx/controls/ScrollView.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlDescriptor.h"

#include "platform/gdi/Bitmap.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace KX;

namespace ctltest {

std::string ReadTextFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string MergeStringDocuments(const std::vector<std::string>& utf8Documents)
{
    std::string body;
    for (const std::string& document : utf8Documents) {
        const size_t open = document.find("<Application");
        const size_t openEnd = open == std::string::npos ? open : document.find('>', open);
        const size_t close = document.rfind("</Application>");
        if (openEnd == std::string::npos || close == std::string::npos || close < openEnd) {
            ADD_FAILURE() << "a string document without an Application element";
            continue;
        }
        body.append(document, openEnd + 1, close - openEnd - 1);
    }
    std::string merged = "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>\n<Controls_StringTable_Root>"
                         "<Application Name=\"";
    merged += WString(kAppName).ToNarrow().GetString();
    merged += "\">" + body + "</Application></Controls_StringTable_Root>\n";
    return KXTest::ToUtf16Document(merged);
}

std::string ScreenshotFolder()
{
    const std::string folder = KX_CONTROLS_TEST_OUTPUT;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::vector<std::unique_ptr<ScopedResource>> AddImageResources(std::initializer_list<const char*> fileNames)
{
    std::vector<std::unique_ptr<ScopedResource>> added;
    for (const char* name : fileNames) {
        const std::string bytes = ReadTextFile(std::string(KX_CONTROLS_TEST_RESOURCES) + name);
        std::string resource(name);
        for (char& c : resource)
            c = c == '.' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        added.push_back(std::make_unique<ScopedResource>(
            WString(kResourceTypeImage), WString(resource.c_str()),
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));
    }
    return added;
}

void RegisterScrollChannelClass(LControlFactory& factory)
{
    if (!FindBuiltInControlCreator(WString(u"Framework.ScrollChannel")))
        factory.RegisterControlClass(WString(u"Framework.ScrollChannel"), &CreateControlOfClass<LScrollView>);
}

HarnessApp::HarnessApp(const RCPtr<LControlFactory>& factory, const ConstRCPtr<LStringTable>& strings)
    : apptest::FakeApp(factory, strings)
{
    SetOSWindowApp(this);
}

HarnessApp::~HarnessApp()
{
    if (GetOSWindowApp() == this)
        SetOSWindowApp(nullptr);
}

void HarnessApp::UnregisterRootWindow(LRootWindow* root)
{
    for (const RCPtr<LRootWindow>& window : GetRootWindows())
        if (window.Get() == root) {
            RemoveRootWindow(RCPtr<LRootWindow>(window));
            return;
        }
}

namespace {

std::string TestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}

// The last top-level descriptor of that name in skin root, or null.
ConstRCPtr<LControlDescriptor> FindTopLevel(const LControlDescriptor& skin, const WString& name)
{
    const RCPtrArray<LControlDescriptor>& children = skin.GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        const RCPtr<LControlDescriptor>& child = children.GetData()[i];
        if (child && child->GetName() == name)
            return ConstRCPtr<LControlDescriptor>(child.Get());
    }
    return {};
}

} // namespace

std::string ControlsTest::ResourceFolder() const
{
    return KX_CONTROLS_TEST_RESOURCES;
}

void ControlsTest::SetUp()
{
    if (!oswtest::StartVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    factory = RCPtr<LControlFactory>(new LControlFactory(WString(kAppName)));
    const std::string folder = ResourceFolder();
    std::vector<std::string> strings;
    for (const std::string& area : Areas()) {
        const std::string prefix = area.find('/') == std::string::npos ? folder + area : area;
        const std::string skin = prefix + "_skin.xml";
        if (std::filesystem::exists(skin)) {
            ASSERT_EQ(factory->LoadSkins(WString(skin.c_str())), S_OK)
                << skin << ":" << factory->GetLastXMLErrorLine() << ": "
                << factory->GetLastXMLErrorText().ToNarrow().GetString();
        }
        std::string text = ReadTextFile(prefix + "_strings.xml");
        if (!text.empty())
            strings.push_back(std::move(text));
    }
    m_stringsPath = ScreenshotFolder() + TestName() + ".strings.xml";
    {
        const std::string merged = MergeStringDocuments(strings);
        std::ofstream out(m_stringsPath, std::ios::binary | std::ios::trunc);
        out.write(merged.data(), static_cast<std::streamsize>(merged.size()));
    }
    ASSERT_EQ(factory->LoadStringTables(WString(m_stringsPath.c_str()), WString(KX_FRAMEWORK_STRINGS_FILE), 0x0409),
              S_OK);
    EXPECT_EQ(factory->GetLastXMLErrorLine(), 0) << factory->GetLastXMLErrorText().ToNarrow().GetString();
    if (factory->GetSkins().GetCount() > 0)
        factory->SetCurrentSkinIndex(static_cast<int32_t>(factory->GetSkins().GetCount()) - 1);
    for (const BuiltInControlClass& c : GetBuiltInControlClasses()) {
        const ControlCreateFunction create = FindBuiltInControlCreator(WString(c.name));
        if (create)
            factory->RegisterControlClass(WString(c.name), create);
    }
    RegisterClasses(*factory);

    app = RCPtr<HarnessApp>(new HarnessApp(factory, factory->GetFrameworkStringTable()));
    OSWindowOptions options;
    options.title = u"Controls";
    options.width = WindowWidth();
    options.height = WindowHeight();
    options.x = 40;
    options.y = 30;
    window = OSWindow::Create(options);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    ASSERT_EQ(window->CreateRenderer(kRendererGDIPlus), S_OK);
    m_host = std::make_unique<kxtest::ScopedRenderHost>(ConstRCPtr<LMeasurementRenderer>(window->GetRenderer().Get()));
    m_host->defaultFace = u"DejaVu Sans";
    window->Show(1);
    root = window->GetRootWindow();
    // Drop the creation's events; the window has the focus.
    app->events.ProcessPending();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_SetModState(KMOD_NONE);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    Inject(focus);

    RCPtr<uitest::TestControl> page = uitest::Make(nullptr, u"page", 0, 0, WindowWidth(), WindowHeight());
    page->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, WindowWidth(), WindowHeight()}, 0xFFE8E8E8u)));
    page->ShowLook(0, 1);
    page->SetNotFocusable(false); // a container: its focusable children take the focus
    m_page = RCPtr<LControl>(page);
    root->AttachMainControl(m_page);
    app->events.SetIdleHandler([this](int passCount) {
        if (whileModal) {
            if (++m_modalIdles > kModalIdleLimit) {
                ADD_FAILURE() << "the modal loop did not end";
                app->events.Quit(-1);
            }
            whileModal();
        }
        return RunIdlePass(passCount);
    });
}

void ControlsTest::TearDown()
{
    whileModal = nullptr;
    SDL_SetModState(KMOD_NONE);
    m_page = nullptr;
    if (window) {
        root->AttachMainControl(nullptr);
        root = nullptr;
        window->Destroy();
        window = nullptr;
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    m_host.reset();
    app = nullptr;
    factory = nullptr;
    if (!m_stringsPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_stringsPath, ignored);
    }
}

bool ControlsTest::SelectSkinOf(const char16_t* name)
{
    const RCPtrArray<LControlDescriptor>& skins = factory->GetSkins();
    for (uint32_t i = skins.GetCount(); i-- > 0;)
        if (skins.GetData()[i] && FindTopLevel(*skins.GetData()[i], WString(name))) {
            factory->SetCurrentSkinIndex(static_cast<int32_t>(i));
            return true;
        }
    return false;
}

RCPtr<LControl> ControlsTest::Create(const char16_t* name, const RCPtr<LControl>& parent)
{
    RCPtr<LControl> made;
    if (!SelectSkinOf(name)) {
        ADD_FAILURE() << "no skin holds " << WString(name).ToNarrow().GetString();
        return made;
    }
    const ConstRCPtr<LControlDescriptor> descriptor = factory->FindControlDescriptor(WString(name));
    if (LLayoutDescriptor* layout = descriptor->GetLayoutForUpdate())
        layout->visible = true;
    factory->CreateControlFromDescriptor(made, descriptor, parent ? parent : m_page);
    if (made)
        made->PerformLayout();
    return made;
}

RCPtr<LControl> ControlsTest::CreateTopLevel(const char16_t* name)
{
    RCPtr<LControl> made;
    if (!SelectSkinOf(name)) {
        ADD_FAILURE() << "no skin holds " << WString(name).ToNarrow().GetString();
        return made;
    }
    factory->CreateControlByName(made, WString(name), RCPtr<IRootWindow>());
    if (made)
        made->PerformLayout();
    return made;
}

OSWindow* ControlsTest::WindowOf(LControl& control)
{
    RCPtr<LControl> top = control.GetTopLevelControl();
    LControl& topmost = top ? *top : control;
    auto* owner = dynamic_cast<LRootWindow*>(topmost.GetTopLevelOwnerSlot().Get());
    return owner ? dynamic_cast<OSWindow*>(owner->GetServices()) : nullptr;
}

RCPtr<LControl> ControlsTest::CreateMain(const char16_t* name)
{
    if (!SelectSkinOf(name)) {
        ADD_FAILURE() << "no skin holds " << WString(name).ToNarrow().GetString();
        return {};
    }
    m_page = nullptr;
    root->CreateMainControl(*factory, WString(name));
    const RCPtr<LControl>& made = root->GetMainControl();
    if (made)
        made->FillRootWindow();
    return made;
}

void ControlsTest::RunIdle()
{
    app->events.ProcessPending();
    for (int32_t pass = 0; pass < 8 && RunIdlePass(pass); ++pass) {
    }
    app->events.ProcessPending();
}

void ControlsTest::Advance(uint32_t milliseconds)
{
    if (m_host)
        m_host->tick += milliseconds;
    RunIdle();
}

void ControlsTest::Paint()
{
    RunIdle();
    window->InvalidateAll();
    app->events.ProcessPending();
}

uint32_t ControlsTest::Pixel(int32_t x, int32_t y)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window->GetPlatformWindow().Handle());
    if (!surface || x < 0 || y < 0 || x >= surface->w || y >= surface->h)
        return 0xFFFFFFFFu;
    Uint8 r = 0, g = 0, b = 0;
    SDL_LockSurface(surface);
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(y) * surface->pitch;
    Uint32 value = 0;
    std::memcpy(&value, row + static_cast<ptrdiff_t>(x) * surface->format->BytesPerPixel,
                surface->format->BytesPerPixel);
    SDL_UnlockSurface(surface);
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

void SaveWindowPng(SDL_Window* sdlWindow, const std::string& path)
{
    SDL_Surface* surface = SDL_GetWindowSurface(sdlWindow);
    if (!surface) {
        ADD_FAILURE() << SDL_GetError();
        return;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
    if (!argb) {
        ADD_FAILURE() << SDL_GetError();
        return;
    }
    std::vector<gdi::ARGB> pixels;
    pixels.reserve(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                            static_cast<ptrdiff_t>(y) * argb->pitch);
        for (int x = 0; x < argb->w; ++x)
            pixels.push_back(row[x] | 0xFF000000u);
    }
    std::unique_ptr<gdi::Bitmap> bitmap;
    EXPECT_EQ(gdi::Bitmap::FromPixels(argb->w, argb->h, argb->w * 4, pixels.data(), bitmap), gdi::Status::Ok);
    if (bitmap) {
        EXPECT_EQ(bitmap->SaveToPng(path), gdi::Status::Ok) << path;
    }
    SDL_FreeSurface(argb);
}

std::string ControlsTest::ScreenshotPath(const std::string& name)
{
    return ScreenshotFolder() + TestName() + "." + name + ".png";
}

std::string ControlsTest::Screenshot(const std::string& name)
{
    Paint();
    const std::string path = ScreenshotPath(name);
    SaveWindowPng(window->GetPlatformWindow().Handle(), path);
    return path;
}

} // namespace ctltest
