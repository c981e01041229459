#include "platform/sdl/Clipboard.h"

#include <SDL.h>

#include <atomic>

namespace platform::sdl {

namespace {

class SdlClipboard final : public ClipboardBackend {
public:
    SdlClipboard() : m_video(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
    {
        if (m_video)
            SDL_AddEventWatch(&SdlClipboard::Watch, this);
    }
    ~SdlClipboard() override
    {
        if (m_video) {
            SDL_DelEventWatch(&SdlClipboard::Watch, this);
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    SdlClipboard(const SdlClipboard&) = delete;
    SdlClipboard& operator=(const SdlClipboard&) = delete;

    uint32_t GetSequenceNumber() override
    {
        Refresh();
        return m_sequence;
    }

    bool HasText() override
    {
        Refresh();
        return !m_marker && !m_seen.empty();
    }

    bool HasPrivateMarker() override
    {
        Refresh();
        return m_marker;
    }

    bool Open() override
    {
        if (!m_video || m_open)
            return false;
        m_open = true;
        return true;
    }

    void Close() override { m_open = false; }

    std::optional<std::string> GetText() override
    {
        if (!m_open)
            return std::nullopt;
        std::optional<std::string> text = ReadText();
        if (!text)
            return std::nullopt;
        Note(*text);
        if (m_marker || text->empty())
            return std::nullopt;
        return text;
    }

    bool SetText(std::string_view utf8) override
    {
        // SDL's text ends at the first NUL; remember what the clipboard will really hold.
        return Write(std::string(utf8.substr(0, utf8.find('\0'))), false);
    }

    bool SetPrivateMarker() override { return Write(std::string(), true); }

private:
    std::optional<std::string> ReadText()
    {
        if (!m_video)
            return std::nullopt;
        char* text = SDL_GetClipboardText();
        if (!text)
            return std::nullopt;
        std::string copy(text);
        SDL_free(text);
        return copy;
    }

    bool Write(std::string text, bool marker)
    {
        if (!m_open)
            return false;
        if (SDL_SetClipboardText(text.c_str()) != 0)
            return false;
        m_seen = std::move(text);
        m_marker = marker;
        Bump();
        return true;
    }

    // Called by SDL for every event queued, on the thread that queues it.
    static int SDLCALL Watch(void* self, SDL_Event* event)
    {
        if (event && event->type == SDL_CLIPBOARDUPDATE)
            static_cast<SdlClipboard*>(self)->m_announced.fetch_add(1, std::memory_order_release);
        return 0;
    }

    // Another program's change shows as an announced update (a clear, or the same text again,
    // counts too), or as a text other than the one seen last.
    void Refresh()
    {
        const uint32_t announced = m_announced.load(std::memory_order_acquire);
        if (announced != m_announcedSeen) {
            m_announcedSeen = announced;
            m_marker = false;
            m_seen = ReadText().value_or(std::string());
            Bump();
            return;
        }
        if (std::optional<std::string> text = ReadText())
            Note(*text);
    }

    void Note(const std::string& text)
    {
        if (text == m_seen)
            return;
        m_seen = text;
        m_marker = false;
        Bump();
    }

    void Bump() { m_sequence = m_sequence == UINT32_MAX ? 1 : m_sequence + 1; }

    const bool m_video;
    bool m_open = false;
    bool m_marker = false;
    std::string m_seen;
    uint32_t m_sequence = 1;
    // SDL_CLIPBOARDUPDATE events counted by the watch, and the count last acted on.
    std::atomic<uint32_t> m_announced{0};
    uint32_t m_announcedSeen = 0;
};

} // namespace

std::unique_ptr<ClipboardBackend> CreateSdlClipboard()
{
    return std::make_unique<SdlClipboard>();
}

} // namespace platform::sdl
