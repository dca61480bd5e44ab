// The state of Caps, Num and Scroll Lock, read from the platform where it
// tells it (an X11 display with the keyboard extension).
#pragma once

#include <optional>

// Each key: on or off, or nullopt where the platform does not tell (another
// platform such as Wayland or offscreen, a keyboard without that indicator,
// or a build without X11).
struct LockKeyState {
    std::optional<bool> capsLock;
    std::optional<bool> numLock;
    std::optional<bool> scrollLock;
    bool operator==(const LockKeyState&) const = default;
};

LockKeyState ReadLockKeyState();
