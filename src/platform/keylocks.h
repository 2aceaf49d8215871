#pragma once
// The keyboard's lock states (Num Lock, Caps Lock) as the message bar shows
// them. The real reading on Linux takes the keyboard LEDs the kernel exposes
// (/sys/class/leds/*::numlock, *::capslock); where there are none, both read
// off. Tests install fixed states.
#include <optional>

namespace velt::platform {

struct KeyLocks {
    bool num = false;
    bool caps = false;
};

KeyLocks keyLocks();
// Fixed states for tests; std::nullopt goes back to the real reading.
void setKeyLocks(std::optional<KeyLocks> fixed);

} // namespace velt::platform
