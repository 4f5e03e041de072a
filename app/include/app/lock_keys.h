#pragma once

// The state of the keyboard's lock keys for the status bar's CAP, NUM and SCRL panes.

#include <optional>

namespace veltra {

struct LockKeyState {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// Asks the window system. Only X11 tells (through its keyboard extension); elsewhere, or when
// the X library cannot be loaded, there is no answer and the panes stay off.
std::optional<LockKeyState> QueryLockKeys();

}  // namespace veltra
