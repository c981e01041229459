#pragma once
// A clipboard in memory standing in for the system clipboard in tests: the same rules as
// platform::sdl::ClipboardBackend, plus the other program's side and switches for refusals.
#include "platform/sdl/Clipboard.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kxtest {

class MemoryClipboard : public platform::sdl::ClipboardBackend {
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

} // namespace kxtest
