#pragma once

// The state of the three lock keys for the status bar's "UF", "NUM" and "RF"
// panes. Read from the X server's keyboard indicators; on platforms that
// cannot tell (offscreen, Wayland) the state is unknown and the panes stay
// blank.

struct LockKeyState {
    bool known = false;
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

LockKeyState ReadLockKeys();

// Whether the program was built able to ask the X server at all.
bool LockKeysFromX11();
