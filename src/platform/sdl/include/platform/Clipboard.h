#pragma once
// The system clipboard as the framework's clipboard object uses it, after the Windows
// clipboard service:
// - the clipboard is opened before it is read or written and closed afterwards; opening can
//   fail while the clipboard is not usable;
// - a sequence number changes with every change of the content, by this process or another
//   program, so a reader can tell whether the content is still what it saw last;
// - the content is a text (UTF-8 here; one form serves where Windows keeps a Unicode and an
//   ANSI copy) or a private marker that says "content only the writing process holds".
// All calls come from the main thread.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;

    // Changes whenever the content changes; never 0.
    virtual uint32_t GetSequenceNumber() = 0;
    // Whether a non-empty text, or the private marker, is on the clipboard. Need no Open.
    virtual bool HasText() = 0;
    virtual bool HasPrivateMarker() = 0;

    // false when the clipboard cannot be used now; every successful Open is followed by Close.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Between Open and Close: the text (none when there is no text or it could not be read),
    // and replacing the content by a text or by the private marker (false when refused).
    virtual std::optional<std::string> GetText() = 0;
    virtual bool SetText(std::string_view utf8) = 0;
    virtual bool SetPrivateMarker() = 0;
};

// The clipboard of the SDL video subsystem (initialised here when needed, with a reference
// of its own). SDL keeps no sequence number: this object counts the changes it makes and
// notices another program's change by comparing the text with the one it saw last, so a change
// to the same text goes unnoticed. The private marker is an empty text that this object wrote
// and that is still there. Null when the program is built without SDL.
std::unique_ptr<ClipboardBackend> CreateSdlClipboard();

// A clipboard in memory, for tests: the same rules, plus the other program's side.
class MemoryClipboard : public ClipboardBackend {
public:
    uint32_t GetSequenceNumber() override { return m_sequence; }
    bool HasText() override { return m_text.has_value() && !m_text->empty(); }
    bool HasPrivateMarker() override { return m_marker; }
    bool Open() override;
    void Close() override;
    std::optional<std::string> GetText() override;
    bool SetText(std::string_view utf8) override;
    bool SetPrivateMarker() override;

    // Another program puts a text on the clipboard, or empties it.
    void PutExternalText(std::string_view utf8);
    void ClearExternally();
    // Switches for failures: Open refused; writes refused.
    void SetOpenRefused(bool refused) { m_openRefused = refused; }
    void SetWritesRefused(bool refused) { m_writesRefused = refused; }

    bool IsOpen() const { return m_open; }
    int GetOpenCount() const { return m_openCount; }
    int GetTextReads() const { return m_textReads; }
    const std::optional<std::string>& PeekText() const { return m_text; }

private:
    void Changed() { m_sequence = m_sequence == UINT32_MAX ? 1 : m_sequence + 1; }

    uint32_t m_sequence = 1;
    std::optional<std::string> m_text;
    bool m_marker = false;
    bool m_open = false;
    bool m_openRefused = false;
    bool m_writesRefused = false;
    int m_openCount = 0;
    int m_textReads = 0;
};

} // namespace platform
