#include "MemoryClipboard.h"

namespace kxtest {

bool MemoryClipboard::Open()
{
    if (m_openRefused || m_open)
        return false;
    m_open = true;
    ++m_openCount;
    return true;
}

void MemoryClipboard::Close()
{
    m_open = false;
}

std::optional<std::string> MemoryClipboard::GetText()
{
    if (!m_open)
        return std::nullopt;
    ++m_textReads;
    return m_marker ? std::nullopt : m_text;
}

bool MemoryClipboard::SetText(std::string_view utf8)
{
    if (!m_open || m_writesRefused)
        return false;
    m_text = std::string(utf8);
    m_marker = false;
    Changed();
    return true;
}

bool MemoryClipboard::SetPrivateMarker()
{
    if (!m_open || m_writesRefused)
        return false;
    m_text.reset();
    m_marker = true;
    Changed();
    return true;
}

void MemoryClipboard::PutExternalText(std::string_view utf8)
{
    m_text = std::string(utf8);
    m_marker = false;
    Changed();
}

void MemoryClipboard::ClearExternally()
{
    m_text.reset();
    m_marker = false;
    Changed();
}

} // namespace kxtest
