#pragma once
// Whether a window can be shown, asked before the window system is touched:
// Qt aborts the process (status 134) when DISPLAY names no X server, so the
// programs check first and say so in one line instead.

namespace dm {

// The X server that DISPLAY names answers, or the Wayland socket that
// WAYLAND_DISPLAY names exists.
bool DisplayAnswers();

// A window platform chosen by hand that needs no display (offscreen, vnc ...).
bool PlatformNeedsNoDisplay();

// Either of the two: a QApplication can be made.
inline bool WindowSystemReachable() { return PlatformNeedsNoDisplay() || DisplayAnswers(); }

} // namespace dm
