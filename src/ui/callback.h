#pragma once
// Callbacks stored in the fields of windows and controls, the key codes they
// receive, and the one wrapper every callback run from a window event goes
// through.
//
// Exceptions and the event loop: Qt must never see an exception. runEvent()
// runs an event's work through guardEvent() (ui/errorsys.h: a VeltError gets
// its message there and then). Whatever remains is kept by the innermost
// dialog being shown, which is ended at once (NRESULT 2, without asking its
// BVALID); its ACTIVATE re-throws it once exec() has returned, so it travels
// out through every enclosing dialog to the command's recovery point. With no
// dialog open the main window's event loop keeps it and ends; with no loop at
// all it is thrown straight on.
//
// Code that calls a control's operation directly (CLICK, SETFOCUS, END) is
// not an event: its exceptions reach the caller unchanged.
#include "util/value.h"

#include <functional>
#include <optional>
#include <type_traits>

namespace velt {

class TWINDOW;

// The get/set callback of a bound variable: called without a value it
// returns the variable, called with one it stores it and returns it.
using SetGet = std::function<Value(std::optional<Value>)>;

// A get/set callback over a variable of the caller, which must outlive it.
SetGet bindVar(Value& var);

// The BINIT callback: its result matters only when it is the logical false
// ("the callback has placed the focus itself"); callables returning nothing
// are accepted as they are.
class InitBlock {
public:
    InitBlock() = default;
    InitBlock(std::nullptr_t) {}
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, TWINDOW&>>>
    InitBlock(F f)
    {
        if constexpr (std::is_void_v<std::invoke_result_t<F&, TWINDOW&>>)
            fn_ = [f](TWINDOW& w) mutable { f(w); return Value(); };
        else
            fn_ = [f](TWINDOW& w) mutable { return Value(f(w)); };
    }
    explicit operator bool() const { return bool(fn_); }
    Value operator()(TWINDOW& w) const { return fn_(w); }

private:
    std::function<Value(TWINDOW&)> fn_;
};

using WhenBlock = std::function<bool()>;
using ValidBlock = std::function<bool(TWINDOW&)>;
// (control, the other window: the one losing or getting the focus, or none)
using FocusBlock = std::function<void(TWINDOW&, TWINDOW*)>;
// (key code, flags, control) -> true when the hook handled the key, which
// then goes no further.
using KeyDownBlock = std::function<bool(int key, int flags, TWINDOW&)>;
// (character code, flags, control); the result is not used.
using KeyCharBlock = std::function<void(int ch, int flags, TWINDOW&)>;
// (key or 0, flags or 0, control) after every change made by the user.
using ChangeBlock = std::function<void(int key, int flags, TWINDOW&)>;
using WindowBlock = std::function<void(TWINDOW&)>;

// Key codes as the system's callbacks see them (the virtual-key numbers of
// the original platform, so the forms' tables keep their values).
namespace vk {
inline constexpr int Back = 0x08, Tab = 0x09, Return = 0x0D, Shift = 0x10, Control = 0x11, Menu = 0x12,
                     Escape = 0x1B, Space = 0x20, PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24,
                     Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Insert = 0x2D, Delete = 0x2E,
                     F1 = 0x70, F2 = 0x71, F3 = 0x72, F4 = 0x73, F5 = 0x74, F6 = 0x75, F7 = 0x76,
                     F8 = 0x77, F9 = 0x78, F10 = 0x79, F11 = 0x7A, F12 = 0x7B;
// The virtual-key code of a Qt key (letters and digits as their upper-case
// character; 0 for keys without one).
int fromQtKey(int qtKey);
} // namespace vk

// Runs the work of one window event (see above).
void runEvent(const std::function<void()>& work);

} // namespace velt
