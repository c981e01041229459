// The application object's platform operations: folders, settings files, the profile and the
// window placement, clocks, keys, cursors, fonts and the work area.
#include "editor/Application.h"

#include "editor/Version.h"

#include "kx/Exception.h"
#include "kx/PathUtils.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/WindowPlacement.h"

#include "platform/sdl/Desktop.h"
#include "platform/sdl/Window.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <utility>

using namespace KX;

namespace {

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

// base + "/" + the valid file name of part, made when missing; empty when it cannot be made.
WString AppendMadeFolder(const WString& base, const WString& part)
{
    if (base.IsEmpty())
        return WString();
    const WString path = base + WString(u"/") + MakeValidFileName(part);
    if (Failed(EnsureDirectoryExists(path)))
        return WString();
    return path;
}

bool LimitGiven(const SizeLimit& limit)
{
    return limit.relative != 0.0f || limit.absolute != 0.0;
}

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// One axis of ClampToDesktop: cut to the desktop, given the fixed size, then moved onto it.
std::pair<int64_t, int64_t> ClampAxis(int64_t low, int64_t high, int64_t desktop, int64_t fixed)
{
    if (high - low > desktop)
        high = low + desktop;
    if (fixed > 0)
        high = low + fixed;
    const int64_t size = high - low;
    if (low < 0) {
        low = 0;
        high = size;
    }
    if (high > desktop) {
        high = size <= desktop ? desktop : size;
        low = high - size;
    }
    return {low, high};
}

} // namespace

bool IsFixedSize(const LControlDescriptor& descriptor)
{
    const ConstRCPtr<LLayoutDescriptor>& layout = descriptor.GetLayout();
    if (!layout)
        return false;
    bool allToControl = true;
    bool minEqualsMax = true;
    bool minGiven = false;
    for (int32_t axis = 0; axis < 2; ++axis) {
        const SizeLimit& min = layout->MinSize(axis);
        const SizeLimit& max = layout->MaxSize(axis);
        allToControl = allToControl && min.toControl != 0 && max.toControl != 0;
        minGiven = minGiven || LimitGiven(min);
        minEqualsMax = minEqualsMax && min.toControl == max.toControl && min.relative == max.relative &&
                       min.absolute == max.absolute;
    }
    return (minGiven && minEqualsMax) || allToControl;
}

PlacementRect ClampToDesktop(PlacementRect window, int32_t desktopWidth, int32_t desktopHeight, int32_t fixedWidth,
                             int32_t fixedHeight)
{
    // Worked in 64 bits, so no saved rectangle, however damaged, can overflow.
    const auto [left, right] = ClampAxis(window.left, window.right, desktopWidth, fixedWidth);
    const auto [top, bottom] = ClampAxis(window.top, window.bottom, desktopHeight, fixedHeight);
    return {Saturate(left), Saturate(top), Saturate(right), Saturate(bottom)};
}

RectT<int32_t> KeepInWorkArea(RectT<int32_t> window, RectT<int32_t> area)
{
    // The right and bottom edges first: a window larger than the area keeps its title and top-left on it.
    if (int64_t(window.x) + window.width > int64_t(area.x) + area.width)
        window.x = area.x + area.width - window.width;
    if (int64_t(window.y) + window.height > int64_t(area.y) + area.height)
        window.y = area.y + area.height - window.height;
    if (window.x < area.x)
        window.x = area.x;
    if (window.y < area.y)
        window.y = area.y;
    return window;
}

RectT<int32_t> CentreOnOwner(RectT<int32_t> window, RectT<int32_t> owner)
{
    const auto start = [](int32_t from, int32_t extent, int32_t size) {
        const int64_t spare = int64_t(extent) - size;
        // Rounded down, also when the window is the larger one.
        return Saturate(int64_t(from) + (spare >= 0 ? spare / 2 : -((1 - spare) / 2)));
    };
    window.x = start(owner.x, owner.width, window.width);
    window.y = start(owner.y, owner.height, window.height);
    return window;
}

WString LApplication::GetFolder(int32_t pathId)
{
    if (pathId == 5 || pathId == 6)
        pathId = kFolderDocuments;
    switch (pathId) {
    case kFolderExecutable: return WString(m_platform->ExecutableFolder().c_str());
    case kFolderResources: return WString(u"::");
    case kFolderAppData:
    case kFolderUserData: {
        const std::string home = pathId == kFolderAppData ? m_platform->DataHome() : m_platform->ConfigHome();
        return AppendMadeFolder(AppendMadeFolder(WString(home.c_str()), GetCompanyName()), GetProductName());
    }
    case kFolderDocuments: return WString(m_platform->DocumentsFolder().c_str());
    default:
        Throw<std::out_of_range>("Unknown Path ID.", "KX::MFCFrameworkApp<class LApplication>::GetFolder",
                                 "kxframework\\include\\..\\Application\\ApplicationBaseWin", 570);
    }
}

int32_t LApplication::GetSettingsFile(int32_t kind)
{
    if (kind != kAppSettingsFile && kind != kUserSettingsFile)
        return 0;
    int32_t& handle = kind == kAppSettingsFile ? m_appSettings : m_userSettings;
    if (handle != 0 || !m_ini)
        return handle;
    const WString folder = GetFolder(kind == kAppSettingsFile ? kFolderAppData : kFolderUserData);
    // No folder, no settings file: never one at the root.
    if (folder.IsEmpty())
        return 0;
    const WString path = folder + WString(kind == kAppSettingsFile ? u"/AppSettings.ini" : u"/UserSettings.ini");
    int32_t opened = 0;
    if (Failed(m_ini->OpenIniFile(path, GetVersionFolderName(), GetProductName(), opened)))
        opened = 0;
    handle = opened;
    return handle;
}

IIniFileManager* LApplication::GetIniFileManager()
{
    return m_ini.get();
}

WString LApplication::GetCompanyName()
{
    return Version().GetCompanyName();
}

WString LApplication::GetProductName()
{
    return Version().GetProductName();
}

WString LApplication::GetProductVersion()
{
    return Version().GetProductVersion();
}

WString LApplication::GetTitle()
{
    return GetInstanceName();
}

std::string LApplication::GetProfilePath()
{
    const WString folder = GetFolder(kFolderUserData);
    if (folder.IsEmpty())
        return std::string();
    return Narrow(folder) + "/Profile.ini";
}

bool LApplication::GetProfileBinary(const WString& section, const WString& entry, std::vector<uint8_t>& out)
{
    const std::string path = GetProfilePath();
    return !path.empty() && m_platform->ReadProfileValue(path, Narrow(section), Narrow(entry), out);
}

bool LApplication::WriteProfileBinary(const WString& section, const WString& entry, const uint8_t* data, uint32_t size)
{
    const std::string path = GetProfilePath();
    return !path.empty() &&
           m_platform->WriteProfileValue(path, Narrow(section), Narrow(entry), std::vector<uint8_t>(data, data + size));
}

bool LApplication::RestoreMainWindowPlacement()
{
    if (!m_mainWindow)
        return false;
    std::vector<uint8_t> bytes;
    WindowPlacementRecord record;
    const bool saved = GetProfileBinary(GetInstanceName(), WString(u"WP"), bytes) &&
                       DecodeWindowPlacement(bytes.data(), bytes.size(), record);
    if (!saved) {
        record = m_mainWindow->GetPlacement();
        m_mainWindow->GetPlatformWindow().PlaceFrameWhenMapped();
    }
    // A minimised window comes back restored.
    if (record.showCommand == kShowMinimized)
        record.showCommand = kShowNormal;
    // Kept on the usable area, in coordinates relative to its corner.
    const RectT<int32_t> area = GetWorkArea();
    PlacementRect rect{Saturate(int64_t(record.left) - area.x), Saturate(int64_t(record.top) - area.y),
                       Saturate(int64_t(record.right) - area.x), Saturate(int64_t(record.bottom) - area.y)};
    int32_t fixedWidth = 0, fixedHeight = 0;
    if (!m_mainWindow->GetPlatformWindow().IsResizable()) {
        RectT<int32_t> client{};
        m_mainWindow->GetClientRect(client);
        fixedWidth = client.width;
        fixedHeight = client.height;
    }
    rect = ClampToDesktop(rect, area.width, area.height, fixedWidth, fixedHeight);
    record.left = Saturate(int64_t(rect.left) + area.x);
    record.top = Saturate(int64_t(rect.top) + area.y);
    record.right = Saturate(int64_t(rect.right) + area.x);
    record.bottom = Saturate(int64_t(rect.bottom) + area.y);
    m_mainWindow->SetPlacement(record);
    return saved;
}

double LApplication::GetTime()
{
    const uint32_t now = m_platform->TickCount();
    m_elapsed += static_cast<int32_t>(now - m_lastTick) / 1000.0;
    m_lastTick = now;
    return m_elapsed;
}

uint32_t LApplication::GetTickTime()
{
    return m_platform->TickCount();
}

KXRESULT LApplication::GetSystemTime(int32_t fields[8])
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    fields[0] = utc.tm_year + 1900;
    fields[1] = utc.tm_mon + 1;
    fields[2] = utc.tm_wday;
    fields[3] = utc.tm_mday;
    fields[4] = utc.tm_hour;
    fields[5] = utc.tm_min;
    fields[6] = utc.tm_sec;
    fields[7] = static_cast<int32_t>(ms);
    return S_OK;
}

KXRESULT LApplication::GetKeyState(int32_t virtualKey, bool& pressed, bool& toggled)
{
    pressed = toggled = false;
    if (virtualKey < 0 || virtualKey > 255)
        return S_OK;
    const platform::sdl::KeyState state = platform::sdl::Window::GetKeyState(static_cast<uint8_t>(virtualKey));
    pressed = state.down;
    toggled = state.toggled;
    return S_OK;
}

int32_t LApplication::ShowCursor(bool show)
{
    m_cursorCount += show ? 1 : -1;
    platform::sdl::ShowPointer(m_cursorCount >= 0);
    return m_cursorCount;
}

KXRESULT LApplication::SetCursorPos(int32_t x, int32_t y)
{
    return platform::sdl::WarpPointer(x, y) ? S_OK : E_FAIL;
}

RCPtr<LRenderContextInfo> LApplication::GetMainRenderContext()
{
    const std::vector<RCPtr<LRootWindow>>& roots = GetRootWindows();
    if (roots.empty() || !roots.front() || !roots.front()->GetServices())
        return RCPtr<LRenderContextInfo>();
    auto* window = static_cast<OSWindow*>(roots.front()->GetServices()->GetWindowHandle());
    return window ? window->GetRenderContext() : RCPtr<LRenderContextInfo>();
}

int32_t LApplication::LoadAppCursor(const WString& name)
{
    // Cursor numbers of the OS window: 0 arrow, 1 wait, 2 I-beam, 3 cross, 4 NW-SE, 5 NE-SW, 6 W-E,
    // 7 N-S, 8 size-all, 9 no-drop, 10 hand, 11 drop-move, 12 drop-copy; -1 for none.
    static const std::pair<std::u16string_view, int32_t> table[] = {
        {u"UI_CURSOR_DROP_MOVE", 11}, {u"UI_CURSOR_DROP_COPY", 12}, {u"UI_CURSOR_SPLIT_V", -1},
        {u"UI_CURSOR_SPLIT_H", -1},   {u"UI_CURSOR_ROTATE", -1},    {u"UI_CURSOR_MAG", -1},
        {u"UI_CURSOR_MAG_PLUS", -1},  {u"UI_CURSOR_MAG_MINUS", -1}, {u"UI_CURSOR_ARROW", 0},
        {u"UI_CURSOR_IBEAM", 2},      {u"UI_CURSOR_WAIT", 1},       {u"UI_CURSOR_CROSS", 3},
        {u"UI_CURSOR_UP_ARROW", 0},   {u"UI_CURSOR_SIZE_ALL", 8},   {u"UI_CURSOR_SIZE_NWSE", 4},
        {u"UI_CURSOR_SIZE_NESW", 5},  {u"UI_CURSOR_SIZE_WE", 6},    {u"UI_CURSOR_SIZE_NS", 7},
        {u"UI_CURSOR_NO_DROP", 9},    {u"UI_CURSOR_HAND", 10},      {u"UI_CURSOR_APP_STARTING", 1},
        {u"UI_CURSOR_HELP", 0},
    };
    const std::u16string_view wanted(name.GetString());
    for (const auto& [cursorName, cursor] : table)
        if (cursorName == wanted)
            return cursor;
    return 0;
}

KXRESULT LApplication::GetSystemFont(WString& faceName, float& size, uint32_t& style)
{
    std::string face;
    float points = 0.0f;
    uint32_t bits = 0;
    if (!m_platform->SystemFont(face, points, bits)) {
        size = 0.0f;
        style = 0;
        return E_FAIL;
    }
    faceName = WString(face.c_str());
    size = points;
    style = bits;
    return S_OK;
}

KXRESULT LApplication::GetDefaultFont(WString& faceName, float& size, int32_t& style)
{
    uint32_t bits = 0;
    const KXRESULT result = GetSystemFont(faceName, size, bits);
    style = static_cast<int32_t>(bits);
    return result;
}

ConstRCPtr<LMeasurementRenderer> LApplication::GetMeasurementRenderer()
{
    const RCPtr<LRenderer> renderer = LFrameworkApp::GetMeasurementRenderer();
    return ConstRCPtr<LMeasurementRenderer>(renderer.Get());
}

RectT<int32_t> LApplication::GetWorkArea()
{
    if (m_mainWindow) {
        const platform::sdl::Rect area = m_mainWindow->GetPlatformWindow().WorkArea();
        if (area.width > 0 && area.height > 0)
            return RectT<int32_t>{area.x, area.y, area.width, area.height};
    }
    const AppRect bounds = m_platform->UsableBounds();
    return RectT<int32_t>{bounds.x, bounds.y, bounds.width, bounds.height};
}

PointT<int32_t> LApplication::GetScreenCursorPos()
{
    if (!m_mainWindow)
        return PointT<int32_t>{0, 0};
    return m_mainWindow->ClientToScreen(m_mainWindow->GetCursorPos());
}

bool LApplication::OpenDocument(const WString& path)
{
    return m_platform->OpenDocument(Narrow(path));
}
