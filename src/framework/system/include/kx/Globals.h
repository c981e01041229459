#pragma once
// The process-wide objects: built once at start-up in a fixed order, released at exit in the
// reverse order.
//
// Start-up order: the host application; the empty strings; the notification lock, pool and
// active-distributor list; the captured-MIDI and thread-pool work-item pools; the queue lock;
// the application centre's name and the centre manager's holder; the trace streams; the shared
// bitmaps; the cursor names, the blank and the line-break strings; the user-interface parameter
// pools; the key-name tables; the font file registry. Objects of the layers above this library
// take their place through RegisterGlobalHooks.
//
// Tear-down releases what the objects hold (the centre manager, pooled notifications, buffered
// trace text, the hooked objects, last the host application). The locks, registries, reuse
// pools and string constants themselves stay until the process ends: code that runs later at
// exit (the host application's destructor, the last release of some object) may still use them.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>
#include <new>

namespace KX {

// Places in the start-up order that belong to the layers above.
enum class GlobalSlot : int32_t {
    HostApplication,  // built first, released last
    SharedBitmaps,    // right after the trace streams
    UIParamPools,     // after the string constants
    KeyNameTables,    // right after the user-interface parameter pools
    FontFileRegistry, // built last, released first
};
inline constexpr int32_t kGlobalSlotCount = 5;

using GlobalSetUp = void (*)();
using GlobalTearDown = void (*)() noexcept;

// What builds and what releases the objects of a slot; either may be null. E_INVALIDARG for an
// unknown slot; E_FAIL while the globals are up or changing (the hooks stay as they were).
KXRESULT RegisterGlobalHooks(GlobalSlot slot, GlobalSetUp setUp, GlobalTearDown tearDown);

// Builds every process-wide object in order. S_OK when built; S_FALSE when already up; E_FAIL
// while a start-up or tear-down is running. When a set-up hook throws, what was built is
// released again in reverse order and the exception passes on. After the first start-up,
// normal process exit runs ShutdownGlobals.
KXRESULT StartupGlobals();
// Releases in the reverse order. S_OK when torn down; S_FALSE when not up; E_FAIL while a
// start-up or tear-down is running.
KXRESULT ShutdownGlobals() noexcept;
bool AreGlobalsUp() noexcept;

// String constants. Each is built on first use at the latest and never goes away.
const NString& GetEmptyNString();
// The empty-string constant.
const WString& GetEmptyWString();
// " "
const WString& GetBlankString();
// The line break of text layout: one newline.
const WString& GetLineBreakString();

// Cursor names, in their fixed order. Default is a separate string equal to Arrow's, the cursor
// that controls set back after a drag.
enum class CursorName : int32_t {
    AppStarting,
    Arrow,
    IBeam,
    Wait,
    Cross,
    UpArrow,
    SizeAll,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
    Hand,
    Help,
    NoDrop,
    DropMove,
    DropCopy,
    SplitV,
    SplitH,
    Rotate,
    Mag,
    MagPlus,
    MagMinus,
    Default,
};
inline constexpr int32_t kCursorNameCount = 23;

// The name of cursor; the empty string for a value outside the list.
const WString& GetCursorName(CursorName cursor);

// The shared typed null reference, for accessors that return a reference where there is no
// object. Never holds an object and never goes away.
template <class T>
const RCPtr<T>& EmptyRCPtr() noexcept
{
    alignas(RCPtr<T>) static unsigned char storage[sizeof(RCPtr<T>)];
    static const RCPtr<T>* const empty = ::new (static_cast<void*>(storage)) RCPtr<T>();
    return *empty;
}

} // namespace KX
