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

namespace platform::sdl {

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
// of its own). SDL keeps no sequence number: this object counts the changes it makes, every
// SDL_CLIPBOARDUPDATE that SDL announces (another program took the clipboard over: a clear or
// the same text again count as changes too) and any text other than the one it saw last. The
// private marker is an empty text that this object wrote and that nobody has replaced since.
std::unique_ptr<ClipboardBackend> CreateSdlClipboard();

} // namespace platform::sdl
