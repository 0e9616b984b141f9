#pragma once
// The toggle state of the lock keys, in place of the key state the system
// keeps for every keyboard. Only an X11 display tells it (through its
// keyboard indicators); elsewhere (offscreen, Wayland) every key reads off.
namespace platform {

// The lock keys by the virtual key codes the program knows them by.
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;

// True when the lock key is toggled on. Any other key, or a platform whose
// indicators cannot be read, gives false. Main thread only.
bool LockKeyToggled(int virtualKey);

} // namespace platform
