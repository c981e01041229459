#pragma once
// Helpers the editor's dialogs and selectors share: typed child look-ups that fail with the
// "Cannot find child" runtime error, and the application's strings and message boxes.
#include "kx/Exception.h"
#include "kx/ui/Control.h"

#include <string_view>

namespace KX {
class LMidiManager;
}

namespace editor {

// "Runtime Error : Null Pointer : <what> : method : path : Line N".
[[noreturn]] void ThrowNullPointer(std::string_view what, std::string_view method, std::string_view path, int line);
// The same with "Cannot find child <name>".
[[noreturn]] void ThrowMissingChild(const KX::WString& name, std::string_view method, std::string_view path, int line);

// The direct child of that name as T; null when it is missing or of another class.
template <class T>
KX::RCPtr<T> FindChildAs(KX::LControl* parent, const char16_t* name)
{
    if (parent == nullptr)
        return KX::RCPtr<T>();
    return KX::RCPtr<T>::DynamicCast(KX::ConstRCPtr<KX::LControl>(parent->FindChild(KX::WString(name))));
}

// The direct child of that name as T, else the missing-child error.
template <class T>
KX::RCPtr<T> RequireChild(KX::LControl* parent, const char16_t* name, std::string_view method, std::string_view path,
                          int line)
{
    KX::RCPtr<T> child = FindChildAs<T>(parent, name);
    if (!child)
        ThrowMissingChild(KX::WString(name), method, path, line);
    return child;
}

// The text under key in the application's string table; empty without an application.
KX::WString AppString(const char16_t* key);
// The message-box flags of an error: the error icon and an OK button.
inline constexpr uint32_t kErrorBoxFlags = 0x10;
// Shows the box with the texts under the two keys when the text is not empty.
void ShowAppMessage(const char16_t* captionKey, const char16_t* textKey, uint32_t flags = 0);
// The application's MIDI manager; null without an application.
KX::RCPtr<KX::LMidiManager> AppMidiManager();

} // namespace editor
