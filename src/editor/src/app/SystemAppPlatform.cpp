// The application's platform over the system's stand-ins.
#include "editor/AppPlatform.h"

#include "platform/gdi/SystemFont.h"
#include "platform/posix/ProfileFile.h"
#include "platform/posix/SharedLibrary.h"
#include "platform/posix/Spawn.h"
#include "platform/sdl/Desktop.h"
#include "platform/sdl/MessageBox.h"

#include <chrono>

SystemAppPlatform::SystemAppPlatform(platform::posix::XdgEnvironment env) : m_env(std::move(env)) {}

std::string SystemAppPlatform::ExecutableFolder()
{
    return platform::posix::ExecutableFolder();
}

std::string SystemAppPlatform::DataHome()
{
    return platform::posix::DataHome(m_env);
}

std::string SystemAppPlatform::ConfigHome()
{
    return platform::posix::ConfigHome(m_env);
}

std::string SystemAppPlatform::DocumentsFolder()
{
    return platform::posix::DocumentsFolder(m_env);
}

bool SystemAppPlatform::ReadProfileValue(const std::string& profilePath, const std::string& section,
                                         const std::string& entry, std::vector<uint8_t>& out)
{
    platform::posix::ProfileFile file(profilePath);
    if (file.Load() != 0)
        return false;
    std::optional<std::vector<uint8_t>> value = file.GetBinary(section, entry);
    if (!value)
        return false;
    out = std::move(*value);
    return true;
}

bool SystemAppPlatform::WriteProfileValue(const std::string& profilePath, const std::string& section,
                                          const std::string& entry, const std::vector<uint8_t>& value)
{
    platform::posix::ProfileFile file(profilePath);
    // A damaged file is set aside for a fresh one; one that cannot be read is not overwritten.
    if (file.LoadSettingDamagedAside() != 0)
        return false;
    return file.WriteBinary(section, entry, value.data(), value.size()) == 0;
}

int32_t SystemAppPlatform::ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags,
                                          void* ownerWindow)
{
    return platform::sdl::GetMessageBoxes().Show(text, caption, flags,
                                                 static_cast<const platform::sdl::Window*>(ownerWindow));
}

bool SystemAppPlatform::SystemFont(std::string& face, float& size, uint32_t& style)
{
    if (!m_fontAsked) {
        m_fontAsked = true;
        gdi::SystemFont font;
        m_fontKnown = gdi::QuerySystemFont(font);
        m_fontFace = std::move(font.face);
        m_fontSize = font.size;
        m_fontStyle = font.style;
    }
    if (!m_fontKnown)
        return false;
    face = m_fontFace;
    size = m_fontSize;
    style = m_fontStyle;
    return true;
}

AppRect SystemAppPlatform::UsableBounds()
{
    const std::optional<platform::sdl::Rect> bounds = platform::sdl::DisplayUsableBounds(0);
    if (!bounds)
        return AppRect{0, 0, 1920, 1080};
    return AppRect{bounds->x, bounds->y, bounds->width, bounds->height};
}

bool SystemAppPlatform::OpenDocument(const std::string& path)
{
    return platform::posix::OpenWithDesktop(path) == 0;
}

uint32_t SystemAppPlatform::TickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::unique_ptr<IAppPlatform> CreateSystemAppPlatform()
{
    return std::make_unique<SystemAppPlatform>();
}
