#pragma once
// What the application object needs of the desktop outside its windows: folders, the profile
// values, message boxes, the system font, the usable screen area, opening documents and the
// clock. The program uses the system's; tests give a fake that records boxes and never blocks.
// Main thread only.
#include "platform/posix/XdgFolders.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AppRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class IAppPlatform {
public:
    virtual ~IAppPlatform() = default;

    // Folders (UTF-8, no trailing "/"); empty when unknown.
    virtual std::string ExecutableFolder() = 0;
    // The user's data and configuration homes ($XDG_DATA_HOME, $XDG_CONFIG_HOME or their defaults).
    virtual std::string DataHome() = 0;
    virtual std::string ConfigHome() = 0;
    // The user's documents folder, else the home folder.
    virtual std::string DocumentsFolder() = 0;

    // A binary profile value kept in the file at profilePath; false when missing or unreadable.
    virtual bool ReadProfileValue(const std::string& profilePath, const std::string& section, const std::string& entry,
                                  std::vector<uint8_t>& out) = 0;
    virtual bool WriteProfileValue(const std::string& profilePath, const std::string& section, const std::string& entry,
                                   const std::vector<uint8_t>& value) = 0;

    // A modal message box with message-box style bits (icon, buttons, default button); the chosen
    // button's code. ownerWindow: the platform window it belongs to (may be null).
    virtual int32_t ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags,
                                   void* ownerWindow) = 0;
    // The user interface's font: face, size in points, style bits; false when unknown.
    virtual bool SystemFont(std::string& face, float& size, uint32_t& style) = 0;
    // The usable area of the primary display (without panels and docks).
    virtual AppRect UsableBounds() = 0;
    // Opens a file with the desktop's program for it, detached; false when that cannot start.
    virtual bool OpenDocument(const std::string& path) = 0;
    // Milliseconds, wrapping at 32 bits.
    virtual uint32_t TickCount() = 0;
};

// The system's: XDG folders of the environment given, the profile file, SDL's message boxes (or the
// boxes a test installed), fontconfig's font (asked once), the primary display's usable bounds, xdg-open and a
// monotonic clock.
class SystemAppPlatform : public IAppPlatform {
public:
    explicit SystemAppPlatform(platform::posix::XdgEnvironment env = platform::posix::XdgEnvironment::FromProcess());

    std::string ExecutableFolder() override;
    std::string DataHome() override;
    std::string ConfigHome() override;
    std::string DocumentsFolder() override;
    bool ReadProfileValue(const std::string& profilePath, const std::string& section, const std::string& entry,
                          std::vector<uint8_t>& out) override;
    bool WriteProfileValue(const std::string& profilePath, const std::string& section, const std::string& entry,
                           const std::vector<uint8_t>& value) override;
    int32_t ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags,
                           void* ownerWindow) override;
    bool SystemFont(std::string& face, float& size, uint32_t& style) override;
    AppRect UsableBounds() override;
    bool OpenDocument(const std::string& path) override;
    uint32_t TickCount() override;

private:
    platform::posix::XdgEnvironment m_env;
    // The font is asked of fontconfig once: every control's font falls back to it.
    bool m_fontAsked = false;
    bool m_fontKnown = false;
    std::string m_fontFace;
    float m_fontSize = 0;
    uint32_t m_fontStyle = 0;
};

std::unique_ptr<IAppPlatform> CreateSystemAppPlatform();
